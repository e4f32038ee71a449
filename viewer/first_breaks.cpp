#include "viewer/first_breaks.h"

#include <algorithm>
#include <cmath>

#include "base/cp936.h"

#include "viewer/processing.h"

namespace gt7p {
namespace view {

namespace {

constexpr double kLeastRatio = 10;

// Prefix sums of the values and their squares: a span's mean and variance
// at once.
struct Sums {
  explicit Sums(const std::vector<double>& x) : s1(x.size() + 1), s2(x.size() + 1) {
    for (size_t i = 0; i < x.size(); ++i) {
      s1[i + 1] = s1[i] + x[i];
      s2[i + 1] = s2[i] + x[i] * x[i];
    }
  }
  double Energy(size_t from, size_t to) const { return s2[to] - s2[from]; }
  double Variance(size_t from, size_t to) const {  // [from, to)
    const double n = static_cast<double>(to - from);
    const double mean = (s1[to] - s1[from]) / n;
    return std::max((s2[to] - s2[from]) / n - mean * mean, 0.0);
  }
  std::vector<double> s1, s2;
};

}  // namespace

int PickFirstBreak(const std::vector<float>& samples, size_t from, size_t window) {
  const size_t n = samples.size();
  const size_t w = std::max<size_t>(window, 4);
  if (n < 2 * w + 2) return -1;
  std::vector<double> x(n);
  double mean = 0;
  for (size_t i = 0; i < n; ++i) {
    x[i] = std::isfinite(samples[i]) ? samples[i] : 0.0;
    mean += x[i];
  }
  mean /= static_cast<double>(n);
  for (double& v : x) v -= mean;
  const Sums sums(x);
  const double total = sums.Energy(0, n);
  if (!(total > 0)) return -1;
  // Energy ratio, the window before a sample against the one from it on;
  // the floor keeps a silent stretch before the arrival from dividing by 0.
  const double floor = 1e-6 * total / static_cast<double>(n) * static_cast<double>(w);
  size_t coarse = 0;
  double best = -1;
  for (size_t i = std::max(w, from); i + w <= n; ++i) {
    const double ratio = sums.Energy(i, i + w) / (sums.Energy(i - w, i) + floor);
    if (ratio > best) {
      best = ratio;
      coarse = i;
    }
  }
  // Noise alone rarely has a window ten times the energy of the one
  // before it; an arrival at a signal-to-noise ratio of 3 has.
  if (best < kLeastRatio) return -1;
  // Akaike's criterion over the noise before and the arrival's first
  // period: the split with the least information is the onset.
  const size_t a = coarse > 3 * w ? coarse - 3 * w : 0, b = std::min(n, coarse + w);
  size_t onset = coarse;
  double least = HUGE_VAL;
  for (size_t k = a + 2; k + 2 <= b; ++k) {
    const double before = sums.Variance(a, k), after = sums.Variance(k, b);
    if (!(before > 0) || !(after > 0)) continue;
    const double aic = static_cast<double>(k - a) * std::log(before) + static_cast<double>(b - k) * std::log(after);
    if (aic < least) {
      least = aic;
      onset = k;
    }
  }
  return onset >= from ? static_cast<int>(onset) : static_cast<int>(from);
}

size_t PickerWindow(const std::vector<const std::vector<float>*>& traces, double intervalUs) {
  std::vector<double> sum;
  double binHz = 0;
  const size_t step = std::max<size_t>(1, traces.size() / 16);
  size_t length = 0;
  for (size_t i = 0; i < traces.size(); i += step) {
    const std::vector<double> spectrum = AmplitudeSpectrum(*traces[i], intervalUs, binHz);
    if (sum.size() < spectrum.size()) sum.resize(spectrum.size(), 0.0);
    for (size_t k = 0; k < spectrum.size(); ++k) sum[k] += spectrum[k];
    length = std::max(length, traces[i]->size());
  }
  size_t peak = 0;
  for (size_t k = 2; k < sum.size(); ++k)  // past the lowest bins, where an offset or a drift lies
    if (sum[k] > sum[peak] || peak == 0) peak = k;
  if (peak == 0 || !(binHz > 0) || !(intervalUs > 0)) return 4;
  const double period = 1e6 / (static_cast<double>(peak) * binHz) / intervalUs;
  return std::clamp<size_t>(static_cast<size_t>(std::lround(period)), 4, std::max<size_t>(4, length / 8));
}

std::vector<int32_t> PickFirstBreaks(const std::vector<const std::vector<float>*>& traces, double intervalUs,
                                     size_t from) {
  const size_t window = PickerWindow(traces, intervalUs);
  std::vector<int32_t> picks(traces.size(), 0);
  for (size_t i = 0; i < traces.size(); ++i) {
    const int at = PickFirstBreak(*traces[i], from, window);
    if (at >= 0) picks[i] = at + 1;
  }
  return picks;
}

std::filesystem::path PicksFileOf(const std::filesystem::path& record) {
  std::filesystem::path picks = record;
  picks.replace_extension();
  picks += ".picks.csv";
  return picks;
}

std::vector<int32_t> FirstBreaksOf(const std::vector<int32_t>& channelNumbers, int32_t sampleCount,
                                   const std::string& fileNameUtf8, const std::vector<PickRow>& rows,
                                   std::vector<PickRow>* others) {
  std::vector<int32_t> picks(channelNumbers.size(), 0);
  const std::filesystem::path name = PathFromUtf8(fileNameUtf8).filename();
  for (const PickRow& row : rows) {
    const auto trace = std::find(channelNumbers.begin(), channelNumbers.end(), row.channel);
    const bool ours = row.layer == 0 && PathFromUtf8(row.file).filename() == name && trace != channelNumbers.end() &&
                      row.sample >= 1 && row.sample <= sampleCount;
    if (ours)
      picks[static_cast<size_t>(trace - channelNumbers.begin())] = row.sample;
    else if (others)
      others->push_back(row);
  }
  return picks;
}

std::vector<int32_t> FirstBreaksBeside(const Section& section, const std::filesystem::path& record,
                                       std::vector<PickRow>* others) {
  std::vector<int32_t> channels;
  for (const SectionTrace& trace : section.traces) channels.push_back(trace.channelNumber);
  const std::filesystem::path table = PicksFileOf(record);
  std::error_code missing;
  if (!std::filesystem::exists(table, missing)) return std::vector<int32_t>(channels.size(), 0);
  return FirstBreaksOf(channels, section.header.sampleCount, Utf8FromPath(record.filename()), ReadPicksTable(table),
                       others);
}

std::optional<TravelTimeLine> FitTravelTime(const std::vector<std::pair<double, double>>& points) {
  const double n = static_cast<double>(points.size());
  double sx = 0, st = 0;
  for (const auto& [x, t] : points) sx += x, st += t;
  if (points.size() < 2) return std::nullopt;
  const double mx = sx / n, mt = st / n;
  double sxx = 0, sxt = 0;
  for (const auto& [x, t] : points) {
    sxx += (x - mx) * (x - mx);
    sxt += (x - mx) * (t - mt);
  }
  if (!(sxx > 1e-12 * (1 + mx * mx))) return std::nullopt;
  TravelTimeLine line;
  line.slopeMsPerM = sxt / sxx;
  line.interceptMs = mt - line.slopeMsPerM * mx;
  return line;
}

std::optional<double> ApparentVelocity(double dxM, double dtMs) {
  if (!(std::fabs(dtMs) > 0) || !std::isfinite(dxM / dtMs)) return std::nullopt;
  return std::fabs(dxM / dtMs) * 1000;
}

}  // namespace view
}  // namespace gt7p
