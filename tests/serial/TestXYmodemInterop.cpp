// Our XMODEM and YMODEM against an independent implementation (lrzsz) on a pseudo-terminal made by socat, files
// compared byte for byte. Skipped with a message when socat or lrzsz is missing.
#include "XYTestSupport.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "serial/SerPort.h"
#include "serial/XYmodem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const size_t Sizes[] = {0, 1, 128, 1024, 1025, 100000};

class XYInterop : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* Tool : {"socat", "sx", "rx", "sb", "rb"})
            if (!ToolExists(Tool))
                GTEST_SKIP() << Tool << " is not installed; the interoperability tests need socat and lrzsz";
        Dir = MakeTempDir();
        ASSERT_FALSE(Dir.empty());
        ::mkdir((Dir + "/peer").c_str(), 0755);
        ::mkdir((Dir + "/ours").c_str(), 0755);
    }
    void TearDown() override
    {
        if (Dir.empty())
            return;
        RemoveTree(Dir + "/peer");
        RemoveTree(Dir + "/ours");
        ::unlink((Dir + "/line").c_str());
        RemoveTree(Dir);
    }

    std::string Dir;
    TRecordingDialogs Dialogs;
    TDialogsScope Scope{&Dialogs};
};

struct TRun {
    bool Failed = true;
    std::string Error;
    int PeerStatus = -1;
    std::vector<std::string> Received;
};

TRun Transfer(const std::string& Dir, const std::string& Command, uint8_t Mode, const std::string& FileName,
    const std::vector<std::string>& Batch = {})
{
    TRun R;
    TSocatPeer Peer(Command, Dir + "/peer", Dir + "/line");
    if (!Peer.WaitForLink()) {
        R.Error = "socat did not start";
        return R;
    }
    int Fd = TXYFdChannel::OpenRaw((Dir + "/line").c_str());
    {
        TXYFdChannel Channel(Fd);
        TXYmodem X(&Channel);
        X.Mode = Mode;
        X.FileName = FileName;
        X.BatchFiles = Batch;
        X.Execute();
        R.Failed = X.Failed;
        R.Error = X.LastError;
        R.Received = X.ReceivedFiles;
        R.PeerStatus = Peer.Wait();
    }
    ::close(Fd);
    ::unlink((Dir + "/line").c_str());
    return R;
}

// XMODEM has no size: the file comes back padded with 26 up to a whole block.
void ExpectPadded(const std::string& Got, const std::string& Want, const std::string& What)
{
    ASSERT_GE(Got.size(), Want.size()) << What;
    EXPECT_TRUE(SameBytes(Got.substr(0, Want.size()), Want)) << What;
    EXPECT_LT(Got.size() - Want.size(), 1024u) << What;
    EXPECT_EQ(Got.find_first_not_of('\x1a', Want.size()), std::string::npos) << What;
}

}  // namespace

TEST_F(XYInterop, XmodemSendToRx)
{
    struct {
        uint8_t Mode;
        const char* Peer;
    } Kinds[] = {{0, "rx -q -b -y got"}, {2, "rx -q -b -c -y got"}, {4, "rx -q -b -c -y got"}};
    for (auto& K : Kinds)
        for (size_t Size : Sizes) {
            std::string What = std::string(K.Peer) + " mode " + std::to_string(K.Mode) + " size " +
                std::to_string(Size);
            std::string Data = PatternBytes(Size, unsigned(Size + K.Mode));
            WriteFileBytes(Dir + "/ours/send.vps", Data);
            ::unlink((Dir + "/peer/got").c_str());
            TRun R = Transfer(Dir, K.Peer, K.Mode, Dir + "/ours/send.vps");
            EXPECT_FALSE(R.Failed) << What << ": " << R.Error;
            EXPECT_EQ(R.PeerStatus, 0) << What;
            ExpectPadded(ReadFileBytes(Dir + "/peer/got"), Data, What);
        }
}

TEST_F(XYInterop, XmodemReceiveFromSx)
{
    struct {
        uint8_t Mode;
        const char* Peer;
    } Kinds[] = {{1, "sx -q -b send.vps"}, {3, "sx -q -b send.vps"}, {5, "sx -q -b -k send.vps"}};
    for (auto& K : Kinds)
        for (size_t Size : Sizes) {
            std::string What = std::string(K.Peer) + " mode " + std::to_string(K.Mode) + " size " +
                std::to_string(Size);
            std::string Data = PatternBytes(Size, unsigned(Size * 3 + K.Mode));
            WriteFileBytes(Dir + "/peer/send.vps", Data);
            TRun R = Transfer(Dir, K.Peer, K.Mode, Dir + "/ours/got.vps");
            EXPECT_FALSE(R.Failed) << What << ": " << R.Error;
            EXPECT_EQ(R.PeerStatus, 0) << What;
            ExpectPadded(ReadFileBytes(Dir + "/ours/got.vps"), Data, What);
            EXPECT_EQ(ListDir(Dir + "/ours"), std::vector<std::string>{"got.vps"}) << What;
        }
}

