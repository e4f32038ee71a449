#include "app/frm_gt7p.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QSizeGrip>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>
#include <filesystem>

#include "app/about_box.h"
#include "app/folder_browser.h"
#include "app/frm_ow.h"
#include "app/help_window.h"
#include "app/images.h"
#include "app/settings_store.h"
#include "ui/ui.h"
#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/local_folders.h"
#include "base/text.h"
#include "app/frm_setting.h"
#include "settings/settings.h"
#include "viewer/window/frm_view.h"
#include "workflow/workflow.h"

namespace gt7p {
namespace {

constexpr int kControlBarHeight = 26;
constexpr int kTrayLeft = 330;

}  // namespace

TfrmGT7P::TfrmGT7P(const std::vector<std::string>& params, std::vector<std::string> extraPorts)
    : extraPorts_(std::move(extraPorts)) {
  setObjectName("frmGT7P");
  setFont(SongFont(12));
  resize(563, 288);

  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  cbr = new QWidget(client);
  cbr->setObjectName("cbr");
  cbr->setFixedHeight(kControlBarHeight);
  tbr = new QToolBar(cbr);
  tbr->setObjectName("tbr");
  tbr->setMovable(false);
  tbr->setFloatable(false);
  tbr->setIconSize(QSize(16, 16));
  tbr->setToolButtonStyle(Qt::ToolButtonIconOnly);
  tbr->setStyleSheet("QToolBar { border: 0px; spacing: 0px; }");
  tbr->move(11, 2);

  tbnRefresh = AddButton("tbnRefresh", 1, 0, "取目录信息");
  tbnUPDir = AddButton("tbnUPDir", 2, 13, "设置通讯参数");
  AddSeparator();  // ToolButton2
  tbnGetFile = AddButton("tbnGetFile", 3, 11, "保存所选的文件");
  AddSeparator();  // ToolButton1
  tbnSelAll = AddButton("tbnSelAll", 5, 3, "全选");
  tbnSelInv = AddButton("tbnSelInv", 6, 4, "反选");
  AddSeparator();  // ToolButton4
  tbnSaveToESP = AddButton("tbnSaveToESP", 0, 9, "存为超前探格式文件（ESP格式）", true);
  tbnSaveToQFX = AddButton("tbnSaveToQFX", 0, 10, "存为旧格式文件（QFX格式）", true);
  tbnOrgData = AddButton("tbnOrgData", 0, 8, "存为通讯格式文件（T7P格式）", true);
  auto* separator = new QWidget(tbr);
  separator->setFixedWidth(8);
  tbnSelDirSpr = tbr->addWidget(separator);
  tbnSelDir = AddButton("tbnSelDir", 4, 6, "指定目标文件夹");
  AddSeparator();  // ToolButton5
  tbnHelp = AddButton("tbnHelp", 7, 12, nullptr);
  tbr->adjustSize();
  // Exactly one format is down; pressing the one that is down keeps it down.
  auto* formats = new QButtonGroup(this);
  formats->setExclusive(true);
  for (QToolButton* b : {tbnSaveToESP, tbnSaveToQFX, tbnOrgData}) formats->addButton(b);

  pnlTray = new QWidget(cbr);
  pnlTray->setObjectName("pnlTray");
  imgMac = new QLabel(pnlTray);
  imgMac->setObjectName("imgMac");
  imgMac->setGeometry(0, 0, 48, 48);
  imgMac->setPixmap(InstrumentPicture());
  imgMac->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  imgCard = new QLabel(pnlTray);
  imgCard->setObjectName("imgCard");
  imgCard->setScaledContents(true);
  imgCard->setPixmap(CardPicture());
  lblTray = new QLabel(pnlTray);
  lblTray->setObjectName("lblTray");
  lblTray->setAttribute(Qt::WA_TranslucentBackground);
  lblTray->move(40, 5);
  cbr->installEventFilter(this);

  lvw = new FileListView(client);
  lvw->setObjectName("lvw");
  lvw->listModel()->SetImages(ImageList());
  connect(lvw->header(), &QHeaderView::sectionClicked, this, &TfrmGT7P::lvwColumnClick);
  connect(lvw, &FileListView::resized, this, &TfrmGT7P::lvwResize);
  lvw->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lvw, &QWidget::customContextMenuRequested, this, &TfrmGT7P::lvwContextMenu);
  connect(lvw, &FileListView::backspaceReleased, this, [this] {
    // The Tag 2 command, as a click on its button; not while an exchange runs.
    if (!busy_) tbnRefreshClick(tbnUPDir);
  });

