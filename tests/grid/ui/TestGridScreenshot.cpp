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
    ASSERT_TRUE(shot.save(ScreenshotPath("grid-drop-down.png")));
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
    ASSERT_TRUE(list.save(ScreenshotPath("grid-list-editor.png")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    w.Grid->SetRow(3);
    w.Grid->SetCol(bcGreeting);
    QApplication::processEvents();
    ASSERT_TRUE(w.Grid->EllipsisButton()->isVisible());
    ASSERT_TRUE(w.Window->grab().toImage().save(ScreenshotPath("grid-ellipsis-button.png")));
}

#include <QScreen>
#include <QScrollBar>
#include <QWindow>

// Scrolling moves the pixels already painted and paints only the uncovered strips: what is on the screen
// afterwards must equal a full repaint.
TEST(GridScreenshot, ScrolledPixelsMatchAFullRepaint)
{
    TGridWindow w(820, 420);
    BuildBigGrid(*w.Grid);
    w.Show();
    w.Grid->SetRow(3);
    w.Grid->SetCol(bcName);
    auto screen = [&] {
        QApplication::processEvents();
        return w.Window->windowHandle()->screen()->grabWindow(w.Window->winId()).toImage();
    };
    QImage start = screen();
    if (start.isNull() || start.width() < 100)
        GTEST_SKIP() << "this platform cannot read back the window";
    for (QAbstractSlider::SliderAction step :
        {QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderPageStepAdd, QAbstractSlider::SliderSingleStepSub}) {
        w.Grid->verticalScrollBar()->triggerAction(step);
        w.Grid->horizontalScrollBar()->triggerAction(step);
        QImage scrolled = screen();
        w.Grid->viewport()->update();
        w.Grid->HeaderGrid()->viewport()->update();
        QImage repainted = screen();
        EXPECT_TRUE(scrolled == repainted) << "after scroll action " << int(step);
    }
    QTest::keyClick(w.Grid, Qt::Key_PageDown);
    QTest::keyClick(w.Grid, Qt::Key_Right);
    QImage moved = screen();
    w.Grid->viewport()->update();
    EXPECT_TRUE(moved == screen());
}
