// The drop-down list of a cell as it opens: every item of a list of up to eight is in view, the chosen one among
// them, and a longer list scrolls so that the chosen item shows.
#include "GridUiSupport.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QScrollBar>

namespace {
// A one-row grid whose second cell is a drop-down of Count items, showing item Chosen (0-based).
void BuildList(TXStringGrid& G, int Count, int Chosen)
{
    G.SetOptions(G.Options() | goEditing);
    for (int c = 0; c < 2; ++c) {
        TXGridColumn* Col = G.Columns().Add();
        Col->SetWidth(100);
        Col->SetRowProperty(true);
    }
    G.SetFixedCols(1);
    G.SetRowCount(1);
    G.SetCellValueOptions(1, 0, voComboBox);
    std::vector<std::string>& Items = *G.GetCellItems(1, 0);
    for (int i = 0; i < Count; ++i)
        Items.push_back(std::to_string(1200 << i) + "=" + std::to_string(1200 << i));
    G.SetCells(1, 0, std::to_string(1200 << Chosen));
}

bool InView(QListWidget* List, int Row)
{
    return List->viewport()->rect().contains(List->visualItemRect(List->item(Row)));
}
} // namespace

TEST(PickListRows, AListOfUpToEightShowsEveryItemAndALongerOneItsChoice)
{
    for (int Count : {6, 8}) {
        SCOPED_TRACE(Count);
        TGridWindow W(300, 400);
        BuildList(*W.Grid, Count, 3);
        W.Show();
        W.Grid->SetCol(1);
        W.Grid->DropDown();
        QListWidget* List = W.Grid->PickList();
        ASSERT_TRUE(List && List->isVisible());
        EXPECT_EQ(List->currentRow(), 3);
        for (int Row = 0; Row < Count; ++Row)
            EXPECT_TRUE(InView(List, Row)) << "item " << Row;
    }
    TGridWindow W(300, 400);
    BuildList(*W.Grid, 14, 12);
    W.Show();
    W.Grid->SetCol(1);
    W.Grid->DropDown();
    QListWidget* List = W.Grid->PickList();
    ASSERT_TRUE(List && List->isVisible());
    EXPECT_EQ(List->currentRow(), 12);
    EXPECT_TRUE(InView(List, 12));
    EXPECT_FALSE(InView(List, 0));
}
