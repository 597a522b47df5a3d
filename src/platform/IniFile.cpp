#include "platform/IniFile.h"

#include "platform/AtomicFile.h"

#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string errorText(int err) { return std::strerror(err); }

std::string sanitizeValue(std::string_view v)
{
    std::string s(v);
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    return s;
}

std::string unquote(std::string v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}
}

TIniFile::TIniFile(std::string FileName) : Name(std::move(FileName))
{
    int fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return;
        throw EFileError(Format("Cannot open file \"%s\". %s", {Name, errorText(errno)}));
    }
    std::string text;
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof(buf));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int err = errno;
            ::close(fd);
            throw EFileError(Format("Cannot read file \"%s\". %s", {Name, errorText(err)}));
        }
        if (n == 0)
            break;
        text.append(buf, size_t(n));
    }
    ::close(fd);
    SetText(text);
}

void TIniFile::SetText(std::string_view Text)
{
    Sections.clear();
    Sections.push_back(TSection{});
    LineBreak = "\n";
    Changed = false;
    size_t pos = 0;
    bool first = true;
    while (pos < Text.size()) {
        size_t end = Text.find('\n', pos);
        std::string_view line = Text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? Text.size() : end + 1;
        // Stray carriage returns at a line's end count as part of its break: a line written back never ends in one.
        if (!line.empty() && line.back() == '\r' && first)
            LineBreak = "\r\n";
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        first = false;
        std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            size_t close = trimmed.find(']');
            if (close != std::string::npos) {
                TSection s;
                s.Name = Trim(std::string_view(trimmed).substr(1, close - 1));
                s.HasHeader = true;
                s.Header = std::string(line);
                Sections.push_back(std::move(s));
                continue;
            }
        }
        TLine l;
        l.Raw = std::string(line);
        if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
            size_t eq = trimmed.find('=');
            if (eq != std::string::npos && eq > 0) {
                l.Key = Trim(std::string_view(trimmed).substr(0, eq));
                l.Value = Trim(std::string_view(trimmed).substr(eq + 1));
            }
        }
        Sections.back().Lines.push_back(std::move(l));
    }
}

std::string TIniFile::Text() const
{
    std::string out;
    for (const TSection& s : Sections) {
        if (s.HasHeader)
            out += s.Header + LineBreak;
        for (const TLine& l : s.Lines)
            out += l.Raw + LineBreak;
    }
    return out;
}

const TIniFile::TSection* TIniFile::findSection(std::string_view Section) const
{
    for (const TSection& s : Sections)
        if (s.HasHeader && SameText(s.Name, Section))
            return &s;
    return nullptr;
}

TIniFile::TSection* TIniFile::findSection(std::string_view Section)
{
    return const_cast<TSection*>(static_cast<const TIniFile*>(this)->findSection(Section));
}

const TIniFile::TLine* TIniFile::findKey(const TSection& S, std::string_view Key)
{
    for (const TLine& l : S.Lines)
        if (!l.Key.empty() && SameText(l.Key, Key))
            return &l;
    return nullptr;
}

bool TIniFile::SectionExists(std::string_view Section) const { return findSection(Section) != nullptr; }

bool TIniFile::ValueExists(std::string_view Section, std::string_view Key) const
{
    const TSection* s = findSection(Section);
    return s && findKey(*s, Key);
}

std::string TIniFile::ReadString(std::string_view Section, std::string_view Key, const std::string& Default) const
{
    const TSection* s = findSection(Section);
    const TLine* l = s ? findKey(*s, Key) : nullptr;
    return l ? unquote(l->Value) : Default;
}

int32_t TIniFile::ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const
{
    return StrToIntDef(ReadString(Section, Key, std::string()), Default);
}

bool TIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const
{
    std::string v = ReadString(Section, Key, std::string());
    if (v == "1" || SameText(v, "yes") || SameText(v, "true"))
        return true;
    if (v == "0" || SameText(v, "no") || SameText(v, "false"))
        return false;
    return Default;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    std::vector<std::string> out;
    for (const TSection& s : Sections)
        if (s.HasHeader)
            out.push_back(s.Name);
    return out;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view Section) const
{
    std::vector<std::string> out;
    if (const TSection* s = findSection(Section))
        for (const TLine& l : s->Lines)
            if (!l.Key.empty())
                out.push_back(l.Key);
    return out;
}

void TIniFile::WriteString(std::string_view Section, std::string_view Key, std::string_view Value)
{
    std::string value = sanitizeValue(Value);
    TSection* s = findSection(Section);
    if (!s) {
        // Keep a blank line between the old content and the new section, as people write these files.
        TSection& last = Sections.back();
        bool empty = Sections.size() == 1 && last.Lines.empty();
        if (!empty && (last.Lines.empty() ? last.HasHeader : !Trim(last.Lines.back().Raw).empty()))
            last.Lines.push_back(TLine{});
        TSection n;
        n.Name = std::string(Section);
        n.HasHeader = true;
        n.Header = "[" + n.Name + "]";
        Sections.push_back(std::move(n));
        s = &Sections.back();
    }
    for (TLine& l : s->Lines)
        if (!l.Key.empty() && SameText(l.Key, Key)) {
            if (l.Value != value || l.Raw != l.Key + "=" + value) {
                l.Value = value;
                l.Raw = l.Key + "=" + value;
                Changed = true;
            }
            return;
        }
    // After the section's last non-blank line, so trailing blank lines keep separating it from the next one.
    size_t at = s->Lines.size();
    while (at > 0 && Trim(s->Lines[at - 1].Raw).empty())
        --at;
    TLine l{std::string(Key) + "=" + value, std::string(Key), value};
    s->Lines.insert(s->Lines.begin() + std::ptrdiff_t(at), std::move(l));
    Changed = true;
}

void TIniFile::WriteInteger(std::string_view Section, std::string_view Key, int32_t Value)
{
    WriteString(Section, Key, IntToStr(Value));
}

void TIniFile::WriteBool(std::string_view Section, std::string_view Key, bool Value)
{
    WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::DeleteKey(std::string_view Section, std::string_view Key)
{
    TSection* s = findSection(Section);
    if (!s)
        return;
    for (auto it = s->Lines.begin(); it != s->Lines.end(); ++it)
        if (!it->Key.empty() && SameText(it->Key, Key)) {
            s->Lines.erase(it);
            Changed = true;
            return;
        }
}

void TIniFile::EraseSection(std::string_view Section)
{
    for (auto it = Sections.begin(); it != Sections.end(); ++it)
        if (it->HasHeader && SameText(it->Name, Section)) {
            Sections.erase(it);
            Changed = true;
            return;
        }
}

void TIniFile::UpdateFile()
{
    if (Name.empty())
        throw EFileError("Cannot create file \"\".");
    WriteFileAtomic(Name, Text());
    Changed = false;
}
