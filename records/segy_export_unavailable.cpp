// A build without segyio: SEG-Y export says so; SEG-2 export is there.
#include "base/cp936.h"
#include "base/error.h"
#include "records/record_export.h"

namespace gt7p {

void WriteSegy(RecordReader&, const std::filesystem::path&) {
  throw Error(Utf8ToCp936("本程序构建时没有 segyio 库，不能导出 SEG-Y；请改用 SEG-2 格式！"));
}

}  // namespace gt7p
