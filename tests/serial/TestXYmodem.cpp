// The transfer engine on its own: block layout of the sender, our sender against our receiver on a socket pair
// (clean and noisy), and scripted peers for the faults a real line brings: silence, lost acknowledgements, stray
// cancels, hostile YMODEM headers, cancel by the user.
#include "XYTestSupport.h"
#include "common/StringGroups.h"
#include "platform/Dialogs.h"
#include "serial/XYmodem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Boxes from two transfers running at once.
class TLockedDialogs : public TDialogs {
public:
    int MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType, TMsgDlgButtons) override
    {
        std::lock_guard<std::mutex> G(Lock);
        Boxes.push_back(Caption + ": " + Text);
        return mrOk;
    }
    bool OpenFile(const TFileDialogRequest&, std::string&) override { return false; }
    bool SaveFile(const TFileDialogRequest&, std::string&) override { return false; }
    std::mutex Lock;
    std::vector<std::string> Boxes;
};

// A peer played from a script: each write of ours releases the next chunk of the script into our input. Reads
// never wait, so every test runs at full speed with zero time-outs.
class TScriptChannel : public TXYChannel {
public:
    std::deque<uint8_t> Input;
    std::vector<std::string> Script;   // released one per write
    size_t Next = 0;
    std::vector<std::string> Writes;

    size_t Read(uint8_t* Buffer, size_t Size, int) override
    {
        size_t n = 0;
        while (n < Size && !Input.empty()) {
            Buffer[n++] = Input.front();
            Input.pop_front();
        }
        return n;
    }
    void Write(const uint8_t* Data, size_t Size) override
    {
        Writes.emplace_back(reinterpret_cast<const char*>(Data), Size);
        if (Next < Script.size())
            Feed(Script[Next++]);
    }
    void PurgeInput() override {}
    void Feed(const std::string& s) { Input.insert(Input.end(), s.begin(), s.end()); }
    std::string AllWritten() const
    {
        std::string s;
        for (auto& w : Writes)
            s += w;
        return s;
    }
};

std::string Frame(uint8_t Number, const std::string& Data, bool Crc = true, bool Damage = false)
{
    std::string f;
    f += char(Data.size() == 1024 ? 2 : 1);
    f += char(Number);
    f += char(255 - Number);
    f += Data;
    if (Crc) {
        uint16_t c = XYCrc16(reinterpret_cast<const uint8_t*>(Data.data()), Data.size());
        if (Damage)
            c ^= 1;
        f += char(c >> 8);
        f += char(c & 0xFF);
    } else {
        unsigned Sum = 0;
        for (char ch : Data)
            Sum += uint8_t(ch);
        f += char(Sum + (Damage ? 1 : 0));
    }
    return f;
}

std::string Header(const std::string& Name, const std::string& Size)
{
    std::string h = Name;
    h += '\0';
    h += Size;
    h.resize(128, '\0');
    return h;
}

TXYTimeouts Zero() { return TXYTimeouts{0, 0, 0, 0}; }

TXYTimeouts Short()
{
    TXYTimeouts t;
    t.StartMs = 300;
    t.HeaderMs = 1500;
    t.ByteMs = 500;
    t.QuietMs = 100;
    return t;
}

// The two threads' waits for each other. On a clean line no wait should ever run out, so they are the program's
// own; on a noisy one they are short, being part of the recovery. Both stretch with the machine's load.
TXYTimeouts PairTimeouts(bool Noisy)
{
    TXYTimeouts t = Short();
    if (!Noisy) {
        const TXYTimeouts Own;
        t.HeaderMs = Own.HeaderMs;
        t.ByteMs = Own.ByteMs;
    }
    t.HeaderMs *= LoadFactor();
    t.ByteMs *= LoadFactor();
    return t;
}

const std::string CAN6(6, '\x18');

class XYmodem : public testing::Test {
protected:
    void SetUp() override
    {
        Dir = MakeTempDir();
        ASSERT_FALSE(Dir.empty());
    }
    void TearDown() override { RemoveTree(Dir); }
    std::string Dir;
    TLockedDialogs Dialogs;
    TDialogsScope Scope{&Dialogs};
};

