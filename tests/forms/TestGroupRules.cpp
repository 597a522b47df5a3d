// The group windows' rules on a model grid: placement, the order in which cells open, what a cleared cell closes
// up, the checks of entered numbers, and what Apply makes of the rows in the data document.
#include "GridFormFixture.h"

#include "common/Utilits.h"
#include "forms/groups/GroupRules.h"
#include "platform/StrUtil.h"

namespace {

// The shape of the shipped description: the group node holds the group number, its name and the members.
std::string GroupSection(const std::string& Kind)
{
    auto Cell = [](const std::string& Caption, const std::string& Rules) {
        return "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"ColumnCaption\" Value=\"" + Caption + "\"/>" + Rules +
            "</VIEWPARAM>";
    };
    const std::string Number = "<GATTR Name=\"ValueType\" Value=\"vtRangeInteger\"/>"
                               "<GATTR Name=\"MinInteger\" Value=\"10\"/><GATTR Name=\"MaxInteger\" Value=\"99999\"/>"
                               "<GATTR Name=\"CanEmpty\" Value=\"True\"/>";
    return "<PARAM Name=\"" + Kind + " Group\" Change=\"NoChange\"><VIEWPARAM Name=\"Grid Info\">"
        "<GATTR Name=\"GridOptions\" Type=\"goEditing\" Value=\"True\"/></VIEWPARAM>"
        "<ATTR Name=\"" + Kind + " Group No. %T%\" Value=\"\" Change=\"NoChange\">" + Cell("Group No.", Number) +
        "<ATTR Name=\"Group Name\" Value=\"\" Change=\"NoChange\">" + Cell("Group Name", "") + "</ATTR>"
        "<ATTR Name=\"" + Kind + " No. %T%\" Value=\"\" Change=\"NoChange\">" + Cell("%.2d", Number) + "</ATTR>"
        "</ATTR></PARAM>";
}

const std::string Description = "<ORLANTIS><PARAM Name=\"VMU Parameters 409\">" + GroupSection("Mailbox") +
    GroupSection("Extension") + "</PARAM></ORLANTIS>";

class TGroupForm : public TGroupSectionLogic<TTestGridForm> {
public:
    void Edit(int Col, int Row, const std::string& Text)
    {
        EditStartText = GridModel().Cells(Col, Row);
        std::string Value = Text;
        Groups.CellEdited(Col, Row, Value);
        GridModel().SetCells(Col, Row, Value);
    }
    std::string Cell(int Col, int Row) const { return GridModel().Cells(Col, Row); }
    bool Editable(int Col, int Row) const { return !(GridModel().GetCellValueOptions(Col, Row) & voReadOnly); }
    std::string Row(int R) const
    {
        std::string S;
        for (int c = 0; c < GridModel().ColumnCount(); ++c)
            if (!Cell(c, R).empty())
                S += (S.empty() ? "" : " ") + Cell(c, R);
        return S;
    }
};

// Mailboxes 101-119 exist; 777 is in the open listing window; extensions 201 (an owner's) and 205 (typed in the
// open operator window) are taken.
class TGroupServices : public TFakeFormServices {
public:
    bool IsMailboxNoFree(const std::string& N) override
    {
        return !(N.size() == 3 && N >= "101" && N <= "119") && N != Facts.SystemManagerMailbox;
    }
    bool MailboxInUseByListingForm(const std::string& N) override { return N != "777"; }
    bool IsExtensionReferenced(const std::string& N, const std::string&, std::string& Caption) override
    {
        Caption = "Mailbox Listing";
        return N != "201";
    }
    bool ExtensionInUseByForms(const std::string& N, const std::string&, std::string& Caption) override
    {
        Caption = "Operator's Parameters";
        return N != "205";
    }
};

struct TStoredGroup {
    std::string Number, Name;
    std::vector<std::string> Members;
};

class GroupTable : public ::testing::Test {
protected:
    GroupTable() : D(Description), Scope(&Services)
    {
        Services.Data = &D.Data;
        Services.View = &D.View;
        Services.Manager = D.Manager.get();
        Services.Facts.FlashVersion = 409;
    }
    // A stored section named as a load from the device names it.
    TXmlNode* Store(const std::string& Kind, const std::vector<TStoredGroup>& Groups)
    {
        TXmlNode* Section = D.AddSection(Kind + " Group");
        ClearFormParamNodes(Section);
        for (const TStoredGroup& G : Groups) {
            TXmlNode* R = D.AddRecord(Section, Kind + " Group No. %T%", false);
            R->SetName(Kind + " Group No. " + G.Number);
            R->SetAttr("Value", G.Number);
            D.AddRecord(R, "Group Name")->SetAttr("Value", G.Name);
            for (size_t i = 0; i < G.Members.size(); ++i) {
                TXmlNode* M = D.AddRecord(R, Kind + " No. %T%");
                M->SetName(Kind + " No. " + IntToStr(int64_t(i + 1)));
                M->SetAttr("Value", G.Members[i]);
            }
        }
        return Section;
    }
    void Open(TGroupForm& F, TGroupKind Kind = gkMailbox)
    {
        F.InitCore();
        F.Groups.SetKind(Kind);
        F.KeyColumn = TGroupTable::GroupCol;
        F.ShowSection(false, Kind == gkMailbox ? "Mailbox Group" : "Extension Group", "");
    }
    // Name=Value{children} of a group node, with its mark when it is not "NoChange".
    static std::string Shape(const TXmlNode* N)
    {
        std::string S = N->GetName() + "=" + N->GetValue();
        if (N->GetAttr("Change") != "NoChange")
            S += "(" + N->GetAttr("Change") + ")";
        std::string Kids;
        for (const auto& C : N->Nodes)
            if (C->GetTag() == "ATTR")
                Kids += (Kids.empty() ? "" : ",") + Shape(C.get());
        return Kids.empty() ? S : S + "{" + Kids + "}";
    }

