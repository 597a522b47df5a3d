#include "print/PrnRtf.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace {
void AppendUtf8(std::string& Out, uint32_t C)
{
    if (C < 0x80) {
        Out += char(C);
    } else if (C < 0x800) {
        Out += char(0xC0 | (C >> 6));
        Out += char(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += char(0xE0 | (C >> 12));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    } else {
        Out += char(0xF0 | (C >> 18));
        Out += char(0x80 | ((C >> 12) & 0x3F));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    }
}

// The next code point of UTF-8 text; a byte that starts no valid sequence stands for itself (Latin-1).
uint32_t NextCodePoint(std::string_view S, size_t& I)
{
    unsigned char c = S[I];
    int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC0 && c < 0xE0 ? 1 : 0;
    if (extra == 0 || I + size_t(extra) >= S.size()) {
        ++I;
        return c;
    }
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char n = S[I + size_t(k)];
        if ((n & 0xC0) != 0x80) {
            ++I;
            return c;
        }
        cp = (cp << 6) | (n & 0x3F);
    }
    I += size_t(extra) + 1;
    return cp;
}

// Parser state of one group level.
struct TState {
    TPrnFont Font;
    int FontIndex = 0;
    int Skip = 0;          // characters still to skip after \uN
    int UnicodeSkip = 1;   // \ucN
    enum { dNone, dFontTable, dColorTable, dSkip } Kind = dNone;
};

class TReader {
public:
    explicit TReader(std::string_view R) : In(R) {}

    TPrnRichText Run()
    {
        TState root;
        root.Font = RtfDefaultFont();
        Stack.push_back(root);
        Paragraph();
        while (Pos < In.size()) {
            char c = In[Pos];
            if (c == '{') {
                ++Pos;
                Stack.push_back(Stack.back());
                if (Stack.back().Kind == TState::dFontTable)
                    FontName.clear();
            } else if (c == '}') {
                ++Pos;
                EndGroup();
                if (Stack.empty())
                    break;
            } else if (c == '\\') {
                ++Pos;
                ControlWord();
            } else if (c == '\r' || c == '\n') {
                ++Pos;
            } else {
                ++Pos;
                Char(uint8_t(c), false);
            }
        }
        // Every paragraph ends with \par; the empty one that the last \par opens is not a paragraph.
        if (Out.Paragraphs.size() > 1 && Out.Paragraphs.back().Runs.empty() && ClosedLast)
            Out.Paragraphs.pop_back();
        Out.Normalize();
        return std::move(Out);
    }

private:
    TState& S() { return Stack.back(); }

    void Paragraph()
    {
        Out.Paragraphs.emplace_back();
        Out.Paragraphs.back().Alignment = Align;
        ClosedLast = false;
    }

    void EndGroup()
    {
        if (Stack.empty())
            return;
        TState ended = Stack.back();
        Stack.pop_back();
        if (ended.Kind == TState::dFontTable && !Stack.empty() && Stack.back().Kind == TState::dFontTable)
            CommitFont(ended.FontIndex);
        else if (ended.Kind == TState::dFontTable && !FontName.empty())
            CommitFont(ended.FontIndex);
    }

    void CommitFont(int Index)
    {
        std::string name = FontName;
        while (!name.empty() && (name.back() == ';' || name.back() == ' '))
            name.pop_back();
        if (!name.empty())
            Fonts[Index] = name;
        FontName.clear();
    }

    void Char(uint32_t C, bool Unicode)
    {
        TState& s = S();
        if (s.Skip > 0 && !Unicode) {
            --s.Skip;
            return;
        }
        switch (s.Kind) {
        case TState::dSkip: return;
        case TState::dFontTable:
            if (C == ';') {
                CommitFont(s.FontIndex);
            } else if (C >= 0x20) {
                AppendUtf8(FontName, C);
            }
            return;
        case TState::dColorTable:
            if (C == ';') {
                Colors.push_back(Red | (Green << 8) | (Blue << 16));
                Red = Green = Blue = 0;
            }
            return;
        case TState::dNone: break;
        }
        ClosedLast = false;
        auto& runs = Out.Paragraphs.back().Runs;
        if (runs.empty() || !(runs.back().Font == s.Font))
            runs.push_back({"", s.Font});
        if (Unicode || C >= 0x80)
            AppendUtf8(runs.back().Text, C);
        else
            runs.back().Text += char(C);
    }

