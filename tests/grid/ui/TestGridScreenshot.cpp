// A picture of the big grid: double header, frozen column, an open drop-down list with its cell button.
#include "GridUiSupport.h"

#include <gtest/gtest.h>

TEST(GridScreenshot, DoubleHeaderFrozenColumnDropDownAndButton)
{
    TGridWindow w(820, 420);
    BuildBigGrid(*w.Grid);
    w.Show();
    w.Grid->SetRow(2);
    w.Grid->SetCol(bcDay);
    QApplication::processEvents();
    ASSERT_TRUE(w.Grid->HasVisibleComboButton());
    w.Key(Qt::Key_Return);
    ASSERT_TRUE(w.Grid->PickList() && w.Grid->PickList()->isVisible());
    QApplication::processEvents();
    QImage shot = w.Window->grab().toImage();
    ASSERT_TRUE(shot.save("/tmp/orlantis-grid.png"));
    EXPECT_TRUE(w.Grid->ComboButton()->isVisible());
}

TEST(GridScreenshot, EllipsisButtonCellAndListEditor)
{
    TGridWindow w(820, 420);
    BuildBigGrid(*w.Grid);
    w.Grid->SetCellValueOptions(bcNote, 6, voList);
    w.Grid->SetCells(bcNote, 6, "first line\r\nsecond");
    w.Show();
    w.Grid->SetRow(6);
    w.Grid->SetCol(bcNote);
    QTest::keyClick(w.Grid, Qt::Key_F2);
    ASSERT_TRUE(w.Grid->EditorShowing());
    QImage list = w.Window->grab().toImage();
    ASSERT_TRUE(list.save("/tmp/orlantis-grid-list.png"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    w.Grid->SetRow(3);
    w.Grid->SetCol(bcGreeting);
    QApplication::processEvents();
    ASSERT_TRUE(w.Grid->EllipsisButton()->isVisible());
    ASSERT_TRUE(w.Window->grab().toImage().save("/tmp/orlantis-grid-button.png"));
}
