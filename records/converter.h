// Table-driven conversion of a downloaded raw file into ESP or QFX.
//
// Raw file: 10 leading characters, the 316-digit file header, then per
// channel its 64-digit channel header and 4 hex digits per sample (16-bit
// two's complement, most significant digit first). Output: the layout's
// file header, then per channel the layout's channel header and the samples
// as little-endian 32-bit floats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gt7p {

// Filled by the header pass, read by the trace pass.
struct ConversionContext {
  double preTriggerCount = 0;   // entry 22
  float intervalMs = 0;         // entry 45, rounded to single precision
  int32_t sampleCount = 0;      // entry 37
  int32_t channelCount = 0;     // entry 39
};

// Layout entries of one group, split at ";" (the empty last piece dropped).
struct LayoutGroups {
  std::vector<std::string> header;
  std::vector<std::string> channel;
};
LayoutGroups SplitLayout(const std::string& layout);

// Writes the entries in order, appending exactly each entry's size in bytes
// to `out`. In the header pass the index rules (22, 23, 37, 39, 45, 46, 47)
// apply and fill `context`. Throws Error (empty message) for a required
// column that is not a decimal integer or a count of 0 or less, and
// ConvertError for a value a numeric kind cannot read.
void WriteLayoutGroup(const std::vector<std::string>& entries, const std::string& sourceRecord, bool headerPass,
                      ConversionContext& context, std::string& out);

// Converts the raw file `fileName` in place, through the work file with the
// extension ".___". Returns true when converted, or at once when
// `rawOutput` (raw files wanted); false when nothing could be done (the raw
// file is as it was). On a failure part-way the output is deleted, the raw
// file is put back under its name and the Error goes on; a raw file shorter
// than its header declares fails with "数据文件不完整！".
bool ConvertRawFile(const std::string& fileName, bool toQfx, bool rawOutput);

}  // namespace gt7p
