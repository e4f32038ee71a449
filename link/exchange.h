// The one operation through which the program talks to the instrument.
// It blocks for the whole exchange, waiting through ui.WaitForEnd while each
// reply comes in: at least 2 s of handshake, 1 s more for a file request,
// then the reply's line time (about 1920 characters a second) and the
// receive delay after it.
//
// Every exchange starts with the handshake: "02" must bring back exactly
// "1020", else Error "读COMMEM卡版本号错误！"; then "00" (instrument memory)
// or "01" (memory card) exactly "10", else Error "读版本号错误！". Each short
// command ends on 1 s of silence, a long reply on the receive delay.
//
// List mode (the directory): asks ui.ChooseCommSettings (its errors go on as
// they come); an empty port name ends quietly. Then the cache
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
// "无法提取目录信息！"; else the list is refilled (one row
// per whole 316-character header, image 5; a shown column line beyond the
// table's group 0 gives Error with an empty message) and the settings used
// are stored. The port is closed and the cache file deleted on every way
// out (this run's file, not one another run made at the name since); the
// list and the settings are left as they were by every failure before the
// refill. A cache that can't be written (a full disk) gives WriteError
// ("写入文件失败！").
//
// Transfer mode (one file): the port must be open (the caller opens and
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
#include <string>

#include "link/instrument_link.h"
#include "link/instrument_ui.h"

namespace gt7p {

void ExchangeWithInstrument(InstrumentLink& link, InstrumentUi& ui, LinkSettings& settings,
                            const std::string& fileName, const std::filesystem::path& destPath, bool listMode);

// The 22-digit file-name command for a name as the list shows it
// ("AB      .DAT" or "AB.DAT"): the name's first 8 bytes and the extension,
// each trimmed, as hex digit pairs padded with "0" to 16 and 6 digits.
std::string FileNameCommand(const std::string& fileName);

// The cache file's name.
extern const char kCacheFileName[];

// The image of every file row that a listing adds.
constexpr int kFileImage = 5;

}  // namespace gt7p
