// A file another program holds for a moment without sharing it (a virus
// scanner or the search indexer looking at a new file): opening, creating
// over, renaming, replacing and flushing wait the holder out; a holder
// that stays longer than that is reported as the sharing violation it is.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/native_file.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Opens `path` sharing nothing and closes it `ms` later from a thread of
// its own.
class Holder {
 public:
  Holder(const fs::path& path, int ms) {
    handle_ = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    release_ = std::thread([this, ms] {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    });
  }
  ~Holder() { release_.join(); }
  bool holding() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::thread release_;
};

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class HeldFileTest : public ::testing::Test {
 protected:
  fs::path Path(const char* name) { return dir_.path() / name; }
  // Whether a share-none holder really keeps others out here (it does on
  // Windows and under Wine); the cases below mean nothing otherwise.
  void ExpectHeldKeepsOthersOut(const fs::path& path) {
    Holder holder(path, 300);
    ASSERT_TRUE(holder.holding());
    const HANDLE other =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  }

  test::TempDir dir_;
};

TEST_F(HeldFileTest, OpeningAndFlushingWaitForAMomentsHolder) {
  test::WriteFile(Path("a.T7P"), "record");
  ExpectHeldKeepsOthersOut(Path("a.T7P"));

  {
    Holder holder(Path("a.T7P"), 300);
    const Clock::time_point start = Clock::now();
    NativeFile in;
    ASSERT_TRUE(in.OpenRead(Path("a.T7P"))) << SystemReasonText(in.error());
    EXPECT_GE(SecondsSince(start), 0.2);  // it did wait
    char buf[16] = {};
    EXPECT_EQ(in.Read(buf, sizeof buf), 6u);
  }
  {
    Holder holder(Path("a.T7P"), 300);
    EXPECT_EQ(NativeFile::FlushToDisk(Path("a.T7P")), std::error_code());
  }
  // The tests' own helpers wait the same way.
  {
    Holder holder(Path("a.T7P"), 300);
    EXPECT_EQ(test::ReadFile(Path("a.T7P")), "record");
  }
  {
    Holder holder(Path("a.T7P"), 300);
    test::WriteFile(Path("a.T7P"), "again");
  }
  EXPECT_EQ(test::ReadFile(Path("a.T7P")), "again");
}

TEST_F(HeldFileTest, ReplacingAndRenamingWaitForAMomentsHolder) {
  test::WriteFile(Path("out.QFX"), "old");
  test::WriteFile(Path("out.tmp"), "new");
  {
    // Replacing a held file.
    Holder holder(Path("out.QFX"), 300);
    EXPECT_EQ(NativeFile::Rename(Path("out.tmp"), Path("out.QFX"), true, true), std::error_code());
  }
  EXPECT_EQ(test::ReadFile(Path("out.QFX")), "new");
  EXPECT_FALSE(test::Exists(Path("out.tmp")));
  {
    // Renaming a held file.
    Holder holder(Path("out.QFX"), 300);
    EXPECT_EQ(NativeFile::Rename(Path("out.QFX"), Path("done.QFX"), false), std::error_code());
  }
  EXPECT_EQ(test::ReadFile(Path("done.QFX")), "new");
  {
    // Creating over a held file.
    Holder holder(Path("done.QFX"), 300);
    NativeFile out;
    ASSERT_TRUE(out.CreateReplacing(Path("done.QFX"))) << SystemReasonText(out.error());
    EXPECT_TRUE(out.Write("x", 1));
    EXPECT_TRUE(out.Close());
  }
  EXPECT_EQ(test::ReadFile(Path("done.QFX")), "x");
}

TEST_F(HeldFileTest, AHolderThatStaysIsReportedAfterABoundedWait) {
  test::WriteFile(Path("a.T7P"), "record");
  test::WriteFile(Path("b.tmp"), "new");
  Holder holder(Path("a.T7P"), 4000);
  ASSERT_TRUE(holder.holding());
  Clock::time_point start = Clock::now();
  NativeFile in;
  EXPECT_FALSE(in.OpenRead(Path("a.T7P")));
  EXPECT_EQ(in.error().value(), static_cast<int>(ERROR_SHARING_VIOLATION));
  EXPECT_GE(SecondsSince(start), 1.9);
  EXPECT_LT(SecondsSince(start), 3.5);
  // Nothing else waits: a missing file fails at once.
  start = Clock::now();
  EXPECT_FALSE(in.OpenRead(Path("missing.T7P")));
  EXPECT_LT(SecondsSince(start), 0.5);
  // The replaced file stays as it was, and so does the new one. Wine
  // replaces a file held without sharing, as Windows never does: there
  // the renaming has nothing to wait for.
  if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr) return;
  EXPECT_NE(NativeFile::Rename(Path("b.tmp"), Path("a.T7P"), true), std::error_code());
  EXPECT_TRUE(test::Exists(Path("b.tmp")));
}

}  // namespace
}  // namespace gt7p
