#include "interpret/geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <system_error>

#include "base/cp936.h"
#include "base/csv.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/output_file.h"
#include "base/text.h"

namespace gt7p {
namespace interpret {

namespace {

constexpr uint64_t kMaxGeometryBytes = uint64_t(4) << 20;

Error RowError(size_t line, const std::string& what) {
  return Error(Utf8ToCp936("测线几何文件第" + std::to_string(line) + "行：" + what));
}

double Field(const std::string& text, size_t line) {
  double value = 0;
  if (!ParseNumber(Trim(text), value)) throw RowError(line, "'" + text + "' 不是数值");
  return value;
}

std::string Number(double value) { return FormatNumber15(value); }

constexpr int kMaxLayer = 5;

std::map<int32_t, int> Layers(const std::string& text, size_t line) {
  std::map<int32_t, int> layers;
  std::istringstream in(text);
  std::string pair;
  while (in >> pair) {
    const size_t colon = pair.find(':');
    double channel = 0, layer = 0;
    if (colon == std::string::npos || !ParseNumber(pair.substr(0, colon), channel) ||
        !ParseNumber(pair.substr(colon + 1), layer) || channel < 1 || channel > INT32_MAX ||
        channel != std::floor(channel) || layer < 1 || layer > kMaxLayer || layer != std::floor(layer))
      throw RowError(line, "'" + pair + "' 不是“道号:层”");
    layers[static_cast<int32_t>(channel)] = static_cast<int>(layer);
  }
  return layers;
}

std::string LayersField(const std::map<int32_t, int>& layers) {
  std::string text;
  for (const auto& [channel, layer] : layers)
    text += (text.empty() ? "" : " ") + std::to_string(channel) + ":" + std::to_string(layer);
  return text;
}

Error FormatError(size_t line) {
  return Error(Utf8ToCp936("测线几何文件格式不对（第" + std::to_string(line) + "行）！"));
}

void CheckRow(const LineRow& row, size_t line) {
  if (Trim(row.file).empty()) throw FormatError(line);
  if (row.spacing == 0) throw RowError(line, "检波点间距不能为零");
}

}  // namespace

std::vector<LineRow> ParseGeometry(const std::string& text) {
  CsvReader reader(text);
  std::vector<std::string> fields;
  std::vector<LineRow> rows;
  bool header = true;
  while (reader.Next(fields)) {
    if (fields.size() == 1 && Trim(fields[0]).empty()) continue;
    if (header) {
      header = false;
      if (!fields.empty() && Trim(fields[0]) == "file") continue;
    }
    if ((fields.size() != 4 && fields.size() != 5) || Trim(fields[0]).empty()) throw FormatError(reader.line());
    LineRow row;
    row.file = Trim(fields[0]);
    row.sourceX = Field(fields[1], reader.line());
    row.firstReceiverX = Field(fields[2], reader.line());
    row.spacing = Field(fields[3], reader.line());
    if (fields.size() == 5) row.layers = Layers(fields[4], reader.line());
    CheckRow(row, reader.line());
    rows.push_back(row);
  }
  return rows;
}

std::vector<LineRow> ReadGeometry(const std::filesystem::path& path) {
  return ParseGeometry(ReadSmallFile(path, kMaxGeometryBytes, Utf8ToCp936("测线几何文件太大：")));
}

std::string GeometryText(const std::vector<LineRow>& rows) {
  bool chosen = false;
  for (const LineRow& row : rows) chosen = chosen || !row.layers.empty();
  std::string text = chosen ? "file,source_x_m,first_receiver_x_m,receiver_spacing_m,layers\r\n"
                            : "file,source_x_m,first_receiver_x_m,receiver_spacing_m\r\n";
  for (const LineRow& row : rows)
    text += CsvField(row.file) + "," + Number(row.sourceX) + "," + Number(row.firstReceiverX) + "," +
            Number(row.spacing) + (chosen ? "," + LayersField(row.layers) : std::string()) + "\r\n";
  return text;
}

void CheckGeometry(const std::vector<LineRow>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) CheckRow(rows[i], i + 2);  // after the header line
}

void WriteGeometry(const std::filesystem::path& path, const std::vector<LineRow>& rows) {
  CheckGeometry(rows);
  OutputWriter out(path);
  out.Write(GeometryText(rows));
  out.Close();
}

std::filesystem::path LineFileOf(const std::filesystem::path& folder, const std::string& lineUtf8) {
  return folder / PathFromUtf8(lineUtf8 + ".line.csv");
}

std::optional<std::filesystem::path> FindLineFile(const std::filesystem::path& folder,
                                                  const std::vector<std::filesystem::path>& records) {
  static const std::string kSuffix = ".line.csv";
  std::vector<std::filesystem::path> files;
  std::error_code failed;
  for (std::filesystem::directory_iterator it(folder, failed), end; !failed && it != end; it.increment(failed)) {
    const std::string name = Utf8FromPath(it->path().filename());
    if (name.size() > kSuffix.size() && name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0 &&
        it->is_regular_file(failed))
      files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& file : files) {
    std::vector<LineRow> rows;
    try {
      rows = ReadGeometry(file);
    } catch (const Error& e) {
      throw Error(TextFromPath(file.filename()) + Utf8ToCp936("：") + e.message());
    }
    for (const LineRow& row : rows)
      for (const std::filesystem::path& record : records)
        if (PathFromUtf8(row.file).filename() == record.filename()) return file;
  }
  return std::nullopt;
}

std::vector<LineRow> MatchGeometry(const std::vector<LineRow>& rows,
                                   const std::vector<std::filesystem::path>& records) {
  std::vector<LineRow> matched;
  for (const auto& record : records) {
    const std::string name = Utf8FromPath(record.filename());
    const LineRow* found = nullptr;
    for (const LineRow& row : rows)
      if (PathFromUtf8(row.file).filename() == record.filename()) found = &row;
    if (!found) throw Error(Utf8ToCp936("测线几何文件中没有记录：" + name));
    matched.push_back(*found);
  }
  for (const LineRow& row : rows) {
    bool given = false;
    for (const auto& record : records) given = given || PathFromUtf8(row.file).filename() == record.filename();
    if (!given) throw Error(Utf8ToCp936("测线几何文件中的记录未给出：" + row.file));
  }
  return matched;
}

}  // namespace interpret
}  // namespace gt7p
