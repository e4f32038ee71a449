// Drawing shared by the interpretation tab's plot, its depth section and
// its method pages: the layers' colours, the margins, the grid of both
// axes, the page of a picture or print.
#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "interpret/interpret.h"

namespace gt7p {
namespace interpretation_drawing {

// A number to `decimals`; "—" for none or one that is not finite.
QString Number(const std::optional<double>& value, int decimals);
// "操作员拾取", "仪器解析点", "自动拾取".
QString SourceName(interpret::PickSource source);

// Layer 1 (top) to 5.
QColor LayerColour(int layer);
// The distances the shots' points and sources span (0 to 1 where none).
void SpanOf(const std::vector<interpret::Shot>& shots, double& x0, double& x1);
// The plot's and the section's margins round their boxes.
QRect AreaOf(const QRect& rect, const QFontMetrics& fm);
// Tick lines and labels along both axes of `area`: across from x0 to x1,
// down from 0 to y1.
void DrawGrid(QPainter& painter, const QFontMetrics& fm, const QRect& area, double x0, double x1, double y1);
// A page of the tab (its picture and prints): `plot` drawn into the top,
// then the `results` lines, the table (`heading` over `rows`, numbers to
// the right, words to the left) and the `notes`.
void PaintPageOf(QPainter& painter, const QRect& rect, const std::function<void(QPainter&, const QRect&)>& plot,
                 const QStringList& results, const QStringList& heading, const std::vector<QStringList>& rows,
                 const QStringList& notes);

}  // namespace interpretation_drawing
}  // namespace gt7p
