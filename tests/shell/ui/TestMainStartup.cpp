// The real start-up sequence against the built description document, and the ways it refuses to start.
#include "support/RecordingDialogs.h"
#include "ShellFixture.h"

#include "Version.h"
#include "common/ui/BaseMDI.h"
#include "engine/StepParameters.h"
#include "platform/IniFile.h"
#include "serial/SerPort.h"
#include "serial/ui/SerComboBox.h"
#include "shell/Logo.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>

namespace {

// What the tree must show, read straight from a description: the "TreeVisible" nodes below the 4.09 tree in
// document order with their depth, display name and hint.
struct TExpectedItem {
    int Depth;
    std::string Name, Hint;
    bool Grey;
};

// The node's "Show Info" value; a missing display name falls back to the node's own name.
std::string ShowInfo(const TXmlNode* Node, const char* Which)
{
    for (const auto& V : Node->Nodes)
        if (V->GetTag() == "VIEWPARAM" && V->GetName() == "Show Info")
            for (const auto& G : V->Nodes)
                if (G->GetName() == Which)
                    return G->GetValue();
    return std::string(Which) == "ParameterName" ? Node->GetName() : "";
}

void Expect(const TXmlNode* Node, int Depth, std::vector<TExpectedItem>& Out)
{
    if (Node->GetAttr("NotParseNode") == "Yes")
        return;
    if (Node->GetAttr("TreeVisible") == "Yes") {
        Out.push_back({Depth, ShowInfo(Node, "ParameterName"), ShowInfo(Node, "ParameterHint"),
            Node->GetAttr("NotCreateForm") == "Yes"});
        ++Depth;
    }
    for (const auto& C : Node->Nodes)
        Expect(C.get(), Depth, Out);
}

void Collect(QTreeWidgetItem* Item, int Depth, std::vector<TExpectedItem>& Out)
{
    Out.push_back({Depth, Item->text(0).toStdString(), Item->toolTip(0).toStdString(),
        Item->foreground(0).color() == QColor(0x80, 0x80, 0x80)});
    for (int i = 0; i < Item->childCount(); ++i)
        Collect(Item->child(i), Depth + 1, Out);
}

std::string Describe(const std::vector<TExpectedItem>& Items)
{
    std::string S;
    for (const auto& I : Items)
        S += std::string(size_t(I.Depth) * 2, ' ') + I.Name + " | " + I.Hint + (I.Grey ? " (grey)" : "") + "\n";
    return S;
}

} // namespace

class MainStartup : public TShellFixture {};

