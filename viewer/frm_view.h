// The record viewer TfrmView: one record's section (see section.h and
// section_painter.h) with its header fields beside it. Opened with a file
// (gt7p --view FILE, or a saved list row), or by dropping a file on it.
//
// Gain: mouse wheel, "+" and "-" keys or the buttons, 3 dB a step; "N" or
// the check box switches trace normalisation. A click on a trace marks it
// and adds its channel header to the fields. The export button's menu
// writes the open record's file as SEG-Y, SEG-2 or the picks table
// (records/records.h), through a save dialog.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "viewer/section.h"

class QAction;
class QCheckBox;
class QLabel;
class QToolButton;

namespace gt7p {

class TSectionCanvas;

class TfrmView : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmView(QWidget* parent = nullptr);
  ~TfrmView() override;

  // Reads the whole record; on failure shows the
  // system's message and keeps what was shown. Returns whether it opened.
  bool OpenFile(const std::filesystem::path& path);

  const Record& record() const { return record_; }
  const view::Scaling& scaling() const { return scaling_; }
  int markedTrace() const { return marked_; }
  std::filesystem::path fileName() const { return path_; }

  // Controls.
  QToolButton *btnGainDown, *btnGainUp;
  QCheckBox* chkNormalise;
  QLabel* lblHint;
  TSectionCanvas* pnlSection;

  // Seam for tests: the error box.
  std::function<void(const std::string& message)> errorBoxHook;

  // Export: "导出 SEG-Y…", "导出 SEG-2…", "导出拾取表…" in btnExport's menu.
  enum class ExportKind { kSegy, kSeg2, kPicks };
  QToolButton* btnExport;
  QAction *actExportSegy, *actExportSeg2, *actExportPicks;
  // Asks for the output's name (suggested: the record's with the format's
  // extension) and writes the open record's file there, complete or not at
  // all; a failure shows the system's message in the error box.
  void ExportClick(ExportKind kind);
  // Seam for tests: the save dialog; an empty path is a cancel.
  std::function<std::filesystem::path(ExportKind kind, const std::filesystem::path& suggested)> saveDialogHook;

  // Handlers.
  void btnGainDownClick() { StepGain(-1); }
  void btnGainUpClick() { StepGain(1); }
  void chkNormaliseClick(bool checked);
  void StepGain(int steps);
  void MarkTraceAt(int x, int y);

  // The section as laid out for the canvas's current size.
  const view::Section& section();
  const view::SectionGeometry& geometry() const { return geometry_; }
  const view::Frame& frame() const { return frame_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class TSectionCanvas;
  void Relayout(int width, int height);
  void UpdateHeaderLines();
  void ShowError(const std::string& message);

  Record record_;
  std::filesystem::path path_;
  view::Section section_;
  view::SectionGeometry geometry_;
  view::Frame frame_;
  view::Scaling scaling_;
  int marked_ = -1;
  int laidOutWidth_ = -1, laidOutHeight_ = -1;
};

// The canvas the section is painted on.
class TSectionCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit TSectionCanvas(TfrmView* owner);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TfrmView* owner_;
  int wheelRest_ = 0;  // angle not yet turned into a step (fine-grained wheels)
};

}  // namespace gt7p
