#include "tests/support/method_records.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "base/cp936.h"
#include "records/records.h"
#include "sim/record_maker.h"

namespace gt7p {
namespace test {

std::string MethodRecordBytes(const std::string& name, int method, int channels, int samples, double intervalUs,
                              double stepM, const std::map<std::string, double>& fields,
                              const std::function<double(int channel, int index)>& sample) {
  sim::SurveyFile f = sim::DemoSurveyFiles()[0];
  f.name = name;
  f.method = method;
  f.channels = channels;
  f.samples = samples;
  f.preTrigger = 0;
  f.intervalUs = intervalUs;
  f.stepM = stepM;
  std::string raw = sim::MakeRawFile(f);
  const size_t headerAt = 10;
  std::map<std::string, double> all = fields;
  all.emplace("系统延时", 0);
  for (const auto& [field, value] : all) {
    sim::RecordBuilder b(sim::RecordBuilder::kFileHeader);
    b.Number(field, value);
    bool found = false;
    for (const FieldSpec& entry : HeaderGroupZeroFields())
      if (entry.name == Utf8ToCp936(field)) {
        raw.replace(headerAt + static_cast<size_t>(entry.offset), static_cast<size_t>(entry.length),
                    b.chars().substr(static_cast<size_t>(entry.offset), static_cast<size_t>(entry.length)));
        found = true;
      }
    if (!found) throw std::invalid_argument("no header field " + field);
  }
  const size_t channelChars = 64 + 4 * static_cast<size_t>(samples);
  for (int c = 1; c <= channels; ++c)
    for (int i = 0; i < samples; ++i) {
      const long v = std::lround(std::clamp(sample(c, i), -32768.0, 32767.0));
      char digits[8];
      std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(static_cast<uint16_t>(v)));
      raw.replace(headerAt + 316 + static_cast<size_t>(c - 1) * channelChars + 64 + 4 * static_cast<size_t>(i), 4, digits);
    }
  return raw;
}

std::function<double(int, int)> Ringing(double hz, double intervalUs, double noise) {
  constexpr double kPi = 3.14159265358979323846;
  return [=](int c, int i) {
    const double t = i * intervalUs * 1e-6;
    const double n = std::sin(12.9898 * (i + 1) + 78.233 * c) * 43758.5453;
    return 8000 * std::exp(-t / 0.004) * std::sin(2 * kPi * hz * t + c) + noise * (2 * (n - std::floor(n)) - 1);
  };
}

}  // namespace test
}  // namespace gt7p
