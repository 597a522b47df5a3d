// An open editor or drop-down list belongs to the record it was opened on: rows, columns and their order change
// under it (tool buttons that leave the focus in the grid, sorting, an owner's own calls), the wheel turns while a
// list is open, and the window holding the grid goes away while the editor is open; opening and closing it
// changes no value, and no control character gets into it.
#include "GridUiSupport.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"

#include <QAction>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QToolButton>
#include <gtest/gtest.h>
#include <functional>

namespace {
class EditorCell : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildBigGrid(*w.Grid);
        w.Show();
    }
    // Opens the editor on a cell and types a text into it, as a user would; the editor stays open.
    void TypeInto(int Col, int Row, const char* Text)
    {
        w.Grid->SetRow(Row);
        w.Grid->SetCol(Col);
        w.Key(Qt::Key_F2);
        ASSERT_TRUE(w.Grid->EditorShowing());
        w.Grid->InplaceEditor()->LineEdit()->selectAll();
        w.Type(Text);
    }
    // The data row that holds a record, found by its key in the frozen column.
    int RowOf(const std::string& Box) const
    {
        for (int r = 0; r < w.Grid->RowCount(); ++r)
            if (w.Grid->Cells(bcBox, r) == Box)
                return r;
        return -1;
    }
    // How many cells of a column hold a text.
    int CountIn(int Col, const std::string& Text) const
    {
        int n = 0;
        for (int r = 0; r < w.Grid->RowCount(); ++r)
            n += w.Grid->Cells(Col, r) == Text;
        return n;
    }
    TGridWindow w{820, 420};
};
}  // namespace

