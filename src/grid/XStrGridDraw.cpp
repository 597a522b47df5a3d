// Drawing of the string grid's cells and captions, the cell buttons and the drop-down list, the caption row's
// mouse handling (click-to-sort, sizing the frozen columns), the double header and the context-menu hook.
#include "grid/XStrGrid.h"

#include "grid/XGridColors.h"
#include "grid/XStrGridTexts.h"
#include "grid/XStrGridWrap.h"
#include "platform/ui/QtText.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {
constexpr int ButtonWidth = 15;
}

// ---- cells -----------------------------------------------------------------------------------------------------

void TXStringGrid::DrawCell(QPainter& Painter, int ACol, int ARow, const QRect& Rect, TGridDrawState State)
{
    if (ColumnCount() == 0 || ACol >= ColumnCount())
        return;
    TXGridColumn* column = ColumnList()[ACol];
    const TXGridLayout& l = Layout();
    bool dl = FDefaultLook;
    // What the core chose for the cell, which DefaultLook keeps.
    bool coreSelected = (State & gdSelected) &&
        (!(State & gdFocused) || l.Has(goDrawFocusSelected) || l.Has(goRowSelect));
    TColor canvasBrush = coreSelected ? clHighlight : ((State & gdFixed) ? FixedColor() : Color());
    TColor canvasFont = coreSelected ? clHighlightText : Font().Color;

    TColor CB = column->Color() == clNone ? Color() : column->Color();
    TColor CF = column->Font().Color;
    TColor FF = CF != clNone ? CF : FixedFont().Color;
    if (FF == clNone || dl)
        FF = canvasFont;
    TColor HF = column->HeaderFont().Color;
    if (HF == clNone || dl)
        HF = canvasFont;
    TColor activeFixedFont = (FActiveFixedFont.Color == clNone || dl) ? FF : FActiveFixedFont.Color;
    TColor activeHeaderFont = (FActiveHeaderFont.Color == clNone || dl) ? HF : FActiveHeaderFont.Color;
    auto fontColor = [&](TColor c) { return dl ? canvasFont : (c == clNone ? CF : c); };
    auto brushColor = [&](TColor c) { return dl ? canvasBrush : (c == clNone ? CB : c); };
    TColor fixedColor = brushColor(FixedColor());
    TColor H = column->HeaderColor() != clNone ? column->HeaderColor() : HeaderColor();
    if (dl)
        H = canvasBrush;
    if (H == clNone)
        H = CB;
    TColor activeFixed = (FActiveFixedColor == clNone || dl) ? fixedColor : FActiveFixedColor;
    TColor activeHeader = (FActiveHeaderColor == clNone || dl) ? H : FActiveHeaderColor;
    TColor activeCol = (FActiveColColor == clNone || dl) ? CB : FActiveColColor;
    TColor activeRow = !dl ? (FActiveRowColor == clNone ? CB : FActiveRowColor) : (l.Has(goRowSelect) ? canvasBrush : CB);
    TColor selected = dl ? canvasBrush : (FSelectedColor == clNone ? CB : FSelectedColor);

    bool caption = ARow == 0;
    int dataRow = ARow - 1;
    bool currentRow = !NoDataRows() && ARow == TXCustomGrid::Row();
    bool currentCol = ACol == TXCustomGrid::Col();
    bool fixedCol = ACol < l.FixedCols();
    bool isSelected = ((State & gdSelected) && !(State & gdFocused)) ||
        ((State & (gdSelected | gdFocused)) && l.Has(goDrawFocusSelected));
    TCellValueOptions options = (!caption && !NoDataRows()) ? GetCellValueOptions(ACol, dataRow) : 0;

    TXFont font = column->Font();
    TColor background;
    TColor textColor;
    if (caption) {
        background = currentCol ? activeHeader : H;
        font = currentCol ? FActiveHeaderFont : column->HeaderFont();
        textColor = currentCol ? activeHeaderFont : HF;
    } else if (fixedCol) {
        background = currentRow ? activeFixed : fixedColor;
        if (currentRow)
            font = FActiveFixedFont;
        textColor = currentRow ? activeFixedFont : FF;
    } else if (options & voReadOnly) {
        background = brushColor(currentRow ? FActiveReadOnlyColor : FReadOnlyColor);
        textColor = fontColor(currentRow ? FActiveReadOnlyFontColor : FReadOnlyFontColor);
    } else if (currentRow) {
        background = l.Has(goRowSelect) ? selected : activeRow;
        textColor = l.Has(goRowSelect) ? fontColor(FSelectedFontColor) : fontColor(FActiveRowFontColor);
    } else {
        background = currentCol ? activeCol : CB;
        textColor = CF;
        if (isSelected) {
            background = selected;
            textColor = fontColor(FSelectedFontColor);
        }
    }
    if (textColor == clNone)
        textColor = canvasFont;
    font.Color = textColor;
    TAlignment alignment = caption ? column->HeaderAlignment() : column->Alignment();
    if (!caption && !NoDataRows() && OnGetCellProps) {
        TXCellProperties props{font, background, alignment};
        OnGetCellProps(ACol, dataRow, props);
        font = props.Font;
        background = props.Color;
        alignment = props.Alignment;
    }
    // clDefault takes the role's system colour; text that would hardly stand out from its background (a colour set
    // meant for another background, as white active fonts on a light caption colour) is drawn readably.
    if (background == clNone)
        background = Color();
    background = BackColorOf(background);
    font.Color = ReadableTextColor(font.Color == clNone ? Font().Color : font.Color, background);

    Painter.fillRect(Rect, ToQColor(background));
    QRect textRect = Rect;
    if (!caption && (options & (voButton | voComboBox)))
        textRect.setRight(textRect.right() - ButtonWidth);
    std::string text;
    if (caption)
        text = column->Caption();
    else if (!NoDataRows()) {
        text = StoredText(ACol, dataRow);
        if (options & voList) {
            // A list shows its items, not the quoting of its stored comma text.
            std::string lines = CommaTextToLines(text), joined;
            for (size_t i = 0; i < lines.size(); ++i) {
                if (lines.compare(i, 2, "\r\n") == 0) {
                    joined += ", ";
                    ++i;
                } else {
                    joined += lines[i];
                }
            }
            text = joined;
        }
    }
    if (!text.empty()) {
        const TPaintFont& pf = PaintFont(font);
        const QFontMetrics& fm = pf.Metrics;
        int left = textRect.left() + 3, right = textRect.right() + 1 - 3;
        std::vector<std::string> lines = WrapCellText(text, right - left, Rect.height(), fm.height(),
            [&](const std::string& s) { return fm.horizontalAdvance(ToQ(s)); }, pf.WidestChar);
        Painter.save();
        Painter.setClipRect(Rect, Qt::IntersectClip);
        Painter.setFont(pf.QtFont);
        Painter.setPen(ToQColor(font.Color));
        int lh = fm.height();
        int top = Rect.top() + (Rect.height() - int(lines.size()) * lh) / 2;
        for (const std::string& line : lines) {
            QString q = ToQ(line);
            int x = left;
            if (alignment == taRightJustify)
                x = right - fm.horizontalAdvance(q);
            else if (alignment == taCenter)
                x = left + (right - left - fm.horizontalAdvance(q)) / 2;
            Painter.drawText(x, top + fm.ascent(), q);
            top += lh;
        }
        Painter.restore();
    }
    if (caption && column->SortOrder() != csNone && AutoSort()) {
        Painter.save();
        int right = Rect.right() + 1;
        Painter.fillRect(QRect(QPoint(right - 23, Rect.top() + 2), QPoint(right - 1, Rect.bottom() - 2)),
            ToQColor(background));
        int X = right - 20, Y = Rect.top() + 10;
        QPolygon poly;
        QLine light;
        if (column->SortOrder() == csAsc) {
            poly << QPoint(X, Y) << QPoint(X, Y - 1) << QPoint(X + 4, Y - 5) << QPoint(X + 8, Y - 1) << QPoint(X + 8, Y);
            light = QLine(X, Y - 1, X + 4, Y - 5);
        } else {
            poly << QPoint(X, Y - 5) << QPoint(X + 8, Y - 5) << QPoint(X + 8, Y - 4) << QPoint(X + 4, Y) << QPoint(X, Y - 4);
            light = QLine(X, Y - 4, X + 4, Y);
        }
        Painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
        Painter.setPen(Qt::black);
        Painter.drawPolygon(poly);
        Painter.setPen(Qt::white);
        Painter.drawLine(light);
        Painter.restore();
    }
    if (caption) {
        if (OnDrawHeader)
            OnDrawHeader(Painter, ACol, Rect, State);
    } else if (OnDrawCell && !NoDataRows()) {
        OnDrawCell(Painter, ACol, dataRow, Rect, State);
    }
}

