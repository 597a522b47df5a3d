// The custom service windows over the built description, without a device: the overview's hundred rows of
// thirty-two cells (a data node whose name finds no cell is reported, never given a column), a new menu made with
// its twelve keypads, parameter rows that follow their assignment with their limits, the parameter nodes made and
// removed on Apply, and a reset (emptied name) that leaves no parameter node behind.
#include "forms/custom/CustomService.h"
#include "forms/custom/CustomServiceDetail.h"
#include "forms/custom/CustomServiceRules.h"

#include "../GridFormFixture.h"
#include "common/Utilits.h"
#include "shell/SectionLookups.h"
#include "support/Screenshots.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

using namespace CustomService;

namespace {

std::string BuiltDescription() { return std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat"; }

class TCustomServiceServices : public TFakeFormServices {
public:
    QMdiArea* Area = nullptr;
    bool IsMailboxNoFree(const std::string& N) override { return N != "101"; }
    TBaseMDIForm* FindChildForm(const TFormKinds& Kinds, const TBaseMDIForm* Owner, int32_t Index) const override
    {
        for (QMdiSubWindow* W : Area->subWindowList())
            if (auto* F = qobject_cast<TBaseMDIForm*>(W);
                F && !F->isHidden() && Kinds.IsSubsetOf(F->FormMask) && F->OwnerForm == Owner && F->Index == Index)
                return F;
        return nullptr;
    }
};

class CustomServiceForms : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Docs.View.LoadFromFile(BuiltDescription(), true))
            GTEST_SKIP() << "Orlantis.dat is not built";
        Section = Docs.AddSection("Custom Service");
        ASSERT_NE(Section, nullptr);
        Section->Nodes.Clear();
        Services.Data = &Docs.Data;
        Services.View = &Docs.View;
        Services.Manager = Docs.Manager.get();
        Services.Area = &Area;
        Area.resize(1200, 800);
        Area.show();
    }
    TCustomServiceForm* OpenOverview()
    {
        TFormParams P;
        P.Caption = "Custom Service";
        P.Width = 1000;
        P.Height = 400;
        return TBaseMDIForm::Create<TCustomServiceForm>(&Area, TFormKinds{2}, P);
    }
    TCustomServiceDetailForm* Detail()
    {
        TCustomServiceDetailForm* Found = nullptr;
        for (QMdiSubWindow* W : Area.subWindowList())
            if (auto* F = qobject_cast<TCustomServiceDetailForm*>(W); F && !F->isHidden())
                Found = Found ? nullptr : F;   // more than one is a failure of its own
        return Found;
    }
    // The detail window of menu Row + 1, opened from the overview as Enter does.
    TCustomServiceDetailForm* OpenDetail(TCustomServiceForm* O, int Row)
    {
        O->Grid->SetRow(Row);
        O->OpenDetail();
        return Detail();
    }
    // Text committed into the value cell of Row as the editor commits it.
    static void Enter(TCustomServiceDetailForm* D, int Row, const std::string& Text)
    {
        D->EditStartText = D->Grid->Cells(1, Row);
        D->Grid->CommitEditText(1, Row, Text);
    }
    static bool Locked(TBaseGridForm* F, int Col, int Row) { return F->Grid->GetCellValueOptions(Col, Row) & voReadOnly; }
    TXmlNode* Node(const std::string& Name, TXmlNode* Start = nullptr) { return Docs.Data.FindNode(Start, Name); }
    TXmlNode* KeyNode(TXmlNode* Menu, int k, const char* Name)
    {
        return Node(Name, Node("Keypad " + KeyText(k), Menu));
    }
    // Menu 5 made in its detail window: action to mailbox 101, key 3 to extension 210.
    TCustomServiceDetailForm* MakeMenuFive(TCustomServiceForm* O)
    {
        TCustomServiceDetailForm* D = OpenDetail(O, 4);
        if (!D)
            return nullptr;
        Enter(D, NameRow, "SALES");
        Enter(D, ActionRow, "Transfer to Mailbox");
        Enter(D, ActionRow + 1, "101");
        Enter(D, KeyRow(3), "Transfer to Extension");
        Enter(D, KeyRow(3) + 1, "210");
        EXPECT_TRUE(D->ApplyChanges(true)) << Dialogs.LastText();
        return D;
    }

    TFormDocuments Docs{"<ORLANTIS/>"};
    TXmlNode* Section = nullptr;
    TCustomServiceServices Services;
    TFormServicesScope Scope{&Services};
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
    QMdiArea Area;
};

} // namespace

