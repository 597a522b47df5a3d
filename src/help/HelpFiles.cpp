#include "help/HelpFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

bool ReadHelpFile(const std::string& Path, std::string& Text, std::string& Why)
{
    Text.clear();
    // Non-blocking, so that opening a FIFO returns at once; the type is then checked on what was opened.
    int Fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0) {
        Why = errno == ENOENT ? "not found" : std::string("cannot be read (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat St {};
    bool Ok = ::fstat(Fd, &St) == 0;
    if (Ok && !S_ISREG(St.st_mode)) {
        Why = "is not a regular file";
        Ok = false;
    } else if (Ok && std::uintmax_t(St.st_size) > MaxHelpFileSize) {
        Why = "is larger than " + std::to_string(MaxHelpFileSize / (1024 * 1024)) + " MiB";
        Ok = false;
    }
    if (Ok) {
        // Never more than the bound, even for a file that grows while it is read.
        Text.resize(size_t(St.st_size));
        size_t Got = 0;
        while (Got < Text.size()) {
            ssize_t N = ::read(Fd, Text.data() + Got, Text.size() - Got);
            if (N < 0 && errno == EINTR)
                continue;
            if (N <= 0)
                break;
            Got += size_t(N);
        }
        Text.resize(Got);
    } else if (Why.empty())
        Why = "cannot be read";
    ::close(Fd);
    if (!Ok)
        Text.clear();
    return Ok;
}

std::vector<std::string_view> HelpLines(std::string_view Text)
{
    std::vector<std::string_view> Out;
    size_t Start = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != '\r' && Text[i] != '\n')
            continue;
        Out.push_back(Text.substr(Start, i - Start));
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
            ++i;
        Start = i + 1;
    }
    if (Start < Text.size())
        Out.push_back(Text.substr(Start));
    return Out;
}

bool PathInsideFolder(const std::string& Path, const std::string& Folder)
{
    std::error_code Ec;
    fs::path Root = fs::canonical(Folder, Ec);
    if (Ec)
        return false;
    fs::path Real = fs::weakly_canonical(Path, Ec);
    if (Ec)
        return false;
    fs::path Rel = Real.lexically_relative(Root);
    if (Rel.empty())
        return false;
    if (Rel == ".")
        return true;
    return *Rel.begin() != "..";
}

std::string DecodeHelpEntities(std::string_view S)
{
    static const std::pair<std::string_view, char> Named[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    std::string Out;
    Out.reserve(S.size());
    for (size_t i = 0; i < S.size(); ++i) {
        if (S[i] != '&') {
            Out += S[i];
            continue;
        }
        // An entity is short; look no further than a few characters for its ";".
        size_t Semi = S.find(';', i + 1);
        if (Semi == std::string_view::npos || Semi - i > 8) {
            Out += '&';
            continue;
        }
        std::string_view Name = S.substr(i + 1, Semi - i - 1);
        int Code = -1;
        for (const auto& [N, C] : Named)
            if (Name == N)
                Code = (unsigned char)C;
        if (Code < 0 && Name.size() >= 2 && Name[0] == '#') {
            bool Hex = Name[1] == 'x' || Name[1] == 'X';
            std::string_view Digits = Name.substr(Hex ? 2 : 1);
            int V = Digits.empty() ? -1 : 0;
            for (char c : Digits) {
                int D = c >= '0' && c <= '9' ? c - '0'
                    : Hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : Hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
                if (D < 0 || V > 255) {
                    V = -1;
                    break;
                }
                V = V * (Hex ? 16 : 10) + D;
            }
            if (V > 0 && V < 256)
                Code = V;
        }
        if (Code < 0) {
            Out += '&';
            continue;
        }
        Out += char(Code);
        i = Semi;
    }
    return Out;
}
