// The "解析" tab beside the section: the record's first breaks (the
// operator's picks the window holds, else the record's own t0 points, else
// the automatic picker's) against distance, coloured by layer, with the segments
// the interpretation fitted to them; the layer table, ours beside the
// instrument's own "第N层厚度/速度/倾角" from the header; the layer count
// ("自动" or 2 to 5).
//
// The operator chooses a point's layer: a click selects the point nearest
// the cursor, then the keys 1 to 5 or the context menu put it on a layer
// and 0 or Delete gives it back to the fit. A break point between two
// segments (the handles under the plot) is dragged along the distance: the
// points of both layers nearer the source than it go to the upper one.
// The choices are the window's (TfrmView::SetLayerChoices): steps of the
// same history as the edits of the first breaks, so that Ctrl+Z and Ctrl+Y
// take back and do again the last edit of either kind; kept in
// NAME.layers.csv beside the record (viewer/layer_assignment.h), written
// at each change and read on open.
//
// For a loosened-zone record (survey method 32) the labels say 松动圈: the
// zone's thickness into the rock from the wall, its velocity, the rock's
// and their ratio.
//
// A line ("打开测线…", TfrmView::OpenLine): the records of one folder with
// their geometry (interpret/geometry.h) interpreted together as gt7p-cli
// interpret --geometry does, the record shown one of them (its first
// breaks as the window holds them, the others' as gt7p-cli reads them).
// The layer choices of a line's records are kept in the line's file (its
// `layers` column), not beside the records.
// The plot then holds every shot's points, and a depth section under it
// shows the boundaries along the spread (interpret::DepthSection), the
// layers filled, each shot marked, depth downwards; the layer table is
// the shown record's. Opening a record not of the line leaves the line.
//
// All the numbers come from interpret/; this file only lays them out.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "interpret/interpret.h"
#include "viewer/layer_assignment.h"
#include "viewer/window/side_panels.h"

class QComboBox;
class QLabel;
class QPainter;
class QStackedWidget;
class QTableWidget;

namespace gt7p {

class TInterpretationTab;

// A page of the tab for a survey method besides refraction (thickness,
// reflection, two-point): shown instead of the refraction's plot and layer
// table while the record's "探测方法" is one the page takes. It is
// refreshed as the tab is, and draws the tab's picture and print then.
class TMethodPage : public QWidget, public TSideTab {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  // Whether the page interprets records of survey-method code `method`.
  virtual bool Takes(int method) const = 0;
  // The page drawn into `rect` (the tab's picture and prints).
  virtual void PaintPage(QPainter& painter, const QRect& rect) const = 0;
};

// The plot of the tab: distance across, time down.
class TInterpretationPlot : public QWidget {
  Q_OBJECT
 public:
  explicit TInterpretationPlot(TInterpretationTab* tab);
  // The plot drawn into `rect` (the tab's picture and prints too).
  void PaintPlot(QPainter& painter, const QRect& rect) const;
  // Widget pixels of a point (distance m, time ms) for the current size.
  QPointF PixelOf(double x, double timeMs) const;
  // The channel of the point nearest `at` within a few pixels, else 0.
  int32_t ChannelAt(const QPoint& at) const;
  // The break point under `at`: its branch and upper layer, if any.
  struct Handle {
    size_t branch = 0;
    int upper = 1;
  };
  std::optional<Handle> HandleAt(const QPoint& at) const;
  double DistanceAt(int x) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Axes {
    QRect area;
    double x0 = 0, x1 = 1, t1 = 1;
  };
  Axes AxesFor(const QRect& rect) const;
  TInterpretationTab* tab_;
  std::optional<Handle> dragging_;
  bool dragMoved_ = false;  // the drag's step begun
};

// The depth section of a line: distance across, depth down.
class TDepthSection : public QWidget {
  Q_OBJECT
 public:
  explicit TDepthSection(TInterpretationTab* tab);
  void PaintSection(QPainter& painter, const QRect& rect) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TInterpretationTab* tab_;
};

class TInterpretationTab : public QWidget, public TSideTab {
  Q_OBJECT
 public:
  explicit TInterpretationTab(TfrmView* view);
  void Refresh(const TfrmView& view, unsigned changes) override;

