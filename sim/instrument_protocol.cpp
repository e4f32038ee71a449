#include "sim/instrument_protocol.h"

#include <algorithm>
#include <utility>

#include "base/cp936.h"
#include "base/text.h"
#include "records/records.h"

namespace gt7p {
namespace sim {
namespace {

constexpr auto kFrameLimit = std::chrono::milliseconds(500);

// Name and extension bytes of the 22-digit name form, zeros and blanks
// trimmed: the header field pads with zeros, a hand-made file may not. The
// two parts stay apart: name "AB" with extension "D.T" is not name "AB.D"
// with extension "T".
std::pair<std::string, std::string> NameKey(const std::string& digits) {
  std::string bytes;
  for (size_t i = 0; i + 1 < digits.size() && i < 22; i += 2)
    bytes += static_cast<char>(std::max(HexDigitValue(digits[i]), 0) * 16 + std::max(HexDigitValue(digits[i + 1]), 0));
  bytes.resize(11, '\0');
  auto trim = [](std::string s) {
    std::replace(s.begin(), s.end(), '\0', ' ');
    return Trim(s);
  };
  return {trim(bytes.substr(0, 8)), trim(bytes.substr(8))};
}

}  // namespace

InstrumentProtocol::InstrumentProtocol(const InstrumentStores& stores, Log log)
    : stores_(stores), log_(std::move(log)) {}

InstrumentProtocol::Outcome InstrumentProtocol::Take(const std::string& bytes, Clock::time_point now,
                                                     const SimulatorFaults& faults) {
  Outcome outcome;
  for (char byte : bytes) {
    frame_ += kHexDigits[byte & 15];
    frameAt_ = now;
    // No name begins with a control character: a client that started over
    // without sending the name.
    if (state_ == kName && frame_.size() == 2 && frame_[0] == '0') state_ = kGreet;
    if (frame_.size() == FrameLength()) {
      if (std::optional<Reply> reply = Handle(faults, outcome.startOver)) {
        reply->afterRest = faults.keepSending;
        outcome.reply = std::move(reply);
      }
      frame_.clear();
    }
  }
  return outcome;
}

std::optional<InstrumentProtocol::Clock::time_point> InstrumentProtocol::FrameDeadline() const {
  if (frame_.empty()) return std::nullopt;
  return frameAt_ + kFrameLimit;
}

void InstrumentProtocol::DropStaleFrame(Clock::time_point now) {
  if (!frame_.empty() && now - frameAt_ > kFrameLimit) frame_.clear();
}

void InstrumentProtocol::Reset() {
  state_ = kGreet;
  frame_.clear();
}

std::optional<Reply> InstrumentProtocol::Handle(const SimulatorFaults& faults, bool& startOver) {
  const std::vector<std::string>& files = store_ == 0 ? stores_.memory : stores_.card;
  const State was = state_;
  state_ = kGreet;
  if (was != kName && frame_ == "02") {
    startOver = true;
    state_ = kTarget;
    Say("02 -> " + faults.versionReply);
    return Encoded(faults.versionReply, faults.lineNoise);
  }
  if (was == kTarget && (frame_ == "00" || frame_ == "01")) {
    store_ = frame_ == "00" ? 0 : 1;
    state_ = kRequest;
    Say(frame_ + " -> " + faults.memoryReply + (store_ == 0 ? " (instrument memory)" : " (card)"));
    return Encoded(faults.memoryReply, faults.lineNoise);
  }
  if (was == kRequest && frame_ == "00") {
    Reply reply = Encoded(Directory(files, faults), faults.lineNoise);
    reply.endless = faults.endlessReplies;
    Say("00 -> directory, " + std::to_string(files.size()) + " files, " + std::to_string(reply.bytes.size()) +
        " bytes");
    return reply;
  }
  if (was == kRequest && frame_ == "01") {
    state_ = kName;
    Say("01 -> 10");
    return Encoded("10", faults.lineNoise);
  }
  if (was == kName) {
    Reply reply = Encoded(FileReply(files, faults), faults.lineNoise);
    const size_t size = reply.bytes.size();
    if (faults.hangUpAfter >= 0) reply.hangUpAt = std::min(size, static_cast<size_t>(faults.hangUpAfter));
    if (faults.pauseFileAt >= 0 && static_cast<size_t>(faults.pauseFileAt) < size) {
      reply.pauseAt = static_cast<size_t>(faults.pauseFileAt);
      reply.pause = std::chrono::milliseconds(faults.pauseMs);
    }
    reply.trailing = Encoded(faults.trailingDigits, false).bytes;
    reply.trailingAfter = std::chrono::milliseconds(faults.trailingAfterMs);
    reply.endless = faults.endlessReplies;
    const auto key = NameKey(frame_);
    Say(Cp936ToUtf8(key.first + "." + key.second) + " -> " + std::to_string(size) + " bytes");
    return reply;
  }
  Say(BytesToHex(frame_) + " ignored");
  return std::nullopt;
}

Reply InstrumentProtocol::Encoded(const std::string& digits, bool noisy) {
  Reply reply;
  reply.bytes.resize(digits.size());
  for (size_t i = 0; i < digits.size(); ++i) {
    const int value = std::max(HexDigitValue(digits[i]), 0);
    reply.bytes[i] = static_cast<char>(noisy ? value | (noise_() & 0xF0) : value);
  }
  return reply;
}

std::string InstrumentProtocol::Directory(const std::vector<std::string>& files, const SimulatorFaults& faults) const {
  if (!faults.directoryReply.empty()) return faults.directoryReply;
  std::string text = "10" + HexDigits(files.size(), 4) + "00";
  const size_t whole =
      files.size() - std::min<size_t>(files.size(), static_cast<size_t>(std::max(faults.directoryLeftOut, 0)));
  for (size_t i = 0; i < whole; ++i) text += files[i].substr(4, kHeaderRecordChars);
  return text;
}

std::string InstrumentProtocol::FileReply(const std::vector<std::string>& files, const SimulatorFaults& faults) const {
  const auto wanted = NameKey(frame_);
  for (const std::string& file : files) {
    if (NameKey(file.substr(4, 22)) != wanted) continue;
    if (faults.cutFileAfter >= 0 && static_cast<size_t>(faults.cutFileAfter) < file.size())
      return file.substr(0, static_cast<size_t>(faults.cutFileAfter));
    return file;
  }
  return std::string("00");
}

}  // namespace sim
}  // namespace gt7p
