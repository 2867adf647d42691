#include "report/ui/progress_window.h"

#include "app/ui/dialog_units.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace rowbit::ui {

ProgressWindow::ProgressWindow(report::ListReport& report, QWidget* parent)
    : QDialog(parent), report_(report) {
    setWindowTitle(QString::fromUtf8("인쇄 중..."));
    QFont font(QString::fromUtf8("굴림체"));
    font.setPointSize(10);
    setFont(font);
    const DialogUnits units(font);
    setFixedSize(units.x(154), units.y(60));

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setGeometry(units.rect(10, 16, 134, 10));
    auto* message = new QLabel(this);
    message->setObjectName(QStringLiteral("messageLabel"));
    message->setGeometry(units.rect(0, 4, 154, 10));
    pctText_ = new QLabel(this);
    pctText_->setObjectName(QStringLiteral("percentLabel"));
    pctText_->setAlignment(Qt::AlignCenter);
    pctText_->setGeometry(units.rect(0, 29, 154, 10));
    cancel_ = new QPushButton(QString::fromUtf8("취소"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setGeometry(units.rect(52, 41, 50, 15));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // Each tick lays out one batch (a few milliseconds); the events between ticks keep the
    // window painted and Cancel answered.
    timer_ = new QTimer(this);
    timer_->setInterval(0);
    connect(timer_, &QTimer::timeout, this, &ProgressWindow::tick);
    timer_->start();
}

void ProgressWindow::tick() {
    const bool done = report_.tick(progress_);
    bar_->setValue(progress_.thermometer);
    pctText_->setText(QString::fromStdString(progress_.text));
    if (done) {
        timer_->stop();
        accept();
    }
}

bool ProgressWindow::run(report::ListReport& report, QWidget* parent) {
    ProgressWindow window(report, parent);
    return window.exec() == QDialog::Accepted;
}

} // namespace rowbit::ui
