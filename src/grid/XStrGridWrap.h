// Breaking a cell text into the lines a cell shows: pieces end after blanks, tabs, hyphens and points, pieces
// too wide are cut, neighbours are joined again where they fit, and only the lines that fit the height are kept.
// Pure text work: the caller supplies the width measure, so tests run with a fixed advance.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Width: the room for text (cell width - 6); Height: the cell height; LineHeight: the text height. At least one
// line is returned (possibly empty). WidestChar, when above 0, is the largest advance of a printable ASCII character
// in the font: a text of such characters that would fit if every one were that wide is taken whole unmeasured.
std::vector<std::string> WrapCellText(const std::string& Text, int Width, int Height, int LineHeight,
    const std::function<int(const std::string&)>& TextWidth, int WidestChar = 0);
