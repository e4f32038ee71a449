// The "解析" tab's page for single-point thickness records (survey methods
// 10 and 11): interpret::Thickness on the record as the window holds it,
// with the band ("频段 Hz", 0 to 0 for the default), the velocity V0
// (the header's "已知速度V0" at first) and the traces ("道", as 1,3,5-8;
// empty for all) the operator sets. The summed spectrum on a frequency axis
// the mouse zooms and pans (TSpectrumView), the band shaded and the peak
// marked; under it the result (peak, its height over the band's median
// against Av, e, V0, the thickness, flagged outside the header's h1..h2)
// and the header's own spectral settings, shown only. A failure of the
// interpretation is the page's note; the spectrum still shows where there
// is one (without a velocity its peak too). The numbers are interpret/'s.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "interpret/interpret.h"
#include "viewer/spectrum_painter.h"
#include "viewer/window/interpretation_tab.h"
#include "viewer/window/side_panels.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace gt7p {

class TThicknessPage;

// The page's spectrum.
class TThicknessPlot : public TSpectrumView {
  Q_OBJECT
 public:
  explicit TThicknessPlot(TThicknessPage* page);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TThicknessPage* page_;
};

class TThicknessPage : public TMethodPage {
  Q_OBJECT
 public:
  explicit TThicknessPage(TfrmView* view);
  bool Takes(int method) const override;
  void Refresh(const TfrmView& view, unsigned changes) override;
  void PaintPage(QPainter& painter, const QRect& rect) const override;

  QDoubleSpinBox* spnBandLo;  // Hz; both 0: the default band
  QDoubleSpinBox* spnBandHi;
  QDoubleSpinBox* spnVelocity;  // m/s
  QLineEdit* edtTraces;         // "道": empty for all
  QCheckBox* chkLogarithmic;    // "对数频率轴"
  TThicknessPlot* pnlPlot;
  QLabel* lblResult;  // the result lines, or the note saying why there is none
  QLabel* lblHeader;  // the header's settings, "仅供参考"

  // The last interpretation; none where it failed (note() says why).
  const std::optional<interpret::ThicknessResult>& result() const { return result_; }
  const QString& note() const { return note_; }
  // The figure of the page's spectrum.
  view::SpectrumFigure Figure() const;
  QStringList ResultLines() const;
  QString HeaderLine() const;

 private:
  void Compute();
  static QString PeakText(const interpret::ThicknessResult& r);

  interpret::MethodRecord record_;
  // The spectra summed for the traces of `summedFor_`: a new band or
  // velocity sums them no more.
  std::optional<interpret::SummedSpectrum> summed_;
  std::vector<int32_t> summedFor_;
  std::optional<interpret::ThicknessResult> result_, shown_;
  QString note_;
  bool filling_ = false;  // the controls set from a new record
};

}  // namespace gt7p
