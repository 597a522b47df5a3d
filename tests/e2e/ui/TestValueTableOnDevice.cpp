// The program's own values pass its own checks, on every firmware tree it selects: a table generated from the
// description document. Each value a section window edits gets the boundary values of its cell (lowest and highest
// number, first and last list item, one character and the longest text of its characters, empty where the cell
// takes it, and what the window's dialog writes); each is stored through the road the window's Apply takes, must be
// confirmed by the device, read back by Load all without a box, saved to a data file and opened by a fresh,
// unconnected program without a box, with the same value everywhere. One row per firmware and boundary: the values
// of a row go in together, one write per section.
#include "FormsOnDevice.h"

#include "support/DescriptionRules.h"

#include "forms/calendar/TimeService.h"
#include "forms/custom/CustomService.h"
#include "forms/dialogs/SetDate.h"
#include "forms/dialogs/SetTime.h"
#include "forms/dialogs/SetTimePeriod.h"
#include "forms/mailbox/MailboxListing.h"
#include "forms/service/COS.h"
#include "shell/FormRegistry.h"

#include <QMdiSubWindow>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// A value that cannot pass, and why. Path: the value's path below the parameter tree, where "*" stands for any run
// of characters; an empty Firmware is every firmware; Stage names where the row acts ("apply": the value is not
// stored at all; "load", "open": it is stored, but not compared after Load all or File Open).
struct TValueException {
    const char* Path;
    const char* Firmware;
    const char* Stage;
    const char* Value;   // the value applied ("?" any one character, "*" any run); empty: any value
    const char* Reason;
};

const char* const ItemWithParameter =
    "the item takes a parameter, whose cell the window makes only once the item is chosen: the table fills no such "
    "cell, and the window rightly refuses the item without it";

const TValueException Exceptions[] = {
    {"System Parameter Setting > System Date/Time > *", "", "apply", "",
        "the device's clock runs on: what is read back is a later time"},
    {"*RS-232C Parameters > *", "", "apply", "", "the line's own settings: the program reconnects at what was applied"},
    {"* > No DTMF Input Operation", "", "apply", "Transfer to Mailbox", ItemWithParameter},
    {"* > No DTMF Input Operation", "", "apply", "Custom Service", ItemWithParameter},
    {"* > Routing", "", "apply", "Custom", ItemWithParameter},
    {"*Holiday Listing > * > Service", "", "apply", "Custom", ItemWithParameter},
    {"* > Incoming Call Service", "", "apply", "Custom", ItemWithParameter},
    {"* > Routing > Routing Parameter", "", "apply", "(empty)",
        "the window refuses at Apply, with its own message, a routing that needs a parameter without one"},
    {"* > Notification Setting > * > Device Number", "", "load open", "(empty)",
        "an emptied number switches the device off: the VMU then lists no such device, so none is read back"},
    {"* > Custom Service > * > Custom Service Name", "", "load open", "(empty)",
        "an emptied name takes the menu out of use: the VMU then lists no such menu, so none is read back"},
};

bool Matches(const std::string& Pattern, const std::string& Path)
{
    // "*" stands for any run of characters.
    if (Pattern.empty())
        return Path.empty();
    if (Pattern[0] == '*')
        return Matches(Pattern.substr(1), Path) || (!Path.empty() && Matches(Pattern, Path.substr(1)));
    return !Path.empty() && (Pattern[0] == Path[0] || Pattern[0] == '?') && Matches(Pattern.substr(1), Path.substr(1));
}

const TValueException* ExceptionOf(const std::string& Path, const std::string& Firmware, const std::string& Stage,
    const std::string* Value = nullptr)
{
    for (const TValueException& E : Exceptions) {
        if (!Matches(E.Path, Path) || (*E.Firmware && Firmware != E.Firmware) ||
            (*E.Stage && std::string(E.Stage).find(Stage) == std::string::npos))
            continue;
        if (std::string(E.Value) == "(empty)" ? Value && Value->empty()
                                               : !*E.Value || (Value && Matches(E.Value, *Value)))
            return &E;
    }
    return nullptr;
}

// The boundaries, in the order of the rows: each value takes the first of its candidates for one that its window
// accepts, or none.
enum TBoundary { bLowest, bHighest, bEmpty, bOther, bCount };
const char* const BoundaryNames[] = {"Lowest", "Highest", "Empty", "Other"};

