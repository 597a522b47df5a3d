// Description assembly (datc compile without the file write) on generated sources with many siblings, beside the
// text parse of the same sources measured in the same run. The first source holds one group of N elements; the
// second repeats the group and each of its N names, so that every one of them is merged and gets a new child
// without an ID. Goal: assembly linear in N, so the ratio to the parse stays flat from 50,000 to 200,000 and the
// time for 200,000 is about twice that for 100,000. The ratios are printed at the end.
#include "RatioReporter.h"
#include "Assembly.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {
const std::vector<TAssembly::TSourceText>& sources(int64_t N)
{
    static std::map<int64_t, std::vector<TAssembly::TSourceText>> made;
    auto& s = made[N];
    if (s.empty()) {
        std::string a = "<R ID='1' Name='Bench'>\n <P Name='Group' ID='2'>\n";
        std::string b = "<R>\n <P Name='Group'>\n";
        for (int64_t i = 0; i < N; ++i) {
            std::string name = "Node " + std::to_string(i);
            a += "  <P Name='" + name + "' Value='" + std::to_string(i) + "' ID='" + std::to_string(i + 3) + "'/>\n";
            b += "  <P Name='" + name + "' Extra='x'><A Name='Field'/></P>\n";
        }
        a += " </P>\n</R>\n";
        b += " </P>\n</R>\n";
        s = {{"a.xml", std::move(a)}, {"b.xml", std::move(b)}};
    }
    return s;
}

void BM_Parse(benchmark::State& state)
{
    const auto& src = sources(state.range(0));
    for (auto _ : state) {
        for (const auto& s : src) {
            TXmlDoc doc;
            doc.ShowErrors = false;
            doc.XmlText = s.Text;
            bool ok = doc.ParseText();
            benchmark::DoNotOptimize(ok);
        }
    }
}

void BM_Assemble(benchmark::State& state)
{
    const auto& src = sources(state.range(0));
    for (auto _ : state) {
        TAssembly a;
        a.Assemble(src, 0);
        benchmark::DoNotOptimize(a.MaxID);
    }
}

BENCHMARK(BM_Parse)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond)->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Assemble)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond)->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Keeps each benchmark's median time (medians, because other work on the machine comes and goes).
}

int main(int argc, char** argv)
{
    TRecordingDialogs silent;
    TDialogsScope scope(&silent);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.Times;
    std::printf("\nassembly / parse of the same sources (goal: flat in N):\n");
    for (const char* n : {"50000", "100000", "200000"}) {
        std::string a = std::string("BM_Assemble/") + n, p = std::string("BM_Parse/") + n;
        if (t.count(a) && t.count(p) && t[p] > 0)
            std::printf("  N = %-7s %.2f\n", n, t[a] / t[p]);
    }
    if (t.count("BM_Assemble/100000") && t["BM_Assemble/100000"] > 0)
        std::printf("assembly 200000 / 100000 (goal: about 2): %.2f\n",
            t["BM_Assemble/200000"] / t["BM_Assemble/100000"]);
    benchmark::Shutdown();
    return 0;
}
