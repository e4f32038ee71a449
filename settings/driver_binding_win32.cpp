// newdev.dll bound at run time: the installer is missing on some Windows
// editions, and a program linked against it would not start there.
#include "settings/driver_binding.h"

#include <windows.h>

#include <optional>

#include "base/error.h"

namespace gt7p {
namespace {

using UpdateDriverProc = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);

HMODULE g_newDev = nullptr;
UpdateDriverProc g_updateDriver = nullptr;
std::optional<DriverInstaller> g_testInstaller;
DriverInstaller g_testBound;

}  // namespace

bool LoadNewDev() {
  if (g_testInstaller) {
    g_testBound = *g_testInstaller;
    return static_cast<bool>(g_testBound);
  }
  if (g_newDev == nullptr) {
    g_newDev = LoadLibraryA("newdev.dll");
  }
  if (g_newDev == nullptr) {
    return false;
  }
  g_updateDriver = reinterpret_cast<UpdateDriverProc>(
      reinterpret_cast<void*>(GetProcAddress(g_newDev, "UpdateDriverForPlugAndPlayDevicesA")));
  return g_updateDriver != nullptr;
}

void InstallAdapterDriver(int index) {
  if (index < 0 || index > 1) {
    throw Error();
  }
  const AdapterDriverCall& call = kAdapterDriverCalls[index];
  if (g_testBound) {
    g_testBound(nullptr, call.hardwareId, call.infPath, kInstallFlagForce, nullptr);
    return;
  }
  if (g_updateDriver == nullptr) {
    throw Error();
  }
  g_updateDriver(nullptr, call.hardwareId, call.infPath, kInstallFlagForce, nullptr);
}

void UpdateAdapterDrivers() {
  InstallAdapterDriver(0);
  InstallAdapterDriver(1);
}

void UnloadNewDev() {
  g_testBound = nullptr;
  if (g_newDev != nullptr) {
    FreeLibrary(g_newDev);
  }
  g_newDev = nullptr;
  g_updateDriver = nullptr;
}

void SetDriverInstallerForTesting(DriverInstaller installer) { g_testInstaller = std::move(installer); }

void ResetDriverInstallerForTesting() {
  g_testInstaller.reset();
  g_testBound = nullptr;
}

}  // namespace gt7p
