#include "print/ui/PrnPreview.h"

#include "print/ui/PrnPainter.h"

#include "print/PrnRtfFuncs.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMap>
#include <QPainterPath>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace {
constexpr int ScrollStep = 20;   // pixels per arrow key or wheel notch

// A magnifier, with a plus or a minus in its glass; the hot spot is the glass's centre.
QCursor MakeZoomCursor(bool In)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(8, 12), QPointF(16, 12));
    if (In)
        p.drawLine(QPointF(12, 8), QPointF(12, 16));
    p.end();
    return QCursor(pm, 12, 12);
}
}

QCursor PrnZoomCursor(int Number)
{
    static QMap<int, QCursor> registered;
    if (registered.isEmpty()) {
        registered.insert(crZoomIn, MakeZoomCursor(true));
        registered.insert(crZoomOut, MakeZoomCursor(false));
    }
    return registered.value(Number, QCursor(Qt::ArrowCursor));
}

QEvent::Type TPrnPreviewMessage::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

TPrnPreview::TPrnPreview(QWidget* Parent) : QAbstractScrollArea(Parent)
{
    setObjectName("Preview");
    resize(240, 300);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setSingleStep(ScrollStep);
    verticalScrollBar()->setSingleStep(ScrollStep);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    PrnZoomCursor(crZoomIn);   // the cursors are there for the host from the first preview on
    FPages.OnPaintRequest = [this] { viewport()->update(); };
    FPages.OnAfterPageChange = [this] {
        Notify(pmCurrentPageChanged);
        if (!FPages.IsUpdating())
            Changed();
    };
    FPages.OnPageCountChanged = [this] {
        if (FPages.Count() != FNotifiedCount) {
            FNotifiedCount = FPages.Count();
            Notify(pmPageCountChanged);
        }
        Changed();
    };
    FPages.OnPageAdded = [this] {
        if (OnNewPage)
            OnNewPage();
    };
    FPages.OnPrintProgress = [this](int N) {
        if (OnPrintProgress)
            OnPrintProgress(N);
    };
    FPages.OnDrawHeader = [this](TPrnDevice& D, const TPrnExtRect& R, int N) {
        if (OnDrawHeader)
            OnDrawHeader(D, R, N);
    };
    FPages.OnDrawFooter = [this](TPrnDevice& D, const TPrnExtRect& R, int N) {
        if (OnDrawFooter)
            OnDrawFooter(D, R, N);
    };
    FPages.Resources.Memos().OnNeedRichEdit = [this]() -> std::unique_ptr<TPrnRichEdit> {
        return OnNeedRichEdit ? OnNeedRichEdit() : nullptr;
    };
    TPrnPrinter& printer = FPages.Printer;
    printer.BeforePrint = [this](bool& Abort) {
        if (BeforePrint)
            BeforePrint(Abort);
    };
    printer.AfterPrint = [this] {
        if (AfterPrint)
            AfterPrint();
    };
    printer.OnAbortPrint = [this] {
        if (OnAbortPrint)
            OnAbortPrint();
    };
    FPages.Margins.OnChange = [this] { MarginsChanged(); };
    UpdateScrollRanges();
}

TPrnPreview::~TPrnPreview()
{
    FPages.OnPaintRequest = nullptr;
    FPages.OnAfterPageChange = nullptr;
    FPages.OnPageCountChanged = nullptr;
    FPages.OnPageAdded = nullptr;
    FPages.Margins.OnChange = nullptr;
}

void TPrnPreview::Notify(int Msg)
{
    std::vector<QPointer<QObject>> listeners = FListeners;   // a listener may unregister while it is told
    for (const QPointer<QObject>& l : listeners)
        if (l) {
            TPrnPreviewMessage m(Msg);
            QCoreApplication::sendEvent(l, &m);
        }
}

void TPrnPreview::AddListener(QObject* Listener)
{
    std::erase_if(FListeners, [](const QPointer<QObject>& l) { return l.isNull(); });
    for (const QPointer<QObject>& l : FListeners)
        if (l == Listener)
            return;
    FListeners.push_back(Listener);
}

void TPrnPreview::RemoveListener(QObject* Listener)
{
    std::erase_if(FListeners, [Listener](const QPointer<QObject>& l) { return l.isNull() || l == Listener; });
}

void TPrnPreview::BeginUpdate()
{
    FPages.BeginUpdate();
    Notify(pmBeginUpdate);
}

void TPrnPreview::EndUpdate()
{
    FPages.EndUpdate();
    Notify(pmEndUpdate);
}

