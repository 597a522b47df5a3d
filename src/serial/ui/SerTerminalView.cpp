// The terminal's Qt view; see SerTerminalView.h.
#include "serial/ui/SerTerminalView.h"

#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

QColor ToColor(uint32_t Rgb) { return QColor(int((Rgb >> 16) & 0xFF), int((Rgb >> 8) & 0xFF), int(Rgb & 0xFF)); }

constexpr int CaretBlinkMs = 530;

}  // namespace

TSerTerminalView::TSerTerminalView(QWidget* Parent)
    : QAbstractScrollArea(Parent), Model(std::make_unique<TSerTerminal>())
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    QFont Font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Font.setPointSize(10);
    setTerminalFont(Font);

    Model->OnInvalidate = [this](int c1, int r1, int c2, int r2) { viewport()->update(CellsRect(c1, r1, c2, r2)); };
    Model->OnScrolled = [this](int) { viewport()->update(); };
    Model->OnCaretMoved = [this] { CaretMoved(); };
    Model->OnResized = [this] {
        UpdateScrollBars();
        updateGeometry();
        viewport()->update();
    };
}

TSerTerminalView::~TSerTerminalView()
{
    // The model's notifications point at this view.
    Model->OnInvalidate = nullptr;
    Model->OnScrolled = nullptr;
    Model->OnCaretMoved = nullptr;
    Model->OnResized = nullptr;
}

bool TSerTerminalView::IsFixedPitch(const QFont& Font)
{
    // Some monospaced fonts do not declare themselves so; what counts is that every cell is as wide as another.
    if (QFontInfo(Font).fixedPitch())
        return true;
    QFontMetrics M(Font);
    int W = M.horizontalAdvance(QLatin1Char('M'));
    for (char c : {'i', 'W', '.', '0', ' '})
        if (M.horizontalAdvance(QLatin1Char(c)) != W)
            return false;
    return true;
}

void TSerTerminalView::setTerminalFont(const QFont& Font)
{
    QFont F = Font;
    if (!IsFixedPitch(F)) {
        QFont Fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        Fixed.setPointSizeF(F.pointSizeF() > 0 ? F.pointSizeF() : Fixed.pointSizeF());
        F = Fixed;
    }
    F.setUnderline(false);
    F.setKerning(false);
    F.setStyleHint(QFont::TypeWriter);
    TermFont = F;
    QFontMetrics M(TermFont);
    CW = std::max(1, M.horizontalAdvance(QLatin1Char('M')));
    CH = std::max(1, M.height());
    UpdateScrollBars();
    updateGeometry();
    viewport()->update();
}

int TSerTerminalView::TopColumn() const { return horizontalScrollBar()->value() + 1; }
int TSerTerminalView::TopRow() const { return verticalScrollBar()->value() + 1; }

QSize TSerTerminalView::sizeHint() const
{
    int f = 2 * frameWidth();
    return QSize(Model->Columns() * CW + f, Model->Rows() * CH + f);
}

QRect TSerTerminalView::CellsRect(int Column1, int Row1, int Column2, int Row2) const
{
    int x = (Column1 - TopColumn()) * CW;
    int y = (Row1 - TopRow()) * CH;
    return QRect(x, y, (Column2 - Column1 + 1) * CW, (Row2 - Row1 + 1) * CH);
}

QRect TSerTerminalView::CaretRect() const
{
    QRect Cell = CellsRect(Model->CaretColumn(), Model->CaretRow(), Model->CaretColumn(), Model->CaretRow());
    if (Model->Caret == tcUnderline) {
        int h = std::max(2, CH / 8);
        return QRect(Cell.left(), Cell.bottom() - h + 1, Cell.width(), h);
    }
    return Cell;
}

void TSerTerminalView::UpdateScrollBars()
{
    // Without this the two bars can keep each other shown: judge the fit on the area without any bar first.
    QSize Full = maximumViewportSize();
    bool Fits = Model->Columns() * CW <= Full.width() && Model->Rows() * CH <= Full.height();
    QSize Area = Fits ? Full : viewport()->size();
    int VisibleCols = std::max(1, Area.width() / CW);
    int VisibleRows = std::max(1, Area.height() / CH);
    horizontalScrollBar()->setRange(0, std::max(0, Model->Columns() - VisibleCols));
    horizontalScrollBar()->setPageStep(VisibleCols);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, std::max(0, Model->Rows() - VisibleRows));
    verticalScrollBar()->setPageStep(VisibleRows);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setTracking(Model->SmoothScroll);
    verticalScrollBar()->setTracking(Model->SmoothScroll);
}

