// A disk that fills up, played by a file-size limit (RLIMIT_FSIZE, with
// SIGXFSZ ignored, so that a write past it fails with EFBIG as one on a
// full disk fails with ENOSPC): the write failure is reported as such, with
// the system's reason in gt7p-cli, and nothing partial is left.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cerrno>
#include <filesystem>

#include "base/error.h"
#include "records/converter.h"
#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/cli_runner.h"
#include "tests/support/failure.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"
#include "workflow/save_file.h"

namespace gt7p {
namespace test {
namespace {
namespace fs = std::filesystem;

constexpr rlim_t kLimitBytes = 16 * 1024;  // a demo record is about 50 KB, raw or converted

// Files of this process can't grow past kLimitBytes while it lives.
class FileSizeLimit {
 public:
  FileSizeLimit() {
    ignored_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = kLimitBytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, ignored_);
  }

 private:
  rlimit old_{};
  void (*ignored_)(int) = nullptr;
};

const std::string& WriteFailed() {
  static const std::string text = FailureText(Failure::kWriteFailed);
  return text;
}

// The Error thrown, with its reason when it is a WriteError.
std::pair<std::string, std::error_code> FailureWithReason(const std::function<void()>& act) {
  try {
    act();
  } catch (const WriteError& e) {
    return {e.message(), e.reason()};
  } catch (const Error& e) {
    return {e.message(), {}};
  }
  return {"(no error)", {}};
}

TEST(FullDisk, ConversionFailsAndLeavesTheRawFile) {
  TempDir dir;
  const std::string raw = sim::MakeRawFile(sim::DemoSurveyFiles()[0]);
  WriteFile(dir / "A.QFX", raw);
  WriteFile(dir / "B.T7P", raw);
  std::pair<std::string, std::error_code> inPlace, beside;
  {
    FileSizeLimit full;
    inPlace = FailureWithReason([&] { ConvertRawFile(dir / "A.QFX", QfxFormat()); });
    beside = FailureWithReason([&] { ConvertRawFileTo(dir / "B.T7P", dir / "B.QFX", EspFormat()); });
  }
  EXPECT_EQ(inPlace.first, WriteFailed());
  EXPECT_EQ(inPlace.second, std::errc::file_too_large);
  EXPECT_EQ(beside.first, WriteFailed());
  EXPECT_EQ(ReadFile(dir / "A.QFX"), raw);
  EXPECT_FALSE(Exists(dir / "B.QFX"));
  EXPECT_EQ(dir.Count(), 2u);  // no work file, no partial output
}

class FullDiskOverLink : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_ = StartSimulator();
    link_.SetSecondForTesting(kTestSecondMs);
    settings_.portName = sim_->PortPath();
    settings_.receiveDelay = 1;
  }
  std::pair<std::string, std::error_code> Save(const OutputFormat& format) {
    CaptionRows rows({"ZS0001  .DAT"}, dir_.path());
    LinkFileSource source(link_, ui_, settings_);
    SaveJob job;
    job.format = &format;
    job.saveChoice = kOverwriteAll;
    FileSizeLimit full;
    return FailureWithReason([&] { SaveSelectedFiles(source, rows, job); });
  }

  TempDir dir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  RecordingUi ui_;
  LinkSettings settings_;
};

// The transfer's file can't be written: "写入文件失败！", not a message about
// the reply, and the name holds what it held.
TEST_F(FullDiskOverLink, TransferFailsAndLeavesTheNameAsItWas) {
  for (const OutputFormat* format : {&QfxFormat(), &RawFormat()}) {
    SCOPED_TRACE(format->name);
    const auto failure = Save(*format);
    EXPECT_EQ(failure.first, WriteFailed());
    EXPECT_EQ(failure.second, std::errc::file_too_large);
    EXPECT_EQ(dir_.Count(), 0u);
    WriteFile(OutputPath(dir_.path(), "ZS0001  .DAT", *format), "OLD");
    EXPECT_EQ(Save(*format).first, WriteFailed());
    EXPECT_EQ(ReadFile(OutputPath(dir_.path(), "ZS0001  .DAT", *format)), "OLD");
    EXPECT_EQ(dir_.Count(), 1u);
    fs::remove(OutputPath(dir_.path(), "ZS0001  .DAT", *format));
  }
  EXPECT_FALSE(link_.IsOpen());
}

// gt7p-cli under the same limit, set in the shell that starts it; SIGXFSZ
// as the shell leaves it (it would end the process): gt7p-cli ignores it.
class FullDiskCli : public ::testing::Test {
 protected:
  CliResult Cli(const std::string& args) {
    return RunCliIn(dir_.path(), "/bin/sh",
                    "-c \"ulimit -f " + std::to_string(kLimitBytes / 1024) + "; exec " + std::string(GT7P_CLI) + " " +
                        args + "\"");
  }
  TempDir dir_;
};

TEST_F(FullDiskCli, ConvertAndGetSayWhy) {
  WriteFile(dir_ / "A.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[0]));
  // dash counts ulimit -f in 512-byte blocks, bash in 1024: either way far below a record.
  CliResult r = Cli("convert A.T7P");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::Said(Failure::kWriteFailed) + " (File too large)\n");
  EXPECT_FALSE(Exists(dir_ / "A.QFX"));
  EXPECT_EQ(dir_.Count(), 1u);

  setenv("GT7P_TEST_SECOND_MS", std::to_string(kTestSecondMs).c_str(), 1);
  const auto simulator = StartSimulator();
  r = Cli("get --all --dest out --port " + simulator->PortPath());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::Said(Failure::kWriteFailed) + " (File too large)\n");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(fs::is_empty(dir_ / "out"));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
