#include "settings/port_discovery.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/cp936.h"
#include "base/text.h"

namespace gt7p {
namespace fs = std::filesystem;
namespace {

std::string LinkName(const fs::path& link) {
  std::error_code ec;
  fs::path target = fs::read_symlink(link, ec);
  return ec ? std::string() : target.filename().string();
}

// The driver that owns the port. Newer kernels put "port" and "ctrl"
// devices of the serial-base bus between the tty and the real device.
std::string DriverName(const fs::path& device) {
  std::error_code ec;
  fs::path at = fs::canonical(device, ec);
  for (int level = 0; !ec && level < 4 && at.has_relative_path(); ++level, at = at.parent_path()) {
    if (fs::exists(at / "driver", ec) && LinkName(at / "subsystem") != "serial-base") return LinkName(at / "driver");
  }
  return std::string();
}

bool HasUart(const fs::path& tty) {
  std::ifstream in(tty / "type");
  int type = 0;
  return in >> type && type > 0;  // 0 is PORT_UNKNOWN: no UART behind the name
}

// ttyS10 after ttyS9.
bool NameBefore(const std::string& a, const std::string& b) {
  auto split = [](const std::string& s) {
    size_t digits = s.find_last_not_of("0123456789") + 1;
    return std::make_pair(s.substr(0, digits), StrToIntDef(s.substr(digits), 0));
  };
  return split(a) < split(b);
}

}  // namespace

std::string PortEntryLine(const std::string& port, const std::string& device, bool usbSerial) {
  static const std::string kAdapter = Utf8ToCp936(" USB转串口设备");
  return port + "  (" + device + ")" + (usbSerial ? kAdapter : std::string());
}

std::string WindowsPortEntry(const std::string& valueName, const std::string& data) {
  const std::string device = LowerCaseCp936(Trim(valueName));
  const std::string port = UpperCaseCp936(Trim(data));
  const std::string head = port.substr(0, 4);
  if (head.size() < 4 || head < "COM1" || head > "COM9") return std::string();
  return PortEntryLine(port, device, UpperCaseCp936(device).find("VCP") != std::string::npos);
}

std::vector<std::string> SysfsSerialPorts(const std::string& classDir) {
  // The serial device classes a field PC may have. The 8250 driver makes
  // ttyS names whether or not a UART is there, so those need one. An
  // rfcomm port is bound before its link is up, and only a connected one
  // has a device behind it.
  struct PortClass {
    const char* prefix;
    bool needsDevice;
    bool needsUart;
    bool adapter;          // a USB-to-serial adapter whatever its bus
    const char* noDriver;  // shown when no driver owns the device
  };
  static const PortClass kClasses[] = {
      {"ttyS", true, true, false, ""},
      {"ttyUSB", true, false, false, ""},
      {"ttyACM", true, false, false, ""},
      {"ttyAMA", true, false, false, ""},  // on-board UARTs of ARM boards
      {"ttymxc", true, false, false, ""},
      {"ttyXRUSB", true, false, true, ""},  // Exar's driver: on the usb bus itself
      {"rfcomm", false, false, false, "bluetooth"},
  };
  struct Found {
    std::string name;
    const PortClass* portClass;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (fs::directory_iterator it(PathFromText(classDir), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const PortClass* portClass = nullptr;
    for (const PortClass& c : kClasses)
      if (name.rfind(c.prefix, 0) == 0) portClass = &c;
    if (!portClass) continue;
    std::error_code exists;
    if (portClass->needsDevice && !fs::exists(it->path() / "device", exists)) continue;
    if (portClass->needsUart && !HasUart(it->path())) continue;
    found.push_back({name, portClass});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return NameBefore(a.name, b.name); });
  std::vector<std::string> lines;
  for (const Found& port : found) {
    const fs::path device = PathFromText(classDir) / port.name / "device";
    const bool adapter = port.portClass->adapter || LinkName(device / "subsystem") == "usb-serial";
    std::string driver = LowerCaseCp936(DriverName(device));
    if (driver.empty()) driver = port.portClass->noDriver;
    lines.push_back(PortEntryLine("/dev/" + port.name, driver, adapter));
  }
  return lines;
}

}  // namespace gt7p
