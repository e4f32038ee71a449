// The operator's choice of layer for some first breaks of a record (the
// interpretation's `assigned` option: the point of trace "道号" n belongs to
// layer k, 1 the direct wave), kept in a file of its own beside the
// record, NAME.layers.csv (UTF-8, a header line, one row per chosen
// channel, CR LF):
//
//   channel,layer
//   11,2
//
// never in the picks table, whose t1..t5 rows are the instrument's points.
// A record without choices has no such file. The viewer writes it; the
// viewer and gt7p-cli interpret read it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace gt7p {

constexpr int kMaxChosenLayer = 5;

// NAME.layers.csv beside `record`.
std::filesystem::path LayersFileOf(const std::filesystem::path& record);
// Error (code page 936) "分层文件格式不对（第N行）！" for a row that is not a
// channel from 1 and a layer from 1 to kMaxChosenLayer.
std::map<int32_t, int> ParseLayers(const std::string& text);
std::string LayersText(const std::map<int32_t, int>& chosen);
// The choices of the file beside `record`; none where there is no file.
std::map<int32_t, int> ReadLayers(const std::filesystem::path& record);
// The file beside `record`, complete or not at all; removed when nothing
// is chosen.
void WriteLayers(const std::filesystem::path& record, const std::map<int32_t, int>& chosen);

}  // namespace gt7p
