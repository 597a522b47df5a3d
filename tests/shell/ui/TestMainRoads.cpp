// The real main window against the device simulator on a pseudo-terminal: connect with the password answered by
// the test, load every parameter, change one value in the data document and save it in one run (OFF LINE, save,
// ON LINE) and find exactly that change in the simulator's saved state; data files saved, reopened offline and
// sent to the device by a second program run; and the faults: refused password, mute device, a line dropped in
// the middle of a load, a data file of another description, a truncated one, a save that cannot be written.
#include "support/Screenshots.h"
#include "ShellFixture.h"

#include "vmusim/SimProcess.h"
#include "vmusim/SimState.h"
// The simulator runner is shared with the simulator's own tests; it is compiled into this program as well.
#include "vmusim/SimProcess.cpp"

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/ValueCheck.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/QtText.h"
#include "serial/SerPort.h"
#include "serial/ui/SerTerminalView.h"
#include "shell/Terminal.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

const char* const OffLineNote =
    "The VMU may be left OFF LINE. The next \"Save parameters to VMU\" sets it ON LINE again.";

class MainRoads : public TShellFixture {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(BuiltDescription()) || TSimProcess::Binary().empty())
            GTEST_SKIP() << "Orlantis.dat or vmusim is not built";
        WriteDescription();
        StatePath = Dir() + "device.state";
        SavedPath = Dir() + "device.saved";
        std::ofstream(StatePath) << ReadFile(std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state")
                                 << "\n[System Date/Time]\nClock Running = No\nSystem Time = 10:25,AM\n"
                                    "System Date = 6-DEC-26\n";
    }
    void TearDown() override
    {
        Main.reset();
        Sim.reset();
    }

    void StartSim(std::vector<std::string> Args = {})
    {
        for (const std::string& A : {StatePath, std::string("--state"), SavedPath, std::string("--save-state")})
            Args.insert(Args.begin(), A);
        Sim = std::make_unique<TSimProcess>(Args);
        ASSERT_TRUE(Sim->Started());
        Sim->CloseLine();
    }
    // Opens the simulator's line as the next caller would: the device asks for the password, it does not show its
    // administrator menu.
    void ExpectLineAsksPassword()
    {
        TSerPort Line;
        Line.SetPort(Sim->PtyPath());
        Line.SetEvents(TSerEvents{});
        Line.Open();
        Line.WriteStr("\r");
        std::string Seen;
        for (int i = 0; i < 50 && Seen.find("=> ") == std::string::npos; ++i) {
            char Buffer[256];
            if (int n = Line.ReadFor(Buffer, sizeof(Buffer), 100); n > 0)
                Seen.append(Buffer, size_t(n));
        }
        EXPECT_NE(Seen.find("Password => "), std::string::npos) << Seen;
        EXPECT_EQ(Seen.find("Top Menu Selection => "), std::string::npos) << Seen;
        Line.Close();
    }
    // The main window on the simulator's line, in batch mode unless told otherwise.
    TMainForm& StartMain(bool Batch = true)
    {
        TMainForm& M = Start();
        EXPECT_FALSE(M.Terminated());
        if (Sim)
            M.ComPort->SetPort(Sim->PtyPath());
        M.ComPort->Timeouts().SetReadInterval(0);
        M.ManagerVMU->CharPaceMs = 1;
        M.AdminPasswordPrompt = [this](std::string& Text) {
            ++PasswordAsked;
            Text = Password;
            return true;
        };
        M.resize(1100, 700);
        M.show();
        if (Batch)
            M.FileModeBatch1Execute();
        return M;
    }
    TXmlNode* Data(const std::string& Name, TXmlNode* Start = nullptr)
    {
        return Main->DataDoc->FindNode(Start, Name);
    }
    // A value changed as the section forms mark it: the value and its section.
    void ChangePauseTime(const std::string& Value)
    {
        TXmlNode* Dialing = Data("Dialing Parameters");
        ASSERT_NE(Dialing, nullptr);
        TXmlNode* Pause = Data("Pause Time", Dialing);
        ASSERT_NE(Pause, nullptr);
        Pause->SetAttr("Value", Value);
        Pause->SetAttr("Change", "Modify");
        Dialing->SetAttr("Change", "Modify");
        Main->SetModified(true);
    }
    bool DocumentEmpty() const
    {
        TXmlNode* Root = Main->DataDoc->Root();
        return !Root || (!Root->HasChildren() && Root->GetAttr("TemplateVersion").empty());
    }
    // Connects, loads every parameter and saves them as File.
    void LoadAllIntoFile(TMainForm& M, const std::string& File)
    {
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
        Dialogs.FileAnswers = {File};
        ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
    }
    // A box with Text, or with Text as its first line (a load's failure says why on the lines after it).
    bool BoxShown(const std::string& Text) const
    {
        for (const auto& B : Dialogs.Boxes)
            if (B.Text == Text || B.Text.rfind(Text + "\r\n", 0) == 0)
                return true;
        return false;
    }
    // A batch save of Pause Time 4 with the step ID of a mode command changed by Edit.
    void SaveWithModeStepChanged(int32_t ID, const std::function<void(TXmlNode*)>& Edit)
    {
        WriteDescription([&](TXmlDoc& Doc) {
            TXmlNode* Step = Doc.FindByID(nullptr, ID);
            ASSERT_NE(Step, nullptr);
            Edit(Step);
        });
        StartSim();
        TMainForm& M = StartMain();
        ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
        ChangePauseTime("4");
        Dialogs.Answers = {mrYes};
        M.SystemSaveDataToVMU1Execute();
        EXPECT_NE(BoxTexts().find(OffLineNote), std::string::npos) << BoxTexts();
    }
    bool BoxHolds(const std::string& Part) const
    {
        for (const auto& B : Dialogs.Boxes)
            if (B.Text.find(Part) != std::string::npos)
                return true;
        return false;
    }

    TQtMainThreadScope MainThread;
    std::unique_ptr<TSimProcess> Sim;
    std::string StatePath, SavedPath;
    std::string Password = "ADMIN";
    int PasswordAsked = 0;
};

