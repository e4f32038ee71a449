// Shared pieces of the link tests: a window that records what the exchange
// does to it, temporary folders, file helpers.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/cp936.h"
#include "link/instrument_ui.h"

namespace gt7p {
namespace test {

inline std::string U(const std::string& utf8) { return Utf8ToCp936(utf8); }

// Bytes from a list of values, for wire comparisons.
std::string Bytes(std::initializer_list<int> values);

class RecordingUi : public InstrumentUi {
 public:
  std::string EditCommSettings(const std::string& portName, const std::string& target, const std::string& delay,
                               const std::string& columnChoice, const std::string& defaultColumns) override;
  void SetStatusText(const std::string& text) override;
  void ClearList() override;
  void AddColumn(const std::string& caption) override { columns.push_back(caption); }
  void AddRow(const std::string& caption, int imageIndex) override;
  void AppendSubItem(const std::string& text) override { rows.back().push_back(text); }
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

// "port,target,delay," and the column lines.
std::string CommSettingsText(const std::string& port, int target, int delay, const std::string& columns);

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::string text() const { return TextFromPath(path_); }
  std::string operator/(const std::string& name) const { return TextFromPath(path_ / name); }

 private:
  std::filesystem::path path_;
};

// The message of the gt7p::Error that `run` throws, or "(no error)".
std::string FailureOf(const std::function<void()>& run);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool Exists(const std::string& path);

}  // namespace test
}  // namespace gt7p
