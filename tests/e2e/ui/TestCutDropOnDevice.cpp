// Writes cut short by the line, and what follows, end to end against the simulator: the box after the cut counts
// only what the device confirmed storing; a cut during the read-back of the retry says in one box that nothing
// was written; a window whose edits are dropped after a cut puts the device back as it was before the Apply, at
// once with the line up and at the next connection with it down; a detail window dropped while its list stays open
// leaves nothing behind for the next Apply of another record, and the list shows what the device holds.
#include "FormsOnDevice.h"

#include "forms/attendant/AttendantRules.h"
#include "forms/attendant/OperatorParameters.h"
#include "forms/custom/CustomService.h"
#include "forms/custom/CustomServiceDetail.h"
#include "forms/custom/CustomServiceRules.h"
#include "forms/simple/InputOutput.h"
#include "forms/groups/MailboxGroup.h"
#include "forms/mailbox/MailboxListing.h"
#include "forms/mailbox/MailboxNotification.h"
#include "forms/pbx/PBXDialingParameters.h"
#include "forms/service/COS.h"
#include "forms/service/COSDetail.h"
#include "forms/attendant/DepartmentDialing.h"
#include "forms/calendar/CalendarRules.h"
#include "forms/calendar/HolidayListing.h"
#include "forms/numbering/PromptSetting.h"
#include "shell/FormRegistry.h"

#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TCustomServiceForm>(),
    MakeFormFactory<TCustomServiceDetailForm>(), MakeFormFactory<TMailboxGroupForm>(), MakeFormFactory<TCOSForm>(),
    MakeFormFactory<TCOSDetailForm>(), MakeFormFactory<TDepartmentDialingForm>(),
    MakeFormFactory<TPBXDialingParametersForm>(), MakeFormFactory<TOperatorParametersForm>(),
    MakeFormFactory<TMailboxListingForm>(), MakeFormFactory<THolidayListingForm>(),
    MakeFormFactory<TPromptSettingForm>()};

// A value of the device changed by other means (another program, its console, another office's device): Section,
// Record ("" for the section's own fields), Field and the value it gets.
struct TOtherMeans {
    std::string Section, Record, Field, Value;
};

class CutDropOnDevice : public TFormsOnDevice {
public:
    using TFormsOnDevice::Go;
    using TFormsOnDevice::Key;
    using TFormsOnDevice::OpenFromTree;
    using TFormsOnDevice::TypeInto;
    using TFormsOnDevice::Dialogs;

protected:
    // The simulator cutting the line after its Cut-th store, and the program connected to it in interactive mode.
    void StartCutting(int Cut)
    {
        ASSERT_NO_FATAL_FAILURE(StartSim({"--drop-after-stores", std::to_string(Cut)}));
        TMainForm& M = StartMain(false);
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
    }
    // After a cut: the program has let go of the dead line; the device comes back with what the cut left (Extra:
    // further options of the simulator; Changed: values changed meanwhile) and the program connects again.
    void Reconnect(const std::vector<std::string>& Extra = {}, const std::vector<TOtherMeans>& Changed = {})
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Sim || Sim->Exited(); }, 20000)) << "the line was never cut";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen(); }, 20000)) << BoxTexts();
        const std::string Left = Dir() + "left.state";
        std::string Text = ReadFile(SavedPath);
        ASSERT_NO_FATAL_FAILURE(Change(Text, Changed));
        {
            std::ofstream Out(Left, std::ios::binary | std::ios::trunc);
            Out << Text;
        }
        std::vector<std::string> Args = {"--state", Left, "--save-state", SavedPath};
        Args.insert(Args.end(), Extra.begin(), Extra.end());
        Sim = std::make_unique<TSimProcess>(Args);
        ASSERT_TRUE(Sim->Started());
        Sim->CloseLine();
        Main->ComPort->SetPort(Sim->PtyPath());
        Main->ConnectSet1Execute();
        ASSERT_TRUE(Main->Connected) << BoxTexts();
    }
    // Text, a device state, with the values Changed.
    static void Change(std::string& Text, const std::vector<TOtherMeans>& Changed)
    {
        for (const TOtherMeans& C : Changed) {
            size_t At = Text.find("[" + C.Section + "]\n");
            ASSERT_NE(At, std::string::npos) << C.Section;
            At = Text.find('\n', At) + 1;
            if (!C.Record.empty()) {
                At = Text.find("<" + C.Record + ">\n", At);
                ASSERT_NE(At, std::string::npos) << C.Record;
                At = Text.find('\n', At) + 1;
            }
            size_t End = At;
            while (End < Text.size() && Text[End] != '[' && Text[End] != '<' &&
                Text.compare(End, C.Field.size() + 2, C.Field + " =") != 0)
                End = Text.find('\n', End) + 1;
            const std::string Line = C.Field + " = " + C.Value + "\n";
            if (End < Text.size() && Text[End] != '[' && Text[End] != '<')
                Text.replace(End, Text.find('\n', End) + 1 - End, Line);
            else
                Text.insert(At, Line);
        }
    }
    void Apply(TBaseGridForm* F)
    {
        QTest::mouseClick(F->ButtonApply, Qt::LeftButton);
        QApplication::processEvents();
    }
    // F's edits applied with the line cut; the window kept on the dead line; the device back with what the cut
    // left of Section, which is no longer what it was at the start.
    void ApplyCutAndReconnect(TBaseGridForm* F, const std::string& Section, const std::string& Start)
    {
        Dialogs.Default = mrYes;
        Apply(F);
        ASSERT_NO_FATAL_FAILURE(Reconnect());
        ASSERT_TRUE(Main->ChildForms().contains(F));
        ASSERT_NE(DeviceSection(Section), Start) << "the cut left the device as it was";
    }
    // A row of a table: a fresh program and device that cuts the line after store Cut, and F, the window Edit
    // makes, applied.
    using TEdit = std::function<TBaseGridForm*(CutDropOnDevice&)>;
    void ApplyCutRow(int Cut, const TEdit& Edit, TBaseGridForm*& F)
    {
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
        ASSERT_NO_FATAL_FAILURE(StartCutting(Cut));
        F = Edit(*this);
        ASSERT_NE(F, nullptr) << BoxTexts();
        ASSERT_TRUE(F->Modified);
        Dialogs.Default = mrYes;
        Apply(F);
    }
    // F's edits applied on a line cut after store Cut, and No to the question on the dead line: the window goes with
    // its edits, which are to be taken back at the next connection.
    void DropCutOnDeadLine(int Cut, const TEdit& Edit)
    {
        ASSERT_NO_FATAL_FAILURE(StartCutting(Cut));
        TBaseGridForm* F = Edit(*this);
        ASSERT_NE(F, nullptr) << BoxTexts();
        Dialogs.Default = mrNo;
        Apply(F);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen() && Main->ChildForms().empty(); }, 20000))
            << BoxTexts();
    }
    // Closed, and No to saving, with the line up.
    void Drop(TBaseGridForm* F)
    {
        Dialogs.Default = mrNo;
        F->close();
        QApplication::processEvents();
    }
    // The records of a section as the device saved them, a record a line with its filled fields.
    std::string DeviceSection(const std::string& Section)
    {
        TState S = Saved();
        std::string Text;
        for (const auto& [Record, Fields] : S[Section]) {
            Text += "<" + Record + ">";
            for (const auto& [Field, Value] : Fields)
                if (!Value.empty())
                    Text += " " + Field + "=" + Value + ";";
            Text += "\n";
        }
        return Text;
    }
    // The same section of the simulator's state before anything was written (a plain start saves it).
    std::string DeviceSectionAtStart(const std::string& Section)
    {
        const std::string Kept = SavedPath;
        SavedPath = Dir() + "start.state";
        {
            TSimProcess Start({"--state", StatePath, "--save-state", SavedPath});
            EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(SavedPath); }, 10000));
        }
        std::string Text = DeviceSection(Section);
        SavedPath = Kept;
        return Text;
    }
    // The boxes saying that the edits dropped in the window of Caption are taken back from the device.
    int TakenBackBoxes(const std::string& Caption) const
    {
        return BoxCount("The changes dropped in \"" + Caption +
            "\" are taken back: the VMU holds again what it held before they were applied.");
    }
    int BoxesWith(const std::string& Text) const
    {
        return int(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(),
            [&](const auto& B) { return B.Text.find(Text) != std::string::npos; }));
    }
    int BoxesStartingWith(const std::string& Text) const
    {
        return int(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(),
            [&](const auto& B) { return B.Text.rfind(Text, 0) == 0; }));
    }
