#include "workflow/save_file.h"

#include <filesystem>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/local_folders.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "base/text.h"
#include "link/link.h"
#include "records/records.h"

namespace gt7p {
namespace fs = std::filesystem;
namespace {

bool FileExists(const fs::path& path) {
  std::error_code ec;
  const fs::file_status there = fs::symlink_status(path, ec);
  return fs::exists(there) && !fs::is_directory(there);
}

// The file's transfer and conversion, complete or not at all, on the disk
// before it counts as saved (see the header): fetched into a temporary file,
// converted into the output's temporary file, flushed, renamed. The raw
// format's output is the fetched file itself, checked whole. False when a
// file that appeared at `path` meanwhile was to stay (`replaceTaken` said so).
bool SaveFile(FileSource& source, const std::string& caption, const fs::path& path, const OutputFormat& format,
              const std::function<bool()>& replaceTaken) {
  BesideOptions options;
  options.replaceTaken = replaceTaken;
  options.flushToDisk = true;
  return WriteBeside(
      path,
      [&](const fs::path& part) {
        if (!format.layout) {
          source.FetchRawFile(caption, part);
          if (!ConvertRawFile(part, format)) throw FailureError(Failure::kCantCreateFile);
          return;
        }
        const TemporaryBeside raw(path);
        source.FetchRawFile(caption, raw.path());
        if (!ConvertRawFileTo(raw.path(), part, format)) throw FailureError(Failure::kCantCreateFile);
      },
      options);
}

// The files written in this run, by the caption they came from.
class WrittenFiles {
 public:
  void Add(const fs::path& path, const std::string& caption) { files_.push_back({path, caption}); }
  // The caption of another file already written at `path`'s file, or null.
  // Compared as files: one name in two spellings (case on Windows, a
  // link) is one file.
  const std::string* OtherAt(const fs::path& path, const std::string& caption) const {
    for (const auto& file : files_) {
      std::error_code ec;
      if (file.second != caption && fs::equivalent(file.first, path, ec)) return &file.second;
    }
    return nullptr;
  }

