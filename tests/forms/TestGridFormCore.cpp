// Loading a section in both modes and the Apply protocol, on a model grid with recording form services.
#include "support/RecordingDialogs.h"
#include "GridFormFixture.h"

#include "platform/StrUtil.h"

#include <algorithm>

namespace {

const char* const PropertyDescription =
    "<ORLANTIS><PARAM Name=\"VMU Parameters 409\">"
    "<PARAM Name=\"Call Hold\">"
    "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"GridOptions\" Type=\"goEditing\" Value=\"Yes\"/>"
    "<GATTR Name=\"ValueColumnCaption\" Value=\"Value\"/><GATTR Name=\"Hint\" Value=\"no cell yet\"/>"
    "<GATTR Name=\"ColumnWidth\" Value=\"50\"/></VIEWPARAM>"
    "<PARAM Name=\"Music On Hold\" Value=\"Yes\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Music on hold\"/>"
    "<GATTR Name=\"ValueOptions\" Type=\"voComboBox\" Value=\"Yes\"/>"
    "<GATTR Name=\"StrComboBox\" Value=\"Yes=On\"/><GATTR Name=\"StrComboBox\" Value=\"No=Off\"/></VIEWPARAM>"
    "<PARAM Name=\"Hold Time\" Value=\"30\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Hold time\"/>"
    "<GATTR Name=\"ValueType\" Value=\"vtInteger\"/></VIEWPARAM></PARAM>"
    "</PARAM>"
    "<ATTR Name=\"Group Only\"><ATTR Name=\"Beep\" Value=\"No\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Beep\"/></VIEWPARAM></ATTR></ATTR>"
    "<PARAM Name=\"Template Only\" Value=\"dflt\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Template only\"/></VIEWPARAM></PARAM>"
    "<PARAM Name=\"Hidden\" Value=\"h\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Hidden\"/></VIEWPARAM></PARAM>"
    "</PARAM></PARAM></ORLANTIS>";

const char* const TableDescription =
    "<ORLANTIS><PARAM Name=\"VMU Parameters 409\">"
    "<PARAM Name=\"Holiday Listing\">"
    "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"GridOptions\" Type=\"goEditing\" Value=\"Yes\"/>"
    "<GATTR Name=\"DoubleHeader\" Value=\"Yes\"/></VIEWPARAM>"
    "<PARAM Name=\"Holiday\" Value=\"\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"ColumnCaption\" Value=\"No.\"/></VIEWPARAM>"
    "<ATTR Name=\"Date\" Value=\"01/01\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"ColumnCaption\" Value=\"Date\"/>"
    "<GATTR Name=\"DoubleHeaderColumnCaption\" Value=\"When\"/></VIEWPARAM></ATTR>"
    "<ATTR Name=\"Service\" Value=\"None\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"ColumnCaption\" Value=\"Service\"/>"
    "<GATTR Name=\"DoubleHeaderColumnCaption\" Value=\"When\"/></VIEWPARAM></ATTR>"
    "</PARAM></PARAM></PARAM></ORLANTIS>";

// A child of Parent as the description writes it: a tag, a name and, when given, a value.
TXmlNode* AddNamed(TXmlNode* Parent, const char* Tag, const std::string& Name, const char* Value = nullptr)
{
    TXmlNode* N = Parent->AddChild(Tag);
    N->SetName(Name);
    if (Value)
        N->SetAttr("Value", Value);
    return N;
}

// A property form that leaves out the node named "Hidden".
class TPropertyForm : public TTestGridForm {
public:
    bool SkipNode(TXmlNode* Node) override { return Node->GetName() == "Hidden"; }
};

// A table form as a descendant would write it: records are told apart by a number in their name, placed by
// their template's name, and the key column holds the record's number.
class TTableForm : public TTestGridForm {
public:
    int Made = 0;
    std::vector<std::string> Deleted;
    void GetNodeName(TXmlNode* Node, std::string& S) override
    {
        TXmlNode* T = Node->GetTemplate();
        S = T ? T->GetName() : Node->GetName();
    }
    void RecordNodeCreated(TXmlNode* Node) override { Node->SetName("Holiday #" + IntToStr(100 + ++Made)); }
    void NodeDeleted(TXmlNode* Node) override { Deleted.push_back(Node->GetName()); }
};

class GridFormCore : public ::testing::Test {
protected:
    explicit GridFormCore(const char* Description = PropertyDescription) : D(Description), Scope(&Services)
    {
        Services.Data = &D.Data;
        Services.View = &D.View;
        Services.Manager = D.Manager.get();
    }
    TXmlNode* DataNode(const std::string& Name) { return D.Data.FindNode(nullptr, Name); }

