// Geometry of the grid core: extents, hit tests, frozen columns, the 0..127 scroll scale, paging and sizing.
#include "grid/XGridLayout.h"

#include <gtest/gtest.h>

namespace {
// 10 columns of 64, 30 rows of 24, one fixed row and column, 1-pixel lines: 65 and 25 pixels per cell.
TXGridLayout MakeGrid(int cols = 10, int rows = 30, int width = 400, int height = 300)
{
    TXGridLayout l;
    l.SetColCount(cols);
    l.SetRowCount(rows);
    l.SetClientSize(width, height);
    return l;
}
}  // namespace

TEST(GridLayout, CountsClampAndFixedCountsFollow)
{
    TXGridLayout l;
    l.SetColCount(0);
    EXPECT_EQ(l.ColCount(), 1);
    EXPECT_EQ(l.FixedCols(), 0);
    l.SetColCount(5);
    EXPECT_THROW(l.SetFixedCols(5), EInvalidGridOperation);
    EXPECT_THROW(l.SetFixedCols(-1), EInvalidGridOperation);
    try {
        l.SetFixedRows(9);
        FAIL();
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message, "Fixed row count must be less than row count");
    }
    EXPECT_THROW(l.SetColWidth(5, 10), EInvalidGridOperation);
    EXPECT_EQ(l.ColWidth(99), 64);
    // A width array created by a write keeps entries and gives new columns the default.
    l.SetColWidth(2, 10);
    l.SetColCount(7);
    EXPECT_EQ(l.ColWidth(2), 10);
    EXPECT_EQ(l.ColWidth(6), 64);
    l.SetDefaultColWidth(30);
    EXPECT_EQ(l.ColWidth(2), 30);
    l.SetOptions(l.Options() | goAlwaysShowEditor | goRowSelect);
    EXPECT_FALSE(l.Has(goAlwaysShowEditor));
}

TEST(GridLayout, ExtentsAndHitTestsWithFrozenColumns)
{
    TXGridLayout l = MakeGrid();
    l.SetFixedCols(2);
    TGridDrawInfo d = l.CalcDrawInfo();
    EXPECT_EQ(d.Horz.FixedBoundary, 130);
    EXPECT_EQ(d.Vert.FixedBoundary, 25);
    // 400 - 130 = 270 pixels: columns 2..5 fully (4 x 65 = 260), column 6 partly.
    EXPECT_EQ(d.Horz.LastFullVisibleCell, 5);
    EXPECT_EQ(d.Horz.LastVisibleCell, 6);
    EXPECT_EQ(l.VisibleColCount(), 5);
    EXPECT_EQ(l.MouseCoord(0, 0), (TGridCoord{0, 0}));
    EXPECT_EQ(l.MouseCoord(64, 24), (TGridCoord{0, 0}));   // the line belongs to the cell before it
    EXPECT_EQ(l.MouseCoord(65, 25), (TGridCoord{1, 1}));
    EXPECT_EQ(l.MouseCoord(131, 30), (TGridCoord{2, 1}));
    EXPECT_EQ(l.MouseCoord(-1, 30), (TGridCoord{-1, -1}));
    EXPECT_EQ(l.MouseCoord(399, 9999), (TGridCoord{-1, -1}));
    // Scrolled by three columns, the frozen ones stay while the scrolling ones move.
    ASSERT_TRUE(l.SetTopLeft({5, 1}));
    EXPECT_EQ(l.MouseCoord(10, 30), (TGridCoord{0, 1}));
    EXPECT_EQ(l.MouseCoord(131, 30), (TGridCoord{5, 1}));
    EXPECT_EQ(l.CellRect(5, 1), (TGridRect{130, 25, 194, 49}));
    EXPECT_TRUE(l.CellRect(3, 1).IsEmpty());   // scrolled out
    EXPECT_EQ(l.CellRect(1, 0), (TGridRect{65, 0, 129, 24}));
}

