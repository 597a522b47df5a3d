// The line-status policy: how the modem lines and line errors of a descriptor are read, including devices that
// have none. A pseudo-terminal (the device simulator's line) has no modem lines: where TIOCMGET fails with
// ENOTTY/EINVAL, CTS, DSR and RLSD read as on; a hang-up (POLLHUP on the descriptor, or EIO) reads as all lines
// off, so the program sees DSR drop when the other side goes away. Setting DTR or RTS on such a device succeeds
// and does nothing. All calls return 0 or the system's error number.
#pragma once

#include <cstdint>

struct TLineStatus {
    bool CTS = false, DSR = false, Ring = false, RLSD = false;
    bool HungUp = false;
    bool ModemLines = false;   // the device reported real modem lines
};

// Line error counters as far as the driver keeps them (zero where it keeps none).
struct TLineCounters {
    uint32_t Frame = 0, Parity = 0, Overrun = 0, BufOverrun = 0, Break = 0;
};

bool LineHungUp(int Fd);
int ReadLineStatus(int Fd, TLineStatus& Status);
int SetModemLine(int Fd, int Line, bool On);   // Line: TIOCM_DTR or TIOCM_RTS
void ReadLineCounters(int Fd, TLineCounters& Counters);
