#include "tests/records/test_records.h"

#include "base/cp936.h"
#include "base/text.h"
#include "records/field_ids.h"
#include "records/records.h"

namespace gt7p {
namespace test {
namespace {

void Put(std::string& record, int id, const std::string& digits) {
  const FieldSpec field = TableField(id);
  std::string d = digits;
  d.resize(static_cast<size_t>(field.length), '0');
  record.replace(static_cast<size_t>(field.offset), d.size(), d);
}

void PutNumber(std::string& record, int id, uint64_t value) {
  Put(record, id, HexDigits(value, static_cast<size_t>(TableField(id).length)));
}

}  // namespace

TestRecord::TestRecord() {
  for (size_t i = 0; i < channels.size(); ++i) channels[i].number = static_cast<int>(i) + 1;
}

int16_t SampleValue(int channel, int sample) {
  return static_cast<int16_t>((channel * 7919LL + sample * 104729LL) % 65536 - 32768);
}

std::string RawFileOf(const TestRecord& r) {
  std::string h(kHeaderRecordChars, '0');
  Put(h, kFieldFileName, BytesToHex(r.name));
  Put(h, kFieldSurveyTime, r.time);
  Put(h, kFieldPlace, BytesToHex(Utf8ToCp936("淮南%矿")));
  PutNumber(h, kFieldLine, 3);
  PutNumber(h, kFieldPoint, 17);
  PutNumber(h, kFieldChannels, r.channels.size());
  PutNumber(h, kFieldSamples, static_cast<uint64_t>(r.samples));
  PutNumber(h, kFieldPreTrigger, static_cast<uint64_t>(r.preTrigger));
  Put(h, kFieldInterval, r.intervalDigits);
  PutNumber(h, kFieldDelay, static_cast<uint32_t>(r.delayUs));
  Put(h, kFieldMethod, "30");

  std::string raw = "1020" "000000" + h;
  for (size_t c = 0; c < r.channels.size(); ++c) {
    const TestChannel& ch = r.channels[c];
    std::string header(kChannelHeaderChars, '0');
    Put(header, kFieldDistance, ch.distanceDigits.empty() ? HexDigits(static_cast<uint64_t>(ch.number) << 8, 6)
                                                          : ch.distanceDigits);
    PutNumber(header, kFieldElevation, static_cast<uint64_t>(ch.elevation));
    PutNumber(header, kFieldChannelNumber, static_cast<uint64_t>(ch.number));
    Put(header, kFieldLowCut, ch.lowCutDigits);
    Put(header, kFieldHighCut, ch.highCutDigits);
    PutNumber(header, kFieldPreampGain, static_cast<uint64_t>(ch.gain));
    PutNumber(header, kFieldStack, static_cast<uint64_t>(ch.stack));
    for (int k = 0; k < 6; ++k)
      PutNumber(header, AnalysisPointField(k), static_cast<uint64_t>(ch.points[static_cast<size_t>(k)]));
    raw += header;
    std::string samples;
    samples.reserve(4 * static_cast<size_t>(r.samples));
    for (int s = 0; s < r.samples; ++s)
      samples += HexDigits(static_cast<uint16_t>(SampleValue(static_cast<int>(c), s)), 4);
    raw += samples;
  }
  return raw;
}

}  // namespace test
}  // namespace gt7p
