#include "viewer/frm_view.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <new>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "ui/ui.h"
#include "viewer/first_breaks.h"
#include "viewer/record_files.h"
#include "viewer/section_painter.h"
#include "viewer/side_panels.h"

namespace gt7p {
namespace {

constexpr double kZoomStep = 0.5;  // a key or a button halves or doubles the span
// Scroll bars count samples and traces in tenths and hundredths.
constexpr double kTimeUnitsPerSample = 10, kUnitsPerGap = 100;

const char* const kModeTexts[] = {"波形", "波形变面积（正）", "波形变面积（负）", "变密度（灰度）", "变密度（红白蓝）"};

// Shows the wait cursor while the record is read or processed.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

QDoubleSpinBox* SpinBox(QWidget* parent, double low, double high, double step, int decimals, const QString& suffix) {
  auto* spin = new QDoubleSpinBox(parent);
  spin->setRange(low, high);
  spin->setSingleStep(step);
  spin->setDecimals(decimals);
  spin->setSuffix(suffix);
  spin->setKeyboardTracking(false);  // a typed number counts once it is complete
  return spin;
}

// Decimals that show a time to a tenth of the sample interval.
int TimeDecimals(const RecordHeader& header) {
  const double ms = header.intervalUs * 0.001;
  return ms > 0 ? std::clamp(static_cast<int>(std::ceil(-std::log10(ms))) + 1, 0, 6) : 3;
}

QString Number(double value, int decimals) { return QString::fromStdString(view::FixedText(value, decimals)); }

QString Amplitude(float value) {
  return std::isfinite(value) ? QString::number(static_cast<double>(value), 'g', 7) : Ui("无效");
}

// The record's samples as `processing` displays them; none while it
// changes nothing (the record's own samples are shown).
std::vector<std::vector<float>> ProcessedCopies(const Record& record, const view::Processing& processing) {
  std::vector<std::vector<float>> displayed;
  const view::TraceProcessor processor(record.header, processing);
  if (!processor.active()) return displayed;
  displayed.resize(record.channels.size());
  for (size_t i = 0; i < record.channels.size(); ++i) {
    displayed[i] = record.channels[i].samples;
    processor.Apply(displayed[i]);
  }
  return displayed;
}

// A name beside the record for first breaks that can't go into its
// picks table: NAME.picks-1.csv, or the first number not taken.
std::filesystem::path SparePicksFile(const std::filesystem::path& record) {
  const std::filesystem::path stem = std::filesystem::path(view::PicksFileOf(record)).replace_extension();
  auto numbered = [&](int n) { return std::filesystem::path(stem).concat("-" + std::to_string(n) + ".csv"); };
  std::error_code ec;
  for (int n = 1; n < 1000; ++n)
    if (std::filesystem::symlink_status(numbered(n), ec).type() == std::filesystem::file_type::not_found)
      return numbered(n);
  return numbered(1);  // the dialog asks before replacing it
}

}  // namespace

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

  tblHeader = new QTableWidget(0, 2, this);
  tblHeader->setFont(view::SectionFont(view::kPanelFontPixels));
  tblHeader->horizontalHeader()->hide();
  tblHeader->verticalHeader()->hide();
  tblHeader->verticalHeader()->setDefaultSectionSize(QFontMetrics(tblHeader->font()).lineSpacing() + 4);
  tblHeader->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tblHeader->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  tblHeader->setShowGrid(false);
  tblHeader->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblHeader->setFocusPolicy(Qt::NoFocus);
  pnlSpectrum = new TSpectrumPanel(this);
  pnlTravelTime = new TTravelTimePanel(this);
  tabSide = new QTabWidget(this);
  tabSide->addTab(tblHeader, Ui("道头"));
  tabSide->addTab(pnlSpectrum, Ui("频谱"));
  tabSide->addTab(pnlTravelTime, Ui("时距曲线"));
  tabSide->setFocusPolicy(Qt::NoFocus);

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

  pnlSection->setFocus();
  UpdateScrollBars();
}

TfrmView::~TfrmView() = default;

// ---- controls ----

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
      view::DisplayOptions options = display_;
      options.*field = on;
      SetDisplay(options);
    });
    return a;
  };
  actOpen = action("打开…", {QKeySequence::Open}, [this] { OpenAction(); });
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
  action("放大道", {QKeySequence(Qt::CTRL | Qt::Key_BracketRight)}, [this] { ZoomTraces(kZoomStep); });
  action("缩小道", {QKeySequence(Qt::CTRL | Qt::Key_BracketLeft)}, [this] { ZoomTraces(1 / kZoomStep); });
  actZoomReset = action("全部显示", {QKeySequence(Qt::CTRL | Qt::Key_0), Qt::Key_Home}, [this] { ResetZoom(); });

  auto* tools = new QActionGroup(this);
  actToolView = action("查看", {}, [] {});
  actToolPick = action("拾取", {}, [] {});
  actToolMeasure = action("测量", {}, [this] {
    measure_.clear();
    ShowMeasure();
  });
  for (QAction* a : {actToolView, actToolPick, actToolMeasure}) {
    a->setCheckable(true);
    tools->addAction(a);
  }
  actToolView->setChecked(true);
  actToolView->setToolTip(Ui("单击一道显示其道头和频谱，拖出方框放大"));
  actToolPick->setToolTip(Ui("单击一道设置或移动其初至，右键删除"));
  actToolMeasure->setToolTip(Ui("两次单击量出时差、距离差和视速度"));
  actAutoPick = action("自动拾取", {}, [this] { AutoPick(); });
  actAutoPick->setToolTip(Ui("在每一道上自动拾取初至（能量比），再逐道修改"));
  actClearPicks = action("清除拾取", {}, [this] { ClearPicks(); });
  actSavePicks = action("保存拾取", {QKeySequence::Save}, [this] { SavePicks(); });
  actSavePicks->setToolTip(Ui("把初至保存在记录旁的 .picks.csv 文件里（Ctrl+S）"));
}

