#include "common/Utilits.h"

#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <map>

namespace Utilits {
#define ORLANTIS_DEFINE_TEXT(Key, Default) std::string Key = Default;
ORLANTIS_UTILITS_TEXTS(ORLANTIS_DEFINE_TEXT)
#undef ORLANTIS_DEFINE_TEXT
}

namespace {
struct TTextEntry {
    const char* Key;
    const char* Default;
    std::string* Text;
};

const std::vector<TTextEntry>& TextTable()
{
    static const std::vector<TTextEntry> table = {
#define ORLANTIS_TEXT_ENTRY(Key, Default) {#Key, Default, &Utilits::Key},
        ORLANTIS_UTILITS_TEXTS(ORLANTIS_TEXT_ENTRY)
#undef ORLANTIS_TEXT_ENTRY
    };
    return table;
}

const TTextEntry* FindText(const std::string& Key)
{
    static const std::map<std::string, const TTextEntry*> index = [] {
        std::map<std::string, const TTextEntry*> m;
        for (const TTextEntry& e : TextTable())
            m[e.Key] = &e;
        return m;
    }();
    auto it = index.find(Key);
    return it == index.end() ? nullptr : it->second;
}

std::atomic<TXmlNode*> formProperties{nullptr};
std::atomic<TXmlNode*> unitProperties{nullptr};
std::atomic<int> vScrollWidth{16};
std::atomic<int> captionHeight{19};

// No router: there is no help to show.
class TNoHelpRouting : public THelpRouting {
public:
    void SetHelpWindow(const std::string&) override {}
    void ShowContents() override {}
    bool ShowKeyword(const std::string&) override { return false; }
};

THelpRouting& defaultHelpRouting()
{
    static TNoHelpRouting r;
    return r;
}
std::atomic<THelpRouting*> currentHelpRouting{nullptr};
}

const std::vector<std::pair<std::string, std::string>>& UtilitsDefaultTexts()
{
    static const std::vector<std::pair<std::string, std::string>> defaults = [] {
        std::vector<std::pair<std::string, std::string>> v;
        for (const TTextEntry& e : TextTable())
            v.emplace_back(e.Key, e.Default);
        return v;
    }();
    return defaults;
}

bool SetUtilitsText(const std::string& Key, const std::string& Text)
{
    const TTextEntry* e = FindText(Key);
    if (!e)
        return false;
    *e->Text = Text;
    // The boxes the platform layer shows by itself take the same captions.
    if (Key == "SError" || Key == "SWarning")
        SetBoxCaptions(Utilits::SError, Utilits::SWarning);
    return true;
}

std::string UtilitsText(const std::string& Key)
{
    const TTextEntry* e = FindText(Key);
    return e ? *e->Text : std::string();
}

void ResetUtilitsTexts()
{
    for (const TTextEntry& e : TextTable())
        *e.Text = e.Default;
    SetBoxCaptions(Utilits::SError, Utilits::SWarning);
}

void SetPropertiesNodes(TXmlNode* FormPropertiesNode, TXmlNode* UnitPropertiesNode)
{
    formProperties = FormPropertiesNode;
    unitProperties = UnitPropertiesNode;
}

TXmlNode* FormPropertiesNode() { return formProperties.load(); }
TXmlNode* UnitPropertiesNode() { return unitProperties.load(); }

void SetFormMetrics(const TFormMetrics& Metrics)
{
    vScrollWidth = Metrics.VScrollWidth;
    captionHeight = Metrics.CaptionHeight;
}

TFormMetrics FormMetrics() { return TFormMetrics{vScrollWidth.load(), captionHeight.load()}; }

namespace {
int32_t Saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
}

void SetFormParam(const std::string& Name, const std::string& Value, TFormParams& Params)
{
    if (Name == "FormCaption")
        Params.Caption = Value;
    else if (Name == "HelpContextName")
        Params.HelpContextName = Value;
    else if (Name == "FormPosX")
        Params.X = StrToInt(Value);
    else if (Name == "FormPosY")
        Params.Y = StrToInt(Value);
    else if (Name == "FormWidth")
        Params.Width = Saturate(int64_t(StrToInt(Value)) + FormMetrics().VScrollWidth - 16);
    else if (Name == "FormHeight")
        Params.Height = Saturate(int64_t(StrToInt(Value)) + FormMetrics().CaptionHeight - 19);
}

THelpRouting& THelpRouting::instance()
{
    THelpRouting* r = currentHelpRouting.load();
    return r ? *r : defaultHelpRouting();
}

THelpRouting* THelpRouting::setInstance(THelpRouting* Router) { return currentHelpRouting.exchange(Router); }

void ShowHelpForKeyword(const std::string& Keyword)
{
    THelpRouting& router = THelpRouting::instance();
    if (Keyword.empty()) {
        router.SetHelpWindow("Main");
        router.ShowContents();
    } else if (Keyword != "-") {
        router.SetHelpWindow("GridForm");
        router.ShowKeyword(Keyword + ".htm");
    }
}