    TFormDocuments D;
    TGroupServices Services;
    TFormServicesScope Scope;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
};

} // namespace

TEST_F(GroupTable, TwentyRowsOfTwentyThreeCellsWhateverTheDataHolds)
{
    std::vector<TStoredGroup> Stored = {{"501", "", {"110"}}, {"500", "SALES", {"101", "102", "103"}}};
    for (int i = 0; i < 19; ++i)
        Stored.push_back({IntToStr(600 + i), "", {"111"}});
    TXmlNode* Section = Store("Mailbox", Stored);
    // A member past the twentieth and a name the description does not know.
    TXmlNode* Sales = D.Data.FindNode(Section, "Mailbox Group No. 500");
    D.AddRecord(Sales, "Mailbox No. %T%")->SetName("Mailbox No. 21");
    D.AddRecord(Sales, "Mailbox No. %T%")->SetName("Mailbox No. x");

    TGroupForm F;
    Open(F);
    ASSERT_EQ(F.GridModel().RowCount(), 20);
    ASSERT_EQ(F.GridModel().ColumnCount(), 23);
    const TXGridColumnList& C = F.GridModel().ColumnList();
    EXPECT_EQ(C[0]->Caption(), "");   // the window names it
    EXPECT_EQ(C[1]->Caption(), "Group No.");
    EXPECT_EQ(C[3]->Caption(), "01");
    EXPECT_EQ(C[22]->Caption(), "20");
    // Sorted by number and numbered; the twenty-first group and the stray members are reported, not shown.
    EXPECT_EQ(F.Row(0), "1 500 SALES 101 102 103");
    EXPECT_EQ(F.Row(1), "2 501 110");
    EXPECT_EQ(F.Row(19), "20 617 111");
    EXPECT_EQ(F.LoadReport.size(), 3u);
    EXPECT_EQ(F.GetCellNode(1, 0), Sales);
}

TEST_F(GroupTable, CellsOpenInOrderAndClearedCellsCloseUp)
{
    TXmlNode* Section = Store("Mailbox", {{"500", "SALES", {"101", "102", "103"}}, {"501", "", {"110"}}});
    TGroupForm F;
    Open(F);
    // Filled cells, the member after the last, the name of a group, the number of the first free row only.
    EXPECT_TRUE(F.Editable(5, 0));
    EXPECT_TRUE(F.Editable(6, 0));
    EXPECT_FALSE(F.Editable(7, 0));
    EXPECT_TRUE(F.Editable(2, 1));
    EXPECT_TRUE(F.Editable(4, 1));
    EXPECT_FALSE(F.Editable(5, 1));
    EXPECT_TRUE(F.Editable(1, 2));
    EXPECT_FALSE(F.Editable(2, 2));
    EXPECT_FALSE(F.Editable(3, 2));
    EXPECT_FALSE(F.Editable(1, 3));
    EXPECT_FALSE(F.Editable(0, 0));

    // A new group number opens its name, its first member and the next row's number.
    F.Edit(1, 2, "502");
    EXPECT_TRUE(F.Editable(2, 2));
    EXPECT_TRUE(F.Editable(3, 2));
    EXPECT_FALSE(F.Editable(4, 2));
    EXPECT_TRUE(F.Editable(1, 3));
    F.Edit(3, 2, "112");
    EXPECT_TRUE(F.Editable(4, 2));

    // A cleared member: the later ones move left and the cell after the last closes.
    F.Edit(4, 0, "");
    EXPECT_EQ(F.Row(0), "1 500 SALES 101 103");
    EXPECT_TRUE(F.Editable(5, 0));
    EXPECT_FALSE(F.Editable(6, 0));
    // The Delete key clears the same way; on a closed cell it does nothing.
    EXPECT_TRUE(F.Groups.DeleteKey(3, 0));
    EXPECT_EQ(F.Row(0), "1 500 SALES 103");
    EXPECT_FALSE(F.Groups.DeleteKey(7, 0));
    EXPECT_FALSE(F.Groups.DeleteKey(0, 0));
    EXPECT_TRUE(F.Modified);

    // A cleared group number: the group goes (its node at Apply), the rows below move up, numbers stay 1 to 20.
    EXPECT_TRUE(F.Groups.DeleteKey(1, 0));
    EXPECT_EQ(F.Row(0), "1 501 110");
    EXPECT_EQ(F.Row(1), "2 502 112");
    EXPECT_EQ(F.Row(2), "3");
    EXPECT_TRUE(F.Editable(1, 2));
    EXPECT_FALSE(F.Editable(1, 3));
    ASSERT_EQ(F.DeletedNodes.size(), 1u);
    EXPECT_EQ(F.DeletedNodes[0].Get(), D.Data.FindNode(Section, "Mailbox Group No. 500"));
    EXPECT_FALSE(F.Groups.DeleteGroup(2));
}

