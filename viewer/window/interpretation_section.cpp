// The interpretation tab's depth section, and the drawing it shares with
// the tab's plot.
#include <QPolygonF>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "base/cp936.h"
#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/window/interpretation_drawing.h"
#include "viewer/window/interpretation_tab.h"

namespace gt7p {
namespace interpretation_drawing {

QString Number(const std::optional<double>& value, int decimals) {
  return value && std::isfinite(*value) ? QString::number(*value, 'f', decimals) : Ui("—");
}

QString SourceName(interpret::PickSource source) {
  switch (source) {
    case interpret::PickSource::kOperator: return Ui("操作员拾取");
    case interpret::PickSource::kInstrument: return Ui("仪器解析点");
    case interpret::PickSource::kAuto: break;
  }
  return Ui("自动拾取");
}

QColor LayerColour(int layer) {
  static const QColor kColours[] = {QColor(230, 160, 0), QColor(20, 110, 220), QColor(30, 160, 60),
                                    QColor(200, 40, 160), QColor(120, 70, 20)};
  return kColours[std::clamp(layer, 1, 5) - 1];
}

void SpanOf(const std::vector<interpret::Shot>& shots, double& x0, double& x1) {
  x0 = HUGE_VAL, x1 = -HUGE_VAL;
  for (const interpret::Shot& shot : shots) {
    for (const interpret::FirstBreak& b : shot.breaks) x0 = std::min(x0, b.receiverX), x1 = std::max(x1, b.receiverX);
    if (!shot.breaks.empty()) x0 = std::min(x0, shot.sourceX), x1 = std::max(x1, shot.sourceX);
  }
  if (!std::isfinite(x0)) x0 = 0, x1 = 1;
  if (!(x1 > x0)) x1 = x0 + 1;
}

QRect AreaOf(const QRect& rect, const QFontMetrics& fm) {
  const int left = fm.horizontalAdvance(QStringLiteral("-0000.0")) + 10, top = 2 * fm.lineSpacing() + 6;
  const int right = fm.horizontalAdvance(QStringLiteral("00000")) / 2 + 6;
  return QRect(rect.left() + left, rect.top() + top, std::max(10, rect.width() - left - right),
               std::max(10, rect.height() - top - 2 * fm.lineSpacing() - 14));
}

void DrawGrid(QPainter& painter, const QFontMetrics& fm, const QRect& area, double x0, double x1, double y1) {
  for (bool horizontal : {true, false}) {
    const double lo = horizontal ? x0 : 0, hi = horizontal ? x1 : y1;
    const int pixels = horizontal ? area.width() : area.height();
    const view::TimeAxis axis = view::MakeTimeAxis(
        lo, hi, pixels, horizontal ? fm.horizontalAdvance(QStringLiteral("00000")) + 12 : 2 * fm.lineSpacing());
    for (double v : axis.ticksMs) {
      const int p = static_cast<int>(std::lround(horizontal ? area.left() + (v - x0) / (x1 - x0) * area.width()
                                                            : area.top() + v / y1 * area.height()));
      const QString label = QString::fromStdString(view::TickLabel(v, axis.stepMs));
      painter.setPen(QColor(225, 225, 225));
      if (horizontal) {
        painter.drawLine(p, area.top(), p, area.bottom());
        painter.setPen(Qt::black);
        painter.drawText(p - fm.horizontalAdvance(label) / 2, area.bottom() + 10 + fm.ascent(), label);
      } else {
        painter.drawLine(area.left(), p, area.right(), p);
        painter.setPen(Qt::black);
        painter.drawText(area.left() - 5 - fm.horizontalAdvance(label), p + fm.ascent() / 2 - 1, label);
      }
    }
  }
}

// The plot above, then the lines of text and the table, then the notes:
// the page as the tab's picture and prints show it. Numbers stand to the
// right of their column, words to the left.
void PaintPageOf(QPainter& painter, const QRect& rect, const std::function<void(QPainter&, const QRect&)>& plot,
                 const QStringList& results, const QStringList& heading, const std::vector<QStringList>& rows,
                 const QStringList& notes) {
  painter.save();
  const QFontMetrics fm = BeginPanel(painter, rect);
  const int line = fm.lineSpacing() + 2;
  const int textHeight = line * static_cast<int>(results.size() + 1 + rows.size() + notes.size()) + 12;
  const QRect area(rect.left(), rect.top(), rect.width(), std::max(100, rect.height() - textHeight));
  const QFont font = painter.font();
  plot(painter, area);
  painter.setFont(font);
  painter.setPen(Qt::black);
  int y = area.bottom() + 8 + fm.ascent();
  for (const QString& text : results) {
    painter.drawText(rect.left() + 8, y, text);
    y += line;
  }
  std::vector<int> widths(static_cast<size_t>(heading.size()), 0);
  for (int c = 0; c < heading.size(); ++c) widths[static_cast<size_t>(c)] = fm.horizontalAdvance(heading[c]);
  for (const QStringList& row : rows)
    for (int c = 0; c < row.size() && c < heading.size(); ++c)
      widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], fm.horizontalAdvance(row[c]));
  auto drawRow = [&](const QStringList& row) {
    int x = rect.left() + 8;
    for (int c = 0; c < row.size() && c < heading.size(); ++c) {
      const int w = widths[static_cast<size_t>(c)];
      bool number = false;
      row[c].toDouble(&number);
      painter.drawText(number || row[c] == Ui("—") ? x + w - fm.horizontalAdvance(row[c]) : x, y, row[c]);
      x += w + 14;
    }
    y += line;
  };
  if (!rows.empty()) {
    drawRow(heading);
    for (const QStringList& row : rows) drawRow(row);
  }
  for (const QString& note : notes) {
    painter.drawText(rect.left() + 8, y, note);
    y += line;
  }
  painter.restore();
}

}  // namespace interpretation_drawing

