#include "records/export_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "records/field_ids.h"

namespace gt7p {
namespace {

// A field's plain value in hundredths: its template renders two decimals
// at most, so the hundredths are exact.
int64_t Hundredths(const std::string& record, int fieldId) {
  double value = 0;
  return ParseNumber(PlainFieldValue(record, fieldId), value) ? std::llround(value * 100) : 0;
}

int32_t Whole(const std::string& record, int fieldId) { return StrToIntDef(PlainFieldValue(record, fieldId), 0); }

}  // namespace

ExportChannel ExportChannelOf(const RecordHeader& header, const std::string& channelHeader) {
  ExportChannel c;
  c.number = ChannelNumber(channelHeader);
  c.distanceCm = std::llround(SourceDistanceM(channelHeader) * 100);
  if (header.Holds(kFieldElevation)) c.elevationM = Whole(channelHeader, kFieldElevation);
  if (header.Holds(kFieldLowCut)) {
    const int64_t lowCut = Hundredths(channelHeader, kFieldLowCut);
    if (lowCut > 0) c.lowCutCentiHz = lowCut;
  }
  if (header.Holds(kFieldHighCut)) {
    const int64_t highCut = Hundredths(channelHeader, kFieldHighCut);
    if (highCut > 0) c.highCutCentiHz = highCut;
  }
  if (header.Holds(kFieldPreampGain)) c.gainDb = Whole(channelHeader, kFieldPreampGain);
  if (header.Holds(kFieldStack)) {
    const int32_t stack = Whole(channelHeader, kFieldStack);
    if (stack > 0) c.stack = stack;
  }
  return c;
}

std::string PercentEscaped(const std::string& text, bool (*kept)(unsigned char)) {
  std::string out;
  for (unsigned char c : text) {
    if (kept(c))
      out += static_cast<char>(c);
    else
      out += '%' + HexDigits(c, 2);
  }
  return out;
}

int SurveyClock::DayOfYear() const {
  static const int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kBefore[month - 1] + day + (leap && month > 2 ? 1 : 0);
}

SurveyClock SurveyClockOf(const RecordHeader& header) {
  const FieldSpec field = TableField(kFieldSurveyTime);
  SurveyClock clock;
  clock.digits = header.headerRecord.substr(static_cast<size_t>(field.offset), static_cast<size_t>(field.length));
  const std::string& d = clock.digits;
  if (d.size() != 14) return clock;
  for (char c : d)
    if (c < '0' || c > '9') return clock;
  auto at = [&d](size_t from, size_t n) { return StrToIntDef(d.substr(from, n), 0); };
  clock.year = at(0, 4);
  clock.month = at(4, 2);
  clock.day = at(6, 2);
  clock.hour = at(8, 2);
  clock.minute = at(10, 2);
  clock.second = at(12, 2);
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  clock.valid = clock.month >= 1 && clock.month <= 12 && clock.day >= 1 && clock.day <= kDays[clock.month - 1] &&
                clock.hour < 24 && clock.minute < 60 && clock.second < 60;
  return clock;
}

std::string SurveyClock::Text() const {
  if (!valid) return digits;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
  return text;
}

int32_t FieldRecordNumber(const RecordHeader& header) {
  std::string name = PlainFieldValue(header.headerRecord, kFieldFileName);
  name = Trim(name.substr(0, name.find('.')));
  size_t start = name.size();
  while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9' && name.size() - start < 9) --start;
  return start == name.size() ? 0 : StrToIntDef(name.substr(start), 0);
}

namespace {

bool ExportableInterval(double us) { return us >= kLeastExportIntervalUs && us <= kMostExportIntervalUs; }  // not NaN

// The interval to single precision's 7 digits, "." as the point: a QFX or
// ESP file's float as it was meant ("-3", not "-3.00000002607703").
std::string IntervalText(double us) {
  char buf[40];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, us, std::chars_format::general, 7);
  return std::string(buf, r.ptr);
}

}  // namespace

void RequireExportableInterval(const RecordHeader& header) {
  // The field may read well where the file's float does not (one beyond its
  // digits reads 0): both must, the float to the field's hundredths.
  const bool heldFits = ExportableInterval(std::round(header.heldIntervalUs * 100) / 100);
  if (heldFits && ExportableInterval(header.intervalUs)) return;
  const double named = heldFits ? header.intervalUs : header.heldIntervalUs;
  throw Error(Utf8ToCp936("采样间隔为 ") + IntervalText(named) + Utf8ToCp936(" μs，无法导出：须在 ") +
              FormatNumber15(kLeastExportIntervalUs) + Utf8ToCp936(" 至 ") + FormatNumber15(kMostExportIntervalUs) +
              Utf8ToCp936(" μs 之间！"));
}

int32_t HeaderNumber(const RecordHeader& header, int fieldId) { return Whole(header.headerRecord, fieldId); }

}  // namespace gt7p
