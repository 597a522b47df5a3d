// The real main window against the device simulator when the line dies: an Apply cut short gives one box that
// says how much of the section the device took, the window keeps the rest marked as changed, the status bar
// follows the line at once, and the close question on a dead line says what each answer does. A Load all that
// fails and a data file that is refused both leave the open document as it was.
#include "FormsOnDevice.h"

#include "vmusim/SimProcess.h"

#include "forms/simple/DialingParameters.h"
#include "shell/FormRegistry.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TDialingParametersForm>()};

// The write was cut short: No says what becomes of the part the device may hold.
const char* const DeadLineQuestion =
    "The connection to the VMU is lost, so the changes in this window cannot be written to it now.\r\n"
    "Yes: keep the window open with its changes, to apply them once the VMU is connected again.\r\n"
    "No: close the window and drop its changes. A write of them was cut short, so the VMU may hold part of them: "
    "once it is connected again, it is brought back to what it held before they were applied.";

class LineLossOnDevice : public TFormsOnDevice {
protected:
    void StartSimWith(std::vector<std::string> Args)
    {
        for (const std::string& A : {SavedPath, std::string("--save-state"), StatePath, std::string("--state")})
            Args.insert(Args.begin(), A);
        Sim = std::make_unique<TSimProcess>(Args);
        ASSERT_TRUE(Sim->Started());
        Sim->CloseLine();
    }
    int BoxesStartingWith(const std::string& Text) const
    {
        return int(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(),
            [&](const auto& B) { return B.Text.rfind(Text, 0) == 0; }));
    }
};

} // namespace

TEST_F(LineLossOnDevice, AnApplyCutShortSaysHowMuchTheDeviceTookAndTheWindowKeepsTheRest)
{
    // Every answer comes late, so that the line can be cut between two values.
    StartSimWith({"--slow", "40"});
    TMainForm& M = StartMain(false);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    auto* Dialing = OpenFromTree<TDialingParametersForm>("Dialing Parameters");
    ASSERT_NE(Dialing, nullptr);
    TypeInto(Dialing, 1, 2, "7");
    TypeInto(Dialing, 1, 3, "150");
    TypeInto(Dialing, 1, 4, "fp");
    ASSERT_TRUE(Dialing->Modified);

    // The plug is pulled while the device takes the second value: the first one it has confirmed, the second not
    // (its answer never comes). Meanwhile the status bar is watched.
    std::vector<std::string> PanelWhileLineDown;
    QTimer Watch;
    Watch.setInterval(2);
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        if (Sim && Saved()["Dialing Parameters"][""]["DTMF Tone Duration"] == "150")
            Sim.reset();
        if (!M.DSRState && M.PortOpen())
            PanelWhileLineDown.push_back(FromQ(M.StatusPanels[2]->text()));
    });
    Watch.start();
    QTest::mouseClick(Dialing->ButtonApply, Qt::LeftButton);
    ASSERT_EQ(Sim, nullptr) << "the device never took the second value: " << BoxTexts();
    const TState After = Saved();
    EXPECT_EQ(After.at("Dialing Parameters").at("").at("Pause Time"), "7");
    EXPECT_EQ(After.at("Dialing Parameters").at("").at("Transfer Dialing Sequence"), "F");

    // One box, naming the share the device confirmed, what may have been stored unconfirmed, what the next Apply
    // does, and that the line is lost.
    EXPECT_EQ(BoxesStartingWith(Utilits::SErrorSaveToVMU), 1) << BoxTexts();
    EXPECT_EQ(BoxCount(Utilits::SErrorSaveToVMU +
                  "\r\nThe VMU confirmed 1 of the 3 changed values. The value being sent when the line was lost may "
                  "have been stored as well.\r\nWhat the VMU now holds of the section is not known: the next Apply "
                  "or save reads the section back from the VMU first and sends only what it then lacks.\r\n" +
                  Utilits::SConnectionCorrupted),
        1)
        << BoxTexts();
    ASSERT_NE(Data("Dialing Parameters"), nullptr);
    EXPECT_EQ(Data("Dialing Parameters")->GetAttr("Unsettled"), "Yes");
    // The window still holds the edits, marked as changed; what the device took is settled in the document.
    EXPECT_TRUE(Dialing->Modified);
    EXPECT_EQ(FromQ(Dialing->windowTitle()), "Dialing Parameters*");
    EXPECT_EQ(Dialing->Grid->Cells(1, 3), "150");
    EXPECT_EQ(Data("Pause Time")->GetAttr("Change"), "NoChange");
    EXPECT_EQ(Data("DTMF Tone Duration")->GetAttr("Change"), "Modify");
    EXPECT_EQ(Data("Transfer Dialing Sequence")->GetAttr("Change"), "Modify");

    // The status timer ends the connection; the window asks on the dead line and is kept by Yes.
    Dialogs.Answers = {mrYes};
    EXPECT_TRUE(QTest::qWaitFor([&] { return !M.PortOpen(); }, 20000));
    Watch.stop();
    ASSERT_FALSE(PanelWhileLineDown.empty());
    for (const std::string& Text : PanelWhileLineDown)
        EXPECT_EQ(Text, Utilits::SDisconnected);
    // One lost line, one box: the status timer's own box is not shown again, and the explanation came before the
    // window's question.
    EXPECT_EQ(BoxCount(DeadLineQuestion), 1) << BoxTexts();
    EXPECT_EQ(BoxCount(Utilits::SConnectionCorrupted), 0) << BoxTexts();
    EXPECT_EQ(BoxesStartingWith(Utilits::SErrorSaveToVMU), 1) << BoxTexts();
    EXPECT_EQ(Dialogs.Boxes.size(), 2u) << BoxTexts();
    EXPECT_EQ(Dialogs.Boxes.back().Text, DeadLineQuestion) << BoxTexts();
    ASSERT_EQ(M.ChildForms().size(), 1u);
    EXPECT_TRUE(Dialing->Modified);
    EXPECT_EQ(Data("Transfer Dialing Sequence")->GetAttr("Change"), "Modify");

    // No closes the window and drops the changes, as the question said; the put-back waits for a connection.
    Dialogs.Answers = {mrNo};
    Dialing->close();
    QApplication::processEvents();
    EXPECT_EQ(BoxCount(DeadLineQuestion), 2) << BoxTexts();
    EXPECT_TRUE(M.ChildForms().empty());
    EXPECT_TRUE(M.PutBacksPending());
}

