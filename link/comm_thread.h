// The receive thread: one per command, reading the port until the line has
// been silent for more than SilenceMs milliseconds (the command's
// TimeoutSeconds of the link's second) or, collecting in memory, until the
// reply holds more than 32 characters. With a declared length (ReplyEnd) a
// complete reply ends on its shorter guard of quiet, and one that runs on
// past its bound ends there (EndSignal::RanOn). It also ends at once when
// the line is gone (a hang-up or an I/O error: EndSignal::LineGone) and when
// the port is interrupted (an abort); never otherwise.
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
#include "link/reply_end.h"

namespace gt7p {

class ReplyFile;
class SerialPort;

class TCommThread {
 public:
  // Starts reading `port` at once. `target` receives the characters, or,
  // when null, they are appended to `replyText`. Throws std::system_error
  // when no thread can be started.
  static std::shared_ptr<EndSignal> Start(SerialPort& port, int64_t silenceMs, int32_t chunkSize,
                                          const ReplyEnd& replyEnd, ReplyFile* target, std::string* replyText);

 private:
  TCommThread(SerialPort& port, int64_t silenceMs, int32_t chunkSize, const ReplyEnd& replyEnd, ReplyFile* target,
              std::string* replyText);
  void Execute();
  // Takes `count` received characters into the reply; false when they run
  // past the reply's bound (what fits is taken, the rest dropped).
  bool Take(const char* chars, size_t count);

  const int64_t SilenceMs;
  const int32_t ChunkSize;
  ReplyFile* const Target;
  const ReplyEnd replyEnd_;
  SerialPort& port_;
  std::string* const replyText_;
  uint64_t received_ = 0;
  uint64_t declared_ = 0;  // 0 until known
  std::string head_;       // the first characters, until the declared length is known
  const std::shared_ptr<EndSignal> end_ = std::make_shared<EndSignal>();
};

}  // namespace gt7p
