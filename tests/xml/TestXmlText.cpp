// The text file form: the writer's exact layout, round trips of awkward values, the reader's extras (comments,
// DOCTYPE, CDATA) and its error messages with position, and hostile input.
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
std::string writeText(TXmlDoc& doc)
{
    std::stringstream out;
    EXPECT_TRUE(doc.SaveToStream(out, false)) << doc.LastError;
    return out.str();
}

bool parse(TXmlDoc& doc, const std::string& text)
{
    std::stringstream in(text);
    return doc.LoadFromStream(in, false);
}
}

TEST(XmlText, WriterLayout)
{
    TXmlDoc doc;
    doc.Root()->SetTag("ROOT");
    doc.Root()->Attrs.AddRaw("Name", "Top");
    doc.Root()->AddChild("A");
    doc.Root()->AddChild("B");
    EXPECT_EQ(writeText(doc),
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
        "<ROOT Name=\"Top\">\r\n"
        "  <A/>\r\n"
        "  <B/>\r\n"
        "</ROOT>");

    doc.Prolog.AddRaw("version", "1.1");
    doc.Prolog.AddRaw("encoding", "x\"y");
    doc.Prolog.AddRaw("standalone", "yes");
    doc.Root()->Nodes.Items(0)->SetRawText("a<b");
    doc.Root()->Nodes.Items(1)->AddChild("C")->Attrs.AddRaw("V", "'q'");
    EXPECT_EQ(writeText(doc),
        "<?xml version=\"1.1\" encoding=\"x&quot;y\"?>\r\n"
        "<ROOT Name=\"Top\">\r\n"
        "  <A>a&lt;b</A>\r\n"
        "  <B>\r\n"
        "    <C V=\"&apos;q&apos;\"/>\r\n"
        "  </B>\r\n"
        "</ROOT>");

    // WriteText without a stream fills the memory buffer.
    EXPECT_TRUE(doc.WriteText(nullptr));
    EXPECT_EQ(doc.TextBuffer, writeText(doc));
}

TEST(XmlText, AwkwardValuesSurviveWritingAndReading)
{
    TXmlDoc doc;
    doc.Root()->SetTag("R");
    doc.Root()->Attrs.AddRaw("Q", "say \"hi\"");
    doc.Root()->Attrs.AddRaw("Quoted", "'ABC'");
    doc.Root()->Attrs.AddRaw("Amp", "A&amp;B");
    doc.Root()->Attrs.AddRaw("Ref", "&#65;");
    TXmlNode* t = doc.Root()->AddChild("T");
    t->SetRawText("<&>'\"");
    std::string text = writeText(doc);
    TXmlDoc back;
    ASSERT_TRUE(parse(back, text)) << back.LastError;
    EXPECT_EQ(back.Root()->GetAttr("Q"), "say \"hi\"");
    EXPECT_EQ(back.Root()->GetAttr("Quoted"), "'ABC'");
    EXPECT_EQ(back.Root()->GetAttr("Amp"), "A&amp;B");
    EXPECT_EQ(back.Root()->GetAttr("Ref"), "&#65;");
    EXPECT_EQ(back.Root()->Nodes.Items(0)->GetText(), "<&>'\"");
    EXPECT_EQ(back.Prolog.Find("version")->GetValue(), "1.0");
    EXPECT_EQ(writeText(back), text);
}

TEST(XmlText, ReaderTakesCommentsDoctypeCdataAndSingleQuotes)
{
    TXmlDoc doc;
    ASSERT_TRUE(parse(doc,
        "<?xml version='1.0'?>\n"
        "<!DOCTYPE root [ <!ELEMENT root ANY> ]>\n"
        "<!-- a comment with > inside -->\n"
        "<root a='1' b = \"x&lt;&#66;\">\n"
        "  head <!-- skipped --> tail\n"
        "  <![CDATA[ <raw> &amp; ]]>\n"
        "  <child/>\n"
        "  <?pi ignored?>\n"
        "  <other Value=\"a>b\">text</other>\n"
        "</root>trailing"))
        << doc.LastError;
    TXmlNode* r = doc.Root();
    EXPECT_EQ(r->GetTag(), "root");
    EXPECT_EQ(r->GetAttr("a"), "1");
    EXPECT_EQ(r->GetAttr("b"), "x<B");
    EXPECT_EQ(r->GetText(), "headtail<raw> &amp;");
    ASSERT_EQ(r->Nodes.Count(), 2);
    EXPECT_EQ(r->Nodes.Items(1)->GetValue(), "a>b");
    EXPECT_EQ(r->Nodes.Items(1)->GetText(), "text");
    EXPECT_EQ(doc.Prolog.Find("version")->GetValue(), "1.0");
}

