#include "grid/XGrids.h"

#include "grid/XGridColors.h"
#include "platform/ControlChar.h"
#include "platform/Dialogs.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <set>

// ---- colours and fonts -----------------------------------------------------------------------------------------

QColor ToQColor(TColor Color)
{
    TRGB c = ColorToRGB(Color);
    return QColor(c.R, c.G, c.B);
}

QFont ToQFont(const TXFont& Font)
{
    static const bool substitutes = [] {
        // The families the description and the forms name, mapped onto fonts every build machine has.
        for (const char* name : {"MS Sans Serif", "Tahoma", "Arial", "Microsoft Sans Serif", "Verdana"})
            QFont::insertSubstitution(QString::fromLatin1(name), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)substitutes;
    // A grid asks for the same few fonts for every cell it draws; a new QFont would look its font up again each
    // time, while a copy of one made before shares the font already found. Kept for the GUI thread (where the
    // grids draw) and never freed, so that no font outlives the application in an exit handler.
    struct TMade {
        TXFont Font;
        QFont Made;
    };
    static auto* kept = new std::vector<TMade>;
    const bool gui = qApp && QThread::currentThread() == qApp->thread();
    std::vector<TMade> none;
    std::vector<TMade>& made = gui ? *kept : none;
    auto same = [&](const TXFont& f) {
        return f.Size == Font.Size && f.Bold == Font.Bold && f.Italic == Font.Italic &&
            f.Underline == Font.Underline && f.Name == Font.Name;
    };
    for (const TMade& m : made)
        if (same(m.Font))
            return m.Made;
    QFont f(ToQ(Font.Name));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, int(std::lround(Font.Size * 96.0 / 72.0))));
    f.setBold(Font.Bold);
    f.setItalic(Font.Italic);
    f.setUnderline(Font.Underline);
    if (made.size() >= 16)
        made.erase(made.begin());
    made.push_back({Font, f});
    return f;
}

// ---- handler errors --------------------------------------------------------------------------------------------

void ReportGridError(const std::string& Message)
{
    static std::set<std::string> pending;
    if (!pending.insert(Message).second)
        return;
    QTimer::singleShot(0, qApp, [Message] {
        pending.erase(Message);
        ShowError(Message);
    });
}

// ---- in-place editor -------------------------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TXCustomGrid* Grid)
    : QWidget(Grid->viewport()), FGrid(Grid), FLine(new QLineEdit(this)), FMemo(new QPlainTextEdit(this))
{
    FLine->setFrame(false);
    FMemo->setFrameStyle(QFrame::NoFrame);
    FMemo->setTabChangesFocus(true);
    for (QWidget* w : {static_cast<QWidget*>(FLine), static_cast<QWidget*>(FMemo)}) {
        w->installEventFilter(this);
        w->setContextMenuPolicy(Qt::NoContextMenu);   // paste only through the checked key path
        w->setAcceptDrops(false);
    }
    FMemo->viewport()->installEventFilter(this);
    FMemo->viewport()->setAcceptDrops(false);
    FMemo->hide();
    setFocusProxy(FLine);
    setAutoFillBackground(true);
    connect(FLine, &QLineEdit::textEdited, this, [this] { GuardGridHandler([this] { FGrid->EditorTextChanged(); }); });
    connect(FMemo, &QPlainTextEdit::textChanged, this, [this] {
        GuardGridHandler([this] {
            if (FMemo->isVisible())
                FGrid->EditorTextChanged();
        });
    });
    hide();
}

QWidget* TInplaceEdit::ActiveEdit() const { return FMultiLine ? static_cast<QWidget*>(FMemo) : FLine; }

std::string TInplaceEdit::Text() const
{
    if (!FMultiLine)
        return FromQ(FLine->text());
    QString t = FMemo->toPlainText();
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return FromQ(t);
}

void TInplaceEdit::SetText(const std::string& Value)
{
    if (!FMultiLine) {
        FLine->setText(ToQ(Value));
        return;
    }
    QString t = ToQ(Value);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    FMemo->setPlainText(t);
}

void TInplaceEdit::SelectAll()
{
    if (FMultiLine)
        FMemo->selectAll();
    else
        FLine->selectAll();
}

void TInplaceEdit::Deselect()
{
    if (FMultiLine) {
        QTextCursor c = FMemo->textCursor();
        c.movePosition(QTextCursor::End);
        FMemo->setTextCursor(c);
    } else {
        FLine->deselect();
        FLine->end(false);
    }
}

int TInplaceEdit::SelLength() const
{
    if (FMultiLine)
        return int(FMemo->textCursor().selectedText().size());
    return int(FLine->selectedText().size());
}

bool TInplaceEdit::WholeTextSelected() const
{
    if (FMultiLine)
        return SelLength() == int(FMemo->toPlainText().size());
    return FLine->selectedText() == FLine->text();
}

void TInplaceEdit::SetEditMask(const std::string& Mask)
{
    if (FLine->inputMask() != ToQ(Mask))
        FLine->setInputMask(ToQ(Mask));
}

