#include "settings/port_discovery.h"

namespace gt7p {

std::vector<std::string> ListSerialPorts() { return SysfsSerialPorts("/sys/class/tty"); }

}  // namespace gt7p
