#pragma once
// The workbook preview: the top left corner of a workbook without settings (rows 1 to 10,
// columns A to J), in which the user picks the title row.

#include "document/preview.h"

#include <QDialog>

#include <optional>
#include <vector>

class QLabel;
class QPushButton;

namespace rowbit::ui {

class RecordListView;

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    // `rows` are the preview rows; `preselected` the 1-based line selected at the start (0:
    // none). `font` is the window font (designed Arial).
    PreviewWindow(const std::vector<PreviewRow>& rows, int preselected, const QFont& font,
                  QWidget* parent = nullptr);

    // The chosen title row (the sheet row number of the selected line), nullopt when
    // cancelled or when no line was selected.
    std::optional<int> chosenRow() const { return chosen_; }

    RecordListView* list() const { return list_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Runs the window modally: the TitleRowChooser seam of loading.
    static std::optional<int> run(const std::vector<PreviewRow>& rows, int preselected,
                                  QWidget* parent);

private:
    void takeSelection();

    std::vector<PreviewRow> rows_;
    RecordListView* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::optional<int> chosen_;
};

} // namespace rowbit::ui
