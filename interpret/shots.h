// The first breaks of one record as a shot: where its source and receivers
// stand and when each first break arrives after the shot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "interpret/geometry.h"

namespace gt7p {

struct Record;
struct RecordHeader;

namespace interpret {

// Where a record's first breaks came from: the operator's picks table
// beside it (its t0 rows), the record's own t0 points, or the automatic
// picker.
enum class PickSource { kOperator, kInstrument, kAuto };
// "operator", "instrument", "auto".
const char* PickSourceName(PickSource source);
std::optional<PickSource> PickSourceNamed(const std::string& name);

struct FirstBreak {
  int32_t channel = 0;     // "道号"
  double receiverX = 0;    // m along the line
  double elevationM = 0;   // "相对高程"
  double timeMs = 0;       // after the shot instant
};

// The instrument's own layer results from the header (layer 1 first).
struct HeaderLayer {
  double thicknessM = 0, velocityMS = 0, dipDeg = 0;
};

struct Shot {
  std::string file;  // UTF-8 file name, no folder
  double sourceX = 0;
  int method = 0;            // survey-method code ("探测方法"), 30 for 3 and 0
  PickSource source = PickSource::kAuto;
  double sampleMs = 0;       // the sample interval
  double knownV1MS = 0;      // "已知速度V0" in m/s; 0 where none
  int headerLayerCount = 0;  // "探测层数"
  std::vector<HeaderLayer> headerLayers;
  std::vector<FirstBreak> breaks;
  // The operator's reflection picks (the picks table's refl rows), times
  // on the same axis as the first breaks.
  std::vector<FirstBreak> reflections;
  std::vector<std::string> warnings;  // UTF-8
};

// A field of a header or channel header (its table index) as a number; 0
// where it reads as none.
double FieldNumber(const std::string& record, int tableIndex);

// The survey-method code ("探测方法") a record's header holds, 0 where none.
int MethodCodeOf(const RecordHeader& header);

// Whether a survey-method code is a refraction survey this interpretation
// solves: 30 one-sided, 31 reversed, 32 loosened zone.
bool IsRefractionMethod(int method);

// The record's first breaks from the first source that has them, or from
// `only` when given (Error where that source has none: the record's points
// in a QFX or ESP file, a missing picks table). Without `geometry` the
// source stands at x = 0 and each receiver at its "源检距"; with it a
// receiver more than 1 % off its "源检距" is warned about. The reflection
// picks come from the operator's table whatever `only` says.
Shot LoadShot(const std::filesystem::path& record, const LineRow* geometry,
              std::optional<PickSource> only = std::nullopt);

// The shot of a record held in memory, its first breaks from the first
// source that has them, in LoadShot's order: `operatorPicks` (sample
// numbers from 1 per channel, 0 for none, as the viewer holds them), else
// the record's own t0 points, else the automatic picker over `traces` (one
// per channel: the samples as the viewer shows them) from sample index
// `from` up to `to` (0: the end); no traces, no automatic picks. The
// shot's `source` says which one it was. Its reflections are the
// operator's `reflectionPicks` (sample numbers as `operatorPicks`).
Shot ShotOfRecord(const Record& record, const std::vector<int32_t>& operatorPicks,
                  const std::vector<const std::vector<float>*>& traces, size_t from, size_t to,
                  const std::string& fileUtf8, const LineRow* geometry = nullptr,
                  const std::vector<int32_t>& reflectionPicks = {});

// The shot of a record held in memory with the first breaks given (sample
// numbers from 1 per channel, 0 for none), as the viewer holds them; its
// source is the operator.
Shot ShotFromPicks(const Record& record, const std::vector<int32_t>& picks, const std::string& fileUtf8,
                   const LineRow* geometry = nullptr);

}  // namespace interpret
}  // namespace gt7p
