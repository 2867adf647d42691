#include "winsupport/ui/qt_enter_tab.h"

#include <QKeyEvent>
#include <QWidget>

namespace rowbit::ui {

namespace {

winsupport::NavKey navKeyOf(const QKeyEvent& key) {
    using winsupport::NavKey;
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier)
        return NavKey::Other;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return NavKey::Enter;
    case Qt::Key_Up:
        return NavKey::Up;
    case Qt::Key_Down:
        return NavKey::Down;
    case Qt::Key_Left:
        return NavKey::Left;
    case Qt::Key_Right:
        return NavKey::Right;
    default:
        return NavKey::Other;
    }
}

bool canTakeFocus(const QWidget* w) {
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

} // namespace

QWidget* neighbourInTabChain(QWidget* from, bool forward) {
    QWidget* w = from;
    while (true) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == from)
            return nullptr;
        if (w->window() == from->window() && canTakeFocus(w))
            return w;
    }
}

void QtEnterTab::excludeControl(QWidget* widget, winsupport::ControlId id) {
    ids_[widget] = id;
    table_.excludeControl(id);
}

void QtEnterTab::init(const std::vector<std::pair<QWidget*, winsupport::FieldKind>>& controls) {
    std::vector<std::pair<winsupport::ControlId, winsupport::FieldKind>> table;
    winsupport::ControlId next = 1;
    for (const auto& entry : ids_)
        next = std::max(next, entry.second + 1);
    for (const auto& [widget, kind] : controls) {
        const winsupport::ControlId id = next++;
        ids_[widget] = id;
        table.emplace_back(id, kind);
        widget->installEventFilter(this);
    }
    table_.init(table);
}

bool QtEnterTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto it = ids_.find(watched);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (it == ids_.end() || !widget)
        return QObject::eventFilter(watched, event);
    const auto action = table_.takeEvent(it->second, navKeyOf(*static_cast<QKeyEvent*>(event)));
    switch (action) {
    case winsupport::NavAction::NextControl:
    case winsupport::NavAction::PreviousControl:
        if (QWidget* target =
                neighbourInTabChain(widget, action == winsupport::NavAction::NextControl))
            target->setFocus(action == winsupport::NavAction::NextControl ? Qt::TabFocusReason
                                                                          : Qt::BacktabFocusReason);
        return true;
    case winsupport::NavAction::LineBreak: // the box keeps Enter and breaks the line
    case winsupport::NavAction::None:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rowbit::ui