TEST_F(MainRoads, ConnectLoadChangeSaveAndDisconnect)
{
    StartSim();
    TMainForm& M = StartMain();
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    EXPECT_TRUE(M.PortOpen());
    EXPECT_EQ(PasswordAsked, 1);
    EXPECT_EQ(M.FlashVersion, 409);
    EXPECT_EQ(M.ROMVersion, 205);
    EXPECT_EQ(M.AmountVPSPorts, 4);
    EXPECT_EQ(M.StatusPanels[2]->text().toStdString(), Utilits::SConnected);
    EXPECT_TRUE(M.SystemLoadDataFromVMU1->isEnabled());
    EXPECT_FALSE(M.SystemSaveDataToVMU1->isEnabled());

    M.SystemLoadDataFromVMU1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    EXPECT_TRUE(M.Modified);
    EXPECT_EQ(PasswordAsked, 1);   // asked once per connection, however many jobs log in
    EXPECT_TRUE(M.SystemSaveDataToVMU1->isEnabled());
    EXPECT_NE(M.windowTitle().toStdString().find("[Noname] *"), std::string::npos);
    ASSERT_NE(M.DataTreeView, nullptr);
    EXPECT_GT(M.DataTreeView->topLevelItemCount(), 0);
    ASSERT_NE(Data("Mailbox No. 105", Data("Mailbox Listing")), nullptr);
    EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetValue(), "2");

    // The main window after the load, with the tree expanded.
    M.DataTreeView->expandAll();
    QApplication::processEvents();
    M.grab().save(ScreenshotPath("main-after-load.png"));

    const TState Before = ParseState(ReadFile(StatePath));
    ChangePauseTime("5");
    Dialogs.Answers = {mrYes};   // the save question
    M.SystemSaveDataToVMU1Execute();
    EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetAttr("Change"), "NoChange") << BoxTexts();
    TState Expected = Before;
    Expected["Dialing Parameters"][""]["Pause Time"] = "5";
    TState After = ParseState(ReadFile(SavedPath));
    for (const auto& [Section, Records] : Expected)
        EXPECT_EQ(After[Section], Records) << Section;
    EXPECT_EQ(After["System"][""]["Operating Mode"], "ON LINE");

    // Disconnect forgets the password; a second connection works on the same line.
    ASSERT_TRUE(M.DisconnectDevice(false));
    EXPECT_FALSE(M.PortOpen());
    EXPECT_TRUE(M.AdminPassword.empty());
    EXPECT_EQ(M.StatusPanels[2]->text().toStdString(), Utilits::SDisconnected);
    M.ConnectSet1Execute();
    EXPECT_TRUE(M.Connected) << BoxTexts();
    // The disconnection logged off: the device asked for the password again, and got it.
    EXPECT_EQ(PasswordAsked, 2);
    EXPECT_FALSE(BoxShown(Utilits::SErrorSaveToVMU)) << BoxTexts();
}

TEST_F(MainRoads, QuittingLogsOffTheDeviceUnlessTheLineIsGone)
{
    StartSim();
    TMainForm& M = StartMain(false);
    ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
    EXPECT_TRUE(M.close());
    EXPECT_FALSE(M.PortOpen());
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
    ExpectLineAsksPassword();

    // The line gone before the quit: nothing to log off, and no box about it.
    Main.reset();
    TMainForm& Again = StartMain(false);
    ASSERT_TRUE(Again.ConnectDevice()) << BoxTexts();
    // The clock's check would let go of the dead line first: the quit is to meet it still open.
    Again.StatusTimer->stop();
    Sim.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Again.DSRState; }, 10000));
    Dialogs.Boxes.clear();
    EXPECT_TRUE(Again.close());
    EXPECT_FALSE(Again.PortOpen());
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
    EXPECT_NE(Again.ManagerVMU->Mode, doSave);   // no log-off (a write) was tried
}

TEST_F(MainRoads, AWriteCutShortIsNamedAtTheQuitInInteractiveModeOnly)
{
    // A section a cut write left unsettled with no window open on it. Interactive mode drops the document at the
    // quit, so the quit asks; a batch document goes to its data file with its marks, which its question covers.
    const std::string Question =
        "The VMU may hold changes that were dropped or written only in part:\r\n\"Inband Signaling\": a write to the "
        "VMU was cut short, so it may hold only part of it.\r\nYes: quit anyway, and leave the VMU as it is.\r\nNo: "
        "stay; a section's window shows what the VMU holds of it.";
    for (const bool Batch : {false, true}) {
        SCOPED_TRACE(Batch ? "batch" : "interactive");
        Main.reset();
        Dialogs.Boxes.clear();
        TMainForm& M = StartMain(Batch);
        ASSERT_NE(M.DataDoc->Root(), nullptr);
        TXmlNode* Section = M.DataDoc->Root()->AddChild("PARAM");
        Section->SetName("Inband Signaling");
        Section->SetAttr("Unsettled", "Yes");
        Dialogs.Default = mrNo;
        EXPECT_EQ(M.close(), Batch);
        EXPECT_EQ(Dialogs.Boxes.size(), Batch ? 0u : 1u) << BoxTexts();
        EXPECT_EQ(BoxShown(Question), !Batch) << BoxTexts();
        Dialogs.Default = mrYes;
        if (!Batch) {
            EXPECT_TRUE(M.close());
        }
    }
}

