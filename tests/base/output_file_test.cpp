// Outputs written beside their place: the old file stays until a complete
// one takes its place, and nothing is left beside it either way.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {

TEST(WriteBeside, ReplacesOnlyWithACompleteFile) {
  test::TempDir dir;
  const std::string out = dir / test::G("输出.bin");
  test::WriteFile(out, "old");

  std::string part;
  EXPECT_THROW(WriteBeside(out,
                           [&](const std::string& p) {
                             part = p;
                             test::WriteFile(p, "half");
                             throw std::runtime_error("stopped");
                           }),
               std::runtime_error);
  EXPECT_EQ(test::ReadFile(out), "old");
  EXPECT_FALSE(test::Exists(part));
  EXPECT_NE(part, out);
  EXPECT_EQ(PathFromText(part).parent_path(), PathFromText(out).parent_path());

  WriteBeside(out, [](const std::string& p) { test::WriteFile(p, "new"); });
  EXPECT_EQ(test::ReadFile(out), "new");
  EXPECT_EQ(dir.Count(), 1u);
}

TEST(WriteBeside, APlaceThatCannotBeTakenSaysSo) {
  test::TempDir dir;
  const std::string out = dir / "taken";
  std::filesystem::create_directory(PathFromText(out));
  test::WriteFile(out + "/inside", "x");  // a folder that is not empty: no rename over it
  EXPECT_EQ(test::FailureOf([&] { WriteBeside(out, [](const std::string& p) { test::WriteFile(p, "new"); }); }),
            Utf8ToCp936("无法创建文件！"));
  EXPECT_EQ(dir.Count(), 1u);
}

}  // namespace
}  // namespace gt7p