bool IsSignedIntText(const std::string& S)
{
    // Callers convert the text right after asking, so "", "-" and values past 32 bits must not pass.
    int32_t v = 0;
    return TryStrToInt(S, v);
}

std::string TextBetween(const std::string& S, const std::string& StartMark, const std::string& EndMark)
{
    if (StartMark.empty())
        return std::string();
    size_t start = S.find(StartMark);
    if (start == std::string::npos)
        return std::string();
    size_t p = start + StartMark.size();
    size_t end = S.find(EndMark, p);
    if (end == std::string::npos)
        return std::string();
    return S.substr(p, end - p);
}

int AskSaveVMUChanges()
{
    return TDialogs::instance().MessageBox(Utilits::SModifyQuestionBase, Utilits::SWarning, mtConfirmation,
        mbYes | mbNo | mbCancel);
}

int AskSaveFormChanges()
{
    return TDialogs::instance().MessageBox(Utilits::SModifyQuestionForm, Utilits::SWarning, mtConfirmation,
        mbYes | mbNo | mbCancel);
}

int ShowTimeFrameError(int32_t Code, int32_t FrameNo)
{
    std::string text;
    switch (Code) {
    case 1: text = Format(Utilits::STimeFrameError1, {int64_t(FrameNo)}); break;
    case 2: text = Format(Utilits::STimeFrameError2, {int64_t(FrameNo)}); break;
    case 3: text = Format(Utilits::STimeFrameError3, {int64_t(FrameNo)}); break;
    case 4: text = Utilits::STimeFrameError4; break;
    default: break;
    }
    return TDialogs::instance().MessageBox(text, Utilits::SError, mtError, mbOK);
}

int ShowTimePeriodError(int32_t Code)
{
    std::string text;
    switch (Code) {
    case 1: text = Utilits::STimePeriodError1; break;
    case 2: text = Utilits::STimePeriodError2; break;
    case 3: text = Utilits::STimePeriodError3; break;
    case 4: text = Utilits::STimePeriodError4; break;
    default: break;
    }
    return TDialogs::instance().MessageBox(text, Utilits::SError, mtError, mbOK);
}

void NormalizeNumberList(const std::string& Text, int32_t Min, int32_t Max, std::string& Result)
{
    Result.clear();
    if (Text.empty())
        return;
    if (Min > Max)
        std::swap(Min, Max);
    // Ranges are kept as intervals, so that a range such as 1-2000000000 costs nothing.
    std::vector<std::pair<int64_t, int64_t>> ranges;
    bool haveStart = false;
    int32_t start = 0;
    size_t tokenBegin = 0;
    for (size_t i = 0; i <= Text.size(); ++i) {
        char c = i < Text.size() ? Text[i] : '\0';
        if (i < Text.size() && c != ',' && c != '-')
            continue;
        std::string token = Trim(std::string_view(Text).substr(tokenBegin, i - tokenBegin));
        tokenBegin = i + 1;
        if (token.empty())
            continue;
        int32_t v = StrToInt(token);
        if (v < Min || v > Max)
            throw EConvertError(Format(Utilits::SNumberOutOfRange, {int64_t(v), int64_t(Min), int64_t(Max)}));
        if (c == '-') {
            ranges.emplace_back(v, v);
            haveStart = true;
            start = v;
        } else if (haveStart) {
            ranges.emplace_back(std::min(start, v), std::max(start, v));
            haveStart = false;
        } else {
            ranges.emplace_back(v, v);
        }
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int64_t, int64_t>> merged;
    for (const auto& r : ranges) {
        if (!merged.empty() && r.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, r.second);
        else
            merged.push_back(r);
    }
    for (const auto& [lo, hi] : merged) {
        if (!Result.empty())
            Result += ',';
        Result += IntToStr(lo);
        if (hi > lo)
            Result += '-' + IntToStr(hi);
    }
}

std::pair<int, int> CentredPosition(const TScreenRect& Owner, int Width, int Height, const TScreenRect& Screen)
{
    int64_t x = int64_t(Owner.X) + (int64_t(Owner.Width) - Width) / 2;
    int64_t y = int64_t(Owner.Y) + (int64_t(Owner.Height) - Height) / 2;
    if (Screen.Width > 0 && Screen.Height > 0) {
        // Right and bottom edges first, so that a dialog larger than the screen keeps its top-left corner visible.
        x = std::min<int64_t>(x, int64_t(Screen.X) + Screen.Width - Width);
        y = std::min<int64_t>(y, int64_t(Screen.Y) + Screen.Height - Height);
        x = std::max<int64_t>(x, Screen.X);
        y = std::max<int64_t>(y, Screen.Y);
    }
    return {Saturate(x), Saturate(y)};
}
