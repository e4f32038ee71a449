// Layer velocities, depths and dips against travel times of analytic ground
// models built here from the textbook formulas (straight rays, planar
// boundaries): direct wave x / v1; a flat refractor's head wave
// x / vn + sum of 2 hj cos(theta_j,n) / vj with sin(theta_j,n) = vj / vn;
// a dipping refractor's x sin(theta +- dip) / v1 + 2 h cos(theta) / v1 with h
// the perpendicular distance below the shot.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "base/error.h"
#include "interpret/interpret.h"

namespace gt7p {
namespace interpret {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDt = 0.02;  // ms: 50 kHz sampling

double Rad(double degrees) { return degrees * kPi / 180; }

// A first break on the sample grid: the nearest sample's time.
double OnGrid(double ms) { return std::round(ms / kDt) * kDt; }

Shot MakeShot(const std::string& file, double source, const std::vector<double>& receivers,
              const std::function<double(double)>& arrivalMs) {
  Shot shot;
  shot.file = file;
  shot.sourceX = source;
  shot.sampleMs = kDt;
  for (size_t i = 0; i < receivers.size(); ++i)
    shot.breaks.push_back({static_cast<int32_t>(i + 1), receivers[i], 0, OnGrid(arrivalMs(receivers[i]))});
  return shot;
}

std::vector<double> Spread(double first, double spacing, int count) {
  std::vector<double> x;
  for (int i = 0; i < count; ++i) x.push_back(first + spacing * i);
  return x;
}

// Flat layers: velocities in m/s, thicknesses in m (one fewer).
double FlatArrivalMs(const std::vector<double>& v, const std::vector<double>& h, double offset) {
  double best = std::fabs(offset) / v[0];
  for (size_t n = 1; n < v.size(); ++n) {
    double t = std::fabs(offset) / v[n];
    for (size_t j = 0; j < n; ++j) t += 2 * h[j] * std::sqrt(1 - std::pow(v[j] / v[n], 2)) / v[j];
    best = std::min(best, t);
  }
  return best * 1000;
}

void ExpectWithin(double got, double want, double fraction, const char* what) {
  EXPECT_NEAR(got, want, std::fabs(want) * fraction) << what;
}

TEST(FlatLayers, TwoLayersFromOneShot) {
  const std::vector<double> v = {500, 2000}, h = {5};
  const Shot shot = MakeShot("A.T7P", 0, Spread(1, 1, 48), [&](double x) { return FlatArrivalMs(v, h, x); });
  const Survey s = Interpret({shot}, SurveyOptions());
  ASSERT_EQ(s.layerCount, 2);
  ExpectWithin(*s.layers[0].velocityMS, 500, 0.01, "v1");
  ExpectWithin(*s.layers[1].velocityMS, 2000, 0.01, "v2");
  ASSERT_TRUE(s.shots[0].depthsM[0]);
  EXPECT_NEAR(*s.shots[0].depthsM[0], 5, std::max(0.05, 0.01 * 5));
  // Crossover distance 2 h sqrt((v2 + v1) / (v2 - v1)).
  EXPECT_NEAR(*s.shots[0].crossoverM[0], 2 * 5 * std::sqrt(2500.0 / 1500), 1.0);
  EXPECT_LT(s.rmsMs, kDt);
  EXPECT_TRUE(s.receivers.empty());
  for (const PointFit& p : s.points) EXPECT_EQ(p.layer, p.offset < 2 * 5 * std::sqrt(2500.0 / 1500) ? 1 : 2) << p.offset;
}

TEST(FlatLayers, ThreeLayersTakeEachCriticalAngleAgainstItsRefractor) {
  const std::vector<double> v = {400, 1200, 3000}, h = {3, 6};
  const Shot shot = MakeShot("A.T7P", 0, Spread(1, 2, 48), [&](double x) { return FlatArrivalMs(v, h, x); });
  const Survey s = Interpret({shot}, SurveyOptions());
  ASSERT_EQ(s.layerCount, 3);
  for (int k = 0; k < 3; ++k) ExpectWithin(*s.layers[k].velocityMS, v[k], 0.01, "velocity");
  ASSERT_TRUE(s.shots[0].depthsM[0] && s.shots[0].depthsM[1]);
  EXPECT_NEAR(*s.shots[0].depthsM[0], 3, 0.05);
  EXPECT_NEAR(*s.shots[0].depthsM[1], 9, 0.09);
  // Layer 1's angle taken against layer 2 instead of layer 3 in the second
  // refractor's sum puts its bottom outside that tolerance.
  const double ti2 = 2 * 3 * std::sqrt(1 - std::pow(400.0 / 3000, 2)) / 400 + 2 * 6 * std::sqrt(1 - std::pow(1200.0 / 3000, 2)) / 1200;
  const double wrong = 3 + (ti2 - 2 * 3 * std::sqrt(1 - std::pow(400.0 / 1200, 2)) / 400) * 1200 /
                               (2 * std::sqrt(1 - std::pow(1200.0 / 3000, 2)));
  EXPECT_GT(std::fabs(wrong - 9), 0.09 * 2);
}

TEST(FlatLayers, GivenLayerCountAndFixedTopVelocity) {
  const std::vector<double> v = {600, 2400}, h = {4};
  const Shot shot = MakeShot("A.T7P", 0, Spread(2, 2, 24), [&](double x) { return FlatArrivalMs(v, h, x); });
  SurveyOptions options;
  options.layers = 2;
  options.v1MS = 600;
  const Survey s = Interpret({shot}, options);
  EXPECT_EQ(*s.layers[0].velocityMS, 600);
  ExpectWithin(*s.layers[1].velocityMS, 2400, 0.01, "v2");
  EXPECT_NEAR(*s.shots[0].depthsM[0], 4, 0.05);
}

TEST(FlatLayers, TimeZeroOffsetIsTakenOutAndWarnedAbove2Samples) {
  const std::vector<double> v = {500, 2000}, h = {5};
  const double late = 0.3;  // ms: the trigger came that much before the shot
  const Shot shot = MakeShot("A.T7P", 0, Spread(1, 1, 48), [&](double x) { return FlatArrivalMs(v, h, x) + late; });
  const Survey s = Interpret({shot}, SurveyOptions());
  EXPECT_NEAR(s.shots[0].timeZeroMs, late, 2 * kDt);
  EXPECT_NEAR(*s.shots[0].depthsM[0], 5, 0.05);
  bool warned = false;
  for (const std::string& w : s.warnings) warned = warned || w.find("时间零点") != std::string::npos;
  EXPECT_TRUE(warned);
  // Through the origin the offset stays in the times: no warning, depth off.
  SurveyOptions origin;
  origin.throughOrigin = true;
  const Survey o = Interpret({shot}, origin);
  EXPECT_EQ(o.shots[0].timeZeroMs, 0);
  for (const std::string& w : o.warnings) EXPECT_EQ(w.find("时间零点"), std::string::npos);
}

TEST(FlatLayers, SlowerLayerBelowIsReportedInWordsNotNumbers) {
  // Three lines whose last is slower than the one before: no head wave.
  Shot shot;
  shot.file = "A.T7P";
  shot.sampleMs = kDt;
  for (int i = 1; i <= 30; ++i) {
    const double x = i;
    const double t = x <= 10 ? x / 0.5 : x <= 20 ? 10 + x / 2.0 : 16 + x / 1.0;  // ms, m/ms velocities
    shot.breaks.push_back({i, x, 0, t});
  }
  SurveyOptions options;
  options.layers = 3;
  const Survey s = Interpret({shot}, options);
  ASSERT_EQ(s.shots[0].depthsM.size(), 2u);
  EXPECT_TRUE(s.shots[0].depthsM[0]);
  EXPECT_FALSE(s.shots[0].depthsM[1]);
  bool warned = false;
  for (const std::string& w : s.warnings) warned = warned || w.find("隐伏层") != std::string::npos;
  EXPECT_TRUE(warned);
  for (const LayerResult& l : s.layers) {
    if (l.velocityMS) {
      EXPECT_TRUE(std::isfinite(*l.velocityMS));
    }
  }
}

TEST(FlatLayers, TooFewPointsAreRefused) {
  Shot shot;
  shot.file = "A.T7P";
  shot.sampleMs = kDt;
  shot.breaks = {{1, 1, 0, 2}, {2, 2, 0, 4}};
  EXPECT_THROW(Interpret({shot}, SurveyOptions()), Error);
  const Shot few = MakeShot("B.T7P", 0, Spread(1, 1, 6), [](double x) { return FlatArrivalMs({500, 2000}, {2}, x); });
  SurveyOptions four;
  four.layers = 4;  // 8 points needed
  EXPECT_THROW(Interpret({few}, four), Error);
  four.layers = 3;
  EXPECT_NO_THROW(Interpret({few}, four));
}

// A refractor dipping `dip` (positive: deeper toward +x) under a layer of
// velocity v1 over v2; h0 the perpendicular distance below x = 0.
struct DippingModel {
  double v1, v2, dip, h0;
  double Theta() const { return std::asin(v1 / v2); }
  double Perpendicular(double x) const { return h0 + x * std::sin(dip); }
  double Vertical(double x) const { return Perpendicular(x) / std::cos(dip); }
  double ArrivalMs(double source, double x) const {
    const double direct = std::fabs(x - source) / v1;
    // Shooting toward +x is down-dip: x sin(theta + dip); toward -x up-dip.
    const double d = x >= source ? dip : -dip;
    const double head = std::fabs(x - source) * std::sin(Theta() + d) / v1 + 2 * Perpendicular(source) * std::cos(Theta()) / v1;
    return std::min(direct, head) * 1000;
  }
};

TEST(DippingRefractor, ReversedPairGivesTrueVelocityDipAndVerticalDepths) {
  const DippingModel m{800, 3000, Rad(12), 3};
  const std::vector<double> receivers = Spread(0, 2, 48);  // 0 to 94 m
  const Shot a = MakeShot("A.T7P", 0, receivers, [&](double x) { return m.ArrivalMs(0, x); });
  const Shot b = MakeShot("B.T7P", 94, receivers, [&](double x) { return m.ArrivalMs(94, x); });
  SurveyOptions options;
  options.layers = 2;
  const Survey s = Interpret({a, b}, options);
  ASSERT_TRUE(s.reversed);
  ExpectWithin(*s.layers[0].velocityMS, 800, 0.01, "v1");
  ExpectWithin(*s.layers[1].velocityMS, 3000, 0.01, "v2");
  ASSERT_TRUE(s.layers[1].dipDeg);
  EXPECT_NEAR(*s.layers[1].dipDeg, 12, 0.5);
  // Depths are vertical: h / cos(dip), 2 % more than the perpendicular ones at 12 degrees.
  ASSERT_TRUE(s.shots[0].depthsM[0] && s.shots[1].depthsM[0]);
  ExpectWithin(*s.shots[0].depthsM[0], m.Vertical(0), 0.01, "depth below A");
  ExpectWithin(*s.shots[1].depthsM[0], m.Vertical(94), 0.01, "depth below B");
  EXPECT_GT(std::fabs(*s.shots[1].depthsM[0] - m.Perpendicular(94)), 0.01 * m.Vertical(94));
  int mapped = 0;
  for (const ReceiverResult& r : s.receivers) {
    if (!r.depthsM[0]) continue;
    ++mapped;
    EXPECT_NEAR(*r.depthsM[0], m.Vertical(r.x), std::max(0.05, 0.01 * m.Vertical(r.x))) << r.x;
  }
  EXPECT_GT(mapped, 8);
  ASSERT_TRUE(s.reciprocalMismatchMs[0]);
  EXPECT_LE(*s.reciprocalMismatchMs[0], 2 * kDt);
}

TEST(DippingRefractor, LineOfThreeShotsMapsReceiversFromEachOppositePair) {
  const DippingModel m{700, 2800, Rad(-4), 16};  // shallower toward +x
  const std::vector<double> receivers = Spread(0, 4, 48);
  std::vector<Shot> shots;
  for (double source : {0.0, 94.0, 188.0})
    shots.push_back(MakeShot("S" + std::to_string(static_cast<int>(source)) + ".T7P", source, receivers,
                             [&](double x) { return m.ArrivalMs(source, x); }));
  const Survey s = Interpret(shots, SurveyOptions());
  ASSERT_EQ(s.layerCount, 2);
  ExpectWithin(*s.layers[1].velocityMS, 2800, 0.01, "v2");
  EXPECT_NEAR(*s.layers[1].dipDeg, -4, 0.5);
  for (size_t k = 0; k < 3; ++k) ExpectWithin(*s.shots[k].depthsM[0], m.Vertical(s.shots[k].x), 0.01, "shot depth");
  int twice = 0;
  for (const ReceiverResult& r : s.receivers) {
    if (!r.depthsM[0]) continue;
    EXPECT_NEAR(*r.depthsM[0], m.Vertical(r.x), std::max(0.05, 0.01 * m.Vertical(r.x))) << r.x;
    if (r.pairs[0] >= 2) {
      ++twice;
      EXPECT_LT(*r.spreadM[0], 0.1);
    }
  }
  EXPECT_GT(twice, 0);
}

// A 50 Hz-ish damped wavelet from each first break on, in noise.
std::vector<float> Trace(double arrivalMs, size_t samples, double dtMs, std::mt19937& random) {
  std::normal_distribution<double> noise(0, 40);
  std::vector<float> x(samples);
  for (size_t i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) * dtMs - arrivalMs;
    double v = noise(random);
    if (t >= 0) v += 4000 * std::exp(-t / 2.0) * std::sin(2 * kPi * 0.5 * t);  // 500 Hz
    x[i] = static_cast<float>(v);
  }
  return x;
}

TEST(PickedLayers, PickerOnNoisyWaveformsGivesTheModel) {
  const std::vector<double> v = {600, 2500}, h = {6};
  const std::vector<double> receivers = Spread(1, 1, 48);
  std::mt19937 random(7);
  std::vector<std::vector<float>> traces;
  for (double x : receivers) traces.push_back(Trace(FlatArrivalMs(v, h, x), 4096, kDt, random));
  std::vector<const std::vector<float>*> gather;
  for (const auto& t : traces) gather.push_back(&t);
  const std::vector<int32_t> picks = PickFirstBreaks(gather, kDt * 1000, 0);
  Shot shot;
  shot.file = "A.T7P";
  shot.sampleMs = kDt;
  for (size_t i = 0; i < picks.size(); ++i)
    if (picks[i] > 0) shot.breaks.push_back({static_cast<int32_t>(i + 1), receivers[i], 0, (picks[i] - 1) * kDt});
  ASSERT_GE(shot.breaks.size(), 44u);
  const Survey s = Interpret({shot}, SurveyOptions());
  ExpectWithin(*s.layers[0].velocityMS, 600, 0.05, "v1");
  ExpectWithin(*s.layers[1].velocityMS, 2500, 0.05, "v2");
  ASSERT_TRUE(s.shots[0].depthsM[0]);
  EXPECT_NEAR(*s.shots[0].depthsM[0], 6, 0.6);
}

TEST(Picker, FindsTheBreakOnLongRecordsAndNearTheStart) {
  // A gather of long traces: the arrival's spectrum, not the noise of the
  // whole trace, sets the window; the nearest trace's arrival lies within
  // a period of the record's start.
  std::mt19937 random(3);
  const double period = 2;  // ms
  std::vector<std::vector<float>> traces;
  std::vector<double> truth;
  for (int ch = 0; ch < 8; ++ch) {
    truth.push_back(ch == 0 ? 0.6 : 5 + 3.0 * ch);
    traces.push_back(Trace(truth.back(), 65535, kDt, random));
  }
  std::vector<const std::vector<float>*> gather;
  for (const auto& t : traces) gather.push_back(&t);
  const std::vector<int32_t> picks = PickFirstBreaks(gather, kDt * 1000, 0);
  for (size_t i = 0; i < picks.size(); ++i) {
    ASSERT_GT(picks[i], 0) << i;
    EXPECT_NEAR((picks[i] - 1) * kDt, truth[i], period / 4) << i;
  }
  // Held to a window that ends before the arrival: nothing there.
  EXPECT_EQ(PickFirstBreak(traces[7], 0, 100, static_cast<size_t>(truth[7] / kDt) - 200), -1);
}

}  // namespace
}  // namespace interpret
}  // namespace gt7p
