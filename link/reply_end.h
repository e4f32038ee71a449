// When a reception ends besides the silence that ends every one: the
// length a reply declares, the short quiet that ends it once that length is
// in, and the bound on what may follow it.
//
// Without a declared length a reply ends on its silence alone (the receive
// delay, or 1 s for a short command). With one, a pause before the last
// declared character is still bridged by that silence; once the declared
// length is in, `guardMs` of quiet ends the reception, and whatever arrives
// within the guard still belongs to the reply (it restarts the guard). Past
// the declared length a reply may run on for `runOnLimit` characters; one
// more and the reception stops there, marked EndSignal::RanOn, so that an
// instrument that never stops sending can't fill the disk.
#pragma once

#include <cstdint>
#include <string>

namespace gt7p {

struct ReplyEnd {
  // The declared length in characters: `chars` when it is known before the
  // reply comes, else what `fromHead` reads from the reply's first
  // `headChars` characters (called on the receive thread). Neither: none.
  uint64_t chars = 0;
  size_t headChars = 0;
  uint64_t (*fromHead)(const std::string& head) = nullptr;
  // Quiet that ends a reply once its declared length is in, in real
  // milliseconds and never longer than the silence itself; 0: the silence
  // alone ends it.
  int32_t guardMs = 0;
  // Characters that may follow the declared length; 0: no bound.
  uint64_t runOnLimit = 0;
  // A silence shorter than a whole second, in milliseconds of the link's
  // second, in place of SendCommand's timeoutSeconds; 0: timeoutSeconds.
  int32_t silenceMs = 0;
  // Input that waits before the command is written is discarded first:
  // digits sent after an earlier reply had ended (on its guard), or before
  // the port was opened.
  bool discardStale = false;
};

}  // namespace gt7p
