// Writes cut short by the line, end to end: for each section whose writes address entries by place or by record,
// a representative edit is written with the line cut right after the device's k-th store, for every k the edit
// has (the simulator's --drop-after-stores: the device took the value, the program never saw it confirmed). The
// simulator then starts again from the state the cut left, the program reconnects, and at most two more writes
// must leave nothing marked as changed and the device's sections as a clean write of the same edit leaves them.
// Interactive windows write with Apply; the batch case writes a data file's edits with "Save parameters to VMU".
// Sections with a store that makes the device reset other values (an authorisation, the PBX integration mode) name
// fields the device must hold after every run, the clean one too.
// The same table is swept with the edits dropped instead: with the line up, and with it down until the next
// connection asks, the device must end as before the edit, after one failure box.
#include "FormsOnDevice.h"

#include "forms/numbering/AlternateExtension.h"
#include "forms/attendant/CallerIDCallRouting.h"
#include "forms/attendant/AttendantRules.h"
#include "forms/calendar/CalendarRules.h"
#include "forms/custom/CustomService.h"
#include "forms/custom/CustomServiceDetail.h"
#include "forms/custom/CustomServiceRules.h"
#include "forms/groups/ExtensionGroup.h"
#include "forms/numbering/ExtensionNumberingPlan.h"
#include "forms/calendar/HolidayListing.h"
#include "forms/groups/MailboxGroup.h"
#include "forms/mailbox/MailboxListing.h"
#include "forms/mailbox/MailboxNotification.h"
#include "forms/mailbox/MailboxSheduleTime.h"
#include "forms/dialogs/SetMailboxNo.h"
#include "forms/pbx/PBXDialingParameters.h"
#include "forms/service/COS.h"
#include "forms/service/COSDetail.h"
#include "forms/service/PortService.h"
#include "forms/simple/InputOutput.h"
#include "engine/SectionReconcile.h"
#include "shell/FormRegistry.h"

#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <sstream>

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TAlternateExtensionForm>(),
    MakeFormFactory<TMailboxGroupForm>(), MakeFormFactory<TExtensionGroupForm>(),
    MakeFormFactory<THolidayListingForm>(), MakeFormFactory<TMailboxListingForm>(),
    MakeFormFactory<TCustomServiceForm>(), MakeFormFactory<TCustomServiceDetailForm>(),
    MakeFormFactory<TCallerIDCallRoutingForm>(), MakeFormFactory<TExtensionNumberingPlanForm>(),
    MakeFormFactory<TCOSForm>(), MakeFormFactory<TPBXDialingParametersForm>(), MakeFormFactory<TPortServiceForm>(),
    MakeFormFactory<TTrunkServiceForm>(), MakeFormFactory<TInputOutputForm>(), MakeFormFactory<TMailboxNotificationForm>(),
    MakeFormFactory<TMailboxSheduleTimeForm>()};

class CutWritesOnDevice;

// One edit: the sections it changes on the device, and how it is made. An interactive edit returns the window
// whose Apply writes it; a batch edit works on the loaded document and returns no window.
struct TCutCase {
    std::string Name;
    bool Batch = false;
    std::vector<std::string> Sections;
    std::function<TBaseGridForm*(CutWritesOnDevice&)> Edit;
    // The cut points this row tries (an edit of many stores is split over rows that ctest runs side by side);
    // LastCut 0: up to the edit's last store.
    int FirstCut = 1, LastCut = 0;
    // Fields the device must hold after every run, the clean one too: a record's line start and a field=value.
    std::vector<std::pair<std::string, std::string>> Holds = {};
    // Lines added to the device's default state.
    std::string State = {};
    // Fields the device keeps but never shows the program, which therefore cannot take them back.
    std::vector<std::string> Unseen = {};
};

// Failure messages name the case, not its bytes.
void PrintTo(const TCutCase& Case, std::ostream* Out) { *Out << Case.Name; }

// The records in which two device texts differ, each side's line.
std::string Difference(const std::string& Device, const std::string& Clean)
{
    auto Lines = [](const std::string& Text) {
        std::vector<std::string> L;
        std::istringstream In(Text);
        for (std::string Line; std::getline(In, Line);)
            L.push_back(Line);
        return L;
    };
    const std::vector<std::string> D = Lines(Device), C = Lines(Clean);
    std::string Out;
    for (const std::string& Line : D)
        if (std::find(C.begin(), C.end(), Line) == C.end())
            Out += "  device holds:    " + Line + "\n";
    for (const std::string& Line : C)
        if (std::find(D.begin(), D.end(), Line) == D.end())
            Out += "  a clean write:   " + Line + "\n";
    return Out;
}

// How one write run ended: whether the line was cut, and the device's sections afterwards (as text, so that a
// failure shows both sides).
struct TRun {
    bool Cut = false;
    std::string Device;
    TBaseGridForm* Window = nullptr;
    std::string CutBoxes;
};

