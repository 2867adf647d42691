#include "browse/ui/busy_notice.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace rowbit::ui {

namespace {

constexpr int kReadingShare = 70;
const char* const kObjectName = "busyNotice";

double clamped(double fraction) {
    return std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
}

} // namespace

int openingPercent(ProgressStage stage, double fraction) {
    const double f = clamped(fraction);
    if (stage == ProgressStage::Reading)
        return static_cast<int>(std::floor(f * kReadingShare));
    return kReadingShare + static_cast<int>(std::floor(f * (100 - kReadingShare)));
}

int fillingPercent(ProgressStage, double fraction) {
    return static_cast<int>(std::floor(clamped(fraction) * 100));
}

BusyNotice::BusyNotice(QWidget& window, const QWidget& over, Prompts& inner, Percent percent,
                       std::function<void()> aside)
    : window_(window), over_(over), inner_(inner), percentOf_(percent), aside_(std::move(aside)) {
    show(true);
}

BusyNotice::~BusyNotice() {
    show(false);
}

bool BusyNotice::shownIn(const QWidget& window) {
    return window.findChild<QFrame*>(QLatin1String(kObjectName), Qt::FindDirectChildrenOnly) !=
           nullptr;
}

void BusyNotice::finish() {
    // The list is filled whether or not its filling said so (a new or empty workbook has
    // nothing to report): the bar ends full.
    progress(ProgressStage::Listing, 1.0);
    show(false);
}

void BusyNotice::progress(ProgressStage stage, double fraction) {
    showPercent(percentOf_(stage, fraction));
    inner_.progress(stage, fraction);
}

void BusyNotice::show(bool shown) {
    if (shown == (frame_ != nullptr))
        return;
    if (!shown) {
        QApplication::restoreOverrideCursor();
        delete frame_;
        frame_ = nullptr;
        bar_ = nullptr;
        return;
    }
    // A large workbook takes seconds to read: say so, and paint it before the work starts.
    frame_ = new QFrame(&window_);
    frame_->setObjectName(QLatin1String(kObjectName));
    frame_->setAutoFillBackground(true);
    frame_->setFrameShape(QFrame::Box);
    auto* label = new QLabel(QString::fromUtf8("파일을 여는 중입니다..."), frame_);
    label->setAlignment(Qt::AlignCenter);
    bar_ = new QProgressBar(frame_);
    bar_->setRange(0, 100);
    bar_->setValue(percent_);
    auto* layout = new QVBoxLayout(frame_);
    layout->addWidget(label);
    layout->addWidget(bar_);
    const QSize size(window_.width() / 3,
                     std::max(window_.height() / 6, layout->sizeHint().height()));
    frame_->setGeometry(
        QRect(over_.geometry().center() - QPoint(size.width() / 2, size.height() / 2), size));
    frame_->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (window_.isVisible())
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BusyNotice::showPercent(int percent) {
    // Widgets belong to their thread; a report from any other is not for the screen.
    if (!bar_ || QThread::currentThread() != window_.thread())
        return;
    if (percent <= percent_)
        return;
    // Painting is the only cost of progress: a few frames a second are enough to see it move,
    // but the full bar is always shown.
    if (percent < 100 && shownAt_.isValid() && shownAt_.elapsed() < 50)
        return;
    percent_ = percent;
    bar_->setValue(percent);
    shownAt_.start();
    // Paint, but leave clicks and keys queued until the work is done.
    if (window_.isVisible())
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace rowbit::ui