TEST_F(GroupTable, EntriesAreRefusedForTheirReasonsInOrder)
{
    Store("Mailbox", {{"500", "SALES", {"101", "102"}}, {"501", "", {"110"}}});
    TGroupForm F;
    Open(F);
    TGroupTable& T = F.Groups;
    struct {
        int Col, Row;
        const char* Text;
        std::string Message;   // empty: accepted
    } const Mailbox[] = {
        {3, 1, "999", Format(Utilits::SDontUseInGroupManagerMbx, {"999"})},   // before "does not exist"
        {3, 1, "998", Format(Utilits::SDontUseInGroupManagerMbx, {"998"})},
        {4, 1, "120", Format(Utilits::SMailboxNotExist, {"120"})},
        {4, 1, "119", ""},
        {4, 0, "101", Utilits::SDuplicateMailboxInGroup},
        {4, 0, "102", ""},                                                    // unchanged: not checked
        {4, 1, "101", ""},                                                    // another group may hold it
        {1, 2, "101", Format(Utilits::SMailboxAlreadyExist, {"101"})},
        {1, 2, "777", Format(Utilits::SMailboxAlreadyExist, {"777"})},
        {1, 2, "501", Utilits::SDuplicateGroupNumber},
        {1, 2, "502", ""},
        {1, 2, "", ""},
    };
    for (const auto& C : Mailbox) {
        F.EditStartText = F.Cell(C.Col, C.Row);
        TCellDecision R = T.CheckEntry(C.Col, C.Row, C.Text, Services);
        EXPECT_EQ(R.Accepted, C.Message.empty()) << C.Text;
        EXPECT_EQ(R.Message, C.Message) << C.Text;
    }
    // A refused entry shows its box, naming what the cell keeps.
    F.Edit(4, 1, "120");
    EXPECT_EQ(F.Cell(4, 1), "");
    EXPECT_EQ(Dialogs.LastText(), Format(Utilits::SMailboxNotExist, {"120"}) + "\r\nThe cell now holds nothing.");

    Store("Extension", {{"300", "FRONT DESK", {"202", "203"}}, {"301", "", {"230"}}});
    TGroupForm E;
    Open(E, gkExtension);
    struct {
        int Col, Row;
        const char* Text;
        std::string Message;
    } const Extension[] = {
        {4, 1, "201", Format(Utilits::SExtensionAlreadyExistIn, {"201", "Mailbox Listing"})},
        {4, 1, "205", Format(Utilits::SExtensionAlreadyExistIn, {"205", "Operator's Parameters"})},
        {4, 1, "300", Utilits::SDuplicateGroupNumber},
        {4, 1, "203", Utilits::SDuplicateExtensionInGroup},                    // a member of another group
        {4, 1, "231", ""},
        {1, 2, "230", Utilits::SDuplicateExtensionInGroup},
        {1, 2, "201", Format(Utilits::SExtensionAlreadyExistIn, {"201", "Mailbox Listing"})},
        {1, 2, "302", ""},
    };
    for (const auto& C : Extension) {
        E.EditStartText = E.Cell(C.Col, C.Row);
        TCellDecision R = E.Groups.CheckEntry(C.Col, C.Row, C.Text, Services);
        EXPECT_EQ(R.Message, C.Message) << C.Text;
    }
    EXPECT_TRUE(E.Groups.MemberExists("230", -1, -1));
    EXPECT_FALSE(E.Groups.MemberExists("230", 3, 1));

    // Below firmware 4.09 names are stored in capitals.
    Services.Facts.FlashVersion = 408;
    E.Edit(2, 1, "Night");
    EXPECT_EQ(E.Cell(2, 1), "NIGHT");
    Services.Facts.FlashVersion = 409;
    E.Edit(2, 1, "Day");
    EXPECT_EQ(E.Cell(2, 1), "Day");
}

