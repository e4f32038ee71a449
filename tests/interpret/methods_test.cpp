// Thickness, reflection and two-point velocity against models built here
// from their formulas: a damped resonance of known frequency, a reflection
// hyperbola t^2 = T0^2 + x^2/v^2 and first breaks of a straight moveout.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "base/cp936.h"
#include "base/error.h"
#include "interpret/interpret.h"
#include "records/records.h"
#include "sim/record_maker.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace {

using namespace gt7p::interpret;
using gt7p::Utf8ToCp936;
using gt7p::test::FailureOf;

constexpr double kPi = 3.14159265358979323846;

// Deterministic noise, uniform in [-1, 1).
struct Noise {
  uint32_t state = 12345;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
  }
};

// A plate struck at the trigger: a resonance of `hz` decaying with time
// constant `tauMs`, an offset, a strong tone at `otherHz` and noise.
MethodRecord Resonance(double hz, double tauMs, int traces, double intervalUs, int samples, double otherHz = 0,
                       double noise = 0.02) {
  MethodRecord record;
  record.file = "P.T7P";
  record.intervalUs = intervalUs;
  Noise n;
  for (int c = 0; c < traces; ++c) {
    std::vector<float> trace(static_cast<size_t>(samples));
    const double phase = 0.7 * c;
    for (int i = 0; i < samples; ++i) {
      const double tMs = i * intervalUs / 1000;
      double v = std::exp(-tMs / tauMs) * std::sin(2 * kPi * hz * tMs / 1000 + phase) + 0.5;
      if (otherHz > 0) v += 2.0 * std::sin(2 * kPi * otherHz * tMs / 1000);
      trace[static_cast<size_t>(i)] = static_cast<float>(1000 * (v + noise * n.Next()));
    }
    record.channels.push_back(c + 1);
    record.traces.push_back(std::move(trace));
  }
  return record;
}

TEST(ThicknessTest, PeakAndThicknessOfAResonance) {
  // 3137 Hz in a 2.5 m/ms plate, e = 0.5: thickness 0.5 * 2500 / 3137.
  for (const double hz : {3137.0, 1234.5, 8888.0}) {
    MethodRecord record = Resonance(hz, 3, 3, 10, 2048);
    record.header.knownVelocityMS = 2500;
    record.header.ratioE = 0.5;
    const ThicknessResult r = Thickness(record, {});
    EXPECT_NEAR(r.peakHz, hz, 0.005 * hz);
    EXPECT_NEAR(r.thicknessM, 0.5 * 2500 / hz, 0.005 * 0.5 * 2500 / hz);
    EXPECT_EQ(r.traces, 3);
    EXPECT_NEAR(r.bandLoHz, 0.01 * 50000, 1e-9);  // the lowest 1 % of the spectrum left out
    EXPECT_NEAR(r.bandHiHz, 50000, 1e-9);
    // Zero-padded at least four times: 2048 samples give bins of at most a quarter of 1/(2048 dt).
    EXPECT_LE(r.binHz, 1e6 / 10 / 2048 / 4 + 1e-9);
    EXPECT_FALSE(r.outsideBounds);
  }
}

// The simulator's demo thickness record, as the operator meets it first:
// its plate rings at e * V0 / h, and the default band finds it.
TEST(ThicknessTest, TheDemoThicknessRecordGivesItsPlate) {
  for (const gt7p::sim::SurveyFile& file : gt7p::sim::DemoSurveyFiles()) {
    if (file.plateM <= 0) continue;
    gt7p::test::TempDir dir;
    gt7p::test::WriteFile(dir.path() / "HD.T7P", gt7p::sim::MakeRawFile(file));
    const ThicknessResult r = Thickness(LoadMethodRecord(dir.path() / "HD.T7P", true), {});
    const double hz = 0.5 * file.velocity * 1000 / file.plateM;
    EXPECT_NEAR(r.peakHz, hz, 0.02 * hz) << file.name;
    EXPECT_NEAR(r.thicknessM, file.plateM, 0.02 * file.plateM) << file.name;
    EXPECT_FALSE(r.outsideBounds) << file.name;
    return;
  }
  ADD_FAILURE() << "the demo set holds no thickness record";
}

