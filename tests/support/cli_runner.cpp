#include "tests/support/cli_runner.h"

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "tests/support/files.h"

namespace gt7p {
namespace test {

std::string ReadPipe(FILE* pipe) {
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  return out;
}

std::string TakeFile(const std::filesystem::path& path) {
  const std::string text = ReadFile(TextFromPath(path));
  // On Windows the program just ended may hold the file a moment longer.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::error_code ec;
  while (!std::filesystem::remove(path, ec) && std::filesystem::exists(path) &&
         std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return text;
}

std::filesystem::path StderrFileIn(const std::filesystem::path& dir) {
  static std::atomic<unsigned> runs{0};
  static const unsigned long long process = std::random_device()();
  return dir / (".stderr-" + std::to_string(process % 1000000000) + "-" + std::to_string(++runs));
}

}  // namespace test
}  // namespace gt7p