public:
    // The row of a mailbox in the list (-1: none).
    static int RowOf(TMailboxListingForm* Listing, const std::string& Mailbox)
    {
        for (int Row = 0; Row < Listing->Grid->RowCount(); ++Row)
            if (Listing->Grid->Cells(0, Row) == Mailbox)
                return Row;
        return -1;
    }
    // Class 4's detail opened from the list: retention Retention, forwarding on, to mailbox 999.
    TCOSDetailForm* EditClass4(const std::string& Retention)
    {
        auto* Classes = OpenFromTree<TCOSForm>("Class of Service");
        if (!Classes)
            return nullptr;
        Go(Classes, 1, 3);
        Classes->OpenDetail();
        auto* Class4 = Detail<TCOSDetailForm>(3);
        for (const auto& [Key, Text] : std::vector<std::pair<std::string, std::string>>{
                 {"Message Retention Days", Retention}, {"Authorization for Auto Forwarding", "Yes"},
                 {"Mailbox Number", "999"}}) {
            const int Row = Class4 ? Class4->FindRowByKey(1, Key) : -1;
            if (Row < 0)
                return nullptr;
            std::string Value = Text;
            Class4->Grid->SetCells(1, Row, Value);
            Class4->Grid->OnSetEditText(1, Row, Value);
            Class4->SetModified(true);
        }
        return Class4;
    }
    template <class T>
    T* Detail(int Index)
    {
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* D = qobject_cast<T*>(F); D && D->Index == Index)
                return D;
        return nullptr;
    }
    // A drop-down choice committed as the grid's list commits it.
    static void Choose(TBaseGridForm* F, int Col, int Row, const std::string& Text)
    {
        F->EditStartText = F->Grid->Cells(Col, Row);
        F->Grid->CommitEditText(Col, Row, Text);
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(CutDropOnDevice, TheBoxCountsOnlyValuesTheDeviceConfirmedStoring)
{
    // The first two writes enter and leave blocks of fields that hold no change before their first store, which
    // stores nothing; the line is cut right after store Cut, whose answer never comes. The count is the Apply's.
    struct TCase {
        const char* Name;
        TEdit Edit;
        std::string Counted;
        int Cut = 1;
    };
    const std::vector<TCase> Cases = {
        {"keys 8 and 9 of custom service 1",
            [](CutDropOnDevice& T) -> TBaseGridForm* {
                using namespace CustomService;
                auto* Overview = T.OpenFromTree<TCustomServiceForm>("Custom Service");
                if (!Overview)
                    return nullptr;
                T.Go(Overview, NameRow, 0);
                T.Key(Overview, Qt::Key_Return);
                QApplication::processEvents();
                auto* Menu = T.Detail<TCustomServiceDetailForm>(0);
                if (Menu) {
                    Choose(Menu, 1, KeyRow(8), "Main Menu");
                    Choose(Menu, 1, KeyRow(9), "Repeat Menu");
                }
                return Menu;
            },
            "none of the 2"},
        {"operator 2 of the break mode",
            [](CutDropOnDevice& T) -> TBaseGridForm* {
                auto* Ops = T.OpenFromTree<TOperatorParametersForm>("Operator's Parameters");
                if (Ops)
                    T.TypeInto(Ops, Operators::Column(Operators::ExtensionField, 2), 3, "480");
                return Ops;
            },
            "none of the 1"},
        {"three values of class of service 4, cut at its second store",
            [](CutDropOnDevice& T) -> TBaseGridForm* { return T.EditClass4("45"); },
            "1 of the 3", 2},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TBaseGridForm* F = nullptr;
        ASSERT_NO_FATAL_FAILURE(ApplyCutRow(Case.Cut, Case.Edit, F));
        ASSERT_EQ(BoxesStartingWith(Utilits::SErrorSaveToVMU), 1) << BoxTexts();
        const std::string Box = Dialogs.Boxes.front().Text;
        EXPECT_NE(Box.find("\r\nThe VMU confirmed " + Case.Counted +
                      " changed values. The value being sent when the line was lost may have been stored as "
                      "well.\r\n"),
            std::string::npos)
            << Box;
    }
}

// Department 1 emptied and department 2 changed to 225: two stores.
class CutDropDepartments : public CutDropOnDevice {
protected:
    TDepartmentDialingForm* Edit()
    {
        auto* F = OpenFromTree<TDepartmentDialingForm>("Department Dialing");
        if (!F)
            return nullptr;
        TypeInto(F, 1, 0, "");
        TypeInto(F, 1, 1, "225");
        EXPECT_TRUE(F->Modified);
        return F;
    }
    // The edit applied on a line cut after its first store, and No to the question on the dead line: the window
    // goes with its edits, which are to be taken back at the next connection.
    void DropOnDeadLine()
    {
        ASSERT_NO_FATAL_FAILURE(StartCutting(1));
        auto* F = Edit();
        ASSERT_NE(F, nullptr);
        Dialogs.Default = mrNo;
        Apply(F);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen() && Main->ChildForms().empty(); }, 20000))
            << BoxTexts();
    }
};

TEST_F(CutDropDepartments, ACutDuringTheReadBackOfTheRetryGivesOneBoxSayingNothingWasWritten)
{
    ASSERT_NO_FATAL_FAILURE(StartCutting(1));
    auto* F = Edit();
    ASSERT_NE(F, nullptr);
    // The window is kept on the dead line.
    Dialogs.Default = mrYes;
    Apply(F);
    // Applied again before connecting: the box says why nothing is sent and how to connect.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen(); }, 20000)) << BoxTexts();
    Dialogs.Boxes.clear();
    Apply(F);
    EXPECT_EQ(BoxTexts(), "[Error] The VMU is not connected, so nothing was read from it or written to it. Connect to "
                          "it first (Connect in the Connect menu, or F2), then try again.\n");
    EXPECT_FALSE(Main->DeviceJobRunning());
    ASSERT_NO_FATAL_FAILURE(Reconnect());
    const std::string Left = DeviceSection("Department Dialing");

    // The retry reads the section back first; the line goes while it does.
    QTimer Watch;
    Watch.setInterval(2);
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        if (Sim && Main->DeviceJobRunning() && Main->ManagerVMU->Mode == doLoad)
            Sim.reset();
    });
    Watch.start();
    Dialogs.Boxes.clear();
    Apply(F);
    ASSERT_EQ(Sim, nullptr) << "the read-back was never under way: " << BoxTexts();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen(); }, 20000)) << BoxTexts();
    Watch.stop();
    // One box for the one failure, saying that nothing was written, before the window's question.
    int Errors = 0;
    for (const auto& B : Dialogs.Boxes)
        Errors += B.Type == mtError;
    EXPECT_EQ(Errors, 1) << BoxTexts();
    ASSERT_FALSE(Dialogs.Boxes.empty());
    EXPECT_EQ(Dialogs.Boxes.front().Text,
        Utilits::SErrorLoadFromVMU +
            "\r\nNothing was written: the section is read back from the VMU before anything of it is sent, and the "
            "next Apply or save reads it again.\r\n" +
            Utilits::SConnectionCorrupted)
        << BoxTexts();
    EXPECT_EQ(DeviceSection("Department Dialing"), Left);
    EXPECT_TRUE(F->Modified);
}

