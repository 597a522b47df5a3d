// The binary file form: magic number, scrambled version string, node count, prolog, root node; strings carry a
// one-byte length and are scrambled with a running key. The reader works on the whole file in memory and checks
// every count against the bytes left, so a corrupt file fails with a message and never allocates more than it
// could describe; nesting deeper than XmlMaxDepth is refused.
#include "xml/XmlAttrSetter.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
constexpr int32_t Magic = 113399;
constexpr const char* Version = "1.01";
constexpr uint32_t KeyStart = 8461;
constexpr uint32_t KeyMultiplier = 9173;
constexpr uint32_t KeyAddend = 7958;
// The least bytes a child node takes (two empty strings, child and attribute counts) and an attribute.
constexpr size_t LengthBytes = XmlLongStringLengths ? 4 : 1;
constexpr size_t MinNodeBytes = 2 * LengthBytes + 4 + 4;
constexpr size_t MinAttrBytes = 2 * LengthBytes;

class TWriter {
public:
    explicit TWriter(std::string& Out) : FOut(Out) {}
    void Int(int32_t v)
    {
        uint32_t u = uint32_t(v);
        char b[4] = {char(u & 255), char((u >> 8) & 255), char((u >> 16) & 255), char((u >> 24) & 255)};
        FOut.append(b, 4);
    }
    void Str(std::string_view s)
    {
        if constexpr (XmlLongStringLengths) {
            if (s.size() > size_t(INT32_MAX))
                throw EXmlError("Text too long for a binary XML file");
            Int(int32_t(s.size()));
        } else if (s.size() > 255) {
            std::string head(s.substr(0, 40));
            throw EXmlError(Format("Text too long for a binary XML file (%d bytes, at most 255): \"%s...\"",
                {int64_t(s.size()), head}));
        }
        if constexpr (!XmlLongStringLengths)
            FOut.push_back(char(s.size()));
        if (!XmlScrambleStrings) {
            FOut.append(s);
            return;
        }
        size_t at = FOut.size();
        FOut.resize(at + s.size());
        auto* out = reinterpret_cast<uint8_t*>(FOut.data() + at);
        uint32_t key = KeyStart;
        for (size_t i = 0; i < s.size(); ++i) {
            uint8_t b = uint8_t(s[i]) ^ uint8_t((key >> 8) & 255);
            out[i] = b;
            key = (key + b) * KeyMultiplier + KeyAddend;
        }
    }

private:
    std::string& FOut;
};

// The key is fed with the scrambled bytes, so the keys of a run of bytes follow from the key before it without
// waiting for each other. With key(j+1) = M*(key(j) + c(j)) + A:
//   key(j+k) = M^k * (key(j) + E(k)) + A(k),  E(k) = the sum of M^-i * c(j+i) over i < k,  A(k) = A*(1+M+...+M^(k-1)).
// Only bits 8 to 15 of a key reach a byte, so keys are kept modulo 2^16, where the odd M has an inverse; E is then a
// plain running sum, which sixteen 16-bit lanes work out side by side with three shifts and adds for each half.
#ifdef __SSE2__
struct TLanes {
    uint16_t Inverse[16];   // M^-k
    uint16_t Power[16];     // M^k
    uint16_t Addend[16];    // A(k)
    uint16_t Start[16];     // the keys of sixteen zero bytes from the start key: M^k * KeyStart + A(k)
    uint16_t Power16, Addend16;
};
constexpr TLanes lanes()
{
    TLanes t{};
    uint32_t inverse = KeyMultiplier;   // Newton's step doubles the bits that are right: 3, 6, 12, 24
    for (int i = 0; i < 4; ++i)
        inverse = (inverse * (2 - KeyMultiplier * inverse)) & 0xFFFF;
    uint32_t p = 1, q = 1, a = 0;
    for (int k = 0; k < 16; ++k) {
        t.Inverse[k] = uint16_t(q);
        t.Power[k] = uint16_t(p);
        t.Addend[k] = uint16_t(a);
        t.Start[k] = uint16_t(p * KeyStart + a);
        a = (a * KeyMultiplier + KeyAddend) & 0xFFFF;
        p = (p * KeyMultiplier) & 0xFFFF;
        q = (q * inverse) & 0xFFFF;
    }
    t.Power16 = uint16_t(p);
    t.Addend16 = uint16_t(a);
    return t;
}
constexpr TLanes Lanes = lanes();
static_assert(uint16_t(Lanes.Inverse[1] * uint32_t(KeyMultiplier)) == 1);

