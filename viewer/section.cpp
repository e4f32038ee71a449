#include "viewer/section.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <limits>

#include "base/cp936.h"
#include "viewer/display_limits.h"

namespace gt7p {
namespace view {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Range {
  float lo = FLT_MAX, hi = -FLT_MAX;
  void Take(float v) {
    if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  }
};

// Samples [begin, end) into the range. NaN drops out of std::min and
// std::max on its own (every comparison with it is false), so the common
// loop needs no test per sample; only an infinity sends the column through
// the careful loop.
void TakeSamples(const float* samples, size_t begin, size_t end, Range& range) {
  float lo = range.lo, hi = range.hi;
  for (size_t i = begin; i < end; ++i) {
    lo = std::min(lo, samples[i]);
    hi = std::max(hi, samples[i]);
  }
  if (std::isfinite(lo) && std::isfinite(hi)) {
    range.lo = lo;
    range.hi = hi;
    return;
  }
  for (size_t i = begin; i < end; ++i) range.Take(samples[i]);
}

}  // namespace

std::vector<MinMax> DecimateSpan(const float* samples, size_t count, double first, double last, int columns) {
  std::vector<MinMax> out(static_cast<size_t>(std::max(columns, 0)), MinMax{kNaN, kNaN});
  if (count == 0 || columns <= 0 || !(last >= first)) return out;
  const double end = static_cast<double>(count - 1);
  // The line's value at a position within [0, end]; not finite next to a
  // sample that is not. Worked out in double and kept between its two
  // samples: in float, the difference of a huge sample and a small one
  // rounds, and the line would pass the small one by that rounding.
  auto at = [&](double p) {
    const size_t i = static_cast<size_t>(p);
    if (static_cast<double>(i) == p) return samples[i];  // on a sample: the next one plays no part
    const double a = samples[i], b = samples[i + 1];
    if (!std::isfinite(a) || !std::isfinite(b)) return static_cast<float>(a + b);  // not finite either
    const double v = a + (p - static_cast<double>(i)) * (b - a);
    return static_cast<float>(std::clamp(v, std::min(a, b), std::max(a, b)));
  };
  const double step = (last - first) / columns;
  for (int c = 0; c < columns; ++c) {
    const double p0 = std::max(first + step * c, 0.0);
    const double p1 = std::min(c + 1 == columns ? last : first + step * (c + 1), end);
    if (p0 > p1) continue;  // beyond the samples
    Range range;
    range.Take(at(p0));
    range.Take(at(p1));
    // Samples strictly inside the column: indexes above p0 and below p1.
    const size_t begin = static_cast<size_t>(std::floor(p0)) + 1;
    const size_t stop = std::min(static_cast<size_t>(std::ceil(p1)), count);
    if (begin < stop) TakeSamples(samples, begin, stop, range);
    if (range.lo <= range.hi) out[static_cast<size_t>(c)] = {range.lo, range.hi};
  }
  return out;
}

std::vector<MinMax> DecimateTrace(const float* samples, size_t count, int columns) {
  return DecimateSpan(samples, count, 0, count > 0 ? static_cast<double>(count - 1) : 0.0, columns);
}

float PeakOf(const float* samples, size_t count) {
  float peak = 0;
  for (size_t i = 0; i < count; ++i) {
    const float a = std::fabs(samples[i]);
    if (a > peak && a <= FLT_MAX) peak = a;
  }
  return peak;
}

SampleTimes SectionTimes(const RecordHeader& header) {
  if (!(std::fabs(header.intervalUs) <= 1e7 && std::fabs(header.sampleDelayUs) <= 1e12)) return SampleTimes();
  return RecordSampleTimes(header);
}

double SampleTimeMs(const RecordHeader& header, double index) {
  // Exact for whole indexes: the hundredths of a microsecond are whole
  // numbers well within a double's integers.
  const SampleTimes times = SectionTimes(header);
  return (static_cast<double>(times.firstCentiUs) + index * static_cast<double>(times.intervalCentiUs)) / 1e5;
}

double SampleIndexAt(const RecordHeader& header, double ms) {
  const SampleTimes times = SectionTimes(header);
  return times.intervalCentiUs > 0 ? (ms - times.AtMs(0)) / (static_cast<double>(times.intervalCentiUs) / 1e5) : 0.0;
}

int32_t NearestSample(const RecordHeader& header, double ms) {
  const double index = std::round(SampleIndexAt(header, ms));
  return index >= 0 && index < header.sampleCount ? static_cast<int32_t>(index) : -1;
}

int32_t TriggerSample(const RecordHeader& header) {
  const SampleTimes times = SectionTimes(header);
  const int64_t count = std::max<int64_t>(header.sampleCount, 0);
  if (times.firstCentiUs >= 0 || times.intervalCentiUs <= 0) return 0;
  const int64_t first = (-times.firstCentiUs + times.intervalCentiUs - 1) / times.intervalCentiUs;
  return static_cast<int32_t>(std::min(first, count));
}

void TimeSpan(const RecordHeader& header, double& firstMs, double& lastMs) {
  firstMs = SampleTimeMs(header, 0);
  lastMs = SampleTimeMs(header, std::max(header.sampleCount - 1, 1));
  if (!(lastMs > firstMs)) lastMs = firstMs + 1;  // no interval: one ms wide
}

std::optional<double> PickTimeMs(const RecordHeader& header, int32_t value) {
  // Counted as the picks table counts them, at the table's time.
  const int32_t index = PickSampleIndex(value, header.sampleCount);
  if (index < 0) return std::nullopt;
  return SectionTimes(header).AtMs(index);
}

SectionTrace TraceOfChannel(const std::string& channelHeader) {
  SectionTrace trace;
  trace.channelNumber = ChannelNumber(channelHeader);
  trace.distanceM = SourceDistanceM(channelHeader);
  trace.picks = AnalysisPoints(channelHeader);
  return trace;
}

Section MakeSection(const RecordHeader& header, const std::filesystem::path& file,
                    const std::function<std::string(int channel)>& channelHeader) {
  Section section;
  section.header = header;
  section.fileName = TextFromPath(file.filename());
  section.headerLines = HeaderFieldLines(header);
  TimeSpan(header, section.firstMs, section.lastMs);
  const int channels = std::max(header.channelCount, 0);
  section.traces.reserve(static_cast<size_t>(channels));
  for (int i = 0; i < channels; ++i) section.traces.push_back(TraceOfChannel(channelHeader(i)));
  section.firstBreaks.assign(static_cast<size_t>(channels), 0);
  return section;
}

namespace {
const char* const kModeNames[] = {"wiggle", "va", "va-neg", "grey", "rwb"};
}

const char* TraceModeName(TraceMode mode) { return kModeNames[static_cast<int>(mode)]; }

std::optional<TraceMode> TraceModeNamed(const std::string& name) {
  for (int i = 0; i < 5; ++i)
    if (name == kModeNames[i]) return static_cast<TraceMode>(i);
  return std::nullopt;
}

double StepGainDb(double gainDb, int steps) { return std::clamp(gainDb + kGainStepDb * steps, kGainDb.low, kGainDb.high); }

double GainFactor(double gainDb) { return std::pow(10.0, gainDb / 20); }

TraceAxis MakeTraceAxis(const Section& section, bool byDistance) {
  TraceAxis axis;
  axis.positions.resize(section.traces.size());
  for (size_t i = 0; i < axis.positions.size(); ++i)
    axis.positions[i] = byDistance && std::isfinite(section.traces[i].distanceM) ? section.traces[i].distanceM
                                                                               : static_cast<double>(i);
  if (!byDistance) return axis;
  std::vector<double> sorted = axis.positions;
  std::sort(sorted.begin(), sorted.end());
  std::vector<double> gaps;
  for (size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i] > sorted[i - 1]) gaps.push_back(sorted[i] - sorted[i - 1]);
  if (gaps.empty()) return axis;
  std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
  axis.gap = gaps[gaps.size() / 2];
  return axis;
}

