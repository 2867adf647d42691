#pragma once
// Enter-as-Tab on a Qt window: the key table decides, this filter carries it out. Enter, Down
// and Right move the focus to the next control of the tab chain, Up and Left to the previous
// one; Enter in a multi-line box is left to the box, which breaks the line.

#include "winsupport/enter_tab.h"

#include <QObject>

#include <map>
#include <vector>

class QWidget;

namespace rowbit::ui {

class QtEnterTab : public QObject {
    Q_OBJECT
public:
    explicit QtEnterTab(QObject* parent = nullptr) : QObject(parent) {}

    winsupport::EnterByTab& table() { return table_; }
    void excludeControl(QWidget* widget, winsupport::ControlId id);
    // Registers the controls in their order and starts watching their keys.
    void init(const std::vector<std::pair<QWidget*, winsupport::FieldKind>>& controls);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    winsupport::EnterByTab table_;
    std::map<const QObject*, winsupport::ControlId> ids_;
};

// The next (or previous) control in `from`'s tab chain that can take the focus.
QWidget* neighbourInTabChain(QWidget* from, bool forward);

} // namespace rowbit::ui