TEST_F(XYInterop, YmodemBatchSendToRb)
{
    for (size_t Round = 0; Round < 2; ++Round) {
        std::vector<std::string> Names, Datas;
        for (size_t i = 0; i < 3; ++i) {
            size_t Size = Sizes[Round * 3 + i];
            Names.push_back(Dir + "/ours/file" + std::to_string(Round * 3 + i) + ".vps");
            Datas.push_back(PatternBytes(Size, unsigned(Size + 7)));
            WriteFileBytes(Names.back(), Datas.back());
        }
        TRun R = Transfer(Dir, "rb -q -b -y", 6, "", Names);
        EXPECT_FALSE(R.Failed) << R.Error;
        EXPECT_EQ(R.PeerStatus, 0);
        for (size_t i = 0; i < 3; ++i) {
            std::string Got = ReadFileBytes(Dir + "/peer/file" + std::to_string(Round * 3 + i) + ".vps");
            EXPECT_EQ(Got.size(), Datas[i].size()) << i;
            EXPECT_TRUE(SameBytes(Got, Datas[i])) << i;
        }
    }
}

TEST_F(XYInterop, YmodemAndYmodemGReceiveFromSb)
{
    std::string Files;
    std::vector<std::string> Datas;
    for (size_t i = 0; i < 6; ++i) {
        Datas.push_back(PatternBytes(Sizes[i], unsigned(i + 11)));
        WriteFileBytes(Dir + "/peer/b" + std::to_string(i) + ".vps", Datas.back());
        Files += " b" + std::to_string(i) + ".vps";
    }
    for (uint8_t Mode : {uint8_t(7), uint8_t(9)}) {
        RemoveTree(Dir + "/ours");
        ::mkdir((Dir + "/ours").c_str(), 0755);
        TRun R = Transfer(Dir, "sb -q -b" + Files, Mode, Dir + "/ours/");
        EXPECT_FALSE(R.Failed) << int(Mode) << ": " << R.Error;
        EXPECT_EQ(R.PeerStatus, 0) << int(Mode);
        EXPECT_EQ(R.Received.size(), 6u);
        for (size_t i = 0; i < 6; ++i) {
            std::string Got = ReadFileBytes(Dir + "/ours/b" + std::to_string(i) + ".vps");
            EXPECT_EQ(Got.size(), Datas[i].size()) << int(Mode) << " file " << i;
            EXPECT_TRUE(SameBytes(Got, Datas[i])) << int(Mode) << " file " << i;
        }
    }
}

TEST_F(XYInterop, OverTheProgramsSerialPort)
{
    // The way the terminal window runs a transfer: on the main window's port, nothing linked to it.
    std::string Data = PatternBytes(5000, 77);
    WriteFileBytes(Dir + "/peer/send.vps", Data);
    TSocatPeer Peer("sx -q -b -k send.vps", Dir + "/peer", Dir + "/line");
    ASSERT_TRUE(Peer.WaitForLink());
    TSerPort Port;
    Port.SetPort(Dir + "/line");
    Port.SetEvents(TSerEvents{});
    Port.Timeouts().SetReadInterval(0);
    Port.Open();
    TXYSerPortChannel Line(Port);
    TXYmodem X(&Line);
    X.Mode = 5;
    X.FileName = Dir + "/ours/got.vps";
    X.Execute();
    EXPECT_FALSE(X.Failed) << X.LastError;
    EXPECT_EQ(Peer.Wait(), 0);
    Port.Close();
    ExpectPadded(ReadFileBytes(Dir + "/ours/got.vps"), Data, "sx over the port");
    ::unlink((Dir + "/line").c_str());

    // Our YMODEM sender over the port to rb, the job made on the port itself.
    WriteFileBytes(Dir + "/ours/up.vps", Data);
    TSocatPeer Rb("rb -q -b -y", Dir + "/peer", Dir + "/line");
    ASSERT_TRUE(Rb.WaitForLink());
    Port.Open();
    TXYmodem Y(&Port);
    Y.Mode = 6;
    Y.FileName = Dir + "/ours/up.vps";
    Y.Execute();
    EXPECT_FALSE(Y.Failed) << Y.LastError;
    EXPECT_EQ(Rb.Wait(), 0);
    Port.Close();
    EXPECT_TRUE(SameBytes(ReadFileBytes(Dir + "/peer/up.vps"), Data));
}

