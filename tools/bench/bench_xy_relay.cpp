// File sends over a line paced like a real 115,200-baud port: the program's XMODEM-1K and YMODEM sender, run the
// way the terminal window runs it (the main window's kind of port, the progress dialog's worker), beside lrzsz's
// own sender, each to lrzsz's receiver through the same relay. Prints each one's effective byte rate as a fraction
// of the line's byte rate over the data blocks (goal for the program: 0.95 or better) and over the whole transfer
// (which adds the receiver's own pauses at start and end), and the turnarounds between blocks. Runs about two
// minutes, so it is no test; skips with a line when lrzsz or socat is missing. Arguments: the file's size in KiB
// (default 256), --timeline to print the line's traffic.
#include "common/ExecuteProcess.h"
#include "platform/Dialogs.h"
#include "platform/MainThread.h"
#include "serial/SerPort.h"
#include "serial/XYmodem.h"
#include "support/RecordingDialogs.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <random>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using TClock = std::chrono::steady_clock;
constexpr int Baud = 115200;
constexpr int BytesPerSecond = Baud / 10;   // 8 data bits, a start and a stop bit
constexpr size_t FifoSize = 16;             // the transmit FIFO of a common UART

double seconds(TClock::duration d) { return std::chrono::duration<double>(d).count(); }
double millis(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// End of the k-th byte (from 1) of a run of bytes that started at Start; computed from the start each time, so
// rounding never adds up.
TClock::time_point byteEnd(TClock::time_point Start, int64_t k)
{
    return Start + std::chrono::nanoseconds(k * 1000000000LL / BytesPerSecond);
}

// One pseudo-terminal: the relay holds the master and keeps the slave open (raw, at the line's speed) so that a
// peer opening and closing it never hangs the master up.
struct TPty {
    int Master = -1, Slave = -1;
    std::string Path;
    TPty()
    {
        Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0)
            return;
        Path = ::ptsname(Master);
        Slave = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios T;
        if (Slave >= 0 && ::tcgetattr(Slave, &T) == 0) {
            ::cfmakeraw(&T);
            ::cfsetspeed(&T, B115200);
            ::tcsetattr(Slave, TCSANOW, &T);
        }
    }
    ~TPty()
    {
        for (int fd : {Master, Slave})
            if (fd >= 0)
                ::close(fd);
    }
    bool Ok() const { return Slave >= 0; }
};

// Two pseudo-terminals joined as by a null-modem cable between two UARTs. Each way, bytes are taken from the
// sending side only as its small FIFO has room (the rest waits in the pseudo-terminal as in a driver's buffer)
// and handed to the other side each at the end of its own 10-bit time slot. A run of bytes is timed from its first
// byte, so a late wake-up of the relay delivers what is due at once and the line keeps its rate; a byte that finds
// the line idle starts when it is seen.
class TPacedRelay {
public:
    // What happened on the line, for the turnaround figures.
    struct TEvent {
        TClock::time_point At;
        int Side;       // 0: the sending side (A), 1: the receiving side (B)
        bool Taken;     // taken from that side (it wrote), or handed to it (it can read)
        size_t Bytes;
        uint8_t First;
    };

    TPacedRelay()
    {
        // Room for a 256 KiB run (a note per byte handed over), so that the log never grows under the lock.
        Log.reserve(size_t(1) << 19);
        if (A.Ok() && B.Ok() && ::pipe2(StopPipe, O_CLOEXEC | O_NONBLOCK) == 0)
            Worker = std::thread([this] { Run(); });
    }
    ~TPacedRelay()
    {
        if (Worker.joinable()) {
            char c = 0;
            (void)!::write(StopPipe[1], &c, 1);
            Worker.join();
        }
        for (int fd : StopPipe)
            if (fd >= 0)
                ::close(fd);
    }
    bool Ok() const { return Worker.joinable(); }
    const std::string& SenderPath() const { return A.Path; }
    const std::string& ReceiverPath() const { return B.Path; }
    // Valid once the relay is stopped (destroyed) or quiet; copied under the lock.
    std::vector<TEvent> Events()
    {
        std::lock_guard<std::mutex> g(Lock);
        return Log;
    }
    size_t Carried(int From) const { return CarriedBytes[From].load(); }
    double WorstLateMs() const { return WorstLate.load() / 1000.0; }
    bool RealTimePriority() const { return RealTime.load(); }

private:
    struct TSlot {
        uint8_t Byte;
        TClock::time_point End;
    };
    struct TWay {
        int From = -1, To = -1, Side = 0;
        std::deque<TSlot> Fifo;
        TClock::time_point RunStart{};
        int64_t RunBytes = 0;
        bool Backlog = false;   // the last take filled the FIFO: more may wait on the sending side
        bool Broken = false;    // a side failed: the way is left alone (a real-time thread must never spin)
        std::vector<uint8_t> Out;   // due but not yet taken by the receiving side
    };

