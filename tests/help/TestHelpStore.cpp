// The help folder as the viewer reads it, and the help shipped beside the program: every help context name of
// the built description has its topic, every link of every topic resolves inside the folder, and the contents,
// aliases and popups point at what exists.
#include "help/HelpStore.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const std::string BinDir = ORLANTIS_BIN_DIR;
const std::string BuiltChm = BinDir + "/Orlantis.chm";

std::string Slurp(const fs::path& P)
{
    std::ifstream In(P, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}
}

TEST(HelpStore, FileNamesSplitIntoFileInnerPathAndWindow)
{
    THelpFileSpec S = SplitHelpFileName("/p/Orlantis.chm::/CSHelp.txt>win1");
    EXPECT_EQ(S.File, "/p/Orlantis.chm");
    EXPECT_EQ(S.Inner, "CSHelp.txt");
    EXPECT_EQ(S.Window, "win1");
    S = SplitHelpFileName("/p/Orlantis.chm");
    EXPECT_EQ(S.Window, "");
    EXPECT_EQ(HelpFolderOf("/p/Orlantis.chm"), "/p/Orlantis.help/");
    EXPECT_EQ(HelpFolderOf(""), "");
}

TEST(HelpStore, PathsNeverLeaveTheFolder)
{
    for (const char* Bad : {"../x.htm", "a/../../x.htm", "/etc/passwd", "\\x.htm", "c:x.htm", "http://x/y.htm",
             "a\\..\\x.htm", ""})
        EXPECT_FALSE(THelpStore::IsSafeRelativePath(Bad)) << Bad;
    for (const char* Good : {"Main.htm", "sub/x.htm", "a..b.htm"})
        EXPECT_TRUE(THelpStore::IsSafeRelativePath(Good)) << Good;
}

TEST(HelpStore, ReadsProjectContentsAliasesAndPopups)
{
    fs::path Dir = fs::temp_directory_path() / ("helpstore-" + std::to_string(getpid()));
    fs::create_directories(Dir / "x.help");
    auto W = [&](const std::string& N, const std::string& T) { std::ofstream(Dir / "x.help" / N) << T; };
    W("x.hhp", "[OPTIONS]\nContents file=x.hhc\nDefault topic=a.htm\nTitle=T\n\n[WINDOWS]\n"
               "Main=\"Main help\",\"x.hhc\",,\"a.htm\",\"b.htm\",,,,,0x2520,,0x3006,[10,20,410,320],,,,,,,0\n"
               "[ALIAS]\nIDH_A=a.htm\nIDH_B = b.htm\n[MAP]\n#include ids.h\n[TEXT POPUPS]\npop.txt\n../out.txt\n");
    W("ids.h", "#define IDH_A 1\n#define IDH_B 2\n#define POP_X 10\n");
    W("x.hhc", "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B\">"
               "<param name=\"Local\" value=\"a.htm\"></OBJECT><UL><LI><OBJECT type=\"text/sitemap\">"
               "<param name=\"Name\" value=\"Bee\"><param name=\"Local\" value=\"b.htm\"></OBJECT></UL></UL>");
    W("pop.txt", ".topic POP_X\nFirst line.\nSecond line.\n\n.topic 11\nEleven.\n.topic UNKNOWN\nLost.\n");
    W("a.htm", "<html></html>");
    W("b.htm", "<html></html>");
    std::ofstream(Dir / "secret.htm") << "no";

    THelpStore S;
    ASSERT_TRUE(S.Load((Dir / "x.chm").string())) << S.Error();
    EXPECT_EQ(S.Title(), "T");
    EXPECT_EQ(S.DefaultTopic(), "a.htm");
    ASSERT_EQ(S.Contents().size(), 2u);
    EXPECT_EQ(S.Contents()[0].Name, "A & B");
    EXPECT_EQ(S.Contents()[0].Level, 0);
    EXPECT_EQ(S.Contents()[1].Level, 1);
    const THelpWindowType* Main = S.Window("main");
    ASSERT_NE(Main, nullptr);
    EXPECT_EQ(Main->Home, "b.htm");
    EXPECT_EQ(Main->Width, 400);
    EXPECT_EQ(Main->Height, 300);
    EXPECT_EQ(S.TopicOfContext(2), "b.htm");
    EXPECT_EQ(S.TopicOfContext(3), "");
    EXPECT_EQ(S.PopupText(10), "First line.\nSecond line.");
    EXPECT_EQ(S.PopupText(11), "Eleven.");
    EXPECT_EQ(S.PopupText(0), "");
    EXPECT_NE(S.ResolveTopic("a.htm#part"), "");
    EXPECT_EQ(S.ResolveTopic("../secret.htm"), "");
    EXPECT_EQ(S.ResolveTopic((Dir / "secret.htm").string()), "");
    EXPECT_EQ(S.ResolveTopic("none.htm"), "");

    THelpStore Missing;
    EXPECT_FALSE(Missing.Load((Dir / "y.chm").string()));
    EXPECT_NE(Missing.Error().find("y.help"), std::string::npos);
    EXPECT_FALSE(Missing.Load(""));
    fs::remove_all(Dir);
}

