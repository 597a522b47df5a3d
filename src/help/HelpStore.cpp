#include "help/HelpStore.h"

#include "help/ContextMap.h"
#include "help/HelpFiles.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::vector<std::string> Lines(const std::string& Text)
{
    std::vector<std::string> Out;
    for (std::string_view L : HelpLines(Text))
        Out.push_back(Trim(L));
    return Out;
}

// Splits a [WINDOWS] value at the commas outside quotes and brackets.
std::vector<std::string> SplitFields(const std::string& S)
{
    std::vector<std::string> Out(1);
    bool Quote = false;
    int Depth = 0;
    for (char c : S) {
        if (c == '"')
            Quote = !Quote;
        else if (!Quote && c == '[')
            ++Depth;
        else if (!Quote && c == ']')
            --Depth;
        if (c == ',' && !Quote && Depth == 0)
            Out.emplace_back();
        else if (c != '"')
            Out.back() += c;
    }
    return Out;
}

// The value of attribute Name in a tag's text, '' when absent.
std::string TagAttr(const std::string& Tag, const std::string& Name)
{
    std::string Low = LowerCase(Tag);
    size_t At = 0;
    while ((At = Low.find(LowerCase(Name), At)) != std::string::npos) {
        size_t Eq = At + Name.size();
        while (Eq < Low.size() && Low[Eq] == ' ')
            ++Eq;
        if ((At == 0 || Low[At - 1] == ' ') && Eq < Low.size() && Low[Eq] == '=') {
            size_t V = Eq + 1;
            while (V < Tag.size() && Tag[V] == ' ')
                ++V;
            if (V < Tag.size() && (Tag[V] == '"' || Tag[V] == '\'')) {
                size_t End = Tag.find(Tag[V], V + 1);
                return Tag.substr(V + 1, End == std::string::npos ? std::string::npos : End - V - 1);
            }
            size_t End = Tag.find_first_of(" >", V);
            return Tag.substr(V, End == std::string::npos ? std::string::npos : End - V);
        }
        At += Name.size();
    }
    return {};
}

// A window's rectangle from the project: the edges may be any numbers, so the size is worked out wide and kept
// to what a screen can show; the viewer then fits it onto the screen it opens on.
bool WindowRect(const std::vector<std::string>& R, THelpWindowType& W)
{
    int32_t V[4];
    for (int i = 0; i < 4; ++i)
        if (!TryStrToInt(Trim(R[size_t(i)]), V[i]))
            return false;
    int64_t Width = int64_t(V[2]) - V[0], Height = int64_t(V[3]) - V[1];
    if (Width <= 0 || Height <= 0)
        return false;
    W.X = int(std::clamp<int64_t>(V[0], -MaxHelpWindowSide, MaxHelpWindowSide));
    W.Y = int(std::clamp<int64_t>(V[1], -MaxHelpWindowSide, MaxHelpWindowSide));
    W.Width = int(std::min<int64_t>(Width, MaxHelpWindowSide));
    W.Height = int(std::min<int64_t>(Height, MaxHelpWindowSide));
    return true;
}
}

THelpFileSpec SplitHelpFileName(const std::string& Name)
{
    THelpFileSpec Spec;
    std::string Rest = Name;
    size_t Gt = Rest.find('>');
    if (Gt != std::string::npos) {
        Spec.Window = Rest.substr(Gt + 1);
        Rest.resize(Gt);
    }
    size_t Inner = Rest.find("::/");
    if (Inner != std::string::npos) {
        Spec.Inner = Rest.substr(Inner + 3);
        Rest.resize(Inner);
    }
    Spec.File = Rest;
    return Spec;
}

std::string HelpFolderOf(const std::string& ChmFile)
{
    if (ChmFile.empty())
        return {};
    fs::path P(ChmFile);
    P.replace_extension(".help");
    return P.string() + "/";
}

