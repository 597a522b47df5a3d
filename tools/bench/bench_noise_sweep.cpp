// Load all over a noisy line: the engine with the real description against the simulator, which garbles each byte
// it prints with a given probability (or loses it, or adds a byte before it: --fault noise, lose or insert). For
// each rate, over seeds no test uses, it counts the loads told as good, those told as failed, and the good ones that
// hold a value the clean load does not (wrong); a wrong value that still keeps its rules (a digit for a digit) cannot
// be told from the device's own, and is counted apart. Runs for a minute or two, so it is no test.
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

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

using TValues = std::map<std::string, std::pair<std::string, const TXmlNode*>>;

struct TLoad {
    bool Good = false;
    std::string Failure;
    TValues Values;
    int Readings = 0;
    std::vector<std::string> DeviceValues;   // what the one box after the load named
};

TLoad loadAll(const std::string& Sim, const std::string& State, TXmlDoc& Description, std::vector<std::string> Args)
{
    Args.insert(Args.end(), {"--state", State});
    TLoad out;
    TXmlDoc data(&Description);
    TDataManager manager(&data, &Description);
    TXmlNode* params = Description.FindNode(nullptr, "VMU Parameters 409");
    TSimulatorChild simulator(Sim, Args);
    if (!params || simulator.Path.empty()) {
        out.Failure = "no parameter tree or no simulator";
        return out;
    }
    TSerPort port;
    OpenSimulatorPort(port, simulator.Path);
    {
        TSerPortVmu link(port);
        auto made = MakeSimulatorEngine(link, manager, params);
        TManagerVMU& engine = *made;
        engine.CharPaceMs = 2;
        bool failed = false;
        engine.OnResult = [&](bool f) { failed = failed || f; };
        auto all = manager.GetLoadSteps(params, "");
        engine.Mode = doLoad;
        engine.Steps = all.get();
        engine.Execute();
        port.Close();
        out.Good = !failed;
        out.Failure = engine.FailureText;
        out.Readings = engine.Readings;
        out.DeviceValues = engine.DeviceValues;
    }
    out.Values = DocumentValues(data);
    return out;
}
} // namespace

int main(int argc, char** argv)
{
    int Seeds = 20, FirstSeed = 5000;
    std::vector<std::string> Rates = {"0.0001", "0.0003"};
    std::string Fault = "--noise";   // or "--lose", "--insert": the simulator's option that garbles the line
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--fault") == 0)
            Fault = std::string("--") + argv[i + 1];
        else if (std::strcmp(argv[i], "--seeds") == 0)
            Seeds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--first-seed") == 0)
            FirstSeed = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--rate") == 0)
            Rates = {argv[i + 1]};
    fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    std::string dat = (bin / "Orlantis.dat").string(), sim = (bin / "vmusim").string();
    const std::string state = DefaultSimulatorState(bin);
    if (!fs::exists(dat) || !fs::exists(sim) || state.empty()) {
        std::printf("bench_noise_sweep: needs %s, %s and data/vmusim/default.state above them\n", dat.c_str(),
            sim.c_str());
        return 0;
    }
    TRecordingDialogs silent;
    TDialogsScope dialogs(&silent);
    std::string folder = (fs::temp_directory_path() / "orlantis-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return 1;
    {
        TProgramFolderScope steps(folder);
        TXmlDoc description;
        description.ShowErrors = false;
        if (!description.LoadFromFile(dat, true)) {
            std::printf("error: %s\n", description.LastError.c_str());
            return 1;
        }
        const TLoad clean = loadAll(sim, state, description, {});
        if (!clean.Good) {
            std::printf("the clean load failed: %s\n", clean.Failure.c_str());
            return 1;
        }
        std::printf("clean load: %zu values\n\n", clean.Values.size());
        std::printf("| rate | loads | told good | told failed | wrong | of them within rules | most readings |\n");
        std::printf("|---|---|---|---|---|---|---|\n");
        for (const std::string& rateText : Rates) {
            const char* rate = rateText.c_str();
            int good = 0, failed = 0, wrong = 0, withinRules = 0, readings = 0;
            for (int s = 0; s < Seeds; ++s) {
                const int seed = FirstSeed + s;
                const TLoad noisy = loadAll(sim, state, description, {Fault, rate, "--seed", std::to_string(seed)});
                for (const std::string& v : noisy.DeviceValues)
                    std::fprintf(stderr, "rate %s seed %d: kept as the device's: %s\n", rate, seed, v.c_str());
                readings = std::max(readings, noisy.Readings);
                if (!noisy.Good) {
                    ++failed;
                    std::fprintf(stderr, "rate %s seed %d failed: %s\n", rate, seed, noisy.Failure.c_str());
                    continue;
                }
                ++good;
                bool differs = false, allWithin = true;
                for (const auto& [path, value] : clean.Values) {
                    // The device's clock runs between the loads.
                    if (path.find("/System Date/Time/") != std::string::npos)
                        continue;
                    auto found = noisy.Values.find(path);
                    if (found != noisy.Values.end() && found->second.first == value.first)
                        continue;
                    differs = true;
                    const bool within = found != noisy.Values.end() &&
                        CheckValue(ValueRuleOf(value.second), found->second.first).empty();
                    allWithin = allWithin && within;
                    std::fprintf(stderr, "rate %s seed %d: %s reads \"%s\" for \"%s\"%s\n", rate, seed,
                        path.c_str(), found == noisy.Values.end() ? "(missing)" : ShownValue(found->second.first).c_str(),
                        value.first.c_str(), within ? " (within its rules)" : "");
                }
                differs = differs || noisy.Values.size() != clean.Values.size();
                wrong += differs;
                withinRules += differs && allWithin;
            }
            std::printf("| %s | %d | %d | %d | %d | %d | %d |\n", rate, Seeds, good, failed, wrong, withinRules, readings);
            std::fflush(stdout);
        }
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