using interpretation_drawing::AreaOf;
using interpretation_drawing::DrawGrid;
using interpretation_drawing::LayerColour;
using interpretation_drawing::SpanOf;

TDepthSection::TDepthSection(TInterpretationTab* tab) : QWidget(tab), tab_(tab) { setMinimumSize(200, 120); }

void TDepthSection::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintSection(painter, rect());
}

void TDepthSection::PaintSection(QPainter& painter, const QRect& rect) const {
  painter.save();
  const QFontMetrics fm = BeginPanel(painter, rect);
  const auto& survey = tab_->survey();
  std::vector<std::vector<interpret::SectionPoint>> boundaries;
  if (survey) boundaries = interpret::DepthSection(*survey);
  double deepest = 0;
  for (const auto& boundary : boundaries)
    for (const interpret::SectionPoint& p : boundary) deepest = std::max(deepest, p.depthM);
  painter.drawText(rect.left() + 8, rect.top() + 4 + fm.ascent(),
                   Ui("深度剖面（深度 m，向下）  ") + QString::fromStdString(Utf8FromPath(tab_->lineFile().filename())));
  if (!(deepest > 0)) {
    painter.drawText(rect.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, Ui("没有界面深度"));
    painter.restore();
    return;
  }
  // Room above the box for the shots' names.
  const QRect area = AreaOf(rect.adjusted(0, fm.lineSpacing() + 4, 0, 0), fm);
  double x0 = 0, x1 = 1;
  SpanOf(tab_->shots(), x0, x1);
  const double d1 = deepest * 1.3;
  auto px = [&](double x) { return area.left() + (x - x0) / (x1 - x0) * area.width(); };
  auto py = [&](double d) { return area.top() + d / d1 * area.height(); };
  // Each layer filled from its top down, the deeper ones over it.
  painter.fillRect(area, TInterpretationTab::LayerFill(1));
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setClipRect(area.adjusted(0, 0, 1, 1));
  for (size_t k = 0; k < boundaries.size(); ++k) {
    const auto& boundary = boundaries[k];
    if (boundary.empty()) continue;
    QPolygonF line;
    for (const interpret::SectionPoint& p : boundary) line << QPointF(px(p.x), py(p.depthM));
    QPolygonF fill = line;
    fill << QPointF(line.back().x(), area.bottom() + 1) << QPointF(line.front().x(), area.bottom() + 1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(TInterpretationTab::LayerFill(static_cast<int>(k + 2)));
    painter.drawPolygon(fill);
    painter.setPen(QPen(LayerColour(static_cast<int>(k + 2)).darker(130), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
    for (const QPointF& at : line) painter.drawEllipse(at, 2, 2);
  }
  painter.setClipping(false);
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawGrid(painter, fm, area, x0, x1, d1);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area);
  const QString caption = Ui("距离 (m)");
  painter.drawText(area.right() - fm.horizontalAdvance(caption), area.bottom() + 10 + fm.lineSpacing() + fm.ascent(),
                   caption);
  // Each shot on the surface, named.
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const interpret::Shot& shot : tab_->shots()) {
    const QPointF tip(px(shot.sourceX), area.top());
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::red);
    painter.drawPolygon(QPolygonF({tip, tip + QPointF(-5, -9), tip + QPointF(5, -9)}));
    QString name = QString::fromStdString(shot.file);
    name = name.left(name.lastIndexOf(QLatin1Char('.')) > 0 ? name.lastIndexOf(QLatin1Char('.')) : name.size());
    const int w = fm.horizontalAdvance(name);
    const double left = std::clamp(tip.x() - w / 2.0, double(rect.left() + 2), double(rect.right() - w - 2));
    painter.drawText(QPointF(left, tip.y() - 11), name);
  }
  painter.restore();
}

}  // namespace gt7p
