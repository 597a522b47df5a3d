// The port against real pseudo-terminals: open and its failures, settings reaching termios, reads and writes with
// deadlines, waits cut short by abort and close, modem lines of a line without them.
#include "PtyPair.h"

#include "platform/MainThread.h"
#include "serial/SerPort.h"
#include "serial/SerTermios2.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <termios.h>
#include <thread>

namespace {
using TClock = std::chrono::steady_clock;

long msSince(TClock::time_point t)
{
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - t).count());
}

// The port as the main window sets it up, without events unless a test asks for them.
void setUpLikeTheProgram(TSerPort& port, const std::string& path)
{
    port.SetPort(path);
    port.SetEvents(TSerEvents{});
    port.Buffer().SetInputSize(4096);
    port.Buffer().SetOutputSize(4096);
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetControlRTS(rtsEnable);
    port.FlowControl().SetDSRSensitivity(true);
    port.Timeouts().SetReadInterval(0);
    port.Timeouts().SetWriteTotalMultiplier(200);
}

termios attrsOf(TSerPort& port)
{
    termios t{};
    port.WithHandle([&](int fd) { return tcgetattr(fd, &t); });
    return t;
}

speed_t speedOf(TSerPort& port)
{
    termios t = attrsOf(port);
    return cfgetospeed(&t);
}

std::string readExactly(TSerPort& port, size_t count)
{
    std::string out(count, '\0');
    size_t got = 0;
    auto start = TClock::now();
    while (got < count && msSince(start) < 20000)
        got += size_t(port.ReadFor(out.data() + got, int(count - got), 1000));
    out.resize(got);
    return out;
}
}

TEST(SerPortOpen, MissingDeviceAndNonTerminalFailWithTheSystemError)
{
    TSerPort port;
    port.SetPort("/nonexistent/orlantis-port");
    try {
        port.Open();
        FAIL() << "opened a missing device";
    } catch (const ESerPort& e) {
        EXPECT_EQ(e.Message, "Unable to open com port \"/nonexistent/orlantis-port\": No such file or directory "
                             "( Windows Error Code: 2 )");
        EXPECT_EQ(e.Code, 1);
    }
    EXPECT_FALSE(port.Connected());

    port.SetPort("/dev/null");
    try {
        port.Open();
        FAIL() << "opened a file that is no terminal";
    } catch (const ESerPort& e) {
        EXPECT_EQ(e.WinCode, ENOTTY);
    }
    EXPECT_FALSE(port.Connected());
}

TEST(SerPortOpen, OpenIsExclusiveAndCloseReleasesTheDevice)
{
    TPtyPair pty;
    TSerPort first, second;
    setUpLikeTheProgram(first, pty.SlavePath);
    setUpLikeTheProgram(second, pty.SlavePath);
    first.Open();
    EXPECT_TRUE(first.Connected());
    try {
        second.Open();
        FAIL() << "a second open of the same device succeeded";
    } catch (const ESerPort& e) {
        EXPECT_EQ(e.WinCode, EBUSY);
    }
    EXPECT_FALSE(second.Connected());
    first.WriteStr("still mine");
    EXPECT_EQ(pty.read(10), "still mine");
    first.Close();
    second.Open();
    EXPECT_TRUE(second.Connected());
}

TEST(SerPortOpen, FailureHalfWayUndoesEverything)
{
    TPtyPair pty;
    TSerLink link;   // outlives the port, which tells it about its close
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    // A rate of zero would hang the line up: the setup refuses it and the open is undone.
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(0);
    EXPECT_THROW(port.Open(), ESerPort);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.WithHandle([](int fd) { return fd; }), -EBADF);

    // A handler failing after the open: links hear the port go again, and the device is free for the next one.
    port.SetBaudRate(br9600);
    std::vector<bool> conn;
    link.OnConn = [&](TCustomSerPort&, bool on) { conn.push_back(on); };
    port.RegisterLink(&link);
    port.OnAfterOpen = [](TCustomSerPort&) { throw Exception("handler failed"); };
    EXPECT_THROW(port.Open(), Exception);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(conn, (std::vector<bool>{true, false}));
    TSerPort other;
    setUpLikeTheProgram(other, pty.SlavePath);
    EXPECT_NO_THROW(other.Open());
    port.Close();   // while the handlers' locals still exist
}

TEST(SerPortSettings, ReachTermiosWhenOpenAndOnChange)
{
    TPtyPair pty;
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    port.SetBaudRate(br115200);
    port.SetDataBits(dbSeven);
    port.Parity().SetBits(prEven);
    port.SetStopBits(sbTwoStopBits);
    port.Open();
    termios t = attrsOf(port);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    // A pseudo-terminal forces eight data bits without parity; the stop bits and the rate stay as set.
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_lflag & ICANON);

    // A rate termios has no constant for goes through termios2.
    port.SetBaudRate(br14400);
    uint32_t in = 0, out = 0;
    port.WithHandle([&](int fd) { return GetBaudRates(fd, in, out); });
    EXPECT_EQ(out, 14400u);

    // Inside an update bracket nothing reaches the driver until the end.
    port.BeginUpdate();
    port.SetBaudRate(br9600);
    port.SetStopBits(sbOneStopBit);
    port.WithHandle([&](int fd) { return GetBaudRates(fd, in, out); });
    EXPECT_EQ(out, 14400u);
    EXPECT_TRUE(attrsOf(port).c_cflag & CSTOPB);
    port.EndUpdate();
    t = attrsOf(port);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    port.EndUpdate();   // on a zero counter: nothing
    EXPECT_EQ(port.UpdateCount(), 0);
}