const TXStringGrid::TPaintFont& TXStringGrid::PaintFont(const TXFont& Font)
{
    TXFont key = Font;
    key.Color = clNone;
    const int dpi = viewport()->logicalDpiY();
    if (!FPaintFont || !(FPaintFont->Font == key) || FPaintFont->Dpi != dpi) {
        auto pf = std::make_unique<TPaintFont>();
        pf->Font = key;
        pf->Dpi = dpi;
        pf->QtFont = ToQFont(key);
        pf->Metrics = QFontMetrics(pf->QtFont);
        for (char16_t c = u' '; c <= u'~'; ++c)
            pf->WidestChar = std::max(pf->WidestChar, pf->Metrics.horizontalAdvance(QChar(c)));
        FPaintFont = std::move(pf);
    }
    return *FPaintFont;
}

void TXStringGrid::paintEvent(QPaintEvent* Event)
{
    GuardGridHandler([&] {
        TXCustomGrid::paintEvent(Event);
        // The buttons follow the current cell; moving a child from inside a paint is left to the event loop.
        QRect want = ButtonRect();
        bool ellipsis = HasVisibleEllipsis(), combo = HasVisibleComboButton();
        bool stale = (ellipsis && (!FEllipsisButton || FEllipsisButton->isHidden() || FEllipsisButton->geometry() != want)) ||
            (combo && (!FComboButton || FComboButton->isHidden() || FComboButton->geometry() != want));
        if (stale && !FButtonsQueued) {
            FButtonsQueued = true;
            QTimer::singleShot(0, this, [this] {
                FButtonsQueued = false;
                GuardGridHandler([this] { PlaceCellButtons(); });
            });
        }
    });
}

