#include "print/PrnPrinter.h"

#include "platform/Dialogs.h"

const char* PrnNoPrinterMessage() { return "Unable to print... No Printer available."; }

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

bool TPrnPrinter::BeginDoc(TPrnExtSize Paper)
{
    if (FPrinting)
        return false;
    if (!PrinterAvailable()) {
        ShowError(PrnNoPrinterMessage());
        return false;
    }
    bool abort = false;
    if (BeforePrint)
        BeforePrint(abort);
    if (abort)
        return false;
    std::string error;
    FPrinting = true;
    if (!Backend->Begin(Settings, Paper, FOrientation, error))
        return Fail(error);
    FPageNumber = 1;
    return true;
}

bool TPrnPrinter::NewPage(TPrnExtSize Paper)
{
    if (!FPrinting)
        return false;
    std::string error;
    if (!Backend->NewPage(Paper, FOrientation, error)) {
        std::string ignored;
        Backend->End(ignored);   // the device is released; what it printed so far is its own
        return Fail(error);
    }
    ++FPageNumber;
    return true;
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