void TfrmView::MakeToolBars() {
  QToolBar* bar = addToolBar(Ui("显示"));
  bar->setMovable(false);
  cboMode = new QComboBox(this);
  for (const char* text : kModeTexts) cboMode->addItem(Ui(text));
  cboMode->setCurrentIndex(static_cast<int>(display_.mode));
  cboMode->setFocusPolicy(Qt::NoFocus);
  connect(cboMode, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
    if (syncingControls_ || index < 0) return;
    view::DisplayOptions options = display_;
    options.mode = static_cast<view::TraceMode>(index);
    SetDisplay(options);
  });
  bar->addWidget(cboMode);
  for (QAction* a : {actTimeDown, actByDistance, actReverse, actFlip}) bar->addAction(a);
  bar->addSeparator();
  for (QAction* a : {actZoomIn, actZoomOut, actZoomReset}) bar->addAction(a);
  bar->addSeparator();
  for (QAction* a : {actToolView, actToolPick, actToolMeasure, actAutoPick, actSavePicks}) bar->addAction(a);

  addToolBarBreak();
  bar = addToolBar(Ui("增益和滤波"));
  bar->setMovable(false);
  btnGainDown = new QToolButton(this);
  btnGainDown->setText(Ui("-"));
  btnGainDown->setToolTip(Ui("减小增益 3 dB（-）"));
  btnGainUp = new QToolButton(this);
  btnGainUp->setText(Ui("+"));
  btnGainUp->setToolTip(Ui("增大增益 3 dB（+）"));
  spnGain = SpinBox(this, -36, 60, 3, 1, Ui(" dB"));
  spnGain->setToolTip(Ui("固定增益"));
  chkNormalise = new QCheckBox(Ui("道归一化"), this);
  chkNormalise->setChecked(display_.normalise);
  chkNormalise->setToolTip(Ui("每道按其最大绝对值归一（N）"));
  spnClip = SpinBox(this, 0.1, 100, 0.5, 1, QString());
  spnClip->setPrefix(Ui("削波 "));
  spnClip->setValue(display_.clip);
  spnClip->setToolTip(Ui("振幅超过这么多道间距即削平"));
  chkAgc = new QCheckBox(Ui("AGC"), this);
  spnAgc = SpinBox(this, 0.001, 100000, 1, 3, Ui(" ms"));
  spnAgc->setToolTip(Ui("自动增益控制的时窗"));
  chkDc = new QCheckBox(Ui("去直流"), this);
  chkBandPass = new QCheckBox(Ui("带通"), this);
  chkBandPass->setToolTip(Ui("零相位巴特沃斯带通滤波，只用于显示"));
  spnLowCut = SpinBox(this, 0, 1e6, 10, 1, Ui(" Hz"));
  spnLowCut->setToolTip(Ui("低截频率（0：不限）"));
  spnHighCut = SpinBox(this, 0, 1e6, 100, 1, Ui(" Hz"));
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
    view::DisplayOptions options = display_;
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
}

void TfrmView::MakeMenus() {
  QMenu* file = menuBar()->addMenu(Ui("文件"));
  file->addAction(actOpen);
  file->addAction(actPrevious);
  file->addAction(actNext);
  file->addSeparator();
  file->addAction(actSaveImage);
  file->addAction(actPrint);
  file->addAction(actPrintPdf);
  file->addSeparator();
  for (QAction* a : {actExportSegy, actExportSeg2, actExportPicks}) file->addAction(a);
  file->addSeparator();
  file->addAction(actClose);
  QMenu* show = menuBar()->addMenu(Ui("显示"));
  for (QAction* a : {actTimeDown, actByDistance, actReverse, actFlip}) show->addAction(a);
  show->addSeparator();
  for (QAction* a : actions())
    if (a == actZoomIn || a == actZoomOut || a->text() == Ui("放大道") || a->text() == Ui("缩小道") || a == actZoomReset)
      show->addAction(a);
  QMenu* picks = menuBar()->addMenu(Ui("拾取"));
  for (QAction* a : {actToolView, actToolPick, actToolMeasure}) picks->addAction(a);
  picks->addSeparator();
  picks->addAction(actAutoPick);
  picks->addAction(actClearPicks);
  picks->addAction(actSavePicks);
}

void TfrmView::chkNormaliseClick(bool checked) {
  view::DisplayOptions options = display_;
  options.normalise = checked;
  SetDisplay(options);
}

void TfrmView::StepGain(int steps) {
  view::DisplayOptions options = display_;
  options.gainDb = view::StepGainDb(display_.gainDb, steps);
  SetDisplay(options);
}

void TfrmView::SetDisplay(const view::DisplayOptions& options) {
  const view::DisplayOptions old = display_;
  display_ = options;
  syncingControls_ = true;
  spnGain->setValue(display_.gainDb);
  spnClip->setValue(display_.clip);
  chkNormalise->setChecked(display_.normalise);
  cboMode->setCurrentIndex(static_cast<int>(display_.mode));
  actTimeDown->setChecked(display_.timeDown);
  actByDistance->setChecked(display_.byDistance);
  actReverse->setChecked(display_.reverse);
  actFlip->setChecked(display_.flipPolarity);
  syncingControls_ = false;
  section_.settingsText = view::SettingsText(display_, processing_);
  if (old.byDistance != display_.byDistance) {
    axis_ = view::MakeTraceAxis(section_, display_.byDistance);
    const view::ViewRange full = FullViewRange();
    range_.firstPos = full.firstPos;
    range_.lastPos = full.lastPos;
    measure_.clear();
    ShowMeasure();
  }
  Invalidate(old.timeDown != display_.timeDown || old.byDistance != display_.byDistance || old.reverse != display_.reverse);
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
    ShowError(Utf8ToCp936("内存不足！"));
    Reprocess();  // as before, if that was nothing: no copies
  }
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

// ---- the record ----

bool TfrmView::OpenFile(const std::filesystem::path& path) { return MayLeavePicks() && TakeRecord(path); }

bool TfrmView::OpenNeighbour(int step) {
  if (path_.empty()) return false;
  const std::filesystem::path next = view::NeighbourRecord(path_, step);
  if (next.empty()) {
    lblReadout->setText(step > 0 ? Ui("已是文件夹中最后一个记录") : Ui("已是文件夹中第一个记录"));
    return false;
  }
  return OpenFile(next);
}

