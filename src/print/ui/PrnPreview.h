// The preview control: a scrolling view that owns a document (a page list) and shows one page of it on a paper
// image with a shadow, zoomed, through the print library's one renderer, optionally with the margin lines and a
// page grid. It is also the front through which pages are recorded, navigated and printed. The document always
// has at least one page.
//
// Zoom runs through the table of steps (or by a fixed increment) between MinZoom and MaxZoom; the scroll
// positions keep their place as fractions of the scroll ranges across a zoom. The page is dragged with the mouse,
// scrolled by the wheel (the vertical bar, else the horizontal one) and by the keys: Page Up and Page Down ten
// steps, Home and End to the start and the end, the arrows one step.
//
// With two or four pages per sheet the preview shows whole sheets, as they will be printed. Mouse events on a page
// report page coordinates (inches); a press on a recorded object reports it and outlines it with the highlight
// pen. Registered listeners receive a TPrnPreviewMessage for each change (the message numbers below).
#pragma once

#include "print/PrnCanvas.h"
#include "print/PrnPageList.h"
#include "print/PrnZoom.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPointer>
#include <functional>
#include <vector>

class QMimeData;
class TPrnRichEdit;

// What the preview tells its listeners.
enum TPrnPreviewMessageId {
    pmPagesPerSheetChanged = 7034,
    pmCurrentPageChanged = 7035,
    pmPageCountChanged = 7036,
    pmZoomChanged = 7038,
    pmOrientationChanged = 7039,
    pmPaperSizeChanged = 7042,
    pmBeginUpdate = 7043,
    pmEndUpdate = 7044,
    pmMarginsChanged = 7045,
    pmCleared = 7047,
};

class TPrnPreviewMessage : public QEvent {
public:
    explicit TPrnPreviewMessage(int Msg) : QEvent(EventType()), Msg(Msg) {}
    static QEvent::Type EventType();
    const int Msg;
};

// The cursors the preview registers for its host: 101 zoom in, 102 zoom out (a magnifier with + or -).
constexpr int crZoomIn = 101, crZoomOut = 102;
QCursor PrnZoomCursor(int Number);

class TPrnPreview : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPrnPreview(QWidget* Parent = nullptr);
    ~TPrnPreview() override;
    std::string About() const { return PrnVersionString("TPrnPreview"); }

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
    void BeginUpdate();
    void EndUpdate();
    // Back to one empty page.
    void Clear();

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
    TPrnPaperSize PaperSize() const { return FPages.PaperSize(); }
    void SetPaperSize(TPrnPaperSize P);
    TPrnPagesPerSheet PagesPerSheet() const { return FPages.PagesPerSheet; }
    void SetPagesPerSheet(TPrnPagesPerSheet P);
    // The margins and their pens as the form stores them (TPrnMargins::MarginValuesText).
    std::string MarginValues() const { return FPages.Margins.MarginValuesText(); }
    bool SetMarginValues(const std::string& Text);
    // Margin settings changed by the host (lines shown, printer margins shown...): repaint and tell listeners.
    void MarginsChanged();

    // Listeners get a TPrnPreviewMessage for every change; a listener that is destroyed is forgotten.
    void AddListener(QObject* Listener);
    void RemoveListener(QObject* Listener);

    // The recorded object outlined with the highlight pen (red, one wide), or none.
    TPrnPen HighlightPen{clRed, 1, psSolid, pmCopy};
    TPrnVisibleObject* Highlighted() const { return FHighlight; }
    void SetHighlighted(TPrnVisibleObject* O);

    // Prints pages From..To on the printer's backend (see TPrnPageList::PrintRange).
    bool PrintRange(int From, int To);

    // The page shown, the page count or the zoom changed.
    std::function<void()> OnPageChanged;
    // Page mouse events: the page under the cursor and the point on it in inches.
    using TPageMouseEvent = std::function<void(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int Page,
        TPrnExtPoint Point)>;
    TPageMouseEvent OnPageMouseDown, OnPageMouseMove, OnPageMouseUp;
    std::function<void(TPrnVisibleObject* Object, Qt::MouseButton Button, int Page)> OnObjectMouseDown;
    std::function<void()> OnNewPage, OnOrientationChanged, OnClear, OnMouseEnter, OnMouseLeave;
    std::function<void(int PageNumber)> OnPrintProgress;
    // Dragging over a page: set Accept to take the drop there.
    std::function<void(const QMimeData* Data, int Page, TPrnExtPoint Point, bool& Accept)> OnPageDragOver;
    std::function<void(const QMimeData* Data, int Page, TPrnExtPoint Point)> OnPageDragDrop;
    // The header or footer band of a page was drawn (see TPrnPageList).
    std::function<void(TPrnDevice& D, const TPrnExtRect& Band, int PageNumber)> OnDrawHeader, OnDrawFooter;
    // The rich edit that a memo of a loaded document is made in.
    std::function<std::unique_ptr<TPrnRichEdit>()> OnNeedRichEdit;
    // The print job's events (TPrnPrinter).
    std::function<void(bool& Abort)> BeforePrint;
    std::function<void()> AfterPrint, OnAbortPrint;

    // The page at a point of the viewport and the point on it in inches; 0 when no page is there.
    int PageAt(QPoint P, TPrnExtPoint& OnPage) const;

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
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    QSize PagePixels() const;
    // The sheet shown: the current page alone, or the pages sharing its sheet, and where each stands.
    struct TShownPage {
        int Number;
        TPrnPlacement Place;
    };
    std::vector<TShownPage> ShownPages() const;
    TPrnExtSize SheetSize() const;
    void PaintPage(TPrnDevice& D, int N);
    void UpdateScrollRanges();
    void Changed();
    void Notify(int Msg);
    void PageMouse(const TPageMouseEvent& Handler, QMouseEvent* Event);
    QScrollBar* KeyBar() const;

    TPrnPageList FPages;
    TPrnZoomLimits FLimits;
    int FZoom = 100;
    bool FDragging = false;
    QPoint FDragStart;
    QPoint FDragScroll;
    std::vector<QPointer<QObject>> FListeners;
    TPrnVisibleObject* FHighlight = nullptr;
    int FNotifiedCount = 1;
};
