#include "print/PrnStream.h"

#include "platform/StrUtil.h"

#include <charconv>
#include <cmath>
#include <cstring>

void TPrnMemoryStream::Write(const void* Buffer, size_t Count)
{
    if (Position > Data.size())
        Data.resize(Position);
    Data.replace(Position, std::min(Count, Data.size() - Position), static_cast<const char*>(Buffer), Count);
    Position += Count;
}

void TPrnMemoryStream::Read(void* Buffer, size_t Count)
{
    if (Position > Data.size() || Data.size() - Position < Count)
        throw EReadError("Stream read error");
    std::memcpy(Buffer, Data.data() + Position, Count);
    Position += Count;
}

void TPrnWriter::WriteInteger(int32_t Value)
{
    uint32_t v = uint32_t(Value);
    unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    Stream.Write(b, 4);
}

void TPrnWriter::WriteStream(const TPrnMemoryStream& Source)
{
    WriteInteger(int32_t(Source.Data.size()));
    if (!Source.Data.empty())
        Stream.Write(Source.Data.data(), Source.Data.size());
}

int32_t TPrnReader::ReadInteger()
{
    unsigned char b[4];
    Stream.Read(b, 4);
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

void TPrnReader::ReadStream(TPrnMemoryStream& Target)
{
    int32_t n = ReadInteger();
    Target.Data.clear();
    if (n > 0) {
        if (Stream.Position > Stream.Data.size() || Stream.Data.size() - Stream.Position < size_t(n))
            throw EReadError("Stream read error");
        Target.Data.assign(Stream.Data, Stream.Position, size_t(n));
        Stream.Position += size_t(n);
    }
    Target.Rewind();
}

std::string PrnFormatExtended(Extended Value, int Decimals)
{
    char buf[128];
    auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
    if (r.ec != std::errc())
        return "0";
    std::string s(buf, r.ptr);
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);   // no "-0.000"
    return s;
}

bool PrnParseExtended(std::string_view Text, Extended& Value)
{
    std::string t = Trim(Text);
    const char* b = t.data();
    if (!t.empty() && t[0] == '+')
        ++b;
    auto r = std::from_chars(b, t.data() + t.size(), Value, std::chars_format::fixed);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && b != r.ptr;
}

int TPrnValueList::IndexOfKey(std::string_view Key) const
{
    for (size_t i = 0; i < FLines.size(); ++i) {
        size_t eq = FLines[i].find('=');
        if (eq != std::string::npos && SameText(std::string_view(FLines[i]).substr(0, eq), Key))
            return int(i);
    }
    return -1;
}

bool TPrnValueList::Find(std::string_view Key, std::string& Value) const
{
    int i = IndexOfKey(Key);
    if (i < 0)
        return false;
    Value = FLines[size_t(i)].substr(FLines[size_t(i)].find('=') + 1);
    return true;
}

namespace {
// Comma-separated integers, each read as thousandths; false when there are not exactly Count of them.
bool ReadThousandths(const std::string& Text, Extended* Out, int Count)
{
    size_t start = 0;
    for (int i = 0; i < Count; ++i) {
        size_t comma = Text.find(',', start);
        if ((comma == std::string::npos) != (i == Count - 1))
            return false;
        int32_t v;
        if (!TryStrToInt(Trim(std::string_view(Text).substr(start, comma - start)), v))
            return false;
        Out[i] = Extended(v) / 1000;
        start = comma + 1;
    }
    return true;
}

std::string Thousandths(Extended V) { return IntToStr(std::llround(V * 1000)); }
}

int TPrnValueList::ReadIntValue(std::string_view Key, int Default) const
{
    std::string v;
    return Find(Key, v) ? StrToIntDef(Trim(v), Default) : Default;
}

bool TPrnValueList::ReadBoolValue(std::string_view Key, bool Default) const
{
    return ReadIntValue(Key, Default ? 1 : 0) != 0;
}

Extended TPrnValueList::ReadExtValue(std::string_view Key, Extended Default) const
{
    std::string v;
    Extended e;
    return Find(Key, v) && PrnParseExtended(v, e) ? e : Default;
}

TPrnExtPoint TPrnValueList::ReadPointValue(std::string_view Key, TPrnExtPoint Default) const
{
    std::string v;
    Extended e[2];
    return Find(Key, v) && ReadThousandths(v, e, 2) ? TPrnExtPoint{e[0], e[1]} : Default;
}