  layout->addWidget(cbr);
  layout->addWidget(lvw, 1);
  setCentralWidget(client);

  stbPanel = new QLabel(this);
  stbPanel->setObjectName("stbPanel");
  stbPanel->setTextFormat(Qt::PlainText);
  statusBar()->setObjectName("stb");
  statusBar()->addWidget(stbPanel, 1);
  lblTransfer = new QLabel(this);
  lblTransfer->setObjectName("lblTransfer");
  lblTransfer->setTextFormat(Qt::PlainText);
  pbrTransfer = new QProgressBar(this);
  pbrTransfer->setObjectName("pbrTransfer");
  pbrTransfer->setRange(0, 100);
  // Narrow enough that the batch's whole text fits beside it and the status
  // panel's text at the window's first width.
  pbrTransfer->setFixedWidth(60);
  pbrTransfer->setMaximumHeight(16);
  lblPort = new QLabel(this);
  lblPort->setObjectName("lblPort");
  lblPort->setTextFormat(Qt::PlainText);
  statusBar()->addPermanentWidget(lblTransfer);
  statusBar()->addPermanentWidget(pbrTransfer);
  statusBar()->addPermanentWidget(lblPort);
  HideProgress();
  lblPort->hide();
  statusBar()->setSizeGripEnabled(true);
  OfferAboutBox(this, {cbr, statusBar()});

  tmr = new QTimer(this);
  tmr->setInterval(100);
  connect(tmr, &QTimer::timeout, this, &TfrmGT7P::tmrTimer);
  tmrWorking = new QTimer(this);
  tmrWorking->setInterval(1000);
  connect(tmrWorking, &QTimer::timeout, this, &TfrmGT7P::tmrWorkingTimer);

  FormCreate(params);
  // Narrowed further, the target indicator (anchored to the right edge)
  // would slide over the toolbar and take its clicks.
  setMinimumWidth(tbr->x() + tbr->sizeHint().width() + pnlTray->width() + trayRightGap_);
  // An error of the dialog's driver button shows in this window's error box.
  SetSettingErrorReporter([this](const std::string& message) { ShowError(message); });
}

TfrmGT7P::~TfrmGT7P() {
  SetSettingErrorReporter(nullptr);
  link_.CloseCommPort();
}

QToolButton* TfrmGT7P::AddButton(const char* name, int tag, int image, const char* hint, bool checkable) {
  auto* button = new QToolButton(tbr);
  button->setObjectName(name);
  button->setProperty("Tag", tag);
  button->setIcon(ImageList()[static_cast<size_t>(image)]);
  button->setAutoRaise(true);
  button->setCheckable(checkable);
  if (hint) {
    button->setProperty("Hint", QString::fromUtf8(hint));
    button->setToolTip(QString::fromUtf8(hint));
  }
  button->installEventFilter(this);
  tbr->addWidget(button);
  if (tag > 0) connect(button, &QToolButton::clicked, this, [this, button] { tbnRefreshClick(button); });
  return button;
}

void TfrmGT7P::AddSeparator() {
  auto* separator = new QWidget(tbr);
  separator->setFixedWidth(8);
  tbr->addWidget(separator);
}

std::string TfrmGT7P::ToolHint(QToolButton* button) const { return ToCore(button->property("Hint").toString()); }

