// The binary file form: magic number, scrambled version string, node count, prolog, root node; strings carry a
// one-byte length and are scrambled with a running key. The reader works on the whole file in memory and checks
// every count against the bytes left, so a corrupt file fails with a message and never allocates more than it
// could describe; nesting deeper than XmlMaxDepth is refused.
#include "xml/XmlAttrSetter.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstring>

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

// The key is fed with the scrambled bytes, so the keys of four bytes follow from the key before them without
// waiting for each other: key(j+1) = M*key(j) + M*c(j) + A, hence key(j+n) = M^n*key(j) + t(n).
void Unscramble(const uint8_t* in, char* out, size_t len)
{
    constexpr uint32_t M = KeyMultiplier, A = KeyAddend;
    constexpr uint32_t M2 = M * M, M3 = M2 * M, M4 = M3 * M;
    uint32_t key = KeyStart;
    size_t i = 0;
    for (; i + 4 <= len; i += 4) {
        uint32_t c0 = in[i], c1 = in[i + 1], c2 = in[i + 2], c3 = in[i + 3];
        uint32_t t1 = M * c0 + A;
        uint32_t t2 = M * t1 + M * c1 + A;
        uint32_t t3 = M * t2 + M * c2 + A;
        uint32_t t4 = M * t3 + M * c3 + A;
        out[i] = char(c0 ^ ((key >> 8) & 255));
        out[i + 1] = char(c1 ^ (((M * key + t1) >> 8) & 255));
        out[i + 2] = char(c2 ^ (((M2 * key + t2) >> 8) & 255));
        out[i + 3] = char(c3 ^ (((M3 * key + t3) >> 8) & 255));
        key = M4 * key + t4;
    }
    for (; i < len; ++i) {
        out[i] = char(in[i] ^ ((key >> 8) & 255));
        key = (key + in[i]) * M + A;
    }
}

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
    void Str(std::string& s)
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
        } else if (len <= 256) {
            // Short strings (all of them with one-byte lengths) go through the stack: no zero-filling first.
            char plain[256];
            Unscramble(p, plain, len);
            s.assign(plain, len);
        } else {
            s.resize(len);
            Unscramble(p, s.data(), len);
        }
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
    std::string s;
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
            auto a = std::make_unique<TXmlAttribute>();
            r.Str(a->FName);
            r.Str(a->FValue);
            if (convert && a->FName == "TemplateID")
                a->FValue = TemplateIDFromFile(a->FValue);
            setter.Adopt(std::move(a));
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
