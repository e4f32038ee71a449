// The version resources of gt7p.exe and gt7p-cli.exe as Explorer reads
// them: the project's version in the fixed part and the strings, and the
// texts of `gt7p-cli --version` (base/version.h), Chinese intact.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/version.h"

namespace gt7p {
namespace {

// A string of the Chinese (Simplified), Unicode block, as UTF-8.
std::string Text(std::vector<char>& info, const std::wstring& name) {
  void* p = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(info.data(), (L"\\StringFileInfo\\080404b0\\" + name).c_str(), &p, &size)) return "(none)";
  char utf8[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, static_cast<const wchar_t*>(p), -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
  return utf8;
}

TEST(VersionResource, BothProgramsCarryTheProjectVersionAndTexts) {
  // "gt7p-cli 0.1", the product's name, the copyright, one a line.
  const std::string text = VersionText("gt7p-cli");
  const size_t first = text.find('\n'), second = text.find('\n', first + 1);
  const std::string product = text.substr(first + 1, second - first - 1);
  const std::string copyright = text.substr(second + 1, text.size() - second - 2);
  unsigned v[4] = {0, 0, 0, 0};  // "0.1": 0.1.0.0
  sscanf(ProgramVersion(), "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]);

  for (const char* exe : {GT7P_EXE, GT7P_CLI_EXE}) {
    SCOPED_TRACE(exe);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(exe, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(exe, 0, static_cast<DWORD>(info.size()), info.data()));
    void* p = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &p, &size) && size >= sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
    EXPECT_EQ(fixed->dwFileVersionMS, (v[0] << 16) | v[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, (v[2] << 16) | v[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(Text(info, L"ProductVersion"), ProgramVersion());
    EXPECT_EQ(Text(info, L"FileVersion"), ProgramVersion());
    EXPECT_EQ(Text(info, L"ProductName"), product);
    EXPECT_EQ(Text(info, L"LegalCopyright"), copyright);
    const std::string description = Text(info, L"FileDescription");
    EXPECT_EQ(description, std::string(exe).find("gt7p-cli") == std::string::npos ? product : product + "（命令行）");
  }
}

}  // namespace
}  // namespace gt7p
