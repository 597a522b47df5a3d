// The document model: helpers, attributes, nodes, walks, searches, IDs, clones, merges and path operations.
// The file forms live in XmlBinary.cpp and XmlText.cpp, the load/save entry points in XmlFiles.cpp.
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <utility>

// --- Helpers -------------------------------------------------------------------------------------------------

bool StrToXmlBool(std::string_view Text)
{
    std::string u = UpperCase(Text);
    if (u == "TRUE" || u == "YES")
        return true;
    if (u == "FALSE" || u == "NO")
        return false;
    throw EConvertError("Error convert string to boolean.");
}

std::string XmlBoolToStr(bool Value) { return Value ? "Yes" : "No"; }

int PosFrom(std::string_view SubStr, std::string_view S, int Start)
{
    if (SubStr.empty() || S.empty())
        return 0;
    size_t from = Start < 1 ? 0 : size_t(Start - 1);
    if (from >= S.size())
        return 0;
    size_t p = S.find(SubStr, from);
    return p == std::string_view::npos ? 0 : int(p + 1);
}

void DeleteAll(std::string& S, std::string_view SubStr) { ReplaceAll(S, SubStr, {}); }

void ReplaceAll(std::string& S, std::string_view Old, std::string_view New)
{
    if (Old.empty())
        return;
    size_t p = S.find(Old);
    if (p == std::string::npos)
        return;
    std::string out;
    out.reserve(S.size());
    size_t from = 0;
    while (p != std::string::npos) {
        out.append(S, from, p - from);
        out.append(New);
        from = p + Old.size();
        p = S.find(Old, from);
    }
    out.append(S, from, std::string::npos);
    S = std::move(out);
}

namespace {
// Length of a character reference "&#d;" .. "&#ddd;" at p with a value of 1-255, or 0; its value in code.
size_t charRef(std::string_view s, size_t p, unsigned char& code)
{
    if (s.compare(p, 2, "&#") != 0)
        return 0;
    size_t q = p + 2;
    unsigned v = 0;
    while (q < s.size() && q - (p + 2) < 3 && s[q] >= '0' && s[q] <= '9')
        v = v * 10 + unsigned(s[q++] - '0');
    size_t digits = q - (p + 2);
    if (digits == 0 || q >= s.size() || s[q] != ';' || v < 1 || v > 255)
        return 0;
    code = static_cast<unsigned char>(v);
    return q + 1 - p;
}

struct TEntity {
    const char* Text;
    size_t Length;
    char Char;
};
const TEntity Entities[] = {{"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&apos;", 6, '\''},
    {"&quot;", 6, '"'}};

void decode(std::string& S, bool named)
{
    size_t amp = S.find('&');
    if (amp == std::string::npos)
        return;
    std::string out;
    out.reserve(S.size());
    out.append(S, 0, amp);
    std::string_view s(S);
    size_t i = amp;
    while (i < s.size()) {
        char c = s[i];
        if (c != '&') {
            out.push_back(c);
            ++i;
            continue;
        }
        unsigned char code = 0;
        if (size_t n = charRef(s, i, code)) {
            out.push_back(char(code));
            i += n;
            continue;
        }
        bool done = false;
        if (named) {
            for (const TEntity& e : Entities) {
                if (s.compare(i, e.Length, e.Text) == 0) {
                    out.push_back(e.Char);
                    i += e.Length;
                    done = true;
                    break;
                }
            }
        }
        if (!done) {
            out.push_back(c);
            ++i;
        }
    }
    S = std::move(out);
}
}

void DecodeCharRefs(std::string& S) { decode(S, false); }

void DecodeXmlEntities(std::string& S) { decode(S, true); }

