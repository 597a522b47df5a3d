// Batch mode in the real main window against the device simulator: the commands that leave the data document
// (File Open, File Close, Load parameters from VMU, Exit) let an open section window settle its edits before the
// document's own question, so that a Yes to both ends up in the data file; switching the mode leaves nothing of the
// batch document for the lookups of another section; and a holiday deleted, applied and then entered again in the
// same entry reaches the device as the new holiday.
#include "FormsOnDevice.h"

#include "common/Utilits.h"
#include "forms/calendar/CalendarRules.h"
#include "forms/simple/DialingParameters.h"
#include "forms/base/FormServices.h"
#include "forms/calendar/HolidayListing.h"
#include "forms/dialogs/SetDate.h"
#include "shell/FormRegistry.h"

#include <QCalendarWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TDialingParametersForm>(),
    MakeFormFactory<THolidayListingForm>()};

class BatchModeOnDevice : public TFormsOnDevice {
protected:
    // Batch mode, connected, with the device's parameters loaded.
    TMainForm& Loaded(const std::vector<std::string>& SimOptions = {})
    {
        StartSim(SimOptions);
        TMainForm& M = StartMain(true);
        M.ConnectSet1Execute();
        EXPECT_TRUE(M.Connected) << BoxTexts();
        M.SystemLoadDataFromVMU1Execute();
        EXPECT_FALSE(M.NoData) << BoxTexts();
        return M;
    }
    // The "Pause Time" a data file holds.
    std::string PauseTimeIn(const std::string& File)
    {
        TXmlDoc Doc(Main->TemplateDoc.get());
        Doc.ShowErrors = false;
        if (!Doc.LoadFromFile(File, true))
            return "(unreadable)";
        TXmlNode* N = Doc.FindNode(Doc.FindNode(nullptr, "Dialing Parameters"), "Pause Time");
        return N ? N->GetValue() : "(none)";
    }
    // A copy of a data file with one node changed by Edit; the node is found by its name below the section.
    std::string Edited(const std::string& File, const std::string& Section, const std::string& Node,
        const std::function<void(TXmlNode*)>& Edit)
    {
        TXmlDoc Doc(Main->TemplateDoc.get());
        Doc.ShowErrors = false;
        EXPECT_TRUE(Doc.LoadFromFile(File, true)) << Doc.LastError;
        TXmlNode* N = Doc.FindNode(Section.empty() ? nullptr : Doc.FindNode(nullptr, Section), Node);
        EXPECT_NE(N, nullptr) << Node;
        if (N)
            Edit(N);
        const std::string Copy = Dir() + "edited-" + std::to_string(++Copies) + ".sav";
        EXPECT_TRUE(Doc.SaveToFile(Copy, true)) << Doc.LastError;
        return Copy;
    }
    int Copies = 0;
    std::string Questions() const
    {
        std::string S;
        for (const auto& B : Dialogs.Boxes)
            S += B.Text == Utilits::SModifyQuestionForm ? "window;" : B.Text == Utilits::SModifyQuestionBase
                ? "document;" : "other;";
        return S;
    }
};

} // namespace

