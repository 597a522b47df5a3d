#include "print/PrnPrinter.h"

#include "platform/Dialogs.h"

const char* PrnNoPrinterMessage() { return "Unable to print... No Printer available."; }

int PrnPagesOnASheet(TPrnPagesPerSheet PerSheet) { return PerSheet == pnTwoPage ? 2 : PerSheet == pnFourPage ? 4 : 1; }

TPrnExtSize PrnSheetSize(TPrnExtSize PageSize, TPrnPagesPerSheet PerSheet)
{
    return PerSheet == pnTwoPage ? TPrnExtSize{PageSize.Height, PageSize.Width} : PageSize;
}

TPrnPlacement PrnPagePlacement(TPrnExtSize Sheet, TPrnExtSize PageSize, TPrnPagesPerSheet PerSheet, int Slot)
{
    if (PerSheet == pnOnePage || PageSize.Width <= 0 || PageSize.Height <= 0)
        return {};
    Extended partW = Sheet.Width, partH = Sheet.Height, left = 0, top = 0, scale = 0.49L;
    if (PerSheet == pnTwoPage) {
        Slot %= 2;
        if (Sheet.Width >= Sheet.Height) {
            partW /= 2;
            left = Slot * partW;
        } else {
            partH /= 2;
            top = Slot * partH;
        }
        scale = MinExtended(partW / PageSize.Width, partH / PageSize.Height);
    } else {
        Slot %= 4;
        partW /= 2;
        partH /= 2;
        left = (Slot % 2) * partW;
        top = (Slot / 2) * partH;
    }
    return {scale, {left + (partW - PageSize.Width * scale) / 2, top + (partH - PageSize.Height * scale) / 2}};
}

TPrnPrinterInfoData TPrnPrinter::Info() const
{
    return PrinterAvailable() ? Backend->Info(FOrientation) : TPrnPrinterInfoData{};
}

TPrnExtRect TPrnPrinter::GetPrinterMargins(TPrnOrientation O) const
{
    TPrnPrinterInfoData i = PrinterAvailable() ? Backend->Info(pnPortrait) : TPrnPrinterInfoData{};
    TPrnExtRect r{i.OffsetLeft / i.PixelsPerInchX, i.OffsetTop / i.PixelsPerInchY,
        i.OffsetRight / i.PixelsPerInchX, i.OffsetBottom / i.PixelsPerInchY};
    if (O == pnLandscape)
        r = {r.Top, r.Right, r.Bottom, r.Left};
    return r;
}

Extended TPrnPrinter::PageWidth() const
{
    TPrnPrinterInfoData i = Info();
    return FOrientation == pnLandscape ? i.PhysicalHeight / i.PixelsPerInchY : i.PhysicalWidth / i.PixelsPerInchX;
}

Extended TPrnPrinter::PageHeight() const
{
    TPrnPrinterInfoData i = Info();
    return FOrientation == pnLandscape ? i.PhysicalWidth / i.PixelsPerInchX : i.PhysicalHeight / i.PixelsPerInchY;
}

bool TPrnPrinter::Fail(const std::string& Error)
{
    FPrinting = false;
    ShowError("Unable to print... " + (Error.empty() ? std::string("The printer did not start.") : Error));
    return false;
}

TPrnOrientation TPrnPrinter::SheetOrientation(TPrnExtSize Paper) const
{
    if (PagesPerSheet == pnOnePage)
        return FOrientation;
    TPrnExtSize sheet = PrnSheetSize(Paper, PagesPerSheet);
    return sheet.Width > sheet.Height ? pnLandscape : pnPortrait;
}

void TPrnPrinter::Abort()
{
    if (FAborted)
        return;
    FAborted = true;
    if (FPrinting && Backend)
        Backend->Abort();
    FPrinting = false;
    if (OnAbortPrint)
        OnAbortPrint();
}

bool TPrnPrinter::Stop()
{
    if (!FAborted)
        Abort();
    return false;
}

bool TPrnPrinter::BeginDoc(TPrnExtSize Paper)
{
    if (FPrinting)
        return false;
    if (!PrinterAvailable()) {
        ShowError(PrnNoPrinterMessage());
        return false;
    }
    FAborted = false;
    const std::string printer = Backend->PrinterName();
    bool abort = false;
    if (BeforePrint)
        BeforePrint(abort);
    if (abort || FAborted)
        return Stop();
    if (Backend->PrinterName() != printer && OnChangePrinter)
        OnChangePrinter();
    std::string error;
    FPrinting = true;
    if (!Backend->Begin(Settings, PrnSheetSize(Paper, PagesPerSheet), SheetOrientation(Paper), error))
        return Fail(error);
    FPageNumber = 1;
    return true;
}

bool TPrnPrinter::NewPage(TPrnExtSize Paper)
{
    if (!FPrinting)
        return false;
    ++FPageNumber;
    if ((FPageNumber - 1) % PrnPagesOnASheet(PagesPerSheet) != 0)
        return true;   // the sheet in use has room for this page
    std::string error;
    if (!Backend->NewPage(PrnSheetSize(Paper, PagesPerSheet), SheetOrientation(Paper), error)) {
        std::string ignored;
        Backend->End(ignored);   // the device is released; what it printed so far is its own
        return Fail(error);
    }
    return true;
}

std::unique_ptr<TPrnDevice> TPrnPrinter::PageDevice(TPrnExtSize Paper)
{
    TPrnPlacement p = PrnPagePlacement(PrnSheetSize(Paper, PagesPerSheet), Paper, PagesPerSheet,
        (FPageNumber - 1) % PrnPagesOnASheet(PagesPerSheet));
    return Device().Placed(p.Scale, p.Offset);
}

bool TPrnPrinter::EndDoc()
{
    if (!FPrinting)
        return false;
    std::string error;
    bool ok = Backend->End(error);
    FPrinting = false;
    if (!ok)
        return Fail(error);
    if (AfterPrint)
        AfterPrint();
    return true;
}