class CutWritesOnDevice : public TFormsOnDevice, public ::testing::WithParamInterface<TCutCase> {
public:
    using TFormsOnDevice::Go;
    using TFormsOnDevice::Key;
    using TFormsOnDevice::OpenFromTree;
    using TFormsOnDevice::TypeInto;
    using TFormsOnDevice::Row;
    using TFormsOnDevice::Main;
    using TFormsOnDevice::Dialogs;
    using TFormsOnDevice::BoxTexts;

    // A drop-down choice committed as the grid's list commits it.
    static void Choose(TBaseGridForm* F, int Col, int Row, const std::string& Text)
    {
        F->EditStartText = F->Grid->Cells(Col, Row);
        F->Grid->CommitEditText(Col, Row, Text);
        QApplication::processEvents();
    }
    int RowOf(TBaseGridForm* F, const std::string& Key) const
    {
        for (int R = 0; R < F->Grid->RowCount(); ++R)
            if (F->Grid->Cells(0, R) == Key)
                return R;
        return -1;
    }

protected:
    std::string ExtraState() const override { return GetParam().State; }

    // The sections as the saved state holds them, a record a line with its filled fields (the device shows an empty
    // field and a missing one alike).
    std::string DeviceSections(const TCutCase& Case, const std::vector<std::string>& Unseen = {})
    {
        TState S = Saved();
        std::string Text;
        for (const std::string& Section : Case.Sections)
            for (const auto& [Record, Fields] : S[Section]) {
                // The device lists a menu only while it has a name: what it keeps of one without is never shown.
                if (Section == "Custom Service" &&
                    (!Fields.count("Custom Service Name") || Fields.at("Custom Service Name").empty()))
                    continue;
                Text += "[" + Section + "] <" + Record + ">";
                for (const auto& [Field, Value] : Fields)
                    if (!Value.empty() && std::find(Unseen.begin(), Unseen.end(), Field) == Unseen.end())
                        Text += " " + Field + "=" + Value + ";";
                Text += "\n";
            }
        return Text;
    }
    // Nodes of the parameters still marked as changed (batch mode), by name.
    std::string Marked(TXmlNode* Node)
    {
        std::string Names;
        if (!Node)
            return Names;
        const std::string Mark = Node->GetAttr("Change");
        if (!Mark.empty() && Mark != "NoChange")
            Names += Node->GetName() + " (" + Mark + ")\n";
        if (Node->Attrs.Find(UnsettledAttr))
            Names += Node->GetName() + " (unsettled)\n";
        for (const auto& Child : Node->Nodes)
            Names += Marked(Child.get());
        return Names;
    }
    // The document's parameters (the description's node of the same name only describes them).
    TXmlNode* Parameters() { return Main->DataDoc->FindNode(Main->DataDoc->Root(), Main->ParamsNode->GetName()); }
    bool Settled(TBaseGridForm* Window) { return Window ? !Window->Modified : Marked(Parameters()).empty(); }
    void Write(TBaseGridForm* Window)
    {
        if (Window)
            QTest::mouseClick(Window->ButtonApply, Qt::LeftButton);
        else
            Main->SystemSaveDataToVMU1Execute();
        QApplication::processEvents();
    }

