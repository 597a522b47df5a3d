#include "platform/AtomicFile.h"

#include "platform/Exception.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string reason(int err) { return std::strerror(err); }

// A temporary name beside the target that no other writer in this or another process picks at the same time.
std::string temporaryName(const std::string& FileName, int attempt)
{
    static std::atomic<unsigned> counter{0};
    return FileName + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
        std::to_string(attempt);
}

// A settings file or data file reached through a symbolic link stays a link: the new contents replace the file
// it points to, never the link itself.
std::string resolveLink(const std::string& name)
{
    struct stat st;
    if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buf[PATH_MAX];
        if (::realpath(name.c_str(), buf))
            return buf;
    }
    return name;
}

// The process that wrote a temporary name of FileName's ("<name>.tmp<pid>-<n>-<n>"), 0 when Name is no such name.
pid_t temporaryWriter(const std::string& FileName, const std::string& Name)
{
    const std::string prefix = FileName + ".tmp";
    if (Name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    long long pid = 0;
    int fields = 0;
    bool digits = false;
    for (size_t i = prefix.size(); i <= Name.size(); ++i) {
        if (i == Name.size() || Name[i] == '-') {
            if (!digits)
                return 0;
            ++fields;
            digits = false;
        } else if (Name[i] >= '0' && Name[i] <= '9' && i - prefix.size() < 40) {
            if (fields == 0)
                pid = pid * 10 + (Name[i] - '0');
            digits = true;
        } else {
            return 0;
        }
    }
    return fields == 3 && pid > 0 && pid <= INT_MAX ? pid_t(pid) : 0;
}

// The temporaries of writes that never ended (the program was killed half-way) go at the next write of the file.
// Those of a process that still runs are its writes under way and stay.
void removeLeftTemporaries(const std::string& Target)
{
    const size_t slash = Target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : Target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? Target : Target.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const pid_t writer = temporaryWriter(base, e->d_name);
        if (writer > 0 && writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH)
            (void)::unlink((slash == std::string::npos ? std::string(e->d_name) : dir + e->d_name).c_str());
    }
    ::closedir(d);
}

class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() { if (Fd >= 0) ::close(Fd); }
    int release() { int f = Fd; Fd = -1; return f; }
    int Fd;
};
}

void WriteFileAtomic(const std::string& FileName, std::string_view Data)
{
    // Past the file-size limit a write must fail with EFBIG and be told, not end the process with SIGXFSZ (the
    // program ignores the signal from its start; a tool that writes through here does so at its first write).
    struct sigaction Now{};
    if (::sigaction(SIGXFSZ, nullptr, &Now) == 0 && Now.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
    const std::string Target = resolveLink(FileName);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(Target, attempt);
        // The umask shapes a new file's mode as it would for a plain create.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        throw EFileError("Cannot create file \"" + FileName + "\". " + reason(errno));
    TFd file(fd);
    auto fail = [&](const char* what, int err) {
        ::close(file.release());
        ::unlink(temp.c_str());
        throw EFileError(std::string(what) + " \"" + FileName + "\". " + reason(err));
    };
    struct stat old;
    if (::stat(Target.c_str(), &old) == 0)
        (void)::fchmod(fd, old.st_mode & 07777);
    const char* p = Data.data();
    size_t left = Data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot write file", errno);
        }
        p += n;
        left -= size_t(n);
    }
    if (::fsync(fd) != 0)
        fail("Cannot write file", errno);
    if (::close(file.release()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        throw EFileError("Cannot write file \"" + FileName + "\". " + reason(err));
    }
    if (::rename(temp.c_str(), Target.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        throw EFileError("Cannot create file \"" + FileName + "\". " + reason(err));
    }
    removeLeftTemporaries(Target);
}

std::string ReadWholeFile(const std::string& FileName)
{
    int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError("Cannot open file \"" + FileName + "\". " + reason(errno));
    TFd file(fd);
    std::string data;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        data.reserve(size_t(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError("Cannot read file \"" + FileName + "\". " + reason(errno));
        }
        if (n == 0)
            break;
        data.append(buf, size_t(n));
    }
    return data;
}
