// The main window TfrmGT7P: state of the work flow, the toolbar commands,
// the file list, saving, the status line and the target indicator. It is
// the window side of the directory command and the instrument exchange
// (ListingUi, workflow/directory_list.h). A row that
// saved a file in this run offers "查看波形" in its context menu, which opens
// that file in the record viewer.
//
// Beyond the status panel, the status bar shows while a directory or a file
// comes in a progress bar (the share of the declared length) and its text
// (characters received, time left), and after a listing the port it used
// (found by auto-detection: which ports were tried, in its tool tip).
// During a save the text beside the bar is the batch's (which file of how
// many, the batch's characters and its time left, workflow/batch_progress.h),
// in the longest form that fits beside the status panel's text and dots,
// the full form in its tool tip when it had to be shortened. The
// communication settings are kept between runs (app/settings_store.h): the
// window starts with them and stores them after every listing.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/file_list.h"
#include "link/link.h"
#include "workflow/workflow.h"

class QLabel;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace gt7p {

class TFolderBrowser;

class TfrmGT7P : public QMainWindow, public ListingUi {
  Q_OBJECT
 public:
  // `params`: the four positional command-line parameters (UTF-8).
  // `extraPorts`: port entries offered before the machine's own (the
  // built-in simulator's).
  explicit TfrmGT7P(const std::vector<std::string>& params, std::vector<std::string> extraPorts = {});
  ~TfrmGT7P() override;

  // State of the work flow.
  std::filesystem::path DestFolder;
  std::string IdleStatusText;
  std::string AppTitle;
  LinkSettings Settings;  // PortName, CommTarget, ReceiveDelay, ColumnChoice, DefaultColumns
  ListSortState Sort;     // SortColumn, PrevSortColumn
  QPixmap DialogIcon;
  TFolderBrowser* PaintTarget = nullptr;
  std::filesystem::path BrowseStartFolder;
  std::string ApplicationTitle;  // set once at start: the error boxes' title

  // Controls.
  QWidget* cbr;
  QToolBar* tbr;
  QToolButton *tbnRefresh, *tbnUPDir, *tbnGetFile, *tbnSelAll, *tbnSelInv, *tbnSaveToESP, *tbnSaveToQFX,
      *tbnOrgData, *tbnSelDir, *tbnHelp;
  QAction* tbnSelDirSpr;
  FileListView* lvw;
  QLabel* stbPanel;  // panel 0 of the status bar
  QProgressBar* pbrTransfer;  // while a long reply comes in
  QLabel* lblTransfer;        // its characters and time left
  QLabel* lblPort;            // the port of the latest listing
  QWidget* pnlTray;
  QLabel *imgMac, *imgCard, *lblTray;
  QTimer *tmr, *tmrWorking;
  int tmrWorkingTag = 0;

  // Handlers.
  void tbnRefreshClick(QObject* sender);
  void lvwColumnClick(int column);
  void lvwResize() { lvw->FitColumns(); }
  void lvwContextMenu(const QPoint& pos);
  void stbHint();
  void tmrWorkingTimer();
  void tmrTimer();
  void cbrResize();
  void SaveSelectedFiles();
  std::filesystem::path BrowseForDestFolder(const std::filesystem::path& initialFolder);
  std::string ToolHint(QToolButton* button) const;

  // ListingUi.
  CommSettings ChooseCommSettings(LinkSettings& settings) override;
  void SetStatusText(const std::string& text) override;
  void ShowList(const DirectoryList& list) override;
  void FitColumns() override { lvwResize(); }
  void ShowTargetIndicator(bool isInstrument) override;
  void WaitForEnd(const std::shared_ptr<EndSignal>& end) override;

  // The save under way (its file count, turn and counts) and its text
  // beside the bar, fitted to the room the status bar leaves.
  BatchProgress Batch;
  void ShowBatch();

  InstrumentLink& Link() { return link_; }
  bool Busy() const { return busy_; }

  // Seams for tests: the error box, opening the help file, what the
  // settings dialog returns, and a list row's context menu (instead of
  // showing it).
  std::function<void(const std::string& message)> errorBoxHook;
  std::function<bool(const std::filesystem::path& path)> openFileHook;  // false: nothing opened it
  SettingsDialog settingsHook;
  std::function<void(QMenu& menu)> menuHook;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate(const std::vector<std::string>& params);
  QToolButton* AddButton(const char* name, int tag, int image, const char* hint, bool checkable = false);
  void AddSeparator();
  void ShowError(const std::string& message);
  void ChooseDestFolder();
  void OpenHelp();
  void SetSelDirHint(const std::string& hint);
  void UpdateCaption();
  void OpenViewer(const std::filesystem::path& path);
  void ShowProgress(const EndSignal& end, double seconds);
  void HideProgress();
  void ShowPort();
  // Runs a command that talks to the instrument: the error box for its
  // failure, and a close that was asked for meanwhile (which aborted the
  // link) once it is over.
  void RunCommand(const std::function<void()>& command);

  InstrumentLink link_;
  SavedRowFiles savedFiles_;
  std::vector<std::string> extraPorts_;
  TransferProgress progress_;
  std::string detectionReport_;  // of the latest auto-detection
  std::string currentHint_;
  bool saving_ = false;  // the text beside the bar is the batch's
  std::chrono::steady_clock::time_point batchStart_;
  bool busy_ = false;
  bool closePending_ = false;
  bool shownOnce_ = false;
  int trayRightGap_ = 10;
};

}  // namespace gt7p
