// The directory as a file list, for the window and for gt7p-cli list alike,
// and the directory command around it: the exchange (link/exchange.h)
// brings back the headers, this makes the rows of them and stores the
// settings they were read with.
//
// Column lines pair with the header-field table's group-0 fields by
// position (CommSettings::shown: the lines that hold "=1"). A row holds
// the texts of one header's shown fields, FormatFieldValue of each, the
// first being the row's caption. The window puts its status column
// "　状态　" second (after the only field when there is one), its cells " "
// until the save loop writes there; gt7p-cli prints the fields alone.
// Texts are code page 936.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "link/link.h"

namespace gt7p {

// The image of every file row: the save loop fetches only such rows.
constexpr int kFileImage = 5;

struct DirectoryList {
  std::vector<std::string> captions;           // the shown fields' names, in line order
  std::vector<std::vector<std::string>> rows;  // per header: its shown fields' texts
  // False when a shown line lies beyond the table's fields: the list then
  // holds what the first header gave before that line, as far as a list
  // filled row by row got when it met the line.
  bool complete = true;
};

// One row per header unless no field is shown.
DirectoryList MakeDirectoryList(const std::vector<std::string>& headers, const std::vector<bool>& shownLines);

// "　状态　".
const std::string& StatusColumnCaption();
// The window's columns: none without a row (they come with the first one),
// else the captions with the status column second, or after the only one
// when the list is complete.
std::vector<std::string> ListColumns(const DirectoryList& list);
// The window's cells of a row by the same rule: caption, " ", further fields.
std::vector<std::string> ListCells(const DirectoryList& list, size_t row);

// The window as the directory command uses it: the exchange's side, and
// the list with its target indicator.
class ListingUi : public InstrumentUi {
 public:
  virtual void ShowList(const DirectoryList& list) = 0;  // every row and column replaced
  virtual void FitColumns() = 0;                         // the list's resize handler
  // The picture and label of the instrument memory (true) or the card.
  virtual void ShowTargetIndicator(bool isInstrument) = 0;
};

// The directory command: ReadInstrumentDirectory (its errors go
// on as they come, and the list and `settings` stay as they were); then
// the list is refilled from the headers, the target indicator shown and the
// settings used stored in `settings` (fullSilence and autoDetectPort with
// them). A shown line beyond the table's fields fails the refill with Error
// with an empty message, once the list shows how far it got; the settings
// stay as they were. The status line's idle text and the column fit end
// the refill, whatever happens in it. False when the exchange ended quietly
// (an empty port name, a port that can't be opened): nothing changed.
bool ListDirectory(InstrumentLink& link, ListingUi& ui, LinkSettings& settings);

}  // namespace gt7p
