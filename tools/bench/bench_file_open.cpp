// File Open of the largest data file, against the same open without the check of each node's name against its
// description node, measured in the same run. The file is the simulator's office read as Load all reads it (as
// bench_grid_form does), its Mailbox Listing grown to 366 mailboxes with copies of mailbox 101 (a scheduled
// notification device: 28 schedule values under days and time frames named from lists). An open is what File Open
// does with the bytes: the binary load linked to the description, the document's check and the values' check.
// Goal: the open with the name checks within 1.1x of the one without. The ratio is printed at the end: from runs of
// each made one right after the other, and from the benchmarks' repetitions.
#include "RatioReporter.h"
#include "GridFormOffice.h"

#include "engine/DataManager.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

namespace {
constexpr int Mailboxes = 366;

struct TFile {
    TXmlDoc View;
    std::string Image;   // the data file's bytes
    std::string Why;     // why there is none
    int Nodes = 0;

    TFile()
    {
        View.ShowErrors = false;
        const std::filesystem::path Dat =
            std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Orlantis.dat";
        if (!View.LoadFromFile(Dat.string(), true)) {
            Why = "no description document at " + Dat.string();
            return;
        }
        TXmlDoc Data(&View);
        if (!LoadOffice(Data, View, Why))
            return;
        TXmlNode* Listing = Data.FindNode(nullptr, "Mailbox Listing");
        TXmlNode* First = Listing ? Data.FindNode(Listing, "Mailbox No. 101") : nullptr;
        if (!First) {
            Why = "the office has no mailbox 101";
            ReleaseOffice();
            return;
        }
        for (int No = 100; Listing->Nodes.Count() < Mailboxes && No < 998; ++No) {
            const std::string Key = std::to_string(No);
            if (Data.FindNode(Listing, "Mailbox No. " + Key))
                continue;
            std::unique_ptr<TXmlNode> Copy = First->Clone(true);
            Copy->SetAttr("Name", "Mailbox No. " + Key);
            Copy->SetAttr("Value", Key);
            Data.AssignIDs(Listing->Nodes.Items(Listing->Merge(*Copy, true)));
        }
        std::ostringstream Out;
        Data.SaveToStream(Out, true);
        Image = Out.str();
        Nodes = Data.NodeCount();
        ReleaseOffice();
        if (const std::string Problem = CheckDataDocument(Data, View); !Problem.empty())
            Why = "the grown office is refused: " + Problem;
    }
};

TFile& File()
{
    static TFile F;
    return F;
}

// One open of the file's bytes, as File Open makes it.
void openOnce(bool Names)
{
    std::istringstream In(File().Image);
    TXmlDoc Data(&File().View);
    Data.ShowErrors = false;
    benchmark::DoNotOptimize(Data.LoadFromStream(In, true));
    benchmark::DoNotOptimize(CheckDataDocument(Data, File().View, Names));
    benchmark::DoNotOptimize(CheckDataValues(Data));
}

constexpr int Runs = 9;
double fastest(const std::vector<double>& Times) { return *std::min_element(Times.begin(), Times.end()); }

void BM_FileOpen(benchmark::State& State)
{
    for (auto _ : State)
        openOnce(true);
}
BENCHMARK(BM_FileOpen)->Unit(benchmark::kMillisecond)->Repetitions(Runs)->ComputeStatistics("min", fastest)
    ->ReportAggregatesOnly(true);

void BM_FileOpenWithoutNameChecks(benchmark::State& State)
{
    for (auto _ : State)
        openOnce(false);
}
BENCHMARK(BM_FileOpenWithoutNameChecks)->Unit(benchmark::kMillisecond)->Repetitions(Runs)
    ->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);

// Each round opens the file with the checks and without them, one right after the other; the fastest single run of
// each over all rounds is kept (the machine is shared: other work only ever adds time).
std::pair<double, double> fastestSideBySide(int Rounds)
{
    auto ms = [](bool Names) {
        auto start = std::chrono::steady_clock::now();
        openOnce(Names);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    double With = 1e300, Without = 1e300;
    for (int r = 0; r < Rounds; ++r) {
        With = std::min(With, ms(true));
        Without = std::min(Without, ms(false));
    }
    return {With, Without};
}
}

int main(int argc, char** argv)
{
    TRecordingDialogs silent;
    TDialogsScope scope(&silent);
    if (!File().Why.empty()) {
        std::printf("no file to open: %s\n", File().Why.c_str());
        return 1;
    }
    std::printf("data file: %d mailboxes, %d nodes, %zu bytes\n", Mailboxes, File().Nodes, File().Image.size());
    static std::string interleave = "--benchmark_enable_random_interleaving=true";
    static char* args[64];
    int n = 0;
    args[n++] = argv[0];
    args[n++] = interleave.data();
    for (int i = 1; i < argc && n < 62; ++i)
        args[n++] = argv[i];
    args[n] = nullptr;
    argc = n;
    argv = args;
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter("min", false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.Times;
    std::printf("\nFile Open with the name checks against without them (goal: <= 1.1)\n");
    const auto [With, Without] = fastestSideBySide(30);
    std::printf("  side by side, fastest of 30 rounds: %.2f (ms: %.2f, %.2f)\n", With / Without, With, Without);
    if (t["BM_FileOpenWithoutNameChecks"] > 0)
        std::printf("  the benchmarks above, fastest of %d repetitions: %.2f\n", Runs,
            t["BM_FileOpen"] / t["BM_FileOpenWithoutNameChecks"]);
    if (!silent.Boxes.empty()) {
        std::printf("error: %s\n", silent.Boxes.front().Text.c_str());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