double DistanceAtPosition(const Section& section, bool byDistance, double pos) {
  if (byDistance || section.traces.empty()) return pos;
  const double last = static_cast<double>(section.traces.size() - 1);
  const double p = std::clamp(pos, 0.0, last);
  const size_t i = std::min(static_cast<size_t>(p), section.traces.size() - 1);
  const size_t j = std::min(i + 1, section.traces.size() - 1);
  const double f = p - static_cast<double>(i);
  return section.traces[i].distanceM + f * (section.traces[j].distanceM - section.traces[i].distanceM);
}

void WindowedSpan(const TimeWindow& window, double narrowest, double& firstMs, double& lastMs) {
  if (!window.set() || !(lastMs > firstMs)) return;
  const double first = std::max(firstMs, window.fromMs), last = std::min(lastMs, window.toMs);
  if (!(last >= first)) return;  // beside the record
  const double wide = std::min(std::max(narrowest, last - first), lastMs - firstMs);
  const double start = std::clamp((first + last - wide) / 2, firstMs, lastMs - wide);
  firstMs = start;
  lastMs = start + wide;
}

bool WindowSamples(const RecordHeader& header, const TimeWindow& window, size_t& from, size_t& to) {
  const size_t count = static_cast<size_t>(std::max<int32_t>(header.sampleCount, 0));
  from = static_cast<size_t>(TriggerSample(header));
  to = count;
  if (window.set() && header.intervalUs > 0) {
    double first = 0, last = 0;
    TimeSpan(header, first, last);
    WindowedSpan(window, NarrowestTimeMs(header), first, last);
    // Samples on the window's edges are inside it.
    constexpr double kEdge = 1e-6;
    const double a = std::ceil(SampleIndexAt(header, first) - kEdge);
    const double b = std::floor(SampleIndexAt(header, last) + kEdge) + 1;
    from = std::max(from, static_cast<size_t>(std::clamp(a, 0.0, static_cast<double>(count))));
    to = static_cast<size_t>(std::clamp(b, 0.0, static_cast<double>(count)));
  }
  if (to <= from) {
    from = to = std::min(from, count);
    return false;
  }
  return true;
}