    void Note(TClock::time_point At, int Side, bool Taken, size_t Bytes, uint8_t First)
    {
        std::lock_guard<std::mutex> g(Lock);
        Log.push_back({At, Side, Taken, Bytes, First});
    }

    void Take(TWay& W, TClock::time_point Now)
    {
        while (W.Fifo.size() < FifoSize) {
            uint8_t Buf[FifoSize];
            size_t Room = FifoSize - W.Fifo.size();
            ssize_t n = ::read(W.From, Buf, Room);
            if (n <= 0) {
                W.Backlog = false;
                W.Broken = W.Broken || n == 0 || (errno != EAGAIN && errno != EINTR);
                return;
            }
            // Bytes that were waiting behind a full FIFO go on in the same run; new ones after an idle line
            // start a run of their own.
            if (!W.Backlog && (W.RunBytes == 0 || byteEnd(W.RunStart, W.RunBytes) < Now)) {
                W.RunStart = Now;
                W.RunBytes = 0;
            }
            for (ssize_t i = 0; i < n; ++i)
                W.Fifo.push_back({Buf[i], byteEnd(W.RunStart, ++W.RunBytes)});
            W.Backlog = size_t(n) == Room;
            Note(Now, W.Side, true, size_t(n), Buf[0]);
        }
    }

    void Hand(TWay& W, TClock::time_point Now)
    {
        while (!W.Fifo.empty() && W.Fifo.front().End <= Now) {
            int64_t Late = std::chrono::duration_cast<std::chrono::microseconds>(Now - W.Fifo.front().End).count();
            WorstLate = std::max<int64_t>(WorstLate.load(), Late);
            W.Out.push_back(W.Fifo.front().Byte);
            W.Fifo.pop_front();
        }
        if (W.Out.empty())
            return;
        uint8_t First = W.Out.front();
        ssize_t n = ::write(W.To, W.Out.data(), W.Out.size());
        if (n > 0) {
            W.Out.erase(W.Out.begin(), W.Out.begin() + n);
            CarriedBytes[W.Side] += size_t(n);
            Note(Now, 1 - W.Side, false, size_t(n), First);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR)
            W.Broken = true;
    }

