// The main window set to work with the device simulator as the tests and benchmarks drive it: on the simulator's
// line, typing at a quick pace, answering the administrator's password prompt, at a size that shows the section
// windows whole.
#pragma once

#include "engine/ManagerVMU.h"
#include "serial/SerPort.h"
#include "shell/main.h"

#include <string>

inline void ShowOnSimulator(TMainForm& M, const std::string& PtyPath)
{
    M.ComPort->SetPort(PtyPath);
    M.ComPort->Timeouts().SetReadInterval(0);
    M.ManagerVMU->CharPaceMs = 1;
    M.AdminPasswordPrompt = [](std::string& Text) {
        Text = "ADMIN";
        return true;
    };
    M.resize(1100, 760);
    M.show();
}
