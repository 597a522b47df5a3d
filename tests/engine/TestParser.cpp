// The screen-text parser's small languages and the cases where a careless parser loops, reads outside the
// lines, or loses a record.
#include "engine/DataManager.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

using TList = std::vector<std::string>;

TEST(ScreenText, LinesBracketsAndSearch)
{
    EXPECT_EQ(SplitScreenLines("a\r\nb\rc\nd"), (TList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitScreenLines("a\r\n\r\nb\r\n"), (TList{"a", "", "b"}));
    EXPECT_TRUE(SplitScreenLines("").empty());
    EXPECT_EQ(BracketContent("   3. Pause Time     [ 123 ]  "), "123");
    EXPECT_EQ(BracketContent("Time (9:30) [x]"), "x");
    EXPECT_EQ(BracketContent("Time (9:30)"), "9:30");
    EXPECT_EQ(BracketContent("Open [ended"), "ended");
    EXPECT_EQ(BracketContent("none"), "");
    TList lines{"alpha", "beta", "gamma"};
    EXPECT_EQ(FindLine("ta", lines, 0, 2), 1);
    EXPECT_EQ(FindLine("alpha", lines, 1, 2), -1);
    EXPECT_EQ(FindLine("gamma", lines, -5, 99), 2) << "bounds are clamped to the lines";
    EXPECT_EQ(FindLine("", lines, 0, 2), -1) << "an empty text is never found";
    EXPECT_EQ(FindLine("a", {}, 0, 0), -1);
}

TEST(TemplateLists, RangesItemsAndDegenerateTexts)
{
    EXPECT_EQ(TemplateList("%1..3, 10%"), (TList{"1", "2", "3", "10"}));
    EXPECT_EQ(TemplateList("%08..10%"), (TList{" 8", " 9", "10"}));
    EXPECT_EQ(TemplateList("% Day, Night ,Lunch%"), (TList{"Day", "Night", "Lunch"}));
    EXPECT_EQ(TemplateList("%5..3,x%"), (TList{"x"})) << "a range going down holds nothing";
    EXPECT_EQ(TemplateList("%a..3,x%"), (TList{"", "x"})) << "a range without numbers is one empty item";
    EXPECT_EQ(TemplateList("no signs"), (TList{""}));
    EXPECT_EQ(TemplateList("%  %"), (TList{""}));
    EXPECT_EQ(TemplateList("%-2..0%"), (TList{"-2", "-1", "0"}));
    EXPECT_EQ(TemplateList("%1..3,x,5..9%", 5), (TList{"1", "2", "3", "x", "5"})) << "the limit stops in a range";
    // An empty or sign-only bound is a bad number of the description, not an empty item.
    for (const char* t : {"%1..%", "%..3%", "%-..3%", "%1..+%"}) {
        std::string any;
        EXPECT_THROW(TemplateItem(t, 0, any), EConvertError) << t;
    }
    EXPECT_THROW(TemplateList("%x,1.. %"), EConvertError);
    // Wide ranges are walked, never built.
    std::string item;
    ASSERT_TRUE(TemplateItem("%1..2000000000%", 1999999999, item));
    EXPECT_EQ(item, "2000000000");
    EXPECT_FALSE(TemplateItem("%1..2000000000%", 2000000000, item));
    EXPECT_FALSE(TemplateItem("%1%", -1, item));
}

TEST(FormatLanguage, WidthsDelimitersAndTheirEnd)
{
    EXPECT_EQ(ApplyFormat("R5;S2;R' '", "ABCDE  xyz 12"), (TList{"ABCDE", "xyz"}));
    EXPECT_EQ(ApplyFormat("R':';R',';R", "9:30,AM"), (TList{"9", "30", "AM"}));
    EXPECT_EQ(ApplyFormat("R5;R", "ABC"), (TList{"ABC"})) << "once past the end, the rest is not applied";
    EXPECT_EQ(ApplyFormat("S3;R-2;", "ABCDEF"), (TList{"BC"}));
    EXPECT_EQ(ApplyFormat("S4;R-", "ABCDEF"), (TList{"ABCD"}));
    EXPECT_EQ(ApplyFormat("Rabc;R2", "XYZW"), (TList{"XYZW", ""})) << "an item without width runs the next one";
    EXPECT_EQ(ApplyFormat("R0;R", "AB"), (TList{"AB", ""}));
    EXPECT_EQ(ApplyFormat("R2;X;R", "abcd"), (TList{"ab"})) << "another letter ends the format";
    EXPECT_EQ(ApplyFormat("R' '", "   abc def"), (TList{"abc"})) << "blanks before a delimited piece are skipped";
    EXPECT_EQ(ApplyFormat("R'''';R", "it's"), (TList{"it", "s"}));
    EXPECT_EQ(ApplyFormat("R\":\";R", "a:b"), (TList{"a", "b"}));
    EXPECT_TRUE(ApplyFormat("", "abc").empty());
    EXPECT_EQ(ApplyFormat("R3;", ""), (TList{""}));
}

TEST(FormatLanguage, AlternativesAndClasses)
{
    EXPECT_EQ(ApplyFormat("R'/|-';R", "12-34/56"), (TList{"12-34", "56"})) << "alternatives go in list order";
    EXPECT_EQ(ApplyFormat("R',\\d\\';R", "a,b,1c"), (TList{"a,b", "1c"}));
    EXPECT_EQ(ApplyFormat("R',\\D\\';R", "1,2,x"), (TList{"1,2", "x"}));
    EXPECT_EQ(ApplyFormat("R'\\d\\';R", "abc123"), (TList{"abc", "123"}));
    EXPECT_EQ(ApplyFormat("R'\\D\\';R", "123abc"), (TList{"123", "abc"}));
    EXPECT_EQ(ApplyFormat("R'\\^0\\';R", "000123"), (TList{"000", "123"}));
    EXPECT_EQ(ApplyFormat("R'-\\^-\\';R", "a--b-c"), (TList{"a-", "b-c"}));
    EXPECT_EQ(ApplyFormat("R',\\x\\';R", "a,b"), (TList{"a,b"})) << "an unknown class never matches";
    EXPECT_EQ(ApplyFormat("R',\\\\';R", "a,b"), (TList{"a", "b"})) << "an empty class is no class";
}

TEST(FormatLanguage, EmptyOrSignOnlyWidthsRaise)
{
    for (const char* f : {"R;", "R-;", "S+;R"})
        EXPECT_THROW(ApplyFormat(f, "abc"), EConvertError) << f;
    EXPECT_NO_THROW(ApplyFormat("R-", "abc")) << "a sign at the very end is no width at all";
    EXPECT_THROW(ApplyFormat("R99999999999;", "abc"), EConvertError);
}

TEST(SplitRule, WidthFindCountAndBounds)
{
    TList lines{"", "abcdefg", "xxabcdef"};
    EXPECT_EQ(ConvertToStrings("Width:3", lines, 0, 2), (TList{"abc", "def", "g"}));
    EXPECT_EQ(ConvertToStrings("Left:2,Width:2,Count:2", lines, 2, 3), (TList{"ab", "cd"}));
    EXPECT_EQ(ConvertToStrings("Find:',',Count:0", {"a,b,,c"}, 0, 1), (TList{"a", "b"}));
    EXPECT_EQ(ConvertToStrings("Find:x", {"1x2x3"}, -4, 99), (TList{"1", "2", "3"}));
    EXPECT_EQ(ConvertToStrings("Find:','", {"a,b,"}, 0, 1), (TList{"a", "b", ""})) << "the empty last piece counts";
    EXPECT_EQ(ConvertToStrings("Find:',',Count:2", {"a,b,"}, 0, 1), (TList{"a", "b"}));
    EXPECT_EQ(ConvertToStrings("Left:9,Width:1", {"short"}, 0, 1), TList{});
    EXPECT_TRUE(ConvertToStrings("Left:3", lines, 0, 3).empty()) << "without width and find nothing is split";
    EXPECT_THROW(ConvertToStrings("Left:x,Width:2", lines, 0, 3), EConvertError);
}

namespace {
// A description given as text XML.
void Describe(TXmlDoc& Description, const std::string& Xml)
{
    Description.ShowErrors = false;
    Description.XmlText = Xml;
    EXPECT_TRUE(Description.ParseText()) << Description.LastError;
}

// Parses Screen for the section named Section of a description given as text XML; lists the data nodes below
// the section as "Name=Value;".
std::string Parse(const std::string& Xml, const std::string& Screen, const std::string& Section = "S")
{
    TXmlDoc description;
    Describe(description, Xml);
    TXmlDoc data(&description);
    TDataManager manager(&data, &description);
    EXPECT_TRUE(manager.LoadData(description.Root(), Screen, Section));
    std::string out;
    TXmlNode* section = data.FindNode(nullptr, Section);
    if (!section)
        return "(no section)";
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(section, data.Root()); n; n = walk.Next(n))
        if (n != section)
            out += n->GetName() + "=" + n->GetValue() + ";";
    return out;
}
}

