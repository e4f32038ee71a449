// Drawing shared by the interpretation tab's plot and its depth section:
// the layers' colours, the margins, the grid of both axes.
#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <vector>

#include "interpret/interpret.h"

namespace gt7p {
namespace interpretation_drawing {

// Layer 1 (top) to 5.
QColor LayerColour(int layer);
// The distances the shots' points and sources span (0 to 1 where none).
void SpanOf(const std::vector<interpret::Shot>& shots, double& x0, double& x1);
// The plot's and the section's margins round their boxes.
QRect AreaOf(const QRect& rect, const QFontMetrics& fm);
// Tick lines and labels along both axes of `area`: across from x0 to x1,
// down from 0 to y1.
void DrawGrid(QPainter& painter, const QFontMetrics& fm, const QRect& area, double x0, double x1, double y1);

}  // namespace interpretation_drawing
}  // namespace gt7p
