// The limits of the display settings, one set for the viewer window's
// boxes and gt7p-cli plot's options.
#pragma once

namespace gt7p {
namespace view {

struct Limits {
  double low, high;
  bool Holds(double value) const { return value >= low && value <= high; }
};

constexpr Limits kGainDb{-36, 60};            // the fixed gain
constexpr double kGainStepDb = 3;             // a key, a button, a notch of the wheel
constexpr Limits kClip{0.1, 100};             // in trace spacings
constexpr Limits kAgcWindowMs{0.001, 100000};
constexpr Limits kCornerHz{0, 1e6};           // band-pass corners; 0 leaves that side open
constexpr Limits kWindowMs{-1e6, 1e6};          // the time window's start and end
constexpr Limits kPictureSide{200, 20000};    // pixels of a picture or a plot, each way

}  // namespace view
}  // namespace gt7p
