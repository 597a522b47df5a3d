// Line settings to termios: one pure function, so that what reaches the driver can be checked without a device.
// The caller hands in the driver's current structure (to keep fields we do not own) and gets back the new one;
// rates that termios has no constant for come back in CustomRate, to be set through SetCustomBaudRate().
// Settings termios cannot express (DSR output flow, DTR handshake, RTS toggle, null discard, a replacement
// character other than 0, continue-on-XOFF) are left out; the port says so where it keeps them.
#pragma once

#include <cstdint>
#include <termios.h>

struct TSerLineSettings {
    int32_t BaudRate = 9600;     // bits per second
    int DataBits = 8;            // 5..8
    int Parity = 0;              // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int StopBits = 0;            // 0 one, 1 one and a half, 2 two
    bool CtsFlow = false;        // CTS output flow or RTS handshake: hardware flow control
    bool XonXoffOut = false;
    bool XonXoffIn = false;
    bool ParityCheck = false;
    unsigned char XonChar = 17;
    unsigned char XoffChar = 19;
};

// Builds the raw-mode structure for Settings on top of Current. Returns false (and leaves Result alone) when the
// settings cannot be expressed at all: a rate of zero or less (which termios would take as "hang up the line"),
// data bits outside 5..8, parity or stop bits out of range.
bool SettingsToTermios(const TSerLineSettings& Settings, const termios& Current, termios& Result,
    uint32_t& CustomRate);

// The termios speed constant of a standard rate, or 0 (B0) when the rate has none.
speed_t StandardSpeed(int32_t Rate);