// ---- cell buttons ----------------------------------------------------------------------------------------------

bool TXStringGrid::HasVisibleEllipsis() const
{
    if (ColumnCount() == 0 || NoDataRows() || Col() < 0 || Row() < 0)
        return false;
    TCellValueOptions o = GetCellValueOptions(Col(), Row());
    return (o & voButton) && !(o & voReadOnly);
}

bool TXStringGrid::HasVisibleComboButton() const
{
    if (ColumnCount() == 0 || NoDataRows() || Col() < 0 || Row() < 0)
        return false;
    TCellValueOptions o = GetCellValueOptions(Col(), Row());
    return (o & voComboBox) && !(o & voReadOnly);
}

QRect TXStringGrid::ButtonRect() const
{
    if (ColumnCount() == 0 || NoDataRows())
        return QRect();
    QRect cell = CellRect(TXCustomGrid::Col(), TXCustomGrid::Row());
    if (cell.isEmpty() || cell.width() < ButtonWidth + 3)
        return QRect();
    return QRect(cell.right() + 1 - ButtonWidth, cell.top() + 1, ButtonWidth, cell.height() - 2);
}

void TXStringGrid::HideCellButtons()
{
    if (FEllipsisButton)
        FEllipsisButton->hide();
    if (FComboButton)
        FComboButton->hide();
}

void TXStringGrid::PlaceCellButtons()
{
    bool ellipsis = HasVisibleEllipsis();
    bool combo = HasVisibleComboButton();
    QRect r = ButtonRect();
    auto place = [&](QToolButton* b, bool wanted) {
        if (!b)
            return;
        if (!wanted || r.isEmpty()) {
            b->hide();
            return;
        }
        if (b->geometry() != r)
            b->setGeometry(r);
        if (b->isHidden())
            b->show();
    };
    if (ellipsis && !FEllipsisButton) {
        FEllipsisButton = new QToolButton(viewport());
        FEllipsisButton->setObjectName(QStringLiteral("EllipsisButton"));
        FEllipsisButton->setText(ToQ(std::string("\xB7\xB7\xB7")));
        FEllipsisButton->setFont(ToQFont(TXFont{"Arial", 10, false, false, false, clBtnText}));
        FEllipsisButton->setFocusPolicy(Qt::NoFocus);
        FEllipsisButton->hide();
        connect(FEllipsisButton, &QToolButton::clicked, this, [this] { GuardGridHandler([this] { ButtonClick(); }); });
    }
    if (combo && !FComboButton) {
        FComboButton = new QToolButton(viewport());
        FComboButton->setObjectName(QStringLiteral("ComboButton"));
        FComboButton->setArrowType(Qt::DownArrow);
        FComboButton->setFocusPolicy(Qt::NoFocus);
        FComboButton->hide();
        connect(FComboButton, &QToolButton::clicked, this, [this] { GuardGridHandler([this] { DropDown(); }); });
    }
    place(FEllipsisButton, ellipsis);
    place(FComboButton, combo);
}

