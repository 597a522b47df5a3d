// The key=value text list in which every drawing object and resource of the print library saves itself, and its
// length-prefixed stream form. Numbers are written and read with "." whatever the locale of the environment, so a
// list written under one locale reads back the same under any other. Plain C++.
//
// Stream form: a 32-bit little-endian length N, then N bytes of "key=value" lines, each ended by CR LF. A value
// that holds line breaks is written on its one line as "key*=value" with backslash, CR and LF escaped ("\\", "\r",
// "\n"), so that it reads back as written; the bare further lines of such a value in a stream written before it
// was marked are joined to it again with CR LF.
// A reader that meets a short stream raises EReadError and leaves the list it was loading untouched.
#pragma once

#include "print/PrnFuncs.h"

#include <string>
#include <string_view>
#include <vector>

// Bytes in memory with a read position.
class TPrnMemoryStream {
public:
    std::string Data;
    size_t Position = 0;

    void Write(const void* Buffer, size_t Count);
    void Read(void* Buffer, size_t Count);   // EReadError when fewer bytes remain
    void Rewind() { Position = 0; }
};

class TPrnWriter {
public:
    explicit TPrnWriter(TPrnMemoryStream& S) : Stream(S) {}
    void WriteInteger(int32_t Value);
    // The length, then the bytes of Source from its start.
    void WriteStream(const TPrnMemoryStream& Source);
    TPrnMemoryStream& Target() { return Stream; }

private:
    TPrnMemoryStream& Stream;
};

class TPrnReader {
public:
    explicit TPrnReader(TPrnMemoryStream& S) : Stream(S) {}
    int32_t ReadInteger();
    // A length-prefixed block into Target, rewound.
    void ReadStream(TPrnMemoryStream& Target);
    TPrnMemoryStream& Source() { return Stream; }

private:
    TPrnMemoryStream& Stream;
};

class TPrnValueList {
public:
    int ReadIntValue(std::string_view Key, int Default) const;
    bool ReadBoolValue(std::string_view Key, bool Default) const;
    Extended ReadExtValue(std::string_view Key, Extended Default) const;
    TPrnExtPoint ReadPointValue(std::string_view Key, TPrnExtPoint Default) const;
    TPrnExtRect ReadRectValue(std::string_view Key, TPrnExtRect Default) const;
    std::string ReadStringValue(std::string_view Key, std::string_view Default) const;

    // A write replaces the key's line in its place or appends one; an empty string removes the key's line.
    void WriteIntValue(std::string_view Key, int Value);
    void WriteBoolValue(std::string_view Key, bool Value);
    void WriteExtValue(std::string_view Key, Extended Value);   // "0.000"
    void WritePointValue(std::string_view Key, TPrnExtPoint Value);   // X, Y x 1000, rounded
    void WriteRectValue(std::string_view Key, TPrnExtRect Value);     // left, top, right, bottom x 1000
    void WriteStringValue(std::string_view Key, std::string_view Value);

    void SaveToStream(TPrnWriter& W) const;
    void LoadFromStream(TPrnReader& R);   // EReadError on a short stream; the list is then unchanged

    const std::vector<std::string>& Lines() const { return FLines; }
    std::string Text() const;   // the stream form's text: one line per entry, each ended by CR LF
    void Clear() { FLines.clear(); }
    int Count() const { return int(FLines.size()); }

private:
    int IndexOfKey(std::string_view Key) const;
    bool Find(std::string_view Key, std::string& Value) const;
    std::vector<std::string> FLines;
};

// Extended values as the lists write them: "0.000" with "."; and back, "." only. Locale-independent.
std::string PrnFormatExtended(Extended Value, int Decimals = 3);
bool PrnParseExtended(std::string_view Text, Extended& Value);
