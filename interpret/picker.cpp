#include "interpret/picker.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "kissfft.hh"

namespace gt7p {
namespace interpret {

constexpr double kPi = 3.14159265358979323846;

std::vector<double> AmplitudeSpectrum(const std::vector<float>& samples, double intervalUs, double& binHz,
                                      size_t padding) {
  binHz = 0;
  if (samples.empty() || !(intervalUs > 0)) return {};
  size_t n = 16;
  while (n < samples.size() * std::max<size_t>(padding, 1)) n *= 2;
  std::vector<std::complex<double>> in(n), out(n);
  double windowSum = 0;
  const size_t m = samples.size();
  for (size_t i = 0; i < m; ++i) {
    const double w = m > 1 ? 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / static_cast<double>(m - 1)) : 1.0;
    windowSum += w;
    in[i] = std::isfinite(samples[i]) ? w * samples[i] : 0.0;
  }
  kissfft<double>(n, false).transform(in.data(), out.data());
  std::vector<double> amplitude(n / 2 + 1);
  for (size_t k = 0; k < amplitude.size(); ++k)
    amplitude[k] = std::abs(out[k]) * (k == 0 || k == n / 2 ? 1 : 2) / windowSum;
  binHz = 1e6 / intervalUs / static_cast<double>(n);
  return amplitude;
}

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

int PickFirstBreak(const std::vector<float>& samples, size_t from, size_t window, size_t to) {
  const size_t n = to > 0 ? std::min(to, samples.size()) : samples.size();
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
  // An arrival within a window of the record's start (the nearest trace)
  // is weighed against the shorter stretch before it, scaled to a window.
  for (size_t i = std::max<size_t>(from, 4); i + w <= n; ++i) {
    const size_t b = i > w ? i - w : 0;
    const double before = sums.Energy(b, i) * static_cast<double>(w) / static_cast<double>(i - b);
    const double ratio = sums.Energy(i, i + w) / (before + floor);
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

// Samples around a trace's strongest one whose spectrum sets the window.
constexpr size_t kSpectrumSpan = 2048;

size_t PickerWindow(const std::vector<const std::vector<float>*>& traces, double intervalUs) {
  std::vector<double> sum;
  double binHz = 0;
  const size_t step = std::max<size_t>(1, traces.size() / 16);
  size_t length = 0;
  for (size_t i = 0; i < traces.size(); i += step) {
    // The stretch around the trace's strongest sample: on a long record the
    // noise of the whole trace would outweigh the arrival's spectrum.
    const std::vector<float>& trace = *traces[i];
    size_t strongest = 0;
    for (size_t k = 0; k < trace.size(); ++k)
      if (std::isfinite(trace[k]) && std::fabs(trace[k]) > std::fabs(trace[strongest])) strongest = k;
    const size_t from = strongest > kSpectrumSpan / 2 ? strongest - kSpectrumSpan / 2 : 0;
    const std::vector<float> stretch(trace.begin() + static_cast<std::ptrdiff_t>(std::min(from, trace.size())),
                                     trace.begin() + static_cast<std::ptrdiff_t>(std::min(from + kSpectrumSpan, trace.size())));
    const std::vector<double> spectrum = AmplitudeSpectrum(stretch, intervalUs, binHz);
    if (sum.size() < spectrum.size()) sum.resize(spectrum.size(), 0.0);
    for (size_t k = 0; k < spectrum.size(); ++k) sum[k] += spectrum[k];
    length = std::max(length, traces[i]->size());
  }
  size_t peak = 0;
  for (size_t k = 2; k < sum.size(); ++k)  // past the lowest bins, where an offset or a drift lies
    if (sum[k] > sum[peak] || peak == 0) peak = k;
  if (peak == 0 || !(binHz > 0) || !(intervalUs > 0)) return 4;
  const double period = 1e6 / (static_cast<double>(peak) * binHz) / intervalUs;
  return std::clamp<size_t>(static_cast<size_t>(std::lround(period)), 4,
                            std::max<size_t>(4, std::min(length, kSpectrumSpan) / 8));
}

std::vector<int32_t> PickFirstBreaks(const std::vector<const std::vector<float>*>& traces, double intervalUs,
                                     size_t from, size_t to) {
  const size_t window = PickerWindow(traces, intervalUs);
  std::vector<int32_t> picks(traces.size(), 0);
  for (size_t i = 0; i < traces.size(); ++i) {
    const int at = PickFirstBreak(*traces[i], from, window, to);
    if (at >= 0) picks[i] = at + 1;
  }
  return picks;
}

}  // namespace interpret
}  // namespace gt7p