bool THelpStore::IsSafeRelativePath(const std::string& Path)
{
    if (Path.empty() || Path[0] == '/' || Path[0] == '\\' || Path.find(':') != std::string::npos ||
        Path.find('\0') != std::string::npos)
        return false;
    std::string Norm = Path;
    for (char& c : Norm)
        if (c == '\\')
            c = '/';
    std::istringstream In(Norm);
    std::string Part;
    while (std::getline(In, Part, '/'))
        if (Part == "..")
            return false;
    return true;
}

bool THelpStore::Load(const std::string& ChmFile)
{
    *this = THelpStore();
    FFolder = HelpFolderOf(ChmFile);
    if (FFolder.empty()) {
        FError = "No help file name.";
        return false;
    }
    std::string Project = FFolder + fs::path(ChmFile).stem().string() + ".hhp";
    std::error_code Ec;
    if (!fs::is_regular_file(Project, Ec)) {
        FError = "File " + Project + " not found.";
        return false;
    }
    try {
        ReadProject(Project);
    } catch (const Exception& E) {
        FError = E.Message;
        return false;
    }
    std::string Text;
    if (!FContentsFile.empty() && ReadInside(FContentsFile, "contents file", Text))
        ReadContents(Text);
    FValid = true;
    return true;
}

bool THelpStore::ReadInside(const std::string& Rel, const std::string& What, std::string& Text)
{
    std::string Full = FFolder + Rel;
    std::string Why;
    if (!IsSafeRelativePath(Rel) || !PathInsideFolder(Full, FFolder))
        Why = "lies outside the help folder";
    else if (ReadHelpFile(Full, Text, Why))
        return true;
    FProblems.push_back("The " + What + " \"" + Full + "\" " + Why + ".");
    return false;
}

void THelpStore::ReadProject(const std::string& File)
{
    std::string Text, Why;
    if (!ReadHelpFile(File, Text, Why))
        throw Exception("File " + File + " " + Why + ".");
    std::string Section;
    std::vector<std::string> PopupFiles;
    for (const std::string& L : Lines(Text)) {
        if (L.empty() || L[0] == ';')
            continue;
        if (L[0] == '[') {
            Section = UpperCase(L);
            continue;
        }
        size_t Eq = L.find('=');
        std::string Key = Eq == std::string::npos ? L : Trim(L.substr(0, Eq));
        std::string Value = Eq == std::string::npos ? std::string() : Trim(L.substr(Eq + 1));
        if (Section == "[OPTIONS]") {
            if (SameText(Key, "Contents file"))
                FContentsFile = Value;
            else if (SameText(Key, "Default topic"))
                FDefaultTopic = Value;
            else if (SameText(Key, "Title"))
                FTitle = Value;
        } else if (Section == "[WINDOWS]" && Eq != std::string::npos) {
            std::vector<std::string> F = SplitFields(Value);
            THelpWindowType W;
            W.Title = F.size() > 0 ? F[0] : std::string();
            W.Home = F.size() > 4 && !F[4].empty() ? F[4] : (F.size() > 3 ? F[3] : std::string());
            if (F.size() > 12 && F[12].size() > 2) {
                std::vector<std::string> R = SplitFields(F[12].substr(1, F[12].size() - 2));
                if (R.size() == 4)
                    WindowRect(R, W);
            }
            FWindows[LowerCase(Key)] = W;
        } else if (Section == "[ALIAS]" && Eq != std::string::npos) {
            FAlias[LowerCase(Key)] = Value;
        } else if (Section == "[TEXT POPUPS]") {
            PopupFiles.push_back(L);
        }
    }
    // Context numbers come from [MAP], which the context map's parser reads with its includes.
    std::vector<std::string> Includes;
    for (const auto& [Name, Id] : THelpContextMap::ParseProjectFile(File, &Includes))
        FNumbers[LowerCase(Name)] = Id;
    FProblems.insert(FProblems.end(), Includes.begin(), Includes.end());
    for (const auto& [Name, Topic] : FAlias) {
        auto It = FNumbers.find(Name);
        if (It != FNumbers.end())
            FContextTopics[It->second] = Topic;
    }
    for (const std::string& P : PopupFiles) {
        std::string Popups;
        if (LowerCase(fs::path(P).extension().string()) == ".txt" && ReadInside(P, "popup file", Popups))
            ReadPopups(Popups);
    }
}

