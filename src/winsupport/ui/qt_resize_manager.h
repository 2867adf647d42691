#pragma once
// The resize manager on a Qt window: reports the window's controls to the core arithmetic in
// the units they were designed in (dialog units), and applies the moves it computes whenever
// the window's size changes.

#include "app/ui/dialog_units.h"
#include "winsupport/resize_manager.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>
#include <vector>

namespace rowbit::ui {

class QtResizeManager : public QObject {
    Q_OBJECT
public:
    // `window` is the widget whose client area holds the controls; `units` converts.
    QtResizeManager(QWidget* window, DialogUnits units, QObject* parent = nullptr);
    ~QtResizeManager() override;

    // Registers a control with its designed rectangle (dialog units, relative to the client
    // area) before init(); the widget is placed there now.
    void addControl(winsupport::ControlId id, QWidget* widget, winsupport::ControlKind kind,
                    QRect designed);

    // The designed window is the client size given (dialog units); the window's minimum
    // (maximum) size becomes it when asked.
    void init(int appStrategy, bool setMinimumSize, bool setMaximumSize, QSize designedClient);
    void setStrategy(winsupport::ControlId id, std::uint16_t positional, std::uint16_t resize);
    // No further resizing.
    void kill();

    // Runs the resize for the window's present size (the resize event does this too).
    void takeResize();

    const winsupport::ResizeManager& core() const { return core_; }
    const DialogUnits& units() const { return units_; }
    // Present rectangle of a control in dialog units, as last placed.
    QRect currentUnits(winsupport::ControlId id) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> widget;
        winsupport::ControlKind kind;
        QRect designed;
    };
    void apply(const std::vector<winsupport::Move>& moves);
    std::vector<winsupport::ControlInfo> infos() const;

    QPointer<QWidget> window_;
    DialogUnits units_;
    winsupport::ResizeManager core_;
    std::map<winsupport::ControlId, Entry> controls_;
    bool active_ = false;
};

} // namespace rowbit::ui
