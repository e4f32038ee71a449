#include "records/layers_file.h"

#include "base/cp936.h"
#include "base/csv.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/output_file.h"
#include "base/text.h"

namespace gt7p {

namespace {

constexpr uint64_t kMaxLayersBytes = uint64_t(1) << 20;

}  // namespace

std::filesystem::path LayersFileOf(const std::filesystem::path& record) {
  return std::filesystem::path(record).replace_extension(".layers.csv");
}

std::map<int32_t, int> ParseLayers(const std::string& text) {
  CsvReader reader(text);
  std::vector<std::string> fields;
  std::map<int32_t, int> chosen;
  bool header = true;
  while (reader.Next(fields)) {
    if (fields.size() == 1 && Trim(fields[0]).empty()) continue;
    if (header) {
      header = false;
      if (!fields.empty() && Trim(fields[0]) == "channel") continue;
    }
    double channel = 0, layer = 0;
    if (fields.size() != 2 || !ParseNumber(Trim(fields[0]), channel) || !ParseNumber(Trim(fields[1]), layer) ||
        channel != static_cast<int32_t>(channel) || channel < 1 || layer != static_cast<int>(layer) || layer < 1 ||
        layer > kMaxChosenLayer)
      throw Error(Utf8ToCp936("分层文件格式不对（第" + std::to_string(reader.line()) + "行）！"));
    chosen[static_cast<int32_t>(channel)] = static_cast<int>(layer);
  }
  return chosen;
}

std::string LayersText(const std::map<int32_t, int>& chosen) {
  std::string text = "channel,layer\r\n";
  for (const auto& [channel, layer] : chosen) text += std::to_string(channel) + "," + std::to_string(layer) + "\r\n";
  return text;
}

std::map<int32_t, int> ReadLayers(const std::filesystem::path& record) {
  const std::filesystem::path path = LayersFileOf(record);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return {};
  return ParseLayers(ReadSmallFile(path, kMaxLayersBytes, Utf8ToCp936("分层文件太大：")));
}

void WriteLayers(const std::filesystem::path& record, const std::map<int32_t, int>& chosen) {
  const std::filesystem::path path = LayersFileOf(record);
  if (chosen.empty()) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec && std::filesystem::exists(path)) throw Error(Utf8ToCp936("删除文件失败：") + TextFromPath(path));
    return;
  }
  WriteBeside(path, [&](const std::filesystem::path& part) {
    OutputWriter out(part);
    out.Write(LayersText(chosen));
    out.Close();
  });
}

}  // namespace gt7p
