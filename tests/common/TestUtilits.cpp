#include "common/FormKinds.h"
#include "common/StringGroups.h"
#include "common/Utilits.h"
#include "support/RecordingHelp.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/Exception.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

std::unique_ptr<TXmlDoc> Parse(const std::string& Text)
{
    auto doc = std::make_unique<TXmlDoc>();
    doc->ShowErrors = false;
    doc->XmlText = Text;
    EXPECT_TRUE(doc->ParseText()) << doc->LastError;
    return doc;
}

// A stand-in for the serial port's error list, addressed by position as that unit does it.
struct TFakePortTexts {
    std::vector<std::string> Texts = std::vector<std::string>(22, "default");
    bool Set(const std::string& Key, const std::string& Text)
    {
        static const char* keys[] = {"OpenFailed", "WriteFailed", "ReadFailed", "InvalidAsync", "PurgeFailed",
            "AsyncCheck", "SetStateFailed", "TimeoutsFailed", "SetupComFailed", "ClearComFailed", "ModemStatFailed",
            "EscapeComFailed", "TransmitFailed", "SyncMeth", "EnumPortsFailed", "StoreFailed", "LoadFailed",
            "RegFailed", "LedStateFailed", "ThreadCreated", "WaitFailed", "HasLink"};
        for (size_t i = 0; i < 22; ++i)
            if (Key == keys[i]) {
                Texts[i] = Text;
                return true;
            }
        return false;
    }
};

class UtilitsTexts : public ::testing::Test {
protected:
    void SetUp() override { ResetUtilitsTexts(); }
    void TearDown() override
    {
        ResetUtilitsTexts();
        SetPropertiesNodes(nullptr, nullptr);
    }
};

TEST_F(UtilitsTexts, DefaultsAreTheSystemsOwnTexts)
{
    EXPECT_EQ(Utilits::SError, "Error");
    EXPECT_EQ(Utilits::SErrorMailboxNumber, "Mailbox number must be length %d digits. ");
    EXPECT_EQ(Utilits::STimePeriodError4, "End Time must be greater than Start Time");
    EXPECT_EQ(Utilits::SWarningSaveToVMU3, "");
    EXPECT_EQ(UtilitsText("SCantOpenRegKey"), "Can not open registry key \"%s\".");
    EXPECT_EQ(UtilitsText("NoSuchKey"), "");
    EXPECT_EQ(UtilitsDefaultTexts().size(), 80u);   // 76 of the system, SNumberOutOfRange and three log-in failures
}