TEST_F(MainRoads, AUserDisconnectLogsOffAForcedOneCannot)
{
    StartSim();
    TMainForm& M = StartMain(false);
    ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
    EXPECT_EQ(PasswordAsked, 1);
    M.ConnectSet1Execute();
    ASSERT_FALSE(M.PortOpen());
    // Whoever opens the line next meets the password prompt, not the administrator menu.
    ExpectLineAsksPassword();
    // A forced disconnection (the line lost, new line settings) has no device to talk to: nothing is sent.
    ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
    EXPECT_EQ(PasswordAsked, 2);
    ASSERT_TRUE(M.DisconnectDevice(true));
    ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
    EXPECT_EQ(PasswordAsked, 2);   // still in its menu: the device did not ask
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
}

TEST_F(MainRoads, BatchRunThroughADataFile)
{
    StartSim();
    const std::string File = Dir() + "device.sav";
    {
        TMainForm& M = StartMain();
        ASSERT_NO_FATAL_FAILURE(LoadAllIntoFile(M, File));
        EXPECT_EQ(M.FileName, File);
        EXPECT_FALSE(M.Modified);
        // The file lies in the program's folder: the caption names it without the folder.
        EXPECT_NE(M.windowTitle().toStdString().find("[device.sav]"), std::string::npos);
        Main.reset();   // quit
    }
    // A second run opens the file offline, changes a value and sends it to the device in one run.
    TMainForm& M = StartMain();
    Dialogs.FileAnswers = {File};
    M.FileOpen1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    EXPECT_EQ(M.FileName, File);
    EXPECT_EQ(M.FlashVersion, 409);
    EXPECT_FALSE(M.PortOpen());
    ChangePauseTime("7");
    EXPECT_TRUE(M.FileSave1->isEnabled());
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    ASSERT_FALSE(M.NoData);
    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    TState After = ParseState(ReadFile(SavedPath));
    EXPECT_EQ(After["Dialing Parameters"][""]["Pause Time"], "7") << BoxTexts();
    // The open file was saved with the committed marks.
    EXPECT_FALSE(M.Modified);
    Main.reset();
    StartMain();
    Dialogs.FileAnswers = {File};
    Main->FileOpen1Execute();
    ASSERT_FALSE(Main->NoData) << BoxTexts();
    EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetValue(), "7");
    EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetAttr("Change"), "NoChange");
}

TEST_F(MainRoads, DataFilesOfAnotherVersionOrCutShortAreRefusedWithoutTrace)
{
    StartSim();
    const std::string Good = Dir() + "good.sav", Other = Dir() + "other.sav", Cut = Dir() + "cut.sav";
    {
        TMainForm& M = StartMain();
        M.ConnectSet1Execute();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
        Dialogs.FileAnswers = {Good};
        ASSERT_TRUE(M.FileSaveAs1Execute());
        M.DataDoc->Root()->SetAttr("TemplateVersion", "0.9.1");
        ASSERT_TRUE(M.DataDoc->SaveToFile(Other, true));
        Main.reset();
    }
    const std::string GoodBytes = ReadFile(Good);
    std::ofstream(Cut, std::ios::binary) << GoodBytes.substr(0, GoodBytes.size() / 2);

    // A fresh program: neither file may fix the firmware or leave data behind.
    TMainForm& M = StartMain();
    Dialogs.FileAnswers = {Other};
    M.FileOpen1Execute();
    EXPECT_TRUE(BoxShown(Utilits::SErrorDataFileVersion1 + "\r\n" + Utilits::SErrorDataFileVersion2)) << BoxTexts();
    EXPECT_TRUE(M.NoData);
    EXPECT_TRUE(DocumentEmpty());
    EXPECT_TRUE(M.FileName.empty());
    EXPECT_EQ(M.FlashVersion, 0);

    Dialogs.Boxes.clear();
    Dialogs.FileAnswers = {Cut};
    M.FileOpen1Execute();
    EXPECT_FALSE(Dialogs.Boxes.empty());
    EXPECT_TRUE(M.NoData);
    EXPECT_TRUE(DocumentEmpty());
    EXPECT_EQ(M.FlashVersion, 0);
    EXPECT_EQ(ReadFile(Good), GoodBytes);

    // The good file still opens.
    Dialogs.FileAnswers = {Good};
    M.FileOpen1Execute();
    EXPECT_FALSE(M.NoData);
    EXPECT_EQ(M.FileName, Good);
}

