// The text file form: a declaration line, then the element tree with two blanks of indentation per level,
// attributes in double quotes, text escaped with the five named entities, lines ended by CR LF.
// The reader is a small hand-written parser that also takes comments, processing instructions, a DOCTYPE
// (skipped) and CDATA sections. It never reads past the text, refuses nesting deeper than XmlMaxDepth, and
// reports an error with its message, an excerpt "near" the position, and the 1-based position itself.
#include "xml/XmlAttrSetter.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
void indent(std::string& out, int depth) { out.append(size_t(depth) * 2, ' '); }

void appendEscaped(std::string& out, std::string_view s)
{
    size_t from = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char* e = nullptr;
        switch (s[i]) {
        case '&': e = "&amp;"; break;
        case '<': e = "&lt;"; break;
        case '>': e = "&gt;"; break;
        case '\'': e = "&apos;"; break;
        case '"': e = "&quot;"; break;
        default: continue;
        }
        out.append(s.substr(from, i - from));
        out.append(e);
        from = i + 1;
    }
    out.append(s.substr(from));
}

bool isBlank(char c) { return static_cast<unsigned char>(c) < 33; }

std::string_view trimView(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool startsAt(std::string_view s, size_t p, std::string_view what)
{
    return p <= s.size() && s.size() - p >= what.size() && std::memcmp(s.data() + p, what.data(), what.size()) == 0;
}

// The first c in s at or after From, or npos. Most runs searched are short (indentation, names, values), too
// short for a library search to pay for its call: s is looked at sixteen bytes at a time, reading on past its end
// up to ReadableEnd (the end of the text it lies in), so that a short run takes a single look.
inline __attribute__((always_inline)) size_t findChar(std::string_view s, size_t From, char c,
    const char* ReadableEnd)
{
    size_t i = From;
#ifdef __SSE2__
    const __m128i want = _mm_set1_epi8(c);
    while (i < s.size() && ReadableEnd - (s.data() + i) >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        if (int bits = _mm_movemask_epi8(_mm_cmpeq_epi8(v, want))) {
            size_t at = i + size_t(__builtin_ctz(unsigned(bits)));
            return at < s.size() ? at : std::string_view::npos;
        }
        i += 16;
    }
#endif
    for (; i < s.size(); ++i)
        if (s[i] == c)
            return i;
    return std::string_view::npos;
}

// How many c are in s, read as findChar reads.
size_t countChar(std::string_view s, char c, const char* ReadableEnd)
{
    size_t n = 0, i = 0;
#ifdef __SSE2__
    const __m128i want = _mm_set1_epi8(c);
    while (i < s.size() && ReadableEnd - (s.data() + i) >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        auto bits = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, want)));
        if (s.size() - i < 16)
            bits &= (1u << (s.size() - i)) - 1;
        for (; bits; bits &= bits - 1)   // a few at most: no call for a population count
            ++n;
        i += 16;
    }
#endif
    for (; i < s.size(); ++i)
        n += s[i] == c;
    return n;
}

// Puts v, which lies in a text that goes on to ReadableEnd, into s. A short v is taken as sixteen bytes and then
// cut to its length: a copy of one fixed size is a move, where one of varying size is a call.
[[gnu::always_inline]] inline void assignFrom(TXmlString& s, std::string_view v, const char* ReadableEnd)
{
    const ptrdiff_t readable = ReadableEnd - v.data();
    if (v.size() <= TXmlString::InlineMax && readable >= 16)
        s.AssignShortFrom(v.data(), v.size());
    else
        s.assign(v);
}

