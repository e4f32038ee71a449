// Outputs written beside their place and the files that must not be taken
// over: the old file stays until a complete one takes its place, nothing is
// left beside it either way, nothing planted at a temporary name is written
// through, and a file in use is left to its owner.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <stdexcept>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/native_file.h"
#include "base/output_file.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

// A link at `at` to `target`; false where the system won't make one.
bool Link(const fs::path& target, const fs::path& at) {
  std::error_code ec;
  fs::create_symlink(target, at, ec);
  return !ec;
}

TEST(WriteBeside, ReplacesOnlyWithACompleteFile) {
  test::TempDir dir;
  const fs::path out = dir / test::G("输出.bin");
  test::WriteFile(out, "old");

  fs::path part;
  EXPECT_THROW(WriteBeside(out,
                           [&](const fs::path& p) {
                             part = p;
                             test::WriteFile(p, "half");
                             throw std::runtime_error("stopped");
                           }),
               std::runtime_error);
  EXPECT_EQ(test::ReadFile(out), "old");
  EXPECT_FALSE(test::Exists(part));
  EXPECT_NE(part, out);
  EXPECT_EQ(part.parent_path(), out.parent_path());

  WriteBeside(out, [](const fs::path& p) { test::WriteFile(p, "new"); });
  EXPECT_EQ(test::ReadFile(out), "new");
  EXPECT_EQ(dir.Count(), 1u);
}

TEST(WriteBeside, APlaceThatCannotBeTakenSaysSo) {
  test::TempDir dir;
  const fs::path out = dir / "taken";
  fs::create_directory(out);
  test::WriteFile(out / "inside", "x");  // a folder that is not empty: no rename over it
  EXPECT_EQ(test::FailureOf([&] { WriteBeside(out, [](const fs::path& p) { test::WriteFile(p, "new"); }); }),
            FailureText(Failure::kCantCreateFile));
  EXPECT_EQ(dir.Count(), 1u);
}

// The temporary file's name can't be guessed, and the writer gets a file
// that was made for it: a link planted at the name it used to have is
// never followed.
TEST(WriteBeside, TemporaryNameCannotBePlanted) {
  test::TempDir dir;
  const fs::path out = dir / "OUT.QFX", victim = dir / "victim";
  test::WriteFile(victim, "precious");
  const bool linked = Link(victim, dir / ".OUT.QFX.part");
  std::set<fs::path> parts;
  for (int i = 0; i < 3; ++i) {
    WriteBeside(out, [&](const fs::path& part) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(part)));
      EXPECT_EQ(test::ReadFile(part), "");  // made for this write
      parts.insert(part);
      test::WriteFile(part, "new");
    });
  }
  EXPECT_EQ(parts.size(), 3u);
  EXPECT_EQ(test::ReadFile(out), "new");
  EXPECT_EQ(test::ReadFile(victim), "precious");
  EXPECT_EQ(dir.Count(), linked ? 3u : 2u);
}

// A save that did not ask to overwrite: the complete file takes the name
// only where nothing stands, and what appeared there meanwhile is asked about.
TEST(WriteBeside, AFileThatAppearedMeanwhileIsAskedAbout) {
  test::TempDir dir;
  const fs::path out = dir / "OUT.QFX";
  for (const bool replace : {false, true}) {
    int asked = 0;
    BesideOptions options;
    options.replaceTaken = [&] { return ++asked, replace; };
    options.flushToDisk = replace;
    const bool placed = WriteBeside(
        out,
        [&](const fs::path& part) {
          test::WriteFile(out, "theirs");
          test::WriteFile(part, "mine");
        },
        options);
    EXPECT_EQ(placed, replace);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(test::ReadFile(out), replace ? "mine" : "theirs");
    EXPECT_EQ(dir.Count(), 1u);
  }
  // Nothing there: nothing asked.
  fs::remove(out);
  BesideOptions options;
  options.replaceTaken = [] { return ADD_FAILURE(), true; };
  EXPECT_TRUE(WriteBeside(out, [](const fs::path& part) { test::WriteFile(part, "new"); }, options));
  EXPECT_EQ(test::ReadFile(out), "new");
}