void TXStringGrid::ButtonClick()
{
    if (OnButtonClick)
        OnButtonClick();
    if (!HasVisibleEllipsis() && FEllipsisButton)
        FEllipsisButton->hide();
    if (!NoDataRows() && ColumnCount() > 0)
        InvalidateCell(Col(), Row());
}

// ---- drop-down list --------------------------------------------------------------------------------------------

TXPickList::TXPickList(TXStringGrid* Grid) : QListWidget(Grid->viewport()), FGrid(Grid)
{
    setObjectName(QStringLiteral("PickList"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hide();
}

void TXPickList::keyPressEvent(QKeyEvent* Event)
{
    GuardGridHandler([&] {
        switch (Event->key()) {
        case Qt::Key_Escape:
            Cancelled = true;
            FGrid->CloseUp(false);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            FGrid->CloseUp(true);
            return;
        case Qt::Key_Tab:
            FGrid->CloseUp(false);
            return;
        default:
            QListWidget::keyPressEvent(Event);
        }
    });
}

void TXPickList::mouseReleaseEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] {
        QListWidget::mouseReleaseEvent(Event);
        if (Event->button() == Qt::LeftButton && itemAt(Event->position().toPoint()))
            FGrid->CloseUp(true);
    });
}

void TXPickList::focusOutEvent(QFocusEvent* Event)
{
    GuardGridHandler([&] {
        QListWidget::focusOutEvent(Event);
        // Leaving the list without choosing chooses nothing.
        if (isVisible()) {
            Cancelled = true;
            FGrid->CloseUp(false);
        }
    });
}

void TXStringGrid::DropDown()
{
    if (NoDataRows() || ColumnCount() == 0)
        return;
    int col = Col(), row = Row();
    std::vector<std::string>* items = GetCellItems(col, row);
    if (!items || items->empty())
        return;
    if (!FPickList)
        FPickList = new TXPickList(this);
    FPickList->clear();
    int itemHeight = TXCustomGrid::DefaultRowHeight() + 1;
    QPalette pal = FPickList->palette();
    if (FActiveRowColor != clNone)
        pal.setColor(QPalette::Base, ToQColor(BackColorOf(FActiveRowColor)));
    if (FActiveRowFontColor != clNone)
        pal.setColor(QPalette::Text,
            ToQColor(ReadableTextColor(FActiveRowFontColor, FActiveRowColor != clNone ? FActiveRowColor : clWindow)));
    if (FSelectedColor != clNone)
        pal.setColor(QPalette::Highlight, ToQColor(BackColorOf(FSelectedColor)));
    if (FSelectedFontColor != clNone)
        pal.setColor(QPalette::HighlightedText,
            ToQColor(ReadableTextColor(FSelectedFontColor, FSelectedColor != clNone ? FSelectedColor : clHighlight)));
    FPickList->setPalette(pal);
    FPickList->setFont(ToQFont(ActiveColumn() ? ActiveColumn()->Font() : Font()));
    std::string shown = GetCellValue(col, row);
    int preselect = -1;
    for (const std::string& line : *items) {
        auto* item = new QListWidgetItem(ToQ(ItemValue(line)), FPickList);
        item->setSizeHint(QSize(0, itemHeight));
        if (preselect < 0 && ItemValue(line) == shown)
            preselect = FPickList->count() - 1;
    }
    if (preselect >= 0)
        FPickList->setCurrentRow(preselect);
    // The edit-start text is fetched again every time, so that an owner that refuses the chosen value puts
    // back this cell's text, not the one of the last edited cell.
    GetEditText(col, row + 1);
    QRect cell = CellRect(TXCustomGrid::Col(), TXCustomGrid::Row());
    // Up to eight items show whole, as a drop-down list of the system does; a longer list scrolls.
    constexpr int ShownItems = 8;
    int height = std::min(ShownItems, int(items->size())) * itemHeight + 2 * FPickList->frameWidth();
    QRect r(cell.left(), cell.bottom() + 2, cell.width() + 1, height);
    if (r.bottom() >= viewport()->height() && cell.top() - height - 1 >= 0)
        r.moveBottom(cell.top() - 2);
    FPickList->setGeometry(r);
    FPickList->Cancelled = false;
    FPickCell = Layout().Current();
    FPickList->show();
    FPickList->raise();
    if (QListWidgetItem* current = FPickList->currentItem())
        FPickList->scrollToItem(current, QAbstractItemView::EnsureVisible);
    FPickList->setFocus(Qt::PopupFocusReason);
}