bool TfrmView::TakeRecord(const std::filesystem::path& path) {
  BusyCursor busy;
  Record record;
  view::Section section;
  std::vector<std::vector<float>> displayed;
  try {
    RecordReader reader(path);
    const RecordHeader& header = reader.header();
    if (static_cast<int64_t>(header.channelCount) * header.sampleCount > kMaxViewedSamples)
      throw Error(Utf8ToCp936("记录太大，无法显示！"));
    record.header = header;
    record.channels.resize(static_cast<size_t>(header.channelCount));
    for (int i = 0; i < header.channelCount; ++i) reader.ReadChannel(i, record.channels[static_cast<size_t>(i)]);
    section = view::MakeSection(record.header, path,
                                [&](int i) { return record.channels[static_cast<size_t>(i)].header; });
    displayed = ProcessedCopies(record, processing_);
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  } catch (const std::bad_alloc&) {
    ShowError(Utf8ToCp936("内存不足，无法显示该记录！"));
    return false;
  }
  const view::ViewRange oldFull = FullViewRange();
  const bool sameLayout = !record_.channels.empty() && record.header.channelCount == record_.header.channelCount &&
                          record.header.sampleCount == record_.header.sampleCount &&
                          view::SectionTimes(record.header).intervalCentiUs ==
                              view::SectionTimes(record_.header).intervalCentiUs &&
                          view::SectionTimes(record.header).firstCentiUs == view::SectionTimes(record_.header).firstCentiUs;
  record_ = std::move(record);
  section_ = std::move(section);
  displayed_ = std::move(displayed);
  path_ = path;
  marked_ = -1;
  measure_.clear();
  SetPeaks();
  section_.settingsText = view::SettingsText(display_, processing_);
  axis_ = view::MakeTraceAxis(section_, display_.byDistance);
  // Stepping through records of one layout keeps the zoom.
  if (!sameLayout || FullViewRange().firstPos != oldFull.firstPos || FullViewRange().lastPos != oldFull.lastPos)
    range_ = FullViewRange();
  // Band-pass corners and the AGC window that suit the record, until chosen.
  const double sampleHz = record_.header.intervalUs > 0 ? 1e6 / record_.header.intervalUs : 0;
  syncingControls_ = true;
  spnLowCut->setMaximum(std::max(1.0, sampleHz / 2));
  spnHighCut->setMaximum(std::max(1.0, sampleHz / 2));
  if (!chkBandPass->isChecked()) {
    spnLowCut->setValue(std::round(sampleHz / 200));
    spnHighCut->setValue(std::round(sampleHz / 8));
  }
  if (!chkAgc->isChecked()) spnAgc->setValue(std::max(1.0, std::round((section_.lastMs - section_.firstMs) / 10)));
  syncingControls_ = false;
  setWindowTitle(Ui("查看波形 - ") + FromPath(path.filename()));
  LoadPicks();
  UpdateHeaderTable();
  UpdateSpectrum();
  UpdateTravelTime();
  ShowMeasure();
  Invalidate(true);
  return true;
}

void TfrmView::SetPeaks() {
  for (size_t i = 0; i < section_.traces.size(); ++i) {
    const std::vector<float>& samples = Displayed(i);
    section_.traces[i].peak = view::PeakOf(samples.data(), samples.size());
  }
}

const std::vector<float>& TfrmView::Displayed(size_t trace) const {
  return displayed_.empty() ? record_.channels[trace].samples : displayed_[trace];
}

void TfrmView::Reprocess() {
  BusyCursor busy;
  displayed_.clear();  // its memory first: the window holds the record twice at most
  displayed_ = ProcessedCopies(record_, processing_);
  SetPeaks();
  section_.settingsText = view::SettingsText(display_, processing_);
  UpdateSpectrum();
  Invalidate(true);
}

view::ViewRange TfrmView::FullViewRange() const { return view::FullRange(section_, axis_); }

const view::Section& TfrmView::section() {
  Relayout(pnlSection->width(), pnlSection->height());
  return section_;
}

void TfrmView::Relayout(int width, int height) {
  if (record_.channels.empty() || (!columnsStale_ && width == laidOutWidth_ && height == laidOutHeight_)) return;
  geometry_ = view::FitSection(section_, display_, range_, width, height, false, frame_);
  for (size_t i = 0; i < section_.traces.size(); ++i) {
    if (geometry_.Visible(static_cast<int>(i)))
      view::SetColumns(section_.traces[i], section_.header, Displayed(i), geometry_);
    else
      section_.traces[i].columns.clear();
  }
  laidOutWidth_ = width;
  laidOutHeight_ = height;
  columnsStale_ = false;
  pictureStale_ = true;
}

void TfrmView::Invalidate(bool columns) {
  // The scroll bars follow the range and the trace spacing, not the pixels.
  if (columns) {
    columnsStale_ = true;
    UpdateScrollBars();
  }
  pictureStale_ = true;
  pnlSection->update();
}

// ---- zoom and scroll ----

void TfrmView::SetRange(const view::ViewRange& range) {
  range_ = range;
  Invalidate(true);
}

void TfrmView::ZoomTime(double factor, std::optional<double> anchorMs) {
  if (record_.channels.empty()) return;
  const view::ViewRange full = FullViewRange();
  view::ViewRange r = range_;
  view::ZoomSpan(r.firstMs, r.lastMs, factor, anchorMs.value_or((r.firstMs + r.lastMs) / 2), full.firstMs, full.lastMs,
                 view::NarrowestTimeMs(record_.header));
  SetRange(r);
}

void TfrmView::ZoomTraces(double factor, std::optional<double> anchorPosition) {
  if (record_.channels.empty()) return;
  const view::ViewRange full = FullViewRange();
  view::ViewRange r = range_;
  view::ZoomSpan(r.firstPos, r.lastPos, factor, anchorPosition.value_or((r.firstPos + r.lastPos) / 2), full.firstPos,
                 full.lastPos, 2 * axis_.gap);
  SetRange(r);
}

