#include "records/record_export.h"

#include <cstdio>
#include <cstring>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_space.h"
#include "base/native_file.h"
#include "base/text.h"
#include "records/export_values.h"
#include "records/field_ids.h"
#include "records/sample_times.h"
#include "records/samples.h"

namespace gt7p {
namespace {

std::string Digits(const RecordHeader& header, int fieldId) {
  const FieldSpec fieldSpec = TableField(fieldId);
  return header.headerRecord.substr(static_cast<size_t>(fieldSpec.offset), static_cast<size_t>(fieldSpec.length));
}

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A code page 936 text for a SEG-2 string: its bytes as they are (Chinese
// software reads them so), control characters and "%" as "%" and two hex
// digits, so that no text ends a string or a NOTE line.
std::string Seg2Safe(const std::string& cp936) {
  std::string out;
  for (unsigned char c : cp936) {
    if (c < 0x20 || c == 0x7F || c == '%')
      out += '%' + HexDigits(c, 2);
    else
      out += static_cast<char>(c);
  }
  return out;
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

std::vector<std::pair<std::string, std::string>> SurveySummary(const RecordHeader& header) {
  const std::string& record = header.headerRecord;
  std::string when = Digits(header, kFieldSurveyTime);
  const SurveyClock clock = SurveyClockOf(header);
  if (clock.valid)
    when = when.substr(0, 4) + "-" + when.substr(4, 2) + "-" + when.substr(6, 2) + " " + when.substr(8, 2) + ":" +
           when.substr(10, 2) + ":" + when.substr(12, 2);
  return {
      {"FILE", ReplaceAll(PlainFieldValue(record, kFieldFileName), " ", "")},
      {"TIME", when},
      {"PLACE", WithoutTrailingBlanks(PlainFieldValue(record, kFieldPlace))},
      {"LINE", PlainFieldValue(record, kFieldLine)},
      {"POINT", PlainFieldValue(record, kFieldPoint)},
      {"METHOD", PlainFieldValue(record, kFieldMethod)},
      {"CHANNELS", PlainFieldValue(record, kFieldChannels)},
      {"SAMPLES", PlainFieldValue(record, kFieldSamples)},
      {"SAMPLE_INTERVAL_US", PlainFieldValue(record, kFieldInterval)},
      {"PRE_TRIGGER_SAMPLES", PlainFieldValue(record, kFieldPreTrigger)},
      {"SAMPLE_DELAY_US", PlainFieldValue(record, kFieldDelay)},
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

  // Strings in alphabetical order, as the standard lists them.
  static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  std::vector<std::pair<std::string, std::string>> strings;
  const SurveyClock clock = SurveyClockOf(header);
  if (clock.valid) {
    char date[16], time[16];
    std::snprintf(date, sizeof date, "%02d/%s/%04d", clock.day, kMonths[clock.month - 1], clock.year);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", clock.hour, clock.minute, clock.second);
    strings.emplace_back("ACQUISITION_DATE", date);
    strings.emplace_back("ACQUISITION_TIME", time);
  }
  strings.emplace_back("INSTRUMENT", "GT7P");
  strings.emplace_back("LINE_ID", PlainFieldValue(header.headerRecord, kFieldLine));
  std::string note;
  for (const auto& item : SurveySummary(header))
    note += (note.empty() ? "" : "\n") + item.first + " " + Seg2Safe(item.second);
  strings.emplace_back("NOTE", note);
  strings.emplace_back("TRACE_SORT", "AS_ACQUIRED");
  strings.emplace_back("UNITS", "METERS");
  AppendStrings(block, strings);
  write(block);

  // Exact decimals of the time axis, in seconds.
  const SampleTimes times = RecordSampleTimes(header);
  const std::string delay = CentiUsAsSeconds(times.firstCentiUs);
  const std::string interval = CentiUsAsSeconds(times.intervalCentiUs);
  const int32_t recordNumber = FieldRecordNumber(header);
  std::vector<uint32_t> pointers;
  uint64_t at = block.size();
  RecordChannel channel;
  std::string data;
  for (int32_t i = 0; i < traces; ++i) {
    reader.ReadChannel(i, channel);
    const ExportChannel values = ExportChannelOf(header, channel.header);
    const int formatCode = EncodeSamples(channel.samples, data);
    const size_t ns = channel.samples.size();
    std::string receiver = ScaledDecimalText(values.distanceCm, 2);
    if (values.elevationM && *values.elevationM != 0) receiver += " 0 " + std::to_string(*values.elevationM);
    std::vector<std::pair<std::string, std::string>> traceStrings = {{"CHANNEL_NUMBER", std::to_string(values.number)},
                                                                     {"DELAY", delay}};
    if (values.gainDb) traceStrings.emplace_back("FIXED_GAIN", std::to_string(*values.gainDb));
    if (values.highCutCentiHz) traceStrings.emplace_back("HIGH_CUT_FILTER", ScaledDecimalText(*values.highCutCentiHz, 2));
    if (values.lowCutCentiHz) traceStrings.emplace_back("LOW_CUT_FILTER", ScaledDecimalText(*values.lowCutCentiHz, 2));
    traceStrings.emplace_back("RECEIVER_LOCATION", receiver);
    traceStrings.emplace_back("SAMPLE_INTERVAL", interval);
    if (recordNumber > 0) traceStrings.emplace_back("SHOT_SEQUENCE_NUMBER", std::to_string(recordNumber));
    traceStrings.emplace_back("SOURCE_LOCATION", "0");
    if (values.stack) traceStrings.emplace_back("STACK", std::to_string(*values.stack));
    std::string trace(32, '\0');
    AppendStrings(trace, traceStrings);
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