void TXStringGrid::CloseUp(bool Accept)
{
    if (!FPickList || FPickList->isHidden())
        return;
    QListWidgetItem* item = FPickList->currentItem();
    std::string chosen = item ? FromQ(item->text()) : std::string();
    TGridCoord cell = FPickCell;
    FPickCell = {-1, -1};
    // Every change of rows, columns or the current cell closes the list first, so its cell is still the current
    // one when a choice is made; the check keeps it so.
    bool commit = Accept && !FPickList->Cancelled && item && cell == Layout().Current();
    FPickList->hide();
    setFocus(Qt::OtherFocusReason);
    if (commit && !NoDataRows() && ColumnCount() > 0)
        SetEditText(cell.X, cell.Y, chosen);
    if (!NoDataRows() && ColumnCount() > 0)
        InvalidateCell(Col(), Row());
}

// ---- caption row and mouse -------------------------------------------------------------------------------------

int TXStringGrid::CaptionCellAt(QPoint Pos) const
{
    for (int c = 0; c < Layout().ColCount() && c < ColumnCount(); ++c) {
        QRect r = CellRect(c, 0);
        if (!r.isEmpty() && Pos.x() > r.left() && Pos.x() < r.right() && Pos.y() > r.top() && Pos.y() < r.bottom())
            return c;
    }
    return -1;
}

int TXStringGrid::FixedEdgeAt(QPoint Pos) const
{
    if (Pos.y() >= Layout().FixedRows() * FHeaderHeight)
        return -1;
    int x = 0;
    for (int c = 0; c < Layout().FixedCols(); ++c) {
        x += Layout().ColWidth(c);
        if (std::abs(Pos.x() - x) < 3)
            return c;
        x += Layout().GridLineWidth();
    }
    return -1;
}

void TXStringGrid::mousePressEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] {
        QPoint p = Event->position().toPoint();
        bool band = p.y() < Layout().CalcDrawInfo().Vert.FixedBoundary;
        if (Event->button() == Qt::LeftButton && band) {
            HideEditor();
            setFocus(Qt::MouseFocusReason);
            if (FFixedEdge >= 0 && Layout().Has(goColSizing)) {
                FSizingFixed = true;
                FSizingCol = FFixedEdge;
                FLastX = p.x();
                viewport()->setCursor(Qt::SplitHCursor);
                return;
            }
            if (Layout().CalcSizingState(p.x(), p.y(), Designing).State == gsColSizing) {
                CoreMousePress(Event);
                return;
            }
            FPressedCaption = CaptionCellAt(p);
            return;
        }
        if (Event->button() == Qt::LeftButton && !NoDataRows() && ColumnCount() > 0) {
            TGridCoord cell = MouseCoord(p.x(), p.y());
            if (cell == Layout().Current() && (GetCellValueOptions(Col(), Row()) & voReadOnly)) {
                setFocus(Qt::MouseFocusReason);
                return;
            }
        }
        CoreMousePress(Event);
    });
}

void TXStringGrid::mouseMoveEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] {
        QPoint p = Event->position().toPoint();
        if (FSizingFixed) {
            if (FSizingCol >= 0 && FSizingCol < ColumnCount()) {
                TXGridColumn* c = ColumnList()[FSizingCol];
                int w = c->Width() + p.x() - FLastX;
                if (w > 0) {
                    c->SetWidth(w);
                    FLastX = p.x();
                }
            }
            return;
        }
        CoreMouseMove(Event);
        if (Event->buttons() == Qt::NoButton && !(Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) &&
            Layout().Has(goColSizing) && GridState() == gsNormal) {
            FFixedEdge = FixedEdgeAt(p);
            if (FFixedEdge >= 0)
                viewport()->setCursor(Qt::SplitHCursor);
        }
    });
}

