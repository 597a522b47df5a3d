// The change set of an interactive Apply: what it costs to copy a window's records and work out what one changed
// name changes, for sections of 250, 366 and 1,000 mailbox-like records (each with its fields, three notification
// devices and their week of time frames: about 110 values). The time should grow with the records, not with their
// square: the ratio of 1,000 records to 250 is printed at the end (goal: about 4, where the square gives 16), with
// the copy and change set of 366 records in milliseconds.
//
// Then, in the same run, the real thing: the main window connected to the device simulator, whose office is grown
// to 366 mailboxes (copies of mailbox 101, each with a scheduled notification device), applies one changed name in
// Mailbox Listing. The Apply's own program time (the processor time of this process: the simulator runs in its own,
// and waiting for the line costs none) is set against what the window's copy of its records and the change set
// cost in that window. Goal: under 10%.
#include "RatioReporter.h"
#include "engine/ChangeSet.h"
#include "xml/XmlDoc.h"

#include "MainWindowBench.h"
#include "forms/base/BaseGrid.h"
#include "shell/main.h"
#include "support/MainOnSimulator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

TXmlNode* Add(TXmlNode* Parent, const std::string& Name, const std::string& Value)
{
    TXmlNode* Node = Parent->AddChild("ATTR");
    Node->SetName(Name);
    Node->SetAttr("Value", Value);
    Node->SetAttr("Change", "NoChange");
    return Node;
}

std::unique_ptr<TXmlNode> Section(int Records)
{
    auto S = std::make_unique<TXmlNode>("PARAM");
    S->SetName("Mailbox Listing");
    S->SetAttr("Change", "NoChange");
    for (int r = 0; r < Records; ++r) {
        TXmlNode* Box = Add(S.get(), std::to_string(1000 + r), std::to_string(1000 + r));
        for (const char* Field : {"Extension No.", "Last Name", "First Name", "Class of Service", "Password",
                 "Interview Mailbox Number", "Directory Listing", "Message Waiting Lamp", "Call Screening",
                 "Maximum Messages", "Greeting No.", "Personal Operator"})
            Add(Box, Field, std::string(Field).substr(0, 4) + std::to_string(r));
        for (const char* Device : {"1ST Device", "2ND Device", "3RD Device"}) {
            TXmlNode* D = Add(Box, Device, "");
            for (const char* Field : {"Device Number", "Device Type", "Notification Mode", "Number of Retries",
                     "Retry Interval"})
                Add(D, Field, "5");
            for (const char* Day : {"Day Sun", "Day Mon", "Day Tue", "Day Wed", "Day Thu", "Day Fri", "Day Sat"}) {
                TXmlNode* Week = Add(D, Day, "");
                for (const char* Frame : {"Time frame 1", "Time frame 2"}) {
                    TXmlNode* F = Add(Week, Frame, "");
                    Add(F, "Start Time", "09:00");
                    Add(F, "End Time", "17:00");
                }
            }
        }
    }
    return S;
}

