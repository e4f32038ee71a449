#include "records/converter.h"

#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/file_space.h"
#include "base/messages.h"
#include "base/native_file.h"
#include "base/output_file.h"
#include "base/text.h"
#include "records/field_format.h"
#include "records/field_ids.h"
#include "records/field_table.h"
#include "records/samples.h"

namespace gt7p {
namespace fs = std::filesystem;

namespace {

// The in-place conversion's work file: the raw file renamed, beside its output.
const char kWorkFileExtension[] = ".___";

std::string SourceChars(const std::string& record, int32_t offset, int32_t length) {
  if (offset < 0 || length < 0 || static_cast<size_t>(offset) >= record.size()) return std::string();
  return record.substr(static_cast<size_t>(offset), static_cast<size_t>(length));
}

// An entry's value text before the header pass's rules.
std::string EntryValue(const LayoutEntry& entry, const std::string& sourceRecord) {
  switch (entry.mode) {
    case 'F':
      return entry.fixedValue;
    case 'N':
      return FormatFieldValue(SourceChars(sourceRecord, entry.sourceOffset, entry.sourceLength), entry.sourceKind,
                              entry.templ);
    case 'T':
      return BytesToHex(SourceChars(sourceRecord, entry.sourceOffset, entry.sourceLength));
    default:
      return entry.kind == "C" ? std::string() : std::string("0");
  }
}

void ApplyHeaderRule(int32_t index, std::string& value, ConversionContext& context) {
  switch (index) {
    case kEntryPreTrigger:
      context.preTriggerCount = NumberFromText(value);
      break;
    case kEntryTriggerVoltage: {
      // Tenths of a volt. A value beyond 64 bits (only from a table other
      // than the built-in one) is written as a number all the same: "I"
      // keeps its lowest bits.
      const double tenths = std::trunc(NumberFromText(value) * 10);
      value = std::fabs(tenths) < 9.0e18 ? std::to_string(static_cast<long long>(tenths)) : FormatNumber15(tenths);
      break;
    }
    case kEntrySamples:
      context.sampleCount = StrToIntDef(value, 0);
      if (context.sampleCount <= 0) throw Error();
      break;
    case kEntryChannels:
      context.channelCount = StrToIntDef(value, 0);
      if (context.channelCount <= 0) throw Error();
      break;
    case kEntryInterval:
      context.intervalMs = static_cast<float>(NumberFromText(value) * 0.001);
      value = FormatNumber15(context.intervalMs);
      break;
    case kEntryDelay:
      value = FormatNumber15(NumberFromText(value) * 0.001 - context.preTriggerCount * context.intervalMs);
      break;
    case kEntrySystemDelay:
      value = FormatNumber15(NumberFromText(value) * 0.001);
      break;
    default:
      break;
  }
}

// Whole channels at a time, straight to the system.
void ReadExactly(NativeFile& in, char* buffer, size_t n) {
  if (in.Read(buffer, n) != n) throw FailureError(Failure::kIncompleteFile);
}

// Writes blocks on a thread of its own, so that writing one channel and
// reading and converting the next run side by side. Two buffers take turns:
// Next waits (without spinning) until the older one has been written.
class BlockWriter {
 public:
  explicit BlockWriter(NativeFile& out) : out_(out), thread_([this] { Run(); }) {}
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;
  ~BlockWriter() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      abandoned_ = true;  // a failure part-way: the output goes anyway
    }
    changed_.notify_all();
    thread_.join();
  }

  // The buffer to fill next; its old content is still there.
  std::string& Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queued_ < 2; });
    return buffers_[fill_];
  }
  void Submit() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++queued_;
      fill_ ^= 1;
    }
    changed_.notify_all();
  }
  // Waits until everything submitted is written; throws WriteError when a write failed.
  void Finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (!out_.WritesOk()) throw WriteError(out_.error());
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return queued_ > 0 || finished_ || abandoned_; });
      if (abandoned_ || queued_ == 0) return;
      const std::string& block = buffers_[head_];
      lock.unlock();
      out_.Write(block.data(), block.size());  // after a failure: nothing more goes
      lock.lock();
      head_ ^= 1;
      --queued_;
      changed_.notify_all();
    }
  }

  NativeFile& out_;
  std::string buffers_[2];
  std::mutex mutex_;
  std::condition_variable changed_;
  int fill_ = 0, head_ = 0, queued_ = 0;
  bool finished_ = false, abandoned_ = false;
  std::thread thread_;  // last: starts once the rest is set up
};