// The first quote, ">" or "<" at or after From, or the end of s: a tag's characters are looked at sixteen at a
// time, since most of them are none of these.
size_t findTagStop(std::string_view s, size_t From)
{
    size_t i = From;
#ifdef __SSE2__
    const __m128i dq = _mm_set1_epi8('"'), sq = _mm_set1_epi8('\''), gt = _mm_set1_epi8('>'), lt = _mm_set1_epi8('<');
    for (; i + 16 <= s.size(); i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, dq), _mm_cmpeq_epi8(v, sq)),
            _mm_or_si128(_mm_cmpeq_epi8(v, gt), _mm_cmpeq_epi8(v, lt)));
        if (int bits = _mm_movemask_epi8(hit))
            return i + size_t(__builtin_ctz(unsigned(bits)));
    }
#endif
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"' || c == '\'' || c == '>' || c == '<')
            return i;
    }
    return s.size();
}
}

void TXmlDoc::WriteTextTo(std::string& Out)
{
    DoStart(NodeCount());
    auto prolog = [&](const char* name, const char* fallback) {
        const TXmlAttribute* a = Prolog.Find(name);
        std::string_view v = a && !a->GetValue().empty() ? a->GetValue().view() : std::string_view(fallback);
        return EscapeXml(v);
    };
    Out.reserve(Out.size() + 65536);
    Out += "<?xml version=\"" + prolog("version", "1.0") + "\" encoding=\"" + prolog("encoding", "ISO-8859-1") +
        "\"?>\r\n";
    auto writeNode = [&](auto&& self, const TXmlNode& n, int depth) -> void {
        indent(Out, depth);
        Out += '<';
        Out += n.GetTag();
        for (const TXmlAttribute& a : n.Attrs.Readable()) {
            Out += ' ';
            Out += a.GetName();
            Out += "=\"";
            if (Template && a.GetName() == "TemplateID")
                appendEscaped(Out, TemplateIDToFile(a.GetValue()));
            else
                appendEscaped(Out, a.GetValue());
            Out += '"';
        }
        if (DoProgress(1))
            throw EUserBreak(UserBreakMessage());
        if (!n.HasChildren() && n.GetText().empty()) {
            Out += "/>";
            return;
        }
        Out += '>';
        appendEscaped(Out, n.GetText());
        for (const auto& c : n.Nodes) {
            Out += "\r\n";
            self(self, *c, depth + 1);
        }
        if (n.HasChildren()) {
            Out += "\r\n";
            indent(Out, depth);
        }
        Out += "</";
        Out += n.GetTag();
        Out += '>';
    };
    if (Root())
        writeNode(writeNode, *Root(), 0);
}

bool TXmlDoc::WriteText(std::ostream* Out)
{
    LastError.clear();
    try {
        std::string image;
        WriteTextTo(image);
        if (Out) {
            Out->write(image.data(), std::streamsize(image.size()));
            Out->flush();
            if (!*Out)
                throw EWriteError("Stream write error");
        } else {
            TextBuffer = std::move(image);
        }
        return true;
    } catch (const Exception& e) {
        Report(e.Message, true);
    }
    return false;
}

bool TXmlDoc::ParseText()
{
    LastError.clear();
    try {
        ParseTextFrom(XmlText);
        return true;
    } catch (const EXmlParseError& e) {
        Report(e.Message, !e.Quiet);
    } catch (const Exception& e) {
        Report(e.Message, true);
    }
    return false;
}

// The parser proper; positions are 0-based inside, 1-based in messages. It fills tags, names and values in place.
class TXmlTextReader {
public:
    TXmlTextReader(std::string_view Text, TXmlDoc& Doc, std::function<std::string(const std::string&)> ConvertTemplate,
        std::function<bool(int32_t)> Position)
        : S(Text), Doc(Doc), Convert(std::move(ConvertTemplate)), OnPosition(std::move(Position)) {}

    std::string_view S;
    const char* End = S.data() + S.size();   // what the searches may read up to
    size_t Pos = 0;
    TXmlDoc& Doc;
    std::function<std::string(const std::string&)> Convert;
    std::function<bool(int32_t)> OnPosition;

