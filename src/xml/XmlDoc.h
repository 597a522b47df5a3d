// The XML document library that carries every tree of the program: the description document and the data
// document. A TXmlDoc owns a prolog attribute list and one root TXmlNode; nodes own their children and attributes.
// Names follow the library's rule (ASCII case folded) unless said otherwise; the fixed attributes "ID",
// "MaxNodeID" and "TemplateID" are tested exactly where the library itself looks for them.
// Load and save (binary and text forms) return false after reporting the error; they never crash on bad input.
// Thread use: a document is changed by one thread at a time; searches keep their own walk state, so a search in
// one thread never disturbs another thread's First/Next walk of the same document.
#pragma once

#include "common/LongOperation.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"
#include "xml/HandleObject.h"
#include "xml/XmlPool.h"
#include "xml/XmlString.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TXmlNode;
class TXmlDoc;

// Library switches, fixed for the whole program.
constexpr bool XmlCaseSensitive = false;     // names compare without case (ASCII letters only)
constexpr bool XmlScrambleStrings = true;    // strings of the binary form are scrambled
constexpr bool XmlLongStringLengths = false; // strings of the binary form carry a one-byte length
// Whether a processor with AVX2 reads binary images with the reader built for it (the default). Tests clear it to
// hold the reader that runs everywhere against the same inputs.
extern std::atomic<bool> XmlBinaryReadsWithAvx2;

// Deepest nesting the readers accept; deeper files are refused as corrupt.
constexpr int XmlMaxDepth = 1000;

// Errors of the library that are not stream or conversion errors (bad header, bad text, too long a string).
ORLANTIS_EXCEPTION(EXmlError, Exception);
// A text-form error that already carries its position; a quiet one (a user break) shows no box.
class EXmlParseError : public EXmlError {
public:
    EXmlParseError(std::string Message, bool Quiet) : EXmlError(std::move(Message)), Quiet(Quiet) {}
    bool Quiet;
};

// --- Helpers -------------------------------------------------------------------------------------------------
// "TRUE"/"YES" -> true, "FALSE"/"NO" -> false (any case); else EConvertError "Error convert string to boolean.".
bool StrToXmlBool(std::string_view Text);
std::string XmlBoolToStr(bool Value);   // "Yes" or "No"
// 1-based position of SubStr in S at or after Start; 0 when either is empty or it does not occur there.
int PosFrom(std::string_view SubStr, std::string_view S, int Start);
// Remove / replace every occurrence, left to right; replacements are never searched again. An empty pattern
// leaves S as it is.
void DeleteAll(std::string& S, std::string_view SubStr);
void ReplaceAll(std::string& S, std::string_view Old, std::string_view New);
// "&#" + 1 to 3 decimal digits + ";" with a value of 1 to 255 becomes that character, in one left-to-right pass;
// any other "&#" stays as it stands.
void DecodeCharRefs(std::string& S);
// The five named entities and the character references of DecodeCharRefs, in one left-to-right pass.
void DecodeXmlEntities(std::string& S);
// Escapes "&", "<", ">", "'" and the double quote with their named entities.
std::string EscapeXml(std::string_view S);
// Removes one pair of enclosing double or single quotes.
void Unquote(std::string& S);
// The library's name comparison; 0 means equal.
int XmlCompare(std::string_view A, std::string_view B);
bool XmlSameName(std::string_view A, std::string_view B);
bool XmlStartsWith(std::string_view Prefix, std::string_view S);

// --- Attributes ----------------------------------------------------------------------------------------------
class TXmlAttribute {
public:
    TXmlAttribute() {}   // not defaulted: a list's new attribute is not zeroed before its strings are set up
    TXmlAttribute(std::string_view Name, std::string_view Value) : FValue(Value) { SetName(Name); }

    const TXmlString& GetName() const { return FName; }
    void SetName(std::string_view Name);
    const TXmlString& GetValue() const { return FValue; }
    void SetValue(const TXmlString& Value) { FValue = Value; }
    void SetValue(TXmlString&& Value) { FValue = std::move(Value); }
    void SetValue(const std::string& Value) { FValue.assign(Value); }
    void SetValue(std::string_view Value) { FValue.assign(Value); }
    void SetValue(const char* Value) { FValue.assign(Value); }

