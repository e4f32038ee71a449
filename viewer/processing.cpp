#include "viewer/processing.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>

#include "base/cp936.h"
#include "viewer/display_limits.h"

namespace gt7p {
namespace view {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The sections of an even-order Butterworth low-pass or high-pass whose
// digital corner, after pre-warping, lies at tan(pi f / fs) = k.
void AddButterworth(std::vector<Biquad>& out, int order, double k, bool highPass) {
  for (int i = 1; i <= order / 2; ++i) {
    const double q = 1 / (2 * std::sin((2 * i - 1) * kPi / (2 * order)));
    const double norm = 1 / (1 + k / q + k * k);
    Biquad s;
    if (highPass) {
      s.b0 = norm;
      s.b1 = -2 * norm;
    } else {
      s.b0 = k * k * norm;
      s.b1 = 2 * s.b0;
    }
    s.b2 = s.b0;
    s.a1 = 2 * (k * k - 1) * norm;
    s.a2 = (1 - k / q + k * k) * norm;
    out.push_back(s);
  }
}

// One pass through the sections (transposed direct form II), starting in
// the steady state of x[0]. All sections take each sample in turn: their
// chains of dependent products then overlap in the processor, where a pass
// per section would wait on each product.
void Pass(const std::vector<Biquad>& sections, std::vector<double>& x) {
  if (x.empty()) return;
  const size_t n = sections.size();
  std::vector<double> z1(n), z2(n);
  double in = x[0];
  for (size_t k = 0; k < n; ++k) {
    const Biquad& s = sections[k];
    const double out = (s.b0 + s.b1 + s.b2) / (1 + s.a1 + s.a2) * in;
    z2[k] = s.b2 * in - s.a2 * out;
    z1[k] = s.b1 * in - s.a1 * out + z2[k];
    in = out;
  }
  for (double& v : x) {
    double y = v;
    for (size_t k = 0; k < n; ++k) {
      const Biquad& s = sections[k];
      const double u = y;
      y = s.b0 * u + z1[k];
      z1[k] = s.b1 * u - s.a1 * y + z2[k];
      z2[k] = s.b2 * u - s.a2 * y;
    }
    v = y;
  }
}

}  // namespace

BandPass::BandPass(double lowCutHz, double highCutHz, double sampleHz, int order) : sampleHz_(sampleHz) {
  order = std::max(2, order + order % 2);
  if (!(sampleHz > 0)) return;
  // Both passes together: |H|^4 per side; 3 dB down at the corner asks
  // (f / fc')^(2n) = sqrt(2) - 1 of each side.
  const double shift = std::pow(std::sqrt(2.0) - 1, 1.0 / (2 * order));
  auto warped = [&](double hz) { return std::tan(kPi * hz / sampleHz); };
  if (highCutHz > 0 && highCutHz < 0.49 * sampleHz) AddButterworth(sections_, order, warped(highCutHz) / shift, false);
  if (lowCutHz > 0 && lowCutHz < 0.49 * sampleHz) AddButterworth(sections_, order, warped(lowCutHz) * shift, true);
}

void BandPass::ApplyZeroPhase(std::vector<double>& x) const {
  const size_t n = x.size();
  if (sections_.empty() || n < 2) return;
  // Odd reflection about each end, as many samples as the sections have
  // coefficients three times over.
  const size_t pad = std::min(n - 1, 3 * (2 * sections_.size() + 1));
  std::vector<double> y(n + 2 * pad);
  for (size_t i = 0; i < pad; ++i) {
    y[pad - 1 - i] = 2 * x[0] - x[i + 1];
    y[pad + n + i] = 2 * x[n - 1] - x[n - 2 - i];
  }
  std::copy(x.begin(), x.end(), y.begin() + static_cast<std::ptrdiff_t>(pad));
  Pass(sections_, y);
  std::reverse(y.begin(), y.end());
  Pass(sections_, y);
  std::reverse(y.begin(), y.end());
  std::copy(y.begin() + static_cast<std::ptrdiff_t>(pad), y.begin() + static_cast<std::ptrdiff_t>(pad + n), x.begin());
}

double BandPass::Response(double hz) const {
  const std::complex<double> z = std::polar(1.0, -2 * kPi * hz / sampleHz_);  // z^-1
  double magnitude = 1;
  for (const Biquad& s : sections_)
    magnitude *= std::abs((s.b0 + s.b1 * z + s.b2 * z * z) / (1.0 + s.a1 * z + s.a2 * z * z));
  return magnitude * magnitude;
}

TraceProcessor::TraceProcessor(const RecordHeader& header, const Processing& processing)
    : processing_(processing),
      bandPass_(processing.lowCutHz, processing.highCutHz, header.intervalUs > 0 ? 1e6 / header.intervalUs : 0) {
  if (processing.agcMs > 0 && header.intervalUs > 0)
    agcWindow_ = static_cast<size_t>(std::max(1.0, std::round(processing.agcMs * 1000 / header.intervalUs)));
}

void TraceProcessor::Apply(std::vector<float>& samples) const {
  if (!active()) return;
  std::vector<double> x(samples.size());
  size_t finite = 0;
  double sum = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::isfinite(samples[i])) {
      x[i] = samples[i];
      sum += x[i];
      ++finite;
    }
  }
  if (processing_.removeDc && finite > 0) {
    const double mean = sum / static_cast<double>(finite);
    for (size_t i = 0; i < x.size(); ++i)
      if (std::isfinite(samples[i])) x[i] -= mean;
  }
  bandPass_.ApplyZeroPhase(x);
  if (agcWindow_ > 0) ApplyAgc(x, agcWindow_);
  for (size_t i = 0; i < samples.size(); ++i)
    if (std::isfinite(samples[i])) samples[i] = static_cast<float>(x[i]);
}

