// A document of the print library: pages of recorded objects, each with its own paper size and orientation, and
// the header and footer drawn on every page when it is shown or printed, with page number, page count, date and
// time put into their captions. The page list owns the shared resources, the recording canvas, the margins and the
// printer settings; PrintRange prints pages in either direction, repeating them for copies the device cannot make
// itself. Pages are numbered from 1; asking for a page outside 1..count raises EPrnError. Plain C++.
#pragma once

#include "print/PrnObjects.h"
#include "print/PrnPrinter.h"
#include "print/PrnValues.h"

#include <ctime>
#include <functional>
#include <memory>
#include <vector>

class TPrnPageList;
class TPrnCanvas;

class TPrnMargins {
public:
    TPrnMargins();
    TPrnValue Left{0.5L}, Top{0.5L}, Right{0.5L}, Bottom{0.5L};
    TPrnMeasurement ValueMeasurement = pnInches;   // unit of GetValue/SetValue
    // "MarginValues": left, top, right, bottom in twips, then the margin pen and the printer-margin pen, each as
    // a quoted "colour,width,style,mode": 720,720,720,720,"12632256,1,2,4","12632256,1,2,4".
    std::string MarginValuesText() const;
    // Takes four items (margins only) or six; anything else (or a margin that is no integer) changes nothing
    // and answers false.
    bool SetMarginValuesText(const std::string& Text);
    TPrnPen Pen{clSilver, 1, psDot, pmCopy};
    TPrnPen PrinterMarginPen{clSilver, 1, psDot, pmCopy};
    bool ClipMargins = false;
    bool ShowPrinterMargins = false;
    bool Visible = false;
    std::function<void()> OnChange;

    // Edge 1 left .. 4 bottom, in ValueMeasurement.
    Extended GetValue(int Edge) const;
    void SetValue(int Edge, Extended V);
};

class TPrnShadow {
public:
    TColor Color = clBlack;
    int Width = 3;   // pixels
    bool Visible = true;
};

// Lines or dots every 10 mm over the page, drawn by the preview.
class TPrnPageGrid {
public:
    TPrnGridStyle GridStyle = pnNoGrid;
    TPrnPen GridPen{clSilver, 1, psSolid, pmCopy};
    Extended Spacing = 10 / 25.4L;   // inches
    // Width and Height: the page in inches; positions are inches x pixels per inch, rounded.
    void Draw(TPrnDevice& D, Extended Width, Extended Height) const;
};

// A caption of the header or footer. Changes made through the setters are announced to the owner (OnChange), so
// that a preview repaints; writing the fields directly is for setting up before anything is shown.
class TPrnHeaderFooterCaption {
public:
    TPrnHeaderFooterCaption() { Font.Size = 12; }
    std::string Caption;   // may hold "{PAGE}", "{NUMPAGES}", "{DATE}", "{TIME}"
    TPrnFont Font;
    std::function<void()> OnChange;
    void SetCaption(const std::string& C);
    void SetFont(const TPrnFont& F);
};

class TPrnHeaderFooter {
public:
    TPrnHeaderFooter();
    TPrnHeaderFooter(const TPrnHeaderFooter&) = delete;
    TPrnHeaderFooter& operator=(const TPrnHeaderFooter&) = delete;
    TPrnHeaderFooterCaption& Caption(int Index) { return FCaptions[Index < 0 ? 0 : Index > 2 ? 2 : Index]; }
    const TPrnHeaderFooterCaption& Caption(int Index) const
    {
        return FCaptions[Index < 0 ? 0 : Index > 2 ? 2 : Index];
    }
    TPrnHeaderFooterCaption& CaptionLeft() { return FCaptions[0]; }
    TPrnHeaderFooterCaption& CaptionCenter() { return FCaptions[1]; }
    TPrnHeaderFooterCaption& CaptionRight() { return FCaptions[2]; }
    TPrnValue Height;          // 0: as high as the tallest caption font
    TPrnPen Pen;
    bool ShowLine = true;
    bool Visible = false;
    // Any change of a caption, the height, the line or the visibility made through the setters.
    std::function<void()> OnChange;
    void SetVisible(bool V);
    void SetShowLine(bool S);
    void SetPen(const TPrnPen& P);
    // The band's height in inches.
    Extended GetHeight(TPrnTextMeasurer& M) const;

private:
    void Changed()
    {
        if (OnChange)
            OnChange();
    }
    TPrnHeaderFooterCaption FCaptions[3];
};

class TPrnHeader : public TPrnHeaderFooter {};
class TPrnFooter : public TPrnHeaderFooter {};

class TPrnRichEdit;

// Rich text placed on a page: memos of the document's memo list, each formatted into its rectangle (inches)
// before the page's objects are drawn.
struct TPrnPageRtfInfo {
    struct TPlaced {
        std::shared_ptr<TPrnRichEdit> Memo;   // kept for the page, see TPrnCountedList::Hold
        TPrnExtRect Rect;
    };
    std::vector<TPlaced> Items;
};

class TPrnPage {
public:
    explicit TPrnPage(TPrnPageList& Owner);
    ~TPrnPage();
    TPrnPage(const TPrnPage&) = delete;
    TPrnPage& operator=(const TPrnPage&) = delete;

