// Damaged help folders as the program meets them at start and at F1: each costs at most one message and a bounded
// amount of reading, never a hang or a crash, and nothing outside the folder is ever read.
#include "help/ContextMap.h"
#include "help/HelpFiles.h"
#include "help/HelpStore.h"
#include "support/RecordingDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
class DamagedHelp : public ::testing::Test {
protected:
    DamagedHelp() : Scope(&Dialogs)
    {
        Base = fs::temp_directory_path() / ("damagedhelp-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        Dir = Base / "x.help";
        fs::create_directories(Dir);
    }
    ~DamagedHelp() override { fs::remove_all(Base); }
    std::string Write(const std::string& Name, const std::string& Text)
    {
        std::ofstream(Dir / Name, std::ios::binary) << Text;
        return (Dir / Name).string();
    }
    // A help project with a contents file and a popup file; Extra goes into its [MAP].
    void Project(const std::string& Map = "")
    {
        Write("x.hhp", "[OPTIONS]\nContents file=x.hhc\n[ALIAS]\nIDH_A=a.htm\n[MAP]\nIDH_A 1\n" + Map +
            "\n[TEXT POPUPS]\npop.txt\n");
        Write("a.htm", "<html>a</html>");
    }
    bool Load() { return Store.Load((Base / "x.chm").string()); }
    fs::path Base, Dir;
    TRecordingDialogs Dialogs;
    TDialogsScope Scope;
    THelpStore Store;
};
}

TEST_F(DamagedHelp, EachIncludedFileIsReadOnceAndProblemsMakeOneBox)
{
    // A chain in which every file includes the next one twice: read once each, not 2^n times.
    const int Levels = 14;
    for (int i = 0; i < Levels; ++i) {
        std::string Next = i + 1 < Levels ? "#include f" + std::to_string(i + 1) + ".h\n" : "";
        Write("f" + std::to_string(i) + ".h", "N" + std::to_string(i) + " " + std::to_string(i) + "\n" + Next + Next);
    }
    // Seven files that include each other.
    for (int i = 0; i < 7; ++i) {
        std::string T = "M" + std::to_string(i) + " " + std::to_string(100 + i) + "\n";
        for (int j = 0; j < 7; ++j)
            T += "#include m" + std::to_string(j) + ".h\n";
        Write("m" + std::to_string(i) + ".h", T);
    }
    // Three hundred includes that are missing.
    std::string Missing;
    for (int i = 0; i < 300; ++i)
        Missing += "#include gone" + std::to_string(i) + ".h\n";
    std::string P = Write("p.hhp", "[MAP]\n#include f0.h\n#include m0.h\n#include f0.h\n" + Missing);
    THelpContextMap M;
    M.SetFileName(P);
    EXPECT_EQ(M.Records().size(), size_t(Levels + 7));
    EXPECT_EQ(M.FindContext("N13"), 13);
    EXPECT_EQ(M.FindContext("M6"), 106);
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    const std::string& Text = Dialogs.Boxes[0].Text;
    for (int i : {0, 299})
        EXPECT_NE(Text.find("gone" + std::to_string(i) + ".h\" not found!"), std::string::npos) << i;
    EXPECT_NE(Text.find("m0.h\" includes itself!"), std::string::npos);
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 300 + 6) << "one line per damaged file";
}

TEST_F(DamagedHelp, IncludesStayInsideTheFolderAndRecordsAreBounded)
{
    std::ofstream(Base / "outside.h") << "OUT 9\n";
    fs::create_directories(Dir / "sub");
    Write("sub/back.h", "#include ../in.h\n");   // leaves sub/, stays in the folder
    Write("in.h", "IN 3\n");
    fs::create_symlink(Base / "outside.h", Dir / "link.h");
    std::string Many;
    for (size_t i = 0; i <= MaxContextRecords; ++i)
        Many += "R" + std::to_string(i) + " " + std::to_string(i) + "\n";
    Write("many.h", Many);
    std::string P = Write("p.hhp", "[MAP]\n#include sub/back.h\n#include ../outside.h\n#include " +
        (Base / "outside.h").string() + "\n#include link.h\n#include many.h\nLATE 4\n");
    THelpContextMap M;
    M.SetFileName(P);
    EXPECT_EQ(M.FindContext("IN"), 3);
    EXPECT_EQ(M.FindContext("OUT"), 0);
    EXPECT_EQ(M.Records().size(), MaxContextRecords);
    EXPECT_EQ(M.FindContext("LATE"), 0) << "reading stops at the bound";
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    const std::string& Text = Dialogs.Boxes[0].Text;
    EXPECT_NE(Text.find((Base / "outside.h").string() + "\" lies outside the help folder!"), std::string::npos);
    EXPECT_NE(Text.find("link.h\" lies outside the help folder!"), std::string::npos);
    EXPECT_NE(Text.find("More than 100000 context numbers"), std::string::npos);
}

TEST_F(DamagedHelp, OldMacLineEndsAndMixedOnesReadAlike)
{
    EXPECT_EQ(HelpLines("a\rb\r\nc\nd").size(), 4u);
    EXPECT_EQ(HelpLines("a\r\n\r\n").size(), 2u);
    Write("ids.h", "IDH_B 2\r\rIDH_C 3\r");
    Write("x.hhp", "[OPTIONS]\rTitle=Mac\r[ALIAS]\rIDH_B=a.htm\r[MAP]\r#include ids.h\rIDH_A 1\r");
    Write("a.htm", "a");
    THelpContextMap M;
    M.SetFileName((Dir / "x.hhp").string());
    EXPECT_EQ(M.FindContext("IDH_A"), 1);
    EXPECT_EQ(M.FindContext("IDH_C"), 3);
    ASSERT_TRUE(Load()) << Store.Error();
    EXPECT_EQ(Store.Title(), "Mac");
    EXPECT_EQ(Store.TopicOfContext(2), "a.htm");
    EXPECT_TRUE(Dialogs.Boxes.empty());
}

