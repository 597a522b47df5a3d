// XML document speed on two inputs, a generated document of about 100,000 nodes and the description document
// Orlantis.dat found beside this program: binary save, binary load and text parse, each beside pugixml's parse of
// the same text, measured in the same run. pugixml parses in place (load_buffer_inplace), as our loader reads the
// stream's buffer where it lies: its plain load_buffer first copies the whole input, work our loader does not do.
// Each of its parses gets a fresh mutable copy of the text, made before the clock runs, as each of our loads gets a
// fresh stream. Goals: binary load at most 0.5x, text parse at most 1.5x of pugixml's in-place parse. The ratios
// are printed at the end: from runs of each made one right after the other, and from the benchmarks' repetitions.
#include "RatioReporter.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <map>
#include <optional>
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

// The description document as the program ships it (empty when it was not built).
TXmlDoc* descriptionDoc()
{
    static TXmlDoc* doc = [] {
        auto* d = new TXmlDoc;
        d->ShowErrors = false;
        std::filesystem::path dat = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Orlantis.dat";
        if (!d->LoadFromFile(dat.string(), true)) {
            std::printf("no description document at %s: %s\n", dat.c_str(), d->LastError.c_str());
            delete d;
            return static_cast<TXmlDoc*>(nullptr);
        }
        return d;
    }();
    return doc;
}

// Each benchmark is run this many times and the ratios take the fastest run of each: other work on the machine
// only ever adds time, and the fastest runs of two benchmarks are the ones measured alike.
constexpr int Runs = 9;
double fastest(const std::vector<double>& Times) { return *std::min_element(Times.begin(), Times.end()); }
// Both inputs, each benchmark alike.
void sideBySide(benchmark::internal::Benchmark* B)
{
    B->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Repetitions(Runs)->ComputeStatistics("min", fastest)
        ->ReportAggregatesOnly(true);
}

TXmlDoc& input(int Which) { return Which == 0 ? sampleDoc() : *descriptionDoc(); }
const char* inputName(int Which) { return Which == 0 ? "generated" : "description"; }

std::string imageOf(TXmlDoc& doc, bool binary)
{
    std::ostringstream out;
    doc.SaveToStream(out, binary);
    return out.str();
}

const std::string& binaryImage(int Which)
{
    static std::string s[2];
    if (s[Which].empty())
        s[Which] = imageOf(input(Which), true);
    return s[Which];
}

const std::string& textImage(int Which)
{
    static std::string s[2];
    if (s[Which].empty())
        s[Which] = imageOf(input(Which), false);
    return s[Which];
}

void BM_BinarySave(benchmark::State& state)
{
    TXmlDoc& doc = input(int(state.range(0)));
    for (auto _ : state) {
        std::ostringstream out;
        bool ok = doc.SaveToStream(out, true);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(binaryImage(int(state.range(0))).size()));
}
BENCHMARK(BM_BinarySave)->Apply(sideBySide);

// One load into a new document, which is freed again.
void loadOnce(std::istringstream& In, bool Binary)
{
    TXmlDoc doc;
    benchmark::DoNotOptimize(doc.LoadFromStream(In, Binary));
}

// Loads Bytes on every iteration. The stream that carries them is made before the clock runs: making it copies the
// whole input (and the copy's pages are often fresh from the system), which is the bench's own work, not loading.
void loadEach(benchmark::State& state, const std::string& Bytes, bool Binary)
{
    std::optional<std::istringstream> in;
    for (auto _ : state) {
        state.PauseTiming();
        in.emplace(Bytes);
        state.ResumeTiming();
        loadOnce(*in, Binary);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes.size()));
}

void BM_BinaryLoad(benchmark::State& state) { loadEach(state, binaryImage(int(state.range(0))), true); }
BENCHMARK(BM_BinaryLoad)->Apply(sideBySide);

void BM_TextParse(benchmark::State& state) { loadEach(state, textImage(int(state.range(0))), false); }
BENCHMARK(BM_TextParse)->Apply(sideBySide);

#ifdef ORLANTIS_HAVE_PUGIXML
// One in-place parse of Buffer (which it changes) into a new document, which is freed again; Buffer outlives it.
void pugixmlOnce(std::string& Buffer)
{
    pugi::xml_document doc;
    benchmark::DoNotOptimize(doc.load_buffer_inplace(Buffer.data(), Buffer.size()).status);
}

void BM_PugixmlParse(benchmark::State& state)
{
    const std::string& text = textImage(int(state.range(0)));
    std::optional<std::string> buffer;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.emplace(text);   // made afresh, as loadEach makes its stream
        state.ResumeTiming();
        pugixmlOnce(*buffer);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_PugixmlParse)->Apply(sideBySide);

