// What an operation that is expected to fail left as its message.
#pragma once

#include <functional>
#include <string>

#include "base/error.h"

namespace gt7p {
namespace test {

// The message of the gt7p::Error that `run` throws, or "(no error)".
inline std::string FailureOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const Error& e) {
    return e.message();
  }
  return "(no error)";
}

}  // namespace test
}  // namespace gt7p