TEST(Parser, RecordsThatWouldNeverMoveOnStillEnd)
{
    const std::string screen = "top\nBox [1]\nBox [2]\nBox [3]\nend";
    // Found again and again on the same line.
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S"><ATTR Name="B%V%" StartStr="Box" NotNextLine="Yes" Value=""/>
        </PARAM></D>)", screen), "B1=1;");
    // A negative shift sends the search back to where it came from.
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S"><ATTR Name="B%V%" StartStr="Box" ShiftStr="-3" Value=""/>
        </PARAM></D>)", screen), "B1=1;");
    // Repeated search without a start text, and with fields in use.
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S" RepeatSearch="Yes"><ATTR Name="B%V%" StartStr="Box" Value=""/>
        </PARAM></D>)", screen), "B1=1;B2=2;B3=3;");
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S" StartStr="Box" FormatAttr="R" RepeatSearch="Yes">
        <PARAM Name="P" StartStr="x"/><ATTR Name="A" Value=""/></PARAM></D>)", screen), "P=;A=3;")
        << "every record makes its own fields; same-named records merge";
    // A record list whose parent has fields and a start text.
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S" StartStr="Box" WholeStrIsValue="Yes" FormatAttr="R' ';R">
        <ATTR Name="F%V%" StartStr="anything" Value=""/></PARAM></D>)", screen), "FBox=Box;F[1]=[1];");
}