// Side by side at the finest grain: each round loads the binary image, parses the text with this library and parses
// it with pugixml, one right after the other, and the fastest single run of each over all rounds is kept. The
// machine is shared and its load moves a run's time by up to half again, within a benchmark's repetitions too: runs
// made a moment apart meet the same load, and the fastest of many is the least disturbed.
struct TFastest {
    double Binary = 1e300, Text = 1e300, Pugixml = 1e300;
};
TFastest fastestSideBySide(int Which, int Rounds)
{
    auto ms = [](auto&& Work) {
        auto start = std::chrono::steady_clock::now();
        Work();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    const std::string& image = binaryImage(Which);
    const std::string& text = textImage(Which);
    std::optional<std::istringstream> in;
    std::optional<std::string> buffer;
    TFastest t;
    for (int r = 0; r < Rounds; ++r) {
        in.emplace(image);
        t.Binary = std::min(t.Binary, ms([&] { loadOnce(*in, true); }));
        in.emplace(text);
        t.Text = std::min(t.Text, ms([&] { loadOnce(*in, false); }));
        buffer.emplace(text);
        t.Pugixml = std::min(t.Pugixml, ms([&] { pugixmlOnce(*buffer); }));
    }
    return t;
}
#endif

// Keeps each benchmark's fastest time for the ratios.
}

int main(int argc, char** argv)
{
    // pugixml takes its memory from the heap page by page and gives it back when its document goes; the heap then
    // hands the top of its memory back to the system, and the next parse pays again for fresh pages from it, more
    // or fewer of them as other blocks happen to lie above. This library keeps its memory for the next document:
    // the heap is told to keep its memory too, so that both sides parse into memory they already have.
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    TRecordingDialogs silent;   // a failure would show up as a wrong ratio, not as a box
    TDialogsScope scope(&silent);
    bool description = descriptionDoc() != nullptr;
    for (int w = 0; w < (description ? 2 : 1); ++w)
        std::printf("%s document: %d nodes, binary %zu bytes, text %zu bytes\n", inputName(w), input(w).NodeCount(),
            binaryImage(w).size(), textImage(w).size());
    // The repetitions of all benchmarks run in a random order, each beside the others: the machine's load drifts
    // over the minutes a run takes, and a ratio should compare runs made under the same conditions. Without the
    // description only the generated input runs, whatever the command line asks.
    static std::string interleave = "--benchmark_enable_random_interleaving=true";
    static std::string filter = "--benchmark_filter=/0";
    static char* args[64];
    int n = 0;
    args[n++] = argv[0];
    args[n++] = interleave.data();
    for (int i = 1; i < argc && n < 62; ++i)
        args[n++] = argv[i];
    if (!description)
        args[n++] = filter.data();
    args[n] = nullptr;
    argc = n;
    argv = args;
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter("min");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.Times;
    std::printf("\nratios to pugixml's in-place parse of the same text (goal: binary load <= 0.5, text parse <= 1.5)\n");
#ifdef ORLANTIS_HAVE_PUGIXML
    std::printf("side by side, one run of each after the other, fastest single run of each:\n");
    for (int w = 0; w < 2; ++w) {
        if (!t.count("BM_PugixmlParse/" + std::to_string(w)))
            continue;
        const int rounds = w == 0 ? 40 : 300;   // each round of the generated input takes about a hundred times as long
        const TFastest f = fastestSideBySide(w, rounds);
        std::printf("  %-12s  BinaryLoad %.2f  TextParse %.2f  (%d rounds; ms: %.3f, %.3f, pugixml %.3f)\n", inputName(w),
            f.Binary / f.Pugixml, f.Text / f.Pugixml, rounds, f.Binary, f.Text, f.Pugixml);
    }
#endif
    std::printf("the benchmarks above, fastest of %d repetitions each:\n", Runs);
    for (int w = 0; w < 2; ++w) {
        std::string arg = "/" + std::to_string(w);
        if (!t.count("BM_PugixmlParse" + arg) || t["BM_PugixmlParse" + arg] <= 0)
            continue;
        double ref = t["BM_PugixmlParse" + arg];
        std::printf("  %-12s", inputName(w));
        for (const char* name : {"BM_BinarySave", "BM_BinaryLoad", "BM_TextParse"})
            if (t.count(name + arg))
                std::printf("  %s %.2f", name + 3, t[name + arg] / ref);
        std::printf("\n");
    }
    if (!silent.Boxes.empty()) {
        std::printf("error: %s\n", silent.Boxes.front().Text.c_str());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
