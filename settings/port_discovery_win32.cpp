#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/port_discovery.h"

namespace gt7p {

std::vector<std::string> ListSerialPorts() {
  std::vector<std::string> lines;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "hardware\\devicemap\\serialcomm", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return lines;
  DWORD count = 0, longestName = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, nullptr,
                       nullptr, nullptr) == ERROR_SUCCESS) {
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; ++i) {
      std::string name(longestName + 1, '\0');
      DWORD length = longestName + 1;
      if (RegEnumValueA(key, i, &name[0], &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        names.push_back(name.substr(0, length));
    }
    for (const std::string& name : names) {
      DWORD type = 0, size = 0;
      if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        continue;
      std::string data(size, '\0');
      if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size) !=
          ERROR_SUCCESS)
        continue;
      data.resize(std::min<size_t>(size, data.size()));
      while (!data.empty() && data.back() == '\0') data.pop_back();
      std::string line = WindowsPortEntry(name, data);
      if (!line.empty()) lines.push_back(line);
    }
  }
  RegCloseKey(key);
  return lines;
}

}  // namespace gt7p