struct TPairResult {
    bool SendFailed, ReceiveFailed;
    std::string SendError, ReceiveError;
};

// Our sender in a thread against our receiver, over a socket pair or, with Rate, through a relay that damages
// about one byte in Rate.
// With SenderLateMs the sender starts that much after the receiver, which meanwhile keeps asking.
TPairResult RunPair(uint8_t SendMode, const std::vector<std::string>& Files, uint8_t ReceiveMode,
    const std::string& Target, unsigned Seed = 0, unsigned Rate = 0, int SenderLateMs = 0)
{
    int A[2], B[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, A);
    socketpair(AF_UNIX, SOCK_STREAM, 0, B);
    TPairResult R{};
    {
        TNoisyRelay Relay(A[1], B[1], Seed, Rate);
        TXYFdChannel SendLine(A[0]), ReceiveLine(B[0]);
        TXYmodem S(&SendLine), Rx(&ReceiveLine);
        S.Mode = SendMode;
        S.FileName = Files[0];
        S.BatchFiles.assign(Files.begin() + 1, Files.end());
        S.Timeouts = Rx.Timeouts = PairTimeouts(Rate != 0);
        Rx.Mode = ReceiveMode;
        Rx.FileName = Target;
        std::thread Sender([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(SenderLateMs));
            S.Execute();
        });
        Rx.Execute();
        Sender.join();
        R = {S.Failed, Rx.Failed, S.LastError, Rx.LastError};
    }
    for (int fd : {A[0], A[1], B[0], B[1]})
        close(fd);
    return R;
}

}  // namespace

TEST(XYmodemCrc, KnownValues)
{
    EXPECT_EQ(XYCrc16(reinterpret_cast<const uint8_t*>("123456789"), 9), 0x31C3);
    uint8_t One = 1;
    EXPECT_EQ(XYCrc16(&One, 1), 0x1021);
}

TEST_F(XYmodem, SenderLaysOutBlocks)
{
    struct {
        uint8_t Mode;
        size_t Size;
        char Start;
        std::vector<std::pair<char, size_t>> Frames;   // header byte, frame length
    } Cases[] = {
        {0, 300, 'C', {{1, 133}, {1, 133}, {1, 133}}},
        {0, 256, '\x15', {{1, 132}, {1, 132}}},
        {0, 0, 'C', {}},
        {4, 2100, 'C', {{2, 1029}, {2, 1029}, {1, 133}}},
        {2, 129, '\x15', {{1, 132}, {1, 132}}},
    };
    for (auto& C : Cases) {
        std::string Name = Dir + "/f.vps";
        std::string Data = PatternBytes(C.Size, 5);
        WriteFileBytes(Name, Data);
        TScriptChannel L;
        L.Feed(std::string(1, C.Start));
        L.Script.assign(20, "\x06");
        TXYmodem X(&L);
        X.Timeouts = Zero();
        X.Mode = C.Mode;
        X.FileName = Name;
        X.Execute();
        EXPECT_FALSE(X.Failed) << X.LastError;
        ASSERT_EQ(L.Writes.size(), C.Frames.size() + 1) << int(C.Mode) << " " << C.Size;
        std::string Sent;
        for (size_t i = 0; i < C.Frames.size(); ++i) {
            const std::string& W = L.Writes[i];
            ASSERT_EQ(W.size(), C.Frames[i].second);
            EXPECT_EQ(W[0], C.Frames[i].first);
            EXPECT_EQ(uint8_t(W[1]), i + 1);
            EXPECT_EQ(uint8_t(W[2]), 254 - i);
            size_t n = W[0] == 2 ? 1024 : 128;
            Sent += W.substr(3, n);
            std::string Check = W.substr(3 + n);
            if (C.Start == 'C') {
                uint16_t Crc = XYCrc16(reinterpret_cast<const uint8_t*>(W.data() + 3), n);
                EXPECT_EQ(Check, std::string({char(Crc >> 8), char(Crc & 0xFF)}));
            }
        }
        EXPECT_TRUE(SameBytes(Sent.substr(0, C.Size), Data));
        EXPECT_EQ(Sent.find_first_not_of('\x1a', C.Size), std::string::npos);
        EXPECT_EQ(L.Writes.back(), "\x04");
    }
}

