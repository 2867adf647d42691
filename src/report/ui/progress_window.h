#pragma once
// The progress window "인쇄 중...": its timer lays the report out a batch a tick, so that
// Cancel stays live while a long list is rendered.

#include "report/list_report.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace rowbit::ui {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProgressWindow(report::ListReport& report, QWidget* parent = nullptr);

    // Runs modally until every record is laid out (true) or the user cancels (false).
    static bool run(report::ListReport& report, QWidget* parent);

    QProgressBar* bar() const { return bar_; }
    QLabel* percentText() const { return pctText_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void tick();

    report::ListReport& report_;
    report::ReportProgress progress_;
    QProgressBar* bar_;
    QLabel* pctText_;
    QPushButton* cancel_;
    QTimer* timer_;
};

} // namespace rowbit::ui
