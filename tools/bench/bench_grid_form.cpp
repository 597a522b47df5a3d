// Opening a property section window (view description applied, cells bound, first paint once the window has
// settled) beside filling a QTableView through a QStandardItemModel with the same texts and painting it once,
// offscreen. Two sections: the
// largest property section of the built description, and a made-up one of 300 parameters to show how opening
// grows. Each window benchmark prints "ratio" = its time / the table view's time of the same section.
//
// Sections of the description that have no view description yet get one here: "Grid Info" with goEditing and,
// on every parameter, a "Cell Info" with its caption and a hint, as the section descriptions write them.
#include "forms/BaseGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

constexpr int Width = 420, Height = 480;

// The sections the program shows in property mode.
const char* const PropertySections[] = {"Dialing Parameters", "Message Waiting Notification",
    "External Message Delivery", "Call Hold", "Rotary Telephone Service", "Intercom Paging Parameters",
    "Fax Management", "Disconnect Parameter", "RS-232C Parameters", "Inter-Digit Timeout", "PBX Dialing Parameters",
    "Inband Signaling", "Operator's Parameters", "Prompt Setting", "System Caller Name Announcement",
    "System Date/Time", "Daylight Saving Time"};

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_grid_form";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(argc, argv);
    return app;
}

bool IsParam(const TXmlNode* N) { return N->GetTag() == "ATTR" || N->GetTag() == "PARAM"; }

bool HasView(const TXmlNode* N, const char* Name)
{
    for (const auto& C : N->Nodes)
        if (C->GetTag() == "VIEWPARAM" && C->GetName() == Name)
            return true;
    return false;
}

TXmlNode* AddGattr(TXmlNode* View, const std::string& Name, const std::string& Value, const std::string& Type = "")
{
    TXmlNode* G = View->AddChild("GATTR");
    G->SetAttr("Name", Name);
    if (!Type.empty())
        G->SetAttr("Type", Type);
    G->SetAttr("Value", Value);
    return G;
}

void Describe(TXmlNode* Section)
{
    if (!HasView(Section, "Grid Info")) {
        TXmlNode* V = Section->AddChild("VIEWPARAM");
        V->SetAttr("Name", "Grid Info");
        AddGattr(V, "GridOptions", "Yes", "goEditing");
        AddGattr(V, "DescrColumnCaption", "Description");
        AddGattr(V, "ValueColumnCaption", "Value");
        AddGattr(V, "DescrColumnWidth", "220");
        AddGattr(V, "ValueColumnWidth", "150");
    }
    std::vector<TXmlNode*> Params;
    TXmlWalk W;
    for (TXmlNode* N = W.Next(W.First(Section, nullptr)); N; N = W.Next(N))
        if (IsParam(N) && !HasView(N, "Cell Info"))
            Params.push_back(N);
    for (TXmlNode* N : Params) {
        if (!N->Attrs.Find("Value"))
            N->SetAttr("Value", "");
        TXmlNode* V = N->AddChild("VIEWPARAM");
        V->SetAttr("Name", "Cell Info");
        AddGattr(V, "PropertyCaption", N->GetName());
        AddGattr(V, "Hint", "Value of " + N->GetName());
    }
}

struct TSection {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Rows;   // caption, value as the window shows them
};

// The description (built, plus a made-up section) and a data document made from it.
struct TDocuments {
    TXmlDoc View;
    TXmlDoc Data{&View};
    TSection Largest, Made;

    TDocuments()
    {
        App();
        View.ShowErrors = false;
        std::string Path = QCoreApplication::applicationDirPath().toStdString() + "/Orlantis.dat";
        if (!View.LoadFromFile(Path, true)) {
            std::fprintf(stderr, "cannot load %s\n", Path.c_str());
            std::exit(1);
        }
        TXmlNode* Params = View.FindNode(nullptr, "VMU Parameters 409");
        int Best = -1;
        for (const char* Name : PropertySections) {
            TXmlNode* S = View.FindNode(Params, Name);
            if (!S)
                continue;
            int Count = 0;
            TXmlWalk W;
            for (TXmlNode* N = W.First(S, nullptr); N; N = W.Next(N))
                Count += IsParam(N);
            if (Count > Best) {
                Best = Count;
                Largest.Name = Name;
            }
        }
        TXmlNode* Big = Params->AddChild("PARAM");
        Big->SetAttr("Name", "Bench Section");
        for (int i = 0; i < 300; ++i) {
            TXmlNode* P = Big->AddChild(i % 10 ? "ATTR" : "PARAM");
            P->SetAttr("Name", "Parameter " + std::to_string(i));
            P->SetAttr("Value", std::to_string(i * 7 % 100));
        }
        Made.Name = "Bench Section";
        View.AssignIDs(View.Root());
        Data.Root()->SetTag("DATA");
        for (TSection* S : {&Largest, &Made}) {
            TXmlNode* Desc = View.FindNode(Params, S->Name);
            Describe(Desc);
            Data.Root()->AddChild(Desc->CloneLinked({"ATTR", "PARAM"}, true));
        }
        Data.AssignIDs(Data.Root());
    }
};

