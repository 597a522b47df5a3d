// Load all at 9,600 baud: the engine with the real description runs the whole parameter tree's load against the
// device simulator paced like a real line, and the time it takes is set beside the line's own transfer time (the
// bytes both ways at 10 bits each, plus the pause the engine keeps after every character it sends). Goal: within
// 1.05x. A timeline of the exchange says where the rest goes: the silence between the end of an answer and the
// next keystroke is the program's own. Runs for minutes, so it is no test.
#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SerPortVmu.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "serial/SerPort.h"
#include "support/EngineOnSimulator.h"
#include "support/RecordingDialogs.h"
#include "support/SimulatorChild.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

namespace {
using TClock = std::chrono::steady_clock;
constexpr int Baud = 9600;

double seconds(TClock::duration d) { return std::chrono::duration<double>(d).count(); }

// The engine's port with every write and read noted on one time line.
class TTimedPort final : public TVmuPort {
public:
    explicit TTimedPort(TVmuPort& Inner) : Inner(Inner) {}
    struct TEvent {
        TClock::time_point At;
        bool Sent;
        std::string Text;
    };
    std::vector<TEvent> Events;
    size_t SentBytes = 0, ReceivedBytes = 0;

    int Read(char* Buffer, int Count, int TimeoutMs) override
    {
        int n = Inner.Read(Buffer, Count, TimeoutMs);
        if (n > 0) {
            ReceivedBytes += size_t(n);
            Events.push_back({TClock::now(), false, std::string(Buffer, size_t(n))});
        }
        return n;
    }
    void WriteStr(const std::string& Text) override
    {
        Inner.WriteStr(Text);
        SentBytes += Text.size();
        Events.push_back({TClock::now(), true, Text});
    }
    void ClearBuffer(bool Input, bool Output) override { Inner.ClearBuffer(Input, Output); }
    bool DSR() override { return Inner.DSR(); }
    TChunkEvent SetOnChunk(TChunkEvent Handler) override { return Inner.SetOnChunk(std::move(Handler)); }

private:
    TVmuPort& Inner;
};

std::string printable(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out.size() > 24 ? out.substr(0, 24) + "..." : out;
}

// One keystroke run and what came back until the next one.
struct TExchange {
    std::string Keys;
    TClock::time_point FirstKey, LastKey, FirstByte, LastByte, NextKey;
    size_t Bytes = 0;
    bool Answered = false;
};

// Splits the run's time three ways: the line's own transfer time, what the device took beyond it (from the pause
// after the last key to the last byte of its answer, less the answer's bytes at the line's rate), and the rest,
// which is the program's own (silence after answers, the parse, the log-in's bookkeeping). The split is rough by
// a few tenths of a second either way: the device echoes keys while the engine is still pacing them.
struct TSplit {
    double Device = 0;      // the device's answering time beyond the line's rate
    double Silence = 0;     // after the last byte of an answer until the next key
};

TSplit timeline(const std::vector<TTimedPort::TEvent>& events, TClock::time_point end, int charPaceMs)
{
    std::vector<TExchange> runs;
    for (const auto& e : events) {
        if (e.Sent) {
            if (runs.empty() || runs.back().Answered) {
                if (!runs.empty())
                    runs.back().NextKey = e.At;
                runs.push_back({});
                runs.back().FirstKey = e.At;
            }
            runs.back().Keys += e.Text;
            runs.back().LastKey = e.At;
        } else if (!runs.empty()) {
            TExchange& r = runs.back();
            if (!r.Answered)
                r.FirstByte = e.At;
            r.Answered = true;
            r.LastByte = e.At;
            r.Bytes += e.Text.size();
        }
    }
    if (!runs.empty())
        runs.back().NextKey = end;
    const auto pace = std::chrono::milliseconds(charPaceMs);
    TSplit split;
    double answering = 0, answerLine = 0;
    std::vector<std::pair<double, const TExchange*>> slowest;
    for (const TExchange& r : runs) {
        if (!r.Answered)
            continue;
        double took = std::max(0.0, seconds(r.LastByte - (r.LastKey + pace)));
        double line = double(r.Bytes) * 10.0 / Baud;
        answering += took;
        answerLine += line;
        split.Silence += seconds(r.NextKey - r.LastByte);
        slowest.push_back({took - line, &r});
    }
    split.Device = answering - answerLine;
    std::sort(slowest.begin(), slowest.end(), [](auto& a, auto& b) { return a.first > b.first; });
    std::printf("timeline: %zu exchanges\n", runs.size());
    std::printf("  the device answered in %.2f s what the line carries in %.2f s (%.3fx)\n", answering, answerLine,
        answerLine > 0 ? answering / answerLine : 0);
    std::printf("  silence after the answers until the next key: %.2f s\n", split.Silence);
    std::printf("  answers the device sent slowest beyond the line's rate:\n");
    for (size_t i = 0; i < slowest.size() && i < 5; ++i)
        std::printf("    +%.3f s on %zu bytes after \"%s\"\n", slowest[i].first, slowest[i].second->Bytes,
            printable(slowest[i].second->Keys).c_str());
    return split;
}
}

