// The record viewer's toolkit-free side: the section's computations
// (section.h) and the offscreen plot (plot.h), which gt7p-cli calls without
// knowing Qt. Code outside viewer/ includes this header, or frm_view.h for
// the viewer window (Qt). Private to viewer/: section_painter.h (QPainter).
//
// Threads: the caller's. The plot makes a GUI application (no display) when
// the process has none, so it runs on the main thread of a program without
// one; the window belongs to the GUI thread.
//
// Blocking: reading the record, one channel at a time (records/records.h);
// the section holds a few values per pixel column and channel, whatever the
// record's size.
//
// Failures: PlotRecordFile throws the reader's Error, "无法创建文件！" and
// "写入文件失败！"; without Qt it throws Error saying that plotting is not
// built in. The section's functions throw nothing.
#pragma once

#include "viewer/plot.h"
#include "viewer/section.h"