std::string EscapeXml(std::string_view S)
{
    std::string out;
    out.reserve(S.size() + 8);
    for (char c : S) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\'': out += "&apos;"; break;
        case '"': out += "&quot;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

void Unquote(std::string& S)
{
    if (S.size() >= 2 && (S.front() == '"' || S.front() == '\'') && S.back() == S.front())
        S = S.substr(1, S.size() - 2);
}

int XmlCompare(std::string_view A, std::string_view B)
{
    if (XmlCaseSensitive)
        return A.compare(B);
    return CompareText(A, B);
}

bool XmlSameName(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    return XmlCompare(A, B) == 0;
}

bool XmlStartsWith(std::string_view Prefix, std::string_view S)
{
    return S.size() >= Prefix.size() && XmlCompare(Prefix, S.substr(0, Prefix.size())) == 0;
}

std::ostream& operator<<(std::ostream& Out, const TXmlString& S) { return Out << S.view(); }

// --- Attributes ----------------------------------------------------------------------------------------------

void TXmlAttribute::SetName(std::string_view Name)
{
    // Names read from files are nearly always trimmed already.
    if (!Name.empty() && static_cast<unsigned char>(Name.front()) >= 33 &&
        static_cast<unsigned char>(Name.back()) >= 33)
        FName.assign(Name);
    else
        FName = Trim(Name);
}

int32_t TXmlAttribute::GetAsInteger() const { return StrToInt(FValue); }

void TXmlAttribute::SetAsInteger(int32_t Value) { FValue = IntToStr(Value); }

THandleObject* TXmlAttribute::GetAsPointer() const
{
    int32_t h = 0;
    if (!TryStrToInt(FValue, h))
        return nullptr;
    return THandleObject::FromHandle(h);
}

void TXmlAttribute::SetAsPointer(const THandleObject* Object)
{
    FValue = Object ? IntToStr(Object->GetHandle()) : std::string("0");
}

TXmlNode* TXmlAttribute::GetAsNode() const { return dynamic_cast<TXmlNode*>(GetAsPointer()); }

void TXmlAttribute::SetEscapedValue(std::string_view Text)
{
    std::string v(Text);
    Unquote(v);
    DecodeXmlEntities(v);
    FValue.assign(v);
}

void TXmlAttrStore::reserve(size_t N)
{
    if (N <= FCapacity)
        return;
    if (N > UINT32_MAX)
        throw std::bad_alloc();
    auto* data = static_cast<TXmlAttribute*>(XmlPoolAllocateItems<sizeof(TXmlAttribute)>(N));
    if (FSize > 0)
        std::memcpy(static_cast<void*>(data), static_cast<const void*>(FData), FSize * sizeof(TXmlAttribute));
    size_t size = FSize;
    FSize = 0;   // the attributes now live in the new storage: the old is freed as it is
    release();
    FData = data;
    FSize = uint32_t(size);
    FCapacity = uint32_t(N);
}

void TXmlAttrStore::erase(size_t Index)
{
    FData[Index].~TXmlAttribute();
    std::memmove(static_cast<void*>(FData + Index), static_cast<const void*>(FData + Index + 1),
        (FSize - Index - 1) * sizeof(TXmlAttribute));
    --FSize;
}

void TXmlAttrStore::clear()
{
    while (FSize > 0)
        pop_back();
}

void TXmlAttrList::grow()
{
    if (FItems.size() < FItems.capacity())
        return;
    // Most elements have two to five attributes: room for four first, then twice as much each time.
    FItems.reserve(FItems.empty() ? 4 : FItems.size() * 2);
}

TXmlAttribute& TXmlAttrList::append(TXmlAttribute&& Attribute)
{
    touch();
    grow();
    FItems.push_back(std::move(Attribute));
    noteStrings(FItems.back());
    return FItems.back();
}

void TXmlAttrList::Clear()
{
    touch();
    freeItems();
    FInlineOnly.store(true, std::memory_order_relaxed);
}

int TXmlAttrList::Add(TXmlAttribute Attribute)
{
    append(std::move(Attribute));
    return int(FItems.size()) - 1;
}

TXmlAttribute& TXmlAttrList::appendNew(std::string_view Name, std::string_view Value)
{
    // Made whole before it joins the list: Name or Value may lie in an attribute that growing the list moves.
    TXmlAttribute a;
    a.SetName(Name);
    a.SetEscapedValue(Value);
    return append(std::move(a));
}

TXmlAttribute* TXmlAttrList::AddNew(std::string_view Name, std::string_view Value)
{
    appendNew(Name, Value);
    return at(FItems.size() - 1);
}

TXmlAttribute* TXmlAttrList::AddRaw(std::string_view Name, std::string_view Value)
{
    append(TXmlAttribute(Name, Value));
    return at(FItems.size() - 1);
}

void TXmlAttrList::checkIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EXmlError(Format("List index out of bounds (%d)", {int64_t(Index)}));
}

