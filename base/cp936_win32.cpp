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

// Code page 936 text: a character it has no place for becomes one "?", as
// on other systems, never a look-alike ("ö" is not "o"); a character beyond
// the BMP (a surrogate pair, or a lone half) is one "?" too.
std::string ToCp936(const std::wstring& in) {
  std::wstring bmp;
  bmp.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const wchar_t c = in[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) ++i;
      bmp += L'?';
    } else {
      bmp += c;
    }
  }
  if (bmp.empty()) return {};
  const int size = static_cast<int>(bmp.size());
  int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, bmp.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, bmp.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Cp936ToUtf8(const std::string& cp936) { return FromWide(CP_UTF8, ToWide(kCodePage, cp936)); }
std::string Utf8ToCp936(const std::string& utf8) { return ToCp936(ToWide(CP_UTF8, utf8)); }

std::filesystem::path PathFromText(const std::string& cp936) {
  return std::filesystem::path(ToWide(kCodePage, cp936));
}

std::string TextFromPath(const std::filesystem::path& path) { return ToCp936(path.wstring()); }

}  // namespace gt7p
