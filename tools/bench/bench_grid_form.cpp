// Opening section windows (view description applied, cells bound, first paint once the window has settled) beside
// filling a QTableView through a QStandardItemModel with the same texts and painting it once, offscreen, at the
// window's size. Each window benchmark fills the table view beside every opening and prints "ratio" = the median
// window time / the median table view time (goal: within 1.2).
//
// The office: the simulator's default state (data/vmusim/default.state) is read from vmusim by the engine as Load
// all reads it, and the section windows open on it as the main window opens them (their size from the
// description). A survey first lists every window's rows x columns and its opening time beside the table view's
// (nine of each, taken one after the other, the medians); the windows benchmarked are Mailbox Listing (66 mailboxes,
// 594 bound cells) and Custom Service (the most cells and the most data: 100 menus x 32). The simulator stores no
// custom service menu, so the office gets all 100 of them (with their keypads) after the load, as a device that has
// every menu set up gives them: the window then binds 3,200 stored nodes, not just the description's layout.
// Without the simulator built, the office is left out.
// Two more sections in property mode: the largest property section of the description, and a made-up one of 300
// parameters to show how opening grows. Sections without a view description get one here: "Grid Info" with
// goEditing and, on every parameter, a "Cell Info" with its caption and a hint, as the descriptions write them.
#include "common/ui/UtilitsUi.h"
#include "CustomServiceMenus.h"
#include "GridBenchTable.h"
#include "GridFormOffice.h"

#include "common/Utilits.h"
#include "forms/base/BaseGrid.h"
#include "forms/GridFormFixture.h"
#include "platform/ui/QtText.h"
#include "shell/FormRegistry.h"
#include "support/RecordingDialogs.h"

#include <QApplication>
#include <QMdiArea>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
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

using TClock = std::chrono::steady_clock;

std::string BuiltDescription() { return QCoreApplication::applicationDirPath().toStdString() + "/Orlantis.dat"; }

