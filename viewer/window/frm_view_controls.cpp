// The viewer window's actions, tool bars and menus, and the display and
// processing settings they and the boxes set.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <new>

#include "base/cp936.h"
#include "base/messages.h"
#include "ui/ui.h"
#include "viewer/display_limits.h"
#include "viewer/display_settings.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/interpretation_tab.h"
#include "viewer/window/report_dialog.h"

namespace gt7p {

namespace {

constexpr double kZoomStep = 0.5;  // a key or a button halves or doubles the span

const char* const kModeTexts[] = {"波形", "波形变面积（正）", "波形变面积（负）", "变密度（灰度）", "变密度（红白蓝）"};

QDoubleSpinBox* SpinBox(QWidget* parent, const view::Limits& limits, double step, int decimals, const QString& suffix) {
  auto* spin = new QDoubleSpinBox(parent);
  spin->setRange(limits.low, limits.high);
  spin->setSingleStep(step);
  spin->setDecimals(decimals);
  spin->setSuffix(suffix);
  spin->setKeyboardTracking(false);  // a typed number counts once it is complete
  return spin;
}

}  // namespace

void TfrmView::MakeActions() {
  auto action = [this](const char* text, const QList<QKeySequence>& keys, const std::function<void()>& run) {
    auto* a = new QAction(Ui(text), this);
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, run);
    addAction(a);
    return a;
  };
  auto toggle = [&](const char* text, bool view::DisplayOptions::*field) {
    QAction* a = action(text, {}, [] {});
    a->setCheckable(true);
    connect(a, &QAction::toggled, this, [this, field](bool on) {
      if (syncingControls_) return;
      view::DisplayOptions options = display();
      options.*field = on;
      SetDisplay(options);
    });
    return a;
  };
  actOpen = action("打开…", {QKeySequence::Open}, [this] { OpenAction(); });
  actOpenLine = action("打开测线…", {}, [this] { OpenLineAction(); });
  actOpenLine->setToolTip(Ui("打开同一文件夹中的几个记录及其测线几何文件，一起解析"));
  actPrevious = action("上一个记录", {Qt::Key_PageUp}, [this] { OpenNeighbour(-1); });
  actNext = action("下一个记录", {Qt::Key_PageDown}, [this] { OpenNeighbour(1); });
  actSaveImage = action("另存为图片…", {}, [this] { SaveImageAction(); });
  actPrint = action("打印…", {QKeySequence::Print}, [this] { PrintAction(false); });
  actPrintPdf = action("打印到 PDF 文件…", {}, [this] { PrintAction(true); });
  actClose = action("关闭", {QKeySequence(Qt::CTRL | Qt::Key_W)}, [this] { close(); });
  actExportSegy = action("导出 SEG-Y…", {}, [this] { ExportClick(SaveKind::kSegy); });
  actExportSeg2 = action("导出 SEG-2…", {}, [this] { ExportClick(SaveKind::kSeg2); });
  actExportPicks = action("导出拾取表…", {}, [this] { ExportClick(SaveKind::kPicks); });