TEST_F(CustomServiceForms, ANewMenuGetsItsKeypadsAndParametersFollowTheirAssignments)
{
    TCustomServiceForm* O = OpenOverview();
    ASSERT_NE(O, nullptr) << Dialogs.LastText();
    TCustomServiceDetailForm* D = OpenDetail(O, 4);
    ASSERT_NE(D, nullptr) << Dialogs.LastText();
    ASSERT_EQ(D->Grid->RowCount(), RowCount);
    EXPECT_EQ(D->windowTitle().toStdString(), "Custom Service No. 5");
    EXPECT_EQ(D->Grid->Cells(1, NumberRow), "5");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(0)), "Operator");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(10)), "Exit");
    EXPECT_EQ(D->Grid->Cells(1, ActionRow), "Operator");
    EXPECT_EQ(D->Grid->Cells(0, KeyRow(11)), "    Keypad #");
    EXPECT_EQ(D->Grid->Cells(0, KeyRow(11) + 1), "        Keypad # Parameter");
    EXPECT_EQ(D->Grid->RowHeights(DescriptionRow + 1), DescriptionRowHeight);
    // Not in use until it has a name.
    EXPECT_TRUE(Locked(D, 1, DescriptionRow));
    EXPECT_TRUE(Locked(D, 1, KeyRow(5)));
    Enter(D, NameRow, "SALES");
    EXPECT_FALSE(Locked(D, 1, DescriptionRow));
    EXPECT_FALSE(Locked(D, 1, KeyRow(5)));
    EXPECT_TRUE(Locked(D, 1, KeyRow(5) + 1));

    // The parameter follows its assignment, with the limits of its kind, at both ends.
    Enter(D, KeyRow(3), "Transfer to Extension");
    EXPECT_FALSE(Locked(D, 1, KeyRow(3) + 1));
    for (const auto& [Typed, Kept] : std::vector<std::pair<std::string, std::string>>{
             {"9", "10"}, {"10", "10"}, {"99999", "99999"}, {"100000", "99999"}})
    {
        Enter(D, KeyRow(3) + 1, Typed);
        EXPECT_EQ(D->Grid->Cells(1, KeyRow(3) + 1), Kept) << Typed;
    }
    Enter(D, KeyRow(3), "Custom Service");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(3) + 1), "");
    for (const auto& [Typed, Kept] : std::vector<std::pair<std::string, std::string>>{
             {"0", "1"}, {"1", "1"}, {"100", "100"}, {"101", "100"}})
    {
        Enter(D, KeyRow(3) + 1, Typed);
        EXPECT_EQ(D->Grid->Cells(1, KeyRow(3) + 1), Kept) << Typed;
    }
    Enter(D, KeyRow(3), "Transfer to Extension");
    Enter(D, KeyRow(3) + 1, "210");

    // A mailbox that does not exist is refused; a parameter still missing stops Apply at its row.
    Enter(D, ActionRow, "Transfer to Mailbox");
    Enter(D, ActionRow + 1, "102");
    EXPECT_EQ(Dialogs.LastText(), "Mailbox number 102 does not exist.\r\nThe cell now holds nothing.");
    EXPECT_EQ(D->Grid->Cells(1, ActionRow + 1), "");
    EXPECT_FALSE(D->ApplyChanges(true));
    EXPECT_EQ(Dialogs.LastText(), "You should to set value for parameter \"No DTMF Parameter\".");
    EXPECT_EQ(D->Grid->Row(), ActionRow + 1);
    EXPECT_EQ(Node("Custom No. 5"), nullptr);
    Enter(D, ActionRow + 1, "101");
    ASSERT_TRUE(D->ApplyChanges(true)) << Dialogs.LastText();

    TXmlNode* Menu = Node("Custom No. 5");
    ASSERT_NE(Menu, nullptr);
    EXPECT_EQ(Menu->GetAttr("ParseValue"), "5");
    TXmlNode* Keys = Node("Keypad Assignment", Menu);
    ASSERT_NE(Keys, nullptr);
    ASSERT_EQ(Keys->Nodes.Count(), KeyCount);
    for (int k = 0; k < KeyCount; ++k) {
        EXPECT_EQ(Keys->Nodes.Items(k)->GetName(), "Keypad " + KeyText(k));
        EXPECT_EQ(Keys->Nodes.Items(k)->GetAttr("ParseValue"), KeyText(k));
        EXPECT_EQ(KeyNode(Menu, k, "Assignment Parameter") != nullptr, k == 3) << k;
    }
    EXPECT_EQ(KeyNode(Menu, 0, "Assignment")->GetValue(), "Operator");
    EXPECT_EQ(KeyNode(Menu, 3, "Assignment Parameter")->GetValue(), "210");
    EXPECT_EQ(Node("No DTMF Input Operation", Menu)->GetValue(), "a");
    EXPECT_EQ(Node("No DTMF Parameter", Menu)->GetValue(), "101");
    EXPECT_EQ(Services.Written, std::vector<std::string>{"Custom Service"});

    // The overview took the new menu in, abbreviated.
    EXPECT_EQ(O->Grid->Cells(NameRow, 4), "SALES");
    EXPECT_EQ(O->Grid->Cells(ActionRow, 4), "Mbx");
    EXPECT_EQ(O->Grid->Cells(ActionRow + 1, 4), "101");
    EXPECT_EQ(O->Grid->Cells(KeyRow(3), 4), "Extn");
    EXPECT_EQ(O->Grid->Cells(KeyRow(3) + 1, 4), "210");

    // Another assignment clears and locks the parameter; Apply removes its node.
    Enter(D, KeyRow(3), "Dial by Name");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(3) + 1), "");
    EXPECT_TRUE(Locked(D, 1, KeyRow(3) + 1));
    ASSERT_TRUE(D->ApplyChanges(true)) << Dialogs.LastText();
    EXPECT_EQ(KeyNode(Menu, 3, "Assignment Parameter"), nullptr);
    EXPECT_EQ(KeyNode(Menu, 3, "Assignment")->GetValue(), "Dial by Name");
    EXPECT_EQ(O->Grid->Cells(KeyRow(3), 4), "Name");
}

