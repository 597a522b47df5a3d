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

private:
    void SetPaper(TPrnExtSize Paper, TPrnOrientation Orientation);
    double Resolution() const;
    QPagedPaintDevice* FDevice;
    QPrinter* FPrinter;
    QPdfWriter* FWriter;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TPrnPainterDevice> FPrnDevice;
};
