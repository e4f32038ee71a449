#include "workflow/main_window.h"

#include <filesystem>

#include "base/cp936.h"
#include "base/file_names.h"
#include "base/text.h"
#include "settings/settings.h"

namespace gt7p {

ProgramArguments ReadProgramArguments(const std::vector<std::string>& args) {
  ProgramArguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--simulate") {
      parsed.simulate = true;
    } else if (args[i] == "--port") {
      if (i + 1 < args.size()) parsed.ports.push_back(args[++i]);
    } else {
      parsed.params.push_back(args[i]);
    }
  }
  return parsed;
}

CommandLine ReadCommandLine(const std::vector<std::string>& params) {
  CommandLine line;
  line.AppTitle = Utf8ToCp936("PRX4470-2 数据文件提取软件");
  line.SelDirHint = Utf8ToCp936("指定目标文件夹");
  if (params.size() >= 1) {
    // Trim's blanks and control characters are single bytes in UTF-8 too.
    const std::string folder = Trim(params[0]);
    if (!folder.empty()) line.DestFolder = PathFromUtf8(folder) / "";
    line.SelDirHint = SelDirHint(line.DestFolder);
  }
  if (params.size() >= 2 && !Trim(params[1]).empty()) line.AppTitle = Utf8ToCp936(Trim(params[1]));
  line.esp = params.size() >= 3 && LowerCaseCp936(params[2]) == "esp";
  line.dontSelDir = params.size() >= 4 && LowerCaseCp936(params[3]) == "dontseldir";
  return line;
}

std::string SelDirHint(const std::filesystem::path& destFolder) {
  return Utf8ToCp936("指定目标文件夹：") + TextFromPath(destFolder);
}

std::string WindowCaption(const std::string& appTitle, const std::filesystem::path& destFolder,
                          const std::string& selDirHint) {
  if (destFolder.empty()) return appTitle;
  return appTitle + Utf8ToCp936("（") + selDirHint + Utf8ToCp936("）");
}

std::string StatusText(const std::string& text) { return Trim(text).empty() ? Utf8ToCp936("待命") : text; }

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

std::filesystem::path FindHelpFile(const std::filesystem::path& programFolder) {
  std::filesystem::path path = programFolder / "Help.chm";
  std::error_code ec;
  for (const char* ext : {".hlp", ".mht", ".htm"}) {
    if (std::filesystem::exists(path, ec)) return path;
    path.replace_extension(ext);
  }
  return std::filesystem::exists(path, ec) ? path : std::filesystem::path();
}

std::filesystem::path FindHelpFileIn(const std::vector<std::filesystem::path>& folders) {
  for (const std::filesystem::path& folder : folders) {
    if (folder.empty()) continue;
    std::filesystem::path path = FindHelpFile(folder);
    if (!path.empty()) return path;
  }
  return std::filesystem::path();
}

std::filesystem::path FolderCommandStart(const std::filesystem::path& destFolder,
                                         const std::filesystem::path& lastFolder,
                                         const std::filesystem::path& programFolder, bool programWritable,
                                         const std::filesystem::path& documentsFolder) {
  if (!destFolder.empty()) return destFolder;
  if (FolderExists(lastFolder)) return lastFolder;
  if (programWritable || documentsFolder.empty()) return programFolder / "";
  return documentsFolder / "";
}

std::filesystem::path NewFolderPath(const std::filesystem::path& parent) {
  const std::string name = "新建文件夹";
  for (int n = 1;; ++n) {
    const std::filesystem::path path =
        parent / std::filesystem::u8path(n == 1 ? name : name + " (" + std::to_string(n) + ")");
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return path;
  }
}

void RefreshUsbSerialDriver(const std::function<void(const std::string&)>& setStatusText) {
  if (!LoadNewDev()) return;
  const std::string refreshing = Utf8ToCp936("正在刷新设备。。。");
  setStatusText(refreshing);
  InstallAdapterDriver(0);
  setStatusText(refreshing + "1");
  InstallAdapterDriver(1);
  setStatusText(refreshing + "2");
  UnloadNewDev();
  setStatusText(refreshing + "3");
}

}  // namespace gt7p
