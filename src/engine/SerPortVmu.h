// The program's serial port seen through the dialogue engine's small port interface. Reads wait by polling the
// input queue, so that the reader thread's events and the engine's reads never wait on each other; the engine's
// chunk notification rides on the port's received-characters event and the port's own handler is put back when
// the engine lets go of it.
#pragma once

#include "engine/VmuPort.h"

#include <mutex>

class TCustomSerPort;

class TSerPortVmu final : public TVmuPort {
public:
    explicit TSerPortVmu(TCustomSerPort& Port) : Port(Port) {}
    ~TSerPortVmu() override;
    TSerPortVmu(const TSerPortVmu&) = delete;
    TSerPortVmu& operator=(const TSerPortVmu&) = delete;

    int Read(char* Buffer, int Count, int TimeoutMs) override;
    void WriteStr(const std::string& Text) override;
    void ClearBuffer(bool Input, bool Output) override;
    bool DSR() override;   // a port without modem lines (a pseudo-terminal) reads as on
    TChunkEvent SetOnChunk(TChunkEvent Handler) override;

private:
    TCustomSerPort& Port;
    std::mutex Lock;
    TChunkEvent Current;
    bool Installed = false;
    std::function<void(TCustomSerPort&, int)> Saved;   // the port's own received-characters handler
};