// Each change of rows, columns or order first commits the open editor into the cell it was opened on and closes
// it, whoever makes the change; the typed text never lands in another record or column.
TEST_F(EditorCell, ChangesOfRowsColumnsAndOrderCommitIntoTheEditedRecord)
{
    struct TCase {
        const char* Name;
        std::function<void(TXStringGrid&)> Change;
    };
    const std::vector<TCase> cases = {
        {"delete a row above", [](TXStringGrid& g) { g.DeleteRows(5, 5); }},
        {"insert a row above", [](TXStringGrid& g) { g.InsertRow(0); }},
        {"exchange rows", [](TXStringGrid& g) { g.ExchangeRows(10, 11); }},
        {"move a row", [](TXStringGrid& g) { g.MoveRow(11, 3); }},
        {"sort", [](TXStringGrid& g) {
             g.SetAutoSort(true);
             g.Columns()[bcBox]->SetSortOrder(csDsc);
         }},
        {"append rows", [](TXStringGrid& g) { g.SetRowCount(1005); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        w.Window.reset();
        w = TGridWindow(820, 420);
        SetUp();
        TypeInto(bcName, 10, "Typed");
        c.Change(*w.Grid);
        EXPECT_FALSE(w.Grid->EditorShowing());
        int row = RowOf("110");
        ASSERT_GE(row, 0);
        EXPECT_EQ(w.Grid->Cells(bcName, row), "Typed");
        EXPECT_EQ(CountIn(bcName, "Typed"), 1);
    }
}

TEST_F(EditorCell, DeletingTheEditedLastRowNeitherFailsNorWritesElsewhere)
{
    // A tool button that leaves the focus where it is, as the section windows' delete button.
    auto* remove = new QToolButton(w.Window.get());
    remove->setFocusPolicy(Qt::NoFocus);
    remove->setGeometry(760, 0, 40, 20);
    remove->show();
    QObject::connect(remove, &QToolButton::clicked, [this] { w.Grid->DeleteRows(w.Grid->Row(), w.Grid->Row()); });
    TypeInto(bcName, BigRows - 1, "Gone");
    ASSERT_NO_THROW(QTest::mouseClick(remove, Qt::LeftButton));
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->RowCount(), BigRows - 1);
    EXPECT_EQ(CountIn(bcName, "Gone"), 0);
    // The same through the core's own row deletion, with the editor on a middle row.
    TypeInto(bcName, 500, "Kept");
    ASSERT_NO_THROW(w.Grid->DeleteRows(0, 499));
    EXPECT_EQ(w.Grid->Cells(bcName, RowOf("600")), "Kept");
    // Deleting every row with the editor open.
    TypeInto(bcName, 3, "Last");
    ASSERT_NO_THROW(w.Grid->SetRowCount(0));
    EXPECT_FALSE(w.Grid->EditorShowing());
}

TEST_F(EditorCell, ColumnChangesCommitIntoTheEditedColumn)
{
    // A column deleted before the edited one.
    TypeInto(bcNote, 10, "Typed");
    w.Grid->Columns().Delete(bcName);
    EXPECT_FALSE(w.Grid->EditorShowing());
    TXGridColumn* note = w.Grid->Columns().FindColumn("C5");
    TXGridColumn* locked = w.Grid->Columns().FindColumn("C6");
    EXPECT_EQ(note->GetCell(10), "Typed");
    EXPECT_EQ(locked->GetCell(10), "fixed");
    // A column hidden, and one moved in front of the edited one.
    TypeInto(note->Position(), 11, "Second");
    w.Grid->Columns().FindColumn("C2")->SetVisible(false);
    EXPECT_EQ(note->GetCell(11), "Second");
    TypeInto(note->Position(), 12, "Third");
    w.Grid->MoveColumn(locked->Position(), 1);
    EXPECT_EQ(note->GetCell(12), "Third");
    EXPECT_EQ(locked->GetCell(12), "fixed");
    // A column added in front of it.
    TypeInto(note->Position(), 13, "Fourth");
    TXGridColumn* added = w.Grid->Columns().Add();
    added->SetIndex(1);
    EXPECT_EQ(note->GetCell(13), "Fourth");
    EXPECT_EQ(added->GetCell(13), "");
}

// A commit the owner refuses (by raising an error) cancels the edit: the cell keeps its text, the editor closes and
// the change does not happen, so the owner's message reaches the user and nothing is half done.
TEST_F(EditorCell, ARefusedCommitCancelsTheEditAndTheChange)
{
    TypeInto(bcName, 10, "Refused");
    w.Grid->OnSetEditText = [](int, int, std::string&) { throw Exception("No such name"); };
    EXPECT_THROW(w.Grid->DeleteRows(5, 5), Exception);
    w.Grid->OnSetEditText = nullptr;
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->RowCount(), BigRows);
    EXPECT_EQ(w.Grid->Cells(bcName, 10), "Subscriber 10");
    w.Grid->DeleteRows(5, 5);
    EXPECT_EQ(w.Grid->Cells(bcName, 9), "Subscriber 10");
}

// An open drop-down list closes without a choice when rows change or the current cell moves; its later keys and
// clicks cannot reach another record.
TEST_F(EditorCell, AnOpenListClosesBeforeRowsChangeAndStaysWithItsCell)
{
    int commits = 0;
    w.Grid->OnSetEditText = [&](int, int, std::string&) { ++commits; };
    w.Grid->SetRow(10);
    w.Grid->SetCol(bcDay);
    w.Key(Qt::Key_Return);
    ASSERT_TRUE(w.Grid->PickList()->isVisible());
    w.Key(Qt::Key_Down);
    w.Grid->DeleteRows(5, 5);
    EXPECT_FALSE(w.Grid->PickList()->isVisible());
    w.Key(Qt::Key_Return);   // reaches the grid now: opens the list of the current cell again
    if (w.Grid->PickList()->isVisible())
        w.Key(Qt::Key_Escape);
    EXPECT_EQ(commits, 0);
    EXPECT_EQ(w.Grid->Cells(bcDay, RowOf("110")), "1");   // row 10 showed day 10 % 5 + 1

    // The wheel does not move the current row while the list is open; the list's choice goes to its own cell.
    w.Grid->SetRow(20);
    w.Grid->SetCol(bcDay);
    w.Key(Qt::Key_Return);
    ASSERT_TRUE(w.Grid->PickList()->isVisible());
    const std::string own = w.Grid->Cells(bcDay, 20), below = w.Grid->Cells(bcDay, 21);
    w.Key(Qt::Key_Down);
    QWheelEvent wheel(QPointF(300, 200), w.Viewport()->mapToGlobal(QPointF(300, 200)), QPoint(), QPoint(0, -120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.Viewport(), &wheel);
    EXPECT_EQ(w.Grid->Row(), 20);
    if (w.Grid->PickList()->isVisible())
        w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcDay, 21), below);
    EXPECT_LE(commits, 1);
    if (commits == 1) {
        EXPECT_NE(w.Grid->Cells(bcDay, 20), own);
    }

    // Moving the current cell through the API closes the list without a choice.
    w.Key(Qt::Key_Return);
    ASSERT_TRUE(w.Grid->PickList()->isVisible());
    w.Grid->SetRow(30);
    EXPECT_FALSE(w.Grid->PickList()->isVisible());
}

