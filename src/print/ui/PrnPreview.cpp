#include "print/ui/PrnPreview.h"

#include "print/ui/PrnPainter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace {
constexpr int ScrollStep = 20;   // pixels per arrow key or wheel notch
}

TPrnPreview::TPrnPreview(QWidget* Parent) : QAbstractScrollArea(Parent)
{
    setObjectName("Preview");
    resize(240, 300);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setSingleStep(ScrollStep);
    verticalScrollBar()->setSingleStep(ScrollStep);
    FPages.OnPaintRequest = [this] { viewport()->update(); };
    FPages.OnAfterPageChange = [this] {
        if (!FPages.IsUpdating())
            Changed();
    };
    FPages.OnPageCountChanged = [this] { Changed(); };
    UpdateScrollRanges();
}

TPrnPreview::~TPrnPreview()
{
    FPages.OnPaintRequest = nullptr;
    FPages.OnAfterPageChange = nullptr;
    FPages.OnPageCountChanged = nullptr;
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

QSize TPrnPreview::PagePixels() const
{
    const TPrnPage& p = FPages.Current();
    Extended ppi = 96.0L * FZoom / 100;
    return QSize(ScaleToPixels(p.Width(), ppi), ScaleToPixels(p.Height(), ppi));
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
    FPages.SetOrientation(O);
    FPages.Printer.SetOrientation(O);
    Changed();
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
    const int n = FPages.CurrentPage();
    TPrnPage& page = FPages.GetPage(n);
    d.SaveClip();
    if (FPages.Margins.ClipMargins)
        d.IntersectClip(d.Pixels(FPages.GetMarginArea(n)));
    page.Draw(d, n, FPages.Count(), FPages.Now());
    TPrnExtRect m = FPages.GetMarginArea(n);
    if (FPages.Margins.Visible) {
        d.SetPen(&FPages.Margins.Pen);
        d.SetBrush(nullptr);
        d.Rectangle(d.Pixels(m));
    }
    PageGrid.Draw(d, page.Width(), page.Height());
    d.RestoreClip();
}

void TPrnPreview::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollRanges();
}

void TPrnPreview::scrollContentsBy(int, int) { viewport()->update(); }

void TPrnPreview::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(Event);
    FDragging = true;
    FDragStart = Event->position().toPoint();
    FDragScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->setCursor(Qt::ClosedHandCursor);
}

void TPrnPreview::mouseMoveEvent(QMouseEvent* Event)
{
    if (!FDragging)
        return QAbstractScrollArea::mouseMoveEvent(Event);
    QPoint d = Event->position().toPoint() - FDragStart;
    horizontalScrollBar()->setValue(FDragScroll.x() - d.x());
    verticalScrollBar()->setValue(FDragScroll.y() - d.y());
}

void TPrnPreview::mouseReleaseEvent(QMouseEvent* Event)
{
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
