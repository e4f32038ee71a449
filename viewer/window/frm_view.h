// The record viewer TfrmView: one record's section (see section.h and
// section_painter.h) with tabs beside it: its header fields, the marked
// trace's spectrum, the travel-time curve and the interpretation of the
// first breaks ("解析", interpretation_tab.h). Opened with a file (gt7p
// --view FILE, or a saved list row), by dropping a file on it, or by
// stepping through the records of its folder (PgUp, PgDn); "打开测线…"
// opens several records of a folder as a line (OpenLine).
//
// Gain: the mouse wheel, "+" and "-" or the buttons, 3 dB a step; "N" or
// the check box switches trace normalisation. Zoom: Ctrl with the wheel
// (time; with Shift the traces), a box dragged with the view tool, Ctrl+=
// and Ctrl+- (time), Ctrl+] and Ctrl+[ (traces), Ctrl+0 or Home to see all;
// the arrow keys and the scroll bars move. A click marks a trace: its
// channel header and spectrum show beside the section. The pick tool sets
// or moves the first break of the trace under the cursor (the right button
// or Delete removes it); Ctrl+Z undoes an edit of the first breaks or of
// the "解析" tab's layer choices, Ctrl+Y or Ctrl+Shift+Z redoes it; "自动拾取" searches the time window ("时窗")
// and, where there are picks, asks whether to fill only the traces without
// one. The measuring tool's two clicks give Δt, Δx
// and the apparent velocity. The status line reads out the point under the
// cursor. The file menu also writes the open record's file as SEG-Y, SEG-2
// or the picks table (records/records.h), through a save dialog.
//
// The window is a client of the viewer's state (section_view.h): what is
// visible, the marked trace, the measuring line and the first breaks live
// there; the window holds the record's samples, their displayed copies and
// the widgets. Its files: frm_view.cpp (the widgets and the window's
// place), frm_view_controls.cpp (actions, tool bars, menus, display and
// processing), frm_view_record.cpp (opening, laying out, zoom and scroll),
// frm_view_picks.cpp (marking, picking, measuring, the picks table),
// frm_view_output.cpp (exports, pictures, prints), section_canvas.h (the
// canvas and its mouse), side_panels.h (the tabs beside the section).
//
// The window keeps its size and place, and the display settings with the
// time window (the group "viewer" of the settings store), and opens on a
// screen of now whatever screens it was closed on (ui/window_on_screen.h).
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QRect>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "viewer/processing.h"
#include "viewer/section.h"
#include "viewer/section_view.h"
#include "viewer/window/interpretation_tab.h"
#include "viewer/window/section_canvas.h"

class QAbstractSpinBox;
class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPrinter;
class QScrollBar;
class QTabWidget;
class QToolButton;

namespace gt7p {

class TSideTab;
class THeaderTable;
class TSpectrumPanel;
class TTravelTimePanel;

class TfrmView : public QMainWindow {
  Q_OBJECT
 public:
  // The most samples (channels times samples per channel) of a record the
  // window shows: it holds them twice, as recorded and as displayed. A
  // larger record is refused with a message; gt7p-cli plot draws any.
  static constexpr int64_t kMaxViewedSamples = int64_t(1) << 26;

  explicit TfrmView(QWidget* parent = nullptr);
  ~TfrmView() override;

  // Reads the whole record and the operator's first breaks beside it
  // (NAME.picks.csv); on failure (a record too large for memory included)
  // shows the system's message and keeps what was shown. Returns whether
  // it opened. First breaks changed since they were saved are offered for
  // saving first; cancelling keeps the record shown.
  bool OpenFile(const std::filesystem::path& path);
  // The record `step` places after (before) this one in its folder.
  bool OpenNeighbour(int step);
  // "打开测线…": records of one folder opened as a line. Their geometry is
  // the line file in that folder naming them (interpret::FindLineFile,
  // matched as gt7p-cli interpret --geometry matches it); where there is
  // none, a new LINE.line.csv is made from the table (TLineDialog) and
  // written complete or not at all. The first record is shown and the
  // "解析" tab interprets the line (interpretation_tab.h). A failure shows
  // its message in the error box; false then, or when cancelled.
  bool OpenLine(const std::vector<std::filesystem::path>& records);
  QAction* actOpenLine;
  // Seams for tests: the records asked for (empty: cancelled), and the
  // new line file's table: the name and rows given back, none: cancelled.
  std::function<std::vector<std::filesystem::path>()> openLineHook;
  struct NewLine {
    std::string nameUtf8;
    std::vector<interpret::LineRow> rows;
  };
  std::function<std::optional<NewLine>(const NewLine& suggested)> lineTableHook;

