// The receive thread: one per command, reading the port until the line has
// been silent for more than TimeoutSeconds seconds (SecondMs ms each; 1000
// but for tests) or, collecting in memory, until the reply holds more than
// 32 characters. It also ends at once when the line is gone (a hang-up or an
// I/O error: EndSignal::LineGone) and when the port is interrupted (an
// abort); never otherwise.
//
// Every byte becomes the upper-case hex digit of its low 4 bits. Line
// errors are cleared and restart the silence. The thread blocks on the port
// between bytes (no spinning), sets its end signal as its last act on shared
// state, and then frees itself. Until the signal is set the port, the reply
// text and the target file belong to the thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/end_signal.h"

namespace gt7p {

class ReplyFile;
class SerialPort;

class TCommThread {
 public:
  // Starts reading `port` at once. `target` receives the characters, or,
  // when null, they are appended to `replyText`. Throws std::system_error
  // when no thread can be started.
  static std::shared_ptr<EndSignal> Start(SerialPort& port, int32_t timeoutSeconds, int32_t secondMs,
                                          int32_t chunkSize, ReplyFile* target, std::string* replyText);

 private:
  TCommThread(SerialPort& port, int32_t timeoutSeconds, int32_t secondMs, int32_t chunkSize, ReplyFile* target,
              std::string* replyText);
  void Execute();

  const int32_t TimeoutSeconds;
  const int32_t SecondMs;
  const int32_t ChunkSize;
  ReplyFile* const Target;
  SerialPort& port_;
  std::string* const replyText_;
  const std::shared_ptr<EndSignal> end_ = std::make_shared<EndSignal>();
};

}  // namespace gt7p