// The Apply: the window's records copied before it, one name changed, and the change set worked out.
void BM_CopyAndChangeSet(benchmark::State& State)
{
    const int Records = int(State.range(0));
    std::unique_ptr<TXmlNode> Scope = Section(Records);
    TXmlNode* Name = Scope->Nodes.Items(Records / 2)->Nodes.FindByName("Last Name");
    for (auto _ : State) {
        std::unique_ptr<TXmlNode> Before = Scope->Clone(true);
        Name->SetAttr("Value", "CHANGED");
        const TChangeSet Changes = ChangesOfApply("Mailbox Listing", Before.get(), Scope.get());
        benchmark::DoNotOptimize(Changes.Changes.size());
        Name->SetAttr("Value", "Last0");
    }
}
BENCHMARK(BM_CopyAndChangeSet)->Arg(250)->Arg(366)->Arg(1000)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The copy alone, for comparison.
void BM_Copy(benchmark::State& State)
{
    std::unique_ptr<TXmlNode> Scope = Section(int(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(Scope->Clone(true));
}
BENCHMARK(BM_Copy)->Arg(366)->Unit(benchmark::kMillisecond)->Repetitions(5);

constexpr int Mailboxes = 366;

double Median(std::vector<double> Times)
{
    std::sort(Times.begin(), Times.end());
    return Times.empty() ? 0 : Times[Times.size() / 2];
}

double ProcessorMs()
{
    timespec T{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &T);
    return double(T.tv_sec) * 1e3 + double(T.tv_nsec) / 1e6;
}

double WallMs()
{
    timespec T{};
    clock_gettime(CLOCK_MONOTONIC, &T);
    return double(T.tv_sec) * 1e3 + double(T.tv_nsec) / 1e6;
}

// The simulator's default office with its Mailbox Listing grown to Mailboxes by copies of mailbox 101.
std::string GrownOffice()
{
    std::ifstream In(std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state");
    std::vector<std::string> Lines;
    for (std::string L; std::getline(In, L);)
        Lines.push_back(L);
    std::set<int> Numbers;
    std::vector<std::string> Box;   // mailbox 101's lines without its head
    size_t End = 0;                  // the line after the listing's last mailbox
    bool InListing = false, In101 = false;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const std::string& L = Lines[i];
        if (!L.empty() && L[0] == '[') {
            if (InListing)
                End = i;
            InListing = L == "[Mailbox Listing]";
            continue;
        }
        if (!InListing)
            continue;
        if (!L.empty() && L[0] == '<') {
            Numbers.insert(std::atoi(L.c_str() + 1));
            In101 = L == "<101>";
        } else if (In101 && !L.empty()) {
            Box.push_back(L);
        }
    }
    std::ostringstream Grown;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (i == End)
            for (int No = 100; Numbers.size() < size_t(Mailboxes) && No < 998; ++No) {
                if (!Numbers.insert(No).second)
                    continue;
                Grown << "<" << No << ">\n";
                for (const std::string& L : Box)
                    Grown << (L.rfind("Extension No. =", 0) == 0 ? "Extension No. = " + std::to_string(2000 + No) : L)
                          << "\n";
            }
        Grown << Lines[i] << "\n";
    }
    return Grown.str();
}

// One name changed and applied in Mailbox Listing, Rounds times; prints the Apply's program time beside the window's
// copy and change set. Answers false when the office or the window could not be had.
bool ApplyInListing(int argc, char** argv)
{
    TMainWindowBench Bench("the Apply in Mailbox Listing", argc, argv);
    if (!Bench.Ready())
        return !Bench.Built;
    TRecordingDialogs& Boxes = Bench.Boxes;
    const std::string& Folder = Bench.Folder;
    bool Done = false;
    {
        std::ofstream(Folder + "/office.state") << GrownOffice();
        TSimProcess Sim({"--state", Folder + "/office.state"});
        Sim.CloseLine();
        TMainForm M({});
        ShowOnSimulator(M, Sim.PtyPath());
        M.ConnectSet1Execute();
        TBaseGridForm* Listing = nullptr;
        if (M.Connected) {
            M.OpenNodeForm(M.TemplateDoc->FindNode(M.ParamsNode, "Mailbox Listing"));
            QApplication::processEvents();
            for (TBaseMDIForm* F : M.ChildForms())
                if (auto* G = qobject_cast<TBaseGridForm*>(F))
                    Listing = G;
        }
        // The window shows the System Manager's mailbox too, in a row of its own.
        const int Rows = Listing ? Listing->Grid->RowCount() : 0;
        if (Rows <= Mailboxes) {
            std::printf("the Apply in Mailbox Listing: no window of %d mailboxes (%d rows)\n", Mailboxes, Rows);
            Bench.PrintBoxes();
        } else {
            const int Row = Rows / 2, LastName = 2;
            const size_t BoxesBefore = Boxes.Boxes.size();
            std::vector<double> Program, Wall, Copy;
            for (int Round = 0; Round < 7; ++Round) {
                Listing->Grid->SetCells(LastName, Row, "BENCH" + std::string(1, char('A' + Round)));
                const double P = ProcessorMs(), W = WallMs();
                Listing->ButtonApplyClick();
                Program.push_back(ProcessorMs() - P);
                Wall.push_back(WallMs() - W);
            }
            // The same window's copy and change set of one more changed name, alone.
            TXmlNode* Scope = Listing->RecordNode ? Listing->RecordNode.Get() : Listing->SectionNode.Get();
            TXmlNode* Name = nullptr;
            for (const auto& Box : Scope->Nodes)
                if (Box->GetValue() == Listing->Grid->Cells(0, Row))
                    Name = Box->Nodes.FindByName("Last Name");
            for (int Round = 0; Name && Round < 21; ++Round) {
                const std::string Was = Name->GetValue();
                const double P = ProcessorMs();
                std::unique_ptr<TXmlNode> Before = Listing->CopyOwnRecords();
                Name->SetAttr("Value", "COPIED");
                const TChangeSet Changes = Listing->ChangesSinceCopy(Before.get());
                Copy.push_back(ProcessorMs() - P);
                Name->SetAttr("Value", Was);
                if (Changes.Changes.size() != 1)
                    std::printf("the change set names %zu values, not 1\n", Changes.Changes.size());
            }
            if (Boxes.Boxes.size() > BoxesBefore)
                std::printf("boxes shown by the Applies: %zu (first: %s)\n", Boxes.Boxes.size() - BoxesBefore,
                    Boxes.Boxes[BoxesBefore].Text.c_str());
            const double Own = Median(Program), Cost = Median(Copy);
            std::printf("Apply of one name in Mailbox Listing, %d mailboxes: program time %.1f ms (%.0f ms on the "
                        "clock); the window's copy and change set %.2f ms: %.1f%% of the program time (goal: under "
                        "10%%)\n",
                Scope->Nodes.Count(), Own, Median(Wall), Cost, Own > 0 ? 100 * Cost / Own : 0);
            Done = true;
        }
        for (TBaseMDIForm* F : M.ChildForms())
            F->close();
        QApplication::processEvents();
        Sim.Stop();
    }
    return Done;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    auto Median = [&](const std::string& Name) {
        const auto It = Reporter.Times.find(Name);
        return It == Reporter.Times.end() ? 0.0 : It->second;
    };
    const double Small = Median("BM_CopyAndChangeSet/250"), Large = Median("BM_CopyAndChangeSet/1000");
    if (Small > 0)
        std::printf("ratio 1,000 records / 250 records: %.2f (linear: 4, square: 16)\n", Large / Small);
    std::printf("copy and change set of one name among 366 records: %.1f ms, of it the copy %.1f ms\n",
        Median("BM_CopyAndChangeSet/366"), Median("BM_Copy/366"));
    return ApplyInListing(argc, argv) ? 0 : 1;
}
