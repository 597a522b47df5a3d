// The preview control: a scrolling view that owns a document (a page list) and shows one page of it on a paper
// image with a shadow, zoomed, through the print library's one renderer, optionally with the margin lines and a
// page grid. It is also the front through which pages are recorded, navigated and printed. The document always
// has at least one page.
//
// Zoom runs through the table of steps (or by a fixed increment) between MinZoom and MaxZoom; the scroll
// positions keep their place as fractions of the scroll ranges across a zoom. The page is dragged with the mouse,
// scrolled by the wheel (the vertical bar, else the horizontal one) and by the keys: Page Up and Page Down ten
// steps, Home and End to the start and the end, the arrows one step.
#pragma once

#include "print/PrnCanvas.h"
#include "print/PrnPageList.h"
#include "print/PrnZoom.h"

#include <QAbstractScrollArea>
#include <functional>

class TPrnPreview : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPrnPreview(QWidget* Parent = nullptr);
    ~TPrnPreview() override;

    // The document and what belongs to it.
    TPrnPageList& PageList() { return FPages; }
    TPrnHeader& Header() { return FPages.Header; }
    TPrnFooter& Footer() { return FPages.Footer; }
    TPrnMargins& Margins() { return FPages.Margins; }
    TPrnPrinter& PrnPrinter() { return FPages.Printer; }
    TPrnCanvas& Canvas() { return FPages.Canvas(); }
    TPrnShadow Shadow;
    TPrnPageGrid PageGrid;
    // Space around the page, pixels.
    int Gap = 30;

    // Pages: numbers outside 1..NumPages are ignored.
    void NewPage();
    int NumPages() const { return FPages.Count(); }
    int CurrentPage() const { return FPages.CurrentPage(); }
    void SetCurrentPage(int N) { FPages.SetCurrentPage(N); }
    void FirstPage() { SetCurrentPage(1); }
    void PrevPage() { SetCurrentPage(CurrentPage() - 1); }
    void NextPage() { SetCurrentPage(CurrentPage() + 1); }
    void LastPage() { SetCurrentPage(NumPages()); }
    TPrnExtSize GetPageSize(TPrnMeasurement Unit) const { return FPages.Current().GetPageSize(Unit); }

    // Recording between BeginUpdate and EndUpdate repaints once, at the end.
    void BeginUpdate() { FPages.BeginUpdate(); }
    void EndUpdate() { FPages.EndUpdate(); }

    int Zoom() const { return FZoom; }
    void SetZoom(int Z);
    void ZoomIn() { SetZoom(PrnZoomIn(FZoom, FLimits)); }
    void ZoomOut() { SetZoom(PrnZoomOut(FZoom, FLimits)); }
    // Zoom so that the page fills the control's width.
    void FitWidth();
    int MinZoom() const { return FLimits.MinZoom; }
    int MaxZoom() const { return FLimits.MaxZoom; }
    // Never above MaxZoom (below MinZoom for the other); a zoom outside the new limits is brought inside.
    void SetMinZoom(int M);
    void SetMaxZoom(int M);
    TPrnZoomStyle ZoomStyle() const { return FLimits.Style; }
    void SetZoomStyle(TPrnZoomStyle S) { FLimits.Style = S; }
    int ZoomIncrement() const { return FLimits.Increment; }
    void SetZoomIncrement(int I) { FLimits.Increment = I; }

    TPrnOrientation Orientation() const { return FPages.Orientation(); }
    void SetOrientation(TPrnOrientation O);

    // Prints pages From..To on the printer's backend (see TPrnPageList::PrintRange).
    bool PrintRange(int From, int To);

    // The page shown, the page count or the zoom changed.
    std::function<void()> OnPageChanged;

    // The paper's rectangle in the viewport, pixels.
    QRect PaperRect() const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void scrollContentsBy(int DX, int DY) override;

private:
    QSize PagePixels() const;
    void UpdateScrollRanges();
    void Changed();
    QScrollBar* KeyBar() const;

    TPrnPageList FPages;
    TPrnZoomLimits FLimits;
    int FZoom = 100;
    bool FDragging = false;
    QPoint FDragStart;
    QPoint FDragScroll;
};