TEST_F(XYmodem, YmodemHeaderCarriesOnlyTheBaseName)
{
    std::string Name = Dir + "/report.vps";
    WriteFileBytes(Name, PatternBytes(2048, 1));
    TScriptChannel L;
    L.Feed("C");
    // ACK and a new "C" after the header, ACK for each data block, ACK and "C" after EOT, ACK for the empty
    // header.
    L.Script = {"\x06" "C", "\x06", "\x06", "\x06" "C", "\x06"};
    TXYmodem X(&L);
    X.Timeouts = Zero();
    X.Mode = 6;
    X.FileName = Name;
    X.Execute();
    EXPECT_FALSE(X.Failed) << X.LastError;
    ASSERT_EQ(L.Writes.size(), 5u);
    EXPECT_EQ(L.Writes[0].substr(3, 128), Header("report.vps", "2048"));
    EXPECT_EQ(L.Writes[1][0], 2);
    EXPECT_EQ(L.Writes[2][0], 2);
    EXPECT_EQ(L.Writes[3], "\x04");
    EXPECT_EQ(L.Writes[4].substr(0, 3), std::string("\x01\x00\xff", 3));
    EXPECT_EQ(L.Writes[4].substr(3, 128), std::string(128, '\0'));
}

TEST_F(XYmodem, SenderSkipsTheDevicesLastWordsBeforeTheStart)
{
    WriteFileBytes(Dir + "/up.vps", "prompt data");
    TScriptChannel L;
    L.Feed("\r\nStart XMODEM send now.\r\n\x18" "C");
    L.Script = {"\x06", "\x06"};
    TXYmodem X(&L);
    X.Timeouts = Zero();
    X.Mode = 0;
    X.FileName = Dir + "/up.vps";
    X.Execute();
    EXPECT_FALSE(X.Failed) << X.LastError;
    ASSERT_EQ(L.Writes.size(), 2u);
    EXPECT_EQ(L.Writes[0].size(), 133u);   // CRC, as the "C" asked
}

TEST_F(XYmodem, OurSenderAndReceiverAgree)
{
    const size_t Sizes[] = {0, 1, 128, 1024, 1025, 100000};
    const std::pair<uint8_t, uint8_t> Modes[] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}};
    for (auto [SendMode, ReceiveMode] : Modes)
        for (size_t Size : Sizes) {
            std::string What = std::to_string(SendMode) + "->" + std::to_string(ReceiveMode) + " size " +
                std::to_string(Size);
            std::string Data = PatternBytes(Size, unsigned(Size + SendMode));
            WriteFileBytes(Dir + "/send.vps", Data);
            ::mkdir((Dir + "/in").c_str(), 0755);
            bool Batch = SendMode >= 6;
            std::string Target = Batch ? Dir + "/in/" : Dir + "/in/got.vps";
            TPairResult R = RunPair(SendMode, {Dir + "/send.vps"}, ReceiveMode, Target);
            EXPECT_FALSE(R.SendFailed) << What << ": " << R.SendError;
            EXPECT_FALSE(R.ReceiveFailed) << What << ": " << R.ReceiveError;
            std::string Got = ReadFileBytes(Dir + (Batch ? "/in/send.vps" : "/in/got.vps"));
            if (Batch) {
                EXPECT_TRUE(SameBytes(Got, Data)) << What;
            } else {
                EXPECT_TRUE(SameBytes(Got.substr(0, Size), Data)) << What;
                EXPECT_EQ(Got.find_first_not_of('\x1a', Size), std::string::npos) << What;
            }
            EXPECT_EQ(ListDir(Dir + "/in").size(), 1u) << What;
            RemoveTree(Dir + "/in");
            ::rmdir((Dir + "/in").c_str());
        }
}