void TfrmGT7P::FormCreate(const std::vector<std::string>& params) {
  // 1, 2
  tbnSaveToESP->setEnabled(false);
  tbnOrgData->setEnabled(false);
  for (QAction* a : tbr->actions())
    if (tbr->widgetForAction(a) == tbnUPDir) a->setVisible(false);
  tbnSaveToQFX->setChecked(true);

  // 3: a parameter counts only when the command line has that many.
  const CommandLine line = ReadCommandLine(params);
  DestFolder = line.DestFolder;
  AppTitle = line.AppTitle;
  if (line.esp) {
    tbnSaveToESP->setChecked(true);
    tbnSaveToQFX->setChecked(false);
  }
  if (line.dontSelDir) {
    tbnSelDirSpr->setVisible(false);
    for (QAction* a : tbr->actions())
      if (tbr->widgetForAction(a) == tbnSelDir) a->setVisible(false);
  }
  SetSelDirHint(line.SelDirHint);

  // 4: the communication settings of the last run, where they are sound.
  Settings = RestoreLinkSettings(LoadStoredSettings());
  Sort = ListSortState();
  IdleStatusText = StatusText(std::string());

  // 5: the application title is fixed here; later captions don't change it.
  UpdateCaption();
  ApplicationTitle = ToCore(windowTitle());

  // 6
  PaintTarget = nullptr;
  DialogIcon = QPixmap(22, 22);
  DialogIcon.fill(palette().color(QPalette::Window));
  {
    QPainter painter(&DialogIcon);
    painter.drawPixmap(0, 0, ImageListPixmap(7, 16));
  }

  // 7: the target indicator stays hidden until a directory was read.
  pnlTray->hide();
  pnlTray->setGeometry(kTrayLeft, 1, frameGeometry().width() - kTrayLeft - 10, cbr->height() - 2);
  trayRightGap_ = width() - pnlTray->geometry().right() - 1;
  imgCard->setGeometry(imgMac->geometry());
  imgMac->show();
  imgCard->hide();
  QPalette blue = lblTray->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  lblTray->setPalette(blue);
  lblTray->setText(QString::fromUtf8("仪器"));
  stbHint();
}

void TfrmGT7P::SetSelDirHint(const std::string& hint) {
  tbnSelDir->setProperty("Hint", FromCore(hint));
  tbnSelDir->setToolTip(FromCore(hint));
}

void TfrmGT7P::UpdateCaption() { setWindowTitle(FromCore(WindowCaption(AppTitle, DestFolder, ToolHint(tbnSelDir)))); }

void TfrmGT7P::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // Centred on the desktop when first shown, and on it whole.
  CentreOnScreen(*this);
}

void TfrmGT7P::ShowTargetIndicator(bool isInstrument) {
  pnlTray->show();
  imgMac->setVisible(isInstrument);
  imgCard->setVisible(!isInstrument);
  lblTray->setText(QString::fromUtf8(isInstrument ? "仪器目录" : "存储卡目录"));
  lblTray->adjustSize();
}

// ---- commands ----

void TfrmGT7P::tbnRefreshClick(QObject* sender) {
  switch (sender->property("Tag").toInt()) {
    case 1:
      RunCommand([this] {
        cbr->setEnabled(false);
        struct Enable {
          QWidget* bar;
          ~Enable() { bar->setEnabled(true); }
        } enableAgain{cbr};
        ListDirectory(link_, *this, Settings);
        // Whatever the listing stored (nothing changes when it ended quietly).
        SaveStoredSettings(StoreLinkSettings(Settings));
        ShowPort();
      });
      break;
    case 2:
      RefreshUsbSerialDriver([this](const std::string& text) { SetStatusText(text); });
      break;
    case 3:
      RunCommand([this] { SaveSelectedFiles(); });
      break;
    case 4:
      ChooseDestFolder();
      break;
    case 5:
      lvw->selectAll();
      break;
    case 6:
      if (lvw->listModel()->RowCount() > 0) {
        QItemSelection all(lvw->listModel()->index(0, 0),
                           lvw->listModel()->index(lvw->listModel()->RowCount() - 1, 0));
        lvw->selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
      }
      break;
    case 7:
      OpenHelp();
      break;
    default:
      break;
  }
}