  const Record& record() const { return record_; }
  std::filesystem::path fileName() const { return path_; }
  const view::SectionView& state() const { return state_; }
  const view::DisplayOptions& display() const { return state_.display(); }
  const view::Processing& processing() const { return processing_; }
  const view::ViewRange& range() const { return state_.range(); }
  int markedTrace() const { return state_.marked(); }
  // The operator's first breaks per trace: sample numbers from 1, 0 none;
  // whether they changed since they were read or saved.
  const std::vector<int32_t>& firstBreaks() const { return state_.picks().picks(); }
  bool picksChanged() const { return state_.picks().changed(); }
  // The operator's reflection picks, the same way.
  const std::vector<int32_t>& reflectionPicks() const { return state_.picks().reflections(); }
  // The samples of trace i as displayed (processed, or the record's own),
  // and whether processing changed them.
  const std::vector<float>& Displayed(size_t trace) const;
  bool processed() const { return !displayed_.empty(); }

  // Controls.
  QToolButton *btnGainDown, *btnGainUp;
  QDoubleSpinBox *spnGain, *spnClip, *spnAgc, *spnLowCut, *spnHighCut;
  QCheckBox *chkNormalise, *chkAgc, *chkDc, *chkBandPass;
  QComboBox* cboMode;
  QAction *actTimeDown, *actByDistance, *actReverse, *actFlip;
  QAction *actZoomIn, *actZoomOut, *actZoomTracesIn, *actZoomTracesOut, *actZoomReset;
  QAction *actToolView, *actToolPick, *actToolMeasure, *actAutoPick, *actClearPicks, *actSavePicks;
  QAction *actUndo, *actRedo;
  // What picking sets: the first breaks ("初至") or the reflections
  // ("反射波"); a reflection survey's record opens on the reflections.
  QAction *actPickFirstBreaks, *actPickReflections;
  void SetPickKind(view::PickKind kind);
  QAction *actOpen, *actPrevious, *actNext, *actSaveImage, *actPrint, *actPrintPdf, *actClose;
  QScrollBar *sbHorizontal, *sbVertical;
  TSectionCanvas* pnlSection;
  QTabWidget* tabSide;
  THeaderTable* tblHeader;
  TSpectrumPanel* pnlSpectrum;
  TTravelTimePanel* pnlTravelTime;
  TInterpretationTab* pnlInterpretation;  // "解析" (interpretation_tab.h)
  QLabel *lblReadout, *lblMeasure;

  // A tab beside the section, after those there: told what changed from
  // now on (side_panels.h), and brought up to date at once.
  void AddSideTab(TSideTab* tab, QWidget* page, const QString& title);

  // Seams for tests: the error box and the question whether to save changed
  // first breaks (QMessageBox::Save, Discard or Cancel).
  std::function<void(const std::string& message)> errorBoxHook;
  std::function<int()> savePicksQuestionHook;
  // Whether "自动拾取" fills the traces without a pick (只补空道), replaces
  // every pick (全部替换) or does nothing; asked when there are picks.
  enum class AutoPickChoice { kFillEmpty, kReplaceAll, kCancel };
  std::function<AutoPickChoice()> autoPickQuestionHook;

  // What a save dialog asks a name for: the exports "导出 SEG-Y…",
  // "导出 SEG-2…", "导出拾取表…" of the file menu, and the operator's first
  // breaks when the table beside the record could not be read.
  enum class SaveKind { kSegy, kSeg2, kPicks, kFirstBreaks };
  QAction *actExportSegy, *actExportSeg2, *actExportPicks;
  // Asks for the output's name (suggested: the record's with the format's
  // extension) and writes the open record's file there, complete or not at
  // all; a failure shows the system's message in the error box.
  void ExportClick(SaveKind kind);
  // Seam for tests: the save dialog; an empty path is a cancel.
  std::function<std::filesystem::path(SaveKind kind, const std::filesystem::path& suggested)> saveDialogHook;

  // Handlers.
  void btnGainDownClick() { StepGain(-1); }
  void btnGainUpClick() { StepGain(1); }
  void chkNormaliseClick(bool checked);
  void StepGain(int steps);
  void SetDisplay(const view::DisplayOptions& options);
  void SetProcessing(const view::Processing& processing);
  // The mode, gain, normalisation, clipping and processing at their
  // defaults ("恢复默认"). The window starts with those the last viewer
  // window closed with (the group "viewer" of the settings store).
  void RestoreDefaults();
  QAction* actRestoreDefaults;
  // The time window ("时窗", section.h): the section shows that part of the
  // record's time and the automatic picker searches it. Kept with the
  // display settings; the boxes show the record's span while it is off.
  const view::TimeWindow& timeWindow() const { return state_.timeWindow(); }
  void SetTimeWindow(const view::TimeWindow& window);
  QCheckBox* chkWindow;
  QDoubleSpinBox *spnWindowFrom, *spnWindowTo;

