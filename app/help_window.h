// The help in a window of the program's own, for where opening the help
// file shows nothing (no browser installed, or none that takes HTML): the
// manual in a text browser, with "用浏览器打开" to try the system's way again.
#pragma once

#include <QDialog>
#include <filesystem>

class QPushButton;
class QTextBrowser;

namespace gt7p {

class THelpWindow : public QDialog {
  Q_OBJECT
 public:
  // A window of its own over `owner`, deleted when closed.
  THelpWindow(const std::filesystem::path& file, QWidget* owner);

  QTextBrowser* txtHelp;
  QPushButton* btnBrowser;  // "用浏览器打开"
  QPushButton* btnClose;

 private:
  std::filesystem::path file_;
};

// Whether the help file can be shown in this window (a page of HTML).
bool ShownInHelpWindow(const std::filesystem::path& file);

// Whether the system has a program that opens the file's kind: a browser
// for a page (help_browser_posix.cpp, help_browser_win32.cpp).
bool SystemOpensHelpFile(const std::filesystem::path& file);

}  // namespace gt7p
