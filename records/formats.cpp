#include "records/formats.h"

#include <deque>

namespace gt7p {
namespace {

struct FormatRow {
  const char* name;
  const char* extension;
  const std::string& (*layout)();
};

// QFX first: the default of the window and of gt7p-cli.
const FormatRow kFormatRows[] = {
    {"qfx", ".QFX", QfxLayout},
    {"esp", ".ESP", EspLayout},
    {"t7p", ".T7P", nullptr},
};

}  // namespace

const std::vector<OutputFormat>& OutputFormats() {
  static const std::deque<OutputLayout> layouts = [] {
    std::deque<OutputLayout> parsed;
    for (const FormatRow& row : kFormatRows)
      if (row.layout) parsed.push_back(ParseOutputLayout(row.layout()));
    return parsed;
  }();
  static const std::vector<OutputFormat> formats = [] {
    std::vector<OutputFormat> table;
    size_t next = 0;
    for (const FormatRow& row : kFormatRows)
      table.push_back(OutputFormat{row.name, row.extension, row.layout ? &layouts[next++] : nullptr});
    return table;
  }();
  return formats;
}

const OutputFormat* FindOutputFormat(const std::string& name) {
  for (const OutputFormat& format : OutputFormats())
    if (format.name == name) return &format;
  return nullptr;
}

const OutputFormat& QfxFormat() { return *FindOutputFormat("qfx"); }
const OutputFormat& EspFormat() { return *FindOutputFormat("esp"); }
const OutputFormat& RawFormat() { return *FindOutputFormat("t7p"); }

std::string OutputFormatNames(bool convertedOnly) {
  std::string names;
  for (const OutputFormat& format : OutputFormats()) {
    if (convertedOnly && !format.layout) continue;
    names += (names.empty() ? "" : "|") + format.name;
  }
  return names;
}

}  // namespace gt7p
