// Section windows among the main window's other windows, against the device simulator: a window opened from the
// floating parameter tree comes out above the tree, Window > Cascade moves windows without shrinking them, and no
// window title carries the application's name a second time.
#include "FormsOnDevice.h"

#include "vmusim/SimProcess.h"

#include "forms/attendant/DepartmentDialing.h"
#include "forms/service/COS.h"
#include "forms/service/COSDetail.h"
#include "forms/simple/CallHold.h"
#include "forms/simple/DialingParameters.h"
#include "shell/DockMDI.h"
#include "shell/FormRegistry.h"
#include "shell/MainVersion.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QToolButton>

namespace {
const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TDialingParametersForm>(),
    MakeFormFactory<TCallHoldForm>(), MakeFormFactory<TDepartmentDialingForm>(), MakeFormFactory<TCOSForm>(),
    MakeFormFactory<TCOSDetailForm>()};

// What the window system does once the progress dialog of a device read has gone: the main window is active again.
void MainActiveAgain(TMainForm& M)
{
    QApplication::setActiveWindow(&M);
    QApplication::processEvents();
}
// Keys as the user types them: each to whatever has the keyboard at that moment.
void TypeKeys(Qt::Key K, int Times)
{
    for (int i = 0; i < Times; ++i)
        QTest::keyClick(QApplication::focusWidget(), K);
    QApplication::processEvents();
}
void TypeText(const std::string& Text)
{
    for (char C : Text)
        QTest::keyClicks(QApplication::focusWidget(), QString(QLatin1Char(C)));
}

class WindowsOnDevice : public TFormsOnDevice {};
} // namespace

TEST_F(WindowsOnDevice, AWindowOpenedFromTheFloatingTreeComesOutAboveItAndCascadeKeepsSizes)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;
    M.PanelTreeView->FloatButton()->click();
    QApplication::processEvents();
    ASSERT_TRUE(M.TreeDock->Floating());
    QMdiSubWindow* Tree = M.TreeDock->FloatingForm();
    ASSERT_NE(Tree, nullptr);
    Tree->setGeometry(0, 0, 300, 500);

    auto* Dialing = OpenFromTree<TDialingParametersForm>("Dialing Parameters");
    ASSERT_NE(Dialing, nullptr);
    EXPECT_EQ(M.MdiArea->activeSubWindow(), Dialing);
    auto* Hold = OpenFromTree<TCallHoldForm>("Call Hold");
    ASSERT_NE(Hold, nullptr);
    EXPECT_EQ(M.MdiArea->activeSubWindow(), Hold);
    // The window opened last lies on top, above the floating tree.
    QList<QMdiSubWindow*> Order = M.MdiArea->subWindowList(QMdiArea::StackingOrder);
    ASSERT_FALSE(Order.isEmpty());
    EXPECT_EQ(Order.last(), Hold);
    EXPECT_GT(Order.indexOf(Dialing), Order.indexOf(Tree));

    // Cascade: places step down and right, sizes stay as the description made them.
    const QSize DialingSize = Dialing->size(), HoldSize = Hold->size(), TreeSize = Tree->size();
    M.WindowCascade1->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Dialing->size(), DialingSize);
    EXPECT_EQ(Hold->size(), HoldSize);
    EXPECT_EQ(Tree->size(), TreeSize);
    EXPECT_EQ(Tree->pos(), QPoint(0, 0));
    EXPECT_GT(Dialing->pos().x(), 0);
    EXPECT_EQ(Dialing->pos().x(), Dialing->pos().y());
    EXPECT_GT(Hold->pos().x(), Dialing->pos().x());
    EXPECT_EQ(M.MdiArea->subWindowList(QMdiArea::StackingOrder).last(), Hold);
    // Every value of the cascaded window is still there to read.
    EXPECT_EQ(Dialing->Grid->Cells(1, 2), "2");
}