void TInplaceEdit::SetMaxLength(int Limit)
{
    FMaxLength = std::max(Limit, 0);
    FLine->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TInplaceEdit::SetMultiLine(bool Value)
{
    if (Value == FMultiLine)
        return;
    bool hadFocus = ActiveEdit()->hasFocus();
    FMultiLine = Value;
    FLine->setVisible(!Value);
    FMemo->setVisible(Value);
    setFocusProxy(ActiveEdit());
    if (hadFocus)
        ActiveEdit()->setFocus();
}

void TInplaceEdit::resizeEvent(QResizeEvent*)
{
    FLine->setGeometry(rect());
    FMemo->setGeometry(rect());
}

void TInplaceEdit::Move(const QRect& Rect)
{
    if (Rect.isEmpty()) {
        HideEdit();
        return;
    }
    bool wasHidden = isHidden();
    if (wasHidden)
        BeforeShow();
    FGrid->viewport()->update(geometry());
    setGeometry(Rect);
    UpdateEditRect();
    if (wasHidden) {
        show();
        SelectAll();
    }
    if (FGrid->GridHasFocus())
        ActiveEdit()->setFocus();
}

void TInplaceEdit::UpdateLoc(const QRect& Rect)
{
    if (Rect.isEmpty()) {
        HideEdit();
        return;
    }
    setGeometry(Rect);
    UpdateEditRect();
}

void TInplaceEdit::HideEdit()
{
    if (isHidden())
        return;
    // The grid takes the focus back, also while its window is inactive: a commit may have run a device job whose
    // modal progress window has the focus, and the window must return to the grid, not to a hidden editor.
    if (isAncestorOf(FGrid->window()->focusWidget()))
        FGrid->setFocus();
    hide();
}

void TInplaceEdit::UpdateEditRect() { FLine->setTextMargins(2, 0, 2, 0); }

void TInplaceEdit::UpdateContents()
{
    SetText(std::string());
    int col = FGrid->Col(), row = FGrid->Row();
    SetEditMask(FGrid->GetEditMask(col, row));
    // The cell's own limit before its text, so that the last cell's limit never cuts it; a text already longer
    // than the limit is shown whole (opening an editor never changes a value), it just cannot grow.
    const std::string Text = FGrid->GetEditText(col, row);
    const int Limit = FGrid->GetEditLimit();
    SetMaxLength(Limit > 0 ? std::max(Limit, int(Text.size())) : 0);
    SetText(Text);
    FFilledText = this->Text();
}

bool TInplaceEdit::AtLeftSide() const
{
    if (FMultiLine)
        return FMemo->textCursor().position() == 0 && !FMemo->textCursor().hasSelection();
    int len = int(FLine->text().size());
    int selStart = FLine->hasSelectedText() ? FLine->selectionStart() : FLine->cursorPosition();
    int selEnd = FLine->hasSelectedText() ? selStart + int(FLine->selectedText().size()) : selStart;
    return FLine->cursorPosition() == 0 && selStart == 0 && (selEnd == 0 || selEnd == len);
}

bool TInplaceEdit::AtRightSide() const
{
    if (FMultiLine)
        return FMemo->textCursor().atEnd() && !FMemo->textCursor().hasSelection();
    int len = int(FLine->text().size());
    int selStart = FLine->hasSelectedText() ? FLine->selectionStart() : FLine->cursorPosition();
    int selEnd = FLine->hasSelectedText() ? selStart + int(FLine->selectedText().size()) : selStart;
    return FLine->cursorPosition() == len && (selStart == selEnd || selStart == 0) && selEnd == len;
}

bool TInplaceEdit::KeyDown(int Key, Qt::KeyboardModifiers Mods)
{
    auto toGrid = [&] {
        FGrid->KeyDown(Key, Mods);
        return true;
    };
    bool ctrl = Mods & Qt::ControlModifier;
    bool shiftOnly = (Mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ShiftModifier;
    bool always = FGrid->Layout().Has(goAlwaysShowEditor);
    switch (Key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Escape:
        return toGrid();
    case Qt::Key_Insert:
        if (!(Mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
            return toGrid();
        if (shiftOnly && !FGrid->CanEditModify())
            return true;
        break;
    case Qt::Key_Left:
    case Qt::Key_Home:
        if (always && (ctrl || AtLeftSide()))
            return toGrid();
        break;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (always && (ctrl || AtRightSide()))
            return toGrid();
        break;
    case Qt::Key_F2: {
        int k = Key;
        if (FGrid->OnKeyDown)
            FGrid->OnKeyDown(k, Mods);
        if (k == Qt::Key_F2) {
            Deselect();
            return true;
        }
        return k == 0;
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (Mods & Qt::AltModifier)
            break;
        if (FGrid->Layout().Has(goTabs))
            FGrid->TabKey(Key, Mods);
        else
            FGrid->KeyDown(Key, Mods);
        return true;
    case Qt::Key_Delete:
        if (ctrl)
            return toGrid();
        if (!FGrid->CanEditModify())
            return true;
        break;
    default:
        break;
    }
    if (FGrid->OnKeyDown) {
        int k = Key;
        FGrid->OnKeyDown(k, Mods);
        if (k == 0)
            return true;
    }
    return false;
}

bool TInplaceEdit::AcceptChar(char Ch) const { return FGrid->CanEditAcceptKey(Ch); }

bool TInplaceEdit::KeyPress(char& Ch)
{
    if (FGrid->KeyPress(Ch))
        return true;
    unsigned char c = static_cast<unsigned char>(Ch);
    if (c >= 32 && !FGrid->CanEditAcceptKey(Ch)) {
        QApplication::beep();
        return true;
    }
    if (Ch == '\t' || Ch == 27)
        return true;
    if (Ch == '\r') {
        if (WholeTextSelected())
            Deselect();
        else
            SelectAll();
        return true;
    }
    if ((Ch == 8 || Ch == 22 || Ch == 24 || c >= 32) && !FGrid->CanEditModify())
        return true;
    return false;
}

void TInplaceEdit::Insert(const std::string& Text)
{
    if (!FMultiLine) {
        // The line's own limit would drop the rest without a word, and a shorter number would pass for what was
        // typed: text that does not fit is refused whole, and the grid says why. An edit mask sets its own length.
        const qsizetype Kept = FLine->text().size() - FLine->selectedText().size();
        if (FMaxLength > 0 && FLine->inputMask().isEmpty() && Kept + qsizetype(Text.size()) > FMaxLength) {
            FGrid->EditLimitReached(FMaxLength);
            return;
        }
        FLine->insert(ToQ(Text));   // reports itself through textEdited
        return;
    }
    QString add = ToQ(Text);
    add.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    add.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (FMaxLength > 0) {
        // The limit counts the text as the cell stores it (CR LF breaks).
        std::string now = Text.empty() ? std::string() : this->Text();
        int selected = SelLength();
        int breaks = int(add.count(QLatin1Char('\n')));
        if (int(now.size()) - selected + int(add.size()) + breaks > FMaxLength) {
            FGrid->EditLimitReached(FMaxLength);
            return;
        }
    }
    FMemo->insertPlainText(add);
}

void TInplaceEdit::Paste()
{
    std::string text = FromQ(QApplication::clipboard()->text());
    if (!FMultiLine) {
        size_t cut = text.find_first_of("\r\n");
        if (cut != std::string::npos)
            text.resize(cut);
    }
    // Pasted text passes the same check as typed text: one refused character refuses the paste.
    for (char c : text) {
        if (FMultiLine && (c == '\r' || c == '\n'))
            continue;
        if (IsControlChar(c) || !AcceptChar(c)) {
            QApplication::beep();
            return;
        }
    }
    Insert(text);
}

void TInplaceEdit::TypeChar(char Ch)
{
    // Only the editing keys among the control characters; any other would reach the device as a keystroke.
    if (IsControlChar(Ch) && Ch != 8 && Ch != '\r' && Ch != '\n' && Ch != '\t' && Ch != 27)
        return;
    char c = Ch;
    if (KeyPress(c))
        return;
    if (c == 8) {
        if (FMultiLine)
            FMemo->textCursor().deletePreviousChar();
        else
            FLine->backspace();
        return;
    }
    if (c == '\r' || c == '\n') {
        if (FMultiLine)
            Insert("\n");
        return;
    }
    Insert(std::string(1, c));
}

bool TInplaceEdit::eventFilter(QObject* Watched, QEvent* Event)
{
    return GuardGridEvent([&]() -> bool {
        switch (Event->type()) {
        case QEvent::ShortcutOverride:
            // F2 belongs to the editor (it toggles the selection), not to a window's shortcut of the same key.
            if (static_cast<QKeyEvent*>(Event)->key() == Qt::Key_F2) {
                Event->accept();
                return true;
            }
            break;
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(Event);
            int key = ke->key();
            Qt::KeyboardModifiers mods = ke->modifiers();
            if (KeyDown(key, mods))
                return true;
            if (ke->matches(QKeySequence::Paste)) {
                if (FGrid->CanEditModify())
                    Paste();
                return true;
            }
            if (ke->matches(QKeySequence::Cut) && !FGrid->CanEditModify())
                return true;
            char ch = 0;
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                ch = (mods & Qt::ControlModifier) ? '\n' : '\r';
            else if (key == Qt::Key_Escape)
                ch = 27;
            else if (key == Qt::Key_Backspace)
                ch = 8;
            else if (key == Qt::Key_Tab)
                ch = '\t';
            else if (ke->text().size() == 1 && !(mods & Qt::ControlModifier) && ke->text()[0].unicode() < 256 &&
                !IsControlChar(char(ke->text()[0].unicode())))
                ch = char(ke->text()[0].unicode());
            // Keys whose text is another control character (Delete's is DEL) keep their editing meaning.
            if (ch == 0)
                return false;
            TypeChar(ch);
            return true;
        }
        case QEvent::InputMethod: {
            // Text composed by an input method goes in character by character through the same filter as typed
            // keys; what is still being composed is not shown.
            auto* ie = static_cast<QInputMethodEvent*>(Event);
            for (QChar c : ie->commitString()) {
                if (c.unicode() < 256 && !IsControlChar(char(c.unicode())))
                    TypeChar(char(c.unicode()));
                else
                    QApplication::beep();
            }
            return true;
        }
        case QEvent::KeyRelease: {
            auto* ke = static_cast<QKeyEvent*>(Event);
            FGrid->KeyUp(ke->key(), ke->modifiers());
            SelectionMaybeChanged();
            return false;
        }
        case QEvent::MouseMove:
            SelectionMaybeChanged();
            return false;
        case QEvent::MouseButtonDblClick:
            FGrid->DblClick();
            return true;
        case QEvent::Wheel:
            QCoreApplication::sendEvent(FGrid, Event);
            return true;
        case QEvent::FocusOut: {
            auto* fe = static_cast<QFocusEvent*>(Event);
            QWidget* to = QApplication::focusWidget();
            if (!TXCustomGrid::WindowFocusLoss(fe->reason()) && to != FGrid && !isAncestorOf(to) && isVisible())
                FGrid->HideEditor();
            return false;
        }
        default:
            break;
        }
        (void)Watched;
        return QWidget::eventFilter(Watched, Event);
    });
}

// ---- grid core -------------------------------------------------------------------------------------------------

void TXCustomGrid::EditLimitReached(int) { QApplication::beep(); }

TXCustomGrid::TXCustomGrid(QWidget* Parent) : QAbstractScrollArea(Parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setRange(0, 0);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        bool horz = bar == horizontalScrollBar();
        connect(bar, &QScrollBar::actionTriggered, this,
            [this, horz](int action) { GuardGridHandler([&] { ScrollAction(horz, action); }); });
        connect(bar, &QScrollBar::sliderReleased, this, [this, horz, bar] {
            GuardGridHandler([&] {
                BeforeScrollMessage();
                ScrollRequest(horz, scPosition, bar->sliderPosition());
            });
        });
    }
    FSelectTimer.setInterval(60);
    connect(&FSelectTimer, &QTimer::timeout, this, [this] { GuardGridHandler([this] { SelectTimerTick(); }); });
    resize(FLayout.ColCount() * FLayout.DefaultColWidth(), FLayout.RowCount() * FLayout.DefaultRowHeight());
}

TXCustomGrid::~TXCustomGrid() { DestroyEditor(); }

void TXCustomGrid::DestroyEditor()
{
    if (!FInplaceEdit)
        return;
    TInplaceEdit* editor = FInplaceEdit;
    FInplaceEdit = nullptr;
    FInplaceCol = FInplaceRow = -1;
    editor->LineEdit()->removeEventFilter(editor);
    editor->MemoEdit()->removeEventFilter(editor);
    editor->MemoEdit()->viewport()->removeEventFilter(editor);
    editor->disconnect();
    editor->LineEdit()->disconnect(editor);
    editor->MemoEdit()->disconnect(editor);
    delete editor;
}

bool TXCustomGrid::GridHasFocus() const
{
    QWidget* f = QApplication::focusWidget();
    return f && (f == this || f == viewport() || (FInplaceEdit && FInplaceEdit->isAncestorOf(f)));
}

bool TXCustomGrid::EditorShowing() const { return FInplaceEdit && FInplaceEdit->isVisible(); }

QRect TXCustomGrid::CellRect(int ACol, int ARow) const
{
    TGridRect r = FLayout.CellRect(ACol, ARow);
    if (r.IsEmpty())
        return QRect();
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

void TXCustomGrid::InvalidateGridCell(int ACol, int ARow)
{
    // A hidden viewport ignores updates, and finding the cell's rectangle costs a layout pass: a window filling its
    // cells before it is first shown asks this for every cell it sets.
    if (!viewport()->isVisible())
        return;
    QRect r = CellRect(ACol, ARow);
    if (!r.isEmpty())
        viewport()->update(r.adjusted(-1, -1, 1, 1));
}

void TXCustomGrid::InvalidateGrid() { viewport()->update(); }

// ---- counts and extents ----------------------------------------------------------------------------------------

void TXCustomGrid::SetColCount(int Value)
{
    if (Value == FLayout.ColCount())
        return;
    EndEditBeforeChange();
    FLayout.SetColCount(Value);
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEditorLocation();
}

void TXCustomGrid::SetRowCount(int Value)
{
    if (Value == FLayout.RowCount())
        return;
    EndEditBeforeChange();
    FLayout.SetRowCount(Value);
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEditorLocation();
}

void TXCustomGrid::SetFixedCols(int Value)
{
    if (Value == FLayout.FixedCols())
        return;
    HideEditor();
    FLayout.SetFixedCols(Value);
    UpdateScrollRange();
    InvalidateGrid();
}

void TXCustomGrid::SetFixedRows(int Value)
{
    if (Value == FLayout.FixedRows())
        return;
    HideEditor();
    FLayout.SetFixedRows(Value);
    UpdateScrollRange();
    InvalidateGrid();
}

void TXCustomGrid::SetDefaultColWidth(int Value)
{
    FLayout.SetDefaultColWidth(Value);
    ColWidthsChanged();
    UpdateScrollRange();
    InvalidateGrid();
}

void TXCustomGrid::SetDefaultRowHeight(int Value)
{
    FLayout.SetDefaultRowHeight(Value);
    RowHeightsChanged();
    UpdateScrollRange();
    InvalidateGrid();
}

void TXCustomGrid::SetColWidths(int Index, int Value)
{
    TGridCoord before = FLayout.TopLeft();
    if (!FLayout.SetColWidth(Index, Value))
        return;
    ColWidthsChanged();
    UpdateScrollRange();
    InvalidateGrid();
    if (!(before == FLayout.TopLeft()))
        TopLeftChanged();
    UpdateEditorLocation();
}

void TXCustomGrid::SetRowHeights(int Index, int Value)
{
    TGridCoord before = FLayout.TopLeft();
    if (!FLayout.SetRowHeight(Index, Value))
        return;
    RowHeightsChanged();
    UpdateScrollRange();
    InvalidateGrid();
    if (!(before == FLayout.TopLeft()))
        TopLeftChanged();
    UpdateEditorLocation();
}

std::vector<int> TXCustomGrid::StoredColWidths() const
{
    std::vector<int> v;
    if (FLayout.HasColWidths())
        for (int i = 0; i < FLayout.ColCount(); ++i)
            v.push_back(FLayout.ColWidth(i));
    return v;
}

std::vector<int> TXCustomGrid::StoredRowHeights() const
{
    std::vector<int> v;
    if (FLayout.HasRowHeights())
        for (int i = 0; i < FLayout.RowCount(); ++i)
            v.push_back(FLayout.RowHeight(i));
    return v;
}

void TXCustomGrid::SetGridLineWidth(int Value)
{
    FLayout.SetGridLineWidth(Value);
    UpdateScrollRange();
    InvalidateGrid();
}

void TXCustomGrid::SetOptions(TGridOptions Value)
{
    if (Value == FLayout.Options())
        return;
    FLayout.SetOptions(Value);
    if (!FLayout.Has(goEditing) || FLayout.Has(goRowSelect))
        HideEditor();
    else if (FLayout.Has(goAlwaysShowEditor))
        ShowEditor();
    UpdateScrollRange();
    InvalidateGrid();
}

void TXCustomGrid::SetColor(TColor Value)
{
    FColor = Value;
    InvalidateGrid();
}

void TXCustomGrid::SetFixedColor(TColor Value)
{
    FFixedColor = Value;
    InvalidateGrid();
}

void TXCustomGrid::SetGridFont(const TXFont& Value)
{
    FFont = Value;
    if (FInplaceEdit)
        FInplaceEdit->setFont(ToQFont(GridFont()));
    InvalidateGrid();
}

void TXCustomGrid::SetScrollBars(TScrollStyle Value)
{
    FScrollBars = Value;
    setHorizontalScrollBarPolicy(Value == ssHorizontal || Value == ssBoth ? Qt::ScrollBarAsNeeded
                                                                          : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Value == ssVertical || Value == ssBoth ? Qt::ScrollBarAsNeeded
                                                                      : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
}

void TXCustomGrid::ColWidthsChanged() {}
void TXCustomGrid::RowHeightsChanged() {}

void TXCustomGrid::MoveColumn(int FromIndex, int ToIndex)
{
    if (FromIndex == ToIndex)
        return;
    EndEditBeforeChange();
    FLayout.MoveColumn(FromIndex, ToIndex);
    ColumnMoved(FromIndex, ToIndex);
    InvalidateGrid();
}

void TXCustomGrid::MoveRow(int FromIndex, int ToIndex)
{
    if (FromIndex == ToIndex)
        return;
    EndEditBeforeChange();
    FLayout.MoveRow(FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
    InvalidateGrid();
}

void TXCustomGrid::DeleteColumn(int ACol)
{
    if (FLayout.ColCount() <= 1)
        InvalidGridOp(STooManyDeleted);
    EndEditBeforeChange();
    MoveColumn(ACol, FLayout.ColCount() - 1);
    SetColCount(FLayout.ColCount() - 1);
}

void TXCustomGrid::DeleteRow(int ARow)
{
    if (FLayout.RowCount() <= 1)
        InvalidGridOp(STooManyDeleted);
    EndEditBeforeChange();
    MoveRow(ARow, FLayout.RowCount() - 1);
    SetRowCount(FLayout.RowCount() - 1);
}

// ---- scroll bars -----------------------------------------------------------------------------------------------

void TXCustomGrid::UpdateScrollRange()
{
    if (FUpdatingScrollBars)
        return;
    FUpdatingScrollBars = true;
    TGridCoord before = FLayout.TopLeft();
    // Showing or hiding a bar changes the client size, which can change the other bar: settle in a few rounds.
    for (int round = 0; round < 3; ++round) {
        FLayout.SetClientSize(viewport()->width(), viewport()->height());
        QScrollBar* h = horizontalScrollBar();
        QScrollBar* v = verticalScrollBar();
        bool hOn = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
        bool vOn = FScrollBars == ssVertical || FScrollBars == ssBoth;
        if (FLayout.IsSingleColumn()) {
            h->setRange(0, hOn ? FLayout.MaxColOffset() : 0);
            h->setPageStep(std::max(1, FLayout.ClientWidth()));
        } else {
            h->setRange(0, hOn && FLayout.HasScrollRange(true) ? 127 : 0);
            h->setPageStep(10);
        }
        v->setRange(0, vOn && FLayout.HasScrollRange(false) ? 127 : 0);
        if (viewport()->width() == FLayout.ClientWidth() && viewport()->height() == FLayout.ClientHeight())
            break;
    }
    FUpdatingScrollBars = false;
    UpdateScrollPos();
    if (!(before == FLayout.TopLeft())) {
        InvalidateGrid();
        TopLeftChanged();
    }
}

void TXCustomGrid::UpdateScrollPos()
{
    QSignalBlocker bh(horizontalScrollBar()), bv(verticalScrollBar());
    horizontalScrollBar()->setValue(FLayout.ScrollPos(true));
    verticalScrollBar()->setValue(FLayout.ScrollPos(false));
}

void TXCustomGrid::ScrollAction(bool Horz, int Action)
{
    QScrollBar* bar = Horz ? horizontalScrollBar() : verticalScrollBar();
    TScrollCode code;
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
    case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
    case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
    case QAbstractSlider::SliderToMinimum: code = scTop; break;
    case QAbstractSlider::SliderToMaximum: code = scBottom; break;
    case QAbstractSlider::SliderMove:
        if (!FLayout.Has(goThumbTracking))
            return;
        code = scTrack;
        break;
    default: return;
    }
    BeforeScrollMessage();
    ScrollRequest(Horz, code, bar->sliderPosition());
    bar->setSliderPosition(FLayout.ScrollPos(Horz));
}

void TXCustomGrid::ScrollRequest(bool Horz, TScrollCode Code, int Pos)
{
    int step = std::max(1, QFontMetrics(ToQFont(GridFont())).horizontalAdvance(QLatin1Char('0')));
    int v = FLayout.ScrollRequest(Horz, Code, Pos, step);
    if (Horz && FLayout.IsSingleColumn()) {
        if (FLayout.SetColOffset(v)) {
            InvalidateGrid();
            UpdateScrollPos();
            UpdateEditorLocation();
        }
        return;
    }
    TGridCoord tl = FLayout.TopLeft();
    if (Horz)
        tl.X = v;
    else
        tl.Y = v;
    MoveTopLeft(tl);
}

void TXCustomGrid::MoveTopLeft(TGridCoord Value)
{
    TGridCoord old = FLayout.TopLeft();
    if (!FLayout.SetTopLeft(Value))
        return;
    ScrollData(old, FLayout.TopLeft());
    TopLeftChanged();
}

void TXCustomGrid::ScrollData(TGridCoord From, TGridCoord To)
{
    // Move what is painted already and repaint only the uncovered strips; a move beyond the visible area, or
    // any other kind of change, repaints the whole grid.
    TGridDrawInfo d = FLayout.CalcDrawInfo();
    int dx = -FLayout.PixelDistance(true, From.X, To.X);
    int dy = -FLayout.PixelDistance(false, From.Y, To.Y);
    int w = viewport()->width(), h = viewport()->height();
    int fx = d.Horz.FixedBoundary, fy = d.Vert.FixedBoundary;
    if (!FDefaultDrawing || FLayout.Has(goRowSelect) || std::abs(dx) >= w - fx || std::abs(dy) >= h - fy ||
        !viewport()->isVisible()) {
        InvalidateGrid();
        return;
    }
    if (dy == 0)
        viewport()->scroll(dx, 0, QRect(fx, 0, w - fx, h));
    else if (dx == 0)
        viewport()->scroll(0, dy, QRect(0, fy, w, h - fy));
    else {
        viewport()->scroll(dx, 0, QRect(fx, 0, w - fx, fy));
        viewport()->scroll(0, dy, QRect(0, fy, fx, h - fy));
        viewport()->scroll(dx, dy, QRect(fx, fy, w - fx, h - fy));
    }
}

void TXCustomGrid::TopLeftChanged()
{
    UpdateScrollPos();
    UpdateEditorLocation();
    if (OnTopLeftChanged)
        OnTopLeftChanged();
}

// ---- cursor and editor -----------------------------------------------------------------------------------------

bool TXCustomGrid::SelectCell(int ACol, int ARow)
{
    bool can = true;
    if (OnCoreSelectCell)
        OnCoreSelectCell(ACol, ARow, can);
    return can;
}

void TXCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor)
{
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    if (FLayout.Has(goAlwaysShowEditor))
        ShowEditor();
}

void TXCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show)
{
    if (ACol < 0 || ARow < 0 || ACol >= FLayout.ColCount() || ARow >= FLayout.RowCount())
        InvalidGridOp(SGridIndexOutOfRange);
    if (!SelectCell(ACol, ARow))
        return;
    if (!FLayout.Has(goAlwaysShowEditor))
        HideEditor();
    bool extend = !MoveAnchor && FLayout.Has(goRangeSelect) && !FLayout.Has(goEditing);
    TGridRect oldSelection = FLayout.Selection();
    TGridCoord oldCurrent = FLayout.Current();
    FLayout.SetCurrent({ACol, ARow}, !extend);
    if (Show)
        MoveTopLeft(FLayout.OriginToShow(FLayout.Current()));
    // Repaint where the old and the new selection and focus lie now (after any scroll).
    auto invalidateBox = [this](TGridRect cells) {
        TGridRect r = FLayout.BoxRect(cells);
        if (!r.IsEmpty())
            viewport()->update(QRect(r.Left - 1, r.Top - 1, r.Width() + 2, r.Height() + 2));
    };
    invalidateBox(oldSelection);
    invalidateBox({oldCurrent.X, oldCurrent.Y, oldCurrent.X, oldCurrent.Y});
    invalidateBox(FLayout.Selection());
    CurrentCellChanged(oldCurrent);
    UpdateEditorLocation();
}

TInplaceEdit* TXCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TXCustomGrid::CanEditShow()
{
    return FLayout.Has(goEditing) && !FLayout.Has(goRowSelect) && FEditorMode &&
        (FLayout.Has(goAlwaysShowEditor) || GridHasFocus());
}

void TXCustomGrid::SetEditorMode(bool Value)
{
    if (Value)
        ShowEditor();
    else
        HideEditor();
}

void TXCustomGrid::ShowEditor()
{
    FEditorMode = true;
    if (!CanEditShow())
        return;
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->setFont(ToQFont(GridFont()));
    }
    int col = FLayout.Current().X, row = FLayout.Current().Y;
    if (FInplaceCol != col || FInplaceRow != row || FInplaceEdit->isHidden()) {
        if (FInplaceEdit->isVisible())
            UpdateText();
        FInplaceCol = col;
        FInplaceRow = row;
        FInplaceEdit->UpdateContents();
        FInplaceEdit->hide();   // shown fresh below: prepared and with the whole text selected
    }
    FInplaceEdit->Move(CellRect(col, row));
}

void TXCustomGrid::UpdateText()
{
    if (!FInplaceEdit || FInplaceCol < 0 || FInplaceRow < 0)
        return;
    int col = FInplaceCol, row = FInplaceRow;
    // Cleared first: a handler that reacts to the commit may hide the editor again.
    FInplaceCol = FInplaceRow = -1;
    // Every change of rows and columns closes the editor first; a cell that is gone anyway takes nothing.
    if (col >= FLayout.ColCount() || row >= FLayout.RowCount())
        return;
    if (!CanEditModify())
        return;
    // Nothing typed, nothing committed: the cell keeps its value exactly, unclamped and unnormalised.
    if (!FInplaceEdit->TextEdited())
        return;
    try {
        SetEditText(col, row, FInplaceEdit->Text());
    } catch (...) {
        // Refused: the editor stays on its cell with the text, for the user to mend.
        if (FInplaceEdit && FInplaceEdit->isVisible() && FInplaceCol < 0) {
            FInplaceCol = col;
            FInplaceRow = row;
            FEditorMode = true;
        }
        throw;
    }
}

void TXCustomGrid::EndEditBeforeChange()
{
    if (!FInplaceEdit || FInplaceEdit->isHidden())
        return;
    try {
        HideEditor();
        if (FLayout.Has(goAlwaysShowEditor)) {
            // The editor that is always shown opens again on the current cell once the change is over.
            FEditorMode = true;
            QTimer::singleShot(0, this, [this] {
                GuardGridHandler([this] {
                    if (FEditorMode && !EditorShowing())
                        ShowEditor();
                });
            });
        }
    } catch (...) {
        FEditorMode = false;
        FInplaceCol = FInplaceRow = -1;
        FInplaceEdit->HideEdit();
        InvalidateGrid();
        throw;
    }
}

void TXCustomGrid::HideEditor()
{
    FEditorMode = false;
    if (!FInplaceEdit || FInplaceEdit->isHidden())
        return;
    UpdateText();
    FInplaceEdit->HideEdit();
    InvalidateGrid();
}

void TXCustomGrid::UpdateEditorLocation()
{
    if (FInplaceEdit && FInplaceEdit->isVisible()) {
        if (FInplaceCol != FLayout.Current().X || FInplaceRow != FLayout.Current().Y) {
            HideEditor();
            return;
        }
        FInplaceEdit->UpdateLoc(CellRect(FInplaceCol, FInplaceRow));
    }
}

void TXCustomGrid::EditorTextChanged()
{
    if (FLayout.Has(goAlwaysShowEditor) && FInplaceEdit && FInplaceCol >= 0 && CanEditModify())
        SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

// ---- keyboard --------------------------------------------------------------------------------------------------

bool TXCustomGrid::GridKeyFromQt(int Key, TGridKey& Out) const
{
    switch (Key) {
    case Qt::Key_Up: Out = gkUp; return true;
    case Qt::Key_Down: Out = gkDown; return true;
    case Qt::Key_Left: Out = gkLeft; return true;
    case Qt::Key_Right: Out = gkRight; return true;
    case Qt::Key_PageUp: Out = gkPrior; return true;
    case Qt::Key_PageDown: Out = gkNext; return true;
    case Qt::Key_Home: Out = gkHome; return true;
    case Qt::Key_End: Out = gkEnd; return true;
    default: return false;
    }
}

bool TXCustomGrid::KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    if (OnKeyDown) {
        OnKeyDown(Key, Shift);
        if (Key == 0)
            return true;
    }
    if (!CanGridAcceptKey(Key, Shift))
        return true;
    bool ctrl = Shift & Qt::ControlModifier;
    bool shift = Shift & Qt::ShiftModifier;
    bool alt = Shift & Qt::AltModifier;
    if (Key == Qt::Key_F2 && !ctrl) {
        SetEditorMode(true);
        return true;
    }
    TGridKey gk;
    if (Key == Qt::Key_Tab || Key == Qt::Key_Backtab) {
        if (alt || !FLayout.Has(goTabs) || ctrl)
            return false;
        gk = gkTab;
        shift = shift || Key == Qt::Key_Backtab;
    } else if (!GridKeyFromQt(Key, gk)) {
        return false;
    }
    TGridMove m;
    if (!FLayout.Navigate(gk, shift, ctrl, m))
        return false;
    MoveTopLeft(m.TopLeft);
    if (!(m.Current == FLayout.Current()))
        FocusCell(m.Current.X, m.Current.Y, !m.Extend);
    return true;
}

void TXCustomGrid::TabKey(int Key, Qt::KeyboardModifiers Shift)
{
    if (KeyDown(Key, Shift) || (Shift & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    HideEditor();
    QAbstractScrollArea::focusNextPrevChild(Key == Qt::Key_Tab && !(Shift & Qt::ShiftModifier));
}

bool TXCustomGrid::KeyPress(char& Key)
{
    if (OnKeyPress) {
        OnKeyPress(Key);
        if (Key == 0)
            return true;
    }
    if (!FLayout.Has(goAlwaysShowEditor) && Key == '\r') {
        if (EditorShowing())
            HideEditor();
        else
            ShowEditor();
        return true;
    }
    return false;
}

void TXCustomGrid::KeyUp(int Key, Qt::KeyboardModifiers Shift)
{
    if (OnKeyUp)
        OnKeyUp(Key, Shift);
}

void TXCustomGrid::keyPressEvent(QKeyEvent* Event)
{
    GuardGridHandler([&] {
        int key = Event->key();
        if (KeyDown(key, Event->modifiers()))
            return;
        char ch = 0;
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            ch = (Event->modifiers() & Qt::ControlModifier) ? '\n' : '\r';
        else if (key == Qt::Key_Backspace)
            ch = 8;
        else if (key == Qt::Key_Escape)
            ch = 27;
        else if (Event->text().size() == 1 && !(Event->modifiers() & Qt::ControlModifier) &&
            Event->text()[0].unicode() < 256 && !IsControlChar(char(Event->text()[0].unicode())))
            ch = char(Event->text()[0].unicode());
        if (ch == 0) {
            Event->ignore();
            return;
        }
        if (KeyPress(ch))
            return;
        // A printable character or Backspace opens the editor and goes on into it.
        unsigned char c = static_cast<unsigned char>(ch);
        if (FLayout.Has(goEditing) && (c == 8 || c >= 32)) {
            ShowEditor();
            if (EditorShowing())
                FInplaceEdit->TypeChar(ch);
            return;
        }
        Event->ignore();
    });
}

void TXCustomGrid::keyReleaseEvent(QKeyEvent* Event)
{
    GuardGridHandler([&] { KeyUp(Event->key(), Event->modifiers()); });
}

bool TXCustomGrid::focusNextPrevChild(bool Next)
{
    return GuardGridEvent([&]() -> bool {
        // Tab moves between cells when the grid wants it.
        if (FLayout.Has(goTabs) && !FLayout.Has(goRowSelect))
            return false;
        return QAbstractScrollArea::focusNextPrevChild(Next);
    });
}

bool TXCustomGrid::event(QEvent* Event)
{
    return GuardGridEvent([&]() -> bool {
        // F2 opens the cell editor of an editable grid; a window's shortcut on the same key (the main window's
        // Connect) must not take it away while the grid has the focus.
        if (Event->type() == QEvent::ShortcutOverride) {
            auto* ke = static_cast<QKeyEvent*>(Event);
            if (ke->key() == Qt::Key_F2 && !(ke->modifiers() & Qt::ControlModifier) && FLayout.Has(goEditing)) {
                Event->accept();
                return true;
            }
        }
        if (Event->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(Event);
            if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) && FLayout.Has(goTabs) &&
                !FLayout.Has(goRowSelect)) {
                TabKey(ke->key(), ke->modifiers());
                return true;
            }
        }
        return QAbstractScrollArea::event(Event);
    });
}

bool TXCustomGrid::viewportEvent(QEvent* Event)
{
    return GuardGridEvent([&]() -> bool {
        if (Event->type() == QEvent::Leave && !FLayout.Has(goAlwaysShowEditor) && FGridState == gsNormal)
            viewport()->unsetCursor();
        return QAbstractScrollArea::viewportEvent(Event);
    });
}

void TXCustomGrid::focusInEvent(QFocusEvent* Event)
{
    GuardGridHandler([&] {
        QAbstractScrollArea::focusInEvent(Event);
        InvalidateGrid();
        if (FLayout.Has(goAlwaysShowEditor) && FEditorMode)
            ShowEditor();
    });
}

void TXCustomGrid::focusOutEvent(QFocusEvent* Event)
{
    GuardGridHandler([&] {
        QAbstractScrollArea::focusOutEvent(Event);
        QWidget* to = QApplication::focusWidget();
        bool toEditor = FInplaceEdit && FInplaceEdit->isAncestorOf(to);
        if (!toEditor && !WindowFocusLoss(Event->reason()) && !isAncestorOf(to))
            HideEditor();
        InvalidateGrid();
    });
}

// ---- mouse -----------------------------------------------------------------------------------------------------

void TXCustomGrid::mousePressEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] { CoreMousePress(Event); });
}
void TXCustomGrid::mouseMoveEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] { CoreMouseMove(Event); });
}
void TXCustomGrid::mouseReleaseEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] { CoreMouseRelease(Event); });
}

