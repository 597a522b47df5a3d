// The change set of an interactive Apply: what it costs to copy a window's records and work out what one changed
// name changes, for sections of 250, 366 and 1,000 mailbox-like records (each with its fields, three notification
// devices and their week of time frames: about 110 values). The time should grow with the records, not with their
// square: the ratio of 1,000 records to 250 is printed at the end (goal: about 4, where the square gives 16), with
// the copy and change set of 366 records in milliseconds.
#include "RatioReporter.h"
#include "engine/ChangeSet.h"
#include "xml/XmlDoc.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
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
    return 0;
}
