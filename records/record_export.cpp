#include "records/record_export.h"

#include <cstdio>
#include <cstring>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "base/text.h"
#include "records/export_values.h"
#include "records/field_ids.h"
#include "records/sample_times.h"
#include "records/samples.h"

namespace gt7p {
namespace {

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A code page 936 text for a SEG-2 string: its bytes as they are (Chinese
// software reads them so), control characters and "%" as "%" and two hex
// digits, so that no text ends a string or a NOTE line.
std::string Seg2Safe(const std::string& cp936) {
  return PercentEscaped(cp936, [](unsigned char c) { return c >= 0x20 && c != 0x7F && c != '%'; });
}

// ---- SEG-2 ----

constexpr uint16_t kFileBlockId = 0x3A55;
constexpr uint16_t kTraceBlockId = 0x4422;
constexpr size_t kFileBlockFixedBytes = 32;   // then the trace pointers
constexpr size_t kTraceBlockFixedBytes = 32;  // then the strings
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

// The file descriptor block: its fixed words, room for the trace
// pointers (filled in last), and its strings in alphabetical order, as
// the standard lists them.
std::string FileDescriptorBlock(const RecordHeader& header) {
  const uint32_t traces = static_cast<uint32_t>(header.channelCount);
  const uint32_t pointerBytes = 4u * traces;
  std::string block(kFileBlockFixedBytes + pointerBytes, '\0');
  Put16(block, 0, kFileBlockId);
  Put16(block, 2, 1);  // revision
  Put16(block, 4, pointerBytes);
  Put16(block, 6, traces);
  block[8] = 1;  // string terminator: one NUL
  block[11] = 1;  // line terminator: LF
  block[12] = '\n';

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
  return block;
}

// What every trace descriptor block says alike: the time axis in exact
// decimals of a second, and the field record number.
struct TraceConstants {
  std::string delay, interval;
  int32_t recordNumber = 0;
};

TraceConstants TraceConstantsOf(const RecordHeader& header) {
  const SampleTimes times = RecordSampleTimes(header);
  return {CentiUsAsSeconds(times.firstCentiUs), CentiUsAsSeconds(times.intervalCentiUs), FieldRecordNumber(header)};
}

// One channel's trace descriptor block, its strings in alphabetical order,
// for `samples` samples taking `dataBytes` in `formatCode`.
std::string TraceDescriptorBlock(const ExportChannel& values, const TraceConstants& constants, int formatCode,
                                 size_t samples, size_t dataBytes) {
  std::string receiver = ScaledDecimalText(values.distanceCm, 2);
  if (values.elevationM && *values.elevationM != 0) receiver += " 0 " + std::to_string(*values.elevationM);
  std::vector<std::pair<std::string, std::string>> strings = {{"CHANNEL_NUMBER", std::to_string(values.number)},
                                                              {"DELAY", constants.delay}};
  if (values.gainDb) strings.emplace_back("FIXED_GAIN", std::to_string(*values.gainDb));
  if (values.highCutCentiHz) strings.emplace_back("HIGH_CUT_FILTER", ScaledDecimalText(*values.highCutCentiHz, 2));
  if (values.lowCutCentiHz) strings.emplace_back("LOW_CUT_FILTER", ScaledDecimalText(*values.lowCutCentiHz, 2));
  strings.emplace_back("RECEIVER_LOCATION", receiver);
  strings.emplace_back("SAMPLE_INTERVAL", constants.interval);
  if (constants.recordNumber > 0) strings.emplace_back("SHOT_SEQUENCE_NUMBER", std::to_string(constants.recordNumber));
  strings.emplace_back("SOURCE_LOCATION", "0");
  if (values.stack) strings.emplace_back("STACK", std::to_string(*values.stack));
  std::string block(kTraceBlockFixedBytes, '\0');
  AppendStrings(block, strings);
  Put16(block, 0, kTraceBlockId);
  Put16(block, 2, static_cast<uint32_t>(block.size()));
  Put32(block, 4, static_cast<uint32_t>(dataBytes));
  Put32(block, 8, static_cast<uint32_t>(samples));
  block[12] = static_cast<char>(formatCode);
  return block;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SurveySummary(const RecordHeader& header) {
  const std::string& record = header.headerRecord;
  return {
      {"FILE", ReplaceAll(PlainFieldValue(record, kFieldFileName), " ", "")},
      {"TIME", SurveyClockOf(header).Text()},
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
  RequireExportableInterval(header);
  const int32_t traces = header.channelCount;
  if (traces > kMaxTraces)
    throw Error(Utf8ToCp936("SEG-2 文件最多 ") + std::to_string(kMaxTraces) + Utf8ToCp936(" 道，本记录有 ") +
                std::to_string(traces) + Utf8ToCp936(" 道！"));
  // Room for at least the 16-bit form: a rename over an older file then
  // need not wait for it.
  OutputWriter out(path, 32 + 4ull * static_cast<uint64_t>(traces) +
                             static_cast<uint64_t>(traces) * (32 + 2ull * static_cast<uint64_t>(header.sampleCount)));
  const std::string fileBlock = FileDescriptorBlock(header);
  out.Write(fileBlock);

  const TraceConstants constants = TraceConstantsOf(header);
  std::vector<uint32_t> pointers;
  uint64_t at = fileBlock.size();
  RecordChannel channel;
  std::string data;
  for (int32_t i = 0; i < traces; ++i) {
    reader.ReadChannel(i, channel);
    const int formatCode = EncodeSamples(channel.samples, data);
    const std::string block = TraceDescriptorBlock(ExportChannelOf(header, channel.header), constants, formatCode,
                                                   channel.samples.size(), data.size());
    if (at + block.size() + data.size() > UINT32_MAX)
      throw Error(Utf8ToCp936("记录太大，超出 SEG-2 文件的 4 GB 上限！"));
    pointers.push_back(static_cast<uint32_t>(at));
    at += block.size() + data.size();
    out.Write(block);
    out.Write(data);
  }

  // A trace's format, and so its size, is known once it is read: the
  // pointers go in last.
  std::string table(4 * pointers.size(), '\0');
  for (size_t i = 0; i < pointers.size(); ++i) Put32(table, 4 * i, pointers[i]);
  out.Seek(kFileBlockFixedBytes);
  out.Write(table);
  out.Close();
}

}  // namespace gt7p
