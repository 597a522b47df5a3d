// The binary file form: magic number, scrambled version string, node count, prolog, root node; strings carry a
// one-byte length and are scrambled with a running key. The reader works on the whole file in memory and checks
// every count against the bytes left, so a corrupt file fails with a message and never allocates more than it
// could describe; nesting deeper than XmlMaxDepth is refused.
#include "xml/XmlAttrSetter.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstring>

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

// The key is fed with the scrambled bytes, so every key follows from the one before a run of bytes without
// waiting for each other: key(j+1) = M*key(j) + M*c(j) + A, hence key(j+n) = M^n*key(j) + S(n) + A(n) with
// S(n) = sum of M^(n-i)*c(j+i) over i < n. Only bits 8 to 15 of a key reach a byte, so keys are kept modulo 2^16,
// which lets eight of them be worked out side by side in 16-bit lanes (S by a three-step prefix scan).
#ifdef __SSE2__
struct TLanePowers {
    uint16_t Power[8];   // M^k
    uint16_t Addend[8];  // A * (1 + M + ... + M^(k-1))
    uint16_t M2, M4, M8, A8;
};
constexpr TLanePowers lanePowers()
{
    TLanePowers t{};
    uint32_t p = 1, a = 0;   // unsigned 32-bit products, cut to 16 bits
    for (int k = 0; k < 8; ++k) {
        t.Power[k] = uint16_t(p);
        t.Addend[k] = uint16_t(a);
        a = (a * KeyMultiplier + KeyAddend) & 0xFFFF;
        p = (p * KeyMultiplier) & 0xFFFF;
    }
    t.M8 = uint16_t(p);
    t.A8 = uint16_t(a);
    t.M2 = uint16_t(KeyMultiplier * KeyMultiplier);
    t.M4 = uint16_t(uint32_t(t.M2) * t.M2);
    return t;
}
constexpr TLanePowers Lanes = lanePowers();

// Up to seven bytes to and from a register, pieced together from fixed-size moves (a copy through memory of a
// varying length would stall the load that follows it).
uint64_t loadShort(const uint8_t* p, size_t n)
{
    uint64_t v = 0;
    unsigned shift = 0;
    if (n & 4) {
        uint32_t x;
        std::memcpy(&x, p, 4);
        v |= uint64_t(x) << shift;
        p += 4;
        shift += 32;
    }
    if (n & 2) {
        uint16_t x;
        std::memcpy(&x, p, 2);
        v |= uint64_t(x) << shift;
        p += 2;
        shift += 16;
    }
    if (n & 1)
        v |= uint64_t(*p) << shift;
    return v;
}

void storeShort(char* p, size_t n, uint64_t v)
{
    if (n & 4) {
        auto x = uint32_t(v);
        std::memcpy(p, &x, 4);
        p += 4;
        v >>= 32;
    }
    if (n & 2) {
        auto x = uint16_t(v);
        std::memcpy(p, &x, 2);
        p += 2;
        v >>= 16;
    }
    if (n & 1)
        *p = char(v);
}

// Lane k: the sum of M^(k+1-i) * c(i) over i <= k.
inline __m128i keyScan(__m128i c)
{
    __m128i v = _mm_mullo_epi16(c, _mm_set1_epi16(short(uint16_t(KeyMultiplier))));
    v = _mm_add_epi16(v, _mm_mullo_epi16(_mm_slli_si128(v, 2), _mm_set1_epi16(short(uint16_t(KeyMultiplier)))));
    v = _mm_add_epi16(v, _mm_mullo_epi16(_mm_slli_si128(v, 4), _mm_set1_epi16(short(Lanes.M2))));
    return _mm_add_epi16(v, _mm_mullo_epi16(_mm_slli_si128(v, 8), _mm_set1_epi16(short(Lanes.M4))));
}

// Eight bytes of a string: the plain bytes of the scrambled ones, with Key moved on past them. Bytes after a
// string's end may be anything: later bytes never change earlier ones, and only the string's own are kept.
inline uint64_t unscrambleBlock(uint16_t& Key, uint64_t Bytes)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i c = _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(Bytes)), zero);
    __m128i v = keyScan(c);
    const __m128i powers = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Lanes.Power));
    const __m128i addends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Lanes.Addend));
    __m128i keys = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_set1_epi16(short(Key)), powers),
        _mm_slli_si128(v, 2)), addends);
    __m128i plain = _mm_xor_si128(c, _mm_srli_epi16(keys, 8));
    Key = uint16_t(uint32_t(Key) * Lanes.M8 + uint32_t(_mm_extract_epi16(v, 7)) + Lanes.A8);
    return uint64_t(_mm_cvtsi128_si64(_mm_packus_epi16(plain, zero)));
}

// Eight bytes at a time; a last short run is read and written piece by piece.
void Unscramble(const uint8_t* in, char* out, size_t len)
{
    uint16_t key = uint16_t(KeyStart);
    size_t i = 0;
    for (; i + 8 <= len; i += 8) {
        uint64_t bytes;
        std::memcpy(&bytes, in + i, 8);
        bytes = unscrambleBlock(key, bytes);
        std::memcpy(out + i, &bytes, 8);
    }
    if (i < len)
        storeShort(out + i, len - i, unscrambleBlock(key, loadShort(in + i, len - i)));
}

