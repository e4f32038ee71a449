// Analysis points (picks) as a table: one row per channel and point, for
// processing software (gt7p-cli picks) and for the picks an operator keeps
// beside a record.
//
// Counting: a channel header's fields t0..t5 ("第零层解析点t0" to
// "第五层解析点t5") hold sample numbers counted from 1 at the channel's first
// recorded sample, pre-trigger samples included, as their range note
// "（1-8192）" says; 0 means no point. Sample number n is the sample at index
// n - 1, and its time is that sample's on the record's time axis
// (sample_times.h), the same axis as the SEG-Y and SEG-2 exports'.
//
// The table is UTF-8 text, lines ending in CR LF, a header line first:
//
//   file,channel,distance_m,layer,sample,time_ms
//   ZS0002.T7P,1,1,t0,67,0.5
//
// file: the record's file as the caller names it; channel: the channel's
// "道号"; distance_m: its "源检距" in metres; layer: t0 to t5, or refl for
// the operator's pick of a reflection (a reflection survey's arrival on that
// trace: only operators' tables hold it, the instrument keeps none, and t0
// stays the first break); sample: the
// sample number as the instrument counts it; time_ms: that sample's time in
// milliseconds. Numbers have "." as the point, no exponent and no trailing
// zeros. A field holding ",", '"', CR or LF is quoted, a '"' doubled.
//
// Failures: ParsePicksTable and ReadPicksTable throw Error
// "拾取表格式不对（第N行）！" for a line that is not a row of this table (the
// header line is line 1), ReadPicksTable "找不到文件：" and the path when the
// file can't be read ("是文件夹，不是文件：" or "不是普通文件：" for a folder, a
// device or a pipe, as NotAFileMessage says) and "拾取表太大（超过 32 MB）："
// and the path for a file over kMaxPicksTableBytes; WritePicksTable throws
// "无法创建文件！" and WriteError.
// RecordPicks throws the reader's failures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "records/record_reader.h"

namespace gt7p {

constexpr int kPickLayers = 6;  // t0..t5
// The layer value of a reflection pick ("refl"), after t0..t5.
constexpr int kReflectionPick = kPickLayers;

// The largest table ReadPicksTable reads: some 700,000 rows, far beyond the
// picks of a survey's records, so that a damaged or planted file can't take
// the memory (the text once, its rows about one and a half times more).
constexpr uint64_t kMaxPicksTableBytes = uint64_t(32) << 20;

// The sample index (from 0) of a stored point value in a channel of
// `sampleCount` samples; -1 for no point (0) and for a value beyond the
// samples.
int32_t PickSampleIndex(int32_t value, int32_t sampleCount);
// The value stored for a point at sample index `sampleIndex`.
inline int32_t PickValue(int32_t sampleIndex) { return sampleIndex + 1; }
// "t0" to "t5"; "refl" for kReflectionPick.
std::string PickLayerName(int layer);

struct PickRow {
  std::string file;     // UTF-8
  int32_t channel = 0;  // "道号"
  double distanceM = 0;
  int layer = 0;        // 0 to 5: t0 to t5
  int32_t sample = 0;   // sample number, counted from 1
  double timeMs = 0;

  bool operator==(const PickRow& other) const {
    return file == other.file && channel == other.channel && distanceM == other.distanceM &&
           layer == other.layer && sample == other.sample && timeMs == other.timeMs;
  }
};

// The row of a point at sample number `sample` (counted from 1) of the
// channel whose header is `channelHeader`: its "道号", its distance and the
// sample's time.
PickRow MakePickRow(const RecordHeader& header, const std::string& channelHeader, int layer, int32_t sample,
                    const std::string& fileUtf8);

// Whether the record's file holds the instrument's points: raw files do,
// QFX and ESP files don't.
bool HoldsPicks(const RecordHeader& header);
// Error "NAME：QFX 文件不含解析点 t0..t5，只有原始文件（.T7P）含有！" (the
// file's text, its format) unless the record's file holds the points.
void RequirePicks(const RecordHeader& header, const std::string& fileCp936);

// The instrument's points of a record, channel by channel in file order and
// t0 to t5 within a channel (channel headers only; no samples are read).
// Values beyond a channel's samples are no points of it: they are counted
// into `outside` when given.
std::vector<PickRow> RecordPicks(RecordReader& reader, const std::string& fileUtf8, int* outside = nullptr);

// The header line, CR LF.
std::string PicksTableHeader();
// One row, CR LF.
std::string PicksTableLine(const PickRow& row);
// The header line and the rows.
std::string PicksTableText(const std::vector<PickRow>& rows);
// The rows of a table's text (a UTF-8 byte order mark, LF line ends and
// empty lines pass).
std::vector<PickRow> ParsePicksTable(const std::string& text);

// The table into a new file at `path` (the caller writes through a
// temporary file: WriteBeside), and back.
void WritePicksTable(const std::filesystem::path& path, const std::vector<PickRow>& rows);
std::vector<PickRow> ReadPicksTable(const std::filesystem::path& path);

// NAME.picks.csv beside the record NAME.EXT.
std::filesystem::path PicksFileOf(const std::filesystem::path& record);

// The first breaks (sample numbers from 1, 0 for none) of the traces
// whose channels (by "道号") have a t0 row of the file `fileName` (matched
// by its name, whatever folder a row gives) in `rows` on one of its
// `sampleCount` samples; the other rows, a sample beyond the record
// included, go to `others`, so that a save keeps them.
std::vector<int32_t> FirstBreaksOf(const std::vector<int32_t>& channelNumbers, int32_t sampleCount,
                                   const std::string& fileNameUtf8, const std::vector<PickRow>& rows,
                                   std::vector<PickRow>* others);
// The same for the rows of any layer (kReflectionPick: the reflection).
std::vector<int32_t> PicksOf(const std::vector<int32_t>& channelNumbers, int32_t sampleCount,
                             const std::string& fileNameUtf8, const std::vector<PickRow>& rows, int layer,
                             std::vector<PickRow>* others);

}  // namespace gt7p
