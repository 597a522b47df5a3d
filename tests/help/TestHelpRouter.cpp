// The help router's dispatch against a recording host: each application command under each help type and show
// type, the file names with their window and popup suffixes, and the single-instance rule.
#include "help/HelpRouter.h"
#include "platform/Exception.h"
#include "support/RecordingHelp.h"

#include <gtest/gtest.h>

namespace {
struct TCase {
    THelpType Type;
    TShowType Show;
    uint16_t Command;
    THelpData Data;
    bool Html;            // expected call kind (ignored when Calls is 0)
    uint32_t Expected;    // expected host command
    std::string File;     // expected file name
    int Calls;            // expected number of host calls
    bool Result;
};

class HelpRouterTest : public ::testing::Test {
protected:
    TRecordingHelpHost Host;
};
}

TEST_F(HelpRouterTest, DispatchTable)
{
    const std::vector<TCase> Cases = {
        {htHTMLhelp, stDefault, HELP_CONTEXT, THelpData(42), true, HH_HELP_CONTEXT, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_CONTENTS, THelpData(0), true, HH_DISPLAY_TOC, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_FINDER, THelpData(0), true, HH_DISPLAY_TOC, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_TAB, THelpData(0), true, HH_DISPLAY_TOC, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_TAB, THelpData(2), true, HH_DISPLAY_INDEX, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_KEY, THelpData(std::string("k")), true, HH_DISPLAY_INDEX, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_PARTIALKEY, THelpData(std::string("k")), true, HH_DISPLAY_INDEX, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_QUIT, THelpData(0), true, HH_CLOSE_ALL, "", 1, true},
        {htHTMLhelp, stDefault, HELP_SETPOPUP_POS, THelpData(0), true, 0, "", 0, false},
        {htHTMLhelp, stDefault, 999, THelpData(0), true, 0, "", 0, false},
        {htHTMLhelp, stMain, HELP_CONTEXTPOPUP, THelpData(7), true, HH_HELP_CONTEXT, "/h/x.chm>win1", 1, true},
        {htHTMLhelp, stDefault, HELP_CONTEXTPOPUP, THelpData(7), true, HH_DISPLAY_TEXT_POPUP,
            "/h/x.chm::/CSHelp.txt>win1", 1, true},
        {htWinhelp, stDefault, HELP_CONTEXT, THelpData(5), false, HELP_CONTEXT, "/h/x.hlp", 1, true},
        {htWinhelp, stMain, HELP_SETPOPUP_POS, THelpData(5), false, 0, "", 0, true},
        {htMixedMode, stDefault, HELP_CONTEXT, THelpData(5), true, HH_HELP_CONTEXT, "/h/x.chm>win1", 1, true},
        {htMixedMode, stDefault, HELP_CONTEXTPOPUP, THelpData(5), false, HELP_CONTEXTPOPUP, "/h/x.hlp", 1, true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(::testing::Message() << "type " << int(C.Type) << " show " << int(C.Show) << " command "
                                          << C.Command);
        Host.Calls.clear();
        THelpRouter R(&Host);
        R.HelpType = C.Type;
        R.ShowType = C.Show;
        R.Helpfile = "/h/x.chm";
        R.HelpWindow = "win1";
        bool CallHelp = true;
        bool Result = R.HelpHandler(C.Command, C.Data, CallHelp);
        EXPECT_EQ(Result, C.Result);
        EXPECT_FALSE(CallHelp);
        ASSERT_EQ(int(Host.Calls.size()), C.Calls);
        if (C.Calls) {
            EXPECT_EQ(Host.Calls[0].Html, C.Html);
            EXPECT_EQ(Host.Calls[0].Command, C.Expected);
            EXPECT_EQ(Host.Calls[0].File, C.File);
        }
    }
}

TEST_F(HelpRouterTest, MixedModePopupFileLiesBesideTheHelpFile)
{
    THelpRouter R(&Host);
    R.HelpType = htMixedMode;
    R.Helpfile = "/h/x.chm";
    R.CHMPopupTopics = "pop.HLP";
    bool CallHelp = true;
    R.HelpHandler(HELP_CONTEXTPOPUP, THelpData(3), CallHelp);
    ASSERT_EQ(Host.Calls.size(), 1u);
    EXPECT_EQ(Host.Calls[0].File, "/h/pop.hlp");
}

TEST_F(HelpRouterTest, PopupPositionIsUsedOnceThenTheMouse)
{
    THelpRouter R(&Host);
    R.HelpType = htHTMLhelp;
    R.Helpfile = "/h/x.chm";
    bool CallHelp = true;
    R.HelpHandler(HELP_SETPOPUP_POS, THelpData(int32_t((uint32_t(uint16_t(-5)) << 16) | 40)), CallHelp);
    R.HelpHandler(HELP_CONTEXTPOPUP, THelpData(9), CallHelp);
    R.HelpHandler(HELP_CONTEXTPOPUP, THelpData(9), CallHelp);
    ASSERT_EQ(Host.Calls.size(), 2u);
    EXPECT_EQ(Host.Calls[0].Popup.X, 40);
    EXPECT_EQ(Host.Calls[0].Popup.Y, -5);
    EXPECT_EQ(Host.Calls[0].Popup.IdString, 9);
    EXPECT_EQ(Host.Calls[1].Popup.X, 300);
    EXPECT_EQ(Host.Calls[1].Popup.Y, 200);
}

TEST_F(HelpRouterTest, ContextZeroAsksTheHostForItsNoTopicPopupNotAnEmptyOne)
{
    THelpRouter R(&Host);
    R.HelpType = htHTMLhelp;
    R.Helpfile = "/h/x.chm";
    EXPECT_TRUE(R.ShowPopup(1, 2, "", 0));
    ASSERT_EQ(Host.Calls.size(), 1u);
    EXPECT_EQ(Host.Calls[0].Command, HH_DISPLAY_TEXT_POPUP);
    EXPECT_EQ(Host.Calls[0].Popup.IdString, 0);
    EXPECT_EQ(Host.Calls[0].Popup.Text, "");
    EXPECT_EQ(Host.Calls[0].File, "") << "the host answers a popup without id or text with its no-topic text";
}

TEST_F(HelpRouterTest, EmptyHelpFileNameFailsWithoutACall)
{
    THelpRouter R(&Host);
    R.HelpType = htHTMLhelp;
    bool CallHelp = true;
    EXPECT_FALSE(R.HelpHandler(HELP_CONTEXT, THelpData(1), CallHelp));
    EXPECT_FALSE(R.ShowKeyword("Main.htm"));
    EXPECT_FALSE(R.ShowPopup(0, 0, "", 4));
    EXPECT_TRUE(Host.Calls.empty());
    Host.AppFile = "/app/y.exe";
    EXPECT_TRUE(R.ShowKeyword("Main.htm"));
    ASSERT_EQ(Host.Calls.size(), 1u);
    EXPECT_EQ(Host.Calls[0].File, "/app/y.chm");
}

TEST_F(HelpRouterTest, WithoutTheEngineOnlyQuitIsAnswered)
{
    Host.CanLoad = false;
    THelpRouter R(&Host);
    R.HelpType = htHTMLhelp;
    R.Helpfile = "/h/x.chm";
    bool CallHelp = true;
    EXPECT_TRUE(R.HelpHandler(HELP_QUIT, THelpData(0), CallHelp));
    EXPECT_FALSE(CallHelp);
    CallHelp = true;
    EXPECT_FALSE(R.HelpHandler(HELP_CONTEXT, THelpData(1), CallHelp));
    EXPECT_TRUE(CallHelp);
    EXPECT_TRUE(Host.Calls.empty());
}

TEST_F(HelpRouterTest, ShowKeywordTopicsAndTheWinHelpMacro)
{
    THelpRouter R(&Host);
    R.HelpType = htHTMLhelp;
    R.Helpfile = "/h/x.chm";
    R.HelpWindow = "GridForm";
    EXPECT_TRUE(R.ShowKeyword("COS.htm"));
    ASSERT_EQ(Host.Calls.size(), 1u);
    EXPECT_EQ(Host.Calls[0].File, "/h/x.chm>GridForm");
    EXPECT_EQ(Host.Calls[0].Command, HH_DISPLAY_TOPIC);
    EXPECT_EQ(Host.Calls[0].Text, "COS.htm");

    Host.Calls.clear();
    R.HelpType = htWinhelp;
    EXPECT_TRUE(R.ShowKeyword("K"));
    ASSERT_EQ(Host.Calls.size(), 2u);
    EXPECT_EQ(Host.Calls[1].Command, HELP_COMMAND);
    EXPECT_EQ(Host.Calls[1].Text, "AL(\"K\",1)");

    Host.Calls.clear();
    Host.WinAnswers = {0};
    EXPECT_FALSE(R.ShowKeyword("K"));
    EXPECT_EQ(Host.Calls.size(), 1u) << "a failing contents call runs no macro";
}

TEST_F(HelpRouterTest, OnHelpAndTheEarlierHandlerComeFirst)
{
    int Earlier = 0;
    ApplicationOnHelp() = [&](uint16_t, const THelpData&, bool&) {
        ++Earlier;
        return false;
    };
    {
        THelpRouter R(&Host);
        R.HelpType = htHTMLhelp;
        R.Helpfile = "/h/x.chm";
        R.OnHelp = [](uint16_t, const THelpData&, bool& CallHelp) {
            CallHelp = false;
            return true;
        };
        EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXT, THelpData(1)));
        EXPECT_TRUE(Host.Calls.empty());
        EXPECT_EQ(Earlier, 0);
        R.OnHelp = nullptr;
        EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXT, THelpData(1)));
        EXPECT_EQ(Earlier, 1);
        EXPECT_EQ(Host.Calls.size(), 1u);
    }
    // Gone: the earlier handler is back.
    ApplicationHelpCommand(HELP_CONTEXT, THelpData(1));
    EXPECT_EQ(Earlier, 2);
    ApplicationOnHelp() = nullptr;
}

TEST_F(HelpRouterTest, ASecondRouterFailsAndLeavesTheFirstInstalled)
{
    THelpRouter First(&Host);
    First.HelpType = htHTMLhelp;
    First.Helpfile = "/h/x.chm";
    try {
        THelpRouter Second(&Host);
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message, "Multiple instances of THelpRouter are not allowed");
    }
    EXPECT_EQ(THelpRouter::Instance(), &First);
    EXPECT_EQ(&THelpRouting::instance(), &First);
    EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTENTS, THelpData(0)));
    EXPECT_EQ(Host.Calls.size(), 1u);
}

TEST(HelpRouterFiles, ChangeFileExtLooksAtTheNamePartOnly)
{
    EXPECT_EQ(ChangeFileExt("/a.b/x", ".chm"), "/a.b/x.chm");
    EXPECT_EQ(ChangeFileExt("/a/x.hlp", ".chm"), "/a/x.chm");
    EXPECT_EQ(ChangeFileExt("x", ".chm"), "x.chm");
}