// A receiver that asked several times before the sender started must get block 1 once: answering every queued
// request put the sender one answer behind for the rest of the file, and a stale ACK then passed for the EOT's.
TEST_F(XYmodem, StartCharactersQueuedBeforeTheStartAreAnsweredOnce)
{
    const std::string Data = PatternBytes(5000, 7);
    WriteFileBytes(Dir + "/send.vps", Data);
    for (auto [SendMode, ReceiveMode] : {std::pair{2, 3}, std::pair{0, 1}, std::pair{4, 5}}) {
        const std::string What = "mode " + std::to_string(SendMode);
        // The receiver asks every 300 ms: four requests wait when the sender starts.
        TPairResult R = RunPair(uint8_t(SendMode), {Dir + "/send.vps"}, uint8_t(ReceiveMode), Dir + "/got.vps", 0,
            0, 1100);
        EXPECT_FALSE(R.SendFailed) << What << ": " << R.SendError;
        EXPECT_FALSE(R.ReceiveFailed) << What << ": " << R.ReceiveError;
        const std::string Got = ReadFileBytes(Dir + "/got.vps");
        EXPECT_TRUE(SameBytes(Got.substr(0, Data.size()), Data)) << What;
        EXPECT_EQ(Got.find_first_not_of('\x1a', Data.size()), std::string::npos) << What;
        ::unlink((Dir + "/got.vps").c_str());
    }
}

TEST_F(XYmodem, NoisyLineEndsInTheRightFileOrAClearFailure)
{
    std::string Data = PatternBytes(30000, 3);
    WriteFileBytes(Dir + "/send.vps", Data);
    int Successes = 0, Failures = 0;
    // Mostly light damage, which asking again repairs; the last round is so heavy that failing is expected.
    const std::pair<unsigned, unsigned> Rounds[] = {{1, 3000}, {2, 3000}, {3, 3000}, {4, 3000}, {5, 60}};
    for (auto [Seed, Rate] : Rounds)
        for (auto [SendMode, ReceiveMode] : {std::pair<uint8_t, uint8_t>{2, 3}, {6, 7}}) {
            ::mkdir((Dir + "/in").c_str(), 0755);
            bool Batch = SendMode == 6;
            TPairResult R = RunPair(SendMode, {Dir + "/send.vps"}, ReceiveMode,
                Batch ? Dir + "/in/" : Dir + "/in/got.vps", Seed, Rate);
            std::vector<std::string> In = ListDir(Dir + "/in");
            if (R.ReceiveFailed) {
                std::printf("seed %u rate %u mode %d: %s / %s\n", Seed, Rate, SendMode, R.SendError.c_str(),
                    R.ReceiveError.c_str());
                ++Failures;
                EXPECT_TRUE(In.empty()) << "a failed transfer left a file, seed " << Seed;
                EXPECT_FALSE(R.ReceiveError.empty());
            } else {
                ++Successes;
                ASSERT_EQ(In.size(), 1u);
                std::string Got = ReadFileBytes(Dir + "/in/" + In[0]);
                EXPECT_TRUE(SameBytes(Got.substr(0, Data.size()), Data)) << "wrong file reported as success, seed " << Seed;
                if (Batch) {
                    EXPECT_EQ(Got.size(), Data.size());
                }
            }
            RemoveTree(Dir + "/in");
            ::rmdir((Dir + "/in").c_str());
        }
    // At this rate most transfers get through by asking again.
    EXPECT_GT(Successes, 0);
    std::printf("noisy line: %d transfers through, %d failed cleanly\n", Successes, Failures);
}