TEST(Parser, NeverReadsOutsideTheLinesOrThePieceList)
{
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S" NotNextLine="Yes"><ATTR Name="P" LineValue="Prev" Value=""/>
        </PARAM></D>)", "no value here\nlast"), "P=;");
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S"><ATTR Name="N" StartStr="Name" LineValue="Next" Value=""/>
        </PARAM></D>)", "x\ny\nName"), "N=;");
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S" StartStr="List" ConvertToStrings="Width:4">
        <ATTR Name="I%V%" StartStr="[" Value="" ShiftStr="1000"/><ATTR Name="L" LineValue="Next" StartStr="[c" Value=""/>
        </PARAM></D>)", "x\nList\n[a] [b] [c] \nprompt"), "Ia=a;");
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S" StartStr="List" ConvertToStrings="Width:4">
        <ATTR Name="I%V%" StartStr="[" Value=""/></PARAM></D>)", "x\nList\n[a] [b] [c] \nprompt"),
        "Ia=a;Ib=b;Ic=c;") << "every piece is a line of its own, the last one included";
}

TEST(Parser, EmptyValuesStartTextsAndTemplates)
{
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S">
        <ATTR Name="Dropped" StartStr="A" Value="" PassEmptyValue="Yes"/>
        <ATTR Name="Kept without Value" StartStr="B" PassEmptyValue="Yes"/>
        <ATTR Name="Never" StartStr="" Value=""/></PARAM></D>)", "x\nA []\nB []\nC [3]\nend"),
        "Kept without Value=;");
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="S"><PARAM Name="Day %T%" TemplateAttr="%08..10%" StartStr="Day %T%"
        StopStr="End"><ATTR Name="Hours of %%T%%" Value="" StartStr="Hours"/></PARAM></PARAM></D>)",
        "x\nDay 8\nHours [1]\nEnd\nDay 9\nEnd\nDay 10\nHours [3]\nEnd\nend"),
        "Day 8=;Hours of 8=1;Day 9=;Day 10=;Hours of 10=3;");
}