// A window destroyed while its grid's editor is open, whether closed first or not, and a grid destroyed on its own
// never call the owner's handlers from their destruction.
TEST(EditorLifetime, DestroyingTheWindowCallsNoHandler)
{
    enum TEnd { enDelete, enCloseThenDelete, enDeleteTheGrid };
    for (TEnd end : {enDelete, enCloseThenDelete, enDeleteTheGrid}) {
        SCOPED_TRACE(end == enDelete ? "deleted without being closed"
                                     : (end == enCloseThenDelete ? "closed, then deleted" : "the grid deleted alone"));
        auto gone = std::make_shared<bool>(false);
        auto callsAfter = std::make_shared<int>(0);
        struct TForm : QWidget {
            std::shared_ptr<bool> Gone;
            ~TForm() override { *Gone = true; }
        };
        auto* form = new TForm;
        form->Gone = gone;
        form->resize(600, 300);
        auto* grid = new TXStringGrid(form);
        grid->setGeometry(0, 0, 600, 300);
        grid->SetOptions(grid->Options() | goEditing);
        grid->Columns().Add();
        grid->Columns().Add();
        grid->SetRowCount(3);
        auto note = [gone, callsAfter] {
            if (*gone)
                ++*callsAfter;
        };
        grid->OnSetEditText = [note](int, int, std::string&) { note(); };
        grid->OnGetEditText = [note](int, int, std::string&) { note(); };
        grid->OnSelectCell = [note](int, int, bool&) { note(); };
        grid->OnModified = note;
        grid->OnCancelEdit = [note](int, int, const std::string&) { note(); };
        grid->ModifyTracking = true;
        form->show();
        QApplication::setActiveWindow(form);
        (void)QTest::qWaitForWindowExposed(form, 5000);
        grid->setFocus();
        grid->SetCol(1);
        QTest::keyClick(grid, Qt::Key_F2);
        ASSERT_TRUE(grid->EditorShowing());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc"));
        if (end == enCloseThenDelete) {
            form->close();
            QApplication::processEvents();
        }
        if (end == enDeleteTheGrid) {
            *gone = true;   // from here on the grid is going away: its owner hears nothing more
            delete grid;
            QApplication::processEvents();
        }
        delete form;
        QApplication::processEvents();
        EXPECT_EQ(*callsAfter, 0);
    }
}

