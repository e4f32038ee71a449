// The rules of the main window and the settings dialog without a toolkit:
// the window and its dialogs (app/) and gt7p-cli are clients of
// them. Code outside workflow/ includes this header.
//
// Headers: main_window.h (start-up from the command line, caption, status
// and error texts, help file, folder command, driver refresh),
// directory_list.h (the directory command: the list made of the headers
// the exchange brings back, the settings stored), list_sort.h
// (lvwCompare and the sort state of lvwColumnClick), comm_settings.h (the
// CommSettings and column-choice texts, the settings dialog's rules),
// save_file.h (SaveSelectedFiles with SaveChoice), port_detect.h (the
// instrument's port found by trying them), stored_settings.h (what is taken
// back of the settings kept between runs), transfer_progress.h (percentage,
// rate and time left of a reception), batch_progress.h (where a save of
// several files stands).
//
// Threads: the caller's thread; nothing here starts one.
//
// Blocking: ListDirectory blocks for the directory's exchange,
// SaveSelectedFiles for each file's transfer (link/link.h) and for the
// overwrite prompt, DetectInstrumentPort for a probe of each port;
// everything else returns at once.
//
// Failures: ChooseCommSettings throws Error "用户取消！" for a cancelled
// dialog and Error with an empty message for an answer whose target or
// delay is not a number; ResolveAutoDetect Error "未找到仪器！已试：…" when no
// port answers as the instrument; ListDirectory passes on the exchange's
// errors, and gives Error with an empty message for a shown column line
// beyond the table; SaveSelectedFiles passes on the errors of the
// transfer and the conversion after each file's clean-up (Aborted among
// them, when the link was aborted; WriteError "写入文件失败！" for a full
// disk), and gives "无法创建文件！" when a conversion can't start or a
// complete file can't take its place. After any of them the file's name
// holds what it held before. A file whose name maps to one saved earlier in
// the run is no failure: its row shows "重名未保存".
#pragma once

#include "workflow/batch_progress.h"
#include "workflow/comm_settings.h"
#include "workflow/directory_list.h"
#include "workflow/list_sort.h"
#include "workflow/main_window.h"
#include "workflow/port_detect.h"
#include "workflow/save_file.h"
#include "workflow/stored_settings.h"
#include "workflow/transfer_progress.h"
