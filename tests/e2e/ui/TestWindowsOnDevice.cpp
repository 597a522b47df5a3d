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
#include <QMdiSubWindow>
#include <QToolButton>

namespace {
const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TDialingParametersForm>(),
    MakeFormFactory<TCallHoldForm>(), MakeFormFactory<TDepartmentDialingForm>(), MakeFormFactory<TCOSForm>(),
    MakeFormFactory<TCOSDetailForm>()};

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

// A window just opened has the keyboard on its grid's current cell, whether opened from the menu, the tree or a
// row of a list: Down so often, a number and Enter reach the row aimed at, never a tool button.
TEST_F(WindowsOnDevice, KeysTypedIntoAWindowJustOpenedReachTheCellTheyAimAt)
{
    const struct {
        std::string Way, Section;
        int Downs;
        std::string Text;
    } Rows[] = {{"menu", "Department Dialing", 4, "260"}, {"tree", "Call Hold", 2, "120"},
        {"list", "Class of Service", 1, "45"}};   // class 4's detail, opened on the list column's parameter
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;
    // 'v' is Down; each key goes to what has the keyboard then, the main window active again as the window system
    // makes it once a device read's dialog has gone.
    auto Type = [&](const std::string& Keys) {
        QApplication::setActiveWindow(&M);
        for (char C : Keys) {
            QWidget* To = QApplication::focusWidget();
            ASSERT_NE(To, nullptr);
            C == 'v' ? QTest::keyClick(To, Qt::Key_Down) : C == '\r' ? QTest::keyClick(To, Qt::Key_Return)
                                                         : QTest::keyClick(To, C);
        }
    };
    for (const auto& R : Rows) {
        SCOPED_TRACE(R.Way);
        for (QAction* A : M.findChildren<QAction*>())
            if (R.Way == "menu" && !A->menu() && A->text().remove('&') == ToQ(R.Section))
                A->trigger();
        if (R.Way != "menu") {
            ASSERT_NE(OpenFromTree<TBaseGridForm>(R.Section), nullptr);
        }
        if (R.Way == "list") {
            ASSERT_NO_FATAL_FAILURE(Type("vvv\r"));
        }
        auto* F = qobject_cast<TBaseGridForm*>(M.MdiArea->activeSubWindow());
        ASSERT_TRUE(F && (R.Way != "list" || F->Index == 3)) << BoxTexts();
        const int Aimed = F->Grid->Row() + R.Downs;
        const std::string Above = F->Grid->Cells(1, Aimed - 1);
        ASSERT_NO_FATAL_FAILURE(Type(std::string(R.Downs, 'v') + R.Text + "\r"));
        EXPECT_EQ(F->Grid->Cells(1, Aimed), R.Text);
        EXPECT_EQ(F->Grid->Cells(1, Aimed - 1), Above);
        Dialogs.Default = mrNo;
        for (TBaseMDIForm* Open : M.ChildForms())
            Open->close();
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
// window opened in interactive mode, on a clean line end without a box; the data file saved after the load opens
// without a box in a new program that never connected.
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
        const std::string File = Dir() + "firmware-" + Firmware + ".sav";
        Dialogs.FileAnswers = {File};
        EXPECT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
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
            QApplication::setActiveWindow(&M);
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
        // The file saved opens in a new program that never connected: it is checked against its own firmware's tree.
        Main.reset();
        TMainForm& Fresh = StartMain(true);
        Dialogs.Boxes.clear();
        Dialogs.FileAnswers = {File};
        Fresh.FileOpen1Execute();
        EXPECT_EQ(Fresh.FileName, File) << BoxTexts();
        EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
        EXPECT_EQ(Fresh.ParamsNode->GetName(), "VMU Parameters 131");
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
    }
}
