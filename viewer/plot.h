// The viewer's section rendered offscreen to a PNG, for reports and
// scripts. No toolkit in this header: gt7p-cli calls it without knowing Qt,
// and a build without Qt links a stand-in that reports plotting as
// unavailable.
#pragma once

#include <filesystem>
#include <optional>
#include <utility>

#include "viewer/processing.h"
#include "viewer/section.h"

namespace gt7p {

struct PlotOptions {
  int width = 1600, height = 1000;
  view::DisplayOptions display;
  view::Processing processing;
  std::optional<std::pair<double, double>> timeRangeMs;  // none: every sample
};

// Reads the record at `recordPath` one channel at a time and writes its
// section, as the viewer draws it with the same settings, to `pngPath` as
// a PNG of exactly the asked size.
// Throws Error: the reader's failures, "无法创建文件！", WriteError
// ("写入文件失败！" with the system's reason) and "内存不足！" when the
// picture does not fit in memory.
void PlotRecordFile(const std::filesystem::path& recordPath, const std::filesystem::path& pngPath,
                    const PlotOptions& options);

}  // namespace gt7p