inline __m128i lanesOf(const uint16_t* Eight) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Eight)); }
inline __m128i lane7(__m128i v) { return _mm_shuffle_epi32(_mm_shufflehi_epi16(v, 0xFF), 0xFF); }

// Sixteen scrambled bytes widened to 16-bit lanes (Lo: bytes 0-7, Hi: bytes 8-15), the running sums E(k) of the
// bytes before each one, and their total over all sixteen in every lane.
struct TBlock {
    __m128i CLo, CHi, ELo, EHi, Total;
};
[[gnu::always_inline]] inline TBlock scan(__m128i Raw)
{
    const __m128i zero = _mm_setzero_si128();
    TBlock b;
    b.CLo = _mm_unpacklo_epi8(Raw, zero);
    b.CHi = _mm_unpackhi_epi8(Raw, zero);
    __m128i lo = _mm_mullo_epi16(b.CLo, lanesOf(Lanes.Inverse));
    __m128i hi = _mm_mullo_epi16(b.CHi, lanesOf(Lanes.Inverse + 8));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 2));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 2));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 4));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 4));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 8));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 8));
    b.ELo = _mm_slli_si128(lo, 2);
    const __m128i carry = lane7(lo);
    b.EHi = _mm_add_epi16(_mm_slli_si128(hi, 2), carry);
    b.Total = _mm_add_epi16(lane7(hi), carry);
    return b;
}
// The plain bytes, given the keys of each lane.
inline __m128i plain(const TBlock& B, __m128i KeysLo, __m128i KeysHi)
{
    return _mm_packus_epi16(_mm_xor_si128(B.CLo, _mm_srli_epi16(KeysLo, 8)),
        _mm_xor_si128(B.CHi, _mm_srli_epi16(KeysHi, 8)));
}