    void Run()
    {
        // A UART keeps its time whatever else the machine does: the default timer slack (50 us) is more than half
        // a byte's time at this rate, and where allowed the relay runs ahead of ordinary threads (the builds
        // beside it), so that its own wake-ups count as little as possible in the turnarounds.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
        sched_param Priority{};
        Priority.sched_priority = 1;
        RealTime = ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &Priority) == 0;
        TWay Ways[2];
        Ways[0].From = A.Master, Ways[0].To = B.Master, Ways[0].Side = 0;
        Ways[1].From = B.Master, Ways[1].To = A.Master, Ways[1].Side = 1;
        for (;;) {
            auto Now = TClock::now();
            for (TWay& W : Ways)
                if (!W.Broken) {
                    Hand(W, Now);
                    Take(W, Now);
                }
            pollfd P[5];
            int Count = 0;
            P[Count++] = {StopPipe[0], POLLIN, 0};
            TClock::time_point Wake = TClock::time_point::max();
            for (TWay& W : Ways) {
                if (W.Broken)
                    continue;
                if (W.Fifo.size() < FifoSize)
                    P[Count++] = {W.From, POLLIN, 0};
                if (!W.Out.empty())
                    P[Count++] = {W.To, POLLOUT, 0};
                if (!W.Fifo.empty())
                    Wake = std::min(Wake, W.Fifo.front().End);
            }
            timespec Ts, *Timeout = nullptr;
            if (Wake != TClock::time_point::max()) {
                auto Left = std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(
                    Wake - TClock::now()).count());
                Ts.tv_sec = time_t(Left / 1000000000);
                Ts.tv_nsec = long(Left % 1000000000);
                Timeout = &Ts;
            }
            if (::ppoll(P, nfds_t(Count), Timeout, nullptr) > 0 && (P[0].revents & POLLIN))
                return;
        }
    }

    TPty A, B;
    int StopPipe[2] = {-1, -1};
    std::mutex Lock;
    std::vector<TEvent> Log;
    std::atomic<size_t> CarriedBytes[2]{0, 0};
    std::atomic<int64_t> WorstLate{0};
    std::atomic<bool> RealTime{false};
    std::thread Worker;
};