struct TCellRule {
    std::string Type, Mask, NotMask, Min, Max, Limit, Screen;
    bool Button = false, List = false, ReadOnly = false, EmptySaid = false, CanEmpty = false;
    std::vector<std::string> Items;
};

TCellRule CellRuleOf(const TXmlNode* Cell)
{
    TCellRule R;
    for (const auto& G : Cell->Nodes) {
        if (G->GetTag() != "GATTR")
            continue;
        const std::string Key = G->GetAttr("Name"), Value = G->GetAttr("Value"), Type = G->GetAttr("Type");
        const bool On = DescriptionRules::IsTrueText(Value);
        if (Key == "ValueType")
            R.Type = Value;
        else if (Key == "InputMask")
            R.Mask = Value;
        else if (Key == "NotInputMask")
            R.NotMask = Value;
        else if (Key == "MinInteger")
            R.Min = Value;
        else if (Key == "MaxInteger")
            R.Max = Value;
        else if (Key == "EditLimit")
            R.Limit = Value;
        else if (Key == "ScreenValues")
            R.Screen = Value;
        else if (Key == "CanEmpty") {
            R.EmptySaid = true;
            R.CanEmpty = On;
        } else if (Key == "ValueOptions") {
            if (Type == "voButton")
                R.Button = On;
            else if (Type == "voReadOnly")
                R.ReadOnly = On;
            else if (Type == "voComboBox" || Type == "voList")
                R.List = R.List || On;
        } else if (Key == "StrComboBox")
            R.Items.push_back(Value.substr(0, Value.find('=')));
    }
    return R;
}

// A text of Length characters from Chars, ending in no blank; Shift makes texts of one record differ.
std::string TextOf(const std::string& Chars, int Length, int Shift)
{
    std::string S;
    for (int I = 0; I < Length && !Chars.empty(); ++I)
        S += Chars[size_t(I + Shift) % Chars.size()];
    return S;
}

// What the window's time dialog writes for a duration: the field set to Typed and left with OK.
std::string DurationDialogText(const std::string& Typed)
{
    TSetTimeForm Dialog;
    Dialog.SetHour12(false);
    Dialog.SetMinTime("00:05");
    Dialog.SetMaxTime("99:59");
    Dialog.SetTimeField(1, Typed);
    Dialog.LeaveField(1, true);
    return Dialog.GetTimeField(1);
}

// What the date dialog writes for a day and month.
std::string DateDialogText(const std::string& Typed)
{
    TSetDateForm Dialog;
    Dialog.SetDateText(Typed);
    std::string S;
    Dialog.GetDateText(S);
    return S;
}

