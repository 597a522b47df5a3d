// Helpers of the transfer tests: temporary folders, files of given sizes, a peer started through socat on a
// pseudo-terminal, a relay that damages bytes on their way, and a byte comparison that fails in a few words.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

std::string MakeTempDir();
void RemoveTree(const std::string& Dir);
std::string ReadFileBytes(const std::string& Name);
void WriteFileBytes(const std::string& Name, const std::string& Data);
// Bytes that differ from one position to the next (no long runs), reproducible from Seed.
std::string PatternBytes(size_t Size, unsigned Seed);
bool FileExists(const std::string& Name);
// Names in Dir, sorted.
std::vector<std::string> ListDir(const std::string& Dir);
bool ToolExists(const std::string& Name);
// Whether a transfer delivered Want. A difference is told by the sizes, the first differing offset and a hash of
// each buffer, never by the bytes: a hundred kilobytes of binary would bury the log.
testing::AssertionResult SameBytes(const std::string& Got, const std::string& Want);
// How much slower than at rest this machine runs now: the one-minute load per processor, rounded up, at least 1.
// Time-outs between two threads of one test stretch by it, since a peer waiting for a processor is no silent peer.
int LoadFactor();

// socat PTY,raw,echo=0,link=<Link> EXEC:"<Command>" started in WorkDir; the link appears once it runs. With
// Address, socat joins that address to the command instead (e.g. an existing link, to put a second peer on it).
class TSocatPeer {
public:
    TSocatPeer(const std::string& Command, const std::string& WorkDir, const std::string& Link,
        const std::string& Address = "");
    ~TSocatPeer();   // kills the peer when it is still running
    bool WaitForLink(int TimeoutMs = 20000);
    // Exit status of socat (which follows its command); -1 when it did not end in time (it is then killed).
    int Wait(int TimeoutMs = 60000);
    std::string Link;

private:
    int Pid = -1;
};

// Copies bytes both ways between two descriptors, damaging about one byte in Rate (0: none) at random from
// Seed. Stops when either side closes or on Stop().
class TNoisyRelay {
public:
    TNoisyRelay(int FdA, int FdB, unsigned Seed, unsigned Rate);
    ~TNoisyRelay();
    void Stop();
    std::atomic<int> Damaged{0};

private:
    void Run();
    int A, B;
    unsigned Seed, Rate;
    std::atomic<bool> Stopping{false};
    std::thread Worker;
};
