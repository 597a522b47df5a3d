// The string grid's data side: rows, cells, commits with their checks, sorting and modified tracking.
#include "grid/XStrGridModel.h"
#include "platform/StrUtil.h"

#include <gtest/gtest.h>
#include <set>

namespace {
struct Grid : TXStringGridModel {
    int Invalidated = 0;
    int CoreRows = 0;
    void InvalidateAll() override { ++Invalidated; }
    void UpdateCoreRows() override { CoreRows = RowCount() + 1; }
};

// Two columns "Name" and "Number" with N rows.
void Fill(Grid& g, const std::vector<std::pair<std::string, std::string>>& rows)
{
    g.Columns().Add()->SetName("Name");
    g.Columns().Add()->SetName("Number");
    g.AddRows(int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        g.SetCells(0, int(r), rows[r].first);
        g.SetCells(1, int(r), rows[r].second);
    }
}
}  // namespace

TEST(StrGridModel, NoDataRowsAnswersEmptyAndChecksIndexes)
{
    Grid g;
    g.Columns().Add();
    EXPECT_TRUE(g.NoDataRows());
    EXPECT_EQ(g.RowCount(), 0);
    EXPECT_THROW(g.Cells(0, 0), EXGridError);
    EXPECT_EQ(g.GetCellValueType(0, 0), vtString);
    EXPECT_EQ(g.GetCellItems(0, 0), nullptr);
    g.SetRowCount(3);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.CoreRows, 4);
    EXPECT_THROW(g.Cells(1, 0), EXGridError);
    EXPECT_THROW(g.SetCellKey(0, 3, "x"), EXGridError);
    g.SetRowCount(0);
    EXPECT_TRUE(g.NoDataRows());
    EXPECT_EQ(g.CoreRows, 1);
}

TEST(StrGridModel, InsertDeleteAndExchangeMoveRulesWithRows)
{
    Grid g;
    Fill(g, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    g.Columns()[1]->SetRowProperty(true);
    g.SetCellKey(1, 2, "key-c");
    g.InsertRow(1);
    EXPECT_EQ(g.Cells(0, 1), "");
    EXPECT_EQ(g.Cells(0, 2), "b");
    EXPECT_EQ(g.GetCellKey(1, 3), "key-c");
    g.ExchangeRows(0, 3);
    EXPECT_EQ(g.Cells(0, 0), "c");
    EXPECT_EQ(g.GetCellKey(1, 0), "key-c");
    g.DeleteRows(0, 1);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Cells(0, 0), "b");
    EXPECT_EQ(g.GetCellKey(1, 0), "");
    EXPECT_THROW(g.DeleteRows(1, 5), EXGridError);
    EXPECT_EQ(g.RowCount(), 2);
}

TEST(StrGridModel, CommitNormalisesIntegersAndRefusesNonNumbers)
{
    Grid g;
    Fill(g, {{"x", "5"}});
    g.SetCellValueType(1, 0, vtInteger);
    int errors = 0;
    g.OnErrorRangeInput = [&](int, int) { ++errors; };
    EXPECT_TRUE(g.CommitEditText(1, 0, "007"));
    EXPECT_EQ(g.Cells(1, 0), "7");
    // Letters, overflow and an empty text without CanEmpty keep the old text and report it.
    EXPECT_FALSE(g.CommitEditText(1, 0, "abc"));
    EXPECT_FALSE(g.CommitEditText(1, 0, "99999999999"));
    EXPECT_FALSE(g.CommitEditText(1, 0, ""));
    EXPECT_EQ(g.Cells(1, 0), "7");
    EXPECT_EQ(errors, 3);
    g.SetCellCanEmpty(1, 0, true);
    EXPECT_TRUE(g.CommitEditText(1, 0, ""));
    EXPECT_EQ(g.Cells(1, 0), "");
}

TEST(StrGridModel, RangeClampNeedsARealRange)
{
    Grid g;
    Fill(g, {{"x", ""}});
    g.Columns()[1]->SetRowProperty(true);   // per-row rules: bounds 0..0
    g.SetCellValueType(1, 0, vtRangeInteger);
    int errors = 0;
    g.OnErrorRangeInput = [&](int, int) { ++errors; };
    g.CommitEditText(1, 0, "12");
    EXPECT_EQ(g.Cells(1, 0), "12");   // 0..0: no clamp
    g.SetCellMinInteger(1, 0, 1);
    g.SetCellMaxInteger(1, 0, 9);
    g.CommitEditText(1, 0, "12");
    EXPECT_EQ(g.Cells(1, 0), "9");
    EXPECT_EQ(errors, 1);
    g.CommitEditText(1, 0, "0");
    EXPECT_EQ(g.Cells(1, 0), "1");
    EXPECT_EQ(errors, 2);
    // Only a minimum set (maximum still 0): no clamp to 0.
    g.SetCellMinInteger(1, 0, 5);
    g.SetCellMaxInteger(1, 0, 0);
    g.CommitEditText(1, 0, "40");
    EXPECT_EQ(g.Cells(1, 0), "40");
    EXPECT_EQ(errors, 2);
}

