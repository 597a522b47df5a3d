// Help in the running program, offscreen: F1 on the main window and on child windows, the help viewer's windows
// and their life with the main window and over a modal dialog, what's-this popups on controls and on menu items,
// the context-mode item and button, the caption's help button, the rest during a device job, and a damaged folder.
#include "ShellFixture.h"

#include "common/ui/BaseMDI.h"
#include "common/ui/UtilitsUi.h"
#include "forms/base/BaseGrid.h"
#include "help/HelpStore.h"
#include "shell/FormRegistry.h"

#include "common/LongOperation.h"
#include "common/ui/ExecuteDialog.h"
#include "help/ui/WhatsThisFilter.h"
#include "platform/Exception.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWhatsThis>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace {
// A child window as the section windows are made: its help keyword comes from its view parameters.
class THelpTestForm : public TBaseMDIForm {
public:
    explicit THelpTestForm(const TFormCreation& C) : TBaseMDIForm(C) {}
};

// A section window: grid, buttons and status bar of the section form base, without a section to show.
class THelpSectionForm : public TBaseGridForm {
public:
    explicit THelpSectionForm(const TFormCreation& C) : TBaseGridForm(C) {}
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

    // Every name of the contents whole, its branches all opened.
    Contents->ContentsTree()->expandAll();
    QApplication::processEvents();
    EXPECT_LE(static_cast<QAbstractItemView*>(Contents->ContentsTree())->sizeHintForColumn(0),
        Contents->ContentsTree()->viewport()->width());
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

// The section windows give their grid, cells and buttons no help of their own: "What's this?" on any of them opens
// the window's topic, as F1 does there, whether asked by a right click or in context mode; a section window without
// a topic ("-") still says that there is no help.
TEST_F(MainHelp, WhatsThisOnAControlOfASectionWindowOpensTheWindowsTopic)
{
    TMainForm& M = StartWithHelp();
    auto OpenSection = [&](const std::string& Keyword) {
        TFormParams P;
        P.Caption = "Section";
        P.HelpContextName = Keyword;
        P.Width = 400;
        P.Height = 300;
        auto* F = TBaseMDIForm::Create<THelpSectionForm>(M.MdiArea, TFormKinds{2}, P);
        EXPECT_NE(F, nullptr);
        F->show();
        M.MdiArea->setActiveSubWindow(F);
        QApplication::processEvents();
        return F;
    };
    THelpSectionForm* F = OpenSection("HolidayListing");
    ASSERT_NE(F, nullptr);
    QWidget* Grid = F->Grid->viewport();
    QContextMenuEvent E(QContextMenuEvent::Mouse, QPoint(5, 5), Grid->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Grid, &E);
    QApplication::processEvents();
    ASSERT_NE(M.Help->WhatsThis->PopupMenu(), nullptr);
    M.Help->WhatsThis->PopupMenu()->actions()[0]->trigger();
    QApplication::processEvents();
    THelpWindow* Topic = HelpWindow("GridForm");
    ASSERT_NE(Topic, nullptr) << PopupText();
    EXPECT_EQ(Topic->CurrentTopic(), "HolidayListing.htm");
    EXPECT_TRUE(Topic->Browser()->toPlainText().contains("Holiday"));
    EXPECT_EQ(M.Help->Viewer.Popup(), nullptr);

    // Shift+F1, then a click on Apply: the topic, and Apply is not pressed. (The help window, a window of its own,
    // is put away first, so that the click reaches the section window wherever the two lie.)
    Topic->ShowTopic("Sections.htm");
    Topic->hide();
    int Applied = 0;
    F->ButtonApply->setEnabled(true);
    QObject::connect(F->ButtonApply, &QPushButton::clicked, F, [&] { ++Applied; });
    QTest::keyClick(F->Grid, Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(M.Help->WhatsThis->WhatsThis().State(), 3);
    QTest::mouseClick(F->ButtonApply, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(Applied, 0);
    ASSERT_NE(HelpWindow("GridForm"), nullptr);
    EXPECT_TRUE(HelpWindow("GridForm")->isVisible());
    EXPECT_EQ(HelpWindow("GridForm")->CurrentTopic(), "HolidayListing.htm") << PopupText();

    // No topic: the popup says so, and no window opens.
    THelpSectionForm* Dash = OpenSection("-");
    ASSERT_NE(Dash, nullptr);
    HelpWindow("GridForm")->ShowTopic("Sections.htm");
    HelpWindow("GridForm")->hide();
    QWidget* DashGrid = Dash->Grid->viewport();
    QContextMenuEvent E2(QContextMenuEvent::Mouse, QPoint(5, 5), DashGrid->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(DashGrid, &E2);
    QApplication::processEvents();
    ASSERT_NE(M.Help->WhatsThis->PopupMenu(), nullptr);
    M.Help->WhatsThis->PopupMenu()->actions()[0]->trigger();
    EXPECT_EQ(PopupText(), NoHelpTopicText);
    EXPECT_EQ(HelpWindow("GridForm")->CurrentTopic(), "Sections.htm");
    EXPECT_FALSE(HelpWindow("GridForm")->isVisible());
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

TEST_F(MainHelp, ARightClickOnAMainMenuItemAndF1OnAHighlightedOneGiveThatItemsHelp)
{
    TMainForm& M = StartWithHelp();
    const bool TreeShown = M.FileShowTree1->isChecked();
    M.File0->popup(M.mapToGlobal(QPoint(10, 30)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(M.File0));
    M.File0->setActiveAction(M.FileShowTree1);
    ASSERT_EQ(M.File0->activeAction(), M.FileShowTree1);
    QTest::mouseClick(M.File0, Qt::RightButton, {}, M.File0->actionGeometry(M.FileShowTree1).center());
    EXPECT_EQ(PopupText(), "Shows or hides the parameters tree.");
    EXPECT_FALSE(M.File0->isVisible()) << "the menus close for the popup";
    EXPECT_EQ(M.FileShowTree1->isChecked(), TreeShown) << "the item itself did not run";

    // F1 on a highlighted item; an item without a popup of its own takes its menu's.
    M.Help0->popup(M.mapToGlobal(QPoint(10, 30)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(M.Help0));
    M.Help0->setActiveAction(M.HelpAbout1);
    QTest::keyClick(M.Help0, Qt::Key_F1);
    EXPECT_EQ(PopupText(), "Shows the program's version and how to reach the support.");
    EXPECT_EQ(HelpWindow("Main"), nullptr) << "F1 in a menu is not the window's help";
    EXPECT_FALSE(M.Help0->isVisible());
    M.Window0->popup(M.mapToGlobal(QPoint(10, 30)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(M.Window0));
    QAction* Listed = M.Window0->addAction("1 A window");
    M.Window0->setActiveAction(Listed);
    QTest::keyClick(M.Window0, Qt::Key_F1);
    EXPECT_EQ(PopupText().rfind("The Window menu", 0), 0u) << PopupText();

    // Outside a menu F1 is the window's help as before.
    QTest::keyClick(&M, Qt::Key_F1);
    EXPECT_NE(HelpWindow("Main"), nullptr);
}

// The main window has no context-mode menu item or tool button; a window of the test's own carries both.
TEST_F(MainHelp, AContextModeMenuItemAndToolButtonToggleTheModeInsteadOfTheirOwnWork)
{
    TMainForm& M = StartWithHelp();
    TWhatsThisFilter& F = *M.Help->WhatsThis;
    TWhatsThis& W = F.WhatsThis();
    QWidget Own;
    Own.setObjectName("OwnForm");
    auto* Bar = new QMenuBar(&Own);
    QMenu* Menu = Bar->addMenu("&Help");
    QAction* Item = Menu->addAction("Context help");
    Item->setShortcut(QKeySequence(Qt::Key_F5));
    auto* Button = new QToolButton(&Own);
    Button->setGeometry(10, 40, 30, 30);
    int ItemRuns = 0, ButtonRuns = 0;
    QObject::connect(Item, &QAction::triggered, [&] { ++ItemRuns; });
    QObject::connect(Button, &QToolButton::clicked, [&] { ++ButtonRuns; });
    Own.resize(200, 100);
    Own.show();
    Own.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Own));

    try {
        F.SetWTMenuItem(Item);
        ADD_FAILURE() << "set while active";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message, "TWhatsThis must be deactivated to change this property");
    }
    EXPECT_EQ(Item->shortcut(), QKeySequence(Qt::Key_F5));
    W.SetActive(false);
    F.SetWTMenuItem(Item);
    F.SetWTToolbarButton(Button);
    EXPECT_EQ(Item->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    W.SetActive(true);

    // The button's click enters context mode and shows it down; the item shows it checked.
    QTest::mouseClick(Button, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(W.State(), 3);
    EXPECT_TRUE(Item->isChecked());
    EXPECT_TRUE(Button->isChecked());
    // In context mode the button's click is its own again: it ends the mode instead of being picked.
    QTest::mouseClick(Button, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(W.State(), 0);
    EXPECT_FALSE(Item->isChecked());
    EXPECT_FALSE(Button->isChecked());
    // Shift+F1, the item's new shortcut, reaches the component once.
    QTest::keyClick(&Own, Qt::Key_F1, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(W.State(), 3);
    EXPECT_TRUE(Item->isChecked());
    // The menu item's click ends it.
    Menu->popup(Own.mapToGlobal(QPoint(0, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Menu));
    Menu->setActiveAction(Item);
    QTest::mouseClick(Menu, Qt::LeftButton, {}, Menu->actionGeometry(Item).center());
    QApplication::processEvents();
    EXPECT_EQ(W.State(), 0);
    EXPECT_FALSE(Item->isChecked());
    EXPECT_EQ(ItemRuns, 0);
    EXPECT_EQ(ButtonRuns, 0);

    // Inactive, both do their own work again.
    W.SetActive(false);
    Item->trigger();
    QTest::mouseClick(Button, Qt::LeftButton);
    EXPECT_EQ(ItemRuns, 1);
    EXPECT_EQ(ButtonRuns, 1);
    delete Item;
    EXPECT_EQ(W.WTMenuItem(), nullptr) << "a deleted item is forgotten";
    W.SetActive(true);
}

TEST_F(MainHelp, WhatsThisRestsWhileADeviceJobRuns)
{
    TMainForm& M = StartWithHelp();
    struct TWaitJob : TLongOperation {
        std::atomic<bool> Go{false};
        void Execute() override
        {
            for (int i = 0; i < 2000 && !Go; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    } Job;
    TWhatsThis& W = M.Help->WhatsThis->WhatsThis();
    bool Checked = false, HooksDuringJob = true;
    int StateAfterShiftF1 = -1;
    QTimer Poll;
    QObject::connect(&Poll, &QTimer::timeout, [&] {
        if (Checked || !M.ExecuteForm->isVisible())
            return;
        Checked = true;
        HooksDuringJob = W.HooksInstalled();
        QTest::keyClick(M.ExecuteForm, Qt::Key_F1, Qt::ShiftModifier);
        StateAfterShiftF1 = W.State();
        Job.Go = true;
    });
    Poll.start(10);
    M.ExecuteModal(false, &Job);
    Poll.stop();
    ASSERT_TRUE(Checked);
    EXPECT_FALSE(HooksDuringJob);
    EXPECT_EQ(StateAfterShiftF1, 0) << "no context mode over the progress dialog";
    EXPECT_TRUE(W.HooksInstalled()) << "back once the job is done";
    EXPECT_TRUE(W.Active());
    QTest::keyClick(&M, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(W.State(), 3);
    QTest::keyClick(&M, Qt::Key_Escape);
}

TEST_F(MainHelp, TheCaptionHelpButtonPicksTheNextClickedControl)
{
    TMainForm& M = StartWithHelp();
    QWidget* Tree = M.DataTreeView->viewport();
    CountPresses Counter;
    Tree->installEventFilter(&Counter);
    QWhatsThis::enterWhatsThisMode();   // what the caption's help button does
    QApplication::processEvents();
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode()) << "the component takes over";
    EXPECT_EQ(M.Help->WhatsThis->WhatsThis().State(), 2);
    QTest::mouseClick(Tree, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Counter.Presses, 0);
    EXPECT_EQ(Counter.Releases, 0);
    EXPECT_NE(PopupText().find("parameters tree"), std::string::npos) << PopupText();
    EXPECT_EQ(M.Help->WhatsThis->WhatsThis().State(), 0);
}

TEST_F(MainHelp, ADamagedFolderIsToldOnceAndItsWindowsFitTheScreen)
{
    TMainForm& M = StartWithHelp();
    std::string Folder = Dir() + "Orlantis.help/";
    std::ifstream In(Folder + "Orlantis.hhp", std::ios::binary);
    std::string Hhp((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    In.close();
    Hhp.replace(Hhp.find("[80,60,860,620]"), 15, "[0,0,60000,60000]");
    Hhp.replace(Hhp.find("[MAP]"), 5, "[MAP]\n#include gone.h\n#include ../Orlantis.ini");
    std::ofstream(Folder + "Orlantis.hhp", std::ios::binary | std::ios::trunc) << Hhp;
    Dialogs.Boxes.clear();
    M.HelpHelp1->trigger();
    M.HelpHelp1->trigger();
    ASSERT_EQ(Dialogs.Boxes.size(), 1u) << "one box, at the first reading";
    EXPECT_EQ(Dialogs.Boxes[0].Type, mtWarning);
    EXPECT_NE(Dialogs.Boxes[0].Text.find("gone.h\" not found!"), std::string::npos) << Dialogs.Boxes[0].Text;
    EXPECT_NE(Dialogs.Boxes[0].Text.find("lies outside the help folder!"), std::string::npos);
    THelpWindow* W = HelpWindow("Main");
    ASSERT_NE(W, nullptr) << "what could be read is shown";
    QRect Screen = W->screen()->availableGeometry();
    // The size fits and the place is on the screen (the window system may add its frame around it).
    QRect G = W->geometry();
    EXPECT_LE(G.width(), Screen.width());
    EXPECT_LE(G.height(), Screen.height());
    EXPECT_TRUE(Screen.contains(G.topLeft())) << G.x() << "," << G.y();
}
