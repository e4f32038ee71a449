// What a progress display shows of one long reception (a directory, a data
// file): the share of the declared length, the characters received, the
// rate and the time left. Fed with the receive thread's counts
// (EndSignal::Received, Declared) while the caller waits; shared by the
// window's status bar and gt7p-cli's progress line. Texts are code page 936.
#pragma once

#include <cstdint>
#include <string>

namespace gt7p {

class TransferProgress {
 public:
  // The counts at `seconds` since the reception began.
  void Update(uint64_t received, uint64_t declared, double seconds);

  uint64_t Received() const { return received_; }
  uint64_t Declared() const { return declared_; }
  // Of the declared length, 0 to 100; -1 while it is unknown.
  int Percent() const;
  // Characters a second up to the latest one (the quiet after it doesn't
  // count); 0 before any came.
  double Rate() const;
  // Seconds until the declared length is in at that rate; -1 unknown.
  double SecondsLeft() const;

 private:
  uint64_t received_ = 0, declared_ = 0;
  double lastArrival_ = 0;  // seconds at which the count last grew
};

// "剩余 12 秒", "剩余 1 分 05 秒" (whole seconds, rounded up); "" while
// unknown (negative).
std::string TimeLeftText(double seconds);
std::string TimeLeftText(const TransferProgress& progress);

// The window's status bar: "已收 14530/38326 字符  剩余 8 秒" (the declared
// length and the time left once known).
std::string StatusBarProgressText(const TransferProgress& progress);

// gt7p-cli's line: "ZS0001.DAT  37%  14.2/38.3 KB  1.9 KB/s  剩余 12 秒"
// (KB of 1024 characters).
std::string TerminalProgressLine(const std::string& label, const TransferProgress& progress);

}  // namespace gt7p