void TfrmView::ZoomToBox(const QRect& box) {
  if (record_.channels.empty()) return;
  section();
  const view::SectionGeometry& g = geometry_;
  const QRect area(g.left, g.top, g.width, g.height);
  const QRect b = box.normalized().intersected(area);
  if (b.width() < 4 || b.height() < 4) return;
  // The corners where the drag began and ended.
  const int t0 = g.timeDown ? b.top() : b.left(), t1 = g.timeDown ? b.bottom() : b.right();
  const int p0 = g.timeDown ? b.left() : b.top(), p1 = g.timeDown ? b.right() : b.bottom();
  view::ViewRange r = range_;
  r.firstMs = g.PixelToTime(t0);
  r.lastMs = g.PixelToTime(t1);
  r.firstPos = std::min(g.PixelToPosition(p0), g.PixelToPosition(p1));
  r.lastPos = std::max(g.PixelToPosition(p0), g.PixelToPosition(p1));
  // No closer than the narrowest spans.
  const view::ViewRange full = FullViewRange();
  view::ZoomSpan(r.firstMs, r.lastMs, 1, (r.firstMs + r.lastMs) / 2, full.firstMs, full.lastMs,
                 view::NarrowestTimeMs(record_.header));
  view::ZoomSpan(r.firstPos, r.lastPos, 1, (r.firstPos + r.lastPos) / 2, full.firstPos, full.lastPos, 2 * axis_.gap);
  SetRange(r);
}

void TfrmView::ResetZoom() {
  if (record_.channels.empty()) return;
  SetRange(FullViewRange());
}

void TfrmView::ScrollPixels(int dx, int dy) {
  if (record_.channels.empty()) return;
  section();
  const view::SectionGeometry& g = geometry_;
  const view::ViewRange full = FullViewRange();
  view::ViewRange r = range_;
  const int alongTime = g.timeDown ? dy : dx, alongTraces = g.timeDown ? dx : dy;
  view::ScrollSpan(r.firstMs, r.lastMs, -alongTime * (r.lastMs - r.firstMs) / g.TimePixels(), full.firstMs, full.lastMs);
  view::ScrollSpan(r.firstPos, r.lastPos, (g.reverse ? 1 : -1) * alongTraces * (r.lastPos - r.firstPos) / g.TracePixels(),
                   full.firstPos, full.lastPos);
  SetRange(r);
}

void TfrmView::UpdateScrollBars() {
  syncingControls_ = true;
  const view::ViewRange full = FullViewRange();
  const double msPerUnit = record_.header.intervalUs > 0 ? record_.header.intervalUs * 0.001 / kTimeUnitsPerSample : 1;
  const double posPerUnit = axis_.gap / kUnitsPerGap;
  auto set = [](QScrollBar* bar, double whole, double page, double value) {
    const int pageUnits = std::max(1, static_cast<int>(std::lround(page)));
    bar->setRange(0, std::max(0, static_cast<int>(std::lround(whole)) - pageUnits));
    bar->setPageStep(pageUnits);
    bar->setSingleStep(std::max(1, pageUnits / 10));
    bar->setValue(static_cast<int>(std::lround(value)));
  };
  QScrollBar* timeBar = display_.timeDown ? sbVertical : sbHorizontal;
  QScrollBar* traceBar = display_.timeDown ? sbHorizontal : sbVertical;
  if (record_.channels.empty()) {
    for (QScrollBar* bar : {sbHorizontal, sbVertical}) bar->setRange(0, 0);
  } else {
    set(timeBar, (full.lastMs - full.firstMs) / msPerUnit, (range_.lastMs - range_.firstMs) / msPerUnit,
        (range_.firstMs - full.firstMs) / msPerUnit);
    // Reversed traces run from the far end.
    set(traceBar, (full.lastPos - full.firstPos) / posPerUnit, (range_.lastPos - range_.firstPos) / posPerUnit,
        (display_.reverse ? full.lastPos - range_.lastPos : range_.firstPos - full.firstPos) / posPerUnit);
  }
  syncingControls_ = false;
}

void TfrmView::ScrollBarMoved() {
  if (syncingControls_ || record_.channels.empty()) return;
  const view::ViewRange full = FullViewRange();
  const double msPerUnit = record_.header.intervalUs > 0 ? record_.header.intervalUs * 0.001 / kTimeUnitsPerSample : 1;
  const double posPerUnit = axis_.gap / kUnitsPerGap;
  QScrollBar* timeBar = display_.timeDown ? sbVertical : sbHorizontal;
  QScrollBar* traceBar = display_.timeDown ? sbHorizontal : sbVertical;
  view::ViewRange r = range_;
  const double timeSpan = r.lastMs - r.firstMs, posSpan = r.lastPos - r.firstPos;
  // A bar at its end shows the very end, whatever the rounding.
  r.firstMs = timeBar->value() == timeBar->maximum() ? full.lastMs - timeSpan : full.firstMs + timeBar->value() * msPerUnit;
  r.lastMs = r.firstMs + timeSpan;
  const double fromStart = traceBar->value() == traceBar->maximum() ? full.lastPos - full.firstPos - posSpan
                                                                     : traceBar->value() * posPerUnit;
  r.firstPos = display_.reverse ? full.lastPos - fromStart - posSpan : full.firstPos + fromStart;
  r.lastPos = r.firstPos + posSpan;
  range_ = r;
  columnsStale_ = true;
  pictureStale_ = true;
  pnlSection->update();
}

// ---- marking, picking, measuring ----

void TfrmView::MarkTraceAt(int x, int y) {
  if (record_.channels.empty()) return;
  section();  // laid out for the current size
  const int trace = geometry_.TraceUnder(x, y);
  marked_ = trace == marked_ ? -1 : trace;
  UpdateHeaderTable();
  UpdateSpectrum();
  Invalidate(false);
}

void TfrmView::SetFirstBreakAt(int x, int y) {
  if (record_.channels.empty()) return;
  section();
  const int trace = geometry_.TraceUnder(x, y);
  if (trace < 0) return;
  const double index = std::round(view::SampleIndexAt(record_.header, geometry_.TimeUnder(x, y)));
  const int32_t pick =
      PickValue(static_cast<int32_t>(std::clamp(index, 0.0, static_cast<double>(record_.header.sampleCount - 1))));
  // A drag within one sample changes nothing: no new picture per mouse move.
  int32_t& stored = section_.firstBreaks[static_cast<size_t>(trace)];
  if (stored == pick) return;
  stored = pick;
  PicksChanged();
}