void TXCustomGrid::mouseDoubleClickEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] {
        if (Event->button() == Qt::LeftButton)
            DblClick();
    });
}

void TXCustomGrid::DblClick()
{
    if (OnDblClick)
        OnDblClick();
}

void TXCustomGrid::CoreMousePress(QMouseEvent* Event)
{
    HideEditor();
    if (!Designing) {
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus() && !GridHasFocus() && isActiveWindow())
            return;
    }
    if (Event->button() != Qt::LeftButton)
        return;
    QPoint p = Event->position().toPoint();
    FLastMouse = p;
    TGridSizing s = FLayout.CalcSizingState(p.x(), p.y(), Designing);
    if (s.State != gsNormal) {
        FGridState = s.State;
        FSizing = s;
        FSizingLine = s.Pos;
        InvalidateGrid();
        return;
    }
    TGridCoord cell = FLayout.MouseCoord(p.x(), p.y());
    if (cell.X >= 0 && cell.X < FLayout.FixedCols() && cell.Y >= FLayout.FixedRows() && FLayout.Has(goRowMoving)) {
        if (BeginRowDrag(cell.Y)) {
            FGridState = gsRowMoving;
            FMoveIndex = FMovePos = cell.Y;
            FSelectTimer.start();
            InvalidateGrid();
        }
        return;
    }
    if (cell.Y >= 0 && cell.Y < FLayout.FixedRows() && cell.X >= FLayout.FixedCols() && FLayout.Has(goColMoving)) {
        if (BeginColumnDrag(cell.X)) {
            FGridState = gsColMoving;
            FMoveIndex = FMovePos = cell.X;
            FSelectTimer.start();
            InvalidateGrid();
        }
        return;
    }
    if (cell.X < FLayout.FixedCols() || cell.Y < FLayout.FixedRows())
        return;
    if (FLayout.Has(goEditing)) {
        if (cell == FLayout.Current()) {
            ShowEditor();
        } else {
            MoveCurrent(cell.X, cell.Y, true, true);
            if (FLayout.Has(goAlwaysShowEditor))
                ShowEditor();
        }
        if (OnClick)
            OnClick();
        return;
    }
    FGridState = gsSelecting;
    FSelectTimer.start();
    bool extend = (Event->modifiers() & Qt::ShiftModifier) && FLayout.Has(goRangeSelect);
    MoveCurrent(cell.X, cell.Y, !extend, true);
}

