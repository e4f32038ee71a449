// The serial link to the instrument: the port, the receive thread of the
// latest command and ReplyText. One instance for the program, used from
// one thread; calling order OpenCommPort, SendCommand..., CloseCommPort.
//
// Wire form: a command is a text of hex digits, each sent as one byte of
// that value ("02" is 00h 02h; a character that is not a hex digit gives
// 00h). A reply is one upper-case hex digit per received byte, that of its
// low 4 bits.
//
// SendCommand blocks for the whole reception: at least TimeoutSeconds, and
// for as long as bytes keep coming (collecting in memory, until more than
// 32 characters are in), unless the line goes away (a hang-up or an I/O
// error ends it at once) or the link is aborted. A reply with a declared
// length (ReplyEnd) ends sooner: on its guard of quiet once it is complete,
// and at its bound when it runs on. The only Error thrown here is Aborted
// ("通讯已中止！"), by SendCommand once Abort was called.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "link/end_signal.h"
#include "link/reply_end.h"

namespace gt7p {

class InstrumentUi;
class ReplyFile;
class SerialPort;

class InstrumentLink {
 public:
  InstrumentLink();
  ~InstrumentLink();  // closes the port
  InstrumentLink(const InstrumentLink&) = delete;
  InstrumentLink& operator=(const InstrumentLink&) = delete;

  // Status "正在连接端口 NAME ..." then opens and configures the port.
  // Can't open: status "连接失败", false. Can't configure: port closed,
  // status left as it is, false. Ready: status "" (idle), true.
  bool OpenCommPort(InstrumentUi& ui, const std::string& portName);
  void CloseCommPort();  // harmless when nothing is open
  bool IsOpen() const;

  // Empties ReplyText, starts a receive thread, writes the command and
  // returns when the thread has ended (through ui.WaitForEnd). The reply is
  // then in ReplyText (target null) or in the file from its position before
  // the call. A failed write is not reported. Throws Aborted, before it
  // writes anything or once the receive thread has ended, when the link
  // has been aborted. `replyEnd` as reply_end.h says; by default the
  // silence alone ends the reply.
  void SendCommand(InstrumentUi& ui, const std::string& commandText, int32_t chunkSize, int32_t timeoutSeconds,
                   ReplyFile* target, const ReplyEnd& replyEnd = ReplyEnd());
  const std::string& ReplyText() const { return replyText_; }
  // The last reception ended because the line went away, not on silence.
  bool LineGone() const { return receiveEnd_ && receiveEnd_->LineGone(); }
  // The last reply ran on past its declared length and bound, and was cut there.
  bool RanOn() const { return receiveEnd_ && receiveEnd_->RanOn(); }
  // The last reply ended on its guard, not on its whole silence.
  bool EndedOnGuard() const { return receiveEnd_ && receiveEnd_->EndedOnGuard(); }

  // The early end gave way to full silences for the rest of this link's
  // life (an exchange met stray digits after an early end: exchange.h).
  void KeepFullSilences() { fullSilencesKept_ = true; }
  bool FullSilencesKept() const { return fullSilencesKept_; }

  // Gives up the exchange under way; from any thread (the window closing, a
  // signal's watcher). A reception under way ends at once (its thread wakes
  // from its wait), and SendCommand throws Aborted from then on: the
  // exchange leaves through its clean-up. Final for this link.
  void Abort();
  bool AbortRequested() const;

  // The length of a second in the receive thread's silences: tests shorten
  // it so that an exchange does not wait real seconds. The guard of a
  // complete reply is real time: it never exceeds the silence it cuts short.
  void SetSecondForTesting(int32_t ms) { secondMs_ = ms; }
  int32_t SecondMs() const { return secondMs_; }

  // Folders tried in turn for the directory exchange's cache file; by
  // default the program's own folder, then the user's temporary folder.
  void SetCacheFolders(std::vector<std::filesystem::path> folders) { cacheFolders_ = std::move(folders); }
  const std::vector<std::filesystem::path>& CacheFolders() const { return cacheFolders_; }

 private:
  std::unique_ptr<SerialPort> port_;  // serial_port.h is private to link/
  std::shared_ptr<EndSignal> receiveEnd_;  // of the latest receive thread
  std::string replyText_;
  std::string commandBuffer_;
  std::vector<std::filesystem::path> cacheFolders_;
  int32_t secondMs_ = 1000;
  bool fullSilencesKept_ = false;
};

}  // namespace gt7p