// Sixteen bytes (a string of at most that many: names, tags, numbers) into Out with one store, whatever the
// length, so that nothing waits on a guess about it: every string starts from the same key. Bytes after a
// string's end may be anything (later bytes never change earlier ones); sixteen bytes must be readable.
[[gnu::always_inline]] inline void Unscramble16(const uint8_t* in, char* Out)
{
    const TBlock b = scan(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
    const __m128i keysLo = _mm_add_epi16(lanesOf(Lanes.Start), _mm_mullo_epi16(b.ELo, lanesOf(Lanes.Power)));
    const __m128i keysHi = _mm_add_epi16(lanesOf(Lanes.Start + 8), _mm_mullo_epi16(b.EHi, lanesOf(Lanes.Power + 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), plain(b, keysLo, keysHi));
}

// Any length, sixteen bytes at a time with the key carried from block to block, written as whole blocks: Out has
// room for the last one. Readable says how many bytes may be read at In (at least Len); a last block that would
// reach beyond them is read through a buffer of its own.
void Unscramble(const uint8_t* In, char* Out, size_t Len, size_t Readable)
{
    __m128i key = _mm_set1_epi16(short(uint16_t(KeyStart)));
    const __m128i power16 = _mm_set1_epi16(short(Lanes.Power16));
    const __m128i addend16 = _mm_set1_epi16(short(Lanes.Addend16));
    for (size_t i = 0; i < Len; i += 16) {
        __m128i raw;
        if (i + 16 <= Readable) {
            raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(In + i));
        } else {
            alignas(16) uint8_t tail[16] = {};
            std::memcpy(tail, In + i, Len - i);
            raw = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
        }
        const TBlock b = scan(raw);
        const __m128i keysLo = _mm_add_epi16(lanesOf(Lanes.Addend),
            _mm_mullo_epi16(_mm_add_epi16(b.ELo, key), lanesOf(Lanes.Power)));
        const __m128i keysHi = _mm_add_epi16(lanesOf(Lanes.Addend + 8),
            _mm_mullo_epi16(_mm_add_epi16(b.EHi, key), lanesOf(Lanes.Power + 8)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i), plain(b, keysLo, keysHi));
        key = _mm_add_epi16(addend16, _mm_mullo_epi16(_mm_add_epi16(key, b.Total), power16));
    }
}
#else
void Unscramble(const uint8_t* in, char* out, size_t len, size_t)
{
    uint32_t key = KeyStart;
    for (size_t i = 0; i < len; ++i) {
        out[i] = char(in[i] ^ ((key >> 8) & 255));
        key = (key + in[i]) * KeyMultiplier + KeyAddend;
    }
}
#endif

// The reader's place in the file. ReadBinary reads the whole tree in one loop and every call here is inlined into
// it, so the place stays in registers: each string's place follows from the length byte before it, and a place
// kept in memory would add a store and a reload to that chain for every string.
class TReader {
public:
    explicit TReader(std::string_view Data)
        : FAt(reinterpret_cast<const uint8_t*>(Data.data())), FEnd(FAt + Data.size())
    {
    }
    size_t Left() const { return size_t(FEnd - FAt); }
    [[gnu::always_inline]] int32_t Int()
    {
        need(4);
        const uint8_t* p = FAt;
        FAt += 4;
        return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    }
    [[gnu::always_inline]] void Str(TXmlString& s)
    {
        size_t len;
        if constexpr (XmlLongStringLengths) {
            int32_t n = Int();
            if (n < 0)
                fail();
            len = size_t(n);
        } else {
            need(1);
            len = *FAt++;
        }
        need(len);
        const uint8_t* p = FAt;
        FAt += len;
        if (!XmlScrambleStrings) {
            s.assign(reinterpret_cast<const char*>(p), len);
            return;
        }
        const size_t readable = size_t(FEnd - p);
#ifdef __SSE2__
        if (len < 16 && readable >= 16) {
            // A short string is worked out as sixteen bytes, always as many (work of varying length guesses
            // wrong about its length), and moved in as such; the string keeps only its own.
            alignas(16) char plain[16];
            Unscramble16(p, plain);
            s.AssignShortFrom(plain, len);
            return;
        }
#endif
        if (len <= TXmlString::InlineMax) {
            alignas(16) char plain[32];
            Unscramble(p, plain, len, readable);
            s.AssignShortFrom(plain, len);
            return;
        }
        Unscramble(p, s.Resize(len), len, readable);
        s.Terminate();
    }
    // A count that the bytes left could hold, each item taking at least MinBytes.
    [[gnu::always_inline]] int32_t Count(size_t MinBytes)
    {
        int32_t c = Int();
        if (c < 0 || size_t(c) > Left() / MinBytes)
            fail();
        return c;
    }

private:
    void need(size_t n)
    {
        if (Left() < n)
            fail();
    }
    [[noreturn, gnu::noinline, gnu::cold]] static void fail() { throw EReadError("Stream read error"); }
    const uint8_t* FAt;
    const uint8_t* FEnd;
};
}

void TXmlDoc::WriteBinary(std::string& Out)
{
    TWriter w(Out);
    w.Int(Magic);
    w.Str(Version);
    int32_t count = NodeCount();
    w.Int(count);
    DoStart(count);
    auto writeAttrs = [&](const TXmlAttrList& list, bool convert) {
        w.Int(list.Count());
        for (const auto& a : list) {
            w.Str(a->GetName());
            if (convert && a->GetName() == "TemplateID")
                w.Str(TemplateIDToFile(a->GetValue()));
            else
                w.Str(a->GetValue());
        }
    };
    writeAttrs(Prolog, false);
    // Recursion depth follows the tree in memory, which only the program itself builds.
    auto writeNode = [&](auto&& self, const TXmlNode& n) -> void {
        w.Str(n.GetTag());
        w.Str(n.GetText());
        w.Int(n.Nodes.Count());
        for (const auto& c : n.Nodes)
            self(self, *c);
        writeAttrs(n.Attrs, Template != nullptr);
        if (DoProgress(1))
            throw EUserBreak(UserBreakMessage());
    };
    if (Root())
        writeNode(writeNode, *Root());
    else
        writeNode(writeNode, TXmlNode());
}