void TXCustomGrid::CoreMouseMove(QMouseEvent* Event)
{
    QPoint p = Event->position().toPoint();
    FLastMouse = p;
    switch (FGridState) {
    case gsColSizing:
        FSizingLine = p.x() + FSizing.Offset;
        InvalidateGrid();
        return;
    case gsRowSizing:
        FSizingLine = p.y() + FSizing.Offset;
        InvalidateGrid();
        return;
    case gsRowMoving:
    case gsColMoving:
        MoveStep(p);
        return;
    case gsSelecting: {
        TGridCoord cell = FLayout.MouseCoord(p.x(), p.y());
        if (cell.X >= FLayout.FixedCols() && cell.Y >= FLayout.FixedRows() && !(cell == FLayout.Current()))
            MoveCurrent(cell.X, cell.Y, false, true);
        return;
    }
    default:
        break;
    }
    if (Event->buttons() == Qt::NoButton) {
        TGridSizing s = FLayout.CalcSizingState(p.x(), p.y(), Designing);
        if (s.State == gsColSizing)
            viewport()->setCursor(Qt::SplitHCursor);
        else if (s.State == gsRowSizing)
            viewport()->setCursor(Qt::SplitVCursor);
        else
            viewport()->unsetCursor();
    }
}

void TXCustomGrid::CoreMouseRelease(QMouseEvent* Event)
{
    QPoint p = Event->position().toPoint();
    if (FGridState == gsColSizing || FGridState == gsRowSizing) {
        bool cols = FGridState == gsColSizing;
        int line = (cols ? p.x() : p.y()) + FSizing.Offset;
        // The new extent is the line's distance from the cell's near edge.
        int size = cols ? FLayout.ColWidth(FSizing.Index) : FLayout.RowHeight(FSizing.Index);
        size += line - FSizing.Pos;
        EndMouseState();
        if (size > 1) {
            if (cols)
                SetColWidths(FSizing.Index, size);
            else
                SetRowHeights(FSizing.Index, size);
        }
        return;
    }
    if (FGridState == gsRowMoving || FGridState == gsColMoving) {
        bool rows = FGridState == gsRowMoving;
        int from = FMoveIndex, to = FMovePos;
        EndMouseState();
        if (from >= 0 && to >= 0 && from != to) {
            if (rows)
                MoveRow(from, to);
            else
                MoveColumn(from, to);
        }
        return;
    }
    EndMouseState();
}

