// ConvertRawFile on any bytes, into QFX and into ESP. On every failure
// (false, or an Error) the raw file is back under its name, byte for byte,
// and no work file is left; on success the output has the declared size.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "base/error.h"
#include "fuzz/fuzz_support.h"
#include "records/converter.h"
#include "records/field_table.h"
#include "records/formats.h"

namespace {

namespace fs = std::filesystem;

void ConvertOnce(const std::string& raw, const gt7p::OutputFormat& format) {
  const std::string path = gt7p::fuzz::WorkFolder() + "/F" + format.extension;
  const std::string work = gt7p::fuzz::WorkFolder() + "/F.___";
  gt7p::fuzz::WriteWhole(path, raw);
  bool converted = false;
  try {
    converted = gt7p::ConvertRawFile(path, format);
  } catch (const gt7p::Error&) {
    converted = false;
  }
  std::error_code ec;
  FUZZ_CHECK(!fs::exists(work, ec));
  const std::string after = gt7p::fuzz::ReadWhole(path);
  if (!converted) {
    FUZZ_CHECK(after == raw);
    return;
  }
  // The counts as the header pass reads them.
  const gt7p::OutputLayout& layout = *format.layout;
  gt7p::ConversionContext context;
  std::string header;
  gt7p::WriteLayoutGroup(layout.header, raw.substr(gt7p::kRawLeadingChars, gt7p::kHeaderRecordChars), true, context,
                         header);
  const uint64_t channel = static_cast<uint64_t>(layout.channelHeaderSize) + 4ull * static_cast<uint64_t>(context.sampleCount);
  FUZZ_CHECK(after.size() == layout.headerSize + static_cast<uint64_t>(context.channelCount) * channel);
  FUZZ_CHECK(after.compare(0, header.size(), header) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  ConvertOnce(raw, gt7p::QfxFormat());
  ConvertOnce(raw, gt7p::EspFormat());
  return 0;
}
