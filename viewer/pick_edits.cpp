#include "viewer/pick_edits.h"

#include <utility>

namespace gt7p {
namespace view {

PickEdits::PickEdits(std::vector<int32_t> picks, std::vector<int32_t> reflections) {
  reflections.resize(picks.size(), 0);
  picks_[0] = std::move(picks);
  picks_[1] = std::move(reflections);
  saved_[0] = picks_[0];
  saved_[1] = picks_[1];
}

void PickEdits::Saved() {
  saved_[0] = picks_[0];
  saved_[1] = picks_[1];
}

bool PickEdits::Set(size_t trace, int32_t sample, bool dragging, PickKind kind) {
  const int k = Index(kind);
  std::vector<int32_t>& picks = picks_[k];
  if (trace >= picks.size()) return false;
  const bool continues = dragging && trace == pressTrace_ && k == pressKind_;
  if (!continues) {
    pressTrace_ = trace;
    pressKind_ = k;
    pressStep_ = false;
  }
  if (picks[trace] == sample) return false;
  if (continues && pressStep_) {
    Change& change = done_.back().picks.front();
    picks[trace] = change.after = sample;
    if (change.after == change.before) {  // dragged back to where it was: no step
      done_.pop_back();
      --changes_;
      pressStep_ = false;
    }
    return true;
  }
  Push({{{trace, picks[trace], sample, k}}, {}});
  pressTrace_ = trace;
  pressKind_ = k;
  pressStep_ = true;
  return true;
}

bool PickEdits::Remove(size_t trace, PickKind kind) {
  pressTrace_ = SIZE_MAX;
  const int k = Index(kind);
  if (trace >= picks_[k].size() || picks_[k][trace] == 0) return false;
  Push({{{trace, picks_[k][trace], 0, k}}, {}});
  return true;
}

bool PickEdits::Replace(const std::vector<int32_t>& picks, PickKind kind) {
  pressTrace_ = SIZE_MAX;
  const int k = Index(kind);
  Step step;
  for (size_t i = 0; i < picks_[k].size(); ++i) {
    const int32_t after = i < picks.size() ? picks[i] : 0;
    if (after != picks_[k][i]) step.picks.push_back({i, picks_[k][i], after, k});
  }
  if (step.picks.empty()) return false;
  Push(std::move(step));
  return true;
}

bool PickEdits::Clear(PickKind kind) { return Replace({}, kind); }

bool PickEdits::Undo() {
  pressTrace_ = SIZE_MAX;
  layerStep_ = false;
  if (done_.empty()) return false;
  Apply(done_.back(), false);
  undone_.push_back(std::move(done_.back()));
  done_.pop_back();
  return true;
}

bool PickEdits::Redo() {
  pressTrace_ = SIZE_MAX;
  layerStep_ = false;
  if (undone_.empty()) return false;
  Apply(undone_.back(), true);
  done_.push_back(std::move(undone_.back()));
  undone_.pop_back();
  return true;
}

void PickEdits::ReadLayers(std::map<int32_t, int> chosen) {
  layers_ = std::move(chosen);
  layersSaved_ = layers_;
  layerStep_ = false;
}

std::vector<PickEdits::LayerChange> PickEdits::LayerChanges(const std::map<int32_t, int>& from,
                                                            const std::map<int32_t, int>& to) {
  auto at = [](const std::map<int32_t, int>& m, int32_t channel) {
    const auto it = m.find(channel);
    return it == m.end() ? 0 : it->second;
  };
  std::vector<LayerChange> changes;
  for (const auto& [channel, layer] : from)
    if (at(to, channel) != layer) changes.push_back({channel, layer, at(to, channel)});
  for (const auto& [channel, layer] : to)
    if (!from.count(channel)) changes.push_back({channel, 0, layer});
  return changes;
}

bool PickEdits::SetLayers(const std::map<int32_t, int>& chosen, bool continuing) {
  pressTrace_ = SIZE_MAX;
  if (continuing && layerStep_ && !done_.empty()) {
    if (chosen == layers_) return false;
    // The step again, from where it began to these choices.
    Step& last = done_.back();
    std::map<int32_t, int> start = layers_;
    for (const LayerChange& change : last.layers)
      if (change.before) start[change.channel] = change.before;
      else start.erase(change.channel);
    changes_ -= last.size();
    last.layers = LayerChanges(start, chosen);
    changes_ += last.size();
    layers_ = chosen;
    if (last.layers.empty()) {  // back where it began: no step
      done_.pop_back();
      layerStep_ = false;
    }
    return true;
  }
  Step step;
  step.layers = LayerChanges(layers_, chosen);
  if (step.layers.empty()) return false;
  Push(std::move(step));
  layerStep_ = true;
  return true;
}

void PickEdits::Push(Step step) {
  layerStep_ = false;
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
  for (const Change& change : step.picks)
    picks_[change.kind][change.trace] = forwards ? change.after : change.before;
  for (const LayerChange& change : step.layers) {
    const int layer = forwards ? change.after : change.before;
    if (layer) layers_[change.channel] = layer;
    else layers_.erase(change.channel);
  }
}

}  // namespace view
}  // namespace gt7p
