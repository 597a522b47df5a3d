// The small languages of the screen-text parser: lines and bracketed values, template lists, the format language
// of "FormatAttr"/"FormatValue" and the split rule of "ConvertToStrings". Pure functions over texts;
// none reads outside its input, whatever the input holds.
#include "engine/DataManager.h"

#include "platform/StrUtil.h"

#include <algorithm>
#include <cctype>
#include <cstring>

std::vector<std::string> SplitScreenLines(const std::string& Text)
{
    // A line break ends a line; a text that ends with a break has no empty line after it.
    std::vector<std::string> lines;
    size_t start = 0, i = 0;
    while (i < Text.size()) {
        char c = Text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(Text.substr(start, i - start));
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
                ++i;
            start = ++i;
        } else
            ++i;
    }
    if (start < Text.size())
        lines.push_back(Text.substr(start));
    return lines;
}

std::string BracketContent(const std::string& Line)
{
    char open = 0, close = 0;
    size_t p = Line.find('[');
    if (p != std::string::npos) {
        open = '[';
        close = ']';
    } else if ((p = Line.find('(')) != std::string::npos) {
        open = '(';
        close = ')';
    }
    if (!open)
        return {};
    size_t e = Line.find(close, p + 1);
    return Trim(Line.substr(p + 1, e == std::string::npos ? std::string::npos : e - p - 1));
}

int FindLine(const std::string& Text, const std::vector<std::string>& Lines, int First, int Last)
{
    if (Text.empty() || Lines.empty())
        return -1;
    int last = std::min(Last, int(Lines.size()) - 1);
    // A value's text may hold any caption or end line ("End of Mailbox" as a name): only the line's own text,
    // before its value's "[", is searched.
    for (int i = std::max(First, 0); i <= last; ++i) {
        const std::string& Line = Lines[size_t(i)];
        const size_t At = Line.find(Text);
        if (At != std::string::npos && Line.find('[') >= At)
            return i;
    }
    return -1;
}

// --- Template lists ------------------------------------------------------------------------------------------

