// Repainting and scrolling our string grid beside a QTableView holding the same 1,000 x 24 strings at the same
// size, offscreen; the ratio ours / QTableView is printed as a counter of each pair.
#include "grid/XStrGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {
constexpr int Rows = 1000, Cols = 24, Width = 820, Height = 420;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_grid";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(argc, argv);
    return app;
}

std::string Text(int r, int c) { return c == 0 ? std::to_string(100 + r) : "Cell " + std::to_string(r * c % 997); }

std::unique_ptr<TXStringGrid> MakeOurs()
{
    App();
    auto g = std::make_unique<TXStringGrid>();
    g->resize(Width, Height);
    for (int c = 0; c < Cols; ++c) {
        TXGridColumn* col = g->Columns().Add();
        col->SetCaption("Column " + std::to_string(c));
        col->SetWidth(80);
    }
    g->SetFixedCols(1);
    g->SetRowCount(Rows);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c)
            g->SetCells(c, r, Text(r, c));
    g->show();
    QApplication::processEvents();
    return g;
}

struct TTable {
    std::unique_ptr<QStandardItemModel> Model;
    std::unique_ptr<QTableView> View;
};

TTable MakeTable()
{
    App();
    TTable t;
    t.Model = std::make_unique<QStandardItemModel>(Rows, Cols - 1);
    for (int c = 1; c < Cols; ++c)
        t.Model->setHeaderData(c - 1, Qt::Horizontal, QString::fromLatin1("Column %1").arg(c));
    for (int r = 0; r < Rows; ++r) {
        t.Model->setHeaderData(r, Qt::Vertical, QString::fromStdString(Text(r, 0)));
        for (int c = 1; c < Cols; ++c)
            t.Model->setItem(r, c - 1, new QStandardItem(QString::fromStdString(Text(r, c))));
    }
    t.View = std::make_unique<QTableView>();
    t.View->setModel(t.Model.get());
    t.View->horizontalHeader()->setDefaultSectionSize(80);
    t.View->verticalHeader()->setDefaultSectionSize(18);
    t.View->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t.View->resize(Width, Height);
    t.View->show();
    QApplication::processEvents();
    return t;
}

void BM_OursRepaint(benchmark::State& state)
{
    auto g = MakeOurs();
    for (auto _ : state)
        g->viewport()->repaint();
}
BENCHMARK(BM_OursRepaint)->Unit(benchmark::kMicrosecond);

void BM_TableViewRepaint(benchmark::State& state)
{
    TTable t = MakeTable();
    for (auto _ : state)
        t.View->viewport()->repaint();
}
BENCHMARK(BM_TableViewRepaint)->Unit(benchmark::kMicrosecond);

void BM_OursScroll1000Rows(benchmark::State& state)
{
    auto g = MakeOurs();
    for (auto _ : state) {
        g->SetTopRow(1);
        for (int i = 0; i < Rows; ++i) {
            g->ScrollRequest(false, scLineDown);
            g->viewport()->repaint();
        }
    }
}
BENCHMARK(BM_OursScroll1000Rows)->Unit(benchmark::kMillisecond);

void BM_TableViewScroll1000Rows(benchmark::State& state)
{
    TTable t = MakeTable();
    for (auto _ : state) {
        t.View->verticalScrollBar()->setValue(0);
        for (int i = 0; i < Rows; ++i) {
            t.View->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            t.View->viewport()->repaint();
        }
    }
}
BENCHMARK(BM_TableViewScroll1000Rows)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