    bool GetAsBoolean() const { return StrToXmlBool(FValue); }
    void SetAsBoolean(bool Value) { FValue = XmlBoolToStr(Value); }
    int32_t GetAsInteger() const;             // EConvertError on bad text
    void SetAsInteger(int32_t Value);
    // The object whose handle the value holds, or nullptr (no number, 0, unknown or stale handle).
    THandleObject* GetAsPointer() const;
    void SetAsPointer(const THandleObject* Object);   // nullptr stores "0"
    TXmlNode* GetAsNode() const;

    std::string GetEscapedValue() const { return EscapeXml(FValue.view()); }
    // Whether name and value both lie inside their string objects, so that the attribute frees nothing when it goes.
    bool KeepsStringsInside() const { return FName.IsInline() & FValue.IsInline(); }
    // Stores Text unquoted and decoded (entities and character references).
    void SetEscapedValue(std::string_view Text);

private:
    friend class TXmlDoc;          // the readers fill names and values in place
    friend class TXmlAttrSetter;
    friend class TXmlTextReader;
    TXmlString FName;
    TXmlString FValue;
};

// The storage of an attribute list: the attributes one after another in a pool block of their count's size. An
// attribute moves by its bytes (its strings hold no pointer into themselves), so growing copies and frees no string.
class TXmlAttrStore {
public:
    TXmlAttrStore() = default;
    TXmlAttrStore(const TXmlAttrStore&) = delete;
    TXmlAttrStore& operator=(const TXmlAttrStore&) = delete;
    ~TXmlAttrStore() { clear(); release(); }

    size_t size() const { return FSize; }
    size_t capacity() const { return FCapacity; }
    bool empty() const { return FSize == 0; }
    TXmlAttribute* data() const { return FData; }
    TXmlAttribute* begin() const { return FData; }
    TXmlAttribute* end() const { return FData + FSize; }
    TXmlAttribute& operator[](size_t Index) const { return FData[Index]; }
    TXmlAttribute& back() const { return FData[FSize - 1]; }

    void reserve(size_t N);
    // For the binary reader, on an empty store: room for exactly N attributes (1 to 8) from the arena the load
    // builds in, the block reserve would take from it by way of the pools. Storage the store still has (a root
    // cleared for the load keeps its own) is given back first.
    [[gnu::always_inline]] void reserveIn(TXmlArena& Arena, size_t N)
    {
        if (FData) [[unlikely]]
            release();
        FData = static_cast<TXmlAttribute*>(Arena.Allocate(N * sizeof(TXmlAttribute)));
        FCapacity = uint32_t(N);
    }
    // For a reader that keeps the place of the next attribute itself: a new, empty attribute there, At being
    // the store's next place, and Count the store's count with it.
    [[gnu::always_inline]] void emplaceAt(TXmlAttribute* At, uint32_t Count)
    {
        new (At) TXmlAttribute;
        FSize = Count;
    }
    // A new, empty attribute at the end; the caller has made room for it.
    [[gnu::always_inline]] TXmlAttribute& emplace_back() { return *new (FData + FSize++) TXmlAttribute; }
    void push_back(TXmlAttribute&& Attribute) { new (FData + FSize++) TXmlAttribute(std::move(Attribute)); }
    void pop_back() { FData[--FSize].~TXmlAttribute(); }
    void erase(size_t Index);
    void clear();
    // Frees the storage without reading an attribute: only for a list none of whose strings lies on the heap.
    void forget()
    {
        FSize = 0;
        release();
    }

private:
    void release()
    {
        if (FData)
            XmlPoolReleaseItems<sizeof(TXmlAttribute)>(FData, FCapacity);
        FData = nullptr;
        FCapacity = 0;
    }
    TXmlAttribute* FData = nullptr;
    uint32_t FSize = 0, FCapacity = 0;
};

// Attributes lie inside their list, one after another in document order: a load makes no object of its own per
// attribute, and a search reads them in one sweep. Adding to a list may move its attributes and deleting moves
// those after the deleted one, so a pointer to an attribute holds only until its list next gains or loses one.
class TXmlAttrList {
public:
    // Walks the attributes as pointers, so that a loop reads `a->GetName()` as it would over owners.
    class TIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TXmlAttribute*;
        using difference_type = std::ptrdiff_t;
        using pointer = TXmlAttribute* const*;
        using reference = TXmlAttribute*;
        TIterator() = default;
        explicit TIterator(TXmlAttribute* At) : FAt(At) {}
        TXmlAttribute* operator*() const { return FAt; }
        TIterator& operator++()
        {
            ++FAt;
            return *this;
        }
        TIterator operator++(int)
        {
            TIterator old = *this;
            ++FAt;
            return old;
        }
        bool operator==(const TIterator& Other) const { return FAt == Other.FAt; }
        bool operator!=(const TIterator& Other) const { return FAt != Other.FAt; }

