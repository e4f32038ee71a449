// The interpretation on arbitrary input: the first part (to the first NUL
// byte) is read as a line's geometry file, the rest as shots of first
// breaks, four bytes each (source, receiver, time and a control byte that
// starts the next shot or sets the options). A geometry that can't be read
// and a model that can't be made are Errors; whatever is made has no NaN,
// no infinite value and no negative depth.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "fuzz/fuzz_support.h"
#include "interpret/interpret.h"

namespace {

namespace ip = gt7p::interpret;

void CheckDepths(const std::vector<std::optional<double>>& depths) {
  for (const auto& d : depths)
    if (d) FUZZ_CHECK(std::isfinite(*d) && *d >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  try {
    for (const ip::LineRow& row : ip::ParseGeometry(input.substr(0, nul)))
      FUZZ_CHECK(row.spacing != 0 && std::isfinite(row.sourceX));
  } catch (const gt7p::Error&) {
  }
  if (nul == std::string::npos) return 0;
  std::vector<ip::Shot> shots(1);
  ip::SurveyOptions options;
  for (size_t i = nul + 1; i + 4 <= size; i += 4) {
    const uint8_t source = data[i], receiver = data[i + 1], time = data[i + 2], control = data[i + 3];
    if (control == 0xFF && shots.size() < 12) shots.emplace_back();
    if (control == 0xFE) options.layers = ip::kMinLayers + source % 4;
    if (control == 0xFD) options.throughOrigin = true;
    if (control == 0xFC) options.v1MS = 100 + source * 20;
    ip::Shot& shot = shots.back();
    shot.file = "S" + std::to_string(shots.size()) + ".T7P";
    shot.sourceX = source % 64;
    shot.sampleMs = 0.01 * (1 + control % 8);
    shot.breaks.push_back({static_cast<int32_t>(shot.breaks.size() + 1), receiver / 2.0, 0, time * 0.25});
  }
  try {
    const ip::Survey s = ip::Interpret(shots, options);
    FUZZ_CHECK(std::isfinite(s.rmsMs) && s.layerCount >= ip::kMinLayers && s.layerCount <= ip::kMaxLayers);
    for (const ip::LayerResult& l : s.layers) {
      if (l.velocityMS) FUZZ_CHECK(std::isfinite(*l.velocityMS));
      if (l.dipDeg) FUZZ_CHECK(std::isfinite(*l.dipDeg));
    }
    for (const ip::ShotResult& r : s.shots) CheckDepths(r.depthsM);
    for (const ip::ReceiverResult& r : s.receivers) CheckDepths(r.depthsM);
    for (const ip::PointFit& p : s.points) FUZZ_CHECK(std::isfinite(p.residualMs));
  } catch (const gt7p::Error&) {
  }
  const std::string table = ip::TomographyText(shots);
  FUZZ_CHECK(table.find("nan") == std::string::npos && table.find("inf") == std::string::npos);
  return 0;
}