void TXStringGrid::mouseReleaseEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] {
        if (FInDoubleClick) {
            FInDoubleClick = false;
            return;
        }
        QPoint p = Event->position().toPoint();
        if (FSizingFixed) {
            FSizingFixed = false;
            FSizingCol = -1;
            viewport()->unsetCursor();
            UpdateCoreColumns();
            return;
        }
        if (Event->button() == Qt::LeftButton && FPressedCaption >= 0) {
            int pressed = FPressedCaption;
            FPressedCaption = -1;
            if (CaptionCellAt(p) == pressed)
                HeaderClicked(pressed);
            return;
        }
        CoreMouseRelease(Event);
    });
}

void TXStringGrid::HeaderClicked(int ACol)
{
    if (ACol < 0 || ACol >= ColumnCount())
        return;
    TXGridColumn* column = ColumnList()[ACol];
    if (AutoSort()) {
        TColumnSorting next = column->SortOrder() == csAsc ? csDsc : csAsc;
        for (int i = 0; i < Columns().Count(); ++i)
            Columns()[i]->SetSortOrderRaw(csNone);
        column->SetSortOrder(next);
    }
    if (OnHeaderClick)
        OnHeaderClick(ACol);
    InvalidateCol(ACol);
    if (ACol >= Layout().CalcDrawInfo().Horz.LastFullVisibleCell && ACol >= Layout().FixedCols())
        ScrollRequest(true, scLineDown);
}

void TXStringGrid::mouseDoubleClickEvent(QMouseEvent* Event)
{
    GuardGridHandler([&] {
        FInDoubleClick = true;
        if (Event->button() != Qt::LeftButton)
            return;
        QPoint p = Event->position().toPoint();
        TGridCoord cell = MouseCoord(p.x(), p.y());
        // A double click acts on the cell under the mouse, even when the press before it did not reach the grid
        // (it came while the window was still opening): the current cell follows the mouse first.
        if (!NoDataRows() && ColumnCount() > 0 && cell.X >= FixedCols() && cell.Y >= FixedRows() &&
            !(cell == Layout().Current()))
            FocusCell(cell.X, cell.Y, true);
        // On a row's number (a fixed column) it acts on that row: a list that opens the row's window on a double
        // click opens the one that was pointed at, not the one that happened to be current.
        else if (!NoDataRows() && ColumnCount() > 0 && cell.X >= 0 && cell.X < FixedCols() && cell.Y >= FixedRows() &&
                 cell.Y != Layout().Current().Y)
            FocusCell(Layout().Current().X, cell.Y, true);
        if (!NoDataRows() && ColumnCount() > 0 && cell == Layout().Current()) {
            if (HasVisibleEllipsis())
                ButtonClick();
            else if (HasVisibleComboButton())
                DropDown();
            else
                ShowEditor();
        }
        TXCustomGrid::DblClick();
    });
}

void TXStringGrid::DblClick() { TXCustomGrid::DblClick(); }

void TXStringGrid::contextMenuEvent(QContextMenuEvent* Event)
{
    GuardGridHandler([&] {
        if (!OnContextPopup) {
            Event->ignore();
            return;
        }
        QPoint global = Event->globalPos();
        if (Event->reason() == QContextMenuEvent::Keyboard) {
            QRect r = CellRect(TXCustomGrid::Col(), TXCustomGrid::Row());
            global = viewport()->mapToGlobal(r.topLeft());
        }
        OnContextPopup(global.x(), global.y());
        Event->accept();
    });
}

// ---- double header ---------------------------------------------------------------------------------------------

