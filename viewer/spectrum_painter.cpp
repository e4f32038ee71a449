#include "viewer/spectrum_painter.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "interpret/interpret.h"
#include "ui/ui.h"

namespace gt7p {
namespace view {

namespace {

constexpr double kFloorDb = -60;

// A tick's value: as many decimals as its step needs.
QString TickText(double v, double step) {
  int decimals = 0;
  while (decimals < 6 && std::fabs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-6)
    ++decimals;
  // Steps of a thousand or more in kHz, all of them alike ("5k 10k 15k").
  if (step >= 1000 && std::fmod(v, 1000) == 0) return QString::number(v / 1000, 'f', 0) + Ui("k");
  return QString::number(v, 'f', decimals);
}

}  // namespace

QString PeakText(double hz) { return Ui("峰值 ") + QString::number(hz, 'f', 1) + Ui(" Hz"); }

void SetAxisLimits(SpectrumAxis& axis, const std::vector<double>& spectrum, double binHz) {
  if (spectrum.size() < 3 || !(binHz > 0)) return axis.SetLimits(0, 0);
  axis.SetLimits(binHz, binHz * static_cast<double>(spectrum.size() - 1));
}

std::optional<double> ShownPeakHz(const std::vector<double>& spectrum, double binHz, const SpectrumAxis& axis) {
  if (axis.empty() || spectrum.size() < 3 || !(binHz > 0)) return std::nullopt;
  const size_t lo = static_cast<size_t>(std::ceil(axis.lo() / binHz - 1e-9));
  const size_t hi = static_cast<size_t>(std::floor(axis.hi() / binHz + 1e-9));
  const size_t peak = interpret::StrongestPeakBin(spectrum, lo, hi);
  if (peak == 0 || !(spectrum[peak] > 0)) return std::nullopt;
  return interpret::RefinedPeakBin(spectrum, peak) * binHz;
}

QRectF SpectrumArea(const QRectF& rect, const QFont& font, const QPaintDevice* device) {
  const QFontMetricsF fm = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
  const double left = fm.horizontalAdvance(QStringLiteral("-60")) + 10, top = 2 * fm.lineSpacing() + 10;
  const double right = fm.horizontalAdvance(QStringLiteral("00000")) / 2 + 6;  // the last tick's label
  return QRectF(rect.left() + left, rect.top() + top, std::max(10.0, rect.width() - left - right),
                std::max(10.0, rect.height() - top - 2 * fm.lineSpacing() - 8));
}

void PaintSpectrum(QPainter& painter, const QRectF& rect, const SpectrumFigure& figure, const SpectrumAxis& axis,
                   const QFont& font, double line) {
  painter.save();
  painter.fillRect(rect, Qt::white);
  painter.setFont(font);
  const QFontMetricsF fm(font, painter.device());
  painter.setPen(Qt::black);
  painter.drawText(QPointF(rect.left() + 8, rect.top() + 4 + fm.ascent()), figure.title);
  const QRectF area = SpectrumArea(rect, font, painter.device());
  const auto& s = figure.spectrum;
  if (axis.empty() || s.size() < 3 || !(figure.binHz > 0)) {
    painter.drawRect(area);
    painter.restore();
    return;
  }
  auto x = [&](double hz) { return area.left() + axis.Fraction(hz) * area.width(); };
  auto y = [&](double db) { return area.top() + db / kFloorDb * area.height(); };
  // The strongest within the shown range stands at 0 dB.
  double top = 0;
  for (const auto* curve : {&s, &figure.behind})
    for (size_t k = 0; k < curve->size(); ++k) {
      const double hz = static_cast<double>(k) * figure.binHz;
      if (hz >= axis.lo() && hz <= axis.hi()) top = std::max(top, (*curve)[k]);
    }

  // The band under everything.
  if (figure.bandHiHz > figure.bandLoHz) {
    const double a = std::clamp(x(std::max(figure.bandLoHz, 1e-9)), area.left(), area.right());
    const double b = std::clamp(x(figure.bandHiHz), area.left(), area.right());
    if (b > a) painter.fillRect(QRectF(a, area.top(), b - a, area.height()), QColor(255, 236, 190));
  }
  // Ticks: frequency across, dB down.
  // Room for labels of four figures ("100k", "1500", "12.5"), rarely five.
  const int across = std::max(2, static_cast<int>(area.width() / (fm.horizontalAdvance(QStringLiteral("0000")) + 12)));
  const std::vector<double> ticks = axis.Ticks(across);
  const double step = ticks.size() >= 2 ? ticks[1] - ticks[0] : 1;
  for (double v : ticks) {
    const double p = x(v);
    painter.setPen(QPen(QColor(225, 225, 225), line));
    painter.drawLine(QPointF(p, area.top()), QPointF(p, area.bottom()));
    // On a logarithmic axis each label has its own step (1-2-5 ticks).
    const QString label = TickText(v, axis.logarithmic() ? std::pow(10.0, std::floor(std::log10(v) + 1e-9)) : step);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(p - fm.horizontalAdvance(label) / 2, area.bottom() + 4 + fm.ascent()), label);
  }
  const int down = std::max(2, static_cast<int>(area.height() / (2 * fm.lineSpacing())));
  const double dbStep = std::max(10.0, SpectrumAxis::LinearStep(kFloorDb, 0, down));
  for (double db = 0; db >= kFloorDb - 1e-9; db -= dbStep) {
    painter.setPen(QPen(QColor(225, 225, 225), line));
    painter.drawLine(QPointF(area.left(), y(db)), QPointF(area.right(), y(db)));
    const QString label = QString::number(db, 'f', 0);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(area.left() - 5 - fm.horizontalAdvance(label), y(db) + fm.ascent() / 2 - 1), label);
  }
  painter.setPen(QPen(Qt::black, line));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area);
  painter.drawText(QPointF(area.left(), area.top() - 4), Ui("dB"));
  const QString caption = axis.logarithmic() ? Ui("频率 (Hz，对数)") : Ui("频率 (Hz)");
  painter.drawText(QPointF(area.right() - fm.horizontalAdvance(caption), area.bottom() + 4 + fm.lineSpacing() + fm.ascent()),
                   caption);

  painter.setClipRect(area.adjusted(0, 0, 1, 1));
  for (double hz : figure.marksHz) {
    if (!(hz > 0)) continue;
    painter.setPen(QPen(QColor(230, 130, 0), line, Qt::DashLine));
    painter.drawLine(QPointF(x(hz), area.top()), QPointF(x(hz), area.bottom()));
  }
  auto dbOf = [&](double a) { return a > 0 && top > 0 ? std::clamp(20 * std::log10(a / top), kFloorDb, 0.0) : kFloorDb; };
  auto curve = [&](const std::vector<double>& amplitudes, const QColor& colour) {
    // Only the bins on the plot (and one either side), from the first above 0 Hz on a logarithmic axis.
    const double last = static_cast<double>(amplitudes.size() - 1);
    const size_t k0 = static_cast<size_t>(std::clamp(std::floor(axis.lo() / figure.binHz) - 1, axis.logarithmic() ? 1.0 : 0.0, last));
    const size_t k1 = static_cast<size_t>(std::clamp(std::ceil(axis.hi() / figure.binHz) + 1, 0.0, last));
    QPainterPath path;
    for (size_t k = k0; k <= k1; ++k) {
      const QPointF p(x(static_cast<double>(k) * figure.binHz), y(dbOf(amplitudes[k])));
      k == k0 ? path.moveTo(p) : path.lineTo(p);
    }
    painter.setPen(QPen(colour, line));
    painter.drawPath(path);
  };
  if (figure.behind.size() >= 2) curve(figure.behind, QColor(170, 170, 170));
  curve(s, QColor(20, 60, 160));
  painter.setClipping(false);

  // The peak: a triangle over the curve pointing down at it, its frequency beside.
  if (figure.peakHz && *figure.peakHz >= axis.lo() && *figure.peakHz <= axis.hi()) {
    const double px = x(*figure.peakHz);
    const size_t k = std::min(s.size() - 1, static_cast<size_t>(std::lround(*figure.peakHz / figure.binHz)));
    const double py = std::max(area.top() + 12 * line, y(dbOf(s[k])) - 3 * line);
    const double w = 5 * line;
    painter.setPen(QPen(QColor(200, 20, 20), line));
    painter.setBrush(QColor(200, 20, 20));
    painter.drawPolygon(QPolygonF({QPointF(px, py), QPointF(px - w, py - 1.8 * w), QPointF(px + w, py - 1.8 * w)}));
    painter.setBrush(Qt::NoBrush);
    const QString text = PeakText(*figure.peakHz);
    const double tw = fm.horizontalAdvance(text);
    double tx = px + w + 4;
    if (tx + tw > area.right() - 2) tx = px - w - 4 - tw;  // left of it near the right edge
    tx = std::max(tx, area.left() + 2);
    const double ty = std::max(area.top() + fm.ascent() + 2, py - 1.8 * w + fm.ascent() / 2);
    painter.fillRect(QRectF(tx - 1, ty - fm.ascent(), tw + 2, fm.height()), QColor(255, 255, 255, 200));
    painter.drawText(QPointF(tx, ty), text);
  }
  painter.restore();
}

}  // namespace view
}  // namespace gt7p