TEST_F(MainRoads, ASaveThatDoesNotHappenKeepsTheProgramWhereItWas)
{
    StartSim();
    const std::string Good = Dir() + "keep.sav";
    TMainForm& M = StartMain();
    M.ConnectSet1Execute();
    M.SystemLoadDataFromVMU1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    Dialogs.FileAnswers = {Good};
    ASSERT_TRUE(M.FileSaveAs1Execute());
    const std::string Bytes = ReadFile(Good);
    ChangePauseTime("9");

    // Yes to the question, then the save dialog cancelled: nothing is opened, the change stays.
    Dialogs.Answers = {mrYes};
    M.FileName.clear();
    Dialogs.FileAnswers = {""};
    M.FileClose1Execute();
    EXPECT_FALSE(M.NoData);
    EXPECT_TRUE(M.Modified);
    EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetValue(), "9");

    // Yes, then a file that cannot be written: the window stays open and the old file is untouched.
    M.FileName = Dir() + "no-such-folder/keep.sav";
    Dialogs.Answers = {mrYes};
    EXPECT_FALSE(M.close());
    EXPECT_TRUE(M.Modified);
    EXPECT_EQ(M.FileName, Dir() + "no-such-folder/keep.sav");
    EXPECT_EQ(ReadFile(Good), Bytes);
    EXPECT_FALSE(std::filesystem::exists(Dir() + "no-such-folder"));

    // Cancel in the question before a load from the device leaves the data alone.
    Dialogs.Answers = {mrCancel};
    M.SystemLoadDataFromVMU1Execute();
    EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetValue(), "9");
    M.SetModified(false);
}

TEST_F(MainRoads, RefusedPasswordAndMuteDeviceLeaveTheLineClosed)
{
    // Each says which it was: a password to retype, a line to check, or the password dialog cancelled (no args:
    // no separate box about a cancelled job).
    const std::vector<std::pair<std::vector<std::string>, std::string>> Cases = {
        {{"--refuse-password"}, Utilits::SConnectionPasswordRefused}, {{"--mute"}, Utilits::SConnectionNoAnswer},
        {{}, Utilits::SConnectionPasswordCancelled}};
    for (const auto& [Args, Message] : Cases) {
        SCOPED_TRACE(Message);
        Dialogs.Boxes.clear();
        StartSim(Args);
        TMainForm& M = StartMain();
        if (Args.empty())
            M.AdminPasswordPrompt = [](std::string&) { return false; };
        EXPECT_FALSE(M.ConnectDevice());
        EXPECT_TRUE(BoxShown(Message)) << BoxTexts();
        EXPECT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
        EXPECT_FALSE(M.PortOpen());
        EXPECT_FALSE(M.Connected);
        EXPECT_TRUE(M.AdminPassword.empty());
        EXPECT_EQ(M.FlashVersion, 0);
        Main.reset();
        Sim.reset();
    }
}

TEST_F(MainRoads, ALineDroppedDuringALoadEndsTheJobThenTheConnection)
{
    StartSim({"--drop-after", "4000"});
    TMainForm& M = StartMain();
    ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
    M.SystemLoadDataFromVMU1Execute();
    EXPECT_TRUE(BoxShown(Utilits::SErrorLoadFromVMU)) << BoxTexts();
    EXPECT_TRUE(M.NoData);
    // The status timer sees the lost line after the job and ends the connection with its message.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !M.PortOpen(); }, 20000));
    // The job's own message came first and the connection's once: the timer kept off the port during the job.
    std::vector<std::string> Texts;
    for (const auto& B : Dialogs.Boxes)
        Texts.push_back(B.Text.substr(0, B.Text.find("\r\n")));
    auto LoadError = std::find(Texts.begin(), Texts.end(), Utilits::SErrorLoadFromVMU);
    auto Corrupted = std::find(Texts.begin(), Texts.end(), Utilits::SConnectionCorrupted);
    EXPECT_LT(LoadError, Corrupted) << BoxTexts();
    EXPECT_EQ(std::count(Texts.begin(), Texts.end(), Utilits::SConnectionCorrupted), 1) << BoxTexts();
    EXPECT_FALSE(M.Connected);
    EXPECT_EQ(M.StatusPanels[2]->text().toStdString(), Utilits::SDisconnected);
}

TEST_F(MainRoads, TheFirmwareChoosesAndPatchesTheTreeOnce)
{
    auto TreeNode = [&](std::initializer_list<const char*> Path) {
        TXmlNode* N = Main->TemplateDoc->FindNode(nullptr, "VMU Parameters 131");
        for (const char* Name : Path)
            N = N ? Main->TemplateDoc->FindNode(N, Name) : nullptr;
        return N;
    };
    for (const char* Firmware : {"1.31", "3.08"}) {
        SCOPED_TRACE(Firmware);
        StartSim({"--firmware", Firmware});
        TMainForm& M = StartMain(false);
        ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
        EXPECT_EQ(M.FlashVersion, std::string(Firmware) == "1.31" ? 131 : 308);
        ASSERT_NE(M.ParamsNode, nullptr);
        EXPECT_EQ(M.ParamsNode->GetName(), "VMU Parameters 131");
        EXPECT_EQ(M.ManagerVMU->ParamsNode, M.ParamsNode);
        TXmlNode* Trunks = TreeNode({"Port/Trunk Service", "Trunk Service"});
        ASSERT_NE(Trunks, nullptr);
        const bool Old = std::string(Firmware) == "1.31";
        EXPECT_EQ(Trunks->GetAttr("NotCreateForm"), Old ? "Yes" : "");
        EXPECT_EQ(Trunks->GetAttr("StartStr").empty(), Old);
        // The ports end at their own prompt, which a window's load has without a Trunk Service title after it.
        EXPECT_EQ(TreeNode({"Port/Trunk Service", "Port Service"})->GetAttr("StopStr"),
            "Port Service - Port No. or Q => ");
        // A write goes into the ports' section and the days' block, and back, on every firmware.
        for (const char* Step : {"Begin", "End"})
            for (TXmlNode* N : {TreeNode({"Port Service"}), TreeNode({"Time Service Parameters", "Day Service"})}) {
                N = N ? N->Nodes.FindByName(Step) : nullptr;
                EXPECT_TRUE(N && N->Nodes.FindByName("IF_1")) << Step;
            }
        // Interactive and connected: the tree is there and usable.
        EXPECT_FALSE(M.NoData);
        EXPECT_TRUE(M.TreeEnabled);
        EXPECT_TRUE(M.SystemSetONLINE1->isEnabled());

        // Another firmware later in the same run is refused until the program starts again.
        ASSERT_TRUE(M.DisconnectDevice(false));
        Sim.reset();
        StartSim({"--firmware", "4.09"});
        M.ComPort->SetPort(Sim->PtyPath());
        EXPECT_FALSE(M.ConnectDevice());
        EXPECT_TRUE(BoxShown(Utilits::SErrorChangeFlashVersion1 + "\r\n" + Utilits::SErrorChangeFlashVersion2))
            << BoxTexts();
        EXPECT_FALSE(M.PortOpen());
        EXPECT_EQ(M.ParamsNode->GetName(), "VMU Parameters 131");
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
    }
}

