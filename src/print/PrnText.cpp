#include "print/PrnText.h"

#include <atomic>

namespace {
std::atomic<TPrnTextMeasurer*> current{nullptr};
}

TPrnTextMeasurer& TPrnTextMeasurer::instance()
{
    static TPrnFixedMeasurer fixed;
    TPrnTextMeasurer* m = current.load();
    return m ? *m : fixed;
}

TPrnTextMeasurer* TPrnTextMeasurer::setInstance(TPrnTextMeasurer* M) { return current.exchange(M); }

std::string ExpandTabs(std::string_view Line)
{
    std::string out;
    for (char c : Line) {
        if (c == '\t')
            out.append(8 - out.size() % 8, ' ');
        else
            out += c;
    }
    return out;
}

namespace {
void WrapLine(TPrnTextMeasurer& M, const TPrnFont& Font, const std::string& Line, Extended Width,
    std::vector<std::string>& Out)
{
    std::string current;
    size_t pos = 0;
    while (pos < Line.size()) {
        size_t wordEnd = Line.find(' ', pos);
        if (wordEnd == std::string::npos)
            wordEnd = Line.size();
        // The word with the blanks before it; a word that does not fit starts a new line without them.
        std::string candidate = current + Line.substr(pos, wordEnd - pos);
        if (!current.empty() && M.TextWidth(Font, candidate) > Width + 1e-9L) {
            size_t keep = current.find_last_not_of(' ');
            Out.push_back(keep == std::string::npos ? std::string() : current.substr(0, keep + 1));
            current = Line.substr(pos, wordEnd - pos);
        } else {
            current = std::move(candidate);
        }
        size_t next = Line.find_first_not_of(' ', wordEnd);
        if (next == std::string::npos)
            next = Line.size();
        current += Line.substr(wordEnd, next - wordEnd);
        pos = next;
    }
    Out.push_back(current);
}
}

std::vector<std::string> LayoutText(TPrnTextMeasurer& M, const TPrnFont& Font, std::string_view Text,
    Extended Width, bool WordBreak)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        size_t end = Text.find_first_of("\r\n", start);
        std::string line = ExpandTabs(Text.substr(start, end == std::string_view::npos ? end : end - start));
        if (WordBreak)
            WrapLine(M, Font, line, Width, lines);
        else
            lines.push_back(std::move(line));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
        if (Text[end] == '\r' && start < Text.size() && Text[start] == '\n')
            ++start;
        if (start >= Text.size())
            break;
    }
    return lines;
}

Extended TextHeight(TPrnTextMeasurer& M, const TPrnFont& Font, std::string_view Text, Extended Width,
    bool WordBreak)
{
    if (Text.empty())
        return 0;
    return Extended(LayoutText(M, Font, Text, Width, WordBreak).size()) * M.LineHeight(Font);
}
