#include "platform/SerialDevices.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/serial.h>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool exists(const std::string& Path)
{
    struct stat st{};
    return ::stat(Path.c_str(), &st) == 0;
}

// The number in a kernel attribute file ("4\n"); nullopt when the file is missing or holds no number.
std::optional<int> readNumber(const std::string& Path)
{
    std::ifstream in(Path);
    long v = 0;
    if (!(in >> v))
        return std::nullopt;
    return int(v);
}
}

std::optional<int> SerialPortType(const std::string& Path)
{
    int fd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        // A placeholder refuses to open for want of hardware; being busy or forbidden says nothing about it.
        return errno == ENXIO || errno == ENODEV || errno == EIO ? std::optional<int>(0) : std::nullopt;
    serial_struct info{};
    const bool asked = ::ioctl(fd, TIOCGSERIAL, &info) == 0;
    ::close(fd);
    return asked ? std::optional<int>(info.type) : std::nullopt;
}

bool TtyHasDevice(const std::string& Name, const std::string& Path, const TTtyProbe& Probe)
{
    if (!Probe.SysfsFolder.empty()) {
        const std::string entry = Probe.SysfsFolder + "/" + Name;
        if (exists(entry)) {
            if (!exists(entry + "/device/driver"))
                return false;
            if (std::optional<int> type = readNumber(entry + "/type"))
                return *type != 0;
        }
    }
    std::optional<int> type = Probe.SerialType ? Probe.SerialType(Path) : std::nullopt;
    return !type || *type != 0;
}

int EnumSerialDevices(std::vector<std::string>& Paths, const std::string& Folder, const TTtyProbe& Probe)
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
        if (t.Kind != 0 || TtyHasDevice(t.Name, prefix + t.Name, Probe))
            Paths.push_back(prefix + t.Name);
    return 0;
}