TEST_F(UtilitsTexts, LoadStringConstantsFollowsTheLastMatchRules)
{
    auto doc = Parse(R"(<DOC Name="d">
        <PARAM Name="Unit Properties">
          <PARAM Name="Utilits Unit">
            <VIEWPARAM Name="String Constants">
              <GATTR Name="SError" Value="Fehler"/>
              <GATTR Name="SWarning" Value="Achtung"/>
              <GATTR Name="SConnected"/>
              <GATTR Name="SNoSuchKey" Value="x"/>
              <ATTR Name="SInformation" Value="not a GATTR"/>
            </VIEWPARAM>
            <VIEWPARAM Name="Other"><GATTR Name="SBatchMode" Value="not read"/></VIEWPARAM>
            <VIEWPARAM Name="String Constants">
              <GATTR Name="SError" Value="Fehler 2"/>
              <GATTR Name="SCantOpenRegKey" Value="Utilits %s"/>
            </VIEWPARAM>
          </PARAM>
          <PARAM Name="Utilits Unit">
            <VIEWPARAM Name="String Constants"><GATTR Name="SDisconnected" Value="Getrennt"/></VIEWPARAM>
          </PARAM>
          <PARAM Name="XStrGrid Unit">
            <VIEWPARAM Name="String Constants">
              <GATTR Name="SCantOpenRegKey" Value="Grid %s"/>
              <GATTR Name="SError" Value="not a grid key"/>
            </VIEWPARAM>
          </PARAM>
          <PARAM Name="SerPort Unit">
            <VIEWPARAM Name="String Constants">
              <GATTR Name="WaitFailed" Value="wait"/>
              <GATTR Name="ThreadCreated" Value="thread"/>
            </VIEWPARAM>
          </PARAM>
        </PARAM></DOC>)");
    TXmlNode* unit = doc->FindNode(doc->Root(), "Unit Properties");
    ASSERT_NE(unit, nullptr);
    SetPropertiesNodes(nullptr, unit);

    // Only the last group node of that name counts.
    LoadStringConstants("Utilits Unit");
    EXPECT_EQ(Utilits::SDisconnected, "Getrennt");
    EXPECT_EQ(Utilits::SError, "Error");

    // Within the group every String Constants element is read in turn; the later GATTR wins.
    ResetUtilitsTexts();
    TXmlNode* last = LastChildNamed(unit, "Utilits Unit");
    ASSERT_NE(last, nullptr);
    unit->Nodes.Items(0)->SetName("Old Utilits");
    TXmlNode* first = unit->Nodes.Items(0);
    last->SetTemplate(first);   // a group linked to a template is read from the template
    LoadStringConstants("Utilits Unit");
    EXPECT_EQ(Utilits::SError, "Fehler 2");
    EXPECT_EQ(Utilits::SWarning, "Achtung");
    EXPECT_EQ(Utilits::SConnected, "");          // a GATTR without Value empties the text
    EXPECT_EQ(Utilits::SInformation, "Information");
    EXPECT_EQ(Utilits::SBatchMode, "Batch Mode");
    EXPECT_EQ(Utilits::SDisconnected, "Disconnected");
    EXPECT_EQ(Utilits::SCantOpenRegKey, "Utilits %s");

    // Names compare with case.
    ResetUtilitsTexts();
    LoadStringConstants("utilits unit");
    EXPECT_EQ(Utilits::SWarning, "Warning");

    // Other groups go through their owners' setters, each key only in its own group.
    std::map<std::string, std::string> grid = {{"SCantOpenRegKey", "Can't open registry key \"%s\""}};
    TFakePortTexts port;
    auto oldGrid = RegisterStringGroup("XStrGrid Unit", [&](const std::string& k, const std::string& t) {
        auto it = grid.find(k);
        if (it == grid.end())
            return false;
        it->second = t;
        return true;
    });
    auto oldPort = RegisterStringGroup("SerPort Unit",
        [&](const std::string& k, const std::string& t) { return port.Set(k, t); });
    ResetUtilitsTexts();
    LoadStringConstants("XStrGrid Unit");
    LoadStringConstants("SerPort Unit");
    EXPECT_EQ(grid["SCantOpenRegKey"], "Grid %s");
    EXPECT_EQ(grid.count("SError"), 0u);
    EXPECT_EQ(Utilits::SCantOpenRegKey, "Can not open registry key \"%s\".");
    EXPECT_EQ(Utilits::SError, "Error");
    for (size_t i = 0; i < port.Texts.size(); ++i)
        EXPECT_EQ(port.Texts[i], i == 20 ? "wait" : i == 19 ? "thread" : "default") << i;
    // A group nobody registered, and a group missing from the description, change nothing.
    LoadStringConstants("XYmodem Unit");
    LoadStringConstants(nullptr, "Utilits Unit");
    RegisterStringGroup("XStrGrid Unit", oldGrid);
    RegisterStringGroup("SerPort Unit", oldPort);
}

TEST(StringGroupRegistry, RegistersReplacesAndRemoves)
{
    std::string seen;
    EXPECT_FALSE(SetGroupString("Test Unit", "K", "v"));
    auto previous = RegisterStringGroup("Test Unit", [&](const std::string& k, const std::string& t) {
        seen = k + "=" + t;
        return k == "K";
    });
    EXPECT_FALSE(previous);
    EXPECT_TRUE(IsStringGroupRegistered("Test Unit"));
    EXPECT_FALSE(IsStringGroupRegistered("test unit"));
    EXPECT_TRUE(SetGroupString("Test Unit", "K", "v"));
    EXPECT_EQ(seen, "K=v");
    EXPECT_FALSE(SetGroupString("Test Unit", "L", "w"));
    EXPECT_TRUE(RegisterStringGroup("Test Unit", nullptr));
    EXPECT_FALSE(IsStringGroupRegistered("Test Unit"));
}

