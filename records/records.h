// Record layouts and conversion: the header-field table, the rendering and
// encoding of values, the output layouts and formats, the converter, and
// records read back from our files. Code outside records/ includes this
// header.
//
// Headers: field_table.h (HeaderFieldTable, FieldSpec), field_format.h
// (FormatFieldValue, EncodeFieldBytes), layouts.h (EspLayout, QfxLayout,
// LayoutEntry), formats.h (the table of output formats), converter.h
// (ConvertRawFile), record_reader.h (RecordReader: a raw, QFX or ESP file,
// its header first, then one channel at a time), sample_times.h (a record's
// exact time axis), picks_table.h (the analysis points t0..t5, counted from
// 1, as a CSV table), field_ids.h (names of the table's fields and of the
// layout entries that carry a rule), record_export.h (SEG-Y and SEG-2 from
// a RecordReader; library gt7p_export). Private to records/:
// samples.h (the sample pass, samples_sse2.cpp or samples_plain.cpp by
// processor).
//
// Threads: the tables are constants, parsed once on first use; every
// function may be called from any thread. A conversion writes through a
// thread of its own, joined before it returns.
//
// Blocking: only the file reading and writing of a conversion or of a
// reader; memory stays flat (one channel at a time, whatever the file's
// size). A RecordReader belongs to one thread at a time.
//
// Failures: Error with an empty message for a required layout or table
// column that is not a decimal integer and for a channel or sample count of
// 0 or less; "数据文件不完整！" for a raw file shorter than it declares;
// WriteError ("写入文件失败！", with the system's reason) for an output that
// can't be written; ConvertError for a value text that a numeric kind
// can't read ("'X' 不是有效的数值"), hex digits that are no hex and a float
// beyond single precision; Aborted (empty message) between channels once
// the work was aborted (AbortWork). A failed conversion leaves no output
// and the raw file as it was. RecordReader: "找不到文件：" and the path (or
// NotAFileMessage's for a folder, a device, a pipe), "无法识别的文件格式！",
// "数据文件不完整！" and "道数或采样点数为零！". The
// exports: the reader's failures, "无法创建文件！", WriteError, and their own
// messages for a record the format can't hold. The picks table:
// "拾取表格式不对（第N行）！" for a text that is no such table, and the
// message of RequirePicks for a file without the points.
//
// Paths are std::filesystem::path; outputs are made by NativeFile (never
// through a link).
#pragma once

#include "records/converter.h"
#include "records/field_format.h"
#include "records/field_ids.h"
#include "records/field_table.h"
#include "records/formats.h"
#include "records/layers_file.h"
#include "records/layouts.h"
#include "records/picks_table.h"
#include "records/record_export.h"
#include "records/record_reader.h"
#include "records/sample_times.h"
