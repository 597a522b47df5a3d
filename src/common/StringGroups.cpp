#include "common/StringGroups.h"

#include <map>
#include <mutex>

namespace {
struct TRegistry {
    std::mutex Lock;
    std::map<std::string, TStringGroupSetter> Groups;
};
// Built on first use, so that registrations made during static initialisation of other units find it ready.
TRegistry& Registry()
{
    static TRegistry r;
    return r;
}
}

TStringGroupSetter RegisterStringGroup(const std::string& GroupName, TStringGroupSetter Setter)
{
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    TStringGroupSetter previous;
    auto it = r.Groups.find(GroupName);
    if (it != r.Groups.end()) {
        previous = std::move(it->second);
        r.Groups.erase(it);
    }
    if (Setter)
        r.Groups.emplace(GroupName, std::move(Setter));
    return previous;
}

bool IsStringGroupRegistered(const std::string& GroupName)
{
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    return r.Groups.count(GroupName) != 0;
}

bool SetGroupString(const std::string& GroupName, const std::string& Key, const std::string& Text)
{
    TStringGroupSetter setter;
    {
        TRegistry& r = Registry();
        std::lock_guard<std::mutex> g(r.Lock);
        auto it = r.Groups.find(GroupName);
        if (it == r.Groups.end())
            return false;
        setter = it->second;
    }
    // Called outside the lock: a setter may itself look at the registry.
    return setter(Key, Text);
}