void TPrnPreview::Clear()
{
    FHighlight = nullptr;
    FPages.Clear();
    Notify(pmCleared);
    if (OnClear)
        OnClear();
    Changed();
}

void TPrnPreview::SetPaperSize(TPrnPaperSize P)
{
    FPages.SetPaperSize(P);
    FPages.Printer.PaperSize = P;
    Notify(pmPaperSizeChanged);
    Changed();
}

void TPrnPreview::SetPagesPerSheet(TPrnPagesPerSheet P)
{
    if (P == FPages.PagesPerSheet)
        return;
    FPages.PagesPerSheet = P;
    FPages.Printer.PagesPerSheet = P;
    Notify(pmPagesPerSheetChanged);
    Changed();
}

bool TPrnPreview::SetMarginValues(const std::string& Text)
{
    return FPages.Margins.SetMarginValuesText(Text);   // the margins announce the change themselves
}

void TPrnPreview::MarginsChanged()
{
    Notify(pmMarginsChanged);
    viewport()->update();
}

void TPrnPreview::SetHighlighted(TPrnVisibleObject* O)
{
    if (O != FHighlight) {
        FHighlight = O;
        viewport()->update();
    }
}

void TPrnPreview::Changed()
{
    UpdateScrollRanges();
    viewport()->update();
    if (OnPageChanged)
        OnPageChanged();
}

void TPrnPreview::NewPage()
{
    FPages.AddPage();
}

TPrnExtSize TPrnPreview::SheetSize() const
{
    return PrnSheetSize(FPages.Current().Size(), FPages.PagesPerSheet);
}

std::vector<TPrnPreview::TShownPage> TPrnPreview::ShownPages() const
{
    const int n = PrnPagesOnASheet(FPages.PagesPerSheet), cur = FPages.CurrentPage();
    if (n == 1 || cur < 1)
        return {{cur, {}}};
    std::vector<TShownPage> out;
    const TPrnExtSize sheet = SheetSize();
    const int first = (cur - 1) / n * n + 1;
    for (int k = 0; k < n && first + k <= FPages.Count(); ++k)
        out.push_back({first + k, PrnPagePlacement(sheet, FPages.GetPage(first + k).Size(), FPages.PagesPerSheet, k)});
    return out;
}

QSize TPrnPreview::PagePixels() const
{
    TPrnExtSize s = SheetSize();
    Extended ppi = 96.0L * FZoom / 100;
    return QSize(ScaleToPixels(s.Width, ppi), ScaleToPixels(s.Height, ppi));
}

int TPrnPreview::PageAt(QPoint P, TPrnExtPoint& OnPage) const
{
    const QRect paper = PaperRect();
    const Extended ppi = 96.0L * FZoom / 100;
    for (const TShownPage& s : ShownPages()) {
        if (s.Number < 1)
            continue;
        const TPrnPage& page = FPages.GetPage(s.Number);
        Extended x = (P.x() - paper.left()) / ppi, y = (P.y() - paper.top()) / ppi;   // inches on the sheet
        Extended px = (x - s.Place.Offset.X) / s.Place.Scale, py = (y - s.Place.Offset.Y) / s.Place.Scale;
        if (px >= 0 && py >= 0 && px <= page.Width() && py <= page.Height()) {
            OnPage = {px, py};
            return s.Number;
        }
    }
    return 0;
}

void TPrnPreview::UpdateScrollRanges()
{
    QSize page = PagePixels();
    QSize view = viewport()->size();
    int w = page.width() + 2 * Gap, h = page.height() + 2 * Gap;
    horizontalScrollBar()->setRange(0, std::max(0, w - view.width()));
    horizontalScrollBar()->setPageStep(std::max(1, view.width()));
    verticalScrollBar()->setRange(0, std::max(0, h - view.height()));
    verticalScrollBar()->setPageStep(std::max(1, view.height()));
}

void TPrnPreview::SetZoom(int Z)
{
    Z = FLimits.Clamp(Z);
    if (Z == FZoom)
        return;
    QScrollBar* hb = horizontalScrollBar();
    QScrollBar* vb = verticalScrollBar();
    double fx = PrnScrollFraction(hb->value(), hb->maximum());
    double fy = PrnScrollFraction(vb->value(), vb->maximum());
    FZoom = Z;
    UpdateScrollRanges();
    hb->setValue(int(std::lround(fx * hb->maximum())));
    vb->setValue(int(std::lround(fy * vb->maximum())));
    viewport()->update();
    Notify(pmZoomChanged);
    if (OnPageChanged)
        OnPageChanged();
}