// The candidates of one boundary for a value by its cell's rule, the first its window accepts being the one
// stored; Distinct is the value's place among values the device keeps different.
std::vector<std::string> Candidates(const TCellRule& R, TBoundary B, int Distinct, const std::string& Name)
{
    std::vector<std::string> C;
    // The end of a date range lies after its start.
    const bool End = Name.find("End") != std::string::npos, Start = Name.find("Start") != std::string::npos;
    if (R.Button) {
        if (R.Screen == "%duration%") {
            const char* Typed[] = {"00:05", "99:59", nullptr, "01:15"};
            if (Typed[B])
                C.push_back(DurationDialogText(Typed[B]));
        } else if (R.Mask == "0123456789/") {
            const char* Typed[] = {End ? "2/1" : "1/1", Start ? "30/12" : "31/12", nullptr, End ? "1/3" : "29/2"};
            if (Typed[B])
                C.push_back(DateDialogText(Typed[B]));
        }
        if (B == bEmpty && R.EmptySaid && R.CanEmpty)
            C.push_back("");
        return C;
    }
    if (R.List) {
        if (!R.Items.empty() && B == bLowest)
            C.push_back(R.Items.front());
        if (!R.Items.empty() && B == bHighest)
            C.push_back(R.Items.back());
        return C;
    }
    // The forms its screen shows: each number range's ends, a clock time's, its words.
    for (size_t From = 0; !R.Screen.empty() && From <= R.Screen.size();) {
        const size_t To = std::min(R.Screen.find('|', From), R.Screen.size());
        const std::string Form = R.Screen.substr(From, To - From);
        From = To + 1;
        const size_t Dots = Form.find("..");
        if (Form == "%time%") {
            if (B == bLowest)
                C.insert(C.end(), {"12:00,AM", "00:00"});
            if (B == bHighest)
                C.insert(C.end(), {"11:59,PM", "23:59"});
            if (B == bOther)
                C.insert(C.end(), {"01:15,PM", "13:15"});
        } else if (Form.size() > 2 && Form.front() == '%' && Dots != std::string::npos) {
            if (B == bLowest)
                C.push_back(Form.substr(1, Dots - 1));
            if (B == bHighest)
                C.push_back(Form.substr(Dots + 2, Form.size() - Dots - 3));
        } else if (B == bOther && Form.find('%') == std::string::npos)
            C.push_back(Form);
    }
    const bool Integer = R.Type == "vtInteger" || R.Type == "vtRangeInteger";
    int32_t Min = 0, Max = 0, Limit = 0;
    if (Integer) {
        if (TryStrToInt(R.Min, Min) && TryStrToInt(R.Max, Max)) {
            if (B == bLowest)
                C.push_back(IntToStr(Min + Distinct));
            if (B == bHighest)
                C.push_back(IntToStr(Max - Distinct));
        } else if (B == bLowest || B == bHighest) {
            // A number the window checks apart (a mailbox, an extension, a menu number): the ends of what such
            // numbers span, then the numbers of the simulator's first and last mailboxes.
            if (B == bLowest)
                C.insert(C.end(), {"1", "10", "100", "101"});
            else
                C.insert(C.end(), {"99999", "999", "998", "100", "101"});
        }
    } else if (C.empty() && TryStrToInt(R.Limit, Limit) && Limit > 0) {
        std::string Chars;
        for (char Ch : R.Mask)
            if (R.NotMask.find(Ch) == std::string::npos && Ch != ' ')
                Chars += Ch;
        if (R.Mask.empty())
            Chars = R.Type == "vtAlphabeticString" ? "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                   : "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        const bool Digits = Chars.find_first_not_of("0123456789") == std::string::npos && Limit <= 18;
        // From the shortest text up, from the longest down: the first the window takes is the boundary. Numbers
        // (a mask of digits) step away from the ends by Distinct, as the VMU keeps extensions apart.
        for (int L = 1; L <= Limit && (B == bLowest || B == bHighest); ++L) {
            const int N = B == bLowest ? L : Limit + 1 - L;
            if (!Digits) {
                C.push_back(TextOf(Chars, N, Distinct));
                continue;
            }
            int64_t Low = 1, High = 0;
            for (int I = 1; I < N; ++I)
                Low *= 10;
            High = Low * 10 - 1;
            if (N == 1)
                Low = 0;
            const int64_t Step = Distinct % (High - Low + 1);
            C.push_back(std::to_string(B == bLowest ? Low + Step : High - Step));
        }
    }
    if (B == bEmpty && (Integer ? R.EmptySaid && R.CanEmpty : !R.EmptySaid || R.CanEmpty))
        C.push_back("");
    return C;
}

std::string PathBelow(const TXmlNode* Top, const TXmlNode* N)
{
    std::string Path;
    for (; N && N != Top; N = N->Parent)
        Path = Path.empty() ? N->GetName() : N->GetName() + " > " + Path;
    return Path;
}

TXmlNode* NodeAt(TXmlNode* Top, const std::string& Path)
{
    TXmlNode* N = Top;
    for (size_t From = 0; N && From <= Path.size();) {
        const size_t To = std::min(Path.find(" > ", From), Path.size());
        N = N->Nodes.FindByName(Path.substr(From, To - From));
        From = To + 3;
    }
    return N;
}

struct TTableCase {
    const char* Firmware;
    TBoundary Boundary;
};

std::string CaseName(const ::testing::TestParamInfo<TTableCase>& Info)
{
    std::string F = Info.param.Firmware;
    F.erase(std::remove(F.begin(), F.end(), '.'), F.end());
    return "Firmware" + F + BoundaryNames[Info.param.Boundary];
}

std::vector<TTableCase> AllCases()
{
    std::vector<TTableCase> Cases;
    for (const char* F : {"1.31", "3.08", "4.08", "4.09"})
        for (int B = 0; B < bCount; ++B)
            Cases.push_back({F, TBoundary(B)});
    return Cases;
}