    TFormDocuments D;
    TFakeFormServices Services;
    TFormServicesScope Scope;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
};

class GridFormTable : public GridFormCore {
protected:
    GridFormTable() : GridFormCore(TableDescription) {}
    // A stored section with records numbered Keys, each with a date.
    TXmlNode* Store(const std::vector<std::string>& Keys)
    {
        TXmlNode* Section = D.AddSection("Holiday Listing");
        ClearFormParamNodes(Section);
        for (const std::string& K : Keys) {
            TXmlNode* R = D.AddRecord(Section, "Holiday");
            R->SetName("Holiday " + K);
            R->SetAttr("Value", K);
            R->Nodes.FindByName("Date")->SetAttr("Value", "12/" + K);
        }
        return Section;
    }
    void Open(TTableForm& F, int SortColumn = -1)
    {
        F.InitCore();
        F.SortColumn = SortColumn;
        F.ShowSection(false, "Holiday Listing", "");
    }
    std::vector<std::string> Keys(TTableForm& F)
    {
        std::vector<std::string> K;
        for (int r = 0; r < F.GridModel().RowCount(); ++r)
            K.push_back(F.GridModel().Cells(0, r));
        return K;
    }
};

} // namespace

TEST_F(GridFormCore, PropertyModeMeetsTemplateAndDataInOneCell)
{
    TXmlNode* Section = D.AddSection("Call Hold");
    DataNode("Music On Hold")->SetAttr("Value", "No");
    DataNode("Hold Time")->SetAttr("Value", "45");
    Section->RemoveChild(DataNode("Template Only"));
    // A data node that no cell describes is reported, not dropped silently.
    TXmlNode* Stray = Section->AddChild("ATTR");
    Stray->SetName("Stray");
    Stray->SetAttr("Value", "7");

    TPropertyForm F;
    F.InitCore();
    F.SetFormCaption("Call Hold");
    F.ShowSection(true, "Call Hold", "");
    TXStringGridModel& M = F.GridModel();

    ASSERT_EQ(M.RowCount(), 4);
    EXPECT_EQ(M.Columns()[0]->Name(), "Description");
    EXPECT_EQ(M.Columns()[1]->Name(), "Value");
    // Nested parameters are indented by their depth below the section.
    EXPECT_EQ(M.Cells(0, 0), "    Music on hold");
    EXPECT_EQ(M.Cells(0, 1), "        Hold time");
    EXPECT_EQ(M.Cells(0, 2), "        Beep");
    EXPECT_EQ(M.Cells(0, 3), "    Template only");
    // Data values in the template's cells, with the template's rules; the combo shows its text.
    EXPECT_EQ(M.Cells(1, 0), "No");
    EXPECT_EQ(M.GetCellValue(1, 0), "Off");
    EXPECT_EQ(M.Cells(1, 1), "45");
    EXPECT_EQ(M.GetCellValueType(1, 1), vtInteger);
    EXPECT_EQ(F.GetCellNode(1, 1), DataNode("Hold Time"));
    EXPECT_EQ(M.GetCellValueOptions(1, 1) & voReadOnly, 0);
    // A template row without data shows the default, read-only and unbound.
    EXPECT_EQ(M.Cells(1, 3), "dflt");
    EXPECT_NE(M.GetCellValueOptions(1, 3) & voReadOnly, 0);
    EXPECT_EQ(F.GetCellNode(1, 3), nullptr);
    // The description column never is editable; the skipped node left no row.
    EXPECT_NE(M.GetCellValueOptions(0, 0) & voReadOnly, 0);
    EXPECT_EQ(F.FindRowByKey(1, "Hidden"), -1);
    EXPECT_TRUE(F.TrackModified);
    ASSERT_EQ(F.LoadReport.size(), 1u);
    EXPECT_NE(F.LoadReport[0].find("\"Stray\""), std::string::npos);
}

