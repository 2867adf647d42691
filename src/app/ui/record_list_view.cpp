#include "app/ui/record_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>

#include <algorithm>

namespace rowbit::ui {

namespace {

Qt::Alignment alignmentOf(Justification justify) {
    switch (justify) {
    case Justification::Center:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case Justification::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Justification::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// A row is one line high: a text of several lines (a memo) shows its first line, and a mark
// where more follows.
QString firstLineShown(QString text) {
    const auto stop = std::find_if(text.cbegin(), text.cend(), [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r');
    });
    if (stop == text.cend())
        return text;
    const qsizetype end = stop - text.cbegin();
    const bool more = !text.mid(end).trimmed().isEmpty();
    text.truncate(end);
    if (more)
        text += QChar(0x2026); // …
    return text;
}

constexpr int kIndentRole = Qt::UserRole + 1;
constexpr int kBorderRole = Qt::UserRole + 2;
constexpr int kUnderlineRole = Qt::UserRole + 3;

// Paints a cell as the list format says: the text with its justification and indent, and the
// column's lines (right border, line under the cell).
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(RecordListView* view) : QStyledItemDelegate(view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

        const int indent = view_->units().x(index.data(kIndentRole).toInt());
        Qt::Alignment align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        QRect r = option.rect.adjusted(1, 0, -1, 0);
        if (align & Qt::AlignRight)
            r.setRight(r.right() - indent);
        else if (align & Qt::AlignHCenter)
            r.translate(indent, 0);
        else
            r.setLeft(r.left() + indent);
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        // A text that does not fit shows its start and an ellipsis: cut at the left, a number
        // would read as a smaller one.
        QString shown = text;
        if (option.fontMetrics.horizontalAdvance(text) > r.width()) {
            shown = option.fontMetrics.elidedText(text, Qt::ElideRight, r.width());
            align = (align & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
        }
        painter->drawText(r, int(align) | Qt::TextSingleLine, shown);
        painter->setPen(option.palette.color(QPalette::Mid));
        if (index.data(kBorderRole).toBool())
            painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        if (index.data(kUnderlineRole).toBool())
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(view_->rowHeightPixels());
        return size;
    }

private:
    RecordListView* view_;
};

// A column title wider than its column keeps its start and ends in "..." instead of being cut
// at both ends around the centre.
class HeaderStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
        if (element == CE_HeaderLabel && header) {
            QStyleOptionHeader fitted(*header);
            const int room = std::max(0, header->rect.width() - 6);
            if (header->fontMetrics.horizontalAdvance(header->text) > room) {
                fitted.text = header->fontMetrics.elidedText(header->text, Qt::ElideRight, room);
                fitted.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
            }
            QProxyStyle::drawControl(element, &fitted, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

RecordListModel::RecordListModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordListModel::setColumns(std::vector<browse::ListColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    rows_ = source_.count ? source_.count() : 0;
    endResetModel();
}

void RecordListModel::setSource(LineSource source) {
    beginResetModel();
    source_ = std::move(source);
    rows_ = source_.count ? source_.count() : 0;
    endResetModel();
}

void RecordListModel::reload() {
    beginResetModel();
    rows_ = source_.count ? source_.count() : 0;
    endResetModel();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<std::size_t>(rows_, INT_MAX));
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= static_cast<int>(columns_.size()))
        return {};
    const auto& col = columns_[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole: {
        if (!source_.field || static_cast<std::size_t>(index.row()) >= rows_)
            return {};
        const std::string text = source_.field(static_cast<std::size_t>(index.row()), col.field);
        return firstLineShown(QString::fromStdString(browse::applyColumnPicture(col, text)));
    }
    case Qt::TextAlignmentRole:
        return int(alignmentOf(col.justify));
    case kIndentRole:
        return col.indent;
    case kBorderRole:
        return col.rightBorder;
    case kUnderlineRole:
        return col.underline;
    default:
        return {};
    }
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return {};
    const auto& col = columns_[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return col.hasHeader ? QString::fromStdString(col.header) : QString();
    if (role == Qt::TextAlignmentRole)
        return int(alignmentOf(col.headerJustify));
    return {};
}

RecordListView::RecordListView(QWidget* parent)
    : QTreeView(parent), model_(new RecordListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new CellDelegate(this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setHighlightSections(false);
    auto* headerStyle = new HeaderStyle;
    headerStyle->setParent(header());
    header()->setStyle(headerStyle);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit headerClicked(section + 1); });
    setUnits(DialogUnits(font()));
}

void RecordListView::setColumns(std::vector<browse::ListColumn> columns) {
    model_->setColumns(std::move(columns));
    applyWidths();
}

void RecordListView::setSource(LineSource source) {
    model_->setSource(std::move(source));
}

void RecordListView::reload() {
    // The lines were asked for again, not replaced: the selected line and the scrolled place
    // stay as they were when the line is still there.
    const std::size_t selected = selectedLine();
    const int scrolled = verticalScrollBar()->value();
    model_->reload();
    if (selected != 0 && selected <= static_cast<std::size_t>(model_->rowCount())) {
        selectionModel()->setCurrentIndex(model_->index(static_cast<int>(selected - 1), 0),
                                          QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
        verticalScrollBar()->setValue(scrolled);
    }
}

void RecordListView::setSortColumn(int column) {
    header()->setSortIndicatorShown(column > 0);
    header()->setSortIndicator(column > 0 ? column - 1 : -1, Qt::AscendingOrder);
}

void RecordListView::setRowHeightUnits(int units) {
    rowHeight_ = std::max(1, units_.y(units));
    // Uniform heights are measured once from the first line: start over.
    model_->reload();
}

void RecordListView::setUnits(const DialogUnits& units) {
    units_ = units;
    applyWidths();
}

void RecordListView::applyWidths() {
    const auto& columns = model_->columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int section = static_cast<int>(i);
        header()->setSectionResizeMode(section, columns[i].resizable ? QHeaderView::Interactive
                                                                     : QHeaderView::Fixed);
        header()->resizeSection(section, units_.x(columns[i].width));
    }
}

std::size_t RecordListView::selectedLine() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return 0;
    return static_cast<std::size_t>(rows.first().row()) + 1;
}

void RecordListView::selectLine(std::size_t line) {
    if (line == 0 || line > static_cast<std::size_t>(model_->rowCount())) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model_->index(static_cast<int>(line - 1), 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

int RecordListView::columnWidthUnits(int column) const {
    return units_.unitsX(header()->sectionSize(column));
}

void RecordListView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        emit enterPressed();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void RecordListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // The first click of the pair already selected the line.
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            selectLine(static_cast<std::size_t>(index.row()) + 1);
        emit lineActivated();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void RecordListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            selectLine(static_cast<std::size_t>(index.row()) + 1);
        emit contextRequested();
        return;
    }
    QTreeView::mousePressEvent(event);
}

} // namespace rowbit::ui
