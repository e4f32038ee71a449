// RecordReader on any bytes (raw, QFX or ESP by the first 8 bytes, as a
// file from anywhere would be opened): the whole record (ReadRecord), and
// channel by channel over a file that need not be whole (info, the viewer,
// the exports). Failures are Errors, never a crash. A channel reads exactly
// when all its bytes are in the file, and reads the same both ways; the
// field lines render for every header.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/error.h"
#include "fuzz/fuzz_support.h"
#include "records/field_table.h"
#include "records/formats.h"
#include "records/layouts.h"
#include "records/record_reader.h"

namespace {

bool SameSamples(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = gt7p::fuzz::WorkFolder() + "/R.T7P";
  gt7p::fuzz::WriteWhole(path, std::string(reinterpret_cast<const char*>(data), size));

  gt7p::Record whole;
  bool wholeRead = false;
  try {
    whole = gt7p::ReadRecord(path);
    wholeRead = true;
  } catch (const gt7p::Error&) {
  }
  if (wholeRead) {
    FUZZ_CHECK(whole.header.fileSize >= whole.header.declaredSize);
    FUZZ_CHECK(whole.channels.size() == static_cast<size_t>(whole.header.channelCount));
    for (const gt7p::RecordChannel& channel : whole.channels)
      FUZZ_CHECK(channel.samples.size() == static_cast<size_t>(whole.header.sampleCount));
  }

  try {
    gt7p::RecordReader reader(path, false);
    const gt7p::RecordHeader& header = reader.header();
    FUZZ_CHECK(header.fileSize == size);
    gt7p::HeaderFieldLines(header);
    const gt7p::OutputLayout* layout = header.format->layout;
    const uint64_t channelBytes =
        static_cast<uint64_t>(layout ? layout->channelHeaderSize : gt7p::kChannelHeaderChars) +
        4ull * static_cast<uint64_t>(header.sampleCount > 0 ? header.sampleCount : 0);
    const uint64_t channels = header.channelCount > 0 ? static_cast<uint64_t>(header.channelCount) : 0;
    const uint64_t dataStart = header.declaredSize - channelBytes * channels;
    gt7p::RecordChannel channel;
    for (int i = 0; i < header.channelCount; ++i) {
      const bool there = dataStart + channelBytes * static_cast<uint64_t>(i + 1) <= size;
      bool read = true;
      try {
        reader.ReadChannel(i, channel);
      } catch (const gt7p::Error&) {
        read = false;
      }
      FUZZ_CHECK(read == there);
      if (!read) break;  // and so is every later channel
      FUZZ_CHECK(channel.index == i);
      FUZZ_CHECK(channel.header.size() == static_cast<size_t>(gt7p::kChannelHeaderChars));
      FUZZ_CHECK(channel.samples.size() == static_cast<size_t>(header.sampleCount > 0 ? header.sampleCount : 0));
      gt7p::ChannelFieldLines(header, channel.header);
      if (wholeRead) FUZZ_CHECK(SameSamples(channel.samples, whole.channels[static_cast<size_t>(i)].samples));
    }
    // The headers alone, backwards: any order reads the same.
    // (A channel takes 64 bytes at least: no more than `size` / 64 are there.)
    for (int64_t i = std::min<int64_t>(header.channelCount, static_cast<int64_t>(size)) - 1; i >= 0; --i) {
      if (dataStart + channelBytes * static_cast<uint64_t>(i + 1) > size) continue;
      reader.ReadChannel(static_cast<int>(i), channel, false);
      FUZZ_CHECK(channel.samples.empty());
      if (wholeRead) FUZZ_CHECK(channel.header == whole.channels[static_cast<size_t>(i)].header);
    }
  } catch (const gt7p::Error&) {
    FUZZ_CHECK(!wholeRead);  // what opens whole opens in part
  }
  return 0;
}