// Property rows are found by their key: a row that has a key before the load keeps it, the others are taken in
// order by the names as they first come, and a name met again (a second description node, its data node) lands
// on the row it has.
TEST_F(GridFormCore, PropertyRowsAreFoundByTheirNames)
{
    TXmlNode* Again = AddNamed(D.View.FindNode(nullptr, "Group Only"), "ATTR", "Hold Time", "60");
    AddNamed(AddNamed(Again, "VIEWPARAM", "Cell Info"), "GATTR", "PropertyCaption", "Hold time again");
    D.AddSection("Call Hold");
    TPropertyForm F;
    TXStringGridModel& M = F.GridModel();
    M.SetRowCount(3);
    for (int c = 0; c < 2; ++c)
        M.Columns()[c]->SetRowProperty(true);
    M.SetCellKey(1, 1, "Beep");
    F.InitCore();
    F.ShowSection(true, "Call Hold", "");

    ASSERT_EQ(M.RowCount(), 4);
    EXPECT_EQ(F.FindRowByKey(1, "Music On Hold"), 0);
    EXPECT_EQ(F.FindRowByKey(1, "Beep"), 1);
    EXPECT_EQ(F.FindRowByKey(1, "Hold Time"), 2);
    EXPECT_EQ(F.FindRowByKey(1, "Template Only"), 3);
    EXPECT_EQ(M.Cells(0, 2), "        Hold time again");
    // The later data node of the name is the one bound.
    EXPECT_EQ(F.GetCellNode(1, 2), D.Data.FindNode(DataNode("Group Only"), "Hold Time"));
    EXPECT_EQ(M.Cells(1, 2), "60");
}

// A number the grid clamps or refuses is told at once, naming the allowed values and what the cell now holds; a
// number inside the range, at either bound, and an empty text where empty is allowed pass without a word.
TEST_F(GridFormCore, ANumberOutsideItsRangeIsToldWithTheRangeAndWhatTheCellHolds)
{
    D.AddSection("Call Hold");
    TPropertyForm F;
    F.InitCore();
    F.ShowSection(true, "Call Hold", "");
    TXStringGridModel& M = F.GridModel();
    M.SetCellValueType(1, 1, vtRangeInteger);
    M.SetCellMinInteger(1, 1, 5);
    M.SetCellMaxInteger(1, 1, 60);
    const struct {
        const char* Typed;
        bool CanEmpty;
        const char* Held;
        std::string Told;
    } Cases[] = {
        {"5", false, "5", ""},
        {"60", false, "60", ""},
        {"4", false, "5", "The value must be a whole number from 5 to 60. The cell now holds \"5\"."},
        {"61", false, "60", "The value must be a whole number from 5 to 60. The cell now holds \"60\"."},
        {"x1", false, "60", "The value must be a whole number from 5 to 60. The cell now holds \"60\"."},
        {"", false, "60", "The value must be a whole number from 5 to 60. The cell now holds \"60\"."},
        {"", true, "", ""},
        {"0", true, "5", "The value must be a whole number from 5 to 60 or nothing. The cell now holds \"5\"."},
    };
    for (const auto& C : Cases) {
        Dialogs.Boxes.clear();
        M.SetCellCanEmpty(1, 1, C.CanEmpty);
        M.CommitEditText(1, 1, C.Typed);
        EXPECT_EQ(M.Cells(1, 1), C.Held) << C.Typed;
        if (C.Told.empty()) {
            EXPECT_TRUE(Dialogs.Boxes.empty()) << C.Typed;
        } else {
            ASSERT_EQ(Dialogs.Boxes.size(), 1u) << C.Typed;
            EXPECT_EQ(Dialogs.Boxes[0].Text, C.Told);
        }
    }
    // Without a range, only the kind of value is named; nothing was written to the document meanwhile.
    EXPECT_EQ(RangeInputMessage(0, 0, false, ""), "The value must be a whole number. The cell now holds nothing.");
    EXPECT_EQ(DataNode("Hold Time")->GetValue(), "30");
}

TEST_F(GridFormCore, ASectionThatIsNotThereLoadsNothingAndSaysSo)
{
    TPropertyForm F;
    F.InitCore();
    EXPECT_THROW(F.ShowSection(true, "Call Hold", ""), Exception);
    EXPECT_TRUE(F.GridModel().NoDataRows());
    EXPECT_FALSE(F.ApplyChanges(true));
    EXPECT_TRUE(Services.Written.empty());
}

