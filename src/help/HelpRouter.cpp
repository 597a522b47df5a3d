#include "help/HelpRouter.h"

#include "platform/Exception.h"
#include "platform/StrUtil.h"

namespace {
THelpRouter* TheRouter = nullptr;

std::string WithWindow(std::string File, const std::string& Window)
{
    if (!Window.empty())
        File += ">" + Window;
    return File;
}

size_t NamePart(const std::string& File)
{
    size_t Slash = File.find_last_of("/\\");
    return Slash == std::string::npos ? 0 : Slash + 1;
}

std::string ExtractFileExt(const std::string& File)
{
    size_t Dot = File.find_last_of('.');
    return Dot == std::string::npos || Dot < NamePart(File) ? std::string() : File.substr(Dot);
}
}

THelpEvent& ApplicationOnHelp()
{
    static THelpEvent Handler;
    return Handler;
}

bool ApplicationHelpCommand(uint16_t Command, const THelpData& Data)
{
    bool CallHelp = true;
    THelpEvent Handler = ApplicationOnHelp();   // a copy: the handler may replace the slot
    return Handler ? Handler(Command, Data, CallHelp) : false;
}

std::string ChangeFileExt(const std::string& File, const std::string& Ext)
{
    size_t Start = NamePart(File);
    size_t Dot = File.find_last_of('.');
    if (Dot == std::string::npos || Dot < Start)
        return File + Ext;
    return File.substr(0, Dot) + Ext;
}

THelpRouter::THelpRouter(THelpHost* Host) : FHost(Host)
{
    // Refused before anything is touched: the running router stays installed.
    if (TheRouter)
        throw Exception("Multiple instances of THelpRouter are not allowed");
    SavedOnHelp = ApplicationOnHelp();
    ApplicationOnHelp() = [this](uint16_t C, const THelpData& D, bool& CallHelp) { return HelpHandler(C, D, CallHelp); };
    SavedRouting = THelpRouting::setInstance(this);
    TheRouter = this;
}

THelpRouter::~THelpRouter()
{
    if (TheRouter != this)
        return;
    ApplicationOnHelp() = SavedOnHelp;
    THelpRouting::setInstance(SavedRouting);
    TheRouter = nullptr;
}

THelpRouter* THelpRouter::Instance() { return TheRouter; }

bool THelpRouter::HtmlHelpAvailable()
{
    if (!FHost)
        return false;
    return FHost->HtmlHelpLoaded() || FHost->LoadHtmlHelp();
}

std::string THelpRouter::GetHelpFile() const
{
    if (!Helpfile.empty())
        return Helpfile;
    if (!FHost)
        return {};
    std::string Form = FHost->FormHelpFile();
    return Form.empty() ? FHost->ApplicationHelpFile() : Form;
}

void THelpRouter::ShowContents() { ApplicationHelpCommand(HELP_TAB, THelpData(0)); }

