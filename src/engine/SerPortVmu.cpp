// The serial port behind the dialogue engine's port interface.
#include "engine/SerPortVmu.h"

#include "serial/SerPort.h"

#include <algorithm>
#include <chrono>
#include <thread>

TSerPortVmu::TSerPortVmu(TCustomSerPort& Port) : Port(Port), Slot(std::make_shared<TSlot>()) {}

TSerPortVmu::~TSerPortVmu()
{
    std::lock_guard<std::mutex> g(Lock);
    if (Installed)
        Port.OnRxChar = Saved;
    Slot->Replace(nullptr);
}

void TSerPortVmu::TSlot::Call()
{
    TChunkEvent call;
    {
        std::lock_guard<std::mutex> g(Lock);
        if (!Current)
            return;
        call = Current;
        Running.push_back(std::this_thread::get_id());
    }
    // The copy goes before the call is counted out: once Replace has returned, nothing of the old handler is left.
    struct TLeave {
        TSlot& Slot;
        TChunkEvent& Call;
        ~TLeave()
        {
            Call = nullptr;
            std::lock_guard<std::mutex> g(Slot.Lock);
            Slot.Running.erase(std::find(Slot.Running.begin(), Slot.Running.end(), std::this_thread::get_id()));
            Slot.Idle.notify_all();
        }
    } leave{*this, call};
    call();
}

TVmuPort::TChunkEvent TSerPortVmu::TSlot::Replace(TChunkEvent Handler)
{
    std::unique_lock<std::mutex> g(Lock);
    TChunkEvent previous = std::move(Current);
    Current = std::move(Handler);
    const std::thread::id self = std::this_thread::get_id();
    Idle.wait(g, [&] { return std::all_of(Running.begin(), Running.end(), [&](auto id) { return id == self; }); });
    return previous;
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
    const bool wanted = bool(Handler);
    if (wanted && !Installed) {
        Saved = Port.OnRxChar.get();
        Installed = true;
        std::shared_ptr<TSlot> slot = Slot;
        Port.OnRxChar = [slot](TCustomSerPort&, int) { slot->Call(); };
    }
    TChunkEvent previous = Slot->Replace(std::move(Handler));
    if (!wanted && Installed) {
        Port.OnRxChar = Saved;
        Saved = nullptr;
        Installed = false;
    }
    return previous;
}
