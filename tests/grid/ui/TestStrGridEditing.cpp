// The string grid driven through keys and the mouse, offscreen: the editor state machine, typed-cell checks on
// typing and pasting, drop-down lists, cell buttons, captions and scrolling on the big 1,000 x 24 grid.
#include "GridUiSupport.h"

#include <QClipboard>
#include <QStatusBar>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QInputMethodEvent>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>
#include <gtest/gtest.h>

namespace {
class StrGridUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildBigGrid(*w.Grid);
        w.Show();
    }
    // Makes a data cell current through the API (tests of the mouse use clicks).
    void Go(int Col, int Row)
    {
        w.Grid->SetRow(Row);
        w.Grid->SetCol(Col);
        QApplication::processEvents();
    }
    QLineEdit* Line() const { return w.Grid->InplaceEditor() ? w.Grid->InplaceEditor()->LineEdit() : nullptr; }
    TGridWindow w{820, 420};
};
}  // namespace

TEST_F(StrGridUi, F2EnterAndEscapeDriveTheEditor)
{
    Go(bcName, 5);
    EXPECT_FALSE(w.Grid->EditorShowing());
    w.Key(Qt::Key_F2);
    ASSERT_TRUE(w.Grid->EditorShowing());
    EXPECT_EQ(FromQ(Line()->text()), "Subscriber 5");
    EXPECT_EQ(Line()->selectedText(), Line()->text());   // the whole text is selected when it opens
    w.Type("Ann");
    w.Key(Qt::Key_Return);
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcName, 5), "Ann");

    // Esc puts the cell's text back and reports the cancel.
    std::string cancelled;
    w.Grid->OnCancelEdit = [&](int, int, const std::string& v) { cancelled = v; };
    w.Key(Qt::Key_Return);   // Enter opens the editor too
    ASSERT_TRUE(w.Grid->EditorShowing());
    w.Type("Zed");
    w.Key(Qt::Key_Escape);
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcName, 5), "Ann");
    EXPECT_EQ(cancelled, "Ann");

    // A typed character opens the editor and replaces the text.
    w.Type("B");
    ASSERT_TRUE(w.Grid->EditorShowing());
    w.Type("ob");
    w.Key(Qt::Key_Down);   // navigation commits and moves on
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcName, 5), "Bob");
    EXPECT_EQ(w.Grid->Row(), 6);
}

TEST_F(StrGridUi, AVetoedCellChangeKeepsTheCellAndTheEditor)
{
    Go(bcName, 3);
    w.Grid->OnSelectCell = [](int, int ARow, bool& can) { can = ARow != 4; };
    w.Key(Qt::Key_F2);
    w.Type("x");
    w.Key(Qt::Key_Down);
    EXPECT_EQ(w.Grid->Row(), 3);
    EXPECT_TRUE(w.Grid->EditorShowing());
    w.Key(Qt::Key_Up);
    EXPECT_EQ(w.Grid->Row(), 2);
    EXPECT_EQ(w.Grid->Cells(bcName, 3), "x");
}

TEST_F(StrGridUi, IntegerCellsFilterTypingAndPasting)
{
    Go(bcNumber, 10);
    int rangeErrors = 0;
    w.Grid->OnErrorRangeInput = [&](int, int) { ++rangeErrors; };
    w.Type("4a-2");   // letters and the sign are refused with a beep
    ASSERT_TRUE(w.Grid->EditorShowing());
    EXPECT_EQ(FromQ(Line()->text()), "42");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcNumber, 10), "42");
    // Above the range: clamped and reported.
    w.Type("150");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcNumber, 10), "99");
    EXPECT_EQ(rangeErrors, 1);
    // A paste with a letter is refused whole; a clean one goes in.
    w.Key(Qt::Key_F2);
    Line()->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("12a"));
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FromQ(Line()->text()), "99");
    QApplication::clipboard()->setText(QStringLiteral("17"));
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FromQ(Line()->text()), "17");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcNumber, 10), "17");
    // Digits that do not make a 32-bit number keep the old text and raise the range event, never "0".
    w.Type("99999999999");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcNumber, 10), "17");
    EXPECT_EQ(rangeErrors, 2);
}

