// What an operation that is expected to fail left as its message.
#pragma once

#include <functional>
#include <string>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"

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

// The failure's sentence as UTF-8, for what the front ends print or show.
inline std::string Said(Failure failure) { return Cp936ToUtf8(FailureText(failure)); }

}  // namespace test
}  // namespace gt7p