class ValueTableOnDevice : public TFormsOnDevice, public ::testing::WithParamInterface<TTableCase> {
protected:
    std::string ExtraState() const override
    {
        // A type only the lists below 3.08 have.
        return std::string(GetParam().Firmware) == "1.31" ? "\n[PBX Dialing Parameters]\nPBX Type = TD816\n" : "";
    }
    // The boxes shown, each once, by their first two lines.
    std::string Boxes() const
    {
        std::set<std::string> Seen;
        std::string S;
        for (const auto& B : Dialogs.Boxes) {
            const size_t First = B.Text.find('\n');
            const std::string Head =
                B.Text.substr(0, First == std::string::npos ? First : B.Text.find('\n', First + 1));
            if (Seen.insert(Head).second)
                S += "[" + B.Caption + "] " + Head + "\n";
        }
        return S;
    }
    // The boxes other than the description's own warning after Load all.
    std::string OtherBoxes() const
    {
        std::string S;
        for (const auto& B : Dialogs.Boxes)
            if (B.Text.rfind(Utilits::SWarningLoadFromVMU1, 0) != 0)
                S += "[" + B.Caption + "] " + B.Text + "\n";
        return S;
    }
    TXmlNode* DataParams() { return Main->DataDoc->FindNode(Main->DataDoc->Root(), Main->ParamsNode->GetName()); }

