// The view-description interpreter on a model grid: every key with its gating (editable only, property or table
// mode, Cell Info only), the mailbox macros, later keys winning, and what is ignored.
#include "GridFormFixture.h"

#include "platform/StrUtil.h"

namespace {

class ViewDescription : public ::testing::Test {
protected:
    ViewDescription() : Scope(&Services)
    {
        F.G.M.SetRowCount(2);
        for (int c = 0; c < 2; ++c)
            F.G.M.Columns()[c]->SetRowProperty(true);
        F.GridModel().Columns()[0]->SetName("Description");
        F.GridModel().Columns()[1]->SetName("Value");
        F.RowAlignments.assign(2, taLeftJustify);
        F.PropertyMode = true;
        F.PlaceCol = 1;
        F.PlaceRow = 1;
    }
    void Editable(bool On)
    {
        F.G.Opts = On ? TGridOptions(F.G.Opts | goEditing) : TGridOptions(F.G.Opts & ~goEditing);
    }
    void A(const std::string& Name, const std::string& Value, const std::string& Type = "", bool Flag = true)
    {
        F.ApplyViewAttribute(Name, Type, Value, Flag);
    }
    TXStringGridModel& M() { return F.G.M; }

    TFakeFormServices Services;
    TFormServicesScope Scope;
    TTestGridForm F;
};

} // namespace

TEST_F(ViewDescription, GridKeysActAlwaysAndConvertStrictly)
{
    A("FixedCols", "0", "", false);
    EXPECT_EQ(F.G.Fixed, 0);
    A("HeaderHeight", "34", "", false);
    EXPECT_EQ(F.G.Header, 34);
    A("GridOptions", "yes", "goEditing", false);
    EXPECT_TRUE(F.IsEditable());
    A("GridOptions", "No", "goHorzLine", false);
    EXPECT_EQ(F.G.Opts & goHorzLine, 0);
    A("GridOptions", "Yes", "goRowDifferentHeight", false);   // not settable from a description
    EXPECT_EQ(F.G.Opts & goRowDifferentHeight, 0);
    A("DoubleHeader", "TRUE", "", false);
    EXPECT_TRUE(F.G.DoubleHeader());

    // Bad texts raise before anything changes; unknown keys are ignored.
    EXPECT_THROW(A("HeaderHeight", "tall"), EConvertError);
    EXPECT_EQ(F.G.Header, 34);
    EXPECT_THROW(A("GridOptions", "maybe", "goTabs"), EConvertError);
    EXPECT_NO_THROW(A("NoSuchKey", "x"));
    EXPECT_NO_THROW(A("GridOptions", "Yes", "goNoSuchOption"));
}

TEST_F(ViewDescription, PropertyColumnsAreFoundByNameAndOnlyInPropertyMode)
{
    A("DescrColumnCaption", "Parameter", "", false);
    A("ValueColumnCaption", "Setting", "", false);
    A("DescrColumnWidth", "150", "", false);
    A("ValueColumnAlignment", "taCenter", "", false);
    A("DescrColumnAlignment", "taMiddle", "", false);   // unknown alignment: no change
    EXPECT_EQ(M().Columns()[0]->Caption(), "Parameter");
    EXPECT_EQ(M().Columns()[1]->Caption(), "Setting");
    EXPECT_EQ(M().Columns()[0]->Width(), 150);
    EXPECT_EQ(M().Columns()[1]->Alignment(), taCenter);
    EXPECT_EQ(M().Columns()[0]->Alignment(), taLeftJustify);
    A("PropertyAlignment", "taRightJustify");
    EXPECT_EQ(F.RowAlignments[1], taRightJustify);
    EXPECT_EQ(F.RowAlignments[0], taLeftJustify);

    F.PropertyMode = false;
    A("DescrColumnCaption", "Other", "", false);
    A("PropertyAlignment", "taCenter");
    EXPECT_EQ(M().Columns()[0]->Caption(), "Parameter");
    EXPECT_EQ(F.RowAlignments[1], taRightJustify);
}

