// The version resources of gt7p.exe and gt7p-cli.exe as Explorer reads
// them: the project's version in the fixed part and the strings, and the
// texts of `gt7p-cli --version` (base/version.h), Chinese intact.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/version.h"

namespace gt7p {
namespace {

std::string Utf8(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), n);
  return out;
}

class VersionResource {
 public:
  explicit VersionResource(const std::string& file) {
    const std::wstring path = Wide(file);
    DWORD ignored = 0;
    data_.resize(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    if (data_.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data_.size()), data_.data()))
      data_.clear();
  }
  bool Present() const { return !data_.empty(); }
  const VS_FIXEDFILEINFO* Fixed() {
    void* p = nullptr;
    UINT size = 0;
    return VerQueryValueW(data_.data(), L"\\", &p, &size) && size >= sizeof(VS_FIXEDFILEINFO)
               ? static_cast<const VS_FIXEDFILEINFO*>(p)
               : nullptr;
  }
  // A string of the Chinese (Simplified), Unicode block.
  std::string Text(const wchar_t* name) {
    void* p = nullptr;
    UINT size = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    return VerQueryValueW(data_.data(), key.c_str(), &p, &size) ? Utf8(static_cast<const wchar_t*>(p)) : "(none)";
  }

 private:
  std::vector<char> data_;
};

TEST(VersionResource, BothProgramsCarryTheProjectVersionAndTexts) {
  // "gt7p-cli 0.1", the product's name, the copyright.
  const std::string text = VersionText("gt7p-cli");
  const std::string product = text.substr(text.find('\n') + 1, text.find('\n', text.find('\n') + 1) - text.find('\n') - 1);
  const std::string copyright = text.substr(text.find('\n', text.find('\n') + 1) + 1);
  // Four numbers from "0.1" and the like, missing ones 0.
  unsigned v[4] = {0, 0, 0, 0};
  sscanf(ProgramVersion(), "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]);

  for (const char* exe : {GT7P_EXE, GT7P_CLI_EXE}) {
    SCOPED_TRACE(exe);
    VersionResource r(exe);
    ASSERT_TRUE(r.Present());
    const VS_FIXEDFILEINFO* fixed = r.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, (v[0] << 16) | v[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, (v[2] << 16) | v[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(r.Text(L"ProductVersion"), ProgramVersion());
    EXPECT_EQ(r.Text(L"FileVersion"), ProgramVersion());
    EXPECT_EQ(r.Text(L"ProductName"), product);
    EXPECT_EQ(r.Text(L"LegalCopyright") + "\n", copyright);
    EXPECT_NE(r.Text(L"FileDescription").find(product), std::string::npos);
  }
  EXPECT_EQ(VersionResource(GT7P_CLI_EXE).Text(L"FileDescription"), product + "（命令行）");
}

}  // namespace
}  // namespace gt7p
