#include "base/cp936.h"

#include <windows.h>

namespace gt7p {
namespace {

constexpr UINT kCodePage = 936;

std::wstring ToWide(UINT codePage, const std::string& in) {
  if (in.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), out.data(), n);
  return out;
}

std::string FromWide(UINT codePage, const std::wstring& in) {
  if (in.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Cp936ToUtf8(const std::string& cp936) { return FromWide(CP_UTF8, ToWide(kCodePage, cp936)); }
std::string Utf8ToCp936(const std::string& utf8) { return FromWide(kCodePage, ToWide(CP_UTF8, utf8)); }

std::filesystem::path PathFromText(const std::string& cp936) {
  return std::filesystem::path(ToWide(kCodePage, cp936));
}

std::string TextFromPath(const std::filesystem::path& path) { return FromWide(kCodePage, path.wstring()); }

}  // namespace gt7p