TEST_F(MainStartup, StartsInteractiveAndDisconnectedWithTheTreeOfTheDescription)
{
    WriteDescription();
    TMainForm& M = Start();
    ASSERT_FALSE(M.Terminated()) << Dialogs.LastText();
    EXPECT_TRUE(Dialogs.Boxes.empty());
    EXPECT_EQ(MainForm, &M);
    M.resize(1000, 700);
    M.show();

    EXPECT_EQ(M.windowTitle(), "Orlantis program");
    EXPECT_FALSE(M.BatchMode);
    EXPECT_FALSE(M.NoData);
    EXPECT_FALSE(M.TreeEnabled);
    ASSERT_NE(M.ParamsNode, nullptr);
    EXPECT_EQ(M.ParamsNode->GetName(), "VMU Parameters 409");
    EXPECT_EQ(M.StatusPanels[1]->text(), "Interactive Mode");
    EXPECT_EQ(M.StatusPanels[2]->text(), "Disconnected");
    EXPECT_FALSE(M.StatusPanels[3]->text().isEmpty());

    // The tree, item for item, as the description has it.
    std::vector<TExpectedItem> Want;
    Expect(M.ParamsNode, 0, Want);
    ASSERT_FALSE(Want.empty());
    std::vector<TExpectedItem> Got;
    ASSERT_NE(M.DataTreeView, nullptr);
    for (int i = 0; i < M.DataTreeView->topLevelItemCount(); ++i)
        Collect(M.DataTreeView->topLevelItem(i), 0, Got);
    EXPECT_EQ(Describe(Got), Describe(Want));
    // Disconnected in interactive mode the tree is grey as a whole.
    EXPECT_EQ(M.DataTreeView->palette().color(QPalette::Text), QColor(0x80, 0x80, 0x80));

    // The registry entries hang on the sections the table names.
    int Entries = 0;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(M.ParamsNode, M.TemplateDoc->Root()); N; N = Walk.Next(N))
        if (M.GetFormInfo(N))
            ++Entries;
    EXPECT_GT(Entries, 0);
    EXPECT_NE(M.GetFormInfoByName("Mailbox Listing"), nullptr);

    // Interactive and disconnected: no file commands, no device commands; connecting, the port setup, the modes,
    // the tree, help and exit are offered.
    auto On = [](QAction* A) { return A->isEnabled(); };
    for (QAction* A : {M.FileOpen1, M.FileClose1, M.FileSave1, M.FileSaveAs1, M.SystemTerminal1,
             M.SystemLoadDataFromVMU1, M.SystemSaveDataToVMU1, M.SystemSetONLINE1, M.SystemSetOFFLINE1,
             M.SystemPasswordAdmin1})
        EXPECT_FALSE(On(A)) << A->objectName().toStdString();
    for (QAction* A : M.ReportActions())
        EXPECT_FALSE(On(A)) << A->objectName().toStdString();
    for (QAction* A : {M.FileMode1, M.FileModeBatch1, M.FileModeInteractive1, M.FileShowTree1, M.FileExit1,
             M.ConnectSet1, M.ConnectPortSetting1, M.HelpHelp1, M.HelpAbout1})
        EXPECT_TRUE(On(A)) << A->objectName().toStdString();
    EXPECT_TRUE(M.FileModeInteractive1->isChecked());
    EXPECT_FALSE(M.FileModeBatch1->isChecked());
    EXPECT_TRUE(M.FileShowTree1->isChecked());
    EXPECT_EQ(M.FileMode1->text(), "&Mode (Interactive)");
    EXPECT_EQ(M.ConnectSet1->text(), "&Connect");
    EXPECT_EQ(M.ConnectSet1->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(M.FileClose1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));

    // The parameter menus stand between the fixed menus and Reports, Window, Help; their leaves are off while the
    // tree is.
    QList<QAction*> Bar = M.menuBar()->actions();
    ASSERT_GE(Bar.size(), 4);
    EXPECT_EQ(Bar[Bar.size() - 3], M.Reports2->menuAction());
    EXPECT_EQ(Bar[Bar.size() - 2], M.Window0->menuAction());
    EXPECT_EQ(Bar[Bar.size() - 1], M.Help0->menuAction());
    EXPECT_EQ(M.MenuIndex, Bar.size() - 4);
    QStringList Tops;
    for (int i = 0; i < M.DataTreeView->topLevelItemCount(); ++i)
        Tops << M.DataTreeView->topLevelItem(i)->text(0);
    QStringList MenuTops;
    for (int i = 3; i < Bar.size() - 3; ++i)
        MenuTops << Bar[i]->text();
    EXPECT_EQ(MenuTops, Tops);
    QMenu* First = Bar[3]->menu();
    ASSERT_NE(First, nullptr);
    for (QAction* A : First->actions()) {
        if (!A->menu()) {
            EXPECT_FALSE(A->isEnabled()) << A->text().toStdString();
        }
    }

    // Captions and hints of the actions come from the main window's description, where it gives them.
    TXmlNode* Desc = M.TemplateDoc->FindNode(M.FormPropertiesNode, "TMainForm");
    ASSERT_NE(Desc, nullptr);
    int Described = 0;
    TXmlWalk Texts;
    for (TXmlNode* G = Texts.First(Desc, M.TemplateDoc->Root()); G; G = Texts.Next(G)) {
        if (G->GetName() != "ActionList")
            continue;
        QAction* A = M.findChild<QAction*>(QString::fromStdString(G->GetAttr("ActionName")));
        ASSERT_NE(A, nullptr) << G->GetAttr("ActionName");
        if (A == M.FileMode_B1 || A == M.FileMode_I1 || A == M.ConnectSet_C1 || A == M.ConnectSet_D1)
            continue;
        ++Described;
        EXPECT_EQ(A->text().toStdString(), G->GetValue());
        EXPECT_EQ(A->statusTip().toStdString(), G->GetAttr("Hint"));
    }
    EXPECT_GT(Described, 20);
    EXPECT_EQ(M.FileMode1->statusTip(), M.FileMode_I1->statusTip());

    // Help and the clock.
    M.HelpHelp1->trigger();
    ASSERT_EQ(HelpHost.Calls.size(), 1u);
    EXPECT_EQ(HelpHost.Calls[0].Command, HH_DISPLAY_TOC);
    EXPECT_EQ(HelpHost.Calls[0].File, Dir() + "Orlantis.chm>Main");
    M.StatusPanels[3]->clear();
    M.StatusTimerTimer();
    EXPECT_FALSE(M.StatusPanels[3]->text().isEmpty());

    // Nothing modified: the window closes without a question.
    EXPECT_TRUE(M.close());
    EXPECT_TRUE(Dialogs.Boxes.empty());
    Main.reset();
    EXPECT_EQ(MainForm, nullptr);
}

