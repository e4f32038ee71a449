// The interpretation's costs, as medians of several runs:
//   line    Interpret on a line of 10 shots of 48 channels over a dipping
//           boundary (goal: under 100 ms)
//   picker  the automatic picker on a gather of 48 traces of 65,535 samples,
//           with how many of its picks lie within a quarter period of the
//           true first break
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "bench/median.h"
#include "interpret/interpret.h"

namespace {

using Clock = std::chrono::steady_clock;
using gt7p::bench::Median;
namespace ip = gt7p::interpret;

constexpr double kPi = 3.14159265358979323846;

// First break at x from a source at s over a boundary 5 m below x = 0
// dipping 6 degrees (v1 800 m/s, v2 3000 m/s).
double ArrivalMs(double s, double x) {
  const double v1 = 800, v2 = 3000, dip = 6 * kPi / 180, theta = std::asin(v1 / v2);
  const double h = (5 + s * std::tan(dip)) * std::cos(dip);
  const double toward = x >= s ? dip : -dip;
  return std::min(std::fabs(x - s) / v1, std::fabs(x - s) * std::sin(theta + toward) / v1 + 2 * h * std::cos(theta) / v1) * 1000;
}

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

}  // namespace

int main() {
  std::vector<ip::Shot> shots;
  for (int k = 0; k < 10; ++k) {
    ip::Shot shot;
    shot.file = "S" + std::to_string(k) + ".T7P";
    shot.sourceX = -10 + 116.0 * k / 9;  // off the ends and along the spread
    shot.sampleMs = 0.02;
    for (int ch = 1; ch <= 48; ++ch) {
      const double x = 2.0 * (ch - 1);
      shot.breaks.push_back({ch, x, 0, std::round(ArrivalMs(shot.sourceX, x) / 0.02) * 0.02});
    }
    shots.push_back(shot);
  }
  std::vector<double> line;
  ip::Survey survey;
  for (int run = 0; run < 21; ++run) {
    const auto t0 = Clock::now();
    survey = ip::Interpret(shots, ip::SurveyOptions());
    line.push_back(Ms(t0));
  }
  std::printf("line (10 x 48)   median %.2f ms  (v2 %.1f m/s, dip %.2f deg, %d layers)\n", Median(line),
              survey.layers.size() > 1 && survey.layers[1].velocityMS ? *survey.layers[1].velocityMS : 0.0,
              survey.layers.size() > 1 && survey.layers[1].dipDeg ? *survey.layers[1].dipDeg : 0.0, survey.layerCount);

  // 48 traces of 65,535 samples at 20 us: a 500 Hz wavelet from each first
  // break on, in noise a tenth of its peak, then a long quiet tail.
  const double dtMs = 0.02;
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0, 400);
  std::vector<std::vector<float>> traces(48, std::vector<float>(65535));
  std::vector<double> truth;
  for (int ch = 0; ch < 48; ++ch) {
    const double arrival = 2 + ArrivalMs(0, 2.0 * ch);
    truth.push_back(arrival / dtMs);
    for (size_t i = 0; i < traces[ch].size(); ++i) {
      const double t = static_cast<double>(i) * dtMs - arrival;
      double v = noise(random);
      if (t >= 0) v += 4000 * std::exp(-t / 4.0) * std::sin(2 * kPi * 0.5 * t);
      traces[ch][i] = static_cast<float>(v);
    }
  }
  std::vector<const std::vector<float>*> gather;
  for (const auto& t : traces) gather.push_back(&t);
  std::vector<double> picker;
  std::vector<int32_t> picks;
  for (int run = 0; run < 5; ++run) {
    const auto t0 = Clock::now();
    picks = ip::PickFirstBreaks(gather, dtMs * 1000, 0);
    picker.push_back(Ms(t0));
  }
  int right = 0;
  std::vector<double> errors;
  for (size_t i = 0; i < picks.size(); ++i) {
    if (picks[i] <= 0) continue;
    errors.push_back(std::fabs(picks[i] - 1 - truth[i]) * dtMs);
    if (errors.back() <= 0.5) ++right;  // a quarter period
  }
  std::printf("picker (48 x 65535)  median %.1f ms  %d of 48 within a quarter period (median error %.3f ms)\n",
              Median(picker), right, Median(errors));
  return 0;
}