TEST(NativeFile, RenameWithoutReplacing) {
  test::TempDir dir;
  const fs::path from = dir / "from", to = dir / "to";
  test::WriteFile(from, "mine");
  test::WriteFile(to, "theirs");
  EXPECT_EQ(NativeFile::Rename(from, to, false), std::errc::file_exists);
  EXPECT_EQ(test::ReadFile(from), "mine");
  EXPECT_EQ(test::ReadFile(to), "theirs");
  fs::create_directory(dir / "folder");
  EXPECT_TRUE(NativeFile::Rename(from, dir / "folder", false));
  EXPECT_TRUE(NativeFile::Rename(from, dir / "folder", true));
  EXPECT_FALSE(NativeFile::Rename(from, to, true, true));
  EXPECT_EQ(test::ReadFile(to), "mine");
  EXPECT_FALSE(NativeFile::Rename(to, dir / "new", false, true));
  EXPECT_EQ(test::ReadFile(dir / "new"), "mine");
  EXPECT_EQ(dir.Count(), 2u);
  EXPECT_FALSE(NativeFile::FlushToDisk(dir / "new"));
  EXPECT_TRUE(NativeFile::FlushToDisk(dir / "gone"));
}

// An output name up to the file system's limit (255) saves: its temporary
// file then takes a short name.
TEST(WriteBeside, NamesAtTheLengthLimit) {
  test::TempDir dir;
  for (const size_t length : {200u, 241u, 255u}) {
    const fs::path out = dir / (std::string(length - 4, 'N') + ".QFX");
    fs::path part;
    WriteBeside(out, [&](const fs::path& p) {
      part = p;
      test::WriteFile(p, "new");
    });
    EXPECT_EQ(test::ReadFile(out), "new") << length;
    EXPECT_EQ(part.parent_path(), out.parent_path());
    EXPECT_EQ(part.extension(), ".part");
  }
  EXPECT_EQ(dir.Count(), 3u);
}

// What a killed run left (temporary files, the converter's work files) goes
// with the next output in the folder; what a running program writes, what
// another machine writes into a shared folder, and files that only look
// alike stay.
TEST(WriteBeside, RemovesWhatEndedRunsLeft) {
  test::TempDir dir;
  const std::string tag = ProcessTag();
  const std::string machine = tag.substr(tag.find('-'));
  const std::string ended = "2147483644" + machine;  // no such process here
  EXPECT_TRUE(ProcessTagEnded(ended));
  EXPECT_FALSE(ProcessTagEnded(tag));
  EXPECT_FALSE(ProcessTagEnded("2147483644-00000000"));
  EXPECT_FALSE(ProcessTagEnded("x-" + machine));

  const char* const left[] = {".A.QFX.", ".", ".B C.T7P."};
  for (const char* stem : left) {
    test::WriteFile(dir / (stem + ended + "-a1B2c3D4.part"), "left over");
  }
  const std::string kept[] = {".A.QFX." + tag + "-a1B2c3D4.part",          // running
                              ".A.QFX.2147483644-00000000-a1B2c3D4.part",  // another machine
                              ".A.QFX.a1B2c3D4.part",                     // no tag
                              ".A.QFX." + ended + "-a1B2c3D.part",
                              "A.QFX." + ended + "-a1B2c3D4.part",
                              ".A.QFX." + ended + "-a1B2c3D4.partx",
                              ".A.QFX." + ended + "-a1B2c3D4.___"};  // not a temporary file of ours
  for (const std::string& name : kept) test::WriteFile(dir / name, "kept");
  WriteBeside(dir / "OUT.QFX", [](const fs::path& part) { test::WriteFile(part, "new"); });
  EXPECT_EQ(dir.Count(), std::size(kept) + 1);
  for (const std::string& name : kept) EXPECT_TRUE(test::Exists(dir / name)) << name;
}

// Temporary names carry the tag that tells them apart.
TEST(WriteBeside, TemporaryNamesCarryTheProcessTag) {
  test::TempDir dir;
  std::string name;
  WriteBeside(dir / "OUT.QFX", [&](const fs::path& part) {
    name = Utf8FromPath(part.filename());
    test::WriteFile(part, "new");
  });
  const std::string start = ".OUT.QFX." + ProcessTag() + "-";
  EXPECT_EQ(name.substr(0, start.size()), start);
  EXPECT_EQ(name.size(), start.size() + 8 + 5);
}

