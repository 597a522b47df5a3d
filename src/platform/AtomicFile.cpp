#include "platform/AtomicFile.h"

#include "platform/Exception.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <limits>
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

// Whether Name is one of FileName's temporaries ("<name>.tmp<pid>-<n>-<n>"). A field is read only as far as the
// digits its number can have: a longer run makes a name that no writer of ours picks.
bool isTemporaryOf(const std::string& FileName, const std::string& Name)
{
    const std::string prefix = FileName + ".tmp";
    if (Name.compare(0, prefix.size(), prefix) != 0)
        return false;
    // The process id, the counter, the attempt.
    constexpr size_t widest[] = {std::numeric_limits<pid_t>::digits10 + 1,
        std::numeric_limits<unsigned>::digits10 + 1, 2};
    size_t i = prefix.size();
    for (size_t field = 0; field < std::size(widest); ++field) {
        if (field > 0 && (i >= Name.size() || Name[i++] != '-'))
            return false;
        size_t digits = 0;
        while (i < Name.size() && Name[i] >= '0' && Name[i] <= '9' && digits <= widest[field]) {
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > widest[field])
            return false;
    }
    return i == Name.size();
}

// A writer holds a write lock on its temporary from just after creating it until the file is in place: the lock,
// not the process id in the name, tells a write under way from the leftover of a killed one, also for a writer in
// another PID namespace or on another machine sharing the folder (where the file system shares record locks).
// Open file description locks: no other descriptor of this process (another thread's save, the sweep) shares or
// drops them.
bool lockWhole(int fd, short type)
{
    struct flock l{};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &l) == 0;
}

class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() { if (Fd >= 0) ::close(Fd); }
    int release() { int f = Fd; Fd = -1; return f; }
    int Fd;
};

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A temporary goes only when its writer is proven gone: a read lock is granted only while no writer holds its write
// lock. The name must still be the file locked: a writer that found its new file gone before it could lock it picks
// another name. Where the file system grants no locks, nothing is proven and the temporary stays.
void removeIfAbandoned(const std::string& Name)
{
    TFd file(::open(Name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held, now;
    if (file.Fd >= 0 && lockWhole(file.Fd, F_RDLCK) && ::fstat(file.Fd, &held) == 0 && S_ISREG(held.st_mode) &&
        ::lstat(Name.c_str(), &now) == 0 && sameFile(held, now))
        (void)::unlink(Name.c_str());
}

// The temporaries of writes that never ended (the program was killed half-way) go at the next write of the file.
void removeLeftTemporaries(const std::string& Target)
{
    const size_t slash = Target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : Target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? Target : Target.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d))
        if (isTemporaryOf(base, e->d_name))
            removeIfAbandoned(slash == std::string::npos ? std::string(e->d_name) : dir + e->d_name);
    ::closedir(d);
}

// Creates and locks a new temporary of Target; -1 with errno on failure. A name whose file a sweep took between
// the create and the lock is given up for the next one.
int createTemporary(const std::string& Target, std::string& temp)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = temporaryName(Target, attempt);
        // The umask shapes a new file's mode as it would for a plain create.
        TFd file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file.Fd < 0) {
            if (errno != EEXIST)
                return -1;
            continue;
        }
        if (!lockWhole(file.Fd, F_WRLCK)) {
            if (errno == EAGAIN || errno == EACCES) {
                (void)::unlink(temp.c_str());
                continue;
            }
            // No locks on this file system: no sweep can prove this file abandoned either.
        }
        struct stat mine, named;
        if (::fstat(file.Fd, &mine) == 0 && ::lstat(temp.c_str(), &named) == 0 && sameFile(mine, named))
            return file.release();
    }
    errno = EEXIST;
    return -1;
}
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
    const int fd = createTemporary(Target, temp);
    if (fd < 0)
        throw EFileError("Cannot create file \"" + FileName + "\". " + reason(errno));
    TFd file(fd);
    auto fail = [&](const char* what, int err) {
        ::close(file.release());
        ::unlink(temp.c_str());
        throw EFileError(std::string(what) + " \"" + FileName + "\". " + reason(err));
    };
    // The lock belongs to the open file: this second descriptor of it keeps the lock past the checked close
    // until the rename has put the file in place.
    TFd holder(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (holder.Fd < 0)
        fail("Cannot create file", errno);
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
    ::close(holder.release());
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