    // A fresh device from the default state and a fresh program; the edit written once with the line cut after
    // the device's Cut-th store (0: never), every question answered Yes (the write, and keeping a window on a dead
    // line). A cut run ends once the program has let go of the dead line; one not cut, with the device's sections.
    TRun WriteCut(const TCutCase& Case, int Cut)
    {
        TRun Run;
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
        Dialogs.Default = mrYes;
        std::filesystem::remove(SavedPath);
        StartSim(Cut > 0 ? std::vector<std::string>{"--drop-after-stores", std::to_string(Cut)}
                         : std::vector<std::string>{});
        TMainForm& M = StartMain(Case.Batch);
        M.ConnectSet1Execute();
        EXPECT_TRUE(M.Connected) << BoxTexts();
        if (Case.Batch) {
            M.SystemLoadDataFromVMU1Execute();
            EXPECT_FALSE(M.NoData) << BoxTexts();
        }
        TBaseGridForm* Window = Run.Window = Case.Edit(*this);
        if (::testing::Test::HasFatalFailure() || (!Case.Batch && !Window))
            return Run;
        if (Case.Batch) {
            Dialogs.FileAnswers = {Dir() + "edits.sav"};
            EXPECT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
        }
        EXPECT_FALSE(Settled(Window)) << "the edit left nothing to write";
        Dialogs.Boxes.clear();
        Write(Window);
        // A cut ends the simulator right after its store, and the program learns of it only from the dead line, so
        // by the time the write has ended the simulator has too (the margin covers its last moments of exiting).
        Run.Cut = QTest::qWaitFor([&] { return Sim->Exited(); }, Settled(Window) ? 2000 : 20000);
        if (!Run.Cut) {
            EXPECT_TRUE(Settled(Window)) << "a write without a cut failed: " << BoxTexts() << Marked(Parameters());
            Run.Device = DeviceSections(Case);
            return Run;
        }
        Run.CutBoxes = BoxTexts();
        EXPECT_TRUE(std::any_of(Dialogs.Boxes.begin(), Dialogs.Boxes.end(), [](const auto& B) {
            return B.Type == mtError;
        })) << "the write was cut, yet reported no failure: " << Run.CutBoxes;
        if (!Case.Batch) {
            EXPECT_NE(Run.CutBoxes.find(" changed values."), std::string::npos) << "no count: " << Run.CutBoxes;
        }
        // The program lets go of the dead line by itself (a window asks whether to stay, and is kept).
        EXPECT_TRUE(QTest::qWaitFor([&] { return !M.PortOpen(); }, 20000)) << BoxTexts();
        return Run;
    }
    // The device back with what the cut left, and the program connected to it again.
    void ComeBack()
    {
        const std::string Left = Dir() + "left.state";
        std::filesystem::copy_file(SavedPath, Left, std::filesystem::copy_options::overwrite_existing);
        Sim = std::make_unique<TSimProcess>(std::vector<std::string>{"--state", Left, "--save-state", SavedPath});
        EXPECT_TRUE(Sim->Started());
        Sim->CloseLine();
        Main->ComPort->SetPort(Sim->PtyPath());
        Main->ConnectSet1Execute();
        EXPECT_TRUE(Main->Connected) << BoxTexts();
    }
    // The sections as the device holds them before anything is written (a plain start saves its state).
    std::string DeviceAtStart(const TCutCase& Case)
    {
        std::filesystem::remove(SavedPath);
        {
            TSimProcess Start({"--state", StatePath, "--save-state", SavedPath});
            EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(SavedPath); }, 10000));
        }
        return DeviceSections(Case, Case.Unseen);
    }
    int BoxesWith(const std::string& Text) const
    {
        return int(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(),
            [&](const auto& B) { return B.Text.find(Text) != std::string::npos; }));
    }
    // The window closed and its edits dropped, as the user drops them.
    void Drop(TBaseGridForm* Window)
    {
        Dialogs.Default = mrNo;
        Window->close();
        QApplication::processEvents();
        EXPECT_FALSE(Main->ChildForms().contains(Window)) << BoxTexts();
    }
    // A cut run goes on as the user would: the device is back with what the cut left, the program reconnects, and
    // the write is repeated (at most twice) until nothing is left.
    TRun RunWith(const TCutCase& Case, int Cut)
    {
        TRun Run = WriteCut(Case, Cut);
        TBaseGridForm* Window = Run.Window;
        if (!Run.Cut || ::testing::Test::HasFatalFailure())
            return Run;
        ComeBack();
        if (Window && !Main->ChildForms().contains(Window)) {
            ADD_FAILURE() << "the window was not kept: " << BoxTexts();
            return Run;
        }
        Dialogs.Boxes.clear();
        for (int Retry = 0; Retry < 2 && !Settled(Window); ++Retry)
            Write(Window);
        EXPECT_TRUE(Settled(Window)) << "still not written after two more tries:\n"
                                     << "boxes of the cut write:\n" << Run.CutBoxes << "boxes of the retries:\n"
                                     << BoxTexts() << Marked(Parameters());
        Run.Device = DeviceSections(Case);
        return Run;
    }
};

// Whether the device's sections hold each of the case's fields in the record named.
void ExpectHolds(const TCutCase& Case, const std::string& Device)
{
    for (const auto& [Record, Field] : Case.Holds) {
        bool Held = false;
        std::istringstream In(Device);
        for (std::string Line; std::getline(In, Line);)
            Held = Held || (Line.rfind(Record + " ", 0) == 0 && Line.find(" " + Field + ";") != std::string::npos);
        EXPECT_TRUE(Held) << Record << " lacks " << Field << ":\n" << Device;
    }
}

// The detail window of class Number, opened from the class list, with Edit made in it: each (parameter, value)
// typed or chosen in turn.
TBaseGridForm* EditClass(CutWritesOnDevice& T, int Number, const std::vector<std::pair<std::string, std::string>>& Edit)
{
    auto* List = T.OpenFromTree<TCOSForm>("Class of Service");
    if (!List)
        return nullptr;
    T.Go(List, 1, Number - 1);
    T.Key(List, Qt::Key_Return);
    QApplication::processEvents();
    TCOSDetailForm* D = nullptr;
    for (TBaseMDIForm* Form : T.Main->ChildForms())
        if (auto* Found = qobject_cast<TCOSDetailForm*>(Form); Found && Found->Index == Number - 1)
            D = Found;
    EXPECT_NE(D, nullptr);
    if (!D)
        return nullptr;
    for (const auto& [Key, Value] : Edit) {
        const int Row = D->FindRowByKey(1, Key);
        EXPECT_GE(Row, 0) << Key;
        if (Row < 0)
            return nullptr;
        if (Value == "Yes" || Value == "No")
            CutWritesOnDevice::Choose(D, 1, Row, Value);
        else
            T.TypeInto(D, 1, Row, Value);
        EXPECT_EQ(D->Grid->Cells(1, Row), Value) << Key;
    }
    return D;
}

// A mailbox added through the new-mailbox dialog, as the user adds one.
void AddMailbox(TMailboxListingForm* Listing, const std::string& Number)
{
    QTimer::singleShot(0, [Number] {
        if (auto* Dialog = qobject_cast<TSetMailboxNoForm*>(QApplication::activeModalWidget())) {
            Dialog->EditMailboxNo->setText(ToQ(Number));
            Dialog->OKBtnClick();
        }
    });
    Listing->NewRowButton->click();
}