void TPrnPreview::FitWidth()
{
    int z = PrnFitWidthZoom(width(), Gap, Gap, FPages.Current().Width());
    if (z > 0)
        SetZoom(z);
}

void TPrnPreview::SetMinZoom(int M)
{
    FLimits.MinZoom = std::min(M, FLimits.MaxZoom);
    if (FZoom < FLimits.MinZoom)
        SetZoom(FLimits.MinZoom);
}

void TPrnPreview::SetMaxZoom(int M)
{
    FLimits.MaxZoom = std::max(M, FLimits.MinZoom);
    if (FZoom > FLimits.MaxZoom)
        SetZoom(FLimits.MaxZoom);
}

void TPrnPreview::SetOrientation(TPrnOrientation O)
{
    const bool changed = O != FPages.Orientation();
    FPages.SetOrientation(O);
    FPages.Printer.SetOrientation(O);
    Changed();
    if (changed) {
        Notify(pmOrientationChanged);
        if (OnOrientationChanged)
            OnOrientationChanged();
    }
}

bool TPrnPreview::PrintRange(int From, int To)
{
    BeginUpdate();
    bool ok = FPages.PrintRange(From, To);
    EndUpdate();
    return ok;
}

QRect TPrnPreview::PaperRect() const
{
    QSize page = PagePixels();
    int x = Gap - horizontalScrollBar()->value();
    // A page narrower than the view stands in its middle.
    int spare = viewport()->width() - (page.width() + 2 * Gap);
    if (spare > 0)
        x += spare / 2;
    return QRect(QPoint(x, Gap - verticalScrollBar()->value()), page);
}

void TPrnPreview::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().color(QPalette::Button));
    QRect paper = PaperRect();
    if (Shadow.Visible && Shadow.Width > 0) {
        QColor c = PrnQColor(Shadow.Color);
        p.fillRect(QRect(paper.right() + 1, paper.top() + Shadow.Width, Shadow.Width, paper.height()), c);
        p.fillRect(QRect(paper.left() + Shadow.Width, paper.bottom() + 1, paper.width(), Shadow.Width), c);
    }
    p.fillRect(paper, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(paper.adjusted(0, 0, -1, -1));
    if (FPages.Count() == 0 || FPages.CurrentPage() < 1)
        return;
    p.translate(paper.topLeft());
    Extended ppi = 96.0L * FZoom / 100;
    TPrnPainterDevice d(p, ppi, ppi, false);
    for (const TShownPage& s : ShownPages()) {
        if (FPages.PagesPerSheet == pnOnePage) {
            PaintPage(d, s.Number);
        } else {
            std::unique_ptr<TPrnDevice> placed = d.Placed(s.Place.Scale, s.Place.Offset);
            PaintPage(*placed, s.Number);
        }
    }
}

void TPrnPreview::PaintPage(TPrnDevice& D, int N)
{
    TPrnPage& page = FPages.GetPage(N);
    TPrnExtRect m = FPages.GetMarginArea(N);
    D.SaveClip();
    if (FPages.Margins.ClipMargins)
        D.IntersectClip(D.Pixels(m));
    page.Draw(D, N, FPages.Count(), FPages.Now());
    PageGrid.Draw(D, page.Width(), page.Height());
    D.RestoreClip();
    // The lines stand on and beyond the margins' edge, so the margins' clip would hide them.
    D.SetBrush(nullptr);
    if (FPages.Margins.Visible) {
        D.SetPen(&FPages.Margins.Pen);
        D.Rectangle(D.Pixels(m));
    }
    if (FPages.Margins.ShowPrinterMargins) {
        TPrnExtRect pm = FPages.Printer.GetPrinterMargins(page.Orientation());
        D.SetPen(&FPages.Margins.PrinterMarginPen);
        DrawRectOutline(D, D.Pixels({pm.Left, pm.Top, page.Width() - pm.Right, page.Height() - pm.Bottom}));
    }
    if (FHighlight)
        for (const auto& o : page.Objects)
            if (o.get() == FHighlight)
                if (auto* shape = dynamic_cast<TPrnBaseSolidShape*>(FHighlight)) {
                    const int widen = int(std::lround(FZoom / 100.0 * 10));
                    TPrnRect r = D.Pixels(shape->Rect);
                    D.SetPen(&HighlightPen);
                    DrawRectOutline(D, {r.Left - widen, r.Top - widen, r.Right + widen, r.Bottom + widen});
                }
}

void TPrnPreview::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollRanges();
}

void TPrnPreview::scrollContentsBy(int, int) { viewport()->update(); }

