// The "解析" tab beside the section: the record's first breaks (the picks
// the window holds) against distance, coloured by layer, with the segments
// the interpretation fitted to them; the layer table, ours beside the
// instrument's own "第N层厚度/速度/倾角" from the header; the layer count
// ("自动" or 2 to 5).
//
// The operator chooses a point's layer: a click selects the point nearest
// the cursor, then the keys 1 to 5 or the context menu put it on a layer
// and 0 or Delete gives it back to the fit. A break point between two
// segments (the handles under the plot) is dragged along the distance: the
// points of both layers nearer the source than it go to the upper one.
// The choices live in NAME.layers.csv beside the record
// (viewer/layer_assignment.h), written at each change and read on open.
//
// For a loosened-zone record (survey method 32) the labels say 松动圈: the
// zone's thickness into the rock from the wall, its velocity, the rock's
// and their ratio.
//
// All the numbers come from interpret/; this file only lays them out.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "interpret/interpret.h"
#include "viewer/layer_assignment.h"
#include "viewer/window/side_panels.h"

class QComboBox;
class QLabel;
class QPainter;
class QTableWidget;

namespace gt7p {

class TInterpretationTab;

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
};

class TInterpretationTab : public QWidget, public TSideTab {
  Q_OBJECT
 public:
  explicit TInterpretationTab(QWidget* parent = nullptr);
  void Refresh(const TfrmView& view, unsigned changes) override;

  QComboBox* cboLayers;  // "自动", "2 层" .. "5 层"
  TInterpretationPlot* pnlPlot;
  QTableWidget* tblLayers;
  QLabel* lblNotes;  // the loosened zone, the RMS, warnings, or why no model

  // The last interpretation, none where no model could be made.
  const std::optional<interpret::Survey>& survey() const { return survey_; }
  const interpret::Shot& shot() const { return shot_; }
  const view::LayerAssignment& assignment() const { return assignment_; }
  bool loosenedZone() const { return shot_.method == 32; }

  // The point of a channel selected (0: none).
  void SelectChannel(int32_t channel);
  int32_t selected() const { return selected_; }
  // The selected point put on `layer` (0: given back to the fit).
  void AssignSelected(int layer);
  // A branch's break point below layer `upper` moved to `offsetM` from its
  // shot; `save` writes the file (at the end of a drag).
  void MoveBreak(size_t branch, int upper, double offsetM, bool save);
  void SaveChoices();

  // The plot over the layer table, as a picture or onto a page.
  QImage Picture(const QSize& size) const;
  void PaintPage(QPainter& painter, const QRect& rect) const;

 private:
  void Interpret();
  void FillTable();

  std::filesystem::path record_;
  interpret::Shot shot_;
  view::LayerAssignment assignment_;
  std::optional<interpret::Survey> survey_;
  QString failure_;
  int32_t selected_ = 0;
};

}  // namespace gt7p
