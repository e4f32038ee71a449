#include "viewer/section_view.h"

#include <algorithm>
#include <cmath>

#include "base/cp936.h"
#include "viewer/first_breaks.h"
#include "viewer/layer_assignment.h"

namespace gt7p {
namespace view {

namespace {

// Scroll bar units.
constexpr double kUnitsPerSample = 10, kUnitsPerGap = 100;

bool SameLayout(const RecordHeader& a, const RecordHeader& b) {
  const SampleTimes ta = SectionTimes(a), tb = SectionTimes(b);
  return a.channelCount == b.channelCount && a.sampleCount == b.sampleCount &&
         ta.intervalCentiUs == tb.intervalCentiUs && ta.firstCentiUs == tb.firstCentiUs;
}

ScrollBar Bar(double whole, double page, double value) {
  ScrollBar bar;
  bar.page = std::max(1, static_cast<int>(std::lround(page)));
  bar.maximum = std::max(0, static_cast<int>(std::lround(whole)) - bar.page);
  bar.step = std::max(1, bar.page / 10);
  bar.value = static_cast<int>(std::lround(value));
  return bar;
}

}  // namespace

void SectionView::Show(Section section) {
  const bool alike = !empty() && SameLayout(section.header, section_.header);
  const ViewRange oldFull = FullRange();
  section_ = std::move(section);
  axis_ = MakeTraceAxis(section_, display_.byDistance);
  marked_ = -1;
  measure_.clear();
  picks_ = PickEdits(section_.firstBreaks, section_.reflections);
  PicksChanged();
  otherPicks_.clear();
  picksTable_.clear();
  unreadable_.clear();
  const ViewRange full = FullRange();
  if (!alike || full.firstPos != oldFull.firstPos || full.lastPos != oldFull.lastPos) range_ = full;
}

bool SectionView::SetDisplay(const DisplayOptions& options) {
  const DisplayOptions old = display_;
  display_ = options;
  if (old.byDistance != display_.byDistance) {
    axis_ = MakeTraceAxis(section_, display_.byDistance);
    const ViewRange full = FullRange();
    range_.firstPos = full.firstPos;
    range_.lastPos = full.lastPos;
    measure_.clear();
  }
  return old.timeDown != display_.timeDown || old.byDistance != display_.byDistance || old.reverse != display_.reverse;
}

// ---- what is visible ----

ViewRange SectionView::FullRange() const {
  ViewRange full = view::FullRange(section_, axis_);
  if (!empty()) WindowedSpan(window_, NarrowestTimeMs(section_.header), full.firstMs, full.lastMs);
  return full;
}

bool SectionView::SetTimeWindow(const TimeWindow& window) {
  if (window.fromMs == window_.fromMs && window.toMs == window_.toMs) return false;
  window_ = window;
  const ViewRange full = FullRange();
  range_.firstMs = full.firstMs;
  range_.lastMs = full.lastMs;
  measure_.clear();
  return true;
}

void SectionView::ZoomTime(double factor, std::optional<double> anchorMs) {
  if (empty()) return;
  const ViewRange full = FullRange();
  ZoomSpan(range_.firstMs, range_.lastMs, factor, anchorMs.value_or((range_.firstMs + range_.lastMs) / 2), full.firstMs,
           full.lastMs, NarrowestTimeMs(section_.header));
}

void SectionView::ZoomTraces(double factor, std::optional<double> anchorPosition) {
  if (empty()) return;
  const ViewRange full = FullRange();
  ZoomSpan(range_.firstPos, range_.lastPos, factor, anchorPosition.value_or((range_.firstPos + range_.lastPos) / 2),
           full.firstPos, full.lastPos, 2 * axis_.gap);
}

bool SectionView::ZoomToBox(const SectionGeometry& g, int x0, int y0, int x1, int y1) {
  if (empty()) return false;
  // The box within the traces' area.
  const int left = std::max(std::min(x0, x1), g.left), right = std::min(std::max(x0, x1), g.left + g.width - 1);
  const int top = std::max(std::min(y0, y1), g.top), bottom = std::min(std::max(y0, y1), g.top + g.height - 1);
  if (right - left + 1 < 4 || bottom - top + 1 < 4) return false;
  const int t0 = g.timeDown ? top : left, t1 = g.timeDown ? bottom : right;
  const int p0 = g.timeDown ? left : top, p1 = g.timeDown ? right : bottom;
  ViewRange r = range_;
  r.firstMs = g.PixelToTime(t0);
  r.lastMs = g.PixelToTime(t1);
  r.firstPos = std::min(g.PixelToPosition(p0), g.PixelToPosition(p1));
  r.lastPos = std::max(g.PixelToPosition(p0), g.PixelToPosition(p1));
  // No closer than the narrowest spans.
  const ViewRange full = FullRange();
  ZoomSpan(r.firstMs, r.lastMs, 1, (r.firstMs + r.lastMs) / 2, full.firstMs, full.lastMs,
           NarrowestTimeMs(section_.header));
  ZoomSpan(r.firstPos, r.lastPos, 1, (r.firstPos + r.lastPos) / 2, full.firstPos, full.lastPos, 2 * axis_.gap);
  range_ = r;
  return true;
}

void SectionView::ScrollPixels(const SectionGeometry& g, int dx, int dy) {
  if (empty()) return;
  const ViewRange full = FullRange();
  const int alongTime = g.timeDown ? dy : dx, alongTraces = g.timeDown ? dx : dy;
  ScrollSpan(range_.firstMs, range_.lastMs, -alongTime * (range_.lastMs - range_.firstMs) / g.TimePixels(),
             full.firstMs, full.lastMs);
  ScrollSpan(range_.firstPos, range_.lastPos,
             (g.reverse ? 1 : -1) * alongTraces * (range_.lastPos - range_.firstPos) / g.TracePixels(), full.firstPos,
             full.lastPos);
}

namespace {

double MsPerUnit(const RecordHeader& header) {
  const int64_t interval = SectionTimes(header).intervalCentiUs;
  return interval > 0 ? static_cast<double>(interval) / 1e5 / kUnitsPerSample : 1;
}

}  // namespace

ScrollBar SectionView::TimeBar() const {
  if (empty()) return ScrollBar();
  const ViewRange full = FullRange();
  const double unit = MsPerUnit(section_.header);
  return Bar((full.lastMs - full.firstMs) / unit, (range_.lastMs - range_.firstMs) / unit,
             (range_.firstMs - full.firstMs) / unit);
}

ScrollBar SectionView::TraceBar() const {
  if (empty()) return ScrollBar();
  const ViewRange full = FullRange();
  const double unit = axis_.gap / kUnitsPerGap;
  return Bar((full.lastPos - full.firstPos) / unit, (range_.lastPos - range_.firstPos) / unit,
             (display_.reverse ? full.lastPos - range_.lastPos : range_.firstPos - full.firstPos) / unit);
}

void SectionView::ScrollBarsAt(int timeValue, int traceValue) {
  if (empty()) return;
  const ViewRange full = FullRange();
  const double timeSpan = range_.lastMs - range_.firstMs, posSpan = range_.lastPos - range_.firstPos;
  // A bar at its end shows the very end, whatever the rounding.
  range_.firstMs = timeValue >= TimeBar().maximum ? full.lastMs - timeSpan
                                                  : full.firstMs + timeValue * MsPerUnit(section_.header);
  range_.lastMs = range_.firstMs + timeSpan;
  const double fromStart = traceValue >= TraceBar().maximum ? full.lastPos - full.firstPos - posSpan
                                                            : traceValue * axis_.gap / kUnitsPerGap;
  range_.firstPos = display_.reverse ? full.lastPos - fromStart - posSpan : full.firstPos + fromStart;
  range_.lastPos = range_.firstPos + posSpan;
}

// ---- marking, reading out, measuring ----

bool SectionView::MarkTraceAt(const SectionGeometry& g, int x, int y) {
  if (empty()) return false;
  const int trace = g.TraceUnder(x, y);
  const int marked = trace == marked_ ? -1 : trace;
  if (marked == marked_) return false;
  marked_ = marked;
  return true;
}

std::optional<Probe> SectionView::ProbeAt(const SectionGeometry& g, int x, int y) const {
  if (empty() || !g.Inside(x, y)) return std::nullopt;
  Probe probe;
  probe.ms = g.TimeUnder(x, y);
  probe.sample = NearestSample(section_.header, probe.ms);
  if (probe.sample >= 0) probe.ms = SampleTimeMs(section_.header, probe.sample);
  probe.trace = g.TraceUnder(x, y);
  probe.distanceM = probe.trace >= 0 ? section_.traces[static_cast<size_t>(probe.trace)].distanceM
                                     : DistanceAtPosition(section_, display_.byDistance, g.PositionUnder(x, y));
  return probe;
}

void SectionView::MeasureAt(const SectionGeometry& g, int x, int y) {
  if (empty() || !g.Inside(x, y)) return;
  if (measure_.size() == 2) measure_.clear();
  // On the sample nearest in time (beyond the samples too), and on the
  // trace when one is under the pixel.
  const RecordHeader& h = section_.header;
  const int trace = g.TraceUnder(x, y);
  measure_.push_back({SampleTimeMs(h, std::round(SampleIndexAt(h, g.TimeUnder(x, y)))),
                      trace >= 0 ? axis_.positions[static_cast<size_t>(trace)] : g.PositionUnder(x, y)});
}

std::optional<Measurement> SectionView::Measured() const {
  if (measure_.size() < 2) return std::nullopt;
  Measurement m;
  m.dtMs = measure_[1].ms - measure_[0].ms;
  m.dxM = DistanceAtPosition(section_, display_.byDistance, measure_[1].position) -
          DistanceAtPosition(section_, display_.byDistance, measure_[0].position);
  m.velocity = ApparentVelocity(m.dxM, m.dtMs);
  return m;
}

// ---- first breaks ----

bool SectionView::SetPick(int trace, double ms, bool dragging) {
  if (empty() || trace < 0) return false;
  const double index = std::round(SampleIndexAt(section_.header, ms));
  const auto sample =
      static_cast<int32_t>(std::clamp(index, 0.0, static_cast<double>(std::max(section_.header.sampleCount - 1, 0))));
  if (!picks_.Set(static_cast<size_t>(trace), PickValue(sample), dragging, pickKind_)) return false;
  PicksChanged();
  return true;
}

bool SectionView::RemovePick(int trace) {
  if (trace < 0 || !picks_.Remove(static_cast<size_t>(trace), pickKind_)) return false;
  PicksChanged();
  return true;
}

bool SectionView::ReplacePicks(const std::vector<int32_t>& picks) {
  if (!picks_.Replace(picks)) return false;
  PicksChanged();
  return true;
}

bool SectionView::TakeAutomaticPicks(const std::vector<int32_t>& found, bool replaceAll) {
  if (replaceAll) return ReplacePicks(found);
  std::vector<int32_t> picks = picks_.picks();
  for (size_t i = 0; i < picks.size() && i < found.size(); ++i)
    if (picks[i] == 0) picks[i] = found[i];
  return ReplacePicks(picks);
}

bool SectionView::anyPick() const {
  return std::any_of(picks_.picks().begin(), picks_.picks().end(), [](int32_t p) { return p != 0; });
}

bool SectionView::ClearPicks() {
  if (!picks_.Clear(pickKind_)) return false;
  PicksChanged();
  return true;
}

bool SectionView::UndoPick() {
  if (!picks_.Undo()) return false;
  PicksChanged();
  return true;
}

bool SectionView::RedoPick() {
  if (!picks_.Redo()) return false;
  PicksChanged();
  return true;
}

void SectionView::ReadPicks(const std::filesystem::path& record) {
  otherPicks_.clear();
  picksTable_.clear();
  unreadable_ = PicksFileOf(record);
  std::vector<PickRow> others;
  std::vector<int32_t> firstBreaks = FirstBreaksBeside(section_, record, &others);
  std::vector<int32_t> channels;
  for (const SectionTrace& trace : section_.traces) channels.push_back(trace.channelNumber);
  std::vector<PickRow> rest;
  std::vector<int32_t> reflections = PicksOf(channels, section_.header.sampleCount, Utf8FromPath(record.filename()),
                                             others, kReflectionPick, &rest);
  others = std::move(rest);
  picks_ = PickEdits(std::move(firstBreaks), std::move(reflections));
  PicksChanged();
  otherPicks_ = std::move(others);
  picksTable_ = std::move(unreadable_);
  unreadable_.clear();
}

void SectionView::ReadLayers(const std::filesystem::path& record) {
  picks_.ReadLayers({});
  picks_.ReadLayers(gt7p::ReadLayers(record));
}

bool SectionView::SetLayers(const std::map<int32_t, int>& chosen, bool continuing) {
  return picks_.SetLayers(chosen, continuing);
}

void SectionView::SaveLayers(const std::filesystem::path& record) {
  if (!picks_.layersChanged()) return;
  WriteLayers(record, picks_.layers());
  picks_.LayersSaved();
}

bool SectionView::ChoosePicksTable(const std::filesystem::path& file) {
  std::error_code ec;
  if (file.empty() || (!unreadable_.empty() && (file == unreadable_ || std::filesystem::equivalent(file, unreadable_, ec))))
    return false;
  picksTable_ = file;
  return true;
}

std::vector<PickRow> SectionView::PickRows(const std::function<const std::string&(int trace)>& channelHeader,
                                           const std::string& fileUtf8) const {
  std::vector<PickRow> rows;
  const std::vector<int32_t>& picks = picks_.picks();
  for (size_t i = 0; i < picks.size(); ++i)
    if (picks[i] > 0)
      rows.push_back(MakePickRow(section_.header, channelHeader(static_cast<int>(i)), 0, picks[i], fileUtf8));
  const std::vector<int32_t>& reflections = picks_.reflections();
  for (size_t i = 0; i < reflections.size(); ++i)
    if (reflections[i] > 0)
      rows.push_back(
          MakePickRow(section_.header, channelHeader(static_cast<int>(i)), kReflectionPick, reflections[i], fileUtf8));
  rows.insert(rows.end(), otherPicks_.begin(), otherPicks_.end());
  return rows;
}

std::filesystem::path SparePicksFile(const std::filesystem::path& record) {
  const std::filesystem::path stem = std::filesystem::path(PicksFileOf(record)).replace_extension();
  auto numbered = [&](int n) { return std::filesystem::path(stem).concat("-" + std::to_string(n) + ".csv"); };
  std::error_code ec;
  for (int n = 1; n < 1000; ++n)
    if (std::filesystem::symlink_status(numbered(n), ec).type() == std::filesystem::file_type::not_found)
      return numbered(n);
  return numbered(1);  // the save dialog asks before replacing it
}

}  // namespace view
}  // namespace gt7p
