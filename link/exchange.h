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
// file "GT7PCache.tmp" (the link's cache folders in turn; none usable: Error
// "无法创建缓冲池！"), the port (can't be opened: ends quietly, the status
// tells), the handshake, status "正在提取目录信息...", the directory request
// "00" into the cache. A reply shorter than 8 characters or not starting
// with "1", or one that the line's going away cut off, gives Error
// "无法提取目录信息！"; else the list is refilled (one row
// per whole 316-character header, image 5; a shown column line beyond the
// table's group 0 gives Error with an empty message) and the settings used
// are stored. The port is closed and the cache file deleted on every way
// out; the list and the settings are left as they were by every failure
// before the refill.
//
// Transfer mode (one file): the port must be open (the caller opens and
// closes it). Handshake with the stored target, "01", the file-name command
// of `fileName` with the reply into a new file at `destPath` (can't be
// created: Error "无法创建文件！"; a file there is replaced). A reply that
// the line's going away cut off gives Error "数据文件不完整！", one shorter
// than 4 characters or not starting with "1" Error with an empty message;
// the file keeps what came. A reply of 326 characters or more has its 6
// characters after the header moved in front of it.
//
// An aborted link (InstrumentLink::Abort) ends either mode with Aborted
// from the SendCommand under way, through the same clean-up.
#pragma once

#include <string>

#include "link/instrument_link.h"
#include "link/instrument_ui.h"

namespace gt7p {

void ExchangeWithInstrument(InstrumentLink& link, InstrumentUi& ui, LinkSettings& settings,
                            const std::string& fileName, const std::string& destPath, bool listMode);

// The 22-digit file-name command for a name as the list shows it
// ("AB      .DAT" or "AB.DAT"): the name's first 8 bytes and the extension,
// each trimmed, as hex digit pairs padded with "0" to 16 and 6 digits.
std::string FileNameCommand(const std::string& fileName);

// The cache file's name.
extern const char kCacheFileName[];

// The image of every file row that a listing adds.
constexpr int kFileImage = 5;

}  // namespace gt7p