void TfrmView::DeleteFirstBreakAt(int x, int y) {
  if (record_.channels.empty()) return;
  section();
  const int trace = geometry_.TraceUnder(x, y);
  if (trace < 0 || section_.firstBreaks[static_cast<size_t>(trace)] == 0) return;
  section_.firstBreaks[static_cast<size_t>(trace)] = 0;
  PicksChanged();
}

void TfrmView::AutoPick() {
  if (record_.channels.empty()) return;
  BusyCursor busy;
  std::vector<const std::vector<float>*> traces;
  for (size_t i = 0; i < record_.channels.size(); ++i) traces.push_back(&Displayed(i));
  // After the trigger: the pre-trigger samples are the noise it is told from.
  section_.firstBreaks = view::PickFirstBreaks(traces, record_.header.intervalUs,
                                               static_cast<size_t>(view::TriggerSample(record_.header)));
  PicksChanged();
}

void TfrmView::ClearPicks() {
  std::fill(section_.firstBreaks.begin(), section_.firstBreaks.end(), 0);
  PicksChanged();
}

void TfrmView::PicksChanged() {
  picksChanged_ = true;
  UpdateTravelTime();
  Invalidate(false);
}

void TfrmView::LoadPicks() {
  otherPicks_.clear();
  picksChanged_ = false;
  picksTable_ = view::PicksFileOf(path_);
  try {
    section_.firstBreaks = view::FirstBreaksBeside(section_, path_, &otherPicks_);
  } catch (const Error& e) {
    picksTable_.clear();  // its rows are unknown: a save would lose them
    ShowError(e.message());
  }
}

std::filesystem::path TfrmView::AskPicksTable() {
  const std::filesystem::path beside = view::PicksFileOf(path_);
  ShowError(Utf8ToCp936("拾取表 ") + TextFromPath(beside.filename()) +
            Utf8ToCp936(" 无法读取，不能覆盖它，请另选文件保存初至。"));
  const std::filesystem::path suggested = SparePicksFile(path_);
  const std::filesystem::path out = saveDialogHook ? saveDialogHook(SaveKind::kFirstBreaks, suggested)
                                                   : AskSavePath(actSavePicks->text(), suggested, Ui("CSV (*.csv)"));
  std::error_code ec;
  if (!out.empty() && (out == beside || std::filesystem::equivalent(out, beside, ec))) {
    ShowError(Utf8ToCp936("不能覆盖无法读取的拾取表！"));
    return {};
  }
  return out;
}

bool TfrmView::SavePicks() {
  if (record_.channels.empty()) return false;
  if (picksTable_.empty()) picksTable_ = AskPicksTable();
  if (picksTable_.empty()) return false;
  std::vector<PickRow> rows;
  const std::string file = Utf8FromPath(path_.filename());
  for (size_t i = 0; i < record_.channels.size(); ++i)
    if (section_.firstBreaks[i] > 0)
      rows.push_back(MakePickRow(record_.header, record_.channels[i].header, 0, section_.firstBreaks[i], file));
  rows.insert(rows.end(), otherPicks_.begin(), otherPicks_.end());
  try {
    WriteBeside(picksTable_, [&](const std::filesystem::path& part) { WritePicksTable(part, rows); });
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  }
  picksChanged_ = false;
  lblReadout->setText(Ui("初至已保存：") + FromPath(picksTable_.filename()));
  return true;
}

