// Help in the running program, offscreen: F1 on the main window and on child windows, the help viewer's windows
// and their life with the main window and over a modal dialog, and what's-this popups on controls.
#include "ShellFixture.h"

#include "common/ui/BaseMDI.h"
#include "common/ui/UtilitsUi.h"
#include "help/HelpStore.h"
#include "shell/FormRegistry.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {
// A child window as the section windows are made: its help keyword comes from its view parameters.
class THelpTestForm : public TBaseMDIForm {
public:
    explicit THelpTestForm(const TFormCreation& C) : TBaseMDIForm(C) {}
};

class CountPresses : public QObject {
public:
    int Presses = 0, Releases = 0;
    bool eventFilter(QObject*, QEvent* E) override
    {
        Presses += E->type() == QEvent::MouseButtonPress;
        Releases += E->type() == QEvent::MouseButtonRelease;
        return false;
    }
};
}

class MainHelp : public TShellFixture {
protected:
    TMainForm& StartWithHelp()
    {
        QDir Src(QString(ORLANTIS_BIN_DIR) + "/Orlantis.help");
        QDir().mkpath(QString::fromStdString(Dir()) + "Orlantis.help");
        for (const QString& F : Src.entryList(QDir::Files))
            QFile::copy(Src.filePath(F), QString::fromStdString(Dir()) + "Orlantis.help/" + F);
        WriteDescription();
        TMainForm& M = Start();
        M.Help->Router->SetHost(&M.Help->Viewer);
        M.resize(900, 600);
        M.show();
        M.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&M));
        return M;
    }
    THelpTestForm* OpenChild(TMainForm& M, const std::string& Keyword)
    {
        TFormParams P;
        P.Caption = "Child";
        P.HelpContextName = Keyword;
        auto* F = TBaseMDIForm::Create<THelpTestForm>(M.MdiArea, TFormKinds{2}, P);
        F->show();
        M.MdiArea->setActiveSubWindow(F);
        return F;
    }
    THelpWindow* HelpWindow(const char* Name) { return Main->Help->Viewer.Window(Name); }
    std::string PopupText()
    {
        QApplication::processEvents();
        auto* L = qobject_cast<QLabel*>(Main->Help->Viewer.Popup());
        return L ? L->text().toStdString() : std::string("<no popup>");
    }
};

TEST_F(MainHelp, F1OnTheMainWindowOpensTheContentsAndOnAChildItsTopic)
{
    TMainForm& M = StartWithHelp();
    QTest::keyClick(&M, Qt::Key_F1);
    THelpWindow* Contents = HelpWindow("Main");
    ASSERT_NE(Contents, nullptr);
    EXPECT_TRUE(Contents->isVisible());
    EXPECT_EQ(Contents->CurrentTopic(), "Main.htm");
    EXPECT_GT(Contents->ContentsTree()->topLevelItemCount(), 2);
    EXPECT_FALSE(Contents->testAttribute(Qt::WA_QuitOnClose));

    OpenChild(M, "RS232CParameters");
    M.activateWindow();
    QTest::keyClick(M.MdiArea, Qt::Key_F1);
    THelpWindow* Topic = HelpWindow("GridForm");
    ASSERT_NE(Topic, nullptr);
    EXPECT_EQ(Topic->CurrentTopic(), "RS232CParameters.htm");
    EXPECT_TRUE(Topic->Browser()->toPlainText().contains("Baud Rate"));

    // A link in the topic leads to another topic of the folder; one leading out is refused.
    Topic->ShowTopic("Sections.htm");
    EXPECT_EQ(Topic->CurrentTopic(), "Sections.htm");
    EXPECT_FALSE(Topic->ShowTopic("../Orlantis.dat"));
    emit Topic->Browser()->anchorClicked(QUrl("../Orlantis.dat"));
    EXPECT_EQ(Topic->CurrentTopic(), "Sections.htm");
    emit Topic->Browser()->anchorClicked(QUrl("COS.htm"));
    EXPECT_EQ(Topic->CurrentTopic(), "COS.htm");
}

TEST_F(MainHelp, AWindowMarkedWithADashHasNoHelp)
{
    TMainForm& M = StartWithHelp();
    OpenChild(M, "-");
    QTest::keyClick(M.MdiArea, Qt::Key_F1);
    EXPECT_EQ(HelpWindow("Main"), nullptr);
    EXPECT_EQ(HelpWindow("GridForm"), nullptr);
}

TEST_F(MainHelp, HelpWindowsCloseWithTheMainWindow)
{
    TMainForm& M = StartWithHelp();
    M.HelpHelp1->trigger();
    QPointer<THelpWindow> W = HelpWindow("Main");
    ASSERT_TRUE(W);
    EXPECT_TRUE(W->isVisible());
    EXPECT_TRUE(M.close());
    EXPECT_TRUE(!W || !W->isVisible());
}

TEST_F(MainHelp, HelpOverAModalDialogCanBeUsedAndOutlivesIt)
{
    TMainForm& M = StartWithHelp();
    auto* D = new QDialog(&M);
    D->setModal(true);
    D->show();
    D->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(D));
    ASSERT_EQ(QApplication::activeModalWidget(), D);
    QTest::keyClick(D, Qt::Key_F1);
    QPointer<THelpWindow> W = HelpWindow("Main");
    ASSERT_TRUE(W);
    EXPECT_TRUE(W->isVisible());
    EXPECT_EQ(W->parentWidget(), D) << "a window of the modal dialog is not blocked by it";
    D->close();
    delete D;
    ASSERT_TRUE(W) << "the help window outlives the dialog";
    EXPECT_EQ(W->parentWidget(), nullptr);
    EXPECT_TRUE(W->isVisible());
}