ViewRange FullRange(const Section& section, const TraceAxis& axis) {
  const std::vector<double>& positions = axis.positions;
  const double gap = axis.gap;
  ViewRange range;
  range.firstMs = section.firstMs;
  range.lastMs = section.lastMs;
  if (positions.empty()) {
    range.firstPos = -0.5;
    range.lastPos = 0.5;
    return range;
  }
  const auto [lo, hi] = std::minmax_element(positions.begin(), positions.end());
  range.firstPos = *lo - gap / 2;
  range.lastPos = *hi + gap / 2;
  return range;
}

double SectionGeometry::TimeToPixel(double ms) const {
  return TimeStart() + (ms - range.firstMs) / (range.lastMs - range.firstMs) * TimePixels();
}

double SectionGeometry::PixelToTime(double pixel) const {
  return range.firstMs + (pixel - TimeStart()) / TimePixels() * (range.lastMs - range.firstMs);
}

double SectionGeometry::PositionToPixel(double pos) const {
  double f = (pos - range.firstPos) / (range.lastPos - range.firstPos);
  if (reverse) f = 1 - f;
  return TraceStart() + f * TracePixels();
}

double SectionGeometry::PixelToPosition(double pixel) const {
  double f = (pixel - TraceStart()) / TracePixels();
  if (reverse) f = 1 - f;
  return range.firstPos + f * (range.lastPos - range.firstPos);
}

double SectionGeometry::Spacing() const { return gap / (range.lastPos - range.firstPos) * TracePixels(); }

int SectionGeometry::TraceAt(double x, double y) const {
  if (!Inside(x, y)) return -1;
  const double along = timeDown ? x : y;
  int best = -1;
  double bestDistance = Spacing() / 2;
  for (size_t i = 0; i < positions.size(); ++i) {
    const double d = std::fabs(Baseline(static_cast<int>(i)) - along);
    if (d <= bestDistance) {
      best = static_cast<int>(i);
      bestDistance = d;
    }
  }
  return best;
}

bool SectionGeometry::Visible(int trace) const {
  const double b = Baseline(trace);
  return b >= TraceStart() - 0.5 && b <= TraceStart() + TracePixels() + 0.5;
}

SectionGeometry LayoutSection(int width, int height, const DisplayOptions& options, const ViewRange& range,
                              const TraceAxis& axis, Frame& frame) {
  const int m = frame.margin;
  const int leftBand = options.timeDown ? frame.timeLabels : frame.traceLabels;
  const int rightBand = options.timeDown ? 0 : frame.distanceLabels;
  if (frame.panelWidth > 0 && width - frame.panelWidth - leftBand - rightBand - 3 * m < width / 2) frame.panelWidth = 0;
  SectionGeometry g;
  g.timeDown = options.timeDown;
  g.reverse = options.reverse;
  g.left = m + leftBand;
  g.top = m + frame.titleHeight + (options.timeDown ? frame.traceLabels : 0);
  g.width = std::max(1, width - g.left - m - (frame.panelWidth > 0 ? frame.panelWidth + m : 0) -
                            (options.timeDown ? 0 : frame.distanceLabels));
  g.height = std::max(1, height - g.top - m - (options.timeDown ? frame.distanceLabels : frame.timeLabels));
  g.range = range;
  if (!(g.range.lastMs > g.range.firstMs)) g.range.lastMs = g.range.firstMs + 1;
  if (!(g.range.lastPos > g.range.firstPos)) g.range.lastPos = g.range.firstPos + 1;
  g.positions = axis.positions;
  g.gap = axis.gap > 0 ? axis.gap : 1;
  return g;
}

