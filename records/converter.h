// Table-driven conversion of a downloaded raw file into an output format.
//
// Raw file: 10 leading characters, the 316-digit file header, then per
// channel its 64-digit channel header and 4 hex digits per sample (16-bit
// two's complement, most significant digit first). Output: the layout's
// file header, then per channel the layout's channel header and the samples
// as little-endian 32-bit floats. Memory stays flat: one channel at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "records/formats.h"
#include "records/layouts.h"

namespace gt7p {

// Characters in front of the file header in a raw file.
constexpr int kRawLeadingChars = 10;

// The size a raw file declares in its header: the leading characters, the
// file header and every channel.
uint64_t DeclaredRawSize(int32_t channels, int32_t samples);
// The same from the 316-digit file header itself, its channel count and
// samples per channel read as the conversion reads them (a count that is no
// positive number counts 0). A file reply from the instrument is as long
// as the raw file it becomes.
uint64_t DeclaredRawSize(const std::string& headerRecord);

// Filled by the header pass, read by the trace pass.
struct ConversionContext {
  double preTriggerCount = 0;   // kEntryPreTrigger
  float intervalMs = 0;         // kEntryInterval, rounded to single precision
  int32_t sampleCount = 0;      // kEntrySamples
  int32_t channelCount = 0;     // kEntryChannels
};

// Appends the group's block (LayoutBlockSize bytes) to `out`, each entry
// in order at its offset, exactly its size. In the header pass the rules
// of the named entries (field_ids.h: pre-trigger, trigger voltage, the
// counts, interval and delays) apply and fill `context`. Throws Error
// (empty message) for a count of 0 or less, and ConvertError for a value a
// numeric kind cannot read.
void WriteLayoutGroup(const std::vector<LayoutEntry>& entries, const std::string& sourceRecord, bool headerPass,
                      ConversionContext& context, std::string& out);

// Converts the raw file `fileName` in place, through the work file with the
// extension ".___" (one left there before is deleted; the raw file is
// renamed to it). The output is made only where the rename left the name
// free (NativeFile::CreateNew), so nothing put there meanwhile is written
// through. Returns true when converted, or at once for a format without a
// layout (the raw file is kept); false when nothing could be done (the raw
// file is as it was). On a failure part-way the output is deleted, the raw
// file is put back under its name and the Error goes on; a raw file shorter
// than its header declares fails with "数据文件不完整！", an output that can't
// be written with WriteError ("写入文件失败！"), an aborted work (AbortWork)
// with Aborted. A raw file that is kept must be whole all the same: one
// shorter than its header declares (or too short to hold a header) fails
// with "数据文件不完整！" and stays as it is.
bool ConvertRawFile(const std::filesystem::path& fileName, const OutputFormat& format);

// Converts the raw file `rawName`, which stays as it is, into a new file
// `outName` (a file or link there is deleted first, NativeFile::
// CreateReplacing). False when the raw file can't be opened, the output
// can't be created or the format has no layout (nothing is written); on a
// failure part-way the output is deleted and the Error goes on, with the
// messages of ConvertRawFile. `outName` must not name the raw file.
bool ConvertRawFileTo(const std::filesystem::path& rawName, const std::filesystem::path& outName,
                      const OutputFormat& format);

}  // namespace gt7p