TEST_F(BatchModeOnDevice, AWindowsEditsAreSettledBeforeTheDocumentIsAskedAboutAndLeft)
{
    TMainForm& M = Loaded();
    const std::string File = Dir() + "site.sav";
    Dialogs.FileAnswers = {File};
    ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
    ASSERT_EQ(PauseTimeIn(File), "2");

    struct TCommand {
        const char* Name;
        std::function<void()> Run;
        std::function<void()> Check;   // after Yes to both questions
    };
    const TCommand Commands[] = {
        {"File Open", [&] { M.FileOpen1Execute(); },
            [&] {
                // The file chosen is the one just saved: it comes back with the window's edit.
                EXPECT_EQ(M.FileName, File);
                EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetValue(), "4");
            }},
        {"File Close", [&] { M.FileClose1Execute(); }, [&] { EXPECT_TRUE(M.NoData); }},
        {"Load parameters from VMU", [&] { M.SystemLoadDataFromVMU1Execute(); },
            [&] {
                EXPECT_FALSE(M.NoData);
                EXPECT_TRUE(M.FileName.empty());
            }},
        {"Exit", [&] { M.FileExit1Execute(); }, [&] { EXPECT_FALSE(M.isVisible()); }},
    };
    int Value = 4;
    for (const TCommand& C : Commands) {
        SCOPED_TRACE(C.Name);
        const std::string Typed = std::to_string(Value++);
        // Every command starts from the saved file, unmodified, with the window's edit not applied.
        if (M.FileName != File) {
            M.SetModified(false);
            Dialogs.FileAnswers = {File};
            M.FileOpen1Execute();
            ASSERT_EQ(M.FileName, File) << BoxTexts();
        }
        const std::string Before = PauseTimeIn(File);
        auto* Dialing = OpenFromTree<TDialingParametersForm>("Dialing Parameters");
        ASSERT_NE(Dialing, nullptr);
        TypeInto(Dialing, 1, 2, Typed);
        ASSERT_TRUE(Dialing->Modified);

        // Cancel to the window's question stops the command: nothing else is asked or done.
        Dialogs.Boxes.clear();
        Dialogs.Answers = {mrCancel};
        Dialogs.FileAnswers = {File};
        C.Run();
        EXPECT_EQ(Questions(), "window;");
        EXPECT_TRUE(M.isVisible());
        EXPECT_TRUE(M.ChildForms().contains(Dialing));
        EXPECT_EQ(M.FileName, File);
        EXPECT_FALSE(M.Modified);
        EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetValue(), Before);
        EXPECT_EQ(Dialogs.FileAnswers.size(), 1u) << "no file was chosen";

        // Yes to the window, then Yes to the document: the edit reaches the file before the document is left.
        Dialogs.Boxes.clear();
        Dialogs.Answers = {mrYes, mrYes};
        Dialogs.FileAnswers = {File};
        C.Run();
        EXPECT_EQ(Questions().substr(0, 16), "window;document;");
        EXPECT_EQ(PauseTimeIn(File), Typed) << BoxTexts();
        EXPECT_FALSE(M.ChildForms().contains(Dialing));
        C.Check();
    }
}

