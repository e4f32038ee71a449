#include "tests/support/files.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

#include "base/native_file.h"

namespace gt7p {
namespace test {
namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir = base / ("gt7p-test-" + std::to_string(random() % 1000000000));
    std::error_code ec;
    if (fs::create_directory(dir, ec)) {  // false when it was there already
      path_ = dir;
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

size_t TempDir::Count() const {
  return static_cast<size_t>(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
}

std::string TempDir::Names() const {
  std::string names;
  for (const fs::directory_entry& e : fs::directory_iterator(path_)) {
    names += "\n" + e.path().filename().u8string();
  }
  return names;
}

// Through the product's own file: on Windows it waits out a moment's
// holder (a scanner, the indexer, a program just ending) as the product does.
std::string ReadFile(const fs::path& path) {
  NativeFile in;
  if (!in.OpenRead(path)) return std::string();
  std::string text;
  char buf[65536];
  for (size_t n; (n = in.Read(buf, sizeof buf)) > 0;) text.append(buf, n);
  return text;
}

// Into the file at `path` as it is (a link followed, as any writer does);
// an open that fails is tried again every 50 ms for up to 2 s, for a
// moment's holder on Windows.
void WriteFile(const fs::path& path, const std::string& content) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    std::ofstream out(path, std::ios::binary);
    if (out.is_open() || std::chrono::steady_clock::now() >= until) {
      out << content;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

namespace {

// One line of od for the 16 bytes of `bytes` from `at` (fewer at the end).
std::string OdLine(const std::string& bytes, size_t at) {
  static const char kHex[] = "0123456789abcdef";
  std::string offset = std::to_string(at);
  std::string line = std::string(offset.size() < 7 ? 7 - offset.size() : 0, '0') + offset;
  std::string text;
  for (size_t i = at; i < at + 16; ++i) {
    if (i >= bytes.size()) {
      line += "   ";
      continue;
    }
    const auto c = static_cast<unsigned char>(bytes[i]);
    line += {' ', kHex[c >> 4], kHex[c & 15]};
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
  }
  return line + "  >" + text + "<";
}

std::string Row(const std::string& bytes, size_t at) { return at < bytes.size() ? bytes.substr(at, 16) : std::string(); }

}  // namespace

std::string OdDiff(const std::string& want, const std::string& got, size_t lines) {
  if (want == got) return std::string();
  std::string out = "sizes " + std::to_string(want.size()) + " (-) and " + std::to_string(got.size()) + " (+)\n";
  const size_t end = std::max(want.size(), got.size());
  size_t shown = 0;
  for (size_t at = 0; at < end && shown < lines; at += 16) {
    if (Row(want, at) == Row(got, at)) continue;
    if (shown == 0 && at > 0) out += "  " + OdLine(want, at - 16) + "\n";
    if (at < want.size()) out += "- " + OdLine(want, at) + "\n";
    if (at < got.size()) out += "+ " + OdLine(got, at) + "\n";
    ++shown;
  }
  return out;
}

}  // namespace test
}  // namespace gt7p
