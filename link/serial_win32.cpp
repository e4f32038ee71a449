// Serial port on Windows: a synchronous handle with the time-outs that make
// ReadFile return promptly and WriteFile bounded.
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "link/serial_port.h"

namespace gt7p {

struct SerialPort::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::atomic<bool> interrupted{false};
};

SerialPort::SerialPort() : impl_(new Impl) {}
SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const std::string& name) {
  Close();
  // The name as given (COM3), no device prefix; share mode 0 = exclusive.
  impl_->handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return impl_->handle != INVALID_HANDLE_VALUE;
}

bool SerialPort::Configure() {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = 1;
  timeouts.ReadTotalTimeoutConstant = 1;
  timeouts.WriteTotalTimeoutMultiplier = 10;
  timeouts.WriteTotalTimeoutConstant = 1000;
  if (!SetCommTimeouts(impl_->handle, &timeouts)) return false;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(impl_->handle, &dcb)) return false;
  dcb.BaudRate = CBR_19200;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  if (!SetCommState(impl_->handle, &dcb)) return false;
  return SetupComm(impl_->handle, 32, 32) != 0;
}

void SerialPort::Close() {
  if (impl_->handle == INVALID_HANDLE_VALUE) return;
  CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
}

bool SerialPort::IsOpen() const { return impl_->handle != INVALID_HANDLE_VALUE; }

LineStatus SerialPort::ReadLineStatus() {
  LineStatus status;
  DWORD errors = 0;
  COMSTAT comstat{};
  if (impl_->handle == INVALID_HANDLE_VALUE) return status;
  // A removed device (a USB adapter pulled) fails every call on its handle.
  if (!ClearCommError(impl_->handle, &errors, &comstat)) {
    status.gone = true;
    return status;
  }
  status.errors = errors != 0;
  status.waiting = comstat.cbInQue;
  return status;
}

void SerialPort::Purge() {
  if (impl_->handle != INVALID_HANDLE_VALUE) PurgeComm(impl_->handle, 0);
}

void SerialPort::DiscardInput() {
  if (impl_->handle != INVALID_HANDLE_VALUE) PurgeComm(impl_->handle, PURGE_RXCLEAR);
}

void SerialPort::WaitForInput(int32_t maxMs) {
  // A synchronous handle has no wait with a time-out; a short sleep keeps an
  // empty pass from spinning and costs at most 5 ms of latency (an
  // interrupt included).
  if (maxMs > 0 && !Interrupted()) Sleep(static_cast<DWORD>(std::min<int32_t>(maxMs, 5)));
}

int32_t SerialPort::Read(char* buffer, int32_t count) {
  DWORD got = 0;
  if (impl_->handle == INVALID_HANDLE_VALUE || count <= 0) return 0;
  if (!ReadFile(impl_->handle, buffer, static_cast<DWORD>(count), &got, nullptr)) return -1;
  return static_cast<int32_t>(got);
}

void SerialPort::Write(const char* data, size_t count) {
  DWORD written = 0;
  if (impl_->handle != INVALID_HANDLE_VALUE) WriteFile(impl_->handle, data, static_cast<DWORD>(count), &written, nullptr);
}

void SerialPort::Interrupt() { impl_->interrupted.store(true); }

bool SerialPort::Interrupted() const { return impl_->interrupted.load(); }

}  // namespace gt7p