void Convert(NativeFile& in, NativeFile& out, const OutputLayout& layout) {
  uint64_t inputSize = 0;
  if (!in.Size(inputSize)) throw FailureError(Failure::kIncompleteFile);
  std::string record(kRawLeadingChars + kHeaderRecordChars, '\0');
  ReadExactly(in, &record[0], record.size());
  record.erase(0, kRawLeadingChars);

  ConversionContext context;
  std::string header;
  WriteLayoutGroup(layout.header, record, true, context, header);
  if (inputSize < DeclaredRawSize(context.channelCount, context.sampleCount))
    throw FailureError(Failure::kIncompleteFile);
  const size_t samples = static_cast<size_t>(context.sampleCount);
  ReserveFileSpace(out.path(), static_cast<uint64_t>(layout.headerSize) +
                                   static_cast<uint64_t>(context.channelCount) *
                                       (static_cast<uint64_t>(layout.channelHeaderSize) + 4ull * samples));

  BlockWriter writer(out);
  writer.Next() = header;
  writer.Submit();
  std::string channel(kChannelHeaderChars + 4 * samples, '\0');
  for (int32_t ch = 0; ch < context.channelCount; ++ch) {
    ThrowIfWorkAborted();
    ReadExactly(in, &channel[0], channel.size());
    header.clear();
    WriteLayoutGroup(layout.channel, channel.substr(0, kChannelHeaderChars), false, context, header);
    std::string& block = writer.Next();
    block.resize(header.size() + 4 * samples);  // the same size each time: filled once
    block.replace(0, header.size(), header);
    ConvertSamples(channel.data() + kChannelHeaderChars, samples, &block[header.size()]);
    writer.Submit();
  }
  writer.Finish();
}

// A raw file kept as it came is whole: at least as long as its header declares.
void CheckWholeRawFile(const fs::path& path) {
  NativeFile in;
  uint64_t size = 0;
  if (!in.OpenRead(path) || !in.Size(size)) throw FailureError(Failure::kIncompleteFile);
  std::string head(kRawLeadingChars + kHeaderRecordChars, '\0');
  ReadExactly(in, &head[0], head.size());
  if (size < DeclaredRawSize(head.substr(kRawLeadingChars))) throw FailureError(Failure::kIncompleteFile);
}

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

// Converts `in` into `out`, both open; on any failure the output is deleted
// and the Error goes on.
void ConvertFile(NativeFile& in, NativeFile& out, const OutputLayout& layout) {
  try {
    Convert(in, out, layout);
    if (!out.Close()) throw WriteError(out.error());
  } catch (...) {
    out.RemoveAndClose();
    throw;
  }
}

}  // namespace

uint64_t DeclaredRawSize(int32_t channels, int32_t samples) {
  const uint64_t channelChars = kChannelHeaderChars + 4ull * static_cast<uint64_t>(samples > 0 ? samples : 0);
  return kRawLeadingChars + kHeaderRecordChars + channelChars * static_cast<uint64_t>(channels > 0 ? channels : 0);
}

uint64_t DeclaredRawSize(const std::string& headerRecord) {
  int32_t channels = 0, samples = 0;
  for (const LayoutEntry& entry : QfxFormat().layout->header) {
    if (entry.index == kEntrySamples) samples = StrToIntDef(EntryValue(entry, headerRecord), 0);
    if (entry.index == kEntryChannels) channels = StrToIntDef(EntryValue(entry, headerRecord), 0);
  }
  return DeclaredRawSize(channels, samples);
}

void WriteLayoutGroup(const std::vector<LayoutEntry>& entries, const std::string& sourceRecord, bool headerPass,
                      ConversionContext& context, std::string& out) {
  const size_t block = out.size();
  out.resize(block + static_cast<size_t>(LayoutBlockSize(entries)), '\0');
  for (const LayoutEntry& entry : entries) {
    std::string value = EntryValue(entry, sourceRecord);
    if (headerPass) ApplyHeaderRule(entry.index, value, context);
    std::string bytes = EncodeFieldBytes(entry.kind, value);
    bytes.resize(static_cast<size_t>(entry.size), '\0');
    out.replace(block + static_cast<size_t>(entry.offset), bytes.size(), bytes);
  }
}

bool ConvertRawFile(const fs::path& fileName, const OutputFormat& format) {
  if (!format.layout) {
    CheckWholeRawFile(fileName);
    return true;
  }
  std::error_code ec;
  const fs::path target = fs::absolute(fileName, ec);
  if (ec || !IsFile(target)) return false;
  fs::path work = target;
  work.replace_extension(kWorkFileExtension);
  // A work file or link left there goes first; remove never follows a link.
  if (fs::exists(fs::symlink_status(work, ec)) && !fs::remove(work, ec)) return false;
  fs::rename(target, work, ec);
  if (ec) return false;

  NativeFile in, out;
  auto restore = [&] {
    std::error_code ignored;
    in.Close();
    fs::rename(work, target, ignored);
  };
  // The output only where the rename left the name free: nothing put there
  // since is written through.
  if (!in.OpenRead(work) || !out.CreateNew(target)) {
    restore();
    return false;
  }
  try {
    ConvertFile(in, out, *format.layout);
  } catch (...) {
    restore();
    throw;
  }
  in.Close();
  fs::remove(work, ec);
  return true;
}

bool ConvertRawFileTo(const fs::path& rawName, const fs::path& outName, const OutputFormat& format) {
  if (!format.layout || !IsFile(rawName)) return false;
  NativeFile in, out;
  if (!in.OpenRead(rawName) || !out.CreateReplacing(outName)) return false;
  ConvertFile(in, out, *format.layout);
  return true;
}

}  // namespace gt7p
