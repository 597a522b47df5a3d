#include "grid/XStrGridWrap.h"

#include <algorithm>

namespace {
bool IsBreak(char c) { return c == '\t' || c == ' ' || c == '-' || c == '.'; }
}  // namespace

std::vector<std::string> WrapCellText(const std::string& Text, int Width, int Height, int LineHeight,
    const std::function<int(const std::string&)>& TextWidth)
{
    // 1. Pieces ending after every break character.
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : Text) {
        piece += c;
        if (IsBreak(c)) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty() || pieces.empty())
        pieces.push_back(piece);
    // 2. Cut pieces that are too wide at the longest prefix that fits (at least one character).
    std::vector<std::string> lines;
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::string rest = pieces[i];
        while (!rest.empty() && TextWidth(rest) > Width && rest.size() > 1) {
            size_t fit = 1;
            while (fit < rest.size() && TextWidth(rest.substr(0, fit + 1)) <= Width)
                ++fit;
            if (rest.size() - fit == 1 && rest.back() == ' ')
                break;   // a lone trailing space stays with its piece
            lines.push_back(rest.substr(0, fit));
            rest = rest.substr(fit);
        }
        lines.push_back(rest);
    }
    // 3. Join a line ending in a break character with the next while the joined text fits.
    std::vector<std::string> joined;
    for (const std::string& line : lines) {
        if (!joined.empty() && !joined.back().empty() && IsBreak(joined.back().back()) &&
            TextWidth(joined.back() + line) <= Width)
            joined.back() += line;
        else
            joined.push_back(line);
    }
    // 4. Trailing blanks go.
    for (std::string& line : joined)
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
    // 5. As many lines as fit, at least one.
    size_t fits = LineHeight > 0 ? size_t(std::max(Height / LineHeight, 1)) : 1;
    if (joined.size() > fits)
        joined.resize(fits);
    return joined;
}