TEST_F(MainRoads, AnOldFirmwareIsAskedAboutAndAMissingTreeChangesNothing)
{
    StartSim({"--firmware", "1.20"});
    TMainForm& M = StartMain(false);
    Dialogs.Answers = {mrNo};
    EXPECT_FALSE(M.ConnectDevice());
    ASSERT_FALSE(Dialogs.Boxes.empty());
    EXPECT_NE(Dialogs.Boxes.front().Text.find("1.20"), std::string::npos) << BoxTexts();
    EXPECT_EQ(M.FlashVersion, 0);   // declined: nothing recorded
    EXPECT_EQ(M.ParamsNode->GetName(), "VMU Parameters 409");
    EXPECT_FALSE(M.PortOpen());
    Dialogs.Answers = {mrYes};
    EXPECT_TRUE(M.ConnectDevice()) << BoxTexts();
    EXPECT_EQ(M.FlashVersion, 120);
    EXPECT_EQ(M.ParamsNode->GetName(), "VMU Parameters 131");
    Main.reset();
    Sim.reset();

    // A description without the older tree: the device is refused and the program stays as it was.
    WriteDescription([](TXmlDoc& Doc) { Doc.FindNode(nullptr, "VMU Parameters 131")->SetName("Gone 131"); });
    Dialogs.Boxes.clear();
    StartSim({"--firmware", "3.08"});
    TMainForm& M2 = StartMain(false);
    TXmlNode* Before = M2.ParamsNode;
    EXPECT_FALSE(M2.ConnectDevice());
    EXPECT_TRUE(BoxShown(Utilits::SErrorFormatDataFile)) << BoxTexts();
    EXPECT_EQ(M2.ParamsNode, Before);
    EXPECT_EQ(M2.FlashVersion, 0);
    EXPECT_FALSE(M2.PortOpen());
}

TEST_F(MainRoads, NamedCommandsAndTheNewPassword)
{
    StartSim();
    TMainForm& M = StartMain(false);
    ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
    M.SystemSetOFFLINE1Execute();
    EXPECT_EQ(ParseState(ReadFile(SavedPath))["System"][""]["Operating Mode"], "OFF LINE") << BoxTexts();
    M.SystemSetONLINE1Execute();
    EXPECT_EQ(ParseState(ReadFile(SavedPath))["System"][""]["Operating Mode"], "ON LINE") << BoxTexts();
    EXPECT_FALSE(M.Modified);

    M.NewAdminPasswordPrompt = [](std::string& Text) {
        Text = "SECRET7";
        return true;
    };
    M.SystemPasswordAdmin1Execute();
    EXPECT_EQ(ParseState(ReadFile(SavedPath))["System"][""]["Administrator Password"], "SECRET7") << BoxTexts();
    EXPECT_EQ(M.AdminPassword, "SECRET7\r\n");
    TXmlNode* Command = M.TemplateDoc->FindNode(nullptr, "Set Administrator Password");
    ASSERT_NE(Command, nullptr);
    EXPECT_EQ(Command->GetAttr("ValueParam1"), "");
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();

    // The cached password is the new one: further jobs log in without asking.
    const int Asked = PasswordAsked;
    M.SystemSetONLINE1Execute();
    EXPECT_EQ(PasswordAsked, Asked);
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
}

TEST_F(MainRoads, AFailedOffLineCommandStillPutsTheDeviceOnLine)
{
    // An OFF LINE command whose last answer never comes (the device does go OFF LINE).
    SaveWithModeStepChanged(3000727, [](TXmlNode* Step) {
        Step->SetAttr("StopAnswer", "Never => ");
        Step->SetAttr("WaitTimeoutMsec", "1500");
    });
    EXPECT_TRUE(BoxShown("Error set VMU in OFF LINE mode.")) << BoxTexts();
    TState After = ParseState(ReadFile(SavedPath));
    EXPECT_EQ(After["System"][""]["Operating Mode"], "ON LINE");
    EXPECT_EQ(After["Dialing Parameters"][""]["Pause Time"], "2");
    EXPECT_EQ(Data("Pause Time", Data("Dialing Parameters"))->GetAttr("Change"), "Modify");
    EXPECT_TRUE(Main->Modified);
}

