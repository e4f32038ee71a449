// The instrument link: the serial line to the instrument, the receive
// thread, and the exchange through which everything else talks to the
// instrument. Code outside link/ includes this header.
//
// Headers: instrument_link.h (the port and SendCommand), exchange.h
// (ReadInstrumentDirectory: the directory's headers; FetchInstrumentFile: the transfer of one
// file), instrument_ui.h (what the exchange needs from its window: the
// settings, the status line, the waits; the settings it keeps), end_signal.h (the end of a reception, and its progress),
// reply_end.h (when a reply with a declared length ends). Private to link/, its
// tests and fuzz targets: serial_port.h (serial_posix.cpp,
// serial_win32.cpp), comm_thread.h (TCommThread), reply_file.h,
// directory_reply.h.
//
// Threads: one thread calls everything here (the window's, or the
// terminal's). The receive thread of the latest command is the only other;
// until its EndSignal is set it owns the port, ReplyText and the reply file.
// InstrumentUi is called only on the calling thread.
//
// Blocking: SendCommand blocks for a whole reception, waiting through
// InstrumentUi::WaitForEnd: the reply, then a silence of the receive
// delay (a long reply) or 1 s (a short command), or until a short reply
// holds more than 32 characters. The exchange gives each reply its
// declared length, and a complete one ends on a guard of 250 ms instead
// (unless LinkSettings::fullSilence): an exchange takes the replies' line
// time (about 1920 characters a second) and a guard per reply, about 1 s
// for a file. A line that goes away (a hang-up, an I/O error) ends the
// reception at once, and so does InstrumentLink::Abort, callable from any
// thread.
//
// Failures: InstrumentLink throws only Aborted ("通讯已中止！", from
// SendCommand once the link was aborted); a port that can't be opened gives
// false and the status "连接失败". ReadInstrumentDirectory and FetchInstrumentFile throw Error with
// "读COMMEM卡版本号错误！" or "读版本号错误！" (handshake), "无法创建缓冲池！" (no cache
// file), WriteError "写入文件失败！" (the cache or the transfer's file can't be
// written), "无法提取目录信息！" (a reply that is no directory, or cut off by the
// line going away), "无法创建文件！" (transfer target), "数据文件不完整！" (a file
// reply cut off by the line going away), "仪器发送的数据超出声明的长度！" (a
// directory or file reply running on past its bound), an empty message (a
// short or failed file reply), Aborted, and whatever
// InstrumentUi::ChooseCommSettings throws ("用户取消！"). The port is closed
// and the cache file deleted on every way out of a directory exchange; the
// transfer's file is closed on every way out.
#pragma once

#include "link/end_signal.h"
#include "link/exchange.h"
#include "link/instrument_link.h"
#include "link/instrument_ui.h"
