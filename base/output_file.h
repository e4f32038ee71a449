// Outputs that are complete or absent: every file the program writes for
// the user (a saved file, new or replacing an older one; every output of
// gt7p-cli) is written beside its place and renamed over it once complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "base/native_file.h"

namespace gt7p {

struct BesideOptions {
  // Null: whatever stands at the output's name when the complete file takes
  // it is replaced (gt7p-cli's outputs, which are told to). Otherwise the
  // name is taken only where nothing stands, and this is asked when
  // something does (a file that appeared while the output was written): true
  // replaces it; false gives the complete file up.
  std::function<bool()> replaceTaken;
  // The file is on the disk before it takes its name, and the name is on
  // the disk before WriteBeside returns (a file saved from the instrument,
  // which the operator may erase there next). Outputs whose input stays on
  // the disk go without.
  bool flushToDisk = false;
};

// Makes `out` complete or not at all. The temporary file is made in `out`'s
// folder under an unpredictable name that nothing stood at
// (NativeFile::CreateNew), so nothing planted there is written through:
// ".NAME.TAG-XXXXXXXX.part", or ".TAG-XXXXXXXX.part" where a long NAME
// leaves no room for it, the eight characters random. TAG (ProcessTag)
// names the process on this machine, so that a later run tells what a run
// that was killed left behind from a running one's files: before its first
// output in a folder, each process removes the temporary files there whose
// run has ended.
//
// `write` then makes the file at that path (the writers replace it with a
// file of their own making or write into it), and it takes `out`'s place
// only when `write` returned and the work was not aborted (AbortWork). When
// `write` throws, the temporary file is removed, `out` stays as it was and
// the exception goes on. No temporary file can be made, or the complete
// file can't take `out`'s place (a folder stands there): Error
// "无法创建文件！"; the file can't be flushed: WriteError. True when the file
// took its name; false when `options.replaceTaken` gave it up (nothing is
// left of it).
bool WriteBeside(const std::filesystem::path& out, const std::function<void(const std::filesystem::path& part)>& write,
                 const BesideOptions& options = BesideOptions());

// Tests: `hook` runs in place of flushing a complete file to the disk before
// it takes its name (BesideOptions::flushToDisk), with the temporary file's
// path; an error it returns fails the output as a failed flush does. An
// empty function restores the flush.
void SetFlushHookForTesting(std::function<std::error_code(const std::filesystem::path&)> hook);

// A temporary file beside `out`, named and cleaned up after a killed run as
// WriteBeside's own, for a writer's intermediate file (a save's raw file
// before its conversion); removed when this goes. Error "无法创建文件！"
// when none can be made.
class TemporaryBeside {
 public:
  explicit TemporaryBeside(const std::filesystem::path& out);
  ~TemporaryBeside();
  TemporaryBeside(const TemporaryBeside&) = delete;
  TemporaryBeside& operator=(const TemporaryBeside&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The file a writer of an output makes at `path` (WriteBeside's temporary
// file, replaced: NativeFile::CreateReplacing) and writes in pieces. Room
// for `expectedBytes` is reserved at once (ReserveFileSpace), as the
// converter reserves its output's. Throws Error "无法创建文件！" when the
// file can't be made, WriteError (with the system's reason) for a write, a
// seek or the close that fails. Left without Close (a failure part-way),
// the file is closed as it stands; WriteBeside removes it.
class OutputWriter {
 public:
  explicit OutputWriter(const std::filesystem::path& path, uint64_t expectedBytes = 0);
  void Write(const char* data, size_t size);
  void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
  void Seek(uint64_t position);
  void Close();

 private:
  NativeFile file_;
};

// This process on this machine, as temporary names carry it: its id and a
// hash of the machine's name, "4711-1A2B3C4D".
std::string ProcessTag();

// True only when `tag` is a ProcessTag of this machine whose process has
// ended. False for another machine's (a shared folder), for a running
// process (also one that took an ended run's id: its files then stay), and
// for text that is no tag.
bool ProcessTagEnded(const std::string& tag);

}  // namespace gt7p
