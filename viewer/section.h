// The section display's computations, free of any toolkit: min/max
// decimation per pixel column, the display settings (trace mode,
// orientation, spacing, gain, clipping), where the traces and the analysis
// points lie for a visible span of time and traces, zoom and scroll, the
// time axis and its timing lines, and which channel labels fit.
//
// Time runs across (as recorded: milliseconds, 0 at the trigger, so that
// pre-trigger samples lie before 0) or downwards; one trace per channel,
// each a wiggle around its own baseline or a band of colour.
//
// Analysis points: a channel header's fields t0..t5 hold sample numbers,
// counted from 1 at the channel's first recorded sample (pre-trigger
// samples included), as their range note "（1-8192）" says; 0 means the
// instrument set no point. Sample number n lies at the time of sample
// index n - 1 (records/picks_table.h, the one rule for the viewer, the
// exports and the picks table). The operator's first breaks are counted
// the same way.
//
// Samples that are not finite (NaN, infinity) are gaps: no column holds
// them, no peak counts them.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "records/records.h"

namespace gt7p {
namespace view {

// Per pixel column, the smallest and largest value of the trace drawn as
// straight lines between its samples; NaN in both for a column with
// nothing to draw (beyond the samples, or only non-finite ones).
struct MinMax {
  float min = 0, max = 0;
  bool gap() const { return std::isnan(min); }
};

// The columns of the sample positions [first, last] (0-based, fractional):
// column c spans the c-th of `columns` equal parts. A column takes the
// line's values at its edges and the samples strictly inside, so that
// neighbouring columns share their edge value and the wiggle drawn from
// them has no gaps; with fewer samples than columns it follows the lines
// between the samples.
std::vector<MinMax> DecimateSpan(const float* samples, size_t count, double first, double last, int columns);
// The whole trace: the first sample at the left edge of column 0, the last
// at the right edge of the last column.
std::vector<MinMax> DecimateTrace(const float* samples, size_t count, int columns);

// Largest absolute finite value of the samples (0 for none).
float PeakOf(const float* samples, size_t count);

// ---- time ----

// The section's time axis is the record's (records/sample_times.h): whole
// hundredths of a microsecond, made milliseconds at the end, the numbers
// of the exports and the picks table. An interval beyond 10 s or a delay
// beyond 10^12 us, which no record has, would overflow them: such a
// header has no time axis (every sample at 0).
SampleTimes SectionTimes(const RecordHeader& header);
// Time of sample index i (0-based, fractional too) in ms.
double SampleTimeMs(const RecordHeader& header, double index);
// Fractional sample index at a time (0 without an interval).
double SampleIndexAt(const RecordHeader& header, double ms);
// Index of the sample nearest in time; -1 more than half an interval
// before the first or after the last.
int32_t NearestSample(const RecordHeader& header, double ms);
// Index of the first sample at or after the trigger (time 0), at most the
// sample count.
int32_t TriggerSample(const RecordHeader& header);
// The section's time span: first and last sample (at least one interval wide).
void TimeSpan(const RecordHeader& header, double& firstMs, double& lastMs);
// Time of an analysis point or pick, or none for 0 or a number beyond the samples.
std::optional<double> PickTimeMs(const RecordHeader& header, int32_t sampleNumber);

// ---- the section ----

// One trace, reduced to what drawing needs.
struct SectionTrace {
  int32_t channelNumber = 0;             // "道号"
  double distanceM = 0;                  // "源检距"
  std::array<int32_t, 6> picks{};        // t0..t5 as stored
  float peak = 0;                        // largest absolute sample as displayed
  std::vector<MinMax> columns;           // the visible span, one per time pixel
};
// Number, distance and analysis points from a channel header.
SectionTrace TraceOfChannel(const std::string& channelHeader);

// Everything the section shows, independent of the picture's size.
struct Section {
  RecordHeader header;
  std::string fileName;                  // core text, for the title
  std::vector<FieldLine> headerLines;    // HeaderFieldLines
  std::vector<SectionTrace> traces;
  double firstMs = 0, lastMs = 0;        // times of the first and last sample
  // The operator's first breaks per trace: sample numbers, 0 for none.
  std::vector<int32_t> firstBreaks;
  // The operator's reflection picks, the same way.
  std::vector<int32_t> reflections;
  // The title's account of the gain and the processing (SettingsText).
  std::string settingsText;
};
// The section of the record in the file `file`, as the window and the plot
// show it: its header and header lines, the file's name for the title,
// and one trace per channel from that channel's header (TraceOfChannel of
// `channelHeader(i)`, asked for in channel order). No columns yet (they
// come from SetColumns) and no first breaks (all 0).
Section MakeSection(const RecordHeader& header, const std::filesystem::path& file,
                    const std::function<std::string(int channel)>& channelHeader);

// How traces are drawn.
enum class TraceMode {
  kWiggle,
  kFillPositive,     // wiggle with the positive side filled (variable area)
  kFillNegative,
  kDensityGrey,      // variable density: black for the largest positive value
  kDensityRedWhiteBlue,
};
// "wiggle", "va", "va-neg", "grey", "rwb": the names gt7p-cli takes.
const char* TraceModeName(TraceMode mode);
std::optional<TraceMode> TraceModeNamed(const std::string& name);

// The display settings, the same for the window and the plot.
struct DisplayOptions {
  TraceMode mode = TraceMode::kFillPositive;
  bool timeDown = false;          // time downwards, traces across
  bool byDistance = false;        // traces at their source-receiver distance, else evenly
  bool reverse = false;           // the last channel first
  bool flipPolarity = false;
  double gainDb = 0;              // fixed gain
  bool normalise = true;          // each trace to its own peak, else all to the record's
  double clip = 1;                // largest excursion, in trace spacings
};

// Gain after `steps` presses (+1 louder, -1 softer): kGainStepDb each,
// kept within kGainDb (display_limits.h).
double StepGainDb(double gainDb, int steps);
double GainFactor(double gainDb);

// Where the traces lie along their axis: the channel's place (0, 1, 2...)
// or its distance in metres, and the usual gap between neighbours, the
// wiggles' scale (evenly spaced 1; by distance their median gap, 1 when
// there is none).
struct TraceAxis {
  std::vector<double> positions;  // per trace
  double gap = 1;
};
TraceAxis MakeTraceAxis(const Section& section, bool byDistance);

// The distance in metres at a place along the trace axis: the place itself
// for traces spaced by distance, else between the neighbouring traces'
// distances.
double DistanceAtPosition(const Section& section, bool byDistance, double pos);

// What is visible: a span of time and a span of trace positions.
struct ViewRange {
  double firstMs = 0, lastMs = 1;
  double firstPos = 0, lastPos = 1;
};
// All of it: every sample, and half a usual gap beyond the outer traces.
ViewRange FullRange(const Section& section, const TraceAxis& axis);

// The operator's time window ("时窗"): the part of a record's time the
// section shows, zoomed and scrolled within, and the part the automatic
// picker searches. Start and end in ms on the record's time axis; a window
// whose end is not after its start (0 and 0) is none: all of the record.
struct TimeWindow {
  double fromMs = 0, toMs = 0;
  bool set() const { return toMs > fromMs; }
};
// The record's span [firstMs, lastMs] cut to the window: the part inside
// it, widened about its middle to `narrowest` where it is narrower (within
// the span). The span stays whole for no window or one beside the record.
void WindowedSpan(const TimeWindow& window, double narrowest, double& firstMs, double& lastMs);
// The samples the automatic picker searches: indices [from, to) of those
// at or after the trigger inside the record's windowed span (time
// narrowest as the view's). False, with from == to, where none are left
// (a window wholly before the trigger).
bool WindowSamples(const RecordHeader& header, const TimeWindow& window, size_t& from, size_t& to);

// Where things lie, in pixels.
struct SectionGeometry {
  int left = 0, top = 0, width = 1, height = 1;  // the traces' area
  bool timeDown = false, reverse = false;
  ViewRange range;
  std::vector<double> positions;  // per trace
  double gap = 1;                 // usual gap between positions