TEST_F(MainRoads, AnOnLineCommandTheVMURefusesSaysTheVMUMayBeLeftOffLine)
{
    // The ON LINE key garbled into one the mode menu refuses.
    SaveWithModeStepChanged(3000726, [](TXmlNode* Step) { Step->SetAttr("Send", "7%CR%"); });
    EXPECT_TRUE(BoxShown("Error set VMU in ON LINE mode.")) << BoxTexts();
    TState After = ParseState(ReadFile(SavedPath));
    EXPECT_EQ(After["System"][""]["Operating Mode"], "OFF LINE");
    EXPECT_EQ(After["Dialing Parameters"][""]["Pause Time"], "4");
}

TEST_F(MainRoads, NewLineSettingsReconnectAfterTheCallerReturned)
{
    StartSim();
    TMainForm& M = StartMain(false);
    ASSERT_TRUE(M.ConnectDevice()) << BoxTexts();
    Dialogs.Answers = {mrYes};
    M.PostPortSettingsChanged("19200", "7", "Even", "2");
    EXPECT_TRUE(M.Connected);   // queued: nothing happened yet
    EXPECT_EQ(M.ComPort->BaudRate(), br9600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return M.ComPort->BaudRate() == br19200 && M.Connected; }, 30000))
        << BoxTexts();
    EXPECT_TRUE(BoxShown(Utilits::SConfirmReconnect));
    EXPECT_EQ(M.ComPort->DataBits(), dbSeven);

    // No: disconnected and left so.
    Dialogs.Answers = {mrNo};
    M.PostPortSettingsChanged("9600", "8", "None", "1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !M.PortOpen(); }, 30000));
    EXPECT_EQ(M.ComPort->BaudRate(), br19200);
}

}  // namespace

TEST_F(MainRoads, EveryWrittenFileOpensAgainAndDamagedOnesAreRefusedWithTheReason)
{
    StartSim();
    const std::string Good = Dir() + "again.sav";
    {
        TMainForm& M = StartMain();
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
        // Close empties the document; a load from the device then brings the system information back as well.
        M.FileClose1Execute();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
        Dialogs.FileAnswers = {Good};
        ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
        Main.reset();
    }
    TMainForm& M = StartMain();
    Dialogs.FileAnswers = {Good};
    M.FileOpen1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    M.FileClose1Execute();

    // Damaged copies, each with one fault of the kind flipped bits or a crafting hand leave.
    TXmlDoc Doc(M.TemplateDoc.get());
    Doc.ShowErrors = false;
    auto Damaged = [&](const std::string& Name, const std::function<void(TXmlNode* Dialing)>& Damage) {
        EXPECT_TRUE(Doc.LoadFromFile(Good, true));
        TXmlNode* Dialing = Doc.FindNode(nullptr, "Dialing Parameters");
        EXPECT_NE(Dialing, nullptr);
        if (Dialing)
            Damage(Dialing);
        EXPECT_TRUE(Doc.SaveToFile(Dir() + Name, true));
        return Dir() + Name;
    };
    auto Pause = [&](TXmlNode* Dialing) { return Doc.FindNode(Dialing, "Pause Time"); };
    const std::pair<std::string, std::string> Cases[] = {
        {Damaged("tag.sav", [&](TXmlNode* D) { Pause(D)->SetRawTag("ATTB"); }), "tag \"ATTB\""},
        {Damaged("mark.sav", [&](TXmlNode* D) { Pause(D)->SetAttr("Change", "NoChaot"); }),
            "unknown change mark \"NoChaot\""},
        {Damaged("nowhere.sav", [&](TXmlNode* D) { Pause(D)->SetAttr("TemplateID", "0"); }),
            "\"Pause Time\" is linked to nothing"},
        {Damaged("crafted.sav", [&](TXmlNode* D) {
            // A node without a link that carries its own save script.
            TXmlNode* Crafted = D->AddChild("ATTR");
            Crafted->SetAttr("Name", "Crafted");
            Crafted->SetAttr("Change", "Modify");
            TXmlNode* Begin = Crafted->AddChild("SAVEPARAM");
            Begin->SetAttr("Name", "Begin");
            Begin->AddChild("MENUSTEP")->SetAttr("Send", "P%CR%EVIL%CR%EVIL%CR%");
        }), "\"Crafted\" is linked to nothing"},
        {Damaged("flash.sav", [&](TXmlNode*) { Doc.FindNode(nullptr, "Flash Version")->SetAttr("Value", "#.@9"); }),
            "flash version \"#.@9\" is no version number"},
    };
    for (const auto& [File, Why] : Cases) {
        SCOPED_TRACE(File);
        Dialogs.Boxes.clear();
        Dialogs.FileAnswers = {File};
        M.FileOpen1Execute();
        EXPECT_TRUE(M.NoData);
        EXPECT_TRUE(DocumentEmpty());
        EXPECT_TRUE(M.FileName.empty());
        ASSERT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
        EXPECT_EQ(Dialogs.Boxes[0].Caption, Utilits::SError);
        // The system information is checked once the file was found sound: that message is about the device's data.
        if (Why.rfind("flash", 0) != 0) {
            EXPECT_NE(Dialogs.Boxes[0].Text.find("\"" + File + "\""), std::string::npos) << BoxTexts();
        }
        EXPECT_NE(Dialogs.Boxes[0].Text.find(Why), std::string::npos) << BoxTexts();
    }
}