TPrnExtRect TPrnValueList::ReadRectValue(std::string_view Key, TPrnExtRect Default) const
{
    std::string v;
    Extended e[4];
    return Find(Key, v) && ReadThousandths(v, e, 4) ? TPrnExtRect{e[0], e[1], e[2], e[3]} : Default;
}

std::string TPrnValueList::ReadStringValue(std::string_view Key, std::string_view Default) const
{
    std::string v;
    return Find(Key, v) ? v : std::string(Default);
}

void TPrnValueList::WriteStringValue(std::string_view Key, std::string_view Value)
{
    int i = IndexOfKey(Key);
    if (Value.empty()) {
        if (i >= 0)
            FLines.erase(FLines.begin() + i);
        return;
    }
    std::string line = std::string(Key) + "=" + std::string(Value);
    if (i >= 0)
        FLines[size_t(i)] = std::move(line);
    else
        FLines.push_back(std::move(line));
}

void TPrnValueList::WriteIntValue(std::string_view Key, int Value) { WriteStringValue(Key, IntToStr(Value)); }
void TPrnValueList::WriteBoolValue(std::string_view Key, bool Value) { WriteStringValue(Key, Value ? "1" : "0"); }
void TPrnValueList::WriteExtValue(std::string_view Key, Extended Value)
{
    WriteStringValue(Key, PrnFormatExtended(Value));
}
void TPrnValueList::WritePointValue(std::string_view Key, TPrnExtPoint Value)
{
    WriteStringValue(Key, Thousandths(Value.X) + "," + Thousandths(Value.Y));
}
void TPrnValueList::WriteRectValue(std::string_view Key, TPrnExtRect Value)
{
    WriteStringValue(Key, Thousandths(Value.Left) + "," + Thousandths(Value.Top) + "," + Thousandths(Value.Right) +
            "," + Thousandths(Value.Bottom));
}

namespace {
// A value that holds line breaks cannot stand on one line of the stream form as it is: its line is marked by
// MultiLineMark after the key, and backslash, CR and LF in the value are written as "\\", "\r" and "\n". A value
// without breaks is written as it stands, backslashes and all, as it always was.
constexpr char MultiLineMark = '*';

std::string StreamLine(const std::string& Line)
{
    size_t eq = Line.find('=');
    if (eq == std::string::npos || Line.find_first_of("\r\n", eq) == std::string::npos)
        return Line;
    std::string out = Line.substr(0, eq) + MultiLineMark + "=";
    for (size_t i = eq + 1; i < Line.size(); ++i) {
        char c = Line[i];
        out += c == '\\' ? "\\\\" : c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    }
    return out;
}

std::string UnescapeValue(std::string_view Value)
{
    std::string out;
    for (size_t i = 0; i < Value.size(); ++i) {
        char c = Value[i];
        char next = i + 1 < Value.size() ? Value[i + 1] : 0;
        if (c == '\\' && (next == '\\' || next == 'r' || next == 'n')) {
            c = next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++i;
        }
        out += c;
    }
    return out;
}
}

std::string TPrnValueList::Text() const
{
    std::string t;
    for (const std::string& l : FLines)
        t += StreamLine(l) + "\r\n";
    return t;
}

void TPrnValueList::SaveToStream(TPrnWriter& W) const
{
    TPrnMemoryStream m;
    std::string t = Text();
    m.Write(t.data(), t.size());
    W.WriteStream(m);
}

void TPrnValueList::LoadFromStream(TPrnReader& R)
{
    TPrnMemoryStream m;
    R.ReadStream(m);
    std::vector<std::string> lines;
    const std::string& t = m.Data;
    size_t start = 0;
    while (start < t.size()) {
        size_t end = t.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = t.size();
        std::string line = t.substr(start, end - start);
        size_t eq = line.find('=');
        if (eq == std::string::npos && !lines.empty()) {
            // Streams written before multi-line values were marked carry their further lines bare, while every
            // line a list writes has its "=": a line without one goes on the value before it, joined by the CR LF
            // with which this program's texts end their lines.
            lines.back() += "\r\n" + line;
        } else {
            if (eq != std::string::npos && eq > 0 && line[eq - 1] == MultiLineMark)
                line = line.substr(0, eq - 1) + "=" + UnescapeValue(std::string_view(line).substr(eq + 1));
            lines.push_back(std::move(line));
        }
        start = end;
        if (start < t.size() && t[start] == '\r')
            ++start;
        if (start < t.size() && t[start] == '\n')
            ++start;
    }
    FLines = std::move(lines);
}