TEST(StrGridModel, DropDownCellsExchangeNames)
{
    Grid g;
    Fill(g, {{"x", ""}});
    g.SetCellValueOptions(1, 0, voComboBox);
    *g.GetCellItems(1, 0) = {"1=Monday", "2=Tuesday", "Monday=Sunday"};
    g.SetCells(1, 0, "1");
    EXPECT_EQ(g.GetCellValue(1, 0), "Monday");
    EXPECT_EQ(g.Cells(1, 0), "1");
    // The pick list commits a shown text; the handler sees and may change the Name.
    std::string seen;
    g.OnSetEditText = [&](int, int, std::string& v) { seen = v; };
    g.CommitEditText(1, 0, "Sunday");
    EXPECT_EQ(seen, "Monday");
    EXPECT_EQ(g.GetCellValue(1, 0), "Sunday");
    g.CommitEditText(1, 0, "Monday");   // a shown text that is also another line's Name
    EXPECT_EQ(g.GetCellValue(1, 0), "Monday");
    g.OnSetEditText = [](int, int, std::string& v) { v = "2"; };
    g.CommitEditText(1, 0, "Monday");
    EXPECT_EQ(g.GetCellValue(1, 0), "Tuesday");
}

TEST(StrGridModel, ListCellsStoreCommaText)
{
    Grid g;
    Fill(g, {{"", ""}});
    g.SetCellValueOptions(0, 0, voList);
    g.SetCells(0, 0, "a\r\nb c");
    EXPECT_EQ(g.StoredText(0, 0), "a,\"b c\"");
    EXPECT_EQ(g.Cells(0, 0), "a\r\nb c");
}

TEST(StrGridModel, SortingMovesRulesWithRows)
{
    Grid g;
    Fill(g, {{"delta", "4"}, {"Alpha", "1"}, {"charlie", "3"}, {"bravo", "2"}, {"alpha", "0"}});
    g.Columns()[1]->SetRowProperty(true);
    for (int r = 0; r < 5; ++r)
        g.SetCellKey(1, r, "k" + g.Cells(1, r));
    g.Columns()[0]->SetSortOrder(csAsc);   // AutoSort is on: sorts at once
    std::vector<std::string> names;
    for (int r = 0; r < 5; ++r) {
        names.push_back(g.Cells(0, r));
        EXPECT_EQ(g.GetCellKey(1, r), "k" + g.Cells(1, r));
    }
    EXPECT_EQ(names[2], "bravo");
    EXPECT_TRUE(SameText(names[0], "alpha") && SameText(names[1], "alpha"));
    EXPECT_EQ(names[4], "delta");
    g.Columns()[0]->SetSortOrder(csDsc);
    EXPECT_EQ(g.Cells(0, 0), "delta");
    // The owner's comparison has the last word (numbers compared as integers here).
    g.Columns()[0]->SetSortOrder(csNone);
    g.OnCompareRows = [&](const TXGridColumnList& cols, int a, int b, int& result) {
        ASSERT_EQ(cols.Count(), 1);
        result = std::stoi(g.Cells(1, a)) - std::stoi(g.Cells(1, b));
    };
    g.Columns()[1]->SetSortOrder(csAsc);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(g.Cells(1, r), std::to_string(r));
}

// A comparison handler that is no order still ends the sort with every row once and whole; dropped again, the
// grid's own comparison sorts the same rows into order.
TEST(StrGridModel, SortSurvivesAComparisonThatIsNoOrder)
{
    Grid g;
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back({std::to_string(i % 7), std::to_string(1000 + i)});
    Fill(g, rows);
    int calls = 0;
    g.OnCompareRows = [&](const TXGridColumnList&, int, int, int& result) { result = (++calls % 3) - 1; };
    g.Columns()[0]->SetSortOrder(csAsc);
    std::set<std::string> seen;
    for (int r = 0; r < g.RowCount(); ++r) {
        int i = std::stoi(g.Cells(1, r)) - 1000;
        EXPECT_EQ(g.Cells(0, r), std::to_string(i % 7));   // the row stayed whole
        seen.insert(g.Cells(1, r));
    }
    EXPECT_EQ(seen.size(), 200u);
    g.OnCompareRows = nullptr;
    g.Columns()[0]->SetSortOrder(csNone);
    g.Columns()[1]->SetSortOrder(csDsc);
    for (int r = 0; r < 200; ++r)
        EXPECT_EQ(g.Cells(1, r), std::to_string(1199 - r));
    g.Columns()[1]->SetSortOrder(csNone);
    g.Columns()[0]->SetSortOrder(csAsc);
    for (int r = 1; r < 200; ++r)
        EXPECT_LE(g.Cells(0, r - 1), g.Cells(0, r));
}

