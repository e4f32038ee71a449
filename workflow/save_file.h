// SaveSelectedFiles, the save loop of the window and of gt7p-cli get: for
// every selected file row, the output path, the overwrite rule (SaveChoice),
// the transfer and conversion of one file, and the row's outcome.
//
// The loop runs on the caller's thread and blocks for each transfer (see
// link/exchange.h); the list and the window around it are reached through
// SaveList, the instrument through FileSource. Rows are addressed by their
// RowId, so a list re-sorted while a file is saved (the window lets input
// through during the transfer) gets each outcome in the right row.
//
// Names from the instrument are not trusted as paths: the file name is made
// safe for the file system (SafeFileName: no delimiter, no control
// character, on Windows no device name), so every file stays inside the
// destination folder, which is used as the path it is (one code page 936
// can't hold included). Every saved file is complete or absent: the
// transfer and the conversion work on a temporary file beside it
// (WriteBeside, base/output_file.h), which takes the final name only when
// both succeeded, and reaches the disk before it takes it (a power cut right
// after "保存完毕" can't leave an empty file under the name); after any
// failure (a cut line, an abort, a full disk, a name the instrument doesn't
// serve) the final name holds what it held before (nothing, or the old
// file) and the temporary file is gone. Errors
// of the transfer and the conversion go on as they come, after the file's
// clean-up; a conversion that can't run at all (ConvertRawFileTo false), or a
// complete file that can't take its place, gives Error "无法创建文件！".
//
// The name is taken without replacing anything unless replacing was chosen
// (the file existed and was to be overwritten, or SaveChoice is 1): a file
// that another save put there during the transfer is then met as an
// existing file, after the transfer: the choice is made again for it (the
// prompt; the sticky 2 skips it), and the transferred file is given up
// unless it is to overwrite.
//
// Two files of one run whose names map to one output file ("AB/.DAT" and
// "AB_.DAT"; "XY.DAT" and "XY.BAK"; on Windows also names that differ only
// in case): the later one is not saved and not asked about; its row shows
// "重名未保存" and the earlier file stays. Files of the same name (a name
// listed twice) are the same file and follow the overwrite rule.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/error.h"
#include "link/link.h"
#include "records/records.h"
#include "workflow/list_sort.h"

namespace gt7p {

// The Tag of the overwrite prompt's button that closed it, and SaveChoice.
enum OverwriteChoice : unsigned char {
  kStopSaving = 0,     // "终止通讯 &E": save nothing more
  kOverwriteAll = 1,   // "覆盖所有同名文件 &A": sticky
  kSkipAll = 2,        // "略过所有同名文件 &I": sticky; new files are still saved
  kOverwriteThis = 3,  // "覆盖当前文件 &W": this file only
  kSkipThis = 4,       // "略过当前文件 &C": this file only; also Esc, Enter and the close box
};

// SaveChoice for the next file: 1 and 2 stay; otherwise 3, or what `ask`
// (the overwrite prompt) answers when the file exists.
OverwriteChoice NextSaveChoice(OverwriteChoice saveChoice, bool exists,
                               const std::function<OverwriteChoice()>& ask);

enum class SaveOutcome { kSaved, kOverwritten, kSkipped, kStopped, kSameName };

// What SaveChoice does to a file: 0 stops; 1 and 3 save (overwritten when
// it exists); 2 skips a file that exists and saves one that doesn't; 4 skips.
SaveOutcome OutcomeOf(OverwriteChoice saveChoice, bool exists);

// Whether the outcome is a file written: saved or overwritten.
inline bool WritesFile(SaveOutcome outcome) {
  return outcome == SaveOutcome::kSaved || outcome == SaveOutcome::kOverwritten;
}

// "保存完毕", "覆盖完毕", "略过", "终止保存", "重名未保存".
std::string SaveOutcomeText(SaveOutcome outcome);

// The file name of a list caption ("ABC     .DAT"): its first 8 characters
// trimmed, then the rest from the ninth on.
std::string FileNameFromCaption(const std::string& caption);

// destDir, then the caption's safe file name with its extension replaced
// (or added) by the format's; a byte that code page 936 can't carry to the
// file system stands in it as "\xHH" (WithUnconvertibleShown), and the
// "\" of that follows the rule of every "\" (SafeFileName).
std::filesystem::path OutputPath(const std::filesystem::path& destDir, const std::string& caption,
                                 const OutputFormat& format);

struct SavedFile {
  std::filesystem::path path;
  SaveOutcome outcome = SaveOutcome::kSkipped;
  std::string sameNameAs;  // kSameName: the caption of the earlier file at `path`
};

// The files written in this run, by the row that wrote them (its RowId, so
// they stay with their rows when the list is re-sorted): what the window's
// "查看波形" opens. A row keeps the file of its latest save; a skipped or
// stopped row adds none. Fed by SaveList::FileDone.
class SavedRowFiles {
 public:
  void FileDone(RowId id, const SavedFile& saved) {
    if (WritesFile(saved.outcome)) paths_[id] = saved.path;
  }
  // The file the row wrote, or empty.
  std::filesystem::path PathOf(RowId id) const {
    const auto it = paths_.find(id);
    return it == paths_.end() ? std::filesystem::path() : it->second;
  }
  void Clear() { paths_.clear(); }

