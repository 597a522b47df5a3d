// Runs the simulator and talks to it through its pseudo-terminal.
#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

int Remaining(TClock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left < 0 ? 0 : int(left);
}

std::vector<char*> Argv(const std::string& binary, const std::vector<std::string>& args,
                        std::vector<std::string>& storage)
{
    storage = args;
    storage.insert(storage.begin(), binary);
    std::vector<char*> argv;
    for (auto& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    return argv;
}

int OpenRaw(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

}  // namespace

std::string TSimProcess::Binary()
{
    std::string path = std::string(ORLANTIS_BIN_DIR) + "/vmusim";
    return std::filesystem::exists(path) ? path : std::string();
}

TSimProcess::TSimProcess(const std::vector<std::string>& args) : Child(Binary(), args)
{
    if (!Child.Path.empty())
        Fd = OpenRaw(Child.Path);
}

TSimProcess::~TSimProcess()
{
    Stop();
}

int TSimProcess::Stop()
{
    CloseLine();
    return Child.Stop();
}

void TSimProcess::CloseLine()
{
    if (Fd >= 0)
        ::close(Fd);
    Fd = -1;
}

void TSimProcess::ReopenLine()
{
    if (Fd < 0)
        Fd = OpenRaw(Child.Path);
}

void TSimProcess::Send(const std::string& text)
{
    size_t done = 0;
    auto deadline = TClock::now() + std::chrono::seconds(20);
    while (Fd >= 0 && done < text.size() && TClock::now() < deadline) {
        ssize_t n = ::write(Fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN)
            return;
        pollfd p{Fd, POLLOUT, 0};
        ::poll(&p, 1, 100);
    }
}

bool TSimProcess::ReadChunk(int timeoutMs)
{
    pollfd p{Fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buf[4096];
    ssize_t n = ::read(Fd, buf, sizeof buf);
    if (n > 0)
        Pending.append(buf, size_t(n));
    else if (n == 0 || (errno != EAGAIN && errno != EINTR))
        Hup = true;
    return true;
}

std::string TSimProcess::TakePending()
{
    std::string got;
    got.swap(Pending);
    return got;
}

std::string TSimProcess::ReadUntil(const std::string& tail, int timeoutMs)
{
    auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    auto done = [&] {
        return Pending.size() >= tail.size() && Pending.compare(Pending.size() - tail.size(), tail.size(), tail) == 0;
    };
    while (Fd >= 0 && !done() && !Hup) {
        if (!ReadChunk(Remaining(deadline)))
            break;
    }
    return TakePending();
}

std::string TSimProcess::ReadQuiet(int quietMs, int maxMs)
{
    auto deadline = TClock::now() + std::chrono::milliseconds(maxMs);
    while (Fd >= 0 && !Hup && TClock::now() < deadline) {
        if (!ReadChunk(std::min(quietMs, Remaining(deadline))))
            break;
    }
    return TakePending();
}

std::string TSimProcess::Login(const std::string& password)
{
    std::string all = Keys("\r", "Password => ");
    return all + Keys(password + "\r", "Top Menu Selection => ");
}

int RunSimToEnd(const std::vector<std::string>& args, std::string& output)
{
    std::string binary = TSimProcess::Binary();
    int pipeFds[2];
    if (binary.empty() || ::pipe(pipeFds) != 0)
        return -1;
    std::vector<std::string> storage;
    auto argv = Argv(binary, args, storage);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buf[1024];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0)
        output.append(buf, size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {
// The test run's own folder, removed when the run ends.
struct TTempFolder {
    std::filesystem::path Dir =
        std::filesystem::temp_directory_path() / ("vmusim-test-" + std::to_string(::getpid()));
    ~TTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
};
}  // namespace

std::string TempPath(const std::string& name)
{
    static TTempFolder folder;
    std::filesystem::create_directories(folder.Dir);
    return (folder.Dir / name).string();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