TEST_F(StrGridUi, MasksAndLimits)
{
    w.Grid->SetCellValueType(bcNote, 1, vtMaskedString);
    w.Grid->SetCellInputMask(bcNote, 1, "0123456789:");
    w.Grid->SetCellEditLimit(bcNote, 1, 5);
    auto* Status = new QStatusBar(w.Window.get());
    Go(bcNote, 1);
    w.Type("12:3x4");
    EXPECT_TRUE(Status->currentMessage().isEmpty());
    w.Type("5");
    EXPECT_EQ(FromQ(Line()->text()), "12:34");   // x refused, the limit stops at five, and says so
    EXPECT_EQ(Status->currentMessage().toStdString(),
        "The cell takes at most 5 characters: what was typed past them is not taken.");
    // A paste that does not fit is refused whole, never cut to fit.
    QApplication::clipboard()->setText(QStringLiteral("99"));
    w.Key(Qt::Key_Backspace);
    w.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FromQ(Line()->text()), "12:3");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcNote, 1), "12:3");
    // An alphabetic cell always takes letters, whatever its refused characters say; with a mask set, other
    // characters that pass the mask are taken too, those it refuses are not.
    w.Grid->SetCellValueType(bcNote, 2, vtAlphabeticString);
    w.Grid->SetCellNotInputMask(bcNote, 2, "a-");
    Go(bcNote, 2);
    w.Type("ab-1");
    EXPECT_EQ(FromQ(Line()->text()), "ab1");
    w.Key(Qt::Key_Escape);
    // An edit mask takes over from the type's filter.
    w.Grid->SetCellValueType(bcNote, 3, vtInteger);
    w.Grid->SetCellEditMask(bcNote, 3, ">AA;_");
    Go(bcNote, 3);
    w.Key(Qt::Key_F2);
    w.Type("xy");
    EXPECT_EQ(FromQ(Line()->text()), "XY");
}

TEST_F(StrGridUi, ReadOnlyCellsOpenNoEditor)
{
    Go(bcLocked, 4);
    w.Key(Qt::Key_F2);
    EXPECT_FALSE(w.Grid->EditorShowing());
    w.Type("q");
    EXPECT_FALSE(w.Grid->EditorShowing());
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(bcLocked, 4));
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcLocked, 4), "fixed");
}

TEST_F(StrGridUi, ListCellsEditLinesAndCtrlEnterEnds)
{
    w.Grid->SetCellValueOptions(bcNote, 7, voList);
    w.Grid->SetCells(bcNote, 7, "one");
    Go(bcNote, 7);
    w.Key(Qt::Key_F2);
    ASSERT_TRUE(w.Grid->EditorShowing());
    QPlainTextEdit* memo = w.Grid->InplaceEditor()->MemoEdit();
    ASSERT_TRUE(memo->isVisible());
    EXPECT_EQ(w.Grid->InplaceEditor()->height(), 100);
    QTextCursor c = memo->textCursor();
    c.movePosition(QTextCursor::End);
    memo->setTextCursor(c);
    w.Key(Qt::Key_Return);
    w.Type("two words");
    EXPECT_TRUE(w.Grid->EditorShowing());
    w.Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcNote, 7), "one\r\ntwo words");
    EXPECT_EQ(w.Grid->StoredText(bcNote, 7), "one,\"two words\"");
    // In a single-line cell Ctrl+Enter does nothing.
    Go(bcName, 7);
    w.Key(Qt::Key_F2);
    w.Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(w.Grid->EditorShowing());
}