  // Pixels along the time axis: the columns a trace is decimated to.
  int TimePixels() const { return timeDown ? height : width; }
  int TracePixels() const { return timeDown ? width : height; }
  int TimeStart() const { return timeDown ? top : left; }
  int TraceStart() const { return timeDown ? left : top; }
  // Along the time axis (x across, y downwards) and back.
  double TimeToPixel(double ms) const;
  double PixelToTime(double pixel) const;
  // Along the trace axis (y across, x downwards) and back.
  double PositionToPixel(double pos) const;
  double PixelToPosition(double pixel) const;
  // Baseline of trace i (0-based) along the trace axis.
  double Baseline(int trace) const { return PositionToPixel(positions[static_cast<size_t>(trace)]); }
  // Pixels of the usual gap: the wiggles' scale.
  double Spacing() const;
  bool Inside(double x, double y) const { return x >= left && x < left + width && y >= top && y < top + height; }
  // The trace nearest to the point, within half a usual gap; -1 for none
  // or outside the area.
  int TraceAt(double x, double y) const;
  double TimeAt(double x, double y) const { return PixelToTime(timeDown ? y : x); }
  // The time and the trace under a pixel: at its centre.
  double TimeUnder(int x, int y) const { return TimeAt(x + 0.5, y + 0.5); }
  int TraceUnder(int x, int y) const { return TraceAt(x + 0.5, y + 0.5); }
  double PositionUnder(int x, int y) const { return PixelToPosition((timeDown ? x : y) + 0.5); }
  // Whether a trace's baseline lies within the area.
  bool Visible(int trace) const;
};

// The frame around the traces: `titleHeight` above (the title and the
// legend); along the trace axis the band of channel labels
// (`traceLabels`: their width left of the area for time across, their
// height above it for time downwards); along the time axis the band of
// time labels (`timeLabels`: below the area, or left of it); `panelWidth`
// on the right for the header fields (left out when the section would get
// narrower than half the total width); for traces spaced by distance the
// band of the distance axis (`distanceLabels`) on the far side of the
// traces from their labels: right of the area for time across, below it
// for time downwards.
struct Frame {
  int margin = 8, titleHeight = 30, traceLabels = 40, timeLabels = 40, panelWidth = 0;
  int distanceLabels = 0;
};
SectionGeometry LayoutSection(int width, int height, const DisplayOptions& options, const ViewRange& range,
                              const TraceAxis& axis, Frame& frame);

// The columns of a trace's displayed samples for the geometry's time span.
void SetColumns(SectionTrace& trace, const RecordHeader& header, const std::vector<float>& samples,
                const SectionGeometry& geometry);

// ---- zoom and scroll ----

// A span [first, last] zoomed by `factor` (< 1 closer) around `anchor`,
// then kept within [lower, upper] and no narrower than `narrowest`.
void ZoomSpan(double& first, double& last, double factor, double anchor, double lower, double upper,
              double narrowest);
// A span moved by `delta`, kept within [lower, upper].
void ScrollSpan(double& first, double& last, double delta, double lower, double upper);
// Narrowest spans: 8 samples of time, 2 traces.
double NarrowestTimeMs(const RecordHeader& header);

// ---- axes and labels ----

// Timing lines: a step of 1, 2 or 5 times a power of ten, the smallest
// that keeps ticks at least `minPixels` apart, and the ticks (multiples of
// the step, 0 among them when in range) inside [firstMs, lastMs].
struct TimeAxis {
  double stepMs = 1;
  std::vector<double> ticksMs;
};
TimeAxis MakeTimeAxis(double firstMs, double lastMs, int pixels, int minPixels);
// A tick's label: as many decimals as the step needs ("-0.5", "10",
// "0.02"), "." as the point whatever the locale.
std::string TickLabel(double ms, double stepMs);
// A number with `decimals` places and "." as the point whatever the locale;
// "-0" shows as "0".
std::string FixedText(double value, int decimals);

// Pixels per sample unit for a trace: its peak (or the record's) reaches
// half a spacing at 0 dB.
double TraceScale(const DisplayOptions& options, float tracePeak, float recordPeak, double spacing);
// Offset from the baseline in pixels (up or right positive), clipped at
// `clip` spacings, the polarity applied.
double ClippedOffset(float value, double scale, double spacing, const DisplayOptions& options);
// Variable density: the colour (0xRRGGBB) of a value at `scale`, full
// strength at half the wiggles' clipping level, which is where a trace's
// peak lies at 0 dB with the clip at 1.
uint32_t DensityColour(float value, double scale, double spacing, const DisplayOptions& options);

// Every how many traces a channel label fits, for labels `labelPixels`
// long along the trace axis (1 when each trace has room).
int LabelStride(double spacing, int labelPixels);

}  // namespace view
}  // namespace gt7p