    private:
        TXmlAttribute* FAt = nullptr;
    };

    TXmlAttrList() = default;
    TXmlAttrList(const TXmlAttrList&) = delete;
    TXmlAttrList& operator=(const TXmlAttrList&) = delete;
    ~TXmlAttrList() { freeItems(); }

    // Appends Attribute's name and value (moved in); returns its index.
    int Add(TXmlAttribute Attribute);
    // A new attribute with SetName(Name) and SetEscapedValue(Value).
    TXmlAttribute* AddNew(std::string_view Name, std::string_view Value);
    // A new attribute holding Name and Value exactly as given.
    TXmlAttribute* AddRaw(std::string_view Name, std::string_view Value);
    int Count() const { return int(FItems.size()); }
    void Reserve(int Count)
    {
        touch();
        FItems.reserve(size_t(Count));
    }
    TXmlAttribute* Items(int Index) const;   // EXmlError out of range
    void Delete(int Index);
    void Clear();

    TXmlAttribute* Find(std::string_view Name) const;        // library's rule, first match
    // Find's match to read only: unlike Find it hands out nothing a caller could change.
    const TXmlAttribute* Peek(std::string_view Name) const;
    TXmlAttribute* FindExact(std::string_view Name) const;   // with case
    int IndexOf(std::string_view Name) const;                // library's rule, first match; -1 when absent
    bool DeleteByName(std::string_view Name);
    // The first match gets Value unchanged; without one, AddNew (so a new value is unquoted and decoded).
    TXmlAttribute* SetValue(std::string_view Name, std::string_view Value);
    // The first attribute of the same name takes Attribute's value unchanged, else a raw copy is appended.
    int Assign(const TXmlAttribute& Attribute);

    TIterator begin() const { return TIterator(at(0)); }
    TIterator end() const { return TIterator(FItems.end()); }
    // The attributes to read only: unlike the walk above it hands out none that a caller could change.
    std::span<const TXmlAttribute> Readable() const { return {FItems.data(), FItems.size()}; }
    // Whether freeing the list frees its storage without reading a single attribute (see FInlineOnly).
    bool FreesWithoutReading() const { return FInlineOnly.load(std::memory_order_relaxed); }

private:
    friend class TXmlDoc;          // the readers fill names and values in place
    friend class TXmlAttrSetter;
    friend class TXmlNodeList;     // freeing a child list asks ahead for what its children's lists will read
    friend class TXmlNode;         // a node's own changes mark its arena as its list's do
    friend class TXmlTextReader;   // marks the nodes it puts in an arena
    // Hands out an attribute that the caller may change: see FInlineOnly.
    TXmlAttribute* at(size_t Index) const
    {
        touch();
        if (FInlineOnly.load(std::memory_order_relaxed))
            FInlineOnly.store(false, std::memory_order_relaxed);
        return FItems.data() + Index;
    }
    // An attribute of the list got the strings it now holds.
    void noteStrings(const TXmlAttribute& Attribute)
    {
        if (!Attribute.KeepsStringsInside())
            FInlineOnly.store(false, std::memory_order_relaxed);
    }
    // Destroys the attributes and frees the storage; a list that vouches for its strings reads none of them.
    void freeItems()
    {
        if (FInlineOnly.load(std::memory_order_relaxed))
            FItems.forget();
        else
            FItems.clear();
    }
    void checkIndex(int Index) const;   // EXmlError out of range
    // The attribute at the end, with the strings it was given.
    TXmlAttribute& append(TXmlAttribute&& Attribute);
    // The attribute at the end with SetName(Name) and SetEscapedValue(Value).
    TXmlAttribute& appendNew(std::string_view Name, std::string_view Value);
    // Makes room for one more: a list's first storage holds a few attributes, not one.
    void grow();
    TXmlAttrStore FItems;
    // Whether no string of the list lies on the heap, so that freeing the list frees its storage without reading
    // its attributes (a document being freed is mostly out of the cache). True for an empty list; what the list
    // and the readers put in is checked as it comes, and a list that hands out an attribute a caller could change
    // stops vouching for its strings. It is only ever cleared where others may read the list at the same time
    // (searches from two threads), hence the atomic.
    mutable std::atomic<bool> FInlineOnly{true};
    // Whether the list's node lies in an arena (a load put it there): every change to the node, to this list or
    // to its child list then marks the arena touched (see XmlArena.h).
    bool FArenaNode = false;
    void touch() const
    {
        if (FArenaNode)
            XmlArenaTouch(this);
    }
};