TEST_F(StrGridUi, DropDownChoosesAndRefreshesTheEditStartText)
{
    std::vector<std::pair<int, std::string>> editStarts;
    w.Grid->OnGetEditText = [&](int, int ARow, std::string& v) { editStarts.push_back({ARow, v}); };
    std::vector<std::string> committed;
    w.Grid->OnSetEditText = [&](int, int, std::string& v) { committed.push_back(v); };
    // Edit a text cell of row 2 first, then open the drop-down of row 8.
    Go(bcName, 2);
    w.Key(Qt::Key_F2);
    w.Key(Qt::Key_Escape);
    Go(bcDay, 8);
    ASSERT_TRUE(w.Grid->HasVisibleComboButton());
    EXPECT_FALSE(w.Grid->EditorShowing());
    w.Key(Qt::Key_Return);
    ASSERT_TRUE(w.Grid->PickList()->isVisible());
    ASSERT_FALSE(editStarts.empty());
    EXPECT_EQ(editStarts.back(), (std::pair<int, std::string>{8, "4"}));   // this cell's Name, not row 2's text
    EXPECT_EQ(w.Grid->PickList()->currentRow(), 3);                        // "Thursday" preselected
    w.Key(Qt::Key_Down);
    w.Key(Qt::Key_Return);
    EXPECT_FALSE(w.Grid->PickList()->isVisible());
    EXPECT_EQ(w.Grid->Cells(bcDay, 8), "5");
    EXPECT_EQ(w.Grid->GetCellValue(bcDay, 8), "Friday");
    ASSERT_EQ(committed.size(), 1u);
    EXPECT_EQ(committed[0], "5");
    // Esc in the list leaves the cell alone.
    w.Key(Qt::Key_Return);
    w.Key(Qt::Key_Up);
    w.Key(Qt::Key_Escape);
    EXPECT_FALSE(w.Grid->PickList()->isVisible());
    EXPECT_EQ(w.Grid->Cells(bcDay, 8), "5");
    EXPECT_TRUE(w.Grid->PickListCancelled());
    // The drop-down button and a double click open it too; a click on an item chooses it.
    QTest::mouseClick(w.Grid->ComboButton(), Qt::LeftButton);
    ASSERT_TRUE(w.Grid->PickList()->isVisible());
    QListWidget* list = w.Grid->PickList();
    QRect first = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(w.Grid->Cells(bcDay, 8), "1");
    QTest::mouseDClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(bcDay, 8) - QPoint(20, 0));
    EXPECT_TRUE(w.Grid->PickList()->isVisible());
    w.Key(Qt::Key_Escape);
}

TEST_F(StrGridUi, EllipsisButtonFiresTheButtonClick)
{
    int clicks = 0;
    w.Grid->OnButtonClick = [&] { ++clicks; };
    Go(bcGreeting, 12);
    ASSERT_TRUE(w.Grid->HasVisibleEllipsis());
    ASSERT_TRUE(w.Grid->EllipsisButton()->isVisible());
    QRect cell = w.Grid->CellRect(bcGreeting, 13);
    EXPECT_EQ(w.Grid->EllipsisButton()->geometry().right(), cell.right());
    QTest::mouseClick(w.Grid->EllipsisButton(), Qt::LeftButton);
    w.Key(Qt::Key_Return);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(w.Grid->EditorShowing());
    // Moving away hides it; a narrow column shows none.
    w.Key(Qt::Key_Left);
    EXPECT_FALSE(w.Grid->EllipsisButton()->isVisible());
    w.Grid->Columns()[bcGreeting]->SetWidth(17);
    Go(bcGreeting, 12);
    EXPECT_FALSE(w.Grid->EllipsisButton()->isVisible());
}

TEST_F(StrGridUi, MouseSelectsThenEdits)
{
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(bcName, 3));
    EXPECT_EQ(w.Grid->Row(), 3);
    EXPECT_EQ(w.Grid->Col(), bcName);
    EXPECT_FALSE(w.Grid->EditorShowing());
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(bcName, 3));
    ASSERT_TRUE(w.Grid->EditorShowing());
    w.Type("Mouse");
    // A click elsewhere commits and moves.
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(bcNumber, 5));
    EXPECT_EQ(w.Grid->Cells(bcName, 3), "Mouse");
    EXPECT_EQ(w.Grid->Row(), 5);
    // Clicks on the frozen column select nothing.
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(bcBox, 1));
    EXPECT_EQ(w.Grid->Row(), 5);
}

