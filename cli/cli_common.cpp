#include "cli/cli_common.h"

#include <algorithm>
#include <filesystem>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/native_file.h"
#include "base/text.h"

namespace gt7p {
namespace cli {

Args::Args(std::vector<std::string> words, std::vector<std::string> valueOptions, std::vector<std::string> flags) {
  auto contains = [](const std::vector<std::string>& list, const std::string& w) {
    return std::find(list.begin(), list.end(), w) != list.end();
  };
  bool onlyPositional = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (onlyPositional || w.size() < 2 || w.compare(0, 2, "--") != 0) {
      positional_.push_back(w);
    } else if (w == "--") {
      onlyPositional = true;
    } else if (w == "--help") {
      help_ = true;
    } else if (contains(valueOptions, w)) {
      if (i + 1 >= words.size()) throw UsageError{w + " needs a value"};
      values_.emplace_back(w, words[++i]);
    } else if (contains(flags, w)) {
      flags_.push_back(w);
    } else {
      throw UsageError{"unknown option " + w};
    }
  }
}

bool Args::Has(const std::string& flag) const {
  return std::find(flags_.begin(), flags_.end(), flag) != flags_.end();
}

bool Args::HasValue(const std::string& option) const {
  for (const auto& v : values_)
    if (v.first == option) return true;
  return false;
}

std::string Args::Value(const std::string& option, const std::string& fallback) const {
  std::string value = fallback;
  for (const auto& v : values_)
    if (v.first == option) value = v.second;  // the last one counts
  return value;
}

std::vector<std::string> Args::Values(const std::string& option) const {
  std::vector<std::string> values;
  for (const auto& v : values_)
    if (v.first == option) values.push_back(v.second);
  return values;
}

void PrintText(std::ostream& out, const std::string& cp936) { out << Cp936ToUtf8(cp936); }

int ReportFailure(const std::string& cp936Message) {
  // Some failures carry no message of their own; say at least that much.
  std::cerr << (cp936Message.empty() ? std::string("操作失败（无提示信息）") : Cp936ToUtf8(cp936Message)) << '\n';
  return kExitFailed;
}

int ReportFailure(const Error& failure) {
  if (const auto* write = dynamic_cast<const WriteError*>(&failure)) {
    std::cerr << Cp936ToUtf8(write->message()) << " (" << SystemReasonText(write->reason()) << ")\n";
    return kExitFailed;
  }
  return ReportFailure(std::string(failure.message()));
}

namespace {

// Control characters and "\" as "\xHH". `doubleByte`: the text is code page
// 936, whose characters are kept whole; a lead byte without its trail byte
// is escaped too, or it would take the next escape's "\" for one. Otherwise
// UTF-8, where no byte of a multi-byte character is below 80h. `keep`: a
// byte shown as it stands all the same (a path's separator).
std::string Escape(const std::string& text, bool doubleByte, char keep) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (doubleByte && WholeCharLength(text, i) == 2) {
      out += text.substr(i++, 2);
    } else if (byte < 0x20 || byte == 0x7F || (text[i] == '\\' && text[i] != keep) ||
               (doubleByte && IsLeadByte(byte))) {
      out += "\\x" + HexDigits(byte, 2);
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string EscapeControls(const std::string& text) { return Escape(text, true, '\0'); }

std::string UnescapeControls(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (WholeCharLength(text, i) == 2) {
      out += text.substr(i++, 2);
    } else if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() && HexDigitValue(text[i + 2]) >= 0 &&
               HexDigitValue(text[i + 3]) >= 0) {
      out += static_cast<char>(HexDigitValue(text[i + 2]) * 16 + HexDigitValue(text[i + 3]));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// A "\" that separates folders (Windows) stays; one in a name (POSIX) can't
// pass for the start of an escape.
void PrintPath(std::ostream& out, const std::filesystem::path& path) {
  out << Escape(Utf8FromPath(path), false, static_cast<char>(std::filesystem::path::preferred_separator));
}

std::string CoreText(const std::string& utf8) { return Utf8ToCp936(utf8); }

std::filesystem::path PathArg(const std::string& utf8) { return PathFromUtf8(utf8); }

int IntOption(const Args& args, const std::string& option, int fallback, int low, int high) {
  if (!args.HasValue(option)) return fallback;
  const int32_t v = StrToIntDef(args.Value(option), low - 1);
  if (v < low || v > high)
    throw UsageError{option + " takes a number from " + std::to_string(low) + " to " + std::to_string(high)};
  return v;
}

double NumberOption(const Args& args, const std::string& option, double fallback, double low, double high) {
  if (!args.HasValue(option)) return fallback;
  double v = 0;
  if (!ParseNumber(args.Value(option), v) || v < low || v > high)
    throw UsageError{option + " takes a number from " + FormatNumber15(low) + " to " + FormatNumber15(high)};
  return v;
}

std::optional<std::pair<double, double>> NumberPairOption(const Args& args, const std::string& option) {
  if (!args.HasValue(option)) return std::nullopt;
  const std::vector<std::string> parts = SplitText(args.Value(option), ',');
  std::pair<double, double> v;
  if (parts.size() != 2 || !ParseNumber(parts[0], v.first) || !ParseNumber(parts[1], v.second))
    throw UsageError{option + " takes two numbers A,B"};
  return v;
}

std::filesystem::path ExistingFile(const std::string& utf8) {
  const std::filesystem::path path = PathArg(utf8);
  RequireRegularFile(path);
  return path;
}

void RefuseSameFile(const std::filesystem::path& input, const std::filesystem::path& out, const char* outName) {
  std::error_code ec;
  if (std::filesystem::equivalent(input, out, ec))
    throw UsageError{std::string(outName) + " is the input file itself; name another file (the input is left unchanged)"};
}

}  // namespace cli
}  // namespace gt7p
