// Synthetic instrument records: file headers, channel headers and samples
// in the instrument's hex-digit form, for the simulator's demo set, the
// terminal demo and the benchmarks.
//
// Fields are placed by the header-field table (name -> offset, length,
// template), so a record made here reads back through FormatFieldValue as
// the values that were put in.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "records/records.h"

namespace gt7p {
namespace sim {

// Hex-digit text of one record (file header or channel header), edited
// field by field. Names are UTF-8.
class RecordBuilder {
 public:
  enum Group { kFileHeader = 0, kChannelHeader = 1 };
  explicit RecordBuilder(Group group);

  // Integer or fixed-point number by the field's template ("4*", "4*.*2*",
  // "2*.*4*"); an integer field takes the value's 32-bit pattern.
  RecordBuilder& Number(const std::string& name, double value);
  // Code page 936 text for an "A" or "C" field; missing bytes are zeros.
  RecordBuilder& Text(const std::string& name, const std::string& cp936);
  // The field's characters as given (decimal digits of "B", raw hex digits).
  RecordBuilder& Digits(const std::string& name, const std::string& digits);

  const std::string& chars() const { return chars_; }

 private:
  struct Place {
    size_t offset, length;
    std::string templ;
  };
  Place Find(const std::string& name) const;
  const std::vector<FieldSpec>& fields_;
  std::string chars_;
};

// The ground under a refraction spread, for records whose first breaks
// and header layer results follow it: layers of `velocities` (m/s, top
// first) with boundaries at `depths` (m, vertical, below x = 0); with two
// layers the boundary may dip (degrees, positive deepening toward +x), with
// more they are flat. The source stands at `sourceX`, channel n's receiver
// at firstReceiverX + (n - 1) * spacing.
struct GroundModel {
  std::vector<double> velocities, depths;
  double dipDeg = 0;
  double sourceX = 0, firstReceiverX = 1, spacing = 1;
  double noise = 200;  // peak of the uniform noise, in counts
};

// The first arrival (ms after the shot) at `receiverX` by straight rays:
// the direct wave or the earliest head wave.
double GroundArrivalMs(const GroundModel& ground, double receiverX);

// One data file as the instrument keeps it.
struct SurveyFile {
  std::string name;        // 8.3 name, e.g. "ZS0001.DAT"
  std::string placeUtf8;   // survey place, at most 18 bytes in code page 936
  std::string timestamp;   // 14 digits, YYYYMMDDhhmmss
  int method = 30;         // survey-method code, two decimal digits
  int medium = 0;          // 0 coal, 1 soil, 2 rock
  int channels = 12;
  int samples = 1024;
  int preTrigger = 0;
  double intervalUs = 10.0;
  double stepM = 1.0;      // receiver spacing
  double velocity = 2.0;   // m/ms, for the first arrivals
  // > 0: a thickness record; after the strike the plate of this thickness
  // (m) rings at e * V0 / plateM (e the header's 0.5, V0 `velocity`),
  // with a weaker low hum at 300 Hz beside it.
  double plateM = 0;
  // > 0: a flat reflector this deep (m) below the spread gives a reflection
  // at (0.5 ms +) sqrt(4 h^2 + x^2) / `velocity`, weaker than the first
  // arrival (a straight moveout only).
  double reflectorM = 0;
  uint32_t seed = 1;
  GroundModel ground;      // its velocities empty: a straight moveout at `velocity`
};

// 316-digit file header.
std::string MakeHeaderRecord(const SurveyFile& file);
// Channel `ch` (1-based): its 64-digit channel header and its samples.
std::string MakeChannel(const SurveyFile& file, int ch);
// Channel data: per channel the 64-digit channel header and the samples
// (4 hex digits each, upper case).
std::string MakeChannelData(const SurveyFile& file);
// The reply to a file request, as the instrument sends it: 4 status
// characters, the header, 6 trailing characters, the channel data.
std::string MakeFileReply(const SurveyFile& file);
// The raw file a transfer writes from that reply: status, the 6
// characters, the header, the channel data.
std::string MakeRawFile(const SurveyFile& file);
// The same, written channel by channel (for files larger than memory).
bool WriteRawFile(const SurveyFile& file, std::ostream& out);

// The demo set: realistic refraction, reflection, thickness and
// loosened-zone surveys with 12 and 24 channels, 1024 and 2048 samples.
std::vector<SurveyFile> DemoSurveyFiles();

// A refraction line on one spread of 24 receivers over a boundary dipping
// 8 degrees: ZX0001 shot at its start, ZX0002 in its middle, ZX0003 at its
// end (ZX0001 and ZX0003 are a reversed pair).
std::vector<SurveyFile> LineSurveyFiles();

}  // namespace sim
}  // namespace gt7p