void TfrmGT7P::RunCommand(const std::function<void()>& command) {
  if (busy_) return;
  busy_ = true;
  std::string failure;
  bool failed = false;
  try {
    command();
  } catch (const Error& e) {
    failed = true;
    failure = e.message();
  } catch (const std::exception& e) {
    failed = true;
    failure = Utf8ToCp936(e.what());
  }
  busy_ = false;
  HideProgress();
  if (closePending_) {
    // The window was closed meanwhile: no box, just finish closing.
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  if (failed) ShowError(failure);
}

void TfrmGT7P::ShowError(const std::string& message) {
  const std::string text = ErrorBoxText(message);
  if (errorBoxHook) return errorBoxHook(text);
  QMessageBox box(QMessageBox::Critical, FromCore(ApplicationTitle), FromCore(text), QMessageBox::Ok, this);
  box.exec();
}

void TfrmGT7P::ChooseDestFolder() {
  const std::filesystem::path program = ProgramFolder();
  const std::filesystem::path chosen = BrowseForDestFolder(
      FolderCommandStart(DestFolder, LoadLastFolder(), program, FolderWritable(program),
                         ToPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))));
  if (!FolderExists(chosen)) return;
  SaveLastFolder(chosen);
  DestFolder = chosen;
  SetSelDirHint(SelDirHint(DestFolder));
  UpdateCaption();
}

std::filesystem::path TfrmGT7P::BrowseForDestFolder(const std::filesystem::path& initialFolder) {
  BrowseStartFolder = initialFolder;
  TFolderBrowser browser(this);
  connect(&browser, &TFolderBrowser::initialized, this, [this, &browser] {
    if (BrowseStartFolder.empty()) return;
    browser.SelectFolder(FromPath(BrowseStartFolder));
    PlaceWindowOnMonitor(&browser, this);
    browser.lblTitle->move(40, 10);
    PaintTarget = &browser;
  });
  tmr->start();
  PaintTarget = nullptr;
  const bool chosen = browser.exec() == QDialog::Accepted;
  tmr->stop();
  PaintTarget = nullptr;
  return chosen ? ToPath(browser.SelectedPath()) : std::filesystem::path();
}

void TfrmGT7P::OpenHelp() {
  const std::filesystem::path path = FindHelpFileIn({ProgramFolder(), InstalledDataFolder()});
  if (path.empty()) return;
  const bool opened = openFileHook ? openFileHook(path)
                                   : SystemOpensHelpFile(path) &&
                                         QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(path)));
  // Where nothing would show, the page in a window of the program's own.
  if (!opened && ShownInHelpWindow(path)) (new THelpWindow(path, this))->show();
}

// ---- saving ----

