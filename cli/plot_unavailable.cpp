// A build without Qt: plotting says that it is unavailable.
#include "base/cp936.h"
#include "base/error.h"
#include "viewer/viewer.h"

namespace gt7p {

void PlotRecordFile(const std::filesystem::path&, const std::filesystem::path&, const PlotOptions&) {
  throw Error(Utf8ToCp936("本程序构建时没有 Qt，不能绘图！"));
}

}  // namespace gt7p