    void Declaration()
    {
        size_t lt = S.find('<');
        if (lt == std::string_view::npos || !startsAt(S, lt, "<?xml"))
            return;
        size_t end = S.find("?>", lt);
        if (end == std::string_view::npos)
            throw EXmlError("Missing ?> in xml declaration.");
        Attributes(S.substr(lt + 5, end - (lt + 5)), Doc.Prolog, false);
        Pos = end + 2;
    }

    void Elements()
    {
        try {
            elements();
        } catch (...) {
            // A failed parse leaves the document as far as it was read: the open elements get their attributes.
            placeAll();
            throw;
        }
    }

private:
    void elements()
    {
        TXmlNode* current = nullptr;
        bool rootStarted = false;
        int depth = 0;
        for (;;) {
            size_t lt = findChar(S, Pos, '<', End);
            if (lt == std::string_view::npos)
                throw EXmlError("Missing <");
            Pos = lt;
            // One look at the character after "<" picks the kind of markup; most are start or end tags.
            const char next = lt + 1 < S.size() ? S[lt + 1] : '\0';
            if (next == '!' && startsAt(S, lt + 1, "!DOCTYPE")) {
                size_t gt = S.find('>', lt);
                size_t bracket = S.find('[', lt);
                if (bracket != std::string_view::npos && (gt == std::string_view::npos || bracket < gt)) {
                    size_t close = S.find(']', bracket);
                    if (close == std::string_view::npos)
                        throw EXmlError("Missing ] for DOCTYPE");
                    gt = S.find('>', close);
                }
                if (gt == std::string_view::npos)
                    throw EXmlError("Missing >");
                Pos = gt + 1;
                continue;
            }
            if (next == '!' && startsAt(S, lt + 1, "!--")) {
                size_t end = S.find("-->", lt + 4);
                if (end == std::string_view::npos)
                    throw EXmlError("Wrong end of comment");
                Pos = end + 3;
                continue;
            }
            if (next == '!' && startsAt(S, lt + 1, "![CDATA[")) {
                // A section after a child element belongs to no text this form keeps; it is passed over.
                size_t end = S.find("]]>", lt + 9);
                if (end == std::string_view::npos)
                    throw EXmlError("Expected ]]> when parsing CDATA section");
                Pos = end + 3;
                continue;
            }
            if (next == '?') {
                size_t end = S.find("?>", lt + 2);
                if (end == std::string_view::npos)
                    throw EXmlError("Missing >");
                Pos = end + 2;
                continue;
            }
            if (next == '/') {
                size_t gt = findChar(S, lt, '>', End);
                if (gt == std::string_view::npos)
                    throw EXmlError("Missing >");
                if (!current)
                    throw EXmlError("Not found begin tag for root node");
                std::string_view name = trimView(S.substr(lt + 2, gt - (lt + 2)));
                if (name != current->GetTag())
                    throw EXmlError("Wrong name of end tag");
                Pos = gt + 1;
                place(current);
                current = current->Parent;
                --depth;
                if (!current)
                    return;
                Tick();
                continue;
            }
            TTag tag;
            const bool quick = QuickTag(lt + 1, tag);
            size_t gt;
            bool empty;
            std::string_view body;   // the general way's: all between "<" and ">" but a closing "/"
            size_t nameEnd = 0;
            if (quick) {
                gt = tag.Gt;
                empty = tag.Empty;
            } else {
                gt = TagEnd(lt + 1);
                body = S.substr(lt + 1, gt - (lt + 1));
                empty = !body.empty() && body.back() == '/';
                if (empty)
                    body.remove_suffix(1);
                while (nameEnd < body.size() && !isBlank(body[nameEnd]))
                    ++nameEnd;
            }
            TXmlNode* node;
            if (!rootStarted) {
                if (!Doc.Root()) {
                    TXmlArenaPause pause;   // the root is the document's own
                    Doc.SetRoot(std::make_unique<TXmlNode>());
                }
                node = Doc.Root();
                rootStarted = true;
            } else {
                if (!current)
                    throw EXmlError("Not found begin tag for root node");
                if (depth >= XmlMaxDepth)
                    throw EXmlError(Format("Nodes nested deeper than %d levels", {int64_t(XmlMaxDepth)}));
                auto child = std::make_unique<TXmlNode>();
                node = child.get();
                node->Attrs.FArenaNode = true;
                current->Nodes.addLoaded(std::move(child));
            }
            if (quick) {
                assignFrom(node->FTag, tag.Name, End);
                // A new element with content holds its attributes until it ends. The root may hold some already,
                // and a link to the template is converted where it stands, so that a bad one fails right there.
                if (!empty && node != Doc.Root() && tag.Count > 0 && !(Convert && linksTemplate(tag)))
                    hold(node, tag);
                else
                    addAttributes(*node, tag.Names, tag.Values, tag.Count);
            } else {
                assignFrom(node->FTag, body.substr(0, nameEnd), End);
                Attributes(body.substr(nameEnd), node->Attrs, true);
            }
            Pos = gt + 1;
            Tick();
            if (empty) {
                if (node == Doc.Root())
                    return;
                continue;
            }
            current = node;
            ++depth;
            Text(*node);
        }
    }

private:
    void Tick()
    {
        if (!OnPosition)
            return;
        TXmlArenaPause pause;   // what the call allocates is not the tree's
        if (OnPosition(int32_t(std::min<size_t>(Pos + 1, INT32_MAX))))
            throw EUserBreak(UserBreakMessage());
    }

