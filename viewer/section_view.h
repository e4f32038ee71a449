// The viewer's state of one record's section, free of any toolkit: what
// it shows of the record (a span of time and one of the trace axis, zoomed
// and scrolled within all of it), where the traces lie along their axis,
// the marked trace, the measuring line, and the operator's first breaks
// with their edits and the table they are saved in. The window draws it
// and turns keys and clicks into its calls; pixels come with the geometry
// the window laid the section out in (section.h), each standing for the
// time and the place at its centre.
//
// Threads: the caller's. Blocking: ReadPicks reads the picks table.
// Failures: ReadPicks throws the table's Error (first_breaks.h); the rest
// throws nothing but std::bad_alloc.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "records/records.h"
#include "viewer/pick_edits.h"
#include "viewer/section.h"

namespace gt7p {
namespace view {

// A scroll bar over all of the section: values from 0 to `maximum`, a page
// of what is visible. Bars count tenths of a sample and hundredths of the
// usual gap between traces, so that they move smoothly at any zoom.
struct ScrollBar {
  int maximum = 0, page = 1, step = 1, value = 0;
};

// What lies under a point of the traces' area.
struct Probe {
  double ms = 0;         // the sample's time; beyond the samples the time under the point
  int32_t sample = -1;   // index of the sample nearest in time, -1 beyond them
  int trace = -1;        // the trace there, -1 between traces
  double distanceM = 0;  // that trace's distance, else the distance along the axis there
};

// Two points measured: time and distance between them, and the apparent
// velocity when time passes.
struct Measurement {
  double dtMs = 0, dxM = 0;
  std::optional<double> velocity;
};

class SectionView {
 public:
  // ---- the section and how it is displayed ----

  bool empty() const { return section_.traces.empty(); }
  const Section& section() const { return section_; }
  // The traces' peaks and columns and the title's settings are the
  // drawer's to set; the first breaks follow the edits below, and are
  // changed only through them.
  Section& section() { return section_; }
  // Shows a record's section: nothing marked or measured, no first breaks
  // until read. Records of the same layout as the one shown before keep
  // the zoom and scroll.
  void Show(Section section);

  const DisplayOptions& display() const { return display_; }
  // Returns whether the traces' columns must be made again (orientation,
  // spacing or order changed). Spacing by distance or evenly lays the
  // trace axis out anew and shows all of it.
  bool SetDisplay(const DisplayOptions& options);

  // ---- what is visible ----

  const TraceAxis& traceAxis() const { return axis_; }
  // All there is to see: every trace, and the record's time within the
  // time window (WindowedSpan). Zoom and scroll stay inside it.
  ViewRange FullRange() const;
  const TimeWindow& timeWindow() const { return window_; }
  // Shows all of the new window's time; false when it did not change.
  bool SetTimeWindow(const TimeWindow& window);
  const ViewRange& range() const { return range_; }
  void SetRange(const ViewRange& range) { range_ = range; }
  // Zooms keep the anchor (the middle by default) in its place; time no
  // closer than 8 samples, the traces no closer than 2 usual gaps.
  void ZoomTime(double factor, std::optional<double> anchorMs = std::nullopt);
  void ZoomTraces(double factor, std::optional<double> anchorPosition = std::nullopt);
  // The box between two pixels of the traces' area; false (nothing
  // changes) for a box under 4 pixels either way.
  bool ZoomToBox(const SectionGeometry& g, int x0, int y0, int x1, int y1);
  void ResetZoom() { range_ = FullRange(); }
  // The picture moved by so many pixels, within all of the section.
  void ScrollPixels(const SectionGeometry& g, int dx, int dy);
  ScrollBar TimeBar() const;
  ScrollBar TraceBar() const;  // reversed traces count from the far end
  // The bars moved to these values; a bar at its maximum shows the very end.
  void ScrollBarsAt(int timeValue, int traceValue);

  // ---- marking, reading out, measuring ----

  int marked() const { return marked_; }
  // Marks the trace under the pixel, or unmarks it when it was marked;
  // off the traces nothing is marked. Returns whether it changed.
  bool MarkTraceAt(const SectionGeometry& g, int x, int y);
  std::optional<Probe> ProbeAt(const SectionGeometry& g, int x, int y) const;

