// The real clock of the dialogue engine.
#include "engine/VmuPort.h"

#include <thread>

namespace {
class TSteadyClock final : public TEngineClock {
public:
    TTime Now() override { return std::chrono::steady_clock::now(); }
    void Sleep(int Ms) override
    {
        if (Ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(Ms));
        else
            std::this_thread::yield();
    }
};
}

TEngineClock& TEngineClock::Steady()
{
    static TSteadyClock clock;
    return clock;
}
