// The surface a recorded page is drawn on. The core draws geometry in device pixels (inches x pixels per inch,
// rounded) and places text in inches, which the device lays out at its fixed reference resolution; the Qt layer
// implements this once on QPainter for the preview, the printer, PDF and images.
#pragma once

#include "print/PrnText.h"

#include <ctime>
#include <memory>

class TPrnDevice {
public:
    virtual ~TPrnDevice() = default;
    virtual Extended PixelsPerInchX() const = 0;
    virtual Extended PixelsPerInchY() const = 0;
    // True on a printer or PDF: objects marked screen-only are left out.
    virtual bool IsPrinter() const = 0;
    virtual TPrnTextMeasurer& Measurer() = 0;

    virtual void SetPen(const TPrnPen* Pen) = 0;        // nullptr: no outline
    virtual void SetBrush(const TPrnBrush* Brush) = 0;  // nullptr: no fill
    virtual void Line(int X1, int Y1, int X2, int Y2) = 0;
    virtual void Rectangle(const TPrnRect& R) = 0;      // filled with the brush, outlined with the pen
    virtual void SetPixel(int X, int Y, TColor Color) = 0;
    // One line of text whose cell starts at (X, Top), inches from the page's corner.
    virtual void TextOut(const TPrnFont& Font, Extended X, Extended Top, std::string_view Text) = 0;

    // Clipping nests: SaveClip/RestoreClip bracket IntersectClip and ExcludeClip.
    virtual void SaveClip() = 0;
    virtual void RestoreClip() = 0;
    virtual void IntersectClip(const TPrnRect& R) = 0;
    virtual void ExcludeClip(const TPrnRect& R) = 0;

    // A device on which a page is drawn shrunk by Scale, its corner at Offset (inches from this device's corner):
    // how two or four pages share one sheet. It draws through this device, which must outlive it.
    virtual std::unique_ptr<TPrnDevice> Placed(Extended Scale, TPrnExtPoint Offset) = 0;

    int X(Extended Inches) const { return ScaleToPixels(Inches, PixelsPerInchX()); }
    int Y(Extended Inches) const { return ScaleToPixels(Inches, PixelsPerInchY()); }
    TPrnRect Pixels(const TPrnExtRect& R) const { return ScaleRect(R, PixelsPerInchX(), PixelsPerInchY()); }
};

// What an object needs to draw itself: the device, the page it stands on and the time for "{DATE}" and "{TIME}".
struct TPrnDrawContext {
    TPrnDevice& Device;
    int PageNumber = 1;
    int PageCount = 1;
    std::tm Now{};
};

// A closed outline through the rectangle's four corners (device pixels), in the device's current pen.
inline void DrawRectOutline(TPrnDevice& D, const TPrnRect& R)
{
    const int x[] = {R.Left, R.Right, R.Right, R.Left}, y[] = {R.Top, R.Top, R.Bottom, R.Bottom};
    for (int i = 0; i < 4; ++i)
        D.Line(x[i], y[i], x[(i + 1) % 4], y[(i + 1) % 4]);
}
