#include "platform/SerialDevices.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <string_view>

namespace {
const char* const Kinds[] = {"ttyS", "ttyUSB", "ttyACM"};

// Kind index and number of a device name like "ttyUSB3"; false for any other name.
bool classify(std::string_view name, int& kind, long& number)
{
    for (int k = 0; k < 3; ++k) {
        std::string_view prefix = Kinds[k];
        if (name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix) {
            std::string_view digits = name.substr(prefix.size());
            auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
            if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), isDigit))
                return false;
            kind = k;
            number = std::stol(std::string(digits));
            return true;
        }
    }
    return false;
}
}

int EnumSerialDevices(std::vector<std::string>& Paths, const std::string& Folder)
{
    Paths.clear();
    DIR* dir = opendir(Folder.c_str());
    if (!dir)
        return errno ? errno : ENOENT;
    struct TEntry {
        int Kind;
        long Number;
        std::string Name;
    };
    std::vector<TEntry> found;
    while (dirent* e = readdir(dir)) {
        TEntry t{0, 0, e->d_name};
        if (classify(t.Name, t.Kind, t.Number))
            found.push_back(std::move(t));
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [](const TEntry& a, const TEntry& b) {
        return a.Kind != b.Kind ? a.Kind < b.Kind : a.Number < b.Number;
    });
    std::string prefix = Folder.empty() || Folder.back() == '/' ? Folder : Folder + "/";
    for (const TEntry& t : found)
        Paths.push_back(prefix + t.Name);
    return 0;
}
