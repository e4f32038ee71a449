// Shared pieces of the gt7p-cli commands: option parsing, output in UTF-8,
// exit codes (0 success, 1 an operation failed, 2 usage error).
#pragma once

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"

namespace gt7p {
namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Thrown for a usage error; main prints the message and the usage line.
struct UsageError {
  std::string message;
};

// Options of one command: "--name value", "--flag", and positional words.
class Args {
 public:
  Args(std::vector<std::string> words, std::vector<std::string> valueOptions, std::vector<std::string> flags);
  bool Has(const std::string& flag) const;
  // The option's value, or `fallback` when it was not given.
  std::string Value(const std::string& option, const std::string& fallback = std::string()) const;
  // Every value of an option that may be given more than once, in order.
  std::vector<std::string> Values(const std::string& option) const;
  bool HasValue(const std::string& option) const;
  const std::vector<std::string>& positional() const { return positional_; }
  bool help() const { return help_; }

 private:
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::string> flags_;
  std::vector<std::string> positional_;
  bool help_ = false;
};

// "-o" is the one short option of the CLI: it stands for "--output".
std::vector<std::string> WithLongOutput(std::vector<std::string> words);

// A code page 936 text of the core on a stream, as UTF-8.
void PrintText(std::ostream& out, const std::string& cp936);
// The system's message of a failure on stderr; returns kExitFailed.
int ReportFailure(const std::string& cp936Message);
// The same for an Error; a WriteError with the system's reason after it.
int ReportFailure(const Error& failure);

// A path on a stream exactly (UTF-8), control characters escaped, and "\"
// where it is no folder separator (a POSIX name may hold one).
void PrintPath(std::ostream& out, const std::filesystem::path& path);

// UTF-8 from the command line as a core text.
std::string CoreText(const std::string& utf8);
// A path from the command line, every character kept.
std::filesystem::path PathArg(const std::string& utf8);

// The option's whole number from `low` to `high`, or `fallback` when it
// was not given; UsageError for anything else.
int IntOption(const Args& args, const std::string& option, int fallback, int low, int high);

// The option's decimal number ("." as the point, whatever the locale) from
// `low` to `high`, or `fallback` when it was not given; UsageError for
// anything else.
double NumberOption(const Args& args, const std::string& option, double fallback, double low, double high);
// Two numbers "A,B" of an option, or none when it was not given;
// UsageError for anything else.
std::optional<std::pair<double, double>> NumberPairOption(const Args& args, const std::string& option);

// Channel numbers ("道号") "1,3,5-8" of an option, each from 1 to 65535,
// in the order given; empty when it was not given; UsageError for anything
// else (a range that runs backwards included).
std::vector<int32_t> ChannelListOption(const Args& args, const std::string& option);

// A file named on the command line; Error (NotAFileMessage: "找不到文件：",
// "是文件夹，不是文件：", "不是普通文件：" and the name) when no file is there.
std::filesystem::path ExistingFile(const std::string& utf8);

// UsageError when `out` is `input` itself (one name, or two for one file:
// a link, a case variant on Windows): an output never replaces its input.
void RefuseSameFile(const std::filesystem::path& input, const std::filesystem::path& out, const char* outName);

}  // namespace cli
}  // namespace gt7p
