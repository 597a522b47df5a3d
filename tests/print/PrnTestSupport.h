// Doubles for the print library's tests: a device that records what is drawn, a print backend that keeps the
// sheets it was given, and a scope that switches the numeric locale to German (generating it when the machine
// does not have it).
#pragma once

#include "print/PrnPageList.h"

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

class TRecordingDevice : public TPrnDevice {
public:
    struct TText {
        std::string Text;
        Extended X, Top;
    };
    Extended Ppi = 100;
    bool Printer = false;
    TPrnFixedMeasurer Fixed;
    std::vector<TText> Texts;
    std::vector<TPrnRect> Lines, Rects, Excluded;

    Extended PixelsPerInchX() const override { return Ppi; }
    Extended PixelsPerInchY() const override { return Ppi; }
    bool IsPrinter() const override { return Printer; }
    TPrnTextMeasurer& Measurer() override { return Fixed; }
    void SetPen(const TPrnPen*) override {}
    void SetBrush(const TPrnBrush*) override {}
    void Line(int X1, int Y1, int X2, int Y2) override { Lines.push_back({X1, Y1, X2, Y2}); }
    void Rectangle(const TPrnRect& R) override { Rects.push_back(R); }
    void SetPixel(int, int, TColor) override {}
    void TextOut(const TPrnFont&, Extended X, Extended Top, std::string_view Text) override
    {
        Texts.push_back({std::string(Text), X, Top});
    }
    void SaveClip() override {}
    void RestoreClip() override {}
    void IntersectClip(const TPrnRect&) override {}
    void ExcludeClip(const TPrnRect& R) override { Excluded.push_back(R); }
    // Pages placed on this device (several to a sheet): scale and corner in inches.
    std::vector<std::pair<Extended, TPrnExtPoint>> Placements;
    std::unique_ptr<TPrnDevice> Placed(Extended Scale, TPrnExtPoint Offset) override;
    bool Drew(const std::string& Text) const
    {
        for (const TText& t : Texts)
            if (t.Text == Text)
                return true;
        return false;
    }
};

// Draws into its parent, shrunk and moved as a page placed on a sheet: texts land at their place on the sheet.
class TPlacedRecorder : public TPrnDevice {
public:
    TPlacedRecorder(TRecordingDevice& Parent, Extended Scale, TPrnExtPoint Offset)
        : P(Parent), S(Scale), O(Offset)
    {
    }
    Extended PixelsPerInchX() const override { return P.Ppi * S; }
    Extended PixelsPerInchY() const override { return P.Ppi * S; }
    bool IsPrinter() const override { return P.Printer; }
    TPrnTextMeasurer& Measurer() override { return P.Fixed; }
    void SetPen(const TPrnPen*) override {}
    void SetBrush(const TPrnBrush*) override {}
    void Line(int X1, int Y1, int X2, int Y2) override { P.Line(X1 + DX(), Y1 + DY(), X2 + DX(), Y2 + DY()); }
    void Rectangle(const TPrnRect& R) override
    {
        P.Rectangle({R.Left + DX(), R.Top + DY(), R.Right + DX(), R.Bottom + DY()});
    }
    void SetPixel(int, int, TColor) override {}
    void TextOut(const TPrnFont& F, Extended X, Extended Top, std::string_view Text) override
    {
        P.TextOut(F, O.X + X * S, O.Y + Top * S, Text);
    }
    void SaveClip() override {}
    void RestoreClip() override {}
    void IntersectClip(const TPrnRect&) override {}
    void ExcludeClip(const TPrnRect&) override {}
    std::unique_ptr<TPrnDevice> Placed(Extended Scale, TPrnExtPoint Offset) override
    {
        return std::make_unique<TPlacedRecorder>(P, S * Scale, TPrnExtPoint{O.X + Offset.X * S, O.Y + Offset.Y * S});
    }

private:
    int DX() const { return P.X(O.X); }
    int DY() const { return P.Y(O.Y); }
    TRecordingDevice& P;
    Extended S;
    TPrnExtPoint O;
};

inline std::unique_ptr<TPrnDevice> TRecordingDevice::Placed(Extended Scale, TPrnExtPoint Offset)
{
    Placements.push_back({Scale, Offset});
    return std::make_unique<TPlacedRecorder>(*this, Scale, Offset);
}

// Keeps, per sheet, its paper, orientation and the texts drawn on it.
class TFakeBackend : public TPrnPrintBackend {
public:
    bool Available = true, Repeats = false, FailBegin = false, AbortCalled = false;
    int BeginCalls = 0;
    std::string Name = "Office";
    TPrnJobSettings Started;
    struct TSheet {
        TPrnExtSize Paper;
        TPrnOrientation Orientation;
        std::vector<std::string> Texts;
    };
    std::vector<TSheet> Sheets;
    TRecordingDevice Dev;

    bool PrinterAvailable() override { return Available; }
    bool CanRepeatCopies() override { return Repeats; }
    TPrnPrinterInfoData Info(TPrnOrientation) override { return {}; }
    bool Begin(const TPrnJobSettings& S, TPrnExtSize Paper, TPrnOrientation O, std::string& Error) override
    {
        ++BeginCalls;
        if (FailBegin) {
            Error = "The printer could not be started.";
            return false;
        }
        Started = S;
        Dev.Printer = true;
        Sheets.push_back({Paper, O, {}});
        return true;
    }
    bool NewPage(TPrnExtSize Paper, TPrnOrientation O, std::string&) override
    {
        Collect();
        Sheets.push_back({Paper, O, {}});
        return true;
    }
    TPrnDevice& Device() override { return Dev; }
    void Abort() override { AbortCalled = true; }
    std::string PrinterName() override { return Name; }
    bool End(std::string&) override
    {
        Collect();
        return true;
    }
    // The first body text of each sheet ("P3" for page 3).
    std::vector<std::string> Bodies() const
    {
        std::vector<std::string> b;
        for (const TSheet& s : Sheets)
            b.push_back(s.Texts.empty() ? "" : s.Texts.front());
        return b;
    }

private:
    void Collect()
    {
        for (auto& t : Dev.Texts)
            Sheets.back().Texts.push_back(t.Text);
        Dev.Texts.clear();
    }
};

// LC_NUMERIC German for the scope. Ok() is false (with Why) when the locale can neither be found nor generated.
class TGermanNumericLocale {
public:
    TGermanNumericLocale()
    {
        const char* old = std::setlocale(LC_NUMERIC, nullptr);
        Previous = old ? old : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
            if (std::setlocale(LC_NUMERIC, name)) {
                Switched = true;
                return;
            }
        // Not installed: compile it into a private folder and point the C library there.
        char dir[] = "/tmp/orlantis-locale-XXXXXX";
        if (!mkdtemp(dir)) {
            Why = "no temporary folder for the German locale";
            return;
        }
        std::string cmd = "localedef -i de_DE -f UTF-8 " + std::string(dir) + "/de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) {
            Why = "German locale not installed and localedef could not generate it";
            return;
        }
        setenv("LOCPATH", dir, 1);
        Switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        if (!Switched)
            Why = "generated German locale could not be selected";
    }
    ~TGermanNumericLocale() { std::setlocale(LC_NUMERIC, Previous.c_str()); }
    bool Ok() const { return Switched; }
    std::string Why;

private:
    std::string Previous;
    bool Switched = false;
};
