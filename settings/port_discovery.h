// The serial ports of this machine as the settings dialog offers them.
//
// One line per port: the port name, two blanks, the device in parentheses,
// and " USB转串口设备" for a USB-to-serial adapter, e.g.
//   COM5  (\device\vcp0) USB转串口设备        (Windows, from the registry)
//   /dev/ttyUSB0  (ftdi_sio) USB转串口设备    (Linux, from sysfs)
// The dialog takes the port name back as the text before the first blank.
// Texts are code page 936. Nothing throws; an unreadable source gives no
// lines.
#pragma once

#include <string>
#include <vector>

namespace gt7p {

// port_discovery_linux.cpp or port_discovery_win32.cpp.
std::vector<std::string> ListSerialPorts();

std::string PortEntryLine(const std::string& port, const std::string& device, bool usbSerial);

// The entry of one value of the registry key of serial ports (value name
// \Device\Serial0, data COM1): port upper-cased, device lower-cased, both
// trimmed; "" unless the port's first four characters lie between "COM1"
// and "COM9". Marked as an adapter when the device name holds "VCP".
std::string WindowsPortEntry(const std::string& valueName, const std::string& data);

// Entries of a sysfs tty class folder (/sys/class/tty), in name order, as
// /dev paths: ttyUSB*, ttyACM*, ttyAMA*, ttymxc* and ttyXRUSB* with a
// device behind them, ttyS* only with a UART present, and every bound
// Bluetooth rfcomm*. The device shown is the driver ("bluetooth" for an
// rfcomm port without one); adapters on the usb-serial bus and ttyXRUSB*
// are marked.
std::vector<std::string> SysfsSerialPorts(const std::string& classDir);

}  // namespace gt7p