void TXCustomGrid::MoveStep(QPoint Pointer)
{
    bool rows = FGridState == gsRowMoving;
    TGridDrawInfo d = FLayout.CalcDrawInfo();
    const TGridAxisDrawInfo& a = rows ? d.Vert : d.Horz;
    int pos = rows ? Pointer.y() : Pointer.x();
    TGridCoord cell = FLayout.MouseCoord(Pointer.x(), Pointer.y());
    int under = rows ? cell.Y : cell.X;
    int last = (rows ? FLayout.RowCount() : FLayout.ColCount()) - 1;
    if (under == FMovePos && under >= a.FixedCellCount)
        return;
    if (FMovePos == a.FirstGridCell && pos < a.FixedBoundary && a.FirstGridCell == a.FixedCellCount)
        return;
    if (FMovePos == last && pos >= a.GridBoundary)
        return;
    int aim = FMovePos;
    TGridCoord tl = FLayout.TopLeft();
    if (pos < a.FixedBoundary) {
        if (FMovePos > a.FirstGridCell || a.FirstGridCell > a.FixedCellCount) {
            (rows ? tl.Y : tl.X) -= 1;
            MoveTopLeft(tl);
        }
        aim = rows ? FLayout.TopRow() : FLayout.LeftCol();
    } else if (pos >= a.FullVisBoundary) {
        if (FMovePos == a.LastFullVisibleCell && FMovePos < last) {
            (rows ? tl.Y : tl.X) += 1;
            MoveTopLeft(tl);
        }
        TGridDrawInfo now = FLayout.CalcDrawInfo();
        aim = rows ? now.Vert.LastFullVisibleCell : now.Horz.LastFullVisibleCell;
    } else if (under >= a.FixedCellCount) {
        aim = under;
    }
    bool agreed = rows ? CheckRowDrag(FMoveIndex, aim) : CheckColumnDrag(FMoveIndex, aim);
    if (agreed && aim != FMovePos) {
        FMovePos = aim;
        InvalidateGrid();
    }
}