TEST(FormInfo, ReadsPresentFieldsAndAdjustsSizesToTheMetrics)
{
    auto doc = Parse(R"(<DOC><PARAM Name="Form Properties">
        <PARAM Name="TMailboxForm">
          <VIEWPARAM Name="Form Info">
            <GATTR Name="FormCaption" Value="Mailboxes"/>
            <GATTR Name="FormPosX" Value="-5"/>
            <GATTR Name="FormWidth" Value="400"/>
            <GATTR Name="FormHeight" Value="300"/>
            <GATTR Name="formposy" Value="99"/>
          </VIEWPARAM>
          <VIEWPARAM Name="Form Info"><GATTR Name="HelpContextName" Value="Mailbox"/></VIEWPARAM>
        </PARAM>
        <PARAM Name="TBadForm">
          <VIEWPARAM Name="Form Info">
            <GATTR Name="FormPosX" Value="12"/>
            <GATTR Name="FormPosY" Value="1O"/>
            <GATTR Name="FormCaption" Value="never read"/>
          </VIEWPARAM>
        </PARAM></PARAM></DOC>)");
    SetPropertiesNodes(doc->FindNode(doc->Root(), "Form Properties"), nullptr);
    TFormMetrics saved = FormMetrics();
    SetFormMetrics(TFormMetrics{17, 19});

    TFormParams p;
    p.Y = 7;
    ReadFormInfo(FindFormDescription("TMailboxForm"), p);
    EXPECT_EQ(p.Caption, "Mailboxes");
    EXPECT_EQ(p.HelpContextName, "Mailbox");
    EXPECT_EQ(p.X, -5);
    EXPECT_EQ(p.Y, 7);          // names compare with case: "formposy" is nobody
    EXPECT_EQ(p.Width, 401);
    EXPECT_EQ(p.Height, 300);

    TFormParams untouched;
    untouched.Caption = "mine";
    ReadFormInfo(nullptr, untouched);
    ReadFormInfo(FindFormDescription("TUnknownForm"), untouched);
    EXPECT_EQ(untouched.Caption, "mine");

    TFormParams bad;
    try {
        ReadFormInfo(FindFormDescription("TBadForm"), bad);
        ADD_FAILURE() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'1O' is not a valid integer value");
    }
    EXPECT_EQ(bad.X, 12);
    EXPECT_EQ(bad.Caption, "");

    TFormParams big;
    SetFormParam("FormWidth", "2147483647", big);
    EXPECT_EQ(big.Width, INT32_MAX);
    SetFormMetrics(saved);
    SetPropertiesNodes(nullptr, nullptr);
}

TEST(NumberLists, NormaliseSortMergeAndRefuseWhatIsOutOfRange)
{
    auto norm = [](const std::string& t, int32_t lo = 1, int32_t hi = 10) {
        std::string r = "stale";
        NormalizeNumberList(t, lo, hi, r);
        return r;
    };
    EXPECT_EQ(norm("5,1-3,3"), "1-3,5");
    EXPECT_EQ(norm("1-3-5"), "1,3-5");
    EXPECT_EQ(norm("3,4"), "3-4");
    EXPECT_EQ(norm(""), "");
    EXPECT_EQ(norm("7-2"), "2-7");          // a reversed range is the same range
    EXPECT_EQ(norm("2-,,5"), "2-5");        // a range start survives empty tokens
    EXPECT_EQ(norm("9-"), "9");
    EXPECT_EQ(norm(" 4 , 6"), "4,6");
    EXPECT_EQ(norm("1-10,4"), "1-10");
    EXPECT_EQ(norm("3", 10, 1), "3");       // reversed bounds are swapped
    EXPECT_EQ(norm("1-2000000000", 1, INT32_MAX), "1-2000000000");

    std::string r = "stale";
    EXPECT_THROW(NormalizeNumberList("0,12", 1, 10, r), EConvertError);
    EXPECT_EQ(r, "");
    try {
        NormalizeNumberList("2,12", 1, 10, r);
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Number 12 is out of range 1 to 10.");
    }
    try {
        NormalizeNumberList("1,x", 1, 10, r);
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'x' is not a valid integer value");
    }
    EXPECT_EQ(r, "");
}

TEST(TextHelpers, SignedIntegersAndMarkedText)
{
    EXPECT_TRUE(IsSignedIntText("+12"));
    EXPECT_TRUE(IsSignedIntText("-2147483648"));
    EXPECT_TRUE(IsSignedIntText("0409"));
    EXPECT_FALSE(IsSignedIntText(""));
    EXPECT_FALSE(IsSignedIntText("-"));
    EXPECT_FALSE(IsSignedIntText("1-2"));
    EXPECT_FALSE(IsSignedIntText(" 1"));
    EXPECT_FALSE(IsSignedIntText("2147483648"));

    EXPECT_EQ(TextBetween("abc[x]def", "[", "]"), "x");
    EXPECT_EQ(TextBetween("abc[xdef", "[", "]"), "");
    EXPECT_EQ(TextBetween("a]b[c]", "[", "]"), "c");
    EXPECT_EQ(TextBetween("abc", "", "c"), "");
    EXPECT_EQ(TextBetween("<<v>>", "<<", ">>"), "v");
}

