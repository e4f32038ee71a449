// The display processing against what it is designed to do: the band-pass
// against its textbook response, AGC and DC removal, the spectrum of a
// known sinusoid, and the automatic picker on synthetic gathers whose
// first breaks are known.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "interpret/interpret.h"
#include "viewer/viewer.h"

namespace gt7p {
namespace view {
using interpret::AmplitudeSpectrum;
using interpret::PickFirstBreak;
using interpret::PickFirstBreaks;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Sine(size_t n, double hz, double sampleHz, double amplitude = 1) {
  std::vector<float> x(n);
  for (size_t i = 0; i < n; ++i) x[i] = static_cast<float>(amplitude * std::sin(2 * kPi * hz * i / sampleHz));
  return x;
}

// A sinusoid's amplitude from the RMS of the middle half (away from the
// ends; the samples need not meet its crests).
double MiddleAmplitude(const std::vector<float>& x) {
  double sum = 0;
  for (size_t i = x.size() / 4; i < 3 * x.size() / 4; ++i) sum += double(x[i]) * x[i];
  return std::sqrt(2 * sum / (x.size() / 2));
}

RecordHeader Header(double intervalUs, int samples) {
  RecordHeader h;
  h.channelCount = 1;
  h.sampleCount = samples;
  h.intervalUs = intervalUs;
  return h;
}

// The textbook response of the zero-phase band-pass: a Butterworth low-pass
// and high-pass of order 4 through the bilinear transform, each squared
// (forwards and backwards), corners placed so that the two passes are 3 dB
// down at the asked frequencies. Written from the formula, not from the
// filter's sections.
double TextbookResponse(double hz, double low, double high, double fs) {
  const int n = 4;
  const double shift = std::pow(std::sqrt(2.0) - 1, 1.0 / (2 * n));
  const double w = std::tan(kPi * hz / fs);
  const double wl = std::tan(kPi * low / fs) * shift, wh = std::tan(kPi * high / fs) / shift;
  const double lowPass = 1 / (1 + std::pow(w / wh, 2 * n)), highPass = 1 / (1 + std::pow(wl / w, 2 * n));
  return lowPass * highPass;
}

TEST(BandPass, SinusoidsPassAsTheTextbookResponseSays) {
  const double fs = 1e6 / 100;  // 100 us
  const double low = 100, high = 1000;
  const RecordHeader header = Header(100, 8192);
  Processing p;
  p.lowCutHz = low;
  p.highCutHz = high;
  const TraceProcessor processor(header, p);
  const BandPass design(low, high, fs);
  for (double hz : {300.0, low, high, 2000.0, 40.0}) {
    SCOPED_TRACE(hz);
    std::vector<float> x = Sine(8192, hz, fs);
    processor.Apply(x);
    const double expected = TextbookResponse(hz, low, high, fs);
    EXPECT_NEAR(MiddleAmplitude(x), expected, 0.01 + 0.02 * expected);
    EXPECT_NEAR(design.Response(hz), expected, 1e-6);
  }
  // 3 dB down at both corners, nearly whole in the middle.
  EXPECT_NEAR(design.Response(low), 1 / std::sqrt(2.0), 0.02);
  EXPECT_NEAR(design.Response(high), 1 / std::sqrt(2.0), 0.02);
  EXPECT_NEAR(design.Response(300), 1, 0.01);
}

TEST(BandPass, ZeroPhaseKeepsAnArrivalInPlace) {
  // A spike stays centred: the filtered pulse's peak is where the spike was.
  std::vector<float> x(2001, 0.0f);
  x[1000] = 1;
  Processing p;
  p.lowCutHz = 200;
  p.highCutHz = 2000;
  TraceProcessor(Header(50, 2001), p).Apply(x);
  size_t at = 0;
  for (size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i]) > std::fabs(x[at])) at = i;
  EXPECT_EQ(at, 1000u);
  EXPECT_NEAR(x[990], x[1010], 1e-6);  // symmetric
}

TEST(Processing, DcRemovalAgcAndGaps) {
  const RecordHeader header = Header(1000, 400);  // 1 ms
  std::vector<float> x(400);
  for (size_t i = 0; i < x.size(); ++i) x[i] = 500 + (i < 200 ? 1.0f : 100.0f) * (i % 2 ? 1 : -1);
  x[50] = std::nanf("");
  x[60] = INFINITY;
  Processing p;
  p.removeDc = true;
  p.agcMs = 21;
  TraceProcessor(header, p).Apply(x);
  EXPECT_TRUE(std::isnan(x[50]));
  EXPECT_TRUE(std::isinf(x[60]));  // gaps stay what they were
  // Offset gone, and AGC brings the soft and the loud half to one level.
  EXPECT_NEAR(std::fabs(x[100]), std::fabs(x[300]), 0.05);
  EXPECT_NEAR(std::fabs(x[300]), 1, 0.05);
  std::vector<float> quiet(100, 0.0f);
  TraceProcessor(header, p).Apply(quiet);
  EXPECT_EQ(quiet[10], 0.0f);  // a dead trace stays dead, no division by zero
}