TEST_F(CustomServiceForms, AnEmptiedNameResetsTheMenuAndLeavesNoParameterNodeBehind)
{
    TCustomServiceForm* O = OpenOverview();
    ASSERT_NE(O, nullptr) << Dialogs.LastText();
    TCustomServiceDetailForm* D = MakeMenuFive(O);
    ASSERT_NE(D, nullptr);
    TXmlNode* Menu = Node("Custom No. 5");
    ASSERT_NE(KeyNode(Menu, 3, "Assignment Parameter"), nullptr);

    Enter(D, NameRow, "");
    EXPECT_TRUE(Locked(D, 1, KeyRow(3)));
    ASSERT_TRUE(D->ApplyChanges(true)) << Dialogs.LastText();
    // The menu's node stays, with the description's defaults and without the emptied parameters.
    ASSERT_EQ(Node("Custom No. 5"), Menu);
    EXPECT_EQ(Node("Custom Service Name", Menu)->GetValue(), "");
    EXPECT_EQ(Node("No DTMF Input Operation", Menu)->GetValue(), "c");
    EXPECT_EQ(Node("No DTMF Parameter", Menu), nullptr);
    EXPECT_EQ(KeyNode(Menu, 3, "Assignment")->GetValue(), "None");
    EXPECT_EQ(Node("Assignment Parameter", Menu), nullptr);
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(3)), "None");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(0)), "Operator");
}

// The detail window's checks read the mailboxes and both kinds of group from the device: closing it in interactive
// mode gives them back, so the next check reads them afresh; in batch mode they are the data file's and stay.
TEST_F(CustomServiceForms, AClosedDetailGivesBackWhatItsChecksReadOnlyInInteractiveMode)
{
    const std::vector<std::string> Read{"Mailbox Listing", "Mailbox Group", "Extension Group"};
    for (bool Batch : {false, true}) {
        Services.Facts.BatchMode = Batch;
        Services.Forgotten.clear();
        TCustomServiceForm* O = OpenOverview();
        ASSERT_NE(O, nullptr) << Dialogs.LastText();
        TCustomServiceDetailForm* D = OpenDetail(O, 0);
        ASSERT_NE(D, nullptr);
        EXPECT_TRUE(D->close());
        EXPECT_EQ(Services.Forgotten, Batch ? std::vector<std::string>{} : Read) << (Batch ? "batch" : "interactive");
        O->close();
    }
}

