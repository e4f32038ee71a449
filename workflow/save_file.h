// Saving one file of the instrument's directory into a destination folder:
// the output name, the transfer, the conversion and the outcome.
//
// Names from the instrument are not trusted as paths: SafeFileName keeps
// every file inside the destination folder. An existing file is replaced
// only by a complete one: the transfer and conversion then work on a
// temporary file beside it ("NAME.part"), renamed over the old file only
// when both succeeded; on failure the old file stays and the temporary file
// is removed. Where no file existed, a failed transfer leaves what it
// received at the path (the conversion restores its input when it fails).
#pragma once

#include <functional>
#include <string>

#include "link/instrument_link.h"
#include "link/instrument_ui.h"
#include "records/formats.h"

namespace gt7p {

// The file name of a list caption ("ABC     .DAT"): its first 8 characters
// trimmed, then the rest from the ninth on.
std::string FileNameFromCaption(const std::string& caption);

// destDir / the caption's safe file name, its extension replaced (or added)
// by the format's.
std::string OutputPath(const std::string& destDir, const std::string& caption, const OutputFormat& format);

enum class SaveDecision { kSave, kSkip, kStop };
enum class SaveOutcome { kSaved, kOverwritten, kSkipped, kStopped };

// "保存完毕", "覆盖完毕", "略过", "终止保存".
std::string SaveOutcomeText(SaveOutcome outcome);

struct SavedFile {
  std::string path;
  SaveOutcome outcome = SaveOutcome::kSkipped;
};

// Saves the file that `caption` names, blocking for the transfer (see
// exchange.h); the port must be open. `decide` gets the output path and
// whether a file is there (the overwrite question); kSave transfers it
// (ExchangeWithInstrument in transfer mode over the open port) and converts
// it with ConvertRawFile. Errors of the transfer and conversion go on as
// they come. Replacing a file, a conversion that can't run at all (false)
// or a complete file that can't take the old one's place gives Error
// "无法创建文件！"; for a new file that result is not looked at.
SavedFile SaveOneFile(InstrumentLink& link, InstrumentUi& ui, LinkSettings& settings, const std::string& caption,
                      const std::string& destDir, const OutputFormat& format,
                      const std::function<SaveDecision(const std::string& path, bool exists)>& decide);

}  // namespace gt7p
