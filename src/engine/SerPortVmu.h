// The program's serial port seen through the dialogue engine's small port interface. Reads wait by polling the
// input queue, so that the reader thread's events and the engine's reads never wait on each other; the engine's
// chunk notification rides on the port's received-characters event and the port's own handler is put back when
// the engine lets go of it.
//
// Hand-over: SetOnChunk (and the destructor) return only when no call of the handler they replace is still running
// in another thread, so the engine may be freed right after it has restored the previous handler, whether the port
// is closed before or after. A handler that replaces itself from inside its own call does not wait for itself.
#pragma once

#include "engine/VmuPort.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TCustomSerPort;

class TSerPortVmu final : public TVmuPort {
public:
    explicit TSerPortVmu(TCustomSerPort& Port);
    ~TSerPortVmu() override;
    TSerPortVmu(const TSerPortVmu&) = delete;
    TSerPortVmu& operator=(const TSerPortVmu&) = delete;

    int Read(char* Buffer, int Count, int TimeoutMs) override;
    void WriteStr(const std::string& Text) override;
    void ClearBuffer(bool Input, bool Output) override;
    bool DSR() override;   // a port without modem lines (a pseudo-terminal) reads as on
    TChunkEvent SetOnChunk(TChunkEvent Handler) override;

private:
    // What the port's event calls through. Shared with the installed event handler, which the port may still be
    // calling (on a copy) after this object is gone.
    struct TSlot {
        std::mutex Lock;
        std::condition_variable Idle;
        TChunkEvent Current;
        std::vector<std::thread::id> Running;   // one entry per call under way
        void Call();
        // Installs Handler and waits until no other thread runs a call any more; returns the handler replaced.
        TChunkEvent Replace(TChunkEvent Handler);
    };

    TCustomSerPort& Port;
    std::shared_ptr<TSlot> Slot;
    std::mutex Lock;   // Installed and Saved
    bool Installed = false;
    std::function<void(TCustomSerPort&, int)> Saved;   // the port's own received-characters handler
};