  actTimeDown = toggle("时间向下", &view::DisplayOptions::timeDown);
  actByDistance = toggle("按距离排列", &view::DisplayOptions::byDistance);
  actReverse = toggle("道序反转", &view::DisplayOptions::reverse);
  actFlip = toggle("极性反转", &view::DisplayOptions::flipPolarity);
  actZoomIn = action("放大时间", {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)},
                     [this] { ZoomTime(kZoomStep); });
  actZoomOut = action("缩小时间", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { ZoomTime(1 / kZoomStep); });
  actZoomTracesIn = action("放大道", {QKeySequence(Qt::CTRL | Qt::Key_BracketRight)}, [this] { ZoomTraces(kZoomStep); });
  actZoomTracesOut = action("缩小道", {QKeySequence(Qt::CTRL | Qt::Key_BracketLeft)}, [this] { ZoomTraces(1 / kZoomStep); });
  actRestoreDefaults = action("恢复默认", {}, [this] { RestoreDefaults(); });
  actRestoreDefaults->setToolTip(Ui("显示方式、增益、削波、AGC 和滤波恢复为默认值"));
  actZoomReset = action("全部显示", {QKeySequence(Qt::CTRL | Qt::Key_0), Qt::Key_Home}, [this] { ResetZoom(); });

  auto* tools = new QActionGroup(this);
  actToolView = action("查看", {}, [] {});
  actToolPick = action("拾取", {}, [] {});
  actToolMeasure = action("测量", {}, [this] {
    state_.ClearMeasure();
    ShowMeasure();
  });
  for (QAction* a : {actToolView, actToolPick, actToolMeasure}) {
    a->setCheckable(true);
    tools->addAction(a);
  }
  actToolView->setChecked(true);
  actToolView->setToolTip(Ui("单击一道显示其道头和频谱，拖出方框放大"));
  actToolPick->setToolTip(Ui("单击一道设置或移动其初至或反射波，右键删除"));
  actToolMeasure->setToolTip(Ui("两次单击量出时差、距离差和视速度"));
  auto* kinds = new QActionGroup(this);
  actPickFirstBreaks =
      action("初至", {QKeySequence(Qt::CTRL | Qt::Key_1)}, [this] { SetPickKind(view::PickKind::kFirstBreak); });
  actPickReflections =
      action("反射波", {QKeySequence(Qt::CTRL | Qt::Key_2)}, [this] { SetPickKind(view::PickKind::kReflection); });
  for (QAction* a : {actPickFirstBreaks, actPickReflections}) {
    a->setCheckable(true);
    kinds->addAction(a);
  }
  actPickFirstBreaks->setChecked(true);
  actPickFirstBreaks->setToolTip(Ui("拾取时设置初至（Ctrl+1）"));
  actPickReflections->setToolTip(Ui("拾取时设置反射波（Ctrl+2）"));
  actAutoPick = action("自动拾取", {}, [this] { AutoPick(); });
  actAutoPick->setToolTip(Ui("在每一道上自动拾取初至（能量比），再逐道修改"));
  actClearPicks = action("清除拾取", {}, [this] { ClearPicks(); });
  actClearPicks->setToolTip(Ui("清除正在拾取的一种（初至或反射波）的全部拾取"));
  actUndo = action("撤销", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] { UndoPick(); });
  actUndo->setToolTip(Ui("撤销上一次初至或分层的修改（Ctrl+Z）"));
  actRedo = action("重做", {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
                   [this] { RedoPick(); });
  actRedo->setToolTip(Ui("重做撤销的修改（Ctrl+Y）"));
  actUndo->setEnabled(false);
  actRedo->setEnabled(false);
  actSavePicks = action("保存拾取", {QKeySequence::Save}, [this] { SavePicks(); });
  actSavePicks->setToolTip(Ui("把初至和反射波拾取保存在记录旁的 .picks.csv 文件里（Ctrl+S）"));
}