TXmlAttribute* TXmlAttrList::Items(int Index) const
{
    checkIndex(Index);
    return at(size_t(Index));
}

void TXmlAttrList::Delete(int Index)
{
    checkIndex(Index);   // not Items: the list hands nothing out here
    touch();
    FItems.erase(size_t(Index));
}

int TXmlAttrList::IndexOf(std::string_view Name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (XmlSameName(FItems[i].GetName(), Name))
            return int(i);
    return -1;
}

const TXmlAttribute* TXmlAttrList::Peek(std::string_view Name) const
{
    int i = IndexOf(Name);
    return i < 0 ? nullptr : FItems.data() + i;
}

TXmlAttribute* TXmlAttrList::Find(std::string_view Name) const
{
    const TXmlAttribute* a = Peek(Name);
    return a ? at(size_t(a - FItems.data())) : nullptr;
}

TXmlAttribute* TXmlAttrList::FindExact(std::string_view Name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].GetName() == Name)
            return at(i);
    return nullptr;
}

bool TXmlAttrList::DeleteByName(std::string_view Name)
{
    int i = IndexOf(Name);
    if (i < 0)
        return false;
    touch();
    FItems.erase(size_t(i));
    return true;
}

TXmlAttribute* TXmlAttrList::SetValue(std::string_view Name, std::string_view Value)
{
    if (TXmlAttribute* a = Find(Name)) {
        a->SetValue(Value);
        return a;
    }
    return AddNew(Name, Value);
}

int TXmlAttrList::Assign(const TXmlAttribute& Attribute)
{
    int i = IndexOf(Attribute.GetName());
    if (i >= 0) {
        touch();
        FItems[size_t(i)].SetValue(Attribute.GetValue());
        noteStrings(FItems[size_t(i)]);
        return i;
    }
    append(TXmlAttribute(Attribute.GetName(), Attribute.GetValue()));
    return int(FItems.size()) - 1;
}

// --- Node lists ----------------------------------------------------------------------------------------------

TXmlNode* TXmlNodeList::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EXmlError(Format("List index out of bounds (%d)", {int64_t(Index)}));
    return FItems[size_t(Index)].get();
}

void TXmlNodeList::Renumber(int From)
{
    for (size_t i = size_t(From); i < FItems.size(); ++i)
        FItems[i]->FIndex = int(i);
}

int TXmlNodeList::Insert(int Index, std::unique_ptr<TXmlNode> Node)
{
    if (Index < 0 || Index >= Count())
        return Add(std::move(Node));
    touch();
    Node->Parent = FOwner;
    FItems.insert(FItems.begin() + Index, std::move(Node));
    Renumber(Index);
    return Index;
}

void TXmlNodeList::Delete(int Index)
{
    Extract(Index).reset();
}

std::unique_ptr<TXmlNode> TXmlNodeList::Extract(int Index)
{
    Items(Index);
    touch();
    FItems[size_t(Index)]->Attrs.touch();   // a node of an arena that leaves its tree must outlive a drop of it
    std::unique_ptr<TXmlNode> node = std::move(FItems[size_t(Index)]);
    FItems.erase(FItems.begin() + Index);
    Renumber(Index);
    node->Parent = nullptr;
    node->FIndex = 0;
    return node;
}