TEST(XmlText, ErrorsCarryAnExcerptAndThePosition)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TXmlDoc doc;
    bool failed = false;
    doc.OnResult = [&](bool f) { failed = f; };
    std::string text = "<root>\r\n  <a>x</b>\r\n</root>";
    EXPECT_FALSE(parse(doc, text));
    EXPECT_TRUE(failed);
    EXPECT_EQ(doc.LastError,
        "Wrong name of end tag near \"<root>\r\n  <a>x</b>\r\n</root>\"\r\nError position in XML file = 15");
    EXPECT_EQ(dialogs.LastText(), doc.LastError);

    // Past position 20 the excerpt starts 20 characters before it.
    std::string longer = "<root>" + std::string(40, ' ') + "<a b></a></root>";
    EXPECT_FALSE(parse(doc, longer));
    EXPECT_EQ(doc.LastError, "Missing = when parsing attributes near \"" + longer.substr(26, 50) +
        "\"\r\nError position in XML file = 47");

    struct TCase {
        const char* Text;
        const char* Message;
    } cases[] = {
        {"<?xml version='1.0'", "Missing ?> in xml declaration."},
        {"", "Missing <"},
        {"<root>", "Expected < when parsing text"},
        {"<root a=1/>", "Missing value delimiter when parsing attributes"},
        {"<root a='1/>", "Expected closing ' when parsing attributes"},
        {"<root><a>", "Expected < when parsing text"},
        {"<root><a></a>", "Missing <"},
        {"</root>", "Not found begin tag for root node"},
        {"<root", "Missing >"},
        {"<!DOCTYPE x [ <root/>", "Missing ] for DOCTYPE"},
        {"<!-- x", "Wrong end of comment"},
        {"<root>x <!-- y", "Missing > for end of comment"},
        {"<root><![CDATA[ x", "Expected ]]> when parsing CDATA section"},
    };
    for (const TCase& c : cases) {
        EXPECT_FALSE(parse(doc, c.Text)) << c.Text;
        EXPECT_EQ(doc.LastError.substr(0, std::string(c.Message).size()), c.Message) << c.Text;
    }
    // A declaration error is reported as it stands, without excerpt.
    EXPECT_FALSE(parse(doc, "<?xml version='1.0'"));
    EXPECT_EQ(doc.LastError, "Missing ?> in xml declaration.");
}

TEST(XmlText, UserBreakEndsReadingQuietly)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TXmlDoc doc;
    int32_t size = 0, last = 0;
    bool failed = false;
    doc.OnStart = [&](int32_t total) { size = total; };
    doc.OnPosition = [&](int32_t pos) { last = pos; return pos > 10; };
    doc.OnResult = [&](bool f) { failed = f; };
    std::string text = "<a><b/><c/><d/></a>";
    EXPECT_FALSE(parse(doc, text));
    EXPECT_EQ(size, int32_t(text.size()));
    EXPECT_EQ(last, 12);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(dialogs.Boxes.empty());
    EXPECT_EQ(doc.LastError, "User break. Operation is not complited!");
}

TEST(XmlText, TemplateLinksAreWrittenAndReadAsIDs)
{
    TXmlDoc desc;
    desc.Root()->SetTag("D");
    TXmlNode* target = desc.Root()->AddChild("PARAM");
    target->SetID(17);
    TXmlDoc data(&desc);
    data.Root()->SetTag("DATA");
    data.Root()->AddChild("PARAM")->SetTemplate(target);
    data.Root()->AddChild("PARAM")->SetAttr("TemplateID", "0");
    std::string text = writeText(data);
    EXPECT_NE(text.find("<PARAM TemplateID=\"17\"/>"), std::string::npos);
    EXPECT_NE(text.find("<PARAM TemplateID=\"-1\"/>"), std::string::npos);
    TXmlDoc back(&desc);
    ASSERT_TRUE(parse(back, text)) << back.LastError;
    EXPECT_EQ(back.Root()->Nodes.Items(0)->GetTemplate(), target);
    EXPECT_EQ(back.Root()->Nodes.Items(1)->GetTemplate(), nullptr);
}