TEST_F(MainHelp, RightClickWhatsThisShowsTheControlsPopupOrTheNoTopicText)
{
    TMainForm& M = StartWithHelp();
    QWidget* Tree = M.DataTreeView->viewport();
    QPoint Local(20, 20);
    QContextMenuEvent E(QContextMenuEvent::Mouse, Local, Tree->mapToGlobal(Local));
    QApplication::sendEvent(Tree, &E);
    QApplication::processEvents();
    QMenu* Menu = M.Help->WhatsThis->PopupMenu();
    ASSERT_NE(Menu, nullptr);
    ASSERT_EQ(Menu->actions().size(), 1);
    EXPECT_EQ(Menu->actions()[0]->text(), "What's this?");
    Menu->actions()[0]->trigger();
    EXPECT_NE(PopupText().find("parameters tree"), std::string::npos) << PopupText();

    // A control that neither it nor any of its parents has help for.
    THelpTestForm* Child = OpenChild(M, "RS232CParameters");
    auto* Plain = new QLabel("x", Child->Client());
    Plain->setObjectName("Plain");
    Plain->setGeometry(0, 0, 40, 20);
    Plain->show();
    QContextMenuEvent E2(QContextMenuEvent::Mouse, QPoint(2, 2), Plain->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(Plain, &E2);
    QApplication::processEvents();
    ASSERT_NE(M.Help->WhatsThis->PopupMenu(), nullptr);
    M.Help->WhatsThis->PopupMenu()->actions()[0]->trigger();
    EXPECT_EQ(PopupText(), NoHelpTopicText);
}

TEST_F(MainHelp, ContextModeClickIsSwallowedWholeAndTheMenuKeyNeedsFocus)
{
    TMainForm& M = StartWithHelp();
    QWidget* Tree = M.DataTreeView->viewport();
    CountPresses Counter;
    Tree->installEventFilter(&Counter);
    QTest::keyClick(&M, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(M.Help->WhatsThis->WhatsThis().State(), 3);
    QTest::mouseClick(Tree, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Counter.Presses, 0);
    EXPECT_EQ(Counter.Releases, 0);
    EXPECT_EQ(M.Help->WhatsThis->WhatsThis().State(), 0);
    // The popup is asked for at the click; the tree has no "HelpContext" and the map names it.
    EXPECT_NE(PopupText().find("parameters tree"), std::string::npos);
    QTest::mouseClick(Tree, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Counter.Presses, 1);
    EXPECT_EQ(Counter.Releases, 1);

    // The context-menu key with nothing focused does nothing.
    if (QWidget* F = QApplication::focusWidget())
        F->clearFocus();
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    QTest::keyRelease(&M, Qt::Key_Menu);
    QApplication::processEvents();
    EXPECT_EQ(M.Help->WhatsThis->PopupMenu(), nullptr);
    EXPECT_EQ(M.Help->WhatsThis->WhatsThis().State(), 0);
    M.DataTreeView->setFocus();
    QTest::keyRelease(M.DataTreeView, Qt::Key_Menu);
    QApplication::processEvents();
    EXPECT_NE(M.Help->WhatsThis->PopupMenu(), nullptr);
}

// Windows that are still being written find their topic waiting: every section window class of the registry and
// every dialog has "<class without T and Form>.htm" in the help shipped beside the program.
TEST(ShippedHelp, EverySectionWindowAndDialogClassHasATopic)
{
    THelpStore S;
    ASSERT_TRUE(S.Load(std::string(ORLANTIS_BIN_DIR) + "/Orlantis.chm")) << S.Error();
    std::vector<std::string> Classes = {"TMainForm", "TTerminalForm", "TPrintGridForm", "TSetTimeForm",
        "TSetTimeFramesForm", "TSetTimePeriodForm", "TSetTimeDayForm", "TSetDateForm", "TSetMailboxNoForm",
        "TSetComPortForm", "TSetAdminPasswordForm", "TSetNewAdminPasswordForm", "TAboutBox"};
    for (const TSectionForm& F : SectionForms())
        Classes.push_back(F.FormClass);
    EXPECT_EQ(Classes.size(), 13u + 32u);
    for (std::string C : Classes) {
        std::string Name = C.substr(1);
        if (Name.size() > 4 && Name.compare(Name.size() - 4, 4, "Form") == 0)
            Name.resize(Name.size() - 4);
        if (Name == "AboutBox")
            Name = "About";
        if (Name == "Main")
            continue;   // the main window's help is the contents
        EXPECT_NE(S.ResolveTopic(Name + ".htm"), "") << C;
    }
}

// A picture of the help viewer on a section's topic for a person to look at (build/screenshots/).
TEST_F(MainHelp, ScreenshotOfTheViewerOnASectionTopic)
{
    TMainForm& M = StartWithHelp();
    OpenChild(M, "RS232CParameters");
    QTest::keyClick(M.MdiArea, Qt::Key_F1);
    THelpWindow* W = HelpWindow("GridForm");
    ASSERT_NE(W, nullptr);
    W->resize(900, 600);
    QApplication::processEvents();
    QString Dir = QString(ORLANTIS_BIN_DIR) + "/../screenshots";
    QDir().mkpath(Dir);
    EXPECT_TRUE(W->grab().save(Dir + "/help-viewer.png"));
}
