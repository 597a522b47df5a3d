// The recording canvas: every drawing call becomes an object on the page list's current page, carrying copies
// of the canvas's current pen, brush and font (shared through the resource table). Coordinates come in any unit
// and are stored in inches, measured from the origin CoordsRelativeTo names. Plain C++.
#pragma once

#include "print/PrnObjects.h"

#include <string>

class TPrnPageList;
class TPrnRichEdit;

class TPrnCanvas {
public:
    explicit TPrnCanvas(TPrnPageList& Owner);

    TPrnCoordsRelative CoordsRelativeTo = pnFromPage;
    TPrnMeasurement DefaultMeasurement = pnMillimeters;
    TPrnPen Pen;
    TPrnBrush Brush{clWhite, bsClear};
    TPrnFont Font{clBlack, 0, "Arial", 10, 0, 1};
    bool WordBreak = true;

    void Line(TPrnMeasurement Unit, Extended X1, Extended Y1, Extended X2, Extended Y2);
    void Rectangle(TPrnMeasurement Unit, Extended X1, Extended Y1, Extended X2, Extended Y2);
    // With a height of 0 the box grows to the laid-out text; the text height is measured whenever the height is 0
    // or the text is not aligned to the top.
    void TextBox(TPrnMeasurement Unit, Extended Left, Extended Top, Extended Right, Extended Bottom,
        const std::string& Text, TAlignment Alignment, TPrnVertAlignment VertAlignment, Extended InnerMargin);
    // Records one page's share of Text, block Block of its lines (-1: the block of the page it is drawn on);
    // answers the number of pages the whole text needs.
    int TextPage(TPrnMeasurement Unit, Extended Left, Extended Top, Extended Right, Extended Bottom,
        const std::string& Text, TAlignment Alignment, Extended InnerMargin, int Block = -1);
    void ExcludeClipRect(TPrnMeasurement Unit, Extended X1, Extended Y1, Extended X2, Extended Y2);
    // Places a copy of Source's rich text on the current page, formatted into the rectangle when the page is
    // drawn; the copy is kept in the document's memo list. Answers the height the text takes there, in Unit.
    Extended RichText(TPrnMeasurement Unit, Extended Left, Extended Top, Extended Right, Extended Bottom,
        const TPrnRichEdit& Source);
    // Pictures of equal content are stored once in the document (the graphic list's CompareGraphics).
    bool CompareGraphics() const;
    void SetCompareGraphics(bool C);
    // Height of Text in the current font wrapped to Width, in Unit; nothing is recorded.
    Extended TextHeightUnit(const std::string& Text, TPrnMeasurement Unit, Extended Width);

    void SaveValues();
    void RestoreValues();
    TPrnBaseObject* LastObject() const { return FLastObject; }

private:
    void Add(std::unique_ptr<TPrnBaseObject> Object);
    TPrnPageList& FOwner;
    TPrnBaseObject* FLastObject = nullptr;
    struct TSaved {
        TPrnPen Pen;
        TPrnBrush Brush;
        TPrnFont Font;
    } FSaved;
};
