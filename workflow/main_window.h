// The rules of the main window that need no window: what FormCreate takes
// from the command line, the caption, the status line's idle text, the
// error box's text, the help file, the folder command's start folder and
// the driver refresh. Texts are code page 936; folders and files are paths,
// shown in a text through TextFromPath.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace gt7p {

// The window program's arguments, the program's name left off:
//   gt7p [DEST [TITLE [esp [dontseldir]]]] [--simulate] [--port PATH]...
// The options may stand anywhere; the rest are the positional parameters,
// in order. A "--port" with nothing after it is dropped; its value is
// taken as it stands, even when it looks like an option.
struct ProgramArguments {
  std::vector<std::string> params;  // for ReadCommandLine
  bool simulate = false;            // --simulate: the built-in simulated instrument
  std::vector<std::string> ports;   // --port PATH, in the order given
};
ProgramArguments ReadProgramArguments(const std::vector<std::string>& args);

// What FormCreate takes from the four positional parameters, given as UTF-8
// (a parameter counts only when the command line has that many). The
// folder is taken as the path it names, every character kept.
struct CommandLine {
  std::filesystem::path DestFolder;  // parameter 1 trimmed, with a trailing delimiter; empty when blank
  std::string AppTitle;    // parameter 2 trimmed when not blank, else the default title
  std::string SelDirHint;  // tbnSelDir's hint: "指定目标文件夹", or with "：" and DestFolder
  bool esp = false;        // parameter 3 "esp" in any case: ESP is the output format
  bool dontSelDir = false; // parameter 4 "dontseldir" in any case: no folder button
};
CommandLine ReadCommandLine(const std::vector<std::string>& params);

// The hint of tbnSelDir once a folder is set: "指定目标文件夹：" + folder.
std::string SelDirHint(const std::filesystem::path& destFolder);

// UpdateCaption: AppTitle, and when DestFolder is not empty "（" hint "）".
std::string WindowCaption(const std::string& appTitle, const std::filesystem::path& destFolder,
                          const std::string& selDirHint);

// SetStatusText: a blank text gives the idle text "待命".
std::string StatusText(const std::string& text);

// The error box's text: a full stop appended when the message is not empty
// and its last byte sorts after "." (every Chinese message, not "x." or
// "x!").
std::string ErrorBoxText(const std::string& message);

// The help file in the program's folder: the first of Help.chm, Help.hlp,
// Help.mht and Help.htm that exists, or empty when there is none.
std::filesystem::path FindHelpFile(const std::filesystem::path& programFolder);

// The help file the help button opens: FindHelpFile in each of `folders`
// in turn (the program's folder first, then where a package puts the
// manual), the first folder that holds one deciding; empty names are
// skipped. Empty when none has one.
std::filesystem::path FindHelpFileIn(const std::vector<std::filesystem::path>& folders);

// Where the folder command opens the browser: DestFolder (the command
// line's, or the one chosen in this run) when it is set; else the folder
// chosen last, remembered between runs, while it is still a folder; else
// the program's folder when it can be written to; else the user's
// documents folder (an installed copy's folder is read-only), or the
// program's folder when that is unknown too. The program's and the
// documents folder end in a delimiter.
std::filesystem::path FolderCommandStart(const std::filesystem::path& destFolder,
                                         const std::filesystem::path& lastFolder,
                                         const std::filesystem::path& programFolder, bool programWritable,
                                         const std::filesystem::path& documentsFolder);

// The folder that the folder browser's "新建文件夹" makes in `parent`: the
// first of "新建文件夹", "新建文件夹 (2)", "新建文件夹 (3)" … that nothing
// stands at (a file counts too).
std::filesystem::path NewFolderPath(const std::filesystem::path& parent);

// Tag 2, RefreshUsbSerialDriver: when the installer binds, the two driver
// calls, with "正在刷新设备。。。" and its counts 1 to 3 as status texts;
// nothing at all when it doesn't. Errors of the calls go on.
void RefreshUsbSerialDriver(const std::function<void(const std::string&)>& setStatusText);

}  // namespace gt7p