void TfrmGT7P::SaveSelectedFiles() {
  // The list and the window as the save loop sees them; rows by identity.
  class WindowRows : public SaveList {
   public:
    explicit WindowRows(TfrmGT7P& w) : w_(w), model_(*w.lvw->listModel()) {}
    std::vector<RowId> RowIds() const override { return model_.RowIds(); }
    bool SelectedFileRow(RowId id, std::string& caption) const override {
      const int row = model_.RowOf(id);
      if (row < 0 || model_.Row(row).imageIndex != kFileImage ||
          !w_.lvw->selectionModel()->isRowSelected(row, QModelIndex()))
        return false;
      caption = model_.Row(row).caption;
      return true;
    }
    void SetRowStatus(RowId id, const std::string& text) override {
      const int row = model_.RowOf(id);
      if (row >= 0) model_.SetSubItem(row, 0, text);
    }
    void ScrollToRow(RowId id) override {
      const int row = model_.RowOf(id);
      if (row >= 0) w_.lvw->scrollTo(model_.index(row, 0));
    }
    std::filesystem::path DestFolder() const override { return w_.DestFolder; }
    void ChooseDestFolder() override { w_.tbnRefreshClick(w_.tbnSelDir); }
    OverwriteChoice AskOverwrite(const std::string& message, const std::string& caption) override {
      return gt7p::AskOverwrite(message, caption);
    }
    void SetStatusText(const std::string& text) override { w_.SetStatusText(text); }
    void SetToolbarEnabled(bool enabled) override { w_.cbr->setEnabled(enabled); }
    void SetWorking(bool working) override {
      if (working)
        w_.tmrWorking->start();
      else
        w_.tmrWorking->stop();
    }
    bool StopRequested() const override { return w_.closePending_; }
    void FileTurn(RowId) override {
      w_.Batch.FileDone();  // the previous row's, also when it ended before its outcome
      w_.Batch.FileTurn();
      w_.ShowBatch();
    }
    void FileDone(RowId id, const SavedFile& saved) override {
      w_.savedFiles_.FileDone(id, saved);
      w_.Batch.FileDone();
    }

   private:
    TfrmGT7P& w_;
    FileListModel& model_;
  } rows(*this);
  LinkFileSource source(link_, *this, Settings);
  SaveJob job;
  job.format = tbnOrgData->isChecked() ? &RawFormat() : tbnSaveToESP->isChecked() ? &EspFormat() : &QfxFormat();
  job.appTitle = AppTitle;
  size_t files = 0;
  std::string caption;
  for (const RowId id : rows.RowIds())
    if (rows.SelectedFileRow(id, caption)) ++files;
  batchStart_ = std::chrono::steady_clock::now();
  Batch.Begin(files, 0);
  saving_ = true;
  lblPort->hide();  // its room goes to the batch while it lasts
  struct EndBatch {
    TfrmGT7P& w;
    ~EndBatch() {
      w.saving_ = false;
      if (!w.Settings.portName.empty() && !w.lblPort->text().isEmpty()) w.lblPort->show();
    }
  } endBatch{*this};
  gt7p::SaveSelectedFiles(source, rows, job);
}

// ---- list ----

void TfrmGT7P::ShowList(const DirectoryList& list) {
  FileListModel* model = lvw->listModel();
  model->Clear();
  savedFiles_.Clear();
  // A directory without a file says so rather than leaving a blank list.
  lvw->SetEmptyText(list.rows.empty() ? QString::fromUtf8("目录中没有数据文件") : QString());
  for (const std::string& caption : ListColumns(list)) model->AddColumn(caption);
  for (size_t r = 0; r < list.rows.size(); ++r) {
    const std::vector<std::string> cells = ListCells(list, r);
    model->AddRow(cells.front(), kFileImage);
    for (size_t c = 1; c < cells.size(); ++c) model->AppendSubItem(cells[c]);
  }
}

void TfrmGT7P::lvwColumnClick(int column) {
  FileListModel* model = lvw->listModel();
  const ListSortState::Click click = Sort.ColumnClick(column, model->Columns());
  if (click.column < 0) return;
  model->Sort(click.column, click.tag, click.numeric);
  model->CaptionsChanged(click.changed);
  for (int changed : click.changed) lvw->FitColumn(changed);
}

void TfrmGT7P::lvwContextMenu(const QPoint& pos) {
  const QModelIndex index = lvw->indexAt(pos);
  if (!index.isValid()) return;
  const std::filesystem::path path = savedFiles_.PathOf(lvw->listModel()->Row(index.row()).id);
  if (path.empty()) return;
  QMenu menu(lvw);
  connect(menu.addAction(QString::fromUtf8("查看波形")), &QAction::triggered, this, [this, path] { OpenViewer(path); });
  if (menuHook) return menuHook(menu);
  menu.exec(lvw->viewport()->mapToGlobal(pos));
}

