// Where a save of several files stands, for the window's status bar: which
// file of the batch has its turn, the batch's characters so far and in all,
// and the time left for the whole batch. Fed by the save loop's file turns
// (SaveList::FileTurn, FileDone) and by the receive thread's counts of the
// file under way; the window shows it beside the file's own bar, and the
// status texts and dots of the status panel stay as they are.
//
// The batch's length in characters is known only of the files begun: each
// declares its length when its transfer starts. The files yet to come are
// counted at the mean length of the files declared so far, so the total
// settles as the batch goes on. A file that is skipped adds nothing. The
// time left is the characters left at the batch's rate so far, which holds
// the pauses between files (the port opened and closed, the handshake).
// Texts are code page 936.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gt7p {

class BatchProgress {
 public:
  // A new batch of `files` selected files, begun at `seconds`.
  void Begin(size_t files, double seconds);
  // The next file's turn has come (1 for the first).
  void FileTurn();
  // The counts of the file under way at `seconds`.
  void Update(uint64_t received, uint64_t declared, double seconds);
  // The file under way is over: written, skipped or failed.
  void FileDone();

  size_t Files() const { return files_; }
  size_t Turn() const { return turn_; }
  // Characters received in the batch, and its estimated length (0 before
  // any file declared one).
  uint64_t Received() const;
  uint64_t Total() const;
  // Seconds until the whole batch is in; -1 while unknown.
  double SecondsLeft() const;

 private:
  size_t files_ = 0, turn_ = 0;
  bool inTurn_ = false;  // between FileTurn and FileDone
  double begun_ = 0, latest_ = 0;
  uint64_t doneReceived_ = 0;  // of the files over
  uint64_t doneDeclared_ = 0;  // the lengths the files over declared
  size_t declaredFiles_ = 0;   // files over that declared one
  uint64_t received_ = 0, declared_ = 0;  // of the file under way
};

// The texts for the bar's side, longest first; the window shows the first
// that fits and puts the first in a tool tip when it had to shorten:
//   "第 2/4 个  73947/300056 字符  剩余 2 分 01 秒"
//   "第 2/4 个  剩余 2 分 01 秒"
//   "2/4  2:01"
// Parts not yet known are left out ("第 1/4 个" before any count).
std::vector<std::string> BatchProgressTexts(const BatchProgress& batch);

}  // namespace gt7p