// A list opens the current row's window on a double click: the row double-clicked must be current by then,
// whether the click lands on its number in the frozen column or on one of its cells.
TEST_F(StrGridUi, ADoubleClickMakesItsRowCurrentBeforeTheOwnerHearsOfIt)
{
    struct TCase {
        int Col;
        int Row;
    };
    for (const TCase& C : {TCase{bcBox, 3}, TCase{bcBox, 0}, TCase{bcBox, 1}, TCase{bcName, 4}}) {
        Go(bcNumber, 1);
        int Seen = -1;
        int SeenCol = -1;
        w.Grid->OnDblClick = [&] {
            Seen = w.Grid->Row();
            SeenCol = w.Grid->Col();
        };
        QTest::mouseDClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(C.Col, C.Row));
        w.Grid->OnDblClick = nullptr;
        EXPECT_EQ(Seen, C.Row) << "double click on column " << C.Col << ", row " << C.Row;
        // The row's number leaves the column where it was; a cell takes its own.
        EXPECT_EQ(SeenCol, C.Col == bcBox ? bcNumber : C.Col) << C.Row;
        w.Key(Qt::Key_Escape);
    }
}

TEST_F(StrGridUi, CaptionClicksSortWithRulesMovingAlong)
{
    w.Grid->SetAutoSort(true);
    for (int r = 0; r < BigRows; ++r)
        w.Grid->SetCellKey(bcNumber, r, "k" + w.Grid->Cells(bcBox, r));
    int headerClicks = 0;
    w.Grid->OnHeaderClick = [&](int ACol) { headerClicks += ACol == bcBox ? 1 : 100; };
    QPoint caption = w.Grid->CellRect(bcBox, 0).center();
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, caption);
    EXPECT_EQ(w.Grid->Columns()[bcBox]->SortOrder(), csAsc);
    EXPECT_EQ(w.Grid->Cells(bcBox, 0), "100");
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, caption);
    EXPECT_EQ(w.Grid->Columns()[bcBox]->SortOrder(), csDsc);
    EXPECT_EQ(w.Grid->Cells(bcBox, 0), "999");
    for (int r = 0; r < BigRows; r += 97)
        EXPECT_EQ(w.Grid->GetCellKey(bcNumber, r), "k" + w.Grid->Cells(bcBox, r));
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, caption);
    EXPECT_EQ(w.Grid->Columns()[bcBox]->SortOrder(), csAsc);
    EXPECT_EQ(headerClicks, 3);
    // Without AutoSort a click only reports.
    w.Grid->SetAutoSort(false);
    QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, caption);
    EXPECT_EQ(w.Grid->Columns()[bcBox]->SortOrder(), csAsc);
    EXPECT_EQ(headerClicks, 4);
}

