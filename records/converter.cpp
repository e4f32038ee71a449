#include "records/converter.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/text.h"
#include "records/field_format.h"
#include "records/field_table.h"
#include "records/layouts.h"

namespace gt7p {
namespace fs = std::filesystem;

namespace {

constexpr size_t kLeadingChars = 10;

std::vector<std::string> LayoutEntries(const std::string& part) {
  std::vector<std::string> entries = SplitText(part, ';');
  if (!entries.empty() && entries.back().empty()) entries.pop_back();
  return entries;
}

int32_t Required(const std::string& column) {
  int32_t value = StrToIntDef(column, -1);
  if (value == -1) throw Error();
  return value;
}

std::string HexFixedBytes(const std::string& fixed, int32_t size) {
  std::string digits = (Trim(fixed) + std::string(2 * static_cast<size_t>(size), '0')).substr(0, 2 * static_cast<size_t>(size));
  std::string bytes;
  for (size_t i = 0; i < digits.size(); i += 2) {
    int hi = HexDigitValue(digits[i]), lo = HexDigitValue(digits[i + 1]);
    if (hi < 0 || lo < 0) throw ConvertError("'" + digits.substr(i, 2) + Utf8ToCp936("' 不是有效的十六进制数"));
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return bytes;
}

std::string SourceChars(const std::string& record, int32_t offset, int32_t length) {
  if (offset < 0 || length < 0 || static_cast<size_t>(offset) >= record.size()) return std::string();
  return record.substr(static_cast<size_t>(offset), static_cast<size_t>(length));
}

void ApplyHeaderRule(int32_t index, std::string& value, ConversionContext& context) {
  switch (index) {
    case 22:
      context.preTriggerCount = NumberFromText(value);
      break;
    case 23:
      value = std::to_string(static_cast<long long>(std::trunc(NumberFromText(value) * 10)));
      break;
    case 37:
      context.sampleCount = StrToIntDef(value, 0);
      if (context.sampleCount <= 0) throw Error();
      break;
    case 39:
      context.channelCount = StrToIntDef(value, 0);
      if (context.channelCount <= 0) throw Error();
      break;
    case 45:
      context.intervalMs = static_cast<float>(NumberFromText(value) * 0.001);
      value = FormatNumber15(context.intervalMs);
      break;
    case 46:
      value = FormatNumber15(NumberFromText(value) * 0.001 - context.preTriggerCount * context.intervalMs);
      break;
    case 47:
      value = FormatNumber15(NumberFromText(value) * 0.001);
      break;
    default:
      break;
  }
}

// Hex digit values for the sample loop; -1 marks a byte that is no digit.
struct HexTable {
  int8_t value[256];
  HexTable() {
    for (int c = 0; c < 256; ++c) value[c] = static_cast<int8_t>(HexDigitValue(static_cast<char>(c)));
  }
};

void ConvertSamples(const char* in, size_t samples, char* out) {
  static const HexTable table;
  for (size_t i = 0; i < samples; ++i, in += 4, out += 4) {
    const auto* c = reinterpret_cast<const unsigned char*>(in);
    int d0 = table.value[c[0]], d1 = table.value[c[1]], d2 = table.value[c[2]], d3 = table.value[c[3]];
    int32_t n = (d0 | d1 | d2 | d3) < 0 ? 0 : (d0 << 12) | (d1 << 8) | (d2 << 4) | d3;
    if (c[0] >= 0x38) n -= 65536;
    float f = static_cast<float>(n);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    out[0] = static_cast<char>(bits);
    out[1] = static_cast<char>(bits >> 8);
    out[2] = static_cast<char>(bits >> 16);
    out[3] = static_cast<char>(bits >> 24);
  }
}

std::string IncompleteMessage() { return Utf8ToCp936("数据文件不完整！"); }

// Reads exactly n bytes or fails with the incomplete-file message.
void ReadExactly(std::ifstream& in, char* buffer, size_t n) {
  in.read(buffer, static_cast<std::streamsize>(n));
  if (static_cast<size_t>(in.gcount()) != n) throw Error(IncompleteMessage());
}

void Convert(std::ifstream& in, std::ofstream& out, uint64_t inputSize, const LayoutGroups& layout) {
  std::string record(kLeadingChars + kHeaderRecordChars, '\0');
  ReadExactly(in, &record[0], record.size());
  record.erase(0, kLeadingChars);

  ConversionContext context;
  std::string block;
  WriteLayoutGroup(layout.header, record, true, context, block);

  const uint64_t channelBytes = kChannelHeaderChars + 4ull * static_cast<uint64_t>(context.sampleCount);
  const uint64_t declared = kLeadingChars + kHeaderRecordChars + channelBytes * static_cast<uint64_t>(context.channelCount);
  if (inputSize < declared) throw Error(IncompleteMessage());

  out.write(block.data(), static_cast<std::streamsize>(block.size()));
  std::string channelHeader(kChannelHeaderChars, '\0');
  std::vector<char> raw(4 * static_cast<size_t>(context.sampleCount));
  std::vector<char> samples(raw.size());
  for (int32_t ch = 0; ch < context.channelCount; ++ch) {
    ReadExactly(in, &channelHeader[0], channelHeader.size());
    block.clear();
    WriteLayoutGroup(layout.channel, channelHeader, false, context, block);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    ReadExactly(in, raw.data(), raw.size());
    ConvertSamples(raw.data(), static_cast<size_t>(context.sampleCount), samples.data());
    out.write(samples.data(), static_cast<std::streamsize>(samples.size()));
  }
}

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

}  // namespace

LayoutGroups SplitLayout(const std::string& layout) {
  LayoutGroups groups;
  size_t boundary = layout.find(";1");
  if (boundary == std::string::npos) {
    groups.header = LayoutEntries(layout);
    return groups;
  }
  groups.header = LayoutEntries(layout.substr(0, boundary + 1));
  groups.channel = LayoutEntries(layout.substr(boundary + 1));
  return groups;
}

void WriteLayoutGroup(const std::vector<std::string>& entries, const std::string& sourceRecord, bool headerPass,
                      ConversionContext& context, std::string& out) {
  for (const std::string& entry : entries) {
    std::vector<std::string> columns = SplitText(entry.empty() ? entry : entry.substr(1), ',');
    columns.resize(11);
    const std::string& kind = columns[0];
    const int32_t size = Required(columns[1]);
    Required(columns[2]);
    const int32_t index = Required(columns[3]);
    const char mode = columns[7].empty() ? '\0' : columns[7][0];
    const bool hexFlag = !columns[8].empty() && columns[8][0] == '1';
    if (size < 0) throw Error();

    std::string value;
    if (mode == 'F') {
      value = hexFlag ? HexFixedBytes(columns[9], size) : columns[9];
    } else if (mode == 'N') {
      const int32_t sourceOffset = Required(columns[4]);
      const int32_t sourceLength = Required(columns[6]);
      value = FormatFieldValue(SourceChars(sourceRecord, sourceOffset, sourceLength), columns[5], columns[10]);
    } else if (mode == 'T') {
      value = BytesToHex(SourceChars(sourceRecord, StrToIntDef(columns[4], -1), StrToIntDef(columns[6], -1)));
    } else {
      value = kind == "C" ? std::string() : std::string("0");
    }
    if (headerPass) ApplyHeaderRule(index, value, context);

    std::string bytes = EncodeFieldBytes(kind, value);
    bytes.resize(static_cast<size_t>(size), '\0');
    out += bytes;
  }
}

bool ConvertRawFile(const std::string& fileName, bool toQfx, bool rawOutput) {
  if (rawOutput) return true;
  std::error_code ec;
  const fs::path target = fs::absolute(PathFromText(fileName), ec);
  if (ec || !IsFile(target)) return false;
  const fs::path work = PathFromText(ChangeFileExt(TextFromPath(target), ".___"));
  if (fs::exists(work, ec) && !fs::remove(work, ec)) return false;
  fs::rename(target, work, ec);
  if (ec) return false;

  auto restore = [&] {
    std::error_code ignored;
    fs::remove(target, ignored);
    fs::rename(work, target, ignored);
  };

  // Buffers are set before opening; libstdc++ ignores them afterwards.
  std::unique_ptr<char[]> inBuffer(new char[1 << 16]), outBuffer(new char[1 << 16]);
  std::ifstream in;
  std::ofstream out;
  in.rdbuf()->pubsetbuf(inBuffer.get(), 1 << 16);
  out.rdbuf()->pubsetbuf(outBuffer.get(), 1 << 16);
  in.open(work, std::ios::binary);
  if (in) out.open(target, std::ios::binary | std::ios::trunc);
  if (!in || !out) {
    in.close();
    out.close();
    restore();
    return false;
  }

  try {
    const uint64_t inputSize = fs::file_size(work, ec);
    if (ec) throw Error(IncompleteMessage());
    Convert(in, out, inputSize, SplitLayout(toQfx ? QfxLayout() : EspLayout()));
    out.close();
    if (out.fail()) throw Error(Utf8ToCp936("写入文件失败！"));
  } catch (...) {
    in.close();
    out.close();
    restore();
    throw;
  }
  in.close();
  fs::remove(work, ec);
  return true;
}

}  // namespace gt7p
