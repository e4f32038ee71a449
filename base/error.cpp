#include "base/error.h"

#include <atomic>

#include "base/messages.h"

namespace gt7p {
namespace {

std::atomic<bool> workAborted{false};

}  // namespace

WriteError::WriteError(std::error_code reason) : Error(FailureText(Failure::kWriteFailed)), reason_(reason) {}

void AbortWork() { workAborted = true; }

void ThrowIfWorkAborted() {
  if (workAborted) throw Aborted();
}

}  // namespace gt7p
