// SEG-Y, written here from the standard (revisions 1 and 2.0): big-endian
// words at the byte positions the standard numbers from 1, an EBCDIC text
// header, IEEE float samples. The words a record can't fill exactly are
// settled by SegyPlanOf before the file is made.
#include <cstdio>
#include <cstring>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "base/text.h"
#include "records/export_values.h"
#include "records/field_ids.h"
#include "records/record_export.h"
#include "records/sample_times.h"

namespace gt7p {
namespace {

constexpr int kTextHeaderBytes = 3200;
constexpr int kBinaryHeaderBytes = 400;
constexpr int kTraceHeaderBytes = 240;
constexpr int kFileHeaderBytes = kTextHeaderBytes + kBinaryHeaderBytes;
constexpr int kIeeeFloatFormat = 5;
constexpr int32_t kMaxSigned16 = 32767;
constexpr int32_t kMaxUnsigned16 = 65535;

// Binary file header words by their byte position in the file.
enum BinaryWord : int {
  kBinLine = 3205,
  kBinTraces = 3213,
  kBinInterval = 3217,
  kBinIntervalOriginal = 3219,
  kBinSamples = 3221,
  kBinSamplesOriginal = 3223,
  kBinFormat = 3225,
  kBinSorting = 3229,
  kBinMeasurement = 3255,
  kBinExtendedTraces = 3261,         // rev 2.0, 4 bytes
  kBinExtendedSamples = 3269,        // rev 2.0, 4 bytes
  kBinExtendedInterval = 3273,       // rev 2.0, IEEE double
  kBinExtendedIntervalOriginal = 3281,
  kBinExtendedSamplesOriginal = 3289,
  kBinByteOrder = 3297,              // rev 2.0: 01020304h as written
  kBinRevision = 3501,               // major byte, minor byte
  kBinFixedLength = 3503,
  kBinExtendedTextHeaders = 3505,
};

// Trace header words by their byte position in the trace header.
enum TraceWord : int {
  kTrLineSequence = 1,
  kTrFileSequence = 5,
  kTrFieldRecord = 9,
  kTrChannel = 13,
  kTrSourcePoint = 17,
  kTrIdentification = 29,
  kTrVerticalSum = 31,
  kTrOffset = 37,
  kTrGroupElevation = 41,
  kTrElevationScalar = 69,
  kTrCoordinateScalar = 71,
  kTrSourceX = 73,
  kTrGroupX = 81,
  kTrCoordinateUnits = 89,
  kTrDelay = 109,
  kTrSamples = 115,
  kTrInterval = 117,
  kTrGainConstant = 121,
  kTrLowCut = 149,
  kTrHighCut = 151,
  kTrYear = 157,
  kTrDayOfYear = 159,
  kTrHour = 161,
  kTrMinute = 163,
  kTrSecond = 165,
  kTrTimeBasis = 167,
  kTrTimeScalar = 215,
};

// Big-endian words into a block whose first byte has position `base`.
class Words {
 public:
  Words(char* block, int base) : block_(reinterpret_cast<unsigned char*>(block)), base_(base) {}
  void Put16(int position, int32_t value) { PutBytes(position, static_cast<uint64_t>(value), 2); }
  void Put32(int position, int64_t value) { PutBytes(position, static_cast<uint64_t>(value), 4); }
  void PutDouble(int position, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutBytes(position, bits, 8);
  }

