#include "viewer/layer_assignment.h"


#include "base/cp936.h"
#include "base/csv.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/output_file.h"
#include "base/text.h"

namespace gt7p {
namespace view {

std::optional<int> LayerAssignment::LayerOf(int32_t channel) const {
  const auto it = chosen_.find(channel);
  if (it == chosen_.end()) return std::nullopt;
  return it->second;
}

void LayerAssignment::Set(int32_t channel, int layer) {
  if (channel < 1 || layer < 0 || layer > kMaxChosenLayer) return;
  const std::optional<int> before = LayerOf(channel);
  if (layer == 0) {
    chosen_.erase(channel);
  } else {
    chosen_[channel] = layer;
  }
  changed_ = changed_ || before != LayerOf(channel);
}

void LayerAssignment::ClearAll() {
  changed_ = changed_ || !chosen_.empty();
  chosen_.clear();
}

void LayerAssignment::MoveBreak(const std::vector<LayeredPoint>& points, int upper, double offsetM) {
  if (upper < 1 || upper >= kMaxChosenLayer) return;
  for (const LayeredPoint& p : points)
    if (p.layer == upper || p.layer == upper + 1) Set(p.channel, p.offsetM < offsetM ? upper : upper + 1);
}

void LayerAssignment::Replace(std::map<int32_t, int> chosen) {
  chosen_ = std::move(chosen);
  changed_ = false;
}

}  // namespace view
}  // namespace gt7p
