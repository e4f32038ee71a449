// The survey methods besides refraction: single-point thickness from the
// record's resonance, reflection from the operator's reflection picks, and
// the velocity between channels of a two-point survey.
//
// Thickness (methods 10 and 11): the summed amplitude spectrum of the
// traces (Hann window, zero-padded to at least four times their length),
// its strongest bin within a band, accepted when it stands Av times above
// the band's median level, its frequency refined between bins by a
// parabola through the logarithms of the three amplitudes around it (exact
// for a Gaussian peak, the Hann window's near shape); thickness =
// e * V0 / f. Assumes a plate of one velocity whose thickness resonance
// is the strongest in the band.
//
// Reflection (40 and 41): t^2 = T0^2 + x^2 / v^2 fitted by least squares in
// t^2 and x^2 (a flat reflector, one velocity above it); the reflector's
// depth v * T0 / 2 below the spread; with a known V0 each trace's own
// depth 0.5 * sqrt(V0^2 t^2 - x^2). Reflectors crossing the roadway ahead
// of a face (linear moveout) are not solved here.
//
// Two-point (20): the offset difference over the first breaks' difference
// for each pair of neighbouring receivers (by offset), and their mean.
//
// Failures throw Error (code page 936 texts, see each function).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "interpret/shots.h"

