// THelpStore: one help folder as the help viewer reads it. The help file name the router builds ("x.chm") names
// the folder "x.help" beside it, which holds the help project "x.hhp" ([OPTIONS], [WINDOWS], [ALIAS] and the
// [MAP] read with the context map's parser), the contents file, the context-popup texts and the topics.
//
// Every topic path is resolved inside the folder: an absolute path, a "..", a drive or a scheme is refused, so
// that neither a keyword nor a link in a topic reaches another file. Load never throws: a missing or damaged
// folder gives a store that is not Valid and says why in Error. A readable project with damaged parts (includes,
// contents or popup files that are missing, not regular files, too large or outside the folder; contents nested
// too deep) gives a Valid store that lists them in Problems. Symbolic links are followed only while they stay
// inside the folder; only regular files of a bounded size are read. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The deepest contents level kept, and the largest window side a project may ask for.
inline constexpr int MaxContentsLevel = 31;
inline constexpr int MaxHelpWindowSide = 16384;

struct THelpContentsItem {
    std::string Name;
    std::string Local;   // topic path inside the folder, '' for a heading without a page
    int Level = 0;       // 0 for the top level
};

struct THelpWindowType {
    std::string Title;
    std::string Home;    // topic the window opens on
    int X = 0, Y = 0, Width = 0, Height = 0;   // 0 width: the viewer's default
};

// A help file name as the router builds it: "<file>.chm[::/<popup file>][><window>]".
struct THelpFileSpec {
    std::string File;
    std::string Inner;
    std::string Window;
};
THelpFileSpec SplitHelpFileName(const std::string& Name);
// "/x/Orlantis.chm" -> "/x/Orlantis.help/"; '' for an empty name.
std::string HelpFolderOf(const std::string& ChmFile);

class THelpStore {
public:
    // Reads the folder of ChmFile. False and Error set when there is no usable project.
    bool Load(const std::string& ChmFile);
    bool Valid() const { return FValid; }
    const std::string& Error() const { return FError; }
    // What of a Valid store could not be read, one line each; empty when nothing.
    const std::vector<std::string>& Problems() const { return FProblems; }
    const std::string& Folder() const { return FFolder; }
    const std::string& Title() const { return FTitle; }
    const std::string& DefaultTopic() const { return FDefaultTopic; }
    const std::vector<THelpContentsItem>& Contents() const { return FContents; }
    const std::map<std::string, THelpWindowType>& Windows() const { return FWindows; }

    // The full path of a topic inside the folder ("Main.htm", "Main.htm#part", "sub/x.htm"); '' when the path
    // leaves the folder, is not a plain relative path or the file does not exist.
    std::string ResolveTopic(const std::string& Topic) const;
    // The topic of a context number (through [ALIAS] and [MAP]); ''.
    std::string TopicOfContext(int32_t Context) const;
    // The popup text of a context number from the popup file; '' when none.
    std::string PopupText(int32_t Context) const;
    // The window type by name (case-blind); null.
    const THelpWindowType* Window(const std::string& Name) const;

    // True when Path, relative to the folder, stays inside it (no absolute path, scheme, drive or "..").
    static bool IsSafeRelativePath(const std::string& Path);

private:
    void ReadProject(const std::string& File);
    // Reads Rel of the folder (a What: "contents file") into Text; false and a problem noted when it cannot.
    bool ReadInside(const std::string& Rel, const std::string& What, std::string& Text);
    void ReadContents(const std::string& Text);
    void ReadPopups(const std::string& Text);

    bool FValid = false;
    std::string FError;
    std::vector<std::string> FProblems;
    std::string FFolder;
    std::string FTitle;
    std::string FDefaultTopic;
    std::string FContentsFile;
    std::vector<THelpContentsItem> FContents;
    std::map<std::string, THelpWindowType> FWindows;   // key in lower case
    std::map<std::string, std::string> FAlias;         // lower-case name -> topic
    std::map<int32_t, std::string> FContextTopics;
    std::map<int32_t, std::string> FPopups;
    std::map<std::string, int32_t> FNumbers;          // lower-case [MAP] name -> number
};
