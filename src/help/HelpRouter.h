// THelpRouter: the one router of the application's help requests. Created, it puts its HelpHandler in the
// application's help slot (keeping the handler it replaces) and becomes the context help of Utilits; destroyed,
// it puts the earlier handler back. A request is offered to OnHelp and to the earlier handler first; then the
// router sends it, by HelpType, to the host's HTML help (file with extension ".chm", ">" window suffix) or to
// WinHelp (".hlp").
//
// Failure contract: a second router raises "Multiple instances of THelpRouter are not allowed" and leaves the
// running one installed. A request the host cannot take, or one without a help file name, answers false and
// shows nothing. Main thread only.
#pragma once

#include "common/Utilits.h"
#include "help/HelpHost.h"

#include <functional>
#include <string>

enum THelpType : uint8_t { htWinhelp, htHTMLhelp, htMixedMode };
enum TShowType : uint8_t { stDefault, stMain, stPopup };

using THelpEvent = std::function<bool(uint16_t Command, const THelpData& Data, bool& CallHelp)>;

// The application's help slot and what a window calls to ask for help through it. Without a handler nothing
// happens and the answer is false.
THelpEvent& ApplicationOnHelp();
bool ApplicationHelpCommand(uint16_t Command, const THelpData& Data);

// Replaces the text after the last "." of the file-name part (or appends Ext when there is none).
std::string ChangeFileExt(const std::string& File, const std::string& Ext);

class THelpRouter : public THelpRouting {
public:
    explicit THelpRouter(THelpHost* Host);
    ~THelpRouter() override;
    THelpRouter(const THelpRouter&) = delete;
    THelpRouter& operator=(const THelpRouter&) = delete;

    static THelpRouter* Instance();

    THelpType HelpType = htWinhelp;
    TShowType ShowType = stDefault;
    THelpEvent OnHelp;
    std::string Helpfile;
    std::string CHMPopupTopics = "CSHelp.txt";
    bool ValidateID = false;
    int32_t PopupX = 0, PopupY = 0;
    std::string HelpWindow;

    THelpHost* Host() const { return FHost; }
    void SetHost(THelpHost* Host) { FHost = Host; }

    void ShowContents() override;
    bool ShowKeyword(const std::string& Topic) override;
    void SetHelpWindow(const std::string& Name) override { HelpWindow = Name; }
    bool HelpHandler(uint16_t Command, const THelpData& Data, bool& CallHelp);
    bool ShowPopup(int32_t X, int32_t Y, const std::string& Text, int32_t Context);
    std::string GetHelpFile() const;
    // The file name built for the last request (tests read it).
    const std::string& HelpFileName() const { return FHelpFileName; }

private:
    bool HtmlHelpAvailable();
    THelpHost* FHost;
    THelpEvent SavedOnHelp;
    THelpRouting* SavedRouting = nullptr;
    std::string FHelpFileName;
};