    void ControlWord()
    {
        if (Pos >= In.size())
            return;
        char c = In[Pos];
        if (!std::isalpha(uint8_t(c))) {
            ++Pos;
            switch (c) {
            case '\\': case '{': case '}': Char(uint8_t(c), false); return;
            case '~': Char(0xA0, false); return;
            case '-': return;            // optional hyphen
            case '_': Char('-', false); return;
            case '*': S().Kind = TState::dSkip; return;
            case '\'': {
                if (Pos + 2 > In.size())
                    return;
                // Hex digits only: a sign or a blank is no part of the escape ("\'-e" made a value of four
                // billion, no character at all, which the writer could not give back).
                unsigned v = 0;
                int digits = 0;
                for (; digits < 2 && std::isxdigit(uint8_t(In[Pos + size_t(digits)])); ++digits) {
                    const char h = In[Pos + size_t(digits)];
                    v = v * 16 + unsigned(std::isdigit(uint8_t(h)) ? h - '0' : (h | 0x20) - 'a' + 10);
                }
                if (digits > 0)
                    Char(v, false);
                Pos += 2;
                return;
            }
            case '\r': case '\n': NewParagraph(); return;
            default: return;
            }
        }
        size_t start = Pos;
        while (Pos < In.size() && std::isalpha(uint8_t(In[Pos])))
            ++Pos;
        std::string word(In.substr(start, Pos - start));
        bool hasArg = false;
        long arg = 0;
        size_t numStart = Pos;
        if (Pos < In.size() && (In[Pos] == '-' || std::isdigit(uint8_t(In[Pos])))) {
            ++Pos;
            while (Pos < In.size() && std::isdigit(uint8_t(In[Pos])))
                ++Pos;
            std::string num(In.substr(numStart, Pos - numStart));
            if (num != "-") {
                hasArg = true;
                arg = std::strtol(num.c_str(), nullptr, 10);
            }
        }
        if (Pos < In.size() && In[Pos] == ' ')
            ++Pos;   // the delimiter belongs to the word
        Word(word, hasArg, arg);
    }

    void NewParagraph()
    {
        if (S().Kind != TState::dNone)
            return;
        Paragraph();
        ClosedLast = true;
    }