TEST(ThicknessTest, BandLeavesOutAStrongerToneAndTheVelocityOptionWins) {
  // A tone twice the resonance's size at 20 kHz: the whole spectrum's
  // strongest, outside a band of 1 to 10 kHz.
  MethodRecord record = Resonance(4321, 2, 2, 10, 4096, 20000, 0.05);
  record.header.knownVelocityMS = 3000;
  record.header.ratioE = 0.8;
  EXPECT_NEAR(Thickness(record, {}).peakHz, 20000, 0.005 * 20000);
  ThicknessOptions options;
  options.bandLoHz = 1000;
  options.bandHiHz = 10000;
  options.velocityMS = 1800;
  const ThicknessResult r = Thickness(record, options);
  EXPECT_NEAR(r.peakHz, 4321, 0.005 * 4321);
  EXPECT_DOUBLE_EQ(r.velocityMS, 1800);
  EXPECT_NEAR(r.thicknessM, 0.8 * 1800 / 4321, 0.005 * 0.8 * 1800 / 4321);
  // Only channel 2.
  options.channels = {2};
  EXPECT_EQ(Thickness(record, options).traces, 1);
}

TEST(ThicknessTest, HeaderZerosTakeDefaultsAndBoundsAreFlagged) {
  MethodRecord record = Resonance(2000, 3, 1, 20, 1024);
  record.header.knownVelocityMS = 2000;  // e and Av left 0: 0.5 and 2
  record.header.minThicknessM = 0.1;
  record.header.maxThicknessM = 0.4;     // the plate is 0.5 m
  const ThicknessResult r = Thickness(record, {});
  EXPECT_DOUBLE_EQ(r.ratioE, kDefaultRatioE);
  EXPECT_DOUBLE_EQ(r.thresholdAv, kDefaultThresholdAv);
  EXPECT_NEAR(r.thicknessM, 0.5, 0.0025);
  EXPECT_TRUE(r.outsideBounds);
  record.header.maxThicknessM = 0.6;
  EXPECT_FALSE(Thickness(record, {}).outsideBounds);
  record.header.minThicknessM = 0.55;
  EXPECT_TRUE(Thickness(record, {}).outsideBounds);
}

TEST(ThicknessTest, BadInputsFailWithTheirMessages) {
  MethodRecord record = Resonance(2000, 3, 1, 20, 1024);
  EXPECT_EQ(FailureOf([&] { Thickness(record, {}); }), Utf8ToCp936("没有已知速度V0"));
  record.header.knownVelocityMS = 2000;
  ThicknessOptions beyond;
  beyond.bandLoHz = 30000;  // Nyquist is 25 kHz
  beyond.bandHiHz = 40000;
  EXPECT_EQ(FailureOf([&] { Thickness(record, beyond); }), Utf8ToCp936("频段内没有频谱"));
  ThicknessOptions narrow;  // narrower than three bins
  narrow.bandLoHz = 2000;
  narrow.bandHiHz = 2001;
  EXPECT_EQ(FailureOf([&] { Thickness(record, narrow); }), Utf8ToCp936("频段内没有频谱"));
  ThicknessOptions none;
  none.channels = {7};
  EXPECT_EQ(FailureOf([&] { Thickness(record, none); }), Utf8ToCp936("没有可用的道"));
  // Noise alone: no bin stands ten times above the median.
  MethodRecord noise = Resonance(2000, 3, 1, 20, 1024, 0, 0);
  Noise n;
  for (float& v : noise.traces[0]) v = static_cast<float>(1000 * n.Next());
  noise.header.knownVelocityMS = 2000;
  noise.header.thresholdAv = 10;
  EXPECT_EQ(FailureOf([&] { Thickness(noise, {}); }), Utf8ToCp936("频谱中没有明显的峰"));
  // The resonance passes the same threshold.
  record.header.thresholdAv = 10;
  EXPECT_NO_THROW(Thickness(record, {}));
}

// The parabola through the logarithms is exact for a Gaussian peak,
// a * exp(-(k - c)^2 / (2 s^2)), wherever its top c lies between bins; the
// strongest local maximum is the peak, a band edge on a flank is none.
TEST(ThicknessTest, PeakSearchAndItsRefinementOnAGaussian) {
  for (const double c : {40.0, 40.25, 40.5, 39.6, 40.49}) {
    std::vector<double> s(100);
    for (size_t k = 0; k < s.size(); ++k) {
      const double d = static_cast<double>(k) - c;
      s[k] = 3 * std::exp(-d * d / (2 * 1.7 * 1.7)) + 0.5 * std::exp(-(static_cast<double>(k) - 80) * (static_cast<double>(k) - 80) / 8.0);
    }
    const size_t peak = StrongestPeakBin(s, 0, s.size() - 1);
    EXPECT_EQ(peak, static_cast<size_t>(std::lround(c))) << c;
    EXPECT_NEAR(RefinedPeakBin(s, peak), c, 1e-9) << c;
    // Bins 45 to 70: the first peak's falling flank, no maximum of its own; the second peak's top at 80 beyond.
    EXPECT_EQ(StrongestPeakBin(s, 45, 70), 0u);
    EXPECT_EQ(StrongestPeakBin(s, 45, 90), 80u);
  }
  EXPECT_EQ(StrongestPeakBin({1, 2}, 0, 1), 0u) << "too short for a maximum";
  EXPECT_DOUBLE_EQ(RefinedPeakBin({1, 0, 1}, 1), 1) << "a minimum is not moved";
}

