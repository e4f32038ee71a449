// No device installer outside Windows: LoadNewDev fails unless a test put
// an installer in.
#include "settings/driver_binding.h"

#include <optional>

#include "base/error.h"

namespace gt7p {
namespace {

std::optional<DriverInstaller> g_testInstaller;
DriverInstaller g_bound;

}  // namespace

bool LoadNewDev() {
  if (g_testInstaller && *g_testInstaller) {
    g_bound = *g_testInstaller;
    return true;
  }
  return false;
}

void InstallAdapterDriver(int index) {
  if (!g_bound || index < 0 || index > 1) {
    throw Error();
  }
  const AdapterDriverCall& call = kAdapterDriverCalls[index];
  g_bound(nullptr, call.hardwareId, call.infPath, kInstallFlagForce, nullptr);
}

void UpdateAdapterDrivers() {
  InstallAdapterDriver(0);
  InstallAdapterDriver(1);
}

void UnloadNewDev() { g_bound = nullptr; }

void SetDriverInstallerForTesting(DriverInstaller installer) { g_testInstaller = std::move(installer); }

void ResetDriverInstallerForTesting() {
  g_testInstaller.reset();
  g_bound = nullptr;
}

}  // namespace gt7p
