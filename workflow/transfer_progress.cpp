#include "workflow/transfer_progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/cp936.h"

namespace gt7p {
namespace {

std::string Format(const char* format, double a, double b = 0, double c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

}  // namespace

void TransferProgress::Update(uint64_t received, uint64_t declared, double seconds) {
  if (received != received_) lastArrival_ = seconds;
  received_ = received;
  declared_ = declared;
}

int TransferProgress::Percent() const {
  if (declared_ == 0) return -1;
  return static_cast<int>(std::min<uint64_t>(100, received_ * 100 / declared_));
}

double TransferProgress::Rate() const { return lastArrival_ > 0 ? received_ / lastArrival_ : 0; }

double TransferProgress::SecondsLeft() const {
  if (declared_ == 0 || Rate() <= 0) return -1;
  return declared_ > received_ ? (declared_ - received_) / Rate() : 0;
}

std::string TimeLeftText(const TransferProgress& progress) { return TimeLeftText(progress.SecondsLeft()); }

std::string TimeLeftText(double left) {
  if (left < 0) return std::string();
  const long seconds = std::lround(std::ceil(left));
  if (seconds < 60) return Utf8ToCp936("剩余 ") + std::to_string(seconds) + Utf8ToCp936(" 秒");
  return Utf8ToCp936("剩余 ") + std::to_string(seconds / 60) + Utf8ToCp936(" 分 ") +
         Format("%02.0f", static_cast<double>(seconds % 60)) + Utf8ToCp936(" 秒");
}

std::string StatusBarProgressText(const TransferProgress& progress) {
  std::string text = Utf8ToCp936("已收 ") + std::to_string(progress.Received());
  if (progress.Declared() > 0) text += "/" + std::to_string(progress.Declared());
  text += Utf8ToCp936(" 字符");
  const std::string left = TimeLeftText(progress);
  return left.empty() ? text : text + "  " + left;
}

std::string TerminalProgressLine(const std::string& label, const TransferProgress& progress) {
  std::string line = label;
  if (progress.Percent() >= 0) line += Format("  %3.0f%%", progress.Percent());
  line += Format("  %.1f", progress.Received() / 1024.0);
  if (progress.Declared() > 0) line += Format("/%.1f", progress.Declared() / 1024.0);
  line += Format(" KB  %.1f KB/s", progress.Rate() / 1024.0);
  const std::string left = TimeLeftText(progress);
  return left.empty() ? line : line + "  " + left;
}

}  // namespace gt7p