TEST_F(StrGridUi, ScrollingKeepsFrozenColumnAndHeaderInStep)
{
    QScrollBar* v = w.Grid->verticalScrollBar();
    QScrollBar* h = w.Grid->horizontalScrollBar();
    EXPECT_EQ(v->maximum(), 127);
    EXPECT_EQ(h->maximum(), 127);
    Go(bcName, 0);
    w.Key(Qt::Key_PageDown);
    int page = w.Grid->Row();
    EXPECT_GT(page, 10);
    EXPECT_EQ(w.Grid->TopRow(), page + 1);
    w.Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.Grid->Row(), BigRows - 1);
    EXPECT_EQ(w.Grid->Col(), BigCols - 1);
    EXPECT_EQ(v->value(), 127);
    EXPECT_EQ(w.Grid->TopRow(), w.Grid->Layout().CalcMaxTopLeft().Y);
    // The frozen column stays at the left edge; the header grid shows the group of the left data column.
    QRect frozen = w.Grid->CellRect(bcBox, w.Grid->TopRow());
    EXPECT_EQ(frozen.left(), 0);
    TXGridColumn* headerLeft = w.Grid->HeaderGrid()->ColumnList()[w.Grid->HeaderGrid()->LeftCol()];
    EXPECT_LE(headerLeft->FirstSubPosition(), w.Grid->LeftCol());
    w.Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w.Grid->Row(), 0);
    EXPECT_EQ(v->value(), 0);
    EXPECT_EQ(w.Grid->LeftCol(), 1);
    EXPECT_EQ(w.Grid->HeaderGrid()->LeftCol(), 1);
    // Scroll-bar requests move whole cells; the thumb maps onto the 0..127 scale.
    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.Grid->TopRow(), 2);
    v->setSliderPosition(64);
    emit v->sliderReleased();
    int max = w.Grid->Layout().CalcMaxTopLeft().Y;
    EXPECT_NEAR(w.Grid->TopRow(), 1 + (max - 1) * 64 / 127.0, 1.0);
    // The wheel moves the current row.
    int before = w.Grid->Row();
    QWheelEvent wheel(QPointF(50, 50), w.Viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.Grid->viewport(), &wheel);
    EXPECT_EQ(w.Grid->Row(), before + 1);
}

TEST_F(StrGridUi, RowsAreNeverCutBelowTheDefaultHeight)
{
    TGridWindow small(200, 30);   // far smaller than a row or two, as before the first layout
    TXStringGrid& g = *small.Grid;
    g.SetOptions(g.Options() | goRowDifferentHeight);
    g.Columns().Add();
    g.SetRowCount(3);
    g.SetRowHeights(2, 60);
    EXPECT_EQ(g.RowHeights(2), 18);   // cut to the room, but not below the default height
    EXPECT_EQ(g.RowHeights(1), 18);
    EXPECT_EQ(g.RowHeights(0), g.HeaderHeight());
}

TEST_F(StrGridUi, InsertAndDeleteRowsKeepTheGridConsistent)
{
    w.Grid->ModifyTracking = true;
    Go(bcName, 999);
    w.Grid->DeleteRows(500, 999);
    EXPECT_EQ(w.Grid->RowCount(), 500);
    EXPECT_EQ(w.Grid->Row(), 499);
    EXPECT_TRUE(w.Grid->Modified());
    w.Grid->InsertRow(0);
    EXPECT_EQ(w.Grid->Cells(bcName, 0), "");
    EXPECT_EQ(w.Grid->Cells(bcName, 1), "Subscriber 0");
    w.Grid->SetRowCount(0);
    EXPECT_EQ(w.Grid->Row(), -1);
    EXPECT_EQ(w.Grid->TXCustomGrid::RowCount(), 2);
    w.Key(Qt::Key_F2);
    EXPECT_FALSE(w.Grid->EditorShowing());
    w.Grid->AddRow();
    EXPECT_EQ(w.Grid->Row(), 0);
    QApplication::processEvents();
}

// A commit may run a device job whose progress window has the focus meanwhile: the grid's window comes back to
// the grid, not to the hidden editor.
TEST_F(StrGridUi, AnEditClosedWhileAnotherWindowIsActiveHandsTheWindowsFocusToTheGrid)
{
    Go(bcName, 20);
    w.Type("X");
    QWidget Progress;
    Progress.show();
    QApplication::setActiveWindow(&Progress);
    w.Grid->HideEditor();
    EXPECT_EQ(w.Window->focusWidget(), w.Grid);
}

TEST_F(StrGridUi, LeavingTheGridCommitsTheEdit)
{
    auto* other = new QLineEdit(w.Window.get());
    other->setGeometry(0, 440, 100, 20);
    other->show();
    Go(bcName, 20);
    w.Key(Qt::Key_F2);
    w.Type("Left behind");
    other->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcName, 20), "Left behind");
}

