#include "grid/XStrGridWrap.h"

#include <algorithm>

namespace {
bool IsBreak(char c) { return c == '\t' || c == ' ' || c == '-' || c == '.'; }

// The longest prefix of Text from From (at least one character) whose width stays within Width. The first
// measure gives a guess of how many characters fit; from there the bounds grow by doubling and close by halving,
// so the cost follows a line, not the text: a long word without blanks costs about what a short one does.
size_t FittingPrefix(const std::string& Text, size_t From, int Width,
    const std::function<int(const std::string&)>& TextWidth)
{
    const size_t size = Text.size() - From;
    auto fits = [&](size_t n) { return TextWidth(Text.substr(From, n)) <= Width; };
    size_t first = std::min<size_t>(8, size);
    int firstWidth = TextWidth(Text.substr(From, first));
    size_t good = 0, bad = 0;   // good fits (0: none known), bad does not (0: none known)
    if (firstWidth <= Width) {
        if (first == size)
            return size;
        good = first;
    } else {
        bad = first;
    }
    size_t guess = firstWidth > 0 ? size_t(double(first) * Width / firstWidth) : size;
    guess = std::clamp<size_t>(guess, 1, size);
    if (guess > good && (bad == 0 || guess < bad)) {
        if (fits(guess))
            good = guess;
        else
            bad = guess;
    }
    // Grow until a length that does not fit is known (or the whole rest fits).
    for (size_t step = 1; bad == 0; step *= 2) {
        size_t n = std::min(good + step, size);
        if (fits(n)) {
            good = n;
            if (n == size)
                return size;
        } else {
            bad = n;
        }
    }
    // Shrink until a length that fits is known (one character always counts as fitting).
    for (size_t step = 1; good == 0;) {
        size_t n = bad > step ? bad - step : 0;
        if (n == 0)
            break;
        if (fits(n))
            good = n;
        else
            bad = n;
        step *= 2;
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
    const std::function<int(const std::string&)>& TextWidth, int WidestChar)
{
    const size_t fits = LineHeight > 0 ? size_t(std::max(Height / LineHeight, 1)) : 1;
    // Most cell texts fit their cell whole: then every piece fits and every neighbour joins, so the text is its one
    // line, found by one measure. Only a text short enough to have a chance is measured whole (at least two pixels
    // a character), so that a long one still costs no more than its kept lines. A short one that fits even at the
    // widest character's advance throughout needs no measure at all.
    auto fitsAtWidest = [&] {
        if (WidestChar <= 0 || Text.size() > size_t(std::max(Width, 0) / WidestChar))
            return false;
        return std::all_of(Text.begin(), Text.end(), [](char c) { return c >= ' ' && c <= '~'; });
    };
    if (Text.size() <= size_t(std::max(Width, 0)) / 2 && (fitsAtWidest() || TextWidth(Text) <= Width)) {
        std::string line = Text;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        return {line};
    }
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
        // Full, and the last line cannot take the next: whatever follows is cut off anyway.
        return joined.size() < fits || (joined.size() == fits && !joined.back().empty() && IsBreak(joined.back().back()));
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
