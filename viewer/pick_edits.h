// The operator's picks of a record's traces while they are edited: one
// sample number per trace (counted from 1, 0 for none, as first_breaks.h
// counts them) of each kind, first breaks and reflections, whether they
// differ from those last read or saved, and the edits of either kind
// that can be undone and redone. Beside them the operator's
// layer choices of the record's first breaks (layer_assignment.h), whose
// edits are steps of the same history: one undo takes back the last edit
// of either kind.
//
// Each edit is one step: a pick set or moved, one removed, all of them
// replaced (the automatic picker) or cleared; the layer choices changed
// (a point put on a layer, a break point moved: a drag continues its
// step). A drag moves the pick its
// press set within that press's step, so that one undo takes the whole
// gesture back. An edit that changes nothing adds no step. A new edit
// drops the steps undone before it. The oldest steps go once there are
// more than kMaxSteps or their changes exceed kMaxChanges (a few
// megabytes whatever the record's size).
//
// Threads: the caller's. Failures: none but std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace gt7p {
namespace view {

// What the operator picks: the first breaks (the table's t0 rows) or the
// reflections (its refl rows).
enum class PickKind { kFirstBreak, kReflection };

class PickEdits {
 public:
  static constexpr size_t kMaxSteps = 500;
  static constexpr size_t kMaxChanges = size_t(1) << 18;

  PickEdits() = default;
  // Picks as read: unchanged, nothing to undo. The reflections as many
  // as the first breaks (none where not given).
  explicit PickEdits(std::vector<int32_t> picks, std::vector<int32_t> reflections = {});

  // The first breaks.
  const std::vector<int32_t>& picks() const { return picks_[0]; }
  int32_t operator[](size_t trace) const { return picks_[0][trace]; }
  const std::vector<int32_t>& reflections() const { return picks_[1]; }
  const std::vector<int32_t>& picks(PickKind kind) const { return picks_[Index(kind)]; }
  // Whether the picks of either kind differ from those read or last saved
  // (undoing back to those leaves them unchanged).
  bool changed() const { return picks_[0] != saved_[0] || picks_[1] != saved_[1]; }
  // The current picks of both kinds were saved.
  void Saved();

  // The edits of picks of `kind`; false when nothing changed (a trace
  // beyond the picks included). `dragging`: the pick moves on within the
  // step of the press that set it on this trace, if that was the last edit.
  bool Set(size_t trace, int32_t sample, bool dragging = false, PickKind kind = PickKind::kFirstBreak);
  bool Remove(size_t trace, PickKind kind = PickKind::kFirstBreak);
  // As many as there are traces.
  bool Replace(const std::vector<int32_t>& picks, PickKind kind = PickKind::kFirstBreak);
  bool Clear(PickKind kind = PickKind::kFirstBreak);

  // The layer choices: channel ("道号") to layer; as read (no step, not
  // changed), or changed as one step (`continuing`: within the last step,
  // when that was a change of them, so that a drag is one step; none where
  // nothing is left changed). False when nothing changed.
  const std::map<int32_t, int>& layers() const { return layers_; }
  void ReadLayers(std::map<int32_t, int> chosen);
  bool SetLayers(const std::map<int32_t, int>& chosen, bool continuing = false);
  // Whether they differ from those read or last saved.
  bool layersChanged() const { return layers_ != layersSaved_; }
  void LayersSaved() { layersSaved_ = layers_; }

  bool canUndo() const { return !done_.empty(); }
  bool canRedo() const { return !undone_.empty(); }
  bool Undo();
  bool Redo();

 private:
  struct Change {
    size_t trace;
    int32_t before, after;
    int kind;  // Index(PickKind)
  };
  struct LayerChange {
    int32_t channel;
    int before, after;  // 0: no choice
  };
  struct Step {
    std::vector<Change> picks;
    std::vector<LayerChange> layers;
    size_t size() const { return picks.size() + layers.size(); }
  };

  void Push(Step step);
  void Apply(const Step& step, bool forwards);
  static std::vector<LayerChange> LayerChanges(const std::map<int32_t, int>& from, const std::map<int32_t, int>& to);

  static int Index(PickKind kind) { return kind == PickKind::kReflection ? 1 : 0; }

  std::vector<int32_t> picks_[2], saved_[2];  // first breaks, reflections
  std::map<int32_t, int> layers_, layersSaved_;
  bool layerStep_ = false;  // the last step done is a change of the layers that may go on
  std::vector<Step> done_, undone_;
  size_t changes_ = 0;  // in done_ and undone_
  // The trace of the last press, while its gesture goes on; whether its
  // step is the last one done.
  size_t pressTrace_ = SIZE_MAX;
  int pressKind_ = 0;
  bool pressStep_ = false;
};

}  // namespace view
}  // namespace gt7p
