// One survey record read back from any of our files: the raw wire form
// (.T7P) or a file of an output format with a layout (QFX, ESP), told apart
// by the first 8 bytes (each layout's magic, its entry 1), not by the
// extension.
//
// The header comes first; channels are then read one at a time, in any
// order, so that a caller holds one channel's samples at a time. ReadRecord
// builds the whole record on top.
//
// QFX and ESP are read back through their own layout entries: every entry that
// carries a value of the instrument's header is turned back into that
// field's hex digits, so that the fields render by FormatFieldValue as the
// list renders them. What a layout truncates reads back as what the file
// holds: the "I" entries of fixed-point fields keep their integer part, the
// trigger voltage its tenths. Fields that no entry carries, or that an entry
// keeps only in part (the analysis flag's first character), are not held.
//
// Failures throw Error: "找不到文件：" and the path when the file can't be
// opened (NotAFileMessage, base/file_names.h, for a folder, a device or a
// pipe), "无法识别的文件格式！" for a file that is none of the three,
// "数据文件不完整！" for a file shorter than its header declares, and
// "道数或采样点数为零！" for a header that declares no data.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "records/field_table.h"
#include "records/formats.h"

namespace gt7p {

struct RecordHeader {
  // The row of the output formats' table; RawFormat() for a raw file.
  const OutputFormat* format = nullptr;
  // The instrument's 316-digit file header; digits of fields the file does
  // not hold are "0".
  std::string headerRecord;
  // Per group-0 and group-1 field of the header-field table, in table
  // order: whether the file holds it (all true for a raw file).
  std::vector<bool> headerHeld, channelHeld;
  int32_t channelCount = 0;
  int32_t sampleCount = 0;
  int32_t preTriggerCount = 0;
  double intervalUs = 0;     // as the field renders it, not single-precision rounded
  // The interval as the file holds it: intervalUs for a raw file; a QFX or
  // ESP file's float of milliseconds in microseconds, which may be anything
  // (NaN, infinite, negative, beyond what the field renders, which then
  // reads 0).
  double heldIntervalUs = 0;
  double sampleDelayUs = 0;
  uint64_t fileSize = 0;
  uint64_t declaredSize = 0;  // what the header declares the file's size to be

  // Whether the file holds a field (an id of field_ids.h, of either group).
  bool Holds(int fieldId) const;
};

struct RecordChannel {
  int index = -1;            // 0-based position in the file
  std::string header;        // the instrument's 64-digit channel header
  std::vector<float> samples;
};

class RecordReader {
 public:
  // Without `wholeFile` only the
  // file header must be there: a short file, or one whose header declares
  // no data, opens, and ReadChannel fails for a channel that is missing.
  explicit RecordReader(const std::filesystem::path& path, bool wholeFile = true);
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;
  ~RecordReader();

  const RecordHeader& header() const { return header_; }

  // Channel `index` (0-based); its samples only when `withSamples`. Aborted
  // once the work was aborted (AbortWork): the exports and the plot read
  // through here.
  void ReadChannel(int index, RecordChannel& channel, bool withSamples = true);

 private:
  RecordHeader header_;
  std::ifstream in_;
  const OutputLayout* layout_ = nullptr;  // null for a raw file
  uint64_t dataStart_ = 0, channelBytes_ = 0, channelHeaderBytes_ = 0;
  uint64_t position_ = 0;
  std::vector<char> buffer_;
};

// The format a file's first 8 bytes name: the row whose layout's magic they
// are, RawFormat() for anything else (RecordReader then tells whether it is
// one).
const OutputFormat& FileFormat(const std::filesystem::path& path);

struct Record {
  RecordHeader header;
  std::vector<RecordChannel> channels;
};
Record ReadRecord(const std::filesystem::path& path);

// "name", "value" of the held fields of the file header or of one channel
// header, in table order, values rendered by FormatFieldValue; `field` is
// the field's index (field_ids.h).
struct FieldLine {
  std::string name, value;
  int field = 0;
};
std::vector<FieldLine> HeaderFieldLines(const RecordHeader& header);
std::vector<FieldLine> ChannelFieldLines(const RecordHeader& header, const std::string& channelHeader);

// A field of the header-field table by its index (1-70); Error (empty
// message) when there is none.
FieldSpec TableField(int tableIndex);

// A field's value as its template's format part renders it, without the
// text after the last chunk (the unit or range note) and without the
// enumeration's labels: "10.00" for a sample interval of 10 us, "30" for a
// survey-method code.
std::string PlainFieldValue(const std::string& record, int tableIndex);

// Fields of a channel header read as numbers: the channel number ("道号"),
// the source-receiver distance in metres ("源检距"), and the instrument's
// analysis points t0..t5 as stored (0: none).
int32_t ChannelNumber(const std::string& channelHeader);
double SourceDistanceM(const std::string& channelHeader);
std::array<int32_t, 6> AnalysisPoints(const std::string& channelHeader);

}  // namespace gt7p