TEST_F(ViewDescription, CellRulesNeedAnEditableGrid)
{
    // Read-only grid: only the hint, alignments, widths and captions act.
    A("CellValue", "12");
    A("ValueType", "vtInteger");
    A("ValueOptions", "Yes", "voButton");
    A("MinInteger", "5");
    A("StrComboBox", "1=One");
    A("Hint", "Seconds to wait");
    A("PropertyCaption", "Hold time");
    EXPECT_EQ(M().Cells(1, 1), "");
    EXPECT_EQ(M().GetCellValueType(1, 1), vtString);
    EXPECT_EQ(M().GetCellValueOptions(1, 1), 0);
    EXPECT_EQ(M().GetCellMinInteger(1, 1), 0);
    EXPECT_TRUE(M().GetCellItems(1, 1)->empty());
    EXPECT_EQ(M().GetCellHint(1, 1), "Seconds to wait");
    EXPECT_EQ(M().Cells(0, 1), "Hold time");
    // A bad number of an ignored rule is no error either.
    EXPECT_NO_THROW(A("MaxInteger", "lots"));

    Editable(true);
    A("ValueType", "vtRangeInteger");
    A("ValueType", "vtInteger");   // the later one wins
    A("InputMask", "0123456789");
    A("NotInputMask", "#");
    A("EditMask", "000");
    A("MinInteger", "5");
    A("MaxInteger", "300");
    A("CanEmpty", "YES");
    A("EditLimit", "3");
    A("CellValue", "12");
    A("ValueType", "vtWhatever");
    EXPECT_EQ(M().GetCellValueType(1, 1), vtString) << "an unknown type text gives vtString";
    A("ValueType", "vtInteger");
    EXPECT_EQ(M().GetCellValueType(1, 1), vtInteger);
    EXPECT_EQ(M().GetCellInputMask(1, 1), "0123456789");
    EXPECT_EQ(M().GetCellNotInputMask(1, 1), "#");
    EXPECT_EQ(M().GetCellEditMask(1, 1), "000");
    EXPECT_EQ(M().GetCellMinInteger(1, 1), 5);
    EXPECT_EQ(M().GetCellMaxInteger(1, 1), 300);
    EXPECT_TRUE(M().GetCellCanEmpty(1, 1));
    EXPECT_EQ(M().GetCellEditLimit(1, 1), 3);
    EXPECT_EQ(M().Cells(1, 1), "12");
    // The other row is untouched.
    EXPECT_EQ(M().GetCellMinInteger(1, 0), 0);

    // The integer type drops the list option (the grid's rule).
    A("ValueOptions", "Yes", "voList");
    EXPECT_EQ(M().GetCellValueOptions(1, 1) & voList, 0);
    A("ValueOptions", "Yes", "voReadOnly");
    A("ValueOptions", "Yes", "voNoSuch");
    EXPECT_EQ(M().GetCellValueOptions(1, 1), voReadOnly);
    A("ValueOptions", "No", "voReadOnly");
    EXPECT_EQ(M().GetCellValueOptions(1, 1), 0);
}

TEST_F(ViewDescription, ComboLinesMacrosAndGoEditingFromTheGridInfo)
{
    Services.Facts.MailboxNoLength = 4;
    // goEditing switched on by a Grid Info makes the later Cell Info rules act.
    A("GridOptions", "yes", "goEditing", false);
    A("ValueOptions", "True", "voComboBox");
    A("StrComboBox", "Yes=Enabled");
    A("StrComboBox", "No=Disabled");
    EXPECT_EQ(*M().GetCellItems(1, 1), (std::vector<std::string>{"Yes=Enabled", "No=Disabled"}));
    A("MinInteger", "%MBX_MIN%");
    A("MaxInteger", "%MBX_MAX%");
    A("EditLimit", "%MBX_LEN%");
    EXPECT_EQ(M().GetCellMinInteger(1, 1), 1000);
    EXPECT_EQ(M().GetCellMaxInteger(1, 1), 9999);
    EXPECT_EQ(M().GetCellEditLimit(1, 1), 4);
    // Whole-value matches only: a macro inside a text is a text that is no number.
    EXPECT_THROW(A("MinInteger", "%MBX_MIN%0"), EConvertError);
    Services.Facts.MailboxNoLength = 6;
    A("MaxInteger", "%MBX_MAX%");
    EXPECT_EQ(M().GetCellMaxInteger(1, 1), 999);
}