// An error raised by an owner's handler inside one of the grid's event handlers is shown in a message box; Qt never
// sees it, and the grid goes on working: the refused step did not happen, an edit whose commit was refused stays
// open with its text.
TEST_F(EditorCell, HandlerErrorsAreShownAndTheGridGoesOn)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    auto settle = [] { QApplication::processEvents(); };
    w.Grid->SetRow(4);
    w.Grid->SetCol(bcName);
    w.Grid->OnSelectCell = [](int, int ARow, bool&) {
        if (ARow == 5)
            throw Exception("Row 5 is locked");
    };
    ASSERT_NO_THROW(w.Key(Qt::Key_Down));
    settle();
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].Text, "Row 5 is locked");
    EXPECT_EQ(dialogs.Boxes[0].Type, mtError);
    EXPECT_EQ(w.Grid->Row(), 4);
    w.Grid->OnSelectCell = nullptr;
    w.Key(Qt::Key_Down);
    EXPECT_EQ(w.Grid->Row(), 5);

    // A refused commit keeps the editor open on its cell with the typed text.
    w.Grid->OnSetEditText = [](int, int, std::string& v) {
        if (v == "bad")
            throw Exception("Not a name");
    };
    w.Key(Qt::Key_F2);
    w.Grid->InplaceEditor()->LineEdit()->selectAll();
    w.Type("bad");
    ASSERT_NO_THROW(w.Key(Qt::Key_Return));
    settle();
    ASSERT_EQ(dialogs.Boxes.size(), 2u);
    EXPECT_EQ(dialogs.Boxes[1].Text, "Not a name");
    EXPECT_TRUE(w.Grid->EditorShowing());
    EXPECT_EQ(FromQ(w.Grid->InplaceEditor()->LineEdit()->text()), "bad");
    w.Type("ly");
    w.Key(Qt::Key_Return);
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcName, 5), "badly");

    // The mouse, a drop-down choice and painting go the same way.
    w.Grid->OnClick = [] { throw Exception("Click refused"); };
    ASSERT_NO_THROW(QTest::mouseClick(w.Viewport(), Qt::LeftButton, {}, w.CellCenter(bcName, 7)));
    w.Grid->OnClick = nullptr;
    w.Grid->OnSetEditText = [](int, int, std::string&) { throw Exception("No day"); };
    w.Grid->SetRow(8);
    w.Grid->SetCol(bcDay);
    w.Key(Qt::Key_Return);
    ASSERT_TRUE(w.Grid->PickList()->isVisible());
    w.Key(Qt::Key_Down);
    ASSERT_NO_THROW(w.Key(Qt::Key_Return));
    w.Grid->OnSetEditText = nullptr;
    EXPECT_EQ(w.Grid->Cells(bcDay, 8), "4");
    w.Grid->OnDrawCell = [](QPainter&, int, int, const QRect&, TGridDrawState) { throw Exception("No paint"); };
    ASSERT_NO_THROW(w.Grid->viewport()->repaint());
    ASSERT_NO_THROW(w.Grid->viewport()->repaint());
    settle();
    w.Grid->OnDrawCell = nullptr;
    std::vector<std::string> texts;
    for (const auto& b : dialogs.Boxes)
        texts.push_back(b.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Row 5 is locked", "Not a name", "Click refused", "No day", "No paint"}));
    w.Key(Qt::Key_Up);
    EXPECT_EQ(w.Grid->Row(), 7);
}

// The main window's Connect is F2 too: in an editable grid the key opens the editor and nothing else.
TEST_F(EditorCell, F2OpensTheEditorInsteadOfAWindowShortcut)
{
    int Triggered = 0;
    QAction Connect(w.Window.get());
    Connect.setShortcut(Qt::Key_F2);
    w.Window->addAction(&Connect);
    QObject::connect(&Connect, &QAction::triggered, [&] { ++Triggered; });
    w.Grid->SetRow(2);
    w.Grid->SetCol(2);
    w.Key(Qt::Key_F2);
    EXPECT_TRUE(w.Grid->EditorShowing());
    w.Key(Qt::Key_F2);   // inside the editor: toggles the selection
    EXPECT_TRUE(w.Grid->EditorShowing());
    EXPECT_EQ(Triggered, 0);
}