TEST_F(LineLossOnDevice, AFailedLoadAndARefusedFileLeaveTheOpenDocumentAsItWas)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(true, true));
    TMainForm& M = *Main;
    const std::string File = Dir() + "open.sav", Cut = Dir() + "cut.sav";
    Dialogs.FileAnswers = {File};
    ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
    const std::string Caption = FromQ(M.windowTitle());
    const int Nodes = M.DataDoc->NodeCount();
    const int TreeItems = M.DataTreeView->topLevelItemCount();
    ASSERT_GT(TreeItems, 0);
    auto Unchanged = [&](const char* Step) {
        SCOPED_TRACE(Step);
        EXPECT_FALSE(M.NoData);
        EXPECT_EQ(M.FileName, File);
        EXPECT_FALSE(M.Modified);
        EXPECT_EQ(FromQ(M.windowTitle()), Caption);
        EXPECT_EQ(M.DataDoc->NodeCount(), Nodes);
        EXPECT_EQ(M.DataTreeView->topLevelItemCount(), TreeItems);
        ASSERT_NE(Data("Pause Time"), nullptr);
        EXPECT_EQ(Data("Pause Time")->GetValue(), "2");
        EXPECT_NE(Data("Pause Time")->GetTemplate(), nullptr) << "the links to the description are kept";
    };

    // The line drops in the middle of the next Load all.
    M.ConnectSet1Execute();
    ASSERT_FALSE(M.PortOpen());
    Sim.reset();
    {
        std::vector<std::string> Args = {"--state", StatePath, "--drop-after", "4000"};
        Sim = std::make_unique<TSimProcess>(Args);
        ASSERT_TRUE(Sim->Started());
        Sim->CloseLine();
    }
    M.ComPort->SetPort(Sim->PtyPath());
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    M.SystemLoadDataFromVMU1Execute();
    EXPECT_EQ(BoxCount(Utilits::SErrorLoadFromVMU), 1) << BoxTexts();
    Unchanged("failed load");

    // A file cut short is refused, and the open one stays.
    const std::string Bytes = ReadFile(File);
    std::ofstream(Cut, std::ios::binary) << Bytes.substr(0, Bytes.size() / 2);
    Dialogs.Boxes.clear();
    Dialogs.FileAnswers = {Cut};
    M.FileOpen1Execute();
    EXPECT_FALSE(Dialogs.Boxes.empty());
    Unchanged("refused file");
}
