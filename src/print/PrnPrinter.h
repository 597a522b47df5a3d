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

// Where a page stands on a sheet: its scale and the corner of the page on the sheet (inches).
struct TPrnPlacement {
    Extended Scale = 1;
    TPrnExtPoint Offset;
};
// The sheet that pages of PageSize are printed on: the page's own paper and orientation for one page per sheet
// and for four (in quarters); two pages share a sheet turned the other way (portrait pages side by side on a
// landscape sheet, landscape pages one above the other on a portrait sheet), so that each is shrunk least.
TPrnExtSize PrnSheetSize(TPrnExtSize PageSize, TPrnPagesPerSheet PerSheet);
// Slot 0.. of a sheet: two per sheet left/right or top/bottom at the largest scale that fits; four per sheet in
// the quarters (top left, top right, bottom left, bottom right) at 49 %. Each page is centred in its part.
TPrnPlacement PrnPagePlacement(TPrnExtSize Sheet, TPrnExtSize PageSize, TPrnPagesPerSheet PerSheet, int Slot);
int PrnPagesOnASheet(TPrnPagesPerSheet PerSheet);   // 1, 2 or 4

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
    // The job is given up: what was sent is withdrawn where the device allows it.
    virtual void Abort() {}
    // The printer the job goes to ('' when the device has no name); BeforePrint may switch it.
    virtual std::string PrinterName() { return ""; }
};

class TPrnPrinter {
public:
    std::string About() const { return PrnVersionString("TPrnPrinter"); }
    TPrnPrintBackend* Backend = nullptr;   // not owned
    TPrnJobSettings Settings;
    bool ReversePrintOrder = false;
    TPrnPagesPerSheet PagesPerSheet = pnOnePage;
    TPrnPaperSize PaperSize = pnA4;
    std::function<void(bool& Abort)> BeforePrint;
    std::function<void()> AfterPrint;
    // A job stopped by Abort (also from BeforePrint): nothing of it counts as printed and AfterPrint is not called.
    std::function<void()> OnAbortPrint;
    // BeforePrint switched the printer; the job takes the new printer's settings.
    std::function<void()> OnChangePrinter;

    int PrintCopies() const { return Settings.Copies; }
    void SetPrintCopies(int N) { Settings.Copies = N < 1 ? 1 : N; }
    bool Collate() const { return Settings.Collate; }
    void SetCollate(bool C) { Settings.Collate = C; }
    TPrnOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrnOrientation O) { FOrientation = O; }
    TPrnDitherType DitherType() const { return Settings.DitherType; }
    void SetDitherType(TPrnDitherType D) { Settings.DitherType = D; }
    TPrnPrintQuality PrintQuality() const { return Settings.PrintQuality; }
    void SetPrintQuality(TPrnPrintQuality Q) { Settings.PrintQuality = Q; }
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPageNumber; }
    // Stops the job in progress (from BeforePrint or a progress handler): the device gives it up, OnAbortPrint
    // is called, and the job answers false.
    void Abort();

    // Printer information: the default device (A4 at 300 pixels per inch) when there is no printer.
    bool PrinterAvailable() const { return Backend && Backend->PrinterAvailable(); }
    TPrnPrinterInfoData Info() const;
    // The unprintable border in inches; rotated for landscape.
    TPrnExtRect GetPrinterMargins(TPrnOrientation O) const;
    Extended PageWidth() const;    // inches, in the current orientation
    Extended PageHeight() const;

    // The job. BeginDoc: false when nothing started (no printer: the message is shown; aborted; the device failed:
    // the failure is shown). NewPage and EndDoc: false when the device failed (the failure is shown) or the job
    // was aborted. Paper is the page's; the device is given the sheet that PagesPerSheet makes of it, and NewPage
    // starts a new sheet only when the sheet in use is full.
    bool BeginDoc(TPrnExtSize Paper);
    bool NewPage(TPrnExtSize Paper);
    bool EndDoc();
    TPrnDevice& Device() { return Backend->Device(); }
    // The device for the page being printed, placed on its sheet.
    std::unique_ptr<TPrnDevice> PageDevice(TPrnExtSize Paper);

private:
    bool Fail(const std::string& Error);
    bool Stop();
    TPrnOrientation SheetOrientation(TPrnExtSize Paper) const;
    TPrnOrientation FOrientation = pnPortrait;
    bool FPrinting = false;
    bool FAborted = false;
    int FPageNumber = 0;
};

// "Unable to print... No Printer available."
const char* PrnNoPrinterMessage();
