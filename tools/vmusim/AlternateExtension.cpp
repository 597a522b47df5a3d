// "Alternate Extension": a compact list of up to 32 extensions, addressed by their place in the list. Adding
// appends, deleting closes the gap, so entry numbers are always 1 to n (docs/device.md, "Alternate Extension").
#include "TreeSection.h"

#include <algorithm>

namespace {

const char* const kSection = "Alternate Extension";
const char* const kPrompt = "Alternate Extension - A=Add, D=Delete, M=Modify, Q=Quit => ";
constexpr size_t kMaxEntries = 32;

std::vector<std::string> Entries(TConsole& c)
{
    std::vector<std::string> out;
    for (const auto& r : c.State.Section(kSection).Records)
        out.push_back(r.Get("Extension"));
    return out;
}

void Store(TConsole& c, const std::vector<std::string>& entries)
{
    TStateSection& s = c.State.Section(kSection);
    s.Records.clear();
    for (size_t i = 0; i < entries.size(); ++i)
        s.AddRecord(std::to_string(i + 1)).Set("Extension", entries[i]);
    c.Changed();
}

std::optional<std::string> Extension(const std::string& v)
{
    if (v.size() < 2 || v.size() > 5 || !std::all_of(v.begin(), v.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return std::nullopt;
    return v;
}

// The entry number typed, 0-based; -1 when there is no such entry.
int EntryIndex(TConsole& c, const std::string& typed)
{
    std::vector<std::string> entries = Entries(c);
    for (size_t i = 0; i < entries.size(); ++i)
        if (typed == std::to_string(i + 1))
            return static_cast<int>(i);
    return -1;
}

class TAlternateScreen : public TScreen {
public:
    explicit TAlternateScreen(std::string title) : Title(std::move(title)) {}

    void Show(TConsole& c) override
    {
        c.Line();
        c.Line(Title);
        c.Line();
        std::vector<std::string> entries = Entries(c);
        for (size_t i = 0; i < entries.size(); ++i)
            c.Line(TConsole::ValueLine("Extension No. " + std::to_string(i + 1), entries[i]));
        c.Line();
        ShowPrompt(c);
    }

    void ShowPrompt(TConsole& c) override { c.Print(kPrompt); }

    void Enter(TConsole& c, const std::string& line) override
    {
        std::string u = UpperCase(line);
        if (u == "A") {
            c.PushQuiet(std::make_unique<TValuePrompts>(std::vector<std::string>{"New Extension => "},
                [](TConsole& c, const std::vector<std::string>& v) {
                    std::vector<std::string> entries = Entries(c);
                    if (entries.size() >= kMaxEntries || !Extension(v[0]))
                        return false;
                    entries.push_back(v[0]);
                    Store(c, entries);
                    c.Line(TConsole::ValueLine("Extension No. " + std::to_string(entries.size()), v[0]));
                    return true;
                }));
        } else if (u == "D") {
            c.PushQuiet(std::make_unique<TValuePrompts>(
                std::vector<std::string>{"Entry No. => ", "Delete Entry (Y/N) => "},
                [](TConsole& c, const std::vector<std::string>& v) {
                    int i = EntryIndex(c, v[0]);
                    if (i < 0)
                        return false;
                    if (UpperCase(v[1]) == "Y") {
                        std::vector<std::string> entries = Entries(c);
                        entries.erase(entries.begin() + i);
                        Store(c, entries);
                        c.Line("Entry Deleted");
                    }
                    return true;
                }));
        } else if (u == "M") {
            c.PushQuiet(std::make_unique<TValuePrompts>(std::vector<std::string>{"Entry No. => ", "New Extension => "},
                [](TConsole& c, const std::vector<std::string>& v) {
                    int i = EntryIndex(c, v[0]);
                    if (i < 0)
                        return false;
                    if (v[1].empty())
                        return true;
                    if (!Extension(v[1]))
                        return false;
                    std::vector<std::string> entries = Entries(c);
                    entries[static_cast<size_t>(i)] = v[1];
                    Store(c, entries);
                    c.Line(TConsole::ValueLine("Extension No. " + std::to_string(i + 1), v[1]));
                    return true;
                }));
        } else {
            c.Incorrect();
            ShowPrompt(c);
        }
    }

private:
    std::string Title;
};

const TSectionRegistrar reg{{kSection,
    [](TConsole& c, const std::string& title) { c.Push(std::make_unique<TAlternateScreen>(title)); },
    [](TDeviceState& s) {
        if (s.FindSection(kSection))
            return;
        TStateSection& sec = s.Section(kSection);
        const char* sample[] = {"221", "222", "223"};
        for (size_t i = 0; i < 3; ++i)
            sec.AddRecord(std::to_string(i + 1)).Set("Extension", sample[i]);
    }}};

}  // namespace
