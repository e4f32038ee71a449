#include "base/output_file.h"

#include <mutex>
#include <set>
#include <string>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_space.h"
#include "base/local_folders.h"
#include "base/messages.h"
#include "base/native_file.h"
#include "base/text.h"

namespace gt7p {
namespace fs = std::filesystem;
namespace {

const char kPartSuffix[] = ".part";
constexpr size_t kRandomChars = 8, kHashDigits = 8;

// This machine's name, hashed (FNV-1a) to a fixed width: a name part.
const std::string& MachineHash() {
  static const std::string hash = [] {
    uint32_t h = 2166136261u;
    for (const char c : MachineName()) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return HexDigits(h, kHashDigits);
  }();
  return hash;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The TAG of a temporary file's name (".NAME.TAG-XXXXXXXX.part",
// ".TAG-XXXXXXXX.part"); empty for any other name.
std::string TagInName(const std::string& name) {
  if (name.empty() || name[0] != '.') return std::string();
  if (!EndsWith(name, kPartSuffix)) return std::string();
  const size_t end = name.size() - (sizeof kPartSuffix - 1);
  if (end < kRandomChars + 2) return std::string();
  const size_t random = end - kRandomChars;
  for (size_t i = random; i < end; ++i) {
    const char c = UpperAscii(name[i]);
    if (!(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z')) return std::string();
  }
  if (name[random - 1] != '-') return std::string();
  const size_t dot = name.rfind('.', random - 1);
  return name.substr(dot + 1, random - 1 - (dot + 1));
}

// What runs that have ended left in `dir`, removed once per folder and
// process: a run that is killed (or loses its power) can't clean up, and
// its files may be as large as a record.
void RemoveEndedRunsFiles(const fs::path& dir) {
  static std::mutex mutex;
  static std::set<fs::path> cleaned;
  std::error_code ec;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!cleaned.insert(fs::absolute(dir, ec)).second) return;
  }
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string tag = TagInName(Utf8FromPath(it->path().filename()));
    // Removed only where no running program holds it (a pid namespace of
    // its own can hide a live run's id).
    if (!tag.empty() && ProcessTagEnded(tag)) NativeFile::RemoveUnused(it->path());
  }
}

// A new temporary file beside `out`, closed again: the name is ours.
fs::path ReservePart(const fs::path& out) {
  const fs::path dir = out.parent_path().empty() ? fs::path(".") : out.parent_path();
  RemoveEndedRunsFiles(dir);
  const std::string tag = ProcessTag() + "-";
  // Joined as paths: a string would take a Windows name through the ANSI code page.
  fs::path stem = dir / ".";
  stem += out.filename();
  stem += "." + tag;
  NativeFile file;
  // A name near the file system's limit (255) leaves no room for the long
  // form: the short one then.
  if (!file.CreateUnique(stem, kPartSuffix) && !file.CreateUnique(dir / ("." + tag), kPartSuffix))
    throw FailureError(Failure::kCantCreateFile);
  return file.path();
}

std::function<std::error_code(const fs::path&)>& FlushHook() {
  static std::function<std::error_code(const fs::path&)> hook;
  return hook;
}

bool IsFolderAt(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(path, ec));
}

}  // namespace

OutputWriter::OutputWriter(const fs::path& path, uint64_t expectedBytes) {
  if (!file_.CreateReplacing(path)) throw FailureError(Failure::kCantCreateFile);
  if (expectedBytes > 0) ReserveFileSpace(path, expectedBytes);
}

void OutputWriter::Write(const char* data, size_t size) {
  if (!file_.Write(data, size)) throw WriteError(file_.error());
}

void OutputWriter::Seek(uint64_t position) {
  if (!file_.Seek(position)) throw WriteError(file_.error());
}

void OutputWriter::Close() {
  if (!file_.Close()) throw WriteError(file_.error());
}

std::string ProcessTag() { return std::to_string(ThisProcessId()) + "-" + MachineHash(); }

bool ProcessTagEnded(const std::string& tag) {
  const size_t dash = tag.find('-');
  if (dash == std::string::npos || dash == 0 || dash > 19 || tag.substr(dash + 1) != MachineHash()) return false;
  uint64_t id = 0;
  for (size_t i = 0; i < dash; ++i) {
    if (tag[i] < '0' || tag[i] > '9') return false;
    id = id * 10 + static_cast<uint64_t>(tag[i] - '0');
  }
  return id != ThisProcessId() && !ProcessRunning(id);
}

TemporaryBeside::TemporaryBeside(const fs::path& out) : path_(ReservePart(out)) {}

TemporaryBeside::~TemporaryBeside() {
  std::error_code ec;
  fs::remove(path_, ec);
}

void SetFlushHookForTesting(std::function<std::error_code(const fs::path&)> hook) { FlushHook() = std::move(hook); }

bool WriteBeside(const fs::path& out, const std::function<void(const fs::path& part)>& write,
                 const BesideOptions& options) {
  const fs::path part = ReservePart(out);
  auto removePart = [&part] {
    std::error_code ec;
    fs::remove(part, ec);
  };
  try {
    write(part);
    ThrowIfWorkAborted();
    if (options.flushToDisk) {
      const std::error_code flushed = FlushHook() ? FlushHook()(part) : NativeFile::FlushToDisk(part);
      if (flushed) throw WriteError(flushed);
    }
  } catch (...) {
    removePart();
    throw;
  }
  const bool replace = !options.replaceTaken;
  std::error_code ec = NativeFile::Rename(part, out, replace, options.flushToDisk);
  if (!replace && ec == std::errc::file_exists && !IsFolderAt(out)) {
    bool replaceTaken = false;
    try {
      replaceTaken = options.replaceTaken();
    } catch (...) {
      removePart();
      throw;
    }
    if (!replaceTaken) {
      removePart();
      return false;
    }
    ec = NativeFile::Rename(part, out, true, options.flushToDisk);
  }
  if (ec) {
    removePart();
    throw FailureError(Failure::kCantCreateFile);
  }
  return true;
}

}  // namespace gt7p
