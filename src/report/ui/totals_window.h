#pragma once
// The totals window. One line per statistic (sum, count, average, a blank line, the
// count and average without zeros), one column per number column, sized by the number of
// number columns.

#include "app/prompts.h"
#include "document/document.h"
#include "report/totals.h"

#include <QDialog>

class QPushButton;

namespace rowbit::ui {

class RecordListView;

class TotalsWindow : public QDialog {
    Q_OBJECT
public:
    TotalsWindow(const ColumnSetup& columns, Totals totals, const QFont& font,
                 QWidget* parent = nullptr);

    // The Totals command: adds up the records and shows the window, or tells the user that there is
    // no number column and shows nothing.
    static void run(const Document& doc, Prompts& prompts, QWidget* parent);

    RecordListView* list() const { return list_; }
    QPushButton* closeButton() const { return close_; }

private:
    Totals totals_;
    RecordListView* list_;
    QPushButton* close_;
};

} // namespace rowbit::ui