void TXCustomGrid::EndMouseState()
{
    FGridState = gsNormal;
    FMoveIndex = FMovePos = -1;
    FSizingLine = -1;
    FSelectTimer.stop();
    InvalidateGrid();
}

void TXCustomGrid::SelectTimerTick()
{
    if (FGridState == gsRowMoving || FGridState == gsColMoving) {
        if (!(QApplication::mouseButtons() & Qt::LeftButton)) {
            EndMouseState();
            return;
        }
        MoveStep(viewport()->mapFromGlobal(QCursor::pos()));
        return;
    }
    if (FGridState != gsSelecting)
        return;
    if (!(QApplication::mouseButtons() & Qt::LeftButton)) {
        EndMouseState();
        return;
    }
    QPoint p = viewport()->mapFromGlobal(QCursor::pos());
    TGridDrawInfo d = FLayout.CalcDrawInfo();
    TGridCoord cur = FLayout.Current();
    int dx = p.x() < d.Horz.FixedBoundary ? -1 : (p.x() > d.Horz.FullVisBoundary ? 1 : 0);
    int dy = p.y() < d.Vert.FixedBoundary ? -1 : (p.y() > d.Vert.FullVisBoundary ? 1 : 0);
    if (dx == 0 && dy == 0)
        return;
    int col = std::clamp(cur.X + dx, FLayout.FixedCols(), FLayout.ColCount() - 1);
    int row = std::clamp(cur.Y + dy, FLayout.FixedRows(), FLayout.RowCount() - 1);
    MoveCurrent(col, row, false, true);
}

