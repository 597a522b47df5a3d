// Whole-file writes replace the old file only when complete and keep its permissions.
#include "platform/AtomicFile.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
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