void TfrmView::MakeToolBars() {
  QToolBar* bar = addToolBar(Ui("显示"));
  bar->setMovable(false);
  cboMode = new QComboBox(this);
  for (const char* text : kModeTexts) cboMode->addItem(Ui(text));
  cboMode->setCurrentIndex(static_cast<int>(display().mode));
  cboMode->setFocusPolicy(Qt::NoFocus);
  connect(cboMode, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
    if (syncingControls_ || index < 0) return;
    view::DisplayOptions options = display();
    options.mode = static_cast<view::TraceMode>(index);
    SetDisplay(options);
  });
  bar->addWidget(cboMode);
  for (QAction* a : {actTimeDown, actByDistance, actReverse, actFlip}) bar->addAction(a);
  bar->addSeparator();
  for (QAction* a : {actZoomIn, actZoomOut, actZoomReset}) bar->addAction(a);
  bar->addSeparator();
  for (QAction* a : {actToolView, actToolPick, actToolMeasure}) bar->addAction(a);
  bar->addSeparator();
  for (QAction* a : {actPickFirstBreaks, actPickReflections, actAutoPick, actSavePicks}) bar->addAction(a);

  addToolBarBreak();
  bar = addToolBar(Ui("增益和滤波"));
  bar->setMovable(false);
  btnGainDown = new QToolButton(this);
  btnGainDown->setText(Ui("-"));
  btnGainDown->setToolTip(Ui("减小增益 3 dB（-）"));
  btnGainUp = new QToolButton(this);
  btnGainUp->setText(Ui("+"));
  btnGainUp->setToolTip(Ui("增大增益 3 dB（+）"));
  spnGain = SpinBox(this, view::kGainDb, view::kGainStepDb, 1, Ui(" dB"));
  spnGain->setToolTip(Ui("固定增益"));
  chkNormalise = new QCheckBox(Ui("道归一化"), this);
  chkNormalise->setChecked(display().normalise);
  chkNormalise->setToolTip(Ui("每道按其最大绝对值归一（N）"));
  spnClip = SpinBox(this, view::kClip, 0.5, 1, QString());
  spnClip->setPrefix(Ui("削波 "));
  spnClip->setValue(display().clip);
  spnClip->setToolTip(Ui("振幅超过这么多道间距即削平"));
  chkAgc = new QCheckBox(Ui("AGC"), this);
  spnAgc = SpinBox(this, view::kAgcWindowMs, 1, 3, Ui(" ms"));
  spnAgc->setToolTip(Ui("自动增益控制的时窗"));
  chkDc = new QCheckBox(Ui("去直流"), this);
  chkBandPass = new QCheckBox(Ui("带通"), this);
  chkBandPass->setToolTip(Ui("零相位巴特沃斯带通滤波，只用于显示"));
  spnLowCut = SpinBox(this, view::kCornerHz, 10, 1, Ui(" Hz"));
  spnLowCut->setToolTip(Ui("低截频率（0：不限）"));
  spnHighCut = SpinBox(this, view::kCornerHz, 100, 1, Ui(" Hz"));
  spnHighCut->setToolTip(Ui("高截频率（0：不限）"));
  bar->addWidget(btnGainDown);
  bar->addWidget(spnGain);
  bar->addWidget(btnGainUp);
  bar->addWidget(chkNormalise);
  bar->addWidget(spnClip);
  bar->addSeparator();
  bar->addWidget(chkAgc);
  bar->addWidget(spnAgc);
  bar->addSeparator();
  bar->addWidget(chkDc);
  bar->addWidget(chkBandPass);
  bar->addWidget(spnLowCut);
  bar->addWidget(new QLabel(Ui("-"), this));
  bar->addWidget(spnHighCut);
  for (QWidget* w : std::initializer_list<QWidget*>{btnGainDown, btnGainUp, chkNormalise, chkAgc, chkDc, chkBandPass})
    w->setFocusPolicy(Qt::NoFocus);  // the keys belong to the section

  connect(btnGainDown, &QToolButton::clicked, this, [this] { btnGainDownClick(); });
  connect(btnGainUp, &QToolButton::clicked, this, [this] { btnGainUpClick(); });
  connect(chkNormalise, &QCheckBox::clicked, this, [this](bool checked) { chkNormaliseClick(checked); });
  auto displayFromControls = [this] {
    if (syncingControls_) return;
    view::DisplayOptions options = display();
    options.gainDb = spnGain->value();
    options.clip = spnClip->value();
    SetDisplay(options);
  };
  connect(spnGain, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, displayFromControls);
  connect(spnClip, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, displayFromControls);
  auto processingFromControls = [this] {
    if (syncingControls_) return;
    view::Processing p;
    p.removeDc = chkDc->isChecked();
    p.agcMs = chkAgc->isChecked() ? spnAgc->value() : 0;
    if (chkBandPass->isChecked()) {
      p.lowCutHz = spnLowCut->value();
      p.highCutHz = spnHighCut->value();
    }
    SetProcessing(p);
  };
  for (QCheckBox* box : {chkAgc, chkDc, chkBandPass}) connect(box, &QCheckBox::toggled, this, processingFromControls);
  for (QDoubleSpinBox* spin : {spnAgc, spnLowCut, spnHighCut})
    connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, processingFromControls);
  for (QDoubleSpinBox* spin : {spnGain, spnClip, spnAgc, spnLowCut, spnHighCut}) GiveBackFocus(spin);
  chkWindow = new QCheckBox(Ui("时窗"), this);
  chkWindow->setToolTip(Ui("只显示这段时间，自动拾取也只在其中寻找初至"));
  chkWindow->setFocusPolicy(Qt::NoFocus);
  spnWindowFrom = SpinBox(this, view::kWindowMs, 10, 1, QString());
  spnWindowTo = SpinBox(this, view::kWindowMs, 10, 1, Ui(" ms"));
  spnWindowFrom->setToolTip(Ui("时窗起点（毫秒）"));
  spnWindowTo->setToolTip(Ui("时窗终点（毫秒）"));
  // A row of its own: the rows above fill a 1024-pixel screen.
  addToolBarBreak();
  bar = addToolBar(Ui("时窗"));
  bar->setMovable(false);
  bar->addWidget(chkWindow);
  bar->addWidget(spnWindowFrom);
  bar->addWidget(new QLabel(Ui("-"), this));
  bar->addWidget(spnWindowTo);
  bar->addSeparator();
  bar->addAction(actRestoreDefaults);
  auto windowFromControls = [this] {
    if (syncingControls_) return;
    view::TimeWindow window;
    if (chkWindow->isChecked()) window = {spnWindowFrom->value(), spnWindowTo->value()};
    if (chkWindow->isChecked() && !window.set()) return;  // an end not yet after the start: wait for it
    SetTimeWindow(window);
  };
  connect(chkWindow, &QCheckBox::toggled, this, windowFromControls);
  for (QDoubleSpinBox* spin : {spnWindowFrom, spnWindowTo}) {
    connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, windowFromControls);
    GiveBackFocus(spin);
  }
}