// A data file whose values hold a control character (a keystroke to the device's menu) or whose numbered records
// carry another number than their name (the windows would write their row numbers over it at Apply) is refused at
// Open, naming the file and the fault; the sound file it was made from opens.
TEST_F(MainRoads, FilesWithControlCharactersOrDamagedRecordNumbersAreRefusedAtOpen)
{
    StartSim();
    const std::string Good = Dir() + "sound.sav";
    {
        TMainForm& M = StartMain();
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
        M.FileClose1Execute();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
        Dialogs.FileAnswers = {Good};
        ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
        Main.reset();
    }
    TMainForm& M = StartMain();
    TXmlDoc Doc(M.TemplateDoc.get());
    Doc.ShowErrors = false;
    auto Damaged = [&](const std::string& Name, const std::string& Section, const std::string& Node,
                       const std::string& Value) {
        EXPECT_TRUE(Doc.LoadFromFile(Good, true));
        TXmlNode* N = Doc.FindNode(Doc.FindNode(nullptr, Section), Node);
        EXPECT_NE(N, nullptr) << Section << "/" << Node;
        if (N)
            N->SetAttr("Value", Value);
        EXPECT_TRUE(Doc.SaveToFile(Dir() + Name, true));
        return Dir() + Name;
    };
    const std::pair<std::string, std::string> Cases[] = {
        {Damaged("del.sav", "Dialing Parameters", "Pause Time", "2\x7f"),
            "the value of the node \"Pause Time\" holds a control character"},
        {Damaged("cr.sav", "Department Dialing", "Department 2", "22\r1\r"),
            "the value of the node \"Department 2\" holds a control character"},
        {Damaged("routing.sav", "Caller ID Call Routing", "No 3", "7"),
            "the record \"No 3\" holds the number \"7\", which is not the one its name gives"},
        {Damaged("port.sav", "Port Setting", "Port No. 2", ""),
            "the record \"Port No. 2\" holds the number \"\", which is not the one its name gives"},
    };
    for (const auto& [File, Why] : Cases) {
        SCOPED_TRACE(File);
        Dialogs.Boxes.clear();
        Dialogs.FileAnswers = {File};
        M.FileOpen1Execute();
        EXPECT_TRUE(M.NoData);
        EXPECT_TRUE(DocumentEmpty());
        ASSERT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
        EXPECT_NE(Dialogs.Boxes[0].Text.find("\"" + File + "\""), std::string::npos) << BoxTexts();
        EXPECT_NE(Dialogs.Boxes[0].Text.find(Why), std::string::npos) << BoxTexts();
    }
    Dialogs.Boxes.clear();
    Dialogs.FileAnswers = {Good};
    M.FileOpen1Execute();
    EXPECT_FALSE(M.NoData) << BoxTexts();
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
}

TEST_F(MainRoads, NonAsciiFolderAndFileNamesStayAsTheSystemWritesThem)
{
    StartSim();
    // "Daten-é/prüfung.sav" as the system writes it (UTF-8 bytes).
    const std::string Folder = Dir() + "Daten-\xc3\xa9/";
    const std::string File = Folder + "pr\xc3\xbc" "fung.sav";
    std::filesystem::create_directory(Folder);
    {
        TMainForm& M = StartMain();
        M.ConnectSet1Execute();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
        Dialogs.FileAnswers = {File};
        ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
        EXPECT_TRUE(std::filesystem::exists(File));
        EXPECT_TRUE(M.windowTitle().contains(QString::fromUtf8("Daten-\xc3\xa9/pr\xc3\xbc" "fung.sav")))
            << M.windowTitle().toStdString();
        // The next dialog starts in that folder, named as the system names it.
        Dialogs.FileAnswers = {""};
        M.FileSaveAs1Execute();
        ASSERT_FALSE(Dialogs.FileRequests.empty());
        EXPECT_EQ(Dialogs.FileRequests.back().InitialDir, Folder);
        EXPECT_EQ(QDir(PathToQ(Dialogs.FileRequests.back().InitialDir)).dirName(),
            QString::fromUtf8("Daten-\xc3\xa9"));
        EXPECT_EQ(PathFromQ(PathToQ(File)), File);
        Main.reset();
    }
    TMainForm& M = StartMain();
    Dialogs.FileAnswers = {File};
    M.FileOpen1Execute();
    EXPECT_FALSE(M.NoData) << BoxTexts();
    EXPECT_EQ(M.FileName, File);
    ChangePauseTime("6");
    EXPECT_TRUE(M.FileSave1Execute());
    EXPECT_EQ(std::filesystem::directory_iterator(Folder)->path().filename().string(), "pr\xc3\xbc" "fung.sav");
}

TEST_F(MainRoads, ARefusedFileIsNamedInTheBoxAsTheSystemNamesIt)
{
    const std::string Folder = Dir() + "Daten-\xc3\xa9/";
    std::filesystem::create_directory(Folder);
    const std::string File = Folder + "pr\xc3\xbc" "fung.sav";
    std::ofstream(File, std::ios::binary) << "no data file";
    TMainForm& M = StartMain();
    Dialogs.FileAnswers = {File};
    M.FileOpen1Execute();
    ASSERT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
    // The box holds single-byte text: the UTF-8 name arrives decoded, not as two characters per letter.
    EXPECT_NE(Dialogs.Boxes[0].Text.find("Daten-\xe9/pr\xfc" "fung.sav"), std::string::npos) << BoxTexts();
}

