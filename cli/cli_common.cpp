#include "cli/cli_common.h"

#include <algorithm>
#include <cmath>
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

// A path's text (UTF-8, where no byte of a multi-byte character is below
// 80h) with control characters and "\\" as "\\xHH", as ShownText shows
// them; `keep` is shown as it stands all the same (a path's separator).
std::string EscapePath(const std::string& text, char keep) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || (c == '\\' && c != keep))
      out += "\\x" + HexDigits(byte, 2);
    else
      out += c;
  }
  return out;
}

}  // namespace

// A "\" that separates folders (Windows) stays; one in a name (POSIX) can't
// pass for the start of an escape.
void PrintPath(std::ostream& out, const std::filesystem::path& path) {
  out << EscapePath(Utf8FromPath(path), static_cast<char>(std::filesystem::path::preferred_separator));
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

std::vector<int32_t> ChannelListOption(const Args& args, const std::string& option) {
  std::vector<int32_t> channels;
  if (args.HasValue(option) && !ParseChannelList(args.Value(option), channels))
    throw UsageError{option + " takes channel numbers from 1 to 65535, as 1,3,5-8"};
  return channels;
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

std::vector<std::string> WithLongOutput(std::vector<std::string> words) {
  for (std::string& w : words)
    if (w == "-o") w = "--output";
  return words;
}

}  // namespace cli
}  // namespace gt7p