// Throughput for the record, not a pass/fail test (speed is no test's business): our YMODEM sender and lrzsz's sb,
// each to rb through the same kind of socat pseudo-terminal, 1 MB. Run with
//   test_serial --gtest_also_run_disabled_tests --gtest_filter='*Throughput*'
TEST_F(XYInterop, DISABLED_ThroughputBesideLrzsz)
{
    const size_t Size = 1 << 20;
    WriteFileBytes(Dir + "/ours/big.vps", PatternBytes(Size, 1));
    using TClock = std::chrono::steady_clock;
    auto Seconds = [](TClock::time_point t) { return std::chrono::duration<double>(TClock::now() - t).count(); };

    auto T0 = TClock::now();
    TRun Ours = Transfer(Dir, "rb -q -b -y", 6, Dir + "/ours/big.vps");
    double OurTime = Seconds(T0);
    ASSERT_FALSE(Ours.Failed) << Ours.Error;
    ASSERT_EQ(ReadFileBytes(Dir + "/peer/big.vps").size(), Size);
    ::unlink((Dir + "/peer/big.vps").c_str());

    T0 = TClock::now();
    {
        TSocatPeer Rb("rb -q -b -y", Dir + "/peer", Dir + "/line");
        ASSERT_TRUE(Rb.WaitForLink());
        TSocatPeer Sb("sb -q -b " + Dir + "/ours/big.vps", Dir + "/ours", Dir + "/line",
            "OPEN:" + Dir + "/line,raw,echo=0");
        EXPECT_EQ(Rb.Wait(), 0);
        Sb.Wait(10000);
    }
    double TheirTime = Seconds(T0);
    ASSERT_EQ(ReadFileBytes(Dir + "/peer/big.vps").size(), Size);
    std::printf("1 MB to rb: ours %.2f s (%.0f kB/s), sb %.2f s (%.0f kB/s), ours/sb speed ratio %.2f\n", OurTime,
        Size / 1024.0 / OurTime, TheirTime, Size / 1024.0 / TheirTime, TheirTime / OurTime);
}

TEST_F(XYInterop, NoisyLineToLrzszEndsRightOrFailsCleanly)
{
    // A relay between us and the peer's pseudo-terminal damages about one byte in 8000, both ways; the peer waits
    // two seconds instead of ten before it asks again.
    std::string Data = PatternBytes(30000, 5);
    WriteFileBytes(Dir + "/peer/send.vps", Data);
    WriteFileBytes(Dir + "/ours/up.vps", Data);
    int Clean = 0;
    for (unsigned Seed = 1; Seed <= 3; ++Seed) {
        for (bool Receive : {true, false}) {
            ::unlink((Dir + "/ours/got.vps").c_str());
            ::unlink((Dir + "/peer/up.vps").c_str());
            TSocatPeer Peer(Receive ? "sx -q -b -k -t 20 send.vps" : "rb -q -b -y -t 20", Dir + "/peer", Dir + "/line");
            ASSERT_TRUE(Peer.WaitForLink());
            int PtyFd = TXYFdChannel::OpenRaw((Dir + "/line").c_str());
            int Pair[2];
            ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, Pair), 0);
            bool Failed;
            {
                TNoisyRelay Relay(Pair[1], PtyFd, Seed, 8000);
                TXYFdChannel Line(Pair[0]);
                TXYmodem X(&Line);
                X.Timeouts.HeaderMs = 5000;
                X.Timeouts.ByteMs = 1000;
                X.Mode = Receive ? 5 : 6;
                X.FileName = Receive ? Dir + "/ours/got.vps" : Dir + "/ours/up.vps";
                X.Execute();
                Failed = X.Failed;
                Peer.Wait(90000);
            }
            for (int fd : {PtyFd, Pair[0], Pair[1]})
                ::close(fd);
            ::unlink((Dir + "/line").c_str());
            if (Receive) {
                if (Failed) {
                    EXPECT_FALSE(FileExists(Dir + "/ours/got.vps")) << "seed " << Seed;
                } else {
                    ++Clean;
                    ExpectPadded(ReadFileBytes(Dir + "/ours/got.vps"), Data, "noisy sx, seed " + std::to_string(Seed));
                }
            } else if (!Failed && FileExists(Dir + "/peer/up.vps")) {
                ++Clean;
                EXPECT_TRUE(SameBytes(ReadFileBytes(Dir + "/peer/up.vps"), Data)) << "noisy rb, seed " << Seed;
            }
        }
    }
    std::printf("noisy line with lrzsz: %d of 6 transfers through\n", Clean);
}