void SetColumns(SectionTrace& trace, const RecordHeader& header, const std::vector<float>& samples,
                const SectionGeometry& geometry) {
  trace.columns = DecimateSpan(samples.data(), samples.size(), SampleIndexAt(header, geometry.range.firstMs),
                               SampleIndexAt(header, geometry.range.lastMs), geometry.TimePixels());
}

void ZoomSpan(double& first, double& last, double factor, double anchor, double lower, double upper,
              double narrowest) {
  const double old = last - first;
  const double whole = upper - lower;
  const double width = std::clamp(old * factor, std::min(narrowest, whole), whole);
  if (!(old > 0)) {
    first = lower;
    last = upper;
    return;
  }
  anchor = std::clamp(anchor, first, last);
  first = anchor - (anchor - first) * (width / old);
  last = first + width;
  ScrollSpan(first, last, 0, lower, upper);
}

void ScrollSpan(double& first, double& last, double delta, double lower, double upper) {
  const double width = std::min(last - first, upper - lower);
  first = std::clamp(first + delta, lower, upper - width);
  last = first + width;
}

double NarrowestTimeMs(const RecordHeader& header) { return std::max(8 * header.intervalUs * 0.001, 1e-6); }

TimeAxis MakeTimeAxis(double firstMs, double lastMs, int pixels, int minPixels) {
  TimeAxis axis;
  const double span = lastMs - firstMs;
  if (!(span > 0) || pixels <= 0) return axis;
  const double wanted = span * std::max(minPixels, 1) / pixels;  // smallest step in ms
  if (!std::isfinite(wanted) || !(wanted > 0)) return axis;
  double power = std::pow(10.0, std::floor(std::log10(wanted)));
  axis.stepMs = 10 * power;
  for (double f : {1.0, 2.0, 5.0, 10.0})
    if (f * power >= wanted * (1 - 1e-9)) {  // 5 x 0.01 may fall a hair short of 0.05
      axis.stepMs = f * power;
      break;
    }
  // Multiples of the step, counted in steps so that 0 is exactly 0.
  const double k0 = std::ceil(firstMs / axis.stepMs - 1e-9);
  if (!(std::fabs(k0) < 1e15)) return axis;
  for (double k = k0; k * axis.stepMs <= lastMs + 1e-9 * axis.stepMs && axis.ticksMs.size() <= size_t(pixels); ++k)
    axis.ticksMs.push_back(k * axis.stepMs);
  return axis;
}

std::string FixedText(double value, int decimals) {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
  char buf[512];  // a double's integer part has at most 309 digits
  const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr;
  std::string text(buf, end);
  if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);  // no "-0"
  return text;
}

std::string TickLabel(double ms, double stepMs) {
  int decimals = 0;
  while (decimals < 6 && std::fabs(stepMs * std::pow(10.0, decimals) - std::round(stepMs * std::pow(10.0, decimals))) > 1e-6)
    ++decimals;
  const std::string text = FixedText(ms, decimals);
  return text.find_first_not_of("0.") == std::string::npos ? "0" : text;
}

double TraceScale(const DisplayOptions& options, float tracePeak, float recordPeak, double spacing) {
  const float peak = options.normalise ? tracePeak : recordPeak;
  if (!(peak > 0)) return 0;
  return GainFactor(options.gainDb) * 0.5 * spacing / peak;
}

double ClippedOffset(float value, double scale, double spacing, const DisplayOptions& options) {
  const double limit = options.clip * spacing;
  return std::clamp(value * scale * (options.flipPolarity ? -1 : 1), -limit, limit);
}

uint32_t DensityColour(float value, double scale, double spacing, const DisplayOptions& options) {
  // Full colour at half the wiggles' clip: where a trace's peak lies at 0 dB.
  const double limit = 0.5 * options.clip * spacing;
  const double t = limit > 0 ? std::clamp(ClippedOffset(value, scale, spacing, options) / limit, -1.0, 1.0) : 0;
  auto channel = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
  if (options.mode == TraceMode::kDensityRedWhiteBlue) {
    // Positive towards red, negative towards blue, white at zero.
    const uint32_t fade = channel(255 * (1 - std::fabs(t)));
    return t >= 0 ? 0xFF0000u | fade << 8 | fade : fade << 16 | fade << 8 | 0xFFu;
  }
  const uint32_t grey = channel(127.5 * (1 - t));  // positive dark
  return grey << 16 | grey << 8 | grey;
}

int LabelStride(double spacing, int labelPixels) {
  if (!(spacing > 0)) return 1;
  int stride = 1;
  while (stride * spacing < labelPixels && stride < (1 << 24)) stride = stride == 1 ? 2 : stride == 2 ? 5 : stride * 2;
  return stride;
}

}  // namespace view
}  // namespace gt7p