namespace {
// The memory a node's own destruction reads first: the node (two cache lines, or three where its block does not
// start at one).
void prefetchNode(const TXmlNode* Node)
{
    const char* p = reinterpret_cast<const char*>(Node);
    __builtin_prefetch(p);
    __builtin_prefetch(p + 64);
    __builtin_prefetch(p + sizeof(TXmlNode) - 1);
}
}

// The attributes a list's destruction reads: none when it vouches for its strings.
void TXmlNodeList::prefetchAttributes(const TXmlAttrList& List)
{
    if (List.FInlineOnly.load(std::memory_order_relaxed))
        return;
    const char* p = reinterpret_cast<const char*>(List.FItems.data());
    size_t bytes = std::min<size_t>(List.FItems.size() * sizeof(TXmlAttribute), 512);
    for (size_t at = 0; at < bytes; at += 64)
        __builtin_prefetch(p + at);
}

void TXmlNodeList::Clear()
{
    // A document being freed is mostly out of the cache, and freeing waits on every node and attribute it reads.
    // The reads are asked for ahead in a pipeline, as many at a time as the processor keeps in flight: each child
    // some way ahead of its turn, and its attributes half as far ahead (by then the child that says where they lie
    // has arrived).
    constexpr size_t NodesAhead = 8, AttrsAhead = 4;
    const size_t n = FItems.size();
    if (n > 0)
        touch();
    for (size_t i = n; i > 0 && i + NodesAhead > n; --i)
        prefetchNode(FItems[i - 1].get());
    for (size_t i = n; i > 0; --i) {
        if (i > NodesAhead)
            prefetchNode(FItems[i - 1 - NodesAhead].get());
        if (i > AttrsAhead)
            prefetchAttributes(FItems[i - 1 - AttrsAhead]->Attrs);
        FItems.pop_back();
    }
}

void TXmlNodeList::dropArenaChildren(const TXmlArena* Arena) noexcept
{
    for (auto& child : FItems)
        if (TXmlArena::Of(child.get()) == Arena)
            (void)child.release();   // its memory goes with the arena, and nothing in it needs a destructor
    FItems.clear();
}

TXmlNode* TXmlNodeList::FindByName(std::string_view Name) const
{
    for (const auto& n : FItems) {
        const TXmlAttribute* a = n->Attrs.Peek("Name");
        if (a ? XmlSameName(a->GetValue(), Name) : Name.empty())
            return n.get();
    }
    return nullptr;
}

bool TXmlNodeList::DeleteByName(std::string_view Name)
{
    TXmlNode* n = FindByName(Name);
    if (!n)
        return false;
    Delete(n->FIndex);
    return true;
}

int TXmlNodeList::IndexOf(const TXmlNode* Node) const
{
    if (!Node || Node->Parent != FOwner || Node->FIndex >= Count() || FItems[size_t(Node->FIndex)].get() != Node)
        return -1;
    return Node->FIndex;
}

TXmlNode* TXmlNodeList::NextAfter(const TXmlNode* Node) const
{
    int i = IndexOf(Node);
    if (i < 0 || i + 1 >= Count())
        return nullptr;
    return FItems[size_t(i) + 1].get();
}

// --- Nodes ---------------------------------------------------------------------------------------------------

void TXmlNode::SetTag(std::string_view Tag)
{
    Attrs.touch();
    FTag = Trim(Tag);
}

void TXmlNode::SetText(std::string_view Text)
{
    Attrs.touch();
    FText = Trim(Text);
}

void TXmlNode::SetEscapedText(std::string_view Text)
{
    Attrs.touch();
    std::string t = Trim(Text);
    DecodeXmlEntities(t);
    FText.assign(t);
}

void TXmlNode::Clear()
{
    Attrs.Clear();
    Nodes.Clear();
}

