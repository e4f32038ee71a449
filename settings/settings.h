// Communication settings without the dialog: the serial ports this machine
// offers and the run-time binding of the adapter's driver installer. The
// dialog itself is the window's (app/frm_setting.h, Qt), and its rules are
// in workflow/comm_settings.h. Code outside settings/ includes this header.
//
// Threads: the caller's; the driver binding is one per process, used from
// the window's thread only.
//
// Blocking: ListSerialPorts reads the registry (Windows) or sysfs (Linux);
// the driver calls block for as long as the system's installer takes.
//
// Failures: ListSerialPorts throws nothing (an unreadable source gives no
// lines); LoadNewDev returns false where there is no installer;
// InstallAdapterDriver throws Error with an empty message when nothing is
// bound.
#pragma once

#include "settings/driver_binding.h"
#include "settings/port_discovery.h"