    // The ">" that ends a tag starting at From, outside quoted attribute values.
    size_t TagEnd(size_t From)
    {
        for (size_t i = From;;) {
            i = findTagStop(S, i);
            if (i >= S.size() || S[i] == '<')
                break;
            if (S[i] == '>')
                return i;
            size_t close = findChar(S, i + 1, S[i], End);   // inside quotes only the same quote counts
            if (close == std::string_view::npos)
                break;
            i = close + 1;
        }
        // Without a quote-aware end, take the plain next ">" as the simple form does.
        size_t gt = S.find('>', From);
        if (gt == std::string_view::npos)
            throw EXmlError("Missing >");
        return gt;
    }

    void Text(TXmlNode& node)
    {
        std::string text = node.GetText();
        for (;;) {
            size_t lt = findChar(S, Pos, '<', End);
            if (lt == std::string_view::npos)
                throw EXmlError("Expected < when parsing text");
            std::string_view chunk = trimView(S.substr(Pos, lt - Pos));
            if (!chunk.empty()) {
                std::string piece(chunk);
                DecodeXmlEntities(piece);
                text += piece;
            }
            Pos = lt;
            if (lt + 1 >= S.size() || S[lt + 1] != '!')
                break;
            if (startsAt(S, lt + 1, "!--")) {
                size_t end = S.find("-->", lt + 4);
                if (end == std::string_view::npos)
                    throw EXmlError("Missing > for end of comment");
                Pos = end + 3;
                continue;
            }
            if (startsAt(S, lt + 1, "![CDATA[")) {
                size_t end = S.find("]]>", lt + 9);
                if (end == std::string_view::npos)
                    throw EXmlError("Expected ]]> when parsing CDATA section");
                text += trimView(S.substr(lt + 9, end - (lt + 9)));
                Pos = end + 3;
                continue;
            }
            break;
        }
        if (!text.empty())
            node.SetRawText(std::move(text));
    }