    void Word(const std::string& W, bool HasArg, long Arg)
    {
        TState& s = S();
        static const char* const skipped[] = {"stylesheet", "info", "pict", "object", "header", "footer",
            "headerl", "headerr", "footerl", "footerr", "footnote", "listtable", "listoverridetable", "rsidtbl",
            "generator", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "fldinst",
            "bkmkstart", "bkmkend", "field", "nonshppict", "shp", "revtbl", "filetbl", "pgdsctbl"};
        for (const char* k : skipped)
            if (W == k) {
                if (W == "field")
                    return;   // the field's result stays readable; only its instruction is skipped
                s.Kind = TState::dSkip;
                return;
            }
        if (W == "fonttbl") {
            s.Kind = TState::dFontTable;
            return;
        }
        if (W == "colortbl") {
            s.Kind = TState::dColorTable;
            Colors.clear();
            return;
        }
        if (s.Kind == TState::dColorTable) {
            if (W == "red")
                Red = unsigned(std::clamp<long>(Arg, 0, 255));
            else if (W == "green")
                Green = unsigned(std::clamp<long>(Arg, 0, 255));
            else if (W == "blue")
                Blue = unsigned(std::clamp<long>(Arg, 0, 255));
            return;
        }
        if (s.Kind == TState::dFontTable) {
            if (W == "f" && HasArg)
                s.FontIndex = int(Arg);
            return;
        }
        if (W == "par" || W == "line")
            return NewParagraph();
        if (W == "tab")
            return Char('\t', false);
        if (W == "emdash")
            return Char(0x2014, true);
        if (W == "endash")
            return Char(0x2013, true);
        if (W == "bullet")
            return Char(0x2022, true);
        if (W == "lquote")
            return Char(0x2018, true);
        if (W == "rquote")
            return Char(0x2019, true);
        if (W == "ldblquote")
            return Char(0x201C, true);
        if (W == "rdblquote")
            return Char(0x201D, true);
        if (W == "u" && HasArg) {
            // A signed 16-bit number; one beyond is no character, but its fallback is still skipped.
            if (Arg >= -32768 && Arg <= 65535)
                Char(uint32_t(Arg < 0 ? Arg + 65536 : Arg), true);
            s.Skip = s.UnicodeSkip;
            return;
        }
        if (W == "uc" && HasArg) {
            s.UnicodeSkip = int(std::clamp<long>(Arg, 0, 8));
            return;
        }
        bool on = !HasArg || Arg != 0;
        auto style = [&](unsigned Bit) { s.Font.Style = on ? (s.Font.Style | Bit) : (s.Font.Style & ~Bit); };
        if (W == "b")
            style(fsBold);
        else if (W == "i")
            style(fsItalic);
        else if (W == "ul")
            style(fsUnderline);
        else if (W == "ulnone")
            s.Font.Style &= ~unsigned(fsUnderline);
        else if (W == "plain") {
            TPrnFont f = RtfDefaultFont();
            f.Name = FontOf(0, f.Name);
            s.Font = f;
        } else if (W == "f" && HasArg) {
            s.Font.Name = FontOf(int(Arg), s.Font.Name);
        } else if (W == "fs" && HasArg) {
            s.Font.Size = int((std::clamp<long>(Arg, 1, 3276) + 1) / 2);
        } else if (W == "cf" && HasArg) {
            // Entry 0 is the "automatic" colour when the table starts with an empty entry, as ours does.
            s.Font.Color = Arg >= 0 && size_t(Arg) < Colors.size() ? Colors[size_t(Arg)] : clBlack;
        } else if (W == "pard") {
            Align = taLeftJustify;
            Out.Paragraphs.back().Alignment = Align;
        } else if (W == "qc" || W == "qr" || W == "ql" || W == "qj") {
            Align = W == "qc" ? taCenter : W == "qr" ? taRightJustify : taLeftJustify;
            Out.Paragraphs.back().Alignment = Align;
        }
    }

    std::string FontOf(int Index, const std::string& Else) const
    {
        auto it = Fonts.find(Index);
        return it == Fonts.end() ? Else : it->second;
    }

    std::string_view In;
    size_t Pos = 0;
    std::vector<TState> Stack;
    TPrnRichText Out;
    std::map<int, std::string> Fonts;
    std::string FontName;
    std::vector<TColor> Colors;
    unsigned Red = 0, Green = 0, Blue = 0;
    TAlignment Align = taLeftJustify;
    bool ClosedLast = false;
};

std::string Escape(std::string_view Utf8)
{
    std::string out;
    for (size_t i = 0; i < Utf8.size();) {
        uint32_t c = NextCodePoint(Utf8, i);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c < 0x20 || (c >= 0x80 && c < 0x100)) {
            // Control characters too: a raw line break in RTF text is no character.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\'%02x", c);
            out += buf;
        } else if (c < 0x80) {
            out += char(c);
        } else {
            // RTF counts \u in signed 16 bits; characters beyond go as surrogate pairs.
            auto one = [&](uint32_t u) { out += "\\u" + std::to_string(u > 32767 ? int(u) - 65536 : int(u)) + "?"; };
            if (c >= 0x10000) {
                c -= 0x10000;
                one(0xD800 + (c >> 10));
                one(0xDC00 + (c & 0x3FF));
            } else {
                one(c);
            }
        }
    }
    return out;
}
}

TPrnFont RtfDefaultFont() { return TPrnFont{clBlack, 0, "Arial", 10, 0, 1}; }

std::string TPrnRichText::PlainText() const
{
    std::string out;
    for (size_t p = 0; p < Paragraphs.size(); ++p) {
        if (p > 0)
            out += "\r\n";
        for (const TPrnRtfRun& r : Paragraphs[p].Runs)
            out += r.Text;
    }
    return out;
}

bool TPrnRichText::Empty() const
{
    for (const TPrnRtfParagraph& p : Paragraphs)
        for (const TPrnRtfRun& r : p.Runs)
            if (!r.Text.empty())
                return false;
    return true;
}

