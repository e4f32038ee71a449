#include "link/exchange.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
#include "base/text.h"
#include "link/directory_reply.h"
#include "link/reply_file.h"
#include "records/records.h"

namespace gt7p {
namespace {

constexpr int32_t kShortChunk = 4, kShortTimeout = 1, kLongChunk = 32;

const char kVersionReply[] = "1020", kMemoryReply[] = "10";

// How a reply ends (link/reply_end.h): `chars` declared, or read from the
// head by `fromHead`; on the guard unless the operator wants full silences.
// Only a reply into a file needs the run-on bound: one in memory stops at
// 32 characters anyway. With the early end, whatever waits in the input
// queue before the command goes out is stale (digits an instrument sent
// after a reply that had ended) and is discarded; with full silences the
// line stays as it always was.
ReplyEnd EndOf(bool fullSilence, uint64_t chars, size_t headChars = 0,
               uint64_t (*fromHead)(const std::string&) = nullptr) {
  ReplyEnd end;
  end.discardStale = !fullSilence;
  end.chars = chars;
  end.headChars = headChars;
  end.fromHead = fromHead;
  end.guardMs = fullSilence ? 0 : kReplyGuardMs;
  end.runOnLimit = fromHead ? kRunOnLimit : 0;
  return end;
}

// A file reply: as long as the raw file its header (at 4 to 319) declares.
uint64_t FileReplyLength(const std::string& head) { return DeclaredRawSize(head.substr(4, kHeaderRecordChars)); }

// A handshake reply that came right after a reply ended early on its guard,
// with stray digits in front of the right text: the instrument was still
// sending when the command went out. The exchange is tried once more with
// full silences (WithRecovery).
struct StrayDigits {
  std::string message;
};

// The early end is in use: asked for, and not given up this session.
bool FullSilence(const InstrumentLink& link, bool fullSilence) { return fullSilence || link.FullSilencesKept(); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void ExpectReply(const InstrumentLink& link, const std::string& expected, bool fullSilence, bool afterEarlyEnd,
                 const std::string& message) {
  const std::string& reply = link.ReplyText();
  if (reply == expected) return;
  if (!fullSilence && afterEarlyEnd && EndsWith(reply, expected)) throw StrayDigits{message};
  throw Error(message);
}

void Handshake(InstrumentLink& link, InstrumentUi& ui, int32_t target, bool fullSilence) {
  bool afterEarlyEnd = link.EndedOnGuard();
  link.SendCommand(ui, "02", kShortChunk, kShortTimeout, nullptr, EndOf(fullSilence, 4));
  ExpectReply(link, kVersionReply, fullSilence, afterEarlyEnd, FailureText(Failure::kCardVersionError));
  afterEarlyEnd = link.EndedOnGuard();
  link.SendCommand(ui, target == 0 ? "00" : "01", kShortChunk, kShortTimeout, nullptr, EndOf(fullSilence, 2));
  ExpectReply(link, kMemoryReply, fullSilence, afterEarlyEnd, FailureText(Failure::kVersionError));
}

// Runs `exchange` (given whether to use full silences); on stray digits
// after an early end, once more with full silences, which the link then
// keeps for the rest of the session. With full silences a stray reply is
// an error like any wrong reply.
template <typename Exchange>
auto WithRecovery(InstrumentLink& link, bool fullSilence, Exchange exchange) -> decltype(exchange(true)) {
  try {
    return exchange(FullSilence(link, fullSilence));
  } catch (const StrayDigits&) {
    link.KeepFullSilences();
  }
  try {
    return exchange(true);
  } catch (const StrayDigits& stray) {
    throw Error(stray.message);  // not reached: full silences never recover
  }
}

// The cache file's own name in the first folder that takes it; where other
// runs hold them all, a name of this run's own ("GT7PCache.XXXXXXXX.tmp").
bool CreateCacheFile(const InstrumentLink& link, ReplyFile& cache) {
  for (const std::filesystem::path& folder : link.CacheFolders()) {
    if (!folder.empty() && cache.Create(folder / kCacheFileName)) return true;
  }
  for (const std::filesystem::path& folder : link.CacheFolders()) {
    if (!folder.empty() && cache.CreateUnique(folder / "GT7PCache.", ".tmp")) return true;
  }
  return false;
}

// Written to the system; a failed write (a full disk) fails the exchange.
void CheckWritten(ReplyFile& file) {
  if (!file.Flush()) throw WriteError(file.error());
}

}  // namespace

std::optional<InstrumentDirectory> ReadInstrumentDirectory(InstrumentLink& link, InstrumentUi& ui,
                                                           LinkSettings& settings) {
  static const std::string kExtracting = Utf8ToCp936("正在提取目录信息...");

  InstrumentDirectory directory;
  directory.settings = ui.ChooseCommSettings(settings);
  const CommSettings& chosen = directory.settings;
  if (chosen.portName.empty()) return std::nullopt;

  ReplyFile cache;
  if (!CreateCacheFile(link, cache)) throw FailureError(Failure::kNoBufferPool);
  struct CleanUp {
    InstrumentLink& link;
    ReplyFile& cache;
    ~CleanUp() {
      link.CloseCommPort();
      cache.Remove();  // this run's cache only, whatever stands at its name now
    }
  } cleanUp{link, cache};

  if (!link.OpenCommPort(ui, chosen.portName)) return std::nullopt;
  // Stray digits are met in the handshake only, before the cache is written.
  WithRecovery(link, chosen.fullSilence, [&](bool fullSilence) {
    Handshake(link, ui, chosen.commTarget, fullSilence);
    ui.SetStatusText(kExtracting);
    link.SendCommand(ui, "00", kLongChunk, chosen.receiveDelay, &cache,
                     EndOf(fullSilence, 0, kDirectoryPrefixChars, DirectoryReplyLength));
  });
  CheckWritten(cache);
  // The line went away mid-way: a directory cut short is none.
  if (link.LineGone()) throw FailureError(Failure::kNoDirectory);
  directory.entries = DirectoryEntryCount(cache);
  if (link.RanOn()) throw FailureError(Failure::kReplyTooLong);
  directory.headers = DirectoryHeaders(cache, directory.entries);
  return directory;
}

namespace {

// Part of a name from the last "." after the last "\\" or ":". Not
// ChangeFileExt's rule: a name from the instrument is no path, and "/" is
// a byte of it like any other.
size_t ExtensionStart(const std::string& name) {
  size_t dot = name.find_last_of('.');
  size_t delimiter = name.find_last_of("\\:");
  if (dot == std::string::npos || (delimiter != std::string::npos && dot < delimiter)) return name.size();
  return dot;
}

// A list caption: 8 name bytes, ".", 3 extension bytes, whatever bytes
// they are.
bool IsCaption(const std::string& name) { return name.size() == 12 && name[8] == '.'; }

std::string PaddedHex(const std::string& bytes, size_t digits) {
  std::string hex = BytesToHex(bytes);
  if (hex.size() < digits) hex.append(digits - hex.size(), '0');
  return hex;
}

void FetchFile(InstrumentLink& link, InstrumentUi& ui, const LinkSettings& settings, bool fullSilence,
               const std::string& fileName, const std::filesystem::path& destPath) {
  Handshake(link, ui, settings.commTarget, fullSilence);
  // Nobody looks at this reply: it may end on the guard once it has begun.
  link.SendCommand(ui, "01", kShortChunk, kShortTimeout, nullptr, EndOf(fullSilence, 1));
  const std::string command = FileNameCommand(fileName);

  ReplyFile file;  // closed on every way out
  if (!file.Create(destPath)) throw FailureError(Failure::kCantCreateFile);
  link.SendCommand(ui, command, kLongChunk, settings.receiveDelay, &file,
                   EndOf(fullSilence, 0, 4 + kHeaderRecordChars, FileReplyLength));
  CheckWritten(file);
  // The line went away mid-way: whatever came is not the whole file.
  if (link.LineGone()) throw FailureError(Failure::kIncompleteFile);
  if (link.RanOn()) throw FailureError(Failure::kReplyTooLong);

  file.Seek(0);
  const std::string status = file.Read(4);
  if (status.size() < 4 || status[0] != '1') throw Error();
  // Header at 4..319 and the 6 characters after it: the raw file wants the
  // 6 first.
  const std::string head = file.Read(kHeaderRecordChars + 6);
  if (head.size() == static_cast<size_t>(kHeaderRecordChars + 6)) {
    const std::string moved = head.substr(kHeaderRecordChars) + head.substr(0, kHeaderRecordChars);
    file.Seek(4);
    file.Write(moved.data(), moved.size());
  }
  if (!file.Close()) throw WriteError(file.error());
}

}  // namespace

const char kCacheFileName[] = "GT7PCache.tmp";

ProbeOutcome ProbeInstrument(InstrumentLink& link, InstrumentUi& ui, const std::string& portName) {
  if (!link.OpenCommPort(ui, portName)) return ProbeOutcome::kNotOpened;
  struct Close {
    InstrumentLink& link;
    ~Close() { link.CloseCommPort(); }
  } close{link};
  ReplyEnd end = EndOf(false, 4);
  end.silenceMs = kProbeSilenceMs;
  link.SendCommand(ui, "02", kShortChunk, kShortTimeout, nullptr, end);
  if (link.ReplyText() == kVersionReply) return ProbeOutcome::kInstrument;
  return link.ReplyText().empty() ? ProbeOutcome::kSilent : ProbeOutcome::kWrongReply;
}

std::string FileNameCommand(const std::string& fileName) {
  // A caption's parts stand at fixed places: a "." or "\\" inside the
  // extension ("AB      .D.T") is part of it, never where it starts.
  if (IsCaption(fileName)) return PaddedHex(Trim(fileName.substr(0, 8)), 16) + PaddedHex(Trim(fileName.substr(9)), 6);
  const size_t extStart = ExtensionStart(fileName);
  const std::string name = Trim(fileName.substr(0, extStart).substr(0, 8));
  const std::string ext = Trim(ReplaceAll(fileName.substr(extStart), ".", ""));
  return PaddedHex(name, 16) + PaddedHex(ext, 6);
}

void FetchInstrumentFile(InstrumentLink& link, InstrumentUi& ui, const LinkSettings& settings,
                         const std::string& fileName, const std::filesystem::path& destPath) {
  // Stray digits are met in the handshake only, before the file is made.
  WithRecovery(link, settings.fullSilence, [&](bool fullSilence) {
    FetchFile(link, ui, settings, fullSilence, fileName, destPath);
  });
}

}  // namespace gt7p
