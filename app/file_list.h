// The file list `lvw`: a report-style view over a table model of rows that
// hold code page 936 texts, with the column fitting, sorting and keys of the
// main window's list.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QTreeView>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "workflow/workflow.h"

namespace gt7p {

class FileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FileListModel(QObject* parent = nullptr);

  // Rows and columns made by a listing are staged and become visible at
  // Commit(), so the view never sees a half-built row.
  void Clear();
  void AddColumn(const std::string& caption);
  void AddRow(const std::string& caption, int imageIndex);
  void AppendSubItem(const std::string& text);
  void Commit();

  void SetMeasure(std::function<int(const std::string&)> measure) { measure_ = std::move(measure); }
  void SetImages(std::vector<QIcon> images) { images_ = std::move(images); }

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const ListRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
  // The row's present position, or -1 when it is gone.
  int RowOf(RowId id) const;
  std::vector<RowId> RowIds() const;
  const ListColumn& ColumnAt(int column) const { return columns_[static_cast<size_t>(column)]; }
  int WidestCell(int column) const { return widest_[static_cast<size_t>(column)]; }
  // The columns' captions and Tags, for the sort state to change; then
  // CaptionsChanged for those whose captions it changed.
  std::vector<ListColumn>& Columns() { return columns_; }
  void CaptionsChanged(const std::vector<int>& columns);
  void SetSubItem(int row, size_t subItem, const std::string& text);

  // Sorts with lvwCompare, keeping selections with their rows.
  void Sort(int column, int tag, bool numeric);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void Measure(size_t column, const std::string& text, std::vector<int>& widest);
  std::vector<ListColumn> columns_, stagedColumns_;
  std::vector<int> widest_, stagedWidest_;  // widest cell text in pixels, kept as rows arrive
  std::vector<ListRow> rows_, stagedRows_;
  RowId nextId_ = 1;
  bool staging_ = false;
  std::function<int(const std::string&)> measure_;
  std::vector<QIcon> images_;
};

class FileListView : public QTreeView {
  Q_OBJECT
 public:
  explicit FileListView(QWidget* parent = nullptr);
  // Fits every column as the report view's "size to caption or widest
  // cell" rule does; the last column fills the remaining width.
  void FitColumns();
  void FitColumn(int column);
  FileListModel* listModel() const { return model_; }
  // The word the list area shows while the list has no row ("" none).
  void SetEmptyText(const QString& text);
  const QString& EmptyText() const { return emptyText_; }

 signals:
  void backspaceReleased();
  void resized();

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int CellPadding() const;
  FileListModel* model_;
  std::unordered_map<std::string, int> measured_;
  QFont measuredFont_;
  QString emptyText_;
};

}  // namespace gt7p
