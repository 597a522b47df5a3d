// What the help router needs of the platform in place of the HTML Help and WinHelp libraries: a host that takes
// HTML Help commands on a help file name ("x.chm", "x.chm>win", "x.chm::/CSHelp.txt>win"), a WinHelp entry
// (none on this system: it answers 0), and the mouse position. The program's host is the help viewer
// (help/ui/HelpViewer); tests use a recording one. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

// Application help commands, as windows pass them.
enum : uint16_t {
    HELP_CONTEXT = 1, HELP_QUIT = 2, HELP_CONTENTS = 3, HELP_CONTEXTPOPUP = 8, HELP_FINDER = 11,
    HELP_SETPOPUP_POS = 13, HELP_TAB = 15, HELP_KEY = 257, HELP_COMMAND = 258, HELP_PARTIALKEY = 261
};
// HTML Help commands the router sends to the host.
enum : uint32_t {
    HH_DISPLAY_TOPIC = 0, HH_DISPLAY_TOC = 1, HH_DISPLAY_INDEX = 2, HH_DISPLAY_TEXT_POPUP = 14,
    HH_HELP_CONTEXT = 15, HH_CLOSE_ALL = 18
};

// The data of a help request: a number (context, popup position) or a text (keyword, topic path, macro).
struct THelpData {
    int32_t Value = 0;
    std::string Text;
    THelpData() = default;
    THelpData(int32_t V) : Value(V) {}
    THelpData(std::string T) : Text(std::move(T)) {}
};

// A context popup: by string id from the popup text file, or a text of its own.
struct THHPopup {
    int32_t IdString = 0;   // 0: Text is shown
    std::string Text;
    int32_t X = 0, Y = 0;
    int32_t ClrForeground = -1, ClrBackground = -1;
    int32_t Margins[4] = {-1, -1, -1, -1};
    std::string Font = "MS Sans Serif, 8";
};

class THelpHost {
public:
    virtual ~THelpHost() = default;
    // Whether the HTML help engine is ready; Load makes it ready when it can.
    virtual bool HtmlHelpLoaded() const = 0;
    virtual bool LoadHtmlHelp() = 0;
    // An HTML Help call; File may be empty (HH_CLOSE_ALL, a text popup). Popup is set for HH_DISPLAY_TEXT_POPUP.
    // Non-zero: done.
    virtual intptr_t HtmlHelp(const std::string& File, uint32_t Command, const THelpData& Data,
        const THHPopup* Popup) = 0;
    virtual intptr_t WinHelp(const std::string& File, uint32_t Command, const THelpData& Data) = 0;
    virtual std::pair<int32_t, int32_t> MousePos() const = 0;
    // The application's and the window in front's help file ('' when none); the router falls back on them.
    virtual std::string ApplicationHelpFile() const { return {}; }
    virtual std::string FormHelpFile() const { return {}; }
};
