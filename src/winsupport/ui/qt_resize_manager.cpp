#include "winsupport/ui/qt_resize_manager.h"

#include <QEvent>

namespace rowbit::ui {

using winsupport::ControlId;
using winsupport::ControlInfo;
using winsupport::Rect;

namespace {
Rect toRect(const QRect& r) {
    return Rect{r.x(), r.y(), r.width(), r.height()};
}
QRect toQRect(const Rect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}
} // namespace

QtResizeManager::QtResizeManager(QWidget* window, DialogUnits units, QObject* parent)
    : QObject(parent), window_(window), units_(units) {}

QtResizeManager::~QtResizeManager() {
    kill();
}

void QtResizeManager::addControl(ControlId id, QWidget* widget, winsupport::ControlKind kind,
                                 QRect designed) {
    controls_[id] = Entry{widget, kind, designed};
    widget->setGeometry(
        units_.rect(designed.x(), designed.y(), designed.width(), designed.height()));
}

std::vector<ControlInfo> QtResizeManager::infos() const {
    std::vector<ControlInfo> list;
    list.reserve(controls_.size());
    for (const auto& [id, entry] : controls_) {
        ControlInfo info;
        info.id = id;
        info.kind = entry.kind;
        info.rect = toRect(entry.designed);
        list.push_back(info);
    }
    return list;
}

void QtResizeManager::init(int appStrategy, bool setMinimumSize, bool setMaximumSize,
                           QSize designedClient) {
    winsupport::WindowShape shape;
    shape.client = Rect{0, 0, designedClient.width(), designedClient.height()};
    auto result = core_.init(appStrategy, setMinimumSize, setMaximumSize, shape, infos());
    if (window_) {
        if (result.minimumSize)
            window_->setMinimumSize(units_.x(result.minimumSize->width),
                                    units_.y(result.minimumSize->height));
        if (result.maximumSize)
            window_->setMaximumSize(units_.x(result.maximumSize->width),
                                    units_.y(result.maximumSize->height));
        window_->installEventFilter(this);
    }
    active_ = true;
}

void QtResizeManager::setStrategy(ControlId id, std::uint16_t positional, std::uint16_t resize) {
    core_.setStrategy(id, positional, resize);
}

void QtResizeManager::kill() {
    if (!active_)
        return;
    active_ = false;
    if (window_)
        window_->removeEventFilter(this);
    core_.kill();
}

QRect QtResizeManager::currentUnits(ControlId id) const {
    return toQRect(core_.getCurrentPos(id));
}

void QtResizeManager::takeResize() {
    if (!active_ || !window_)
        return;
    const QSize size = window_->size();
    apply(core_.resize(units_.unitsX(size.width()), units_.unitsY(size.height())));
}

void QtResizeManager::apply(const std::vector<winsupport::Move>& moves) {
    for (const auto& move : moves) {
        auto it = controls_.find(move.controlId);
        if (it == controls_.end() || !it->second.widget)
            continue;
        const Rect& r = move.after;
        it->second.widget->setGeometry(units_.rect(r.x, r.y, r.width, r.height));
    }
}

bool QtResizeManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Resize)
        takeResize();
    return QObject::eventFilter(watched, event);
}

} // namespace rowbit::ui
