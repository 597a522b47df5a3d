// The logic behind a port-setting picker: which texts a setting offers, which one stands for the port's current
// value, and writing a chosen text back to the port. No widget here; the picker (ui/SerComboBox) mirrors Items.
// Mended on purpose: a port name that the machine's list lacks is added to the list, so the current port is shown
// and kept, and applying without any chosen name leaves the port's name alone (never "COM1" by accident). The
// ports in KnownPorts (the one the program was started on) are listed as well, so that a user who tried another
// port can always go back to it.
#pragma once

#include "serial/SerPort.h"

#include <string>
#include <vector>

enum TSerProperty { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };

class TSerSelect {
public:
    std::string Port;   // the chosen values, one per property
    TBaudRate BaudRate = br9600;
    TDataBits DataBits = dbEight;
    TStopBits StopBits = sbOneStopBit;
    TParityBits Parity = prNone;
    TFlowControl FlowControl = fcNone;
    std::vector<std::string> Items;
    TCustomSerPort* ComPort = nullptr;   // not owned
    bool AutoApply = false;
    // Listed after the machine's ports when it lacks them (a pseudo-terminal, an unplugged adapter).
    std::vector<std::string> KnownPorts;

    TSerProperty ComProperty() const { return FComProperty; }
    void SetComProperty(TSerProperty Value);   // stores it and fills Items

    void SelectPort();   // raises ESerPort 15 when the ports cannot be listed
    void SelectBaudRate();
    void SelectDataBits();
    void SelectStopBits();
    void SelectParity();
    void SelectFlowControl();

    // Takes a text chosen by the user as the value of the current property; applies it when AutoApply is on.
    void ChangeComboText(const std::string& Text);
    // Writes the chosen value of the current property to the port.
    void ApplySettings();
    // The index in Items of the port's current value (-1 when absent or without a port); stores it as chosen.
    int UpdateSettings();

private:
    TSerProperty FComProperty = cpNone;
};