namespace {
// The items of a template text as written (before ranges are walked).
std::vector<std::string> templateItems(const std::string& TemplateAttr)
{
    size_t p1 = TemplateAttr.find('%');
    size_t p2 = p1 == std::string::npos ? p1 : TemplateAttr.find('%', p1 + 1);
    if (p2 == std::string::npos)
        return {std::string()};
    std::string inner = Trim(TemplateAttr.substr(p1 + 1, p2 - p1 - 1));
    if (inner.empty())
        return {std::string()};
    std::vector<std::string> items;
    size_t from = 0;
    for (;;) {
        size_t comma = inner.find(',', from);
        items.push_back(Trim(inner.substr(from, comma == std::string::npos ? std::string::npos : comma - from)));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return items;
}

// A range item "a..b": its ends and the width of b as written. False for anything else.
bool rangeItem(const std::string& Item, int32_t& A, int32_t& B, size_t& Width, bool& IsRange)
{
    size_t dots = Item.find("..");
    IsRange = dots != std::string::npos;
    if (!IsRange)
        return false;
    std::string a = Trim(Item.substr(0, dots)), b = Trim(Item.substr(dots + 2));
    // An empty or sign-only bound is a bad number of the description: the strict conversion raises.
    for (const std::string* bound : {&a, &b})
        if (bound->empty() || *bound == "-" || *bound == "+")
            StrToInt(*bound);
    if (!TryStrToInt(a, A) || !TryStrToInt(b, B))
        return false;
    Width = b.size();
    return true;
}

std::string padLeft(std::string s, size_t Width)
{
    if (s.size() < Width)
        s.insert(0, Width - s.size(), ' ');
    return s;
}
}

bool TemplateItem(const std::string& TemplateAttr, int64_t Index, std::string& Item)
{
    if (Index < 0)
        return false;
    for (const std::string& it : templateItems(TemplateAttr)) {
        int32_t a = 0, b = 0;
        size_t width = 0;
        bool isRange = false;
        if (rangeItem(it, a, b, width, isRange)) {
            int64_t n = b >= a ? int64_t(b) - a + 1 : 0;
            if (Index < n) {
                Item = padLeft(IntToStr(int64_t(a) + Index), width);
                return true;
            }
            Index -= n;
            continue;
        }
        if (Index == 0) {
            // A range whose ends are no numbers stands for one empty item.
            Item = isRange ? std::string() : it;
            return true;
        }
        --Index;
    }
    return false;
}

std::vector<std::string> TemplateList(const std::string& TemplateAttr, size_t Limit)
{
    // The text is split once and walked once: item by item through TemplateItem, a list costs the square of its
    // length, and File Open names thousands of nodes from lists.
    std::vector<std::string> list;
    for (const std::string& it : templateItems(TemplateAttr)) {
        if (list.size() >= Limit)
            break;
        int32_t a = 0, b = 0;
        size_t width = 0;
        bool isRange = false;
        if (rangeItem(it, a, b, width, isRange)) {
            for (int64_t v = a; v <= b && list.size() < Limit; ++v)
                list.push_back(padLeft(IntToStr(v), width));
            continue;
        }
        list.push_back(isRange ? std::string() : it);
    }
    return list;
}

// --- Format language ---------------------------------------------------------------------------------------

namespace {
// The loose test the format language uses before converting a width: an optional sign and digits only. An
// empty text or a lone sign passes it, and the strict conversion then raises, as the format's authors expect.
bool looksSigned(const std::string& s)
{
    size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    for (; i < s.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}

bool isDigitAt(const std::string& V, int64_t Pos)   // 1-based
{
    return Pos >= 1 && Pos <= int64_t(V.size()) && std::isdigit(static_cast<unsigned char>(V[size_t(Pos - 1)]));
}

// Whether a delimiter ending before Pos (1-based position of the character after it) satisfies the class.
bool classAllows(char Class, const std::string& Arg, const std::string& V, int64_t Pos)
{
    switch (Class) {
    case 'd':
        return isDigitAt(V, Pos);
    case 'D':
        return !isDigitAt(V, Pos);
    case '^':
        return Arg.empty() ? false : V.compare(size_t(std::min<int64_t>(Pos - 1, int64_t(V.size()))),
                                              Arg.size(), Arg) != 0;
    default:
        return false;
    }
}

std::string copyText(const std::string& V, int64_t From, int64_t Count)   // 1-based, clamped
{
    int64_t len = int64_t(V.size());
    if (From < 1) {
        Count += From - 1;
        From = 1;
    }
    if (Count <= 0 || From > len)
        return {};
    return V.substr(size_t(From - 1), size_t(std::min(Count, len - From + 1)));
}

// One delimiter item applied at Cursor: the piece, and Cursor moved.
std::string delimiterPiece(const std::string& Delimiter, const std::string& V, int64_t& Cursor)
{
    int64_t len = int64_t(V.size());
    while (Cursor >= 1 && Cursor <= len && V[size_t(Cursor - 1)] == ' ')
        ++Cursor;
    std::string d = Delimiter;
    char cls = 0;
    std::string arg;
    size_t b = d.find('\\');
    if (b != std::string::npos) {
        size_t b2 = d.find('\\', b + 1);
        std::string c = d.substr(b + 1, b2 == std::string::npos ? std::string::npos : b2 - b - 1);
        d.erase(b);
        // Two backslashes in a row name no class: the delimiter stands alone.
        if (!c.empty()) {
            cls = c[0];
            arg = c.substr(1);
        }
    }
    auto restPiece = [&] {
        std::string piece = copyText(V, Cursor, len - Cursor + 1);
        Cursor = len + 1;
        return piece;
    };
    if (d.empty()) {
        if (!cls)
            return restPiece();
        for (int64_t p = std::max<int64_t>(Cursor, 1); p <= len; ++p) {
            bool ends = false;
            switch (cls) {
            case 'd': ends = isDigitAt(V, p); break;
            case 'D': ends = !isDigitAt(V, p); break;
            case '^': ends = !arg.empty() && V.compare(size_t(p - 1), arg.size(), arg) != 0; break;
            default: break;
            }
            if (ends) {
                std::string piece = copyText(V, Cursor, p - Cursor);
                Cursor = p;
                return piece;
            }
        }
        return restPiece();
    }
    // The first alternative, in list order, that occurs at or after the cursor.
    std::string alt;
    size_t from = 0;
    for (;;) {
        size_t bar = d.find('|', from);
        std::string a = d.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
        if (!a.empty() && PosFrom(a, V, int(std::min<int64_t>(Cursor, len + 1))) > 0) {
            alt = a;
            break;
        }
        if (bar == std::string::npos)
            break;
        from = bar + 1;
    }
    if (alt.empty() || Cursor > len)
        return restPiece();
    int64_t p = PosFrom(alt, V, int(Cursor));
    while (p > 0 && cls && !classAllows(cls, arg, V, p + int64_t(alt.size())))
        p = PosFrom(alt, V, int(p + 1));
    if (p <= 0)
        return restPiece();
    std::string piece = copyText(V, Cursor, p - Cursor);
    Cursor = p + int64_t(alt.size());
    return piece;
}
}

std::vector<std::string> ApplyFormat(const std::string& Format, const std::string& Value)
{
    std::vector<std::string> fields;
    const int64_t len = int64_t(Value.size());
    int64_t cursor = 1;
    size_t i = 0;
    while (i < Format.size()) {
        char letter = Format[i];
        if (letter != 'S' && letter != 'R')
            break;
        ++i;
        bool minus = i < Format.size() && Format[i] == '-';
        if (minus)
            ++i;
        bool hasWidth = false, hasDelimiter = false;
        int64_t width = 0;
        std::string delimiter;
        if (i < Format.size()) {
            char q = Format[i];
            if (q == '\'' || q == '"') {
                hasDelimiter = true;
                ++i;
                while (i < Format.size()) {
                    if (Format[i] == q) {
                        if (i + 1 < Format.size() && Format[i + 1] == q) {
                            delimiter += q;
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    delimiter += Format[i++];
                }
                if (i < Format.size())
                    ++i;   // the separator after the delimiter
            } else {
                size_t e = Format.find(';', i);
                std::string w = Format.substr(i, e == std::string::npos ? std::string::npos : e - i);
                i = e == std::string::npos ? Format.size() : e + 1;
                if (looksSigned(w)) {
                    int32_t v = StrToInt(w);
                    if (v >= 1) {
                        hasWidth = true;
                        width = v;
                    }
                }
            }
        }
        std::string piece;
        if (hasWidth) {
            if (!minus) {
                piece = copyText(Value, cursor, width);
                cursor += width;
            } else {
                int64_t start = std::max<int64_t>(1, cursor - width);
                piece = copyText(Value, start, std::min(cursor, len + 1) - start);
                cursor = start;
            }
        } else if (hasDelimiter) {
            piece = delimiterPiece(delimiter, Value, cursor);
        } else if (!minus) {
            piece = copyText(Value, cursor, len - cursor + 1);
            cursor = len + 1;
        } else {
            piece = copyText(Value, 1, std::min(cursor, len + 1) - 1);
            cursor = 1;
        }
        if (letter == 'R')
            fields.push_back(Trim(piece));
        if ((hasWidth || hasDelimiter) && cursor > len)
            break;
    }
    return fields;
}

// --- Split rule -----------------------------------------------------------------------------------

std::vector<std::string> ConvertToStrings(const std::string& Spec, const std::vector<std::string>& Lines, int First,
    int Stop)
{
    size_t i = 0;
    auto key = [&](const char* k) {
        size_t n = std::strlen(k);
        if (Spec.compare(i, n, k) != 0)
            return false;
        i += n;
        return true;
    };
    auto untilComma = [&] {
        size_t e = Spec.find(',', i);
        std::string t = Spec.substr(i, e == std::string::npos ? std::string::npos : e - i);
        i = e == std::string::npos ? Spec.size() : e + 1;
        return t;
    };
    int32_t left = 0, width = 0, count = 0;
    std::string find;
    if (key("Left:"))
        left = StrToInt(Trim(untilComma()));
    if (key("Width:"))
        width = StrToInt(Trim(untilComma()));
    if (key("Find:")) {
        if (i < Spec.size() && (Spec[i] == '\'' || Spec[i] == '"')) {
            char q = Spec[i++];
            while (i < Spec.size()) {
                if (Spec[i] == q) {
                    if (i + 1 < Spec.size() && Spec[i + 1] == q) {
                        find += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                find += Spec[i++];
            }
            untilComma();
        } else
            find = untilComma();
    }
    if (key("Count:"))
        count = StrToInt(Trim(untilComma()));

    std::vector<std::string> pieces;
    if (width <= 0 && find.empty())
        return pieces;
    int stop = std::min(Stop, int(Lines.size()));
    for (int k = std::max(First, 0); k < stop; ++k) {
        const std::string& line = Lines[size_t(k)];
        if (line.empty())
            continue;
        std::string rest = left > 0 ? (size_t(left) < line.size() ? line.substr(size_t(left)) : std::string()) : line;
        size_t most = count > 0 ? size_t(count) : rest.size();
        size_t made = 0;
        if (width > 0) {
            while (made < most) {
                std::string piece = rest.substr(0, size_t(width));
                if (piece.empty())
                    break;
                pieces.push_back(piece);
                rest.erase(0, piece.size());
                ++made;
            }
        } else {
            // The rest after the last occurrence is the last piece, even when it is empty.
            bool afterFind = false;
            while (made < most) {
                if (rest.empty()) {
                    if (afterFind)
                        pieces.emplace_back();
                    break;
                }
                size_t p = rest.find(find);
                if (p == 0)
                    break;
                if (p == std::string::npos) {
                    pieces.push_back(rest);
                    break;
                }
                pieces.push_back(rest.substr(0, p));
                rest.erase(0, p + find.size());
                afterFind = true;
                ++made;
            }
        }
    }
    return pieces;
}