    // One attribute as read (name trimmed, value between its quotes, entities still in it).
    void AddAttribute(TXmlAttrSetter& setter, std::string_view name, std::string_view raw, bool convert)
    {
        if (findChar(raw, 0, '&', End) == std::string_view::npos && !(convert && Convert && name == "TemplateID")) {
            // Names come trimmed, as SetName would leave them.
            TXmlAttribute& attr = setter.Append();
            assignFrom(attr.FName, name, End);
            assignFrom(attr.FValue, raw, End);
        } else {
            std::string value(raw);
            DecodeXmlEntities(value);
            if (convert && Convert && name == "TemplateID")
                value = Convert(value);
            TXmlAttribute& attr = setter.Append();
            assignFrom(attr.FName, name, End);
            attr.SetValue(std::move(value));
        }
        setter.AdoptLast();
    }

    // A start tag read in one pass, as nearly every tag can be: its name, its attributes and where it ends.
    struct TTag {
        static constexpr int MaxAttrs = 32;
        struct TSpan {   // left unset until filled: a tag is read for every element
            size_t From, Size;
        };
        std::string_view Name;
        size_t Gt = 0;
        bool Empty = false;
        int Count = 0;
        TSpan Names[MaxAttrs], Values[MaxAttrs];
    };

    // The attributes of a plainly formed start tag, by their places in the text, into Node's list.
    [[gnu::always_inline]] void addAttributes(TXmlNode& Node, const TTag::TSpan* Names, const TTag::TSpan* Values,
        int Count)
    {
        Node.Attrs.Reserve(Node.Attrs.Count() + Count);
        TXmlAttrSetter setter(Node.Attrs);
        for (int a = 0; a < Count; ++a)
            AddAttribute(setter, S.substr(Names[a].From, Names[a].Size), S.substr(Values[a].From, Values[a].Size),
                true);
    }

    bool linksTemplate(const TTag& Tag) const
    {
        for (int a = 0; a < Tag.Count; ++a)
            if (S.substr(Tag.Names[a].From, Tag.Names[a].Size) == "TemplateID")
                return true;
        return false;
    }

    static bool isStop(char c) { return c == '>' || c == '<' || c == '"' || c == '\'' || c == '/' || c == '='; }

    // Reads the tag starting at From (just after "<") when it is plainly formed; false for anything the general
    // way (TagEnd, then Attributes) might read otherwise, which then reads it from the start: nothing is kept.
    bool QuickTag(size_t From, TTag& Tag) const
    {
        const size_t n = S.size();
        size_t i = From;
        while (i < n && !isBlank(S[i]) && !isStop(S[i]))
            ++i;
        Tag.Name = S.substr(From, i - From);
        for (;;) {
            while (i < n && isBlank(S[i]))
                ++i;
            if (i >= n)
                return false;
            if (S[i] == '>') {
                Tag.Gt = i;
                return true;
            }
            if (S[i] == '/') {
                if (i + 1 < n && S[i + 1] == '>') {
                    Tag.Empty = true;
                    Tag.Gt = i + 1;
                    return true;
                }
                return false;
            }
            if (i == From + Tag.Name.size() || Tag.Count == TTag::MaxAttrs)
                return false;   // a name that ends on something else than a blank, or very many attributes
            size_t nameFrom = i;
            while (i < n && !isStop(S[i]))
                ++i;
            if (i >= n || S[i] != '=')
                return false;
            std::string_view name = trimView(S.substr(nameFrom, i - nameFrom));
            ++i;
            while (i < n && isBlank(S[i]))
                ++i;
            if (i >= n || (S[i] != '"' && S[i] != '\''))
                return false;
            size_t close = findChar(S, i + 1, S[i], End);
            if (close == std::string_view::npos)
                return false;
            Tag.Names[Tag.Count] = {size_t(name.data() - S.data()), name.size()};
            Tag.Values[Tag.Count] = {i + 1, close - (i + 1)};
            ++Tag.Count;
            i = close + 1;
        }
    }

