#include "viewer/section_painter.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QHash>
#include <QImageWriter>
#include <QPainter>
#include <QPen>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "ui/ui.h"

namespace gt7p {
namespace view {
namespace {

constexpr int kSmallestPanelFont = 11;  // below this the panel drops lines instead
const QColor kPickColors[6] = {QColor(220, 30, 30), QColor(30, 90, 220), QColor(20, 150, 40),
                               QColor(230, 130, 0), QColor(180, 40, 180), QColor(0, 160, 170)};
const QColor kFirstBreakColor(255, 200, 0);
const QColor kReflectionColor(0, 200, 230);  // apart from every layer colour above

bool AnyPicked(const Section& section, const std::vector<int32_t>& picks) {
  return std::any_of(picks.begin(), picks.end(), [&](int32_t n) { return PickTimeMs(section.header, n).has_value(); });
}

// The reflection pick's marker: a diamond on the trace, outlined.
void PaintDiamond(QPainter& painter, const QPoint& at, int radius) {
  const QPoint points[4] = {at + QPoint(0, -radius), at + QPoint(radius, 0), at + QPoint(0, radius),
                            at + QPoint(-radius, 0)};
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(kReflectionColor);
  painter.drawPolygon(points, 4);
  painter.setBrush(Qt::NoBrush);
}

// The font of the header panel: the largest from 12 px down to 11 px that
// fits its lines; lines that still don't fit are left out.
QFont PanelFont(const Section& section, int height) {
  const int lines = static_cast<int>(section.headerLines.size()) + 1;
  int pixels = kPanelFontPixels;
  while (pixels > kSmallestPanelFont && QFontMetrics(SectionFont(pixels)).lineSpacing() * lines > height) --pixels;
  return SectionFont(pixels);
}

int PanelNameWidth(const Section& section, const QFontMetrics& fm) {
  int names = 0;
  for (const FieldLine& line : section.headerLines) names = std::max(names, fm.horizontalAdvance(FromCore(line.name)));
  return names;
}

// Points of the picture from a place along the time axis and one along the
// trace axis.
struct Axes {
  bool timeDown;
  QPoint At(int time, int trace) const { return timeDown ? QPoint(trace, time) : QPoint(time, trace); }
  QLine Line(int time0, int trace0, int time1, int trace1) const { return QLine(At(time0, trace0), At(time1, trace1)); }
};

void PaintTitle(QPainter& painter, const Section& section, const SectionGeometry& g, const Frame& frame,
                const QFontMetrics& fm) {
  QString title = FromCore(section.fileName);
  for (const FieldLine& line : section.headerLines)
    if (line.field == kFieldSurveyTime || line.field == kFieldPlace)
      title += "   " + FromCore(line.value).trimmed();
  if (!section.settingsText.empty()) title += "   " + FromCore(section.settingsText);
  painter.setPen(Qt::black);
  painter.drawText(frame.margin, frame.margin + fm.ascent() + 2, title);

  // The legend of the marks shown, right-aligned above the traces.
  bool used[6] = {};
  for (const SectionTrace& trace : section.traces)
    for (size_t k = 0; k < 6; ++k) used[k] = used[k] || PickTimeMs(section.header, trace.picks[k]).has_value();
  const bool firstBreaks = AnyPicked(section, section.firstBreaks);
  const int headBase = frame.margin + frame.titleHeight - 5;
  int x = g.left + g.width;
  if (AnyPicked(section, section.reflections)) {
    const QString label = Ui("反射波拾取");
    x -= fm.horizontalAdvance(label) + 18;
    PaintDiamond(painter, QPoint(x + 4, headBase - fm.ascent() / 2 + 1), 4);
    painter.setPen(Qt::black);
    painter.drawText(x + 11, headBase, label);
  }
  if (firstBreaks) {
    const QString label = Ui("初至拾取");
    x -= fm.horizontalAdvance(label) + 16;
    painter.fillRect(x, headBase - fm.ascent() + 2, 6, fm.ascent(), kFirstBreakColor);
    painter.drawText(x + 9, headBase, label);
  }
  const int instrumentRight = x;
  for (int k = 5; k >= 0; --k) {
    if (!used[k]) continue;
    const QString label = QStringLiteral("t%1").arg(k);
    x -= fm.horizontalAdvance(label) + 16;
    painter.fillRect(x, headBase - fm.ascent() + 2, 4, fm.ascent(), kPickColors[k]);
    painter.drawText(x + 7, headBase, label);
  }
  if (x < instrumentRight) {
    const QString legend = Ui("仪器解析点：");
    painter.drawText(x - fm.horizontalAdvance(legend) - 4, headBase, legend);
  }
}

void PaintTimeAxis(QPainter& painter, const SectionGeometry& g, const Frame& frame, const QFontMetrics& fm) {
  const Axes axes{g.timeDown};
  const int t0 = g.TimeStart(), t1 = g.TimeStart() + g.TimePixels();
  const int b0 = g.TraceStart(), b1 = g.TraceStart() + g.TracePixels();
  const int minPixels = g.timeDown ? 3 * fm.lineSpacing() : std::max(60, fm.horizontalAdvance("-000.00") + 16);
  const TimeAxis axis = MakeTimeAxis(g.range.firstMs, g.range.lastMs, g.TimePixels(), minPixels);
  for (double t : axis.ticksMs) {
    const int p = static_cast<int>(std::lround(g.TimeToPixel(t)));
    if (p < t0 || p > t1) continue;
    painter.setPen(QPen(std::fabs(t) < axis.stepMs * 1e-6 ? QColor(120, 120, 120) : QColor(215, 215, 215), 1));
    painter.drawLine(axes.Line(p, b0, p, b1));
    painter.setPen(Qt::black);
    const QString label = QString::fromStdString(TickLabel(t, axis.stepMs));
    if (g.timeDown) {
      painter.drawLine(b0 - 4, p, b0, p);
      painter.drawText(b0 - 6 - fm.horizontalAdvance(label), p + fm.ascent() / 2 - 1, label);
    } else {
      painter.drawLine(p, b1, p, b1 + 4);
      painter.drawText(p - fm.horizontalAdvance(label) / 2, b1 + 5 + fm.ascent(), label);
    }
  }
  painter.setPen(Qt::black);
  painter.drawRect(g.left, g.top, g.width, g.height);
  const QString title = Ui("时间 (ms)");
  if (g.timeDown) {
    // Upright along the left edge, beside the labels.
    painter.save();
    painter.translate(frame.margin + fm.ascent(), g.top + (g.height + fm.horizontalAdvance(title)) / 2);
    painter.rotate(-90);
    painter.drawText(0, 0, title);
    painter.restore();
  } else {
    painter.drawText(g.left + (g.width - fm.horizontalAdvance(title)) / 2, b1 + 5 + fm.lineSpacing() + fm.ascent(),
                     title);
  }
}

// Traces spaced by distance: the distance along their axis in metres, with
// ticks of 1, 2 or 5 times a power of ten, on the far side from their labels.
void PaintDistanceAxis(QPainter& painter, const SectionGeometry& g, const Frame& frame, const QFontMetrics& fm) {
  if (frame.distanceLabels <= 0) return;
  const int minPixels = g.timeDown ? std::max(60, fm.horizontalAdvance("-0000.0") + 16) : 3 * fm.lineSpacing();
  const TimeAxis axis = MakeTimeAxis(g.range.firstPos, g.range.lastPos, g.TracePixels(), minPixels);
  const int p0 = g.TraceStart(), p1 = g.TraceStart() + g.TracePixels();
  const int edge = g.timeDown ? g.top + g.height : g.left + g.width;  // the area's far side
  painter.setPen(Qt::black);
  for (double x : axis.ticksMs) {
    const int p = static_cast<int>(std::lround(g.PositionToPixel(x)));
    if (p < p0 || p > p1) continue;
    const QString label = QString::fromStdString(TickLabel(x, axis.stepMs));
    if (g.timeDown) {
      painter.drawLine(p, edge, p, edge + 4);
      painter.drawText(p - fm.horizontalAdvance(label) / 2, edge + 5 + fm.ascent(), label);
    } else {
      painter.drawLine(edge, p, edge + 4, p);
      painter.drawText(edge + 6, p + fm.ascent() / 2 - 1, label);
    }
  }
  const QString title = Ui("距离 (m)");
  if (g.timeDown) {
    painter.drawText(g.left + (g.width - fm.horizontalAdvance(title)) / 2, edge + 5 + fm.lineSpacing() + fm.ascent(),
                     title);
  } else {
    // Upright along the band's outer edge.
    painter.save();
    painter.translate(edge + frame.distanceLabels - fm.descent() - 2,
                      g.top + (g.height - fm.horizontalAdvance(title)) / 2);
    painter.rotate(90);
    painter.drawText(0, 0, title);
    painter.restore();
  }
}

void PaintTraceLabels(QPainter& painter, const Section& section, const SectionGeometry& g, const Frame& frame,
                      const QFontMetrics& fm) {
  painter.setPen(Qt::black);
  const int labelPixels = g.timeDown ? fm.horizontalAdvance(QStringLiteral("0000")) + 4 : fm.height();
  const int stride = LabelStride(g.Spacing(), labelPixels);
  if (g.timeDown)
    painter.drawText(frame.margin, g.top - 5, Ui("道号"));
  else
    painter.drawText(frame.margin, frame.margin + frame.titleHeight - 5, Ui("道号"));
  std::vector<double> drawn;  // baselines of the labels so far: spaced traces may crowd
  for (size_t i = 0; i < section.traces.size(); i += static_cast<size_t>(stride)) {
    if (!g.Visible(static_cast<int>(i))) continue;
    const double b = g.Baseline(static_cast<int>(i));
    if (std::any_of(drawn.begin(), drawn.end(), [&](double d) { return std::fabs(d - b) < labelPixels; })) continue;
    drawn.push_back(b);
    const QString label = QString::number(section.traces[i].channelNumber);
    const int at = static_cast<int>(std::lround(b));
    if (g.timeDown)
      painter.drawText(at - fm.horizontalAdvance(label) / 2, g.top - 5, label);
    else
      painter.drawText(g.left - 6 - fm.horizontalAdvance(label), at + fm.ascent() / 2 - 1, label);
  }
}

// Variable density: each trace a band of colour out to the middle between
// it and its neighbours.
void PaintDensity(QPainter& painter, const Section& section, const SectionGeometry& g, const DisplayOptions& options,
                  float recordPeak) {
  QImage image(g.width, g.height, QImage::Format_RGB32);
  if (image.isNull()) throw std::bad_alloc();
  image.fill(Qt::white);
  std::vector<std::pair<double, int>> order;
  for (size_t i = 0; i < section.traces.size(); ++i)
    if (g.Visible(static_cast<int>(i))) order.push_back({g.Baseline(static_cast<int>(i)), static_cast<int>(i)});
  std::sort(order.begin(), order.end());
  const double spacing = g.Spacing();
  const int bands = g.TracePixels();
  std::vector<QRgb> colours;
  for (size_t k = 0; k < order.size(); ++k) {
    const SectionTrace& trace = section.traces[static_cast<size_t>(order[k].second)];
    const double base = order[k].first - g.TraceStart();
    const double from = k > 0 ? (order[k - 1].first - g.TraceStart() + base) / 2 : base - spacing / 2;
    const double to = k + 1 < order.size() ? (order[k + 1].first - g.TraceStart() + base) / 2 : base + spacing / 2;
    const int first = std::max(0, static_cast<int>(std::lround(from)));
    const int last = std::min(bands - 1, static_cast<int>(std::lround(to)) - 1);
    if (first > last) continue;
    const double scale = TraceScale(options, trace.peak, recordPeak, spacing);
    colours.assign(trace.columns.size(), qRgb(255, 255, 255));
    for (size_t c = 0; c < trace.columns.size(); ++c) {
      const MinMax& m = trace.columns[c];
      if (m.gap()) continue;
      colours[c] = 0xFF000000u | DensityColour(std::fabs(m.max) >= std::fabs(m.min) ? m.max : m.min, scale, spacing,
                                               options);
    }
    const int n = std::min<int>(static_cast<int>(colours.size()), g.TimePixels());
    if (g.timeDown) {
      for (int y = 0; y < n; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row + first, row + last + 1, colours[static_cast<size_t>(y)]);
      }
    } else {
      for (int y = first; y <= last; ++y)
        std::copy(colours.begin(), colours.begin() + n, reinterpret_cast<QRgb*>(image.scanLine(y)));
    }
  }
  painter.drawImage(g.left, g.top, image);
}

// A wiggle is a polyline through its columns: each column's extremes in
// turn, the nearer one first, so that neighbouring columns join by a
// stroke whatever the device. (Separate strokes per column leave a flat
// stretch as strokes of no length, which a printer or a PDF draws as
// nothing.) A gap ends the line.
void PaintWiggles(QPainter& painter, const Section& section, const SectionGeometry& g, const DisplayOptions& options,
                  float recordPeak) {
  const Axes axes{g.timeDown};
  const double spacing = g.Spacing();
  // Up for time across, right for time downwards.
  const double sign = g.timeDown ? 1 : -1;
  QVector<QLine> fill;
  QPolygon line;
  const QPen fillPen(QColor(60, 60, 60), 1), wigglePen(Qt::black, 1);
  for (size_t i = 0; i < section.traces.size(); ++i) {
    if (!g.Visible(static_cast<int>(i))) continue;
    const SectionTrace& trace = section.traces[i];
    const double base = g.Baseline(static_cast<int>(i));
    const double scale = TraceScale(options, trace.peak, recordPeak, spacing);
    const int b = static_cast<int>(std::lround(base));
    fill.clear();
    for (size_t c = 0; c < trace.columns.size(); ++c) {
      const MinMax& m = trace.columns[c];
      if (m.gap()) continue;
      const int t = g.TimeStart() + static_cast<int>(c);
      const double o1 = ClippedOffset(m.max, scale, spacing, options), o2 = ClippedOffset(m.min, scale, spacing, options);
      if (options.mode == TraceMode::kFillPositive) {
        const double high = std::max(o1, o2);
        if (high > 0.5) fill.append(axes.Line(t, b, t, static_cast<int>(std::lround(base + sign * high))));
      } else if (options.mode == TraceMode::kFillNegative) {
        const double low = std::min(o1, o2);
        if (low < -0.5) fill.append(axes.Line(t, b, t, static_cast<int>(std::lround(base + sign * low))));
      }
    }
    painter.setPen(fillPen);
    painter.drawLines(fill);
    painter.setPen(wigglePen);
    auto drawLine = [&] {
      if (line.size() == 1) line.append(line.front());  // a lone sample: a dot
      if (!line.isEmpty()) painter.drawPolyline(line);
      line.clear();
    };
    for (size_t c = 0; c < trace.columns.size(); ++c) {
      const MinMax& m = trace.columns[c];
      if (m.gap()) {
        drawLine();
        continue;
      }
      const int t = g.TimeStart() + static_cast<int>(c);
      int p1 = static_cast<int>(std::lround(base + sign * ClippedOffset(m.max, scale, spacing, options)));
      int p2 = static_cast<int>(std::lround(base + sign * ClippedOffset(m.min, scale, spacing, options)));
      if (!line.isEmpty()) {
        const int last = g.timeDown ? line.back().x() : line.back().y();
        if (std::abs(p2 - last) < std::abs(p1 - last)) std::swap(p1, p2);
      }
      line.append(axes.At(t, p1));
      if (p2 != p1) line.append(axes.At(t, p2));
    }
    drawLine();
  }
}

void PaintMarks(QPainter& painter, const Section& section, const SectionGeometry& g) {
  const Axes axes{g.timeDown};
  const double spacing = g.Spacing();
  const int half = std::max(2, static_cast<int>(spacing * 0.45));
  for (size_t i = 0; i < section.traces.size(); ++i) {
    if (!g.Visible(static_cast<int>(i))) continue;
    const int b = static_cast<int>(std::lround(g.Baseline(static_cast<int>(i))));
    for (size_t k = 0; k < 6; ++k) {
      const auto t = PickTimeMs(section.header, section.traces[i].picks[k]);
      if (!t) continue;
      const int p = static_cast<int>(std::lround(g.TimeToPixel(*t)));
      painter.setPen(QPen(kPickColors[k], spacing >= 8 ? 2 : 1));
      painter.drawLine(axes.Line(p, b - half, p, b + half));
    }
    if (i < section.firstBreaks.size()) {
      if (const auto t = PickTimeMs(section.header, section.firstBreaks[i])) {
        const int p = static_cast<int>(std::lround(g.TimeToPixel(*t)));
        // A bar across the trace, outlined so that it shows on any mode.
        const QLine bar = axes.Line(p, b - half - 1, p, b + half + 1);
        painter.setPen(QPen(Qt::black, spacing >= 8 ? 5 : 3));
        painter.drawLine(bar);
        painter.setPen(QPen(kFirstBreakColor, spacing >= 8 ? 3 : 1));
        painter.drawLine(bar);
      }
    }
    if (i < section.reflections.size()) {
      if (const auto t = PickTimeMs(section.header, section.reflections[i])) {
        const int p = static_cast<int>(std::lround(g.TimeToPixel(*t)));
        PaintDiamond(painter, axes.At(p, b), std::clamp(half, 3, 6));
      }
    }
  }
}

// The band behind the marked trace.
void PaintMarkedBand(QPainter& painter, const Section& section, const SectionGeometry& g, int marked) {
  if (marked < 0 || static_cast<size_t>(marked) >= section.traces.size() || !g.Visible(marked)) return;
  const double b = g.Baseline(marked), s = g.Spacing();
  const QRectF band = g.timeDown ? QRectF(b - s / 2, g.top, s, g.height) : QRectF(g.left, b - s / 2, g.width, s);
  painter.fillRect(band, QColor(255, 250, 205));
}

// Inside the frame: the marked trace's band, the traces in their mode and
// the marks, clipped to the area.
void PaintTraceArea(QPainter& painter, const Section& section, const SectionGeometry& g, const DisplayOptions& options,
                    int marked) {
  float recordPeak = 0;
  for (const SectionTrace& trace : section.traces) recordPeak = std::max(recordPeak, trace.peak);
  painter.setClipRect(g.left, g.top, g.width + 1, g.height + 1);
  PaintMarkedBand(painter, section, g, marked);
  if (options.mode == TraceMode::kDensityGrey || options.mode == TraceMode::kDensityRedWhiteBlue)
    PaintDensity(painter, section, g, options, recordPeak);
  else
    PaintWiggles(painter, section, g, options, recordPeak);
  PaintMarks(painter, section, g);
  painter.setClipping(false);
}

void PaintHeaderPanel(QPainter& painter, const Section& section, const SectionGeometry& g, const Frame& frame,
                      int height) {
  const int x = g.left + g.width + (g.timeDown ? 0 : frame.distanceLabels) + frame.margin;
  const QFont font = PanelFont(section, height - g.top - frame.margin);
  const QFontMetrics pm(font);
  painter.setFont(font);
  painter.setPen(QColor(200, 200, 200));
  painter.drawRect(x, g.top, frame.panelWidth, height - g.top - frame.margin);
  const int names = PanelNameWidth(section, pm);
  const int valueX = x + 8 + names + pm.horizontalAdvance(QStringLiteral("  "));
  int y = g.top + 6 + pm.ascent();
  painter.setPen(Qt::black);
  for (const FieldLine& line : section.headerLines) {
    if (y + pm.descent() > height - frame.margin) break;
    painter.drawText(x + 8, y, FromCore(line.name));
    painter.drawText(QRect(valueX, y - pm.ascent(), x + frame.panelWidth - 4 - valueX, pm.lineSpacing()),
                     Qt::AlignLeft | Qt::AlignTop, FromCore(line.value));
    y += pm.lineSpacing();
  }
}

}  // namespace

QFont SectionFont(int pixels) { return SongFont(pixels); }

SectionGeometry FitSection(const Section& section, const DisplayOptions& options,
                           const std::optional<ViewRange>& range, int width, int height, bool withPanel,
                           Frame& frame) {
  const QFontMetrics fm(SectionFont(kFontPixels));
  frame.margin = 8;
  frame.titleHeight = 2 * fm.lineSpacing() + 8;  // the title, then the label column's head and the legend
  if (options.timeDown) {
    frame.traceLabels = fm.lineSpacing() + 6;
    frame.timeLabels = fm.horizontalAdvance(QStringLiteral("-0000.00")) + fm.lineSpacing() + 10;
  } else {
    frame.traceLabels = std::max(fm.horizontalAdvance(Ui("道号")), fm.horizontalAdvance(QStringLiteral("00000"))) + 8;
    frame.timeLabels = 2 * fm.lineSpacing() + 10;
  }
  frame.distanceLabels = 0;
  if (options.byDistance)
    frame.distanceLabels = options.timeDown ? 2 * fm.lineSpacing() + 10
                                            : fm.horizontalAdvance(QStringLiteral("-0000.0")) + fm.lineSpacing() + 12;
  frame.panelWidth = 0;
  if (withPanel) {
    const QFontMetrics panel(PanelFont(section, height - frame.margin - frame.titleHeight));
    int values = 0;
    for (const FieldLine& line : section.headerLines) values = std::max(values, panel.horizontalAdvance(FromCore(line.value)));
    frame.panelWidth =
        std::clamp(PanelNameWidth(section, panel) + panel.horizontalAdvance(QStringLiteral("  ")) + values + 14, 200, 420);
  }
  const TraceAxis axis = MakeTraceAxis(section, options.byDistance);
  return LayoutSection(width, height, options, range ? *range : FullRange(section, axis), axis, frame);
}

void PaintSection(QPainter& painter, const Section& section, const SectionGeometry& g, const Frame& frame,
                  const DisplayOptions& options, int width, int height, int marked) {
  painter.save();
  painter.fillRect(QRect(0, 0, width, height), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QFont font = SectionFont(kFontPixels);
  const QFontMetrics fm(font);
  painter.setFont(font);

  PaintTitle(painter, section, g, frame, fm);
  PaintTimeAxis(painter, g, frame, fm);
  PaintTraceLabels(painter, section, g, frame, fm);
  PaintDistanceAxis(painter, g, frame, fm);
  PaintTraceArea(painter, section, g, options, marked);
  if (frame.panelWidth > 0) PaintHeaderPanel(painter, section, g, frame, height);
  painter.restore();
}

void PaintWholeSection(QPainter& painter, Section& section, const DisplayOptions& options,
                       const std::optional<ViewRange>& range, int width, int height, const DisplayedSamples& displayed,
                       bool withPanel) {
  Frame frame;
  const SectionGeometry geometry = FitSection(section, options, range, width, height, withPanel, frame);
  for (size_t i = 0; i < section.traces.size(); ++i) {
    const std::vector<float>& samples = displayed(static_cast<int>(i));
    section.traces[i].peak = PeakOf(samples.data(), samples.size());
    if (geometry.Visible(static_cast<int>(i)))
      SetColumns(section.traces[i], section.header, samples, geometry);
    else
      section.traces[i].columns.clear();
  }
  PaintSection(painter, section, geometry, frame, options, width, height);
}

QImage DrawSection(Section& section, const DisplayOptions& options, const std::optional<ViewRange>& range, int width,
                   int height, const DisplayedSamples& displayed) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  QPainter painter(&image);
  PaintWholeSection(painter, section, options, range, width, height, displayed);
  return image;
}

QImage WithPalette(const QImage& image) {
  if (image.format() != QImage::Format_RGB32) return QImage();
  QImage indexed(image.size(), QImage::Format_Indexed8);
  if (indexed.isNull()) return QImage();
  QList<QRgb> palette;
  QHash<QRgb, int> indexes;
  indexes.reserve(256);
  auto indexOf = [&](QRgb colour) {
    const auto known = indexes.constFind(colour);
    if (known != indexes.constEnd()) return known.value();
    if (palette.size() == 256) return -1;
    const int index = static_cast<int>(palette.size());
    indexes.insert(colour, index);
    palette.append(colour);
    return index;
  };
  QRgb last = 0;
  int lastIndex = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    uchar* out = indexed.scanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      if (lastIndex < 0 || in[x] != last) {  // most neighbours share their colour
        last = in[x];
        lastIndex = indexOf(last);
        if (lastIndex < 0) return QImage();
      }
      out[x] = static_cast<uchar>(lastIndex);
    }
  }
  indexed.setColorTable(palette);
  return indexed;
}

void WritePng(const QImage& image, const std::filesystem::path& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QImage indexed = WithPalette(image);
  if (!QImageWriter(&buffer, "png").write(indexed.isNull() ? image : indexed)) throw FailureError(Failure::kOutOfMemory);
  OutputWriter out(path);
  out.Write(bytes.constData(), static_cast<size_t>(bytes.size()));
  out.Close();
}

}  // namespace view
}  // namespace gt7p