  // Zoom and scroll; factors below 1 come closer. Anchors stay where they
  // are on the screen.
  void ZoomTime(double factor, std::optional<double> anchorMs = std::nullopt);
  void ZoomTraces(double factor, std::optional<double> anchorPosition = std::nullopt);
  void ZoomToBox(const QRect& box);  // canvas pixels
  void ResetZoom();
  void ScrollPixels(int dx, int dy);  // the picture moves by this much

  // Points are the canvas's pixels.
  void MarkTraceAt(int x, int y);
  void SetFirstBreakAt(int x, int y);
  void DeleteFirstBreakAt(int x, int y);
  void AutoPick();
  void ClearPicks();
  // Undo and redo take back the last edit of the first breaks or of the
  // "解析" tab's layer choices.
  void UndoPick();
  void RedoPick();
  // The "解析" tab's layer choices of the record (layer_assignment.h): one
  // undoable step (`continuing`: on with the last one, a drag), written
  // to NAME.layers.csv beside the record when `save`; a failure to write
  // goes to the error box. Read with the first breaks on open; the
  // message of a file that could not be read, else empty (code page 936).
  const std::map<int32_t, int>& layerChoices() const { return state_.layers(); }
  void SetLayerChoices(const std::map<int32_t, int>& chosen, bool continuing, bool save);
  void SaveLayerChoices();
  const std::string& layersError() const { return layersError_; }
  // Writes the first breaks into their table (NAME.picks.csv, complete or
  // not at all; another file when that one could not be read); false, with
  // the message, when it can't.
  bool SavePicks();
  void MeasureAt(int x, int y);  // the first, then the second point
  QString ReadoutAt(int x, int y) const;

  // The section as a picture (with the header panel) of `size`, the
  // current view, and where the "解析" tab has first breaks its picture of
  // the same size beside it (InterpretationPictureOf); a print gives the
  // tab a page after the section's. "写入文件失败！" and the like go to the
  // error box.
  bool SaveImage(const std::filesystem::path& png, const QSize& size);
  void PrintTo(QPrinter& printer);
  // NAME.interpretation.png beside the section's NAME.png.
  static std::filesystem::path InterpretationPictureOf(const std::filesystem::path& png);

  // The section as laid out for the canvas's current size.
  const view::Section& section();
  const view::SectionGeometry& sectionGeometry() const { return geometry_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  friend class TSectionCanvas;
  enum class Tool { kView, kPick, kMeasure };
  // The wait cursor while the record is read, processed or written.
  struct BusyCursor {
    BusyCursor();
    ~BusyCursor();
  };

  // frm_view_controls.cpp
  void MakeActions();
  void MakeToolBars();
  void MakeMenus();
  void GiveBackFocus(QAbstractSpinBox* spin);  // after Return, to the section
  void SyncDisplayControls();
  void SyncProcessingControls();
  void SuggestProcessing();  // corners and AGC window that suit the record, until chosen
  void SyncWindowControls();

  // frm_view_record.cpp
  bool TakeRecord(const std::filesystem::path& path);
  void Reprocess();                  // the displayed samples and their peaks
  void SetPeaks();                   // each trace's peak as displayed
  void Relayout(int width, int height);
  void Invalidate(bool columns);     // the picture (and the columns) made again
  void RangeChanged() { Invalidate(true); }
  void UpdateScrollBars();
  void ScrollBarMoved();

  // frm_view_picks.cpp
  void DragFirstBreak(int trace, int x, int y);  // the pick a press set, along its trace
  void LoadPicks();
  void PicksChanged();
  void EditsChanged(unsigned changes);  // the undo and redo actions, the tabs
  // Whether the record may be left: changed first breaks saved or dropped.
  bool MayLeavePicks();
  // Another file for the first breaks when the table beside the record
  // could not be read (saying so first); false when cancelled or refused.
  bool AskPicksTable();
  void ShowMeasure();

  // frm_view_output.cpp
  void SaveImageAction();
  // The save dialog, `suggested` filled in; an empty path is a cancel.
  std::filesystem::path AskSavePath(const QString& title, const std::filesystem::path& suggested,
                                    const QString& filter);
  void PrintAction(bool pdf);
  void OpenAction();
  void OpenLineAction();

  // frm_view.cpp
  void Refresh(unsigned changes);  // the tabs beside the section (TSideTab::Change)
  void ShowError(const std::string& message);
  Tool tool() const;

  Record record_;
  std::filesystem::path path_;
  std::string layersError_;
  std::vector<std::vector<float>> displayed_;  // empty while nothing is processed
  view::SectionView state_;
  view::Processing processing_;
  view::SectionGeometry geometry_;
  view::Frame frame_;
  std::vector<TSideTab*> sideTabs_;
  bool columnsStale_ = true, pictureStale_ = true;
  int laidOutWidth_ = -1, laidOutHeight_ = -1;
  QImage picture_;
  bool placed_ = false;           // sized and placed on the screen once
  bool syncingControls_ = false;
};

}  // namespace gt7p