TEST(GridLayout, LargestOriginAndScrollScale)
{
    TXGridLayout l = MakeGrid(10, 30, 400, 300);
    // Rows: 300 - 25 = 275 room, 11 rows of 25 fit (the line of the last may hang over): origin 19 shows 19..29.
    EXPECT_EQ(l.CalcMaxTopLeft().Y, 19);
    // Columns: 400 - 65 = 335 room, 5 columns of 65 (line excluded 64): 5..9.
    EXPECT_EQ(l.CalcMaxTopLeft().X, 5);
    EXPECT_TRUE(l.HasScrollRange(false));
    EXPECT_EQ(l.ScrollPos(false), 0);
    l.SetTopLeft({1, 19});
    EXPECT_EQ(l.ScrollPos(false), 127);
    l.SetTopLeft({1, 10});
    EXPECT_EQ(l.ScrollPos(false), 64);   // (10-1) * 127 / 18 = 63.5, rounded
    EXPECT_EQ(l.ScrollRequest(false, scPosition, 127, 8), 19);
    EXPECT_EQ(l.ScrollRequest(false, scPosition, 64, 8), 10);
    EXPECT_EQ(l.ScrollRequest(false, scTop, 0), 1);
    EXPECT_EQ(l.ScrollRequest(false, scBottom, 0), 19);
    EXPECT_EQ(l.ScrollRequest(false, scLineDown, 0), 11);
    EXPECT_EQ(l.ScrollRequest(false, scPageDown, 0), 19);   // on to the last fully visible row, held at max
    EXPECT_EQ(l.ScrollRequest(false, scPageUp, 0), 1);
    // The origin is never beyond the largest one.
    EXPECT_FALSE(l.SetTopLeft({1, 25}) && l.TopRow() != 19);
    EXPECT_EQ(l.TopRow(), 19);

    // Everything fits: no range, a thumb position sets nothing.
    TXGridLayout small = MakeGrid(3, 3, 400, 300);
    EXPECT_FALSE(small.HasScrollRange(true));
    EXPECT_EQ(small.ScrollPos(true), 0);
    EXPECT_EQ(small.ScrollRequest(true, scPosition, 100), 1);
}

TEST(GridLayout, ZeroWidthColumnsArePassedOver)
{
    TXGridLayout l = MakeGrid(10, 3, 200, 100);
    l.SetColWidth(2, 0);
    // The zero-width column still has its own line one line width after the previous one.
    TGridDrawInfo d = l.CalcDrawInfo();
    EXPECT_EQ(d.Horz.FixedBoundary, 65);
    EXPECT_EQ(l.CellRect(3, 1).Left, 65 + 65 + 1);
    // A line-right request from column 1 passes over column 2 to column 3.
    EXPECT_EQ(l.ScrollRequest(true, scLineDown, 0), 3);
}

TEST(GridLayout, SingleColumnScrollsByPixels)
{
    TXGridLayout l;
    l.SetColCount(1);
    l.SetRowCount(3);
    l.SetFixedRows(1);
    l.SetDefaultColWidth(300);
    l.SetClientSize(200, 100);
    ASSERT_TRUE(l.IsSingleColumn());
    EXPECT_TRUE(l.HasScrollRange(true));
    EXPECT_EQ(l.MaxColOffset(), 100);
    EXPECT_EQ(l.ScrollRequest(true, scBottom, 0), 100);
    EXPECT_EQ(l.ScrollRequest(true, scTop, 0), 0);
    l.SetColOffset(100);
    EXPECT_EQ(l.CellRect(0, 1).Left, 0);   // clipped at the client edge
    EXPECT_EQ(l.MouseCoord(150, 30), (TGridCoord{0, 1}));
    // A wider client pulls the offset back.
    l.SetClientSize(250, 100);
    EXPECT_EQ(l.ColOffset(), 50);
}

