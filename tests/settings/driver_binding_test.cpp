#include "driver_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error.h"

namespace gt7p {
namespace {

struct InstallCall {
  void* parentWindow;
  std::string hardwareId;
  std::string infPath;
  uint32_t flags;
  int* rebootRequired;
};

class DriverBinding : public ::testing::Test {
 protected:
  void TearDown() override {
    UnloadNewDev();
    ResetDriverInstallerForTesting();
  }

  DriverInstaller Recorder(int throwOnCall = -1) {
    return [this, throwOnCall](void* parent, const char* id, const char* inf, uint32_t flags, int* reboot) {
      calls.push_back({parent, id, inf, flags, reboot});
      if (static_cast<int>(calls.size()) == throwOnCall) {
        throw Error("device installer failed");
      }
      return 1;
    };
  }

  std::vector<InstallCall> calls;
};

TEST_F(DriverBinding, UpdateMakesTheBusThenThePortCallForcedWithoutWindowOrRebootFlag) {
  SetDriverInstallerForTesting(Recorder());
  ASSERT_TRUE(LoadNewDev());
  UpdateAdapterDrivers();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].hardwareId, "USB\\VID_0403&PID_6001");
  EXPECT_EQ(calls[0].infPath, "U2C\\FTDIBUS.INF");
  EXPECT_EQ(calls[1].hardwareId, "FTDIBUS\\COMPORT&VID_0403&PID_6001");
  EXPECT_EQ(calls[1].infPath, "U2C\\FTDIPORT.INF");
  for (const InstallCall& call : calls) {
    EXPECT_EQ(call.parentWindow, nullptr);
    EXPECT_EQ(call.flags, 1u);
    EXPECT_EQ(call.rebootRequired, nullptr);
  }
}

TEST_F(DriverBinding, SingleCallsCanBeMadeOneByOne) {
  SetDriverInstallerForTesting(Recorder());
  ASSERT_TRUE(LoadNewDev());
  InstallAdapterDriver(1);
  InstallAdapterDriver(0);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].infPath, "U2C\\FTDIPORT.INF");
  EXPECT_EQ(calls[1].infPath, "U2C\\FTDIBUS.INF");
  EXPECT_THROW(InstallAdapterDriver(2), Error);
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(DriverBinding, AnErrorInTheFirstCallSkipsTheSecondAndPasses) {
  SetDriverInstallerForTesting(Recorder(1));
  ASSERT_TRUE(LoadNewDev());
  EXPECT_THROW(UpdateAdapterDrivers(), Error);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DriverBinding, NothingIsCalledOnceUnloadedOrWhenNoInstallerExists) {
  SetDriverInstallerForTesting(Recorder());
  ASSERT_TRUE(LoadNewDev());
  UnloadNewDev();
  EXPECT_THROW(UpdateAdapterDrivers(), Error);
  EXPECT_TRUE(calls.empty());

  SetDriverInstallerForTesting(DriverInstaller());
  EXPECT_FALSE(LoadNewDev());
  EXPECT_THROW(UpdateAdapterDrivers(), Error);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace gt7p