// --- Nodes ---------------------------------------------------------------------------------------------------
class TXmlNodeList {
public:
    explicit TXmlNodeList(TXmlNode* Owner) : FOwner(Owner) {}
    TXmlNodeList(const TXmlNodeList&) = delete;
    TXmlNodeList& operator=(const TXmlNodeList&) = delete;
    ~TXmlNodeList() { Clear(); }

    TXmlNode* Owner() const { return FOwner; }
    inline int Add(std::unique_ptr<TXmlNode> Node);   // sets the node's Parent
    int Insert(int Index, std::unique_ptr<TXmlNode> Node);   // at Index (at the end when Index is not in the list)
    int Count() const { return int(FItems.size()); }
    inline void Reserve(int Count);
    TXmlNode* Items(int Index) const;          // EXmlError out of range
    void Delete(int Index);
    void Clear();                              // frees from the last to the first
    TXmlNode* FindByName(std::string_view Name) const;
    bool DeleteByName(std::string_view Name);
    TXmlNode* NextAfter(const TXmlNode* Node) const;
    int IndexOf(const TXmlNode* Node) const;   // -1 when Node is not in this list
    // Takes a child out without freeing it (Parent becomes nullptr).
    std::unique_ptr<TXmlNode> Extract(int Index);

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    friend class TXmlDoc;          // drops a loaded tree whole, and the binary reader fills lists
    friend class TXmlTextReader;   // adds the nodes of the tree it builds
    void Renumber(int From);
    inline void touch() const;
    // Add without marking the arena: for the readers, which build the arena's tree.
    inline int addLoaded(std::unique_ptr<TXmlNode> Node);
    // Drops the children that lie in Arena without freeing them, frees the others, and gives back the storage.
    void dropArenaChildren(const TXmlArena* Arena) noexcept;
    static void prefetchAttributes(const TXmlAttrList& List);
    TXmlNode* FOwner;
    using TAllocator = TXmlListAllocator<std::unique_ptr<TXmlNode>, XmlPoolsChildLists>;
    std::vector<std::unique_ptr<TXmlNode>, TAllocator> FItems;
};

using TStringList = std::vector<std::string>;

class TXmlNode final : public THandleObject {
    // First, so that it fills the padding behind the handle.
    int FIndex = 0;

public:
    ORLANTIS_XML_POOLED(TXmlNode)
    TXmlNode() : Nodes(this) {}
    explicit TXmlNode(std::string_view Tag) : Nodes(this) { SetTag(Tag); }
    TXmlNode(const TXmlNode&) = delete;
    TXmlNode& operator=(const TXmlNode&) = delete;
    ~TXmlNode() override = default;

    TXmlNode* Parent = nullptr;
    TXmlNodeList Nodes;
    TXmlAttrList Attrs;

    const TXmlString& GetTag() const { return FTag; }
    void SetTag(std::string_view Tag);
    const TXmlString& GetText() const { return FText; }
    void SetText(std::string_view Text);
    std::string GetEscapedText() const { return EscapeXml(FText.view()); }
    void SetEscapedText(std::string_view Text);   // trims, then decodes (no unquoting)
    // Text stored exactly as given (readers and copies).
    void SetRawText(std::string_view Text)
    {
        Attrs.touch();
        FText.assign(Text);
    }
    void SetRawTag(std::string_view Tag)
    {
        Attrs.touch();
        FTag.assign(Tag);
    }