TDocuments& Docs()
{
    static TDocuments D;
    return D;
}

class TBenchForm : public TBaseGridForm {
public:
    TBenchForm(const TFormCreation& Creation, std::string Section) : TBaseGridForm(Creation), Section(std::move(Section))
    {
    }
    std::string Section;

protected:
    void InitForm() override
    {
        TBaseGridForm::InitForm();
        DataDoc = &Docs().Data;
        ViewDoc = &Docs().View;
        ShowSection(true, Section, "");
        Grid->ModifyTracking = true;
    }
};

QMdiArea& Area()
{
    static QMdiArea* A = [] {
        App();
        auto* a = new QMdiArea;
        a->resize(Width + 100, Height + 100);
        a->show();
        return a;
    }();
    return *A;
}

// Caption and value texts of a section as the window shows them (taken from an opened window once).
const TSection& Texts(TSection& S)
{
    if (S.Rows.empty()) {
        TFormParams P;
        P.Width = Width;
        P.Height = Height;
        auto* F = TBaseMDIForm::Create<TBenchForm>(&Area(), TFormKinds{2}, P, S.Name);
        for (int r = 0; r < F->Grid->RowCount(); ++r)
            S.Rows.push_back({F->Grid->GetCellValue(0, r), F->Grid->GetCellValue(1, r)});
        delete F;
    }
    return S;
}

std::map<std::string, double> TableSeconds;

double Seconds(std::chrono::steady_clock::duration D) { return std::chrono::duration<double>(D).count(); }

void TableView(benchmark::State& State, TSection& S)
{
    const TSection& T = Texts(S);
    double Total = 0;
    for (auto _ : State) {
        auto Start = std::chrono::steady_clock::now();
        QStandardItemModel Model(int(T.Rows.size()), 2);
        Model.setHorizontalHeaderLabels({"Description", "Value"});
        for (int r = 0; r < int(T.Rows.size()); ++r) {
            Model.setItem(r, 0, new QStandardItem(QString::fromLatin1(T.Rows[size_t(r)].first.c_str())));
            Model.setItem(r, 1, new QStandardItem(QString::fromLatin1(T.Rows[size_t(r)].second.c_str())));
        }
        QTableView View;
        View.setModel(&Model);
        View.resize(Width, Height);
        View.show();
        QApplication::processEvents();
        QPixmap Shot = View.grab();
        benchmark::DoNotOptimize(Shot);
        Total += Seconds(std::chrono::steady_clock::now() - Start);
    }
    TableSeconds[S.Name] = Total / double(State.iterations());
    State.counters["rows"] = double(T.Rows.size());
}

void SectionWindow(benchmark::State& State, TSection& S)
{
    const TSection& T = Texts(S);
    TFormParams P;
    P.Width = Width;
    P.Height = Height;
    double Total = 0;
    for (auto _ : State) {
        auto Start = std::chrono::steady_clock::now();
        auto* F = TBaseMDIForm::Create<TBenchForm>(&Area(), TFormKinds{2}, P, S.Name);
        QApplication::processEvents();
        QPixmap Shot = F->grab();
        benchmark::DoNotOptimize(Shot);
        Total += Seconds(std::chrono::steady_clock::now() - Start);
        State.PauseTiming();
        delete F;
        State.ResumeTiming();
    }
    State.counters["rows"] = double(T.Rows.size());
    if (TableSeconds.count(S.Name))
        State.counters["ratio"] = Total / double(State.iterations()) / TableSeconds[S.Name];
}

void BM_TableViewLargestSection(benchmark::State& State) { TableView(State, Docs().Largest); }
void BM_SectionWindowLargestSection(benchmark::State& State) { SectionWindow(State, Docs().Largest); }
void BM_TableView300Parameters(benchmark::State& State) { TableView(State, Docs().Made); }
void BM_SectionWindow300Parameters(benchmark::State& State) { SectionWindow(State, Docs().Made); }

BENCHMARK(BM_TableViewLargestSection)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SectionWindowLargestSection)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TableView300Parameters)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SectionWindow300Parameters)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