TEST(DialogHelpers, QuestionsAndErrorBoxesUseTheStoreTexts)
{
    ResetUtilitsTexts();
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    dialogs.Answers = {mrNo, mrCancel};
    EXPECT_EQ(AskSaveVMUChanges(), mrNo);
    EXPECT_EQ(AskSaveFormChanges(), mrCancel);
    ASSERT_EQ(dialogs.Boxes.size(), 2u);
    EXPECT_EQ(dialogs.Boxes[0].Text, Utilits::SModifyQuestionBase);
    EXPECT_EQ(dialogs.Boxes[0].Caption, "Warning");
    EXPECT_EQ(dialogs.Boxes[0].Buttons, TMsgDlgButtons(mbYes | mbNo | mbCancel));
    EXPECT_EQ(dialogs.Boxes[1].Text, Utilits::SModifyQuestionForm);

    ShowTimeFrameError(2, 1);
    EXPECT_EQ(dialogs.LastText(), "End Time for Time Frame 1 is not set.");
    EXPECT_EQ(dialogs.Boxes.back().Caption, "Error");
    EXPECT_EQ(dialogs.Boxes.back().Type, mtError);
    ShowTimeFrameError(4, 2);
    EXPECT_EQ(dialogs.LastText(), "Intervals for Time Frame 1 and Time Frame 2 must not intersect.");
    ShowTimePeriodError(4);
    EXPECT_EQ(dialogs.LastText(), "End Time must be greater than Start Time");
    ShowTimePeriodError(9);
    EXPECT_EQ(dialogs.LastText(), "");

    // A replaced text with a stray placeholder neither crashes nor reads past its argument.
    Utilits::STimeFrameError1 = "Frame %d %s %x";
    ShowTimeFrameError(1, 3);
    EXPECT_EQ(dialogs.LastText(), "Frame 3 %s %x");
    ResetUtilitsTexts();
}

TEST(DialogHelpers, CentringUsesTheSignedDifferenceAndStaysOnScreen)
{
    TScreenRect owner{100, 80, 400, 300};
    EXPECT_EQ(CentredPosition(owner, 300, 100, {}), std::make_pair(150, 180));
    EXPECT_EQ(CentredPosition(owner, 500, 500, {}), std::make_pair(50, -20));
    TScreenRect screen{0, 0, 1024, 768};
    EXPECT_EQ(CentredPosition(owner, 500, 500, screen), std::make_pair(50, 0));
    EXPECT_EQ(CentredPosition(TScreenRect{900, 700, 200, 100}, 300, 200, screen), std::make_pair(724, 568));
    EXPECT_EQ(CentredPosition(owner, 2000, 1000, screen), std::make_pair(0, 0));
}

TEST(ContextHelp, KeywordChoosesTheHelpWindow)
{
    TRecordingHelpRouting router;
    THelpRoutingScope scope(&router);
    ShowHelpForKeyword("-");
    EXPECT_TRUE(router.Calls.empty());
    ShowHelpForKeyword("");
    EXPECT_EQ(router.HelpWindow, "Main");
    ShowHelpForKeyword("Mailbox");
    EXPECT_EQ(router.HelpWindow, "GridForm");
    EXPECT_EQ(router.Calls, (std::vector<std::string>{"contents", "keyword:Mailbox.htm"}));
}

TEST(FormKindSets, SubsetTestsOverFortyEightKinds)
{
    TFormKinds detail{3};
    TFormKinds report{3, 5};
    EXPECT_TRUE(detail <= report);
    EXPECT_FALSE(report <= detail);
    EXPECT_TRUE(TFormKinds{} <= detail);
    EXPECT_TRUE(TFormKinds{47}.Contains(47));
    EXPECT_TRUE((TFormKinds{48, -1}.Empty()));
    EXPECT_EQ((report * TFormKinds{5, 6}), TFormKinds{5});
    EXPECT_EQ((detail + TFormKinds{42}).AsBits(), (uint64_t(1) << 3) | (uint64_t(1) << 42));
    EXPECT_EQ(TFormKinds::FromBits(~uint64_t(0)).AsBits(), (uint64_t(1) << 48) - 1);
}

} // namespace
