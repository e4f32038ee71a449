// Port entries from the Windows registry values and from a sysfs tree.
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/port_discovery.h"
#include "tests/support/link_test_support.h"

namespace gt7p {
namespace test {
namespace {
namespace fs = std::filesystem;

TEST(PortDiscoveryTest, WindowsRegistryValues) {
  EXPECT_EQ(WindowsPortEntry("\\Device\\Serial0", "COM1"), "COM1  (\\device\\serial0)");
  EXPECT_EQ(WindowsPortEntry(" \\Device\\VCP0 ", " COM5 "), "COM5  (\\device\\vcp0)" + G(" USB转串口设备"));
  EXPECT_EQ(WindowsPortEntry("\\Device\\Serial2", "com3"), "COM3  (\\device\\serial2)");
  EXPECT_EQ(WindowsPortEntry("\\Device\\Serial3", "COM12"), "COM12  (\\device\\serial3)");
  for (const char* dropped : {"COM0", "COM", "LPT1", "CNCA0"}) EXPECT_EQ(WindowsPortEntry("\\Device\\X", dropped), "");
}

// A sysfs class folder with the device links the kernel makes.
class FakeSysfs {
 public:
  void Port(const std::string& name, const std::string& bus, const std::string& driver, const char* type = nullptr) {
    const fs::path device = root_.path() / "devices" / name;
    fs::create_directories(device);
    fs::create_directories(root_.path() / "bus" / bus / "drivers" / driver);
    fs::create_directory_symlink(root_.path() / "bus" / bus, device / "subsystem");
    fs::create_directory_symlink(root_.path() / "bus" / bus / "drivers" / driver, device / "driver");
    Tty(name, device, type);
  }
  void Tty(const std::string& name, const fs::path& device, const char* type) {
    fs::create_directories(root_.path() / "class" / name);
    if (!device.empty()) fs::create_directory_symlink(device, root_.path() / "class" / name / "device");
    if (type) WriteFile(TextFromPath(root_.path() / "class" / name / "type"), type);
  }
  std::string ClassDir() const { return TextFromPath(root_.path() / "class"); }
  const fs::path& root() const { return root_.path(); }

 private:
  TempDir root_;
};

TEST(PortDiscoveryTest, SysfsRealPortsOnly) {
  FakeSysfs sys;
  sys.Port("ttyUSB0", "usb-serial", "ftdi_sio");
  sys.Port("ttyACM0", "usb", "cdc_acm");
  sys.Port("ttyS10", "pnp", "serial", "4");
  sys.Port("ttyS2", "pnp", "serial", "4");
  sys.Port("ttyS3", "pnp", "serial", "0");  // no UART behind it
  sys.Tty("tty1", {}, nullptr);
  sys.Tty("ttyUSB9", {}, nullptr);  // gone: no device
  // Newer kernels: tty -> serial-base "port" -> serial-base "ctrl" -> the device.
  const fs::path real = sys.root() / "devices" / "00:01";
  sys.Port("00:01", "platform", "serial8250");
  fs::create_directories(real / "ctrl" / "port");
  fs::create_directories(sys.root() / "bus" / "serial-base" / "drivers" / "port");
  fs::create_directory_symlink(sys.root() / "bus" / "serial-base", real / "ctrl" / "port" / "subsystem");
  fs::create_directory_symlink(sys.root() / "bus" / "serial-base" / "drivers" / "port", real / "ctrl" / "port" / "driver");
  sys.Tty("ttyS0", real / "ctrl" / "port", "4");

  EXPECT_EQ(SysfsSerialPorts(sys.ClassDir()), (std::vector<std::string>{
                                                  "/dev/ttyACM0  (cdc_acm)",
                                                  "/dev/ttyS0  (serial8250)",
                                                  "/dev/ttyS2  (serial)",
                                                  "/dev/ttyS10  (serial)",
                                                  "/dev/ttyUSB0  (ftdi_sio)" + G(" USB转串口设备"),
                                              }));
  EXPECT_TRUE(SysfsSerialPorts(sys.ClassDir() + "/missing").empty());
}

TEST(PortDiscoveryTest, SysfsFieldPcClasses) {
  FakeSysfs sys;
  sys.Port("ttyAMA0", "amba", "uart-pl011");
  sys.Port("ttymxc1", "platform", "imx-uart");
  sys.Port("ttyXRUSB0", "usb", "xr_usb_serial");
  sys.Port("hci0:12", "bluetooth", "btusb");
  sys.Tty("rfcomm0", {}, nullptr);  // bound, link not up: no device yet
  sys.Tty("rfcomm1", sys.root() / "devices" / "hci0:12", nullptr);
  sys.Tty("ttyAMA1", {}, nullptr);  // gone
  sys.Tty("ttyprintk", {}, nullptr);
  sys.Tty("ptmx", {}, nullptr);
  EXPECT_EQ(SysfsSerialPorts(sys.ClassDir()), (std::vector<std::string>{
                                                  "/dev/rfcomm0  (bluetooth)",
                                                  "/dev/rfcomm1  (btusb)",
                                                  "/dev/ttyAMA0  (uart-pl011)",
                                                  "/dev/ttyXRUSB0  (xr_usb_serial)" + G(" USB转串口设备"),
                                                  "/dev/ttymxc1  (imx-uart)",
                                              }));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