 private:
  std::vector<std::pair<fs::path, std::string>> files_;
};

}  // namespace

OverwriteChoice NextSaveChoice(OverwriteChoice saveChoice, bool exists,
                               const std::function<OverwriteChoice()>& ask) {
  if (saveChoice == kOverwriteAll || saveChoice == kSkipAll) return saveChoice;
  return exists ? ask() : kOverwriteThis;
}

SaveOutcome OutcomeOf(OverwriteChoice saveChoice, bool exists) {
  switch (saveChoice) {
    case kStopSaving:
      return SaveOutcome::kStopped;
    case kSkipAll:
      return exists ? SaveOutcome::kSkipped : SaveOutcome::kSaved;
    case kSkipThis:
      return SaveOutcome::kSkipped;
    default:
      return exists ? SaveOutcome::kOverwritten : SaveOutcome::kSaved;
  }
}

std::string SaveOutcomeText(SaveOutcome outcome) {
  static const std::string kTexts[] = {Utf8ToCp936("保存完毕"), Utf8ToCp936("覆盖完毕"), Utf8ToCp936("略过"),
                                       Utf8ToCp936("终止保存"), Utf8ToCp936("重名未保存")};
  return kTexts[static_cast<int>(outcome)];
}

std::string FileNameFromCaption(const std::string& caption) {
  return Trim(caption.substr(0, 8)) + (caption.size() > 8 ? caption.substr(8) : std::string());
}

fs::path OutputPath(const fs::path& destDir, const std::string& caption, const OutputFormat& format) {
  // A byte that no conversion carries stays in the name as "\xHH": "A\xFFB"
  // and "A\xA2B" are two files, as they are two names.
  const std::string name = ChangeFileExt(
      SafeFileName(WithUnconvertibleShown(FileNameFromCaption(caption)), NativeFileNameRules()), format.extension);
  return destDir / PathFromText(name);
}

bool LinkFileSource::OpenCommPort() { return link_.OpenCommPort(ui_, settings_.portName); }

void LinkFileSource::CloseCommPort() { link_.CloseCommPort(); }

void LinkFileSource::FetchRawFile(const std::string& caption, const fs::path& path) {
  FetchInstrumentFile(link_, ui_, settings_, caption, path);
}

std::vector<RowId> CaptionRows::RowIds() const {
  std::vector<RowId> ids;
  for (size_t i = 0; i < captions_.size(); ++i) ids.push_back(i);
  return ids;
}

bool CaptionRows::SelectedFileRow(RowId id, std::string& caption) const {
  if (id >= captions_.size()) return false;
  caption = Caption(id);
  return true;
}

void SaveSelectedFiles(FileSource& source, SaveList& list, const SaveJob& job) {
  static const std::string kSavingFile = Utf8ToCp936("正在保存文件："), kSaving = Utf8ToCp936("正在保存"),
                           kOverwriteFile = Utf8ToCp936("覆盖文件：");
  fs::path dest = list.DestFolder();
  OverwriteChoice saveChoice = job.saveChoice;
  WrittenFiles written;
  for (const RowId id : list.RowIds()) {
    if (list.StopRequested()) return;
    std::string caption;
    if (!list.SelectedFileRow(id, caption)) continue;
    if (dest.empty() || !FolderExists(dest)) {
      list.ChooseDestFolder();
      dest = list.DestFolder();
      if (dest.empty() || !FolderExists(dest)) return;
    }
    list.ScrollToRow(id);
    list.FileTurn(id);
    list.SetStatusText(kSavingFile + caption + "...");
    const bool connected = source.OpenCommPort();
    list.SetToolbarEnabled(false);
    struct CleanUp {
      FileSource& source;
      SaveList& list;
      ~CleanUp() {
        list.SetWorking(false);
        list.SetToolbarEnabled(true);
        source.CloseCommPort();
        list.SetStatusText(std::string());
      }
    } cleanUp{source, list};
    if (!connected) {
      list.PortNotOpened(id);
      continue;
    }
    SavedFile saved;
    saved.path = OutputPath(dest, caption, *job.format);
    const std::function<OverwriteChoice()> ask = [&] {
      return list.AskOverwrite(kOverwriteFile + TextFromPath(saved.path), job.appTitle);
    };
    const bool exists = FileExists(saved.path);
    const std::string* other = exists ? written.OtherAt(saved.path, caption) : nullptr;
    if (other) {
      // Saving it would lose the earlier file, asking would invite that.
      saved.outcome = SaveOutcome::kSameName;
      saved.sameNameAs = *other;
    } else {
      saveChoice = NextSaveChoice(saveChoice, exists, ask);
      saved.outcome = OutcomeOf(saveChoice, exists);
    }
    list.SetRowStatus(id, kSaving);
    list.SetWorking(true);
    if (saved.outcome == SaveOutcome::kStopped) list.SetStatusText(std::string());
    if (WritesFile(saved.outcome)) {
      // The name was free or its file was to go when the file's turn came;
      // a file that appears there during the transfer (another save into
      // the folder) is replaced only where replacing was chosen, else the
      // choice is made again for it.
      const bool replacing = saved.outcome == SaveOutcome::kOverwritten || saveChoice == kOverwriteAll;
      bool placed = false;
      try {
        placed = SaveFile(source, caption, saved.path, *job.format, [&] {
          if (!replacing) saveChoice = NextSaveChoice(saveChoice, true, ask);
          saved.outcome = replacing ? SaveOutcome::kOverwritten : OutcomeOf(saveChoice, true);
          return WritesFile(saved.outcome);
        });
      } catch (const Error& failure) {
        if (!list.GoOnAfter(id, saved, failure)) throw;
        continue;
      }
      if (placed) written.Add(saved.path, caption);
      if (saved.outcome == SaveOutcome::kStopped) list.SetStatusText(std::string());
    }
    list.SetRowStatus(id, SaveOutcomeText(saved.outcome));
    list.FileDone(id, saved);
    if (saved.outcome == SaveOutcome::kStopped) return;
  }
}

}  // namespace gt7p
