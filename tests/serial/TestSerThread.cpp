// The reader thread: events reach the main thread in their order, received bytes go to a link or raise OnRxChar
// once per arrival, a failing handler costs nothing, and Close never waits for ever on the main thread.
#include "PtyPair.h"

#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/MainThread.h"
#include "serial/SerPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {
using TClock = std::chrono::steady_clock;

// The test thread plays the main thread: handlers run only inside processEvents/processUntil.
struct TMainScope {
    TQueueMainThread Queue;
    TMainThread* Previous;
    TMainScope() : Previous(TMainThread::setInstance(&Queue)) {}
    ~TMainScope()
    {
        Queue.shutdown();
        TMainThread::setInstance(Previous);
    }
    bool until(const std::function<bool()>& pred, int ms = 10000) { return Queue.processUntil(pred, ms); }
    // Runs what comes in for a while; for checks that something does NOT happen.
    void idle(int ms) { Queue.processUntil([] { return false; }, ms); }
};

void setUp(TSerPort& port, const std::string& path, TSerEvents events)
{
    port.SetPort(path);
    port.SetEvents(events);
    port.Timeouts().SetReadInterval(0);
}
}

TEST(SerThread, RxCharFiresOncePerArrivalNotWhileBytesStayUnread)
{
    TMainScope main;
    TPtyPair pty;
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{evRxChar, evDSR});
    std::vector<int> counts;
    port.OnRxChar = [&](TCustomSerPort& p, int n) {
        EXPECT_TRUE(TMainThread::instance().isMainThread());
        EXPECT_EQ(&p, &port);
        counts.push_back(n);
    };
    port.Open();
    pty.write("abc");
    ASSERT_TRUE(main.until([&] { return !counts.empty(); }));
    EXPECT_EQ(counts[0], 3);
    main.idle(300);   // the bytes stay unread: no second call
    EXPECT_EQ(counts.size(), 1u);

    pty.write("de");   // a new arrival: told again, with all that waits
    ASSERT_TRUE(main.until([&] { return counts.size() >= 2; }));
    EXPECT_EQ(counts[1], 5);

    // A reader that takes the bytes in another thread between two arrivals does not hide the next one.
    char buf[8];
    EXPECT_EQ(port.Read(buf, 5), 5);
    pty.write("fghij");
    ASSERT_TRUE(main.until([&] { return counts.size() >= 3; }));
    EXPECT_EQ(counts[2], 5);
    port.Close();
}

TEST(SerThread, LinkTakesTheBytesUntilUnregistered)
{
    TMainScope main;
    TPtyPair pty;
    TSerLink link;   // outlives the port, which tells it about its close
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{evRxChar, evDSR});
    std::string atLink, atPortBuf, sent;
    std::vector<int> rxChar;
    std::vector<std::string> order;
    link.OnRxBuf = [&](TCustomSerPort&, const char* b, int n) { atLink.append(b, size_t(n)); };
    link.OnRx = [&](TCustomSerPort&, bool on) { order.push_back(on ? "rx on" : "rx off"); };
    link.OnTxBuf = [&](TCustomSerPort&, const char* b, int n) { sent.append(b, size_t(n)); };
    port.OnRxBuf = [&](TCustomSerPort&, const char* b, int n) { atPortBuf.append(b, size_t(n)); };
    port.OnRxChar = [&](TCustomSerPort&, int n) { rxChar.push_back(n); };
    port.RegisterLink(&link);
    EXPECT_TRUE(port.HasLink());
    port.Open();

    pty.write("screen text");
    ASSERT_TRUE(main.until([&] { return atLink.size() >= 11; }));
    EXPECT_EQ(atLink, "screen text");
    EXPECT_EQ(atPortBuf, "screen text");
    EXPECT_TRUE(rxChar.empty());
    EXPECT_EQ(port.InputCount(), 0);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order.front(), "rx on");
    EXPECT_EQ(order.back(), "rx off");

    port.WriteStr("keys");
    EXPECT_EQ(sent, "keys");
    EXPECT_EQ(pty.read(4), "keys");

    port.UnRegisterLink(&link);
    EXPECT_FALSE(port.HasLink());
    pty.write("xy");
    ASSERT_TRUE(main.until([&] { return !rxChar.empty(); }));
    EXPECT_EQ(rxChar, std::vector<int>{2});
    EXPECT_EQ(atLink, "screen text");
    port.Close();   // while the handlers' locals still exist
}

TEST(SerThread, BatchRunsInTheFixedOrder)
{
    TPtyPair pty;
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{});
    std::vector<std::string> calls;
    port.OnRxChar = [&](TCustomSerPort&, int) { calls.push_back("rxchar"); };
    port.OnDSRChange = [&](TCustomSerPort&, bool on) { calls.push_back(on ? "dsr on" : "dsr off"); };
    port.OnCTSChange = [&](TCustomSerPort&, bool) { calls.push_back("cts"); };
    port.OnTxEmpty = [&](TCustomSerPort&) { calls.push_back("txempty"); };
    port.OnRing = [&](TCustomSerPort&) { calls.push_back("ring"); };
    port.Open();
    calls.clear();
    pty.write("z");
    while (port.InputCount() == 0)
        std::this_thread::yield();
    port.DoEvents(TSerEvents{evDSR, evRing, evRxChar, evCTS, evTxEmpty});
    EXPECT_EQ(calls, (std::vector<std::string>{"rxchar", "txempty", "ring", "cts", "dsr on"}));

    // Nothing waiting: a received-characters event calls no handler.
    port.ClearBuffer(true, false);
    calls.clear();
    port.DoEvents(TSerEvents{evRxChar});
    EXPECT_TRUE(calls.empty());
    port.Close();   // while the handlers' locals still exist
}