// The viewer sums the spectra once and varies the band and velocity: the
// same numbers as the one call the command line makes.
TEST(ThicknessTest, SummedOnceGivesWhatOneCallGives) {
  MethodRecord record = Resonance(4321, 2, 3, 10, 4096, 20000, 0.05);
  record.header.knownVelocityMS = 3000;
  ThicknessOptions options;
  options.channels = {1, 3};
  const SummedSpectrum summed = SumSpectra(record, options.channels);
  EXPECT_EQ(summed.traces, 2);
  for (const auto& [lo, hi, v] : {std::tuple<double, double, double>{0, 0, 0}, {1000, 10000, 1800}, {15000, 30000, 0}}) {
    options.bandLoHz = lo;
    options.bandHiHz = hi;
    options.velocityMS = v;
    const ThicknessResult one = Thickness(record, options), two = ThicknessOfSpectrum(record.header, summed, options);
    EXPECT_EQ(one.peakHz, two.peakHz);
    EXPECT_EQ(one.thicknessM, two.thicknessM);
    EXPECT_EQ(one.spectrum, two.spectrum);
  }
  // The failures of the one call.
  EXPECT_EQ(FailureOf([&] { ThicknessOfSpectrum(record.header, SumSpectra(record, {9}), {}); }),
            Utf8ToCp936("没有可用的道"));
  record.header.knownVelocityMS = 0;
  EXPECT_EQ(FailureOf([&] { ThicknessOfSpectrum(record.header, summed, {}); }), Utf8ToCp936("没有已知速度V0"));
}

// Reflection picks of a flat reflector `depthM` deep under velocity `v`
// (m/s), receivers at `offsets` from a source at `sourceX`, times rounded
// to a sample grid of `sampleMs`.
std::vector<FirstBreak> Hyperbola(double v, double depthM, const std::vector<double>& offsets, double sourceX,
                                  double sampleMs) {
  std::vector<FirstBreak> picks;
  int32_t channel = 1;
  for (double x : offsets) {
    FirstBreak p;
    p.channel = channel++;
    p.receiverX = sourceX + x;
    const double t = 1000 * std::sqrt(4 * depthM * depthM + x * x) / v;  // ms
    p.timeMs = std::round(t / sampleMs) * sampleMs;
    picks.push_back(p);
  }
  return picks;
}

TEST(ReflectionTest, HyperbolaGivesVelocityZeroOffsetTimeAndDepth) {
  struct Case {
    double v, depth, sampleMs, sourceX;
    std::vector<double> offsets;
  };
  for (const Case& c : {Case{2400, 30, 0.01, 0, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24}},
                        Case{1500, 8, 0.005, 10, {-6, -3, 3, 6, 9, 12, 15, 18}},
                        Case{4000, 60, 0.025, 0, {5, 25, 45, 65, 85}}}) {
    const double t0 = 2000 * c.depth / c.v;  // ms
    const ReflectionResult r = FitReflection(Hyperbola(c.v, c.depth, c.offsets, c.sourceX, c.sampleMs), c.sourceX, 0);
    ASSERT_TRUE(r.velocityMS && r.zeroOffsetMs && r.depthM);
    EXPECT_NEAR(*r.velocityMS, c.v, 0.005 * c.v);
    EXPECT_NEAR(*r.zeroOffsetMs, t0, 0.005 * t0);
    EXPECT_NEAR(*r.depthM, c.depth, 0.005 * c.depth);
    EXPECT_LT(r.rmsMs, c.sampleMs);
    for (const ReflectionTrace& t : r.traces) {
      ASSERT_TRUE(t.residualMs);
      EXPECT_LE(std::fabs(*t.residualMs), c.sampleMs);
      EXPECT_FALSE(t.depthM);  // no V0
    }
    EXPECT_FALSE(r.meanDepthM);
  }
}

