#include <windows.h>

#include <cstdlib>
#include <fstream>

#include "base/cp936.h"
#include "tests/support/cycle_instrument.h"

namespace gt7p {
namespace test {
namespace {

// The simulator serves one test after another: the rest of a reply that an
// earlier test gave up on (closing the window mid-transfer) may still be on
// the line and would pass for the start of this test's first reply. It is
// read away until the line has been quiet for 200 ms.
void DrainLine(const std::string& port) {
  const std::wstring name = L"\\\\.\\" + std::wstring(port.begin(), port.end());
  HANDLE line = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (line == INVALID_HANDLE_VALUE) return;
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;  // with these two: at once when bytes wait, else up to 100 ms for one
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = 100;
  SetCommTimeouts(line, &timeouts);
  char buffer[4096];
  for (int quiet = 0; quiet < 2;) {
    DWORD got = 0;
    if (!ReadFile(line, buffer, sizeof buffer, &got, nullptr)) break;
    quiet = got == 0 ? quiet + 1 : 0;
  }
  CloseHandle(line);
}

// A COM port that Wine maps to a simulator on the Linux side, which writes
// one line per command into a log file.
class ComPortInstrument : public CycleInstrument {
 public:
  ComPortInstrument(std::string port, std::string log) : port_(std::move(port)), log_(std::move(log)) {
    DrainLine(port_);
    logStart_ = Log().size();  // the simulator serves one test after another
  }
  std::string Port() const override { return port_; }
  bool FileRequested() const override { return Log().find(".DAT -> ", logStart_) != std::string::npos; }
  // A reply through Wine's serial layer can take longer than the Linux
  // tests' short second right after the port opens.
  int32_t SecondMs() const override { return 500; }

 private:
  std::string Log() const {
    if (log_.empty()) return std::string();
    std::ifstream in(PathFromText(log_), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string port_, log_;
  size_t logStart_ = 0;
};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::unique_ptr<CycleInstrument> StartCycleInstrument(bool faultyHandshake) {
  const std::string port = Environment(faultyHandshake ? "GT7P_WIN_FAULTY_COM" : "GT7P_WIN_CYCLE_COM");
  if (port.empty()) return nullptr;
  return std::make_unique<ComPortInstrument>(port, faultyHandshake ? "" : Environment("GT7P_WIN_CYCLE_LOG"));
}

}  // namespace test
}  // namespace gt7p