void ApplyAgc(std::vector<double>& x, size_t window) {
  const size_t n = x.size();
  if (n == 0 || window == 0) return;
  // Running sums of squares: the window [i - half, i + half] within the trace.
  std::vector<double> sums(n + 1, 0.0);
  for (size_t i = 0; i < n; ++i) sums[i + 1] = sums[i] + x[i] * x[i];
  const size_t half = window / 2;
  for (size_t i = 0; i < n; ++i) {
    const size_t lo = i > half ? i - half : 0, hi = std::min(n, i + half + 1);
    const double mean = (sums[hi] - sums[lo]) / static_cast<double>(hi - lo);
    x[i] = mean > 0 ? x[i] / std::sqrt(mean) : 0.0;
  }
}

SuitedProcessing ProcessingSuitedTo(const RecordHeader& header) {
  SuitedProcessing suited;
  const double sampleHz = header.intervalUs > 0 ? 1e6 / header.intervalUs : 0;
  suited.lowCutHz = std::round(sampleHz / 200);
  suited.highCutHz = std::round(sampleHz / 8);
  suited.highestCornerHz = std::clamp(sampleHz / 2, 1.0, kCornerHz.high);
  double firstMs = 0, lastMs = 0;
  TimeSpan(header, firstMs, lastMs);
  suited.agcMs = std::max(1.0, std::round((lastMs - firstMs) / 10));
  return suited;
}

std::string SettingsText(const DisplayOptions& options, const Processing& processing) {
  std::string text = "增益 " + std::string(options.gainDb > 0 ? "+" : "") + FixedText(options.gainDb, 0) + " dB";
  if (options.normalise) text += "  道归一化";
  if (options.clip != 1) text += "  削波 " + FixedText(options.clip, options.clip == std::round(options.clip) ? 0 : 1);
  if (processing.removeDc) text += "  去直流";
  auto hz = [](double v) { return FixedText(v, v == std::round(v) ? 0 : 1); };
  if (processing.lowCutHz > 0 || processing.highCutHz > 0)
    text += "  带通 " + hz(processing.lowCutHz) + "-" + (processing.highCutHz > 0 ? hz(processing.highCutHz) : "") + " Hz";
  if (processing.agcMs > 0) text += "  AGC " + FixedText(processing.agcMs, processing.agcMs < 10 ? 1 : 0) + " ms";
  return Utf8ToCp936(text);
}

}  // namespace view
}  // namespace gt7p
