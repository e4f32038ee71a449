// Layer velocities, depths and dips from the first breaks of shots on one
// straight, flat spread (the method is in interpret.h).
//
// Layer numbering: layer 1 is the top layer; layer k's velocity, the depth
// of its bottom (the top of layer k + 1) and that boundary's dip. Depths are
// vertical, in metres below the surface; dips in degrees, positive where the
// boundary deepens toward +x.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "interpret/shots.h"

namespace gt7p {
namespace interpret {

constexpr int kMinLayers = 2, kMaxLayers = 5;

struct SurveyOptions {
  int layers = 0;              // kMinLayers..kMaxLayers; 0 chooses
  bool throughOrigin = false;  // the direct wave through 0 (no time-zero offset)
  double v1MS = 0;             // the top layer's velocity fixed (m/s); 0: fitted
  bool headerV1 = false;       // each shot's "已知速度V0" fixes it
  // The operator's layers for some first breaks, per shot in the order
  // given: channel ("道号") to layer (1 the direct wave, up to `layers` or
  // the count chosen). A branch with any keeps the fit's layers for its
  // other points and fits each segment to its own points; where a layer
  // would be left with fewer than two points the fit's split stays, with a
  // warning.
  std::vector<std::map<int32_t, int>> assigned;
};

// A straight line t = interceptMs + slownessMsPerM * offset.
struct Segment {
  double interceptMs = 0, slownessMsPerM = 0;
  size_t points = 0;
  double spreadM2 = 0;  // sum of the squared offsets from their mean: the slope's weight
};

// One shot's first breaks on one side of it, split into segments: the
// direct wave, then one head wave per refractor.
struct Branch {
  size_t shot = 0;
  int direction = 1;  // +1: receivers toward +x, -1: toward -x
  std::vector<Segment> segments;
  std::vector<double> crossoverM;  // between segment k and k + 1, offsets
  double timeZeroMs = 0;           // the direct wave's intercept
};

struct PointFit {
  size_t shot = 0;
  int32_t channel = 0;
  double x = 0, offset = 0, timeMs = 0;
  int layer = 1;  // 1: direct wave; k: head wave along the top of layer k
  double residualMs = 0;
};

struct LayerResult {
  std::optional<double> velocityMS;
  std::optional<double> dipDeg;  // of its top boundary (layers from 2)
};

struct ShotResult {
  std::string file;
  double x = 0;
  PickSource source = PickSource::kAuto;
  double timeZeroMs = 0;
  // Per refractor (boundary k below layer k, k from 1): the intercept time
  // corrected by the time-zero offset, the crossover distance, the depth
  // below the shot; none where the data don't give it.
  std::vector<std::optional<double>> interceptMs, crossoverM, depthsM;
};

struct ReceiverResult {
  double x = 0;
  std::vector<std::optional<double>> depthsM, spreadM;  // per boundary
  std::vector<int> pairs;  // how many opposite pairs gave each depth
};

struct Survey {
  int layerCount = 0;
  bool reversed = false;  // shot from both directions: dips solved
  std::vector<LayerResult> layers;
  std::vector<ShotResult> shots;
  std::vector<ReceiverResult> receivers;  // two or more shots
  std::vector<Branch> branches;
  std::vector<PointFit> points;
  double rmsMs = 0;
  // Per boundary: the largest difference of the reciprocal time between
  // the two directions over the opposite pairs.
  std::vector<std::optional<double>> reciprocalMismatchMs;
  std::vector<std::string> warnings;  // UTF-8
};

// Error (code page 936) where no model can be made: fewer than 3 first
// breaks on a shot, `layers` leaving a segment with fewer than 2 points.
Survey Interpret(const std::vector<Shot>& shots, const SurveyOptions& options);

// One branch's points (offset, time) split into `segments` lines of
// falling slowness by least squares; `fixedSlowness` (> 0) and
// `throughOrigin` constrain the first. Empty when fewer than 2 points per
// segment are there. `assignment` gets each point's segment.
std::vector<Segment> FitBranch(const std::vector<double>& offsets, const std::vector<double>& timesMs, int segments,
                               double fixedSlowness, bool throughOrigin, std::vector<int>* assignment = nullptr);

// Depths (m, vertical) of the boundaries below a shot on flat layers from
// the refractors' intercept times (ms, corrected) and the layer velocities
// (m/s, top first, one more than the intercepts): the multi-layer
// intercept-time sum. None from the first boundary whose velocities don't
// increase or whose depth would be negative.
std::vector<std::optional<double>> DepthsFromIntercepts(const std::vector<double>& interceptsMs,
                                                        const std::vector<double>& velocitiesMS);

// Each layer's thickness below a shot from the depths of the boundaries
// (the first layer's is its bottom's depth, the next ones the difference
// of theirs); none where a depth is missing.
std::vector<std::optional<double>> ThicknessesM(const std::vector<std::optional<double>>& depthsM);

// The loosened zone round an opening (survey method 32): the layer next to
// the wall is the zone, the one beyond it the rock. Its thickness is
// measured into the rock from the wall (below the shot); the ratio is the
// zone's velocity over the rock's. None where the first boundary's depth or
// either velocity is unknown.
struct LoosenedZone {
  double thicknessM = 0, zoneVelocityMS = 0, rockVelocityMS = 0, ratio = 0;
};
std::optional<LoosenedZone> LoosenedZoneOf(const Survey& survey, size_t shot = 0);

// The depth section along the spread: per boundary (below layer k, k from
// 1) its depths (m, vertical) at the places that have one, the receivers'
// (the opposite pairs' mean) and the shots' own below them, by x; a
// receiver on a shot takes the receiver's.
struct SectionPoint {
  double x = 0, depthM = 0;
};
std::vector<std::vector<SectionPoint>> DepthSection(const Survey& survey);

}  // namespace interpret
}  // namespace gt7p
