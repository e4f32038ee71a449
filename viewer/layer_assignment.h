// The operator's choice of layer for some first breaks of a record: the
// point of trace "道号" n belongs to layer k (1 the direct wave, 2 the head
// wave along the top of layer 2, ...), whatever the fit would say. The
// interpretation takes it as its `assigned` option.
//
// Kept in a file of its own beside the record, NAME.layers.csv
// (records/layers_file.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "records/records.h"

namespace gt7p {
namespace view {

// A first break as the tab shows it: its channel, its distance from the
// source along its branch, and the layer it is on now.
struct LayeredPoint {
  int32_t channel = 0;
  double offsetM = 0;
  int layer = 1;
};

class LayerAssignment {
 public:
  const std::map<int32_t, int>& chosen() const { return chosen_; }
  std::optional<int> LayerOf(int32_t channel) const;
  // Layer 1..kMaxChosenLayer; 0 gives the point back to the fit.
  void Set(int32_t channel, int layer);
  void ClearAll();
  // The break point between layer `upper` and upper + 1 moved to
  // `offsetM`: every point now on either layer goes to `upper` when nearer
  // the source than that, else to upper + 1.
  void MoveBreak(const std::vector<LayeredPoint>& points, int upper, double offsetM);
  void Replace(std::map<int32_t, int> chosen);
  // Whether changed since read or written.
  bool changed() const { return changed_; }
  void MarkSaved() { changed_ = false; }

 private:
  std::map<int32_t, int> chosen_;
  bool changed_ = false;
};

}  // namespace view
}  // namespace gt7p
