#include "viewer/section.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gt7p {
namespace view {

std::vector<MinMax> DecimateTrace(const float* samples, size_t count, int columns) {
  std::vector<MinMax> out(static_cast<size_t>(std::max(columns, 0)));
  if (count == 0 || columns <= 0) return out;
  if (count == 1) {
    for (MinMax& m : out) m = {samples[0], samples[0]};
    return out;
  }
  const double span = static_cast<double>(count - 1);
  // The interpolated value at a continuous sample position.
  auto at = [&](double p) {
    const size_t i = std::min(static_cast<size_t>(p), count - 2);
    const double f = p - static_cast<double>(i);
    return static_cast<float>(samples[i] + f * (samples[i + 1] - samples[i]));
  };
  double p0 = 0;
  float v0 = samples[0];
  for (int c = 0; c < columns; ++c) {
    const double p1 = c + 1 == columns ? span : span * (c + 1) / columns;
    const float v1 = c + 1 == columns ? samples[count - 1] : at(p1);
    float lo = std::min(v0, v1), hi = std::max(v0, v1);
    // Samples strictly inside the column: indexes above p0 and below p1.
    const size_t stop = std::min(static_cast<size_t>(std::ceil(p1)), count);
    for (size_t i = static_cast<size_t>(std::floor(p0)) + 1; i < stop; ++i) {
      lo = std::min(lo, samples[i]);
      hi = std::max(hi, samples[i]);
    }
    out[static_cast<size_t>(c)] = {lo, hi};
    p0 = p1;
    v0 = v1;
  }
  return out;
}

float PeakOf(const float* samples, size_t count) {
  float peak = 0;
  for (size_t i = 0; i < count; ++i) peak = std::max(peak, std::fabs(samples[i]));
  return peak;
}

double SampleTimeMs(const RecordHeader& header, double index) {
  return FirstSampleMs(header) + index * header.intervalUs * 0.001;
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
  return RecordSampleTimes(header).AtMs(index);
}

double SectionGeometry::TimeToX(double ms) const {
  return left + (ms - firstMs) / (lastMs - firstMs) * width;
}

double SectionGeometry::Spacing() const { return static_cast<double>(height) / std::max(channels, 1); }

double SectionGeometry::Baseline(int trace) const { return top + (trace + 0.5) * Spacing(); }

int SectionGeometry::TraceAt(double y) const {
  if (y < top || y >= top + height) return -1;
  return std::min(static_cast<int>((y - top) / Spacing()), channels - 1);
}

SectionGeometry LayoutSection(int width, int height, int channels, double firstMs, double lastMs, Frame& frame) {
  const int m = frame.margin;
  if (frame.panelWidth > 0 && width - frame.panelWidth - frame.labelWidth - 3 * m < width / 2) frame.panelWidth = 0;
  SectionGeometry g;
  g.left = m + frame.labelWidth;
  g.top = m + frame.titleHeight;
  g.width = std::max(1, width - g.left - m - (frame.panelWidth > 0 ? frame.panelWidth + m : 0));
  g.height = std::max(1, height - g.top - frame.axisHeight - m);
  g.channels = std::max(channels, 1);
  g.firstMs = firstMs;
  g.lastMs = lastMs > firstMs ? lastMs : firstMs + 1;
  return g;
}

TimeAxis MakeTimeAxis(double firstMs, double lastMs, int pixels, int minPixels) {
  TimeAxis axis;
  const double span = lastMs - firstMs;
  if (!(span > 0) || pixels <= 0) return axis;
  const double wanted = span * std::max(minPixels, 1) / pixels;  // smallest step in ms
  double power = std::pow(10.0, std::floor(std::log10(wanted)));
  axis.stepMs = 10 * power;
  for (double f : {1.0, 2.0, 5.0, 10.0})
    if (f * power >= wanted * (1 - 1e-9)) {  // 5 x 0.01 may fall a hair short of 0.05
      axis.stepMs = f * power;
      break;
    }
  // Multiples of the step, counted in steps so that 0 is exactly 0.
  for (long long k = static_cast<long long>(std::ceil(firstMs / axis.stepMs - 1e-9));
       k * axis.stepMs <= lastMs + 1e-9 * axis.stepMs; ++k)
    axis.ticksMs.push_back(k * axis.stepMs);
  return axis;
}

std::string TickLabel(double ms, double stepMs) {
  int decimals = 0;
  while (decimals < 6 && std::fabs(stepMs * std::pow(10.0, decimals) - std::round(stepMs * std::pow(10.0, decimals))) > 1e-6)
    ++decimals;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, ms);
  std::string text = buf;
  if (text.find_first_not_of("-0.") == std::string::npos) text = "0";  // no "-0"
  return text;
}

double TraceScale(const Scaling& scaling, float tracePeak, float recordPeak, double spacing) {
  const float peak = scaling.normalise ? tracePeak : recordPeak;
  if (!(peak > 0)) return 0;
  return scaling.gain * 0.5 * spacing / peak;
}

double ClippedOffset(float value, double scale, double spacing) {
  return std::clamp(value * scale, -spacing, spacing);
}

double StepGain(double gain, int steps) {
  return std::clamp(gain * std::pow(std::sqrt(2.0), steps), 1.0 / 64, 1024.0);
}

int LabelStride(double spacing, int labelPixels) {
  if (!(spacing > 0)) return 1;
  int stride = 1;
  while (stride * spacing < labelPixels) stride = stride == 1 ? 2 : stride == 2 ? 5 : stride * 2;
  return stride;
}

SectionTrace MakeSectionTrace(const RecordChannel& channel, int columns) {
  SectionTrace trace;
  trace.channelNumber = ChannelNumber(channel.header);
  trace.picks = AnalysisPoints(channel.header);
  trace.columns = DecimateTrace(channel.samples.data(), channel.samples.size(), columns);
  // The columns hold every sample's value: the peak is theirs, without
  // another pass over the samples.
  if (trace.columns.empty()) trace.peak = PeakOf(channel.samples.data(), channel.samples.size());
  for (const MinMax& m : trace.columns) trace.peak = std::max({trace.peak, std::fabs(m.min), std::fabs(m.max)});
  return trace;
}

}  // namespace view
}  // namespace gt7p