namespace gt7p {
namespace interpret {

// The survey-method codes.
enum class Method { kRefraction, kThickness, kReflection, kTwoPoint };
// The method of a "探测方法" code; none for 00 (a user survey) and unknown
// codes.
std::optional<Method> MethodOfCode(int code);
// "refraction", "thickness", "reflection", "two-point", and back.
const char* MethodName(Method method);
std::optional<Method> MethodNamed(const std::string& name);

// The parameters of the other methods as the header holds them (0 where
// the header holds 0 or not the field).
struct MethodHeader {
  int method = 0;               // "探测方法"
  double knownVelocityMS = 0;   // "已知速度V0", in m/s
  double ratioE = 0;            // "深度波长比e"
  double thresholdAv = 0;       // "幅谱阀值Av"
  double fftPoints = 0, interpolationPoints = 0;  // "FFT点数", "插值点数"
  double bandF1 = 0, bandF2 = 0;  // "频段起点f1", "频段终点f2" (units unknown: shown, not used)
  double minThicknessM = 0, maxThicknessM = 0;  // h1, h2
  double minVelocityMS = 0, maxVelocityMS = 0;  // v1, v2, in m/s
};

// A record's header parameters and its traces (samples as the reader
// gives them), for the thickness.
struct MethodRecord {
  std::string file;  // UTF-8 name, no folder
  MethodHeader header;
  double intervalUs = 0;
  std::vector<int32_t> channels;  // "道号" per trace
  std::vector<std::vector<float>> traces;
};

// Reads the header and, when `samples`, every trace. The reader's failures.
MethodRecord LoadMethodRecord(const std::filesystem::path& record, bool samples);
// The same of a record held in memory (the viewer's), `file` its UTF-8
// name; every trace.
MethodHeader MethodHeaderOf(const RecordHeader& header);
MethodRecord MethodRecordOf(const Record& record, const std::string& file);

// ---- Thickness ----

constexpr double kDefaultRatioE = 0.5, kDefaultThresholdAv = 2;
constexpr size_t kLeastPadding = 4;

struct ThicknessOptions {
  double bandLoHz = 0, bandHiHz = 0;  // both 0: above the lowest 1 % of the spectrum
  double velocityMS = 0;              // 0: the header's V0
  std::vector<int32_t> channels;      // "道号" of the traces to use; empty: all
};

struct ThicknessResult {
  double peakHz = 0;
  double peakToMedian = 0;  // the peak's amplitude over the band's median
  double thresholdAv = 0;   // as used (the header's, 2 where it holds 0)
  double ratioE = 0;        // as used
  double velocityMS = 0;    // as used
  double thicknessM = 0;
  bool outsideBounds = false;  // outside the header's h1..h2 (where h2 > 0)
  double bandLoHz = 0, bandHiHz = 0;
  double binHz = 0;               // of `spectrum`
  std::vector<double> spectrum;   // the summed amplitude spectrum from 0 Hz
  int traces = 0;                 // how many were summed
};

// Errors: "没有已知速度V0" (no velocity given and none in the header), "频段内
// 没有频谱" (the band holds fewer than 3 bins or lies beyond the spectrum),
// "没有可用的道" (no trace, or none of `channels`), "频谱中没有明显的峰" (the
// strongest bin is below Av times the median).
ThicknessResult Thickness(const MethodRecord& record, const ThicknessOptions& options);

// The same in two steps, so that a caller changing only the band or the
// velocity sums the spectra once: the summed amplitude spectrum of the
// traces of `channels` (every trace where empty; no failure), and the
// thickness from it (options.channels unused; the errors above).
struct SummedSpectrum {
  std::vector<double> spectrum;  // from 0 Hz
  double binHz = 0;
  int traces = 0;
};
SummedSpectrum SumSpectra(const MethodRecord& record, const std::vector<int32_t>& channels);
ThicknessResult ThicknessOfSpectrum(const MethodHeader& header, const SummedSpectrum& summed,
                                    const ThicknessOptions& options);

// The strongest local maximum of `spectrum` among the bins lo..hi (never
// the first or last bin: a band edge on the flank of a peak outside it is
// no peak), 0 where there is none.
size_t StrongestPeakBin(const std::vector<double>& spectrum, size_t lo, size_t hi);
// The peak at bin `peak` (0 < peak < size - 1) refined between bins by a
// parabola through the logarithms of the three amplitudes around it, in
// bins (within half a bin of `peak`).
double RefinedPeakBin(const std::vector<double>& spectrum, size_t peak);

// ---- Reflection ----

struct ReflectionTrace {
  int32_t channel = 0;
  double offsetM = 0, timeMs = 0;
  std::optional<double> residualMs;  // time less the fitted hyperbola's
  std::optional<double> depthM;      // from V0 and this trace alone
  bool tooEarly = false;             // V0 * t < x: no depth
};

struct ReflectionResult {
  std::optional<double> velocityMS, zeroOffsetMs, depthM;  // the hyperbola's fit (2 offsets or more)
  double rmsMs = 0;
  double knownVelocityMS = 0;  // V0 used; 0 where none
  std::optional<double> meanDepthM, depthSpreadM;  // over the traces' V0 depths (spread: standard deviation)
  std::vector<ReflectionTrace> traces;
  std::vector<std::string> warnings;  // UTF-8
};

// Offsets (m, source to receiver) and reflection times (ms after the
// shot). Errors: "反射波拾取太少" (no pick, or one offset without a known
// velocity), "反射波拾取不成双曲线" (the fit gives no positive T0^2 and
// 1/v^2 and no known velocity stands in).
ReflectionResult FitReflection(const std::vector<FirstBreak>& picks, double sourceX, double knownVelocityMS);

// ---- Two-point velocity ----

struct PairVelocity {
  int32_t channelA = 0, channelB = 0;  // nearer, farther
  double offsetAM = 0, offsetBM = 0, timeAMs = 0, timeBMs = 0;
  std::optional<double> velocityMS;    // none where the farther arrives no later
};

struct TwoPointResult {
  std::vector<PairVelocity> pairs;
  std::optional<double> meanVelocityMS;
  std::vector<std::string> warnings;  // UTF-8
};

// Error "双点探测至少需要两道不同源检距的初至" with fewer than two first breaks
// at different offsets.
TwoPointResult TwoPointVelocity(const std::vector<FirstBreak>& breaks, double sourceX);

}  // namespace interpret
}  // namespace gt7p
