#include "viewer/spectrum_axis.h"

#include <algorithm>
#include <cmath>

namespace gt7p {
namespace view {

namespace {

// The narrowest range, as a share of the limits' span on the axis' scale.
constexpr double kNarrowest = 1e-3;

}  // namespace

void SpectrumAxis::SetLimits(double minHz, double maxHz) {
  if (!(minHz > 0) || !(maxHz > minHz) || !std::isfinite(maxHz)) {
    min_ = max_ = lo_ = hi_ = 0;
    return;
  }
  const bool fits = hi_ > lo_ && lo_ >= minHz && hi_ <= maxHz;
  min_ = minHz;
  max_ = maxHz;
  if (!fits) Reset();
}

void SpectrumAxis::SetLogarithmic(bool logarithmic) { log_ = logarithmic; }

void SpectrumAxis::Reset() {
  lo_ = min_;
  hi_ = max_;
}

void SpectrumAxis::Show(double loHz, double hiHz) {
  if (empty()) return;
  if (loHz > hiHz) std::swap(loHz, hiHz);
  Clamp(Scale(std::max(loHz, min_)), Scale(std::min(hiHz, max_)));
}

double SpectrumAxis::Scale(double hz) const { return log_ ? std::log10(hz) : hz; }
double SpectrumAxis::Unscale(double u) const { return log_ ? std::pow(10.0, u) : u; }

double SpectrumAxis::Fraction(double hz) const {
  if (empty()) return 0;
  if (log_ && !(hz > 0)) return -HUGE_VAL;
  return (Scale(hz) - Scale(lo_)) / (Scale(hi_) - Scale(lo_));
}

double SpectrumAxis::FrequencyAt(double fraction) const {
  if (empty()) return 0;
  const double u0 = Scale(lo_), u1 = Scale(hi_);
  return Unscale(u0 + fraction * (u1 - u0));
}

void SpectrumAxis::Clamp(double u0, double u1) {
  const double m0 = Scale(min_), m1 = Scale(max_);
  const double width = std::max(u1 - u0, kNarrowest * (m1 - m0));
  if (width >= m1 - m0) return Reset();
  const double from = 0.5 * (u0 + u1) - 0.5 * width;
  // At an edge the limit itself, not its round trip through the scale.
  if (from <= m0) {
    lo_ = min_;
    hi_ = Unscale(m0 + width);
  } else if (from + width >= m1) {
    lo_ = Unscale(m1 - width);
    hi_ = max_;
  } else {
    lo_ = Unscale(from);
    hi_ = Unscale(from + width);
  }
}

void SpectrumAxis::Zoom(double fraction, double factor) {
  if (empty() || !(factor > 0)) return;
  const double u0 = Scale(lo_), u1 = Scale(hi_);
  const double at = u0 + fraction * (u1 - u0);
  const double m0 = Scale(min_), m1 = Scale(max_);
  const double width = std::clamp((u1 - u0) / factor, kNarrowest * (m1 - m0), m1 - m0);
  // The point keeps its fraction of the new width.
  const double from = at - fraction * width;
  Clamp(from, from + width);
}

void SpectrumAxis::Pan(double fractions) {
  if (empty()) return;
  const double u0 = Scale(lo_), u1 = Scale(hi_);
  const double shift = fractions * (u1 - u0);
  Clamp(u0 + shift, u1 + shift);
}

double SpectrumAxis::LinearStep(double lo, double hi, int most) {
  const double span = hi - lo;
  if (!(span > 0) || most < 1) return 0;
  const double rough = span / std::max(1, most - 1);  // most - 1 steps: at most `most` ticks
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= rough) return m * power;
  return 10 * power;
}

std::vector<double> SpectrumAxis::Ticks(int most) const {
  std::vector<double> ticks;
  if (empty() || most < 1) return ticks;
  const double eps = 1e-9 * (hi_ - lo_);
  if (log_) {
    const int k0 = static_cast<int>(std::floor(std::log10(lo_))), k1 = static_cast<int>(std::ceil(std::log10(hi_)));
    // 1-2-5 in every decade, then the powers of ten alone, then every
    // second, fifth or tenth power.
    struct Choice {
      std::vector<double> mantissas;
      int every;
    };
    for (const Choice& c : {Choice{{1, 2, 5}, 1}, Choice{{1}, 1}, Choice{{1}, 2}, Choice{{1}, 5}, Choice{{1}, 10}}) {
      ticks.clear();
      for (int k = k0; k <= k1; ++k) {
        if (k % c.every != 0) continue;
        for (double m : c.mantissas) {
          const double v = m * std::pow(10.0, k);
          if (v >= lo_ * (1 - 1e-9) && v <= hi_ * (1 + 1e-9)) ticks.push_back(v);
        }
      }
      if (static_cast<int>(ticks.size()) <= most) break;
    }
    if (ticks.size() >= 2 && static_cast<int>(ticks.size()) <= most) return ticks;
    ticks.clear();
  }
  const double step = LinearStep(lo_, hi_, most);
  for (double v = std::ceil((lo_ - eps) / step) * step; v <= hi_ + eps; v += step)
    ticks.push_back(std::fabs(v) < 1e-9 * step ? 0.0 : v);
  return ticks;
}

}  // namespace view
}  // namespace gt7p