void TXCustomGrid::wheelEvent(QWheelEvent* Event)
{
    GuardGridHandler([&] {
        Event->accept();
        int delta = Event->angleDelta().y();
        if (delta == 0)
            return;
        // One row per notch (an angle of 120); a fine wheel's smaller steps add up first, and a turn back drops
        // what was left over the other way.
        if ((delta < 0) != (FWheelRest < 0))
            FWheelRest = 0;
        FWheelRest += delta;
        int steps = FWheelRest / 120;
        FWheelRest -= steps * 120;
        TGridCoord cur = FLayout.Current();
        int row = std::clamp(cur.Y - steps, FLayout.FixedRows(), FLayout.RowCount() - 1);
        if (row != cur.Y)
            FocusCell(cur.X, row, true);
    });
}

void TXCustomGrid::resizeEvent(QResizeEvent* Event)
{
    GuardGridHandler([&] {
        QAbstractScrollArea::resizeEvent(Event);
        FLayout.SetClientSize(viewport()->width(), viewport()->height());
        UpdateScrollRange();
        UpdateEditorLocation();
        ClientSizeChanged();
    });
}

// ---- painting --------------------------------------------------------------------------------------------------

namespace {
struct TAxisCells {
    std::vector<std::pair<int, int>> Cells;   // index, start pixel
};

TAxisCells VisibleCells(const TXGridLayout& L, const TGridAxisDrawInfo& A, bool Horz, bool Fixed)
{
    TAxisCells out;
    int pos = 0;
    if (Fixed) {
        for (int i = 0; i < A.FixedCellCount; ++i) {
            out.Cells.push_back({i, pos});
            pos += (Horz ? L.ColWidth(i) : L.RowHeight(i)) + A.EffectiveLineWidth;
        }
        return out;
    }
    pos = A.FixedBoundary - (Horz ? L.ColOffset() : 0);
    for (int i = A.FirstGridCell; i < A.GridCellCount && pos < A.GridExtent; ++i) {
        out.Cells.push_back({i, pos});
        pos += (Horz ? L.ColWidth(i) : L.RowHeight(i)) + A.EffectiveLineWidth;
    }
    return out;
}
}  // namespace

