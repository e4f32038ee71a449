#include "viewer/pick_edits.h"

#include <utility>

namespace gt7p {
namespace view {

PickEdits::PickEdits(std::vector<int32_t> picks) : picks_(std::move(picks)), saved_(picks_) {}

void PickEdits::Saved() { saved_ = picks_; }

bool PickEdits::Set(size_t trace, int32_t sample, bool dragging) {
  if (trace >= picks_.size()) return false;
  const bool continues = dragging && trace == pressTrace_;
  if (!continues) {
    pressTrace_ = trace;
    pressStep_ = false;
  }
  if (picks_[trace] == sample) return false;
  if (continues && pressStep_) {
    Change& change = done_.back().front();
    picks_[trace] = change.after = sample;
    if (change.after == change.before) {  // dragged back to where it was: no step
      done_.pop_back();
      --changes_;
      pressStep_ = false;
    }
    return true;
  }
  Push({{trace, picks_[trace], sample}});
  pressTrace_ = trace;
  pressStep_ = true;
  return true;
}

bool PickEdits::Remove(size_t trace) {
  pressTrace_ = SIZE_MAX;
  if (trace >= picks_.size() || picks_[trace] == 0) return false;
  Push({{trace, picks_[trace], 0}});
  return true;
}

bool PickEdits::Replace(const std::vector<int32_t>& picks) {
  pressTrace_ = SIZE_MAX;
  Step step;
  for (size_t i = 0; i < picks_.size(); ++i) {
    const int32_t after = i < picks.size() ? picks[i] : 0;
    if (after != picks_[i]) step.push_back({i, picks_[i], after});
  }
  if (step.empty()) return false;
  Push(std::move(step));
  return true;
}

bool PickEdits::Clear() { return Replace({}); }

bool PickEdits::Undo() {
  pressTrace_ = SIZE_MAX;
  if (done_.empty()) return false;
  Apply(done_.back(), false);
  undone_.push_back(std::move(done_.back()));
  done_.pop_back();
  return true;
}

bool PickEdits::Redo() {
  pressTrace_ = SIZE_MAX;
  if (undone_.empty()) return false;
  Apply(undone_.back(), true);
  done_.push_back(std::move(undone_.back()));
  undone_.pop_back();
  return true;
}

void PickEdits::Push(Step step) {
  for (const Step& dropped : undone_) changes_ -= dropped.size();
  undone_.clear();
  Apply(step, true);
  changes_ += step.size();
  done_.push_back(std::move(step));
  size_t drop = 0;
  while (drop + 1 < done_.size() && (done_.size() - drop > kMaxSteps || changes_ > kMaxChanges))
    changes_ -= done_[drop++].size();
  done_.erase(done_.begin(), done_.begin() + static_cast<std::ptrdiff_t>(drop));
}

void PickEdits::Apply(const Step& step, bool forwards) {
  for (const Change& change : step) picks_[change.trace] = forwards ? change.after : change.before;
}

}  // namespace view
}  // namespace gt7p
