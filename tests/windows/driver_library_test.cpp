// The real newdev.dll: bound, released and bound again. (Wine's installer
// reports success for any call; the failure paths go through the seam, in
// tests/settings.)
#include <windows.h>

#include <gtest/gtest.h>

#include "base/error.h"
#include "settings/driver_binding.h"

namespace gt7p {
namespace {

bool NewDevLoaded() { return GetModuleHandleA("newdev.dll") != nullptr; }

TEST(DriverLibrary, LoadedOnlyBetweenLoadAndUnload) {
  ASSERT_FALSE(NewDevLoaded());
  ASSERT_TRUE(LoadNewDev());
  EXPECT_TRUE(NewDevLoaded());
  EXPECT_TRUE(LoadNewDev());  // held from before: no second reference to release
  EXPECT_NO_THROW(UpdateAdapterDrivers());
  UnloadNewDev();
  EXPECT_FALSE(NewDevLoaded());
  EXPECT_THROW(InstallAdapterDriver(0), Error);
  UnloadNewDev();  // nothing held: harmless

  ASSERT_TRUE(LoadNewDev());
  EXPECT_NO_THROW(InstallAdapterDriver(1));
  UnloadNewDev();
  EXPECT_FALSE(NewDevLoaded());
}

}  // namespace
}  // namespace gt7p