TEST_F(MainStartup, AMissingOrUnreadableDescriptionEndsWithoutABoxButSaysWhyOnStderr)
{
    TMainForm& M = Start();
    EXPECT_EQ(M.StartupResult(), srNoDescription);
    EXPECT_NE(M.StartupError().find(DatPath()), std::string::npos) << M.StartupError();
    EXPECT_EQ(M.StartupError().find('\n'), std::string::npos);
    EXPECT_TRUE(Dialogs.Boxes.empty());
    Main.reset();

    for (std::string Content : {std::string(), std::string("not a description at all"), std::string(4096, '\xff')}) {
        FILE* F = std::fopen(DatPath().c_str(), "wb");
        ASSERT_NE(F, nullptr);
        std::fwrite(Content.data(), 1, Content.size(), F);
        std::fclose(F);
        TMainForm& Bad = Start();
        EXPECT_EQ(Bad.StartupResult(), srNoDescription) << Content.size();
        EXPECT_NE(Bad.StartupError().find(DatPath()), std::string::npos);
        EXPECT_TRUE(Dialogs.Boxes.empty());
        Main.reset();
    }
}

TEST_F(MainStartup, TemplateVersionMustFitInTheFirstThreeParts)
{
    const std::string Mismatch = "The data file version does not coincide with the program version\r\n"
                                 "Please load last version from our site.";
    struct TCase {
        std::string Version;   // "-" removes the attribute
        bool Accepted;
    };
    const std::string Own = ORLANTIS_TEMPLATE_VERSION;
    std::string OtherPatch = std::to_string(ORLANTIS_VERSION_MAJOR) + "." + std::to_string(ORLANTIS_VERSION_MINOR) +
        "." + std::to_string(ORLANTIS_VERSION_PATCH + 1);
    for (const TCase& C : {TCase{Own + ".9", true}, TCase{OtherPatch, false}, TCase{"-", false},
             TCase{"", false}, TCase{"one.zero.zero", false}}) {
        WriteDescription([&](TXmlDoc& Doc) {
            if (C.Version == "-")
                Doc.Root()->DeleteAttr("TemplateVersion");
            else
                Doc.Root()->SetAttr("TemplateVersion", C.Version);
        });
        Dialogs.Boxes.clear();
        TMainForm& M = Start();
        if (C.Accepted) {
            EXPECT_FALSE(M.Terminated()) << C.Version;
            EXPECT_TRUE(Dialogs.Boxes.empty()) << C.Version;
        } else {
            EXPECT_EQ(M.StartupResult(), srVersionMismatch) << C.Version;
            ASSERT_EQ(Dialogs.Boxes.size(), 1u) << C.Version;
            EXPECT_EQ(Dialogs.Boxes[0].Text, Mismatch);
            EXPECT_EQ(Dialogs.Boxes[0].Caption, "Error");
            EXPECT_EQ(Dialogs.Boxes[0].Type, mtError);
        }
        Main.reset();
    }
}

