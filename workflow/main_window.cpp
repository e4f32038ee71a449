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
    line.DestFolder = Trim(params[0]);
    if (!line.DestFolder.empty()) line.DestFolder = WithTrailingDelimiter(line.DestFolder);
    line.SelDirHint = SelDirHint(line.DestFolder);
  }
  if (params.size() >= 2 && !Trim(params[1]).empty()) line.AppTitle = Trim(params[1]);
  line.esp = params.size() >= 3 && LowerCaseCp936(params[2]) == "esp";
  line.dontSelDir = params.size() >= 4 && LowerCaseCp936(params[3]) == "dontseldir";
  return line;
}

std::string SelDirHint(const std::string& destFolder) { return Utf8ToCp936("指定目标文件夹：") + destFolder; }

std::string WindowCaption(const std::string& appTitle, const std::string& destFolder, const std::string& selDirHint) {
  if (destFolder.empty()) return appTitle;
  return appTitle + Utf8ToCp936("（") + selDirHint + Utf8ToCp936("）");
}

std::string StatusText(const std::string& text) { return Trim(text).empty() ? Utf8ToCp936("待命") : text; }

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

std::string FindHelpFile(const std::string& programFolder) {
  std::string path = WithTrailingDelimiter(programFolder) + "Help.chm";
  for (const char* ext : {".hlp", ".mht", ".htm"}) {
    if (std::filesystem::exists(PathFromText(path))) return path;
    path = ChangeFileExt(path, ext);
  }
  return std::filesystem::exists(PathFromText(path)) ? path : std::string();
}

std::string FindHelpFileIn(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    std::string path = FindHelpFile(folder);
    if (!path.empty()) return path;
  }
  return std::string();
}

std::string FolderCommandStart(const std::string& destFolder, const std::string& programFolder) {
  return destFolder.empty() ? WithTrailingDelimiter(programFolder) : destFolder;
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
