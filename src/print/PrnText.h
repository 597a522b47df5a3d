// Text measuring and line layout for the print library. All text is laid out in inches through one measuring
// interface, so that a page breaks its lines the same way in the preview, on paper and in PDF: the Qt layer
// measures with font metrics at a fixed reference resolution; layout tests use the fixed-advance measurer.
#pragma once

#include "print/PrnResource.h"

#include <string>
#include <string_view>
#include <vector>

class TPrnTextMeasurer {
public:
    virtual ~TPrnTextMeasurer() = default;
    virtual Extended TextWidth(const TPrnFont& Font, std::string_view Text) = 0;   // inches, one line
    virtual Extended LineHeight(const TPrnFont& Font) = 0;                          // ascent + descent, inches
    virtual Extended Ascent(const TPrnFont& Font) = 0;                              // inches

    // The measurer in force; the fixed-advance one until the Qt layer installs its own.
    static TPrnTextMeasurer& instance();
    static TPrnTextMeasurer* setInstance(TPrnTextMeasurer* M);   // not owned; returns the previous one
};

// Every character advances 0.6 x the point size; a line is 1.2 x the point size high. Predictable layouts.
class TPrnFixedMeasurer : public TPrnTextMeasurer {
public:
    Extended TextWidth(const TPrnFont& Font, std::string_view Text) override
    {
        return Extended(Text.size()) * Font.EffectiveSize() * 0.6L / 72;
    }
    Extended LineHeight(const TPrnFont& Font) override { return Font.EffectiveSize() * 1.2L / 72; }
    Extended Ascent(const TPrnFont& Font) override { return Font.EffectiveSize() * 1.0L / 72; }
};

// Tabs to spaces at every eighth column.
std::string ExpandTabs(std::string_view Line);
// The text as it is drawn: split at CR, LF or CR LF, tabs expanded, and with WordBreak wrapped at blanks so that
// each line fits Width where its words allow (a word longer than the width stands alone on its line).
std::vector<std::string> LayoutText(TPrnTextMeasurer& M, const TPrnFont& Font, std::string_view Text,
    Extended Width, bool WordBreak);
// Height of the laid-out text, inches.
Extended TextHeight(TPrnTextMeasurer& M, const TPrnFont& Font, std::string_view Text, Extended Width,
    bool WordBreak);