TEST_F(MainStartup, ADescriptionWithoutItsTreeOrItsLogInMenuIsAFormatError)
{
    for (const char* Missing : {"VMU Parameters 409", "Init VMU System Administrator Menu"}) {
        WriteDescription([&](TXmlDoc& Doc) {
            TXmlNode* N = Doc.FindNode(Doc.Root(), Missing);
            ASSERT_NE(N, nullptr) << Missing;
            Doc.RemoveNode(N);
        });
        Dialogs.Boxes.clear();
        TMainForm& M = Start();
        EXPECT_EQ(M.StartupResult(), srFormatError) << Missing;
        ASSERT_EQ(Dialogs.Boxes.size(), 1u);
        EXPECT_EQ(Dialogs.Boxes[0].Text, "Error format Orlantis.dat file.");
        EXPECT_EQ(Dialogs.Boxes[0].Caption, "Error");
        Main.reset();
    }
}

TEST_F(MainStartup, TheMessageTextsComeFromTheDescription)
{
    auto Replace = [](TXmlDoc& Doc) {
        TXmlNode* Group = Doc.FindNode(Doc.Root(), "Utilits Unit");
        ASSERT_NE(Group, nullptr);
        TXmlNode* Texts = Group->AddChild("VIEWPARAM");
        Texts->SetName("String Constants");
        TXmlNode* G = Texts->AddChild("GATTR");
        G->SetName("SInteractiveMode");
        G->SetValue("Online editing");
        TXmlNode* G2 = Texts->AddChild("GATTR");
        G2->SetName("SErrorFormatDataFile");
        G2->SetValue("Broken description.");
    };
    WriteDescription(Replace);
    EXPECT_EQ(Start().StatusPanels[1]->text(), "Online editing");
    Main.reset();
    ResetUtilitsTexts();

    // Without its tree the start stops, with the replaced text.
    WriteDescription([&](TXmlDoc& Doc) {
        Replace(Doc);
        Doc.RemoveNode(Doc.FindNode(Doc.Root(), "VMU Parameters 409"));
    });
    Start();
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, "Broken description.");
}

TEST_F(MainStartup, CommandLineWordsSwitchTheTracesWithoutRegardToCase)
{
    WriteDescription();
    TraceSwitches() = TTraceSwitches{};
    Start({"SAVE_STEPS", "whatever", "Save_TraceInfo"});
    EXPECT_TRUE(TraceSwitches().SaveSteps);
    EXPECT_FALSE(TraceSwitches().SaveStepsInfo);
    EXPECT_TRUE(TraceSwitches().SaveTraceInfo);
    TraceSwitches() = TTraceSwitches{};
}

