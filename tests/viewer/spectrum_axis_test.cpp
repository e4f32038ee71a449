// The spectrum plots' frequency axis: the mapping across the plot against
// the linear and logarithmic formulas written out here, the point under
// the cursor kept by a zoom, the limits, and the tick values.
#include <gtest/gtest.h>

#include <cmath>

#include "viewer/viewer.h"

namespace gt7p {
namespace view {
namespace {

TEST(SpectrumAxis, MapsLinearlyAndLogarithmicallyBothWays) {
  SpectrumAxis axis;
  axis.SetLimits(10, 10000);
  ASSERT_FALSE(axis.empty());
  EXPECT_DOUBLE_EQ(axis.lo(), 10);
  EXPECT_DOUBLE_EQ(axis.hi(), 10000);
  // Linear: (f - lo) / (hi - lo).
  EXPECT_NEAR(axis.Fraction(5005), 0.5, 1e-12);
  EXPECT_NEAR(axis.Fraction(10), 0, 1e-12);
  EXPECT_NEAR(axis.FrequencyAt(0.25), 10 + 0.25 * 9990, 1e-9);
  // Logarithmic: log(f / lo) / log(hi / lo); 100 Hz a third of the way.
  axis.SetLogarithmic(true);
  EXPECT_NEAR(axis.Fraction(100), 1.0 / 3, 1e-12);
  EXPECT_NEAR(axis.Fraction(1000), 2.0 / 3, 1e-12);
  EXPECT_NEAR(axis.FrequencyAt(0.5), std::sqrt(10.0 * 10000), 1e-6);
  EXPECT_LT(axis.Fraction(0), -1e6) << "0 Hz lies left of everything on a logarithmic axis";
  // Monotone and inverse on both scales.
  for (bool log : {false, true}) {
    axis.SetLogarithmic(log);
    double last = -HUGE_VAL;
    for (double f = 10; f <= 10000; f *= 1.37) {
      const double x = axis.Fraction(f);
      EXPECT_GT(x, last) << f;
      EXPECT_NEAR(axis.FrequencyAt(x), f, 1e-9 * f);
      last = x;
    }
  }
}

TEST(SpectrumAxis, ZoomKeepsThePointUnderTheCursorAndPanKeepsTheWidth) {
  for (bool log : {false, true}) {
    SpectrumAxis axis;
    axis.SetLogarithmic(log);
    axis.SetLimits(2.5, 25000);
    const double at = axis.FrequencyAt(0.3);
    axis.Zoom(0.3, 4);
    EXPECT_NEAR(axis.Fraction(at), 0.3, 1e-9) << log;
    EXPECT_NEAR(axis.FrequencyAt(0.3), at, 1e-9 * at) << log;
    // A quarter of the width on the axis' own scale.
    const double width = log ? std::log10(axis.hi() / axis.lo()) : axis.hi() - axis.lo();
    EXPECT_NEAR(width, (log ? std::log10(25000 / 2.5) : 25000 - 2.5) / 4, 1e-9) << log;
    // Zooming back out about the same point gives the whole range again.
    axis.Zoom(0.3, 0.25);
    EXPECT_NEAR(axis.lo(), 2.5, 1e-9);
    EXPECT_NEAR(axis.hi(), 25000, 1e-6);

    // Pan by half a width; at the limits the width stays and the range stops.
    axis.Zoom(0.5, 10);
    const double lo = axis.lo(), hi = axis.hi();
    axis.Pan(0.5);
    if (log) {
      EXPECT_NEAR(std::log10(axis.lo() / lo), 0.5 * std::log10(hi / lo), 1e-9);
      EXPECT_NEAR(axis.hi() / axis.lo(), hi / lo, 1e-9 * hi / lo);
    } else {
      EXPECT_NEAR(axis.lo() - lo, 0.5 * (hi - lo), 1e-6);
      EXPECT_NEAR(axis.hi() - axis.lo(), hi - lo, 1e-6);
    }
    axis.Pan(100);
    EXPECT_DOUBLE_EQ(axis.hi(), 25000) << log;
    EXPECT_NEAR(log ? axis.hi() / axis.lo() : axis.hi() - axis.lo(), log ? hi / lo : hi - lo, 1e-6 * hi) << log;
    axis.Pan(-100);
    EXPECT_DOUBLE_EQ(axis.lo(), 2.5) << log;
    axis.Reset();
    EXPECT_DOUBLE_EQ(axis.lo(), 2.5);
    EXPECT_DOUBLE_EQ(axis.hi(), 25000);
  }
}

TEST(SpectrumAxis, StaysWithinItsLimits) {
  SpectrumAxis axis;
  axis.SetLimits(5, 5000);
  // A zoom near the edge is pushed back inside; the width as asked.
  axis.Zoom(0.99, 2);
  EXPECT_LE(axis.hi(), 5000);
  EXPECT_GE(axis.lo(), 5);
  // Zooming out never goes beyond the limits.
  axis.Zoom(0.5, 0.001);
  EXPECT_DOUBLE_EQ(axis.lo(), 5);
  EXPECT_DOUBLE_EQ(axis.hi(), 5000);
  // Zooming in stops at a thousandth of the span.
  for (int i = 0; i < 50; ++i) axis.Zoom(0.5, 10);
  EXPECT_NEAR(axis.hi() - axis.lo(), 4.995, 1e-6);
  EXPECT_GT(axis.hi(), axis.lo());
  // Show: ordered, clipped.
  axis.Show(9000, 1000);
  EXPECT_DOUBLE_EQ(axis.lo(), 1000);
  EXPECT_DOUBLE_EQ(axis.hi(), 5000);
  // New limits that still hold the range keep it; others reset.
  axis.SetLimits(2, 6000);
  EXPECT_DOUBLE_EQ(axis.lo(), 1000);
  axis.SetLimits(2, 3000);
  EXPECT_DOUBLE_EQ(axis.lo(), 2);
  EXPECT_DOUBLE_EQ(axis.hi(), 3000);
  // No spectrum: an empty axis that maps nothing and moves nowhere.
  axis.SetLimits(0, 3000);
  EXPECT_TRUE(axis.empty());
  axis.Zoom(0.5, 2);
  axis.Pan(1);
  EXPECT_TRUE(axis.Ticks(10).empty());
  EXPECT_EQ(axis.Fraction(100), 0);
}

TEST(SpectrumAxis, TicksAreNiceOnBothScales) {
  SpectrumAxis axis;
  axis.SetLimits(3, 25000);
  // Linear: multiples of one step of 1, 2 or 5 times a power of ten.
  const std::vector<double> linear = axis.Ticks(8);
  ASSERT_GE(linear.size(), 3u);
  EXPECT_LE(linear.size(), 8u);
  const double step = linear[1] - linear[0];
  const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
  EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9) << step;
  for (size_t i = 0; i < linear.size(); ++i) {
    EXPECT_NEAR(std::remainder(linear[i], step), 0, 1e-9 * step);
    EXPECT_GE(linear[i], 3);
    EXPECT_LE(linear[i], 25000);
  }
  // Logarithmic: 1-2-5 times a power of ten where they fit...
  axis.SetLogarithmic(true);
  EXPECT_EQ(axis.Ticks(20), (std::vector<double>{5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000}));
  // ... the powers alone where they do not ...
  EXPECT_EQ(axis.Ticks(6), (std::vector<double>{10, 100, 1000, 10000}));
  // ... and linear ticks within one decade.
  axis.Show(120, 180);
  const std::vector<double> narrow = axis.Ticks(6);
  ASSERT_GE(narrow.size(), 2u);
  ASSERT_LE(narrow.size(), 6u);
  EXPECT_NEAR(narrow[1] - narrow[0], 20, 1e-9);  // 60 Hz over 5 steps: 12, the next of 1-2-5 is 20
  EXPECT_NEAR(narrow.front(), 120, 1e-9);
  EXPECT_NEAR(narrow.back(), 180, 1e-9);
}

}  // namespace
}  // namespace view
}  // namespace gt7p