void TfrmView::GiveBackFocus(QAbstractSpinBox* spin) {
  // Return applies a typed value and hands the keys back to the section
  // ("+" then raises the gain instead of going into the box). Leaving the
  // box by the mouse or Tab ends the editing too, with the focus elsewhere.
  connect(spin, &QAbstractSpinBox::editingFinished, this, [this, spin] {
    if (spin->hasFocus()) pnlSection->setFocus(Qt::OtherFocusReason);
  });
}

void TfrmView::MakeMenus() {
  QMenu* file = menuBar()->addMenu(Ui("文件"));
  file->addAction(actOpen);
  file->addAction(actOpenLine);
  file->addAction(actPrevious);
  file->addAction(actNext);
  file->addSeparator();
  file->addAction(actSaveImage);
  file->addAction(actPrint);
  file->addAction(actPrintPdf);
  file->addAction(Ui("生成报告…"), this, [this] {
    if (const std::string failure =
            MakeReportOf(this, path_, pnlInterpretation->lineFile(), pnlInterpretation->lineRecords());
        !failure.empty())
      ShowError(failure);
  });
  file->addSeparator();
  for (QAction* a : {actExportSegy, actExportSeg2, actExportPicks}) file->addAction(a);
  file->addSeparator();
  file->addAction(actClose);
  QMenu* show = menuBar()->addMenu(Ui("显示"));
  for (QAction* a : {actTimeDown, actByDistance, actReverse, actFlip}) show->addAction(a);
  show->addSeparator();
  show->addAction(actRestoreDefaults);
  show->addSeparator();
  for (QAction* a : {actZoomIn, actZoomOut, actZoomTracesIn, actZoomTracesOut, actZoomReset}) show->addAction(a);
  QMenu* picks = menuBar()->addMenu(Ui("拾取"));
  for (QAction* a : {actToolView, actToolPick, actToolMeasure}) picks->addAction(a);
  picks->addSeparator();
  for (QAction* a : {actPickFirstBreaks, actPickReflections}) picks->addAction(a);
  picks->addSeparator();
  for (QAction* a : {actUndo, actRedo}) picks->addAction(a);
  picks->addSeparator();
  picks->addAction(actAutoPick);
  picks->addAction(actClearPicks);
  picks->addAction(actSavePicks);
}