TEST(ReflectionTest, KnownVelocityGivesEachTracesDepthAndFlagsTheImpossible) {
  const std::vector<FirstBreak> picks = Hyperbola(2400, 30, {2, 8, 14, 20, 26}, 0, 0.001);
  const ReflectionResult r = FitReflection(picks, 0, 2400);
  ASSERT_TRUE(r.meanDepthM && r.depthSpreadM);
  EXPECT_NEAR(*r.meanDepthM, 30, 0.005 * 30);
  EXPECT_LT(*r.depthSpreadM, 0.05);
  for (const ReflectionTrace& t : r.traces) {
    ASSERT_TRUE(t.depthM);
    const double path = 2400 * t.timeMs / 1000;
    EXPECT_NEAR(*t.depthM, 0.5 * std::sqrt(path * path - t.offsetM * t.offsetM), 1e-9);
  }
  // A V0 far too slow: 500 m/s covers 500 * t < x on the far traces.
  const ReflectionResult slow = FitReflection(picks, 0, 500);
  int early = 0;
  for (const ReflectionTrace& t : slow.traces) {
    EXPECT_EQ(t.tooEarly, 500 * t.timeMs / 1000 < t.offsetM);
    EXPECT_EQ(t.tooEarly, !t.depthM);
    early += t.tooEarly;
  }
  EXPECT_GT(early, 0);
  EXPECT_EQ(slow.warnings.size(), 1u);
  // One trace with V0: its depth, no fit.
  const ReflectionResult one = FitReflection({picks[2]}, 0, 2400);
  EXPECT_FALSE(one.velocityMS);
  ASSERT_TRUE(one.meanDepthM);
  EXPECT_NEAR(*one.meanDepthM, 30, 0.005 * 30);
}

// The simulator's demo reflection record: on the traces where the
// reflection comes well after the first arrival, it starts at
// 0.5 ms + sqrt(4 h^2 + x^2) / v, far louder than the 2 ms before it.
TEST(ReflectionTest, TheDemoReflectionRecordShowsItsReflector) {
  for (const gt7p::sim::SurveyFile& file : gt7p::sim::DemoSurveyFiles()) {
    if (file.reflectorM <= 0) continue;
    gt7p::test::TempDir dir;
    gt7p::test::WriteFile(dir.path() / "FS.T7P", gt7p::sim::MakeRawFile(file));
    const MethodRecord record = LoadMethodRecord(dir.path() / "FS.T7P", true);
    const double dtMs = file.intervalUs / 1000;
    int checked = 0;
    for (size_t c = 0; c < record.traces.size(); ++c) {
      const double x = file.stepM * record.channels[c];
      const double direct = 0.5 + x / file.velocity;
      const double reflection = 0.5 + std::hypot(2 * file.reflectorM, x) / file.velocity;
      if (reflection - direct < 6 || reflection + 2 > (file.samples - file.preTrigger) * dtMs) continue;
      const auto energy = [&](double fromMs, double toMs) {
        double sum = 0;
        for (int i = file.preTrigger + static_cast<int>(std::ceil(fromMs / dtMs));
             i < file.preTrigger + static_cast<int>(toMs / dtMs); ++i)
          sum += std::pow(record.traces[c][static_cast<size_t>(i)], 2);
        return sum;
      };
      EXPECT_GT(energy(reflection, reflection + 2), 10 * energy(reflection - 2, reflection)) << "channel " << c + 1;
      ++checked;
    }
    EXPECT_GE(checked, 5);
    return;
  }
  ADD_FAILURE() << "the demo set holds no reflection record";
}

TEST(ReflectionTest, TooFewOrNonHyperbolicPicksFail) {
  EXPECT_EQ(FailureOf([] { FitReflection({}, 0, 0); }), Utf8ToCp936("反射波拾取太少"));
  EXPECT_EQ(FailureOf([] { FitReflection({}, 0, 2000); }), Utf8ToCp936("反射波拾取太少"));
  const std::vector<FirstBreak> picks = Hyperbola(2400, 30, {10, 20}, 0, 0.01);
  EXPECT_EQ(FailureOf([&] { FitReflection({picks[0]}, 0, 0); }), Utf8ToCp936("反射波拾取太少"));
  // Two picks at one offset (either side of the source) carry no moveout.
  std::vector<FirstBreak> sameOffset = {picks[0], picks[0]};
  sameOffset[1].receiverX = -sameOffset[0].receiverX;
  EXPECT_EQ(FailureOf([&] { FitReflection(sameOffset, 0, 0); }), Utf8ToCp936("反射波拾取太少"));
  // Times falling with offset: no hyperbola.
  std::vector<FirstBreak> falling = picks;
  falling[1].timeMs = falling[0].timeMs / 2;
  EXPECT_EQ(FailureOf([&] { FitReflection(falling, 0, 0); }), Utf8ToCp936("反射波拾取不成双曲线"));
  EXPECT_EQ(FitReflection(falling, 0, 2400).warnings.size(), 1u);  // V0 stands in
}