// A data file whose Pause Time the device does not take: a value it refuses with a line the line garbled, or an
// empty one (an empty line keeps the device's value). The save says so, and the document never marks it written.
// A value the device takes and shows in its own form (a number, a date) is confirmed, and the document takes that
// form; a notification device switched off in the file sends its emptied number alone. Then the save goes on to
// the file's later change (Hold Check Interval), and nothing is left to stop a later save.
TEST_F(BatchModeOnDevice, AStoreTheDeviceDidNotConfirmIsToldAndNotMarkedWritten)
{
    TMainForm& M = Loaded({"--refusal", "Incorrect Xntry"});
    const std::string File = Dir() + "site.sav";
    Dialogs.FileAnswers = {File};
    ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
    const struct {
        const char* Value;
        const char* Opened;   // what the box of File Open says of it ('': no box)
        const char* Told;     // what the save's box says ('': the save is done)
        const char* Section = "Dialing Parameters";
        const char* Node = "Pause Time";
        const char* Held = "2";   // what the device then holds of the value, Kept what the document holds
        const char* Kept = nullptr;   // null: Value
        const char* Record = "";      // where the device's state keeps the value: the record, and the field
        const char* Field = nullptr;  // null: Node
        const char* Sec = nullptr;    // null: Section
    } Rows[] = {
        {"99", "\"Pause Time\" of \"Dialing Parameters\" reads \"99\", which lies outside 1 to 9",
            "The value \"99\" of \"Pause Time\" was not confirmed: the VMU answered \"Incorrect Xntry\""},
        {"", "\"Pause Time\" of \"Dialing Parameters\" is empty",
            "Nothing was sent to the VMU: \"Pause Time\" of \"Dialing Parameters\" is empty"},
        {"05", "", "", "Dialing Parameters", "Pause Time", "5", "5"},
        {"01/04", "", "", "Daylight Saving Time", "Daylight Saving Start Date", "1/4", "1/4"},
        {"", "", "", "Mailbox No. 101", "Device Number", "", "", "101", "1ST Device/Device Number", "Mailbox Listing"},
    };
    int Interval = 20;
    for (const auto& R : Rows) {
        SCOPED_TRACE(std::string(R.Node) + " = " + R.Value);
        const std::string Later = std::to_string(Interval++);
        auto Changed = [](TXmlNode* N, const std::string& Value) {
            N->SetAttr("Value", Value);
            for (TXmlNode* Up = N; Up; Up = Up->Parent)
                if (Up->Attrs.Find("Change"))
                    Up->SetAttr("Change", "Modify");
        };
        Dialogs.Boxes.clear();
        Dialogs.FileAnswers = {Edited(Edited(File, "Call Hold", "Hold Check Interval",
                                          [&](TXmlNode* N) { Changed(N, Later); }),
            R.Section, R.Node, [&](TXmlNode* N) { Changed(N, R.Value); })};
        M.FileOpen1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
        ASSERT_EQ(Dialogs.Boxes.size(), *R.Opened ? 1u : 0u) << BoxTexts();
        EXPECT_NE(BoxTexts().find(R.Opened), std::string::npos) << BoxTexts();
        Dialogs.Boxes.clear();
        Dialogs.Answers = {mrYes};
        M.SystemSaveDataToVMU1Execute();
        EXPECT_NE(BoxTexts().find(R.Told), std::string::npos) << BoxTexts();
        EXPECT_EQ(BoxCount(Utilits::SErrorSaveToVMU), *R.Told ? 1 : 0) << BoxTexts();
        const std::string Kept = R.Kept ? R.Kept : R.Value;
        TXmlNode* Value = Data(R.Node, Data(R.Section));
        EXPECT_EQ(Value->GetValue(), Kept);
        EXPECT_EQ(Value->GetAttr("Change"), *R.Told ? "Modify" : "NoChange");
        EXPECT_EQ(Saved()[R.Sec ? R.Sec : R.Section][R.Record][R.Field ? R.Field : R.Node], R.Held);
        EXPECT_EQ(Saved()["Call Hold"][""]["Hold Check Interval"] == Later, !*R.Told);
        if (*R.Told) {
            // The file is not written behind the user's back: the document stays modified until the user says,
            // unless nothing was sent and the file still holds all of it.
            EXPECT_EQ(PauseTimeIn(M.FileName), R.Value);
            EXPECT_EQ(M.Modified, std::string(R.Told).find("Nothing was sent") == std::string::npos);
            M.SetModified(false);
            continue;
        }
        // Saved again, nothing is left that stops the save.
        Dialogs.Boxes.clear();
        Dialogs.Answers = {mrYes};
        M.SystemSaveDataToVMU1Execute();
        EXPECT_EQ(BoxCount(Utilits::SErrorSaveToVMU), 0) << BoxTexts();
    }
}

