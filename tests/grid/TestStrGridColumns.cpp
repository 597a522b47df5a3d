// The column model: list-cell conversions, drop-down mapping, cell words, rule selection and header widths.
#include "grid/XStrGridModel.h"
#include "grid/XStrGridTexts.h"
#include "common/StringGroups.h"

#include <gtest/gtest.h>

TEST(StrGridColumns, CommaTextRoundTrip)
{
    EXPECT_EQ(LinesToCommaText("a\r\nb c\r\nd,e"), "a,\"b c\",\"d,e\"");
    EXPECT_EQ(CommaTextToLines("a,\"b c\",\"d,e\""), "a\r\nb c\r\nd,e");
    EXPECT_EQ(LinesToCommaText(""), "");
    EXPECT_EQ(LinesToCommaText("a\r\n"), "a,");
    EXPECT_EQ(CommaTextToLines("a,"), "a\r\n");
    EXPECT_EQ(LinesToCommaText("x\ny\rz"), "x,y,z");
    EXPECT_EQ(LinesToCommaText("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CommaTextToLines("\"say \"\"hi\"\"\""), "say \"hi\"");
    // Blanks between items are skipped; an unquoted item followed by a blank runs on with the next one.
    EXPECT_EQ(CommaTextToLines("  a ,  b"), "a\r\nb");
    EXPECT_EQ(CommaTextToLines("a b"), "ab");
    // Round trips of arbitrary lines, empty lines included.
    for (std::string lines : {"one", "a\r\n\r\nb", "q\"q\r\n,\r\n ", "tab\there"})
        EXPECT_EQ(CommaTextToLines(LinesToCommaText(lines)), lines) << lines;
    // An unterminated quote and a stray NUL end without looping.
    EXPECT_EQ(CommaTextToLines("\"abc"), "abc");
    EXPECT_EQ(CommaTextToLines(std::string("a\0b", 3)), "ab");
}

TEST(StrGridColumns, DropDownMapping)
{
    std::vector<std::string> items = {"1=Monday", "2=Tuesday", "Holiday", "3="};
    EXPECT_EQ(ComboNameToValue(items, "1"), "Monday");
    EXPECT_EQ(ComboNameToValue(items, "holiday"), "Holiday");
    EXPECT_EQ(ComboNameToValue(items, "3"), "3");    // empty Value stores the written text
    EXPECT_EQ(ComboNameToValue(items, "9"), "9");
    EXPECT_EQ(ComboValueToName(items, "Tuesday"), "2");
    EXPECT_EQ(ComboValueToName(items, "tuesday"), "tuesday");   // exact match only
    EXPECT_EQ(ComboValueToName(items, "Holiday"), "Holiday");
}

TEST(StrGridColumns, CellWordOptionRules)
{
    TXStringGridModel g;
    TXGridColumn* c = g.Columns().Add();
    g.AddRows(2);
    c->SetValueOptions(0, voButton | voComboBox);
    EXPECT_EQ(c->GetValueOptions(0), voButton);
    c->SetValueOptions(0, voComboBox | voReadOnly);
    EXPECT_EQ(c->GetValueOptions(0), voComboBox | voReadOnly);
    c->SetValueType(1, vtInteger);
    c->SetValueOptions(1, voList);
    EXPECT_EQ(c->GetValueOptions(1), 0);
    // Changing the type afterwards does not revisit the options.
    c->SetValueType(1, vtString);
    c->SetValueOptions(1, voList);
    c->SetValueType(1, vtInteger);
    EXPECT_EQ(c->GetValueOptions(1), voList);
    EXPECT_EQ(c->CellWord(1), uint32_t(voList) + 4u * 65536u);
}

TEST(StrGridColumns, RulesPerRowOrPerColumn)
{
    TXStringGridModel g;
    TXGridColumn* c = g.Columns().Add();
    g.AddRows(2);
    EXPECT_EQ(c->CellProperty(0).MaxInteger, 2147483647);
    c->CellProperty(0).Hint = "shared";
    EXPECT_EQ(c->CellProperty(1).Hint, "shared");
    c->SetRowProperty(true);
    EXPECT_EQ(c->RowProperties().Count(), 2);
    c->CellProperty(0).Hint = "own";
    EXPECT_EQ(c->CellProperty(1).Hint, "");
    g.AddRow();
    EXPECT_EQ(c->CellProperty(2).MaxInteger, 0);   // a row added later starts with bounds 0..0
    TXGridProperties props;
    props.Add().Key = "a";
    props.Add().Key = "b";
    props.Items(0).Items = {"x=1"};
    props.Exchange(0, 1);
    EXPECT_EQ(props.Items(0).Key, "b");
    EXPECT_EQ(props.Items(1).Items, std::vector<std::string>{"x=1"});
}