TEST_F(CutDropDepartments, EditsDroppedOnADeadLineAreSettledFirstThingAtTheNextConnection)
{
    const std::string Start = DeviceSectionAtStart("Department Dialing");
    // The next connection reaches another office's device: department 1 holds a value the cut did not leave,
    // and departments 3 and 5 are its own. Nothing of it is written; the box names what is left alone.
    {
        SCOPED_TRACE("another device");
        ASSERT_NO_FATAL_FAILURE(DropOnDeadLine());
        Dialogs.Default = mrYes;
        const std::vector<TOtherMeans> Other = {{"Department Dialing", "", "Department 1", "215"},
            {"Department Dialing", "", "Department 3", "233"}, {"Department Dialing", "", "Department 5", "250"}};
        ASSERT_NO_FATAL_FAILURE(Reconnect({}, Other));
        EXPECT_EQ(DeviceSection("Department Dialing"),
            "<> Department 1=215; Department 2=220; Department 3=233; Department 4=240; Department 5=250;\n");
        EXPECT_EQ(BoxCount("Nothing of the changes dropped in \"Department Dialing\" is on the VMU, so nothing is put "
                           "back.\r\nThe VMU holds values there that neither the window nor "
                           "the program stored; they are left as they are:\r\nDepartment 1: \"215\""),
            1)
            << BoxTexts();
        EXPECT_FALSE(Main->PutBacksPending());
    }
    // Department 2, which the change was to set to 225, emptied on the device by other means: no store of the
    // change empties it, so the empty value is a third value, named and left; department 1 is put back.
    {
        SCOPED_TRACE("a value emptied by other means");
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
        ASSERT_NO_FATAL_FAILURE(DropOnDeadLine());
        Dialogs.Default = mrYes;
        ASSERT_NO_FATAL_FAILURE(Reconnect({}, {{"Department Dialing", "", "Department 2", ""}}));
        EXPECT_EQ(DeviceSection("Department Dialing"), "<> Department 1=210; Department 3=230; Department 4=240;\n");
        EXPECT_EQ(BoxCount("Changes to \"Department Dialing\" were dropped after a write of them was cut short. Read "
                           "back now, the VMU holds what they left:\r\nDepartment 1: \"\" (before the changes: \"210\")"
                           "\r\nThe VMU holds values there that neither the window nor the program stored; they are "
                           "left as they are:\r\nDepartment 2: \"\"\r\nYes (Put back): the VMU is given the values it "
                           "held before the changes.\r\nNo (Keep what the VMU holds): the VMU is left as it is, and the "
                           "program takes what it holds."),
            1)
            << BoxTexts();
    }
    // Put back, kept, and put back by a connection in batch mode.
    for (const int Row : {0, 1, 2}) {
        const bool PutBack = Row != 1;
        SCOPED_TRACE(Row == 0 ? "put back" : Row == 1 ? "kept" : "batch mode");
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
        ASSERT_NO_FATAL_FAILURE(DropOnDeadLine());
        if (Row == 2) {
            Main->FileModeBatch1Execute();
            ASSERT_TRUE(Main->BatchMode);
        }
        // The connection asks first, naming the value the cut left and the value before.
        Dialogs.Default = PutBack ? mrYes : mrNo;
        ASSERT_NO_FATAL_FAILURE(Reconnect());
        EXPECT_EQ(BoxCount("Changes to \"Department Dialing\" were dropped after a write of them was cut short. Read "
                           "back now, the VMU holds what they left:\r\nDepartment 1: \"\" (before the changes: \"210\")"
                           "\r\nYes (Put back): the VMU is given the values it held before the changes.\r\nNo (Keep "
                           "what the VMU holds): the VMU is left as it is, and the program takes what it holds."),
            1)
            << BoxTexts();
        EXPECT_FALSE(Main->PutBacksPending());
        if (!PutBack) {
            // Kept: the department the cut emptied stays empty, and the document says so.
            EXPECT_EQ(DeviceSection("Department Dialing").find("Department 1="), std::string::npos);
            // Nothing anywhere in the document is left to be read back (the closed window's section has left it),
            // and a window opened now shows what the device holds.
            TXmlWalk Walk;
            for (TXmlNode* N = Walk.First(Main->DataDoc->Root(), Main->DataDoc->Root()); N; N = Walk.Next(N))
                EXPECT_FALSE(N->Attrs.Find("Unsettled")) << N->GetName();
            auto* F = OpenFromTree<TDepartmentDialingForm>("Department Dialing");
            ASSERT_NE(F, nullptr) << BoxTexts();
            EXPECT_EQ(F->Grid->Cells(1, 0), "");
            EXPECT_EQ(F->Grid->Cells(1, 1), "220");
            continue;
        }
        // The question said what No does with the part the device may hold.
        EXPECT_EQ(BoxCount("The connection to the VMU is lost, so the changes in this window cannot be written to it "
                           "now.\r\nYes: keep the window open with its changes, to apply them once the VMU is connected "
                           "again.\r\nNo: close the window and drop its changes. A write of them was cut short, so the "
                           "VMU may hold part of them: once it is connected again, it is brought back to what it held "
                           "before they were applied."),
            1)
            << BoxTexts();
        // The connection put the device back, and said so.
        EXPECT_EQ(DeviceSection("Department Dialing"), Start);
        EXPECT_EQ(TakenBackBoxes("Department Dialing"), 1) << BoxTexts();
    }
}

// The retry of the department edit cut in turn: department 1, which its read-back found emptied on the device, counts
// as confirmed; department 2, being sent when the line went, does not.
TEST_F(CutDropDepartments, ARetryCutShortCountsWhatItsReadBackFoundOnTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartCutting(1));
    auto* F = Edit();
    ASSERT_NE(F, nullptr);
    Dialogs.Default = mrYes;
    Apply(F);
    ASSERT_NO_FATAL_FAILURE(Reconnect({"--drop-after-stores", "1"}));
    ASSERT_EQ(Saved()["Department Dialing"][""]["Department 1"], "") << "the cut came before department 1";
    Dialogs.Boxes.clear();
    Apply(F);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen(); }, 20000)) << BoxTexts();
    EXPECT_EQ(BoxesWith("\r\nThe VMU confirmed 1 of the 2 changed values. The value being sent when the line was "
                        "lost may have been stored as well."),
        1)
        << BoxTexts();
}

TEST_F(CutDropDepartments, QuittingWithEditsStillToBeTakenBackAsksFirst)
{
    ASSERT_NO_FATAL_FAILURE(DropOnDeadLine());
    ASSERT_TRUE(Main->PutBacksPending());

    // No to the quit: the program stays, the put-back still to do.
    const std::string Question =
        "The VMU may hold changes that were dropped or written only in part:\r\n\"Department Dialing\": the changes "
        "dropped there were to be taken back once the VMU is connected again.\r\nYes: quit anyway, and leave the VMU "
        "as it is.\r\nNo: stay, to connect again: the dropped changes are then taken back.";
    Dialogs.Boxes.clear();
    EXPECT_FALSE(Main->close());
    EXPECT_EQ(BoxCount(Question), 1) << BoxTexts();
    EXPECT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
    EXPECT_TRUE(Main->PutBacksPending());
    // Yes: the program goes.
    Dialogs.Default = mrYes;
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(BoxCount(Question), 2) << BoxTexts();
}

