// A line's geometry: where each record's source and receivers stand.
//
// The file is UTF-8 CSV, a header line, one row per record:
//
//   file,source_x_m,first_receiver_x_m,receiver_spacing_m
//   ZX0001.T7P,0,1,1
//
// `file` is the record's file name without folder. The receiver of channel
// ("道号") n stands at first_receiver_x_m + (n - 1) * receiver_spacing_m; a
// negative spacing (channel 1 at the far end) is allowed, zero is not. The
// surface is flat. A line's file is kept as LINE.line.csv in the records'
// folder.
//
// An optional fifth column, `layers`, holds the operator's layer choices of
// the record's first breaks (the viewer's "解析" tab): "道号:层" pairs apart
// by spaces, "11:2 12:2", layers 1 to 5; empty for none. A file is written
// with it only when some row has choices.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gt7p {
namespace interpret {

struct LineRow {
  std::string file;  // UTF-8, no folder
  double sourceX = 0, firstReceiverX = 0, spacing = 1;
  std::map<int32_t, int> layers{};  // channel to layer, the operator's choices

  double ReceiverX(int channel) const { return firstReceiverX + (channel - 1) * spacing; }
};

// The rows of a geometry text; Error "测线几何文件格式不对（第N行）！" for a
// line that is no row, "测线几何文件第N行：'X' 不是数值" for a field that is no
// number, "测线几何文件第N行：检波点间距不能为零" for a zero spacing,
// "测线几何文件第N行：'X' 不是“道号:层”" for a layer choice that is none.
std::vector<LineRow> ParseGeometry(const std::string& text);
std::vector<LineRow> ReadGeometry(const std::filesystem::path& path);
// The header line and the rows, CR LF.
std::string GeometryText(const std::vector<LineRow>& rows);
// Error, as the file's row N would be read, for a row without a file name
// ("测线几何文件格式不对（第N行）！") or of zero spacing.
void CheckGeometry(const std::vector<LineRow>& rows);
// Into a new file at `path` (the caller writes beside: WriteBeside); the
// rows checked first (CheckGeometry).
void WriteGeometry(const std::filesystem::path& path, const std::vector<LineRow>& rows);
// LINE.line.csv in `folder`.
std::filesystem::path LineFileOf(const std::filesystem::path& folder, const std::string& lineUtf8);
// The line file of `records` in `folder`: the first LINE.line.csv there (by
// name) with a row naming one of them (by file name); none where none
// does. A line file that can't be read throws its Error, the file's name
// before it ("NAME：...").
std::optional<std::filesystem::path> FindLineFile(const std::filesystem::path& folder,
                                                  const std::vector<std::filesystem::path>& records);

// The row of each record (by file name, whatever its folder), in the
// records' order; Error "测线几何文件中没有记录：NAME" for a record without a
// row and "测线几何文件中的记录未给出：NAME" for a row naming no given record.
std::vector<LineRow> MatchGeometry(const std::vector<LineRow>& rows,
                                   const std::vector<std::filesystem::path>& records);

}  // namespace interpret
}  // namespace gt7p
