#include "records/record_export.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_space.h"
#include "base/native_file.h"
#include "base/text.h"
#include "records/samples.h"

namespace gt7p {
namespace {

// Table indexes of the file-header fields the summary names.
enum : int {
  kFileName = 1,
  kSurveyTime = 5,
  kPlace = 6,
  kLine = 7,
  kPoint = 8,
  kChannels = 20,
  kSamples = 21,
  kPreTrigger = 22,
  kInterval = 23,
  kDelay = 24,
  kMethod = 26
};

std::string Digits(const RecordHeader& header, int tableIndex) {
  const FieldSpec fieldSpec = TableField(tableIndex);
  return header.headerRecord.substr(static_cast<size_t>(fieldSpec.offset), static_cast<size_t>(fieldSpec.length));
}

// "DD/MMM/YYYY" and "HH:MM:SS" of the survey time; empty when the digits
// are no date.
std::pair<std::string, std::string> AcquisitionDateTime(const RecordHeader& header) {
  static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const std::string d = Digits(header, kSurveyTime);
  for (char c : d)
    if (c < '0' || c > '9') return {};
  const int month = StrToIntDef(d.substr(4, 2), 0);
  if (d.size() != 14 || month < 1 || month > 12) return {};
  return {d.substr(6, 2) + "/" + kMonths[month - 1] + "/" + d.substr(0, 4),
          d.substr(8, 2) + ":" + d.substr(10, 2) + ":" + d.substr(12, 2)};
}

// ---- SEG-2 ----

constexpr uint16_t kFileBlockId = 0x3A55;
constexpr uint16_t kTraceBlockId = 0x4422;
constexpr int kMaxTraces = 65532 / 4;

void Put16(std::string& out, size_t at, uint32_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, size_t at, uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}

// Strings of a descriptor block: each one its 2-byte offset to the next,
// "KEYWORD value" and the string terminator; a zero offset ends the list.
// The block is padded to a multiple of 4 bytes.
void AppendStrings(std::string& block, const std::vector<std::pair<std::string, std::string>>& strings) {
  for (const auto& s : strings) {
    const std::string text = s.first + " " + s.second;
    const size_t at = block.size();
    block.append(2, '\0');
    Put16(block, at, static_cast<uint32_t>(2 + text.size() + 1));
    block += text;
    block += '\0';
  }
  block.append(2, '\0');
  block.append((4 - block.size() % 4) % 4, '\0');
}

// The samples little-endian into `data`: 16-bit integers when every one is
// one (returns data format code 1), else 32-bit floats (code 4).
int EncodeSamples(const std::vector<float>& samples, std::string& data) {
  const size_t n = samples.size();
  data.resize(2 * n);
  if (ShortsFromFloats(samples.data(), n, &data[0])) return 1;
  data.resize(4 * n);
  auto* out = reinterpret_cast<unsigned char*>(&data[0]);
  for (size_t s = 0; s < n; ++s) {
    uint32_t bits;
    std::memcpy(&bits, &samples[s], sizeof bits);
    for (int b = 0; b < 4; ++b) out[4 * s + static_cast<size_t>(b)] = static_cast<unsigned char>(bits >> (8 * b));
  }
  return 4;
}

}  // namespace

std::string AsciiSafe(const std::string& cp936) {
  std::string out;
  for (unsigned char c : cp936) {
    if (c >= 0x20 && c < 0x7F && c != '%') {
      out += static_cast<char>(c);
    } else {
      out += '%' + HexDigits(c, 2);
    }
  }
  return out;
}

std::string DecimalText(double value, int places) {
  char buf[512];  // a double's integer part has at most 309 digits
  const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, places).ptr;
  std::string text(buf, end);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::vector<std::pair<std::string, std::string>> SurveySummary(const RecordHeader& header) {
  const std::string& record = header.headerRecord;
  std::string when = Digits(header, kSurveyTime);
  const auto dateTime = AcquisitionDateTime(header);
  if (!dateTime.first.empty())
    when = when.substr(0, 4) + "-" + when.substr(4, 2) + "-" + when.substr(6, 2) + " " + dateTime.second;
  std::string place = PlainFieldValue(record, kPlace);
  while (!place.empty() && place.back() == ' ') place.pop_back();
  return {
      {"FILE", AsciiSafe(ReplaceAll(PlainFieldValue(record, kFileName), " ", ""))},
      {"TIME", AsciiSafe(when)},
      {"PLACE", AsciiSafe(place)},
      {"LINE", PlainFieldValue(record, kLine)},
      {"POINT", PlainFieldValue(record, kPoint)},
      {"METHOD", PlainFieldValue(record, kMethod)},
      {"CHANNELS", PlainFieldValue(record, kChannels)},
      {"SAMPLES", PlainFieldValue(record, kSamples)},
      {"SAMPLE_INTERVAL_US", PlainFieldValue(record, kInterval)},
      {"PRE_TRIGGER_SAMPLES", PlainFieldValue(record, kPreTrigger)},
      {"SAMPLE_DELAY_US", PlainFieldValue(record, kDelay)},
  };
}

void WriteSeg2(RecordReader& reader, const std::filesystem::path& path) {
  const RecordHeader& header = reader.header();
  const int32_t traces = header.channelCount;
  if (traces > kMaxTraces)
    throw Error(Utf8ToCp936("SEG-2 文件最多 ") + std::to_string(kMaxTraces) + Utf8ToCp936(" 道，本记录有 ") +
                std::to_string(traces) + Utf8ToCp936(" 道！"));

  NativeFile out;
  if (!out.CreateReplacing(path)) throw Error(Utf8ToCp936("无法创建文件！"));
  auto write = [&out](const std::string& bytes) {
    if (!out.Write(bytes.data(), bytes.size())) throw WriteError(out.error());
  };
  // Room for at least the 16-bit form, as the converter reserves its
  // output's: a rename over an older file then need not wait for it.
  ReserveFileSpace(path, 32 + 4ull * static_cast<uint64_t>(traces) +
                             static_cast<uint64_t>(traces) * (32 + 2ull * static_cast<uint64_t>(header.sampleCount)));

  const uint32_t pointerBytes = 4u * static_cast<uint32_t>(traces);
  std::string block(32 + pointerBytes, '\0');
  Put16(block, 0, kFileBlockId);
  Put16(block, 2, 1);  // revision
  Put16(block, 4, pointerBytes);
  Put16(block, 6, static_cast<uint32_t>(traces));
  block[8] = 1;  // string terminator: one NUL
  block[11] = 1;  // line terminator: LF
  block[12] = '\n';

  std::vector<std::pair<std::string, std::string>> strings;
  const auto dateTime = AcquisitionDateTime(header);
  if (!dateTime.first.empty()) {
    strings.emplace_back("ACQUISITION_DATE", dateTime.first);
    strings.emplace_back("ACQUISITION_TIME", dateTime.second);
  }
  strings.emplace_back("INSTRUMENT", "GT7P");
  std::string note;
  for (const auto& item : SurveySummary(header)) note += (note.empty() ? "" : "\n") + item.first + " " + item.second;
  strings.emplace_back("NOTE", note);
  strings.emplace_back("TRACE_SORT", "AS_ACQUIRED");
  strings.emplace_back("UNITS", "METERS");
  AppendStrings(block, strings);
  write(block);

  // The first sample's time, in seconds, from the exact decimal values.
  const std::string delay = DecimalText(FirstSampleMs(header) * 0.001, 9);
  const std::string interval = DecimalText(header.intervalUs * 1e-6, 9);
  std::vector<uint32_t> pointers;
  uint64_t at = block.size();
  RecordChannel channel;
  std::string data;
  for (int32_t i = 0; i < traces; ++i) {
    reader.ReadChannel(i, channel);
    const int formatCode = EncodeSamples(channel.samples, data);
    const size_t ns = channel.samples.size();
    std::string trace(32, '\0');
    AppendStrings(trace, {{"CHANNEL_NUMBER", std::to_string(ChannelNumber(channel.header))},
                          {"DELAY", delay},
                          {"DESCALING_FACTOR", "1"},
                          {"RECEIVER_LOCATION", DecimalText(SourceDistanceM(channel.header), 2)},
                          {"SAMPLE_INTERVAL", interval},
                          {"SOURCE_LOCATION", "0"}});
    const uint64_t dataBytes = data.size();
    if (at + trace.size() + dataBytes > UINT32_MAX)
      throw Error(Utf8ToCp936("记录太大，超出 SEG-2 文件的 4 GB 上限！"));
    Put16(trace, 0, kTraceBlockId);
    Put16(trace, 2, static_cast<uint32_t>(trace.size()));
    Put32(trace, 4, static_cast<uint32_t>(dataBytes));
    Put32(trace, 8, static_cast<uint32_t>(ns));
    trace[12] = static_cast<char>(formatCode);
    pointers.push_back(static_cast<uint32_t>(at));
    at += trace.size() + dataBytes;

    write(trace);
    write(data);
  }

  // A trace's format, and so its size, is known once it is read: the
  // pointers go in last.
  std::string table(pointerBytes, '\0');
  for (size_t i = 0; i < pointers.size(); ++i) Put32(table, 4 * i, pointers[i]);
  if (!out.Seek(32)) throw WriteError(out.error());
  write(table);
  if (!out.Close()) throw WriteError(out.error());
}

}  // namespace gt7p
