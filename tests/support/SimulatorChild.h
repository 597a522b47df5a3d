// The device simulator as a child process, for the tests and benchmarks that drive the engine against it: started
// with the given arguments, its first output line names its pseudo-terminal (Path), and it is ended with the
// object. Path stays empty when the binary is missing or never said where its line is.
#pragma once

#include <chrono>
#include <csignal>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class TSimulatorChild {
public:
    TSimulatorChild(const std::string& Binary, std::vector<std::string> Args)
    {
        int out[2];
        if (!std::filesystem::exists(Binary) || ::pipe(out) != 0)
            return;
        Args.insert(Args.begin(), Binary);
        std::vector<char*> argv;
        for (std::string& a : Args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        Pid = ::fork();
        if (Pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // The first line names the pseudo-terminal: "vmusim: /dev/pts/N". A loaded machine gets 20 s for it.
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Pid > 0 && line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            pollfd p{out[0], POLLIN, 0};
            char buf[256];
            ssize_t n = left > 0 && ::poll(&p, 1, int(left)) > 0 ? ::read(out[0], buf, sizeof buf) : 0;
            if (n <= 0)
                break;
            line.append(buf, size_t(n));
        }
        ::close(out[0]);  // later lines are not needed; the simulator ignores a closed stdout
        size_t colon = line.find(": "), nl = line.find('\n');
        if (colon != std::string::npos && nl != std::string::npos)
            Path = line.substr(colon + 2, nl - colon - 2);
    }
    ~TSimulatorChild() { Stop(); }
    // SIGTERM, then the exit status as waitpid gives it; -1 when it was not running.
    int Stop()
    {
        if (Pid > 0) {
            ::kill(Pid, SIGTERM);
            ::waitpid(Pid, &Status, 0);
            Pid = -1;
        }
        return Status;
    }
    // Whether the simulator has ended by itself (a dropped line ends it); never waits.
    bool Exited()
    {
        if (Pid > 0 && ::waitpid(Pid, &Status, WNOHANG) == Pid)
            Pid = -1;
        return Pid <= 0;
    }
    TSimulatorChild(const TSimulatorChild&) = delete;
    TSimulatorChild& operator=(const TSimulatorChild&) = delete;

    pid_t Pid = -1;
    int Status = -1;
    std::string Path;
};