TEST(ShippedHelp, EveryHelpContextNameOfTheDescriptionHasATopic)
{
    THelpStore S;
    ASSERT_TRUE(S.Load(BuiltChm)) << S.Error();
    TXmlDoc Doc;
    Doc.ShowErrors = false;
    ASSERT_TRUE(Doc.LoadFromFile(BinDir + "/Orlantis.dat", true)) << Doc.LastError;
    std::set<std::string> Names;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Doc.Root(), Doc.Root()); N; N = Walk.Next(N))
        if (N->GetName() == "HelpContextName" && !N->GetValue().empty() && N->GetValue() != "-")
            Names.insert(N->GetValue());
    EXPECT_FALSE(Names.empty());
    for (const std::string& Name : Names)
        EXPECT_NE(S.ResolveTopic(Name + ".htm"), "") << "no topic for help context name " << Name;
}

TEST(ShippedHelp, EveryLinkContentsEntryAliasAndWindowResolves)
{
    THelpStore S;
    ASSERT_TRUE(S.Load(BuiltChm)) << S.Error();
    EXPECT_NE(S.ResolveTopic(S.DefaultTopic()), "");
    for (const char* W : {"Main", "GridForm", "win1"}) {
        ASSERT_NE(S.Window(W), nullptr) << W;
        EXPECT_NE(S.ResolveTopic(S.Window(W)->Home), "") << W;
    }
    EXPECT_GT(S.Contents().size(), 40u);
    for (const THelpContentsItem& I : S.Contents())
        EXPECT_NE(S.ResolveTopic(I.Local), "") << I.Name;
    std::regex Href("href=\"([^\"]*)\"", std::regex::icase);
    int Topics = 0;
    for (const auto& E : fs::directory_iterator(S.Folder())) {
        if (E.path().extension() != ".htm")
            continue;
        ++Topics;
        std::string Text = Slurp(E.path());
        EXPECT_NE(Text.find("<title>"), std::string::npos) << E.path();
        // Each topic has a context number through [ALIAS] and [MAP].
        bool Mapped = false;
        for (int32_t C = 1000; C < 1100 && !Mapped; ++C)
            Mapped = S.TopicOfContext(C) == E.path().filename().string();
        EXPECT_TRUE(Mapped) << E.path();
        for (std::sregex_iterator It(Text.begin(), Text.end(), Href), End; It != End; ++It)
            EXPECT_NE(S.ResolveTopic((*It)[1]), "") << E.path().filename() << " links to " << (*It)[1];
    }
    EXPECT_GE(Topics, 47);
    for (int32_t C = 5000; C < 5017; ++C)
        EXPECT_NE(S.PopupText(C), "") << C;
}

TEST(ShippedHelp, ReadsWithoutDamageAndEveryPopupNumberHasItsText)
{
    THelpStore S;
    ASSERT_TRUE(S.Load(BuiltChm)) << S.Error();
    for (const std::string& P : S.Problems())
        ADD_FAILURE() << P;
    // Controls from 5000, the main window's menu items after them.
    for (int32_t C = 5000; C < 5056; ++C)
        EXPECT_NE(S.PopupText(C), "") << C;
    EXPECT_EQ(S.PopupText(5056), "");
}
