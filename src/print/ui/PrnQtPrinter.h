// The print job of the print library on Qt: one backend over a QPrinter or a QPdfWriter. Pages are placed from
// the paper's corner (full page), each page gets its own paper size and orientation, and copies go to a device
// that can make them itself; a PDF file cannot, so the page list repeats the pages for it.
//
// A QPrinter on a machine without printers silently writes a nameless PDF; this backend instead says that no
// printer is available, unless the QPrinter was explicitly pointed at an output file.
#pragma once

#include "print/PrnPrinter.h"
#include "print/ui/PrnPainter.h"

#include <QPagedPaintDevice>
#include <functional>
#include <memory>

class QPrinter;
class QPdfWriter;

// What a job's colour, dithering and quality settings ask of a QPrinter: grey scale for a monochrome job; no
// smoothing of edges for a monochrome job dithered as line art or not at all (pure black and white); and the
// resolution of the quality (draft 150, low 300, medium 600, high 1200 dots per inch), or the nearest one the
// printer offers below it (its lowest when none is below). A colour job is not dithered.
struct TPrnQtJobOptions {
    bool GrayScale = false;
    bool Smooth = true;
    int Resolution = 1200;
};
TPrnQtJobOptions PrnQtJobOptions(const TPrnJobSettings& Settings, const QList<int>& Offered);

class TPrnQtPrintBackend : public TPrnPrintBackend {
public:
    explicit TPrnQtPrintBackend(QPagedPaintDevice* Device);   // a QPrinter or a QPdfWriter, not owned
    ~TPrnQtPrintBackend() override;
    // Whether the system has printers; replaceable so that tests never reach a real one.
    std::function<bool()> PrintersInstalled;

    bool PrinterAvailable() override;
    bool CanRepeatCopies() override;
    TPrnPrinterInfoData Info(TPrnOrientation Orientation) override;
    bool Begin(const TPrnJobSettings& Settings, TPrnExtSize Paper, TPrnOrientation Orientation,
        std::string& Error) override;
    bool NewPage(TPrnExtSize Paper, TPrnOrientation Orientation, std::string& Error) override;
    TPrnDevice& Device() override { return *FPrnDevice; }
    bool End(std::string& Error) override;
    void Abort() override;
    std::string PrinterName() override;

private:
    void SetPaper(TPrnExtSize Paper, TPrnOrientation Orientation);
    double Resolution() const;
    QPagedPaintDevice* FDevice;
    QPrinter* FPrinter;
    QPdfWriter* FWriter;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TPrnPainterDevice> FPrnDevice;
    bool FSmooth = true;
};
