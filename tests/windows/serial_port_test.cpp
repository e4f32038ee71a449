// The Win32 serial layer on a COM port that Wine maps to a simulator of its
// own (GT7P_WIN_TEST_COM, from scripts/test-windows.sh; skipped without).
// One case: its steps share the port.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "link/serial_port.h"

namespace gt7p {
namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(Win32SerialPort, MissingPortDoesNotOpen) {
  SerialPort port;
  EXPECT_FALSE(port.Open("COM97"));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.Configure());
  EXPECT_EQ(port.ReadLineStatus().waiting, 0u);
  port.Close();
}

TEST(Win32SerialPort, ConfiguresReadsPromptlyAndExchanges) {
  const char* name = std::getenv("GT7P_WIN_TEST_COM");
  if (name == nullptr || *name == '\0') GTEST_SKIP() << "no COM port mapped to a simulator";
  SerialPort port;
  ASSERT_TRUE(port.Open(name));
  ASSERT_TRUE(port.Configure());

  // The line settings reach the device (Wine does not enforce the exclusive
  // open, so a second handle can look).
  HANDLE look = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(look, INVALID_HANDLE_VALUE);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(GetCommState(look, &dcb));
  CloseHandle(look);
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);

  // Nothing waiting: the read time-outs end a read of 32 bytes at once
  // (about 33 ms), where a blocking read would never return.
  char buffer[64];
  Clock::time_point start = Clock::now();
  EXPECT_EQ(port.Read(buffer, 32), 0);
  EXPECT_LT(MsSince(start), 1000);

  // "02" goes out as 00h 02h; the simulator answers "1020".
  port.Write("\x00\x02", 2);
  std::string reply;
  start = Clock::now();
  while (reply.size() < 4 && MsSince(start) < 5000) {
    const LineStatus status = port.ReadLineStatus();
    EXPECT_FALSE(status.errors);
    if (status.waiting == 0) {
      port.WaitForInput(50);
      continue;
    }
    const int32_t got = port.Read(buffer, static_cast<int32_t>(status.waiting));
    for (int32_t i = 0; i < got; ++i) reply += "0123456789ABCDEF"[buffer[i] & 15];
  }
  EXPECT_EQ(reply, "1020");
  port.Purge();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace gt7p