    std::vector<std::unique_ptr<TPrnBaseObject>> Objects;   // in drawing order
    TPrnPageRtfInfo RtfInfo;
    bool ShowHeader = true, ShowFooter = true;
    std::function<void()> OnChange;

    TPrnOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrnOrientation O);
    Extended Width() const { return FWidth; }     // inches, as oriented
    Extended Height() const { return FHeight; }
    TPrnExtSize Size() const { return {FWidth, FHeight}; }
    // Portrait-wise width and height; the orientation decides which is which.
    void SetSize(TPrnExtSize Size);
    TPrnExtSize GetPageSize(TPrnMeasurement Unit) const;
    // The topmost visible object under a point in inches, or nullptr.
    TPrnVisibleObject* ObjectAtPoint(TPrnExtPoint P) const;

    // The rich text placed on the page, the objects, then header and footer, on the device; PageNumber and
    // PageCount go into the captions.
    void Draw(TPrnDevice& D, int PageNumber, int PageCount, const std::tm& Now);

private:
    TPrnPageList& FOwner;
    TPrnOrientation FOrientation = pnPortrait;
    Extended FWidth = 8.27L, FHeight = 11.69L;
};

class TPrnPageList {
public:
    TPrnPageList();
    ~TPrnPageList();
    TPrnPageList(const TPrnPageList&) = delete;
    TPrnPageList& operator=(const TPrnPageList&) = delete;

    TPrnResourceTable Resources;
    TPrnHeader Header;
    TPrnFooter Footer;
    TPrnMargins Margins;
    TPrnPrinter Printer;
    TPrnCanvas& Canvas() { return *FCanvas; }
    TPrnTextMeasurer* Measurer = nullptr;   // nullptr: the measurer in force
    TPrnTextMeasurer& GetMeasurer() const { return Measurer ? *Measurer : TPrnTextMeasurer::instance(); }
    std::function<std::time_t()> Clock;     // the time put into "{DATE}" and "{TIME}"

    std::function<void()> OnBeforePageChange, OnAfterPageChange, OnPageCountChanged, OnPageAdded, OnPaintRequest;
    // After the header (footer) band of a page is drawn: the device, the band in inches and the page number, so
    // that a host can draw more into it.
    std::function<void(TPrnDevice& D, const TPrnExtRect& Band, int PageNumber)> OnDrawHeader, OnDrawFooter;
    std::function<void(int PageNumber)> OnPrintProgress;

    int Count() const { return int(FPages.size()); }
    TPrnPage& AddPage();
    TPrnPage& InsertPage(int Index);   // before page Index (1-based; Count + 1 appends)
    TPrnPage& GetPage(int N) const;    // EPrnError outside 1..Count
    void Clear();
    int CurrentPage() const { return FCurrentPage; }
    TPrnPage& Current() const { return GetPage(FCurrentPage); }
    // Ignored outside 1..Count and for the page already shown.
    void SetCurrentPage(int N);

    // Appends an object to the current page, moved by the origin its coordinates are measured from.
    void AddObject(std::unique_ptr<TPrnBaseObject> Object, TPrnCoordsRelative Origin);
    TPrnExtPoint OriginOffset(TPrnCoordsRelative Origin) const;

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    bool IsUpdating() const { return FUpdateCount > 0; }

    TPrnOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrnOrientation O);   // all pages and new ones
    // How many pages a printed sheet holds (PrintRange); the preview shows whole sheets likewise.
    TPrnPagesPerSheet PagesPerSheet = pnOnePage;
    TPrnPaperSize PaperSize() const { return FPaperSize; }
    void SetPaperSize(TPrnPaperSize P);       // all pages and new ones; pnCustom keeps the sizes
    TPrnExtSize PaperDimensions() const { return FPaper; }   // portrait-wise

    // In inches on page N: the page inside the margins; and without the header band when the header shows.
    TPrnExtRect GetMarginArea(int N) const;
    TPrnExtRect GetDrawingArea(int N) const;
    TPrnExtRect GetHeaderRect(int N) const;
    TPrnExtRect GetFooterRect(int N) const;

    // Page N with its header and footer; ClipToMargins keeps the drawing inside the margins.
    void DrawPage(int N, TPrnDevice& D, bool ClipToMargins);
    std::tm Now() const;

    // Prints pages From..To in that order (From > To: descending) in one job, Copies times. The page numbers are
    // checked first: a number outside 1..Count prints nothing and shows the error. True only when every page
    // reached the device; a job aborted on the way (TPrnPrinter::Abort) answers false.
    bool PrintRange(int From, int To);

    // Asks for a repaint unless an update is running.
    void Changed();

private:
    TPrnPage& MakeCurrent(std::vector<std::unique_ptr<TPrnPage>>::iterator At);
    std::vector<std::unique_ptr<TPrnPage>> FPages;
    std::unique_ptr<TPrnCanvas> FCanvas;
    int FCurrentPage = 0;
    int FUpdateCount = 0;
    TPrnOrientation FOrientation = pnPortrait;
    TPrnPaperSize FPaperSize = pnA4;
    TPrnExtSize FPaper{210 / 25.4L, 297 / 25.4L};
};