TEST(StrGridColumns, NamesAndFinding)
{
    TXStringGridModel g;
    TXGridColumn* a = g.Columns().Add();
    TXGridColumn* b = g.Columns().Add();
    a->SetName("Value");
    EXPECT_EQ(g.Columns().FindColumn("VALUE"), a);
    EXPECT_EQ(g.Columns().FindColumn("none"), nullptr);
    try {
        b->SetName("vALUE");
        FAIL();
    } catch (const EXGridColumnsError& e) {
        EXPECT_EQ(e.Message, "Column name \"vALUE\" already exists");
    }
    EXPECT_EQ(b->Name(), "");
    EXPECT_THROW(b->SetIndex(-1), EXGridError);
    // The message table can be replaced at start-up.
    ASSERT_TRUE(SetXStrGridText(SWrongColumnIndex, "Bad column"));
    try {
        g.Cells(7, 0);
        FAIL();
    } catch (const EXGridError& e) {
        EXPECT_EQ(e.Message, "Bad column");
    }
    ResetXStrGridTexts();
    EXPECT_FALSE(SetXStrGridText("NoSuchKey", "x"));
}

TEST(StrGridColumns, HeaderColumnWidthFollowsLinkedColumns)
{
    TXStringGridModel data, header;
    TXGridColumn* d1 = data.Columns().Add();
    TXGridColumn* d2 = data.Columns().Add();
    TXGridColumn* d3 = data.Columns().Add();
    TXGridColumn* h1 = header.Columns().Add();
    TXGridColumn* h2 = header.Columns().Add();
    d1->SetWidth(50);
    d2->SetWidth(70);
    h1->AddSubColumn(d1);
    h1->AddSubColumn(d2);
    EXPECT_EQ(h1->Width(), 121);
    d2->SetWidth(80);
    EXPECT_EQ(h1->Width(), 131);
    // Linked anew: the column leaves its former header column.
    h2->AddSubColumn(d3);
    h2->AddSubColumn(d2);
    EXPECT_EQ(h1->GetSubColumnCount(), 1);
    EXPECT_EQ(h1->Width(), 50);
    EXPECT_EQ(h2->FirstSubPosition(), 1);
    // A data column going away leaves no dangling link.
    data.Columns().Delete(2);
    EXPECT_EQ(h2->GetSubColumnCount(), 1);
}

TEST(StrGridColumns, KeyFilterPerType)
{
    EXPECT_TRUE(CellAcceptsChar(vtString, "", "x", 'x'));
    EXPECT_FALSE(CellAcceptsChar(vtInteger, "", "", '-'));
    EXPECT_TRUE(CellAcceptsChar(vtRangeInteger, "", "", '7'));
    EXPECT_TRUE(CellAcceptsChar(vtInteger, "", "", 8));   // Backspace always
    // Letters are always taken by an alphabetic cell; a masked cell obeys its masks.
    EXPECT_TRUE(CellAcceptsChar(vtAlphabeticString, "", "a", 'a'));
    EXPECT_FALSE(CellAcceptsChar(vtMaskedString, "", "a", 'a'));
    EXPECT_FALSE(CellAcceptsChar(vtAlphabeticString, "", "", '1'));
    EXPECT_TRUE(CellAcceptsChar(vtAlphaNumericString, "", "", '1'));
    EXPECT_FALSE(CellAcceptsChar(vtAlphaNumericString, "", "", '_'));
    EXPECT_TRUE(CellAcceptsChar(vtAlphaNumericString, "_", "", '_'));
    const std::string time = "0123456789:";
    EXPECT_TRUE(CellAcceptsChar(vtMaskedString, time, "", ':'));
    EXPECT_TRUE(CellAcceptsChar(vtMaskedString, time, "", '5'));
    EXPECT_FALSE(CellAcceptsChar(vtMaskedString, time, "", 'a'));
    EXPECT_TRUE(CellAcceptsChar(vtMaskedString, "", "", '%'));
}

TEST(StrGridColumns, TextStoreReachesTheGridMessages)
{
    ASSERT_TRUE(SetGroupString("XStrGrid Unit", "SWrongRowIndex", "Row out of range"));
    EXPECT_EQ(XStrGridText(SWrongRowIndex), "Row out of range");
    EXPECT_FALSE(SetGroupString("XStrGrid Unit", "NoSuchKey", "x"));
    ResetXStrGridTexts();
    EXPECT_EQ(XStrGridText(SWrongRowIndex), "Wrong row index");
}

TEST(StrGridColumns, ActiveColumnIsAnnouncedOnce)
{
    struct Grid : TXStringGridModel {
        int Announced = 0;
        void ActiveColChanged(TXGridColumn*, TXGridColumn*) override { ++Announced; }
        void ReselectCurrent() override
        {
            if (!ActiveColumn() && ColumnCount() > 0) {
                SetActiveColumnRaw(ColumnList()[0]);
                ActiveColChanged(nullptr, ColumnList()[0]);
            }
        }
    } g;
    g.Columns().Add();
    EXPECT_EQ(g.Announced, 1);
    EXPECT_EQ(g.ActiveColumn(), g.Columns()[0]);
}
