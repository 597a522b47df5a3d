// Rich text of the print library's memos: a small model (paragraphs of runs, each run with its font, style and
// colour) with our own reader and writer of the RTF that such memos hold: paragraphs and line breaks, tabs,
// escapes, \'hh and \uN characters, bold, italic, underline, font name and size, the colour table and paragraph
// alignment. Whatever else a text carries (pictures, styles, tables, document information) is skipped, never
// shown as text. Run text is UTF-8. Plain C++.
#pragma once

#include "print/PrnResource.h"

#include <string>
#include <string_view>
#include <vector>

struct TPrnRtfRun {
    std::string Text;   // UTF-8; never holds a line break
    TPrnFont Font;      // name, size (points), style and colour
    bool operator==(const TPrnRtfRun&) const = default;
};

struct TPrnRtfParagraph {
    std::vector<TPrnRtfRun> Runs;
    TAlignment Alignment = taLeftJustify;
    bool operator==(const TPrnRtfParagraph&) const = default;
};

struct TPrnRichText {
    std::vector<TPrnRtfParagraph> Paragraphs;
    bool operator==(const TPrnRichText&) const = default;
    // The text with paragraphs joined by CR LF.
    std::string PlainText() const;
    bool Empty() const;
    // Adjacent runs of the same font joined, and empty runs dropped, so that equal texts compare equal.
    void Normalize();
};

// The font a text starts with when it names none.
TPrnFont RtfDefaultFont();
// Reads RTF leniently: unknown control words are ignored, unknown destinations skipped, a missing closing brace
// ends the text. Text that does not start with "{\rtf" is taken as plain single-byte text in the default font.
TPrnRichText RtfRead(std::string_view Rtf);
// Writes a complete RTF document: font table, colour table, then the paragraphs.
std::string RtfWrite(const TPrnRichText& Text);
// A plain text of single-byte characters (CR LF, LF or CR between paragraphs) as rich text in one font.
TPrnRichText RichTextFromPlain(std::string_view Text, const TPrnFont& Font);