void TPrnPreview::PageMouse(const TPageMouseEvent& Handler, QMouseEvent* Event)
{
    TPrnExtPoint at;
    int page = Handler ? PageAt(Event->position().toPoint(), at) : 0;
    if (page > 0)
        Handler(Event->button(), Event->modifiers(), page, at);
}

void TPrnPreview::mousePressEvent(QMouseEvent* Event)
{
    PageMouse(OnPageMouseDown, Event);
    if (OnObjectMouseDown) {
        TPrnExtPoint at;
        if (int page = PageAt(Event->position().toPoint(), at))
            if (TPrnVisibleObject* o = FPages.GetPage(page).ObjectAtPoint(at)) {
                SetHighlighted(o);
                OnObjectMouseDown(o, Event->button(), page);
            }
    }
    if (Event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(Event);
    FDragging = true;
    FDragStart = Event->position().toPoint();
    FDragScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->setCursor(Qt::ClosedHandCursor);
}

void TPrnPreview::mouseMoveEvent(QMouseEvent* Event)
{
    PageMouse(OnPageMouseMove, Event);
    if (!FDragging)
        return QAbstractScrollArea::mouseMoveEvent(Event);
    QPoint d = Event->position().toPoint() - FDragStart;
    horizontalScrollBar()->setValue(FDragScroll.x() - d.x());
    verticalScrollBar()->setValue(FDragScroll.y() - d.y());
}

void TPrnPreview::mouseReleaseEvent(QMouseEvent* Event)
{
    PageMouse(OnPageMouseUp, Event);
    if (!FDragging)
        return QAbstractScrollArea::mouseReleaseEvent(Event);
    FDragging = false;
    viewport()->unsetCursor();
}

QScrollBar* TPrnPreview::KeyBar() const
{
    return verticalScrollBar()->maximum() > 0 ? verticalScrollBar() : horizontalScrollBar();
}

void TPrnPreview::wheelEvent(QWheelEvent* Event)
{
    int delta = Event->angleDelta().y();
    if (delta == 0)
        delta = Event->angleDelta().x();
    if (delta == 0)
        return;
    QScrollBar* b = KeyBar();
    // A turn toward the user (negative) moves down.
    b->setValue(b->value() + (delta < 0 ? 1 : -1) * b->singleStep());
    Event->accept();
}

void TPrnPreview::keyPressEvent(QKeyEvent* Event)
{
    QScrollBar* hb = horizontalScrollBar();
    QScrollBar* vb = verticalScrollBar();
    QScrollBar* b = KeyBar();
    switch (Event->key()) {
    case Qt::Key_PageUp: b->setValue(b->value() - 10 * b->singleStep()); break;
    case Qt::Key_PageDown: b->setValue(b->value() + 10 * b->singleStep()); break;
    case Qt::Key_Home:
        hb->setValue(hb->minimum());
        vb->setValue(vb->minimum());
        break;
    case Qt::Key_End:
        hb->setValue(hb->maximum());
        vb->setValue(vb->maximum());
        break;
    case Qt::Key_Left: hb->setValue(hb->value() - hb->singleStep()); break;
    case Qt::Key_Right: hb->setValue(hb->value() + hb->singleStep()); break;
    case Qt::Key_Up: vb->setValue(vb->value() - vb->singleStep()); break;
    case Qt::Key_Down: vb->setValue(vb->value() + vb->singleStep()); break;
    default: QAbstractScrollArea::keyPressEvent(Event); return;
    }
    Event->accept();
}

void TPrnPreview::enterEvent(QEnterEvent* Event)
{
    QAbstractScrollArea::enterEvent(Event);
    if (OnMouseEnter)
        OnMouseEnter();
}

void TPrnPreview::leaveEvent(QEvent* Event)
{
    QAbstractScrollArea::leaveEvent(Event);
    if (OnMouseLeave)
        OnMouseLeave();
}

void TPrnPreview::dragEnterEvent(QDragEnterEvent* Event) { dragMoveEvent(Event); }

void TPrnPreview::dragMoveEvent(QDragMoveEvent* Event)
{
    TPrnExtPoint at;
    int page = OnPageDragOver ? PageAt(Event->position().toPoint(), at) : 0;
    bool accept = false;
    if (page > 0)
        OnPageDragOver(Event->mimeData(), page, at, accept);
    if (accept)
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void TPrnPreview::dropEvent(QDropEvent* Event)
{
    TPrnExtPoint at;
    int page = OnPageDragDrop ? PageAt(Event->position().toPoint(), at) : 0;
    if (page > 0) {
        OnPageDragDrop(Event->mimeData(), page, at);
        Event->acceptProposedAction();
    }
}
