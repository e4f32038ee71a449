#include "base/error.h"

#include <atomic>

#include "base/cp936.h"

namespace gt7p {
namespace {

std::atomic<bool> workAborted{false};

}  // namespace

WriteError::WriteError(std::error_code reason) : Error(Utf8ToCp936("写入文件失败！")), reason_(reason) {}

void AbortWork() { workAborted = true; }

void ThrowIfWorkAborted() {
  if (workAborted) throw Aborted();
}

}  // namespace gt7p