TEST_F(CutDropOnDevice, AListEditedOnTheRecordADroppedDetailTakesBackStillWritesItsEdits)
{
    const std::string Start = DeviceSectionAtStart("Mailbox Listing");
    ASSERT_NO_FATAL_FAILURE(StartCutting(1));
    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    const int R101 = RowOf(Listing, "101");
    ASSERT_GE(R101, 0);
    const std::string Extension = Listing->Grid->Cells(1, R101);
    // 101's first notification device gets another number; the list's edit of 101's name waits for the list's
    // own Apply.
    Go(Listing, TMailboxListingForm::NotificationCol, R101);
    Listing->GridButtonClick();
    auto* Devices = Detail<TMailboxNotificationForm>(R101);
    ASSERT_NE(Devices, nullptr) << BoxTexts();
    TypeInto(Devices, 1, 0, "5551299");
    TypeInto(Listing, 2, R101, "Baxter");
    ASSERT_NO_FATAL_FAILURE(ApplyCutAndReconnect(Devices, "Mailbox Listing", Start));

    // The device dropped: 101 is taken back at once, and the list keeps its edit.
    Drop(Devices);
    EXPECT_EQ(DeviceSection("Mailbox Listing"), Start) << BoxTexts();
    EXPECT_EQ(BoxesStartingWith("The changes dropped in \""), 1) << BoxTexts();
    ASSERT_TRUE(Listing->Modified);
    EXPECT_EQ(Listing->Grid->Cells(2, R101), "Baxter");
    EXPECT_EQ(Listing->Grid->Cells(1, R101), Extension);

    // The list's Apply writes it; the device dropped stays taken back.
    Dialogs.Default = mrYes;
    Apply(Listing);
    EXPECT_FALSE(Listing->Modified) << BoxTexts();
    TState Now = Saved();
    EXPECT_EQ(Now["Mailbox Listing"]["101"]["Last Name"], "Baxter") << BoxTexts();
    EXPECT_EQ(Now["Mailbox Listing"]["101"]["1ST Device/Device Number"], "5551200");
}

TEST_F(CutDropOnDevice, ADetailDroppedOnADeadLineLeavesItsSectionMarkedUntilTheNextConnectionSettlesIt)
{
    ASSERT_NO_FATAL_FAILURE(StartCutting(1));
    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    const int R101 = RowOf(Listing, "101");
    ASSERT_GE(R101, 0);
    Go(Listing, TMailboxListingForm::NotificationCol, R101);
    Listing->GridButtonClick();
    auto* Devices = Detail<TMailboxNotificationForm>(R101);
    ASSERT_NE(Devices, nullptr) << BoxTexts();
    TypeInto(Devices, 1, 0, "5551299");
    TypeInto(Listing, 2, R101, "Baxter");
    // Cut after the device number's store, both windows kept; the list's Apply then reads the section back, which
    // settles what the cut left unknown.
    ASSERT_NO_FATAL_FAILURE(ApplyCutAndReconnect(Devices, "Mailbox Listing", DeviceSectionAtStart("Mailbox Listing")));
    Apply(Listing);
    ASSERT_FALSE(Listing->Modified) << BoxTexts();
    TXmlNode* Section = Data("Mailbox Listing");
    ASSERT_NE(Section, nullptr);
    ASSERT_FALSE(Section->Attrs.Find("Unsettled"));
    // The line goes again; the detail is dropped, the list (edited again) stays open and keeps the section in the
    // document, at the value before and marked to be read back before its next write: nobody knows yet what the
    // device holds.
    TypeInto(Listing, 3, R101, "BOB");
    Sim.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen(); }, 20000)) << BoxTexts();
    Drop(Devices);
    ASSERT_TRUE(Main->PutBacksPending()) << BoxTexts();
    Section = Data("Mailbox Listing");
    ASSERT_NE(Section, nullptr);
    EXPECT_EQ(Section->GetAttr("Unsettled"), "Yes");
    EXPECT_EQ(Data("Device Number", Data("Mailbox No. 101", Section))->GetValue(), "5551200");
    // No at the next connection keeps what the device holds: the document takes it and is settled.
    ASSERT_NO_FATAL_FAILURE(Reconnect());
    EXPECT_FALSE(Main->PutBacksPending());
    Section = Data("Mailbox Listing");
    ASSERT_NE(Section, nullptr);
    EXPECT_FALSE(Section->Attrs.Find("Unsettled")) << BoxTexts();
    EXPECT_EQ(Data("Device Number", Data("Mailbox No. 101", Section))->GetValue(), "5551299");
}

TEST_F(CutDropOnDevice, AListDroppedAfterItsDetailWasAppliedKeepsTheDetailsValue)
{
    // 101's last name applied in the list and cut; after the reconnection 101's notification device is applied
    // from the list, and the list is then dropped: only the name is taken back.
    ASSERT_NO_FATAL_FAILURE(StartCutting(1));
    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    const int R101 = RowOf(Listing, "101");
    ASSERT_GE(R101, 0);
    TypeInto(Listing, 2, R101, "Baxter");
    Dialogs.Default = mrYes;
    Apply(Listing);
    ASSERT_NO_FATAL_FAILURE(Reconnect());
    ASSERT_TRUE(Listing->Modified);
    Go(Listing, TMailboxListingForm::NotificationCol, R101);
    Listing->GridButtonClick();
    auto* Devices = Detail<TMailboxNotificationForm>(R101);
    ASSERT_NE(Devices, nullptr) << BoxTexts();
    TypeInto(Devices, 1, 0, "5551299");
    Apply(Devices);
    ASSERT_FALSE(Devices->Modified) << BoxTexts();
    Devices->close();
    Drop(Listing);
    TState Now = Saved();
    EXPECT_EQ(Now["Mailbox Listing"]["101"]["Last Name"], "ADAMS") << BoxTexts();
    EXPECT_EQ(Now["Mailbox Listing"]["101"]["1ST Device/Device Number"], "5551299") << BoxTexts();
}

TEST_F(CutDropOnDevice, AMailboxWhoseDeletionIsDroppedIsMadeAgainAndTheBoxSaysWhatCannotComeBack)
{
    // Port 1's day mode reaches 104's interview service, which the device lets fall back with the deletion.
    std::string State = ReadFile(StatePath);
    ASSERT_NO_FATAL_FAILURE(Change(State, {{"Mailbox Listing", "104", "Interview Mailbox Number", "170"},
                                              {"Port Service", "1", "Day Mode/Incoming Call Service", "Interview"},
                                              {"Port Service", "1", "Day Mode/Number", "170"}}));
    std::ofstream(StatePath, std::ios::binary | std::ios::trunc) << State;
    ASSERT_NO_FATAL_FAILURE(StartCutting(1));
    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    const int R104 = RowOf(Listing, "104");
    ASSERT_GE(R104, 0);
    const std::string Extension = Saved()["Mailbox Listing"]["104"]["Extension No."];
    const auto Start = Saved()["Mailbox Group"]["500"];
    ASSERT_EQ(Start.at("Mailbox No. 4"), "104");
    Go(Listing, 1, R104);
    Dialogs.Answers = {mrYes};
    Key(Listing, Qt::Key_Delete);
    Dialogs.Default = mrYes;
    Apply(Listing);
    ASSERT_NO_FATAL_FAILURE(Reconnect());
    ASSERT_EQ(Saved()["Mailbox Listing"].count("104"), 0u) << "the cut came before the deletion";
    Drop(Listing);
    EXPECT_EQ(Saved()["Mailbox Listing"]["104"]["Extension No."], Extension) << BoxTexts();
    // The device dropped 104 from its group with the deletion: the membership comes back with the mailbox, and so
    // does the port's interview service.
    EXPECT_EQ(Saved()["Mailbox Group"]["500"], Start) << BoxTexts();
    EXPECT_EQ(Saved()["Port Service"]["1"]["Day Mode/Number"], "170") << BoxTexts();
    EXPECT_EQ(BoxesStartingWith("The changes dropped in \"Mailbox Listing\" are taken back"), 1) << BoxTexts();
    EXPECT_EQ(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(),
                  [](const auto& B) {
                      return B.Text.find("104 is made again, but the messages and greetings it held on the VMU "
                                         "cannot come back.") != std::string::npos;
                  }),
        1)
        << BoxTexts();
}

