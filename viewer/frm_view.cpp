#include "viewer/frm_view.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "viewer/section_painter.h"

namespace gt7p {
namespace {

QString Ui(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

TfrmView::TfrmView(QWidget* parent) : QWidget(parent) {
  setWindowTitle(Ui("查看波形"));
  setAcceptDrops(true);
  resize(1280, 800);

  btnGainDown = new QToolButton(this);
  btnGainDown->setText(Ui("−"));
  btnGainDown->setToolTip(Ui("减小增益（-）"));
  btnGainUp = new QToolButton(this);
  btnGainUp->setText(Ui("+"));
  btnGainUp->setToolTip(Ui("增大增益（+）"));
  chkNormalise = new QCheckBox(Ui("道归一化"), this);
  chkNormalise->setChecked(scaling_.normalise);
  chkNormalise->setToolTip(Ui("每道按其最大绝对值归一（N）"));
  lblHint = new QLabel(Ui("滚轮或 +/− 调整增益，单击一道显示其道头，拖入 .T7P、.QFX 或 .ESP 文件打开"), this);
  btnExport = new QToolButton(this);
  btnExport->setText(Ui("导出"));
  btnExport->setPopupMode(QToolButton::InstantPopup);
  btnExport->setEnabled(false);
  auto* exportMenu = new QMenu(btnExport);
  actExportSegy = exportMenu->addAction(Ui("导出 SEG-Y…"));
  actExportSeg2 = exportMenu->addAction(Ui("导出 SEG-2…"));
  actExportPicks = exportMenu->addAction(Ui("导出拾取表…"));
  btnExport->setMenu(exportMenu);
  for (QWidget* w : std::initializer_list<QWidget*>{btnGainDown, btnGainUp, chkNormalise, btnExport, lblHint}) {
    w->setFont(view::SectionFont(13));
    w->setFocusPolicy(Qt::NoFocus);  // the keys belong to the section
  }
  pnlSection = new TSectionCanvas(this);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(8, 4, 8, 0);
  bar->addWidget(btnGainDown);
  bar->addWidget(btnGainUp);
  bar->addSpacing(8);
  bar->addWidget(chkNormalise);
  bar->addSpacing(8);
  bar->addWidget(btnExport);
  bar->addSpacing(16);
  bar->addWidget(lblHint, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(bar);
  layout->addWidget(pnlSection, 1);

  connect(btnGainDown, &QToolButton::clicked, this, [this] { btnGainDownClick(); });
  connect(btnGainUp, &QToolButton::clicked, this, [this] { btnGainUpClick(); });
  connect(chkNormalise, &QCheckBox::clicked, this, [this](bool checked) { chkNormaliseClick(checked); });
  connect(actExportSegy, &QAction::triggered, this, [this] { ExportClick(ExportKind::kSegy); });
  connect(actExportSeg2, &QAction::triggered, this, [this] { ExportClick(ExportKind::kSeg2); });
  connect(actExportPicks, &QAction::triggered, this, [this] { ExportClick(ExportKind::kPicks); });
  setFocusPolicy(Qt::StrongFocus);
}

TfrmView::~TfrmView() = default;

bool TfrmView::OpenFile(const std::filesystem::path& path) {
  Record record;
  try {
    record = ReadRecord(path);
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  }
  record_ = std::move(record);
  path_ = path;
  marked_ = -1;
  section_ = view::Section();
  section_.header = record_.header;
  section_.fileName = TextFromPath(path.filename());
  view::TimeSpan(section_.header, section_.firstMs, section_.lastMs);
  section_.traces.resize(record_.channels.size());  // made by Relayout, for the columns it finds
  UpdateHeaderLines();
  laidOutWidth_ = laidOutHeight_ = -1;
  geometry_.width = -1;
  setWindowTitle(Ui("查看波形 - ") + QString::fromStdString(Utf8FromPath(path.filename())));
  btnExport->setEnabled(true);
  pnlSection->update();
  return true;
}

void TfrmView::UpdateHeaderLines() {
  section_.headerLines = HeaderFieldLines(record_.header);
  if (marked_ < 0 || static_cast<size_t>(marked_) >= record_.channels.size()) return;
  section_.headerLines.push_back({std::string(), std::string()});
  section_.headerLines.push_back(
      {Utf8ToCp936("第") + std::to_string(marked_ + 1) + Utf8ToCp936("道"), std::string()});
  for (const FieldLine& line : ChannelFieldLines(record_.header, record_.channels[static_cast<size_t>(marked_)].header))
    section_.headerLines.push_back(line);
}

const view::Section& TfrmView::section() {
  Relayout(pnlSection->width(), pnlSection->height());
  return section_;
}

void TfrmView::Relayout(int width, int height) {
  if (record_.channels.empty() || (width == laidOutWidth_ && height == laidOutHeight_)) return;
  const int oldColumns = geometry_.width;
  geometry_ = view::FitSection(section_, width, height, frame_);
  // The traces are decimated anew only for other columns (a new record
  // included); a marked trace changes the panel's lines, not the traces.
  if (geometry_.width != oldColumns)
    for (size_t i = 0; i < record_.channels.size(); ++i)
      section_.traces[i] = view::MakeSectionTrace(record_.channels[i], geometry_.width);
  laidOutWidth_ = width;
  laidOutHeight_ = height;
}

void TfrmView::chkNormaliseClick(bool checked) {
  scaling_.normalise = checked;
  pnlSection->update();
}

void TfrmView::StepGain(int steps) {
  scaling_.gain = view::StepGain(scaling_.gain, steps);
  pnlSection->update();
}

void TfrmView::MarkTraceAt(int x, int y) {
  if (record_.channels.empty()) return;
  section();  // laid out for the current size
  const int trace = x >= geometry_.left && x < geometry_.left + geometry_.width ? geometry_.TraceAt(y) : -1;
  marked_ = trace == marked_ ? -1 : trace;
  UpdateHeaderLines();
  laidOutWidth_ = -1;  // the panel's lines changed: measure again
  pnlSection->update();
}

void TfrmView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      StepGain(1);
      break;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      StepGain(-1);
      break;
    case Qt::Key_N:
      chkNormalise->setChecked(!chkNormalise->isChecked());
      chkNormaliseClick(chkNormalise->isChecked());
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

static std::filesystem::path DroppedFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile()) return {};
  return PathFromUtf8(mime->urls().first().toLocalFile().toStdString());
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

void TfrmView::ExportClick(ExportKind kind) {
  if (path_.empty()) return;
  static const struct {
    const char *extension, *filter;
  } kKinds[] = {{".sgy", "SEG-Y (*.sgy *.segy)"}, {".sg2", "SEG-2 (*.sg2 *.dat)"}, {".csv", "CSV (*.csv)"}};
  const auto& k = kKinds[static_cast<int>(kind)];
  const std::filesystem::path suggested = std::filesystem::path(path_).replace_extension(k.extension);
  std::filesystem::path out;
  if (saveDialogHook) {
    out = saveDialogHook(kind, suggested);
  } else {
    const QString chosen = QFileDialog::getSaveFileName(this, windowTitle(), QString::fromStdString(Utf8FromPath(suggested)),
                                                        Ui(k.filter));
    if (!chosen.isEmpty()) out = PathFromUtf8(chosen.toStdString());
  }
  if (out.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    std::error_code ec;
    if (std::filesystem::equivalent(out, path_, ec)) throw Error(Utf8ToCp936("不能覆盖正在查看的文件！"));
    RecordReader reader(path_);
    WriteBeside(out, [&](const std::filesystem::path& part) {
      if (kind == ExportKind::kSegy) {
        WriteSegy(reader, part);
      } else if (kind == ExportKind::kSeg2) {
        WriteSeg2(reader, part);
      } else {
        RequirePicks(reader.header(), TextFromPath(path_.filename()));
        WritePicksTable(part, RecordPicks(reader, Utf8FromPath(path_.filename())));
      }
    });
    QApplication::restoreOverrideCursor();
    lblHint->setText(Ui("已导出：") + QString::fromStdString(Utf8FromPath(out)));
  } catch (const Error& e) {
    QApplication::restoreOverrideCursor();
    ShowError(e.message());
  }
}

void TfrmView::ShowError(const std::string& message) {
  if (errorBoxHook) return errorBoxHook(message);
  QMessageBox box(QMessageBox::Critical, windowTitle(), QString::fromStdString(Cp936ToUtf8(message)), QMessageBox::Ok,
                  this);
  box.exec();
}

TSectionCanvas::TSectionCanvas(TfrmView* owner) : QWidget(owner), owner_(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(320, 240);
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
  view::PaintSection(painter, section, owner_->geometry_, owner_->frame_, owner_->scaling_, width(), height(),
                     owner_->marked_);
}

void TSectionCanvas::wheelEvent(QWheelEvent* event) {
  wheelRest_ += event->angleDelta().y();
  const int steps = wheelRest_ / 120;
  wheelRest_ -= steps * 120;
  if (steps != 0) owner_->StepGain(steps);
  event->accept();
}

void TSectionCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) owner_->MarkTraceAt(event->pos().x(), event->pos().y());
}

}  // namespace gt7p
