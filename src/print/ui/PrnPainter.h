// The one renderer of recorded pages: a print device on any QPainter (the preview's widget, QPrinter, QPdfWriter,
// QImage). Geometry is drawn in device pixels at the pixels per inch it is given; text is laid out and painted at a
// fixed reference resolution of 7200 to the inch and scaled to the device, and measured by the same font metrics,
// so that a line of text has the same length on screen, on paper and in PDF.
#pragma once

#include "print/PrnPageList.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <vector>

constexpr double PrnReferenceDpi = 7200;

// The font at the reference resolution (its pixel size is points x 100), never below 1 point.
QFont PrnQFont(const TPrnFont& Font);
QColor PrnQColor(TColor Color);

// Measures with Qt's font metrics at the reference resolution. Needs a QGuiApplication.
class TPrnQtMeasurer : public TPrnTextMeasurer {
public:
    Extended TextWidth(const TPrnFont& Font, std::string_view Text) override;
    Extended LineHeight(const TPrnFont& Font) override;
    Extended Ascent(const TPrnFont& Font) override;
    // Installs one Qt measurer as the measurer in force, and the Qt readers of the library's pictures.
    static void Install();
};

class TPrnPainterDevice : public TPrnDevice {
public:
    // The painter must stay active while the device draws; its transform is left as it was found.
    TPrnPainterDevice(QPainter& Painter, Extended PpiX, Extended PpiY, bool IsPrinter);
    Extended PixelsPerInchX() const override { return FPpiX; }
    Extended PixelsPerInchY() const override { return FPpiY; }
    bool IsPrinter() const override { return FIsPrinter; }
    TPrnTextMeasurer& Measurer() override;
    // Text edges smoothed (off for pure black-and-white output).
    bool SmoothText = true;

    void SetPen(const TPrnPen* Pen) override;
    void SetBrush(const TPrnBrush* Brush) override;
    void Line(int X1, int Y1, int X2, int Y2) override;
    void Rectangle(const TPrnRect& R) override;
    void SetPixel(int X, int Y, TColor Color) override;
    void TextOut(const TPrnFont& Font, Extended X, Extended Top, std::string_view Text) override;
    void SaveClip() override;
    void RestoreClip() override;
    void IntersectClip(const TPrnRect& R) override;
    void ExcludeClip(const TPrnRect& R) override;
    // The same painter, moved to Offset and drawing at Scale x this device's resolution.
    std::unique_ptr<TPrnDevice> Placed(Extended Scale, TPrnExtPoint Offset) override;

private:
    QPainter& P;
    Extended FPpiX, FPpiY;
    bool FIsPrinter;
    struct TClip {
        bool Enabled;
        QRegion Region;
    };
    std::vector<TClip> FClips;
};

// Page N of the list as an image at the given resolution (white paper), as the screen (IsPrinter false) or a
// printer would show it; ClipToMargins as the margins ask. For tests and thumbnails.
QImage PrnRenderPage(TPrnPageList& List, int N, double Ppi, bool IsPrinter);