TEST_F(XYmodem, SilentPeersEndWithinTheirTimeOuts)
{
    int P[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, P);
    TXYFdChannel Line(P[0]);
    TXYmodem Rx(&Line);
    Rx.Timeouts = Short();
    Rx.Timeouts.StartMs = 20;
    Rx.Mode = 3;
    Rx.FileName = Dir + "/got.vps";
    Rx.Execute();
    EXPECT_TRUE(Rx.Failed);
    EXPECT_EQ(Rx.LastError, "No response from sender");
    EXPECT_TRUE(ListDir(Dir).empty());

    WriteFileBytes(Dir + "/send.vps", "abc");
    TXYmodem Tx(&Line);
    Tx.Timeouts = Rx.Timeouts;
    Tx.Mode = 0;
    Tx.FileName = Dir + "/send.vps";
    Tx.Execute();
    EXPECT_TRUE(Tx.Failed);
    EXPECT_EQ(Tx.LastError, "No response from receiver");
    close(P[0]);
    close(P[1]);

    // A sender that stops in the middle of a file.
    TScriptChannel L;
    L.Script = {Frame(1, std::string(128, 'a'))};
    TXYmodem Mid(&L);
    Mid.Timeouts = Zero();
    Mid.Mode = 3;
    Mid.FileName = Dir + "/got.vps";
    Mid.Execute();
    EXPECT_TRUE(Mid.Failed);
    EXPECT_EQ(Mid.LastError, "Timed out waiting for sender");
    EXPECT_EQ(L.AllWritten().substr(L.AllWritten().size() - 6), CAN6);
    EXPECT_TRUE(ListDir(Dir).size() == 1u);   // only send.vps
}

TEST_F(XYmodem, CancelIsSeenQuicklyAndTellsThePeer)
{
    int P[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, P);
    TXYFdChannel Line(P[0]);
    TXYmodem Rx(&Line);
    Rx.Timeouts.StartMs = 60000;
    Rx.Timeouts.HeaderMs = 60000;
    Rx.Mode = 3;
    Rx.FileName = Dir + "/got.vps";
    auto T0 = std::chrono::steady_clock::now();
    std::thread Canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Rx.Abort();
    });
    Rx.Execute();
    Canceller.join();
    auto Took = std::chrono::steady_clock::now() - T0;
    EXPECT_LT(Took, std::chrono::seconds(30));   // far below the minute it would otherwise wait
    EXPECT_EQ(Rx.LastError, "Canceled by user");
    uint8_t Buf[64];
    TXYFdChannel Peer(P[1]);
    std::string Seen;
    while (size_t n = Peer.Read(Buf, sizeof Buf, 200))
        Seen.append(reinterpret_cast<char*>(Buf), n);
    EXPECT_NE(Seen.find(CAN6), std::string::npos);
    close(P[0]);
    close(P[1]);
    EXPECT_TRUE(ListDir(Dir).empty());

    // A cancel from the progress dialog while sending: the receiver learns it from the line.
    WriteFileBytes(Dir + "/send.vps", PatternBytes(50000, 2));
    int A[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, A);
    TXYFdChannel SendLine(A[0]), ReceiveLine(A[1]);
    TXYmodem S(&SendLine), R(&ReceiveLine);
    S.Timeouts = R.Timeouts = Short();
    S.Mode = 4;
    S.FileName = Dir + "/send.vps";
    int Blocks = 0;
    S.OnProgress = [&](int32_t Delta) { return Delta > 0 && ++Blocks == 3; };
    R.Mode = 5;
    R.FileName = Dir + "/got.vps";
    int Results = 0;
    R.OnResult = [&](bool Failed) { Results += Failed ? 1 : 100; };
    std::thread Sender([&] { S.Execute(); });
    R.Execute();
    Sender.join();
    EXPECT_EQ(S.LastError, "Canceled by user");
    EXPECT_EQ(R.LastError, "Canceled by remote");
    EXPECT_EQ(Results, 1);
    EXPECT_FALSE(FileExists(Dir + "/got.vps"));
    close(A[0]);
    close(A[1]);
}

