// WriteSegy and WriteSeg2 on records of any header, channel headers and
// samples (raw, or read back from their QFX file). The input gives the
// channel and sample counts (kept small), then the header's bytes, each
// channel's header bytes and the samples; missing bytes are zeros. SEG-Y
// either refuses the record, naming SEG-2 and leaving no file, or writes a
// file of the declared size whose first-sample time and interval words give
// the record's exact times and whose samples are the record's; SEG-2 takes
// every such record and its trace pointers lead to its trace blocks. Both
// refuse, leaving no file, an interval that is not from 0.01 to 65535 μs.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "fuzz/fuzz_support.h"
#include "records/records.h"

namespace {

namespace fs = std::filesystem;

uint32_t Be(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
  return v;
}

uint32_t Le(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
  return v;
}

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  std::string Bytes(size_t n) {
    std::string out(n, '\0');
    for (size_t i = 0; i < n && at_ < size_; ++i) out[i] = static_cast<char>(data_[at_++]);
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_, at_ = 0;
};

void Put(std::string& record, int fieldId, uint64_t value) {
  const gt7p::FieldSpec field = gt7p::TableField(fieldId);
  record.replace(static_cast<size_t>(field.offset), static_cast<size_t>(field.length),
                 gt7p::HexDigits(value, static_cast<size_t>(field.length)));
}

// Both exports refuse an interval that is not a number from 0.01 to 65535
// μs, as the field reads it or as the file's float holds it, with their
// one message.
bool RefusedInterval(const gt7p::RecordHeader& header, const gt7p::Error& e) {
  const auto outside = [](double us) { return !(us >= 0.01 && us <= 65535); };
  return std::string(e.message()).rfind(gt7p::Utf8ToCp936("采样间隔为 "), 0) == 0 &&
         (outside(header.intervalUs) || outside(std::round(header.heldIntervalUs * 100) / 100));
}

void CheckSegy(gt7p::RecordReader& reader, const std::string& path) {
  const gt7p::RecordHeader& header = reader.header();
  std::error_code ec;
  fs::remove(path, ec);
  try {
    gt7p::WriteSegy(reader, path);
  } catch (const gt7p::Error& e) {
    FUZZ_CHECK(std::string(e.message()).find("SEG-2") != std::string::npos || RefusedInterval(header, e));
    FUZZ_CHECK(!fs::exists(path, ec));
    return;
  }
  const std::string b = gt7p::fuzz::ReadWhole(path);
  const uint64_t samples = static_cast<uint64_t>(header.sampleCount);
  FUZZ_CHECK(b.size() == 3600 + static_cast<uint64_t>(header.channelCount) * (240 + 4 * samples));
  const gt7p::SampleTimes times = gt7p::RecordSampleTimes(header);
  const int revision = static_cast<uint8_t>(b[3500]);
  FUZZ_CHECK(revision == 1 || revision == 2);
  if (revision == 2) {
    uint64_t bits = static_cast<uint64_t>(Be(b, 3272, 4)) << 32 | Be(b, 3276, 4);
    double interval;
    std::memcpy(&interval, &bits, sizeof interval);
    FUZZ_CHECK(interval == static_cast<double>(times.intervalCentiUs) / 100);
    FUZZ_CHECK(Be(b, 3268, 4) == samples);
  } else {
    FUZZ_CHECK(static_cast<int64_t>(Be(b, 3216, 2)) * 100 == times.intervalCentiUs);
    FUZZ_CHECK(Be(b, 3220, 2) == samples);
  }
  gt7p::RecordChannel channel;
  for (int ch = 0; ch < header.channelCount; ++ch) {
    const size_t trace = 3600 + static_cast<size_t>(ch) * (240 + 4 * samples);
    // Milliseconds with the time scalar: 0 or 1 as they are, positive
    // multiplies, negative divides.
    const int64_t delay = static_cast<int16_t>(Be(b, trace + 108, 2));
    int64_t scalar = static_cast<int16_t>(Be(b, trace + 214, 2));
    if (scalar == 0) scalar = 1;
    const int64_t first = scalar > 0 ? delay * scalar * 100000 : delay * 100000 / -scalar;
    FUZZ_CHECK(scalar > 0 || (delay * 100000) % -scalar == 0);
    FUZZ_CHECK(first == times.firstCentiUs);
    reader.ReadChannel(ch, channel);
    for (size_t s = 0; s < samples; ++s) {
      const uint32_t bits = Be(b, trace + 240 + 4 * s, 4);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      FUZZ_CHECK(std::memcmp(&value, &channel.samples[s], sizeof value) == 0);
    }
  }
}

void CheckSeg2(gt7p::RecordReader& reader, const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
  try {
    gt7p::WriteSeg2(reader, path);  // any other Error here is a finding
  } catch (const gt7p::Error& e) {
    FUZZ_CHECK(RefusedInterval(reader.header(), e));
    FUZZ_CHECK(!fs::exists(path, ec));
    return;
  }
  const std::string b = gt7p::fuzz::ReadWhole(path);
  FUZZ_CHECK(b.size() >= 32 && Le(b, 0, 2) == 0x3A55);
  const uint32_t traces = Le(b, 6, 2);
  FUZZ_CHECK(static_cast<int32_t>(traces) == reader.header().channelCount);
  for (uint32_t i = 0; i < traces; ++i) {
    const uint32_t at = Le(b, 32 + 4 * i, 4);
    FUZZ_CHECK(at + 32 <= b.size() && Le(b, at, 2) == 0x4422);
    const uint32_t blockBytes = Le(b, at + 2, 2), dataBytes = Le(b, at + 4, 4);
    FUZZ_CHECK(Le(b, at + 8, 4) == static_cast<uint32_t>(reader.header().sampleCount));
    FUZZ_CHECK(static_cast<uint64_t>(at) + blockBytes + dataBytes <= b.size());
    // The strings end within the block: each offset leads on, 0 ends them.
    size_t s = at + 32;
    while (Le(b, s, 2) != 0) {
      s += Le(b, s, 2);
      FUZZ_CHECK(s + 2 <= at + blockBytes);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const std::string counts = in.Bytes(3);
  const int channels = 1 + static_cast<uint8_t>(counts[0]) % 4, samples = 1 + static_cast<uint8_t>(counts[1]) % 32;
  const bool viaQfx = counts[2] & 1;
  std::string header = gt7p::BytesToHex(in.Bytes(gt7p::kHeaderRecordChars / 2));
  Put(header, gt7p::kFieldChannels, static_cast<uint64_t>(channels));
  Put(header, gt7p::kFieldSamples, static_cast<uint64_t>(samples));
  std::string raw = "1020000000" + header;
  for (int ch = 0; ch < channels; ++ch)
    raw += gt7p::BytesToHex(in.Bytes(gt7p::kChannelHeaderChars / 2)) + gt7p::BytesToHex(in.Bytes(2 * samples));

  const std::string folder = gt7p::fuzz::WorkFolder();
  const std::string record = folder + "/R.T7P";
  gt7p::fuzz::WriteWhole(record, raw);
  if (viaQfx) {
    // Conversion has its own target; what it refuses is no export's input.
    try {
      if (!gt7p::ConvertRawFile(record, gt7p::QfxFormat())) return 0;
    } catch (const gt7p::Error&) {
      return 0;
    }
  }
  gt7p::RecordReader reader(record);
  CheckSegy(reader, folder + "/R.sgy");
  CheckSeg2(reader, folder + "/R.sg2");
  return 0;
}