TEST_F(StrGridUi, TabMovesBetweenCellsAndWraps)
{
    w.Grid->SetOptions(w.Grid->Options() | goTabs);
    Go(BigCols - 1, 4);
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Grid->Row(), 5);
    EXPECT_EQ(w.Grid->Col(), 1);   // the frozen column is no tab stop of the scrolling area
    w.Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.Grid->Row(), 4);
    EXPECT_EQ(w.Grid->Col(), BigCols - 1);
    // Typed, Tab, typed: each cell takes its text; from the last cell the focus goes on to the next control.
    auto* next = new QLineEdit(w.Window.get());
    next->show();
    Go(BigCols - 2, BigRows - 1);
    w.Type("7");
    w.Key(Qt::Key_Tab);
    w.Type("9");
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Grid->Cells(BigCols - 2, BigRows - 1) + w.Grid->Cells(BigCols - 1, BigRows - 1), "79");
    EXPECT_TRUE(next->hasFocus());
}

TEST_F(StrGridUi, AlwaysShownEditorCommitsAtEveryKeystroke)
{
    w.Grid->SetOptions(w.Grid->Options() | goAlwaysShowEditor);
    Go(bcName, 30);
    ASSERT_TRUE(w.Grid->EditorShowing());
    std::vector<std::string> seen;
    w.Grid->OnSetEditText = [&](int, int, std::string& v) { seen.push_back(v); };
    Line()->selectAll();
    w.Type("ab");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "ab"}));
    EXPECT_EQ(w.Grid->Cells(bcName, 30), "ab");
    // Enter does not close it.
    w.Key(Qt::Key_Return);
    EXPECT_TRUE(w.Grid->EditorShowing());
    // The editor follows the current cell.
    w.Key(Qt::Key_Down);
    EXPECT_TRUE(w.Grid->EditorShowing());
    EXPECT_EQ(FromQ(Line()->text()), "Subscriber 31");
    // A change of rows closes it for its cell and opens it again on the current one.
    w.Type("X");
    w.Grid->InsertRow(0);
    EXPECT_EQ(w.Grid->Cells(bcName, 32), "X");
    QApplication::processEvents();
    EXPECT_TRUE(w.Grid->EditorShowing());
    EXPECT_EQ(FromQ(Line()->text()), w.Grid->Cells(bcName, w.Grid->Row()));
}

TEST_F(StrGridUi, SelectionChangesAndContextMenusAreReported)
{
    int selChanges = 0;
    w.Grid->OnSelChange = [&] { ++selChanges; };
    Go(bcName, 2);
    w.Key(Qt::Key_F2);
    w.Key(Qt::Key_End);
    w.Key(Qt::Key_Home, Qt::ShiftModifier);   // a selection appears
    EXPECT_EQ(selChanges, 1);
    w.Key(Qt::Key_Right);
    EXPECT_EQ(selChanges, 2);
    w.Key(Qt::Key_Escape);

    QPoint reported(-1, -1);
    w.Grid->OnContextPopup = [&](int X, int Y) { reported = {X, Y}; };
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0xFFFF, 0xFFFF));
    QApplication::sendEvent(w.Grid, &byKey);
    QRect cell = w.Grid->CellRect(bcName, 3);
    EXPECT_EQ(reported, w.Viewport()->mapToGlobal(cell.topLeft()));
}

