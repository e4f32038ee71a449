// A window stand-in that records what the exchange does to it, a simulated
// instrument for a test, and the short second the link tests run with.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/instrument_link.h"
#include "link/instrument_ui.h"
#include "workflow/directory_list.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace test {

// The link's second in tests that are not about timing: long enough for a
// loaded machine to keep a reply going, short enough that an exchange
// takes well under a second.
constexpr int32_t kTestSecondMs = 200;

using Clock = std::chrono::steady_clock;

// Milliseconds since `start`, for the tests that bound how long a wait lasts.
inline int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Bytes from a list of values, for wire comparisons.
std::string Bytes(std::initializer_list<int> values);

// The list as the window shows it: `columns`, `rows` (caption, status,
// fields) and their `images`; `clears` counts the refills.
class RecordingUi : public ListingUi {
 public:
  // Asks the dialog as the window does (workflow/comm_settings.h), the
  // dialog answering `commSettings`.
  CommSettings ChooseCommSettings(LinkSettings& settings) override;
  void SetStatusText(const std::string& text) override;
  void ShowList(const DirectoryList& list) override;
  void FitColumns() override { ++fits; }
  void ShowTargetIndicator(bool isInstrument) override { targets.push_back(isInstrument); }
  void WaitForEnd(const std::shared_ptr<EndSignal>& end) override { end->Wait(); }

  std::string commSettings;                        // what the dialog answers
  std::vector<std::string> dialogArgs;             // of the last dialog
  std::vector<std::string> statuses;
  std::function<void(const std::string&)> onStatus;
  int clears = 0, fits = 0;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  std::vector<int> images;
  std::vector<bool> targets;
};

// The dialog's answer: "port,target,delay," and the column lines.
std::string Answer(const std::string& port, int target, int delay, const std::string& columns);

// Column lines with only the fields at these 1-based positions shown.
std::string Columns(std::initializer_list<size_t> shown);

}  // namespace test
}  // namespace gt7p