TEST(XmlText, HostileInputNeverCrashes)
{
    TXmlDoc doc;
    doc.ShowErrors = false;
    std::string deep;
    for (int i = 0; i < 3000; ++i)
        deep += "<a>";
    EXPECT_FALSE(parse(doc, deep));
    EXPECT_NE(doc.LastError.find("Nodes nested deeper than 1000 levels"), std::string::npos);

    std::string ok;
    for (int i = 0; i < 1000; ++i)
        ok += "<a>";
    for (int i = 0; i < 1000; ++i)
        ok += "</a>";
    EXPECT_TRUE(parse(doc, ok)) << doc.LastError;

    std::string sample = "<?xml version=\"1.0\"?><r a=\"1\"><!-- c --><b c='2'>t<![CDATA[x]]></b></r>";
    for (size_t n = 0; n < sample.size(); ++n) {
        parse(doc, sample.substr(0, n));
        parse(doc, sample.substr(n));
    }
    std::string many = "<r";
    for (int i = 0; i < 20000; ++i)
        many += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
    many += "/>";
    ASSERT_TRUE(parse(doc, many));
    EXPECT_EQ(doc.Root()->Attrs.Count(), 20000);
}

// Attributes are stored inside their list and read by scanning a tag sixteen bytes at a time: every count of
// attributes around the list's growth steps and the name index, duplicates in any case, "=" and quotes inside
// values, entities, empty values and bytes above 127 come back in their order and byte for byte, in both forms.
TEST(XmlText, AttributesOfEveryCountKeepTheirOrderAndBytesInBothForms)
{
    std::string text = "<?xml version=\"1.0\"?>\r\n<R>";
    std::vector<std::vector<std::pair<std::string, std::string>>> expected;
    for (int count = 0; count <= 20; ++count) {
        std::vector<std::pair<std::string, std::string>> attrs;
        text += "<E" + std::to_string(count);
        for (int i = 0; i < count; ++i) {
            std::string name = "a" + std::to_string(i);
            std::string raw, value;
            switch (i % 5) {
            case 0: raw = "x=y"; value = "x=y"; break;
            case 1: raw = ""; value = ""; break;
            case 2: raw = "&lt;\xE9\xFF&amp;'&#65;"; value = "<\xE9\xFF&'A"; break;
            case 3: raw = std::string(i, '>') + "long enough to live outside the string itself"; value = raw; break;
            default: raw = std::to_string(i); value = raw;
            }
            text += (i % 2 ? "\t" : " ") + name + (i % 3 ? "=" : " = ") + "\"" + raw + "\"";
            attrs.emplace_back(name, value);
        }
        if (count % 4 == 3) {
            // A repeated name (in another case) keeps the first one's place and takes the later value.
            text += " A0='again'";
            attrs[0].second = "again";
        }
        text += count % 2 ? "/>" : "></E" + std::to_string(count) + ">";
        expected.push_back(attrs);
    }
    text += "</R>";

    TXmlDoc doc;
    ASSERT_TRUE(parse(doc, text)) << doc.LastError;
    ASSERT_EQ(doc.Root()->Nodes.Count(), 21);
    auto check = [&](TXmlDoc& d) {
        for (int count = 0; count <= 20; ++count) {
            const TXmlNode* e = d.Root()->Nodes.Items(count);
            ASSERT_EQ(e->Attrs.Count(), int(expected[size_t(count)].size())) << count;
            int i = 0;
            for (const auto& a : e->Attrs) {
                EXPECT_EQ(a->GetName(), expected[size_t(count)][size_t(i)].first) << count;
                EXPECT_EQ(a->GetValue(), expected[size_t(count)][size_t(i)].second) << count << " " << i;
                ++i;
            }
        }
    };
    check(doc);
    const std::string written = writeText(doc);
    TXmlDoc again;
    ASSERT_TRUE(parse(again, written)) << again.LastError;
    check(again);
    EXPECT_EQ(writeText(again), written);

    std::stringstream binary;
    ASSERT_TRUE(doc.SaveToStream(binary, true));
    TXmlDoc fromBinary;
    std::stringstream in(binary.str());
    ASSERT_TRUE(fromBinary.LoadFromStream(in, true)) << fromBinary.LastError;
    check(fromBinary);
    std::stringstream binaryAgain;
    ASSERT_TRUE(fromBinary.SaveToStream(binaryAgain, true));
    EXPECT_EQ(binaryAgain.str(), binary.str());
}