TEST(GridLayout, PagingAndKeyboardMoves)
{
    // Rows 1..10 fully visible from TopRow 1 (client 11 rows of 25 = 275 high).
    TXGridLayout l = MakeGrid(5, 40, 400, 275);
    l.SetCurrent({1, 1}, true);
    TGridMove m;
    ASSERT_TRUE(l.Navigate(gkNext, false, false, m));
    EXPECT_EQ(m.Current, (TGridCoord{1, 10}));
    EXPECT_EQ(m.TopLeft, (TGridCoord{1, 10}));
    // Near the end the origin stops at the largest one and the row at the last row.
    l.SetTopLeft({1, 29});
    l.SetCurrent({1, 35}, true);
    ASSERT_TRUE(l.Navigate(gkNext, false, false, m));
    EXPECT_EQ(m.Current.Y, 39);
    EXPECT_EQ(m.TopLeft.Y, l.CalcMaxTopLeft().Y);
    // Ctrl+Home and Ctrl+End.
    ASSERT_TRUE(l.Navigate(gkHome, false, true, m));
    EXPECT_EQ(m.Current, (TGridCoord{1, 1}));
    ASSERT_TRUE(l.Navigate(gkEnd, false, true, m));
    EXPECT_EQ(m.Current, (TGridCoord{4, 39}));
    // Up from the first scrolling row stays there.
    l.SetCurrent({2, 1}, true);
    ASSERT_TRUE(l.Navigate(gkUp, false, false, m));
    EXPECT_EQ(m.Current, (TGridCoord{2, 1}));
    // Shift extends only with range select and without editing.
    ASSERT_TRUE(l.Navigate(gkDown, true, false, m));
    EXPECT_TRUE(m.Extend);
    l.SetOptions(l.Options() | goEditing);
    ASSERT_TRUE(l.Navigate(gkDown, true, false, m));
    EXPECT_FALSE(m.Extend);
}

TEST(GridLayout, TabWrapsAndSkipsNonStops)
{
    TXGridLayout l = MakeGrid(4, 5, 400, 300);
    TGridMove m;
    EXPECT_FALSE(l.Navigate(gkTab, false, false, m));   // no goTabs
    l.SetOptions(l.Options() | goTabs);
    l.SetTabStop(2, false);
    l.SetCurrent({1, 1}, true);
    ASSERT_TRUE(l.Navigate(gkTab, false, false, m));
    EXPECT_EQ(m.Current, (TGridCoord{3, 1}));
    l.SetCurrent({3, 1}, true);
    ASSERT_TRUE(l.Navigate(gkTab, false, false, m));
    EXPECT_EQ(m.Current, (TGridCoord{1, 2}));
    ASSERT_TRUE(l.Navigate(gkTab, true, false, m));
    EXPECT_EQ(m.Current, (TGridCoord{1, 1}));
}

TEST(GridLayout, ScrollingToShowTheCurrentCell)
{
    TXGridLayout l = MakeGrid(10, 30, 400, 300);
    EXPECT_EQ(l.OriginToShow({9, 1}).X, 5);
    EXPECT_EQ(l.OriginToShow({1, 29}).Y, 19);
    EXPECT_EQ(l.OriginToShow({1, 12}).Y, 2);
    l.SetTopLeft({4, 10});
    EXPECT_EQ(l.OriginToShow({2, 3}), (TGridCoord{2, 3}));
}

TEST(GridLayout, SizingHotZones)
{
    TXGridLayout l = MakeGrid(6, 6, 400, 300);
    // Without goColSizing there is no zone.
    EXPECT_EQ(l.CalcSizingState(129, 5).State, gsNormal);
    l.SetOptions(l.Options() | goColSizing | goRowSizing);
    // Column 1 ends at 65 + 64 = 129 (its line at 129).
    TGridSizing s = l.CalcSizingState(130, 5);
    EXPECT_EQ(s.State, gsColSizing);
    EXPECT_EQ(s.Index, 1);
    EXPECT_EQ(l.CalcSizingState(126, 5).State, gsColSizing);
    EXPECT_EQ(l.CalcSizingState(120, 5).State, gsNormal);
    // Exactly on the fixed columns' right edge inside the fixed rows: no sizing.
    EXPECT_EQ(l.CalcSizingState(65, 5).State, gsNormal);
    // Rows in the fixed column.
    s = l.CalcSizingState(10, 49);
    EXPECT_EQ(s.State, gsRowSizing);
    EXPECT_EQ(s.Index, 1);
}
