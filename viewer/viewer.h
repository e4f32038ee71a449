// The record viewer's toolkit-free side: the section's computations
// (section.h), the display processing (processing.h), the display
// settings' limits (display_limits.h) and the text they are kept in
// between windows (display_settings.h), first breaks and their picker
// (first_breaks.h), the operator's layers of the first breaks
// (layer_assignment.h), the records of a folder (record_files.h), the view's
// state with the edits of the first breaks (section_view.h,
// pick_edits.h), the frequency axis of the spectrum plots
// (spectrum_axis.h), the offscreen plot (plot.h) and the survey report
// (report.h), which gt7p-cli calls without knowing Qt. Code outside
// viewer/ includes this header, or
// window/frm_view.h for the viewer window (Qt). Private to viewer/:
// section_painter.h and spectrum_painter.h (QPainter) and the rest of
// window/.
//
// Threads: the caller's. The plot makes a GUI application (no display) when
// the process has none, so it runs on the main thread of a program without
// one; the window belongs to the GUI thread.
//
// Blocking: reading the record, one channel at a time (records/records.h);
// the section holds a few values per pixel column and channel, whatever the
// record's size. The window holds the record's samples and their displayed
// copy, for records up to kMaxViewedSamples samples.
//
// Failures: PlotRecordFile throws the reader's Error, "无法创建文件！",
// WriteError and "内存不足！"; without Qt it throws Error saying that
// plotting is not built in. The section's functions throw nothing but
// std::bad_alloc.
#pragma once

#include "viewer/display_limits.h"
#include "viewer/display_settings.h"
#include "viewer/first_breaks.h"
#include "viewer/layer_assignment.h"
#include "viewer/pick_edits.h"
#include "viewer/plot.h"
#include "viewer/processing.h"
#include "viewer/record_files.h"
#include "viewer/report.h"
#include "viewer/section.h"
#include "viewer/section_view.h"
#include "viewer/spectrum_axis.h"