// A viewer window of its own per file, closed with this window; a file it
// can't read (gone since it was saved) gets this window's error box instead.
void TfrmGT7P::OpenViewer(const std::filesystem::path& path) {
  auto* view = new TfrmView(this);
  view->setWindowFlag(Qt::Window);
  view->setAttribute(Qt::WA_DeleteOnClose);
  view->errorBoxHook = [this](const std::string& message) { ShowError(message); };
  if (!view->OpenFile(path)) {
    delete view;
    return;
  }
  view->errorBoxHook = nullptr;  // later drops report in the viewer's own box
  view->show();
}

// ---- status line ----

void TfrmGT7P::SetStatusText(const std::string& text) {
  IdleStatusText = StatusText(text);
  stbHint();
  // Lets pending window messages run once, so the text is painted.
  QCoreApplication::processEvents();
}

void TfrmGT7P::stbHint() {
  std::string s = currentHint_.empty() ? IdleStatusText : currentHint_;
  stbPanel->setText(FromCore("   " + s));
}

void TfrmGT7P::tmrWorkingTimer() {
  tmrWorkingTag = (tmrWorkingTag + 1) % 5;
  stbPanel->setText(QString("   ") + QString::fromUtf8("●●●●●").left(tmrWorkingTag + 1));
}

void TfrmGT7P::tmrTimer() {
  if (PaintTarget) PaintTarget->PaintPicture(DialogIcon);
}

void TfrmGT7P::cbrResize() {
  tbr->resize(cbr->width(), tbr->height());
  // The tray is anchored to the top and right edges.
  pnlTray->move(cbr->width() - trayRightGap_ - pnlTray->width(), pnlTray->y());
}

