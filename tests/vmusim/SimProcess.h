// Test helper: runs build/bin/vmusim as a child process and talks to it over its pseudo-terminal like a terminal
// would. Every wait has a deadline (generous, for a loaded machine) and none is a sleep used as synchronisation.
#pragma once

#include "support/SimulatorChild.h"

#include <string>
#include <vector>

class TSimProcess {
public:
    static std::string Binary();  // the simulator beside the tests; "" when it was not built
    explicit TSimProcess(const std::vector<std::string>& args);
    ~TSimProcess();
    TSimProcess(const TSimProcess&) = delete;
    TSimProcess& operator=(const TSimProcess&) = delete;

    bool Started() const { return Fd >= 0; }
    const std::string& PtyPath() const { return Child.Path; }

    void Send(const std::string& text);
    // What arrives until the text received since the last call ends with `tail` (or the time is up).
    std::string ReadUntil(const std::string& tail, int timeoutMs = 15000);
    // What arrives until the line has been quiet for `quietMs` (or `maxMs` passed).
    std::string ReadQuiet(int quietMs, int maxMs = 15000);
    bool HungUp() const { return Hup; }
    bool Exited() { return Child.Exited(); }  // ended by itself, as after a dropped line

    // Wakes the device and logs in with the password; returns the whole answer.
    std::string Login(const std::string& password = "ADMIN");
    // Sends keys and waits for the prompt that ends the answer.
    std::string Keys(const std::string& keys, const std::string& prompt) {
        Send(keys);
        return ReadUntil(prompt);
    }

    void CloseLine();  // lets another program use the pseudo-terminal
    void ReopenLine();
    int Stop();        // SIGTERM and the exit status

private:
    // One wait of at most timeoutMs and one read into Pending; false when nothing came.
    bool ReadChunk(int timeoutMs);
    std::string TakePending();
    TSimulatorChild Child;
    int Fd = -1;
    std::string Pending;
    bool Hup = false;
};

// Runs the simulator to its end (for option errors) and returns its exit status and everything it printed.
int RunSimToEnd(const std::vector<std::string>& args, std::string& output);

std::string TempPath(const std::string& name);
std::string ReadFile(const std::string& path);