std::string TXmlNode::GetAttr(std::string_view Name) const
{
    const TXmlAttribute* a = Attrs.Peek(Name);
    return a ? a->GetValue().str() : std::string();
}

TXmlNode* TXmlNode::AddChild(std::string_view Tag)
{
    auto n = std::make_unique<TXmlNode>(Tag);
    TXmlNode* p = n.get();
    Nodes.Add(std::move(n));
    return p;
}

void TXmlNode::RemoveChild(TXmlNode* Node)
{
    int i = Nodes.IndexOf(Node);
    if (i >= 0)
        Nodes.Delete(i);
}

int32_t TXmlNode::GetID() const
{
    const TXmlAttribute* a = Attrs.Peek("ID");
    return a ? a->GetAsInteger() : -1;
}

void TXmlNode::SetID(int32_t ID) { SetAttr("ID", IntToStr(ID)); }

TXmlNode* TXmlNode::GetTemplate() const
{
    const TXmlAttribute* a = Attrs.Peek("TemplateID");
    return a ? a->GetAsNode() : nullptr;
}

void TXmlNode::SetTemplate(const TXmlNode* Node)
{
    std::string v = Node ? IntToStr(Node->GetHandle()) : std::string("0");
    SetAttr("TemplateID", v);
}

int TXmlNode::Level() const
{
    int level = 0;
    for (const TXmlNode* p = Parent; p; p = p->Parent)
        ++level;
    return level;
}

namespace {
bool isIdAttr(const std::string& Name) { return Name == "ID" || Name == "MaxNodeID"; }

bool inFilter(const TStringList& Filter, const std::string& Tag)
{
    return std::find(Filter.begin(), Filter.end(), Tag) != Filter.end();
}
}

void TXmlNode::CopyHeadFrom(const TXmlNode& Source)
{
    Attrs.touch();
    FTag = Source.FTag;
    FText = Source.FText;
    Attrs.Reserve(Source.Attrs.Count());
    for (const TXmlAttribute& a : Source.Attrs.Readable())
        if (!isIdAttr(a.GetName()))
            Attrs.Add(a);
}

std::unique_ptr<TXmlNode> TXmlNode::Clone(bool Deep) const
{
    auto n = std::make_unique<TXmlNode>();
    n->CopyHeadFrom(*this);
    if (Deep)
        for (const auto& c : Nodes)
            n->Nodes.Add(c->Clone(true));
    return n;
}

std::unique_ptr<TXmlNode> TXmlNode::CloneFiltered(const TStringList& Filter) const
{
    auto n = std::make_unique<TXmlNode>();
    n->CopyHeadFrom(*this);
    for (const auto& c : Nodes)
        if (inFilter(Filter, c->FTag))
            n->Nodes.Add(c->Clone(true));
    return n;
}

std::unique_ptr<TXmlNode> TXmlNode::CloneLinked(const TStringList& Filter, bool Deep) const
{
    auto n = std::make_unique<TXmlNode>();
    n->CopyHeadFrom(*this);
    n->SetTemplate(this);
    if (Deep)
        for (const auto& c : Nodes)
            if (inFilter(Filter, c->FTag))
                n->Nodes.Add(c->CloneLinked(Filter, Deep));
    return n;
}

std::unique_ptr<TXmlNode> TXmlNode::CloneFilteredLinked(const TStringList& Filter) const
{
    auto n = std::make_unique<TXmlNode>();
    n->CopyHeadFrom(*this);
    if (!inFilter(Filter, FTag))
        n->SetTemplate(this);
    for (const auto& c : Nodes)
        if (inFilter(Filter, c->FTag))
            n->Nodes.Add(c->Clone(true));
    return n;
}

int TXmlNode::FindMergeTarget(const TXmlNode& Source) const
{
    const TXmlAttribute* sn = Source.Attrs.Peek("Name");
    for (const auto& c : Nodes) {
        if (c->FTag != Source.FTag)
            continue;
        const TXmlAttribute* cn = c->Attrs.Peek("Name");
        if ((sn ? sn->GetValue().view() : std::string_view()) == (cn ? cn->GetValue().view() : std::string_view()))
            return c->FIndex;
    }
    return -1;
}

