// Repainting and scrolling our string grid beside a QTableView holding the same 1,000 x 24 strings, offscreen, on
// equal terms: the same font and row height, the same caption height and frozen-column width, the captions
// repainted on both sides (ours draws them in its viewport, the table view in its two headers), and scrolling
// through each widget's own scroll-bar path (both move the painted pixels and paint the uncovered strip). A second
// pair repaints cells holding 400 characters without a blank. The repetitions of all benchmarks run interleaved in a
// random order (as bench_xml's do): the machine is shared, and a ratio only means something when both sides meet the
// same load, which all of one side's repetitions followed by all of the other's do not. The medians' ratios
// ours / QTableView are printed at the end.
#include "RatioReporter.h"
#include "grid/XStrGrid.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int Repeats = 9;
constexpr int Rows = 1000, Cols = 24, Width = 820, Height = 420, ColWidth = 80, RowHeight = 18, CaptionHeight = 24;

// The application lives in main, so that it goes before the statics Qt keeps (a static one crashed at exit).
void App() { Q_ASSERT(qApp); }

std::string Text(int r, int c, bool Long)
{
    if (c == 0)
        return std::to_string(100 + r);
    if (Long)
        return std::string(400, char('a' + (r + c) % 26));
    return "Cell " + std::to_string(r * c % 997);
}

std::unique_ptr<TXStringGrid> MakeOurs(bool Long = false)
{
    App();
    auto g = std::make_unique<TXStringGrid>();
    g->resize(Width, Height);
    for (int c = 0; c < Cols; ++c) {
        TXGridColumn* col = g->Columns().Add();
        col->SetCaption("Column " + std::to_string(c));
        col->SetWidth(ColWidth);
    }
    g->SetFixedCols(1);
    g->SetHeaderHeight(CaptionHeight);
    g->SetRowCount(Rows);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c)
            g->SetCells(c, r, Text(r, c, Long));
    g->show();
    QApplication::processEvents();
    return g;
}

struct TTable {
    std::unique_ptr<QStandardItemModel> Model;
    std::unique_ptr<QTableView> View;
};

// The table view dressed like our grid: its vertical header is our frozen column, its horizontal header our
// caption row, with our fonts and extents.
TTable MakeTable(const TXStringGrid& Like, bool Long = false)
{
    App();
    TTable t;
    t.Model = std::make_unique<QStandardItemModel>(Rows, Cols - 1);
    for (int c = 1; c < Cols; ++c)
        t.Model->setHeaderData(c - 1, Qt::Horizontal, QString::fromLatin1("Column %1").arg(c));
    for (int r = 0; r < Rows; ++r) {
        t.Model->setHeaderData(r, Qt::Vertical, QString::fromStdString(Text(r, 0, Long)));
        for (int c = 1; c < Cols; ++c)
            t.Model->setItem(r, c - 1, new QStandardItem(QString::fromStdString(Text(r, c, Long))));
    }
    t.View = std::make_unique<QTableView>();
    t.View->setModel(t.Model.get());
    t.View->setFont(ToQFont(Like.Font()));
    t.View->horizontalHeader()->setFont(ToQFont(Like.HeaderFont()));
    t.View->horizontalHeader()->setDefaultSectionSize(ColWidth);
    t.View->horizontalHeader()->setFixedHeight(CaptionHeight);
    t.View->verticalHeader()->setDefaultSectionSize(RowHeight);
    t.View->verticalHeader()->setMinimumSectionSize(RowHeight);
    t.View->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t.View->verticalHeader()->setFixedWidth(ColWidth);
    t.View->resize(Width, Height);
    t.View->show();
    QApplication::processEvents();
    return t;
}

void RepaintTable(TTable& T)
{
    T.View->viewport()->repaint();
    T.View->horizontalHeader()->viewport()->repaint();
    T.View->verticalHeader()->viewport()->repaint();
}

void BM_OursRepaint(benchmark::State& state)
{
    auto g = MakeOurs();
    for (auto _ : state)
        g->viewport()->repaint();
}
BENCHMARK(BM_OursRepaint)->Unit(benchmark::kMicrosecond)->Repetitions(Repeats)->ReportAggregatesOnly(true);

void BM_TableViewRepaint(benchmark::State& state)
{
    auto like = MakeOurs();
    TTable t = MakeTable(*like);
    like.reset();
    for (auto _ : state)
        RepaintTable(t);
}
BENCHMARK(BM_TableViewRepaint)->Unit(benchmark::kMicrosecond)->Repetitions(Repeats)->ReportAggregatesOnly(true);

void BM_OursRepaintLongText(benchmark::State& state)
{
    auto g = MakeOurs(true);
    for (auto _ : state)
        g->viewport()->repaint();
}
BENCHMARK(BM_OursRepaintLongText)->Unit(benchmark::kMicrosecond)->Repetitions(Repeats)->ReportAggregatesOnly(true);

void BM_TableViewRepaintLongText(benchmark::State& state)
{
    auto like = MakeOurs();
    TTable t = MakeTable(*like, true);
    like.reset();
    for (auto _ : state)
        RepaintTable(t);
}
BENCHMARK(BM_TableViewRepaintLongText)->Unit(benchmark::kMicrosecond)->Repetitions(Repeats)->ReportAggregatesOnly(true);

// A row at a time through the scroll bar, each step painted before the next, 200 rows per iteration.
constexpr int ScrollSteps = 200;

void BM_OursScroll(benchmark::State& state)
{
    auto g = MakeOurs();
    QScrollBar* bar = g->verticalScrollBar();
    for (auto _ : state) {
        g->SetTopRow(1);
        QApplication::processEvents();
        for (int i = 0; i < ScrollSteps; ++i) {
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QApplication::processEvents();
        }
    }
}
BENCHMARK(BM_OursScroll)->Unit(benchmark::kMillisecond)->Repetitions(Repeats)->ReportAggregatesOnly(true);

void BM_TableViewScroll(benchmark::State& state)
{
    auto like = MakeOurs();
    TTable t = MakeTable(*like);
    like.reset();
    QScrollBar* bar = t.View->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(0);
        QApplication::processEvents();
        for (int i = 0; i < ScrollSteps; ++i) {
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QApplication::processEvents();
        }
    }
}
BENCHMARK(BM_TableViewScroll)->Unit(benchmark::kMillisecond)->Repetitions(Repeats)->ReportAggregatesOnly(true);

// Keeps each benchmark's median time for the ratios (medians, because other work on the machine comes and goes).
}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    char name[] = "bench_grid";
    char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);
    TRecordingDialogs silent;   // an error in a handler would show up as a wrong ratio, not as a box
    TDialogsScope scope(&silent);
    // Interleaved unless the command line says otherwise (a later flag wins).
    static std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args{argv[0], interleave.data()};
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    argc = int(args.size()) - 1;
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter("median", false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.Times;
    std::printf("\nratios ours / QTableView (medians):\n");
    for (const char* pair : {"Repaint", "RepaintLongText", "Scroll"}) {
        std::string ours = std::string("BM_Ours") + pair, table = std::string("BM_TableView") + pair;
        if (t.count(ours) && t.count(table) && t[table] > 0)
            std::printf("  %-16s %.2f\n", pair, t[ours] / t[table]);
    }
    if (!silent.Boxes.empty()) {
        std::printf("error: %s\n", silent.Boxes.front().Text.c_str());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
