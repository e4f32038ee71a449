#include "cp936.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace gt7p {
namespace {

std::string Convert(const char* to, const char* from, const std::string& in, const char* replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out;
  out.reserve(in.size() * 3 / 2 + 8);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[4096];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Invalid or incomplete sequence: replace one byte and go on.
      out += replacement;
      ++src;
      --srcLeft;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp936ToUtf8(const std::string& cp936) {
  return Convert("UTF-8", "CP936", cp936, "\xEF\xBF\xBD");
}

std::string Utf8ToCp936(const std::string& utf8) {
  return Convert("CP936", "UTF-8", utf8, "?");
}

std::filesystem::path PathFromText(const std::string& cp936) {
  return std::filesystem::path(Cp936ToUtf8(cp936));
}

std::string TextFromPath(const std::filesystem::path& path) {
  return Utf8ToCp936(path.string());
}

}  // namespace gt7p