TEST_F(CustomServiceForms, TheOverviewHasAHundredRowsOfThirtyTwoCellsWhateverTheDataNames)
{
    TCustomServiceForm* O = OpenOverview();
    ASSERT_NE(O, nullptr) << Dialogs.LastText();
    ASSERT_NE(MakeMenuFive(O), nullptr);
    Detail()->close();
    O->close();
    // Nodes whose names find no cell: a thirteenth key and a menu number past the last.
    TXmlNode* Menu = Node("Custom No. 5");
    TXmlNode* Keys = Node("Keypad Assignment", Menu);
    auto Copy = [](TXmlNode* Parent, TXmlNode* From) {
        return Parent->Nodes.Items(Parent->AddChild(From->Clone(true)));
    };
    TXmlNode* Odd = Copy(Keys, Node("Keypad 3", Menu));
    Odd->SetAttr("Name", "Keypad A");
    Odd->SetAttr("ParseValue", "A");
    TXmlNode* Far = Copy(Section, Menu);
    Far->SetAttr("Name", "Custom No. 150");
    Far->SetAttr("ParseValue", "150");
    Docs.Data.AssignIDs(Docs.Data.Root());

    O = OpenOverview();
    ASSERT_NE(O, nullptr) << Dialogs.LastText();
    EXPECT_EQ(O->Grid->RowCount(), MenuCount);
    EXPECT_EQ(O->Grid->ColumnCount(), RowCount);
    EXPECT_EQ(O->Grid->ColumnList()[KeyRow(10)]->Caption(), "Key *");
    for (int r = 0; r < MenuCount; r += 33)
        EXPECT_EQ(O->Grid->Cells(NumberRow, r), std::to_string(r + 1));
    EXPECT_EQ(O->Grid->Cells(KeyRow(0), 99), "Oper");
    EXPECT_EQ(O->Grid->Cells(KeyRow(10), 99), "Exit");
    EXPECT_EQ(O->Grid->Cells(ActionRow, 99), "Oper");
    EXPECT_EQ(O->Grid->Cells(NameRow, 4), "SALES");
    EXPECT_EQ(O->Grid->Cells(KeyRow(3) + 1, 4), "210");
    std::string Report;
    for (const std::string& Line : O->LoadReport)
        Report += Line + "\n";
    EXPECT_NE(Report.find("\"Assignment\" is not shown: no cell"), std::string::npos) << Report;
    EXPECT_NE(Report.find("\"Custom No. 150\" is not shown"), std::string::npos) << Report;

    // Enter opens the row's menu; a second Enter brings the same window to the front.
    O->Grid->SetRow(4);
    O->Grid->setFocus();
    QTest::keyClick(O->Grid, Qt::Key_Return);
    TCustomServiceDetailForm* D = Detail();
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(D->Grid->Cells(1, NameRow), "SALES");
    Area.setActiveSubWindow(O);
    QTest::keyClick(O->Grid, Qt::Key_Return);
    EXPECT_EQ(Detail(), D);
    EXPECT_EQ(Area.activeSubWindow(), D);
}

// With menu 1 current, a double click on another menu's number (the frozen column) or on one of its cells opens
// that menu's window; the number was once passed over and menu 1 opened instead.
TEST_F(CustomServiceForms, ADoubleClickOnAMenusNumberOpensThatMenu)
{
    TCustomServiceForm* O = OpenOverview();
    ASSERT_NE(O, nullptr) << Dialogs.LastText();
    ASSERT_EQ(O->Grid->FixedCols(), 1) << "the menu numbers are the frozen column";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(O));
    struct TCase {
        int Col;
        int Row;
    };
    for (const TCase& C : {TCase{NumberRow, 2}, TCase{NumberRow, 5}, TCase{NameRow, 3}}) {
        O->Grid->SetRow(0);
        const QPoint At = O->Grid->CellRect(C.Col, C.Row + 1).center();
        QTest::mouseDClick(O->Grid->viewport(), Qt::LeftButton, {}, At);
        TCustomServiceDetailForm* D = Detail();
        ASSERT_NE(D, nullptr) << "column " << C.Col << ", row " << C.Row;
        EXPECT_EQ(D->windowTitle().toStdString(), "Custom Service No. " + std::to_string(C.Row + 1));
        EXPECT_EQ(D->Index, C.Row);
        D->close();
    }
}

TEST_F(CustomServiceForms, ADeletedMailboxLeavesTheMenuThroughTheNamesItIsStoredUnder)
{
    TCustomServiceForm* O = OpenOverview();
    ASSERT_NE(O, nullptr) << Dialogs.LastText();
    ASSERT_NE(MakeMenuFive(O), nullptr);   // no key pressed: transfer to mailbox 101
    ReplaceMailboxReferences(Section, "101");
    TXmlNode* Menu = Node("Custom No. 5");
    TXmlNode* Action = Node("No DTMF Input Operation", Menu);
    ASSERT_NE(Action, nullptr);
    EXPECT_EQ(Action->GetValue(), "c");
    EXPECT_EQ(Node("No DTMF Parameter", Menu), nullptr);
    EXPECT_EQ(KeyNode(Menu, 3, "Assignment Parameter")->GetValue(), "210");
}
