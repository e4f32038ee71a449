// gt7p-cli plot at the system's limits (POSIX: set in the shell that starts
// it): too little memory for the picture, and a file-size limit that makes
// the write fail. Each says so in its own words, and nothing but ours
// reaches the terminal.
#include <gtest/gtest.h>

#include "sim/record_maker.h"
#include "tests/support/cli_runner.h"
#include "tests/support/comma_locale.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace test {
namespace {

namespace fs = std::filesystem;

class PlotLimits : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(dir_ / "A.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[1])); }
  CliResult Cli(const std::string& limits, const std::string& args) {
    return RunCliIn(dir_.path(), "/bin/sh", "-c \"" + limits + "; exec " + std::string(GT7P_CLI) + " " + args + "\"");
  }
  TempDir dir_;
};

TEST_F(PlotLimits, TooLittleMemorySaysSo) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
  // 1 GB of address space: the program runs, a 20000 x 20000 picture (1.6 GB) can't.
  const CliResult r = Cli("ulimit -v 1000000", "plot A.T7P -o A.png --width 20000 --height 20000");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::Said(Failure::kOutOfMemory) + "\n");
  EXPECT_EQ(dir_.Count(), 1u);  // no picture, no temporary file
}

TEST_F(PlotLimits, AWriteThatFailsSaysWhyAndNothingElse) {
  // dash counts ulimit -f in 512-byte blocks, bash in 1024: far below the picture either way.
  const CliResult r = Cli("trap '' XFSZ; ulimit -f 8", "plot A.T7P -o A.png");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::Said(Failure::kWriteFailed) + " (File too large)\n");
  EXPECT_EQ(dir_.Count(), 1u);
  // The exports write through the same writer.
  for (const char* args : {"export --format segy A.T7P", "export --format seg2 A.T7P"}) {
    const CliResult e = Cli("trap '' XFSZ; ulimit -f 1", args);
    EXPECT_EQ(e.status, 1) << args;
    EXPECT_EQ(e.err, test::Said(Failure::kWriteFailed) + " (File too large)\n") << args;
  }
  EXPECT_EQ(dir_.Count(), 1u);
}

// The time labels don't follow the locale: a picture with ticks of 0.1 ms
// is the same under a decimal comma.
TEST_F(PlotLimits, LabelsAreTheSameUnderADecimalComma) {
  ASSERT_EQ(Cli("true", "plot A.T7P -o c.png --range 0,1").status, 0);
  const CommaLocale comma;
  ASSERT_FALSE(comma.name().empty()) << CommaLocale::Missing();
  const std::string env = "export LC_ALL=" + comma.name() + (comma.folder().empty() ? "" : " LOCPATH=" + comma.folder());
  const CliResult r = Cli(env, "plot A.T7P -o comma.png --range 0,1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir_ / "comma.png"), ReadFile(dir_ / "c.png"));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