void TXStringGrid::SetDoubleHeader(bool Value)
{
    if (Value == DoubleHeader())
        return;
    if (Value) {
        FHeaderGrid = new TXStringGrid(this);
        FHeaderGrid->setObjectName(QStringLiteral("HeaderGrid"));
        FHeaderGrid->FDataGrid = this;
        FHeaderGrid->setFrameStyle(QFrame::NoFrame);
        FHeaderGrid->SetScrollBars(ssNone);
        FHeaderGrid->SetHeaderHeight(FHeaderHeight);
        FHeaderGrid->SetColor(cl3DLight);
        FHeaderGrid->SetActiveHeaderColor(FHeaderGrid->HeaderColor());
        TXFont f = FHeaderGrid->ActiveHeaderFont();
        f.Color = clBlack;
        FHeaderGrid->SetActiveHeaderFont(f);
        FHeaderGrid->SetOptions(FHeaderGrid->Options() & TGridOptions(~(goColSizing | goColMoving)));
        FHeaderGrid->SetAutoSort(false);
        FHeaderGrid->SetHeaderFont(HeaderFont());
        FHeaderGrid->SetWantedFixedCols(WantedFixedCols());
        FHeaderGrid->setFocusPolicy(Qt::NoFocus);
        SetOptions(Options() & TGridOptions(~goColMoving));
        PlaceHeaderGrid();
        FHeaderGrid->show();
    } else {
        delete FHeaderGrid;
        FHeaderGrid = nullptr;
        setViewportMargins(0, 0, 0, 0);
    }
    InvalidateGrid();
}

void TXStringGrid::PlaceHeaderGrid()
{
    if (!FHeaderGrid)
        return;
    // The header grid sits in a margin above this grid's own caption row and is exactly as high as it shows.
    QMargins want(0, FHeaderHeight + 1, 0, 0);
    if (viewportMargins() != want)
        setViewportMargins(want);
    int frame = frameWidth();
    FHeaderGrid->setGeometry(frame, frame, viewport()->width(), FHeaderHeight + 1);
}

int TXStringGrid::AddHeaderColumn()
{
    if (!FHeaderGrid)
        return -1;
    TXGridColumn* c = FHeaderGrid->Columns().Add();
    return c->Position();
}

TXGridColumns* TXStringGrid::GetHeaderColumns() { return FHeaderGrid ? &FHeaderGrid->Columns() : nullptr; }

void TXStringGrid::SetHeaderColumn(int ACol, int AHeaderCol)
{
    if (!FHeaderGrid)
        return;
    if (ACol < 0 || ACol >= Columns().Count() || AHeaderCol < 0 || AHeaderCol >= FHeaderGrid->Columns().Count())
        throw EXGridError(XStrGridText(SWrongColumnIndex));
    FHeaderGrid->Columns()[AHeaderCol]->AddSubColumn(Columns()[ACol]);
    FHeaderGrid->UpdateCoreColumns();
}

void TXStringGrid::SyncHeaderScroll(int OldLeft)
{
    if (FSyncingHeader)
        return;
    FSyncingHeader = true;
    int left = LeftCol();
    bool right = left > OldLeft;
    // The header column whose group the new left column starts or falls in; scrolling right moves on to the
    // next group start so that every step makes progress.
    const TXGridColumnList& headers = FHeaderGrid->ColumnList();
    TXGridColumn* best = nullptr;
    for (int i = 0; i < headers.Count(); ++i) {
        int pos = headers[i]->FirstSubPosition();
        if (pos < Layout().FixedCols())
            continue;
        if (right) {
            if (pos >= left && (!best || pos < best->FirstSubPosition()))
                best = headers[i];
        } else if (pos <= left && (!best || pos > best->FirstSubPosition())) {
            best = headers[i];
        }
    }
    if (!best)
        for (int i = 0; i < headers.Count(); ++i) {
            int pos = headers[i]->FirstSubPosition();
            if (pos >= Layout().FixedCols() && pos <= left && (!best || pos > best->FirstSubPosition()))
                best = headers[i];
        }
    if (best) {
        FHeaderGrid->SetLeftCol(best->Position());
        int start = best->FirstSubPosition();
        if (start != LeftCol())
            SetLeftCol(start);
        if (LeftCol() != start) {
            // Held back by the largest origin: the header shows the group the left column falls in.
            TXGridColumn* covering = nullptr;
            for (int i = 0; i < headers.Count(); ++i) {
                int pos = headers[i]->FirstSubPosition();
                if (pos >= 0 && pos <= LeftCol() && (!covering || pos > covering->FirstSubPosition()))
                    covering = headers[i];
            }
            if (covering)
                FHeaderGrid->SetLeftCol(covering->Position());
        }
        FLastLeftCol = LeftCol();
    }
    FSyncingHeader = false;
}
