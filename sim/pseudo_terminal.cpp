#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace gt7p {
namespace sim {

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  const char* name = nullptr;
  if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) name = ptsname(master_);
  if (name) {
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  }
  termios t{};
  if (slave_ < 0 || tcgetattr(slave_, &t) != 0) {
    std::string why = std::strerror(errno);
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    throw std::runtime_error("no pseudo-terminal: " + why);
  }
  cfmakeraw(&t);
  tcsetattr(slave_, TCSANOW, &t);
}

PseudoTerminal::~PseudoTerminal() { HangUp(); }

void PseudoTerminal::DiscardUnread() {
  if (slave_ >= 0) tcflush(slave_, TCIFLUSH);
}

size_t PseudoTerminal::Unread() const {
  int unread = 0;
  if (slave_ < 0 || ioctl(slave_, FIONREAD, &unread) != 0 || unread < 0) return 0;
  return static_cast<size_t>(unread);
}

void PseudoTerminal::HangUp() {
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

}  // namespace sim
}  // namespace gt7p
