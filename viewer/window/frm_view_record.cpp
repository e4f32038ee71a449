// The viewer window's record: opening it and stepping through its folder,
// its displayed copies, laying the section out for the canvas, and zoom
// and scroll through the view's state and the scroll bars.
#include <QLabel>
#include <QScrollBar>
#include <algorithm>
#include <new>

#include "base/cp936.h"
#include "base/error.h"
#include "ui/ui.h"
#include "viewer/record_files.h"
#include "viewer/section_painter.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/section_canvas.h"
#include "viewer/window/side_panels.h"

namespace gt7p {

namespace {

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

}  // namespace

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
  record_ = std::move(record);
  displayed_ = std::move(displayed);
  path_ = path;
  state_.Show(std::move(section));
  const int method = interpret::MethodCodeOf(record_.header);
  SetPickKind(method == 40 || method == 41 ? view::PickKind::kReflection : view::PickKind::kFirstBreak);
  SetPeaks();
  state_.section().settingsText = view::SettingsText(display(), processing_);
  SuggestProcessing();
  SyncWindowControls();
  setWindowTitle(Ui("查看波形 - ") + FromPath(path.filename()));
  lblReadout->clear();  // it read out the record before
  LoadPicks();
  Refresh(TSideTab::kAll);
  ShowMeasure();
  Invalidate(true);
  return true;
}

void TfrmView::SetPeaks() {
  std::vector<view::SectionTrace>& traces = state_.section().traces;
  for (size_t i = 0; i < traces.size(); ++i) {
    const std::vector<float>& samples = Displayed(i);
    traces[i].peak = view::PeakOf(samples.data(), samples.size());
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
  state_.section().settingsText = view::SettingsText(display(), processing_);
  Refresh(TSideTab::kProcessing);
  Invalidate(true);
}

// ---- laying out ----

const view::Section& TfrmView::section() {
  Relayout(pnlSection->width(), pnlSection->height());
  return state_.section();
}

void TfrmView::Relayout(int width, int height) {
  if (record_.channels.empty() || (!columnsStale_ && width == laidOutWidth_ && height == laidOutHeight_)) return;
  view::Section& section = state_.section();
  geometry_ = view::FitSection(section, display(), range(), width, height, false, frame_);
  for (size_t i = 0; i < section.traces.size(); ++i) {
    if (geometry_.Visible(static_cast<int>(i)))
      view::SetColumns(section.traces[i], section.header, Displayed(i), geometry_);
    else
      section.traces[i].columns.clear();
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

void TfrmView::ZoomTime(double factor, std::optional<double> anchorMs) {
  if (state_.empty()) return;
  state_.ZoomTime(factor, anchorMs);
  RangeChanged();
}

void TfrmView::ZoomTraces(double factor, std::optional<double> anchorPosition) {
  if (state_.empty()) return;
  state_.ZoomTraces(factor, anchorPosition);
  RangeChanged();
}

void TfrmView::ZoomToBox(const QRect& box) {
  if (state_.empty()) return;
  section();
  const QRect b = box.normalized();
  if (state_.ZoomToBox(geometry_, b.left(), b.top(), b.right(), b.bottom())) RangeChanged();
}

void TfrmView::ResetZoom() {
  if (state_.empty()) return;
  state_.ResetZoom();
  RangeChanged();
}

void TfrmView::ScrollPixels(int dx, int dy) {
  if (state_.empty()) return;
  section();
  state_.ScrollPixels(geometry_, dx, dy);
  RangeChanged();
}

void TfrmView::UpdateScrollBars() {
  syncingControls_ = true;
  auto set = [](QScrollBar* bar, const view::ScrollBar& state) {
    bar->setRange(0, state.maximum);
    bar->setPageStep(state.page);
    bar->setSingleStep(state.step);
    bar->setValue(state.value);
  };
  const bool down = display().timeDown;
  set(down ? sbVertical : sbHorizontal, state_.TimeBar());
  set(down ? sbHorizontal : sbVertical, state_.TraceBar());
  syncingControls_ = false;
}

void TfrmView::ScrollBarMoved() {
  if (syncingControls_ || state_.empty()) return;
  const bool down = display().timeDown;
  state_.ScrollBarsAt((down ? sbVertical : sbHorizontal)->value(), (down ? sbHorizontal : sbVertical)->value());
  // The bars stay as the operator moves them.
  columnsStale_ = true;
  pictureStale_ = true;
  pnlSection->update();
}

}  // namespace gt7p
