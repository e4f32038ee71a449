#include "settings/driver_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"

namespace gt7p {
namespace {

class DriverBinding : public ::testing::Test {
 protected:
  void TearDown() override {
    UnloadNewDev();
    ResetDriverInstallerForTesting();
  }
  // Records each call as "id|inf|flags", and fails the call numbered `failing`.
  void Install(size_t failing = 0) {
    SetDriverInstallerForTesting([this, failing](void* parent, const char* id, const char* inf, uint32_t flags,
                                                 int* reboot) {
      EXPECT_EQ(parent, nullptr);
      EXPECT_EQ(reboot, nullptr);
      calls.push_back(std::string(id) + "|" + inf + "|" + std::to_string(flags));
      if (calls.size() == failing) throw Error("device installer failed");
      return 1;
    });
  }
  std::vector<std::string> calls;
};

TEST_F(DriverBinding, BusDriverThenPortDriverForced) {
  Install();
  ASSERT_TRUE(LoadNewDev());
  UpdateAdapterDrivers();
  InstallAdapterDriver(1);
  EXPECT_EQ(calls, (std::vector<std::string>{"USB\\VID_0403&PID_6001|U2C\\FTDIBUS.INF|1",
                                             "FTDIBUS\\COMPORT&VID_0403&PID_6001|U2C\\FTDIPORT.INF|1",
                                             "FTDIBUS\\COMPORT&VID_0403&PID_6001|U2C\\FTDIPORT.INF|1"}));
}

TEST_F(DriverBinding, AnErrorInTheFirstCallSkipsTheSecondAndPasses) {
  Install(1);
  ASSERT_TRUE(LoadNewDev());
  EXPECT_THROW(UpdateAdapterDrivers(), Error);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DriverBinding, NothingIsCalledOnceUnloadedOrWithoutInstaller) {
  Install();
  ASSERT_TRUE(LoadNewDev());
  UnloadNewDev();
  EXPECT_THROW(UpdateAdapterDrivers(), Error);
  SetDriverInstallerForTesting(DriverInstaller());
  EXPECT_FALSE(LoadNewDev());
  EXPECT_THROW(InstallAdapterDriver(0), Error);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace gt7p