    // Every value the window F edits gets the boundary: the first candidate the cell takes (as the cell's editor
    // commits it, or as the dialog of a button cell writes it) without a box. Edited: path -> value.
    void EditWindow(TBaseGridForm* F, std::map<std::string, std::string>& Edited)
    {
        if (auto* Times = qobject_cast<TTimeServiceForm*>(F))
            return EditPeriods(Times, Edited);
        TXStringGridModel& G = F->GridModel();
        if (!(F->Grid->Options() & goEditing))
            return;
        std::map<const TXmlNode*, int> DistinctPlaces;
        for (int Row = 0; !G.NoDataRows() && Row < G.RowCount(); ++Row)
            for (int Col = 0; Col < G.ColumnCount(); ++Col) {
                TXmlNode* N = F->GetCellNode(Col, Row);
                const TXmlNode* Desc = N ? N->GetTemplate() : nullptr;
                const TXmlNode* Cell = Desc ? DescriptionRules::ViewParam(Desc, "Cell Info") : nullptr;
                // A record's key names the record: changing it is making another record, not editing a value.
                if (!Cell || !N->Attrs.Find("Value") || (G.GetCellValueOptions(Col, Row) & voReadOnly) ||
                    (!F->PropertyMode && Col == F->KeyColumn) || Edited.count(PathBelow(DataParams(), N)))
                    continue;
                const std::string Path = PathBelow(DataParams(), N);
                Cells.insert(Path);
                TCellRule R = CellRuleOf(Cell);
                if (R.ReadOnly || ExceptionOf(Path, GetParam().Firmware, "apply"))
                    continue;
                // A list offers what its window put in it (the firmware's own PBX types, say).
                if (const std::vector<std::string>* Items = G.GetCellItems(Col, Row); Items && R.List) {
                    R.Items.clear();
                    for (const std::string& Item : *Items)
                        R.Items.push_back(Item.substr(0, Item.find('=')));
                }
                // Numbers typed as digits (extensions, codes) are kept apart across the whole device, others
                // where the description says so.
                const bool Number = !R.Mask.empty() && R.Mask.find_first_not_of("0123456789") == std::string::npos;
                const int Distinct = Number ? NumberPlace++
                                            : Desc->GetAttr("Distinct").empty() ? 0 : DistinctPlaces[N->Parent]++;
                const std::string Old = G.Cells(Col, Row);
                for (const std::string& Candidate : Candidates(R, GetParam().Boundary, Distinct, N->GetName())) {
                    if (ExceptionOf(Path, GetParam().Firmware, "apply", &Candidate))
                        continue;
                    const size_t Before = Dialogs.Boxes.size();
                    // As the cell's editor does: it opens on the cell's text, then commits what was typed.
                    (void)G.EditText(Col, Row);
                    const bool Taken = G.CommitEditText(Col, Row, Candidate);
                    QApplication::processEvents();
                    if (Taken && Dialogs.Boxes.size() == Before) {
                        Edited[Path] = Candidate;
                        break;
                    }
                    Refused.push_back(Path + " = \"" + Candidate + "\": " +
                        (Dialogs.Boxes.size() > Before ? Dialogs.Boxes.back().Text : "not taken"));
                    Dialogs.Boxes.resize(Before);
                    G.SetCells(Col, Row, Old);
                }
            }
    }
    // The time service's cells take only what its period dialog writes: a start and an end together.
    void EditPeriods(TTimeServiceForm* F, std::map<std::string, std::string>& Edited)
    {
        TXStringGridModel& G = F->GridModel();
        const bool Hour12 = Main->UseAMPM;
        const TBoundary B = GetParam().Boundary;
        for (int Row = 0; !G.NoDataRows() && Row < G.RowCount(); ++Row)
            for (int Col = 1; Col + 1 < G.ColumnCount(); Col += 2) {
                TXmlNode* Start = F->GetCellNode(Col, Row);
                TXmlNode* End = F->GetCellNode(Col + 1, Row);
                if (!Start || !End)
                    continue;
                const std::string Paths[] = {PathBelow(DataParams(), Start), PathBelow(DataParams(), End)};
                Cells.insert(Paths, Paths + 2);
                if (B == bEmpty)
                    continue;
                TSetTimePeriodForm Dialog;
                Dialog.SetHour12(Hour12);
                Dialog.SetLayout(Col != 1);
                if (B == bOther && Col == 1)
                    Dialog.SetPeriod(NightModeText, NightModeText);
                else if (B == bOther)
                    Dialog.SetPeriod(Hour12 ? "01:15,PM" : "13:15", Hour12 ? "01:45,PM" : "13:45");
                else if (B == bLowest)
                    Dialog.SetPeriod(Hour12 ? "12:00,AM" : "00:00", Hour12 ? "12:01,AM" : "00:01");
                else
                    Dialog.SetPeriod(Hour12 ? "11:58,PM" : "23:58", Hour12 ? "11:59,PM" : "23:59");
                std::string From, To;
                Dialog.GetPeriod(From, To);
                if (ExceptionOf(Paths[0], GetParam().Firmware, "apply", &From) ||
                    ExceptionOf(Paths[1], GetParam().Firmware, "apply", &To))
                    continue;
                F->SetPeriod(Row, Col, From, To);
                Edited[Paths[0]] = From;
                Edited[Paths[1]] = To;
            }
    }
    // The detail windows a list window opens for its rows, each edited and applied.
    void EditDetails(TBaseGridForm* F, std::map<std::string, std::string>& Edited)
    {
        auto* Cos = qobject_cast<TCOSForm*>(F);
        auto* Custom = qobject_cast<TCustomServiceForm*>(F);
        auto* Mailboxes = qobject_cast<TMailboxListingForm*>(F);
        if (!Cos && !Custom && !Mailboxes)
            return;
        for (int Row = 0; !F->GridModel().NoDataRows() && Row < F->GridModel().RowCount(); ++Row) {
            // Only the records the device holds.
            bool Stored = false;
            for (int Col = 0; Col < F->GridModel().ColumnCount(); ++Col)
                Stored = Stored || F->GetCellNode(Col, Row);
            if (!Stored)
                continue;
            const qsizetype Before = Main->ChildForms().size();
            Go(F, Mailboxes ? TMailboxListingForm::NotificationCol : 0, Row);
            if (Cos)
                Cos->OpenDetail();
            else if (Custom)
                Custom->OpenDetail();
            else
                Mailboxes->GridButtonClick();
            QApplication::processEvents();
            if (Main->ChildForms().size() <= Before)
                continue;
            auto* Detail = qobject_cast<TBaseGridForm*>(Main->ChildForms().back());
            if (!Detail || Detail == F)
                continue;
            EditWindow(Detail, Edited);
            EditWindow(Detail, Edited);
            Detail->ButtonApplyClick();
            QApplication::processEvents();
            Detail->close();
            QApplication::processEvents();
        }
    }
    // The values of Expected the document holds, told by path, unless the table excuses them at Stage.
    void ExpectHeld(const std::map<std::string, std::string>& Expected, const std::string& Stage)
    {
        TXmlNode* Data = DataParams();
        ASSERT_NE(Data, nullptr) << Stage;
        for (const auto& [Path, Value] : Expected) {
            if (ExceptionOf(Path, GetParam().Firmware, Stage, &Value))
                continue;
            TXmlNode* N = NodeAt(Data, Path);
            EXPECT_TRUE(N && N->GetValue() == Value) << Stage << ": " << Path << " holds \""
                                                     << (N ? N->GetValue() : "(missing)") << "\", not \"" << Value
                                                     << "\"";
        }
    }
    std::set<std::string> Cells;
    int NumberPlace = 0;
    std::vector<std::string> Refused;
};

} // namespace