TEST_F(MainRoads, EveryFailedConnectSaysWhy)
{
    // A noisy line garbles the screens now and then; whatever part it hits, a connect that fails says so.
    StartSim({"--noise", "0.05", "--seed", "1"});
    TMainForm& M = StartMain();
    M.ConnectSet1Execute();
    if (!M.Connected) {
        EXPECT_FALSE(Dialogs.Boxes.empty());
        EXPECT_FALSE(M.PortOpen());
    }
}

TEST_F(MainRoads, DeviceJobsWithTheTerminalOpenReadTheLineAlone)
{
    // Answers in random chunks give the terminal and the engine every chance to race for them.
    StartSim({"--chunks", "random", "--seed", "3"});
    TMainForm& M = StartMain();
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    // One section is enough, and quicker on a line that answers in chunks.
    ASSERT_TRUE(M.LoadSectionFromVMU(M.ParamsNode, "Dialing Parameters", doLoad, "")) << BoxTexts();
    M.SystemTerminal1Execute();
    TTerminalForm* Terminal = nullptr;
    for (TBaseMDIForm* F : M.ChildForms())
        if (auto* T = qobject_cast<TTerminalForm*>(F))
            Terminal = T;
    ASSERT_NE(Terminal, nullptr) << BoxTexts();
    for (const char* Value : {"5", "6"}) {
        SCOPED_TRACE(Value);
        Dialogs.Boxes.clear();
        ChangePauseTime(Value);
        Dialogs.Answers = {mrYes};
        M.SystemSaveDataToVMU1Execute();
        TState After = ParseState(ReadFile(SavedPath));
        EXPECT_EQ(After["Dialing Parameters"][""]["Pause Time"], Value) << BoxTexts();
        EXPECT_EQ(After["System"][""]["Operating Mode"], "ON LINE") << BoxTexts();
        EXPECT_EQ(Dialogs.Boxes.size(), 1u) << "only the question: " << BoxTexts();
    }
    // A section read works as well.
    EXPECT_TRUE(M.ReadSystemInformation(true)) << BoxTexts();
    EXPECT_EQ(Terminal->ComTerminal->Terminal().ComPort(), M.ComPort.get()) << "the terminal has the port again";
}

TEST_F(MainRoads, AFileWithBytesAfterItsDataOpensWithAWord)
{
    StartSim();
    const std::string File = Dir() + "appended.sav";
    TMainForm& M = StartMain();
    ASSERT_NO_FATAL_FAILURE(LoadAllIntoFile(M, File));
    const size_t Size = std::filesystem::file_size(File);
    std::ofstream(File, std::ios::binary | std::ios::app) << std::string(1000, 'j');
    for (const auto& [Appended, Told] : {std::pair<size_t, bool>{0, false}, {1000, true}}) {
        SCOPED_TRACE(Appended);
        std::filesystem::resize_file(File, Size + Appended);
        Dialogs.Boxes.clear();
        Dialogs.FileAnswers = {File};
        M.FileOpen1Execute();
        EXPECT_FALSE(M.NoData) << BoxTexts();
        EXPECT_EQ(M.FileName, File);
        EXPECT_EQ(BoxHolds("holds 1000 bytes after the end of its data, which were not read"), Told) << BoxTexts();
        EXPECT_EQ(Dialogs.Boxes.size(), Told ? 1u : 0u) << BoxTexts();
    }
}

TEST_F(MainRoads, AGarbledSectionIsReadAgainOrToldNeverKeptInSilence)
{
    // A noisy line (a byte in a hundred) in interactive mode, as a window's opening reads its section.
    StartSim({"--noise", "0.01", "--seed", "324"});
    TMainForm& M = StartMain(false);
    for (int Try = 0; Try < 3 && !M.Connected; ++Try)
        M.ConnectSet1Execute();
    if (!M.Connected) {
        GTEST_SKIP() << "the line was too noisy to log in: " << BoxTexts();
    }
    // One reading again per read keeps the test short; the count is the engine's to choose.
    M.ManagerVMU->ReadAgainCount = 1;
    for (int Attempt = 0; Attempt < 3; ++Attempt) {
        SCOPED_TRACE(Attempt);
        Dialogs.Boxes.clear();
        if (TXmlNode* Old = M.DataDoc->FindNode(nullptr, "Dialing Parameters"))
            M.DataDoc->RemoveNode(Old);
        const bool Read = M.LoadSectionFromVMU(M.ParamsNode, "Dialing Parameters", doLoad, "");
        TXmlNode* Section = M.DataDoc->FindNode(nullptr, "Dialing Parameters");
        if (!Read) {
            // Told once, with what went wrong; nothing garbled stays behind.
            ASSERT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
            EXPECT_GT(Dialogs.LastText().size(), std::string(Utilits::SErrorLoadFromVMU).size() + 20) << BoxTexts();
            EXPECT_EQ(Section, nullptr);
            continue;
        }
        ASSERT_NE(Section, nullptr);
        TXmlWalk Walk;
        for (TXmlNode* N = Walk.First(Section, Section); N; N = Walk.Next(N)) {
            if (N->Attrs.Find("Value")) {
                EXPECT_EQ(CheckValue(ValueRuleOf(N->GetTemplate()), N->GetValue()), "")
                    << N->GetName() << " = " << ShownValue(N->GetValue());
            }
        }
        EXPECT_NE(M.DataDoc->FindNode(Section, "Pause Time"), nullptr);
    }
}
