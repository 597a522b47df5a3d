// Rates that termios has no constant for (14400, 56000, 128000, 256000, any custom rate), set through the
// kernel's termios2 interface with BOTHER. Kept apart because its headers cannot share a unit with <termios.h>.
// Both calls return 0 or the system's error number and leave the line unchanged on failure.
#pragma once

#include <cstdint>

int SetCustomBaudRate(int Fd, uint32_t Rate);
// The rates the driver holds now (what a custom rate came out as).
int GetBaudRates(int Fd, uint32_t& InputRate, uint32_t& OutputRate);