TEST_F(DamagedHelp, OnlyRegularFilesOfBoundedSizeInsideTheFolderAreRead)
{
    Project("#include fifo.h\n");
    ASSERT_EQ(mkfifo((Dir / "x.hhc").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((Dir / "fifo.h").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Dir / "pop.txt");
    ASSERT_TRUE(Load()) << "what can be read is shown";
    EXPECT_EQ(Store.TopicOfContext(1), "a.htm");
    ASSERT_EQ(Store.Problems().size(), 3u);
    EXPECT_NE(Store.Problems()[0].find("fifo.h\" is not a regular file!"), std::string::npos);
    EXPECT_NE(Store.Problems()[1].find("popup file"), std::string::npos);
    EXPECT_NE(Store.Problems()[2].find("x.hhc\" is not a regular file."), std::string::npos);
    EXPECT_TRUE(Dialogs.Boxes.empty()) << "the store tells its owner, not the user";

    std::string Text, Why;
    std::ofstream(Dir / "big.htm").close();
    fs::resize_file(Dir / "big.htm", MaxHelpFileSize + 1);
    EXPECT_FALSE(ReadHelpFile((Dir / "big.htm").string(), Text, Why));
    EXPECT_EQ(Why, "is larger than 16 MiB");
    EXPECT_EQ(Store.ResolveTopic("big.htm"), "");
    fs::resize_file(Dir / "big.htm", MaxHelpFileSize);
    EXPECT_TRUE(ReadHelpFile((Dir / "big.htm").string(), Text, Why));
    EXPECT_EQ(Text.size(), MaxHelpFileSize);
}

TEST_F(DamagedHelp, LinksThatPointOutOfTheFolderAreNoTopics)
{
    Project();
    Write("x.hhc", "");
    Write("pop.txt", "");
    fs::create_directories(Base / "elsewhere");
    std::ofstream(Base / "elsewhere" / "secret.htm") << "no";
    fs::create_directories(Dir / "real");
    Write("real/in.htm", "yes");
    fs::create_symlink(Base / "elsewhere" / "secret.htm", Dir / "file.htm");
    fs::create_symlink(Base / "elsewhere", Dir / "folder");
    fs::create_symlink(Dir / "real", Dir / "inner");
    fs::create_symlink("a.htm", Dir / "alias.htm");
    ASSERT_TRUE(Load());
    EXPECT_EQ(Store.ResolveTopic("file.htm"), "");
    EXPECT_EQ(Store.ResolveTopic("folder/secret.htm"), "");
    EXPECT_NE(Store.ResolveTopic("inner/in.htm"), "") << "a link that stays inside is followed";
    EXPECT_NE(Store.ResolveTopic("alias.htm"), "");
    EXPECT_TRUE(PathInsideFolder((Dir / "real").string(), Dir.string()));
    EXPECT_FALSE(PathInsideFolder(Base.string(), Dir.string()));
}

TEST_F(DamagedHelp, ContentsDepthEntitiesAndWindowPlacesAreBounded)
{
    Project();
    Write("pop.txt", "");
    std::string Deep;
    for (int i = 0; i < 50000; ++i)
        Deep += "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"L\"></OBJECT>";
    Write("x.hhc", "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"&amp;amp; &lt;b&gt; &#65;&#x42;"
                   " &bogus; & &#300;\"></OBJECT>" + Deep);
    std::string Hhp = "[OPTIONS]\nContents file=x.hhc\n[WINDOWS]\n"
        "Big=\"B\",,,\"a.htm\",,,,,,,,,[-2147483648,-2147483648,2147483647,2147483647]\n"
        "Huge=\"H\",,,\"a.htm\",,,,,,,,,[0,0,60000,60000]\n"
        "Fit=\"F\",,,\"a.htm\",,,,,,,,,[10,20,410,320]\n";
    Write("x.hhp", Hhp);
    ASSERT_TRUE(Load());
    ASSERT_EQ(Store.Contents().size(), 50001u);
    EXPECT_EQ(Store.Contents()[0].Name, "&amp; <b> AB &bogus; & &#300;") << "decoded once, unknown ones kept";
    int Deepest = 0;
    for (const THelpContentsItem& I : Store.Contents())
        Deepest = std::max(Deepest, I.Level);
    EXPECT_EQ(Deepest, MaxContentsLevel);
    ASSERT_EQ(Store.Problems().size(), 1u);
    EXPECT_NE(Store.Problems()[0].find("nested deeper than 32 levels"), std::string::npos);
    for (const char* W : {"big", "huge"}) {
        const THelpWindowType* T = Store.Window(W);
        ASSERT_NE(T, nullptr);
        EXPECT_GT(T->Width, 0) << W;
        EXPECT_LE(T->Width, MaxHelpWindowSide) << W;
        EXPECT_LE(T->Height, MaxHelpWindowSide) << W;
        EXPECT_GE(T->X, -MaxHelpWindowSide) << W;
    }
    EXPECT_EQ(Store.Window("fit")->Width, 400);
    EXPECT_EQ(Store.Window("fit")->Height, 300);

    std::string Many;
    for (int i = 0; i < 200000; ++i)
        Many += "&amp;";
    EXPECT_EQ(DecodeHelpEntities(Many), std::string(200000, '&'));
}