TEST_P(ValueTableOnDevice, EveryBoundaryIsConfirmedLoadedAndOpenedWithoutABox)
{
    const std::string Firmware = GetParam().Firmware;
    std::vector<std::string> SimOptions = {"--firmware", Firmware};
    if (const char* Log = getenv("ORLANTIS_TABLE_SIMLOG"))
        SimOptions.insert(SimOptions.end(), {"--log", Log});
    ASSERT_NO_FATAL_FAILURE(StartSim(SimOptions));
    TMainForm& M = StartMain(false);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    Dialogs.Boxes.clear();

    // Every section window in turn: its values edited, applied (each store confirmed by the device), closed.
    std::map<std::string, std::string> Expected;
    for (const TSectionForm& E : SectionForms()) {
        TXmlNode* Section = M.TemplateDoc->FindNode(M.ParamsNode, E.Section);
        if (!Section || Section->GetAttr("NotCreateForm") == "Yes" ||
            ExceptionOf(PathBelow(M.ParamsNode, Section) + " > ", Firmware, "apply"))
            continue;
        const qsizetype Before = M.ChildForms().size();
        M.OpenNodeForm(Section);
        QApplication::processEvents();
        auto* F = M.ChildForms().size() > Before ? qobject_cast<TBaseGridForm*>(M.ChildForms().back()) : nullptr;
        EXPECT_NE(F, nullptr) << E.Section << " does not open: " << Boxes();
        Dialogs.Boxes.clear();
        if (!F)
            continue;
        // Twice: a value may open cells that depend on it.
        std::map<std::string, std::string> Edited;
        EditWindow(F, Edited);
        EditWindow(F, Edited);
        F->ButtonApplyClick();
        QApplication::processEvents();
        EditDetails(F, Edited);
        EXPECT_EQ(Boxes(), "") << "apply " << E.Section;
        Dialogs.Boxes.clear();
        // What the window wrote is what its document holds now.
        for (const auto& [Path, Value] : Edited)
            if (TXmlNode* N = NodeAt(DataParams(), Path))
                Expected[Path] = N->GetValue();
        for (TBaseMDIForm* W : M.ChildForms())
            W->close();
        QApplication::processEvents();
        Dialogs.Boxes.clear();
    }
    std::cout << "[ values   ] " << Firmware << " " << BoundaryNames[GetParam().Boundary] << ": " << Expected.size()
              << " of " << Cells.size() << " cells edited, " << Refused.size()
              << " candidates refused by their windows\n";
    if (getenv("ORLANTIS_TABLE_CELLS"))
        for (const std::string& C : Cells)
            std::cout << "  cell " << C << (Expected.count(C) ? " = " + Expected[C] : std::string(" (kept)")) << "\n";
    if (getenv("ORLANTIS_TABLE_REFUSALS"))
        for (const std::string& R : Refused)
            std::cout << "  refused " << R.substr(0, R.find('\n')) << "\n";

    // Load all, in batch mode, without a box but the load's own warning.
    M.FileModeBatch1Execute();
    Dialogs.Boxes.clear();
    M.SystemLoadDataFromVMU1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    EXPECT_EQ(OtherBoxes(), "") << "load";
    ExpectHeld(Expected, "load");

    const std::string File = Dir() + "table.sav";
    Dialogs.FileAnswers = {File};
    ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
    Main.reset();
    Sim.reset();

    // A fresh program, never connected, opens the file.
    Dialogs.Boxes.clear();
    TMainForm& Fresh = Start();
    Fresh.resize(1100, 760);
    Fresh.show();
    if (ExceptionOf("", Firmware, "open"))
        return;
    Dialogs.FileAnswers = {File};
    Fresh.FileOpen1Execute();
    EXPECT_EQ(BoxTexts(), "") << "open";
    if (Fresh.NoData)
        return;
    ExpectHeld(Expected, "open");
}

INSTANTIATE_TEST_SUITE_P(Boundaries, ValueTableOnDevice, ::testing::ValuesIn(AllCases()), CaseName);