bool TfrmView::MayLeavePicks() {
  if (!picksChanged_) return true;
  int answer = QMessageBox::Cancel;
  if (savePicksQuestionHook) {
    answer = savePicksQuestionHook();
  } else {
    QMessageBox box(QMessageBox::Question, windowTitle(), Ui("初至已修改，是否保存？"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    answer = box.exec();
  }
  if (answer == QMessageBox::Save) return SavePicks();
  if (answer == QMessageBox::Discard) {
    picksChanged_ = false;
    return true;
  }
  return false;
}

void TfrmView::MeasureAt(int x, int y) {
  if (record_.channels.empty()) return;
  section();
  if (!geometry_.Inside(x, y)) return;
  if (measure_.size() == 2) measure_.clear();
  // On the sample nearest in time, and on the trace when one is under the cursor.
  const RecordHeader& h = record_.header;
  const double ms = view::SampleTimeMs(h, std::round(view::SampleIndexAt(h, geometry_.TimeUnder(x, y))));
  const int trace = geometry_.TraceUnder(x, y);
  measure_.push_back(QPointF(ms, trace >= 0 ? axis_.positions[static_cast<size_t>(trace)] : geometry_.PositionUnder(x, y)));
  ShowMeasure();
  pnlSection->update();
}

void TfrmView::ShowMeasure() {
  if (measure_.size() < 2) {
    lblMeasure->setText(measure_.empty() ? QString() : Ui("测量：再单击第二点"));
    return;
  }
  const double dt = measure_[1].x() - measure_[0].x();
  const double dx = view::DistanceAtPosition(section_, display_.byDistance, measure_[1].y()) -
                    view::DistanceAtPosition(section_, display_.byDistance, measure_[0].y());
  QString text = Ui("Δt ") + Number(dt, TimeDecimals(record_.header)) + Ui(" ms  Δx ") + Number(dx, 2) + Ui(" m");
  if (const auto v = view::ApparentVelocity(dx, dt)) text += Ui("  视速度 ") + Number(*v, 0) + Ui(" m/s");
  lblMeasure->setText(text);
}

QString TfrmView::ReadoutAt(int x, int y) const {
  if (record_.channels.empty() || !geometry_.Inside(x, y)) return QString();
  const RecordHeader& h = record_.header;
  // The sample nearest the time under the cursor, and its time, where there is one.
  const double ms = geometry_.TimeUnder(x, y);
  const int32_t index = view::NearestSample(h, ms);
  const bool onSample = index >= 0;
  QString text = Ui("时间 ") + Number(onSample ? view::SampleTimeMs(h, index) : ms, TimeDecimals(h)) + Ui(" ms");
  if (onSample) text += Ui("  采样点 ") + QString::number(index + 1);
  const int trace = geometry_.TraceUnder(x, y);
  if (trace >= 0) {
    const view::SectionTrace& t = section_.traces[static_cast<size_t>(trace)];
    if (onSample) {
      const size_t i = static_cast<size_t>(index);
      text += Ui("  幅值 ") + Amplitude(record_.channels[static_cast<size_t>(trace)].samples[i]);
      if (!displayed_.empty()) text += Ui("（显示 ") + Amplitude(displayed_[static_cast<size_t>(trace)][i]) + Ui("）");
    }
    text += Ui("  道号 ") + QString::number(t.channelNumber) + Ui("  距离 ") + Number(t.distanceM, 2) + Ui(" m");
  } else {
    const double pos = geometry_.PositionUnder(x, y);
    text += Ui("  距离 ") + Number(view::DistanceAtPosition(section_, display_.byDistance, pos), 2) + Ui(" m");
  }
  return text;
}

// ---- the panels beside the section ----

void TfrmView::UpdateHeaderTable() {
  std::vector<FieldLine> lines = section_.headerLines;
  std::vector<int> bold;
  if (marked_ >= 0 && static_cast<size_t>(marked_) < record_.channels.size()) {
    lines.push_back({std::string(), std::string()});
    bold.push_back(static_cast<int>(lines.size()));
    lines.push_back({Utf8ToCp936("第") + std::to_string(marked_ + 1) + Utf8ToCp936("道"), std::string()});
    for (const FieldLine& line : ChannelFieldLines(record_.header, record_.channels[static_cast<size_t>(marked_)].header))
      lines.push_back(line);
  }
  if (record_.channels.empty()) lines.clear();
  tblHeader->setRowCount(static_cast<int>(lines.size()));
  for (size_t r = 0; r < lines.size(); ++r) {
    // Two blanks after the name keep it off its value where the font
    // drawn is wider than the one measured (a stand-in's glyphs under Wine).
    auto* name = new QTableWidgetItem(FromCore(lines[r].name) + (lines[r].name.empty() ? QString() : Ui("  ")));
    auto* value = new QTableWidgetItem(FromCore(lines[r].value));
    if (std::find(bold.begin(), bold.end(), static_cast<int>(r)) != bold.end()) {
      QFont font = tblHeader->font();
      font.setBold(true);
      name->setFont(font);
    }
    tblHeader->setItem(static_cast<int>(r), 0, name);
    tblHeader->setItem(static_cast<int>(r), 1, value);
  }
  if (!bold.empty()) {
    tblHeader->scrollToItem(tblHeader->item(bold.front(), 0), QAbstractItemView::PositionAtTop);
  }
}

void TfrmView::UpdateSpectrum() {
  if (marked_ < 0 || static_cast<size_t>(marked_) >= record_.channels.size()) return pnlSpectrum->Clear();
  const size_t m = static_cast<size_t>(marked_);
  double binHz = 0;
  std::vector<double> recorded = view::AmplitudeSpectrum(record_.channels[m].samples, record_.header.intervalUs, binHz);
  std::vector<double> displayed;
  if (!displayed_.empty()) displayed = view::AmplitudeSpectrum(displayed_[m], record_.header.intervalUs, binHz);
  pnlSpectrum->SetSpectra(Ui("第") + QString::number(marked_ + 1) + Ui("道 振幅谱"), std::move(recorded),
                          std::move(displayed), binHz, processing_.lowCutHz, processing_.highCutHz);
}

void TfrmView::UpdateTravelTime() {
  std::vector<std::pair<double, double>> picks, instrument;
  for (size_t i = 0; i < section_.traces.size(); ++i) {
    const view::SectionTrace& t = section_.traces[i];
    if (const auto ms = view::PickTimeMs(record_.header, section_.firstBreaks[i])) picks.push_back({t.distanceM, *ms});
    if (const auto ms = view::PickTimeMs(record_.header, t.picks[0])) instrument.push_back({t.distanceM, *ms});
  }
  pnlTravelTime->SetPoints(std::move(picks), std::move(instrument));
}

// ---- pictures and prints ----

bool TfrmView::SaveImage(const std::filesystem::path& png, const QSize& size) {
  if (record_.channels.empty()) return false;
  try {
    view::Section copy = section_;
    const QImage image = view::DrawSection(copy, display_, range_, size.width(), size.height(),
                                           [this](int i) -> const std::vector<float>& { return Displayed(static_cast<size_t>(i)); });
    if (image.isNull()) throw std::bad_alloc();
    WriteBeside(png, [&](const std::filesystem::path& part) { view::WritePng(image, part); });
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  } catch (const std::bad_alloc&) {
    ShowError(Utf8ToCp936("内存不足！"));
    return false;
  }
  return true;
}

void TfrmView::PrintTo(QPrinter& printer) {
  if (record_.channels.empty()) return;
  QPainter painter(&printer);
  const QRect page = painter.viewport();
  // Laid out at a screen's scale, then scaled to the page: the text keeps
  // its size to the section's whatever the printer's resolution.
  const int width = 1600, height = std::max(400, static_cast<int>(1600.0 * page.height() / std::max(1, page.width())));
  painter.scale(static_cast<double>(page.width()) / width, static_cast<double>(page.height()) / height);
  view::Section copy = section_;
  view::PaintWholeSection(painter, copy, display_, range_, width, height,
                          [this](int i) -> const std::vector<float>& { return Displayed(static_cast<size_t>(i)); });
}

void TfrmView::SaveImageAction() {
  if (record_.channels.empty()) return;
  QDialog dialog(this);
  dialog.setWindowTitle(Ui("另存为图片"));
  auto* windowSize = new QRadioButton(
      Ui("窗口大小（") + QString::number(pnlSection->width()) + Ui(" × ") + QString::number(pnlSection->height()) + Ui("）"),
      &dialog);
  auto* chosen = new QRadioButton(Ui("指定大小"), &dialog);
  auto* w = new QSpinBox(&dialog);
  auto* h = new QSpinBox(&dialog);
  w->setRange(200, 20000);
  h->setRange(200, 20000);
  w->setValue(1600);
  h->setValue(1000);
  windowSize->setChecked(true);
  auto* layout = new QGridLayout(&dialog);
  layout->addWidget(windowSize, 0, 0, 1, 4);
  layout->addWidget(chosen, 1, 0);
  layout->addWidget(w, 1, 1);
  layout->addWidget(new QLabel(Ui("×"), &dialog), 1, 2);
  layout->addWidget(h, 1, 3);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons, 2, 0, 1, 4);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return;
  const QSize size = windowSize->isChecked() ? pnlSection->size().expandedTo(QSize(200, 200)) : QSize(w->value(), h->value());
  std::filesystem::path out = AskSavePath(Ui("另存为图片"), std::filesystem::path(path_).replace_extension(".png"),
                                          Ui("PNG 图片 (*.png)"));
  if (out.empty()) return;
  if (out.extension().empty()) out += ".png";
  SaveImage(out, size);
}

std::filesystem::path TfrmView::AskSavePath(const QString& title, const std::filesystem::path& suggested,
                                           const QString& filter) {
  const QString name = QFileDialog::getSaveFileName(this, title, FromPath(suggested), filter);
  return name.isEmpty() ? std::filesystem::path() : ToPath(name);
}

void TfrmView::PrintAction(bool pdf) {
  if (record_.channels.empty()) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  if (!pdf) {
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(Ui("打印"));
    if (dialog.exec() != QDialog::Accepted) return;
    PrintTo(printer);
    return;
  }
  std::filesystem::path out = AskSavePath(
      Ui("打印到 PDF 文件"), std::filesystem::path(path_).replace_extension(".pdf"), Ui("PDF 文件 (*.pdf)"));
  if (out.empty()) return;
  if (out.extension().empty()) out += ".pdf";
  try {
    WriteBeside(out, [&](const std::filesystem::path& part) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(FromPath(part));
      PrintTo(printer);
      if (!printer.isValid() || printer.printerState() == QPrinter::Error) throw Error(Utf8ToCp936("写入文件失败！"));
    });
  } catch (const Error& e) {
    ShowError(e.message());
  }
}