TEST_F(CutDropOnDevice, EditsDroppedWithTheLineUpAreTakenBackFromTheDeviceAtOnce)
{
    // Group 501 deleted and member 102 taken out of group 500, which the device deletes and makes anew; the line
    // is cut after the second store, between the deletion of group 500 and its rebuilding.
    const std::string Start = DeviceSectionAtStart("Mailbox Group");
    ASSERT_NO_FATAL_FAILURE(StartCutting(2));
    auto* F = OpenFromTree<TMailboxGroupForm>("Mailbox Group");
    ASSERT_NE(F, nullptr);
    Go(F, 1, 1);
    Key(F, Qt::Key_Delete);
    TypeInto(F, 4, 0, "");
    ASSERT_TRUE(F->Modified);
    ASSERT_NO_FATAL_FAILURE(ApplyCutAndReconnect(F, "Mailbox Group", Start));

    // Dropped: the device is put back now.
    Dialogs.Boxes.clear();
    Drop(F);
    EXPECT_TRUE(Main->ChildForms().empty());
    EXPECT_EQ(DeviceSection("Mailbox Group"), Start) << BoxTexts();
    EXPECT_EQ(TakenBackBoxes("Mailbox Group"), 1) << BoxTexts();
}

TEST_F(CutDropOnDevice, InputCodesDroppedAfterTheDeviceTookThemAllArePutBackWithoutARefusal)
{
    // Entry 2, empty before, set to 7/7W and entry 1's output to 9P; the cut comes after the third store. Putting
    // entry 2's input code back empties its output code on the device: nothing more is sent there.
    const std::string Start = DeviceSectionAtStart("Input/Output");
    ASSERT_NO_FATAL_FAILURE(StartCutting(3));
    auto* F = OpenFromTree<TInputOutputForm>("Input/Output");
    ASSERT_NE(F, nullptr);
    TypeInto(F, 1, 1, "7");
    TypeInto(F, 2, 1, "7W");
    TypeInto(F, 2, 0, "9P");
    ASSERT_NO_FATAL_FAILURE(ApplyCutAndReconnect(F, "Input/Output", Start));
    Dialogs.Boxes.clear();
    Drop(F);
    EXPECT_EQ(DeviceSection("Input/Output"), Start) << BoxTexts();
    EXPECT_EQ(TakenBackBoxes("Input/Output"), 1) << BoxTexts();
    EXPECT_EQ(BoxesStartingWith(Utilits::SErrorSaveToVMU), 0) << BoxTexts();
}

TEST_F(CutDropOnDevice, ADetailDroppedWhileItsListStaysOpenLeavesNothingForTheNextApply)
{
    const std::string Start = DeviceSectionAtStart("Class of Service");
    ASSERT_NO_FATAL_FAILURE(StartCutting(2));
    auto* Classes = OpenFromTree<TCOSForm>("Class of Service");
    ASSERT_NE(Classes, nullptr);
    Go(Classes, 1, 3);
    Classes->OpenDetail();
    auto* Class4 = Detail<TCOSDetailForm>(3);
    ASSERT_NE(Class4, nullptr) << BoxTexts();
    // Notification and forwarding on, forwarding to 999 after 00:30.
    auto Set = [](TCOSDetailForm* D, const std::string& Key, std::string Text) {
        const int Row = D->FindRowByKey(1, Key);
        ASSERT_GE(Row, 0) << Key;
        D->Grid->SetCells(1, Row, Text);
        D->Grid->OnSetEditText(1, Row, Text);
        D->SetModified(true);
    };
    Set(Class4, "Authorization for Message Notification", "Yes");
    Set(Class4, "Authorization for Auto Forwarding", "Yes");
    Set(Class4, "Mailbox Number", "999");
    Set(Class4, "Delay Time", "00:30");
    ASSERT_NO_FATAL_FAILURE(ApplyCutAndReconnect(Class4, "Class of Service", Start));

    // Class 4 dropped: the device and the list hold class 4 as before.
    Drop(Class4);
    EXPECT_EQ(DeviceSection("Class of Service"), Start) << BoxTexts();
    const int Notify = Classes->FindColumnByKey(3, "Authorization for Message Notification");
    ASSERT_GE(Notify, 0);
    EXPECT_EQ(Classes->Grid->Cells(Notify, 3), "No");

    // Class 1's retention applied: that alone reaches the device.
    Dialogs.Default = mrYes;
    Go(Classes, 1, 0);
    Classes->OpenDetail();
    auto* Class1 = Detail<TCOSDetailForm>(0);
    ASSERT_NE(Class1, nullptr) << BoxTexts();
    const int Retention = Class1->FindRowByKey(1, "Message Retention Days");
    ASSERT_GE(Retention, 0);
    TypeInto(Class1, 1, Retention, "45");
    Apply(Class1);
    EXPECT_FALSE(Class1->Modified) << BoxTexts();
    std::string Now = DeviceSection("Class of Service");
    const std::string Changed = "Message Retention Days=45;";
    const size_t At = Now.find(Changed);
    ASSERT_NE(At, std::string::npos);
    Now.replace(At, Changed.size(), "Message Retention Days=30;");
    EXPECT_EQ(Now, Start);
    EXPECT_EQ(Classes->Grid->Cells(Notify, 3), "No");
}

TEST_F(CutDropOnDevice, ARetryLeavesAnotherRecordAsTheDeviceHoldsIt)
{
    // A window's edit cut after Cut stores, another record changed on the device meanwhile: the retry sends the
    // window's change alone, and the window's list shows the other record as the device holds it.
    struct TCase {
        const char* Name;
        int Cut;
        TEdit Edit;   // the window to apply again
        TOtherMeans Other;
        std::vector<TOtherMeans> After;   // values the device holds after the retry, Other among them
        std::function<std::string(CutDropOnDevice&)> Shown;   // Other's value as its list shows it
    };
    const std::vector<TCase> Cases = {
        {"class 4's retention and forwarding", 2,
            [](CutDropOnDevice& T) -> TBaseGridForm* { return T.EditClass4("7"); },
            {"Class of Service", "2", "Message Retention Days", "21"},
            {{"Class of Service", "4", "Message Retention Days", "7"},
                {"Class of Service", "4", "Mailbox Number", "999"}},
            [](CutDropOnDevice& T) {
                auto* Classes = T.Detail<TCOSForm>(-1);
                const int Retention = Classes ? Classes->FindColumnByKey(1, "Message Retention Days") : -1;
                return Retention < 0 ? std::string() : Classes->Grid->Cells(Retention, 1);
            }},
        // Group 500 without 102, which the device deletes and makes anew; cut before it is made again.
        {"a group list", 2,
            [](CutDropOnDevice& T) -> TBaseGridForm* {
                auto* Groups = T.OpenFromTree<TMailboxGroupForm>("Mailbox Group");
                if (Groups)
                    T.TypeInto(Groups, 4, 0, "");
                return Groups;
            },
            {"Mailbox Group", "501", "Group Name", "HELPDESK"},
            {{"Mailbox Group", "500", "Mailbox No. 2", "103"}, {"Mailbox Group", "500", "Mailbox No. 3", "104"}},
            [](CutDropOnDevice& T) {
                auto* Groups = T.Detail<TMailboxGroupForm>(-1);
                return Groups ? Groups->Grid->Cells(2, 1) : std::string();
            }},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TBaseGridForm* F = nullptr;
        ASSERT_NO_FATAL_FAILURE(ApplyCutRow(Case.Cut, Case.Edit, F));
        ASSERT_NO_FATAL_FAILURE(Reconnect({}, {Case.Other}));
        Apply(F);
        EXPECT_FALSE(F->Modified) << BoxTexts();
        TState Now = Saved();
        for (const TOtherMeans& V : Case.After)
            EXPECT_EQ(Now[V.Section][V.Record][V.Field], V.Value) << V.Record << " " << V.Field;
        EXPECT_EQ(Now[Case.Other.Section][Case.Other.Record][Case.Other.Field], Case.Other.Value);
        EXPECT_EQ(Case.Shown(*this), Case.Other.Value);
    }
}