void TXmlDoc::ReadBinary(std::string_view Data)
{
    Clear();
    if (!Root())
        SetRoot(std::make_unique<TXmlNode>());
    FTemplateIndexBuilt = false;
    TReader r(Data);
    if (r.Int() != Magic)
        throw EXmlError("This file isn't binary XML file");
    TXmlString s;
    r.Str(s);
    if (s != Version)
        throw EXmlError("Wrong binary XML file version");
    DoStart(r.Int());
    const bool linked = Template != nullptr;
    auto readAttrs = [&](TXmlAttrList& list, bool convert) __attribute__((always_inline)) {
        int32_t count = r.Count(MinAttrBytes);
        // Bounded by the bytes left, and only one list at a time can be short of what it announced.
        if (count == 0)
            return;
        list.Reserve(count);
        TXmlAttrSetter setter(list);
        for (int32_t i = 0; i < count; ++i) {
            TXmlAttribute& a = setter.Append();
            r.Str(a.FName);
            r.Str(a.FValue);
            if (convert && a.FName == "TemplateID")
                a.FValue = TemplateIDFromFile(a.FValue);
            setter.AdoptLast();
        }
    };
    readAttrs(Prolog, false);
    // A node is its tag, its text, its children and then its attributes; the levels above the node being read
    // wait for their remaining children.
    struct TLevel {
        TXmlNode* Node;
        int32_t Left;
    };
    std::vector<TLevel> levels;
    levels.reserve(64);
    auto readHead = [&](TXmlNode& n) __attribute__((always_inline)) {
        r.Str(n.FTag);
        r.Str(n.FText);
        int32_t children = r.Count(MinNodeBytes);
        // Every level of a nesting could announce more than it holds: reserve only a little ahead. Most nodes
        // are leaves and need no call at all.
        if (children > 0)
            n.Nodes.Reserve(std::min(children, 1024));
        levels.push_back({&n, children});
    };
    readHead(*Root());
    for (;;) {
        TLevel& top = levels.back();
        if (top.Left > 0) {
            --top.Left;
            if (levels.size() > size_t(XmlMaxDepth))
                throw EXmlError(Format("Nodes nested deeper than %d levels", {int64_t(XmlMaxDepth)}));
            auto child = std::make_unique<TXmlNode>();
            TXmlNode* c = child.get();
            top.Node->Nodes.Add(std::move(child));
            readHead(*c);
            continue;
        }
        readAttrs(top.Node->Attrs, linked);
        if (DoProgress(1))
            throw EUserBreak(UserBreakMessage());
        levels.pop_back();
        if (levels.empty())
            return;
    }
}

std::string TXmlDoc::TemplateIDToFile(const std::string& Value) const
{
    int32_t h = 0;
    TXmlNode* node = TryStrToInt(Value, h) ? dynamic_cast<TXmlNode*>(THandleObject::FromHandle(h)) : nullptr;
    if (!node)
        return "-1";
    const TXmlAttribute* id = node->Attrs.Find("ID");
    int32_t v = -1;
    if (!id || !TryStrToInt(id->GetValue(), v))
        return "-1";
    return IntToStr(v);
}

std::string TXmlDoc::TemplateIDFromFile(const std::string& Value)
{
    int32_t id = StrToInt(Value);
    if (id <= 0 || !Template)
        return "0";
    if (!FTemplateIndexBuilt) {
        // FindByID over the whole template for every link would be quadratic; the first node of an ID wins,
        // as it would in a search.
        FTemplateIndex.clear();
        TXmlWalk walk;
        for (TXmlNode* n = walk.First(nullptr, Template->Root()); n; n = walk.Next(n)) {
            const TXmlAttribute* a = n->Attrs.Find("ID");
            int32_t v = 0;
            if (a && TryStrToInt(a->GetValue(), v))
                FTemplateIndex.emplace(v, n);
        }
        FTemplateIndexBuilt = true;
    }
    auto it = FTemplateIndex.find(id);
    return it == FTemplateIndex.end() ? std::string("0") : IntToStr(it->second->GetHandle());
}
