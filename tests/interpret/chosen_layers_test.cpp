// The operator's choice of layer for some first breaks, against travel
// times of flat layers built here (direct wave x / v1, head wave
// x / v2 + 2 h cos(theta) / v1 with sin(theta) = v1 / v2) and straight lines
// fitted here by the normal equations.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "interpret/interpret.h"

namespace gt7p {
namespace interpret {
namespace {

constexpr double kV1 = 500, kV2 = 2000, kH = 5;

double ArrivalMs(double x) {
  const double direct = x / kV1, head = x / kV2 + 2 * kH * std::sqrt(1 - std::pow(kV1 / kV2, 2)) / kV1;
  return std::min(direct, head) * 1000;
}

Shot TwoLayerShot() {
  Shot shot;
  shot.file = "A.T7P";
  shot.sampleMs = 0.001;
  for (int c = 1; c <= 24; ++c) shot.breaks.push_back({c, double(c), 0, ArrivalMs(c)});
  return shot;
}

// Least-squares slope (ms/m) of t on x.
double Slope(const std::vector<double>& x, const std::vector<double>& t) {
  double n = double(x.size()), sx = 0, st = 0, sxx = 0, sxt = 0;
  for (size_t i = 0; i < x.size(); ++i) sx += x[i], st += t[i], sxx += x[i] * x[i], sxt += x[i] * t[i];
  return (n * sxt - sx * st) / (n * sxx - sx * sx);
}

TEST(ChosenLayers, PointsTakeTheOperatorsLayerAndSegmentsFitTheirOwnPoints) {
  // Crossover at 2 h sqrt((v2 + v1) / (v2 - v1)) = 12.9 m: channels 1..12
  // direct, 13..24 head wave. The operator puts 11 and 12 on the head wave.
  const Shot shot = TwoLayerShot();
  SurveyOptions options;
  options.layers = 2;
  options.assigned = {{{11, 2}, {12, 2}}};
  const Survey s = Interpret({shot}, options);
  for (const PointFit& p : s.points) EXPECT_EQ(p.layer, p.channel <= 10 ? 1 : 2) << p.channel;
  std::vector<double> x1, t1, x2, t2;
  for (int c = 1; c <= 24; ++c) (c <= 10 ? x1 : x2).push_back(c), (c <= 10 ? t1 : t2).push_back(ArrivalMs(c));
  ASSERT_EQ(s.branches.size(), 1u);
  EXPECT_NEAR(s.branches[0].segments[0].slownessMsPerM, 1000 / kV1, 1e-9);
  EXPECT_NEAR(s.branches[0].segments[1].slownessMsPerM, Slope(x2, t2), 1e-9);
  EXPECT_EQ(s.branches[0].segments[1].points, 14u);
  // Bent by the two direct-wave points: slower than the refractor, and
  // the depth follows the bent line.
  EXPECT_LT(*s.layers[1].velocityMS, kV2 * 0.99);

  // The true split gives the model back.
  options.assigned = {{{11, 1}, {12, 1}, {13, 2}}};
  const Survey exact = Interpret({shot}, options);
  EXPECT_NEAR(*exact.layers[0].velocityMS, kV1, kV1 * 1e-6);
  EXPECT_NEAR(*exact.layers[1].velocityMS, kV2, kV2 * 1e-6);
  EXPECT_NEAR(*exact.shots[0].depthsM[0], kH, 1e-6);
}

TEST(ChosenLayers, AChoiceLeavingALayerOnePointKeepsTheFitsSplitWithAWarning) {
  const Shot shot = TwoLayerShot();
  SurveyOptions options;
  options.layers = 3;
  options.assigned = {{{24, 3}}};  // a third layer of one point
  const Survey s = Interpret({shot}, options);
  bool warned = false;
  for (const std::string& w : s.warnings) warned = warned || w.find("人工分层未采用") != std::string::npos;
  EXPECT_TRUE(warned);
  for (const PointFit& p : s.points) EXPECT_LE(p.layer, 3);
  // A choice beyond the layer count is the deepest layer; one for a
  // channel that has no first break changes nothing.
  options.layers = 2;
  options.assigned = {{{1, 9}, {2, 9}, {99, 1}}};
  const Survey deep = Interpret({shot}, options);
  for (const PointFit& p : deep.points)
    if (p.channel <= 2) {
      EXPECT_EQ(p.layer, 2);
    }
}

TEST(ChosenLayers, ThicknessesAndALoosenedZoneFromAFlatModel) {
  // Three flat layers 400, 1200, 3000 m/s, 3 m and 6 m thick: the head
  // waves' intercepts 2 h1 cos(theta) / v1 (+ 2 h2 cos / v2), so the depths
  // come back as 3 and 9 m and the thicknesses as 3 and 6 m.
  const double v[] = {400, 1200, 3000}, h[] = {3, 6};
  Shot shot;
  shot.file = "Z.T7P";
  shot.sampleMs = 0.001;
  for (int c = 1; c <= 48; ++c) {
    const double x = 2.0 * c;
    double t = x / v[0];
    for (int n = 1; n < 3; ++n) {
      double head = x / v[n];
      for (int j = 0; j < n; ++j) head += 2 * h[j] * std::sqrt(1 - std::pow(v[j] / v[n], 2)) / v[j];
      t = std::min(t, head);
    }
    shot.breaks.push_back({c, x, 0, t * 1000});
  }
  SurveyOptions options;
  options.layers = 3;
  const Survey s = Interpret({shot}, options);
  const auto thick = ThicknessesM(s.shots[0].depthsM);
  ASSERT_EQ(thick.size(), 2u);
  EXPECT_NEAR(*thick[0], 3, 0.05);
  EXPECT_NEAR(*thick[1], 6, 0.06);
  EXPECT_FALSE(ThicknessesM({std::nullopt, 4.0})[1]) << "no top, no thickness";

  // The loosened zone: the layer at the wall and the rock beyond it.
  const std::optional<LoosenedZone> zone = LoosenedZoneOf(Interpret({TwoLayerShot()}, SurveyOptions()));
  ASSERT_TRUE(zone);
  EXPECT_NEAR(zone->thicknessM, kH, 0.05);
  EXPECT_NEAR(zone->zoneVelocityMS, kV1, kV1 * 0.01);
  EXPECT_NEAR(zone->rockVelocityMS, kV2, kV2 * 0.01);
  EXPECT_NEAR(zone->ratio, kV1 / kV2, 0.01 * kV1 / kV2);
  EXPECT_FALSE(LoosenedZoneOf(Survey()));
}

}  // namespace
}  // namespace interpret
}  // namespace gt7p
