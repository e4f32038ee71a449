// A pseudo-terminal standing in for a serial line (POSIX only): the master
// end for the peer (the simulator, a test), the slave's path for the
// client. Raw from the start.
//
// The slave stays open for as long as this object lives, so clients may open
// and close the path without hanging up the line. The master is
// non-blocking. The constructor throws std::runtime_error when no
// pseudo-terminal can be had.
#pragma once

#include <string>

namespace gt7p {
namespace sim {

class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int master() const { return master_; }
  int slave() const { return slave_; }  // the line settings clients see
  const std::string& slavePath() const { return slavePath_; }

  // Drops what the master wrote and the client has not read yet.
  void DiscardUnread();
  // Bytes the master wrote that no client has read yet.
  size_t Unread() const;
  // Closes both ends, as a line that goes away: the clients' ends hang up.
  void HangUp();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace sim
}  // namespace gt7p
