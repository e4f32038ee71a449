// SEG-Y through segyio's C API: segyio encodes the headers' big-endian
// fields, the EBCDIC text header and the samples; we choose the values.
#include <segyio/segy.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_space.h"
#include "base/text.h"
#include "records/record_export.h"

namespace gt7p {
namespace {

constexpr int kMaxShort = 32767;

std::string TooLarge(const char* what, long long value) {
  return Utf8ToCp936("SEG-Y 第1版的") + Utf8ToCp936(what) + Utf8ToCp936("最多为 32767，本记录为 ") +
         std::to_string(value) + Utf8ToCp936("；请改用 SEG-2 格式！");
}

void Check(int err) {
  if (err != SEGY_OK) throw WriteError(std::error_code(errno, std::generic_category()));
}

struct SegyCloser {
  void operator()(segy_file* fp) const { segy_close(fp); }
};

// 40 lines of 80 characters, "C 1 " to "C40 ", ASCII; segyio writes EBCDIC.
std::string TextHeader(const RecordHeader& header, int intervalUs) {
  std::vector<std::string> lines = {"SURVEY RECORD OF A GT7P SEISMIC INSTRUMENT, SEG-Y REV 1"};
  for (const auto& item : SurveySummary(header)) lines.push_back(item.first + " " + item.second);
  lines.push_back("FIRST_SAMPLE_MS " + DecimalText(FirstSampleMs(header), 6));
  lines.push_back("BINARY HEADER INTERVAL " + std::to_string(intervalUs) + " US (ROUNDED; EXACT VALUE ABOVE)");
  lines.push_back("SAMPLES: IEEE FLOAT (FORMAT 5), EACH THE INSTRUMENT'S 16-BIT VALUE");
  lines.push_back("ONE TRACE PER CHANNEL, IN CHANNEL ORDER");
  lines.push_back("TRACE NUMBER IN FIELD RECORD (BYTES 13-16) = CHANNEL NUMBER");
  std::string text;
  for (int i = 0; i < 40; ++i) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "C%2d ", i + 1);
    std::string line = prefix;
    if (i == 38) line += "SEG Y REV1";
    else if (i == 39) line += "END TEXTUAL HEADER";
    else if (static_cast<size_t>(i) < lines.size()) line += lines[static_cast<size_t>(i)];
    line.resize(80, ' ');
    text += line;
  }
  return text;
}

}  // namespace

