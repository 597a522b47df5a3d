#include "grid/XStrGridTexts.h"

#include "common/StringGroups.h"

#include <map>

namespace {
std::map<std::string, std::string>& Table()
{
    static std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> t;
        for (const auto& [key, text] : XStrGridDefaultTexts())
            t[key] = text;
        return t;
    }();
    return table;
}
// The text store reaches the table through its group name, without knowing this unit.
const TStringGroupRegistration GroupRegistration("XStrGrid Unit", SetXStrGridText);
}  // namespace

const std::vector<std::pair<std::string, std::string>>& XStrGridDefaultTexts()
{
    static const std::vector<std::pair<std::string, std::string>> defaults = {
        {SWrongColumnIndex, "Wrong column index"},
        {SWrongRowIndex, "Wrong row index"},
        {SNoColumns, "Column list is empty"},
        {SNameAlreadyExists, "Column name \"%s\" already exists"},
        {SCantMakeActive, "Non visible column can't be active"},
        {SCantOpenRegKey, "Can't open registry key \"%s\""},
    };
    return defaults;
}

const std::string& XStrGridText(const std::string& Key)
{
    auto& t = Table();
    auto it = t.find(Key);
    if (it != t.end())
        return it->second;
    static thread_local std::string unknown;
    unknown = Key;
    return unknown;
}

bool SetXStrGridText(const std::string& Key, const std::string& Text)
{
    auto& t = Table();
    auto it = t.find(Key);
    if (it == t.end())
        return false;
    it->second = Text;
    return true;
}

void ResetXStrGridTexts()
{
    for (const auto& [key, text] : XStrGridDefaultTexts())
        Table()[key] = text;
}
