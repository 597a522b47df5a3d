// Text printing: a plain text laid out as page-long blocks of lines, one text-page object per page, each drawing
// its own block. Lines end at CR LF, LF or CR; tabs stand every eighth column. Lines per page come from the
// measured line height (never fewer than one), so screen and paper agree. With FitToPageWidth a text whose longest
// line is wider than the page is printed in a font small enough for it, instead of being cut at the right edge,
// but never below PrnTextMinFitSize: a text still wider at that size is wrapped at its blanks (a word longer than
// the page stands alone on its line and is cut). Plain C++.
#pragma once

#include "print/PrnPageList.h"

#include <string>

// The smallest size (points) to which FitToPageWidth shrinks a text; a size of its own below it is kept.
constexpr int PrnTextMinFitSize = 6;

class TPrnTextPrint {
public:
    std::string About() const { return PrnVersionString("TPrnTextPrint"); }
    std::string Text;
    TPrnPageList* Preview = nullptr;   // the preview's document
    TPrnFont TextFont{clBlack, 0, "Arial", 10, 0, 1};
    TColor TextColor = clBlack;
    bool WrapLines = false;
    bool FitToPageWidth = false;

    // Records the text from the document's current page on, one block of lines per page; the document then shows
    // page 1. An empty text records nothing. Without a document the library's error box is shown.
    void TextToPage();
    // The font the text is printed in: TextFont, shrunk with FitToPageWidth until the longest line fits Width or
    // the floor is reached.
    TPrnFont PrintFont(TPrnTextMeasurer& M, Extended Width) const;
};
