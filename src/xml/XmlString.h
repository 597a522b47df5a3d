// The string a document keeps for every tag, text, attribute name and value. It reads like a const std::string
// (size, data, c_str, find, substr, comparisons, conversion to std::string and std::string_view) but keeps up to
// 15 characters inside its sixteen bytes, so that nearly every name and value of a document costs no allocation,
// and a reader can fill it with one sixteen-byte move instead of a library call. Longer strings (up to 4 GiB) live
// on the heap; a copy always owns its characters, so a copy taken from a node outlives the node as a std::string
// copy would. Sixteen bytes rather than more: an attribute is two strings and a document has them by the hundred
// thousand, and a load that writes less memory is a faster load.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "xml/XmlPool.h"

class TXmlString {
public:
    static constexpr size_t npos = std::string::npos;
    // The most characters kept inside the object.
    static constexpr size_t InlineMax = 15;

    TXmlString() noexcept { setEmpty(); }
    TXmlString(std::string_view S) { init(S.data(), S.size()); }
    TXmlString(const std::string& S) { init(S.data(), S.size()); }
    TXmlString(const char* S) { init(S, std::strlen(S)); }
    TXmlString(const TXmlString& Other)
    {
        if (Other.isInline())
            std::memcpy(FBytes, Other.FBytes, sizeof FBytes);
        else
            init(Other.FHeap.Ptr, Other.FHeap.Size);
    }
    TXmlString(TXmlString&& Other) noexcept
    {
        std::memcpy(FBytes, Other.FBytes, sizeof FBytes);
        Other.setEmpty();
    }
    ~TXmlString() { release(); }

    TXmlString& operator=(const TXmlString& Other)
    {
        if (this != &Other)
            assign(Other.data(), Other.size());
        return *this;
    }
    TXmlString& operator=(TXmlString&& Other) noexcept
    {
        if (this != &Other) {
            release();
            std::memcpy(FBytes, Other.FBytes, sizeof FBytes);
            Other.setEmpty();
        }
        return *this;
    }
    TXmlString& operator=(std::string_view S)
    {
        assign(S.data(), S.size());
        return *this;
    }
    TXmlString& operator=(const std::string& S) { return *this = std::string_view(S); }
    TXmlString& operator=(const char* S) { return *this = std::string_view(S); }

    // Characters may lie within this string itself.
    void assign(const char* S, size_t N)
    {
        if (N <= InlineMax) {
            char tmp[InlineMax + 1];
            copy(tmp, S, N);
            release();
            copy(FBytes, tmp, N);
            setInlineSize(N);
            return;
        }
        char* p = allocate(N);
        std::memcpy(p, S, N);
        release();
        adopt(p, N);
    }
    void assign(std::string_view S) { assign(S.data(), S.size()); }
    void clear() noexcept
    {
        release();
        setEmpty();
    }

    const char* data() const noexcept { return isInline() ? FBytes : FHeap.Ptr; }
    const char* c_str() const noexcept { return data(); }
    size_t size() const noexcept { return isInline() ? InlineMax - size_t(uint8_t(FBytes[Last])) : FHeap.Size; }
    bool empty() const noexcept { return size() == 0; }
    const char* begin() const noexcept { return data(); }
    const char* end() const noexcept { return data() + size(); }
    char operator[](size_t I) const noexcept { return data()[I]; }
    char back() const noexcept { return data()[size() - 1]; }

