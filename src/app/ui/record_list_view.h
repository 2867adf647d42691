#pragma once
// One list view for every list of records, configured by its columns: widths, justification
// and indent, borders, headers and pictures. The model is virtual: it
// asks its source for a line's field only when the line is painted, so a million records
// scroll as fast as ten.

#include "app/list_format.h"
#include "app/ui/dialog_units.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace rowbit::ui {

// Where the lines come from: how many there are and the text of a field (1-based) of a line
// (0-based).
struct LineSource {
    std::function<std::size_t()> count;
    std::function<std::string(std::size_t line, int field)> field;
};

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordListModel(QObject* parent = nullptr);

    void setColumns(std::vector<browse::ListColumn> columns);
    void setSource(LineSource source);
    const std::vector<browse::ListColumn>& columns() const { return columns_; }
    // The lines changed in number or content: the views ask again.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<browse::ListColumn> columns_;
    LineSource source_;
    std::size_t rows_ = 0;
};

class RecordListView : public QTreeView {
    Q_OBJECT
public:
    explicit RecordListView(QWidget* parent = nullptr);

    void setColumns(std::vector<browse::ListColumn> columns);
    void setSource(LineSource source);
    // The lines changed in number or content; the selected line stays selected while it is
    // there.
    void reload();
    // The column (1-based) the lines are sorted by shows the sort indicator in its header; 0
    // shows none.
    void setSortColumn(int column);
    // Row height in dialog units (the lists use 12).
    void setRowHeightUnits(int units);
    void setUnits(const DialogUnits& units);
    const DialogUnits& units() const { return units_; }

    RecordListModel* recordModel() const { return model_; }
    // The selected line, 1-based; 0 when none.
    std::size_t selectedLine() const;
    // Selects line `line` (1-based) and scrolls to it; 0 clears the selection.
    void selectLine(std::size_t line);
    // Present on-screen width of a column (0-based) in dialog units.
    int columnWidthUnits(int column) const;
    int rowHeightPixels() const { return rowHeight_; }

signals:
    // A left click on a column header (1-based column).
    void headerClicked(int column);
    // A left double click on a line.
    void lineActivated();
    // Enter in the list.
    void enterPressed();
    // A right click (the line under the mouse is selected first).
    void contextRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void applyWidths();

    RecordListModel* model_;
    DialogUnits units_;
    int rowHeight_ = 18;
};

} // namespace rowbit::ui
