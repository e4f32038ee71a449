// Serial port on POSIX: a non-blocking file descriptor in raw mode, waited
// on with poll.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include "base/cp936.h"
#include "link/serial_port.h"

namespace gt7p {
namespace {

using Clock = std::chrono::steady_clock;

int64_t MsUntil(Clock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
}

constexpr short kGone = POLLHUP | POLLERR | POLLNVAL;

// Waits for `events` up to `ms`: 1 ready, 0 not yet (time-out, a signal),
// -1 the line is gone (a hung-up tty also reads as ready, so that is told
// first).
int PollFor(int fd, short events, int64_t ms) {
  pollfd p{fd, events, 0};
  const int r = poll(&p, 1, static_cast<int>(ms));
  if (r <= 0) return 0;
  if (p.revents & kGone) return -1;
  return (p.revents & events) != 0 ? 1 : 0;
}

}  // namespace

struct SerialPort::Impl {
  int fd = -1;
  bool haveCounters = false;
  uint64_t errorCount = 0;  // sum of the driver's error counters last seen
  // Interrupt writes one byte that nobody reads: every poll beside it
  // returns at once from then on.
  int wake[2] = {-1, -1};
  std::atomic<bool> interrupted{false};

  // The driver's error counters where it keeps them (real UARTs and most
  // USB adapters do, pseudo-terminals don't).
  bool ReadErrorCount(uint64_t& count) const {
#if defined(__linux__) && defined(TIOCGICOUNT)
    serial_icounter_struct c{};
    if (ioctl(fd, TIOCGICOUNT, &c) != 0) return false;
    count = static_cast<uint64_t>(c.frame) + c.overrun + c.parity + c.brk + c.buf_overrun;
    return true;
#else
    (void)count;
    return false;
#endif
  }
};

SerialPort::SerialPort() : impl_(new Impl) {
  if (pipe(impl_->wake) != 0) return;  // then interrupts are seen at the next pass only
  for (int end : impl_->wake) {
    fcntl(end, F_SETFD, FD_CLOEXEC);
    fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
  }
}

SerialPort::~SerialPort() {
  Close();
  for (int end : impl_->wake)
    if (end >= 0) close(end);
}

bool SerialPort::Open(const std::string& name) {
  Close();
  // O_NONBLOCK: the open must not wait for carrier, and reads return at once.
  int fd = open(PathFromText(name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
    close(fd);
    return false;
  }
  impl_->fd = fd;
  return true;
}

bool SerialPort::Configure() {
  termios t{};
  if (impl_->fd < 0 || tcgetattr(impl_->fd, &t) != 0) return false;
  // Raw: no line editing, echo, signal characters, CR/LF translation or
  // XON/XOFF; CRTSCTS, CLOCAL and HUPCL stay as they are.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                       IXANY | INPCK);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  t.c_cflag |= CS8 | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (cfsetispeed(&t, B19200) != 0 || cfsetospeed(&t, B19200) != 0) return false;
  if (tcsetattr(impl_->fd, TCSANOW, &t) != 0) return false;
  impl_->haveCounters = impl_->ReadErrorCount(impl_->errorCount);
  return true;
}

void SerialPort::Close() {
  if (impl_->fd < 0) return;
  // The exclusive mark belongs to the tty, not the descriptor: a peer that
  // keeps the tty open (a simulator) would otherwise lock out the next open.
  ioctl(impl_->fd, TIOCNXCL);
  close(impl_->fd);
  impl_->fd = -1;
  impl_->haveCounters = false;
}

bool SerialPort::IsOpen() const { return impl_->fd >= 0; }

LineStatus SerialPort::ReadLineStatus() {
  LineStatus status;
  if (impl_->fd < 0) return status;
  uint64_t count = 0;
  if (impl_->haveCounters && impl_->ReadErrorCount(count)) {
    status.errors = count != impl_->errorCount;
    impl_->errorCount = count;
  }
  // A hung-up tty fails the count (EIO) and polls as hung up.
  int waiting = 0;
  if (ioctl(impl_->fd, FIONREAD, &waiting) != 0 || PollFor(impl_->fd, POLLIN, 0) < 0) {
    status.gone = true;
    return status;
  }
  if (waiting > 0) status.waiting = static_cast<uint32_t>(waiting);
  return status;
}

void SerialPort::Purge() {}  // the error state was cleared when it was read

void SerialPort::DiscardInput() {
  if (impl_->fd >= 0) tcflush(impl_->fd, TCIFLUSH);
}

void SerialPort::WaitForInput(int32_t maxMs) {
  if (maxMs <= 0 || Interrupted()) return;
  // A closed port (fd -1) is left out by poll: only an interrupt ends the wait early.
  pollfd p[2] = {{impl_->fd, POLLIN, 0}, {impl_->wake[0], POLLIN, 0}};
  poll(p, 2, maxMs);
}

int32_t SerialPort::Read(char* buffer, int32_t count) {
  if (impl_->fd < 0 || count <= 0) return 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(count + 1);
  int32_t got = 0;
  bool gone = false;
  while (got < count) {
    ssize_t n = read(impl_->fd, buffer + got, static_cast<size_t>(count - got));
    if (n > 0) {
      got += static_cast<int32_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      gone = true;
      break;
    }
    const int64_t left = MsUntil(deadline);
    if (left <= 0) break;
    const int ready = PollFor(impl_->fd, POLLIN, left);
    if (ready < 0) gone = true;
    if (ready <= 0) break;
  }
  return got > 0 ? got : gone ? -1 : 0;
}

void SerialPort::Write(const char* data, size_t count) {
  if (impl_->fd < 0) return;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(10 * count + 1000);
  size_t done = 0;
  while (done < count) {
    ssize_t n = write(impl_->fd, data + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return;
    int64_t left = MsUntil(deadline);
    if (left <= 0 || PollFor(impl_->fd, POLLOUT, left) < 0) return;
  }
}

void SerialPort::Interrupt() {
  if (impl_->interrupted.exchange(true)) return;
  const char byte = 1;
  if (impl_->wake[1] >= 0) (void)!write(impl_->wake[1], &byte, 1);
}

bool SerialPort::Interrupted() const { return impl_->interrupted.load(); }

}  // namespace gt7p
