#include "platform/StrUtil.h"

#include "platform/Exception.h"

#include <charconv>
#include <climits>

const char* UserBreakMessage() { return "User break. Operation is not complited!"; }

bool TryStrToInt(std::string_view text, int32_t& Value)
{
    if (text.empty())
        return false;
    std::string_view digits = text;
    bool negative = false;
    if (digits.front() == '+' || digits.front() == '-') {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty())
        return false;
    int64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > int64_t(INT32_MAX) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    Value = int32_t(v);
    return true;
}

int32_t StrToInt(std::string_view text)
{
    int32_t v = 0;
    if (!TryStrToInt(text, v))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

int32_t StrToIntDef(std::string_view text, int32_t Default)
{
    int32_t v = 0;
    return TryStrToInt(text, v) ? v : Default;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string Format(std::string_view format, const std::vector<TFormatArg>& args)
{
    std::string out;
    out.reserve(format.size() + 16);
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        std::string_view rest = format.substr(i + 1);
        if (rest.front() == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t specLen = 0;
        bool pad2 = false;
        if (rest.front() == 's' || rest.front() == 'd')
            specLen = 1;
        else if (rest.substr(0, 3) == ".2d") {
            specLen = 3;
            pad2 = true;
        }
        if (specLen == 0 || next >= args.size()) {
            out += c;
            continue;
        }
        const TFormatArg& a = args[next++];
        std::string piece;
        if (const auto* s = std::get_if<std::string>(&a))
            piece = *s;
        else {
            int64_t v = std::get<int64_t>(a);
            piece = std::to_string(v < 0 ? -v : v);
            if (pad2 && piece.size() < 2)
                piece.insert(0, 2 - piece.size(), '0');
            if (v < 0)
                piece.insert(0, 1, '-');
        }
        out += piece;
        i += specLen;
    }
    return out;
}

static char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
static char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = upperAscii(c);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = lowerAscii(c);
    return r;
}

static bool isBlank(char c) { return static_cast<unsigned char>(c) < 33; }

std::string TrimLeft(std::string_view s)
{
    size_t b = 0;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    size_t e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

int CompareText(std::string_view a, std::string_view b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(upperAscii(a[i]));
        unsigned char y = static_cast<unsigned char>(upperAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }
