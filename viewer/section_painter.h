// The section drawn with QPainter, the same for the viewer window, its
// pictures and prints, and the offscreen plot: the title line with the
// legend of the analysis points, the channel labels ("道号"), the timing
// lines and the time axis in ms, for traces spaced by distance the
// distance axis in m, the traces in their mode, the instrument's
// analysis points t0..t5 and the operator's first breaks as marks, and
// (pictures and the plot) the header fields on the right as the file list
// renders them.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "viewer/plot.h"
#include "viewer/section.h"

class QGuiApplication;
class QPainter;

namespace gt7p {
namespace view {

// The font the section is drawn in ("宋体", or the CJK Song font that
// stands in for it), `pixels` high: kFontPixels for the section's texts,
// kPanelFontPixels for the panels beside it.
QFont SectionFont(int pixels);
constexpr int kFontPixels = 13;
constexpr int kPanelFontPixels = 12;

// Lays the section out in a `width` x `height` picture for `range` (none:
// all of it): measures the frame with the font (labels, title, axis, and
// the header panel when `withPanel`) and returns where the traces go.
// Their columns are then made for its time span (SetColumns).
SectionGeometry FitSection(const Section& section, const DisplayOptions& options,
                           const std::optional<ViewRange>& range, int width, int height, bool withPanel,
                           Frame& frame);

// Paints everything into (0, 0, width, height). `marked` is a trace to
// outline (-1: none).
void PaintSection(QPainter& painter, const Section& section, const SectionGeometry& geometry, const Frame& frame,
                  const DisplayOptions& options, int width, int height, int marked = -1);

// The displayed samples of trace i, in a buffer of the caller's that stays
// valid until the next call.
using DisplayedSamples = std::function<const std::vector<float>&(int trace)>;

// The whole picture, as the plot and the window's pictures and prints
// make it: laid out, every trace's peak and the visible traces' columns
// from their displayed samples (asked for in channel order, one at a
// time), painted with the header panel.
void PaintWholeSection(QPainter& painter, Section& section, const DisplayOptions& options,
                       const std::optional<ViewRange>& range, int width, int height, const DisplayedSamples& displayed,
                       bool withPanel = true);
// The same into an image; a null image when there is no memory for it.
QImage DrawSection(Section& section, const DisplayOptions& options, const std::optional<ViewRange>& range,
                   int width, int height, const DisplayedSamples& displayed);

// The picture (Format_RGB32) with a palette of its own colours, or a null
// image when it has more than 256 or another format. A wiggle section has a
// few hundred shades at most (its few colours and the text's smoothing);
// as a palette PNG it is a third of the bytes, which the PNG writer neither
// filters nor searches: written several times faster, and smaller.
QImage WithPalette(const QImage& image);

// Writes the picture as a PNG (with a palette where it has few colours),
// made in memory and written by our own calls, so that a write that fails
// says why and libpng never prints its own words. Throws Error
// "无法创建文件！", WriteError, or "内存不足！".
void WritePng(const QImage& image, const std::filesystem::path& path);

// A GUI application for drawing where the process has none (gt7p-cli:
// the minimal platform with the system's fonts), null where one runs.
// plot.cpp.
std::unique_ptr<QGuiApplication> EnsureGuiApplication();

// The record's section, read one channel at a time, painted as the plot
// draws it into (0, 0, width, height) (with the header panel when
// `withPanel`); its header's lines back. The reader's failures. plot.cpp.
std::vector<FieldLine> PaintRecordFile(QPainter& painter, const std::filesystem::path& record,
                                       const PlotOptions& options, int width, int height, bool withPanel);

}  // namespace view
}  // namespace gt7p