void TfrmView::OpenAction() {
  const QString folder = path_.empty() ? QString() : FromPath(path_.parent_path());
  const QString name = QFileDialog::getOpenFileName(this, Ui("打开记录"), folder,
                                                    Ui("记录 (*.T7P *.QFX *.ESP *.t7p *.qfx *.esp);;所有文件 (*)"));
  if (!name.isEmpty()) OpenFile(ToPath(name));
}

// ---- keys, drops, the window's place ----

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
      if (!ctrl) chkNormaliseClick(!display_.normalise);
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
      if (marked_ >= 0 && static_cast<size_t>(marked_) < section_.firstBreaks.size() && section_.firstBreaks[marked_] != 0) {
        section_.firstBreaks[static_cast<size_t>(marked_)] = 0;
        PicksChanged();
      }
      break;
    case Qt::Key_Escape:
      measure_.clear();
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

void TfrmView::ExportClick(SaveKind kind) {
  if (path_.empty()) return;
  static const struct {
    const char *extension, *filter;
  } kKinds[] = {{".sgy", "SEG-Y (*.sgy *.segy)"}, {".sg2", "SEG-2 (*.sg2 *.dat)"}, {".csv", "CSV (*.csv)"}};
  const auto& k = kKinds[static_cast<int>(kind)];
  const std::filesystem::path suggested = std::filesystem::path(path_).replace_extension(k.extension);
  const std::filesystem::path out =
      saveDialogHook ? saveDialogHook(kind, suggested) : AskSavePath(windowTitle(), suggested, Ui(k.filter));
  if (out.empty()) return;
  try {
    {
      BusyCursor busy;  // restored before the error box, whatever ends the export
      std::error_code ec;
      if (std::filesystem::equivalent(out, path_, ec)) throw Error(Utf8ToCp936("不能覆盖正在查看的文件！"));
      RecordReader reader(path_);
      WriteBeside(out, [&](const std::filesystem::path& part) {
        if (kind == SaveKind::kSegy) {
          WriteSegy(reader, part);
        } else if (kind == SaveKind::kSeg2) {
          WriteSeg2(reader, part);
        } else {
          RequirePicks(reader.header(), TextFromPath(path_.filename()));
          WritePicksTable(part, RecordPicks(reader, Utf8FromPath(path_.filename())));
        }
      });
    }
    statusBar()->showMessage(Ui("已导出：") + FromPath(out), 10000);
  } catch (const Error& e) {
    ShowError(e.message());
  }
}

void TfrmView::closeEvent(QCloseEvent* event) {
  if (!MayLeavePicks()) return event->ignore();
  SaveWindowPlace();
  event->accept();
}

void TfrmView::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placed_ || event->spontaneous()) return;
  placed_ = true;
  // The place it had when last closed, else 1280 x 800 at most, centred;
  // a size a caller set before showing it stands.
  const QByteArray saved = StoreGroup(QStringLiteral("viewer")).Value(QStringLiteral("geometry")).toByteArray();
  if (!testAttribute(Qt::WA_Resized) && (saved.isEmpty() || !restoreGeometry(saved))) {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s) {
      const QRect available = s->availableGeometry();
      const QSize size = QSize(1280, 800).boundedTo(available.size() * 0.92);
      resize(size);
      move(available.center() - QPoint(size.width() / 2, size.height() / 2));
    }
  }
  FitOnScreen();
  // Once the window manager has framed it, again with the frame.
  QTimer::singleShot(0, this, [this] { FitOnScreen(); });
}

void TfrmView::FitOnScreen() {
  if (isMaximized() || isFullScreen()) return;
  QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect available = s->availableGeometry();
  const QSize frameExtra = frameGeometry().size() - size();
  const QSize fits = size().boundedTo(available.size() - frameExtra).expandedTo(minimumSizeHint());
  if (fits != size()) resize(fits);
  const QRect frame = frameGeometry();
  QPoint at = frame.topLeft();
  at.setX(std::max(available.left(), std::min(at.x(), available.right() + 1 - frame.width())));
  at.setY(std::max(available.top(), std::min(at.y(), available.bottom() + 1 - frame.height())));
  if (at != frame.topLeft()) move(at);
}

void TfrmView::SaveWindowPlace() {
  StoreGroup(QStringLiteral("viewer")).SetValue(QStringLiteral("geometry"), saveGeometry());
}