TEST_F(MainStartup, PortSettingsAreReadAndTheDefaultsWrittenWhenTheSectionIsAbsent)
{
    WriteDescription();
    const std::string Ini = Dir() + "Orlantis.ini";
    {
        TIniFile Other(Ini);
        Other.WriteString("Other Section", "Key", "kept");
        Other.UpdateFile();
    }
    TMainForm& M = Start();
    ASSERT_FALSE(M.Terminated());
    EXPECT_EQ(M.GetSettingsFileName(), Ini);
    {
        TIniFile Written(Ini);
        EXPECT_EQ(Written.ReadSection("COM Port Setup"),
            (std::vector<std::string>{"Port", "BaudRate", "DataBits", "ParityBits", "StopBits"}));
        EXPECT_EQ(Written.ReadString("COM Port Setup", "Port", ""), "COM1");
        EXPECT_EQ(Written.ReadInteger("COM Port Setup", "BaudRate", -1), 7);
        EXPECT_EQ(Written.ReadInteger("COM Port Setup", "DataBits", -1), 3);
        EXPECT_EQ(Written.ReadString("Other Section", "Key", ""), "kept");
    }
    Main.reset();

    // A section that is there is read, and written back when the window goes.
    {
        TIniFile Own(Ini);
        Own.EraseSection("COM Port Setup");
        Own.WriteString("COM Port Setup", "Port", "/dev/pts/77");
        Own.WriteInteger("COM Port Setup", "BaudRate", 10);
        Own.UpdateFile();
    }
    TMainForm& Again = Start();
    EXPECT_EQ(Again.ComPort->Port(), "/dev/pts/77");
    EXPECT_EQ(Again.ComPort->BaudRate(), br38400);
    EXPECT_EQ(Again.ComPort->DataBits(), dbEight);
    EXPECT_FALSE(Again.PortOpen());
    Again.ComPort->SetBaudRate(br2400);
    Main.reset();
    EXPECT_EQ(TIniFile(Ini).ReadInteger("COM Port Setup", "BaudRate", -1), int(br2400));
    EXPECT_TRUE(Dialogs.Boxes.empty());
}

// Runs Act on the next modal dialog once it shows.
void OnNextModal(std::function<void(QWidget&)> Act)
{
    auto* Timer = new QTimer;
    QObject::connect(Timer, &QTimer::timeout, [Timer, Act] {
        if (QWidget* Modal = QApplication::activeModalWidget()) {
            Timer->stop();
            Timer->deleteLater();
            Act(*Modal);
        }
    });
    Timer->start(10);
}

TEST_F(MainStartup, ARunsOwnPortIsUsedWhileTheSettingsKeepTheUsersUntilTheUserChoosesIt)
{
    WriteDescription();
    const std::string Ini = Dir() + "Orlantis.ini";
    {
        TIniFile Own(Ini);
        Own.WriteString("COM Port Setup", "Port", "/dev/ttyUSB3");
        Own.WriteInteger("COM Port Setup", "BaudRate", br4800);
        Own.UpdateFile();
    }
    auto SavedPort = [&] { return TIniFile(Ini).ReadString("COM Port Setup", "Port", ""); };
    const std::string RunPort = Dir() + "vmu";
    const QStringList Arguments = {QString::fromStdString("--port=" + RunPort)};
    auto PortBox = [](QWidget& Dialog) { return Dialog.findChild<TSerComboBox*>("ComboComPort"); };
    auto Ok = [](QWidget& Dialog) { Dialog.findChild<QPushButton*>("OKBtn")->click(); };

    TMainForm& M = Start(Arguments);
    EXPECT_EQ(M.ComPort->Port(), RunPort);
    EXPECT_EQ(M.ComPort->BaudRate(), br4800);   // the rest comes from the file
    // Port setup with the port left alone: the new baud rate is kept, the run's port is not written.
    OnNextModal([&](QWidget& D) {
        D.findChild<QComboBox*>("ComboBaudRate")->setCurrentText("19200");
        Ok(D);
    });
    M.ConnectPortSetup1Execute();
    EXPECT_EQ(M.ComPort->Port(), RunPort);
    EXPECT_EQ(SavedPort(), "/dev/ttyUSB3");
    Main.reset();
    EXPECT_EQ(SavedPort(), "/dev/ttyUSB3");
    EXPECT_EQ(TIniFile(Ini).ReadInteger("COM Port Setup", "BaudRate", -1), int(br19200));

    // Another port typed: kept. The run's port is still offered, and picked again it is the user's choice.
    TMainForm& Again = Start(Arguments);
    OnNextModal([&](QWidget& D) {
        if (!PortBox(D)->lineEdit()) {
            ADD_FAILURE() << "the port cannot be typed";
            D.findChild<QPushButton*>("CancelBtn")->click();
            return;
        }
        PortBox(D)->lineEdit()->selectAll();
        QTest::keyClicks(PortBox(D)->lineEdit(), "COM2");
        Ok(D);
    });
    Again.ConnectPortSetup1Execute();
    EXPECT_EQ(Again.ComPort->Port(), "COM2");
    EXPECT_EQ(SavedPort(), "COM2");
    bool Offered = false;
    OnNextModal([&](QWidget& D) {
        TSerComboBox* Box = PortBox(D);
        const int Index = Box->findText(QString::fromStdString(RunPort));
        Offered = Index >= 0;
        Box->setCurrentIndex(Index);
        emit Box->activated(Index);
        Ok(D);
    });
    Again.ConnectPortSetup1Execute();
    EXPECT_TRUE(Offered);
    EXPECT_EQ(Again.ComPort->Port(), RunPort);
    EXPECT_EQ(SavedPort(), RunPort);
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
}

