// What the program's windows share beneath them: the window and its
// dialogs (app/) and the viewer window (viewer/). Qt; code outside ui/
// includes this header.
//
// Headers: ui_text.h (the core's code page 936 texts and paths to and from
// the toolkit's strings), ui_fonts.h (the windows' font "宋体" and its
// stand-ins), store_group.h (the settings store they share),
// window_on_screen.h (a window's place kept, and restored onto the screens
// there are now, by the toolkit-free rule of window_place.h).
//
// Threads: the GUI thread. Nothing here blocks or throws.
#pragma once

#include "ui/store_group.h"
#include "ui/ui_fonts.h"
#include "ui/ui_text.h"
#include "ui/window_on_screen.h"
#include "ui/window_place.h"
