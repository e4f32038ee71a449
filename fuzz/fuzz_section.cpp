// The section's computations on any numbers: a header of 16 bytes (the
// sample interval, the pre-trigger count, the picture's size, the visible
// spans, the display and processing settings), then the samples as floats
// (NaN and infinities included). Checks what drawing relies on: one
// column per pixel, columns within the samples' finite range or gaps, no
// infinite peak, ticks in order within the span, picks within the trace,
// zoomed spans inside their bounds, processing that keeps gaps where they
// were, and a layout whose traces stay inside the area.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "interpret/interpret.h"
#include "viewer/viewer.h"

namespace {

using namespace gt7p;

struct Reader {
  const uint8_t* data;
  size_t size, at = 0;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  double Fraction() { return Byte() / 255.0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  RecordHeader header;
  header.intervalUs = 1 + in.Byte() * 4.0;  // 1 to 1021 us
  header.preTriggerCount = in.Byte();
  header.sampleDelayUs = (in.Byte() - 128) * 100.0;
  const int width = 200 + in.Byte() * 8, height = 200 + in.Byte() * 4;
  const uint8_t flags = in.Byte();
  const double zoom = 0.01 + in.Fraction() * 2, anchor = in.Fraction();
  view::Processing processing;
  processing.removeDc = flags & 1;
  processing.lowCutHz = in.Byte() * 10.0;
  processing.highCutHz = in.Byte() * 100.0;
  processing.agcMs = (flags & 2) ? in.Byte() * 0.1 : 0;
  view::DisplayOptions options;
  options.timeDown = flags & 4;
  options.reverse = flags & 8;
  options.byDistance = flags & 16;
  options.flipPolarity = flags & 32;
  options.mode = static_cast<view::TraceMode>(in.Byte() % 5);
  options.gainDb = view::StepGainDb(0, in.Byte() % 40 - 12);
  options.clip = 0.1 + in.Fraction() * 4;
  const int channels = 1 + in.Byte() % 8;

  std::vector<float> samples((size - std::min(size, in.at)) / 4);
  if (!samples.empty()) std::memcpy(samples.data(), data + in.at, samples.size() * 4);
  header.channelCount = channels;
  header.sampleCount = static_cast<int32_t>(samples.size());

  // Decimation and peaks.
  const float peak = view::PeakOf(samples.data(), samples.size());
  FUZZ_CHECK(std::isfinite(peak) && peak >= 0);
  float lo = INFINITY, hi = -INFINITY;
  for (float s : samples)
    if (std::isfinite(s)) lo = std::min(lo, s), hi = std::max(hi, s);
  const auto columns = view::DecimateTrace(samples.data(), samples.size(), width);
  FUZZ_CHECK(columns.size() == static_cast<size_t>(width));
  for (const view::MinMax& m : columns)
    if (!m.gap()) FUZZ_CHECK(std::isfinite(m.min) && std::isfinite(m.max) && m.min <= m.max && m.min >= lo && m.max <= hi);

  // A section of `channels` traces sharing the samples, its layout and columns.
  view::Section section =
      view::MakeSection(header, "F.T7P", [](int) { return std::string(gt7p::kChannelHeaderChars, '0'); });
  for (int i = 0; i < channels; ++i) {
    section.traces[static_cast<size_t>(i)].channelNumber = i + 1;
    section.traces[static_cast<size_t>(i)].distanceM = (flags & 64) ? 3.0 * ((i * 7) % channels) : i * 1.5;
  }
  const view::TraceAxis traceAxis = view::MakeTraceAxis(section, options.byDistance);
  FUZZ_CHECK(traceAxis.gap > 0 && traceAxis.positions.size() == section.traces.size());
  view::ViewRange range = view::FullRange(section, traceAxis);
  const view::ViewRange full = range;
  view::ZoomSpan(range.firstMs, range.lastMs, zoom, full.firstMs + anchor * (full.lastMs - full.firstMs), full.firstMs,
                 full.lastMs, view::NarrowestTimeMs(header));
  FUZZ_CHECK(range.firstMs >= full.firstMs - 1e-9 && range.lastMs <= full.lastMs + 1e-9 && range.lastMs > range.firstMs);
  view::ScrollSpan(range.firstPos, range.lastPos, (anchor - 0.5) * 10, full.firstPos, full.lastPos);
  FUZZ_CHECK(range.firstPos >= full.firstPos - 1e-9 && range.lastPos <= full.lastPos + 1e-9);
  view::Frame frame;
  const view::SectionGeometry g = view::LayoutSection(width, height, options, range, traceAxis, frame);
  FUZZ_CHECK(g.left + g.width <= width && g.top + g.height <= height && g.width >= 1 && g.height >= 1);
  view::SetColumns(section.traces[0], header, samples, g);
  FUZZ_CHECK(section.traces[0].columns.size() == static_cast<size_t>(g.TimePixels()));
  for (int i = 0; i < channels; ++i) {
    const int at = g.TraceAt(g.timeDown ? g.Baseline(i) : g.left + 1, g.timeDown ? g.top + 1 : g.Baseline(i));
    if (g.Visible(i)) FUZZ_CHECK(at >= 0);
  }
  const double scale = view::TraceScale(options, peak, peak, g.Spacing());
  for (const view::MinMax& m : section.traces[0].columns)
    if (!m.gap()) {
      FUZZ_CHECK(std::fabs(view::ClippedOffset(m.max, scale, g.Spacing(), options)) <= options.clip * g.Spacing() + 1e-9);
      view::DensityColour(m.min, scale, g.Spacing(), options);
    }

  // The sample under each pixel along the time axis: one of the record's
  // or none, never one before the sample under the pixel before it.
  int32_t before = -1;
  for (int p = 0; p < g.TimePixels(); p += 7) {
    const int32_t sample = view::NearestSample(header, g.PixelToTime(g.TimeStart() + p + 0.5));
    FUZZ_CHECK(sample >= -1 && sample < header.sampleCount && (sample == -1 || sample >= before));
    if (sample >= 0) before = sample;
  }
  FUZZ_CHECK(view::TriggerSample(header) >= 0 && view::TriggerSample(header) <= header.sampleCount);

  // Axis and labels.
  const view::TimeAxis axis = view::MakeTimeAxis(range.firstMs, range.lastMs, g.TimePixels(), 40);
  for (size_t i = 0; i < axis.ticksMs.size(); ++i) {
    FUZZ_CHECK(axis.ticksMs[i] >= range.firstMs - axis.stepMs * 1e-6 && axis.ticksMs[i] <= range.lastMs + axis.stepMs * 1e-6);
    if (i > 0) FUZZ_CHECK(axis.ticksMs[i] > axis.ticksMs[i - 1]);
    FUZZ_CHECK(view::TickLabel(axis.ticksMs[i], axis.stepMs).find(',') == std::string::npos);
  }
  FUZZ_CHECK(view::LabelStride(g.Spacing(), 14) >= 1);

  // Processing keeps the gaps and adds none.
  std::vector<float> shown = samples;
  view::TraceProcessor(header, processing).Apply(shown);
  for (size_t i = 0; i < samples.size(); ++i)
    FUZZ_CHECK(std::isfinite(samples[i]) ? !std::isnan(shown[i]) : std::memcmp(&samples[i], &shown[i], 4) == 0);

  // The spectrum and the picker.
  double binHz = 0;
  const std::vector<double> spectrum = interpret::AmplitudeSpectrum(samples, header.intervalUs, binHz);
  if (!samples.empty()) FUZZ_CHECK(binHz > 0 && !spectrum.empty());
  const int pick = interpret::PickFirstBreak(shown, static_cast<size_t>(header.preTriggerCount), 4 + in.Fraction() * 40);
  FUZZ_CHECK(pick == -1 || (pick >= 0 && static_cast<size_t>(pick) < shown.size()));
  view::FitTravelTime({{0, 0}, {traceAxis.positions.back(), peak}, {1, 2}});
  return 0;
}
