#include "interpret/methods.h"

#include <algorithm>
#include <cmath>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "interpret/picker.h"
#include "records/records.h"

namespace gt7p {
namespace interpret {

namespace {

// Header fields by their table index.
constexpr int kFieldMinThickness = 13, kFieldMaxThickness = 14, kFieldMinVelocity = 15, kFieldMaxVelocity = 16,
              kFieldKnownVelocity = 17, kFieldThresholdAv = 29, kFieldRatioE = 31, kFieldFftPoints = 33,
              kFieldInterpolationPoints = 34, kFieldBandF1 = 38, kFieldBandF2 = 39;

Error Fail(const char* utf8) { return Error(Utf8ToCp936(utf8)); }

}  // namespace

std::optional<Method> MethodOfCode(int code) {
  switch (code) {
    case 10: case 11: return Method::kThickness;
    case 20: return Method::kTwoPoint;
    case 30: case 31: case 32: return Method::kRefraction;
    case 40: case 41: return Method::kReflection;
    default: return std::nullopt;
  }
}

const char* MethodName(Method method) {
  switch (method) {
    case Method::kThickness: return "thickness";
    case Method::kReflection: return "reflection";
    case Method::kTwoPoint: return "two-point";
    case Method::kRefraction: break;
  }
  return "refraction";
}

std::optional<Method> MethodNamed(const std::string& name) {
  for (Method m : {Method::kRefraction, Method::kThickness, Method::kReflection, Method::kTwoPoint})
    if (name == MethodName(m)) return m;
  return std::nullopt;
}

MethodHeader MethodHeaderOf(const RecordHeader& h) {
  auto number = [&](int field) { return h.Holds(field) ? FieldNumber(h.headerRecord, field) : 0.0; };
  MethodHeader m;
  m.method = static_cast<int>(number(kFieldMethod));
  m.knownVelocityMS = number(kFieldKnownVelocity) * 1000;
  m.ratioE = number(kFieldRatioE);
  m.thresholdAv = number(kFieldThresholdAv);
  m.fftPoints = number(kFieldFftPoints);
  m.interpolationPoints = number(kFieldInterpolationPoints);
  m.bandF1 = number(kFieldBandF1);
  m.bandF2 = number(kFieldBandF2);
  m.minThicknessM = number(kFieldMinThickness);
  m.maxThicknessM = number(kFieldMaxThickness);
  m.minVelocityMS = number(kFieldMinVelocity) * 1000;
  m.maxVelocityMS = number(kFieldMaxVelocity) * 1000;
  return m;
}

MethodRecord LoadMethodRecord(const std::filesystem::path& path, bool samples) {
  RecordReader reader(path);
  const RecordHeader& h = reader.header();
  MethodRecord record;
  record.file = Utf8FromPath(path.filename());
  record.intervalUs = h.intervalUs;
  record.header = MethodHeaderOf(h);
  if (samples) {
    RecordChannel channel;
    for (int i = 0; i < h.channelCount; ++i) {
      reader.ReadChannel(i, channel, true);
      record.channels.push_back(ChannelNumber(channel.header));
      record.traces.push_back(std::move(channel.samples));
    }
  }
  return record;
}

MethodRecord MethodRecordOf(const Record& source, const std::string& file) {
  MethodRecord record;
  record.file = file;
  record.intervalUs = source.header.intervalUs;
  record.header = MethodHeaderOf(source.header);
  for (const RecordChannel& channel : source.channels) {
    record.channels.push_back(ChannelNumber(channel.header));
    record.traces.push_back(channel.samples);
  }
  return record;
}

size_t StrongestPeakBin(const std::vector<double>& spectrum, size_t lo, size_t hi) {
  if (spectrum.size() < 3) return 0;
  size_t peak = 0;
  for (size_t k = std::max<size_t>(lo, 1); k <= std::min(hi, spectrum.size() - 2); ++k)
    if (spectrum[k] >= spectrum[k - 1] && spectrum[k] > spectrum[k + 1] && (peak == 0 || spectrum[k] > spectrum[peak]))
      peak = k;
  return peak;
}

double RefinedPeakBin(const std::vector<double>& spectrum, size_t peak) {
  if (peak == 0 || peak + 1 >= spectrum.size()) return static_cast<double>(peak);
  const double a = spectrum[peak - 1], b = spectrum[peak], c = spectrum[peak + 1];
  double shift = 0;
  if (a > 0 && b > 0 && c > 0) {
    const double la = std::log(a), lb = std::log(b), lc = std::log(c);
    const double curve = la - 2 * lb + lc;
    if (curve < 0) shift = std::clamp(0.5 * (la - lc) / curve, -0.5, 0.5);
  }
  return static_cast<double>(peak) + shift;
}

SummedSpectrum SumSpectra(const MethodRecord& record, const std::vector<int32_t>& channels) {
  SummedSpectrum sum;
  for (size_t i = 0; i < record.traces.size(); ++i) {
    if (!channels.empty() && std::find(channels.begin(), channels.end(), record.channels[i]) == channels.end()) continue;
    double binHz = 0;
    const std::vector<double> spectrum = AmplitudeSpectrum(record.traces[i], record.intervalUs, binHz, kLeastPadding);
    if (spectrum.empty()) continue;
    if (sum.spectrum.size() < spectrum.size()) sum.spectrum.resize(spectrum.size(), 0.0);
    for (size_t k = 0; k < spectrum.size(); ++k) sum.spectrum[k] += spectrum[k];
    sum.binHz = binHz;
    ++sum.traces;
  }
  return sum;
}

ThicknessResult Thickness(const MethodRecord& record, const ThicknessOptions& options) {
  // Without a velocity nothing is worth the spectra.
  if (!(options.velocityMS > 0) && !(record.header.knownVelocityMS > 0)) throw Fail("没有已知速度V0");
  return ThicknessOfSpectrum(record.header, SumSpectra(record, options.channels), options);
}

ThicknessResult ThicknessOfSpectrum(const MethodHeader& header, const SummedSpectrum& summed,
                                    const ThicknessOptions& options) {
  ThicknessResult r;
  r.velocityMS = options.velocityMS > 0 ? options.velocityMS : header.knownVelocityMS;
  if (!(r.velocityMS > 0)) throw Fail("没有已知速度V0");
  r.ratioE = header.ratioE > 0 ? header.ratioE : kDefaultRatioE;
  r.thresholdAv = header.thresholdAv > 0 ? header.thresholdAv : kDefaultThresholdAv;
  r.spectrum = summed.spectrum;
  r.binHz = summed.binHz;
  r.traces = summed.traces;
  if (r.traces == 0 || r.spectrum.size() < 2) throw Fail("没有可用的道");

  const double nyquistHz = r.binHz * static_cast<double>(r.spectrum.size() - 1);
  const bool band = options.bandLoHz > 0 || options.bandHiHz > 0;
  r.bandLoHz = band ? options.bandLoHz : 0.01 * nyquistHz;
  r.bandHiHz = band ? std::min(options.bandHiHz, nyquistHz) : nyquistHz;
  const size_t last = r.spectrum.size() - 1;
  if (!(r.bandHiHz > r.bandLoHz) || !(r.bandLoHz >= 0) || r.bandLoHz > nyquistHz) throw Fail("频段内没有频谱");
  const size_t lo = static_cast<size_t>(std::ceil(r.bandLoHz / r.binHz));
  const size_t hi = std::min(last, static_cast<size_t>(std::floor(r.bandHiHz / r.binHz)));
  if (lo > last || hi < lo + 2) throw Fail("频段内没有频谱");

  std::vector<double> inBand(r.spectrum.begin() + static_cast<std::ptrdiff_t>(lo),
                             r.spectrum.begin() + static_cast<std::ptrdiff_t>(hi) + 1);
  std::nth_element(inBand.begin(), inBand.begin() + static_cast<std::ptrdiff_t>(inBand.size() / 2), inBand.end());
  const double median = inBand[inBand.size() / 2];

  const size_t peak = StrongestPeakBin(r.spectrum, lo, hi);
  if (peak == 0 || !(r.spectrum[peak] > 0)) throw Fail("频谱中没有明显的峰");
  r.peakToMedian = median > 0 ? r.spectrum[peak] / median : HUGE_VAL;
  if (r.peakToMedian < r.thresholdAv) throw Fail("频谱中没有明显的峰");
  r.peakHz = RefinedPeakBin(r.spectrum, peak) * r.binHz;
  r.thicknessM = r.ratioE * r.velocityMS / r.peakHz;
  const double h1 = header.minThicknessM, h2 = header.maxThicknessM;
  r.outsideBounds = (h1 > 0 && r.thicknessM < h1) || (h2 > 0 && r.thicknessM > h2);
  return r;
}

ReflectionResult FitReflection(const std::vector<FirstBreak>& picks, double sourceX, double knownVelocityMS) {
  ReflectionResult r;
  r.knownVelocityMS = knownVelocityMS > 0 ? knownVelocityMS : 0;
  if (picks.empty()) throw Fail("反射波拾取太少");
  // t^2 = a + b x^2 by least squares (t in ms, x in m).
  double sx = 0, sy = 0;
  for (const FirstBreak& p : picks) {
    ReflectionTrace trace;
    trace.channel = p.channel;
    trace.offsetM = std::fabs(p.receiverX - sourceX);
    trace.timeMs = p.timeMs;
    r.traces.push_back(trace);
    sx += trace.offsetM * trace.offsetM;
    sy += trace.timeMs * trace.timeMs;
  }
  const double n = static_cast<double>(r.traces.size());
  const double mx = sx / n, my = sy / n;
  double sxx = 0, sxy = 0;
  for (const ReflectionTrace& t : r.traces) {
    const double dx = t.offsetM * t.offsetM - mx;
    sxx += dx * dx;
    sxy += dx * (t.timeMs * t.timeMs - my);
  }
  const bool spread = sxx > 1e-12 * std::max(1.0, mx * mx);
  if (!spread && r.knownVelocityMS == 0) throw Fail("反射波拾取太少");
  if (spread) {
    const double b = sxy / sxx, a = my - b * mx;
    if (a > 0 && b > 0) {
      r.velocityMS = 1000 / std::sqrt(b);
      r.zeroOffsetMs = std::sqrt(a);
      r.depthM = *r.velocityMS * *r.zeroOffsetMs / 1000 / 2;
      double sum = 0;
      for (ReflectionTrace& t : r.traces) {
        t.residualMs = t.timeMs - std::sqrt(a + b * t.offsetM * t.offsetM);
        sum += *t.residualMs * *t.residualMs;
      }
      r.rmsMs = std::sqrt(sum / n);
    } else if (r.knownVelocityMS == 0) {
      throw Fail("反射波拾取不成双曲线");
    } else {
      r.warnings.push_back("反射波拾取不成双曲线：只用已知速度V0求深度");
    }
  }
  if (r.knownVelocityMS > 0) {
    double sum = 0, sum2 = 0;
    int count = 0, early = 0;
    for (ReflectionTrace& t : r.traces) {
      const double path = r.knownVelocityMS * t.timeMs / 1000;  // m
      if (path < t.offsetM || !(t.timeMs > 0)) {
        t.tooEarly = true;
        ++early;
        continue;
      }
      t.depthM = 0.5 * std::sqrt(path * path - t.offsetM * t.offsetM);
      sum += *t.depthM;
      sum2 += *t.depthM * *t.depthM;
      ++count;
    }
    if (count > 0) {
      r.meanDepthM = sum / count;
      r.depthSpreadM = count > 1 ? std::sqrt(std::max(0.0, (sum2 - sum * sum / count) / (count - 1))) : 0.0;
    }
    if (early > 0)
      r.warnings.push_back(std::to_string(early) + " 道的反射时间乘已知速度V0小于源检距，这些道没有深度");
  }
  return r;
}

TwoPointResult TwoPointVelocity(const std::vector<FirstBreak>& breaks, double sourceX) {
  std::vector<FirstBreak> sorted = breaks;
  std::stable_sort(sorted.begin(), sorted.end(), [&](const FirstBreak& a, const FirstBreak& b) {
    return std::fabs(a.receiverX - sourceX) < std::fabs(b.receiverX - sourceX);
  });
  TwoPointResult r;
  double sum = 0;
  int count = 0;
  for (size_t i = 0; i + 1 < sorted.size(); ++i) {
    PairVelocity pair;
    pair.channelA = sorted[i].channel;
    pair.channelB = sorted[i + 1].channel;
    pair.offsetAM = std::fabs(sorted[i].receiverX - sourceX);
    pair.offsetBM = std::fabs(sorted[i + 1].receiverX - sourceX);
    pair.timeAMs = sorted[i].timeMs;
    pair.timeBMs = sorted[i + 1].timeMs;
    if (!(pair.offsetBM > pair.offsetAM)) continue;  // one offset: no distance between them
    if (pair.timeBMs > pair.timeAMs) {
      pair.velocityMS = (pair.offsetBM - pair.offsetAM) / (pair.timeBMs - pair.timeAMs) * 1000;
      sum += *pair.velocityMS;
      ++count;
    } else {
      r.warnings.push_back("第" + std::to_string(pair.channelB) + "道的初至不晚于第" + std::to_string(pair.channelA) +
                           "道：这一对没有速度");
    }
    r.pairs.push_back(pair);
  }
  if (r.pairs.empty()) throw Fail("双点探测至少需要两道不同源检距的初至");
  if (count > 0) r.meanVelocityMS = sum / count;
  return r;
}

}  // namespace interpret
}  // namespace gt7p