TEST_F(XYmodem, ReceiverToleratesLostAcknowledgementsAndStrayCancels)
{
    std::string B1(128, 'a'), B2(128, 'b');
    TScriptChannel L;
    // C -> block 1; ACK -> block 1 again (our ACK "was lost"); ACK -> a stray CAN, then block 2; ACK -> EOT;
    // NAK -> EOT again; ACK.
    L.Script = {Frame(1, B1), Frame(1, B1), "\x18" + Frame(2, B2), "\x04", "\x04"};
    TXYmodem X(&L);
    X.Timeouts = Zero();
    X.Mode = 3;
    X.FileName = Dir + "/got.vps";
    X.Execute();
    EXPECT_FALSE(X.Failed) << X.LastError;
    EXPECT_EQ(ReadFileBytes(Dir + "/got.vps"), B1 + B2);
    EXPECT_EQ(L.AllWritten(), "C\x06\x06\x06\x15\x06");

    // A damaged block is asked for again and reported as status text, not as a box.
    TScriptChannel D;
    D.Script = {Frame(1, B1, false, true), Frame(1, B1, false), "\x04", "\x04"};
    TXYmodem Y(&D);
    Y.Timeouts = Zero();
    Y.Mode = 1;
    Y.FileName = Dir + "/got2.vps";
    std::vector<std::string> Status;
    Y.OnMessage = [&](const std::string& s) { Status.push_back(s); };
    size_t BoxesBefore = Dialogs.Boxes.size();
    Y.Execute();
    EXPECT_FALSE(Y.Failed) << Y.LastError;
    EXPECT_EQ(ReadFileBytes(Dir + "/got2.vps"), B1);
    EXPECT_NE(std::find(Status.begin(), Status.end(), "Bad packet"), Status.end());
    EXPECT_EQ(Dialogs.Boxes.size(), BoxesBefore);

    // Two CANs in a row cancel.
    TScriptChannel C;
    C.Script = {Frame(1, B1), "\x18\x18"};
    TXYmodem Z(&C);
    Z.Timeouts = Zero();
    Z.Mode = 3;
    Z.FileName = Dir + "/got3.vps";
    Z.Execute();
    EXPECT_TRUE(Z.Failed);
    EXPECT_EQ(Z.LastError, "Canceled by remote");
    EXPECT_FALSE(FileExists(Dir + "/got3.vps"));
    ASSERT_FALSE(Dialogs.Boxes.empty());
    EXPECT_EQ(Dialogs.Boxes.back(), "Error: Canceled by remote");
}

TEST_F(XYmodem, HostileYmodemHeadersAreRefused)
{
    ::mkdir((Dir + "/in").c_str(), 0755);
    std::string Data = PatternBytes(128, 9);
    auto Receive = [&](const std::string& HeaderBlock, std::vector<std::string> Rest, uint8_t Mode = 7) {
        auto L = std::make_unique<TScriptChannel>();
        L->Script = {HeaderBlock};
        L->Script.insert(L->Script.end(), Rest.begin(), Rest.end());
        auto X = std::make_unique<TXYmodem>(L.get());
        X->Timeouts = Zero();
        X->Mode = Mode;
        X->FileName = Dir + "/in/";
        X->Execute();
        return std::make_pair(std::move(X), std::move(L));
    };
    // Folders in the name are dropped; the size cuts the padding.
    const std::vector<std::string> OneBlock = {"", Frame(1, Data), "\x04", "\x04", Frame(0, Header("", ""))};
    for (std::string Name : {"../../escape.vps", "/etc/escape.vps", "C:\\dir\\escape.vps"}) {
        auto [X, L] = Receive(Frame(0, Header(Name, "100")), OneBlock);
        EXPECT_FALSE(X->Failed) << Name << ": " << X->LastError;
        EXPECT_EQ(ListDir(Dir + "/in"), std::vector<std::string>{"escape.vps"}) << Name;
        EXPECT_EQ(ReadFileBytes(Dir + "/in/escape.vps"), Data.substr(0, 100));
        ::unlink((Dir + "/in/escape.vps").c_str());
    }
    EXPECT_TRUE(ListDir(Dir).size() == 1u);
    // Unusable names, a header without its terminator, a size the data does not reach: failure, no file.
    struct {
        std::string Block;
        std::string Error;
    } Bad[] = {
        {Frame(0, Header("..", "5")), "Unacceptable file name from sender: .."},
        {Frame(0, Header("dir/", "5")), "Unacceptable file name from sender: dir/"},
        {Frame(0, std::string(128, 'x')), "Unacceptable file name from sender: " + std::string(64, 'x')},
        {Frame(0, Header("long.vps", "2000")), "The received file is shorter than the sender announced"},
    };
    for (auto& B : Bad) {
        auto [X, L] = Receive(B.Block, OneBlock);
        EXPECT_TRUE(X->Failed) << B.Error;
        EXPECT_EQ(X->LastError, B.Error);
        EXPECT_TRUE(ListDir(Dir + "/in").empty()) << B.Error;
    }
    // YMODEM-G cannot ask again: a damaged block stops the transfer cleanly with the cancel sequence.
    auto [G, L] = Receive(Frame(0, Header("g.vps", "128")), {"", Frame(1, Data, true, true)}, 9);
    EXPECT_TRUE(G->Failed);
    EXPECT_EQ(G->LastError, "Bad packet");
    EXPECT_EQ(L->Writes.back(), CAN6);
    EXPECT_TRUE(ListDir(Dir + "/in").empty());
    ::rmdir((Dir + "/in").c_str());
}

