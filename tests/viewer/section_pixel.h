// The pixel of a trace at a time in the viewer's section, as the mouse
// tests click it: the time axis maps the view's span linearly onto the
// area's pixels.
#pragma once

#include <QPoint>
#include <cmath>

#include "viewer/window/frm_view.h"

namespace gt7p {
namespace test {

inline QPoint SectionPixel(TfrmView& view, int trace, double ms) {
  view.section();
  const view::SectionGeometry& g = view.sectionGeometry();
  const int pixels = g.timeDown ? g.height : g.width, start = g.timeDown ? g.top : g.left;
  const int t = start + int(std::floor((ms - g.range.firstMs) / (g.range.lastMs - g.range.firstMs) * pixels));
  const int b = int(std::floor(g.Baseline(trace)));
  return g.timeDown ? QPoint(b, t) : QPoint(t, b);
}

}  // namespace test
}  // namespace gt7p