TEST_F(GroupTable, ApplyMakesTheGroupsTheDeviceIsToHold)
{
    TXmlNode* Section = Store("Mailbox",
        {{"500", "SALES", {"101", "102", "103"}}, {"501", "", {"110"}}, {"502", "", {"111"}}, {"503", "", {}}});
    TGroupForm F;
    Open(F);
    F.TrackModified = true;
    F.Edit(4, 0, "");        // 500 loses 102: rewritten
    F.Edit(2, 1, "HELP");    // 501: a new name and a new member are added to the group
    F.Edit(4, 1, "112");
    F.Edit(1, 4, "504");     // a new group with a member
    F.Edit(3, 4, "113");
    F.Edit(1, 5, "505");     // and one without: it goes
    // 503 was stored without members and gets one; 502 stays as it was.
    F.Edit(3, 3, "114");
    ASSERT_TRUE(F.ApplyChanges(true)) << Dialogs.LastText();

    std::vector<std::string> Groups;
    for (const auto& N : Section->Nodes)
        Groups.push_back(Shape(N.get()));
    const std::vector<std::string> Expected = {
        "Mailbox Group No. 500=500(Delete){Group Name=SALES,Mailbox No. 1=101(Modify),Mailbox No. 2=102(Modify),"
        "Mailbox No. 3=103(Modify)}",
        "Mailbox Group No. 501=501(Modify){Group Name=HELP(Modify),Mailbox No. 1=110,Mailbox No. 2=112(Modify)}",
        "Mailbox Group No. 502=502{Group Name=,Mailbox No. 1=111}",
        "Mailbox Group No. 503=503(Modify){Group Name=,Mailbox No. 1=114(Modify)}",
        // New groups are made before the rebuilt ones, whatever their rows.
        "Mailbox Group No. 504=504(Insert){Group Name=,Mailbox No. 1=113(Modify)}",
        "Mailbox Group No. 500=500(Insert){Group Name=SALES(Modify),Mailbox No. 1=101(Modify),"
        "Mailbox No. 2=103(Modify)}",
    };
    EXPECT_EQ(Groups, Expected);
    EXPECT_EQ(Services.Written, std::vector<std::string>{"Mailbox Group"});
    EXPECT_FALSE(F.Modified);
    EXPECT_EQ(F.Row(4), "5 504 113");
    EXPECT_EQ(F.Row(5), "6");
    EXPECT_TRUE(F.Editable(1, 5));

    // The groups stay bound to the nodes just made: a second Apply sends nothing new.
    ASSERT_TRUE(F.ApplyChanges(true));
    EXPECT_EQ(Section->Nodes.Count(), 6);
}

// An extension belongs to one group only: one taken over from another group is added by rebuilding the group that
// takes it, so that it is made after the other group's deletion has freed it. Mailboxes may be in several groups.
TEST_F(GroupTable, AnExtensionMovedToAnotherGroupRebuildsTheGroupThatTakesIt)
{
    for (TGroupKind Kind : {gkExtension, gkMailbox}) {
        const bool Extension = Kind == gkExtension;
        TXmlNode* Section = Store(Extension ? "Extension" : "Mailbox",
            {{"300", "", {"202", "203"}}, {"301", "", {"230", "270"}}});
        TGroupForm F;
        Open(F, Kind);
        F.TrackModified = true;
        F.Edit(4, 1, "");      // 270 leaves 301 (rebuilt)
        F.Edit(5, 0, "270");   // and joins 300
        ASSERT_TRUE(F.ApplyChanges(true)) << Dialogs.LastText();
        std::vector<std::string> Groups;
        for (const auto& N : Section->Nodes)
            Groups.push_back(N->GetValue() + "(" + N->GetAttr("Change") + ")");
        const std::vector<std::string> Expected = Extension
            ? std::vector<std::string>{"300(Delete)", "301(Delete)", "300(Insert)", "301(Insert)"}
            : std::vector<std::string>{"300(NoChange)", "301(Delete)", "301(Insert)"};   // a member added in place
        EXPECT_EQ(Groups, Expected) << (Extension ? "extension" : "mailbox");
    }
}