// Every string starts from the same key, so the keys its first sixteen bytes would have if they were all zero are
// fixed; each byte only adds its own share (the prefix scan) to the keys after it.
struct TStartKeys {
    uint16_t Lo[8];
    uint16_t Hi[8];
};
constexpr TStartKeys startKeys()
{
    TStartKeys t{};
    uint32_t key = KeyStart;
    for (int j = 0; j < 16; ++j) {
        (j < 8 ? t.Lo[j] : t.Hi[j - 8]) = uint16_t(key);
        key = (key * KeyMultiplier + KeyAddend) & 0xFFFF;
    }
    return t;
}
constexpr TStartKeys StartKeys = startKeys();

// Sixteen bytes (a string of at most that many: names, tags, numbers) into Out with one store, both halves
// worked out side by side whatever the length, so that nothing waits on a guess about it: the second half takes
// the first half's share of its keys as one more product. Sixteen bytes must be readable.
void Unscramble16(const uint8_t* in, char* Out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i cLo = _mm_unpacklo_epi8(raw, zero), cHi = _mm_unpackhi_epi8(raw, zero);
    const __m128i vLo = keyScan(cLo), vHi = keyScan(cHi);
    const __m128i carry = _mm_shuffle_epi32(_mm_shufflehi_epi16(vLo, 0xFF), 0xFF);
    const __m128i kLo = _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(StartKeys.Lo)),
        _mm_slli_si128(vLo, 2));
    const __m128i kHi = _mm_add_epi16(_mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(StartKeys.Hi)),
        _mm_slli_si128(vHi, 2)), _mm_mullo_epi16(carry, _mm_loadu_si128(reinterpret_cast<const __m128i*>(Lanes.Power))));
    const __m128i plain = _mm_packus_epi16(_mm_xor_si128(cLo, _mm_srli_epi16(kLo, 8)),
        _mm_xor_si128(cHi, _mm_srli_epi16(kHi, 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), plain);
}
#else
void Unscramble(const uint8_t* in, char* out, size_t len)
{
    uint32_t key = KeyStart;
    for (size_t i = 0; i < len; ++i) {
        out[i] = char(in[i] ^ ((key >> 8) & 255));
        key = (key + in[i]) * KeyMultiplier + KeyAddend;
    }
}
#endif

class TReader {
public:
    explicit TReader(std::string_view Data) : FData(Data) {}
    size_t Left() const { return FData.size() - FPos; }
    int32_t Int()
    {
        need(4);
        const auto* p = reinterpret_cast<const uint8_t*>(FData.data() + FPos);
        FPos += 4;
        return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    }
    void Str(TXmlString& s)
    {
        size_t len;
        if constexpr (XmlLongStringLengths) {
            int32_t n = Int();
            if (n < 0)
                throw EReadError("Stream read error");
            len = size_t(n);
        } else {
            need(1);
            len = uint8_t(FData[FPos++]);
        }
        need(len);
        const auto* p = reinterpret_cast<const uint8_t*>(FData.data() + FPos);
        FPos += len;
        if (!XmlScrambleStrings) {
            s.assign(reinterpret_cast<const char*>(p), len);
            return;
        }
#ifdef __SSE2__
        if (len < 16 && FData.size() - (FPos - len) >= 16) {
            // A short string is worked out as sixteen bytes, always as many (work of varying length guesses
            // wrong about its length), and moved in as such; the string keeps only its own.
            alignas(16) char plain[16];
            Unscramble16(p, plain);
            s.AssignShortFrom(plain, len);
            return;
        }
#endif
        Unscramble(p, s.Resize(len), len);
    }
    // A count that the bytes left could hold, each item taking at least MinBytes.
    int32_t Count(size_t MinBytes)
    {
        int32_t c = Int();
        if (c < 0 || size_t(c) > Left() / MinBytes)
            throw EReadError("Stream read error");
        return c;
    }

private:
    void need(size_t n)
    {
        if (Left() < n)
            throw EReadError("Stream read error");
    }
    std::string_view FData;
    size_t FPos = 0;
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
    auto readAttrs = [&](TXmlAttrList& list, bool convert) {
        int32_t count = r.Count(MinAttrBytes);
        // Bounded by the bytes left, and only one list at a time can be short of what it announced.
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
    auto readNode = [&](auto&& self, TXmlNode& n, int depth) -> void {
        if (depth > XmlMaxDepth)
            throw EXmlError(Format("Nodes nested deeper than %d levels", {int64_t(XmlMaxDepth)}));
        r.Str(n.FTag);
        r.Str(n.FText);
        int32_t children = r.Count(MinNodeBytes);
        // Every level of a nesting could announce more than it holds: reserve only a little ahead.
        n.Nodes.Reserve(std::min(children, 1024));
        for (int32_t i = 0; i < children; ++i) {
            auto child = std::make_unique<TXmlNode>();
            TXmlNode* c = child.get();
            n.Nodes.Add(std::move(child));
            self(self, *c, depth + 1);
        }
        readAttrs(n.Attrs, Template != nullptr);
        if (DoProgress(1))
            throw EUserBreak(UserBreakMessage());
    };
    readNode(readNode, *Root(), 0);
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
