#include "grid/XStrGridWrap.h"

#include <algorithm>

namespace {
bool IsBreak(char c) { return c == '\t' || c == ' ' || c == '-' || c == '.'; }

// The longest prefix of Text (at least one character) whose width stays within Width, found by measuring
// prefixes that grow by doubling and then halving the gap: the cost follows the width of a line, not the length
// of the text, so a long word without blanks costs about what a short one does.
size_t FittingPrefix(const std::string& Text, size_t From, int Width,
    const std::function<int(const std::string&)>& TextWidth)
{
    size_t size = Text.size() - From;
    auto fits = [&](size_t n) { return TextWidth(Text.substr(From, n)) <= Width; };
    size_t good = 0, bad = 0, n = std::min<size_t>(8, size);
    while (true) {
        if (!fits(n)) {
            bad = n;
            break;
        }
        good = n;
        if (n == size)
            return size;
        n = std::min(n * 2, size);
    }
    while (bad - good > 1) {
        size_t mid = good + (bad - good) / 2;
        if (fits(mid))
            good = mid;
        else
            bad = mid;
    }
    return std::max<size_t>(good, 1);
}
}  // namespace

std::vector<std::string> WrapCellText(const std::string& Text, int Width, int Height, int LineHeight,
    const std::function<int(const std::string&)>& TextWidth)
{
    const size_t fits = LineHeight > 0 ? size_t(std::max(Height / LineHeight, 1)) : 1;
    std::vector<std::string> joined;
    // Step 3 as lines come: a line ending in a break character takes the next one when the two fit together.
    // Only the last line can still grow, so once a line beyond the height starts, the kept lines are final and the
    // rest of the text is never measured.
    auto emit = [&](std::string line) {
        if (!joined.empty() && !joined.back().empty() && IsBreak(joined.back().back()) &&
            TextWidth(joined.back() + line) <= Width)
            joined.back() += line;
        else
            joined.push_back(std::move(line));
        return joined.size() <= fits;
    };
    // 1. Pieces end after every break character; 2. a piece too wide is cut at the longest prefix that fits.
    size_t start = 0;
    bool more = true;
    while (more && start <= Text.size()) {
        size_t end = start;
        while (end < Text.size() && !IsBreak(Text[end]))
            ++end;
        if (end < Text.size())
            ++end;   // the break character stays with its piece
        std::string piece = Text.substr(start, end - start);
        if (piece.empty() && !joined.empty())
            break;
        size_t from = 0;
        while (more && from < piece.size()) {
            size_t fit = FittingPrefix(piece, from, Width, TextWidth);
            size_t left = piece.size() - from - fit;
            if (left == 0 || (left == 1 && piece.back() == ' ')) {
                more = emit(piece.substr(from));   // fits, or only a lone trailing space would be cut off
                break;
            }
            more = emit(piece.substr(from, fit));
            from += fit;
        }
        if (piece.empty())
            more = emit(std::string());
        start = end;
        if (end >= Text.size())
            break;
    }
    // 5. As many lines as fit, at least one; 4. trailing blanks go.
    if (joined.empty())
        joined.emplace_back();
    if (joined.size() > fits)
        joined.resize(fits);
    for (std::string& line : joined)
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
    return joined;
}
