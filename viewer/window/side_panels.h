// The tabs beside the section in the viewer window: the header fields
// ("道头"), the amplitude spectrum of the marked trace ("频谱"), and the
// travel-time curve of the first breaks ("时距曲线", distance across, time
// down, as refraction work reads it).
//
// Every tab is a TSideTab: the window tells each what changed, and the
// tab reads what it shows from the window (frm_view.h). A new tab is one
// more class of this kind, given to TfrmView::AddSideTab.
#pragma once

#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QTableWidget>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

#include "viewer/first_breaks.h"
#include "viewer/spectrum_axis.h"

namespace gt7p {

class TfrmView;

// Clears a panel's (or a picture's) `rect` to white and sets the panels'
// font; that font's metrics.
QFontMetrics BeginPanel(QPainter& painter, const QRect& rect);

class TSideTab {
 public:
  // What changed, as bits: another record, the marked trace, the display
  // processing, the first breaks, the time window, the layer choices of
  // the "解析" tab.
  enum Change : unsigned {
    kRecord = 1,
    kMarked = 2,
    kProcessing = 4,
    kPicks = 8,
    kTimeWindow = 16,
    kLayers = 32,
    kAll = 63
  };
  virtual ~TSideTab() = default;
  virtual void Refresh(const TfrmView& view, unsigned changes) = 0;
};

// The file header's fields, then the marked trace's channel header.
class THeaderTable : public QTableWidget, public TSideTab {
  Q_OBJECT
 public:
  explicit THeaderTable(QWidget* parent = nullptr);
  void Refresh(const TfrmView& view, unsigned changes) override;
};

// A spectrum plot the mouse moves about: the wheel zooms about the cursor,
// a drag pans, a double click shows the whole range again; the context
// menu switches the frequency axis to logarithmic ("对数频率轴"). What it
// draws is its subclass's.
class TSpectrumView : public QWidget {
  Q_OBJECT
 public:
  explicit TSpectrumView(QWidget* parent = nullptr);
  view::SpectrumAxis& axis() { return axis_; }
  const view::SpectrumAxis& axis() const { return axis_; }
  // The plot's box in the widget.
  QRectF Area() const;
  void SetLogarithmic(bool on);

 signals:
  void logarithmicChanged(bool on);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  view::SpectrumAxis axis_;
  std::optional<double> dragX_;  // the last position of a drag
};

// The marked trace's amplitude spectrum, the strongest peak within the
// shown range marked with its frequency.
class TSpectrumPanel : public TSpectrumView, public TSideTab {
  Q_OBJECT
 public:
  explicit TSpectrumPanel(QWidget* parent = nullptr);
  void Refresh(const TfrmView& view, unsigned changes) override;
  // The record's spectrum, and the displayed one when processing changes
  // it (else empty); the band-pass corners to mark (0: none).
  void SetSpectra(const QString& title, std::vector<double> recorded, std::vector<double> displayed, double binHz,
                  double lowCutHz, double highCutHz);
  void Clear();
  const std::vector<double>& recorded() const { return recorded_; }
  // The peak marked (of the displayed spectrum where there is one), if any.
  std::optional<double> peakHz() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  std::vector<double> recorded_, displayed_;
  double binHz_ = 0, lowCutHz_ = 0, highCutHz_ = 0;
};

class TTravelTimePanel : public QWidget, public TSideTab {
  Q_OBJECT
 public:
  explicit TTravelTimePanel(QWidget* parent = nullptr);
  void Refresh(const TfrmView& view, unsigned changes) override;
  // (distance m, time ms) of the operator's first breaks and of the
  // instrument's t0.
  void SetPoints(std::vector<std::pair<double, double>> picks, std::vector<std::pair<double, double>> instrument);
  // The fitted line of the picks, if any, and its apparent velocity.
  const std::optional<view::TravelTimeLine>& line() const { return line_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<std::pair<double, double>> picks_, instrument_;
  std::optional<view::TravelTimeLine> line_;
};

}  // namespace gt7p
