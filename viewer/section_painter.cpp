#include "viewer/section_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/cp936.h"
#include "settings/ui_fonts.h"

namespace gt7p {
namespace view {
namespace {

constexpr int kFontPixels = 13;
constexpr int kPanelFontPixels = 12;
const QColor kPickColors[6] = {QColor(220, 30, 30), QColor(30, 90, 220), QColor(20, 150, 40),
                               QColor(230, 130, 0), QColor(180, 40, 180), QColor(0, 160, 170)};

QString Ui(const char* utf8) { return QString::fromUtf8(utf8); }
QString Core(const std::string& cp936) { return QString::fromStdString(Cp936ToUtf8(cp936)); }

QString GainText(const Scaling& scaling) {
  return Ui("增益 ×") + QString::number(scaling.gain, 'g', 3) + (scaling.normalise ? Ui("  道归一化") : QString());
}

// Lines of the header panel and the font pixels that let them fit.
int PanelFontPixels(const Section& section, int height) {
  const int lines = static_cast<int>(section.headerLines.size()) + 2;
  int pixels = kPanelFontPixels;
  while (pixels > 8 && QFontMetrics(SectionFont(pixels)).lineSpacing() * lines > height) --pixels;
  return pixels;
}

}  // namespace

QFont SectionFont(int pixels) { return SongPixelFont(pixels); }

SectionGeometry FitSection(const Section& section, int width, int height, Frame& frame) {
  const QFontMetrics fm(SectionFont(kFontPixels));
  frame.margin = 8;
  frame.labelWidth = std::max(fm.horizontalAdvance(Ui("道号")), fm.horizontalAdvance(QStringLiteral("00000"))) + 8;
  frame.titleHeight = 2 * fm.lineSpacing() + 8;  // the title, then the label column's head and the legend
  frame.axisHeight = 2 * fm.lineSpacing() + 10;
  const QFontMetrics panel(SectionFont(PanelFontPixels(section, height - frame.margin - frame.titleHeight)));
  int names = 0, values = 0;
  for (const FieldLine& line : section.headerLines) {
    names = std::max(names, panel.horizontalAdvance(Core(line.name)));
    values = std::max(values, panel.horizontalAdvance(Core(line.value)));
  }
  frame.panelWidth = std::clamp(names + values + 28, 200, 420);
  return LayoutSection(width, height, static_cast<int>(section.traces.size()), section.firstMs, section.lastMs, frame);
}

void PaintSection(QPainter& painter, const Section& section, const SectionGeometry& g, const Frame& frame,
                  const Scaling& scaling, int width, int height, int marked) {
  painter.save();
  painter.fillRect(QRect(0, 0, width, height), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QFont font = SectionFont(kFontPixels);
  const QFontMetrics fm(font);
  painter.setFont(font);
  const double spacing = g.Spacing();
  const int right = g.left + g.width, bottom = g.top + g.height;

  // Title: file, time, place, gain; then the legend of the analysis points shown.
  QString title = Core(section.fileName);
  for (const FieldLine& line : section.headerLines)
    if (line.name == Utf8ToCp936("探测时间") || line.name == Utf8ToCp936("探测地点"))
      title += "   " + Core(line.value).trimmed();
  title += "   " + GainText(scaling);
  const int titleBase = frame.margin + fm.ascent() + 2;
  painter.setPen(Qt::black);
  painter.drawText(frame.margin, titleBase, title);
  bool used[6] = {};
  for (const SectionTrace& trace : section.traces)
    for (size_t k = 0; k < 6; ++k) used[k] = used[k] || PickTimeMs(section.header, trace.picks[k]).has_value();
  const int headBase = g.top - 5;
  int legendX = right;
  for (int k = 5; k >= 0; --k) {
    if (!used[k]) continue;
    const QString label = QStringLiteral("t%1").arg(k);
    legendX -= fm.horizontalAdvance(label) + 16;
    painter.fillRect(legendX, headBase - fm.ascent() + 2, 4, fm.ascent(), kPickColors[k]);
    painter.drawText(legendX + 7, headBase, label);
  }
  if (legendX < right) {
    const QString legend = Ui("仪器解析点：");
    painter.drawText(legendX - fm.horizontalAdvance(legend) - 4, headBase, legend);
  }

  // Timing lines and the time axis; the trigger (0 ms) darker.
  const TimeAxis axis = MakeTimeAxis(g.firstMs, g.lastMs, g.width, std::max(60, fm.horizontalAdvance("-000.00") + 16));
  for (double t : axis.ticksMs) {
    const int x = static_cast<int>(std::lround(g.TimeToX(t)));
    painter.setPen(QPen(std::fabs(t) < axis.stepMs * 1e-6 ? QColor(120, 120, 120) : QColor(215, 215, 215), 1));
    painter.drawLine(x, g.top, x, bottom);
    painter.setPen(Qt::black);
    painter.drawLine(x, bottom, x, bottom + 4);
    const QString label = QString::fromStdString(TickLabel(t, axis.stepMs));
    painter.drawText(x - fm.horizontalAdvance(label) / 2, bottom + 5 + fm.ascent(), label);
  }
  painter.setPen(Qt::black);
  painter.drawRect(g.left, g.top, g.width, g.height);
  const QString axisTitle = Ui("时间 (ms)");
  painter.drawText(g.left + (g.width - fm.horizontalAdvance(axisTitle)) / 2, bottom + 5 + fm.lineSpacing() + fm.ascent(),
                   axisTitle);

  // Channel labels, as many as fit.
  painter.drawText(frame.margin, headBase, Ui("道号"));
  const int stride = LabelStride(spacing, fm.height());
  for (size_t i = 0; i < section.traces.size(); i += static_cast<size_t>(stride)) {
    const QString label = QString::number(section.traces[i].channelNumber);
    const int y = static_cast<int>(std::lround(g.Baseline(static_cast<int>(i))));
    painter.drawText(g.left - 6 - fm.horizontalAdvance(label), y + fm.ascent() / 2 - 1, label);
  }

  // Traces: the positive side filled from the baseline, then the wiggle.
  float recordPeak = 0;
  for (const SectionTrace& trace : section.traces) recordPeak = std::max(recordPeak, trace.peak);
  QVector<QLine> fill, wiggle;
  painter.setClipRect(g.left, g.top, g.width + 1, g.height + 1);
  if (marked >= 0 && static_cast<size_t>(marked) < section.traces.size())
    painter.fillRect(QRectF(g.left, g.Baseline(marked) - spacing / 2, g.width, spacing), QColor(255, 250, 205));
  for (size_t i = 0; i < section.traces.size(); ++i) {
    const SectionTrace& trace = section.traces[i];
    const double base = g.Baseline(static_cast<int>(i));
    const double scale = TraceScale(scaling, trace.peak, recordPeak, spacing);
    const int y0 = static_cast<int>(std::lround(base));
    fill.clear();
    wiggle.clear();
    for (size_t c = 0; c < trace.columns.size(); ++c) {
      const int x = g.left + static_cast<int>(c);
      const int yMax = static_cast<int>(std::lround(base - ClippedOffset(trace.columns[c].max, scale, spacing)));
      const int yMin = static_cast<int>(std::lround(base - ClippedOffset(trace.columns[c].min, scale, spacing)));
      if (yMax < y0) fill.append(QLine(x, y0, x, yMax));
      wiggle.append(QLine(x, yMin, x, yMax));
    }
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.drawLines(fill);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLines(wiggle);
  }

  // The instrument's analysis points on their traces.
  const int markHalf = std::max(2, static_cast<int>(spacing * 0.45));
  for (size_t i = 0; i < section.traces.size(); ++i) {
    const int base = static_cast<int>(std::lround(g.Baseline(static_cast<int>(i))));
    for (size_t k = 0; k < 6; ++k) {
      const auto t = PickTimeMs(section.header, section.traces[i].picks[k]);
      if (!t) continue;
      const int x = static_cast<int>(std::lround(g.TimeToX(*t)));
      painter.setPen(QPen(kPickColors[k], spacing >= 8 ? 2 : 1));
      painter.drawLine(x, base - markHalf, x, base + markHalf);
    }
  }
  painter.setClipping(false);

  // Header fields beside the section.
  if (frame.panelWidth > 0) {
    const int x = right + frame.margin;
    const QFont panelFont = SectionFont(PanelFontPixels(section, height - g.top));
    const QFontMetrics pm(panelFont);
    painter.setFont(panelFont);
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(x, g.top, frame.panelWidth, height - g.top - frame.margin);
    int names = 0;
    for (const FieldLine& line : section.headerLines) names = std::max(names, pm.horizontalAdvance(Core(line.name)));
    int y = g.top + 6 + pm.ascent();
    painter.setPen(Qt::black);
    for (const FieldLine& line : section.headerLines) {
      if (y > height - frame.margin) break;
      painter.drawText(x + 8, y, Core(line.name));
      painter.drawText(QRect(x + 16 + names, y - pm.ascent(), frame.panelWidth - names - 22, pm.lineSpacing()),
                       Qt::AlignLeft | Qt::AlignTop, Core(line.value));
      y += pm.lineSpacing();
    }
  }
  painter.restore();
}

QImage WithPalette(const QImage& image) {
  if (image.format() != QImage::Format_RGB32) return QImage();
  QImage indexed(image.size(), QImage::Format_Indexed8);
  QList<QRgb> palette;
  // Colour to palette index: open addressing in a table 16 times the
  // palette's largest size, so that probes stay short.
  constexpr uint32_t kSlots = 4096;
  std::vector<int> slotIndex(kSlots, -1);
  auto indexOf = [&](QRgb colour) {
    uint32_t slot = (colour * 2654435761u) >> 20;
    for (;; slot = (slot + 1) % kSlots) {
      const int index = slotIndex[slot];
      if (index < 0) break;
      if (palette[index] == colour) return index;
    }
    if (palette.size() == 256) return -1;
    slotIndex[slot] = static_cast<int>(palette.size());
    palette.append(colour);
    return slotIndex[slot];
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

}  // namespace view
}  // namespace gt7p