void TfrmView::ShowError(const std::string& message) {
  if (errorBoxHook) return errorBoxHook(message);
  QMessageBox box(QMessageBox::Critical, windowTitle(), FromCore(message), QMessageBox::Ok, this);
  box.exec();
}

TfrmView::Tool TfrmView::tool() const {
  return actToolPick->isChecked() ? Tool::kPick : actToolMeasure->isChecked() ? Tool::kMeasure : Tool::kView;
}

// ---- the canvas ----

TSectionCanvas::TSectionCanvas(TfrmView* owner) : QWidget(owner), owner_(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(320, 240);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void TSectionCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (owner_->record_.channels.empty()) {
    painter.fillRect(rect(), Qt::white);
    painter.setFont(view::SectionFont(16));
    painter.drawText(rect(), Qt::AlignCenter, Ui("将 .T7P、.QFX 或 .ESP 文件拖到这里"));
    return;
  }
  const view::Section& section = owner_->section();
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  if (owner_->pictureStale_ || owner_->picture_.size() != pixels) {
    owner_->picture_ = QImage(pixels, QImage::Format_RGB32);
    owner_->picture_.setDevicePixelRatio(ratio);
    QPainter picture(&owner_->picture_);
    view::PaintSection(picture, section, owner_->geometry_, owner_->frame_, owner_->display_, width(), height(),
                       owner_->marked_);
    owner_->pictureStale_ = false;
  }
  painter.drawImage(0, 0, owner_->picture_);

  const view::SectionGeometry& g = owner_->geometry_;
  if (dragging_ && (cursor_ - pressAt_).manhattanLength() > 6) {
    painter.setPen(QPen(QColor(0, 90, 200), 1, Qt::DashLine));
    painter.setBrush(QColor(0, 90, 200, 30));
    painter.drawRect(QRect(pressAt_, cursor_).normalized());
  }
  if (!owner_->measure_.empty()) {
    auto point = [&](const QPointF& m) {
      const double t = g.TimeToPixel(m.x()), p = g.PositionToPixel(m.y());
      return g.timeDown ? QPointF(p, t) : QPointF(t, p);
    };
    const QPointF a = point(owner_->measure_[0]);
    const QPointF b = owner_->measure_.size() > 1 ? point(owner_->measure_[1]) : QPointF(cursor_);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(200, 0, 120), 2));
    if (owner_->measure_.size() > 1 || g.Inside(cursor_.x(), cursor_.y())) painter.drawLine(a, b);
    painter.setBrush(QColor(200, 0, 120));
    painter.drawEllipse(a, 3, 3);
    if (owner_->measure_.size() > 1) painter.drawEllipse(b, 3, 3);
  }
}

void TSectionCanvas::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  owner_->pictureStale_ = true;
}

void TSectionCanvas::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
  const Qt::KeyboardModifiers mods = event->modifiers();
  const QPointF at = event->position();
  if (mods & Qt::ControlModifier) {
    // Zoom around the point under the cursor.
    owner_->section();
    const view::SectionGeometry& g = owner_->geometry_;
    const double factor = std::pow(0.8, delta / 120.0);
    if (mods & Qt::ShiftModifier)
      owner_->ZoomTraces(factor, g.PixelToPosition(g.timeDown ? at.x() : at.y()));
    else
      owner_->ZoomTime(factor, g.TimeAt(at.x(), at.y()));
  } else if (mods & Qt::ShiftModifier) {
    owner_->section();
    const int pixels = static_cast<int>(std::lround(delta / 120.0 * owner_->geometry_.TimePixels() / 10));
    owner_->geometry_.timeDown ? owner_->ScrollPixels(0, pixels) : owner_->ScrollPixels(pixels, 0);
  } else {
    wheelRest_ += delta;
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps != 0) owner_->StepGain(steps);
  }
  event->accept();
}

void TSectionCanvas::mousePressEvent(QMouseEvent* event) {
  setFocus();
  pressAt_ = cursor_ = event->pos();
  const int x = event->pos().x(), y = event->pos().y();
  switch (owner_->tool()) {
    case TfrmView::Tool::kView:
      if (event->button() == Qt::LeftButton) dragging_ = true;
      break;
    case TfrmView::Tool::kPick:
      if (event->button() == Qt::LeftButton) {
        owner_->section();
        pickTrace_ = owner_->geometry_.TraceUnder(x, y);
        picking_ = pickTrace_ >= 0;
        owner_->SetFirstBreakAt(x, y);
      } else if (event->button() == Qt::RightButton) {
        owner_->DeleteFirstBreakAt(x, y);
      }
      break;
    case TfrmView::Tool::kMeasure:
      if (event->button() == Qt::LeftButton) owner_->MeasureAt(x, y);
      break;
  }
}

void TSectionCanvas::mouseMoveEvent(QMouseEvent* event) {
  cursor_ = event->pos();
  owner_->lblReadout->setText(owner_->ReadoutAt(cursor_.x(), cursor_.y()));
  if (picking_) {
    // Moving the pick along the trace it was set on, wherever the cursor strays.
    const view::SectionGeometry& g = owner_->geometry_;
    const double along = g.Baseline(pickTrace_);
    const QPoint on = g.timeDown ? QPoint(static_cast<int>(std::lround(along)), cursor_.y())
                                 : QPoint(cursor_.x(), static_cast<int>(std::lround(along)));
    if (g.Inside(on.x(), on.y())) owner_->SetFirstBreakAt(on.x(), on.y());
  }
  if (dragging_ || owner_->measure_.size() == 1) update();
}

void TSectionCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_ && event->button() == Qt::LeftButton) {
    dragging_ = false;
    if ((event->pos() - pressAt_).manhattanLength() > 6)
      owner_->ZoomToBox(QRect(pressAt_, event->pos()).normalized());
    else
      owner_->MarkTraceAt(pressAt_.x(), pressAt_.y());
    update();
  }
  picking_ = false;
}

void TSectionCanvas::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  cursor_ = QPoint(-1, -1);
  owner_->lblReadout->clear();
  if (owner_->measure_.size() == 1) update();
}

}  // namespace gt7p