// An lrzsz program on a line, started in Dir. It is joined to the line through socat, as the interoperability
// tests run it: on a terminal of its own, lrzsz flushes its output when it exits, and on a pseudo-terminal that
// throws away its last answer if the relay has not taken it yet (a real port would have sent it first).
pid_t spawnOnLine(const std::string& Line, const std::string& Dir, const std::string& Command)
{
    pid_t Pid = ::fork();
    if (Pid == 0) {
        int Null = ::open("/dev/null", O_RDWR);
        if (Null < 0 || ::chdir(Dir.c_str()) != 0)
            ::_exit(126);
        ::dup2(Null, 0);
        ::dup2(Null, 1);
        ::dup2(Null, 2);
        std::string Socat = "exec socat OPEN:" + Line + ",raw,echo=0 EXEC:'" + Command + "'";
        ::execl("/bin/sh", "sh", "-c", Socat.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return Pid;
}

// Exit status, or -1 when it did not end in time (it is then killed).
int waitFor(pid_t Pid, TClock::time_point Deadline)
{
    for (;;) {
        int Status;
        if (::waitpid(Pid, &Status, WNOHANG) == Pid)
            return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
        if (TClock::now() > Deadline) {
            ::kill(Pid, SIGKILL);
            ::waitpid(Pid, nullptr, 0);
            return -1;
        }
        ::usleep(2000);
    }
}

bool onPath(const std::string& Tool)
{
    std::string Path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    std::stringstream S(Path);
    std::string Dir;
    while (std::getline(S, Dir, ':'))
        if (!Dir.empty() && ::access((Dir + "/" + Tool).c_str(), X_OK) == 0)
            return true;
    return false;
}

std::string readAll(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

// The progress dialog as the worker sees it, with the real dialog's bar range.
class TQuietView : public TExecuteView {
public:
    void SetInfo(const std::string&) override {}
    int GetProgressMax() override { return 38; }
    void SetProgressPosition(int) override {}
    void SetFailed(bool v) override { Failed = Failed || v; }
    void GetPassword(std::string&) override {}
    void Finished() override { Done = true; }
    bool Failed = false, Done = false;
};

struct TProtocol {
    const char* Name;
    uint8_t Mode;              // the program's transfer mode
    const char* Receiver;      // lrzsz's receiver; %s: the received file's name where it needs one
    const char* Reference;     // lrzsz's sender of the same protocol; %s: the file
    const char* ReferenceName;
    bool Named;                // the receiver names the file from the header
};

const TProtocol Protocols[] = {
    {"XMODEM-1K", 4, "rx -q -b -c -y got.bin", "sx -q -b -k %s", "sx", false},
    {"YMODEM-1K", 6, "rb -q -b -y", "sb -q -b -k %s", "sb", true},
};

// Turnarounds within the data blocks: from the newest byte handed to a side until that side writes again.
struct TTurns {
    double Mean = 0, Median = 0, P99 = 0, Worst = 0, Sum = 0;
};

struct TResult {
    bool Ok = false;
    std::string Error;
    double Seconds = 0;
    double Fraction = 0;
    size_t LineBytes = 0;     // carried from sender to receiver, blocks and all
    // The data blocks alone: from the first 1K block's first byte to the answer to the last block (before the
    // first EOT). The whole transfer adds the start and the receiver's own pauses at the end of a file.
    double DataSeconds = 0;
    double DataFraction = 0;
    size_t Blocks = 0;
    TTurns Sender;     // an answer handed to the sender until its next block leaves
    TTurns Receiver;   // a block's last byte handed to the receiver until its answer leaves
    double WorstLateMs = 0;
    bool RealTime = false;   // the relay ran at real-time priority
};

TResult failure(const std::string& Error)
{
    TResult R;
    R.Error = Error;
    return R;
}

TTurns summary(std::vector<double> v)
{
    TTurns T;
    if (v.empty())
        return T;
    std::sort(v.begin(), v.end());
    for (double x : v)
        T.Sum += x;
    T.Mean = T.Sum / double(v.size());
    T.Median = v[v.size() / 2];
    T.P99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
    T.Worst = v.back();
    return T;
}

// Reads the relay's log. A sender's first write after an answer that starts with STX opens the data blocks; one
// that starts with EOT follows the answer to the last block.
void dataBlocks(const std::vector<TPacedRelay::TEvent>& Log, TResult& R, size_t Size)
{
    std::vector<double> Turn[2];
    TClock::time_point Pending[2], DataStart{}, DataEnd{};
    bool Waiting[2] = {false, false};
    const TClock::time_point None{};
    for (const auto& E : Log) {
        if (!E.Taken) {
            Pending[E.Side] = E.At;
            Waiting[E.Side] = true;
            continue;
        }
        if (!Waiting[E.Side])
            continue;
        Waiting[E.Side] = false;
        bool InData = DataStart != None && DataEnd == None;
        if (E.Side == 0 && E.First == TXYmodem::STX && DataStart == None)
            DataStart = E.At;
        if (E.Side == 0 && E.First == TXYmodem::EOT && InData) {
            DataEnd = Pending[0];
            InData = false;
        }
        if (InData)
            Turn[E.Side].push_back(millis(E.At - Pending[E.Side]));
    }
    R.Sender = summary(Turn[0]);
    R.Receiver = summary(Turn[1]);
    R.Blocks = Turn[1].size();
    if (DataStart != None && DataEnd > DataStart) {
        R.DataSeconds = seconds(DataEnd - DataStart);
        R.DataFraction = double(Size) / R.DataSeconds / BytesPerSecond;
    }
}

// With --timeline: the line's traffic, each burst of one side's writes or reads on one row (a burst ends at a
// pause of 2 ms), with its first byte.
bool ShowTimeline = false;
void timeline(const std::vector<TPacedRelay::TEvent>& Log, TClock::time_point Start)
{
    struct TBurst {
        TClock::time_point From, To;
        int Side;
        bool Taken;
        size_t Bytes;
        uint8_t First;
    };
    std::vector<TBurst> Bursts;
    int Open[2][2] = {{-1, -1}, {-1, -1}};
    for (const auto& E : Log) {
        int& i = Open[E.Side][E.Taken];
        if (i >= 0 && millis(E.At - Bursts[size_t(i)].To) < 2) {
            Bursts[size_t(i)].To = E.At;
            Bursts[size_t(i)].Bytes += E.Bytes;
            continue;
        }
        i = int(Bursts.size());
        Bursts.push_back({E.At, E.At, E.Side, E.Taken, E.Bytes, E.First});
    }
    for (const TBurst& B : Bursts)
        std::printf("    %10.3f ms %s %s %6zu bytes, first 0x%02x, until %.3f ms\n", millis(B.From - Start),
            B.Side ? "receiver" : "sender  ", B.Taken ? "wrote" : "got  ", B.Bytes, B.First, millis(B.To - Start));
}

// The whole transfer runs from the receiver's start to the last answer handed to the sender (what follows is
// the programs ending, and socat's linger after them).
TResult finish(TPacedRelay& Relay, TClock::time_point Start, size_t Size, const std::string& Got,
    const std::string& Want)
{
    TResult R;
    const std::vector<TPacedRelay::TEvent> Log = Relay.Events();
    TClock::time_point End = Start;
    for (const auto& E : Log)
        if (!E.Taken && E.Side == 0)
            End = E.At;
    R.Seconds = seconds(End - Start);
    R.Fraction = R.Seconds > 0 ? double(Size) / R.Seconds / BytesPerSecond : 0;
    R.LineBytes = Relay.Carried(0);
    R.WorstLateMs = Relay.WorstLateMs();
    R.RealTime = Relay.RealTimePriority();
    dataBlocks(Log, R, Size);
    if (ShowTimeline)
        timeline(Log, Start);
    // XMODEM pads the last block; the file must come back as sent up to its size.
    if (Got.size() < Want.size() || Got.compare(0, Want.size(), Want) != 0)
        R.Error = "the received file differs from the sent one";
    R.Ok = R.Error.empty();
    return R;
}

// The receiver works in Dir/in.
void emptyFolder(const std::string& Folder)
{
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder);
}

std::string received(const TProtocol& P, const std::string& Dir, const std::string& File)
{
    return readAll(Dir + "/in/" + (P.Named ? std::filesystem::path(File).filename().string() : "got.bin"));
}

// How long a sender gets to set its line up before the receiver starts asking.
constexpr auto SettleTime = std::chrono::milliseconds(300);

TResult runOurs(const TProtocol& P, const std::string& Dir, const std::string& File, size_t Size)
{
    TResult R;
    TPacedRelay Relay;
    if (!Relay.Ok())
        return failure("no pseudo-terminals");
    emptyFolder(Dir + "/in");
    TQueueMainThread Main;
    TMainThread* Before = TMainThread::setInstance(&Main);
    {
        // The main window's port, as it is made at start-up (at this line's speed).
        TSerPort Port;
        Port.SetPort(Relay.SenderPath());
        Port.SetBaudRate(br115200);
        Port.SetEvents(TSerEvents{evRxChar, evDSR});
        Port.Buffer().SetInputSize(4096);
        Port.Buffer().SetOutputSize(4096);
        Port.FlowControl().SetControlDTR(dtrEnable);
        Port.FlowControl().SetControlRTS(rtsEnable);
        Port.Timeouts().SetWriteTotalMultiplier(200);
        Port.Open();
        TXYmodem Job(&Port);
        Job.Mode = P.Mode;
        Job.FileName = File;
        TQuietView View;
        {
            TExecuteProcess Runner(View, &Job);
            Main.processUntil([] { return false; }, int(SettleTime.count()));
            auto Start = TClock::now();
            pid_t Peer = spawnOnLine(Relay.ReceiverPath(), Dir + "/in", P.Receiver);
            Main.processUntil([&] { return View.Done; }, 600000);
            int Status = waitFor(Peer, TClock::now() + std::chrono::seconds(30));
            R = finish(Relay, Start, Size, received(P, Dir, File), readAll(File));
            if (Job.Failed || View.Failed)
                R = failure("the program's sender failed: " + Job.LastError);
            else if (Status != 0)
                R = failure("the receiver ended with " + std::to_string(Status));
        }
        Port.Close();
    }
    TMainThread::setInstance(Before);
    return R;
}

TResult runReference(const TProtocol& P, const std::string& Dir, const std::string& File, size_t Size)
{
    TResult R;
    TPacedRelay Relay;
    if (!Relay.Ok())
        return failure("no pseudo-terminals");
    emptyFolder(Dir + "/in");
    char Command[512];
    std::snprintf(Command, sizeof Command, P.Reference, File.c_str());
    pid_t Sender = spawnOnLine(Relay.SenderPath(), Dir, Command);
    std::this_thread::sleep_for(SettleTime);
    auto Start = TClock::now();
    pid_t Peer = spawnOnLine(Relay.ReceiverPath(), Dir + "/in", P.Receiver);
    auto Deadline = TClock::now() + std::chrono::seconds(600);
    int SenderStatus = waitFor(Sender, Deadline);
    int PeerStatus = waitFor(Peer, Deadline);
    R = finish(Relay, Start, Size, received(P, Dir, File), readAll(File));
    if (SenderStatus != 0 || PeerStatus != 0)
        R = failure("lrzsz ended with " + std::to_string(SenderStatus) + " / " + std::to_string(PeerStatus));
    return R;
}

void print(const char* Who, const TResult& R)
{
    if (!R.Ok) {
        std::printf("  %-8s FAILED: %s\n", Who, R.Error.c_str());
        return;
    }
    std::printf("  %-8s data blocks %.3f of the line's byte rate (%.2f s), whole transfer %.3f (%.2f s); %zu bytes "
                "on the line\n", Who, R.DataFraction, R.DataSeconds, R.Fraction, R.Seconds, R.LineBytes);
    if (R.Blocks) {
        // A 1K block and its one-byte answer at the line's rate; the rest of each cycle is turnarounds.
        double Cycle = R.DataSeconds * 1000 / double(R.Blocks), Line = 1030.0 * 1000 / BytesPerSecond;
        std::printf("           per block %.2f ms: line %.2f, sender mean %.2f (median %.2f, 99th percentile %.2f, worst "
                    "%.2f), receiver mean %.2f (median %.2f), relay and rest %.2f; relay late by %.2f ms at worst%s\n",
            Cycle, Line, R.Sender.Mean, R.Sender.Median, R.Sender.P99, R.Sender.Worst, R.Receiver.Mean,
            R.Receiver.Median, Cycle - Line - (R.Sender.Sum + R.Receiver.Sum) / double(R.Blocks), R.WorstLateMs,
            R.RealTime ? "" : " (at ordinary priority: its wake-ups count in the turnarounds)");
    }
}
}  // namespace

int main(int argc, char** argv)
{
    for (const char* Tool : {"rx", "sx", "rb", "sb", "socat"})
        if (!onPath(Tool)) {
            std::printf("bench_xy_relay: skipped: %s is not installed (the paced transfers need lrzsz and socat)\n",
                Tool);
            return 0;
        }
    size_t KiB = 256;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--timeline")
            ShowTimeline = true;
        else
            KiB = size_t(std::max(1, std::atoi(argv[i])));
    size_t Size = KiB * 1024;
    std::string Dir = (std::filesystem::temp_directory_path() / "orlantis-relay-XXXXXX").string();
    if (!::mkdtemp(Dir.data()))
        return 1;
    std::string File = Dir + "/send.vps";
    {
        std::mt19937 Rng(29);
        std::string Data(Size, '\0');
        for (char& c : Data)
            c = char(Rng() & 0xFF);
        std::ofstream(File, std::ios::binary).write(Data.data(), std::streamsize(Data.size()));
    }
    TRecordingDialogs Silent;
    TDialogsScope Dialogs(&Silent);
    std::printf("Sending %zu KiB through a relay paced at %d baud (%d bytes/s each way, %zu-byte FIFO); goal for the "
                "program: 0.95 of the line's byte rate over the data blocks\n", KiB, Baud, BytesPerSecond, FifoSize);
    std::fflush(stdout);
    int rc = 0;
    for (const TProtocol& P : Protocols) {
        TResult Ours = runOurs(P, Dir, File, Size);
        TResult Theirs = runReference(P, Dir, File, Size);
        std::printf("%s:\n", P.Name);
        print("program", Ours);
        print(P.ReferenceName, Theirs);
        if (Ours.Ok && Theirs.Ok)
            std::printf("  ratio %s: data blocks: program %.3f, %s %.3f; whole transfer: program %.3f, %s %.3f "
                        "(goal: the program's data blocks >= 0.95)\n", P.Name, Ours.DataFraction, P.ReferenceName, Theirs.DataFraction,
                Ours.Fraction, P.ReferenceName, Theirs.Fraction);
        std::fflush(stdout);
        rc |= Ours.Ok ? 0 : 1;
    }
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
    return rc;
}
