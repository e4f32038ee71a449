// The operator's choice of layer for some first breaks of a record: the
// point of trace "道号" n belongs to layer k (1 the direct wave, 2 the head
// wave along the top of layer 2, ...), whatever the fit would say. The
// interpretation takes it as its `assigned` option.
//
// Kept in a file of its own beside the record, NAME.layers.csv (UTF-8, a
// header line, one row per chosen channel, CR LF):
//
//   channel,layer
//   11,2
//
// never in the picks table, whose t1..t5 rows are the instrument's points.
// A record without choices has no such file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gt7p {
namespace view {

constexpr int kMaxChosenLayer = 5;

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

// NAME.layers.csv beside `record`.
std::filesystem::path LayersFileOf(const std::filesystem::path& record);
// Error (code page 936) "分层文件格式不对（第N行）！" for a row that is not a
// channel from 1 and a layer from 1 to kMaxChosenLayer.
std::map<int32_t, int> ParseLayers(const std::string& text);
std::string LayersText(const std::map<int32_t, int>& chosen);
// The choices of the file beside `record`; none where there is no file.
std::map<int32_t, int> ReadLayers(const std::filesystem::path& record);
// The file beside `record`, complete or not at all; removed when nothing
// is chosen.
void WriteLayers(const std::filesystem::path& record, const std::map<int32_t, int>& chosen);

}  // namespace view
}  // namespace gt7p