int main()
{
    namespace fs = std::filesystem;
    fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    std::string dat = (bin / "Orlantis.dat").string(), sim = (bin / "vmusim").string();
    // The simulator's state file in the source tree above the build folder.
    const std::string state = DefaultSimulatorState(bin);
    if (!fs::exists(dat) || !fs::exists(sim) || state.empty()) {
        std::printf("bench_load_all: needs %s, %s and data/vmusim/default.state above them\n", dat.c_str(), sim.c_str());
        return 0;
    }
    TRecordingDialogs silent;
    TDialogsScope dialogs(&silent);
    std::string folder = (fs::temp_directory_path() / "orlantis-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return 1;
    int rc = 0;
    {
        TProgramFolderScope steps(folder);   // step files go there, not beside the program
        TXmlDoc description;
        description.ShowErrors = false;
        if (!description.LoadFromFile(dat, true)) {
            std::printf("error: %s\n", description.LastError.c_str());
            return 1;
        }
        TXmlDoc data(&description);
        TDataManager manager(&data, &description);
        TXmlNode* params = description.FindNode(nullptr, "VMU Parameters 409");
        TSimulatorChild simulator(sim, {"--baud", std::to_string(Baud), "--state", state});
        if (!params || simulator.Path.empty()) {
            std::printf("error: no parameter tree or no simulator\n");
            return 1;
        }
        TSerPort port;
        OpenSimulatorPort(port, simulator.Path);
        TSerPortVmu link(port);
        TTimedPort timed(link);
        auto made = MakeSimulatorEngine(timed, manager, params);
        TManagerVMU& engine = *made;
        bool failed = false;
        engine.OnResult = [&](bool f) { failed = failed || f; };
        auto all = manager.GetLoadSteps(params, "");
        engine.Mode = doLoad;
        engine.Steps = all.get();
        std::printf("Load all at %d baud against the simulator's default state (runs a few minutes)...\n", Baud);
        std::fflush(stdout);
        auto start = TClock::now();
        engine.Execute();
        auto end = TClock::now();
        port.Close();
        double load = seconds(end - start);
        double line = double(timed.SentBytes + timed.ReceivedBytes) * 10.0 / Baud +
            double(timed.SentBytes) * engine.CharPaceMs / 1000.0;
        std::printf("sent %zu bytes, received %zu bytes, %d data nodes%s\n", timed.SentBytes, timed.ReceivedBytes,
            data.NodeCount(), failed ? " (the load FAILED)" : "");
        TSplit split = timeline(timed.Events, end, engine.CharPaceMs);
        std::printf("load %.2f s, line %.2f s, ratio %.3f (goal: <= 1.05)\n", load, line, line > 0 ? load / line : 0);
        double own = load - line - split.Device;
        std::printf("of the %.2f s beyond the line: the device's pacing %.2f s, the program's own %.2f s; line plus "
                    "the program's own: ratio %.3f\n", load - line, split.Device, own, line > 0 ? (line + own) / line : 0);
        rc = failed ? 1 : 0;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return rc;
}
