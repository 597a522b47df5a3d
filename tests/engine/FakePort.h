// Test doubles for the dialogue engine: a clock that only moves when the engine waits or sleeps, and a port whose
// "device" is a script reacting to every line the engine types. Everything runs in the test's thread, so the
// tests are exact about time without ever sleeping.
#pragma once

#include "engine/VmuPort.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class TFakeClock : public TEngineClock {
public:
    TTime Now() override { return TTime(std::chrono::nanoseconds(FNow.load())); }
    void Sleep(int Ms) override { Advance(Ms); }
    void Advance(int64_t Ms) { FNow += Ms * 1000000; }
    void SetNs(int64_t Ns) { FNow = Ns; }
    int64_t Ns() const { return FNow.load(); }
    int64_t Ms() const { return FNow.load() / 1000000; }

private:
    std::atomic<int64_t> FNow{1000LL * 1000000};
};

class TFakePort : public TVmuPort {
public:
    explicit TFakePort(TFakeClock& Clock) : Clock(Clock) {}

    // The device: called with each complete line the engine typed (CR ends a line; LF is ignored).
    std::function<void(TFakePort&, const std::string&)> OnLine;

    // Schedules bytes to arrive DelayMs after now, or after the last output still on its way.
    void Arrive(const std::string& Bytes, int64_t DelayMs = 0)
    {
        int64_t from = Clock.Ns();
        if (!Pending.empty() && Pending.back().At > from)
            from = Pending.back().At;
        Pending.push_back({from + DelayMs * 1000000, Bytes});
    }

    int Read(char* Buffer, int Count, int TimeoutMs) override
    {
        ++Reads;
        if (Pending.empty() || Pending.front().At > Clock.Ns() + int64_t(TimeoutMs) * 1000000) {
            Clock.Advance(TimeoutMs);
            return 0;
        }
        if (Pending.front().At > Clock.Ns())
            Clock.SetNs(Pending.front().At);
        std::string& bytes = Pending.front().Bytes;
        int n = int(std::min<size_t>(bytes.size(), size_t(Count)));
        bytes.copy(Buffer, size_t(n));
        bytes.erase(0, size_t(n));
        if (bytes.empty())
            Pending.pop_front();
        Received += n;
        if (Chunk)
            Chunk();
        return n;
    }

    void WriteStr(const std::string& Text) override
    {
        for (char c : Text) {
            Written += c;
            WriteTimes.push_back(Clock.Ms());
            if (c == '\n')
                continue;
            if (c != '\r') {
                Line += c;
                continue;
            }
            std::string line = Line;
            Line.clear();
            Lines.push_back(line);
            if (OnLine)
                OnLine(*this, line);
        }
    }

    void ClearBuffer(bool Input, bool) override
    {
        ++Purges;
        // Only what has already arrived is thrown away; what the device prints later still comes.
        if (Input)
            while (!Pending.empty() && Pending.front().At <= Clock.Ns())
                Pending.pop_front();
    }

    // The line's DSR: off stands for a hang-up.
    bool DSR() override { return DsrOn; }
    bool DsrOn = true;

    TChunkEvent SetOnChunk(TChunkEvent Handler) override
    {
        TChunkEvent old = std::move(Chunk);
        Chunk = std::move(Handler);
        return old;
    }

    TFakeClock& Clock;
    struct TArrival {
        int64_t At;
        std::string Bytes;
    };
    std::deque<TArrival> Pending;
    std::string Written;
    std::vector<int64_t> WriteTimes;
    std::string Line;
    std::vector<std::string> Lines;
    int Purges = 0;
    int Reads = 0;
    int Received = 0;
    TChunkEvent Chunk;
};
