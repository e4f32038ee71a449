// What the SEG-Y and SEG-2 exports take from a record, read from the
// fields its file holds (a QFX or ESP file lacks some: RecordHeader's
// channelHeld). Private to records/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "records/record_reader.h"

namespace gt7p {

// One channel's values; the optional ones are missing where the file does
// not hold the field or the instrument left it unset (a filter at 0 Hz, a
// stack count of 0).
struct ExportChannel {
  int32_t number = 0;                        // "道号"
  int64_t distanceCm = 0;                    // "源检距"
  std::optional<int32_t> elevationM;         // "相对高程"
  std::optional<int64_t> lowCutCentiHz;      // "低截频率fL"
  std::optional<int64_t> highCutCentiHz;     // "高截频率fH"
  std::optional<int32_t> gainDb;             // "前放增益"
  std::optional<int32_t> stack;              // "叠加次数"
};
ExportChannel ExportChannelOf(const RecordHeader& header, const std::string& channelHeader);

// The survey's date and time ("探测时间"), parsed by one reader for both exports;
// `valid` false when the digits are no date.
struct SurveyClock {
  std::string digits;  // the field's characters as the file holds them
  bool valid = false;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int DayOfYear() const;
  // "2024-03-15 09:45:27", or the digits as they are when they are no date.
  std::string Text() const;
};
SurveyClock SurveyClockOf(const RecordHeader& header);

// The number that ends the stem of the record's file name ("ZS0042.DAT"
// gives 42), the field record number of the exports; 0 for a name without
// one. At most 9 digits are read.
int32_t FieldRecordNumber(const RecordHeader& header);

// Error "采样间隔为 X μs，无法导出：须在 0.01 至 65535 μs 之间！" for a
// sample interval, as the field renders it or as the file holds it
// (RecordHeader::heldIntervalUs), that is not a number, infinite, or
// outside that range (X as the file holds it: "nan", "inf", "-3",
// "3e+38"): both exports refuse such a record before they write anything.
constexpr double kLeastExportIntervalUs = 0.01, kMostExportIntervalUs = 65535;
void RequireExportableInterval(const RecordHeader& header);

// A file-header field read as a whole number (0 when it is none).
int32_t HeaderNumber(const RecordHeader& header, int fieldId);

// The text with each byte that `kept` refuses as "%" and two hex digits:
// the exports' strings keep only what their readers take as it is.
std::string PercentEscaped(const std::string& text, bool (*kept)(unsigned char));

}  // namespace gt7p