// ".topic NAME" (a [MAP] name or a number) starts a popup; its text runs to the next ".topic".
void THelpStore::ReadPopups(const std::string& Text)
{
    int32_t Current = 0;
    bool Have = false;
    std::string Body;
    auto Flush = [&] {
        if (Have && Current != 0) {
            while (!Body.empty() && Body.back() == '\n')
                Body.pop_back();
            FPopups[Current] = Body;
        }
        Body.clear();
    };
    for (const std::string& L : Lines(Text)) {
        if (L.size() >= 6 && SameText(L.substr(0, 6), ".topic")) {
            Flush();
            std::string Name = Trim(L.substr(6));
            auto It = FNumbers.find(LowerCase(Name));
            Have = It != FNumbers.end() || TryStrToInt(Name, Current);
            if (It != FNumbers.end())
                Current = It->second;
            continue;
        }
        if (Have && (!Body.empty() || !L.empty()))
            Body += L + "\n";
    }
    Flush();
}

void THelpStore::ReadContents(const std::string& Text)
{
    int Depth = 0;
    bool TooDeep = false;
    THelpContentsItem* Open = nullptr;
    size_t At = 0;
    while ((At = Text.find('<', At)) != std::string::npos) {
        size_t End = Text.find('>', At);
        if (End == std::string::npos)
            break;
        std::string Tag = Text.substr(At + 1, End - At - 1);
        std::string Name = LowerCase(Tag.substr(0, Tag.find(' ')));
        if (Name == "ul")
            ++Depth;
        else if (Name == "/ul")
            Depth = Depth > 0 ? Depth - 1 : 0;
        else if (Name == "object" && LowerCase(TagAttr(Tag, "type")) == "text/sitemap") {
            // Deeper levels are shown at the deepest one, so that no contents file can make a tree too deep to draw.
            int Level = Depth > 0 ? Depth - 1 : 0;
            if (Level > MaxContentsLevel) {
                Level = MaxContentsLevel;
                TooDeep = true;
            }
            FContents.push_back({"", "", Level});
            Open = &FContents.back();
        } else if (Name == "/object")
            Open = nullptr;
        else if (Name == "param" && Open) {
            std::string P = LowerCase(TagAttr(Tag, "name"));
            if (P == "name")
                Open->Name = DecodeHelpEntities(TagAttr(Tag, "value"));
            else if (P == "local")
                Open->Local = DecodeHelpEntities(TagAttr(Tag, "value"));
        }
        At = End + 1;
    }
    if (TooDeep)
        FProblems.push_back("The contents file \"" + FFolder + FContentsFile + "\" is nested deeper than " +
            std::to_string(MaxContentsLevel + 1) + " levels; the deeper entries are shown at that level.");
}

std::string THelpStore::ResolveTopic(const std::string& Topic) const
{
    std::string Path = Topic.substr(0, Topic.find('#'));
    if (!FValid || !IsSafeRelativePath(Path))
        return {};
    // A symbolic link inside the folder that points out of it is no topic, nor is anything but a regular file of
    // a size that can be shown.
    std::string Full = FFolder + Path;
    std::error_code Ec;
    if (!PathInsideFolder(Full, FFolder) || !fs::is_regular_file(Full, Ec) ||
        fs::file_size(Full, Ec) > MaxHelpFileSize || Ec)
        return {};
    return Full;
}

std::string THelpStore::TopicOfContext(int32_t Context) const
{
    auto It = FContextTopics.find(Context);
    return It == FContextTopics.end() ? std::string() : It->second;
}

std::string THelpStore::PopupText(int32_t Context) const
{
    auto It = FPopups.find(Context);
    return It == FPopups.end() ? std::string() : It->second;
}

const THelpWindowType* THelpStore::Window(const std::string& Name) const
{
    auto It = FWindows.find(LowerCase(Name));
    return It == FWindows.end() ? nullptr : &It->second;
}
