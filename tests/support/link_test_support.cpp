#include "tests/support/link_test_support.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

#include "base/error.h"

namespace gt7p {
namespace test {
namespace fs = std::filesystem;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

std::string RecordingUi::EditCommSettings(const std::string& portName, const std::string& target,
                                          const std::string& delay, const std::string& columnChoice,
                                          const std::string& defaultColumns) {
  dialogArgs = {portName, target, delay, columnChoice, defaultColumns};
  return commSettings;
}

void RecordingUi::SetStatusText(const std::string& text) {
  statuses.push_back(text);
  if (onStatus) onStatus(text);
}

void RecordingUi::ClearList() {
  ++clears;
  columns.clear();
  rows.clear();
  images.clear();
}

void RecordingUi::AddRow(const std::string& caption, int imageIndex) {
  rows.push_back({caption});
  images.push_back(imageIndex);
}

std::string CommSettingsText(const std::string& port, int target, int delay, const std::string& columns) {
  return port + "," + std::to_string(target) + "," + std::to_string(delay) + "," + columns;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "gt7p-link-XXXXXX").string();
  if (!mkdtemp(&pattern[0])) throw std::runtime_error("no temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string FailureOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const Error& e) {
    return e.message();
  }
  return "(no error)";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathFromText(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(PathFromText(path), std::ios::binary) << content;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(PathFromText(path), ec);
}

}  // namespace test
}  // namespace gt7p