TEST_F(CutDropOnDevice, AMenuDroppedWhileTheOverviewStaysOpenIsShownThereAsTheDeviceHoldsIt)
{
    // Menu 2 taken out of use (its name emptied): the device empties it value by value, and the line is cut
    // after the second.
    const std::string Start = DeviceSectionAtStart("Custom Service");
    ASSERT_NO_FATAL_FAILURE(StartCutting(2));
    auto* Overview = OpenFromTree<TCustomServiceForm>("Custom Service");
    ASSERT_NE(Overview, nullptr);
    using namespace CustomService;
    ASSERT_EQ(Overview->Grid->Cells(NameRow, 1), "AFTER HOURS");
    Go(Overview, NameRow, 1);
    Key(Overview, Qt::Key_Return);
    QApplication::processEvents();
    auto* Menu = Detail<TCustomServiceDetailForm>(1);
    ASSERT_NE(Menu, nullptr);
    TypeInto(Menu, 1, NameRow, "");
    ASSERT_NO_FATAL_FAILURE(ApplyCutAndReconnect(Menu, "Custom Service", Start));

    Drop(Menu);
    EXPECT_EQ(DeviceSection("Custom Service"), Start) << BoxTexts();
    EXPECT_EQ(Overview->Grid->Cells(NameRow, 1), "AFTER HOURS");
}

TEST_F(CutDropOnDevice, APbxTypeChangeCutWhileWritingTheToneCodesGivesOneBoxAndIsTakenBack)
{
    const TState Start = [&] {
        DeviceSectionAtStart("PBX Dialing Parameters");
        return ParseState(ReadFile(Dir() + "start.state"));
    }();
    const std::string Codes0 = DeviceSectionAtStart("Inband Signaling");
    ASSERT_NO_FATAL_FAILURE(StartSim());
    TMainForm& M = StartMain(false);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    auto* Pbx = OpenFromTree<TPBXDialingParametersForm>("PBX Dialing Parameters");
    ASSERT_NE(Pbx, nullptr);
    // T96, chosen as the grid's list chooses it, brings tone codes of its own; the line goes once the device has
    // stored the first of them.
    Go(Pbx, 1, 0);
    std::string Type = "T96";
    Pbx->EditStartText = Pbx->Grid->Cells(1, 0);
    Pbx->Grid->OnSetEditText(1, 0, Type);
    Pbx->Grid->SetCells(1, 0, Type);
    QApplication::processEvents();
    QTimer Watch;
    Watch.setInterval(2);
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        if (Sim && Saved()["Inband Signaling"][""]["Ringback"] == "A1")
            Sim.reset();
    });
    Watch.start();
    Dialogs.Boxes.clear();
    Dialogs.Default = mrYes;
    Apply(Pbx);
    ASSERT_EQ(Sim, nullptr) << "the device never took a tone code: " << BoxTexts();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !M.PortOpen(); }, 20000)) << BoxTexts();
    Watch.stop();
    int Errors = 0;
    for (const auto& B : Dialogs.Boxes)
        Errors += B.Type == mtError;
    EXPECT_EQ(Errors, 1) << BoxTexts();
    ASSERT_FALSE(Dialogs.Boxes.empty());
    EXPECT_EQ(Dialogs.Boxes.front().Text.rfind(Utilits::SErrorSaveToVMU, 0), 0u) << BoxTexts();
    EXPECT_TRUE(Pbx->Modified);

    // Dropped with the line up again: the type, the values of the window it reset and the tone codes are as
    // before.
    ASSERT_NO_FATAL_FAILURE(Reconnect());
    ASSERT_TRUE(Main->ChildForms().contains(Pbx));
    Drop(Pbx);
    const auto& Was = Start.at("PBX Dialing Parameters").at("");
    TState After = Saved();
    auto& Now = After["PBX Dialing Parameters"][""];
    for (const std::string Field : {"PBX Type", "Integration Mode", "Dial String D0", "Dial String D6",
             "Dial String D8", "Extension Number of VPS Port1", "Extension Number of VPS Port4"})
        EXPECT_EQ(Now[Field], Was.count(Field) ? Was.at(Field) : "") << Field << "\n" << BoxTexts();
    EXPECT_EQ(DeviceSection("Inband Signaling"), Codes0) << BoxTexts();
    // Ports 5 to 8, which the VMU keeps without showing them, take the type's preset: the box says so.
    EXPECT_EQ(BoxCount("The changes dropped in \"PBX Dialing Parameters\" are taken back: the VMU holds again what it "
                       "held before they were applied, but for this:\r\nPutting back PBX Type makes the VMU preset the extensions "
                       "of its VPS ports again: those of ports it does not show keep the preset, not what they held "
                       "before."),
        1)
        << BoxTexts();
}