void TSerTerminalView::CaretMoved()
{
    // Keep the caret in sight when the window is smaller than the screen.
    int c = Model->CaretColumn(), r = Model->CaretRow();
    int VisibleCols = std::max(1, viewport()->width() / CW);
    int VisibleRows = std::max(1, viewport()->height() / CH);
    if (c < TopColumn())
        horizontalScrollBar()->setValue(c - 1);
    else if (c >= TopColumn() + VisibleCols)
        horizontalScrollBar()->setValue(c - VisibleCols);
    if (r < TopRow())
        verticalScrollBar()->setValue(r - 1);
    else if (r >= TopRow() + VisibleRows)
        verticalScrollBar()->setValue(r - VisibleRows);
    QRect Now = CaretRect();
    if (Now != LastCaret) {
        viewport()->update(LastCaret);
        viewport()->update(Now);
        LastCaret = Now;
    }
    if (hasFocus()) {
        // A moving caret shows at once instead of in its off phase.
        CaretOn = true;
        CaretTimer.start(CaretBlinkMs, this);
    }
}

void TSerTerminalView::paintEvent(QPaintEvent* Event)
{
    QPainter P(viewport());
    const TSerTerminal& T = *Model;
    P.fillRect(Event->rect(), ToColor(T.Color));
    P.setFont(TermFont);
    QRect Clip = Event->rect();
    int Col1 = std::max(1, Clip.left() / CW + TopColumn());
    int Col2 = std::min(T.Columns(), Clip.right() / CW + TopColumn());
    int Row1 = std::max(1, Clip.top() / CH + TopRow());
    int Row2 = std::min(T.Rows(), Clip.bottom() / CH + TopRow());
    QFontMetrics M(TermFont);
    int Ascent = M.ascent();
    QFont Underlined = TermFont;
    Underlined.setUnderline(true);
    const TSerTermBuffer& B = T.Buffer();
    for (int r = Row1; r <= Row2; ++r) {
        for (int c = Col1; c <= Col2; ++c) {
            const TSerTermChar& Cell = B.GetChar(c, r);
            if (!Cell.Ch)
                continue;
            QRect R = CellsRect(c, r, c, r);
            if (Cell.BackColor != T.Color)
                P.fillRect(R, ToColor(Cell.BackColor));
            P.setPen(ToColor(Cell.FrontColor));
            P.setFont(Cell.Underline ? Underlined : TermFont);
            P.drawText(R.left(), R.top() + Ascent, QString(QLatin1Char(char(Cell.Ch))));
        }
    }
    if (CaretOn && hasFocus() && T.Caret != tcNone) {
        QRect C = CaretRect();
        if (C.intersects(Clip)) {
            P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            P.fillRect(C, Qt::white);
        }
    }
}

void TSerTerminalView::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollBars();
}

void TSerTerminalView::scrollContentsBy(int, int)
{
    LastCaret = CaretRect();
    viewport()->update();
}

bool TSerTerminalView::focusNextPrevChild(bool Next)
{
    if (Model->WantTab)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(Next);
}

void TSerTerminalView::keyPressEvent(QKeyEvent* Event)
{
    TSerTerminal& T = *Model;
    switch (Event->key()) {
    case Qt::Key_Home: T.KeyArrow(tkHome); return;
    case Qt::Key_Left: T.KeyArrow(tkLeft); return;
    case Qt::Key_Up: T.KeyArrow(tkUp); return;
    case Qt::Key_Right: T.KeyArrow(tkRight); return;
    case Qt::Key_Down: T.KeyArrow(tkDown); return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!T.WantTab) {
            QAbstractScrollArea::keyPressEvent(Event);
            return;
        }
        T.KeyChar(9);
        return;
    default: break;
    }
    QByteArray Bytes = Event->text().toLatin1();
    // Control with a letter or one of @[\]^_ is the control byte, whatever text the platform attached.
    int Key = Event->key();
    if ((Event->modifiers() & Qt::ControlModifier) && Key >= Qt::Key_At && Key <= Qt::Key_Underscore)
        Bytes = QByteArray(1, char(Key - Qt::Key_At));
    if (Bytes.isEmpty()) {
        QAbstractScrollArea::keyPressEvent(Event);
        return;
    }
    for (char c : Bytes)
        T.KeyChar(uint8_t(c));
}

void TSerTerminalView::focusInEvent(QFocusEvent* Event)
{
    QAbstractScrollArea::focusInEvent(Event);
    CaretOn = true;
    CaretTimer.start(CaretBlinkMs, this);
    LastCaret = CaretRect();
    viewport()->update(LastCaret);
}

void TSerTerminalView::focusOutEvent(QFocusEvent* Event)
{
    QAbstractScrollArea::focusOutEvent(Event);
    CaretTimer.stop();
    CaretOn = false;
    viewport()->update(LastCaret);
}

void TSerTerminalView::mousePressEvent(QMouseEvent* Event)
{
    setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(Event);
}

void TSerTerminalView::timerEvent(QTimerEvent* Event)
{
    if (Event->timerId() != CaretTimer.timerId()) {
        QAbstractScrollArea::timerEvent(Event);
        return;
    }
    CaretOn = !CaretOn;
    viewport()->update(CaretRect());
}