    void Clear();
    TXmlAttribute* SetAttr(std::string_view Name, std::string_view Value) { return Attrs.SetValue(Name, Value); }
    bool DeleteAttr(std::string_view Name) { return Attrs.DeleteByName(Name); }
    std::string GetAttr(std::string_view Name) const;   // '' when absent
    int AddChild(std::unique_ptr<TXmlNode> Node) { return Nodes.Add(std::move(Node)); }
    // Convenience: appends a new child with the given tag and returns it.
    TXmlNode* AddChild(std::string_view Tag);
    void RemoveChild(TXmlNode* Node);
    bool HasChildren() const { return Nodes.Count() > 0; }

    std::string GetName() const { return GetAttr("Name"); }
    void SetName(std::string_view Name) { SetAttr("Name", Trim(Name)); }
    std::string GetValue() const { return GetAttr("Value"); }
    void SetValue(std::string_view Value) { SetAttr("Value", Trim(Value)); }
    int32_t GetID() const;                     // -1 when absent; EConvertError on bad text
    void SetID(int32_t ID);
    TXmlNode* GetTemplate() const;             // nullptr when absent or stale
    void SetTemplate(const TXmlNode* Node);

    // Index of this node in its parent's list (0 for a parentless node).
    int Index() const { return FIndex; }
    int Level() const;   // 0 for a node without parent

    // Copies: Tag, Text and every attribute but "ID" and "MaxNodeID", byte for byte.
    std::unique_ptr<TXmlNode> Clone(bool Deep) const;
    std::unique_ptr<TXmlNode> CloneFiltered(const TStringList& Filter) const;
    std::unique_ptr<TXmlNode> CloneLinked(const TStringList& Filter, bool Deep) const;
    std::unique_ptr<TXmlNode> CloneFilteredLinked(const TStringList& Filter) const;
    int Merge(const TXmlNode& Source, bool Deep);
    int MergeFiltered(const TXmlNode& Source, const TStringList& Filter);

protected:
    // A node of an arena that gives out a handle could be freed whole with the handle still registered.
    void HandleGiven() const override { Attrs.touch(); }

private:
    friend class TXmlNodeList;
    friend class TXmlDoc;          // the readers fill tags and texts in place
    friend class TXmlTextReader;
    void CopyHeadFrom(const TXmlNode& Source);
    int FindMergeTarget(const TXmlNode& Source) const;
    TXmlString FTag;
    TXmlString FText;
};

// Inline: the readers add every node of a document through it.
void TXmlNodeList::touch() const { FOwner->Attrs.touch(); }

void TXmlNodeList::Reserve(int Count)
{
    touch();
    FItems.reserve(size_t(Count));
}

int TXmlNodeList::Add(std::unique_ptr<TXmlNode> Node)
{
    touch();
    return addLoaded(std::move(Node));
}

int TXmlNodeList::addLoaded(std::unique_ptr<TXmlNode> Node)
{
    // A list's first storage is a whole pool block; growing one pointer at a time would only copy.
    if (FItems.capacity() == 0)
        FItems.reserve(TAllocator::Small / sizeof(std::unique_ptr<TXmlNode>));
    Node->Parent = FOwner;
    Node->FIndex = int(FItems.size());
    FItems.push_back(std::move(Node));
    return int(FItems.size()) - 1;
}

// --- Walks ---------------------------------------------------------------------------------------------------
// A document-order walk from a start node over it and its descendants. Each search has one of its own; the
// document's First/Next/NextSibling use the document's.
struct TXmlWalk {
    TXmlNode* Boundary = nullptr;
    int32_t Depth = 0;
    TXmlNode* First(TXmlNode* Start, TXmlNode* Root);
    TXmlNode* Next(TXmlNode* Node);
    TXmlNode* NextSibling(TXmlNode* Node);
};

// --- Documents -----------------------------------------------------------------------------------------------
class TXmlDoc : public TLongOperation {
public:
    enum : uint8_t { opLoadFromStream = 0, opSaveToStream = 1, opLoadFromFile = 2, opSaveToFile = 3 };

    explicit TXmlDoc(TXmlDoc* Template = nullptr);
    ~TXmlDoc() override;
    TXmlDoc(const TXmlDoc&) = delete;
    TXmlDoc& operator=(const TXmlDoc&) = delete;

