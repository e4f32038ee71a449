// The layout parser on any layout string, and the header pass over a real
// record with whatever it parsed. A layout either fails with an Error or
// gives blocks within kMaxLayoutBlockSize, and writing a group appends
// exactly its size (or fails with an Error, nothing else).
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "fuzz/fuzz_support.h"
#include "records/converter.h"
#include "records/field_table.h"
#include "records/layouts.h"
#include "sim/record_maker.h"

namespace {

const std::string& Raw() {
  static const std::string raw = gt7p::sim::MakeRawFile(gt7p::sim::DemoSurveyFiles()[0]);
  return raw;
}

void Write(const std::vector<gt7p::LayoutEntry>& entries, int32_t size, const std::string& record, bool headerPass) {
  gt7p::ConversionContext context;
  std::string out;
  try {
    gt7p::WriteLayoutGroup(entries, record, headerPass, context, out);
  } catch (const gt7p::Error&) {
    return;
  }
  FUZZ_CHECK(out.size() == static_cast<size_t>(size));
  if (headerPass) FUZZ_CHECK(context.sampleCount >= 0 && context.channelCount >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  gt7p::OutputLayout layout;
  try {
    layout = gt7p::ParseOutputLayout(text);
  } catch (const gt7p::Error&) {
    return 0;
  }
  FUZZ_CHECK(layout.headerSize >= 0 && layout.headerSize <= gt7p::kMaxLayoutBlockSize);
  FUZZ_CHECK(layout.channelHeaderSize >= 0 && layout.channelHeaderSize <= gt7p::kMaxLayoutBlockSize);
  const size_t header = gt7p::kRawLeadingChars;
  Write(layout.header, layout.headerSize, Raw().substr(header, gt7p::kHeaderRecordChars), true);
  Write(layout.channel, layout.channelHeaderSize,
        Raw().substr(header + gt7p::kHeaderRecordChars, gt7p::kChannelHeaderChars), false);
  return 0;
}