TEST(SerPortSettings, FailedApplyKeepsTheDriverAndTheUpdateCounterSound)
{
    TPtyPair pty;
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    port.Open();
    try {
        TSerPortUpdate update(&port);
        port.SetBaudRate(br19200);
        throw Exception("something in between");
    } catch (const Exception&) {
    }
    EXPECT_EQ(port.UpdateCount(), 0);
    EXPECT_EQ(speedOf(port), speed_t(B19200));   // the scope still applied what was set

    port.BeginUpdate();
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(-5);
    EXPECT_THROW(port.EndUpdate(), ESerPort);
    EXPECT_EQ(port.UpdateCount(), 0);
    EXPECT_TRUE(port.Connected());
    termios t = attrsOf(port);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
}

TEST(SerPortSettings, SyncMethodIsFixedWhileConnectedAndLinksRegisterOnce)
{
    TPtyPair pty;
    TSerLink link;   // outlives the port, which tells it about its close
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    port.SetSyncMethod(smNone);
    port.SetSyncMethod(smThreadSync);
    port.Open();
    try {
        port.SetSyncMethod(smWindowSync);
        FAIL();
    } catch (const ESerPort& e) {
        EXPECT_EQ(e.Message, "Cannot set SyncMethod while connected");
    }
    port.RegisterLink(&link);
    EXPECT_FALSE(port.HasLink());
    try {
        port.RegisterLink(&link);
        FAIL();
    } catch (const ESerPort& e) {
        EXPECT_EQ(e.Message, "Link (un)registration failed");
    }
    port.UnRegisterLink(&link);
    EXPECT_THROW(port.UnRegisterLink(&link), ESerPort);
}

TEST(SerPortIo, LargeRoundTripBothWaysByteForByte)
{
    TPtyPair pty;
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    port.Open();
    const std::string data = allBytes(64 * 1024);

    std::string atDevice;
    std::thread device([&] { atDevice = pty.read(data.size(), 10000); });
    EXPECT_EQ(port.Write(data.data(), int(data.size())), int(data.size()));
    device.join();
    EXPECT_TRUE(atDevice == data) << "device received " << atDevice.size() << " bytes";

    std::thread sender([&] { pty.write(data); });
    std::string atPort = readExactly(port, data.size());
    sender.join();
    EXPECT_TRUE(atPort == data) << "port received " << atPort.size() << " bytes";
}

TEST(SerPortIo, InputCountPurgeAndReadsUnderTheTimeouts)
{
    TPtyPair pty;
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    port.Open();
    EXPECT_EQ(port.InputCount(), 0);
    pty.write("0123456789");
    auto start = TClock::now();
    while (port.InputCount() < 10 && msSince(start) < 10000)
        std::this_thread::yield();
    EXPECT_EQ(port.InputCount(), 10);
    char buf[16] = {};
    // All read time-outs zero: a read of what is waiting returns it at once.
    EXPECT_EQ(port.Read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(port.InputCount(), 6);
    port.ClearBuffer(true, true);
    EXPECT_EQ(port.InputCount(), 0);

    // Read interval "all bits set": return what is there, even nothing.
    port.Timeouts().SetReadInterval(-1);
    EXPECT_EQ(port.Read(buf, 8), 0);
}

TEST(SerPortIo, DeadlinesEndReadsAndWritesOnTime)
{
    TPtyPair pty;
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    port.Open();
    char buf[8];
    auto start = TClock::now();
    EXPECT_EQ(port.ReadFor(buf, 8, 300), 0);
    long took = msSince(start);
    EXPECT_GE(took, 290);
    EXPECT_LT(took, 5000);

    // A total read time-out ends a read short of its count.
    port.Timeouts().SetReadTotalConstant(200);
    pty.write("ab");
    EXPECT_EQ(port.Read(buf, 8), 2);

    // Nobody reads on the other side: the write stops at its deadline with what went out.
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.Timeouts().SetWriteTotalConstant(300);
    std::string big(4 << 20, 'x');
    start = TClock::now();
    int written = port.Write(big.data(), int(big.size()));
    took = msSince(start);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, int(big.size()));
    EXPECT_GE(took, 290);
    EXPECT_LT(took, 5000);
}