TEST(TwoPointTest, VelocitiesBetweenNeighboursExactOnTheSampleGrid) {
  // 2000 m/s from a source at x = 3, a trigger offset of 0.25 ms; receivers
  // given out of order and on both sides.
  std::vector<FirstBreak> breaks;
  const double xs[] = {19, 7, -7, 13};
  for (int i = 0; i < 4; ++i) {
    FirstBreak b;
    b.channel = i + 1;
    b.receiverX = xs[i];
    b.timeMs = 0.25 + std::fabs(xs[i] - 3) / 2000 * 1000;
    breaks.push_back(b);
  }
  const TwoPointResult r = TwoPointVelocity(breaks, 3);
  ASSERT_EQ(r.pairs.size(), 2u);  // offsets 4, 10, 10, 16: the two at 10 m make no pair
  EXPECT_EQ(r.pairs[0].channelA, 2);
  EXPECT_EQ(r.pairs[0].channelB, 3);
  EXPECT_EQ(r.pairs[1].channelB, 1);
  for (const PairVelocity& p : r.pairs) {
    ASSERT_TRUE(p.velocityMS);
    EXPECT_NEAR(*p.velocityMS, 2000, 1e-6);
  }
  ASSERT_TRUE(r.meanVelocityMS);
  EXPECT_NEAR(*r.meanVelocityMS, 2000, 1e-6);
  // Unequal speeds: the mean of the pairs' own.
  breaks = {breaks[1], breaks[0]};  // offsets 4 and 16
  breaks[1].timeMs = breaks[0].timeMs + 12.0 / 3000 * 1000;
  breaks.push_back(breaks[1]);
  breaks[2].receiverX = 3 + 28;
  breaks[2].timeMs = breaks[1].timeMs + 12.0 / 1500 * 1000;
  const TwoPointResult mixed = TwoPointVelocity(breaks, 3);
  ASSERT_TRUE(mixed.meanVelocityMS);
  EXPECT_NEAR(*mixed.meanVelocityMS, (3000 + 1500) / 2.0, 1e-6);
}

TEST(TwoPointTest, APairArrivingOutOfOrderHasNoVelocityAndOneBreakFails) {
  FirstBreak a, b;
  a.channel = 1, a.receiverX = 5, a.timeMs = 3;
  b.channel = 2, b.receiverX = 10, b.timeMs = 3;
  const TwoPointResult r = TwoPointVelocity({a, b}, 0);
  ASSERT_EQ(r.pairs.size(), 1u);
  EXPECT_FALSE(r.pairs[0].velocityMS);
  EXPECT_FALSE(r.meanVelocityMS);
  EXPECT_EQ(r.warnings.size(), 1u);
  const std::string message = Utf8ToCp936("双点探测至少需要两道不同源检距的初至");
  EXPECT_EQ(FailureOf([&] { TwoPointVelocity({a}, 0); }), message);
  EXPECT_EQ(FailureOf([&] { TwoPointVelocity({a, a}, 0); }), message);
}

TEST(MethodsTest, SurveyMethodCodesAndNames) {
  EXPECT_EQ(MethodOfCode(10), Method::kThickness);
  EXPECT_EQ(MethodOfCode(11), Method::kThickness);
  EXPECT_EQ(MethodOfCode(20), Method::kTwoPoint);
  EXPECT_EQ(MethodOfCode(32), Method::kRefraction);
  EXPECT_EQ(MethodOfCode(41), Method::kReflection);
  EXPECT_FALSE(MethodOfCode(0));
  EXPECT_FALSE(MethodOfCode(42));
  for (const char* name : {"refraction", "thickness", "reflection", "two-point"}) {
    ASSERT_TRUE(MethodNamed(name));
    EXPECT_STREQ(MethodName(*MethodNamed(name)), name);
  }
  EXPECT_FALSE(MethodNamed("advance"));
}

}  // namespace
