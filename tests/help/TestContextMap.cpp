// The help-name hash, the project-file parser with its includes, the sorted table and its binary search, and the
// stored form of the table.
#include "help/ContextMap.h"
#include "help/HelpNameHash.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
class ContextMapTest : public ::testing::Test {
protected:
    ContextMapTest() : Scope(&Dialogs)
    {
        Dir = fs::temp_directory_path() / ("ctxmap-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dir / "sub");
    }
    ~ContextMapTest() override { fs::remove_all(Dir); }
    std::string Write(const std::string& Name, const std::string& Text)
    {
        std::ofstream(Dir / Name, std::ios::binary) << Text;
        return (Dir / Name).string();
    }
    fs::path Dir;
    TRecordingDialogs Dialogs;
    TDialogsScope Scope;
};
}

TEST(HelpNameHash, IsCaseBlindWrapsAndGivesZeroForNothing)
{
    EXPECT_EQ(HelpNameHash("abc"), 32226);
    EXPECT_EQ(HelpNameHash("ABC"), 32226);
    EXPECT_EQ(HelpNameHash(""), 0);
    EXPECT_EQ(HelpNameHash("0"), 10);
    EXPECT_EQ(HelpNameHash("."), 12);
    EXPECT_EQ(HelpNameHash("_"), 13);
    EXPECT_EQ(HelpNameHash("\x91"), 145 - 48);
    EXPECT_EQ(HelpNameHash("\xff"), 255 - 304);
    // Long names wrap in 32 bits instead of overflowing.
    std::string Long(40, 'z');
    int64_t h = 0;
    for (char c : Long)
        h = int32_t(uint32_t(h) * 43u + uint32_t(c - 80));
    EXPECT_EQ(HelpNameHash(Long), int32_t(h));
}

TEST_F(ContextMapTest, ReadsTheMapSectionSortedAndFindsNames)
{
    std::string P = Write("p.hhp",
        "[OPTIONS]\nIDH_BEFORE=99\n[MAP]\n#define IDH_MAIN 10\nIDH_OTHER=20\nIDH_X 30 ; comment\n"
        "IDH_EQ = 40\n#define IDH_C 50 // comment\nIDH_BAD abc\n[ALIAS]\nIDH_AFTER=70\n");
    THelpContextMap M;
    M.SetFileName(P);
    EXPECT_EQ(M.FileName(), P);
    ASSERT_EQ(M.Records().size(), 5u);
    for (size_t i = 1; i < M.Records().size(); ++i)
        EXPECT_LT(M.Records()[i - 1].Hash, M.Records()[i].Hash);
    EXPECT_EQ(M.FindContext("idh_other"), 20);
    EXPECT_EQ(M.FindContext("IDH_MAIN"), 10);
    EXPECT_EQ(M.FindContext("IDH_X"), 30);
    EXPECT_EQ(M.FindContext("IDH_EQ"), 40);
    EXPECT_EQ(M.FindContext("IDH_C"), 50);
    EXPECT_EQ(M.FindContext("IDH_BAD"), 0);
    EXPECT_EQ(M.FindContext("IDH_BEFORE"), 0);
    EXPECT_EQ(M.FindContext("IDH_AFTER"), 0);
    EXPECT_EQ(M.FindContext(""), 0);
}

TEST_F(ContextMapTest, BlankLinesInsideTheMapDoNotEndIt)
{
    std::string P = Write("p.hhp", "[MAP]\nA 1\n\n   \nB 2\n[FILES]\nC 3\n");
    THelpContextMap M;
    M.SetFileName(P);
    EXPECT_EQ(M.FindContext("A"), 1);
    EXPECT_EQ(M.FindContext("B"), 2);
    EXPECT_EQ(M.FindContext("C"), 0);
}

TEST_F(ContextMapTest, IncludesAreReadBesideTheProjectWithoutChangingTheWorkingFolder)
{
    Write("sub/inner.h", "INNER 7\n[STOP]\nLATE 8\n");
    Write("sub/ids.h", "// header\n\n#define IDS 5\n#include inner.h\n#include missing.h\n");
    std::string P = Write("p.hhp", "[MAP]\n#include sub/ids.h\nTOP 1\n");
    fs::path Before = fs::current_path();
    THelpContextMap M;
    M.SetFileName(P);
    EXPECT_EQ(fs::current_path(), Before);
    EXPECT_EQ(M.FindContext("IDS"), 5);
    EXPECT_EQ(M.FindContext("INNER"), 7);
    EXPECT_EQ(M.FindContext("LATE"), 0) << "an included file ends at its first section line";
    EXPECT_EQ(M.FindContext("TOP"), 1);
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, "Include file \"" + (Dir / "sub/missing.h").string() + "\" not found!");
    EXPECT_EQ(Dialogs.Boxes[0].Type, mtWarning);
}

TEST_F(ContextMapTest, AnIncludeCycleStopsWithAWarning)
{
    Write("a.h", "A 1\n#include b.h\n");
    Write("b.h", "B 2\n#include a.h\n");
    std::string P = Write("p.hhp", "[MAP]\n#include a.h\n");
    THelpContextMap M;
    M.SetFileName(P);
    EXPECT_EQ(M.FindContext("A"), 1);
    EXPECT_EQ(M.FindContext("B"), 2);
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_NE(Dialogs.Boxes[0].Text.find("includes itself"), std::string::npos);
}

TEST_F(ContextMapTest, AMissingFileKeepsTheTableAndAnEmptyNameOnlyClearsTheName)
{
    THelpContextMap M;
    M.SetFileName(Write("p.hhp", "[MAP]\nA 1\n"));
    std::string Missing = (Dir / "nope.hhp").string();
    try {
        M.SetFileName(Missing);
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message, "File " + Missing + " not found.");
    }
    EXPECT_EQ(M.FindContext("A"), 1);
    M.SetFileName("");
    EXPECT_EQ(M.FileName(), "");
    EXPECT_EQ(M.FindContext("A"), 1);
}

TEST_F(ContextMapTest, StoredDataRoundTripsAndADamagedCountIsRefused)
{
    THelpContextMap M;
    M.SetFileName(Write("p.hhp", "[MAP]\nA 1\nB -2\nCC 3\n"));
    std::string Data = M.FileData();
    ASSERT_EQ(Data.size(), 4u + 3 * 8);
    THelpContextMap N;
    ASSERT_TRUE(N.ReadFileData(Data));
    EXPECT_EQ(N.FindContext("b"), -2);
    EXPECT_EQ(N.FindContext("cc"), 3);

    std::string Long = Data;
    Long[0] = char(200);   // says 200 bytes follow; 24 do
    EXPECT_FALSE(N.ReadFileData(Long));
    std::string Ragged = Data;
    Ragged[0] = char(20);  // not whole records
    EXPECT_FALSE(N.ReadFileData(Ragged));
    std::string Negative = Data;
    Negative[3] = char(0x80);
    EXPECT_FALSE(N.ReadFileData(Negative));
    EXPECT_FALSE(N.ReadFileData("ab"));
    EXPECT_EQ(N.FindContext("b"), -2) << "a refused store keeps the table";
}

TEST(ContextMapNames, LookupNameFollowsTheProjectKind)
{
    THelpContextMap M;
    M.Loading = true;
    M.SetFileName("x.HPJ");
    EXPECT_EQ(M.LookupName("MainForm", "Tree"), "MainForm.Tree");
    M.SetFileName("x.hhp");
    EXPECT_EQ(M.LookupName("MainForm", "Tree"), "MainForm_Tree");
    EXPECT_EQ(M.LookupName("MainForm", ""), "MainForm");
}