    TXmlDoc* Template;
    TXmlAttrList Prolog;
    TXmlNode* Root() const { return FRoot.get(); }
    // Whether freeing the tree (Clear, the next load, the destructor) drops it whole: it was loaded, and nothing
    // since has changed, taken out or given a handle to a node below the root.
    bool FreesWhole() const { return FArena && !FArena->Touched(); }

    // Load/save request for Execute.
    uint8_t Operation = opLoadFromFile;
    bool Binary = true;
    std::iostream* Stream = nullptr;
    std::string FileName;
    // The message of the last failed load or save ('' after a success).
    std::string LastError;
    // The bytes after the document's end in the last binary load: a file that holds more than its document was
    // damaged or appended to, which its reader tells the user.
    size_t TrailingBytes = 0;

    void Clear();
    void SetRoot(std::unique_ptr<TXmlNode> Node);
    int32_t GetMaxNodeID() const;
    void SetMaxNodeID(int32_t Value);
    void AssignIDs(TXmlNode* Start);

    TXmlNode* First(TXmlNode* Start) { return FWalk.First(Start, Root()); }
    TXmlNode* Next(TXmlNode* Node) { return FWalk.Next(Node); }
    TXmlNode* NextSibling(TXmlNode* Node) { return FWalk.NextSibling(Node); }
    int32_t WalkDepth() const { return FWalk.Depth; }

    void RemoveNode(TXmlNode* Node);
    TXmlNode* FindNode(TXmlNode* Start, std::string_view Name, std::string_view Tag = {}) const;
    TXmlNode* FindAttrNode(TXmlNode* Start, std::string_view Value, std::string_view NamePrefix = {}) const;
    TXmlNode* FindByID(TXmlNode* Start, int32_t ID) const;
    int NodeCount() const;

    bool SetAttrByPath(const TStringList& Path, std::string_view AttrName, std::string_view Value);
    bool DeleteAttrsByPath(const TStringList& Path, const TStringList& AttrNames);
    bool DeleteNodesByPath(const TStringList& Path, const TStringList& ChildNames);

    // Entry points: errors are caught, OnResult(true) is called, the message is shown (and kept in LastError),
    // and false is returned. A failed load leaves the document cleared or partly filled; a failed save to a file
    // leaves the old file as it was.
    bool SaveToStream(std::ostream& Out, bool Binary);
    bool LoadFromStream(std::istream& In, bool Binary);
    bool SaveToFile(const std::string& FileName, bool Binary);
    bool LoadFromFile(const std::string& FileName, bool Binary);
    void Execute() override;

    // Text form over memory: WriteText fills TextBuffer (or writes to Out when given); ParseText reads XmlText.
    bool WriteText(std::ostream* Out);
    bool ParseText();
    std::string TextBuffer;
    std::string XmlText;
    size_t ParsePos = 1;

    // Whether a failed load or save shows its message box (datc and the fuzz targets switch it off).
    bool ShowErrors = true;

private:
    void Report(const std::string& Message, bool ShowBox);
    // The file forms (XmlBinary.cpp, XmlText.cpp); each throws on error.
    void WriteBinary(std::string& Out);
    void ReadBinary(std::string_view Data);
    // The two builds of ReadBinary's loop (XmlBinaryTree.inc): for every processor, and for those with AVX2.
    void readBinaryTree(std::string_view Data);
    void readBinaryTreeAvx2(std::string_view Data);
    void WriteTextTo(std::string& Out);
    void ParseTextFrom(std::string_view Text);
    // "TemplateID" conversions between handles in memory and IDs in files.
    std::string TemplateIDToFile(const std::string& Value) const;
    std::string TemplateIDFromFile(const std::string& Value);
    // The readers' calls out of a load (template lookups, progress): what they allocate is not the tree's.
    std::string templateID(const std::string& FileValue)
    {
        TXmlArenaPause pause;
        return TemplateIDFromFile(FileValue);
    }
    bool progress()
    {
        TXmlArenaPause pause;
        return DoProgress(1);
    }
    void CountStart();

    std::unique_ptr<TXmlNode> FRoot;
    // The arena of the last load, until the next load or Clear lets go of it.
    TXmlArena* FArena = nullptr;
    void dropArena() noexcept;
    TXmlWalk FWalk;
    // IDs of the template's nodes, built once per load that needs them.
    std::unordered_map<int32_t, TXmlNode*> FTemplateIndex;
    bool FTemplateIndexBuilt = false;
};