// The editor is filled with the cell's own limit, never the last cell's: opening it and closing it again without a
// key typed leaves every value exactly as it was (no cut, no clamp), even a value longer than its cell's limit or
// outside its cell's range.
TEST_F(EditorCell, OpeningAndClosingWithoutTypingNeverChangesAValue)
{
    const int Row = 5;
    w.Grid->SetCellEditLimit(bcNumber, Row, 2);
    w.Grid->SetCells(bcNumber, Row, "31");
    w.Grid->SetCellValueType(bcDay + 4, Row, vtRangeInteger);   // a plain column, ranged 50..999, holding 100
    w.Grid->SetCellMinInteger(bcDay + 4, Row, 50);
    w.Grid->SetCellMaxInteger(bcDay + 4, Row, 999);
    w.Grid->SetCellEditLimit(bcDay + 4, Row, 3);
    w.Grid->SetCells(bcDay + 4, Row, "100");
    w.Grid->SetCellEditLimit(bcName, Row, 12);
    w.Grid->SetCells(bcName, Row, "UNDERWOOD");
    w.Grid->SetCellEditLimit(bcNote, Row, 4);
    w.Grid->SetCells(bcNote, Row, "3-4 and 5");   // longer than its own limit
    int Commits = 0;
    w.Grid->OnSetEditText = [&](int, int, std::string&) { ++Commits; };
    for (int Col : {int(bcNumber), int(bcName), int(bcNote), bcDay + 4, int(bcNumber)}) {
        w.Grid->SetRow(Row);
        w.Grid->SetCol(Col);
        w.Key(Qt::Key_Return);
        ASSERT_TRUE(w.Grid->EditorShowing()) << Col;
        w.Key(Qt::Key_Return);
        EXPECT_FALSE(w.Grid->EditorShowing()) << Col;
    }
    EXPECT_EQ(w.Grid->Cells(bcNumber, Row), "31");
    EXPECT_EQ(w.Grid->Cells(bcName, Row), "UNDERWOOD");
    EXPECT_EQ(w.Grid->Cells(bcNote, Row), "3-4 and 5");
    EXPECT_EQ(w.Grid->Cells(bcDay + 4, Row), "100");
    EXPECT_EQ(Commits, 0);
    // The limit still holds for typing, and a typed text is committed.
    TypeInto(bcNumber, Row, "123");
    EXPECT_EQ(FromQ(w.Grid->InplaceEditor()->LineEdit()->text()), "12");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcNumber, Row), "12");
    EXPECT_EQ(Commits, 1);
}

// No control character enters a cell: Delete (whose key text is DEL) neither opens the editor nor lands in it, and
// pasted or composed control characters are refused.
TEST_F(EditorCell, NoControlCharacterEntersACell)
{
    const QString Del(QChar(0x7f));
    auto Delete = [&](QWidget* Target) {
        QTest::sendKeyEvent(QTest::Press, Target, Qt::Key_Delete, Del, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, Target, Qt::Key_Delete, Del, Qt::NoModifier);
    };
    int DeleteUps = 0;
    w.Grid->OnKeyUp = [&](int& Key, Qt::KeyboardModifiers) { DeleteUps += Key == Qt::Key_Delete; };
    w.Grid->SetRow(3);
    w.Grid->SetCol(bcName);
    Delete(w.Grid);
    EXPECT_FALSE(w.Grid->EditorShowing());
    EXPECT_EQ(w.Grid->Cells(bcName, 3), "Subscriber 3");
    EXPECT_EQ(DeleteUps, 1);   // the owner hears the key with no editor open

    // In the editor Delete removes the character after the caret.
    w.Key(Qt::Key_Return);
    QLineEdit* Line = w.Grid->InplaceEditor()->LineEdit();
    ASSERT_TRUE(w.Grid->EditorShowing());
    Line->setCursorPosition(0);
    Delete(Line);
    EXPECT_EQ(FromQ(Line->text()), "ubscriber 3");
    // A tab, an escape sequence's ESC or a bell in the clipboard: the paste is refused whole.
    for (const char* Pasted : {"A\tB", "A\x1b[2J", "A\x07", "A\x7f"}) {
        QApplication::clipboard()->setText(QString::fromLatin1(Pasted));
        w.Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(FromQ(Line->text()), "ubscriber 3") << Pasted;
    }
    QInputMethodEvent Composed;
    Composed.setCommitString(QString::fromLatin1("x\x08y\x7f"));
    QApplication::sendEvent(Line, &Composed);
    EXPECT_EQ(FromQ(Line->text()), "xyubscriber 3");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid->Cells(bcName, 3), "xyubscriber 3");
}