 private:
  std::map<RowId, std::filesystem::path> paths_;
};

// The instrument as the save loop uses it.
class FileSource {
 public:
  virtual ~FileSource() = default;
  // OpenCommPort with the stored port; false when it can't be opened (the
  // status line has said so).
  virtual bool OpenCommPort() = 0;
  virtual void CloseCommPort() = 0;  // harmless when nothing is open
  // The file a list caption names, fetched into `path` as a raw file.
  virtual void FetchRawFile(const std::string& caption, const std::filesystem::path& path) = 0;
};

// The instrument over the link: FetchInstrumentFile.
class LinkFileSource : public FileSource {
 public:
  LinkFileSource(InstrumentLink& link, InstrumentUi& ui, LinkSettings& settings)
      : link_(link), ui_(ui), settings_(settings) {}
  bool OpenCommPort() override;
  void CloseCommPort() override;
  void FetchRawFile(const std::string& caption, const std::filesystem::path& path) override;

 private:
  InstrumentLink& link_;
  InstrumentUi& ui_;
  LinkSettings& settings_;
};

// The file list and the window around the save loop.
class SaveList {
 public:
  virtual ~SaveList() = default;

  // The rows in list order, taken once when the loop starts.
  virtual std::vector<RowId> RowIds() const = 0;
  // True, with the row's caption, when the row is a selected file row (the
  // file image); false for any other row and for a row that is gone.
  virtual bool SelectedFileRow(RowId id, std::string& caption) const = 0;
  // The row's status cell.
  virtual void SetRowStatus(RowId id, const std::string& text) = 0;
  virtual void ScrollToRow(RowId) {}

  virtual std::filesystem::path DestFolder() const = 0;
  // The folder command, for a destination that is empty or gone.
  virtual void ChooseDestFolder() = 0;
  // The overwrite prompt with its message and caption.
  virtual OverwriteChoice AskOverwrite(const std::string& message, const std::string& caption) = 0;
  virtual void SetStatusText(const std::string& text) = 0;

  virtual void SetToolbarEnabled(bool) {}
  virtual void SetWorking(bool) {}                  // the activity display, while a file's turn lasts
  virtual bool StopRequested() const { return false; }  // before each row: the window is closing
  virtual void FileTurn(RowId) {}                   // a selected file row's turn, before its port opens
  virtual void PortNotOpened(RowId) {}              // the row is passed over
  virtual void FileDone(RowId, const SavedFile&) {}  // after its outcome is in the status cell
  // The row's transfer or conversion failed with `failure` (its work file
  // gone, the name holding what it held): true goes on with the next row,
  // false (the window's way) lets the failure end the loop.
  virtual bool GoOnAfter(RowId, const SavedFile&, const Error&) { return false; }
};

// Captions as the rows of a list, all selected file rows, in their order:
// the save loop for front ends without a list (gt7p-cli get). Outcomes go
// nowhere and no folder is asked for; the sticky choices 1 and 2 keep the
// prompt from being asked.
class CaptionRows : public SaveList {
 public:
  CaptionRows(std::vector<std::string> captions, std::filesystem::path destFolder)
      : captions_(std::move(captions)), destFolder_(std::move(destFolder)) {}
  std::vector<RowId> RowIds() const override;
  bool SelectedFileRow(RowId id, std::string& caption) const override;
  void SetRowStatus(RowId, const std::string&) override {}
  std::filesystem::path DestFolder() const override { return destFolder_; }
  void ChooseDestFolder() override {}
  OverwriteChoice AskOverwrite(const std::string&, const std::string&) override { return kSkipThis; }
  void SetStatusText(const std::string&) override {}
  const std::string& Caption(RowId id) const { return captions_.at(static_cast<size_t>(id)); }

 private:
  std::vector<std::string> captions_;
  std::filesystem::path destFolder_;
};

struct SaveJob {
  const OutputFormat* format = nullptr;   // the extension and the conversion
  std::string appTitle;                   // the prompt's caption
  OverwriteChoice saveChoice = kOverwriteThis;  // SaveChoice at the start
};

// SaveSelectedFiles. For each row in the order RowIds gives, when it is a
// selected file row: makes sure of the destination folder (the folder
// command once it is empty or gone; still none: the loop ends quietly);
// the row's turn (FileTurn); status "正在保存文件：CAPTION..."; opens the port (not opened: the row is
// passed over); with the toolbar disabled, applies SaveChoice (the prompt
// "覆盖文件：PATH" for an existing file; PATH as a code page 936 text, with
// "?" for what it can't hold), writes "正在保存" and then the outcome into
// the row, transferring and converting the file when it is saved (a file
// whose name maps to one saved earlier in the run: "重名未保存", see above); closes the port, enables the toolbar and restores the idle status
// in every case. A stop ends the loop after its row; an error ends it with
// the row showing "正在保存", unless GoOnAfter says to go on. An aborted link ends it the same way: Aborted
// from the transfer under way leaves through the file's clean-up (a work
// file removed, the port closed), and StopRequested ends it before the next
// row.
void SaveSelectedFiles(FileSource& source, SaveList& list, const SaveJob& job);

}  // namespace gt7p
