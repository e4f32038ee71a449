// The communication settings kept between runs of the window: the port
// (and whether it was found by auto-detection), the target memory, the
// receive delay, the column choice and the switch of full silences. The
// window keeps them with QSettings (app/settings_store.cpp); the rule for
// what is taken back lives here, without a toolkit.
//
// Every value is a text (code page 936) as the store holds it; a key the
// store lacks reads as empty. A value that is damaged or foreign (written
// by another version, edited by hand) falls back, on its own, to the
// window's initial state: no port, instrument memory, 3 s, the default
// columns, replies ending when complete.
#pragma once

#include <string>
#include <vector>

#include "link/link.h"

namespace gt7p {

struct StoredSettings {
  std::string port;         // a port name: no blank, comma or control character, at most 255 bytes
  std::string target;       // "0" or "1"
  std::string delay;        // "3" to "10"
  std::string columns;      // one column line per group-0 field, in table order, as the dialog writes them
  std::string fullSilence;  // "0" or "1"
  std::string autoDetect;   // "0" or "1"
};

// The store's rows: each setting's key and its text.
struct StoredRow {
  const char* key;
  std::string StoredSettings::*text;
};
const std::vector<StoredRow>& StoredRows();

StoredSettings StoreLinkSettings(const LinkSettings& settings);

// LinkSettings from what the store holds: each value that passes its rule,
// the initial state's for the others. An empty column choice is built from
// the default columns by the next directory exchange.
LinkSettings RestoreLinkSettings(const StoredSettings& stored);

}  // namespace gt7p
