#include "app/file_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "ui/ui.h"

namespace gt7p {

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void FileListModel::Clear() {
  beginResetModel();
  rows_.clear();
  columns_.clear();
  widest_.clear();
  endResetModel();
  stagedRows_.clear();
  stagedColumns_.clear();
  stagedWidest_.clear();
  staging_ = true;
}

void FileListModel::Measure(size_t column, const std::string& text, std::vector<int>& widest) {
  if (!measure_ || column >= widest.size()) return;
  widest[column] = std::max(widest[column], measure_(text));
}

void FileListModel::AddColumn(const std::string& caption) {
  stagedColumns_.push_back(ListColumn{caption, 0});
  stagedWidest_.push_back(0);
}

void FileListModel::AddRow(const std::string& caption, int imageIndex) {
  stagedRows_.push_back(ListRow{caption, {}, imageIndex, nextId_++});
  Measure(0, caption, stagedWidest_);
}

void FileListModel::AppendSubItem(const std::string& text) {
  if (stagedRows_.empty()) return;
  ListRow& row = stagedRows_.back();
  row.subItems.push_back(text);
  Measure(row.subItems.size(), text, stagedWidest_);
}

void FileListModel::Commit() {
  if (!staging_) return;
  // The reset can resize the view, whose handler fits (and commits) again.
  staging_ = false;
  beginResetModel();
  rows_ = std::move(stagedRows_);
  columns_ = std::move(stagedColumns_);
  widest_ = std::move(stagedWidest_);
  stagedRows_.clear();
  stagedColumns_.clear();
  stagedWidest_.clear();
  endResetModel();
}

int FileListModel::RowOf(RowId id) const {
  for (size_t r = 0; r < rows_.size(); ++r)
    if (rows_[r].id == id) return static_cast<int>(r);
  return -1;
}

std::vector<RowId> FileListModel::RowIds() const {
  std::vector<RowId> ids;
  ids.reserve(rows_.size());
  for (const ListRow& row : rows_) ids.push_back(row.id);
  return ids;
}

void FileListModel::CaptionsChanged(const std::vector<int>& columns) {
  for (int column : columns) emit headerDataChanged(Qt::Horizontal, column, column);
}

void FileListModel::SetSubItem(int row, size_t subItem, const std::string& text) {
  ListRow& r = rows_[static_cast<size_t>(row)];
  if (subItem >= r.subItems.size()) return;
  r.subItems[subItem] = text;
  int column = static_cast<int>(subItem) + 1;
  Measure(static_cast<size_t>(column), text, widest_);
  emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

void FileListModel::Sort(int column, int tag, bool numeric) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<size_t> order = SortOrder(rows_, column, tag, numeric);
  std::vector<ListRow> sorted;
  sorted.reserve(rows_.size());
  std::vector<int> newRowOf(rows_.size());
  for (size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(rows_[order[i]]));
    newRowOf[order[i]] = static_cast<int>(i);
  }
  rows_ = std::move(sorted);
  QModelIndexList from = persistentIndexList(), to;
  for (const QModelIndex& i : from) to.append(index(newRowOf[static_cast<size_t>(i.row())], i.column()));
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int FileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount(); }

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount(); }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= RowCount()) return {};
  const ListRow& row = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    if (index.column() == 0) return FromCore(row.caption);
    size_t k = static_cast<size_t>(index.column() - 1);
    return k < row.subItems.size() ? FromCore(row.subItems[k]) : QString();
  }
  if (role == Qt::DecorationRole && index.column() == 0 && row.imageIndex >= 0 &&
      static_cast<size_t>(row.imageIndex) < images_.size())
    return images_[static_cast<size_t>(row.imageIndex)];
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount()) return {};
  return FromCore(columns_[static_cast<size_t>(section)].caption);
}

FileListView::FileListView(QWidget* parent) : QTreeView(parent), model_(new FileListModel(this)) {
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setIconSize(QSize(16, 16));
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Widths are measured as rows arrive; many cells repeat (units, labels,
  // counts), so each distinct text is measured once per font.
  model_->SetMeasure([this](const std::string& text) {
    if (measuredFont_ != font() || measured_.size() > 200000) {
      measured_.clear();
      measuredFont_ = font();
    }
    auto it = measured_.find(text);
    if (it != measured_.end()) return it->second;
    int width = fontMetrics().horizontalAdvance(FromCore(text));
    measured_.emplace(text, width);
    return width;
  });
}

int FileListView::CellPadding() const {
  return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 6;
}

void FileListView::FitColumns() {
  model_->Commit();
  for (int c = 0; c < model_->ColumnCount(); ++c) FitColumn(c);
}

void FileListView::FitColumn(int c) {
  const int columns = model_->ColumnCount();
  if (c < 0 || c >= columns) return;
  const int headerMargin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header()) + 6;
  const QString caption = model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  int cell = model_->WidestCell(c) + CellPadding();
  if (c == 0) cell += iconSize().width() + 4;
  int width = std::max(QFontMetrics(header()->font()).horizontalAdvance(caption) + headerMargin, cell);
  if (c == columns - 1) {
    int used = 0;
    for (int i = 0; i < c; ++i) used += header()->sectionSize(i);
    width = std::max(width, viewport()->width() - used);
  }
  header()->resizeSection(c, width);
}

void FileListView::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Backspace && !event->isAutoRepeat()) emit backspaceReleased();
  QTreeView::keyReleaseEvent(event);
}

void FileListView::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  emit resized();
}

void FileListView::SetEmptyText(const QString& text) {
  emptyText_ = text;
  viewport()->update();
}

void FileListView::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (emptyText_.isEmpty() || model_->RowCount() > 0) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   emptyText_);
}

}  // namespace gt7p