TEST_F(StrGridUi, SizingAColumnWithTheMouse)
{
    int resized = 0;
    w.Grid->OnColumnResize = [&] { ++resized; };
    QRect caption = w.Grid->CellRect(bcName, 0);
    QPoint edge(caption.right() + 1, caption.center().y());
    QTest::mousePress(w.Viewport(), Qt::LeftButton, {}, edge);
    QMouseEvent move(QEvent::MouseMove, QPointF(edge + QPoint(30, 0)), w.Viewport()->mapToGlobal(QPointF(edge + QPoint(30, 0))),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.Viewport(), &move);
    QTest::mouseRelease(w.Viewport(), Qt::LeftButton, {}, edge + QPoint(30, 0));
    EXPECT_EQ(w.Grid->Columns()[bcName]->Width(), 140);
    EXPECT_GE(resized, 1);
    // The header column above it grows along: Name 140 + Number 80 + one line.
    EXPECT_EQ(w.Grid->GetHeaderColumns()->GetItem(1)->Width(), 221);
    // Sizing to one pixel or less leaves the width alone.
    caption = w.Grid->CellRect(bcName, 0);
    edge = QPoint(caption.right() + 1, caption.center().y());
    QTest::mousePress(w.Viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseRelease(w.Viewport(), Qt::LeftButton, {}, edge - QPoint(200, 0));
    EXPECT_EQ(w.Grid->Columns()[bcName]->Width(), 140);
}

TEST_F(StrGridUi, DraggingARowByItsFrozenCellMovesIt)
{
    w.Grid->SetOptions(w.Grid->Options() | goRowMoving);
    std::pair<int, int> moved(-1, -1);
    w.Grid->OnRowMoved = [&](int From, int To) { moved = {From, To}; };
    w.Grid->SetCellKey(bcNumber, 2, "two");
    QPoint from = w.CellCenter(bcBox, 2);
    QPoint to = w.CellCenter(bcBox, 5);
    QTest::mousePress(w.Viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), w.Viewport()->mapToGlobal(QPointF(to)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.Viewport(), &move);
    QTest::mouseRelease(w.Viewport(), Qt::LeftButton, {}, to);
    w.Grid->OnRowMoved = nullptr;
    EXPECT_EQ(moved, (std::pair<int, int>{2, 5}));
    EXPECT_EQ(w.Grid->Cells(bcBox, 5), "102");
    EXPECT_EQ(w.Grid->Cells(bcBox, 2), "103");
    EXPECT_EQ(w.Grid->GetCellKey(bcNumber, 5), "two");
}

TEST_F(StrGridUi, DoubleHeaderFollowsWidthsAndCanBeRemoved)
{
    TXStringGrid* header = w.Grid->HeaderGrid();
    ASSERT_NE(header, nullptr);
    // Header columns span their data columns and the lines between them.
    EXPECT_EQ(header->Columns()[1]->Width(), 110 + 80 + 1);
    QRect groupCaption = header->CellRect(1, 0);
    QRect nameCaption = w.Grid->CellRect(bcName, 0);
    EXPECT_EQ(groupCaption.left(), nameCaption.left());
    EXPECT_EQ(groupCaption.right(), w.Grid->CellRect(bcNumber, 0).right());
    // The data grid's caption row starts right under the header grid.
    EXPECT_EQ(w.Grid->viewport()->geometry().top(), header->geometry().bottom() + 1);
    int viewportTop = w.Grid->viewport()->geometry().top();
    w.Grid->SetDoubleHeader(false);
    EXPECT_EQ(w.Grid->HeaderGrid(), nullptr);
    EXPECT_LT(w.Grid->viewport()->geometry().top(), viewportTop);
}

TEST_F(StrGridUi, RowSelectSelectsWholeRowsWithoutAnEditor)
{
    w.Grid->SetOptions(w.Grid->Options() | goRowSelect | goAlwaysShowEditor);
    EXPECT_FALSE(w.Grid->Options() & goAlwaysShowEditor);
    Go(bcName, 6);
    w.Key(Qt::Key_F2);
    EXPECT_FALSE(w.Grid->EditorShowing());
    TGridRect sel = w.Grid->Selection();
    EXPECT_EQ(sel.Left, 1);
    EXPECT_EQ(sel.Right, BigCols - 1);
    int left = w.Grid->LeftCol();
    w.Key(Qt::Key_Right);   // scrolls instead of moving (to the next header group's first column)
    EXPECT_EQ(w.Grid->LeftCol(), bcNumber + 1);
    EXPECT_GT(w.Grid->LeftCol(), left);
    EXPECT_EQ(w.Grid->Row(), 6);
}

TEST_F(StrGridUi, HiddenColumnsLeaveTheCoreGrid)
{
    int before = w.Grid->ColCount();
    w.Grid->Columns()[bcNote]->SetVisible(false);
    EXPECT_EQ(w.Grid->ColCount(), before - 1);
    EXPECT_EQ(w.Grid->ColumnList()[bcNote]->Caption(), "Locked");
    EXPECT_EQ(w.Grid->ColWidths(bcNote), w.Grid->ColumnList()[bcNote]->Width());
    w.Grid->Columns()[bcNote]->SetVisible(true);
    EXPECT_EQ(w.Grid->ColumnList()[bcNote]->Caption(), "Note");
    EXPECT_THROW(w.Grid->SetCol(BigCols), EXGridError);
}

// The wheel moves the current row one row per notch (an angle of 120): a fine-grained wheel's small steps add up
// to a notch first, a fast turn of several notches moves as many rows, and a turn back starts from nothing.
TEST_F(StrGridUi, TheWheelMovesOneRowPerNotch)
{
    Go(bcName, 100);
    auto turn = [&](int Delta) {
        QWheelEvent wheel(QPointF(300, 200), w.Viewport()->mapToGlobal(QPointF(300, 200)), QPoint(), QPoint(0, Delta),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.Grid->viewport(), &wheel);
    };
    for (int i = 0; i < 7; ++i)
        turn(-15);
    EXPECT_EQ(w.Grid->Row(), 100);
    turn(-15);
    EXPECT_EQ(w.Grid->Row(), 101);
    turn(-360);
    EXPECT_EQ(w.Grid->Row(), 104);
    turn(-60);
    turn(120);   // the half notch down is dropped when the wheel turns back
    EXPECT_EQ(w.Grid->Row(), 103);
    Go(bcName, 1);
    turn(480);   // not into the caption row
    EXPECT_EQ(w.Grid->Row(), 0);
}

// Without a frozen column and scrolled right, moving the current row repaints the old row too: the window shows
// no second current row.
TEST_F(StrGridUi, TheOldCurrentRowLosesItsColourWhenScrolledRight)
{
    TGridWindow plain(600, 300);
    TXStringGrid& g = *plain.Grid;
    for (int c = 0; c < 12; ++c)
        g.Columns().Add()->SetWidth(90);
    g.SetFixedCols(0);
    g.SetRowCount(20);
    plain.Show();
    g.SetCol(11);   // scrolls right: column 0 is out of view
    ASSERT_GT(g.LeftCol(), 0);
    g.SetRow(3);
    auto screen = [&] {
        QApplication::processEvents();
        return plain.Window->windowHandle()->screen()->grabWindow(plain.Window->winId()).toImage();
    };
    QImage before = screen();
    if (before.isNull() || before.width() < 100)
        GTEST_SKIP() << "this platform cannot read back the window";
    QTest::keyClick(&g, Qt::Key_Down);
    QImage after = screen();
    QPoint oldRowCell = g.viewport()->mapTo(plain.Window.get(), g.CellRect(g.LeftCol(), 4).center() + QPoint(30, 0));
    EXPECT_EQ(after.pixelColor(oldRowCell), ToQColor(clWindow));
    EXPECT_EQ(before.pixelColor(oldRowCell), ToQColor(clInfoBk));
}

// Text from an input method passes the typed cell's key filter like typed keys.
TEST_F(StrGridUi, InputMethodTextPassesTheKeyFilter)
{
    Go(bcNumber, 10);
    w.Key(Qt::Key_F2);
    ASSERT_TRUE(w.Grid->EditorShowing());
    Line()->selectAll();
    QInputMethodEvent composed(QString(), {});
    composed.setCommitString(QStringLiteral("4a-2"));
    QApplication::sendEvent(Line(), &composed);
    EXPECT_EQ(FromQ(Line()->text()), "42");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcNumber, 10), "42");
}