TEST(SerPortIo, AbortAndCloseWakeAWaitingRead)
{
    TPtyPair pty;
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    port.Open();
    // All read time-outs zero: this read would wait for ever for ten bytes.
    std::atomic<int> code{0};
    std::atomic<bool> started{false};
    std::thread reader([&] {
        char buf[10];
        started = true;
        try {
            port.Read(buf, 10);
        } catch (const ESerPort& e) {
            code = e.Code;
        }
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));   // let it reach its wait; either way it ends
    port.AbortAllAsync();
    reader.join();
    EXPECT_EQ(code, 3);
    EXPECT_TRUE(port.Connected());

    code = 0;
    started = false;
    std::thread reader2([&] {
        char buf[10];
        started = true;
        try {
            port.Read(buf, 10);
        } catch (const ESerPort& e) {
            code = e.Code;
        }
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port.Close();
    reader2.join();
    EXPECT_EQ(code, 3);
    EXPECT_FALSE(port.Connected());
    char buf[4];
    EXPECT_THROW(port.Read(buf, 4), ESerPort);
    EXPECT_THROW(port.InputCount(), ESerPort);
    port.Close();   // twice: nothing
}

TEST(SerPortIo, ModemLinesOfAPseudoTerminalAndItsHangUp)
{
    TPtyPair pty;
    TSerPort port;
    setUpLikeTheProgram(port, pty.SlavePath);
    std::vector<bool> dsr;
    port.OnDSRChange = [&](TCustomSerPort&, bool on) { dsr.push_back(on); };
    port.Open();
    EXPECT_EQ(dsr, std::vector<bool>{true});   // told right after the open
    TSerSignals s = port.Signals();
    EXPECT_TRUE(s.contains(csCTS));
    EXPECT_TRUE(s.contains(csDSR));
    EXPECT_FALSE(s.contains(csRing));
    EXPECT_NO_THROW(port.SetDTR(false));
    EXPECT_TRUE(port.LastErrors().empty());

    pty.hangUp();
    s = port.Signals();
    EXPECT_FALSE(s.contains(csDSR));
    EXPECT_EQ(port.InputCount(), 0);
    char buf[4];
    EXPECT_THROW(port.ReadFor(buf, 4, 1000), ESerPort);
    EXPECT_THROW(port.WriteStr("x"), ESerPort);
    port.Close();
    EXPECT_EQ(dsr, (std::vector<bool>{true, false}));   // and told before the close
    port.Close();   // while the handlers' locals still exist
}

TEST(SerPortIo, ReopenOnAnotherNameWhileOpen)
{
    TPtyPair a, b;
    TSerPort port;
    setUpLikeTheProgram(port, a.SlavePath);
    port.Open();
    port.SetPort(b.SlavePath);
    EXPECT_TRUE(port.Connected());
    port.WriteStr("to b");
    EXPECT_EQ(b.read(4), "to b");
    TSerPort other;
    setUpLikeTheProgram(other, a.SlavePath);
    EXPECT_NO_THROW(other.Open());   // the first device was let go
}

// socat relays between two pseudo-terminals, as a null-modem cable would: the settings reach each side's termios
// and the bytes pass (a pseudo-terminal does not enforce the rate).
TEST(SerPortIo, ThroughSocatAtTwoRates)
{
    if (std::system("command -v socat >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "socat is not installed";
    namespace fs = std::filesystem;
    char templ[] = "/tmp/orlantis-socat-XXXXXX";
    fs::path dir = mkdtemp(templ);
    std::string a = (dir / "a").string(), b = (dir / "b").string();
    pid_t pid = fork();
    if (pid == 0) {
        std::string pa = "PTY,raw,echo=0,link=" + a, pb = "PTY,raw,echo=0,link=" + b;
        execlp("socat", "socat", pa.c_str(), pb.c_str(), (char*)nullptr);
        _exit(127);
    }
    auto start = TClock::now();
    while (!(fs::exists(a) && fs::exists(b)) && msSince(start) < 10000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(a) && fs::exists(b)) << "socat did not make its pseudo-terminals";
    {
        TSerPort left, right;
        setUpLikeTheProgram(left, a);
        setUpLikeTheProgram(right, b);
        left.Open();
        right.Open();
        // A byte through both ways means socat has set up both sides and is relaying: from here on it touches
        // neither side's termios again.
        left.WriteStr("!");
        EXPECT_EQ(readExactly(right, 1), "!");
        right.WriteStr("?");
        EXPECT_EQ(readExactly(left, 1), "?");
        for (TBaudRate rate : {br9600, br115200}) {
            left.SetBaudRate(rate);
            right.SetBaudRate(rate);
            speed_t want = rate == br9600 ? B9600 : B115200;
            EXPECT_EQ(speedOf(left), want);
            EXPECT_EQ(speedOf(right), want);
            const std::string msg = "ATZ at " + BaudRateToStr(rate) + "\r\n" + allBytes(1000);
            left.WriteStr(msg);
            EXPECT_TRUE(readExactly(right, msg.size()) == msg);
            right.WriteStr(msg);
            EXPECT_TRUE(readExactly(left, msg.size()) == msg);
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    fs::remove_all(dir);
}
