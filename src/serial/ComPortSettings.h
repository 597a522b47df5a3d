// The port's section "COM Port Setup" of the settings file Orlantis.ini, and the display texts of the line
// settings that the setup dialog offers and the device reports. Only the port name, baud rate, data bits, parity
// and stop bits are kept there; every other setting of the port is fixed by the program.
// Values read from the file are checked: an ordinal outside its enumeration reads as the key's default.
// Reading a file that exists but cannot be read, and writing one that cannot be written, raise EFileError and
// leave the port, and the file, as they were.
#pragma once

#include "serial/SerPort.h"

#include <string>
#include <vector>

extern const char* const ComPortSettingsSection;   // "COM Port Setup"
// Orlantis.ini in the settings folder (platform/ProgramFolder.h).
std::string ComPortSettingsFileName();

// The choices offered, in list order, with the values they stand for.
template <class E>
struct TSerChoice {
    const char* Text;
    E Value;
};
const std::vector<TSerChoice<TBaudRate>>& BaudRateChoices();     // "300" .. "38400", no 14400
const std::vector<TSerChoice<TDataBits>>& DataBitsChoices();     // "7", "8"
const std::vector<TSerChoice<TParityBits>>& ParityChoices();     // "None", "Odd", "Even"
const std::vector<TSerChoice<TStopBits>>& StopBitsChoices();     // "1", "2"

// Writes the five keys from the port (nothing without a port); PortName, when not empty, is written as the port
// instead of the port's own name (a port the program was only started on for one run).
void SaveComPortSettings(TCustomSerPort* Port, const std::string& FileName = ComPortSettingsFileName(),
    const std::string& PortName = "");
// False, and the port unchanged, when the file has no section "COM Port Setup"; otherwise reads the five keys
// (missing or bad ones as their defaults: COM1, 9600, 8, None, 1), applies them in one update and gives True.
// Without a port: True, nothing read.
bool LoadComPortSettings(TCustomSerPort* Port, const std::string& FileName = ComPortSettingsFileName());
// Sets each setting whose text equals one of the choices exactly (case counts); other texts change nothing.
void ApplyComPortTexts(TCustomSerPort* Port, const std::string& BaudRate, const std::string& DataBits,
    const std::string& Parity, const std::string& StopBits);
