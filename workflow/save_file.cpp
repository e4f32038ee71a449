#include "workflow/save_file.h"

#include <filesystem>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/local_folders.h"
#include "base/output_file.h"
#include "base/text.h"
#include "link/link.h"
#include "records/records.h"

namespace gt7p {
namespace fs = std::filesystem;
namespace {

bool FileExists(const std::string& path) {
  std::error_code ec;
  const fs::file_status there = fs::symlink_status(PathFromText(path), ec);
  return fs::exists(there) && !fs::is_directory(there);
}

// The file's transfer and conversion; an existing file is replaced only by a
// complete one (see the header).
void SaveFile(FileSource& source, const std::string& caption, const std::string& path, const OutputFormat& format,
              bool exists) {
  static const std::string kCantCreate = Utf8ToCp936("无法创建文件！");
  if (!exists) {
    source.FetchRawFile(caption, path);
    ConvertRawFile(path, format);  // false: the raw file stays as it came
    return;
  }
  WriteBeside(path, [&](const std::string& part) {
    source.FetchRawFile(caption, part);
    if (!ConvertRawFile(part, format)) throw Error(kCantCreate);
  });
}

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
                                       Utf8ToCp936("终止保存")};
  return kTexts[static_cast<int>(outcome)];
}

std::string FileNameFromCaption(const std::string& caption) {
  return Trim(caption.substr(0, 8)) + (caption.size() > 8 ? caption.substr(8) : std::string());
}

std::string OutputPath(const std::string& destDir, const std::string& caption, const OutputFormat& format) {
  const std::string name =
      ChangeFileExt(SafeFileName(FileNameFromCaption(caption), NativeFileNameRules()), format.extension);
  return destDir.empty() ? name : WithTrailingDelimiter(destDir) + name;
}

bool LinkFileSource::OpenCommPort() { return link_.OpenCommPort(ui_, settings_.portName); }

void LinkFileSource::CloseCommPort() { link_.CloseCommPort(); }

void LinkFileSource::FetchRawFile(const std::string& caption, const std::string& path) {
  ExchangeWithInstrument(link_, ui_, settings_, caption, path, false);
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
  std::string dest = list.DestFolder(), destDir = dest;
  OverwriteChoice saveChoice = job.saveChoice;
  for (const RowId id : list.RowIds()) {
    if (list.StopRequested()) return;
    std::string caption;
    if (!list.SelectedFileRow(id, caption)) continue;
    if (dest.empty() || !FolderExists(dest)) {
      list.ChooseDestFolder();
      dest = list.DestFolder();
      if (dest.empty() || !FolderExists(dest)) return;
      destDir = dest;
    }
    destDir = WithTrailingDelimiter(destDir);
    list.ScrollToRow(id);
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
    saved.path = OutputPath(destDir, caption, *job.format);
    const bool exists = FileExists(saved.path);
    saveChoice = NextSaveChoice(saveChoice, exists,
                                [&] { return list.AskOverwrite(kOverwriteFile + saved.path, job.appTitle); });
    list.SetRowStatus(id, kSaving);
    list.SetWorking(true);
    saved.outcome = OutcomeOf(saveChoice, exists);
    if (saved.outcome == SaveOutcome::kStopped) list.SetStatusText(std::string());
    if (WritesFile(saved.outcome))
      SaveFile(source, caption, saved.path, *job.format, exists);
    list.SetRowStatus(id, SaveOutcomeText(saved.outcome));
    list.FileDone(id, saved);
    if (saved.outcome == SaveOutcome::kStopped) return;
  }
}

}  // namespace gt7p