TEST(Parser, RepeatedRecordsEndWhereTheNextOneStarts)
{
    const std::string pages = "Sec\r\nPage [1]\r\nExt [101]\r\nPage [2]\r\nExt [102]\r\n$ \r\n";
    const std::string desc = R"(<D Name="D"><PARAM Name="Sec"><ATTR Name="Page %V%" Value="" StartStr="Page"
        RepeatSearch="Yes"><ATTR Name="Ext %V%" StartStr="Ext" Value=""/></ATTR>%s</PARAM></D>)";
    auto with = [&](const std::string& After) {
        std::string d = desc;
        d.replace(d.find("%s"), 2, After);
        return d;
    };
    EXPECT_EQ(Parse(with(""), pages, "Sec"), "Page 1=1;Ext 101=101;Page 2=2;Ext 102=102;");
    // The caller goes on after the last record.
    EXPECT_EQ(Parse(with(R"(<ATTR Name="Tail" StartStr="Ext" Value=""/>)"), pages, "Sec"),
        "Page 1=1;Ext 101=101;Page 2=2;Ext 102=102;Tail=102;");
    // A stop text is looked for only inside its own record.
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="Sec"><ATTR Name="Page %V%" Value="" StartStr="Page" StopStr="End"
        RepeatSearch="Yes"><ATTR Name="Ext %V%" StartStr="Ext" Value=""/></ATTR></PARAM></D>)",
        "Sec\r\nPage [1]\r\nPage [2]\r\nEnd\r\nExt [9]\r\n$ \r\n", "Sec"), "Page 1=1;Page 2=2;");
    // The simple repeat finds every record, the one on the screen's last line too.
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="Sec"><ATTR Name="Box %V%" Value="" StartStr="Box"
        RepeatSearch="Yes"/></PARAM></D>)", "Sec\r\nBox [1]\r\nBox [2]\r\nBox [3]\r\n", "Sec"),
        "Box 1=1;Box 2=2;Box 3=3;");
}

TEST(Parser, SplitFieldsKeepTheNodesOwnStopText)
{
    EXPECT_EQ(Parse(R"(<D Name="D"><PARAM Name="Sec"><PARAM Name="Rec" FormatAttr="R' ';R0;" StopStr="End">
        <ATTR Name="A" Value=""/><ATTR Name="B" Value=""/></PARAM></PARAM></D>)",
        "Sec\r\nRec [1 2]\r\njunk [x]\r\nEnd\r\n", "Sec"), "Rec=;A=1;B=2;");
}

namespace {
// The faults a parse of Screen notes, one a line as "<section>: <text>".
std::string Faults(const std::string& Xml, const std::string& Screen)
{
    TXmlDoc description;
    Describe(description, Xml);
    TXmlDoc data(&description);
    TDataManager manager(&data, &description);
    std::vector<TParseFault> faults;
    EXPECT_TRUE(manager.LoadData(description.Root(), Screen, "S", &faults));
    std::string out;
    for (const TParseFault& f : faults)
        out += (f.Section ? f.Section->GetName() : std::string("-")) + ": " + ParseFaultText(f) + "\n";
    return out;
}
}

