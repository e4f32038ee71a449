#include "workflow/batch_progress.h"

#include <algorithm>
#include <cmath>

#include "base/cp936.h"
#include "workflow/transfer_progress.h"

namespace gt7p {

void BatchProgress::Begin(size_t files, double seconds) {
  *this = BatchProgress();
  files_ = files;
  begun_ = latest_ = seconds;
}

void BatchProgress::FileTurn() {
  if (turn_ < files_) ++turn_;
  inTurn_ = true;
  received_ = declared_ = 0;
}

void BatchProgress::Update(uint64_t received, uint64_t declared, double seconds) {
  received_ = received;
  declared_ = declared;
  latest_ = std::max(latest_, seconds);
}

void BatchProgress::FileDone() {
  doneReceived_ += received_;
  if (declared_ > 0 || received_ > 0) {
    doneDeclared_ += std::max(declared_, received_);
    ++declaredFiles_;
  }
  received_ = declared_ = 0;
  inTurn_ = false;
}

uint64_t BatchProgress::Received() const { return doneReceived_ + received_; }

uint64_t BatchProgress::Total() const {
  const bool current = declared_ > 0 || received_ > 0;
  const uint64_t known = doneDeclared_ + (current ? std::max(declared_, received_) : 0);
  const size_t knownFiles = declaredFiles_ + (current ? 1 : 0);
  if (knownFiles == 0) return 0;
  // The files to come, at the mean length so far: those after the turn's,
  // and the turn's own until it declares its length.
  const size_t rest = files_ - std::min(files_, turn_) + (inTurn_ && !current ? 1 : 0);
  return std::max(Received(), known + known * rest / knownFiles);
}

double BatchProgress::SecondsLeft() const {
  const uint64_t received = Received(), total = Total();
  const double elapsed = latest_ - begun_;
  if (received == 0 || elapsed <= 0 || total == 0) return -1;
  return static_cast<double>(total - received) * elapsed / static_cast<double>(received);
}

std::vector<std::string> BatchProgressTexts(const BatchProgress& batch) {
  const std::string of = std::to_string(batch.Turn()) + "/" + std::to_string(batch.Files());
  const std::string turn = Utf8ToCp936("第 ") + of + Utf8ToCp936(" 个");
  std::string chars;
  if (batch.Total() > 0)
    chars = "  " + std::to_string(batch.Received()) + "/" + std::to_string(batch.Total()) + Utf8ToCp936(" 字符");
  const double left = batch.SecondsLeft();
  const std::string leftText = TimeLeftText(left);
  const std::string longLeft = leftText.empty() ? std::string() : "  " + leftText;
  std::string shortLeft;
  if (left >= 0) {
    const long seconds = std::lround(std::ceil(left));
    const std::string ss = std::to_string(seconds % 60);
    shortLeft = "  " + std::to_string(seconds / 60) + ":" + (ss.size() < 2 ? "0" : "") + ss;
  }
  return {turn + chars + longLeft, turn + longLeft, of + shortLeft};
}

}  // namespace gt7p
