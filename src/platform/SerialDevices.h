// The serial devices of this machine, in place of the system's port list: every /dev/ttyS*, /dev/ttyUSB* and
// /dev/ttyACM* that exists, ordered by kind (ttyS, ttyUSB, ttyACM) and then by number (ttyS2 before ttyS10).
// On failure (the folder cannot be read) the list is left empty and the system's error number is returned.
#pragma once

#include <string>
#include <vector>

// Fills Paths with full device paths; returns 0, or errno when Folder could not be listed. Folder is for tests.
int EnumSerialDevices(std::vector<std::string>& Paths, const std::string& Folder = "/dev");
