// Clients opening and closing a path (the pseudo-terminal's slave), counted
// from the system's notices: the simulator drops a reply nobody is left to
// read, as a real line would lose it. Linux: inotify (client_watch_linux.cpp).
// Where nothing can be watched, fd() is -1 and no client ever leaves.
#pragma once

#include <string>

namespace gt7p {
namespace sim {

class ClientWatch {
 public:
  explicit ClientWatch(const std::string& path);
  ~ClientWatch();
  ClientWatch(const ClientWatch&) = delete;
  ClientWatch& operator=(const ClientWatch&) = delete;

  // To poll for input: readable when clients came or went.
  int fd() const { return fd_; }
  // Reads the notices that came, without blocking; the clients now.
  int Update();

 private:
  int fd_ = -1;
  int clients_ = 0;
};

}  // namespace sim
}  // namespace gt7p
