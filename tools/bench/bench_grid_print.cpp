// Printing a 10,000-row, 10-column string grid into a PDF file: our grid printer (layout into recorded pages, then
// the renderer on a QPdfWriter) beside QTextDocument printing the same cells as an HTML table, on the same paper
// (A4, half-inch margins) at the same resolution (600 dpi) in the same font: both writers are set up by one function
// (ours then takes its margins into the page layout and gives the writer none). The page counts of both PDF files
// (pdfinfo) and the ratio of the medians ours / QTextDocument are printed at the end; the counts differ by the rows
// a page holds, each side laying out its rows at its own height.
#include "RatioReporter.h"
#include "grid/XStrGrid.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "print/PrnGridPrint.h"
#include "print/ui/PrnPainter.h"
#include "print/ui/PrnQtPrinter.h"
#include "print/ui/PrnXStringGrid.h"

#include <QApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {
constexpr int Rows = 10000, Cols = 10;

std::string Text(int r, int c) { return c == 0 ? std::to_string(100 + r) : "Cell " + std::to_string(r * c % 997); }

TXStringGrid& Grid()
{
    static std::unique_ptr<TXStringGrid> g;
    if (!g) {
        g = std::make_unique<TXStringGrid>();
        for (int c = 0; c < Cols; ++c)
            g->Columns().Add()->SetCaption("Column " + std::to_string(c + 1));
        g->Loaded();
        TXFont f{"Arial", 8, false, false, false, clWindowText};
        g->SetFont(f);
        g->SetRowCount(Rows);
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Cols; ++c)
                g->SetCells(c, r, Text(r, c));
    }
    return *g;
}

QString Html()
{
    QString h = "<table border=1 cellspacing=0 cellpadding=2 width=100%><thead><tr>";
    for (int c = 0; c < Cols; ++c)
        h += "<th>Column " + QString::number(c + 1) + "</th>";
    h += "</tr></thead>";
    for (int r = 0; r < Rows; ++r) {
        h += "<tr>";
        for (int c = 0; c < Cols; ++c)
            h += "<td>" + QString::fromStdString(Text(r, c)) + "</td>";
        h += "</tr>";
    }
    return h + "</table>";
}

void SetUpWriter(QPdfWriter& W)
{
    W.setPageSize(QPageSize(QPageSize::A4));
    W.setResolution(600);
    W.setPageMargins(QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter);
}

std::map<std::string, int> PageCounts;
QTemporaryDir* Dir = nullptr;

void BM_OursGridToPdf(benchmark::State& state)
{
    TXStringGrid& g = Grid();
    for (auto _ : state) {
        TPrnPageList list;
        list.SetPaperSize(pnA4);   // the page list's own default, set here as the writer's is
        list.Header.Visible = list.Footer.Visible = true;
        list.Header.CaptionRight().Caption = "{PAGE}/{NUMPAGES}";
        list.Margins.ClipMargins = true;
        TPrnXStringGridSource source(g);
        TPrnGridPrint print;
        print.Grid = &source;
        print.Preview = &list;
        print.FitToPageWidth = true;
        print.GridToPage();
        QPdfWriter writer(Dir->filePath("ours.pdf"));
        SetUpWriter(writer);
        TPrnQtPrintBackend backend(&writer);
        list.Printer.Backend = &backend;
        if (!list.PrintRange(1, list.Count()))
            state.SkipWithError("printing failed");
        PageCounts["ours"] = list.Count();
    }
}
BENCHMARK(BM_OursGridToPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_TextDocumentHtmlToPdf(benchmark::State& state)
{
    Grid();
    const QString html = Html();
    for (auto _ : state) {
        QTextDocument doc;
        doc.setDefaultFont(QFont("Arial", 8));
        doc.setHtml(html);
        QPdfWriter writer(Dir->filePath("qtextdocument.pdf"));
        SetUpWriter(writer);
        doc.print(&writer);
    }
}
BENCHMARK(BM_TextDocumentHtmlToPdf)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Pages of a PDF file as pdfinfo counts them; 0 without pdfinfo.
int PdfPages(const QString& File)
{
    std::string out;
    if (FILE* f = popen(("pdfinfo '" + File.toStdString() + "' 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        pclose(f);
    }
    size_t at = out.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(out.c_str() + at + 6);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    char name[] = "bench_grid_print";
    char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);
    TPrnQtMeasurer::Install();
    QTemporaryDir dir;
    Dir = &dir;
    TRecordingDialogs silent;
    TDialogsScope scope(&silent);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter("median", false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.Times;
    std::printf("\npages: ours %d (recorded), PDF files: ours %d, QTextDocument %d\n", PageCounts["ours"],
        PdfPages(Dir->filePath("ours.pdf")), PdfPages(Dir->filePath("qtextdocument.pdf")));
    if (t.count("BM_OursGridToPdf") && t.count("BM_TextDocumentHtmlToPdf") && t["BM_TextDocumentHtmlToPdf"] > 0)
        std::printf("ratio ours / QTextDocument (medians): %.2f\n",
            t["BM_OursGridToPdf"] / t["BM_TextDocumentHtmlToPdf"]);
    if (!silent.Boxes.empty()) {
        std::printf("error: %s\n", silent.Boxes.front().Text.c_str());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