// Entries 4 and 5 added, entry 2 changed: the device addresses them by place.
void EditAlternate(CutWritesOnDevice& T, TBaseGridForm* F)
{
    T.TypeInto(F, 1, 3, "224");
    T.TypeInto(F, 1, 4, "225");
    T.TypeInto(F, 1, 1, "230");
}

// Member 2 of group 300 changed (the group is rebuilt on the device), and group 302 added.
void EditExtensionGroup(CutWritesOnDevice& T, TBaseGridForm* F)
{
    T.TypeInto(F, 4, 0, "270");
    T.TypeInto(F, 1, 2, "302");
    T.TypeInto(F, 3, 2, "271");
}

TBaseGridForm* EditHolidays(CutWritesOnDevice& T)
{
    // Holidays 5 and 6 filled: each a new record with its name and start date.
    auto* F = T.OpenFromTree<THolidayListingForm>("Holiday Listing");
    if (!F)
        return nullptr;
    using namespace Holidays;
    T.TypeInto(F, NameCol, 4, "FAIR");
    F->SetDate(StartCol, 4, "3/6");
    T.TypeInto(F, NameCol, 5, "HARVEST");
    F->SetDate(StartCol, 5, "1/10");
    EXPECT_EQ(F->Grid->Cells(StartCol, 5), "1/10");
    return F;
}

