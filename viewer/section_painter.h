// The section drawn with QPainter, the same for the viewer window and for
// the offscreen plot: title line with the analysis points' legend, channel
// labels ("道号"), timing lines and time axis in ms, the traces (wiggle with
// positive variable-area fill), the analysis points t0..t5 as marks, and the
// header fields on the right as the file list renders them.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>

#include "viewer/section.h"

class QPainter;

namespace gt7p {
namespace view {

// The font the section is drawn in ("宋体", or the CJK Song font that
// stands in for it), `pixels` high.
QFont SectionFont(int pixels);

// Lays the section out in a `width` x `height` picture: measures the frame
// with the font (labels, title, axis, header panel) and returns where the
// traces go. Columns of the traces are then decimated to its width.
SectionGeometry FitSection(const Section& section, int width, int height, Frame& frame);

// Paints everything into (0, 0, width, height). `marked` is a trace to
// outline (-1: none).
void PaintSection(QPainter& painter, const Section& section, const SectionGeometry& geometry, const Frame& frame,
                  const Scaling& scaling, int width, int height, int marked = -1);

// The picture (Format_RGB32) with a palette of its own colours, or a null
// image when it has more than 256 or another format. A section has a few hundred shades at most (its few
// colours and the text's smoothing); as a palette PNG it is a third of the
// bytes, which the PNG writer neither filters nor searches: written several
// times faster, and smaller.
QImage WithPalette(const QImage& image);

}  // namespace view
}  // namespace gt7p
