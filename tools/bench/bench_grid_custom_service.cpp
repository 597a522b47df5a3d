// Opening the Custom Service window with all 100 menus stored (a hundred rows of thirty-two cells, each row placed
// from the description once per key, then the stored menus bound), painted once, beside filling a QTableView
// through a QStandardItemModel with the same texts and painting it once, offscreen. The window's benchmark fills
// the table view beside every opening and prints "ratio" = the median window time / the median table view time
// (goal: within 1.2).
#include "common/ui/UtilitsUi.h"
#include "forms/custom/CustomService.h"
#include "forms/custom/CustomServiceRules.h"

#include "forms/GridFormFixture.h"

#include "CustomServiceMenus.h"
#include "GridBenchTable.h"

#include <QApplication>
#include <QMdiArea>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int Width = 1000, Height = 440;

// The built description and a data document holding all 100 menus, each with its twelve keypads, as a load from
// the device leaves them.
struct TDocuments {
    TXmlDoc View;
    TXmlDoc Data{&View};
    TFakeFormServices Services;

    TDocuments()
    {
        View.ShowErrors = false;
        std::string Path = QCoreApplication::applicationDirPath().toStdString() + "/Orlantis.dat";
        if (!View.LoadFromFile(Path, true)) {
            std::fprintf(stderr, "cannot load %s\n", Path.c_str());
            std::exit(1);
        }
        TXmlNode* Section = View.FindNode(View.FindNode(nullptr, "VMU Parameters 409"), "Custom Service");
        Data.Root()->SetTag("DATA");
        TXmlNode* Stored = bench_menus::Copy(Data.Root(), Section, false);
        StoreAllCustomServiceMenus(Data, View, Section, Stored);
        Data.AssignIDs(Data.Root());
        Services.Data = &Data;
        Services.View = &View;
        SetFormServices(&Services);
    }
};

TDocuments& Docs()
{
    static TDocuments D;
    return D;
}

// The area the windows open in; it goes before the application does.
std::unique_ptr<QMdiArea> TheArea;

QMdiArea& Area()
{
    if (!TheArea) {
        TheArea = std::make_unique<QMdiArea>();
        TheArea->resize(Width + 100, Height + 100);
        TheArea->show();
    }
    return *TheArea;
}

TCustomServiceForm* Open()
{
    Docs();
    TFormParams P;
    P.Width = Width;
    P.Height = Height;
    return TBaseMDIForm::Create<TCustomServiceForm>(&Area(), TFormKinds{2}, P);
}

// The captions and cell texts the window shows, taken from an opened window once.
struct TTexts {
    QStringList Captions;
    std::vector<QStringList> Cells;
};

const TTexts& Texts()
{
    static TTexts T = [] {
        TTexts R;
        TCustomServiceForm* F = Open();
        for (int c = 0; c < F->Grid->ColumnCount(); ++c)
            R.Captions << QString::fromLatin1(F->Grid->ColumnList()[c]->Caption().c_str());
        for (int r = 0; r < F->Grid->RowCount(); ++r) {
            R.Cells.emplace_back();
            for (int c = 0; c < F->Grid->ColumnCount(); ++c)
                R.Cells.back() << QString::fromLatin1(F->Grid->Cells(c, r).c_str());
        }
        delete F;
        return R;
    }();
    return T;
}

// Each iteration opens the window and, untimed, fills the table view beside it; "ratio" is the median of the
// windows' times over the median of the table views' (side by side, so that a shared machine's load falls on both).
void BM_CustomServiceWindowHundredMenus(benchmark::State& State)
{
    const TTexts& T = Texts();
    std::vector<double> Window, Table;
    for (auto _ : State) {
        auto Start = std::chrono::steady_clock::now();
        TCustomServiceForm* F = Open();
        QApplication::processEvents();
        QPixmap Shot = F->grab();
        benchmark::DoNotOptimize(Shot);
        Window.push_back(BenchSeconds(std::chrono::steady_clock::now() - Start));
        State.PauseTiming();
        delete F;
        QApplication::processEvents();
        Table.push_back(FillTableView(T.Captions, T.Cells, Width, Height));
        State.ResumeTiming();
    }
    State.counters["cells"] = double(T.Cells.size() * size_t(T.Captions.size()));
    State.counters["table_ms"] = BenchMedian(Table) * 1e3;
    State.counters["ratio"] = BenchMedian(Window) / BenchMedian(Table);
}

BENCHMARK(BM_CustomServiceWindowHundredMenus)->Unit(benchmark::kMillisecond);

} // namespace

// The application lives in main, so that it is gone before the program's exit handlers run.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication App(argc, argv);
    InstallProgramStyle();  // the program's own, as the windows get it there
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheArea.reset();
    SetFormServices(nullptr);
    return 0;
}