  QComboBox* cboLayers;  // "自动", "2 层" .. "5 层"
  TInterpretationPlot* pnlPlot;
  TDepthSection* pnlDepth;  // a line's only
  QTableWidget* tblLayers;
  QLabel* lblNotes;  // the loosened zone, the RMS, warnings, or why no model
  // "初至来源：" the operator's picks ("操作员拾取"), else the record's own
  // t0 points ("仪器解析点"), else the automatic picker over the traces as
  // shown within the time window ("自动拾取"): interpret::ShotOfRecord.
  QLabel* lblSource;

  // The last interpretation, none where no model could be made.
  const std::optional<interpret::Survey>& survey() const { return survey_; }
  // The shown record's shot; all the shots (of the line, else that one).
  const interpret::Shot& shot() const { return shots_.empty() ? none_ : shots_[shown_]; }
  const std::vector<interpret::Shot>& shots() const { return shots_; }
  size_t shown() const { return shown_; }
  const view::LayerAssignment& assignment() const { return assignment_; }
  bool loosenedZone() const { return shot().method == 32; }

  // A line of records (their folder's geometry file `file`, a row per
  // record); the window then shows one of them. Its other records' first
  // breaks and layer choices are read here; a failure shows in the notes.
  void SetLine(const std::filesystem::path& file, const std::vector<std::filesystem::path>& records,
               const std::vector<interpret::LineRow>& rows);
  bool lineMode() const { return !line_.records.empty(); }
  // The line's row of `record`, if it is one of the line's; its layer
  // choices written into the line's file (complete or not at all), Error
  // where that fails.
  const interpret::LineRow* LineRowOf(const std::filesystem::path& record) const;
  void SaveLineChoices(const std::filesystem::path& record, const std::map<int32_t, int>& chosen);
  // The colour layer k is filled with in the depth section.
  static QColor LayerFill(int layer);
  const std::filesystem::path& lineFile() const { return line_.file; }
  const std::vector<std::filesystem::path>& lineRecords() const { return line_.records; }

  // The point of a channel selected (0: none).
  void SelectChannel(int32_t channel);
  int32_t selected() const { return selected_; }
  // The selected point put on `layer` (0: given back to the fit).
  void AssignSelected(int layer);
  // A branch's break point below layer `upper` moved to `offsetM` from its
  // shot; `continuing` within the step of the drag so far; `save` writes
  // the file (at the end of a drag).
  void MoveBreak(size_t branch, int upper, double offsetM, bool continuing, bool save);
  void SaveChoices();

  // The method pages; the one shown for the record, none for refraction.
  void AddPage(TMethodPage* page);
  TMethodPage* page() const { return page_; }

  // The plot over the layer table (or the method page), as a picture or
  // onto a page.
  QImage Picture(const QSize& size) const;
  void PaintPage(QPainter& painter, const QRect& rect) const;

 private:
  void Interpret();
  void FillTable();
  void ShowLine();  // the depth section shown or hidden
  void ShowPage(QWidget* shown);  // a page of stkPages_

  struct Line {
    std::filesystem::path file;
    std::vector<std::filesystem::path> records;
    std::vector<interpret::LineRow> rows;
    std::vector<interpret::Shot> shots;             // as read; the shown one's replaced
    std::vector<std::map<int32_t, int>> assigned;  // the other records' choices
    QString failure;
  };

  TfrmView* view_;
  QStackedWidget* stkPages_;  // the refraction's page first, then the methods'
  std::vector<TMethodPage*> pages_;
  TMethodPage* page_ = nullptr;
  std::filesystem::path record_;
  QString layersError_;  // NAME.layers.csv could not be read
  Line line_;
  std::vector<interpret::Shot> shots_;
  size_t shown_ = 0;
  interpret::Shot none_;
  view::LayerAssignment assignment_;
  std::optional<interpret::Survey> survey_;
  QString failure_;
  int32_t selected_ = 0;
};

}  // namespace gt7p
