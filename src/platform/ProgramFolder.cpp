#include "platform/ProgramFolder.h"

#include <cerrno>
#include <cstdlib>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string& overrideFolder()
{
    static std::string folder;
    return folder;
}

std::string withSlash(std::string s)
{
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

std::string executableFolder()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0)
        return "./";
    std::string path(buf, size_t(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// mkdir -p for the configuration folder; failures show later, when the file itself cannot be written.
void makeFolders(const std::string& folder)
{
    for (size_t i = 1; i <= folder.size(); ++i)
        if (i == folder.size() || folder[i] == '/')
            mkdir(folder.substr(0, i).c_str(), 0755);
}
}

std::string ProgramFolder()
{
    if (!overrideFolder().empty())
        return overrideFolder();
    static const std::string folder = executableFolder();
    return folder;
}

std::string SettingsFolder()
{
    if (!overrideFolder().empty())
        return overrideFolder();
    std::string program = ProgramFolder();
    if (access(program.c_str(), W_OK) == 0)
        return program;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    std::string folder = withSlash(base) + "Orlantis/";
    makeFolders(folder);
    return folder;
}

std::string WorkingFolder()
{
    if (!overrideFolder().empty())
        return overrideFolder();
    static const std::string folder = [] {
        char buf[PATH_MAX];
        return getcwd(buf, sizeof(buf)) ? withSlash(buf) : ProgramFolder();
    }();
    return folder;
}

std::string SettingsFilePath(const std::string& FileName) { return SettingsFolder() + FileName; }

TProgramFolderScope::TProgramFolderScope(const std::string& Folder) : Previous(overrideFolder())
{
    overrideFolder() = withSlash(Folder);
}

TProgramFolderScope::~TProgramFolderScope() { overrideFolder() = Previous; }