TEST_F(GridFormCore, ApplyWritesEditedCellsWithTheirMarksAndStoresTheSection)
{
    D.AddSection("Call Hold");
    TPropertyForm F;
    F.InitCore();
    F.SetFormCaption("Call Hold");
    F.ShowSection(true, "Call Hold", "");
    TXStringGridModel& M = F.GridModel();
    M.SetCells(1, 1, "60");
    M.SetCells(1, 0, "No");
    F.SetModified(true);
    EXPECT_EQ(F.FormCaption(), "Call Hold*");
    ASSERT_TRUE(F.ApplyChanges(true));

    EXPECT_EQ(DataNode("Hold Time")->GetValue(), "60");
    EXPECT_EQ(DataNode("Hold Time")->GetAttr("Change"), "Modify");
    EXPECT_EQ(DataNode("Music On Hold")->GetValue(), "No");
    EXPECT_EQ(DataNode("Beep")->GetAttr("Change"), "NoChange");
    EXPECT_EQ(Services.Written, std::vector<std::string>{"Call Hold"});
    EXPECT_EQ(Services.ModifiedCalls, 1);
    EXPECT_FALSE(F.Modified);
    EXPECT_EQ(F.FormCaption(), "Call Hold");

    // A mark that is not "NoChange" stays; a refused store keeps the form modified.
    DataNode("Hold Time")->SetAttr("Change", "Insert");
    M.SetCells(1, 1, "90");
    F.SetModified(true);
    Services.WriteAnswer = false;
    EXPECT_FALSE(F.ApplyChanges(true));
    EXPECT_EQ(DataNode("Hold Time")->GetAttr("Change"), "Insert");
    EXPECT_EQ(DataNode("Hold Time")->GetValue(), "90");
    EXPECT_TRUE(F.Modified);
}

TEST_F(GridFormCore, BoundNodesThatLeftTheDocumentResolveToNothing)
{
    D.AddSection("Call Hold");
    TPropertyForm F;
    F.InitCore();
    F.ShowSection(true, "Call Hold", "");
    TXmlNode* Hold = DataNode("Hold Time");
    ASSERT_EQ(F.GetCellNode(1, 1), Hold);
    Hold->Parent->RemoveChild(Hold);
    EXPECT_EQ(F.GetCellNode(1, 1), nullptr);
    F.GridModel().SetCells(1, 1, "99");
    EXPECT_TRUE(F.ApplyChanges(false));
}

TEST_F(GridFormCore, AReloadAfterAnotherWindowAppliedRebindsEveryCell)
{
    TXmlNode* Section = D.AddSection("Call Hold");
    TPropertyForm F;
    F.InitCore();
    F.ShowSection(true, "Call Hold", "");
    // Another window replaced a parameter node: the old binding must not survive the reload.
    Section->RemoveChild(DataNode("Music On Hold"));
    D.AddRecord(Section, "Music On Hold", false)->SetAttr("Value", "No");
    F.ReloadAfterChildApplied();
    EXPECT_EQ(F.GetCellNode(1, 0), DataNode("Music On Hold"));
    EXPECT_EQ(F.GridModel().Cells(1, 0), "No");
    EXPECT_EQ(F.GetCellNode(1, 1), nullptr) << "the nested node went with its parent";
    EXPECT_EQ(F.GridModel().RowCount(), 4);

    // A node still in the document but no longer named like its row is not written through that row any more.
    DataNode("Beep")->SetName("Beep 2");
    F.ReloadAfterChildApplied();
    EXPECT_EQ(F.GetCellNode(1, 2), nullptr);
    EXPECT_EQ(F.GridModel().Cells(1, 2), "No") << "the template's default";

    // A modified form keeps its edits instead.
    F.GridModel().SetCells(1, 0, "Yes");
    F.SetModified(true);
    F.ReloadAfterChildApplied();
    EXPECT_EQ(F.GridModel().Cells(1, 0), "Yes");
}

