#include "help/ContextMap.h"

#include "help/HelpFiles.h"
#include "help/HelpNameHash.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {
bool StartsWithText(std::string_view S, std::string_view Prefix)
{
    return S.size() >= Prefix.size() && SameText(S.substr(0, Prefix.size()), Prefix);
}

// Blanks and control characters at both ends go; the bytes above 127 stay (they are names' letters).
std::string TrimLine(std::string_view S)
{
    size_t b = 0, e = S.size();
    while (b < e && (unsigned char)S[b] <= ' ')
        ++b;
    while (e > b && (unsigned char)S[e - 1] <= ' ')
        --e;
    return std::string(S.substr(b, e - b));
}

// One reading of a project file with its includes: every file is read at most once, the records and the files
// are bounded, and what could not be read is collected so that it is told once.
struct TParse {
    explicit TParse(std::vector<std::pair<std::string, int32_t>>& Out) : Out(Out) {}
    fs::path Root;                      // the project's folder: includes stay inside it
    std::set<fs::path> Seen;            // files read or being read (resolved paths)
    std::set<fs::path> Open;            // files being read (an include of one of them is a cycle)
    std::vector<std::string> Problems;
    std::set<std::string> Told;
    size_t Records = 0;
    bool Full = false;
    std::vector<std::pair<std::string, int32_t>>& Out;

    void Problem(const std::string& Text)
    {
        if (Told.insert(Text).second)
            Problems.push_back(Text);
    }
};

fs::path KeyOf(const fs::path& File)
{
    std::error_code Ec;
    fs::path Key = fs::weakly_canonical(File, Ec);
    return Ec ? File : Key;
}

// Reads one file; InSection: an included file, whose lines are map lines from the first one on.
void ParseFile(const fs::path& File, bool InSection, TParse& P)
{
    std::string Text, Why;
    if (!ReadHelpFile(File.string(), Text, Why)) {
        if (!InSection)
            throw Exception("File " + File.string() + " not found.");
        P.Problem("Include file \"" + File.string() + "\" " + Why + "!");
        return;
    }
    fs::path Key = KeyOf(File);
    P.Seen.insert(Key);
    P.Open.insert(Key);
    bool InMap = false;
    for (std::string_view Raw : HelpLines(Text)) {
        if (P.Full)
            break;
        std::string Line = TrimLine(Raw);
        if (!InMap && !InSection) {
            InMap = StartsWithText(Line, "[MAP]");
            continue;
        }
        // Blank lines separate groups of definitions; they never end the section.
        if (Line.empty())
            continue;
        if (Line[0] == '[')
            break;
        if (StartsWithText(Line, "#include")) {
            std::string Name = Trim(std::string_view(Line).substr(8));
            if (Name.size() >= 2 && (Name.front() == '"' || Name.front() == '<'))
                Name = Name.substr(1, Name.size() - 2);
            // Relative to the including file's folder, without touching the process's working folder.
            fs::path Inc = fs::path(Name).is_absolute() ? fs::path(Name) : File.parent_path() / Name;
            Inc = Inc.lexically_normal();
            fs::path IncKey = KeyOf(Inc);
            if (fs::path(Name).is_absolute() || !PathInsideFolder(Inc.string(), P.Root.string()))
                P.Problem("Include file \"" + Inc.string() + "\" lies outside the help folder!");
            else if (P.Open.count(IncKey))
                P.Problem("Include file \"" + Inc.string() + "\" includes itself!");
            else if (P.Seen.count(IncKey))
                continue;   // read once already: its numbers are in
            else if (P.Seen.size() >= MaxProjectFiles)
                P.Problem("More than " + std::to_string(MaxProjectFiles) + " include files; \"" + Inc.string() +
                    "\" and the later ones are not read!");
            else
                ParseFile(Inc, true, P);
            continue;
        }
        std::string Name;
        int32_t Id = 0;
        if (ParseMapLine(Line, Name, Id)) {
            if (P.Records >= MaxContextRecords) {
                P.Full = true;
                P.Problem("More than " + std::to_string(MaxContextRecords) + " context numbers; the rest of \"" +
                    File.string() + "\" and the later files are not read!");
                break;
            }
            P.Out.emplace_back(Name, Id);
            ++P.Records;
        }
    }
    P.Open.erase(Key);
}
}

