// The viewer window's outputs: the record's file exported as SEG-Y, SEG-2
// or the picks table, the section as a picture, printed or as a PDF.
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <algorithm>
#include <new>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "ui/ui.h"
#include "viewer/display_limits.h"
#include "viewer/section_painter.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/interpretation_tab.h"
#include "viewer/window/line_dialog.h"
#include "viewer/window/section_canvas.h"

namespace gt7p {

bool TfrmView::SaveImage(const std::filesystem::path& png, const QSize& size) {
  if (state_.empty()) return false;
  try {
    view::Section copy = state_.section();
    const QImage image = view::DrawSection(copy, display(), range(), size.width(), size.height(),
                                           [this](int i) -> const std::vector<float>& { return Displayed(static_cast<size_t>(i)); });
    if (image.isNull()) throw std::bad_alloc();
    WriteBeside(png, [&](const std::filesystem::path& part) { view::WritePng(image, part); });
    if (!pnlInterpretation->shot().breaks.empty()) {
      const QImage tab = pnlInterpretation->Picture(size);
      if (tab.isNull()) throw std::bad_alloc();
      WriteBeside(InterpretationPictureOf(png), [&](const std::filesystem::path& part) { view::WritePng(tab, part); });
    }
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  } catch (const std::bad_alloc&) {
    ShowError(FailureText(Failure::kOutOfMemory));
    return false;
  }
  return true;
}

void TfrmView::PrintTo(QPrinter& printer) {
  if (state_.empty()) return;
  QPainter painter(&printer);
  const QRect page = painter.viewport();
  // Laid out at a screen's scale, then scaled to the page: the text keeps
  // its size to the section's whatever the printer's resolution.
  const int width = 1600, height = std::max(400, static_cast<int>(1600.0 * page.height() / std::max(1, page.width())));
  painter.scale(static_cast<double>(page.width()) / width, static_cast<double>(page.height()) / height);
  view::Section copy = state_.section();
  view::PaintWholeSection(painter, copy, display(), range(), width, height,
                          [this](int i) -> const std::vector<float>& { return Displayed(static_cast<size_t>(i)); });
  if (!pnlInterpretation->shot().breaks.empty()) {
    printer.newPage();
    pnlInterpretation->PaintPage(painter, QRect(0, 0, width, height));
  }
}

std::filesystem::path TfrmView::InterpretationPictureOf(const std::filesystem::path& png) {
  std::filesystem::path name = png;
  return name.replace_extension(".interpretation" + png.extension().string());
}

void TfrmView::SaveImageAction() {
  if (state_.empty()) return;
  QDialog dialog(this);
  dialog.setWindowTitle(Ui("另存为图片"));
  auto* windowSize = new QRadioButton(
      Ui("窗口大小（") + QString::number(pnlSection->width()) + Ui(" × ") + QString::number(pnlSection->height()) + Ui("）"),
      &dialog);
  auto* chosen = new QRadioButton(Ui("指定大小"), &dialog);
  auto* w = new QSpinBox(&dialog);
  auto* h = new QSpinBox(&dialog);
  for (QSpinBox* side : {w, h}) side->setRange(static_cast<int>(view::kPictureSide.low), static_cast<int>(view::kPictureSide.high));
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
  if (state_.empty()) return;
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
      if (!printer.isValid() || printer.printerState() == QPrinter::Error) throw FailureError(Failure::kWriteFailed);
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

void TfrmView::OpenLineAction() {
  std::vector<std::filesystem::path> records;
  if (openLineHook) {
    records = openLineHook();
  } else {
    const QString folder = path_.empty() ? QString() : FromPath(path_.parent_path());
    for (const QString& name : QFileDialog::getOpenFileNames(this, Ui("打开测线：选择记录"), folder,
                                                             Ui("记录 (*.T7P *.QFX *.ESP *.t7p *.qfx *.esp)")))
      records.push_back(ToPath(name));
  }
  if (!records.empty()) OpenLine(records);
}

bool TfrmView::OpenLine(const std::vector<std::filesystem::path>& records) {
  if (records.size() < 2) {
    ShowError(Utf8ToCp936("测线至少要有两个记录！"));
    return false;
  }
  const std::filesystem::path folder = records.front().parent_path();
  std::filesystem::path file;
  std::vector<interpret::LineRow> rows;
  try {
    if (const auto found = interpret::FindLineFile(folder, records)) {
      file = *found;
      rows = interpret::MatchGeometry(interpret::ReadGeometry(file), records);
    }
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  }
  if (file.empty()) {
    // A new line file from the table, asked again until it is written.
    NewLine line;
    line.nameUtf8 = Utf8FromPath(records.front().stem());
    for (const std::filesystem::path& record : records) line.rows.push_back({Utf8FromPath(record.filename()), 0, 1, 1});
    for (;;) {
      std::optional<NewLine> given;
      if (lineTableHook) {
        given = lineTableHook(line);
      } else {
        TLineDialog dialog(line.nameUtf8, line.rows, this);
        if (dialog.exec() == QDialog::Accepted) given = NewLine{dialog.nameUtf8(), dialog.rows()};
      }
      if (!given) return false;
      line = *given;
      try {
        const std::filesystem::path out = interpret::LineFileOf(folder, line.nameUtf8);
        WriteBeside(out, [&](const std::filesystem::path& part) { interpret::WriteGeometry(part, line.rows); });
        file = out;
        rows = line.rows;
        break;
      } catch (const Error& e) {
        ShowError(e.message());
        if (lineTableHook) return false;
      }
    }
  }
  if (!OpenFile(records.front())) return false;
  try {
    BusyCursor busy;
    pnlInterpretation->SetLine(file, records, rows);
  } catch (const Error& e) {
    ShowError(e.message());
    return false;
  }
  // The shown record's choices are the line's from now on.
  state_.TakeLayers(rows.front().layers);
  EditsChanged(TSideTab::kLayers);
  tabSide->setCurrentWidget(pnlInterpretation);
  return true;
}

void TfrmView::ExportClick(SaveKind kind) {
  if (path_.empty()) return;
  // The dialog titled by its job.
  static const struct {
    const char *title, *extension, *filter;
  } kKinds[] = {{"导出 SEG-Y", ".sgy", "SEG-Y (*.sgy *.segy)"},
                {"导出 SEG-2", ".sg2", "SEG-2 (*.sg2 *.dat)"},
                {"导出拾取表", ".csv", "CSV (*.csv)"}};
  const auto& k = kKinds[static_cast<int>(kind)];
  const std::filesystem::path suggested = std::filesystem::path(path_).replace_extension(k.extension);
  const std::filesystem::path out =
      saveDialogHook ? saveDialogHook(kind, suggested) : AskSavePath(Ui(k.title), suggested, Ui(k.filter));
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

}  // namespace gt7p