void LoadDescription(TXmlDoc& View)
{
    View.ShowErrors = false;
    if (!View.LoadFromFile(BuiltDescription(), true)) {
        std::fprintf(stderr, "cannot load %s\n", BuiltDescription().c_str());
        std::exit(1);
    }
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

// What a window shows: its size, column captions and cell texts, the table view's time for them, and the window's.
struct TShown {
    std::string Name;
    int WindowWidth = Width, WindowHeight = Height;
    QStringList Captions;
    std::vector<QStringList> Rows;
    double TableSeconds = 0;
    double Seconds = 0;   // the window's, in the survey
    size_t Cells() const { return Rows.size() * size_t(Captions.size()); }
};

void TakeTexts(TShown& S, TBaseGridForm* F)
{
    S.Captions.clear();
    S.Rows.clear();
    for (int c = 0; c < F->Grid->ColumnCount(); ++c)
        S.Captions << ToQ(F->Grid->ColumnList()[c]->Caption());
    for (int r = 0; r < F->Grid->RowCount(); ++r) {
        S.Rows.emplace_back();
        for (int c = 0; c < F->Grid->ColumnCount(); ++c)
            S.Rows.back() << ToQ(F->Grid->Cells(c, r));
    }
}

// The area the windows open in; it goes before the application does (main).
std::unique_ptr<QMdiArea> TheArea;

QMdiArea& Area()
{
    if (!TheArea) {
        TheArea = std::make_unique<QMdiArea>();
        TheArea->resize(1200, 800);
        TheArea->show();
    }
    return *TheArea;
}

// ---- the two property sections -----------------------------------------------------------------------------------

// The description (built, plus a made-up section) and a data document made from it.
struct TDocuments {
    TXmlDoc View;
    TXmlDoc Data{&View};
    TShown Largest, Made;

    TDocuments()
    {
        LoadDescription(View);
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
        for (TShown* S : {&Largest, &Made}) {
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

TBaseGridForm* OpenProperty(const TShown& S)
{
    TFormParams P;
    P.Width = Width;
    P.Height = Height;
    return TBaseMDIForm::Create<TBenchForm>(&Area(), TFormKinds{2}, P, S.Name);
}

// ---- the office --------------------------------------------------------------------------------------------------

// The description and the simulator's office as Load all leaves it in the data document.
struct TOffice {
    TXmlDoc View;
    TXmlDoc Data{&View};
    TFakeFormServices Services;
    TXmlNode* Params = nullptr;
    std::string Missing;   // why there is no office

    TOffice()
    {
        LoadDescription(View);
        Params = View.FindNode(nullptr, "VMU Parameters 409");
        Services.Manager = LoadOffice(Data, View, Missing);
        if (Missing.empty()) {
            TXmlNode* Section = View.FindNode(Params, "Custom Service");
            TXmlNode* Stored = Data.FindNode(nullptr, "Custom Service");
            if (Section && Stored)
                StoreAllCustomServiceMenus(Data, View, Section, Stored);
            else
                Missing = "the office has no Custom Service section";
        }
        // What the main window knows of the device after logging in to this office.
        TDeviceFacts& F = Services.Facts;
        F.FlashVersion = 409;
        F.ROMVersion = 205;
        F.MailboxNoLength = 3;
        F.SystemManagerMailbox = "999";
        F.MessageManagerMailbox = "998";
        F.AmountUserMailboxes = 64;
        F.AmountVPSPorts = 4;
        F.AmountTrunkGroups = 8;
        F.UseAMPM = true;
        F.BatchMode = true;
        Services.Data = &Data;
        Services.View = &View;
    }
};

TOffice& Office()
{
    static TOffice O;
    return O;
}

// Opens a section's window as the main window does: its size and place from the description.
TBaseGridForm* OpenInOffice(const std::string& Section)
{
    TOffice& O = Office();
    const TSectionForm* Entry = nullptr;
    for (const TSectionForm& E : SectionForms())
        if (Section == E.Section)
            Entry = &E;
    TFormFactory Factory = Entry ? FindFormClass(Entry->FormClass) : TFormFactory();
    if (!Factory)
        return nullptr;
    TFormParams P;
    ReadFormInfo(O.View.FindNode(O.Params, Section), P);
    return qobject_cast<TBaseGridForm*>(Factory(&Area(), TFormKinds{2}, P));
}

void CloseForm(TBaseMDIForm* F) { delete F; }

// Seconds to open the window, let it settle and paint it once.
double OpenOnce(const std::function<TBaseGridForm*()>& Open)
{
    auto Start = TClock::now();
    TBaseGridForm* F = Open();
    QApplication::processEvents();
    if (F) {
        QPixmap Shot = F->grab();
        benchmark::DoNotOptimize(Shot);
    }
    double T = BenchSeconds(TClock::now() - Start);
    if (F)
        CloseForm(F);
    QApplication::processEvents();
    return T;
}

double TableOnce(const TShown& S) { return FillTableView(S.Captions, S.Rows, S.WindowWidth, S.WindowHeight); }

// Every section window on the office: rows x columns, opening time beside the table view's, and which window has
// the most cells and which opens slowest.

void Survey()
{
    TOffice& O = Office();
    if (!O.Missing.empty()) {
        std::printf("office: left out (%s)\n", O.Missing.c_str());
        return;
    }
    // From here on the windows find the office as the main window's would.
    SetFormServices(&O.Services);
    SetPropertiesNodes(O.View.FindNode(O.View.Root(), "Form Properties"),
        O.View.FindNode(O.View.Root(), "Unit Properties"));
    std::printf("%-34s %5s %5s %7s %9s %9s %6s\n", "section window on the office", "rows", "cols", "cells",
        "window ms", "table ms", "ratio");
    std::vector<TShown> All;
    for (const TSectionForm& E : SectionForms()) {
        TShown S;
        S.Name = E.Section;
        TBaseGridForm* F = OpenInOffice(S.Name);
        if (!F) {
            std::printf("%-34s (does not open here)\n", E.Section);
            continue;
        }
        TakeTexts(S, F);
        S.WindowWidth = F->width();
        S.WindowHeight = F->height();
        CloseForm(F);
        std::vector<double> Window, Table;
        for (int i = 0; i < 9; ++i) {
            Window.push_back(OpenOnce([&] { return OpenInOffice(S.Name); }));
            Table.push_back(TableOnce(S));
        }
        S.TableSeconds = BenchMedian(Table);
        S.Seconds = BenchMedian(Window);
        std::printf("%-34s %5zu %5d %7zu %9.2f %9.2f %6.2f\n", E.Section, S.Rows.size(), int(S.Captions.size()),
            S.Cells(), BenchMedian(Window) * 1000, S.TableSeconds * 1000, BenchMedian(Window) / S.TableSeconds);
        All.push_back(std::move(S));
    }
    auto Most = std::max_element(All.begin(), All.end(), [](auto& A, auto& B) { return A.Cells() < B.Cells(); });
    auto Slowest = std::max_element(All.begin(), All.end(), [](auto& A, auto& B) { return A.Seconds < B.Seconds; });
    if (Most != All.end())
        std::printf("most cells: %s; slowest to open: %s\n", Most->Name.c_str(), Slowest->Name.c_str());
    std::fflush(stdout);
}

// ---- benchmarks --------------------------------------------------------------------------------------------------

// Each iteration opens the window and, untimed, fills the table view with its texts; "ratio" is the median of the
// windows' times over the median of the table views' (side by side, so that a shared machine's load falls on both).
void SectionWindow(benchmark::State& State, TShown& S, const std::function<TBaseGridForm*()>& Open)
{
    std::vector<double> Window, Table;
    for (auto _ : State) {
        auto Start = TClock::now();
        TBaseGridForm* F = Open();
        QApplication::processEvents();
        QPixmap Shot = F->grab();
        benchmark::DoNotOptimize(Shot);
        Window.push_back(BenchSeconds(TClock::now() - Start));
        State.PauseTiming();
        CloseForm(F);
        QApplication::processEvents();
        Table.push_back(TableOnce(S));
        State.ResumeTiming();
    }
    State.counters["cells"] = double(S.Cells());
    State.counters["table_us"] = BenchMedian(Table) * 1e6;
    State.counters["ratio"] = BenchMedian(Window) / BenchMedian(Table);
    State.SetLabel(S.Name);
}

// The property sections' texts, taken from an opened window once.
TShown& PropertyTexts(TShown& S)
{
    if (S.Rows.empty()) {
        TBaseGridForm* F = OpenProperty(S);
        TakeTexts(S, F);
        CloseForm(F);
    }
    return S;
}

// The office's windows by name, their texts taken in the survey.
TShown& OfficeTexts(const char* Section)
{
    static std::map<std::string, TShown> Texts;
    TShown& S = Texts[Section];
    if (S.Name.empty() && Office().Missing.empty()) {
        S.Name = Section;
        if (TBaseGridForm* F = OpenInOffice(Section)) {
            TakeTexts(S, F);
            S.WindowWidth = F->width();
            S.WindowHeight = F->height();
            CloseForm(F);
        }
    }
    return S;
}

void OfficeWindow(benchmark::State& State, const char* Section)
{
    TShown& S = OfficeTexts(Section);
    if (S.Rows.empty())
        State.SkipWithError("no office");
    else
        SectionWindow(State, S, [Section] { return OpenInOffice(Section); });
}

// The window that opens slowest on the office and shows most data: 66 mailboxes of 9 cells, each bound to its node.
void BM_SectionWindowMailboxListing(benchmark::State& State) { OfficeWindow(State, "Mailbox Listing"); }
// The window with most cells and most data: 100 stored menus of 32 cells.
void BM_SectionWindowCustomService(benchmark::State& State) { OfficeWindow(State, "Custom Service"); }
void BM_SectionWindowLargestSection(benchmark::State& State)
{
    TShown& S = PropertyTexts(Docs().Largest);
    SectionWindow(State, S, [&] { return OpenProperty(S); });
}
void BM_SectionWindow300Parameters(benchmark::State& State)
{
    TShown& S = PropertyTexts(Docs().Made);
    SectionWindow(State, S, [&] { return OpenProperty(S); });
}

BENCHMARK(BM_SectionWindowMailboxListing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SectionWindowCustomService)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SectionWindowLargestSection)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SectionWindow300Parameters)->Unit(benchmark::kMicrosecond);

} // namespace

// The application lives in main and the windows' area goes before it, so that nothing of Qt is left for the
// program's exit handlers.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication App(argc, argv);
    InstallProgramStyle();  // the program's own, as the windows get it there
    TSilentDialogs Silent;
    TDialogsScope Dialogs(&Silent);
    benchmark::Initialize(&argc, argv);
    Survey();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheArea.reset();
    SetFormServices(nullptr);
    SetPropertiesNodes(nullptr, nullptr);
    ReleaseOffice();
    return 0;
}
