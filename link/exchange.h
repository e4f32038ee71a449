// The one operation through which the program talks to the instrument.
// It blocks for the whole exchange, waiting through ui.WaitForEnd while each
// reply comes in. Each reply ends when it is complete: its declared length
// in ("1020" and "10" of the handshake; the directory by its count; a file
// by its header's channel count and samples per channel), then a guard of
// kReplyGuardMs of quiet, so an exchange costs its line time (about 1920
// characters a second) and a guard per reply. A pause before the end is
// bridged by the reply's silence; a reply that stops short, or has no
// declared length, ends on that silence: 1 s for a short command, the
// receive delay for a long reply. With LinkSettings::fullSilence every
// reply ends on its silence alone: at least 2 s of handshake, 1 s more for
// a file request, the receive delay after the directory or file.
//
// The early end never fails where the full silences would succeed. With it
// on, input waiting before a command is written is discarded (on a port just
// opened, too): digits an instrument sent after a reply that had already
// ended. Digits that arrive after the command, in front of a handshake reply
// that follows an early end ("xxxxxxxx1020"), make the exchange start over
// once with full silences, and the link keeps full silences from then on
// (InstrumentLink::KeepFullSilences). With full silences nothing is
// discarded and such a reply fails as any wrong one.
//
// Every exchange starts with the handshake: "02" must bring back exactly
// "1020", else Error "读COMMEM卡版本号错误！"; then "00" (instrument memory)
// or "01" (memory card) exactly "10", else Error "读版本号错误！". A few
// characters more within the guard are part of the reply (and fail it).
//
// A directory or file reply may run on past its declared length by at most
// kRunOnLimit characters: one more and reception stops, nothing more is
// written, and the exchange fails with Error "仪器发送的数据超出声明的长度！"
// (the transfer's file keeps what came, for the caller to remove).
//
// List mode (the directory, ReadInstrumentDirectory): asks ui.ChooseCommSettings (its errors go on as
// they come; the port it answers is the one used, found by ProbeInstrument
// when the operator asked for that); an empty port name ends quietly. Then the cache
// file "GT7PCache.tmp" in the first of the link's cache folders where it can
// be made afresh: one left there by a run that ended without its clean-up
// is removed, but not one that another running program holds (POSIX: its
// lock; Windows: it can't be deleted while open); where other runs hold it
// in every folder, "GT7PCache.XXXXXXXX.tmp" (random) in the first folder
// that takes one. It is made only where nothing stands (never through a
// link), so two runs never share a cache file; none can be made: Error
// "无法创建缓冲池！". Then the port (can't be opened: ends quietly, the status
// tells), the handshake, status "正在提取目录信息...", the directory request
// "00" into the cache. A reply shorter than 8 characters or not starting
// with "1", or one that the line's going away cut off, gives Error
// "无法提取目录信息！"; else the directory comes back: the count its prefix
// declares, each whole 316-character header after it up to that count, and
// the settings it was read with. The caller makes its list of them and
// stores the settings (workflow/directory_list.h); the exchange changes
// neither the caller's list nor `settings` beyond what ChooseCommSettings
// completes there. The port is closed and the cache file deleted on every
// way out (this run's file, not one another run made at the name since).
// A cache that can't be written (a full disk) gives WriteError
// ("写入文件失败！").
//
// Transfer mode (one file, FetchInstrumentFile): the port must be open (the caller opens and
// closes it). Handshake with the stored target, "01", the file-name command
// of `fileName` with the reply into a new file at `destPath` (a file or
// link there is removed first and the file made only where nothing stands;
// can't be made: Error "无法创建文件！"). A reply that can't be written (a
// full disk) gives WriteError ("写入文件失败！"), one that the line's going
// away cut off Error "数据文件不完整！", one shorter than 4 characters or not
// starting with "1" Error with an empty message; the file keeps what came
// (the save loop works on a temporary file and removes it). A reply of 326 characters or more has its 6
// characters after the header moved in front of it.
//
// An aborted link (InstrumentLink::Abort) ends either mode with Aborted
// from the SendCommand under way, through the same clean-up.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/instrument_link.h"
#include "link/instrument_ui.h"

namespace gt7p {

// What a directory exchange read.
struct InstrumentDirectory {
  CommSettings settings;             // the settings it was read with
  int32_t entries = 0;               // the count the reply declares
  std::vector<std::string> headers;  // each whole 316-character header, in order, up to `entries`
};

// The directory (list mode above), or nothing when the exchange ended
// quietly (an empty port name, a port that can't be opened).
std::optional<InstrumentDirectory> ReadInstrumentDirectory(InstrumentLink& link, InstrumentUi& ui,
                                                           LinkSettings& settings);

// One file (transfer mode above) into a new file at `destPath`.
void FetchInstrumentFile(InstrumentLink& link, InstrumentUi& ui, const LinkSettings& settings,
                         const std::string& fileName, const std::filesystem::path& destPath);

// The 22-digit file-name command for a name as the list shows it
// ("AB      .DAT"): its bytes 0-7 and 9-11, each trimmed, as hex digit
// pairs padded with "0" to 16 and 6 digits; the caption's places hold
// whatever bytes they hold ("AB      .D.T" asks for "AB" and "D.T"). Any
// other text ("AB.DAT") is cut at the last "." after the last "\" or ":"
// into name (its first 8 bytes) and extension (without its "."s).
std::string FileNameCommand(const std::string& fileName);

// The cache file's name.
extern const char kCacheFileName[];

// The quiet that ends a complete reply: long enough for a few characters
// more from the instrument and for a USB adapter's latency (16 ms), short
// beside the second or the receive delay it replaces.
constexpr int32_t kReplyGuardMs = 250;

// Characters a directory or file reply may carry past its declared length:
// an instrument's trailing characters are a handful; 4096 (about 2 s on the
// line, 4 KB on disk) is far beyond them, and bounds what an instrument that
// never stops sending can write.
constexpr uint64_t kRunOnLimit = 4096;

// Auto-detection's look at one port: opened (or not), the first handshake
// command "02" with kProbeSilenceMs (of the link's second) of silence
// instead of a whole second, the port closed again. Nothing else is ever
// sent to a port, whatever it answers. Only Aborted is thrown.
constexpr int32_t kProbeSilenceMs = 500;
enum class ProbeOutcome {
  kNotOpened,   // can't be opened or configured (in use, gone)
  kSilent,      // no answer
  kWrongReply,  // an answer other than "1020"
  kInstrument,  // "1020"
};
ProbeOutcome ProbeInstrument(InstrumentLink& link, InstrumentUi& ui, const std::string& portName);

}  // namespace gt7p