TEST_F(ViewDescription, TableKeysNeedTableModeAndCellInfo)
{
    F.PropertyMode = false;
    A("ColumnWidth", "80", "", false);
    A("ColumnCaption", "Date", "", false);
    EXPECT_EQ(M().Columns()[1]->Caption(), "");
    EXPECT_NE(M().Columns()[1]->Width(), 80);
    A("ColumnWidth", "80");
    A("ColumnCaption", "Date");
    A("ColumnAlignment", "taRightJustify");
    EXPECT_EQ(M().Columns()[1]->Width(), 80);
    EXPECT_EQ(M().Columns()[1]->Caption(), "Date");
    EXPECT_EQ(M().Columns()[1]->Alignment(), taRightJustify);

    // The double header: nothing while it is off, then one header column per caption.
    A("DoubleHeaderColumnCaption", "Period");
    EXPECT_EQ(F.G.Links, 0);
    A("DoubleHeader", "Yes", "", false);
    A("DoubleHeaderColumnCaption", "Period");
    F.PlaceCol = 0;
    A("DoubleHeaderColumnCaption", "period");
    ASSERT_EQ(F.G.HeaderModel->Columns().Count(), 1);
    EXPECT_EQ(F.G.HeaderModel->Columns()[0]->Caption(), "Period");
    EXPECT_EQ(F.G.HeaderModel->Columns()[0]->GetSubColumnCount(), 2);
}

TEST_F(ViewDescription, GridInfoKeysForACellWhileNoCellIsPlacedAreIgnored)
{
    Editable(true);
    F.PlaceRow = -1;
    F.PlaceCol = -1;
    for (const char* Key : {"CellValue", "ValueType", "Hint", "PropertyCaption", "StrComboBox", "InputMask",
             "PropertyAlignment", "ColumnAlignment", "ColumnWidth", "ColumnCaption", "DoubleHeaderColumnCaption"})
        EXPECT_NO_THROW(A(Key, "1", "", false)) << Key;
    EXPECT_NO_THROW(A("ValueOptions", "Yes", "voReadOnly", false));
    EXPECT_NO_THROW(A("MinInteger", "%MBX_MIN%", "", false));
    // A place beyond the grid is no cell either.
    F.PlaceRow = 7;
    F.PlaceCol = 1;
    EXPECT_NO_THROW(A("CellValue", "x"));
    EXPECT_EQ(M().Cells(1, 1), "");
}

TEST_F(ViewDescription, ParamsComeFromTheTemplateInDocumentOrder)
{
    TFormDocuments D("<ORLANTIS><PARAM Name=\"Hold\">"
                     "<VIEWPARAM Name=\"Cell Info\">"
                     "<GATTR Name=\"Hint\" Value=\"first\"/><GATTR Name=\"Hint\" Value=\"second\"/>"
                     "<OTHER Name=\"Hint\" Value=\"not a GATTR\"/></VIEWPARAM>"
                     "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"CellValue\"/></VIEWPARAM>"
                     "<VIEWPARAM Name=\"cell info\"><GATTR Name=\"Hint\" Value=\"wrong case\"/></VIEWPARAM>"
                     "</PARAM></ORLANTIS>");
    TXmlNode* Data = D.AddSection("Hold");
    Editable(true);
    M().SetCells(1, 1, "was");
    F.ApplyViewParams(nullptr, "Cell Info", true);
    F.ApplyViewParams(Data, "Cell Info", true);
    EXPECT_EQ(M().GetCellHint(1, 1), "second");
    EXPECT_EQ(M().Cells(1, 1), "") << "a GATTR without Value reads as empty";
}