// Hand-made and damaged data files: a node whose name is not the one the description gives it, or a value node
// doubled, is refused; a value that breaks its rules opens with one box naming it. Never in silence; a value as the
// VMU may hold it opens without one.
TEST_F(BatchModeOnDevice, FileOpenRefusesAForeignNameAndTellsEveryValueBreakingItsRules)
{
    TMainForm& M = Loaded();
    const std::string File = Dir() + "site.sav";
    Dialogs.FileAnswers = {File};
    ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
    auto Named = [](const char* Name) { return [=](TXmlNode* N) { N->SetAttr("Name", Name); }; };
    auto Valued = [](const char* Value, const char* Mark = "NoChange") {
        return [=](TXmlNode* N) {
            N->SetAttr("Value", Value);
            N->SetAttr("Change", Mark);
        };
    };
    const struct {
        const char* Section;
        const char* Node;
        std::function<void(TXmlNode*)> Edit;
        bool Opens;
        std::string Told;   // in the one box
    } Rows[] = {
        {"", "Port Status", Named("Port Statu+"), false, "\"Port Statu+\" is linked to \"Port Status\""},
        {"Mailbox Listing", "Mailbox No. 101", Named(""), false, "is linked to \"Mailbox No. %T%\""},
        {"Mailbox No. 101", "Day Mon", Named("Day Mxn"), false, "\"Day Mxn\""},
        {"Mailbox Listing", "Mailbox No. 102", Named("Mailbox No. 1\x8f" "2"), false, "is linked to \"Mailbox No. %T%\""},
        {"Dialing Parameters", "Pause Time",
            [](TXmlNode* N) {
                N->Attrs.DeleteByName("Value");
                N->SetAttr("Vaxue", "2");
            },
            false, "has the attribute \"Vaxue\""},
        {"Dialing Parameters", "Pause Time",
            [](TXmlNode* N) {
                std::unique_ptr<TXmlNode> Twin = N->Clone(true);
                Twin->SetAttr("Value", "9");
                N->Parent->AddChild(std::move(Twin));
            },
            false, "the node \"Pause Time\" stands twice in \"Dialing Parameters\""},
        {"Mailbox No. 101", "First Name", Valued("KAR\xc9N"), true, "which holds a character the VMU's screen never shows"},
        {"Dialing Parameters", "Pause Time", Valued("abc"), true, "reads \"abc\", which is no whole number"},
        {"Dialing Parameters", "Pause Time", Valued("20"), true, "reads \"20\", which lies outside 1 to 9"},
        {"Dialing Parameters", "Pause Time", Valued("\xc3\x84"), true, "reads \"\\xc3\\x84\""},
        {"Dialing Parameters", "Pause Time", Valued("", "Modify"), true, "\"Pause Time\" of \"Dialing Parameters\" is empty"},
        {"Dialing Parameters", "Pause Time", Valued(""), true, "\"Pause Time\" of \"Dialing Parameters\" is empty"},
        {"Dialing Parameters", "Dialing Mode", Valued("Tonx"), true, "is no item of its list"},
        {"Dialing Parameters", "Transfer Dialing Sequence", Valued("%s%n"), true, "holds a character its screen never shows"},
        {"Dialing Parameters", "Transfer Dialing Sequence", Valued("123456789"), true, "is longer than 8 characters"},
        // A value below a record's item is named by its record, as the record's window is captioned.
        {"COS No. 5", "Delay Time", Valued("1:75"), true,
            "\"Delay Time\" of \"Class of Service No. 5\" reads \"1:75\""},
        // Delays as the VMU holds them, with one hour digit too, open without a word.
        {"COS No. 5", "Delay Time", Valued("0:05"), true, ""},
        {"COS No. 5", "Delay Time", Valued("5:00"), true, ""},
    };
    for (const auto& R : Rows) {
        SCOPED_TRACE(std::string(R.Node) + ": " + R.Told);
        M.SetModified(false);
        const std::string Copy = Edited(File, R.Section, R.Node, R.Edit);
        Dialogs.Boxes.clear();
        Dialogs.FileAnswers = {Copy};
        M.FileOpen1Execute();
        EXPECT_EQ(M.FileName == Copy, R.Opens) << BoxTexts();
        EXPECT_EQ(Dialogs.Boxes.size(), R.Told.empty() ? 0u : 1u) << BoxTexts();
        EXPECT_NE(BoxTexts().find(R.Told), std::string::npos) << BoxTexts();
    }
}

