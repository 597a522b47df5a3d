#include "print/ui/PrnQtPrinter.h"

#include "platform/ui/QtText.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

TPrnQtJobOptions PrnQtJobOptions(const TPrnJobSettings& Settings, const QList<int>& Offered)
{
    TPrnQtJobOptions o;
    o.GrayScale = Settings.PrintColor == pnMonochrome;
    o.Smooth = !(o.GrayScale && (Settings.DitherType == pnLineArt || Settings.DitherType == pnNone));
    static const int dpi[] = {150, 300, 600, 1200};
    const int want = dpi[std::clamp(int(Settings.PrintQuality), 0, 3)];
    o.Resolution = want;
    if (!Offered.isEmpty()) {
        int below = 0, lowest = Offered.front();
        for (int r : Offered) {
            lowest = std::min(lowest, r);
            if (r <= want)
                below = std::max(below, r);
        }
        o.Resolution = below > 0 ? below : lowest;
    }
    return o;
}

TPrnQtPrintBackend::TPrnQtPrintBackend(QPagedPaintDevice* Device)
    : FDevice(Device), FPrinter(dynamic_cast<QPrinter*>(Device)), FWriter(dynamic_cast<QPdfWriter*>(Device))
{
    PrintersInstalled = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
}

TPrnQtPrintBackend::~TPrnQtPrintBackend()
{
    if (FPainter && FPainter->isActive())
        FPainter->end();
}

bool TPrnQtPrintBackend::PrinterAvailable()
{
    if (!FPrinter)
        return FWriter != nullptr;
    if (!FPrinter->outputFileName().isEmpty())
        return true;
    return FPrinter->outputFormat() == QPrinter::NativeFormat && PrintersInstalled() && FPrinter->isValid();
}

bool TPrnQtPrintBackend::CanRepeatCopies()
{
    return FPrinter && FPrinter->outputFormat() == QPrinter::NativeFormat && FPrinter->supportsMultipleCopies();
}

double TPrnQtPrintBackend::Resolution() const
{
    if (FPrinter)
        return FPrinter->resolution();
    if (FWriter)
        return FWriter->resolution();
    return FDevice->logicalDpiX();
}

TPrnPrinterInfoData TPrnQtPrintBackend::Info(TPrnOrientation)
{
    TPrnPrinterInfoData i;
    double dpi = Resolution();
    QPageLayout layout = FDevice->pageLayout();
    QSizeF paper = layout.pageSize().size(QPageSize::Inch);
    QMarginsF mi;
    if (FPrinter) {
        QPageLayout minimum = layout;
        minimum.setMode(QPageLayout::FullPageMode);
        minimum.setMargins(layout.minimumMargins());
        mi = minimum.margins(QPageLayout::Inch);
    }
    i.PhysicalWidth = paper.width() * dpi;
    i.PhysicalHeight = paper.height() * dpi;
    i.OffsetLeft = mi.left() * dpi;
    i.OffsetTop = mi.top() * dpi;
    i.OffsetRight = mi.right() * dpi;
    i.OffsetBottom = mi.bottom() * dpi;
    i.PixelsPerInchX = i.PixelsPerInchY = dpi;
    return i;
}

void TPrnQtPrintBackend::SetPaper(TPrnExtSize Paper, TPrnOrientation Orientation)
{
    QSizeF portrait(double(std::min(Paper.Width, Paper.Height)), double(std::max(Paper.Width, Paper.Height)));
    FDevice->setPageSize(QPageSize(portrait, QPageSize::Inch, QString(), QPageSize::FuzzyMatch));
    FDevice->setPageOrientation(Orientation == pnLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (FWriter)
        FDevice->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
}

bool TPrnQtPrintBackend::Begin(const TPrnJobSettings& Settings, TPrnExtSize Paper, TPrnOrientation Orientation,
    std::string& Error)
{
    if (FPrinter) {
        FPrinter->setFullPage(true);
        FPrinter->setDocName(ToQ(Settings.Title));
        FPrinter->setCopyCount(CanRepeatCopies() ? std::max(1, Settings.Copies) : 1);
        FPrinter->setCollateCopies(Settings.Collate);
        FPrinter->setDuplex(Settings.Duplex == pnVertDuplex ? QPrinter::DuplexLongSide
                : Settings.Duplex == pnHorzDuplex           ? QPrinter::DuplexShortSide
                                                            : QPrinter::DuplexNone);
        // A file gets the resolution asked for; a printer one it offers.
        TPrnQtJobOptions o = PrnQtJobOptions(Settings,
            FPrinter->outputFormat() == QPrinter::NativeFormat ? FPrinter->supportedResolutions() : QList<int>());
        FPrinter->setColorMode(o.GrayScale ? QPrinter::GrayScale : QPrinter::Color);
        FPrinter->setResolution(o.Resolution);
        FSmooth = o.Smooth;
    } else if (FWriter) {
        FWriter->setTitle(ToQ(Settings.Title));
        FWriter->setCreator(QStringLiteral("Orlantis"));
    }
    SetPaper(Paper, Orientation);
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(FDevice)) {
        FPainter.reset();
        Error = "The printer could not be started.";
        if (FPrinter && !FPrinter->outputFileName().isEmpty())
            Error += " " + FromQ(FPrinter->outputFileName()) + " cannot be written.";
        return false;
    }
    double dpi = Resolution();
    FPrnDevice = std::make_unique<TPrnPainterDevice>(*FPainter, dpi, dpi, true);
    FPrnDevice->SmoothText = FSmooth;
    return true;
}

bool TPrnQtPrintBackend::NewPage(TPrnExtSize Paper, TPrnOrientation Orientation, std::string& Error)
{
    SetPaper(Paper, Orientation);
    if (!FDevice->newPage()) {
        Error = "The printer did not accept a new page.";
        return false;
    }
    return true;
}

void TPrnQtPrintBackend::Abort()
{
    FPrnDevice.reset();
    if (FPrinter)
        FPrinter->abort();
    if (FPainter && FPainter->isActive())
        FPainter->end();
    FPainter.reset();
}

std::string TPrnQtPrintBackend::PrinterName()
{
    return FPrinter ? FromQ(FPrinter->printerName()) : std::string();
}

bool TPrnQtPrintBackend::End(std::string& Error)
{
    FPrnDevice.reset();
    bool ok = FPainter && FPainter->end();
    FPainter.reset();
    if (!ok)
        Error = "The printer did not finish the job.";
    return ok;
}