// A window just opened has the keyboard on its grid's current cell, however it was opened: keys typed at once
// reach the cell they aim at, never a tool button.
TEST_F(WindowsOnDevice, KeysTypedIntoAWindowJustOpenedReachTheCellTheyAimAt)
{
    struct TRow {
        const char* Way;     // "menu", "tree" (a double click on its name), or "list" (Enter on a row of Section)
        const char* Section;
        int ListRow;         // "list": the row whose detail window opens
        int Downs;           // then Down so often, Text and Enter, in the window that has the keyboard
        const char* Text;
        int Row;             // the row whose value (column 1) is Text afterwards
    } const Rows[] = {
        {"menu", "Department Dialing", 0, 4, "260", 4},
        {"tree", "Call Hold", 0, 2, "120", 2},
        // The detail window opens on the parameter of the list's column (the first, row 1).
        {"list", "Class of Service", 3, 1, "45", 2},
    };
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Way);
        if (std::string(R.Way) == "menu") {
            QAction* Item = nullptr;
            for (QAction* A : M.findChildren<QAction*>())
                if (!A->menu() && A->text().remove('&') == R.Section)
                    Item = A;
            ASSERT_NE(Item, nullptr);
            Item->trigger();
        } else {
            QTreeWidget* Tree = M.DataTreeView;
            const QList<QTreeWidgetItem*> Items = Tree->findItems(R.Section, Qt::MatchExactly | Qt::MatchRecursive);
            ASSERT_EQ(Items.size(), 1);
            for (QTreeWidgetItem* Up = Items.first()->parent(); Up; Up = Up->parent())
                Up->setExpanded(true);
            Tree->setFocus();
            Tree->setCurrentItem(Items.first());
            const QRect Name = Tree->visualItemRect(Items.first());
            QTest::mouseDClick(Tree->viewport(), Qt::LeftButton, {}, QPoint(Name.left() + 4, Name.center().y()));
        }
        MainActiveAgain(M);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        if (std::string(R.Way) == "list") {
            TypeKeys(Qt::Key_Down, R.ListRow);
            TypeKeys(Qt::Key_Return, 1);
            MainActiveAgain(M);
        }
        auto* F = qobject_cast<TBaseGridForm*>(M.MdiArea->activeSubWindow());
        ASSERT_NE(F, nullptr) << BoxTexts();
        if (std::string(R.Way) == "list") {
            EXPECT_EQ(F->Index, R.ListRow);
        }
        const std::string Before = F->Grid->Cells(1, R.Row - 1);
        TypeKeys(Qt::Key_Down, R.Downs);
        TypeText(R.Text);
        TypeKeys(Qt::Key_Return, 1);
        EXPECT_EQ(F->Grid->Cells(1, R.Row), R.Text);
        EXPECT_EQ(F->Grid->Cells(1, R.Row - 1), Before);
        Dialogs.Default = mrNo;
        for (TBaseMDIForm* Open : M.ChildForms())
            Open->close();
        QApplication::processEvents();
    }
}

TEST(ApplicationNames, NoDisplayNameIsSetThatTheWindowSystemWouldAddToEveryTitle)
{
    const QString Old = QCoreApplication::applicationName();
    SetApplicationNames();
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "Orlantis");
    // Without a display name of its own, the display name follows the application name.
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "probe");
    QCoreApplication::setApplicationName(Old);
}

// Every firmware tree the program selects reads what a VMU of that firmware shows: Load all, and every section
// window opened in interactive mode, on a clean line end without a box.
TEST_F(WindowsOnDevice, OlderFirmwareLoadsAllAndOpensEverySectionWindow)
{
    for (const char* Firmware : {"1.31", "3.08", "4.08"}) {
        SCOPED_TRACE(Firmware);
        // A type only the lists below 3.08 have.
        if (std::string(Firmware) == "1.31")
            std::ofstream(StatePath, std::ios::app) << "\n[PBX Dialing Parameters]\nPBX Type = TD816\n";
        ASSERT_NO_FATAL_FAILURE(StartSim({"--firmware", Firmware}));
        TMainForm& M = StartMain(true);
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
        EXPECT_EQ(M.ParamsNode->GetName(), "VMU Parameters 131");
        Dialogs.Boxes.clear();
        M.SystemLoadDataFromVMU1Execute();
        EXPECT_FALSE(M.NoData) << BoxTexts();
        EXPECT_TRUE(Dialogs.Boxes.size() <= 1) << BoxTexts();   // the description's own warning after a load
        if (std::string(Firmware) == "1.31" && !M.NoData) {
            EXPECT_EQ(M.DataDoc->FindNode(nullptr, "PBX Type")->GetValue(), "TD816");
        }
        M.FileModeBatch1Execute();   // back to interactive: each window reads its section
        Dialogs.Boxes.clear();
        int Opened = 0;
        for (const TSectionForm& E : SectionForms()) {
            TXmlNode* Section = M.TemplateDoc->FindNode(M.ParamsNode, E.Section);
            if (!Section || Section->GetAttr("NotCreateForm") == "Yes")
                continue;
            const qsizetype Before = M.ChildForms().size();
            M.OpenNodeForm(Section);
            QApplication::processEvents();
            EXPECT_GT(M.ChildForms().size(), Before) << E.Section << ": " << BoxTexts();
            // It opens with the keyboard on its grid.
            MainActiveAgain(M);
            auto* Shown = qobject_cast<TBaseGridForm*>(M.MdiArea->activeSubWindow());
            QWidget* Keys = QApplication::focusWidget();
            EXPECT_TRUE(Shown && Keys && (Keys == Shown->Grid || Shown->Grid->isAncestorOf(Keys))) << E.Section << ": " << (Keys ? Keys->objectName().toStdString() : "nothing") << " has the keyboard";
            Opened += M.ChildForms().size() > Before;
            for (TBaseMDIForm* F : M.ChildForms())
                F->close();
            QApplication::processEvents();
        }
        EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
        EXPECT_GE(Opened, std::string(Firmware) == "1.31" ? 30 : 31);
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
    }
}