TEST_F(GridFormCore, ValuesTakenBackUnderAnEditedWindowShowOnlyInItsUneditedCells)
{
    D.AddSection("Call Hold");
    TPropertyForm F;
    F.InitCore();
    F.ShowSection(true, "Call Hold", "");
    TXStringGridModel& M = F.GridModel();
    ASSERT_NE(M.Cells(1, 0), "No");
    ASSERT_NE(M.Cells(1, 1), "45");
    M.SetCells(1, 1, "60");
    F.SetModified(true);
    const std::vector<std::pair<int, int>> Unedited = F.UneditedCells();
    EXPECT_EQ(std::count(Unedited.begin(), Unedited.end(), std::make_pair(1, 1)), 0);
    EXPECT_EQ(std::count(Unedited.begin(), Unedited.end(), std::make_pair(1, 0)), 1);
    // The document's values change under the window, its nodes kept.
    DataNode("Music On Hold")->SetValue("No");
    DataNode("Hold Time")->SetValue("45");
    F.ShowNodeValues(Unedited);
    EXPECT_EQ(M.Cells(1, 0), "No");
    EXPECT_EQ(M.Cells(1, 1), "60");
    ASSERT_TRUE(F.ApplyChanges(false));
    EXPECT_EQ(DataNode("Hold Time")->GetValue(), "60");
    EXPECT_EQ(DataNode("Music On Hold")->GetAttr("Change"), "NoChange");
}

TEST_F(GridFormCore, CaptionsWithAStrayPercentStayAsTheyAre)
{
    D.AddSection("Call Hold");
    TPropertyForm F;
    F.InitCore();
    F.SetFormCaption("Hold 100% %d %s");
    F.ShowSection(true, "Call Hold", "");
    EXPECT_EQ(F.FormCaption(), "Hold 100% %d %s");
    F.ApplyViewAttribute("PropertyCaption", "", "50% %s", true);
    EXPECT_NE(F.GridModel().Cells(0, F.PlaceRow).find("50% %s"), std::string::npos);
}

TEST_F(GridFormTable, RecordsLoadOneRowEachAndLinkTheirHeaderOnce)
{
    TXmlNode* Section = Store({"3", "1", "2"});
    Section->Nodes.Items(1)->SetAttr("Change", "Delete");
    TTableForm F;
    Open(F, 0);
    TXStringGridModel& M = F.GridModel();
    EXPECT_EQ(Keys(F), (std::vector<std::string>{"2", "3"})) << "sorted by key, the deleted record left out";
    ASSERT_EQ(M.ColumnCount(), 3);
    EXPECT_EQ(M.Columns()[1]->Caption(), "Date");
    EXPECT_EQ(M.Cells(1, 1), "12/3");
    EXPECT_EQ(F.GetCellNode(0, 1), Section->Nodes.Items(0));
    // Two columns under one header column, each linked once although every record applies its Cell Info.
    ASSERT_NE(F.G.HeaderModel, nullptr);
    ASSERT_EQ(F.G.HeaderModel->Columns().Count(), 1);
    EXPECT_EQ(F.G.HeaderModel->Columns()[0]->GetSubColumnCount(), 2);
    EXPECT_EQ(F.G.Links, 2);
}

