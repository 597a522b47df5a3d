// The serial port behind the dialogue engine's port interface.
#include "engine/SerPortVmu.h"

#include "serial/SerPort.h"

#include <algorithm>
#include <chrono>
#include <thread>

TSerPortVmu::~TSerPortVmu()
{
    if (Installed)
        Port.OnRxChar = Saved;
}

int TSerPortVmu::Read(char* Buffer, int Count, int TimeoutMs)
{
    if (Count <= 0)
        return 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(TimeoutMs, 0));
    for (;;) {
        int waiting = Port.InputCount();
        if (waiting > 0)
            return Port.ReadFor(Buffer, std::min(waiting, Count), 100);
        if (std::chrono::steady_clock::now() >= end)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TSerPortVmu::WriteStr(const std::string& Text) { Port.WriteStr(Text); }

void TSerPortVmu::ClearBuffer(bool Input, bool Output) { Port.ClearBuffer(Input, Output); }

bool TSerPortVmu::DSR() { return Port.Signals().contains(csDSR); }

TVmuPort::TChunkEvent TSerPortVmu::SetOnChunk(TChunkEvent Handler)
{
    std::lock_guard<std::mutex> g(Lock);
    TChunkEvent previous = std::move(Current);
    Current = std::move(Handler);
    if (Current) {
        if (!Installed) {
            Saved = Port.OnRxChar.get();
            Installed = true;
        }
        TChunkEvent call = Current;
        Port.OnRxChar = [call](TCustomSerPort&, int) { call(); };
    } else if (Installed) {
        Port.OnRxChar = Saved;
        Saved = nullptr;
        Installed = false;
    }
    return previous;
}