    std::string_view view() const noexcept { return {data(), size()}; }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(data(), size()); }
    operator std::string() const { return str(); }

    std::string substr(size_t Pos = 0, size_t N = npos) const { return std::string(view().substr(Pos, N)); }
    size_t find(std::string_view S, size_t Pos = 0) const noexcept { return view().find(S, Pos); }
    size_t find(char C, size_t Pos = 0) const noexcept { return view().find(C, Pos); }
    bool starts_with(std::string_view S) const noexcept { return view().starts_with(S); }
    bool ends_with(char C) const noexcept { return view().ends_with(C); }

    friend bool operator==(const TXmlString& A, const TXmlString& B) noexcept { return A.view() == B.view(); }
    friend bool operator==(const TXmlString& A, std::string_view B) noexcept { return A.view() == B; }
    friend bool operator==(const TXmlString& A, const std::string& B) noexcept { return A.view() == B; }
    friend bool operator==(const TXmlString& A, const char* B) noexcept { return A.view() == B; }
    friend std::strong_ordering operator<=>(const TXmlString& A, const TXmlString& B) noexcept
    {
        return A.view() <=> B.view();
    }
    friend std::strong_ordering operator<=>(const TXmlString& A, std::string_view B) noexcept
    {
        return A.view() <=> B;
    }
    friend std::strong_ordering operator<=>(const TXmlString& A, const std::string& B) noexcept
    {
        return A.view() <=> std::string_view(B);
    }
    friend std::strong_ordering operator<=>(const TXmlString& A, const char* B) noexcept
    {
        return A.view() <=> std::string_view(B);
    }

    friend std::string operator+(const TXmlString& A, std::string_view B) { return join(A.view(), B); }
    friend std::string operator+(std::string_view A, const TXmlString& B) { return join(A, B.view()); }
    friend std::string operator+(const TXmlString& A, const std::string& B) { return join(A.view(), B); }
    friend std::string operator+(const std::string& A, const TXmlString& B) { return join(A, B.view()); }
    friend std::string operator+(std::string&& A, const TXmlString& B) { return std::move(A.append(B.view())); }
    friend std::string operator+(const TXmlString& A, const char* B) { return join(A.view(), B); }
    friend std::string operator+(const char* A, const TXmlString& B) { return join(A, B.view()); }
    friend std::string operator+(const TXmlString& A, char B) { return join(A.view(), std::string_view(&B, 1)); }
    friend std::string operator+(char A, const TXmlString& B) { return join(std::string_view(&A, 1), B.view()); }
    friend std::string operator+(const TXmlString& A, const TXmlString& B) { return join(A.view(), B.view()); }

    // For the readers: N characters (at most InlineMax), of which sixteen bytes may be read at S: one fixed-size
    // move whatever N is, so that nothing waits on a guess about it.
    [[gnu::always_inline]] void AssignShortFrom(const char* S, size_t N) noexcept
    {
        release();
        FillShortFrom(S, N);
    }
    // The same for a string that holds nothing on the heap (a new one, made for the reader to fill).
    [[gnu::always_inline]] void FillShortFrom(const char* S, size_t N) noexcept
    {
        std::memcpy(FBytes, S, 16);
        setInlineSize(N);
    }
    // A copy of Other, a short string, into a string that holds nothing on the heap.
    [[gnu::always_inline]] void FillShortFrom(const TXmlString& Other) noexcept
    {
        std::memcpy(FBytes, Other.FBytes, sizeof FBytes);
    }
    // Room for N characters, to be written through the pointer returned. A string too long to keep inside gets
    // room for whole sixteen-byte blocks, which a writer may fill to the end of the last one; Terminate() then
    // sets the terminating zero.
    char* Resize(size_t N)
    {
        release();
        if (N <= InlineMax) {
            setInlineSize(N);
            return FBytes;
        }
        char* p = allocate(N);
        adopt(p, N);
        return p;
    }
    // For the readers: the object's first byte, which is the first character of a string kept inside, and zero
    // when that string is empty.
    uint8_t InlineFirst() const noexcept { return uint8_t(FBytes[0]); }
    // Whether the characters lie inside the object, so that it frees nothing when it goes.
    bool IsInline() const noexcept { return isInline(); }
    void Terminate() noexcept
    {
        if (!isInline())
            FHeap.Ptr[FHeap.Size] = 0;
    }

private:
    static constexpr size_t Last = InlineMax;   // the byte that tells the form
    static constexpr char HeapTag = char(0xFF);

    static std::string join(std::string_view A, std::string_view B)
    {
        std::string s;
        s.reserve(A.size() + B.size());
        s.append(A);
        s.append(B);
        return s;
    }
    // An empty view may carry no address at all, which memcpy must not be given.
    static void copy(char* To, const char* From, size_t N) noexcept
    {
        if (N > 0)
            std::memcpy(To, From, N);
    }
    // Room for N characters and their terminator, rounded up to whole sixteen-byte blocks (see Resize). It comes
    // from the pools the nodes use: a document's long values are made and freed by the thousand, which the general
    // heap does at several times the cost. A heap string never changes its size, so it gives back what it took.
    static size_t room(size_t N) noexcept { return (N + 16) & ~size_t(15); }
    static char* allocate(size_t N)
    {
        if (N > UINT32_MAX)
            throw std::length_error("String too long");
        auto* p = static_cast<char*>(XmlPoolAllocate(room(N)));
        p[N] = 0;
        return p;
    }
    static void deallocate(char* P, size_t N) noexcept { XmlPoolRelease(P, room(N)); }
    bool isInline() const noexcept { return FBytes[Last] != HeapTag; }
    // An inline string keeps InlineMax - size in its last byte: a full one ends in zero, its own terminator.
    void setInlineSize(size_t N) noexcept
    {
        FBytes[N] = 0;
        FBytes[Last] = char(InlineMax - N);
    }
    void setEmpty() noexcept { setInlineSize(0); }
    // Takes P, a heap block of N characters and their terminator, as this string's own.
    void adopt(char* P, size_t N) noexcept
    {
        FHeap.Ptr = P;
        FHeap.Size = uint32_t(N);
        FBytes[Last] = HeapTag;
    }
    void release() noexcept
    {
        if (!isInline())
            deallocate(FHeap.Ptr, FHeap.Size);
    }
    void init(const char* S, size_t N)
    {
        if (N <= InlineMax) {
            copy(FBytes, S, N);
            setInlineSize(N);
            return;
        }
        char* p = allocate(N);
        std::memcpy(p, S, N);
        adopt(p, N);
    }

    union {
        char FBytes[InlineMax + 1];
        struct {
            char* Ptr;
            uint32_t Size;   // the bytes after it are the last byte's, which tells the form
        } FHeap;
    };
};

static_assert(sizeof(TXmlString) == 16);

std::ostream& operator<<(std::ostream& Out, const TXmlString& S);
