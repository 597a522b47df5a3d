// XML document speed on a generated document of about 100,000 nodes: binary save, binary load and text parse,
// each beside pugixml's parse of the same text, measured in the same run. Goals: binary load no slower than
// pugixml's parse, text parse within 3x of it. The ratios are printed at the end.
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <sstream>

#ifdef ORLANTIS_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace {
// 1 root, 1,000 groups of 1 "PARAM" and 99 "ATTR" nodes: 100,001 nodes, attributes as the data document has them.
TXmlDoc& sampleDoc()
{
    static TXmlDoc* doc = [] {
        auto* d = new TXmlDoc;
        d->Root()->SetTag("DATA");
        d->Root()->Attrs.AddRaw("Name", "VMU Parameters 409");
        d->Root()->Attrs.AddRaw("TemplateVersion", "1.0.0");
        for (int g = 0; g < 1000; ++g) {
            TXmlNode* p = d->Root()->AddChild("PARAM");
            p->Attrs.AddRaw("Name", "Mailbox " + std::to_string(1000 + g));
            p->Attrs.AddRaw("Change", "NoChange");
            for (int a = 0; a < 99; ++a) {
                TXmlNode* n = p->AddChild("ATTR");
                n->Attrs.AddRaw("Name", "Field " + std::to_string(a));
                n->Attrs.AddRaw("Value", a % 7 == 0 ? "A&B <x>" : std::to_string(g * 100 + a));
                n->Attrs.AddRaw("TemplateID", std::to_string(a + 17));
            }
        }
        d->AssignIDs(nullptr);
        return d;
    }();
    return *doc;
}

const std::string& binaryImage()
{
    static std::string s = [] {
        std::ostringstream out;
        sampleDoc().SaveToStream(out, true);
        return out.str();
    }();
    return s;
}

const std::string& textImage()
{
    static std::string s = [] {
        std::ostringstream out;
        sampleDoc().SaveToStream(out, false);
        return out.str();
    }();
    return s;
}

void BM_BinarySave(benchmark::State& state)
{
    TXmlDoc& doc = sampleDoc();
    for (auto _ : state) {
        std::ostringstream out;
        bool ok = doc.SaveToStream(out, true);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(binaryImage().size()));
}
BENCHMARK(BM_BinarySave)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_BinaryLoad(benchmark::State& state)
{
    const std::string& image = binaryImage();
    for (auto _ : state) {
        TXmlDoc doc;
        std::istringstream in(image);
        bool ok = doc.LoadFromStream(in, true);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_BinaryLoad)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_TextParse(benchmark::State& state)
{
    const std::string& text = textImage();
    for (auto _ : state) {
        TXmlDoc doc;
        std::istringstream in(text);
        bool ok = doc.LoadFromStream(in, false);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_TextParse)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

#ifdef ORLANTIS_HAVE_PUGIXML
void BM_PugixmlParse(benchmark::State& state)
{
    const std::string& text = textImage();
    for (auto _ : state) {
        pugi::xml_document doc;
        pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size());
        benchmark::DoNotOptimize(r.status);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_PugixmlParse)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
#endif

// Keeps each benchmark's median time for the ratios (medians, because other work on the machine comes and goes).
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Times;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                Times[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};
}

int main(int argc, char** argv)
{
    TRecordingDialogs silent;   // a failure would show up as a wrong ratio, not as a box
    TDialogsScope scope(&silent);
    benchmark::Initialize(&argc, argv);
    std::printf("document: %d nodes, binary %zu bytes, text %zu bytes\n", sampleDoc().NodeCount(),
        binaryImage().size(), textImage().size());
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.Times;
    if (t.count("BM_PugixmlParse") && t["BM_PugixmlParse"] > 0) {
        double ref = t["BM_PugixmlParse"];
        std::printf("\nratios to pugixml's parse of the same text (goal: binary load <= 1.0, text parse <= 3.0):\n");
        for (const char* name : {"BM_BinarySave", "BM_BinaryLoad", "BM_TextParse"})
            if (t.count(name))
                std::printf("  %-14s %.2f\n", name + 3, t[name] / ref);
    }
    if (!silent.Boxes.empty()) {
        std::printf("error: %s\n", silent.Boxes.front().Text.c_str());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