TEST_F(BatchModeOnDevice, AHolidayDeletedThenEnteredAgainReachesTheDeviceAsTheNewOne)
{
    TMainForm& M = Loaded();
    using namespace Holidays;
    auto* H = OpenFromTree<THolidayListingForm>("Holiday Listing");
    ASSERT_NE(H, nullptr);
    ASSERT_EQ(H->Grid->Cells(NameCol, 1), "INDEPENDENCE DAY");
    ASSERT_EQ(H->Grid->Cells(ServiceCol, 1), "Voice Mail");
    Go(H, NameCol, 1);
    H->DeleteRowButton->click();
    QTest::mouseClick(H->ButtonApply, Qt::LeftButton);
    ASSERT_FALSE(H->Modified) << BoxTexts();
    TypeInto(H, NameCol, 1, "HARVEST");
    // The start date through the calendar of the cell's button (Enter on the cell), as the user sets it.
    auto* Poll = new QTimer(Main.get());
    QObject::connect(Poll, &QTimer::timeout, Poll, [Poll] {
        if (auto* D = qobject_cast<TSetDateForm*>(QApplication::activeModalWidget())) {
            Poll->stop();
            D->MonthCalendar->setSelectedDate(QDate(QDate::currentDate().year(), 10, 2));
            D->OKBtn->click();
        }
    });
    Poll->start(50);
    Go(H, StartCol, 1);
    Key(H, Qt::Key_Return);
    QApplication::processEvents();
    delete Poll;
    ASSERT_EQ(H->Grid->Cells(StartCol, 1), "2/10");
    QTest::mouseClick(H->ButtonApply, Qt::LeftButton);
    ASSERT_FALSE(H->Modified) << BoxTexts();
    H->close();
    QApplication::processEvents();

    Dialogs.Boxes.clear();
    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    EXPECT_FALSE(BoxCount(Utilits::SErrorSaveToVMU)) << BoxTexts();
    std::map<std::string, std::string> Holiday = Saved()["Holiday Listing"]["2"];
    EXPECT_EQ(Holiday["Holiday Name"], "HARVEST") << BoxTexts();
    EXPECT_EQ(Holiday["Start Date"], "2/10");
    // A new holiday: the deleted one's voice-mail service went with it.
    EXPECT_EQ(Holiday["Service"], "Auto. Attn");
    EXPECT_EQ(Saved()["Holiday Listing"]["1"]["Holiday Name"], "NEW YEAR");
}

// Switching the mode drops the tree's data: in interactive mode a lookup into another section must read the device,
// never answer from the batch document left behind; and back in batch mode nothing of it is shown or looked up.
TEST_F(BatchModeOnDevice, SwitchingTheModeDropsTheDataSoLookupsNeverAnswerFromIt)
{
    TMainForm& M = Loaded();
    const std::string Tree = M.ParamsNode->GetName();
    // An offline edit the device does not know: mailbox 105 renumbered 777 in the document.
    TXmlNode* Mailbox = Data("Mailbox No. 105", Data("Mailbox Listing"));
    ASSERT_NE(Mailbox, nullptr);
    Mailbox->SetAttr("Name", "Mailbox No. 777");
    Mailbox->SetAttr("Value", "777");
    ASSERT_FALSE(FormServices()->IsMailboxNoFree("777"));

    Dialogs.Answers = {mrNo};   // the document's question: the edit is dropped
    M.FileModeInteractive1Execute();
    ASSERT_FALSE(M.BatchMode);
    EXPECT_EQ(Data(Tree), nullptr);
    EXPECT_TRUE(FormServices()->IsMailboxNoFree("777")) << BoxTexts();
    EXPECT_FALSE(FormServices()->IsMailboxNoFree("105")) << "read from the device";
    ASSERT_NE(Data("Mailbox Listing"), nullptr);

    M.FileModeBatch1Execute();
    ASSERT_TRUE(M.BatchMode);
    EXPECT_EQ(Data(Tree), nullptr);
    EXPECT_TRUE(M.NoData);
    EXPECT_TRUE(FormServices()->IsMailboxNoFree("105"));
}
