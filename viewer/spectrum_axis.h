// The frequency axis of a spectrum plot (the "频谱" tab, the thickness page
// of the "解析" tab, the report's figure): the shown range [lo, hi] Hz
// within the spectrum's limits (its first bin above 0 Hz to the Nyquist
// frequency), mapped linearly or logarithmically across the plot, zoomed
// about a point, panned, and its tick values. No toolkit: positions across
// the plot are fractions, 0 at its left edge and 1 at its right.
#pragma once

#include <vector>

namespace gt7p {
namespace view {

class SpectrumAxis {
 public:
  // The spectrum's limits (0 < minHz < maxHz); the shown range is kept
  // where it still fits, else reset to them. Other limits leave an axis
  // of no range (empty()).
  void SetLimits(double minHz, double maxHz);
  void SetLogarithmic(bool logarithmic);
  bool logarithmic() const { return log_; }
  bool empty() const { return !(max_ > min_); }

  double lo() const { return lo_; }
  double hi() const { return hi_; }
  double minHz() const { return min_; }
  double maxHz() const { return max_; }

  // The whole range shown.
  void Reset();
  // Shows [loHz, hi Hz] (put in order and within the limits).
  void Show(double loHz, double hiHz);

  // Across the plot: the fraction of a frequency (outside 0..1 beyond the
  // shown range; a frequency at or below 0 Hz on a logarithmic axis lies
  // left of everything), and the frequency at a fraction.
  double Fraction(double hz) const;
  double FrequencyAt(double fraction) const;

  // The range narrowed by `factor` (> 1 in, < 1 out) about the point at
  // `fraction`, which stays where it is unless the limits push the range
  // back; never narrower than a thousandth of the limits' span on the
  // axis' own scale, never wider than the limits.
  void Zoom(double fraction, double factor);
  // The range moved by `fractions` of its width (positive: to higher
  // frequencies), stopped at the limits with its width kept.
  void Pan(double fractions);

  // Tick values within the shown range, at most about `most` of them:
  // 1, 2 or 5 times a power of ten apart on a linear axis; on a
  // logarithmic one 1, 2 and 5 times each power of ten (thinned to the
  // powers themselves, then to every second or fifth, where too many),
  // or the linear ticks where the range holds fewer than two of those.
  std::vector<double> Ticks(int most) const;
  // The step between neighbouring linear ticks for the range (1, 2 or 5
  // times a power of ten), for their labels' decimals.
  static double LinearStep(double lo, double hi, int most);

 private:
  double Scale(double hz) const;    // Hz to the axis' own scale
  double Unscale(double u) const;
  void Clamp(double u0, double u1);  // the range from scale values, kept within the limits

  bool log_ = false;
  double min_ = 0, max_ = 0, lo_ = 0, hi_ = 0;
};

}  // namespace view
}  // namespace gt7p