    void Attributes(std::string_view s, TXmlAttrList& list, bool convert)
    {
        // Room for as many attributes as there are "=" (a value may hold one too: a little more room is no harm).
        int signs = int(countChar(s, '=', End));
        if (signs > 0)
            list.Reserve(list.Count() + std::min(signs, 16));
        TXmlAttrSetter setter(list);
        size_t i = 0;
        for (;;) {
            while (i < s.size() && isBlank(s[i]))
                ++i;
            if (i >= s.size())
                return;
            size_t eq = findChar(s, i, '=', End);
            if (eq == std::string_view::npos)
                throw EXmlError("Missing = when parsing attributes");
            std::string_view name = trimView(s.substr(i, eq - i));
            i = eq + 1;
            while (i < s.size() && isBlank(s[i]))
                ++i;
            if (i >= s.size() || (s[i] != '"' && s[i] != '\''))
                throw EXmlError("Missing value delimiter when parsing attributes");
            char quote = s[i];
            size_t close = findChar(s, i + 1, quote, End);
            if (close == std::string_view::npos)
                throw EXmlError(Format("Expected closing %s when parsing attributes", {std::string(1, quote)}));
            AddAttribute(setter, name, s.substr(i + 1, close - (i + 1)), convert);
            i = close + 1;
        }
    }

    // The attributes of the open elements with content, read as they were found and added when the element
    // ends. A binary image carries an element's attributes after its children, so its reader gives each list its
    // storage after the children's; adding them alike here makes both readers take blocks from the node pools in
    // the same order. Blocks come back in the order their document was freed: a load that takes them in the order
    // the last load did finds them ascending in memory, as the pools first handed them out, and the processor
    // fetches them ahead; taken in another order, every node and list waits for its memory.
    struct THeld {
        TXmlNode* Node;
        size_t First;   // in FHeldNames and FHeldValues
        int Count;
    };
    std::vector<THeld> FHeld;
    std::vector<TTag::TSpan> FHeldNames, FHeldValues;

    void hold(TXmlNode* Node, const TTag& Tag)
    {
        FHeld.push_back({Node, FHeldNames.size(), Tag.Count});
        for (int a = 0; a < Tag.Count; ++a) {
            FHeldNames.push_back(Tag.Names[a]);
            FHeldValues.push_back(Tag.Values[a]);
        }
    }
    // Node has ended: the attributes it holds, if any, are added now.
    void place(TXmlNode* Node)
    {
        if (FHeld.empty() || FHeld.back().Node != Node)
            return;
        const THeld held = FHeld.back();
        FHeld.pop_back();
        addAttributes(*Node, FHeldNames.data() + held.First, FHeldValues.data() + held.First, held.Count);
        FHeldNames.resize(held.First);
        FHeldValues.resize(held.First);
    }
    void placeAll()
    {
        while (!FHeld.empty())
            place(FHeld.back().Node);
    }
};

void TXmlDoc::ParseTextFrom(std::string_view Text)
{
    Clear();
    FTemplateIndexBuilt = false;
    DoStart(int32_t(std::min<size_t>(Text.size(), INT32_MAX)));
    std::function<std::string(const std::string&)> convert;
    if (Template)
        convert = [this](const std::string& v) { return templateID(v); };
    TXmlTextReader parser(Text, *this, convert, OnPosition);
    parser.Declaration();
    // Everything after the prolog is the tree's, down to the root's own strings and lists.
    FArena = TXmlArena::Create();
    TXmlArenaScope arena(FArena);
    try {
        parser.Elements();
        ParsePos = parser.Pos + 1;
    } catch (const EUserBreak& e) {
        ParsePos = parser.Pos + 1;
        throw EXmlParseError(e.Message, true);
    } catch (const Exception& e) {
        ParsePos = parser.Pos + 1;
        size_t from = ParsePos >= 21 ? ParsePos - 21 : 0;
        std::string near(Text.substr(std::min(from, Text.size()), 50));
        throw EXmlParseError(e.Message + " near \"" + near + "\"\r\nError position in XML file = " +
            IntToStr(int64_t(ParsePos)), false);
    }
}