bool TfrmGT7P::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cbr && event->type() == QEvent::Resize) {
    cbrResize();
  } else if (auto* button = qobject_cast<QToolButton*>(watched)) {
    if (event->type() == QEvent::Enter) {
      currentHint_ = ToolHint(button);
      stbHint();
    } else if (event->type() == QEvent::Leave) {
      currentHint_.clear();
      stbHint();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- the exchange's window side ----

CommSettings TfrmGT7P::ChooseCommSettings(LinkSettings& settings) {
  CommSettings chosen;
  if (settingsHook) {
    chosen = gt7p::ChooseCommSettings(settings, settingsHook);
  } else {
    const std::vector<std::string> extra = extraPorts_;
    chosen = gt7p::ChooseCommSettings(
        settings, [this, &extra](LineSettings& shown, const std::string& defaultColumns) {
          return gt7p::EditCommSettings(
              shown, defaultColumns, [extra] { return WithAutoDetectEntry(OfferedPorts(extra, ListSerialPorts())); },
              this);
        });
  }
  // "自动检测": the ports the dialog offers, in its order (the machine's
  // ports read only then).
  std::vector<std::string> candidates;
  if (chosen.portName == AutoDetectPortName())
    candidates = DetectionCandidates({}, OfferedPorts(extraPorts_, ListSerialPorts()));
  PortDetection detection;
  chosen = ResolveAutoDetect(chosen, link_, *this, candidates, &detection);
  if (chosen.autoDetectPort) detectionReport_ = DetectionReport(detection);
  return chosen;
}

void TfrmGT7P::ShowPort() {
  if (Settings.portName.empty()) return;
  lblPort->setText(FromCore(Settings.portName + (Settings.autoDetectPort ? Utf8ToCp936("（自动检测）") : "")));
  lblPort->setToolTip(Settings.autoDetectPort ? FromCore(Utf8ToCp936("已试：") + detectionReport_) : QString());
  lblPort->show();
}

void TfrmGT7P::ShowProgress(const EndSignal& end, double seconds) {
  progress_.Update(end.Received(), end.Declared(), seconds);
  pbrTransfer->setValue(std::max(progress_.Percent(), 0));
  pbrTransfer->show();
  if (saving_) {
    Batch.Update(end.Received(), end.Declared(),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - batchStart_).count());
    return ShowBatch();
  }
  lblTransfer->setToolTip(QString());
  lblTransfer->setText(FromCore(StatusBarProgressText(progress_)));
  lblTransfer->show();
}

void TfrmGT7P::ShowBatch() {
  const std::vector<std::string> texts = BatchProgressTexts(Batch);
  // The room left of the bar once the status panel has its text: the
  // longer of the status text and the five dots.
  const QFontMetrics metrics(stbPanel->font());
  const int panel = std::max(metrics.horizontalAdvance(FromCore("   " + IdleStatusText)),
                             metrics.horizontalAdvance(QString("   ") + QString::fromUtf8("●●●●●")));
  QStatusBar* bar = statusBar();
  const auto* sizeGrip = bar->findChild<QSizeGrip*>();
  const int grip = sizeGrip && bar->isSizeGripEnabled() ? sizeGrip->sizeHint().width() : 0;
  // The status bar keeps 2 px before its first widget and 6 px between
  // widgets: panel, this label, the bar, the grip.
  const int room = bar->contentsRect().width() - 2 - 3 * 6 - panel - grip -
                   (pbrTransfer->isVisible() ? pbrTransfer->width() : 0);
  const QFontMetrics own(lblTransfer->font());
  size_t shown = bar->isVisible() ? texts.size() - 1 : 0;  // hidden: no room to measure
  for (size_t i = 0; i < texts.size() && bar->isVisible(); ++i)
    if (own.horizontalAdvance(FromCore(texts[i])) <= room) {
      shown = i;
      break;
    }
  lblTransfer->setText(FromCore(texts[shown]));
  lblTransfer->setToolTip(shown == 0 ? QString() : FromCore(texts.front()));
  // The panel keeps the room its text needs, short of what would widen the
  // window: the label takes only its own.
  const int rest = bar->contentsRect().width() - 2 - 3 * 6 - grip - own.horizontalAdvance(lblTransfer->text()) -
                   (pbrTransfer->isVisible() ? pbrTransfer->width() : 0);
  stbPanel->setMinimumWidth(std::max(0, std::min(panel, rest)));
  lblTransfer->show();
}

void TfrmGT7P::HideProgress() {
  pbrTransfer->hide();
  lblTransfer->hide();
  lblTransfer->setToolTip(QString());
  stbPanel->setMinimumWidth(0);
}

void TfrmGT7P::WaitForEnd(const std::shared_ptr<EndSignal>& end) {
  if (end->IsSet()) return;
  // A local event loop keeps timers and painting going without spinning;
  // the receive thread ends it through a queued call.
  QEventLoop loop;
  // A directory or file: its progress, from the receive thread's counts.
  QTimer progressTick;
  const auto start = std::chrono::steady_clock::now();
  auto showProgress = [this, &end, start] {
    ShowProgress(*end, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  };
  if (end->LongReply()) {
    progress_ = TransferProgress();
    showProgress();
    connect(&progressTick, &QTimer::timeout, this, showProgress);
    progressTick.start(200);
  }
  end->NotifyOnSet([&loop] { QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection); });
  loop.exec();
  end->NotifyOnSet(nullptr);
  if (end->LongReply()) showProgress();  // the final count; the bar stays until the command ends
}

void TfrmGT7P::closeEvent(QCloseEvent* event) {
  // The viewers opened from here go with this window: one holding picks not
  // yet saved asks first, and its Cancel keeps every window open.
  for (TfrmView* view : findChildren<TfrmView*>(Qt::FindDirectChildrenOnly))
    if (view->isVisible() && !view->close()) return event->ignore();
  if (busy_) {
    // A command is talking to the instrument: it gives up at once and leaves
    // through its clean-up (port closed, cache and work files removed), and
    // RunCommand then closes the window for good, without an error box. The
    // window stays until then (milliseconds): a window closed while hidden
    // would not end the program.
    closePending_ = true;
    link_.Abort();
    event->ignore();
    return;
  }
  tmr->stop();
  tmrWorking->stop();
  link_.CloseCommPort();
  event->accept();
}

}  // namespace gt7p
