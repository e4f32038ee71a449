// The viewer's section rendered offscreen to a PNG, for reports and
// scripts. No toolkit in this header: gt7p-cli calls it without knowing Qt,
// and a build without Qt links a stand-in that reports plotting as
// unavailable.
#pragma once

#include <filesystem>

namespace gt7p {

// Reads the record at `recordPath` one channel at a time and writes its
// section, as the viewer draws it with gain 1 and trace normalisation, to
// `pngPath` as a PNG of exactly `width` x `height` pixels.
// Throws Error: the reader's failures, "无法创建文件！" or
// "写入文件失败！".
void PlotRecordFile(const std::filesystem::path& recordPath, const std::filesystem::path& pngPath, int width,
                    int height);

}  // namespace gt7p
