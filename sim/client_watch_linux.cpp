#include "sim/client_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>

namespace gt7p {
namespace sim {

ClientWatch::ClientWatch(const std::string& path) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ >= 0 && inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE) < 0) {
    close(fd_);
    fd_ = -1;
  }
}

ClientWatch::~ClientWatch() {
  if (fd_ >= 0) close(fd_);
}

int ClientWatch::Update() {
  alignas(inotify_event) char events[4096];
  ssize_t n;
  while (fd_ >= 0 && (n = read(fd_, events, sizeof events)) > 0) {
    for (char* at = events; at < events + n;) {
      const inotify_event* e = reinterpret_cast<const inotify_event*>(at);
      if (e->mask & IN_OPEN) ++clients_;
      if (e->mask & IN_CLOSE) clients_ = std::max(clients_ - 1, 0);
      at += sizeof(inotify_event) + e->len;
    }
  }
  return clients_;
}

}  // namespace sim
}  // namespace gt7p