TEST_F(MainStartup, TheProgramItselfEndsWithAStatusAndOneLineWhenItsDescriptionIsMissing)
{
    const QString Program = QString::fromStdString(Dir()) + "orlantis";
    ASSERT_TRUE(QFile::copy(QString(ORLANTIS_BIN_DIR) + "/orlantis", Program));
    QProcess P;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("QT_QPA_PLATFORM", "offscreen");
    P.setProcessEnvironment(Env);
    P.start(Program, {});
    ASSERT_TRUE(P.waitForFinished(60000));
    EXPECT_EQ(P.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(P.exitCode(), 0);
    QStringList Lines;
    for (const QString& L : QString::fromLocal8Bit(P.readAllStandardError()).split('\n', Qt::SkipEmptyParts))
        if (L.startsWith("orlantis:"))
            Lines << L;
    ASSERT_EQ(Lines.size(), 1) << P.readAllStandardError().toStdString();
    EXPECT_TRUE(Lines[0].contains(QString::fromStdString(DatPath()))) << Lines[0].toStdString();
}

TEST_F(MainStartup, WithoutADesktopSessionTheProgramSaysSoInOneLine)
{
    QProcess P;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.remove("QT_QPA_PLATFORM");
    Env.remove("DISPLAY");
    Env.remove("WAYLAND_DISPLAY");
    P.setProcessEnvironment(Env);
    P.start(QString(ORLANTIS_BIN_DIR) + "/orlantis", {});
    ASSERT_TRUE(P.waitForFinished(60000));
    EXPECT_EQ(P.exitStatus(), QProcess::NormalExit);   // no abort
    EXPECT_EQ(P.exitCode(), 1);
    const QStringList Lines = QString::fromLocal8Bit(P.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(Lines.size(), 1);
    EXPECT_TRUE(Lines[0].contains("xvfb-run")) << Lines[0].toStdString();
}

TEST_F(MainStartup, TheSplashGoesBeforeTheFirstBoxOfTheStartUp)
{
    TRecordingDialogs Target;
    auto Logo = std::make_unique<TLogoForm>();
    Logo->show();
    QPointer<TLogoForm> Shown = Logo.get();
    TSplashDialogs Startup(Target, Logo);
    Startup.MessageBox("Unable to read the settings", "Error", mtError, mbOK);
    EXPECT_TRUE(Shown.isNull());
    ASSERT_EQ(Target.Boxes.size(), 1u);
    Startup.MessageBox("again", "Error", mtError, mbOK);   // no splash left: the box still shows
    EXPECT_EQ(Target.Boxes.size(), 2u);
}