namespace {

// One "Save parameters to VMU" of a value changed in the document loaded and saved to a data file, the one error
// box it should give, what becomes of the file, and what the next connection says of the VMU's mode.
struct TBatchBox {
    std::string Name;
    int Cut = 0;   // the store after which the line is cut (0: never)
    std::string Section, Field, Value;
    std::string Box;         // '' when the save gives none
    std::string ModeAfter;   // the device's operating mode afterwards
    bool FileKept = true;    // the file's bytes unchanged and the document still modified
    bool NextBatch = true;   // a cut row: the mode of the next connection
    std::string Told;        // a cut row: the question of the next connection ('' none)
    // Further values changed, each {section, field, value}; a field is the first of its name in the section.
    std::vector<std::array<std::string, 3>> More = {};
    std::string Record = {};   // the record that holds Field, as the document names it ('': the section)
    // Values the device gets by other means between the load and the save: the save must leave them.
    std::vector<TOtherMeans> Meanwhile = {};
    std::vector<TOtherMeans> After = {};   // values the device holds after the save, besides those
};

void PrintTo(const TBatchBox& Case, std::ostream* Out) { *Out << Case.Name; }

const std::string NotKnown = "\r\nWhat the VMU now holds of the section is not known: the next Apply or save reads "
                             "the section back from the VMU first and sends only what it then lacks.";
const std::string FileNotSaved = "\r\nThe data file was not saved: File Save, or saying Yes when it is closed, keeps "
                                 "in it what the next save to the VMU needs.";
const std::string OffLineTold = "The VMU is OFF LINE: callers cannot reach the voice mail. It was left so when a "
                                "\"Save parameters to VMU\" was cut short";
const std::string SetOnLine = ".\r\nYes: set it ON LINE now.\r\nNo: leave it OFF LINE (\"Save parameters to VMU\" sets "
                              "it ON LINE once it has written every change).";

const std::vector<TBatchBox> BatchBoxes = {
    // Prompt 2 set to the number prompt 3 still holds: the device refuses it.
    {"ARefusalNamesTheValueAndTheAnswer", 0, "Prompt Setting", "Prompt No. 2", "3",
        "Error save data to VMU.\r\nThe VMU confirmed none of the 1 changed values. The VMU refused the value \"3\" "
        "of \"Prompt No. 2\": it answered \"Incorrect Entry\".\r\nNo section was written. Not written: \"Prompt "
        "Setting\" (the save stopped in it)." + NotKnown + FileNotSaved,
        "ON LINE", true, true, ""},
    // The box names the sections written before the refusal and those after it.
    {"ARefusalNamesTheSectionsWrittenAndNot", 0, "Dialing Parameters", "Pause Time", "99",
        "Error save data to VMU.\r\nThe VMU confirmed 1 of the 3 changed values. The VMU refused the value \"99\" "
        "of \"Pause Time\": it answered \"Incorrect Entry\".\r\nWritten: \"Intercom Paging Parameters\". Not "
        "written: \"Dialing Parameters\" (the save stopped in it), \"Port Setting\"." + NotKnown + FileNotSaved,
        "ON LINE", true, true, "",
        {{"Intercom Paging Parameters", "Paging Access Code", "*7"}, {"Port Setting", "Ring Count", "4"}}},
    // An empty value the VMU has no way to take stops the save before any key: the later section is not written
    // either, and nothing the VMU holds is left unknown.
    {"AnEmptyValueTheVMUCannotTakeStopsTheSaveBeforeItsFirstKey", 0, "Intercom Paging Parameters",
        "Paging Cancel Code", "",
        "Error save data to VMU.\r\nNothing was sent to the VMU: \"Paging Cancel Code\" of \"Intercom Paging "
        "Parameters\" is empty, and the VMU has no way to be given it empty (an empty line keeps its old value). Give "
        "it a value and save again.\r\nNo section was written. Not written: \"Intercom Paging Parameters\", \"Port "
        "Setting\".",
        "ON LINE", true, true, "", {{"Port Setting", "Ring Count", "4"}}},
    // Cut at the OFF LINE store, the first: no ON LINE is sent on the dead line.
    {"ACutAtOffLineLeavesItOffLine", 1, "Dialing Parameters", "Pause Time", "7",
        "Error set VMU in OFF LINE mode.\r\nThe command may have taken effect before the line was lost.\r\nThe VMU "
        "may be left OFF LINE. The next \"Save parameters to VMU\" sets it ON LINE again.\r\nConnection corrupted.",
        "OFF LINE", true, false, OffLineTold + " as it set the VMU OFF LINE, before it wrote anything" + SetOnLine},
    // Cut at the value's store: the device is left OFF LINE.
    {"ACutInTheSectionsLeavesItOffLine", 2, "Dialing Parameters", "Pause Time", "7",
        "Error save data to VMU.\r\nThe VMU confirmed none of the 1 changed values. The value being sent when the "
        "line was lost may have been stored as well.\r\nNo section was written. Not written: \"Dialing Parameters\" "
        "(the save stopped in it)." + NotKnown +
            "\r\nThe VMU is left OFF LINE. The next \"Save parameters to VMU\" sets it ON LINE again." + FileNotSaved +
            "\r\nConnection corrupted.",
        "OFF LINE", true, true, OffLineTold + " (written in part: \"Dialing Parameters\")" + SetOnLine},
    // Cut at the ON LINE store, the last.
    {"ACutAtOnLineMayHaveTakenEffect", 3, "Dialing Parameters", "Pause Time", "7",
        "Error set VMU in ON LINE mode.\r\nThe command may have taken effect before the line was lost.\r\nThe VMU "
        "may be left OFF LINE. The next \"Save parameters to VMU\" sets it ON LINE again.\r\nConnection corrupted.",
        "ON LINE", false, false, ""},
    // One value changed in a record: its notification schedule, changed on the device since the document was read,
    // is not typed over with the document's copy.
    {"OneValueLeavesTheRestOfItsRecord", 0, "Mailbox Listing", "Maximum Messages", "99", "", "ON LINE", false, true,
        "", {}, "Mailbox No. 101", {{"Mailbox Listing", "101", "1ST Device/Day Mon/Time frame 1/Start Time", "09:30"}},
        {{"Mailbox Listing", "101", "Maximum Messages", "99"}}},
    // A new device number makes the device reset the device's other values: they are typed again as the device held
    // them, not from the document's copy.
    {"AResettingStoreRetypesWhatTheDeviceHeld", 0, "Mailbox Listing", "Device Number", "5551299", "", "ON LINE", false,
        true, "", {}, "Mailbox No. 101", {{"Mailbox Listing", "101", "1ST Device/Message Type", "Urgent"}},
        {{"Mailbox Listing", "101", "1ST Device/Device Number", "5551299"}}},
};

class BatchSaveBoxes : public CutDropOnDevice, public ::testing::WithParamInterface<TBatchBox> {};

} // namespace

TEST_P(BatchSaveBoxes, OneTrueBox)
{
    const TBatchBox& Case = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartSim(Case.Cut > 0 ? std::vector<std::string>{"--drop-after-stores",
                                                        std::to_string(Case.Cut)}
                                                  : std::vector<std::string>{}));
    TMainForm& M = StartMain(true);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    M.SystemLoadDataFromVMU1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    const std::string File = Dir() + "site.sav";
    Dialogs.FileAnswers = {File};
    ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
    const std::string Bytes = ReadFile(File);
    // The values changed in the document as a window's Apply leaves them in batch mode: the case's own, in its
    // record, then the further ones.
    TXmlNode* Section = Data(Case.Section);
    ASSERT_NE(Section, nullptr);
    TXmlNode* Record = Case.Record.empty() ? Section : Data(Case.Record, Section);
    ASSERT_NE(Record, nullptr);
    TXmlNode* Field = Data(Case.Field, Record);
    ASSERT_NE(Field, nullptr);
    Field->SetValue(Case.Value);
    for (TXmlNode* N : {Field, Record, Section})
        N->SetAttr("Change", "Modify");
    for (const auto& [SectionName, FieldName, Value] : Case.More) {
        TXmlNode* Other = Data(SectionName);
        ASSERT_NE(Other, nullptr) << SectionName;
        TXmlNode* Changed = Data(FieldName, Other);
        ASSERT_NE(Changed, nullptr) << FieldName;
        Changed->SetValue(Value);
        for (TXmlNode* Up = Changed; Up && Up != Other->Parent; Up = Up->Parent)
            if (Up->Attrs.Find("Change"))
                Up->SetAttr("Change", "Modify");
    }
    M.SetModified(true);
    Dialogs.Boxes.clear();
    Dialogs.Default = mrYes;
    if (!Case.Meanwhile.empty()) {
        M.ConnectSet1Execute();
        Sim.reset();
        ASSERT_NO_FATAL_FAILURE(Reconnect({}, Case.Meanwhile));
    }
    M.SystemSaveDataToVMU1Execute();
    if (Case.Cut > 0) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !M.PortOpen(); }, 20000)) << BoxTexts();
        EXPECT_TRUE(Sim->Exited());
    }
    std::vector<std::string> Errors;
    for (const auto& B : Dialogs.Boxes)
        if (B.Type == mtError)
            Errors.push_back(B.Text);
    ASSERT_EQ(Errors.size(), Case.Box.empty() ? 0u : 1u) << BoxTexts();
    if (!Case.Box.empty()) {
        EXPECT_EQ(Errors.front(), Case.Box);
    }
    TState After = Saved();
    EXPECT_EQ(After["System"][""]["Operating Mode"], Case.ModeAfter);
    for (const auto* Values : {&Case.Meanwhile, &Case.After})
        for (const TOtherMeans& Held : *Values)
            EXPECT_EQ(After[Held.Section][Held.Record][Held.Field], Held.Value) << Held.Field << "\n" << BoxTexts();
    // A failed save leaves the file to the user: it asks before the file or the changes go.
    EXPECT_EQ(ReadFile(File) == Bytes, Case.FileKept);
    EXPECT_EQ(M.Modified, Case.FileKept);
    if (Case.Cut == 0) {
        EXPECT_EQ(Saved()["Port Setting"]["1"]["Ring Count"], "2") << "a section after the stop is never written";
        return;
    }

    // The next connection reads the mode and, when it is OFF LINE, says what left it so; Yes sets it ON LINE.
    if (!Case.NextBatch) {
        Dialogs.Answers = {mrNo};   // the document is not kept
        M.FileModeInteractive1Execute();
        ASSERT_FALSE(M.BatchMode);
    }
    Dialogs.Boxes.clear();
    Dialogs.Answers.clear();
    ASSERT_NO_FATAL_FAILURE(Reconnect());
    EXPECT_EQ(BoxesStartingWith("The VMU is OFF LINE"), Case.Told.empty() ? 0 : 1) << BoxTexts();
    EXPECT_TRUE(Case.Told.empty() || BoxCount(Case.Told) == 1) << BoxTexts();
    EXPECT_EQ(Saved()["System"][""]["Operating Mode"], "ON LINE");
}