TEST_F(XYmodem, FileProblemsAndProgressTotals)
{
    TScriptChannel L;
    TXYmodem X(&L);
    X.Timeouts = Zero();
    int Results = 0;
    X.OnResult = [&](bool Failed) { Results += Failed ? 1 : 100; };
    X.Mode = 0;
    X.FileName = Dir + "/missing.vps";
    X.Execute();
    EXPECT_EQ(X.LastError, "Cannot open file: " + Dir + "/missing.vps");
    EXPECT_EQ(Results, 1);
    EXPECT_EQ(Dialogs.Boxes.back(), "Error: Cannot open file: " + Dir + "/missing.vps");
    X.Mode = 3;
    X.FileName = Dir + "/no/such/folder/got.vps";
    X.Execute();
    EXPECT_EQ(X.LastError, "Cannot open file: " + Dir + "/no/such/folder/got.vps");
    EXPECT_TRUE(L.Writes.empty());   // the sender was never asked to start

    // Without a known size no total is given, so nothing divides by it; ExpectedSize gives one.
    for (int32_t Expected : {0, 300}) {
        TScriptChannel S;
        S.Script = {Frame(1, std::string(128, 'q')), Frame(2, std::string(128, 'r')), "\x04", "\x04"};
        TXYmodem R(&S);
        R.Timeouts = Zero();
        R.Mode = 3;
        R.ExpectedSize = Expected;
        R.FileName = Dir + "/p.vps";
        std::vector<int32_t> Starts;
        int32_t Done = 0;
        R.OnStart = [&](int32_t t) { Starts.push_back(t); };
        R.OnProgress = [&](int32_t d) {
            Done += d;
            return false;
        };
        R.Execute();
        EXPECT_FALSE(R.Failed) << R.LastError;
        EXPECT_EQ(Starts, Expected ? std::vector<int32_t>{300} : std::vector<int32_t>{});
        EXPECT_EQ(Done, 256);
    }
}

TEST(XYmodemTexts, ReplacedByKey)
{
    EXPECT_TRUE(SetXYMessageText("SXY_CancelByUser", "Abgebrochen"));
    EXPECT_EQ(XYMessageText(SXY_CancelByUser), "Abgebrochen");
    EXPECT_FALSE(SetXYMessageText("SXY_NoSuchKey", "x"));
    // The text store reaches the same table through the group name.
    EXPECT_TRUE(SetGroupString("XYmodem Unit", "SXY_BadPacket", "Paket defekt"));
    EXPECT_EQ(XYMessageText(SXY_BadPacket), "Paket defekt");
    EXPECT_FALSE(SetGroupString("XYmodem Unit", "SXY_NoSuchKey", "x"));
    EXPECT_STREQ(XYMessageKey(SXY_ExpectingSOH_STX_EOT_CAN), "SXY_ExpectingSOH_STX_EOT_CAN");
    ResetXYMessageTexts();
    EXPECT_EQ(XYMessageText(SXY_CancelByUser), "Canceled by user");
}