void WriteSegy(RecordReader& reader, const std::filesystem::path& path) {
  const RecordHeader& header = reader.header();
  if (header.sampleCount > kMaxShort) throw Error(TooLarge("每道采样点数", header.sampleCount));
  if (header.channelCount > kMaxShort) throw Error(TooLarge("道数", header.channelCount));
  const long long intervalUs = std::llround(header.intervalUs);
  if (intervalUs > kMaxShort) throw Error(TooLarge("采样间隔（μs）", intervalUs));
  const int samples = header.sampleCount;
  const int traceBytes = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, samples);
  const long trace0 = SEGY_TEXT_HEADER_SIZE + SEGY_BINARY_HEADER_SIZE;
  // segyio positions traces with a long, which has 32 bits on Windows.
  if ((static_cast<long long>(traceBytes) + SEGY_TRACE_HEADER_SIZE) * header.channelCount + trace0 > LONG_MAX)
    throw Error(Utf8ToCp936("记录太大，超出本程序 SEG-Y 文件的大小上限！"));

  // segyio opens by a narrow name: the system's own form of the path.
  std::unique_ptr<segy_file, SegyCloser> fp(segy_open(path.string().c_str(), "w+b"));
  if (!fp) throw Error(Utf8ToCp936("无法创建文件！"));
  // The whole size, as the converter reserves its output's.
  ReserveFileSpace(path, static_cast<uint64_t>(trace0) +
                             static_cast<uint64_t>(header.channelCount) *
                                 (SEGY_TRACE_HEADER_SIZE + static_cast<uint64_t>(traceBytes)));
  Check(segy_set_format(fp.get(), SEGY_IEEE_FLOAT_4_BYTE));

  Check(segy_write_textheader(fp.get(), 0, TextHeader(header, static_cast<int>(intervalUs)).c_str()));

  char bin[SEGY_BINARY_HEADER_SIZE] = {};
  Check(segy_set_bfield(bin, SEGY_BIN_TRACES, header.channelCount));
  Check(segy_set_bfield(bin, SEGY_BIN_INTERVAL, static_cast<int>(intervalUs)));
  Check(segy_set_bfield(bin, SEGY_BIN_INTERVAL_ORIG, static_cast<int>(intervalUs)));
  Check(segy_set_bfield(bin, SEGY_BIN_SAMPLES, samples));
  Check(segy_set_bfield(bin, SEGY_BIN_SAMPLES_ORIG, samples));
  Check(segy_set_bfield(bin, SEGY_BIN_FORMAT, SEGY_IEEE_FLOAT_4_BYTE));
  Check(segy_set_bfield(bin, SEGY_BIN_SORTING_CODE, 1));        // as recorded
  Check(segy_set_bfield(bin, SEGY_BIN_MEASUREMENT_SYSTEM, 1));  // metres
  Check(segy_set_bfield(bin, SEGY_BIN_SEGY_REVISION, 0x0100));
  Check(segy_set_bfield(bin, SEGY_BIN_TRACE_FLAG, 1));          // fixed trace length
  Check(segy_write_binheader(fp.get(), bin));

  // The survey time, for every trace.
  const std::string when = header.headerRecord.substr(static_cast<size_t>(TableField(5).offset), 14);
  const int year = StrToIntDef(when.substr(0, 4), 0), month = StrToIntDef(when.substr(4, 2), 0),
            day = StrToIntDef(when.substr(6, 2), 0);
  int dayOfYear = 0;
  if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
    static const int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    dayOfYear = kBefore[month - 1] + day + (leap && month > 2 ? 1 : 0);
  }
  const long long delayMs = std::llround(FirstSampleMs(header));

  RecordChannel channel;
  for (int i = 0; i < header.channelCount; ++i) {
    reader.ReadChannel(i, channel);
    char trace[SEGY_TRACE_HEADER_SIZE] = {};
    Check(segy_set_field(trace, SEGY_TR_SEQ_LINE, i + 1));
    Check(segy_set_field(trace, SEGY_TR_SEQ_FILE, i + 1));
    Check(segy_set_field(trace, SEGY_TR_NUMBER_ORIG_FIELD, ChannelNumber(channel.header)));
    Check(segy_set_field(trace, SEGY_TR_TRACE_ID, 1));  // seismic data
    if (delayMs >= -kMaxShort && delayMs <= kMaxShort)
      Check(segy_set_field(trace, SEGY_TR_DELAY_REC_TIME, static_cast<int>(delayMs)));
    Check(segy_set_field(trace, SEGY_TR_SAMPLE_COUNT, samples));
    Check(segy_set_field(trace, SEGY_TR_SAMPLE_INTER, static_cast<int>(intervalUs)));
    if (dayOfYear > 0) {
      Check(segy_set_field(trace, SEGY_TR_YEAR_DATA_REC, year));
      Check(segy_set_field(trace, SEGY_TR_DAY_OF_YEAR, dayOfYear));
      Check(segy_set_field(trace, SEGY_TR_HOUR_OF_DAY, StrToIntDef(when.substr(8, 2), 0)));
      Check(segy_set_field(trace, SEGY_TR_MIN_OF_HOUR, StrToIntDef(when.substr(10, 2), 0)));
      Check(segy_set_field(trace, SEGY_TR_SEC_OF_MIN, StrToIntDef(when.substr(12, 2), 0)));
      Check(segy_set_field(trace, SEGY_TR_TIME_BASE_CODE, 1));  // local
    }
    Check(segy_write_traceheader(fp.get(), i, trace, trace0, traceBytes));
    Check(segy_from_native(SEGY_IEEE_FLOAT_4_BYTE, samples, channel.samples.data()));
    Check(segy_writetrace(fp.get(), i, channel.samples.data(), trace0, traceBytes));
  }
  Check(segy_close(fp.release()));
}

}  // namespace gt7p