// ---- display and processing ----

void TfrmView::chkNormaliseClick(bool checked) {
  view::DisplayOptions options = display();
  options.normalise = checked;
  SetDisplay(options);
}

void TfrmView::StepGain(int steps) {
  view::DisplayOptions options = display();
  options.gainDb = view::StepGainDb(options.gainDb, steps);
  SetDisplay(options);
}

void TfrmView::SetDisplay(const view::DisplayOptions& options) {
  const bool columns = state_.SetDisplay(options);
  SyncDisplayControls();
  state_.section().settingsText = view::SettingsText(display(), processing_);
  ShowMeasure();
  Invalidate(columns);
}

void TfrmView::RestoreDefaults() {
  view::DisplayOptions options = display();
  view::Processing processing = processing_;
  view::TimeWindow window;
  view::ResetDisplaySettings(options, processing, window);
  SetDisplay(options);
  SetProcessing(processing);
  SetTimeWindow(window);
}

void TfrmView::SetTimeWindow(const view::TimeWindow& window) {
  // Boxes edited while the window is off stay as typed.
  if (!state_.SetTimeWindow(window)) return;
  SyncWindowControls();
  ShowMeasure();
  RangeChanged();
  Refresh(TSideTab::kTimeWindow);
}

void TfrmView::SyncWindowControls() {
  syncingControls_ = true;
  const view::TimeWindow& w = timeWindow();
  chkWindow->setChecked(w.set());
  if (w.set()) {
    spnWindowFrom->setValue(w.fromMs);
    spnWindowTo->setValue(w.toMs);
  } else if (!state_.empty()) {
    spnWindowFrom->setValue(state_.section().firstMs);
    spnWindowTo->setValue(state_.section().lastMs);
  }
  syncingControls_ = false;
}

void TfrmView::SyncDisplayControls() {
  const view::DisplayOptions& d = display();
  syncingControls_ = true;
  spnGain->setValue(d.gainDb);
  spnClip->setValue(d.clip);
  chkNormalise->setChecked(d.normalise);
  cboMode->setCurrentIndex(static_cast<int>(d.mode));
  actTimeDown->setChecked(d.timeDown);
  actByDistance->setChecked(d.byDistance);
  actReverse->setChecked(d.reverse);
  actFlip->setChecked(d.flipPolarity);
  syncingControls_ = false;
}

void TfrmView::SetProcessing(const view::Processing& processing) {
  const view::Processing old = processing_;
  processing_ = processing;
  try {
    Reprocess();
  } catch (const std::bad_alloc&) {
    processing_ = old;
    displayed_.clear();
    displayed_.shrink_to_fit();
    ShowError(FailureText(Failure::kOutOfMemory));
    Reprocess();  // as before, if that was nothing: no copies
  }
  SyncProcessingControls();
}

void TfrmView::SyncProcessingControls() {
  syncingControls_ = true;
  chkDc->setChecked(processing_.removeDc);
  chkAgc->setChecked(processing_.agcMs > 0);
  if (processing_.agcMs > 0) spnAgc->setValue(processing_.agcMs);
  chkBandPass->setChecked(processing_.lowCutHz > 0 || processing_.highCutHz > 0);
  if (chkBandPass->isChecked()) {
    spnLowCut->setValue(processing_.lowCutHz);
    spnHighCut->setValue(processing_.highCutHz);
  }
  syncingControls_ = false;
}

void TfrmView::SuggestProcessing() {
  const view::SuitedProcessing suited = view::ProcessingSuitedTo(record_.header);
  syncingControls_ = true;
  spnLowCut->setMaximum(suited.highestCornerHz);
  spnHighCut->setMaximum(suited.highestCornerHz);
  if (!chkBandPass->isChecked()) {
    spnLowCut->setValue(suited.lowCutHz);
    spnHighCut->setValue(suited.highCutHz);
  }
  if (!chkAgc->isChecked()) spnAgc->setValue(suited.agcMs);
  syncingControls_ = false;
}

}  // namespace gt7p