  // Points of the measuring line: time (on the sample nearest) and place
  // along the trace axis (of the trace under the pixel, if any). A third
  // click begins a new line.
  struct Point {
    double ms = 0, position = 0;
  };
  const std::vector<Point>& measure() const { return measure_; }
  void MeasureAt(const SectionGeometry& g, int x, int y);
  void ClearMeasure() { measure_.clear(); }
  std::optional<Measurement> Measured() const;

  // ---- first breaks and reflections ----

  const PickEdits& picks() const { return picks_; }
  // What SetPick, RemovePick and ClearPicks edit: the first breaks or the
  // reflections (the window starts a reflection survey's record on them).
  PickKind pickKind() const { return pickKind_; }
  void SetPickKind(PickKind kind) { pickKind_ = kind; }
  // Each an undoable step (pick_edits.h); true when the picks changed.
  // A pick goes on the sample nearest `ms` within the record; `dragging`
  // moves it on within the step of the press that set it.
  bool SetPick(int trace, double ms, bool dragging = false);
  bool RemovePick(int trace);
  bool ClearPicks();
  // The first breaks, whatever the kind picked.
  bool ReplacePicks(const std::vector<int32_t>& picks);
  // The automatic picker's first breaks (one per trace, 0 where it found
  // none): on the traces without a pick only, or in place of all of them
  // (`replaceAll`, a trace it found nothing on then has none). One step.
  bool TakeAutomaticPicks(const std::vector<int32_t>& found, bool replaceAll);
  bool anyPick() const;  // a first break
  bool UndoPick();
  bool RedoPick();

  // The first breaks and reflections from the picks table beside `record`
  // (PicksFileOf);
  // for a table that can't be read, throws its Error, after which saves
  // need another file (ChoosePicksTable).
  void ReadPicks(const std::filesystem::path& record);
  // Where saves go: the table beside the record, or the file chosen
  // instead; empty while the table beside could not be read.
  const std::filesystem::path& picksTable() const { return picksTable_; }
  // The table that could not be read, if any.
  const std::filesystem::path& unreadableTable() const { return unreadable_; }
  // Takes `file` for the saves, unless it is the table that could not be
  // read: never written over, since its rows are unknown.
  bool ChoosePicksTable(const std::filesystem::path& file);
  // What a save writes: a t0 row per trace with a first break and a refl
  // row per trace with a reflection (its channel header from
  // `channelHeader`), then the rows of the table that were not ours.
  std::vector<PickRow> PickRows(const std::function<const std::string&(int trace)>& channelHeader,
                                const std::string& fileUtf8) const;
  void PicksSaved() { picks_.Saved(); }

  // ---- the operator's layer choices (layer_assignment.h) ----

  // On the same history as the first breaks: UndoPick and RedoPick take
  // back and do again the last edit of either kind.
  const std::map<int32_t, int>& layers() const { return picks_.layers(); }
  // Those of NAME.layers.csv beside `record` (none where there is no
  // file); throws its Error, leaving none.
  void ReadLayers(const std::filesystem::path& record);
  // One step; `continuing` goes on with the last step where that was a
  // change of the choices (a drag). False when nothing changed.
  bool SetLayers(const std::map<int32_t, int>& chosen, bool continuing = false);
  // Choices read from elsewhere (a line's file): no step, not changed.
  void TakeLayers(std::map<int32_t, int> chosen) { picks_.ReadLayers(std::move(chosen)); }
  // Whether they differ from those read or last written; written elsewhere.
  bool layersChanged() const { return picks_.layersChanged(); }
  void LayersSaved() { picks_.LayersSaved(); }
  // Writes them beside `record` when they differ from those read or last
  // written (complete or not at all; no file when none is chosen); throws
  // the write's Error.
  void SaveLayers(const std::filesystem::path& record);

 private:
  void PicksChanged() {
    section_.firstBreaks = picks_.picks();
    section_.reflections = picks_.reflections();
  }

  Section section_;
  DisplayOptions display_;
  TimeWindow window_;
  TraceAxis axis_;
  ViewRange range_;
  int marked_ = -1;
  std::vector<Point> measure_;
  PickEdits picks_;
  PickKind pickKind_ = PickKind::kFirstBreak;
  std::vector<PickRow> otherPicks_;  // rows of the table that are not ours, kept by saves
  std::filesystem::path picksTable_, unreadable_;
};

// A file beside the record for first breaks that can't go into the table
// beside it: NAME.picks-1.csv, or the first number not taken.
std::filesystem::path SparePicksFile(const std::filesystem::path& record);

}  // namespace view
}  // namespace gt7p