TEST(NativeFile, CreateNewOnlyWhereNothingStands) {
  test::TempDir dir;
  const fs::path victim = dir / "victim", path = dir / "new";
  test::WriteFile(victim, "precious");
  NativeFile file;
  EXPECT_FALSE(file.CreateNew(victim));
  if (Link(victim, path)) {
    EXPECT_FALSE(file.CreateNew(path));
    if (Link(dir / "nowhere", dir / "dangling")) {
      EXPECT_FALSE(file.CreateNew(dir / "dangling"));
    }
    // Replacing takes the link away and makes a file of its own there.
    ASSERT_TRUE(file.CreateReplacing(path));
    EXPECT_TRUE(file.Write("x", 1));
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
    EXPECT_EQ(test::ReadFile(path), "x");
  }
  EXPECT_EQ(test::ReadFile(victim), "precious");
  fs::create_directory(dir / "folder");
  EXPECT_FALSE(file.CreateReplacing(dir / "folder"));
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
}

// The cache's rule: what a run left behind goes; what a running program
// holds stays, and its owner's clean-up takes only its own file.
TEST(NativeFile, RemoveUnusedLeavesAFileInUse) {
  test::TempDir dir;
  const fs::path path = dir / "GT7PCache.tmp";
  test::WriteFile(path, "left over");
  EXPECT_TRUE(NativeFile::RemoveUnused(path));
  EXPECT_FALSE(test::Exists(path));
  EXPECT_TRUE(NativeFile::RemoveUnused(path));  // nothing there: nothing to do

  NativeFile held;
  ASSERT_TRUE(held.CreateNew(path));
  ASSERT_TRUE(held.Write("mine", 4));
  EXPECT_FALSE(NativeFile::RemoveUnused(path));
  EXPECT_TRUE(test::Exists(path));
  held.RemoveAndClose();
  EXPECT_FALSE(test::Exists(path));

  const fs::path victim = dir / "victim";
  test::WriteFile(victim, "precious");
  if (Link(victim, path)) {
    EXPECT_TRUE(NativeFile::RemoveUnused(path));  // the link, not what it points at
    EXPECT_EQ(test::ReadFile(victim), "precious");
  }
}

TEST(NativeFile, RemoveAndCloseTakesOnlyItsOwnFile) {
  test::TempDir dir;
  const fs::path path = dir / "work", moved = dir / "moved";
  NativeFile mine;
  ASSERT_TRUE(mine.CreateNew(path));
  std::error_code ec;
  fs::rename(path, moved, ec);
  if (ec) {  // Windows: the name can't move while the file is held
    mine.RemoveAndClose();
    EXPECT_FALSE(test::Exists(path));
    return;
  }
  test::WriteFile(path, "someone else's");
  mine.RemoveAndClose();
  EXPECT_EQ(test::ReadFile(path), "someone else's");
}

}  // namespace
}  // namespace gt7p

namespace gt7p {
namespace {

// A small file read whole; what is no small file of ours is refused by
// name, never read on (a folder, a file over the limit, nothing there).
TEST(ReadSmallFile, TakesTheWholeFileAndRefusesWhatIsNone) {
  test::TempDir dir;
  const std::string tooLarge = Utf8ToCp936("太大：");
  const std::string text(100000, 'x');  // more than one read's buffer
  test::WriteFile(dir / "a.csv", text);
  EXPECT_EQ(ReadSmallFile(dir / "a.csv", 100000, tooLarge), text);
  try {
    ReadSmallFile(dir / "a.csv", 99999, tooLarge);
    ADD_FAILURE() << "a file over the limit was read";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), tooLarge + TextFromPath(dir / "a.csv"));
  }
  test::WriteFile(dir / "empty.csv", "");
  EXPECT_EQ(ReadSmallFile(dir / "empty.csv", 10, tooLarge), "");
  fs::create_directory(dir / "folder");
  for (const char* name : {"folder", "missing.csv"}) {
    try {
      ReadSmallFile(dir / name, 10, tooLarge);
      ADD_FAILURE() << name << " was read";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), NotAFileMessage(dir / name)) << name;
    }
  }
}

}  // namespace
}  // namespace gt7p
