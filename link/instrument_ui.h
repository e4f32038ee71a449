// What the instrument exchange needs from its window (the settings for a
// directory, the status line, waiting for a reply), and the settings the
// window keeps for it.
//
// The exchange calls these on the thread that runs it (the window's own
// thread); none of them is called from the receive thread. Texts are code
// page 936. An exception thrown here leaves the exchange like its own
// errors, after its clean-up.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/end_signal.h"

namespace gt7p {

struct LinkSettings;

// The line's settings, in one shape wherever they are kept: the directory
// dialog's answer (CommSettings), the window's settings (LinkSettings),
// gt7p-cli's options; the settings store keeps them row by row
// (workflow/stored_settings.h).
struct LineSettings {
  std::string portName;       // empty in a dialog's answer: the exchange ends quietly
  int32_t commTarget = 0;     // 0 instrument memory, 1 memory card
  int32_t receiveDelay = 3;   // seconds of silence that end a long reply
  std::string columnChoice;   // column lines, CR LF between them, as they came
  // Every reply ends on its silence alone (the receive delay after a long
  // one, 1 s after a short one), the link's first timing; by default a
  // reply whose length is known ends on a short guard of quiet once it is
  // complete (link/reply_end.h).
  bool fullSilence = false;
  // The operator asked for the port to be found by trying them; portName
  // is the one found.
  bool autoDetectPort = false;
};

// The operator's choices for one directory exchange: the settings dialog's
// CommSettings text, read (workflow/comm_settings.h does both).
struct CommSettings : LineSettings {
  std::vector<bool> shown;    // per column line, by position: "=1" in it (the caller's)
};

class InstrumentUi {
 public:
  virtual ~InstrumentUi() = default;

  // The settings for a directory exchange, asked with `settings` (which it
  // may complete: the default column choice is built there once). Throws
  // Error "用户取消！" when the operator cancels, Error with an empty message
  // for an answer whose target or delay is not a decimal integer.
  virtual CommSettings ChooseCommSettings(LinkSettings& settings) = 0;
  // A blank text shows the idle text. Lets pending window messages run.
  virtual void SetStatusText(const std::string& text) = 0;

  // Returns once `end` is set. A window runs its event loop meanwhile
  // (without spinning: see EndSignal::NotifyOnSet); a terminal simply blocks.
  virtual void WaitForEnd(const std::shared_ptr<EndSignal>& end) = 0;
};

// The settings of the exchange, owned by the window. The directory's
// caller stores the settings it was read with once it has filled its list;
// a transfer reads the port, target, delay and timing.
struct LinkSettings : LineSettings {
  std::string defaultColumns; // built once, at the first directory exchange
};

}  // namespace gt7p
