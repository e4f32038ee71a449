#include "base/cp936.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace gt7p {
namespace {

// One conversion descriptor per direction and thread: opening one costs far
// more than converting a list cell.
class Descriptor {
 public:
  Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Descriptor() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// `fromUtf8`: a character that can't be converted is one "?", whatever
// its length in UTF-8.
std::string Convert(const Descriptor& descriptor, const std::string& in, const char* replacement, bool fromUtf8) {
  if (IsAscii(in) || !descriptor.ok()) return in;
  iconv_t cd = descriptor.get();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial shift state
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
      do {
        ++src;
        --srcLeft;
      } while (fromUtf8 && srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80);
    }
  }
  return out;
}

}  // namespace

std::string Cp936ToUtf8(const std::string& cp936) {
  thread_local const Descriptor toUtf8("UTF-8", "CP936");
  return Convert(toUtf8, cp936, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp936(const std::string& utf8) {
  thread_local const Descriptor toCp936("CP936", "UTF-8");
  return Convert(toCp936, utf8, "?", true);
}

std::filesystem::path PathFromText(const std::string& cp936) {
  return std::filesystem::path(Cp936ToUtf8(cp936));
}

std::string TextFromPath(const std::filesystem::path& path) {
  return Utf8ToCp936(path.string());
}

}  // namespace gt7p
