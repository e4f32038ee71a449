// The viewer window's widgets and their layout, the tabs beside the
// section, the keys the section takes, dropped files, and the window's
// place on the screen.
#include "viewer/window/frm_view.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "base/cp936.h"
#include "ui/ui.h"
#include "viewer/display_settings.h"
#include "viewer/section_painter.h"
#include "viewer/window/section_canvas.h"
#include "viewer/window/interpretation_tab.h"
#include "viewer/window/side_panels.h"

namespace gt7p {

TfrmView::TfrmView(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(Ui("查看波形"));
  setAcceptDrops(true);
  setFont(view::SectionFont(view::kFontPixels));

  pnlSection = new TSectionCanvas(this);
  sbHorizontal = new QScrollBar(Qt::Horizontal, this);
  sbVertical = new QScrollBar(Qt::Vertical, this);
  auto* sectionArea = new QWidget(this);
  auto* grid = new QGridLayout(sectionArea);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  grid->addWidget(pnlSection, 0, 0);
  grid->addWidget(sbVertical, 0, 1);
  grid->addWidget(sbHorizontal, 1, 0);
  for (QScrollBar* bar : {sbHorizontal, sbVertical}) {
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QScrollBar::valueChanged, this, [this] { ScrollBarMoved(); });
  }

  tabSide = new QTabWidget(this);
  tabSide->setFocusPolicy(Qt::NoFocus);
  tblHeader = new THeaderTable(this);
  pnlSpectrum = new TSpectrumPanel(this);
  pnlTravelTime = new TTravelTimePanel(this);
  AddSideTab(tblHeader, tblHeader, Ui("道头"));
  AddSideTab(pnlSpectrum, pnlSpectrum, Ui("频谱"));
  AddSideTab(pnlTravelTime, pnlTravelTime, Ui("时距曲线"));
  pnlInterpretation = new TInterpretationTab(this);
  AddSideTab(pnlInterpretation, pnlInterpretation, Ui("解析"));

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(sectionArea);
  splitter->addWidget(tabSide);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({900, 300});
  setCentralWidget(splitter);

  MakeActions();
  MakeToolBars();
  MakeMenus();

  lblReadout = new QLabel(this);
  lblMeasure = new QLabel(this);
  statusBar()->addWidget(lblReadout, 1);
  statusBar()->addPermanentWidget(lblMeasure);
  statusBar()->setSizeGripEnabled(true);
  lblReadout->setText(Ui("滚轮或 +/- 调整增益，Ctrl+滚轮缩放，单击一道显示道头和频谱，拖入 .T7P、.QFX 或 .ESP 文件打开"));

  // The display settings the last viewer window closed with.
  view::DisplayOptions options = display();
  view::TimeWindow window;
  view::ReadDisplaySettings(StoreGroup(QStringLiteral("viewer")).Value(QStringLiteral("display")).toString().toStdString(),
                            options, processing_, window);
  state_.SetDisplay(options);
  state_.SetTimeWindow(window);
  SyncDisplayControls();
  SyncProcessingControls();
  SyncWindowControls();

  pnlSection->setFocus();
  UpdateScrollBars();
}

TfrmView::~TfrmView() = default;

TfrmView::BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
TfrmView::BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

void TfrmView::AddSideTab(TSideTab* tab, QWidget* page, const QString& title) {
  tabSide->addTab(page, title);
  sideTabs_.push_back(tab);
  tab->Refresh(*this, TSideTab::kAll);
}

void TfrmView::Refresh(unsigned changes) {
  for (TSideTab* tab : sideTabs_) tab->Refresh(*this, changes);
}

void TfrmView::ShowError(const std::string& message) {
  if (errorBoxHook) return errorBoxHook(message);
  QMessageBox box(QMessageBox::Critical, windowTitle(), FromCore(message), QMessageBox::Ok, this);
  box.exec();
}

TfrmView::Tool TfrmView::tool() const {
  return actToolPick->isChecked() ? Tool::kPick : actToolMeasure->isChecked() ? Tool::kMeasure : Tool::kView;
}

// ---- keys and drops ----

void TfrmView::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int step = 40;  // pixels an arrow key moves
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      if (!ctrl) StepGain(1);
      break;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      if (!ctrl) StepGain(-1);
      break;
    case Qt::Key_N:
      if (!ctrl) chkNormaliseClick(!display().normalise);
      break;
    case Qt::Key_Left:
      ScrollPixels(step, 0);
      break;
    case Qt::Key_Right:
      ScrollPixels(-step, 0);
      break;
    case Qt::Key_Up:
      ScrollPixels(0, step);
      break;
    case Qt::Key_Down:
      ScrollPixels(0, -step);
      break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
      if (state_.RemovePick(markedTrace())) PicksChanged();
      break;
    case Qt::Key_Escape:
      state_.ClearMeasure();
      ShowMeasure();
      pnlSection->update();
      break;
    default:
      QMainWindow::keyPressEvent(event);
  }
}

static std::filesystem::path DroppedFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile()) return {};
  return ToPath(mime->urls().first().toLocalFile());
}

void TfrmView::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void TfrmView::dropEvent(QDropEvent* event) {
  const std::filesystem::path path = DroppedFile(event->mimeData());
  if (path.empty()) return;
  event->acceptProposedAction();
  OpenFile(path);
}

// ---- the window's place ----

void TfrmView::closeEvent(QCloseEvent* event) {
  if (!MayLeavePicks()) return event->ignore();
  SaveWindowPlace(*this, QStringLiteral("viewer"));
  StoreGroup(QStringLiteral("viewer"))
      .SetValue(QStringLiteral("display"), QString::fromStdString(view::DisplaySettingsText(display(), processing_, timeWindow())));
  event->accept();
}

void TfrmView::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placed_ || event->spontaneous()) return;
  placed_ = true;
  // The place it had when last closed, on a screen of now; else 1280 x 800
  // at most, centred. A size a caller set before showing it stands.
  if (!testAttribute(Qt::WA_Resized)) RestoreWindowPlace(*this, QStringLiteral("viewer"), QSize(1280, 800));
  FitWindowOnScreens(*this);
  // Once the window manager has framed it, again with the frame.
  QTimer::singleShot(0, this, [this] { FitWindowOnScreens(*this); });
}

}  // namespace gt7p
