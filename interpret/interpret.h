// Interpretation of the instrument's records: for refraction, layer
// velocities, depths and dips from the first breaks of one record, of a
// reversed pair or of a line of shots, and the first breaks out for
// tomography software; for the other survey methods (single-point
// thickness, reflection, two-point velocity) see methods.h. No toolkit: the
// viewer and gt7p-cli both call it. Code outside interpret/ includes this
// header only.
//
// Method (straight-ray, planar interfaces, a flat spread):
// - Times count from the shot instant: the record's time axis (the trigger
//   at 0, the sample delay included) less the system delay.
// - Each shot's points on each side of it form a branch, sorted by offset
//   and split into N straight segments (N given, or chosen from 2 to 5 by
//   least squares with a penalty on every extra segment). The first is the
//   direct wave; its free intercept is the time-zero offset (a trigger
//   check), which the head waves' intercepts are corrected by.
// - One branch: flat layers, each refractor's depth below the shot by the
//   multi-layer intercept-time sum, each layer's critical angle taken against
//   the refractor the sum is for.
// - Branches shot toward each other: true velocity and dip of every
//   refractor from its up- and down-dip apparent slownesses, interface by
//   interface (rays traced up through the interfaces above); depths below
//   each shot from its intercepts; depths below the receivers that both
//   head waves reach by the plus-minus method; the reciprocal time's
//   mismatch. Depths are vertical (normal to the spread).
// - A line: every opposite pair covering a receiver gives it a depth; their
//   mean and spread are reported.
// Limits: no topography (the spread is flat), no hidden or blind layers
// (reported, not solved), no lateral velocity change within a layer beyond
// what the pair's dip takes up.
//
// Threads: the caller's; nothing is shared. Blocking: LoadShot reads the
// record (one channel at a time) and the picks table beside it; the
// geometry functions read or write one small file; Interpret only computes
// (a line of 10 shots of 48 channels in well under 100 ms).
//
// Failures throw Error (code page 936 texts): the reader's and the picks
// table's; "该探测方法暂不支持解析" for a record of another survey method;
// "需要测线几何文件" for two or more records without a geometry; the
// geometry's own messages (a row naming no given record, a record without
// a row, a zero spacing, a field that is no number); and the fit's where no
// model can be made (too few first breaks, a segment of fewer than two
// points). Warnings are texts in the results, never failures.
#pragma once

#include "interpret/geometry.h"
#include "interpret/methods.h"
#include "interpret/picker.h"
#include "interpret/results.h"
#include "interpret/shots.h"
#include "interpret/survey.h"
#include "interpret/tomography.h"
