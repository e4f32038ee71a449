// ListSerialPorts on the registry key that Windows fills with its serial
// ports; the test adds values of its own and removes them again.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/cp936.h"
#include "settings/port_discovery.h"

namespace gt7p {
namespace {

const char kKey[] = "hardware\\devicemap\\serialcomm";

class RegistryPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    for (const std::string& name : added_) RegDeleteValueA(key_, name.c_str());
    RegCloseKey(key_);
  }
  void Add(const std::string& name, const std::string& data, DWORD type = REG_SZ) {
    ASSERT_EQ(RegSetValueExA(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
    added_.push_back(name);
  }
  static bool Listed(const std::string& line) {
    const std::vector<std::string> lines = ListSerialPorts();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  static bool AnyLineNames(const std::string& device) {
    for (const std::string& line : ListSerialPorts())
      if (line.find(device) != std::string::npos) return true;
    return false;
  }

  HKEY key_ = nullptr;
  std::vector<std::string> added_;
};

TEST_F(RegistryPorts, BuiltInAndAdapterLines) {
  Add("\\Device\\GT7PSerial0", "COM41");
  Add(" \\Device\\GT7PVCP0 ", " com42 ");
  EXPECT_TRUE(Listed("COM41  (\\device\\gt7pserial0)"));
  EXPECT_TRUE(Listed("COM42  (\\device\\gt7pvcp0)" + Utf8ToCp936(" USB转串口设备")));
}

TEST_F(RegistryPorts, OnlyComOneToNineAsFirstFourCharacters) {
  Add("\\Device\\GT7PSerial1", "COM12");
  Add("\\Device\\GT7PSerial2", "COM0");
  Add("\\Device\\GT7PSerial3", "LPT1");
  Add("\\Device\\GT7PSerial4", "CO");
  EXPECT_TRUE(Listed("COM12  (\\device\\gt7pserial1)"));
  for (const char* dropped : {"gt7pserial2", "gt7pserial3", "gt7pserial4"}) EXPECT_FALSE(AnyLineNames(dropped));
}

TEST_F(RegistryPorts, ValueThatIsNotTextIsLeftOut) {
  Add("\\Device\\GT7PSerial5", "COM43", REG_BINARY);
  Add("\\Device\\GT7PSerial6", "COM44");
  EXPECT_FALSE(AnyLineNames("gt7pserial5"));
  EXPECT_TRUE(Listed("COM44  (\\device\\gt7pserial6)"));
}

}  // namespace
}  // namespace gt7p