TEST(Processing, SpectrumOfASinusoidPeaksAtItsFrequency) {
  const double fs = 1e6 / 20;  // 20 us
  double binHz = 0;
  const std::vector<double> s = AmplitudeSpectrum(Sine(3000, 2500, fs, 7), 20, binHz);
  ASSERT_EQ(s.size(), 4096u / 2 + 1);
  EXPECT_DOUBLE_EQ(binHz, fs / 4096);
  size_t peak = 0;
  for (size_t k = 0; k < s.size(); ++k)
    if (s[k] > s[peak]) peak = k;
  EXPECT_NEAR(peak * binHz, 2500, binHz);
  EXPECT_NEAR(s[peak], 7, 7 * 0.2);  // its amplitude, less the window's scalloping
}

// A direct wave whose first break grows linearly with distance, each trace
// with white noise whose RMS is its arrival's peak over `snr`; the known
// onsets (fractional sample indexes) come back in `onsets`.
std::vector<std::vector<float>> Gather(int traces, size_t samples, double periodSamples, double snr, uint32_t seed,
                                       std::vector<double>& onsets) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0, 1);
  std::vector<std::vector<float>> gather;
  onsets.clear();
  for (int t = 0; t < traces; ++t) {
    const double onset = 40 + 11.3 * (t + 1);  // 16 pre-trigger samples, then the distance's travel time
    const double amplitude = 1000 / std::sqrt(t + 1.0);
    std::vector<double> x(samples, 0.0);
    double peak = 0;
    for (size_t i = 0; i < samples; ++i) {
      const double tau = i - onset;
      if (tau > 0) x[i] = amplitude * std::sin(2 * kPi * tau / periodSamples) * std::exp(-tau / (2 * periodSamples));
      peak = std::max(peak, std::fabs(x[i]));
    }
    std::vector<float> trace(samples);
    for (size_t i = 0; i < samples; ++i) trace[i] = static_cast<float>(x[i] + peak / snr * noise(random));
    gather.push_back(trace);
    onsets.push_back(onset);
  }
  return gather;
}

TEST(Picker, FindsFirstBreaksWithinTwoSamplesAtSignalToNoiseTen) {
  int within = 0, total = 0;
  std::string misses;
  for (double period : {12.0, 25.0, 40.0})
    for (uint32_t seed = 1; seed <= 4; ++seed) {
      std::vector<double> onsets;
      const auto gather = Gather(24, 1024, period, 10, seed * 7 + static_cast<uint32_t>(period), onsets);
      std::vector<const std::vector<float>*> traces;
      for (const auto& t : gather) traces.push_back(&t);
      const std::vector<int32_t> picks = PickFirstBreaks(traces, 20, 16);
      for (size_t i = 0; i < picks.size(); ++i) {
        ++total;
        // Sample number n is index n - 1; the first sample above the onset is its first break.
        const double error = (picks[i] - 1) - std::ceil(onsets[i]);
        within += std::fabs(error) <= 2;
        if (std::fabs(error) > 2)
          misses += " (period " + std::to_string(int(period)) + ", trace " + std::to_string(i) + ": " +
                    std::to_string(int(error)) + ")";
      }
    }
  EXPECT_GE(within, 0.9 * total) << within << " of " << total << misses;
}

TEST(Picker, NoiseDeadAndShortTracesGetNoPick) {
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0, 100);
  int picked = 0;
  for (int t = 0; t < 20; ++t) {
    std::vector<float> x(1024);
    for (float& v : x) v = static_cast<float>(noise(random));
    picked += PickFirstBreak(x, 16, 20) >= 0;
  }
  EXPECT_LE(picked, 1);
  const std::vector<float> dead(500, 3.0f), shortOne(6, 1.0f);
  EXPECT_EQ(PickFirstBreak(dead, 0, 10), -1);
  EXPECT_EQ(PickFirstBreak(shortOne, 0, 10), -1);
  EXPECT_EQ(PickFirstBreaks({&dead}, 10, 0), std::vector<int32_t>{0});
}

}  // namespace
}  // namespace view
}  // namespace gt7p
