#include "platform/IniFile.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
struct TTempFolder {
    fs::path Path;
    TTempFolder()
    {
        char templ[] = "/tmp/orlantis-ini-XXXXXX";
        Path = mkdtemp(templ);
    }
    ~TTempFolder() { fs::remove_all(Path); }
    std::string file(const std::string& name) const { return (Path / name).string(); }
};

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
}
}

TEST(IniFile, ReadsWithoutRegardToCaseAndTrimsBlanks)
{
    TIniFile ini;
    ini.SetText("; settings\n[COM Port Setup]\n  port =  COM2  \nBAUDRATE=5\nQuoted=\"a b\"\n[other]\nx=1\n");
    EXPECT_TRUE(ini.SectionExists("com port setup"));
    EXPECT_FALSE(ini.SectionExists("COM Port"));
    EXPECT_EQ(ini.ReadString("Com Port Setup", "Port", "?"), "COM2");
    EXPECT_EQ(ini.ReadInteger("COM PORT SETUP", "BaudRate", 7), 5);
    EXPECT_EQ(ini.ReadString("COM Port Setup", "quoted", ""), "a b");
    EXPECT_EQ(ini.ReadString("COM Port Setup", "x", "none"), "none");   // keys belong to their section
    EXPECT_EQ(ini.ReadSection("com port setup"), (std::vector<std::string>{"port", "BAUDRATE", "Quoted"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"COM Port Setup", "other"}));
}

TEST(IniFile, BadValuesGiveTheDefault)
{
    TIniFile ini;
    ini.SetText("[s]\nn=12x\nempty=\nb=maybe\nbig=99999999999\nnoequals\n=novalue\n");
    EXPECT_EQ(ini.ReadInteger("s", "n", 3), 3);
    EXPECT_EQ(ini.ReadInteger("s", "empty", 4), 4);
    EXPECT_EQ(ini.ReadInteger("s", "big", 5), 5);
    EXPECT_TRUE(ini.ReadBool("s", "b", true));
    EXPECT_EQ(ini.ReadString("s", "empty", "d"), "");
    EXPECT_EQ(ini.ReadSection("s").size(), 4u);
}

TEST(IniFile, WritingKeepsOtherSectionsCommentsAndUnknownLines)
{
    const std::string original =
        "; written by hand\n"
        "[Window]\n"
        "Left=10 ; not a comment here\n"
        "\n"
        "# hash comment\n"
        "[com port setup]\n"
        "port=COM1\n"
        "garbage line\n"
        "\n"
        "[Last]\n"
        "k=v\n";
    TIniFile ini;
    ini.SetText(original);
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(ini.Text(), original);

    ini.WriteString("COM Port Setup", "Port", "COM3");
    ini.WriteInteger("COM Port Setup", "BaudRate", 7);
    ini.WriteString("New", "A", "line\nbreak");
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ini.Text(),
        "; written by hand\n"
        "[Window]\n"
        "Left=10 ; not a comment here\n"
        "\n"
        "# hash comment\n"
        "[com port setup]\n"
        "port=COM3\n"
        "garbage line\n"
        "BaudRate=7\n"
        "\n"
        "[Last]\n"
        "k=v\n"
        "\n"
        "[New]\n"
        "A=line break\n");

    ini.DeleteKey("last", "K");
    ini.EraseSection("WINDOW");
    EXPECT_FALSE(ini.SectionExists("Window"));
    EXPECT_FALSE(ini.ValueExists("Last", "k"));
    EXPECT_TRUE(ini.SectionExists("Last"));
}

TEST(IniFile, KeepsWindowsLineBreaks)
{
    TIniFile ini;
    ini.SetText("[a]\r\nx=1\r\n");
    EXPECT_EQ(ini.ReadString("a", "x", ""), "1");
    ini.WriteString("a", "y", "2");
    EXPECT_EQ(ini.Text(), "[a]\r\nx=1\r\ny=2\r\n");
}

TEST(IniFile, MissingFileIsEmptyAndIsCreatedOnUpdate)
{
    TTempFolder tmp;
    std::string name = tmp.file("Orlantis.ini");
    TIniFile ini(name);
    EXPECT_TRUE(ini.ReadSections().empty());
    ini.WriteString("COM Port Setup", "Port", "COM1");
    ini.UpdateFile();
    EXPECT_EQ(readFile(name), "[COM Port Setup]\nPort=COM1\n");
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(TIniFile(name).ReadString("com port setup", "port", ""), "COM1");
}

TEST(IniFile, FailedUpdateLeavesTheOldFileAndNoLitter)
{
    TTempFolder tmp;
    std::string name = tmp.file("Orlantis.ini");
    writeFile(name, "[keep]\nx=1\n");
    TIniFile ini(name);
    ini.WriteString("keep", "x", "2");
    // A folder standing where the file should be renamed to makes the final step fail.
    std::string blocked = tmp.file("sub");
    fs::create_directories(blocked);
    TIniFile other(blocked + "/Orlantis.ini");
    other.WriteString("a", "b", "c");
    fs::create_directories(fs::path(blocked) / "Orlantis.ini" / "inner");
    EXPECT_THROW(other.UpdateFile(), EFileError);
    EXPECT_TRUE(other.Modified());
    std::size_t entries = 0;
    for (auto& e : fs::directory_iterator(blocked)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1u);   // only the blocking folder: the temporary file was removed

    ini.UpdateFile();
    EXPECT_EQ(readFile(name), "[keep]\nx=2\n");
}

TEST(IniFile, UpdateReplacesAtomicallyAndKeepsPermissionsAndLinks)
{
    TTempFolder tmp;
    std::string real = tmp.file("real.ini");
    writeFile(real, "[s]\nk=old\n");
    chmod(real.c_str(), 0640);
    std::string link = tmp.file("Orlantis.ini");
    fs::create_symlink(real, link);

    TIniFile ini(link);
    EXPECT_EQ(ini.ReadString("S", "K", ""), "old");
    ini.WriteString("s", "k", "new");
    ini.UpdateFile();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "[s]\nk=new\n");
    struct stat st;
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniFile, UnreadableFileRaises)
{
    TTempFolder tmp;
    std::string folder = tmp.file("adir");
    fs::create_directory(folder);
    // Reading a folder fails with EISDIR even for root, which ignores permission bits.
    EXPECT_THROW(TIniFile ini(folder), EFileError);
}
