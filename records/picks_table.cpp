#include "records/picks_table.h"

#include <algorithm>
#include <charconv>

#include "base/cp936.h"
#include "base/csv.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/output_file.h"
#include "base/text.h"
#include "records/field_ids.h"
#include "records/sample_times.h"

namespace gt7p {
namespace {

const char* const kColumns[] = {"file", "channel", "distance_m", "layer", "sample", "time_ms"};
constexpr size_t kColumnCount = sizeof kColumns / sizeof kColumns[0];
const char kLineEnd[] = "\r\n";

// Shortest text that reads back as the same double, in fixed notation.
std::string NumberText(double value) {
  char buf[400];  // a double's integer part has at most 309 digits
  const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed).ptr;
  std::string text(buf, end);
  return text == "-0" ? "0" : text;
}

bool WholeNumber(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

Error BadLine(size_t line) {
  return Error(Utf8ToCp936("拾取表格式不对（第") + std::to_string(line) + Utf8ToCp936("行）！"));
}

}  // namespace

int32_t PickSampleIndex(int32_t value, int32_t sampleCount) {
  return value >= 1 && value <= sampleCount ? value - 1 : -1;
}

const char kReflectionName[] = "refl";

std::string PickLayerName(int layer) {
  return layer == kReflectionPick ? kReflectionName : "t" + std::to_string(layer);
}

PickRow MakePickRow(const RecordHeader& header, const std::string& channelHeader, int layer, int32_t sample,
                    const std::string& fileUtf8) {
  PickRow row;
  row.file = fileUtf8;
  row.channel = ChannelNumber(channelHeader);
  row.distanceM = SourceDistanceM(channelHeader);
  row.layer = layer;
  row.sample = sample;
  row.timeMs = RecordSampleTimes(header).AtMs(static_cast<int64_t>(sample) - 1);
  return row;
}

bool HoldsPicks(const RecordHeader& header) { return header.Holds(kFieldPointT0); }

void RequirePicks(const RecordHeader& header, const std::string& fileCp936) {
  if (HoldsPicks(header)) return;
  throw Error(fileCp936 + Utf8ToCp936("：") + UpperCaseCp936(header.format->name) +
              Utf8ToCp936(" 文件不含解析点 t0..t5，只有原始文件（.T7P）含有！"));
}

std::vector<PickRow> RecordPicks(RecordReader& reader, const std::string& fileUtf8, int* outside) {
  const RecordHeader& header = reader.header();
  std::vector<PickRow> rows;
  RecordChannel channel;
  for (int ch = 0; ch < header.channelCount; ++ch) {
    reader.ReadChannel(ch, channel, false);
    const auto points = AnalysisPoints(channel.header);
    for (int layer = 0; layer < kPickLayers; ++layer) {
      const int32_t value = points[static_cast<size_t>(layer)];
      if (PickSampleIndex(value, header.sampleCount) >= 0)
        rows.push_back(MakePickRow(header, channel.header, layer, value, fileUtf8));
      else if (value != 0 && outside)
        ++*outside;
    }
  }
  return rows;
}

std::string PicksTableHeader() {
  std::string line;
  for (size_t i = 0; i < kColumnCount; ++i) line += (i ? "," : "") + std::string(kColumns[i]);
  return line + kLineEnd;
}

std::string PicksTableLine(const PickRow& row) {
  return CsvField(row.file) + "," + std::to_string(row.channel) + "," + NumberText(row.distanceM) + "," +
         PickLayerName(row.layer) + "," + std::to_string(row.sample) + "," + NumberText(row.timeMs) + kLineEnd;
}

std::string PicksTableText(const std::vector<PickRow>& rows) {
  std::string text = PicksTableHeader();
  for (const PickRow& row : rows) text += PicksTableLine(row);
  return text;
}

std::vector<PickRow> ParsePicksTable(const std::string& text) {
  CsvReader reader(text);
  std::vector<std::string> f;
  std::vector<PickRow> rows;
  bool header = false;
  while (reader.Next(f)) {
    if (f.size() == 1 && f[0].empty()) continue;  // an empty line
    const size_t line = reader.line();
    if (f.size() != kColumnCount) throw BadLine(line);
    if (line == 1) {
      for (size_t i = 0; i < kColumnCount; ++i)
        if (Trim(f[i]) != kColumns[i]) throw BadLine(1);
      header = true;
      continue;
    }
    if (!header) throw BadLine(1);
    PickRow row;
    row.file = std::move(f[0]);
    int32_t layer = -1;
    const std::string layerText = Trim(f[3]);
    const bool point = layerText.size() == 2 && layerText[0] == 't' && WholeNumber(layerText.substr(1), layer) &&
                       layer >= 0 && layer < kPickLayers;
    if (layerText == kReflectionName) layer = kReflectionPick;
    if (!WholeNumber(Trim(f[1]), row.channel) || !ParseNumber(f[2], row.distanceM) ||
        (!point && layerText != kReflectionName) ||
        !WholeNumber(Trim(f[4]), row.sample) || row.sample < 1 || !ParseNumber(f[5], row.timeMs))
      throw BadLine(line);
    row.layer = layer;
    rows.push_back(std::move(row));
  }
  if (!header) throw BadLine(1);
  return rows;
}

void WritePicksTable(const std::filesystem::path& path, const std::vector<PickRow>& rows) {
  OutputWriter out(path);
  out.Write(PicksTableText(rows));
  out.Close();
}

std::vector<PickRow> ReadPicksTable(const std::filesystem::path& path) {
  return ParsePicksTable(ReadSmallFile(path, kMaxPicksTableBytes, Utf8ToCp936("拾取表太大（超过 32 MB）：")));
}

std::filesystem::path PicksFileOf(const std::filesystem::path& record) {
  std::filesystem::path picks = record;
  picks.replace_extension();
  picks += ".picks.csv";
  return picks;
}

std::vector<int32_t> FirstBreaksOf(const std::vector<int32_t>& channelNumbers, int32_t sampleCount,
                                   const std::string& fileNameUtf8, const std::vector<PickRow>& rows,
                                   std::vector<PickRow>* others) {
  return PicksOf(channelNumbers, sampleCount, fileNameUtf8, rows, 0, others);
}

std::vector<int32_t> PicksOf(const std::vector<int32_t>& channelNumbers, int32_t sampleCount,
                             const std::string& fileNameUtf8, const std::vector<PickRow>& rows, int layer,
                             std::vector<PickRow>* others) {
  std::vector<int32_t> picks(channelNumbers.size(), 0);
  const std::filesystem::path name = PathFromUtf8(fileNameUtf8).filename();
  for (const PickRow& row : rows) {
    const auto trace = std::find(channelNumbers.begin(), channelNumbers.end(), row.channel);
    const bool ours = row.layer == layer && PathFromUtf8(row.file).filename() == name && trace != channelNumbers.end() &&
                      row.sample >= 1 && row.sample <= sampleCount;
    if (ours)
      picks[static_cast<size_t>(trace - channelNumbers.begin())] = row.sample;
    else if (others)
      others->push_back(row);
  }
  return picks;
}

}  // namespace gt7p