TEST(StrGridModel, ModifiedTracking)
{
    Grid g;
    Fill(g, {{"a", "1"}});
    int fired = 0;
    g.OnModified = [&] { ++fired; };
    g.SetCells(0, 0, "b");
    EXPECT_FALSE(g.Modified());   // tracking is off
    g.ModifyTracking = true;
    g.SetCells(0, 0, "b");        // unchanged text
    EXPECT_FALSE(g.Modified());
    g.SetCells(0, 0, "c");
    EXPECT_TRUE(g.Modified());
    g.ClearModified();
    g.InsertRow(0);               // inserting alone does not mark
    EXPECT_FALSE(g.Modified());
    g.AddRow();
    EXPECT_TRUE(g.Modified());
    g.ClearModified();
    g.DeleteRows(0, 0);
    EXPECT_TRUE(g.Modified());
    EXPECT_EQ(fired, 3);
}

TEST(StrGridModel, HiddenColumnsLeaveTheList)
{
    Grid g;
    Fill(g, {{"a", "1"}});
    g.Columns().Add()->SetCaption("third");
    g.Columns()[1]->SetVisible(false);
    EXPECT_EQ(g.ColumnCount(), 2);
    EXPECT_EQ(g.ColumnList()[1]->Caption(), "third");
    EXPECT_EQ(g.Columns()[1]->Position(), -1);
    g.Columns()[1]->SetVisible(true);
    EXPECT_EQ(g.ColumnCount(), 3);
    EXPECT_EQ(g.Cells(1, 0), "1");
    g.SetWantedFixedCols(5);
    EXPECT_EQ(g.AppliedFixedCols(), 2);
}

TEST(StrGridModel, ColumnOrderAndAssignment)
{
    Grid g;
    Fill(g, {{"a", "1"}});
    g.Columns().Add()->SetName("Third");
    g.SetCells(2, 0, "x");
    // Moving a column in the collection moves it in the display list too.
    g.Columns()[2]->SetIndex(0);
    EXPECT_EQ(g.ColumnList()[0]->Name(), "Third");
    EXPECT_EQ(g.Cells(0, 0), "x");
    EXPECT_EQ(g.Cells(1, 0), "a");
    std::pair<int, int> moved(-1, -1);
    g.OnColumnMoved = [&](int From, int To) { moved = {From, To}; };
    g.MoveListColumn(0, 2);
    EXPECT_EQ(moved, (std::pair<int, int>{0, 2}));
    EXPECT_EQ(g.ColumnList()[2]->Name(), "Third");
    EXPECT_EQ(g.ColumnList()[2]->Position(), 2);
    EXPECT_THROW(g.MoveListColumn(0, 3), EXGridError);
    // Assigning copies looks, names, rules and cells.
    g.Columns()[0]->SetRowProperty(true);
    g.SetCellHint(g.Columns()[0]->Position(), 0, "hint");
    Grid copy;
    copy.AddRow();
    copy.SetColumns(g.Columns());
    ASSERT_EQ(copy.Columns().Count(), 3);
    EXPECT_EQ(copy.Columns()[0]->Name(), g.Columns()[0]->Name());
    EXPECT_EQ(copy.Columns()[0]->StoredText(0), g.Columns()[0]->StoredText(0));
    EXPECT_EQ(copy.Columns()[0]->CellProperty(0).Hint, "hint");
}

TEST(StrGridModel, MovedRowsCarryTheirRules)
{
    Grid g;
    Fill(g, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    g.Columns()[0]->SetRowProperty(true);
    g.SetCellValueOptions(0, 0, voReadOnly);
    g.SetCellKey(0, 0, "ka");
    g.MoveDataRow(0, 2);
    EXPECT_EQ(g.Cells(0, 2), "a");
    EXPECT_EQ(g.GetCellKey(0, 2), "ka");
    EXPECT_EQ(g.GetCellValueOptions(0, 2), voReadOnly);
    EXPECT_EQ(g.GetCellValueOptions(0, 0), 0);
    EXPECT_THROW(g.MoveDataRow(0, 3), EXGridError);
}