bool THelpRouter::HelpHandler(uint16_t Command, const THelpData& Data, bool& CallHelp)
{
    bool Result = false;
    if (OnHelp) {
        Result = OnHelp(Command, Data, CallHelp);
        if (!CallHelp)
            return Result;
    }
    if (SavedOnHelp) {
        Result = SavedOnHelp(Command, Data, CallHelp);
        if (!CallHelp)
            return Result;
    }
    FHelpFileName = GetHelpFile();
    if (ShowType == stMain) {
        if (Command == HELP_CONTEXTPOPUP)
            Command = HELP_CONTEXT;
        else if (Command == HELP_SETPOPUP_POS)
            Command = 0;
    }
    bool Html = HelpType == htHTMLhelp ||
        (HelpType == htMixedMode && Command != HELP_CONTEXTPOPUP && Command != HELP_SETPOPUP_POS);
    if (Html) {
        if (FHost && !FHost->HtmlHelpLoaded() && Command == HELP_QUIT) {
            CallHelp = false;
            return true;
        }
        if (!HtmlHelpAvailable())
            return Result;
        if (Command == HELP_SETPOPUP_POS) {
            PopupX = int16_t(Data.Value & 0xFFFF);
            PopupY = int16_t((uint32_t(Data.Value) >> 16) & 0xFFFF);
            CallHelp = false;
            return false;
        }
        if (Command == HELP_CONTEXTPOPUP) {
            if (PopupX == 0 && PopupY == 0)
                std::tie(PopupX, PopupY) = FHost->MousePos();
            ShowPopup(PopupX, PopupY, "", Data.Value);
            PopupX = PopupY = 0;
            CallHelp = false;
            return true;
        }
        // Without a help file there is nothing to open: a name made of the extension alone would be a file of
        // the working folder.
        if (FHelpFileName.empty() && Command != HELP_QUIT)
            return false;
        FHelpFileName = WithWindow(ChangeFileExt(FHelpFileName, ".chm"), HelpWindow);
        intptr_t R = 0;
        switch (Command) {
        case HELP_CONTEXT:
            R = FHost->HtmlHelp(FHelpFileName, HH_HELP_CONTEXT, Data, nullptr);
            break;
        case HELP_QUIT:
            R = FHost->HtmlHelp("", HH_CLOSE_ALL, THelpData(), nullptr);
            break;
        case HELP_CONTENTS:
        case HELP_FINDER:
            R = FHost->HtmlHelp(FHelpFileName, HH_DISPLAY_TOC, THelpData(), nullptr);
            break;
        case HELP_TAB:
            R = FHost->HtmlHelp(FHelpFileName, Data.Value == 0 ? HH_DISPLAY_TOC : HH_DISPLAY_INDEX, THelpData(),
                nullptr);
            break;
        case HELP_KEY:
        case HELP_PARTIALKEY:
            R = FHost->HtmlHelp(FHelpFileName, HH_DISPLAY_INDEX, Data, nullptr);
            break;
        default:
            break;
        }
        CallHelp = false;
        return R != 0;
    }
    // WinHelp.
    if (Command == 0) {
        CallHelp = false;
        return true;
    }
    if (Command == HELP_CONTEXTPOPUP && HelpType == htMixedMode && LowerCase(ExtractFileExt(CHMPopupTopics)) == ".hlp") {
        std::string Folder = FHelpFileName.substr(0, NamePart(FHelpFileName));
        FHelpFileName = NamePart(CHMPopupTopics) == 0 ? Folder + CHMPopupTopics : CHMPopupTopics;
    }
    if (FHelpFileName.empty() || !FHost)
        return false;
    Result = FHost->WinHelp(ChangeFileExt(FHelpFileName, ".hlp"), Command, Data) != 0;
    CallHelp = false;
    return Result;
}

bool THelpRouter::ShowPopup(int32_t X, int32_t Y, const std::string& Text, int32_t Context)
{
    if (!HtmlHelpAvailable())
        return false;
    THHPopup Popup;
    Popup.IdString = Text.empty() ? Context : 0;
    Popup.Text = Text;
    Popup.X = X;
    Popup.Y = Y;
    if (Popup.IdString == 0 && Text.empty()) {
        // Nothing to say about the item: the host shows its "no topic" text rather than an empty popup.
        return FHost->HtmlHelp("", HH_DISPLAY_TEXT_POPUP, THelpData(), &Popup) != 0;
    }
    if (Popup.IdString != 0) {
        if (CHMPopupTopics.empty())
            CHMPopupTopics = "CSHelp.txt";
        std::string File = GetHelpFile();
        if (File.empty())
            return false;
        FHelpFileName = WithWindow(ChangeFileExt(File, ".chm") + "::/" + CHMPopupTopics, HelpWindow);
        return FHost->HtmlHelp(FHelpFileName, HH_DISPLAY_TEXT_POPUP, THelpData(), &Popup) != 0;
    }
    return FHost->HtmlHelp("", HH_DISPLAY_TEXT_POPUP, THelpData(), &Popup) != 0;
}

bool THelpRouter::ShowKeyword(const std::string& Topic)
{
    if (HelpType == htHTMLhelp || HelpType == htMixedMode) {
        if (!HtmlHelpAvailable())
            return false;
        std::string File = GetHelpFile();
        if (File.empty())
            return false;
        FHelpFileName = WithWindow(ChangeFileExt(File, ".chm"), HelpWindow);
        return FHost->HtmlHelp(FHelpFileName, HH_DISPLAY_TOPIC, THelpData(Topic), nullptr) != 0;
    }
    std::string File = GetHelpFile();
    if (File.empty() || !FHost)
        return false;
    FHelpFileName = ChangeFileExt(File, ".hlp");
    std::string Macro = "AL(\"" + Topic + "\",1)";
    if (Macro.size() > 255)
        Macro.resize(255);
    if (FHost->WinHelp(FHelpFileName, HELP_CONTENTS, THelpData(0)) == 0)
        return false;
    return FHost->WinHelp(FHelpFileName, HELP_COMMAND, THelpData(Macro)) != 0;
}
