// The section display's computations, free of any toolkit: min/max
// decimation per pixel column, amplitude scaling (gain, trace
// normalisation, clipping), the time axis and its timing lines, where the
// traces and the analysis points lie, and which channel labels fit.
//
// The section shows time across (milliseconds, 0 at the trigger, so that
// pre-trigger samples lie before 0) and one trace per channel down the
// page, each a wiggle around its own baseline.
//
// Analysis points: a channel header's fields t0..t5 hold sample numbers,
// counted from 1 at the channel's first recorded sample (pre-trigger
// samples included), as their range note "（1-8192）" says; 0 means the
// instrument set no point. Sample number n lies at the time of sample
// index n - 1 (records/picks_table.h, the one rule for the viewer, the
// exports and the picks table).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/records.h"

namespace gt7p {
namespace view {

struct MinMax {
  float min = 0, max = 0;
};

// Per pixel column, the smallest and largest value of the trace drawn as
// straight lines between its samples, over the column's share of the time
// span: the first sample lies at the left edge of column 0, the last at the
// right edge of the last column. Neighbouring columns share their edge
// value, so the wiggle drawn from them has no gaps; with fewer samples than
// columns it follows the lines between the samples.
std::vector<MinMax> DecimateTrace(const float* samples, size_t count, int columns);

// Largest absolute value of the samples (0 for none).
float PeakOf(const float* samples, size_t count);

// One trace of the section, reduced to what drawing needs.
struct SectionTrace {
  int32_t channelNumber = 0;             // "道号"
  float peak = 0;                        // largest absolute sample
  std::array<int32_t, 6> picks{};        // t0..t5 as stored
  std::vector<MinMax> columns;           // DecimateTrace at the section's width
};

// Everything the section shows, independent of the window's size.
struct Section {
  RecordHeader header;
  std::string fileName;                  // core text, for the title
  std::vector<FieldLine> headerLines;    // HeaderFieldLines
  std::vector<SectionTrace> traces;
  double firstMs = 0, lastMs = 0;        // times of the first and last sample
};

// Time of sample index i (0-based) in ms.
double SampleTimeMs(const RecordHeader& header, double index);
// The section's time span: first and last sample (at least one interval wide).
void TimeSpan(const RecordHeader& header, double& firstMs, double& lastMs);

// Time of an analysis point, or none for 0 or a number beyond the samples.
std::optional<double> PickTimeMs(const RecordHeader& header, int32_t value);

// Where things lie, in pixels.
struct SectionGeometry {
  int left = 0, top = 0, width = 1, height = 1;  // the traces' area
  int channels = 1;
  double firstMs = 0, lastMs = 1;

  double TimeToX(double ms) const;
  // Baseline of trace i (0-based); traces are spaced evenly, half a spacing
  // from the area's top and bottom.
  double Baseline(int trace) const;
  double Spacing() const;
  // The trace whose band holds y, or -1 outside the area.
  int TraceAt(double y) const;
};

// The frame around the traces: `labelWidth` for the channel labels on the
// left, `titleHeight` above, `axisHeight` below, `panelWidth` for the
// header fields on the right (left out when the section would get
// narrower than half the total width).
struct Frame {
  int labelWidth = 40, titleHeight = 30, axisHeight = 40, panelWidth = 0, margin = 8;
};
SectionGeometry LayoutSection(int width, int height, int channels, double firstMs, double lastMs, Frame& frame);

// Timing lines: a step of 1, 2 or 5 times a power of ten, the smallest
// that keeps ticks at least `minPixels` apart, and the ticks (multiples of
// the step, 0 among them when in range) inside [firstMs, lastMs].
struct TimeAxis {
  double stepMs = 1;
  std::vector<double> ticksMs;
};
TimeAxis MakeTimeAxis(double firstMs, double lastMs, int pixels, int minPixels);
// A tick's label: as many decimals as the step needs ("-0.5", "10", "0.02").
std::string TickLabel(double ms, double stepMs);

// Amplitude: with trace normalisation each trace's peak, otherwise the
// record's, reaches half a spacing times the gain; drawn values are
// clipped at one spacing either side of the baseline.
struct Scaling {
  double gain = 1;
  bool normalise = true;
};
// Pixels per sample unit for a trace.
double TraceScale(const Scaling& scaling, float tracePeak, float recordPeak, double spacing);
// Offset from the baseline in pixels, up positive, clipped.
double ClippedOffset(float value, double scale, double spacing);

// Gain after `steps` presses (+1 louder, -1 softer): 3 dB (a factor √2)
// each, kept within 1/64 to 1024.
double StepGain(double gain, int steps);

// Every how many traces a channel label fits, for labels `labelPixels`
// high (1 when each trace has room).
int LabelStride(double spacing, int labelPixels);

// Builds a section trace from a channel: its number, picks, peak and
// columns.
SectionTrace MakeSectionTrace(const RecordChannel& channel, int columns);

}  // namespace view
}  // namespace gt7p