// Every value is checked as its "Cell Info" describes it; a line or record end the screen lacks is told too.
TEST(Parser, ValuesThatBreakTheirRulesAreToldWithTheirSection)
{
    const std::string desc = R"(<D Name="D"><PARAM Name="S" StartStr="Title" StopStr="Prompt =>"><LOADPARAM/>
        <ATTR Name="Box %V%" Value="" StartStr="Box [" StopStr="End of Box" RepeatSearch="Yes">
          <VIEWPARAM Name="Cell Info"><GATTR Name="ValueType" Value="vtRangeInteger"/>
            <GATTR Name="MinInteger" Value="1"/><GATTR Name="MaxInteger" Value="9"/></VIEWPARAM>
          <ATTR Name="Number" Value="" StartStr="Number"><VIEWPARAM Name="Cell Info">
            <GATTR Name="ValueType" Value="vtRangeInteger"/><GATTR Name="MinInteger" Value="1"/>
            <GATTR Name="MaxInteger" Value="999"/></VIEWPARAM></ATTR>
          <ATTR Name="Phone" Value="" StartStr="Phone"><VIEWPARAM Name="Cell Info">
            <GATTR Name="ValueType" Value="vtMaskedString"/><GATTR Name="InputMask" Value="0123456789*#"/>
            <GATTR Name="EditLimit" Value="8"/></VIEWPARAM></ATTR>
          <ATTR Name="Mode" Value="Auto" StartStr="Mode"><VIEWPARAM Name="Cell Info">
            <GATTR Name="ValueOptions" Type="voComboBox" Value="True"/><GATTR Name="StrComboBox" Value="None=None"/>
            <GATTR Name="StrComboBox" Value="Auto=Auto"/></VIEWPARAM></ATTR>
          <ATTR Name="Name" Value="" StartStr="Name"><VIEWPARAM Name="Cell Info"/></ATTR>
          <ATTR Name="Note" Value="" StartStr="Note" PassEmptyValue="Yes"><VIEWPARAM Name="Cell Info"/></ATTR>
          <ATTR Name="When" Value="Day" StartStr="When"><VIEWPARAM Name="Cell Info">
            <GATTR Name="ScreenValues" Value="Day|Night|%time%"/><GATTR Name="CanEmpty" Value="False"/></VIEWPARAM></ATTR>
          <ATTR Name="Delay" Value="" StartStr="Delay"><VIEWPARAM Name="Cell Info">
            <GATTR Name="ScreenValues" Value="%duration%"/></VIEWPARAM></ATTR>
          <ATTR Name="Greeting" Value="" StartStr="Greeting"><VIEWPARAM Name="Cell Info">
            <GATTR Name="ScreenValues" Value="System Greeting|None|%1..32%"/></VIEWPARAM></ATTR>
        </ATTR><ATTR Name="Code %T%" Value="" TemplateAttr="%1..3%" StartStr=". Code %T%"><VIEWPARAM Name="Cell Info"/>
        </ATTR></PARAM></D>)";
    auto screen = [](const std::string& Box) {
        return "Title\r\n" + Box + "Prompt => ";
    };
    // A numbered item after the record: each of its instances on a line of its own.
    const std::string codes = "3. Code 1 [61]\r\n4. Code 2 []\r\n5. Code 3 [63]\r\n";
    const std::string good = "Box [1]\r\nNumber [999]\r\nPhone [55#1*]\r\nMode [Auto]\r\nName [ADAMS]\r\n"
                             "When [8:00,AM]\r\nDelay [00:59]\r\nGreeting [System Greeting]\r\nEnd of Box\r\n" + codes;
    EXPECT_EQ(Faults(desc, screen(good)), "");
    // A whole number is never empty unless its "CanEmpty" says so; other values only when theirs says "False".
    EXPECT_EQ(Faults(desc, screen("Box [1]\r\nNumber []\r\nPhone []\r\nMode [None]\r\nName []\r\nWhen []\r\n"
                                  "Delay [00:59]\r\nGreeting []\r\nEnd of Box\r\n" + codes)),
        "S: \"Number\" of \"Box 1\" is empty, which it never is on the VMU\n"
        "S: \"When\" of \"Box 1\" is empty, which it never is on the VMU\n")
        << "empty values pass where the device shows them empty, and every item of a list passes";
    // At the upper bounds: hours of either clock, and an edit limit's last character.
    for (const char* Shown : {"[Night]", "[17:30]", "[12:59,PM]", "[23:59]"})
        EXPECT_EQ(Faults(desc, screen(std::string(good).replace(good.find("[8:00,AM]"), 9, Shown))), "") << Shown;
    for (const char* Shown : {"[None]", "[32]", "[1]"})
        EXPECT_EQ(Faults(desc, screen(std::string(good).replace(good.find("[System Greeting]"), 17, Shown))), "")
            << Shown;
    EXPECT_EQ(Faults(desc, screen(std::string(good).replace(good.find("[55#1*]"), 7, "[55#1*123]"))), "");
    struct TCase {
        std::string From, To, Told;
    };
    const TCase cases[] = {
        {"[999]", "[1000]", "S: \"Number\" of \"Box 1\" reads \"1000\", which lies outside 1 to 999\n"},
        {"[999]", "[0]", "S: \"Number\" of \"Box 1\" reads \"0\", which lies outside 1 to 999\n"},
        {"[999]", "[9\xec" "9]", "S: \"Number\" of \"Box 1\" reads \"9\\xec9\", which is no whole number\n"},
        {"[55#1*]", "[55#1*1234]", "S: \"Phone\" of \"Box 1\" reads \"55#1*1234\", which is longer than 8 characters\n"},
        {"[55#1*]", "[55-1]", "S: \"Phone\" of \"Box 1\" reads \"55-1\", which holds a character its screen never shows\n"},
        {"[Auto]", "[Aut0]", "S: \"Mode\" of \"Box 1\" reads \"Aut0\", which is no item of its list\n"},
        {"[ADAMS]", "[AD\x1b" "MS]", "S: \"Name\" of \"Box 1\" reads \"AD\\x1bMS\", which holds a control character\n"},
        {"[ADAMS]", "[QUI\x83N]", "S: \"Name\" of \"Box 1\" reads \"QUI\\x83N\", which holds a character the VMU's "
                                  "screen never shows\n"},
        {"Name [ADAMS]", "Name {ADAMS}", "S: \"Name\" of \"Box 1\" shows no value on its line \"Name {ADAMS}\"\n"},
        {"Name [ADAMS]", "Nome [ADAMS]", "S: \"Name\" of \"Box 1\" is missing from the screen\n"
                                         "S: \"Nome [ADAMS]\" is a value line that no value of the section read\n"},
        {"Name [ADAMS]", "Nxmx [ADAMS]", "S: \"Name\" of \"Box 1\" is missing from the screen\n"},
        {"End of Box", "End of B0x", "S: \"Box 1\" of \"S\" ends before its last line \"End of Box\"\n"},
        // A record is named by its number, never by its template.
        {"Box [1]", "Box [12]", "S: \"Box 12\" of \"S\" reads \"12\", which lies outside 1 to 9\n"},
        {"[ADAMS]", "[AD[MS]", "S: \"Name\" of \"Box 1\" reads \"AD[MS\", which holds a bracket, which no value on the "
                               "screen holds\n"},
        // Times and greeting numbers as their screen shows them.
        {"[8:00,AM]", "[12:\xea" "0]", "S: \"When\" of \"Box 1\" reads \"12:\\xea0\", which is not what its screen shows "
                                    "for it\n"},
        {"[8:00,AM]", "[v8:00]", "S: \"When\" of \"Box 1\" reads \"v8:00\", which is not what its screen shows for it\n"},
        {"[8:00,AM]", "[13:00,PM]", "S: \"When\" of \"Box 1\" reads \"13:00,PM\", which is not what its screen shows "
                                    "for it\n"},
        {"[8:00,AM]", "[24:00]", "S: \"When\" of \"Box 1\" reads \"24:00\", which is not what its screen shows for it\n"},
        {"[00:59]", "[00:60]", "S: \"Delay\" of \"Box 1\" reads \"00:60\", which is not what its screen shows for it\n"},
        {"[8:00,AM]", "[8:60,AM]", "S: \"When\" of \"Box 1\" reads \"8:60,AM\", which is not what its screen shows for "
                                   "it\n"},
        {"[System Greeting]", "[System Greetin\"]", "S: \"Greeting\" of \"Box 1\" reads \"System Greetin\"\", which is "
                                                    "not what its screen shows for it\n"},
        {"[System Greeting]", "[33]", "S: \"Greeting\" of \"Box 1\" reads \"33\", which is not what its screen shows "
                                      "for it\n"},
        // A bracket lost or gained, or a space in place of a character, leaves a shorter value within its rules.
        {"[999]", "[99]]", "S: \"Number\" of \"Box 1\" shows its value garbled on its line \"Number [99]]\"\n"},
        {"[999]\r", "[99\r", "S: \"Number\" of \"Box 1\" shows its value garbled on its line \"Number [99\"\n"},
        {"[999]", "[99 ]", "S: \"Number\" of \"Box 1\" shows its value garbled on its line \"Number [99 ]\"\n"},
        // A record that may rightly be absent: its garbled title is told by its value lines that nothing read
        // (lines that no node of the section would read, even off by a byte, are no fault).
        // An instance of a numbered item whose label lost a byte, gained one, a NUL or an escape sequence is missing
        // from the reading: the screen lists the whole range.
        {". Code 2", ". Cde 2", "S: \"Code 2\" of \"S\" is missing from the screen\n"},
        {". Code 1", ". Coode 1", "S: \"Code 1\" of \"S\" is missing from the screen\n"
                                  "S: \"3. Coode 1 [61]\" is a value line that no value of the section read\n"},
        {". Code 3", std::string(". Co\0de 3", 9), "S: \"Code 3\" of \"S\" is missing from the screen\n"},
        {". Code 3", ". Code\x1b[K 3", "S: \"Code 3\" of \"S\" is missing from the screen\n"
                                     "S: \"5. Code\\x1b[K 3 [63]\" is a value line that no value of the section read\n"},
        {"Box [1]", "B0x [1]", "S: \"B0x [1]\" is a value line that no value of the section read\n"
                               "S: \"Number [999]\" is a value line that no value of the section read\n"
                               "S: \"Phone [55#1*]\" is a value line that no value of the section read\n"
                               "S: \"Mode [Auto]\" is a value line that no value of the section read\n"
                               "S: \"Name [ADAMS]\" is a value line that no value of the section read\n"
                               "S: \"When [8:00,AM]\" is a value line that no value of the section read\n"
                               "S: \"Delay [00:59]\" is a value line that no value of the section read\n"
                               "S: \"Greeting [System Greeting]\" is a value line that no value of the section read\n"
                               "S: \"End of Box\" is a block's title that nothing read\n"},
    };
    for (const TCase& c : cases) {
        std::string box = good;
        box.replace(box.find(c.From), c.From.size(), c.To);
        EXPECT_EQ(Faults(desc, screen(box)), c.Told) << c.To;
    }
    EXPECT_EQ(Faults(desc, "Titel\r\n" + good + "Prompt => "), "S: \"S\" was not found on the screens read\n");
    EXPECT_EQ(Faults(desc, "Title\r\n" + good + "Prompt -> "), "S: \"S\" of \"D\" ends before its last line \"Prompt =>\"\n");
}