void TXCustomGrid::PaintLines(QPainter& Painter, const TGridDrawInfo& Info)
{
    int lwH = Info.Horz.EffectiveLineWidth;   // vertical lines (between columns)
    int lwV = Info.Vert.EffectiveLineWidth;   // horizontal lines (between rows)
    if (lwH <= 0 && lwV <= 0)
        return;
    TAxisCells fixedCols = VisibleCells(FLayout, Info.Horz, true, true);
    TAxisCells gridCols = VisibleCells(FLayout, Info.Horz, true, false);
    TAxisCells fixedRows = VisibleCells(FLayout, Info.Vert, false, true);
    TAxisCells gridRows = VisibleCells(FLayout, Info.Vert, false, false);
    QColor scrollingOn = ToQColor(FColor == clSilver ? clGray : clSilver);
    // One region: its columns and rows, its pixel box, and whether it holds fixed cells.
    auto region = [&](const TAxisCells& cols, const TAxisCells& rows, QRect box, bool fixed) {
        if (box.width() <= 0 || box.height() <= 0)
            return;
        bool vOn = FLayout.Has(fixed ? goFixedVertLine : goVertLine);
        bool hOn = FLayout.Has(fixed ? goFixedHorzLine : goHorzLine);
        QColor vColor = vOn ? (fixed ? QColor(Qt::black) : scrollingOn) : ToQColor(fixed ? FFixedColor : FColor);
        QColor hColor = hOn ? (fixed ? QColor(Qt::black) : scrollingOn) : ToQColor(fixed ? FFixedColor : FColor);
        Painter.save();
        Painter.setClipRect(box);
        auto vertical = [&] {
            if (lwH <= 0)
                return;
            for (auto [i, start] : cols.Cells) {
                int x = start + FLayout.ColWidth(i);
                if (x > box.right() + lwH)
                    break;
                Painter.fillRect(QRect(x, box.top(), lwH, box.height()), vColor);
            }
        };
        auto horizontal = [&] {
            if (lwV <= 0)
                return;
            for (auto [i, start] : rows.Cells) {
                int y = start + FLayout.RowHeight(i);
                if (y > box.bottom() + lwV)
                    break;
                Painter.fillRect(QRect(box.left(), y, box.width(), lwV), hColor);
            }
        };
        if (hOn) {
            vertical();
            horizontal();
        } else {
            horizontal();
            vertical();
        }
        Painter.restore();
    };
    int fx = Info.Horz.FixedBoundary, fy = Info.Vert.FixedBoundary;
    int gx = Info.Horz.GridBoundary, gy = Info.Vert.GridBoundary;
    region(fixedCols, fixedRows, QRect(0, 0, fx, fy), true);
    region(gridCols, fixedRows, QRect(fx, 0, gx - fx, fy), true);
    region(fixedCols, gridRows, QRect(0, fy, fx, gy - fy), true);
    region(gridCols, gridRows, QRect(fx, fy, gx - fx, gy - fy), false);
}

void TXCustomGrid::paintEvent(QPaintEvent* Event)
{
    PaintGuarded([&] {
        QPainter p(viewport());
        TGridDrawInfo d = FLayout.CalcDrawInfo();
        QRect dirty = Event->rect();
        // Room right of and below the last cells.
        QColor background = ToQColor(FColor);
        if (d.Horz.GridBoundary < width())
            p.fillRect(QRect(d.Horz.GridBoundary, 0, viewport()->width() - d.Horz.GridBoundary, viewport()->height()),
                background);
        if (d.Vert.GridBoundary < height())
            p.fillRect(QRect(0, d.Vert.GridBoundary, viewport()->width(), viewport()->height() - d.Vert.GridBoundary),
                background);
        PaintLines(p, d);
    
        TAxisCells cols[2] = {VisibleCells(FLayout, d.Horz, true, true), VisibleCells(FLayout, d.Horz, true, false)};
        TAxisCells rows[2] = {VisibleCells(FLayout, d.Vert, false, true), VisibleCells(FLayout, d.Vert, false, false)};
        bool focused = GridHasFocus();
        TGridCoord cur = FLayout.Current();
        QFont gridFont = ToQFont(GridFont());
        QColor gridFontColor = ToQColor(GridFont().Color);
        for (int ry = 0; ry < 2; ++ry) {
            for (const auto& [row, y] : rows[ry].Cells) {
                int h = FLayout.RowHeight(row);
                for (int cx = 0; cx < 2; ++cx) {
                    for (const auto& [col, x] : cols[cx].Cells) {
                        int w = FLayout.ColWidth(col);
                        QRect r(x, y, w, h);
                        if (!r.intersects(dirty) || w <= 0 || h <= 0)
                            continue;
                        TGridDrawState state = 0;
                        bool fixed = cx == 0 || ry == 0;
                        if (fixed)
                            state |= gdFixed;
                        else {
                            if (FLayout.IsSelected(col, row))
                                state |= gdSelected;
                            if (focused && col == cur.X && row == cur.Y)
                                state |= gdFocused;
                        }
                        // Restored also when a cell's drawing fails half-way.
                        struct TSaved {
                            QPainter& P;
                            explicit TSaved(QPainter& Painter) : P(Painter) { P.save(); }
                            ~TSaved() { P.restore(); }
                        } saved(p);
                        QRect clip = r;
                        if (cx == 1)
                            clip = clip.intersected(QRect(d.Horz.FixedBoundary, 0, viewport()->width(), viewport()->height()));
                        p.setClipRect(clip);
                        p.setFont(gridFont);
                        p.setPen(gridFontColor);
                        if (FDefaultDrawing) {
                            bool selected = (state & gdSelected) &&
                                (!(state & gdFocused) || FLayout.Has(goDrawFocusSelected) || FLayout.Has(goRowSelect));
                            QColor fill = selected ? ToQColor(clHighlight) : ToQColor(fixed ? FFixedColor : FColor);
                            if (selected)
                                p.setPen(ToQColor(clHighlightText));
                            if (!DrawCellFills(col))
                                p.fillRect(r, fill);
                        }
                        DrawCell(p, col, row, r, state);
                        if (FDefaultDrawing && Ctl3D && fixed) {
                            p.setPen(ToQColor(clBtnHighlight));
                            p.drawLine(r.topLeft(), r.topRight());
                            p.drawLine(r.topLeft(), r.bottomLeft());
                            p.setPen(ToQColor(clBtnShadow));
                            p.drawLine(r.bottomLeft(), r.bottomRight());
                            p.drawLine(r.topRight(), r.bottomRight());
                        }
                    }
                }
            }
        }
        // The focus rectangle around the current cell (or row) while the grid has the focus and no editor shows.
        if (focused && !EditorShowing()) {
            TGridRect cells = FLayout.Has(goRowSelect) ? FLayout.Selection() : TGridRect{cur.X, cur.Y, cur.X, cur.Y};
            TGridRect box = FLayout.BoxRect(cells);
            if (!box.IsEmpty()) {
                QPen pen(ToQColor(clWindowText));
                pen.setStyle(Qt::DotLine);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                p.drawRect(QRect(box.Left, box.Top, box.Width() - 1, box.Height() - 1));
            }
        }
        if ((FGridState == gsRowMoving || FGridState == gsColMoving) && FMovePos >= 0) {
            // The insertion mark: on the edge where the moved row or column would land.
            bool rows = FGridState == gsRowMoving;
            QRect cell = rows ? CellRect(FLayout.FixedCols() > 0 ? 0 : FLayout.LeftCol(), FMovePos)
                              : CellRect(FMovePos, FLayout.FixedRows() > 0 ? 0 : FLayout.TopRow());
            if (!cell.isEmpty()) {
                QPen pen(Qt::black, 5, Qt::DotLine, Qt::FlatCap);
                p.setPen(pen);
                bool after = FMovePos > FMoveIndex;
                if (rows) {
                    int y = after ? cell.bottom() : cell.top();
                    p.drawLine(0, y, viewport()->width(), y);
                } else {
                    int x = after ? cell.right() : cell.left();
                    p.drawLine(x, 0, x, viewport()->height());
                }
            }
        }
        if (FSizingLine >= 0) {
            QPen pen(Qt::black);
            pen.setStyle(Qt::DotLine);
            p.setPen(pen);
            if (FGridState == gsColSizing)
                p.drawLine(FSizingLine, 0, FSizingLine, viewport()->height());
            else if (FGridState == gsRowSizing)
                p.drawLine(0, FSizingLine, viewport()->width(), FSizingLine);
        }
    });
}
