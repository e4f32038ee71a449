// Run-time binding of the Windows device installer (newdev.dll) and the two
// calls that reinstall the USB-serial adapter's bus and port drivers.
//
// The library is bound only around one update: LoadNewDev, then the calls,
// then UnloadNewDev. Elsewhere than on Windows there is no library, so
// LoadNewDev fails and every caller ends silently. One binding per process,
// used from the window's thread only. No Qt here: this part is built for
// Windows on its own as well.
#pragma once

#include <cstdint>
#include <functional>

namespace gt7p {

// INSTALLFLAG_FORCE: install even when the present driver looks as good.
constexpr uint32_t kInstallFlagForce = 1;

// One installation call of UpdateAdapterDrivers, in call order.
struct AdapterDriverCall {
  const char* hardwareId;
  const char* infPath;  // relative to the current directory, as written
};
inline constexpr AdapterDriverCall kAdapterDriverCalls[2] = {
    {"USB\\VID_0403&PID_6001", "U2C\\FTDIBUS.INF"},
    {"FTDIBUS\\COMPORT&VID_0403&PID_6001", "U2C\\FTDIPORT.INF"},
};

// UpdateDriverForPlugAndPlayDevicesA's parameters with portable types:
// parent window, hardware identifier, INF path, install flags, reboot flag
// out (the calls pass no window and no reboot flag). Returns its BOOL.
using DriverInstaller = std::function<int(void* parentWindow, const char* hardwareId,
                                          const char* infPath, uint32_t installFlags,
                                          int* rebootRequired)>;

// True when newdev.dll is loaded (now or from before) and holds
// UpdateDriverForPlugAndPlayDevicesA. A library whose lookup failed stays
// loaded until UnloadNewDev.
bool LoadNewDev();

// Installation call `index` (0 or 1) of kAdapterDriverCalls; its result is
// not looked at. Throws Error (empty message) when nothing is bound, as a
// call through a missing function address would fail.
void InstallAdapterDriver(int index);

// Both installation calls, one after the other.
void UpdateAdapterDrivers();

// Releases the library when loaded; forgets the handle and the address.
void UnloadNewDev();

// Test seam: while set, LoadNewDev binds `installer` instead of the library
// and fails when `installer` is empty. ResetDriverInstallerForTesting goes
// back to the library.
void SetDriverInstallerForTesting(DriverInstaller installer);
void ResetDriverInstallerForTesting();

}  // namespace gt7p
