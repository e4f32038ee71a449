// One serial port, opened by its name: a device path on POSIX (pseudo-
// terminals included), a COM name such as COM3 on Windows.
//
// Contract of the platform files (serial_posix.cpp, serial_win32.cpp):
//   - Open: exclusive, for reading and writing; false when the device can't
//     be opened. Never blocks on modem lines.
//   - Configure: 19200 baud, 8 data bits, no parity, one stop bit, bytes
//     passed unchanged; flow control, DTR and RTS as the driver has them.
//     False when any step fails; the port then stays open for the caller to
//     close.
//   - Read returns promptly: what has arrived once `count` bytes are there
//     or after about count + 1 ms, whichever comes first.
//   - Write is bounded by about 10 ms per byte plus 1 s; its outcome is not
//     reported (the reply tells).
//   - WaitForInput blocks up to `maxMs` for input (POSIX: poll on the port;
//     Windows: a short sleep). It may return early (input, a line gone, an
//     interrupt); it never spins.
//   - A line that is gone (a USB adapter pulled, the far end of a
//     pseudo-terminal closed: POSIX a hang-up or I/O error, Windows a
//     failing ClearCommError or ReadFile) shows as LineStatus::gone and a
//     Read of -1; nothing more can come from it.
//   - Interrupt, from any thread, makes every wait return at once, from
//     then on (POSIX: a pipe polled beside the port).
// Nothing throws. One thread may read (ReadLineStatus, WaitForInput, Read)
// while another writes; Open, Configure and Close are not called while a
// reader runs; Interrupt and Interrupted may be called at any time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace gt7p {

struct LineStatus {
  bool errors = false;    // framing, overrun, parity or break since the last call
  uint32_t waiting = 0;   // bytes in the input queue
  bool gone = false;      // hung up or failing: nothing more will come
};

class SerialPort {
 public:
  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool Open(const std::string& name);
  bool Configure();
  void Close();  // harmless when nothing is open
  bool IsOpen() const;

  // Reads and clears the line's error state, and counts the bytes waiting.
  LineStatus ReadLineStatus();
  // The purge with no queue named: discards nothing, resets the error state.
  void Purge();
  // Discards the bytes waiting in the input queue (POSIX: tcflush; Windows:
  // PurgeComm with PURGE_RXCLEAR).
  void DiscardInput();
  void WaitForInput(int32_t maxMs);
  // Up to `count` bytes into `buffer`; 0 when none came, -1 when the line is
  // gone.
  int32_t Read(char* buffer, int32_t count);
  void Write(const char* data, size_t count);

  void Interrupt();
  bool Interrupted() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace gt7p