int TXmlNode::Merge(const TXmlNode& Source, bool Deep)
{
    int i = FindMergeTarget(Source);
    if (i < 0)
        return Nodes.Add(Source.Clone(Deep));
    TXmlNode* target = Nodes.Items(i);
    target->Attrs.touch();
    target->FText = Source.FText;
    for (const TXmlAttribute& a : Source.Attrs.Readable())
        if (!isIdAttr(a.GetName()))
            target->Attrs.Assign(a);
    for (const auto& c : Source.Nodes)
        target->Merge(*c, Deep);
    return i;
}

int TXmlNode::MergeFiltered(const TXmlNode& Source, const TStringList& Filter)
{
    int i = FindMergeTarget(Source);
    if (i < 0)
        return Nodes.Add(Source.CloneFiltered(Filter));
    TXmlNode* target = Nodes.Items(i);
    target->Attrs.touch();
    target->FText = Source.FText;
    for (const TXmlAttribute& a : Source.Attrs.Readable())
        if (!isIdAttr(a.GetName()))
            target->Attrs.Assign(a);
    for (const auto& c : Source.Nodes)
        if (inFilter(Filter, c->FTag))
            target->Merge(*c, true);
    return i;
}

// --- Walks ---------------------------------------------------------------------------------------------------

TXmlNode* TXmlWalk::First(TXmlNode* Start, TXmlNode* Root)
{
    Depth = 0;
    if (!Start) {
        Boundary = nullptr;
        return Root;
    }
    Boundary = Start->Parent;
    return Start;
}

TXmlNode* TXmlWalk::Next(TXmlNode* Node)
{
    if (!Node)
        return nullptr;
    if (Node->Nodes.Count() > 0) {
        ++Depth;
        return Node->Nodes.Items(0);
    }
    return NextSibling(Node);
}

TXmlNode* TXmlWalk::NextSibling(TXmlNode* Node)
{
    TXmlNode* current = Node;
    while (current && current->Parent && current->Parent != Boundary) {
        if (TXmlNode* next = current->Parent->Nodes.NextAfter(current))
            return next;
        current = current->Parent;
        --Depth;
    }
    return nullptr;
}

// --- Documents -----------------------------------------------------------------------------------------------

TXmlDoc::TXmlDoc(TXmlDoc* Template) : Template(Template), FRoot(std::make_unique<TXmlNode>()) {}

TXmlDoc::~TXmlDoc() { dropArena(); }

void TXmlDoc::dropArena() noexcept
{
    TXmlArena* arena = std::exchange(FArena, nullptr);
    if (!arena)
        return;
    const bool whole = !arena->Touched();
    if (FRoot) {
        // The root is not the arena's, but what it holds may be: it lets go first, storage and all.
        FRoot->Attrs.Clear();
        FRoot->Attrs.FItems.forget();
        FRoot->FTag.clear();
        FRoot->FText.clear();
        if (whole)
            FRoot->Nodes.dropArenaChildren(arena);
        else
            FRoot->Nodes.Clear();
        FRoot->Nodes.FItems.shrink_to_fit();
    }
    if (whole)
        arena->Recycle();
    else
        arena->LetGo();
}

void TXmlDoc::Clear()
{
    dropArena();
    if (FRoot) {
        FRoot->Clear();
        FRoot->SetRawTag({});
        FRoot->SetRawText({});
    }
    Prolog.Clear();
    ParsePos = 1;
    FWalk = TXmlWalk();
}

void TXmlDoc::SetRoot(std::unique_ptr<TXmlNode> Node)
{
    FRoot = std::move(Node);
    if (FRoot)
        FRoot->Parent = nullptr;
    FWalk = TXmlWalk();
}