bool ParseMapLine(std::string_view Line, std::string& Name, int32_t& Id)
{
    std::string S = TrimLine(Line);
    if (StartsWithText(S, "#define"))
        S = TrimLine(std::string_view(S).substr(7));
    // Comments: "#" or ";" anywhere, "//" and "/*" as in C headers.
    size_t Cut = S.find_first_of("#;");
    for (const char* Mark : {"//", "/*"})
        Cut = std::min(Cut, S.find(Mark));
    if (Cut != std::string::npos)
        S.resize(Cut);
    size_t i = 0;
    while (i < S.size() && S[i] != ' ' && S[i] != '\t' && S[i] != '=')
        ++i;
    Name = S.substr(0, i);
    std::string Rest = Trim(std::string_view(S).substr(i));
    if (!Rest.empty() && Rest[0] == '=')
        Rest = Trim(std::string_view(Rest).substr(1));
    if (Name.empty() || Rest.empty())
        return false;
    return TryStrToInt(Rest, Id);
}

std::vector<std::pair<std::string, int32_t>> THelpContextMap::ParseProjectFile(const std::string& File,
    std::vector<std::string>* Problems)
{
    std::vector<std::pair<std::string, int32_t>> Out;
    TParse P(Out);
    P.Root = fs::path(File).parent_path();
    if (P.Root.empty())
        P.Root = ".";
    ParseFile(fs::path(File), false, P);
    if (Problems)
        *Problems = std::move(P.Problems);
    else if (!P.Problems.empty()) {
        // One box for the whole folder, however many files are damaged.
        std::string Text;
        for (const std::string& L : P.Problems)
            Text += (Text.empty() ? "" : "\n") + L;
        MessageDlg(Text, mtWarning, mbOK);
    }
    return Out;
}

void THelpContextMap::SetFileName(const std::string& Value)
{
    if (Value.empty() || Loading) {
        FFileName = Value;
        return;
    }
    std::error_code Ec;
    if (!fs::is_regular_file(Value, Ec))
        throw Exception("File " + Value + " not found.");
    std::vector<TRecord> New;
    for (const auto& [Name, Id] : ParseProjectFile(Value)) {
        int32_t H = HelpNameHash(Name);
        if (H != 0)
            New.push_back({H, Id});
    }
    std::stable_sort(New.begin(), New.end(), [](const TRecord& a, const TRecord& b) { return a.Hash < b.Hash; });
    Table = std::move(New);
    FFileName = Value;
}

int32_t THelpContextMap::FindContext(std::string_view Name) const
{
    int32_t H = HelpNameHash(Name);
    if (H == 0 || Table.empty())
        return 0;
    int64_t Lo = 0, Hi = int64_t(Table.size()) - 1;
    while (Lo <= Hi) {
        int64_t Mid = (Lo + Hi) / 2;
        if (Table[Mid].Hash == H)
            return Table[Mid].Context;
        if (Table[Mid].Hash < H)
            Lo = Mid + 1;
        else
            Hi = Mid - 1;
    }
    return 0;
}

namespace {
void PutLE(std::string& S, int32_t V)
{
    uint32_t U = uint32_t(V);
    for (int i = 0; i < 4; ++i)
        S.push_back(char((U >> (8 * i)) & 0xFF));
}
int32_t GetLE(std::string_view S, size_t At)
{
    uint32_t U = 0;
    for (int i = 0; i < 4; ++i)
        U |= uint32_t((unsigned char)S[At + i]) << (8 * i);
    return int32_t(U);
}
}

std::string THelpContextMap::FileData() const
{
    std::string S;
    PutLE(S, int32_t(Table.size() * 8));
    for (const TRecord& R : Table) {
        PutLE(S, R.Hash);
        PutLE(S, R.Context);
    }
    return S;
}

bool THelpContextMap::ReadFileData(std::string_view Data)
{
    if (Data.size() < 4)
        return false;
    int32_t Count = GetLE(Data, 0);
    // A count that is negative, not whole records, or larger than what follows is a damaged store.
    if (Count < 0 || Count % 8 != 0 || size_t(Count) > Data.size() - 4)
        return false;
    std::vector<TRecord> New;
    for (size_t At = 4; At < 4 + size_t(Count); At += 8)
        New.push_back({GetLE(Data, At), GetLE(Data, At + 4)});
    // The binary search needs sorted records; a store written by hand may not be.
    std::stable_sort(New.begin(), New.end(), [](const TRecord& a, const TRecord& b) { return a.Hash < b.Hash; });
    Table = std::move(New);
    return true;
}

std::string THelpContextMap::LookupName(const std::string& Form, const std::string& Control) const
{
    if (Control.empty())
        return Form;
    fs::path P(FFileName);
    return Form + (LowerCase(P.extension().string()) == ".hpj" ? "." : "_") + Control;
}
