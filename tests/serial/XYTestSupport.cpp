// Helpers of the transfer tests; see XYTestSupport.h.
#include "XYTestSupport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::string MakeTempDir()
{
    std::string Tmpl = "/tmp/orlantis-xy-XXXXXX";
    char* d = mkdtemp(Tmpl.data());
    return d ? std::string(d) : std::string();
}

void RemoveTree(const std::string& Dir)
{
    if (Dir.empty() || Dir.rfind("/tmp/orlantis-xy-", 0) != 0)
        return;
    for (const std::string& n : ListDir(Dir))
        ::unlink((Dir + "/" + n).c_str());
    ::rmdir(Dir.c_str());
}

std::string ReadFileBytes(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

void WriteFileBytes(const std::string& Name, const std::string& Data)
{
    std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
    Out.write(Data.data(), std::streamsize(Data.size()));
}

std::string PatternBytes(size_t Size, unsigned Seed)
{
    std::mt19937 Rng(Seed);
    std::string s(Size, '\0');
    for (char& c : s)
        c = char(Rng() & 0xFF);
    return s;
}

bool FileExists(const std::string& Name)
{
    struct stat St;
    return ::stat(Name.c_str(), &St) == 0;
}

std::vector<std::string> ListDir(const std::string& Dir)
{
    std::vector<std::string> Names;
    if (DIR* D = ::opendir(Dir.c_str())) {
        while (dirent* E = ::readdir(D))
            if (std::strcmp(E->d_name, ".") != 0 && std::strcmp(E->d_name, "..") != 0)
                Names.push_back(E->d_name);
        ::closedir(D);
    }
    std::sort(Names.begin(), Names.end());
    return Names;
}

bool ToolExists(const std::string& Name)
{
    for (const char* Dir : {"/usr/bin/", "/bin/", "/usr/local/bin/"})
        if (::access((std::string(Dir) + Name).c_str(), X_OK) == 0)
            return true;
    return false;
}

namespace {
uint64_t Fnv1a(const std::string& Data)
{
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : Data)
        h = (h ^ c) * 1099511628211ull;
    return h;
}
}  // namespace

testing::AssertionResult SameBytes(const std::string& Got, const std::string& Want)
{
    if (Got == Want)
        return testing::AssertionSuccess();
    const size_t Common = std::min(Got.size(), Want.size());
    const size_t At = size_t(std::mismatch(Got.begin(), Got.begin() + ptrdiff_t(Common), Want.begin()).first -
        Got.begin());
    char Hashes[80];
    std::snprintf(Hashes, sizeof Hashes, "FNV-1a %016llx, expected %016llx", (unsigned long long)Fnv1a(Got),
        (unsigned long long)Fnv1a(Want));
    return testing::AssertionFailure() << Got.size() << " bytes, expected " << Want.size()
                                       << "; first difference at offset " << At << "; " << Hashes;
}

int LoadFactor()
{
    double Load = 0;
    const long Processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    if (::getloadavg(&Load, 1) != 1 || Processors < 1)
        return 1;
    return std::max(1, int(std::ceil(Load / double(Processors))));
}

TSocatPeer::TSocatPeer(const std::string& Command, const std::string& WorkDir, const std::string& Link,
    const std::string& Address)
    : Link(Link)
{
    std::string Exec = "EXEC:" + Command;
    std::string Pty = Address.empty() ? "PTY,raw,echo=0,link=" + Link : Address;
    std::string Script = "cd '" + WorkDir + "' && exec socat " + "'" + Pty + "' '" + Exec + "'";
    const char* Argv[] = {"/bin/sh", "-c", Script.c_str(), nullptr};
    pid_t P;
    if (posix_spawn(&P, "/bin/sh", nullptr, nullptr, const_cast<char**>(Argv), environ) == 0)
        Pid = P;
}

TSocatPeer::~TSocatPeer()
{
    if (Pid > 0) {
        ::kill(Pid, SIGTERM);
        ::waitpid(Pid, nullptr, 0);
    }
}

bool TSocatPeer::WaitForLink(int TimeoutMs)
{
    auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (std::chrono::steady_clock::now() < End) {
        if (FileExists(Link))
            return true;
        if (Pid > 0 && ::waitpid(Pid, nullptr, WNOHANG) == Pid) {
            Pid = -1;
            return false;
        }
        ::usleep(10000);
    }
    return false;
}

int TSocatPeer::Wait(int TimeoutMs)
{
    if (Pid <= 0)
        return -1;
    auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (std::chrono::steady_clock::now() < End) {
        int Status;
        if (::waitpid(Pid, &Status, WNOHANG) == Pid) {
            Pid = -1;
            return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
        }
        ::usleep(10000);
    }
    ::kill(Pid, SIGKILL);
    ::waitpid(Pid, nullptr, 0);
    Pid = -1;
    return -1;
}

TNoisyRelay::TNoisyRelay(int FdA, int FdB, unsigned Seed, unsigned Rate) : A(FdA), B(FdB), Seed(Seed), Rate(Rate)
{
    Worker = std::thread([this] { Run(); });
}

TNoisyRelay::~TNoisyRelay() { Stop(); }

void TNoisyRelay::Stop()
{
    Stopping = true;
    if (Worker.joinable())
        Worker.join();
}

void TNoisyRelay::Run()
{
    std::mt19937 Rng(Seed);
    uint8_t Buf[4096];
    while (!Stopping) {
        pollfd P[2] = {{A, POLLIN, 0}, {B, POLLIN, 0}};
        int r = ::poll(P, 2, 50);
        if (r <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (!(P[i].revents & (POLLIN | POLLHUP)))
                continue;
            ssize_t n = ::read(P[i].fd, Buf, sizeof Buf);
            if (n <= 0) {
                if (n == 0 || (errno != EAGAIN && errno != EINTR))
                    return;
                continue;
            }
            if (Rate)
                for (ssize_t k = 0; k < n; ++k)
                    if (Rng() % Rate == 0) {
                        Buf[k] ^= uint8_t(1u << (Rng() % 8));
                        ++Damaged;
                    }
            int To = i == 0 ? B : A;
            ssize_t Off = 0;
            while (Off < n) {
                ssize_t w = ::write(To, Buf + Off, size_t(n - Off));
                if (w > 0)
                    Off += w;
                else if (w < 0 && errno != EAGAIN && errno != EINTR)
                    return;
                else {
                    pollfd W{To, POLLOUT, 0};
                    ::poll(&W, 1, 50);
                }
            }
        }
    }
}
