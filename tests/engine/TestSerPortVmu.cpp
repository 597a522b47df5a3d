// The engine's view of the program's serial port: handing the chunk notification over between threads.
#include "engine/SerPortVmu.h"
#include "serial/SerPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The engine restores the port's handler and may be freed at once (the tests that free the engine before closing
// the port do exactly that): a call of the engine's handler already under way in another thread must be over
// by the time the hand-over returns.
TEST(SerPortVmu, HandingTheChunkHandlerBackWaitsForACallUnderWay)
{
    TSerPort port;   // never opened: the event is raised by hand, as the reader thread would raise it
    int own = 0;
    port.OnRxChar = [&](TCustomSerPort&, int) { ++own; };
    std::mutex lock;
    std::vector<std::string> order;
    auto note = [&](const char* What) {
        std::lock_guard<std::mutex> g(lock);
        order.push_back(What);
    };
    TSerPortVmu link(port);
    std::atomic<bool> entered{false}, handingBack{false};
    EXPECT_FALSE(link.SetOnChunk([&] {
        entered = true;
        while (!handingBack)
            std::this_thread::yield();
        // Time for a hand-over that does not wait to return first; one that waits is in order however long this is.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        note("call over");
    }));
    std::thread events([&] { port.OnRxChar(port, 1); });
    while (!entered)
        std::this_thread::yield();
    handingBack = true;
    EXPECT_TRUE(link.SetOnChunk(nullptr));
    note("handed back");
    events.join();
    EXPECT_EQ(order, (std::vector<std::string>{"call over", "handed back"}));
    port.OnRxChar(port, 1);
    EXPECT_EQ(own, 1) << "the port's own handler is back";

    // A handler that hands itself back during its own call does not wait for itself.
    link.SetOnChunk([&] {
        link.SetOnChunk(nullptr);
        note("handed itself back");
    });
    port.OnRxChar(port, 1);
    EXPECT_EQ(order.back(), "handed itself back");
    port.OnRxChar(port, 1);
    EXPECT_EQ(own, 2);
}