TEST(SerThread, HangUpOfTheOtherSideReadsAsDsrOff)
{
    TMainScope main;
    TPtyPair pty;
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{evRxChar, evDSR});
    std::vector<bool> dsr;
    port.OnDSRChange = [&](TCustomSerPort&, bool on) { dsr.push_back(on); };
    port.Open();
    EXPECT_EQ(dsr, std::vector<bool>{true});
    auto start = TClock::now();
    pty.hangUp();
    ASSERT_TRUE(main.until([&] { return dsr.size() >= 2; }, 500));
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count(), 500);
    EXPECT_FALSE(dsr[1]);
    main.idle(200);   // and only once
    EXPECT_EQ(dsr.size(), 2u);
    port.Close();   // while the handlers' locals still exist
}

TEST(SerThread, FailingHandlerIsShownAndTheThreadGoesOn)
{
    TMainScope main;
    TRecordingDialogs dialogs;
    TDialogsScope dialogsScope(&dialogs);
    TPtyPair pty;
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{evRxChar});
    int calls = 0;
    port.OnRxChar = [&](TCustomSerPort& p, int n) {
        ++calls;
        std::vector<char> buf(size_t(n) + 1);
        p.Read(buf.data(), n);
        if (calls == 1)
            throw Exception("handler broke");
    };
    port.Open();
    pty.write("1");
    ASSERT_TRUE(main.until([&] { return !dialogs.Boxes.empty(); }));
    EXPECT_EQ(dialogs.LastText(), "handler broke");
    pty.write("2");
    ASSERT_TRUE(main.until([&] { return calls >= 2; }));
    port.Close();
}

TEST(SerThread, CloseDoesNotWaitForAPendingMainThreadCall)
{
    TMainScope main;
    TPtyPair pty;
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{evRxChar});
    int calls = 0;
    port.OnRxChar = [&](TCustomSerPort&, int) { ++calls; };
    port.Open();
    pty.write("pending");
    // Give the reader thread time to queue its call; the test thread does not run it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    port.Close();   // must return although the reader waits for this very thread
    EXPECT_FALSE(port.Connected());
    main.idle(200);
    EXPECT_EQ(calls, 0);   // and nothing runs after Close

    port.Open();   // reopen: events flow again
    pty.write("again");
    ASSERT_TRUE(main.until([&] { return calls > 0; }));
    port.Close();
}

TEST(SerThread, HandlerMayCloseItsOwnPort)
{
    TMainScope main;
    TPtyPair pty;
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{evRxChar, evDSR});
    std::vector<std::string> calls;
    port.OnRxChar = [&](TCustomSerPort& p, int) {
        calls.push_back("rxchar");
        p.Close();
    };
    port.OnDSRChange = [&](TCustomSerPort&, bool on) { calls.push_back(on ? "dsr on" : "dsr off"); };
    port.Open();
    pty.write("bye");
    ASSERT_TRUE(main.until([&] { return !port.Connected(); }));
    main.idle(200);
    EXPECT_EQ(calls, (std::vector<std::string>{"dsr on", "rxchar", "dsr off"}));

    calls.clear();
    port.OnRxChar = [&](TCustomSerPort&, int) { calls.push_back("rxchar"); };
    port.Open();
    pty.write("hello again");
    ASSERT_TRUE(main.until([&] { return calls.size() >= 2; }));
    EXPECT_EQ(calls.back(), "rxchar");
    port.Close();   // while the handlers' locals still exist
}

TEST(SerThread, NoEventsNoThreadButReadsWork)
{
    TMainScope main;
    TPtyPair pty;
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{});
    int calls = 0;
    port.OnRxChar = [&](TCustomSerPort&, int) { ++calls; };
    port.Open();
    pty.write("data");
    char buf[4];
    EXPECT_EQ(port.ReadFor(buf, 4, 5000), 4);
    main.idle(150);
    EXPECT_EQ(calls, 0);
    port.Close();   // while the handlers' locals still exist
}

TEST(SerThread, TxEmptyAfterAWrite)
{
    TMainScope main;
    TPtyPair pty;
    TSerLink link;   // outlives the port, which tells it about its close
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{evTxEmpty});
    int empty = 0;
    std::vector<bool> tx;
    link.OnTx = [&](TCustomSerPort&, bool on) { tx.push_back(on); };
    port.RegisterLink(&link);
    port.OnTxEmpty = [&](TCustomSerPort&) { ++empty; };
    port.Open();
    port.WriteStr("out");
    EXPECT_EQ(pty.read(3), "out");
    ASSERT_TRUE(main.until([&] { return empty > 0; }));
    EXPECT_EQ(tx, (std::vector<bool>{true, false}));
    port.Close();   // while the handlers' locals still exist
}

TEST(SerThread, UnregisteringWaitsForALinkCallInAnotherThread)
{
    TPtyPair pty;
    std::atomic<bool> entered{false}, release{false}, unregistered{false};
    TSerLink link;
    link.OnTxBuf = [&](TCustomSerPort&, const char*, int) {
        entered = true;
        while (!release)
            std::this_thread::yield();
    };
    TSerPort port;
    setUp(port, pty.SlavePath, TSerEvents{});
    port.RegisterLink(&link);
    port.Open();
    std::thread writer([&] { port.WriteStr("x"); });
    while (!entered)
        std::this_thread::yield();
    std::thread owner([&] {
        port.UnRegisterLink(&link);
        unregistered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(unregistered);   // the link is still being called: it may not go yet
    release = true;
    writer.join();
    owner.join();
    EXPECT_TRUE(unregistered);
    port.WriteStr("y");   // no longer told
}
