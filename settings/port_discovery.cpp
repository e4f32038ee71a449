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
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(PathFromText(classDir), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool uart = name.rfind("ttyS", 0) == 0;
    if (!uart && name.rfind("ttyUSB", 0) != 0 && name.rfind("ttyACM", 0) != 0) continue;
    if (!fs::exists(it->path() / "device", ec) || (uart && !HasUart(it->path()))) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end(), NameBefore);
  std::vector<std::string> lines;
  for (const std::string& name : names) {
    const fs::path device = PathFromText(classDir) / name / "device";
    const bool usbSerial = LinkName(device / "subsystem") == "usb-serial";
    lines.push_back(PortEntryLine("/dev/" + name, LowerCaseCp936(DriverName(device)), usbSerial));
  }
  return lines;
}

}  // namespace gt7p
