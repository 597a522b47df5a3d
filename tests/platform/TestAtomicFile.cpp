// Whole-file writes replace the old file only when complete and keep its permissions.
#include "platform/AtomicFile.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesWholeFilesAndKeepsTheirMode)
{
    fs::path dir = fs::temp_directory_path() / ("orlantis-atomic-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string file = (dir / "a.ini").string();

    WriteFileAtomic(file, std::string("first\0x", 7));
    EXPECT_EQ(ReadWholeFile(file), std::string("first\0x", 7));
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    WriteFileAtomic(file, "second");
    EXPECT_EQ(ReadWholeFile(file), "second");
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    WriteFileAtomic(file, "");
    EXPECT_EQ(ReadWholeFile(file), "");

    // A target that cannot be replaced leaves everything as it was, temporary files included.
    fs::create_directory(dir / "sub");
    EXPECT_THROW(WriteFileAtomic((dir / "sub").string(), "x"), EFileError);
    EXPECT_THROW(WriteFileAtomic((dir / "missing" / "x").string(), "x"), EFileError);
    EXPECT_THROW(ReadWholeFile((dir / "missing").string()), EFileError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);

    // A file saved through a symbolic link stays a link; the file it names gets the contents.
    fs::create_symlink(dir / "a.ini", dir / "link.ini");
    WriteFileAtomic((dir / "link.ini").string(), "through the link");
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadWholeFile(file), "through the link");
    fs::remove_all(dir);
}

TEST(AtomicFile, TheNextWriteRemovesTheTemporariesOfAKilledOne)
{
    fs::path dir = fs::temp_directory_path() / ("orlantis-atomic-left-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "data.sav").string();
    // Writers long gone (one of them named by a process id now in use here), writers still at work (one with this
    // test's parent's id, one with an id that exists only in another PID namespace or on another machine), and
    // names that are no temporaries of this file (20 digits pass the widest process id).
    const std::string ppid = std::to_string(getppid()), running = file + ".tmp" + ppid + "-3-0";
    const std::string gone[] = {file + ".tmp2147483646-0-0", file + ".tmp" + ppid + "-4-0"};
    const std::string live = file + ".tmp2147483640-0-0";
    const std::string others[] = {file + ".tmpnotes", file + ".tmp2147483646-0", (dir / "other.sav.tmp2147483646-0-0").string(), running, live, file + ".tmp18446744073709564961-0-0"};
    for (const std::string& name : others)
        WriteFileAtomic(name, "x");
    for (const std::string& name : gone)
        WriteFileAtomic(name, "half");
    // The writers at work hold their write locks in a child, killed once the sweep is over.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        struct flock lock{};
        lock.l_type = F_WRLCK;
        for (const std::string* name : {&running, &live})
            if (::fcntl(::open(name->c_str(), O_WRONLY), F_OFD_SETLK, &lock) != 0)
                ::_exit(1);
        ::_exit(::write(ready[1], "L", 1) == 1 ? ::pause() : 1);
    }
    ::close(ready[1]);
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);   // both locks held
    ::close(ready[0]);
    WriteFileAtomic(file, "whole");
    ::kill(writer, SIGKILL);
    ASSERT_EQ(::waitpid(writer, nullptr, 0), writer);
    for (const std::string& name : gone)
        EXPECT_FALSE(fs::exists(name)) << name;
    for (const std::string& name : others)
        EXPECT_TRUE(fs::exists(name)) << name;
    EXPECT_EQ(ReadWholeFile(file), "whole");

    // Two processes saving the file at once, the other in a PID namespace of its own where the system grants one:
    // each write's sweep meets the other's temporary under way and keeps it. The killed writer's go.
    int status = 0;
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0 && ::unshare(CLONE_NEWPID) == 0) {
        const pid_t inside = ::fork();   // process 1 of the new namespace
        if (inside > 0)
            ::_exit(::waitpid(inside, &status, 0) == inside && status == 0 ? 0 : 1);
    }
    int failures = 0;
    for (int i = 0; i < 300; ++i)
        try {
            WriteFileAtomic(file, std::string(size_t(i), 'p'));
        } catch (const EFileError&) {
            ++failures;
        }
    if (other == 0)
        ::_exit(failures == 0 ? 0 : 1);
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(failures, 0);
    EXPECT_FALSE(fs::exists(live) || fs::exists(running));
    fs::remove_all(dir);
}

// Past the file-size limit a save fails with its reason, the process lives on (no SIGXFSZ), the old file stays
// whole and no temporary file is left. Run in a child, whose limit and signal disposition are its own.
TEST(AtomicFile, AFileSizeLimitFailsTheWriteAndKillsNothing)
{
    fs::path dir = fs::temp_directory_path() / ("orlantis-fsize-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "data.sav").string();
    const std::string old(3000, 'o');
    WriteFileAtomic(file, old);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        struct rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(3);
        int code = 1;
        try {
            WriteFileAtomic(file, std::string(4096, 'n'));   // at the limit: still fits
            WriteFileAtomic(file, std::string(4097, 'x'));   // one byte past it
        } catch (const EFileError& e) {
            code = std::string(e.Message).find("File too large") != std::string::npos ? 0 : 2;
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadWholeFile(file), std::string(4096, 'n'));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}