int32_t TXmlDoc::GetMaxNodeID() const
{
    if (!FRoot)
        return 0;
    const TXmlAttribute* a = FRoot->Attrs.Peek("MaxNodeID");
    return a ? a->GetAsInteger() : 0;
}

void TXmlDoc::SetMaxNodeID(int32_t Value)
{
    if (FRoot)
        FRoot->SetAttr("MaxNodeID", IntToStr(Value));
}

void TXmlDoc::AssignIDs(TXmlNode* Start)
{
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(Start, Root()); n; n = walk.Next(n)) {
        int32_t id = GetMaxNodeID() + 1;
        n->SetID(id);
        SetMaxNodeID(id);
    }
}

void TXmlDoc::RemoveNode(TXmlNode* Node)
{
    if (!Node)
        return;
    if (Node->Parent) {
        Node->Parent->RemoveChild(Node);
    } else if (Node == FRoot.get()) {
        FRoot.reset();
        FWalk = TXmlWalk();
    }
}

TXmlNode* TXmlDoc::FindNode(TXmlNode* Start, std::string_view Name, std::string_view Tag) const
{
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(Start, Root()); n; n = walk.Next(n)) {
        if (!Tag.empty() && !XmlSameName(n->GetTag(), Tag))
            continue;
        const TXmlAttribute* a = n->Attrs.Peek("Name");
        if (a ? XmlSameName(a->GetValue(), Name) : Name.empty())
            return n;
    }
    return nullptr;
}

TXmlNode* TXmlDoc::FindAttrNode(TXmlNode* Start, std::string_view Value, std::string_view NamePrefix) const
{
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(Start, Root()); n; n = walk.Next(n)) {
        if (!XmlSameName(n->GetTag(), "ATTR"))
            continue;
        if (!NamePrefix.empty()) {
            const TXmlAttribute* a = n->Attrs.Peek("Name");
            if (!a || !XmlStartsWith(NamePrefix, a->GetValue()))
                continue;
        }
        const TXmlAttribute* v = n->Attrs.Peek("Value");
        if (v && v->GetValue() == Value)
            return n;
    }
    return nullptr;
}

TXmlNode* TXmlDoc::FindByID(TXmlNode* Start, int32_t ID) const
{
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(Start, Root()); n; n = walk.Next(n)) {
        const TXmlAttribute* a = n->Attrs.Peek("ID");
        int32_t id = -1;
        if (a && !TryStrToInt(a->GetValue(), id))
            continue;
        if (id == ID)
            return n;
    }
    return nullptr;
}

int TXmlDoc::NodeCount() const
{
    int count = 0;
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(nullptr, Root()); n; n = walk.Next(n))
        ++count;
    return count;
}

namespace {
TXmlNode* followPath(TXmlNode* Root, const TStringList& Path)
{
    TXmlNode* n = Root;
    for (const std::string& name : Path) {
        if (!n)
            return nullptr;
        n = n->Nodes.FindByName(name);
    }
    return n;
}
}

bool TXmlDoc::SetAttrByPath(const TStringList& Path, std::string_view AttrName, std::string_view Value)
{
    TXmlNode* n = followPath(Root(), Path);
    if (!n)
        return false;
    n->SetAttr(AttrName, Value);
    return true;
}

bool TXmlDoc::DeleteAttrsByPath(const TStringList& Path, const TStringList& AttrNames)
{
    TXmlNode* n = followPath(Root(), Path);
    if (!n)
        return false;
    bool all = true;
    for (const std::string& name : AttrNames)
        all = n->DeleteAttr(name) && all;
    return all;
}

bool TXmlDoc::DeleteNodesByPath(const TStringList& Path, const TStringList& ChildNames)
{
    TXmlNode* n = followPath(Root(), Path);
    if (!n)
        return false;
    bool all = true;
    for (const std::string& name : ChildNames)
        all = n->Nodes.DeleteByName(name) && all;
    return all;
}
