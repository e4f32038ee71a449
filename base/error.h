// The one failure type of the core.
//
// An operation that cannot go on throws Error with the system's message, a
// code page 936 text that may be empty. Only the edges (the CLI's exit codes,
// the window's error box) turn it into something else.
#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace gt7p {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message = std::string()) : std::runtime_error(message) {}
  const char* message() const noexcept { return what(); }
};

// A text that a numeric encoding cannot read as a number, or fixed hex
// digits that are not hex.
class ConvertError : public Error {
 public:
  using Error::Error;
};

// A file that could not be written (a full disk, a size limit, a failing
// device): "写入文件失败！", with the system's reason for the front ends that
// show more than the message (gt7p-cli adds it).
class WriteError : public Error {
 public:
  explicit WriteError(std::error_code reason);
  const std::error_code& reason() const noexcept { return reason_; }

 private:
  std::error_code reason_;
};

// The work under way was given up on request (the window closing, Ctrl-C or
// SIGTERM in gt7p-cli), not for a failure: nothing shows it in a box, and
// gt7p-cli exits with the signal's status. It leaves through the same
// clean-up as every Error.
class Aborted : public Error {
 public:
  using Error::Error;
};

// Work given up for the whole process (Ctrl-C or SIGTERM in gt7p-cli while
// a record is converted, exported or plotted): the long loops ask between
// their pieces, and WriteBeside asks before an output takes its place.
void AbortWork();  // from any thread
void ThrowIfWorkAborted();  // Aborted with an empty message

}  // namespace gt7p