// Plain tags are read in one pass; anything else is read the general way. Tags at the edge between the two read
// as they always did.
TEST(XmlText, TagsAtTheEdgeOfThePlainFormReadAsBefore)
{
    std::string many = "<m";
    for (int i = 0; i < 33; ++i)
        many += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
    many += "/>";
    TXmlDoc doc;
    ASSERT_TRUE(parse(doc, "<R><a /><b x='1' /><c/d y=\"2\"/>< z=\"0\"/><e  f g = \"3\"></e>"
                           "<v a=\"x>y\" b='p\"q<'/>" + many + "<k\tt=\"1\"\r\n/></R>"))
        << doc.LastError;
    const TXmlNode* r = doc.Root();
    ASSERT_EQ(r->Nodes.Count(), 8);
    EXPECT_EQ(r->Nodes.Items(0)->GetTag(), "a");
    EXPECT_EQ(r->Nodes.Items(0)->Attrs.Count(), 0);
    EXPECT_EQ(r->Nodes.Items(1)->GetAttr("x"), "1");
    EXPECT_EQ(r->Nodes.Items(2)->GetTag(), "c/d");
    EXPECT_EQ(r->Nodes.Items(2)->GetAttr("y"), "2");
    EXPECT_EQ(r->Nodes.Items(3)->GetTag(), "");
    EXPECT_EQ(r->Nodes.Items(3)->GetAttr("z"), "0");
    EXPECT_EQ(r->Nodes.Items(4)->Attrs.Items(0)->GetName(), "f g");
    EXPECT_EQ(r->Nodes.Items(5)->GetAttr("a"), "x>y");
    EXPECT_EQ(r->Nodes.Items(5)->GetAttr("b"), "p\"q<");
    ASSERT_EQ(r->Nodes.Items(6)->Attrs.Count(), 33);
    EXPECT_EQ(r->Nodes.Items(6)->Attrs.Items(32)->GetName(), "n32");
    EXPECT_EQ(r->Nodes.Items(7)->GetAttr("t"), "1");

    doc.ShowErrors = false;
    EXPECT_FALSE(parse(doc, "<R><w a=\"1\" / ></R>"));
    EXPECT_NE(doc.LastError.find("Missing = when parsing attributes"), std::string::npos) << doc.LastError;
    EXPECT_FALSE(parse(doc, "<R><w a=\"1></R>"));
    EXPECT_NE(doc.LastError.find("Expected closing \" when parsing attributes"), std::string::npos) << doc.LastError;
}

// An element with content takes its attributes when it ends. Nested elements with content, read the plain way and
// the general way, end with theirs; a parse that stops inside them leaves every open element what it had read.
TEST(XmlText, ElementsWithContentKeepTheirAttributesWhenReadingStops)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    std::string many;   // more than the plain form's reader takes: read the general way
    for (int i = 0; i < 33; ++i)
        many += " m" + std::to_string(i) + "='" + std::to_string(i) + "'";
    const std::string head = "<R r='0'><A a='1' b='2'><B" + many + "><C c='3'>text<D d='4'/>";
    const std::string tail = "</C></B></A><E e='5'/></R>";
    auto check = [&](const TXmlDoc& doc, bool whole) {
        const TXmlNode* r = doc.Root();
        EXPECT_EQ(r->GetAttr("r"), "0");
        ASSERT_GE(r->Nodes.Count(), 1);
        const TXmlNode* a = r->Nodes.Items(0);
        EXPECT_EQ(a->Attrs.Count(), 2);
        EXPECT_EQ(a->GetAttr("b"), "2");
        const TXmlNode* b = a->Nodes.Items(0);
        ASSERT_EQ(b->Attrs.Count(), 33);
        EXPECT_EQ(b->Attrs.Items(32)->GetValue(), "32");
        const TXmlNode* c = b->Nodes.Items(0);
        EXPECT_EQ(c->GetAttr("c"), "3");
        EXPECT_EQ(c->GetText(), "text");
        EXPECT_EQ(c->Nodes.Items(0)->GetAttr("d"), "4");
        EXPECT_EQ(r->Nodes.Count(), whole ? 2 : 1);
    };

    TXmlDoc doc;
    ASSERT_TRUE(parse(doc, head + tail)) << doc.LastError;
    check(doc, true);
    // Stopped by a wrong end tag, by the end of the text, and by the user, with four elements open.
    for (const std::string& cut : {head + "</B>", head, head + "<F f='6'>"}) {
        EXPECT_FALSE(parse(doc, cut));
        check(doc, false);
    }
    doc.OnPosition = [&](int32_t pos) { return pos > int32_t(head.size()) - 5; };
    EXPECT_FALSE(parse(doc, head + tail));
    EXPECT_EQ(doc.LastError, "User break. Operation is not complited!");
    check(doc, false);
}