INSTANTIATE_TEST_SUITE_P(Cases, BatchSaveBoxes, ::testing::ValuesIn(BatchBoxes),
    [](const ::testing::TestParamInfo<TBatchBox>& Info) { return Info.param.Name; });

// Third values the put-back meets: a record the dropped change made and someone changed since, and a prompt number
// another prompt took meanwhile. Yes leaves them, names them, and sends nothing the device would refuse.
TEST_F(CutDropOnDevice, APutBackLeavesWhatAThirdValueHoldsAndNamesIt)
{
    struct TCase {
        const char* Name;
        int Cut;
        TEdit Edit;
        std::vector<TOtherMeans> Other;
        std::vector<TOtherMeans> After;   // what the device holds after Yes
        std::vector<std::string> Named;   // lines of the box
    };
    const std::vector<TCase> Cases = {
        {"holiday 5 made, renamed and made one-off on the device since", 3,
            [](CutDropOnDevice& T) -> TBaseGridForm* {
                auto* F = T.OpenFromTree<THolidayListingForm>("Holiday Listing");
                if (F) {
                    T.TypeInto(F, Holidays::NameCol, 4, "FAIR");
                    F->SetDate(Holidays::StartCol, 4, "3/6");
                }
                return F;
            },
            {{"Holiday Listing", "5", "Holiday Name", "FAIRE"}, {"Holiday Listing", "5", "Repeat Every Year", "No"}},
            {{"Holiday Listing", "5", "Holiday Name", "FAIRE"}, {"Holiday Listing", "5", "Repeat Every Year", "No"}},
            {"Holiday Name: \"FAIRE\"", "Repeat Every Year: \"No\""}},
        {"prompt 1 set to 7; prompt 2 set to 1 on the device since", 1,
            [](CutDropOnDevice& T) -> TBaseGridForm* {
                auto* F = T.OpenFromTree<TPromptSettingForm>("Prompt Setting");
                if (F)
                    T.TypeInto(F, 1, 0, "7");
                return F;
            },
            {{"Prompt Setting", "", "Prompt No. 2", "1"}},
            {{"Prompt Setting", "", "Prompt No. 1", "7"}, {"Prompt Setting", "", "Prompt No. 2", "1"},
                {"Prompt Setting", "", "Prompt No. 3", "3"}},
            {"Prompt No. 2: \"1\"", "Prompt No. 1: \"7\" (before the changes: \"1\")"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
        ASSERT_NO_FATAL_FAILURE(DropCutOnDeadLine(Case.Cut, Case.Edit));
        Dialogs.Default = mrYes;
        Dialogs.Boxes.clear();
        ASSERT_NO_FATAL_FAILURE(Reconnect({}, Case.Other));
        EXPECT_EQ(BoxesStartingWith("Nothing of the changes dropped in \""), 1) << BoxTexts();
        EXPECT_EQ(BoxesWith("\" is put back.\r\n"), 1) << BoxTexts();
        TState Now = Saved();
        for (const TOtherMeans& V : Case.After)
            EXPECT_EQ(Now[V.Section][V.Record][V.Field], V.Value) << V.Field << "\n" << BoxTexts();
        for (const std::string& Line : Case.Named)
            EXPECT_EQ(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(),
                          [&](const auto& B) { return B.Text.find(Line) != std::string::npos; }),
                1)
                << Line << "\n" << BoxTexts();
        EXPECT_EQ(BoxesStartingWith(Utilits::SErrorSaveToVMU), 0) << BoxTexts();
        EXPECT_FALSE(Main->PutBacksPending());
    }
}

// Holiday 2 deleted and the deletion dropped; the put-back, making it again, is cut at each of its stores. The next
// connection completes it: the values the device gave it on the way are what the cut left, not third values.
TEST_F(CutDropOnDevice, APutBackCutWhileMakingARecordAgainIsCompletedAtTheNextConnection)
{
    const std::string Start = DeviceSectionAtStart("Holiday Listing");
    for (const int Cut : {2, 3, 4, 5}) {
        SCOPED_TRACE("the put-back cut after its store " + std::to_string(Cut - 1));
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
        ASSERT_NO_FATAL_FAILURE(DropCutOnDeadLine(1, [](CutDropOnDevice& T) -> TBaseGridForm* {
            auto* F = T.OpenFromTree<THolidayListingForm>("Holiday Listing");
            if (F) {
                T.Go(F, Holidays::NameCol, 1);
                T.Dialogs.Answers = {mrYes};
                T.Key(F, Qt::Key_Delete);
            }
            return F;
        }));
        ASSERT_EQ(Saved()["Holiday Listing"].count("2"), 0u) << "the cut came before the deletion";
        Dialogs.Default = mrYes;
        ASSERT_NO_FATAL_FAILURE(Reconnect({"--drop-after-stores", std::to_string(Cut)}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->PortOpen(); }, 20000)) << BoxTexts();
        ASSERT_TRUE(Main->PutBacksPending()) << BoxTexts();
        Dialogs.Boxes.clear();
        ASSERT_NO_FATAL_FAILURE(Reconnect());
        EXPECT_EQ(DeviceSection("Holiday Listing"), Start) << BoxTexts();
        EXPECT_EQ(BoxesWith(" what it held before they were applied."), 1) << BoxTexts();
        EXPECT_EQ(Dialogs.Boxes.end(), std::find_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(), [](const auto& B) {
            return B.Text.find("neither the window nor the program stored") != std::string::npos;
        })) << BoxTexts();
    }
}

// Mailbox 102's first name changed in case only, on a firmware that keeps case, in an Apply cut after its first
// store: the retry sends it, and the window shows what the device then holds.
TEST_F(CutDropOnDevice, ACaseOnlyEditIsAChangeWhereTheFirmwareKeepsCase)
{
    TBaseGridForm* F = nullptr;
    ASSERT_NO_FATAL_FAILURE(ApplyCutRow(1,
        [](CutDropOnDevice& T) -> TBaseGridForm* {
            auto* Listing = T.OpenFromTree<TMailboxListingForm>("Mailbox Listing");
            if (Listing) {
                T.TypeInto(Listing, 2, RowOf(Listing, "101"), "Baxter");
                T.TypeInto(Listing, 3, RowOf(Listing, "102"), "Susan");
            }
            return Listing;
        },
        F));
    auto* Listing = qobject_cast<TMailboxListingForm*>(F);
    ASSERT_NE(Listing, nullptr);
    ASSERT_NO_FATAL_FAILURE(Reconnect());
    ASSERT_EQ(Saved()["Mailbox Listing"]["102"]["First Name"], "SUSAN") << "the cut came after the name";
    Apply(Listing);
    EXPECT_FALSE(Listing->Modified) << BoxTexts();
    EXPECT_EQ(Saved()["Mailbox Listing"]["102"]["First Name"], "Susan") << BoxTexts();
    EXPECT_EQ(Listing->Grid->Cells(3, RowOf(Listing, "102")), "Susan");
}
