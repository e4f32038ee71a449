#include "workflow/save_file.h"

#include <filesystem>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/local_folders.h"
#include "base/text.h"
#include "link/exchange.h"
#include "records/converter.h"

namespace gt7p {
namespace fs = std::filesystem;

std::string FileNameFromCaption(const std::string& caption) {
  return Trim(caption.substr(0, 8)) + (caption.size() > 8 ? caption.substr(8) : std::string());
}

std::string OutputPath(const std::string& destDir, const std::string& caption, const OutputFormat& format) {
  const std::string name =
      ChangeFileExt(SafeFileName(FileNameFromCaption(caption), NativeFileNameRules()), format.extension);
  return destDir.empty() ? name : TextFromPath(PathFromText(destDir) / PathFromText(name));
}

std::string SaveOutcomeText(SaveOutcome outcome) {
  static const std::string kTexts[] = {Utf8ToCp936("保存完毕"), Utf8ToCp936("覆盖完毕"), Utf8ToCp936("略过"),
                                       Utf8ToCp936("终止保存")};
  return kTexts[static_cast<int>(outcome)];
}

SavedFile SaveOneFile(InstrumentLink& link, InstrumentUi& ui, LinkSettings& settings, const std::string& caption,
                      const std::string& destDir, const OutputFormat& format,
                      const std::function<SaveDecision(const std::string& path, bool exists)>& decide) {
  static const std::string kCantCreate = Utf8ToCp936("无法创建文件！");
  SavedFile saved;
  saved.path = OutputPath(destDir, caption, format);
  const fs::path target = PathFromText(saved.path);
  std::error_code ec;
  const fs::file_status there = fs::symlink_status(target, ec);
  const bool exists = fs::exists(there) && !fs::is_directory(there);

  switch (decide(saved.path, exists)) {
    case SaveDecision::kStop:
      saved.outcome = SaveOutcome::kStopped;
      return saved;
    case SaveDecision::kSkip:
      saved.outcome = SaveOutcome::kSkipped;
      return saved;
    case SaveDecision::kSave:
      break;
  }
  if (!exists) {
    ExchangeWithInstrument(link, ui, settings, caption, saved.path, false);
    ConvertRawFile(saved.path, format);  // false: the raw file stays as it came
    saved.outcome = SaveOutcome::kSaved;
    return saved;
  }

  const std::string part = saved.path + ".part";
  try {
    ExchangeWithInstrument(link, ui, settings, caption, part, false);
    if (!ConvertRawFile(part, format)) throw Error(kCantCreate);
    fs::rename(PathFromText(part), target, ec);
    if (ec) throw Error(kCantCreate);
  } catch (...) {
    fs::remove(PathFromText(part), ec);
    throw;
  }
  saved.outcome = SaveOutcome::kOverwritten;
  return saved;
}

}  // namespace gt7p
