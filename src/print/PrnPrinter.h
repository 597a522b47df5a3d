// The print-job settings of the print library and the job itself. TPrnPrinter keeps copies, collation, duplex,
// colour, title and orientation and runs a job on a backend: the Qt layer gives one over QPrinter and QPdfWriter,
// tests give fakes. Without a backend, or when the backend finds no printer installed, BeginDoc shows the
// library's no-printer message and reports that nothing started; a backend that fails to start is reported as a
// failure. Nothing is ever claimed printed that was not. Plain C++.
#pragma once

#include "print/PrnDevice.h"

#include <functional>
#include <string>

// What the device tells of its paper: size, printable offsets and resolution.
struct TPrnPrinterInfoData {
    Extended PhysicalWidth = 2481, PhysicalHeight = 3507;   // device pixels, portrait
    Extended OffsetLeft = 65, OffsetTop = 50, OffsetRight = 58, OffsetBottom = 50;
    Extended PixelsPerInchX = 300, PixelsPerInchY = 300;
};

struct TPrnJobSettings {
    int Copies = 1;
    bool Collate = false;
    TPrnDuplexType Duplex = pnSimplex;
    TPrnPrintColor PrintColor = pnColor;
    TPrnDitherType DitherType = pnNone;
    TPrnPrintQuality PrintQuality = pnDraft;
    std::string Title = "<document>";
};

class TPrnPrintBackend {
public:
    virtual ~TPrnPrintBackend() = default;
    // A printer (or an output file) is there to print on.
    virtual bool PrinterAvailable() = 0;
    // The device repeats copies itself (a real printer); otherwise the pages are sent once per copy.
    virtual bool CanRepeatCopies() = 0;
    virtual TPrnPrinterInfoData Info(TPrnOrientation Orientation) = 0;
    // Starts the job with the first page's paper; false and Error set when the device would not start.
    virtual bool Begin(const TPrnJobSettings& Settings, TPrnExtSize Paper, TPrnOrientation Orientation,
        std::string& Error) = 0;
    virtual bool NewPage(TPrnExtSize Paper, TPrnOrientation Orientation, std::string& Error) = 0;
    virtual TPrnDevice& Device() = 0;
    virtual bool End(std::string& Error) = 0;
};

class TPrnPrinter {
public:
    TPrnPrintBackend* Backend = nullptr;   // not owned
    TPrnJobSettings Settings;
    bool ReversePrintOrder = false;
    TPrnPagesPerSheet PagesPerSheet = pnOnePage;
    TPrnPaperSize PaperSize = pnA4;
    std::function<void(bool& Abort)> BeforePrint;
    std::function<void()> AfterPrint;

    int PrintCopies() const { return Settings.Copies; }
    void SetPrintCopies(int N) { Settings.Copies = N < 1 ? 1 : N; }
    bool Collate() const { return Settings.Collate; }
    void SetCollate(bool C) { Settings.Collate = C; }
    TPrnOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrnOrientation O) { FOrientation = O; }
    bool Printing() const { return FPrinting; }
    int PageNumber() const { return FPageNumber; }

    // Printer information: the default device (A4 at 300 pixels per inch) when there is no printer.
    bool PrinterAvailable() const { return Backend && Backend->PrinterAvailable(); }
    TPrnPrinterInfoData Info() const;
    // The unprintable border in inches; rotated for landscape.
    TPrnExtRect GetPrinterMargins(TPrnOrientation O) const;
    Extended PageWidth() const;    // inches, in the current orientation
    Extended PageHeight() const;

    // The job. BeginDoc: false when nothing started (no printer: the message is shown; aborted; the device failed:
    // the failure is shown). NewPage and EndDoc: false when the device failed; the failure is shown.
    bool BeginDoc(TPrnExtSize Paper);
    bool NewPage(TPrnExtSize Paper);
    bool EndDoc();
    TPrnDevice& Device() { return Backend->Device(); }

private:
    bool Fail(const std::string& Error);
    TPrnOrientation FOrientation = pnPortrait;
    bool FPrinting = false;
    int FPageNumber = 0;
};

// "Unable to print... No Printer available."
const char* PrnNoPrinterMessage();
