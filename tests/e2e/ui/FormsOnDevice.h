// The fixture of the end-to-end tests of section windows: the real main window against the device simulator.
#pragma once

#include "shell/ui/ShellFixture.h"
#include "support/MainOnSimulator.h"

#include "vmusim/SimProcess.h"
#include "vmusim/SimState.h"

#include "common/ui/BaseMDI.h"
#include "engine/ManagerVMU.h"
#include "forms/base/BaseGrid.h"
#include "forms/base/GridFormCore.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/QtText.h"
#include "serial/SerPort.h"
#include "shell/main.h"
#include "xml/XmlDoc.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

// The real main window against the device simulator, started on the default state: what every test of section
// windows on the device needs (start, open from the tree, type into cells, read the saved state, count boxes).
class TFormsOnDevice : public TShellFixture {
protected:
    // The filled cells of a row, blank-separated.
    static std::string Row(TBaseGridForm* F, int R)
    {
        std::string S;
        for (int c = 0; c < F->Grid->ColumnCount(); ++c)
            if (!F->Grid->Cells(c, R).empty())
                S += (S.empty() ? "" : " ") + F->Grid->Cells(c, R);
        return S;
    }
    // Lines appended to the default state before the simulator reads it.
    virtual std::string ExtraState() const { return {}; }
    void SetUp() override
    {
        if (!std::filesystem::exists(BuiltDescription()) || TSimProcess::Binary().empty())
            GTEST_SKIP() << "Orlantis.dat or vmusim is not built";
        WriteDescription();
        StatePath = Dir() + "device.state";
        SavedPath = Dir() + "device.saved";
        std::ofstream(StatePath) << ReadFile(std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state")
                                 << ExtraState();
    }
    void TearDown() override
    {
        Main.reset();
        Sim.reset();
    }

    // Extra: further options of the simulator (e.g. "--log FILE").
    void StartSim(const std::vector<std::string>& Extra = {})
    {
        std::vector<std::string> Args = {"--state", StatePath, "--save-state", SavedPath};
        Args.insert(Args.end(), Extra.begin(), Extra.end());
        Sim = std::make_unique<TSimProcess>(Args);
        ASSERT_TRUE(Sim->Started());
        Sim->CloseLine();
    }
    TMainForm& StartMain(bool Batch)
    {
        TMainForm& M = Start();
        EXPECT_FALSE(M.Terminated());
        ShowOnSimulator(M, Sim->PtyPath());
        QApplication::setActiveWindow(&M);
        if (Batch)
            M.FileModeBatch1Execute();
        return M;
    }

    // The simulator on the default state and the program connected to it (Main), with the device's parameters
    // loaded when Load. Fails fatally when either fails: call it through ASSERT_NO_FATAL_FAILURE.
    void StartConnected(bool Batch, bool Load = false)
    {
        ASSERT_NO_FATAL_FAILURE(StartSim());
        TMainForm& M = StartMain(Batch);
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
        if (!Load)
            return;
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();
    }

    // Opens a section as the user does: its tree item chosen and Enter pressed.
    template <class T>
    T* OpenFromTree(const std::string& Section)
    {
        QTreeWidget* Tree = Main->DataTreeView;
        EXPECT_NE(Tree, nullptr);
        if (!Tree)
            return nullptr;
        QList<QTreeWidgetItem*> Items = Tree->findItems(ToQ(Section), Qt::MatchExactly | Qt::MatchRecursive);
        EXPECT_EQ(Items.size(), 1) << Section;
        if (Items.isEmpty())
            return nullptr;
        Tree->setCurrentItem(Items.first());
        QTest::keyClick(Tree, Qt::Key_Return);
        QApplication::processEvents();
        T* Form = nullptr;
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* Found = qobject_cast<T*>(F))
                Form = Found;
        EXPECT_NE(Form, nullptr) << Section << ": " << BoxTexts();
        return Form;
    }
    void Go(TBaseGridForm* F, int Col, int Row)
    {
        QApplication::setActiveWindow(Main.get());
        Main->activateWindow();
        (void)QTest::qWaitForWindowExposed(Main.get(), 5000);
        Main->MdiArea->setActiveSubWindow(F);
        F->Grid->setFocus();
        QApplication::processEvents();
        F->Grid->SetRow(Row);
        F->Grid->SetCol(Col);
        QApplication::processEvents();
    }
    void Key(TBaseGridForm* F, Qt::Key K)
    {
        QWidget* Target = QApplication::focusWidget();
        if (!Target || !(Target == F->Grid || F->Grid->isAncestorOf(Target)))
            Target = F->Grid;
        QTest::keyClick(Target, K);
    }
    // Types Text into the cell (Col, Row) and commits it with Enter.
    void TypeInto(TBaseGridForm* F, int Col, int Row, const std::string& Text)
    {
        Go(F, Col, Row);
        // Enter opens the editor (F2 is the main window's Connect key).
        Key(F, Qt::Key_Return);
        ASSERT_TRUE(F->Grid->EditorShowing());
        QLineEdit* Editor = F->Grid->InplaceEditor()->LineEdit();
        QTest::keyClick(Editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Editor, Qt::Key_Backspace);
        QTest::keyClicks(Editor, ToQ(Text));
        QTest::keyClick(Editor, Qt::Key_Return);
        QApplication::processEvents();
    }
    TXmlNode* Data(const std::string& Name, TXmlNode* Start = nullptr) { return Main->DataDoc->FindNode(Start, Name); }
    TXmlNode* Describing(const std::string& Section) { return Main->TemplateDoc->FindNode(Main->ParamsNode, Section); }
    TState Saved() { return ParseState(ReadFile(SavedPath)); }
    int BoxCount(const std::string& Text) const
    {
        int N = 0;
        // A box counts when Text is all of it or its first lines: a load's failure says why on the lines after it.
        for (const auto& B : Dialogs.Boxes)
            N += B.Text == Text || B.Text.rfind(Text + "\r\n", 0) == 0;
        return N;
    }

    TQtMainThreadScope MainThread;
    std::unique_ptr<TSimProcess> Sim;
    std::string StatePath, SavedPath;
};