// The records' cells are placed from the same description nodes: each one still gets every rule of every "Cell
// Info" of its node, and a reload reads the description as it is then.
TEST_F(GridFormTable, EveryRecordGetsItsCellRulesAndAReloadReadsTheDescriptionAgain)
{
    Store({"1", "2", "3"});
    TXmlNode* Date = D.View.FindNode(nullptr, "Date");
    TXmlNode* Hint = AddNamed(Date->Nodes.FindByName("Cell Info"), "GATTR", "Hint", "day and month");
    AddNamed(AddNamed(Date, "VIEWPARAM", "Cell Info"), "GATTR", "ValueType", "vtInteger");
    TTableForm F;
    Open(F, 0);
    TXStringGridModel& M = F.GridModel();
    ASSERT_EQ(M.RowCount(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(M.GetCellHint(1, r), "day and month") << r;
        EXPECT_EQ(M.GetCellValueType(1, r), vtInteger) << r;
        EXPECT_EQ(M.GetCellHint(2, r), "") << r;
    }
    Hint->SetAttr("Value", "when");
    F.ReshowSection();
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(M.GetCellHint(1, r), "when") << r;
}

TEST_F(GridFormTable, AddedModifiedAndDeletedRecordsGetTheirMarks)
{
    TXmlNode* Section = Store({"1", "2", "3"});
    TTableForm F;
    Open(F, 0);
    TXStringGridModel& M = F.GridModel();
    TXmlNode* One = Section->Nodes.Items(0);
    TXmlNode* Two = Section->Nodes.Items(1);

    // Delete a stored record and add one with the same key; edit another's date and a key.
    F.DeleteRecordRow(0);
    EXPECT_TRUE(F.Modified) << "a deleted row is an unapplied edit";
    int Row = F.AddRecordRow("1");
    EXPECT_EQ(Row, 0);
    EXPECT_EQ(M.Cells(1, 0), "01/01") << "the new row shows the template";
    M.SetCells(1, 0, "24/12");
    M.SetCells(1, 1, "25/12");
    M.SetCells(0, 2, "4");
    // A row added and deleted before Apply leaves no trace.
    F.DeleteRecordRow(F.AddRecordRow("9"));
    ASSERT_TRUE(F.ApplyChanges(true));

    EXPECT_EQ(One->GetAttr("Change"), "Delete");
    EXPECT_EQ(F.Deleted, std::vector<std::string>{"Holiday 1"});
    EXPECT_EQ(Two->Nodes.FindByName("Date")->GetValue(), "25/12");
    EXPECT_EQ(Two->Nodes.FindByName("Date")->GetAttr("Change"), "Modify");
    EXPECT_EQ(Two->GetAttr("Change"), "Modify") << "RowChanged marks the record";
    TXmlNode* Three = Section->Nodes.Items(2);
    EXPECT_EQ(Three->GetValue(), "4");
    // The write-back leaves a key edit unmarked; the record is marked by RowChanged, which still runs.
    EXPECT_EQ(Three->GetAttr("Change"), "Modify");
    ASSERT_EQ(Section->Nodes.Count(), 4);
    TXmlNode* New = Section->Nodes.Items(3);
    EXPECT_EQ(New->GetAttr("Change"), "Insert");
    EXPECT_EQ(New->GetValue(), "1");
    EXPECT_EQ(New->Nodes.FindByName("Date")->GetValue(), "24/12");
    EXPECT_TRUE(F.NewKeys.empty());
    EXPECT_TRUE(F.DeletedNodes.empty());

    // A record stored as "Insert" (batch mode) and deleted again is removed, never marked.
    EXPECT_EQ(New->GetName(), "Holiday #101");
    F.DeleteRecordRow(0);
    ASSERT_TRUE(F.ApplyChanges(true));
    EXPECT_EQ(Section->Nodes.Count(), 3);
    EXPECT_EQ(D.Data.FindNode(Section, "Holiday #101"), nullptr);
}

TEST_F(GridFormTable, ASectionWithoutStoredRecordsStillAddsRecords)
{
    TXmlNode* Section = Store({});
    TTableForm F;
    Open(F);
    EXPECT_EQ(F.GridModel().RowCount(), 0);
    int Row = F.AddRecordRow("5");
    EXPECT_EQ(F.GridModel().Cells(2, Row), "None") << "the description's record template shows the row";
    F.GridModel().SetCells(2, Row, "Day");
    ASSERT_TRUE(F.ApplyChanges(true));
    ASSERT_EQ(Section->Nodes.Count(), 1);
    EXPECT_EQ(Section->Nodes.Items(0)->GetValue(), "5");
    EXPECT_EQ(Section->Nodes.Items(0)->GetAttr("Change"), "Insert");
    EXPECT_EQ(Section->Nodes.Items(0)->Nodes.FindByName("Service")->GetValue(), "Day");
}

TEST_F(GridFormTable, AnApplyThatCouldNotMakeARecordNeverReportsSuccess)
{
    Store({});
    // A section whose description lost its record template.
    TXmlNode* Template = D.View.FindNode(nullptr, "Holiday");
    Template->Parent->RemoveChild(Template);
    TTableForm F;
    Open(F);
    F.AddRecordRow("5");
    F.SetModified(true);
    EXPECT_FALSE(F.ApplyChanges(true));
    EXPECT_TRUE(F.Modified);
    EXPECT_TRUE(Services.Written.empty());
    EXPECT_EQ(F.NewKeys, std::vector<int32_t>{5}) << "kept for the next Apply";
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_NE(Dialogs.Boxes[0].Text.find("5"), std::string::npos);
    EXPECT_THROW(F.AddRecordRow("five"), EConvertError);
    EXPECT_EQ(F.GridModel().RowCount(), 1);
}

namespace {
const char* const DependentDescription =
    "<ORLANTIS><PARAM Name=\"Routing\">"
    "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"GridOptions\" Type=\"goEditing\" Value=\"Yes\"/></VIEWPARAM>"
    "<PARAM Name=\"Transfer To\" Value=\"None\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Transfer to\"/>"
    "<GATTR Name=\"ValueOptions\" Type=\"voComboBox\" Value=\"Yes\"/>"
    "<GATTR Name=\"StrComboBox\" Value=\"None=No transfer\"/><GATTR Name=\"StrComboBox\" Value=\"Mbx=Mailbox\"/>"
    "</VIEWPARAM>"
    "<ATTR Name=\"Transfer Number\" Value=\"100\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Number\"/></VIEWPARAM></ATTR>"
    "</PARAM></PARAM></ORLANTIS>";

class GridFormHelpers : public GridFormCore {
protected:
    GridFormHelpers() : GridFormCore(DependentDescription) {}
};
} // namespace

TEST_F(GridFormHelpers, DependentNodesComeAndGoWithTheValueThatNeedsThem)
{
    TXmlNode* Section = D.AddSection("Routing");
    TXmlNode* Transfer = DataNode("Transfer To");
    ClearFormParamNodes(Transfer);
    TTestGridForm F;
    F.InitCore();
    F.ShowSection(true, "Routing", "");
    TXStringGridModel& M = F.GridModel();
    ASSERT_EQ(M.RowCount(), 2);
    EXPECT_EQ(F.GetCellNode(1, 1), nullptr) << "no data for the number yet";
    EXPECT_EQ(M.GetCellValue(1, 0), "No transfer");

    // An unchanged value changes nothing unless forced.
    F.UpdateDependentNodes(1, 0, false, {"Mbx"});
    EXPECT_EQ(Transfer->Nodes.Count(), 0);
    M.SetCells(1, 0, "Mbx");
    F.UpdateDependentNodes(1, 0, false, {"Mbx"});
    ASSERT_EQ(Transfer->Nodes.Count(), 1);
    TXmlNode* Number = Transfer->Nodes.Items(0);
    EXPECT_EQ(F.GetCellNode(1, 1), Number);
    EXPECT_EQ(Number->GetValue(), "");
    M.SetCells(1, 1, "555");
    ASSERT_TRUE(F.ApplyChanges(false));
    EXPECT_EQ(Transfer->GetValue(), "Mbx");
    EXPECT_EQ(Number->GetValue(), "555");

    // Back to a value without dependants: the node goes, the row shows the template's default, unbound.
    M.SetCells(1, 0, "None");
    F.UpdateDependentNodes(1, 0, false, {"Mbx"});
    EXPECT_EQ(Transfer->Nodes.Count(), 0);
    EXPECT_EQ(F.GetCellNode(1, 1), nullptr);
    EXPECT_EQ(M.Cells(1, 1), "100");
    EXPECT_TRUE(F.ShowsTemplateValues(D.View.FindNode(nullptr, "Transfer Number")));
    M.SetCells(1, 1, "7");
    EXPECT_FALSE(F.ShowsTemplateValues(D.View.FindNode(nullptr, "Transfer Number")));
    (void)Section;
}

TEST_F(GridFormHelpers, RowAndCellHelpersKeepToTheGrid)
{
    D.AddSection("Routing");
    TTestGridForm F;
    F.InitCore();
    F.ShowSection(true, "Routing", "");
    TXStringGridModel& M = F.GridModel();
    TXmlNode* Transfer = F.GetCellNode(1, 0);

    // Ranges are clamped; rows and columns outside the grid do nothing.
    F.SetRowReadOnly(false, 0, 99, -5);
    EXPECT_EQ(M.GetCellValueOptions(0, 0) & voReadOnly, 0);
    F.SetColumnReadOnly(true, 1, 99, -1);
    EXPECT_NE(M.GetCellValueOptions(1, 0) & voReadOnly, 0);
    EXPECT_NE(M.GetCellValueOptions(1, 1) & voReadOnly, 0);
    EXPECT_NO_THROW(F.SetRowReadOnly(true, 9, 1, 0));
    EXPECT_NO_THROW(F.SetColumnReadOnly(true, 5, 1, 0));

    // Combo lines: whole lines without regard to case, only in combo cells.
    F.RenameListItem(1, 0, "Mbx=Voice mailbox", "MBX=MAILBOX");
    F.RemoveListItem(1, 0, "none=no transfer");
    EXPECT_EQ(*M.GetCellItems(1, 0), std::vector<std::string>{"Mbx=Voice mailbox"});
    F.RemoveListItem(1, 1, "x");
    F.ClearComboItems();
    EXPECT_TRUE(M.GetCellItems(1, 0)->empty());

    // Shifting up moves texts and, when asked, bindings; the last row is emptied.
    F.ShiftRowsUp(0, true);
    EXPECT_EQ(M.Cells(1, 0), "100");
    EXPECT_EQ(F.GetCellNode(1, 0), DataNode("Transfer Number"));
    EXPECT_EQ(M.Cells(1, 1), "");
    EXPECT_EQ(F.GetCellNode(1, 1), nullptr);
    F.ShiftCellsLeft(0, 0, false);
    EXPECT_EQ(M.Cells(0, 0), "100");
    EXPECT_EQ(M.Cells(1, 0), "");

    // Names and values through the data document.
    F.SetChildValue(Transfer, "Transfer Number", "321");
    EXPECT_EQ(DataNode("Transfer Number")->GetValue(), "321");
    EXPECT_EQ(TGridFormCore::FindNamedChild(D.Data.Root(), "Routing", "Transfer To"), Transfer);
    EXPECT_EQ(TGridFormCore::FindNamedChild(D.Data.Root(), "Routing", "Nothing"), nullptr);
    TXmlNode* Number = DataNode("Transfer Number");
    Number->SetName("Number %T%");
    Number->SetAttr("Value", " 12 ");
    TGridFormCore::ExpandNodeName(Number);
    EXPECT_EQ(Number->GetName(), "Number 12");
    EXPECT_TRUE(F.IsNodeInColumn(1, Number));
    EXPECT_TRUE(TGridFormCore::FindNodeByID({TNodeRef(Number)}, Number));
    EXPECT_FALSE(TGridFormCore::FindNodeByID({TNodeRef(Transfer)}, Number));
}

TEST_F(GridFormTable, RowsWithAnEmptyKeySortLast)
{
    Store({"3", "2", "1"});
    TTableForm F;
    Open(F, 0);
    // A key emptied in the grid: its row goes below every number, also below the largest.
    F.GridModel().SetCells(0, 0, "");
    F.GridModel().SetCells(0, 2, "2147483647");
    F.SortRows();
    EXPECT_EQ(Keys(F), (std::vector<std::string>{"2", "2147483647", ""}));
}

TEST_F(GridFormTable, ARowAddedAndDeletedAgainLeavesAnUnchangedWindowUnmarked)
{
    Store({"1", "2"});
    TTableForm F;
    Open(F, 0);
    F.SetFormCaption("Holidays");
    F.DeleteRecordRow(F.AddRecordRow("5"));
    EXPECT_FALSE(F.Modified);
    EXPECT_EQ(F.FormCaption(), "Holidays");
    // Two added, one deleted: one is still to be applied.
    F.AddRecordRow("5");
    const int Six = F.AddRecordRow("6");
    F.DeleteRecordRow(Six);
    EXPECT_TRUE(F.Modified);
    const std::vector<std::string> K = Keys(F);
    F.DeleteRecordRow(int(std::find(K.begin(), K.end(), "5") - K.begin()));
    EXPECT_FALSE(F.Modified);
    // An edit made before the add is still there after the delete.
    F.GridModel().SetCells(1, 0, "31/12");
    F.SetModified(true);
    F.DeleteRecordRow(F.AddRecordRow("7"));
    EXPECT_TRUE(F.Modified);
    EXPECT_EQ(F.FormCaption(), "Holidays*");
    // A stored record deleted stays an edit, whatever was added and removed around it.
    ASSERT_TRUE(F.ApplyChanges(true));
    F.DeleteRecordRow(0);
    F.DeleteRecordRow(F.AddRecordRow("8"));
    EXPECT_TRUE(F.Modified);
}

TEST_F(GridFormTable, TheCaptionQuotedInMessagesHasNoModifiedMark)
{
    Store({"1"});
    TTableForm F;
    Open(F, 0);
    F.SetFormCaption("Holidays");
    F.SetModified(true);
    EXPECT_EQ(F.FormCaption(), "Holidays*");
    EXPECT_EQ(F.SectionCaption(), "Holidays");
}
