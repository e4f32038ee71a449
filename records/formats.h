// The output formats as one table: gt7p-cli's name, the file extension and
// the layout (none for the raw file as the transfer wrote it). A new format
// is one more row in formats.cpp.
#pragma once

#include <string>
#include <vector>

#include "records/layouts.h"

namespace gt7p {

struct OutputFormat {
  std::string name;                     // "qfx", as gt7p-cli's --format takes it
  std::string extension;                // ".QFX"
  const OutputLayout* layout = nullptr;  // null: the raw file is kept as it came
};

// The rows in table order: QFX (the default), ESP, T7P. Read once, on first
// use; the layouts are parsed then.
const std::vector<OutputFormat>& OutputFormats();

// The row of that name, or null.
const OutputFormat* FindOutputFormat(const std::string& name);

// The rows by name, for the callers that pick one by a switch of their own.
const OutputFormat& QfxFormat();
const OutputFormat& EspFormat();
const OutputFormat& RawFormat();

// The names joined by "|" ("qfx|esp|t7p"); only those with a layout when
// `convertedOnly`.
std::string OutputFormatNames(bool convertedOnly);

}  // namespace gt7p
