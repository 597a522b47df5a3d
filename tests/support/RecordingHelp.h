// Test doubles of the help chain: a context-help router that records what it was asked, and a help host that
// records every HTML Help and WinHelp call with scripted answers.
#pragma once

#include "common/Utilits.h"
#include "help/HelpHost.h"

#include <string>
#include <vector>

class TRecordingHelpRouting : public THelpRouting {
public:
    std::string HelpWindow;
    std::vector<std::string> Calls;   // "contents" or "keyword:<K>"
    void SetHelpWindow(const std::string& Name) override { HelpWindow = Name; }
    void ShowContents() override { Calls.push_back("contents"); }
    bool ShowKeyword(const std::string& Keyword) override
    {
        Calls.push_back("keyword:" + Keyword);
        return true;
    }
};

class TRecordingHelpHost : public THelpHost {
public:
    struct TCall {
        bool Html;
        std::string File;
        uint32_t Command;
        int32_t Value;
        std::string Text;
        bool HasPopup;
        THHPopup Popup;
    };
    std::vector<TCall> Calls;
    bool Loaded = false;
    bool CanLoad = true;
    intptr_t HtmlAnswer = 1;
    std::vector<intptr_t> WinAnswers;   // taken from the front, then 1
    std::pair<int32_t, int32_t> Mouse{300, 200};
    std::string AppFile;

    bool HtmlHelpLoaded() const override { return Loaded; }
    bool LoadHtmlHelp() override { return Loaded = CanLoad; }
    intptr_t HtmlHelp(const std::string& File, uint32_t Command, const THelpData& Data, const THHPopup* Popup) override
    {
        Calls.push_back({true, File, Command, Data.Value, Data.Text, Popup != nullptr, Popup ? *Popup : THHPopup()});
        return HtmlAnswer;
    }
    intptr_t WinHelp(const std::string& File, uint32_t Command, const THelpData& Data) override
    {
        Calls.push_back({false, File, Command, Data.Value, Data.Text, false, THHPopup()});
        if (WinAnswers.empty())
            return 1;
        intptr_t R = WinAnswers.front();
        WinAnswers.erase(WinAnswers.begin());
        return R;
    }
    std::pair<int32_t, int32_t> MousePos() const override { return Mouse; }
    std::string ApplicationHelpFile() const override { return AppFile; }
};