void TPrnRichText::Normalize()
{
    for (TPrnRtfParagraph& p : Paragraphs) {
        std::vector<TPrnRtfRun> runs;
        for (TPrnRtfRun& r : p.Runs) {
            if (r.Text.empty())
                continue;
            if (!runs.empty() && runs.back().Font == r.Font)
                runs.back().Text += r.Text;
            else
                runs.push_back(std::move(r));
        }
        p.Runs = std::move(runs);
    }
}

TPrnRichText RtfRead(std::string_view Rtf)
{
    size_t first = Rtf.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || Rtf.substr(first, 5) != "{\\rtf")
        return RichTextFromPlain(Rtf, RtfDefaultFont());
    // The surrogate halves that \u writes for characters beyond 16 bits are joined again.
    TPrnRichText t = TReader(Rtf.substr(first)).Run();
    for (TPrnRtfParagraph& p : t.Paragraphs)
        for (TPrnRtfRun& r : p.Runs) {
            std::string joined;
            for (size_t i = 0; i < r.Text.size();) {
                size_t at = i;
                uint32_t c = NextCodePoint(r.Text, i);
                if (c >= 0xD800 && c < 0xDC00 && i < r.Text.size()) {
                    size_t j = i;
                    uint32_t low = NextCodePoint(r.Text, j);
                    if (low >= 0xDC00 && low < 0xE000) {
                        AppendUtf8(joined, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                        i = j;
                        continue;
                    }
                }
                joined.append(r.Text, at, i - at);
            }
            r.Text = std::move(joined);
        }
    return t;
}

std::string RtfWrite(const TPrnRichText& Text)
{
    std::vector<std::string> fonts;
    std::vector<TColor> colors;
    auto fontIndex = [&](const std::string& Name) {
        auto it = std::find(fonts.begin(), fonts.end(), Name);
        if (it != fonts.end())
            return int(it - fonts.begin());
        fonts.push_back(Name);
        return int(fonts.size()) - 1;
    };
    auto colorIndex = [&](TColor C) {
        auto it = std::find(colors.begin(), colors.end(), C);
        if (it != colors.end())
            return int(it - colors.begin()) + 1;
        colors.push_back(C);
        return int(colors.size());
    };
    fontIndex(RtfDefaultFont().Name);
    std::string body;
    if (Text.Paragraphs.empty())
        body += "\\pard\\par\r\n";
    for (size_t p = 0; p < Text.Paragraphs.size(); ++p) {
        const TPrnRtfParagraph& para = Text.Paragraphs[p];
        body += "\\pard";
        body += para.Alignment == taCenter ? "\\qc" : para.Alignment == taRightJustify ? "\\qr" : "\\ql";
        for (const TPrnRtfRun& r : para.Runs) {
            const TPrnFont& f = r.Font;
            body += "{\\f" + std::to_string(fontIndex(f.Name)) + "\\fs" + std::to_string(f.EffectiveSize() * 2);
            if (f.Style & fsBold)
                body += "\\b";
            if (f.Style & fsItalic)
                body += "\\i";
            if (f.Style & fsUnderline)
                body += "\\ul";
            body += "\\cf" + std::to_string(colorIndex(f.Color));
            body += " " + Escape(r.Text) + "}";
        }
        body += "\\par\r\n";
    }
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i)
        out += "{\\f" + std::to_string(i) + "\\fnil " + Escape(fonts[i]) + ";}";
    out += "}\r\n{\\colortbl ;";
    for (TColor c : colors)
        out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
            std::to_string((c >> 16) & 0xFF) + ";";
    out += "}\r\n\\uc1" + body + "}\r\n";
    return out;
}

TPrnRichText RichTextFromPlain(std::string_view Text, const TPrnFont& Font)
{
    TPrnRichText t;
    t.Paragraphs.emplace_back();
    std::string current;
    auto flush = [&] {
        if (!current.empty())
            t.Paragraphs.back().Runs.push_back({current, Font});
        current.clear();
    };
    for (size_t i = 0; i < Text.size(); ++i) {
        char c = Text[i];
        if (c == '\r' || c == '\n') {
            flush();
            t.Paragraphs.emplace_back();
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
                ++i;
        } else {
            AppendUtf8(current, uint8_t(c));
        }
    }
    flush();
    return t;
}
