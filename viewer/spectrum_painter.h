// The amplitude spectrum drawn with QPainter: the "频谱" tab, the thickness
// page of the "解析" tab and the survey report draw it with the same code.
// Amplitudes in dB below the strongest within the shown range (down to
// -60 dB), frequency across on a view::SpectrumAxis; a band shaded, the
// peak marked by a triangle with its frequency beside it.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

#include "viewer/spectrum_axis.h"

namespace gt7p {
namespace view {

struct SpectrumFigure {
  QString title;                  // above the plot
  std::vector<double> spectrum;   // amplitudes from 0 Hz, binHz apart
  std::vector<double> behind;     // drawn grey behind it (the recorded beside the processed), or empty
  double binHz = 0;
  std::vector<double> marksHz;    // dashed lines (the band-pass corners)
  double bandLoHz = 0, bandHiHz = 0;  // shaded where hi > lo
  std::optional<double> peakHz;   // marked with its frequency
};

// "峰值 1234.5 Hz".
QString PeakText(double hz);

// The axis' limits for a spectrum: its first bin above 0 Hz to the last.
void SetAxisLimits(SpectrumAxis& axis, const std::vector<double>& spectrum, double binHz);

// The strongest peak within the shown range, refined between bins as the
// thickness refines its peak (interpret/methods.h); none where the range
// holds no local maximum.
std::optional<double> ShownPeakHz(const std::vector<double>& spectrum, double binHz, const SpectrumAxis& axis);

// The plot's box within `rect` for text of `font` on `device` (the
// screen where none; mouse positions map to the axis through it).
QRectF SpectrumArea(const QRectF& rect, const QFont& font, const QPaintDevice* device = nullptr);

// The figure drawn into `rect` in `font`: title, ticks and their values,
// the box, the band, the curves and the peak. Lines are `line` units wide
// (a pixel on the screen, a fraction of a point on a page).
void PaintSpectrum(QPainter& painter, const QRectF& rect, const SpectrumFigure& figure, const SpectrumAxis& axis,
                   const QFont& font, double line = 1);

}  // namespace view
}  // namespace gt7p
