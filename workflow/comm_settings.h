// The communication settings as texts, composed and read in this one place:
// the column-choice text (ColumnChoice, DefaultColumns) and the CommSettings
// text that the settings dialog returns; and the rules by which the dialog
// (TfrmSetting, EditCommSettings) picks its entries.
//
// Column-choice text: column lines "n=fcaption" joined by CR LF, none after
// the last; n a number, f "1" (the field is a list column) or "0", caption
// the field's display name. Readers go by a line's position, never by n.
// CommSettings text: port, target index and receive delay, each followed by
// ",", then the column lines. Texts are code page 936; nothing here shows
// anything.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/link.h"

namespace gt7p {

struct ColumnLine {
  bool shown = false;
  std::string caption;
};

// DefaultColumns: one line per group-0 field of the header-field table, in
// table order: n the field's index, f its shown-by-default flag.
std::string DefaultColumns();

// Column lines with n the line's 1-based position.
std::string ColumnChoiceText(const std::vector<ColumnLine>& lines);

// The settings dialog's reading (FillColumnList): every "◇" removed, one
// line per CR, LF or CR LF; the part after the first "=" (the whole line
// without one) gives the flag in its first character and the caption after
// it. Only a flag "1" shows the field.
std::vector<ColumnLine> ReadColumnChoice(const std::string& columnChoice);

// The exchange's reading: a line shows its field when it holds "=1"
// anywhere.
bool ColumnLineShown(const std::string& line);

// The CommSettings text of `settings` (its column choice as it stands).
std::string CommSettingsText(const CommSettings& settings);

// Reads a CommSettings text: split at "," with the column lines kept whole
// (line breaks are masked during the split). Throws Error with an empty
// message when the target or the delay is not a decimal integer.
CommSettings ParseCommSettings(const std::string& text);

// The settings for gt7p-cli: the group-0 fields whose flags are set, as
// column lines numbered by position.
CommSettings CommSettingsFor(const std::string& portName, int32_t commTarget, int32_t receiveDelay,
                             const std::vector<bool>& shownFields);

// The settings dialog as the exchange opens it: it shows `settings` (port,
// target, delay, column choice, the line's timing) and the default column
// choice; returns the CommSettings text, "" when cancelled. On OK it may
// change the timing (settings.fullSilence), which the text does not hold.
using SettingsDialog = std::function<std::string(LineSettings& settings, const std::string& defaultColumns)>;

// The first steps of a directory exchange: DefaultColumns built once, an
// empty ColumnChoice filled from it, the dialog opened with `settings` (the
// port "自动检测" when the port was found by auto-detection), its answer
// read; fullSilence as the dialog left it. Throws Error "用户取消！" for the empty
// answer, and as ParseCommSettings does.
CommSettings ChooseCommSettings(LinkSettings& settings, const SettingsDialog& editCommSettings);

// The receive delays the operator may choose, in seconds: the dialog's
// entries and gt7p-cli's --delay.
constexpr int32_t kShortestReceiveDelay = 3, kLongestReceiveDelay = 10;

// The dialog's boxes: the target entries ("仪器", "存储卡") and the delay
// entries ("3" to "10", every whole second of the range above).
const std::vector<std::string>& TargetEntries();
const std::vector<std::string>& DelayEntries();

// The target entry for TargetText: the decimal integer (0 when it is none)
// modulo 2, the remainder's sign following the dividend; -1 selects none.
int TargetIndex(const std::string& targetText);

// The delay entry equal to DelayText, else the first ("3").
int DelayIndex(const std::string& delayText);

// What FillPortList selects among the port entries: the last one whose
// upper-cased text begins with the upper-cased port name and one blank (so
// COM1 never matches COM10), else the first; -1 when there is none. And the
// width of the drop-down list, 6 x (the longest entry, at least 10, + 2).
struct PortEntryChoice {
  int selected = -1;
  int dropDownWidth = 72;
};
PortEntryChoice ChoosePortEntry(const std::vector<std::string>& entries, const std::string& portName);

// The port name of an entry: its text up to the first blank.
std::string PortOfEntry(const std::string& entry);

// The entry of a port named on the command line: "PATH  (命令行指定)".
std::string NamedPortEntry(const std::string& port);

// What the dialog offers: `first` (the ports named on the command line and
// the simulator's, in that order), then the machine's own entries except
// those whose port is already offered.
std::vector<std::string> OfferedPorts(const std::vector<std::string>& first, const std::vector<std::string>& machine);

}  // namespace gt7p
