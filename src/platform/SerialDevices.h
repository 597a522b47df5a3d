// The serial devices of this machine, in place of the system's port list: every /dev/ttyS*, /dev/ttyUSB* and
// /dev/ttyACM* that exists, ordered by kind (ttyS, ttyUSB, ttyACM) and then by number (ttyS2 before ttyS10).
// On failure (the folder cannot be read) the list is left empty and the system's error number is returned.
//
// A ttyS node is listed only when a UART stands behind it: the kernel makes a fixed number of them (4 to 32 on a
// desktop) whatever the hardware, and those placeholders would fail only when opened. Its entry in the kernel's
// tty folder must have a driver, and the port type the serial driver reports (the entry's "type" file, else the
// serial-information request on the device) must not be "unknown" (0). Where neither can be asked (no entry and
// the device cannot be opened) the node is listed, as a port that might work. USB and ACM nodes are always
// listed: they exist only while their device is plugged in.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The port type the serial driver reports for a device path: 0 for a placeholder without a UART; nullopt when it
// cannot be asked (the device cannot be opened for a reason other than missing hardware, or is no serial port).
// Opening the device may raise its modem lines, so the kernel's tty folder is asked first.
std::optional<int> SerialPortType(const std::string& Path);

// Where a ttyS node's hardware is looked up; tests point both at their own stand-ins.
struct TTtyProbe {
    // The kernel's tty folder: one sub-folder per device name, with "device/driver" and "type". Empty: not asked.
    std::string SysfsFolder = "/sys/class/tty";
    std::function<std::optional<int>(const std::string& Path)> SerialType = SerialPortType;
};

// Whether the ttyS node Name (its device file at Path) has a UART behind it, by the rule above.
bool TtyHasDevice(const std::string& Name, const std::string& Path, const TTtyProbe& Probe);

// Fills Paths with full device paths; returns 0, or errno when Folder could not be listed. Folder is for tests.
int EnumSerialDevices(std::vector<std::string>& Paths, const std::string& Folder = "/dev",
    const TTtyProbe& Probe = TTtyProbe());
