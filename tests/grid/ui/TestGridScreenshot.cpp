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