TBaseGridForm* EditOffline(CutWritesOnDevice& T)
{
    // The Alternate Extension and Extension Group edits made offline, each window closed with OK.
    auto* Alt = T.OpenFromTree<TAlternateExtensionForm>("Alternate Extension");
    if (!Alt)
        return nullptr;
    EditAlternate(T, Alt);
    QTest::mouseClick(Alt->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    auto* Groups = T.OpenFromTree<TExtensionGroupForm>("Extension Group");
    if (!Groups)
        return nullptr;
    EditExtensionGroup(T, Groups);
    QTest::mouseClick(Groups->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(T.Main->ChildForms().empty());
    return nullptr;
}

// The window of menu Index + 1, opened from the overview.
TCustomServiceDetailForm* OpenMenu(CutWritesOnDevice& T, int Index)
{
    auto* Overview = T.OpenFromTree<TCustomServiceForm>("Custom Service");
    if (!Overview)
        return nullptr;
    T.Go(Overview, CustomService::NameRow, Index);
    T.Key(Overview, Qt::Key_Return);
    QApplication::processEvents();
    for (TBaseMDIForm* Form : T.Main->ChildForms())
        if (auto* Found = qobject_cast<TCustomServiceDetailForm*>(Form); Found && Found->Index == Index)
            return Found;
    ADD_FAILURE() << "menu " << Index + 1 << " did not open";
    return nullptr;
}

TBaseGridForm* EditNewMenu(CutWritesOnDevice& T)
{
    // A new menu 5 with a name and two keys, one of them with its parameter, in its detail window.
    using namespace CustomService;
    auto* D = OpenMenu(T, 4);
    if (!D)
        return nullptr;
    T.TypeInto(D, 1, NameRow, "SALES");
    CutWritesOnDevice::Choose(D, 1, KeyRow(1), "Transfer to Extension");
    T.TypeInto(D, 1, KeyRow(1) + 1, "220");
    CutWritesOnDevice::Choose(D, 1, KeyRow(2), "Repeat Menu");
    return D;
}

// Mailbox 101's notification devices, opened from the mailbox list.
TMailboxNotificationForm* Devices101(CutWritesOnDevice& T)
{
    auto* Listing = T.OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    if (!Listing)
        return nullptr;
    const int R101 = T.RowOf(Listing, "101");
    T.Go(Listing, TMailboxListingForm::NotificationCol, R101);
    Listing->GridButtonClick();
    for (TBaseMDIForm* Form : T.Main->ChildForms())
        if (auto* Found = qobject_cast<TMailboxNotificationForm*>(Form); Found && Found->Index == R101)
            return Found;
    ADD_FAILURE() << "no notification devices: " << T.BoxTexts();
    return nullptr;
}

// 101's second notification device given Number as a beeper, and device Row's retries set to 5.
TBaseGridForm* SecondBeeper(CutWritesOnDevice& T, const std::string& Number, int Row)
{
    auto* D = Devices101(T);
    if (!D)
        return nullptr;
    T.TypeInto(D, TMailboxNotificationForm::NumberCol, 1, Number);
    CutWritesOnDevice::Choose(D, TMailboxNotificationForm::TypeCol, 1, "Beeper");
    T.TypeInto(D, TMailboxNotificationForm::ModeCol + 1, Row, "5");
    EXPECT_EQ(D->Grid->Cells(TMailboxNotificationForm::ModeCol + 1, Row), "5");
    return D;
}

// Case with the cut points First to Last only (Last 0: to the edit's last store), named after them: an edit of many
// stores is swept by rows that ctest runs side by side.
TCutCase Cuts(TCutCase Case, int First, int Last)
{
    Case.Name += "Cuts" + std::to_string(First) + (Last > 0 ? "To" + std::to_string(Last) : std::string("On"));
    Case.FirstCut = First;
    Case.LastCut = Last;
    return Case;
}

// A new PBX type presets the mode, the ports, the dial strings and the tone codes; a port typed after it
// follows it.
const TCutCase PbxDialingType = {"PbxDialingType", false, {"PBX Dialing Parameters", "Inband Signaling"},
    [](CutWritesOnDevice& T) -> TBaseGridForm* {
        auto* F = T.OpenFromTree<TPBXDialingParametersForm>("PBX Dialing Parameters");
        if (!F)
            return nullptr;
        CutWritesOnDevice::Choose(F, 1, 0, "TD308");
        EXPECT_EQ(F->Grid->Cells(1, 2), "295");
        T.TypeInto(F, 1, 2, "165");
        return F;
    },
    1, 0, {{"[PBX Dialing Parameters] <>", "PBX Type=TD308"},
              {"[PBX Dialing Parameters] <>", "Extension Number of VPS Port1=165"},
              {"[PBX Dialing Parameters] <>", "Extension Number of VPS Port2=296"}},
    {},
    // The device has four ports: the type's store presets the four more its state keeps, which it never shows.
    {"Extension Number of VPS Port5", "Extension Number of VPS Port6", "Extension Number of VPS Port7",
        "Extension Number of VPS Port8"}};

// T96 brings tone codes other than the device's: after the type's twelve stores the Apply writes them to "Inband
// Signaling", and a cut there (stores 13 on) is a cut of the same Apply.
const TCutCase PbxToneCodes = {"PbxToneCodes", false, {"PBX Dialing Parameters", "Inband Signaling"},
    [](CutWritesOnDevice& T) -> TBaseGridForm* {
        auto* F = T.OpenFromTree<TPBXDialingParametersForm>("PBX Dialing Parameters");
        if (F)
            CutWritesOnDevice::Choose(F, 1, 0, "T96");
        return F;
    },
    1, 0, {{"[PBX Dialing Parameters] <>", "PBX Type=T96"}, {"[Inband Signaling] <>", "Ringback=A1"}}, {},
    PbxDialingType.Unseen};

// A number given to a notification device that had none makes the device fill the device's values with defaults.
const TCutCase NotificationDevice = {"MailboxNotificationDevice", false, {"Mailbox Listing"},
    [](CutWritesOnDevice& T) { return SecondBeeper(T, "5551300", 1); },
    1, 0, {{"[Mailbox Listing] <101>", "2ND Device/Device Number=5551300"},
              {"[Mailbox Listing] <101>", "2ND Device/Device Type=Beeper"},
              {"[Mailbox Listing] <101>", "2ND Device/Number of Retries=5"}}};
// The same with the first device's retries: a put-back must not leave the second device the device made.
const TCutCase NotificationSecondBeeper = {"MailboxNotificationSecondBeeper", false, {"Mailbox Listing"},
    [](CutWritesOnDevice& T) { return SecondBeeper(T, "x123", 0); },
    1, 0, {{"[Mailbox Listing] <101>", "2ND Device/Device Type=Beeper"},
              {"[Mailbox Listing] <101>", "1ST Device/Number of Retries=5"}}};

const std::vector<TCutCase> Cases = {
    {"AlternateExtension", false, {"Alternate Extension"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<TAlternateExtensionForm>("Alternate Extension");
            if (F)
                EditAlternate(T, F);
            return F;
        }},
    {"ExtensionGroup", false, {"Extension Group"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<TExtensionGroupForm>("Extension Group");
            if (F)
                EditExtensionGroup(T, F);
            return F;
        }},
    {"MailboxGroup", false, {"Mailbox Group"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            // A new group 503 with three members.
            auto* F = T.OpenFromTree<TMailboxGroupForm>("Mailbox Group");
            if (!F)
                return nullptr;
            T.TypeInto(F, 1, 2, "503");
            T.TypeInto(F, 2, 2, "NIGHT");
            T.TypeInto(F, 3, 2, "105");
            T.TypeInto(F, 4, 2, "106");
            T.TypeInto(F, 5, 2, "107");
            EXPECT_EQ(T.Row(F, 2), "3 503 NIGHT 105 106 107");
            return F;
        }},
    {"HolidayListingCuts1To8", false, {"Holiday Listing"}, EditHolidays, 1, 8},
    {"HolidayListingCuts9On", false, {"Holiday Listing"}, EditHolidays, 9},
    {"MailboxListing", false, {"Mailbox Listing", "Mailbox Group"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            // Mailbox 170 added with an extension and a name; 104 (a member of group 500) deleted.
            auto* F = T.OpenFromTree<TMailboxListingForm>("Mailbox Listing");
            if (!F)
                return nullptr;
            AddMailbox(F, "170");
            const int R170 = T.RowOf(F, "170");
            EXPECT_GE(R170, 0);
            if (R170 < 0)
                return nullptr;
            T.TypeInto(F, 1, R170, "270");
            T.TypeInto(F, 2, R170, "NEWMAN");
            T.Go(F, 1, T.RowOf(F, "104"));
            T.Key(F, Qt::Key_Delete);
            EXPECT_EQ(T.RowOf(F, "104"), -1);
            return F;
        }},
    {"CustomServiceMenuCuts1To9", false, {"Custom Service"}, EditNewMenu, 1, 9},
    {"CustomServiceMenuCuts10On", false, {"Custom Service"}, EditNewMenu, 10},
    // Menu 2 deleted: its name emptied in its window, opened from the overview.
    {"CustomServiceMenuDeleted", false, {"Custom Service"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* D = OpenMenu(T, 1);
            if (D)
                T.TypeInto(D, 1, CustomService::NameRow, "");
            return D;
        }},
    {"CallerIDCallRouting", false, {"Caller ID Call Routing"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            // Entry 3 routes a new number to custom service 7 (a routing with its parameter); entry 1 gets another
            // mailbox.
            auto* F = T.OpenFromTree<TCallerIDCallRoutingForm>("Caller ID Call Routing");
            if (!F)
                return nullptr;
            using namespace CallerRouting;
            T.TypeInto(F, CallerIDCol, 2, "5559876");
            CutWritesOnDevice::Choose(F, RoutingCol, 2, "Custom");
            T.TypeInto(F, ParameterCol, 2, "7");
            T.TypeInto(F, ParameterCol, 0, "101");
            EXPECT_EQ(F->Grid->Cells(RoutingCol, 2), "Custom");
            return F;
        }},
    {"ExtensionNumberingPlan", false, {"Extension Numbering Plan"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            // Plan 2 changed and plan 3 added.
            auto* F = T.OpenFromTree<TExtensionNumberingPlanForm>("Extension Numbering Plan");
            if (!F)
                return nullptr;
            T.TypeInto(F, 1, 1, "6XX");
            T.TypeInto(F, 1, 2, "4XX");
            EXPECT_EQ(F->Grid->Cells(1, 2), "4XX");
            return F;
        }},
    // The authorisation's store gives its dependent values their defaults: it is sent only when the device lacks
    // it, and then before them.
    {"ClassOfServiceForwardingSwitchedOn", false, {"Class of Service"},
        [](CutWritesOnDevice& T) {
            return EditClass(T, 4,
                {{"Message Retention Days", "45"}, {"Authorization for Auto Forwarding", "Yes"},
                    {"Mailbox Number", "105"}});
        },
        1, 0, {{"[Class of Service] <4>", "Mailbox Number=105"}, {"[Class of Service] <4>", "Message Retention Days=45"}}},
    {"ClassOfServiceForwardingChanged", false, {"Class of Service"},
        [](CutWritesOnDevice& T) {
            return EditClass(T, 5, {{"Mailbox Number", "105"}, {"Keep Forwarded Message", "No"}});
        },
        1, 0, {{"[Class of Service] <5>", "Mailbox Number=105"}, {"[Class of Service] <5>", "Keep Forwarded Message=No"}}},
    // The integration mode's store presets every port and dial string.
    {"PbxDialingPorts", false, {"PBX Dialing Parameters", "Inband Signaling"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<TPBXDialingParametersForm>("PBX Dialing Parameters");
            if (!F)
                return nullptr;
            T.TypeInto(F, 1, 3, "177");
            T.TypeInto(F, 1, 5, "179");
            T.TypeInto(F, 1, F->FirstDialRow() + 2, "12fx");
            EXPECT_EQ(F->Grid->Cells(1, F->FirstDialRow() + 2), "12FX");
            return F;
        },
        1, 0, {{"[PBX Dialing Parameters] <>", "Extension Number of VPS Port1=165"},
                  {"[PBX Dialing Parameters] <>", "Extension Number of VPS Port2=177"},
                  {"[PBX Dialing Parameters] <>", "Extension Number of VPS Port4=179"}}},
    Cuts(PbxDialingType, 1, 8),
    Cuts(PbxDialingType, 9, 0),
    Cuts(PbxToneCodes, 13, 0),
    // A service's store empties its number, a greeting prompt's sets its greeting.
    {"PortServiceModes", false, {"Port Service"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<TPortServiceForm>("Port Service");
            if (!F)
                return nullptr;
            CutWritesOnDevice::Choose(F, 1, 0, "Custom");
            T.TypeInto(F, 2, 0, "7");
            CutWritesOnDevice::Choose(F, 3, 2, "Selective");
            T.TypeInto(F, 4, 2, "5");
            return F;
        },
        1, 0, {{"[Port Service] <1>", "Day Mode/Number=7"}, {"[Port Service] <1>", "Lunch Mode/Greeting No.=5"}}},
    {"TrunkServiceModes", false, {"Trunk Service"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<TTrunkServiceForm>("Trunk Service");
            if (!F)
                return nullptr;
            CutWritesOnDevice::Choose(F, 1, 1, "Custom");
            T.TypeInto(F, 2, 1, "9");
            CutWritesOnDevice::Choose(F, 3, 1, "Selective");
            T.TypeInto(F, 4, 1, "6");
            return F;
        },
        1, 0, {{"[Trunk Service] <1>", "Night Mode/Number=9"}, {"[Trunk Service] <1>", "Night Mode/Greeting No.=6"}}},
    // A holiday's service store empties its parameter.
    {"HolidayService", false, {"Holiday Listing"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<THolidayListingForm>("Holiday Listing");
            if (!F)
                return nullptr;
            using namespace Holidays;
            CutWritesOnDevice::Choose(F, ServiceCol, 0, "Custom");
            T.TypeInto(F, ParameterCol, 0, "5");
            T.TypeInto(F, NameCol, 0, "NEW YEARS DAY");
            EXPECT_EQ(F->Grid->Cells(ParameterCol, 0), "5");
            return F;
        },
        1, 0, {{"[Holiday Listing] <1>", "Service Parameter=5"}, {"[Holiday Listing] <1>", "Service=Custom"}}},
    Cuts(NotificationDevice, 1, 3),
    Cuts(NotificationDevice, 4, 0),
    Cuts(NotificationSecondBeeper, 1, 4),
    Cuts(NotificationSecondBeeper, 5, 0),
    // Wednesday's and Friday's two time frames of 101's first device (the days it leaves are not typed).
    {"MailboxSchedule", false, {"Mailbox Listing"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* D = Devices101(T);
            if (!D)
                return nullptr;
            T.Go(D, TMailboxNotificationForm::ScheduleCol, 0);
            D->GridButtonClick();
            TMailboxSheduleTimeForm* Week = nullptr;
            for (TBaseMDIForm* Form : T.Main->ChildForms())
                if (auto* Found = qobject_cast<TMailboxSheduleTimeForm*>(Form))
                    Week = Found;
            EXPECT_NE(Week, nullptr) << T.BoxTexts();
            if (Week) {
                Week->SetFrames(2, "09:00", "11:30", "14:00", "16:00");
                Week->SetFrames(4, "07:30", "12:00", "13:00", "16:30");
            }
            return Week;
        },
        1, 0, {{"[Mailbox Listing] <101>", "1ST Device/Day Wed/Time frame 2/End Time=16:00"},
                  {"[Mailbox Listing] <101>", "1ST Device/Day Fri/Time frame 1/Start Time=07:30"}}},
    // An input code's store empties its output code.
    {"InputOutputCodes", false, {"Input/Output"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<TInputOutputForm>("Input/Output");
            if (!F)
                return nullptr;
            T.TypeInto(F, 1, 0, "8");
            T.TypeInto(F, 1, 1, "#2");
            T.TypeInto(F, 2, 1, "12W");
            EXPECT_EQ(F->Grid->Cells(2, 0), "9W");
            return F;
        },
        1, 0, {{"[Input/Output] <1>", "Output Code=9W"}, {"[Input/Output] <2>", "Output Code=12W"}}},
    {"ExtensionGroupMemberRemoved", false, {"Extension Group"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            // Member 231 of group 301 removed: the members after it close up, and the group is rebuilt.
            auto* F = T.OpenFromTree<TExtensionGroupForm>("Extension Group");
            if (!F)
                return nullptr;
            const int Row = T.RowOf(F, "2");
            T.Go(F, 4, Row);
            T.Key(F, Qt::Key_Delete);
            EXPECT_EQ(T.Row(F, Row), "2 301 WAREHOUSE 230 232");
            return F;
        }},
    {"ExtensionMovedToAnotherGroup", false, {"Extension Group"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            // 270 leaves group 301 for group 300 in one Apply: the device takes it only once 301 no longer holds it.
            auto* F = T.OpenFromTree<TExtensionGroupForm>("Extension Group");
            if (!F)
                return nullptr;
            T.Go(F, 5, 1);
            T.Key(F, Qt::Key_Delete);
            T.TypeInto(F, 5, 0, "270");
            EXPECT_EQ(F->Grid->Cells(5, 0), "270") << T.BoxTexts();
            return F;
        },
        1, 0, {{"[Extension Group] <300>", "Extension No. 3=270"}},
        "\n[Extension Group]\n<300>\nGroup Name = FRONT DESK\nExtension No. 1 = 201\nExtension No. 2 = 202\n"
        "<301>\nGroup Name = WAREHOUSE\nExtension No. 1 = 230\nExtension No. 2 = 231\nExtension No. 3 = 270\n"},
    {"AlternateExtensionTwoDeleted", false, {"Alternate Extension"},
        [](CutWritesOnDevice& T) -> TBaseGridForm* {
            // Entries 1 and 3 of 221, 222, 223 deleted in one Apply: 222 is left.
            auto* F = T.OpenFromTree<TAlternateExtensionForm>("Alternate Extension");
            if (!F)
                return nullptr;
            T.Go(F, 1, 2);
            T.Key(F, Qt::Key_Delete);
            T.Go(F, 1, 0);
            T.Key(F, Qt::Key_Delete);
            EXPECT_EQ(F->Grid->Cells(1, 0), "222");
            EXPECT_EQ(F->Grid->Cells(1, 1), "");
            return F;
        },
        1, 0, {{"[Alternate Extension] <1>", "Extension=222"}}},
    {"BatchSaveCuts1To7", true, {"Alternate Extension", "Extension Group"}, EditOffline, 1, 7},
    {"BatchSaveCuts8On", true, {"Alternate Extension", "Extension Group"}, EditOffline, 8},
};

} // namespace

TEST_P(CutWritesOnDevice, ARetryAfterACutLeavesTheDeviceAsACleanWrite)
{
    const TCutCase& Case = GetParam();
    const TRun Clean = RunWith(Case, 0);
    ASSERT_FALSE(HasFailure()) << "the clean write failed";
    ASSERT_FALSE(Clean.Device.empty());
    ExpectHolds(Case, Clean.Device);
    // Every store the edit makes is a cut point; the first run that is not cut has passed the last of them.
    int Cuts = 0;
    for (int K = Case.FirstCut; K <= (Case.LastCut > 0 ? Case.LastCut : 60); ++K) {
        SCOPED_TRACE(Case.Name + ": line cut after store " + std::to_string(K));
        const TRun Run = RunWith(Case, K);
        EXPECT_TRUE(Run.Device == Clean.Device) << "the device's sections differ from a clean write's:\n"
                                                << Difference(Run.Device, Clean.Device);
        ExpectHolds(Case, Run.Device);
        if (HasFatalFailure() || !Run.Cut)
            break;
        ++Cuts;
    }
    EXPECT_GE(Cuts, 2) << "the edit has too few stores for the cut points of this row";
    RecordProperty("Cuts", Cuts);
}

// A list named by places is a set of entries: a put-back appends what it gives back, as the device appends.
std::string ByEntries(const std::string& Sections)
{
    std::vector<std::string> Lines;
    std::istringstream In(Sections);
    for (std::string Line; std::getline(In, Line);) {
        const size_t Open = Line.find("] <"), Close = Line.find("> ");
        if (Open != std::string::npos && Close != std::string::npos &&
            ReconcileKindOf(Line.substr(1, Open - 1)) == rkPlaces)
            Line.erase(Open + 2, Close - Open - 1);
        Lines.push_back(Line);
    }
    std::sort(Lines.begin(), Lines.end());
    std::string Text;
    for (const std::string& Line : Lines)
        Text += Line + "\n";
    return Text;
}

// The same edits dropped instead of retried, for every cut point: with the line up once the program is connected
// again, and with it down, when the next connection asks and the user wants the device back. Either way the device
// holds its sections as before the edit, after one failure box and nothing left to settle.
TEST_P(CutWritesOnDevice, ADroppedEditIsTakenBackWhateverStoreTheCutHit)
{
    const TCutCase& Case = GetParam();
    if (Case.Batch)
        GTEST_SKIP() << "a batch save keeps its edits marked in the document: nothing is dropped";
    const std::string Before = ByEntries(DeviceAtStart(Case));
    ASSERT_FALSE(Before.empty());
    for (const bool LineUp : {true, false})
        for (int K = Case.FirstCut; K <= (Case.LastCut > 0 ? Case.LastCut : 60); ++K) {
            SCOPED_TRACE(Case.Name + ": line cut after store " + std::to_string(K) +
                (LineUp ? ", dropped with the line up" : ", dropped with the line down"));
            const TRun Run = WriteCut(Case, K);
            if (HasFatalFailure() || !Run.Cut || !Run.Window)
                break;
            const int Errors = int(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(),
                [](const auto& B) { return B.Type == mtError; }));
            EXPECT_EQ(Errors, 1) << Run.CutBoxes;
            if (LineUp) {
                ComeBack();
                Dialogs.Boxes.clear();
                Drop(Run.Window);
            } else {
                Drop(Run.Window);
                EXPECT_TRUE(Main->PutBacksPending());
                Dialogs.Boxes.clear();
                Dialogs.Default = mrYes;
                ComeBack();
            }
            // A section's put-back box says it holds again what it held (a list's entries maybe in another order,
            // and but for what cannot come back), whether it was put back or the cut had left nothing to put back;
            // with the line down, one put back was asked first.
            const int TakenBack = BoxesWith("are taken back: the VMU holds again ");
            const int Whole = TakenBack + BoxesWith("is on the VMU: it holds what it held before they were applied.");
            EXPECT_GE(Whole, 1) << BoxTexts();
            EXPECT_EQ(BoxesWith("changes dropped in \""), Whole) << BoxTexts();
            EXPECT_EQ(BoxesWith("were dropped after a write of them was cut short."), LineUp ? 0 : TakenBack)
                << BoxTexts();
            EXPECT_EQ(BoxesWith("refused"), 0) << BoxTexts();
            EXPECT_FALSE(Main->PutBacksPending());
            EXPECT_TRUE(Marked(Parameters()).empty()) << Marked(Parameters());
            const std::string After = ByEntries(DeviceSections(Case, Case.Unseen));
            EXPECT_TRUE(After == Before) << "the device's sections differ from before the edit:\n"
                                         << Difference(After, Before) << BoxTexts();
        }
}

INSTANTIATE_TEST_SUITE_P(Sections, CutWritesOnDevice, ::testing::ValuesIn(Cases),
    [](const ::testing::TestParamInfo<TCutCase>& Info) { return Info.param.Name; });