 private:
  void PutBytes(int position, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      block_[position - base_ + i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
  }
  unsigned char* block_;
  int base_;
};

// A value in units of 10^-`decimals` as a whole number and a SEG-Y scalar
// (1 or 0: as it is; negative: divide by its size; positive: multiply),
// the first of 1, -10 ... -10000, 10 ... 10000 that holds it exactly
// within `limit`. False when none does.
bool Scaled(int64_t value, int decimals, int64_t limit, int32_t& number, int32_t& scalar) {
  int64_t unit = 1;  // 10^decimals
  for (int i = 0; i < decimals; ++i) unit *= 10;
  static const int32_t kScalars[] = {1, -10, -100, -1000, -10000, 10, 100, 1000, 10000};
  for (int32_t s : kScalars) {
    // value / unit = n / |s| (s < 0) or n * s (s > 0)
    const int64_t numerator = s < 0 ? value * -s : value;
    const int64_t denominator = s < 0 ? unit : unit * s;
    if (numerator % denominator != 0) continue;
    const int64_t n = numerator / denominator;
    if (n < -limit || n > limit) continue;
    number = static_cast<int32_t>(n);
    scalar = s;
    return true;
  }
  return false;
}

// What goes where, settled before anything is written.
struct SegyPlan {
  bool revision2 = false;
  int32_t interval16 = 0;      // 3217-3218, 117-118: whole microseconds, or 0
  double intervalUs = 0;       // 3273-3280 (rev 2.0)
  int32_t samples = 0;
  int32_t traces = 0;
  int32_t delay = 0, timeScalar = 1;  // 109-110, 215-216
  SampleTimes times;
};

std::string RefusalSuffix() { return Utf8ToCp936("；请改用 SEG-2 格式！"); }

SegyPlan SegyPlanOf(const RecordHeader& header) {
  SegyPlan plan;
  plan.times = RecordSampleTimes(header);
  plan.samples = header.sampleCount;
  plan.traces = header.channelCount;
  const int64_t interval = plan.times.intervalCentiUs;  // at least 1: RequireExportableInterval
  const bool wholeUs = interval % 100 == 0;
  plan.revision2 = !wholeUs || interval / 100 > kMaxSigned16 || plan.samples > kMaxSigned16 ||
                   plan.traces > kMaxSigned16;
  // Rev 2.0 reads the 2-byte counts and the interval as unsigned; the
  // extended words override them where they are not 0.
  plan.interval16 = wholeUs && interval / 100 <= kMaxUnsigned16 ? static_cast<int32_t>(interval / 100) : 0;
  plan.intervalUs = static_cast<double>(interval) / 100;
  if (plan.samples > kMaxUnsigned16 || plan.traces > kMaxUnsigned16)
    throw Error(Utf8ToCp936("记录的道数或采样点数超出 65535") + RefusalSuffix());
  if (!Scaled(plan.times.firstCentiUs, 5, kMaxSigned16, plan.delay, plan.timeScalar))
    throw Error(Utf8ToCp936("第一个采样点的时间 ") + CentiUsAsMs(plan.times.firstCentiUs) +
                Utf8ToCp936(" ms 无法准确写入 SEG-Y 道头（109-110 字节，时间比例因子 1 至 10000）") + RefusalSuffix());
  return plan;
}

// Printable ASCII that every EBCDIC code page writes alike (the letters,
// digits, blank and common punctuation), and its code page 037 bytes.
unsigned char Ebcdic(char c) {
  static const unsigned char kFrom20[95] = {
      0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
      0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
      0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
      0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xBA, 0xE0, 0xBB, 0xB0, 0x6D,
      0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
      0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x4F, 0xD0, 0xA1};
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x20 && u < 0x7F ? kFrom20[u - 0x20] : 0x40;
}

// A code page 936 text for the text header: the characters whose EBCDIC
// byte differs between code pages ("[", "]", "!", "|", "^", ...), the
// other bytes and "%" as "%" and two hex digits.
std::string TextHeaderSafe(const std::string& cp936) {
  return PercentEscaped(cp936, [](unsigned char c) {
    static const std::string kKept = " .,:;-+/=()*#@'\"_&?<>$";
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           kKept.find(static_cast<char>(c)) != std::string::npos;
  });
}

// 40 lines of 80 characters, "C 1 " to "C40 ", in EBCDIC.
std::string TextHeader(const RecordHeader& header, const SegyPlan& plan) {
  const SampleTimes& t = plan.times;
  std::vector<std::string> lines = {std::string("SURVEY RECORD OF A GT7P SEISMIC INSTRUMENT, SEG-Y REV ") +
                                    (plan.revision2 ? "2.0" : "1")};
  for (const auto& item : SurveySummary(header)) lines.push_back(item.first + " " + TextHeaderSafe(item.second));
  lines.push_back("SAMPLE INTERVAL " + CentiUsAsUs(t.intervalCentiUs) + " US EXACTLY" +
                  (plan.revision2 ? " (BYTES 3273-3280)" : ""));
  lines.push_back("FIRST SAMPLE AT " + CentiUsAsMs(t.firstCentiUs) + " MS = DELAY " +
                  CentiUsAsUs(t.AtCentiUs(header.preTriggerCount)) + " US - " +
                  std::to_string(header.preTriggerCount) + " PRE-TRIGGER SAMPLES X " + CentiUsAsUs(t.intervalCentiUs) +
                  " US");
  lines.push_back("TIME 0 AT THE TRIGGER; SAMPLE I (FROM 0) AT FIRST + I X INTERVAL");
  lines.push_back("TRACE 109-110 FIRST SAMPLE TIME, MS WITH THE TIME SCALAR OF 215-216");
  lines.push_back("ONE TRACE PER CHANNEL IN FILE ORDER; 13-16 CHANNEL NUMBER");
  lines.push_back("37-40 SOURCE-RECEIVER DISTANCE IN WHOLE M (ROUNDED); EXACT AS GROUP X");
  lines.push_back("81-84 WITH SCALAR 71-72, SOURCE X 0; 41-44 RELATIVE ELEVATION, M");
  lines.push_back("149-152 FILTERS IN WHOLE HZ (ROUNDED); 121-122 PREAMPLIFIER GAIN, DB");
  lines.push_back("SAMPLES: IEEE FLOAT (FORMAT 5), EACH THE INSTRUMENT'S 16-BIT VALUE");
  std::string text;
  for (int i = 0; i < 40; ++i) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "C%2d ", i + 1);
    std::string line = prefix;
    if (i == 38)
      line += plan.revision2 ? "SEG-Y_REV2.0" : "SEG Y REV1";
    else if (i == 39)
      line += "END TEXTUAL HEADER";
    else if (static_cast<size_t>(i) < lines.size())
      line += lines[static_cast<size_t>(i)];
    line.resize(80, ' ');
    text += line;
  }
  for (char& c : text) c = static_cast<char>(Ebcdic(c));
  return text;
}

std::string BinaryHeader(const RecordHeader& header, const SegyPlan& plan) {
  std::string block(kBinaryHeaderBytes, '\0');
  Words w(&block[0], kTextHeaderBytes + 1);
  // The plan holds the counts within the revision's 2-byte words.
  w.Put32(kBinLine, HeaderNumber(header, kFieldLine));
  w.Put16(kBinTraces, plan.traces);
  w.Put16(kBinInterval, plan.interval16);
  w.Put16(kBinIntervalOriginal, plan.interval16);
  w.Put16(kBinSamples, plan.samples);
  w.Put16(kBinSamplesOriginal, plan.samples);
  w.Put16(kBinFormat, kIeeeFloatFormat);
  w.Put16(kBinSorting, 1);      // as recorded
  w.Put16(kBinMeasurement, 1);  // metres
  if (plan.revision2) {
    w.Put32(kBinExtendedTraces, plan.traces);
    w.Put32(kBinExtendedSamples, plan.samples);
    w.PutDouble(kBinExtendedInterval, plan.intervalUs);
    w.PutDouble(kBinExtendedIntervalOriginal, plan.intervalUs);
    w.Put32(kBinExtendedSamplesOriginal, plan.samples);
    w.Put32(kBinByteOrder, 0x01020304);
    w.Put16(kBinRevision, 0x0200);
  } else {
    w.Put16(kBinRevision, 0x0100);
  }
  w.Put16(kBinFixedLength, 1);
  w.Put16(kBinExtendedTextHeaders, 0);
  return block;
}

// Whole units of a value in hundredths, half away from zero.
int64_t RoundedHundredths(int64_t hundredths) {
  return hundredths >= 0 ? (hundredths + 50) / 100 : -((-hundredths + 50) / 100);
}

void TraceHeader(char* block, int32_t trace, const ExportChannel& c, const SegyPlan& plan, int32_t recordNumber,
                 int32_t point, const SurveyClock& clock) {
  std::memset(block, 0, kTraceHeaderBytes);
  Words w(block, 1);
  w.Put32(kTrLineSequence, trace + 1);
  w.Put32(kTrFileSequence, trace + 1);
  w.Put32(kTrFieldRecord, recordNumber);
  w.Put32(kTrChannel, c.number);
  w.Put32(kTrSourcePoint, point);
  w.Put16(kTrIdentification, 1);  // seismic data
  w.Put16(kTrVerticalSum, c.stack.value_or(0));
  w.Put32(kTrOffset, RoundedHundredths(c.distanceCm));
  if (c.elevationM) {
    w.Put32(kTrGroupElevation, *c.elevationM);
    w.Put16(kTrElevationScalar, 1);
  }
  // The distance to the centimetre: group X, the source at 0. Hundredths
  // of a metre up to 65535.99 m always have an exact scalar.
  int32_t groupX = 0, coordinateScalar = 1;
  Scaled(c.distanceCm, 2, INT32_MAX, groupX, coordinateScalar);
  w.Put16(kTrCoordinateScalar, coordinateScalar);
  w.Put32(kTrSourceX, 0);
  w.Put32(kTrGroupX, groupX);
  w.Put16(kTrCoordinateUnits, 1);  // length
  w.Put16(kTrDelay, plan.delay);
  w.Put16(kTrTimeScalar, plan.timeScalar);
  w.Put16(kTrSamples, plan.samples);
  w.Put16(kTrInterval, plan.interval16);
  if (c.gainDb) w.Put16(kTrGainConstant, *c.gainDb);
  // Filters in whole hertz; beyond the word (the instrument's range is
  // 1-4000 Hz) they are left unstated.
  auto hertz = [](const std::optional<int64_t>& centiHz) {
    const int64_t hz = centiHz ? RoundedHundredths(*centiHz) : 0;
    return static_cast<int32_t>(hz <= kMaxSigned16 ? hz : 0);
  };
  w.Put16(kTrLowCut, hertz(c.lowCutCentiHz));
  w.Put16(kTrHighCut, hertz(c.highCutCentiHz));
  if (clock.valid) {
    w.Put16(kTrYear, clock.year);
    w.Put16(kTrDayOfYear, clock.DayOfYear());
    w.Put16(kTrHour, clock.hour);
    w.Put16(kTrMinute, clock.minute);
    w.Put16(kTrSecond, clock.second);
    w.Put16(kTrTimeBasis, 1);  // local
  }
}

// IEEE floats, most significant byte first.
void BigEndianFloats(const std::vector<float>& samples, char* out) {
  auto* p = reinterpret_cast<unsigned char*>(out);
  for (float f : samples) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    p[0] = static_cast<unsigned char>(bits >> 24);
    p[1] = static_cast<unsigned char>(bits >> 16);
    p[2] = static_cast<unsigned char>(bits >> 8);
    p[3] = static_cast<unsigned char>(bits);
    p += 4;
  }
}

}  // namespace

void WriteSegy(RecordReader& reader, const std::filesystem::path& path) {
  const RecordHeader& header = reader.header();
  RequireExportableInterval(header);
  const SegyPlan plan = SegyPlanOf(header);
  const uint64_t traceBytes = kTraceHeaderBytes + 4ull * static_cast<uint64_t>(plan.samples);
  OutputWriter out(path, kFileHeaderBytes + static_cast<uint64_t>(plan.traces) * traceBytes);
  out.Write(TextHeader(header, plan) + BinaryHeader(header, plan));

  const int32_t recordNumber = FieldRecordNumber(header), point = HeaderNumber(header, kFieldPoint);
  const SurveyClock clock = SurveyClockOf(header);
  std::vector<char> trace(static_cast<size_t>(traceBytes));
  RecordChannel channel;
  for (int32_t i = 0; i < plan.traces; ++i) {
    reader.ReadChannel(i, channel);
    TraceHeader(trace.data(), i, ExportChannelOf(header, channel.header), plan, recordNumber, point, clock);
    BigEndianFloats(channel.samples, trace.data() + kTraceHeaderBytes);
    out.Write(trace.data(), trace.size());
  }
  out.Close();
}

}  // namespace gt7p
