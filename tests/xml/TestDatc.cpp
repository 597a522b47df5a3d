// The description compiler as the build uses it, and the compiled description with the committed sample data file.
#include "Version.h"
#include "platform/AtomicFile.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {
const std::string Datc = std::string(ORLANTIS_BIN_DIR) + "/datc";
const std::string Source = ORLANTIS_SOURCE_DIR;

struct TRun {
    int Status;
    std::string Out, Err;
};

class DatcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = fs::temp_directory_path() / ("orlantis-datc-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::string p = (Dir / name).string();
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }

    TRun Run(const std::string& args)
    {
        std::string out = (Dir / "stdout").string(), err = (Dir / "stderr").string();
        int rc = std::system((Datc + " " + args + " >" + out + " 2>" + err).c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadWholeFile(out), ReadWholeFile(err)};
    }

    fs::path Dir;
};

std::unique_ptr<TXmlDoc> loadBinary(const std::string& file, TXmlDoc* templ = nullptr)
{
    auto doc = std::make_unique<TXmlDoc>(templ);
    doc->ShowErrors = false;
    EXPECT_TRUE(doc->LoadFromFile(file, true)) << file << ": " << doc->LastError;
    return doc;
}

std::unique_ptr<TXmlDoc> parseText(const std::string& text)
{
    auto doc = std::make_unique<TXmlDoc>();
    doc->ShowErrors = false;
    doc->XmlText = text;
    EXPECT_TRUE(doc->ParseText()) << doc->LastError;
    return doc;
}

// Tag, text, attributes in order (but "MaxNodeID") and children.
std::string shape(const TXmlNode& n)
{
    std::string s = "<" + n.GetTag();
    for (const auto& a : n.Attrs)
        if (a->GetName() != "MaxNodeID")
            s += " " + a->GetName() + "=" + a->GetValue();
    s += ">" + n.GetText();
    for (const auto& c : n.Nodes)
        s += shape(*c);
    return s + "</>";
}
}

// The assembly rule of docs/description.md: an element named as one already under the same parent is merged into
// it (attributes it lacks are added, children go the same way), any other is appended.
void addOrMerge(TXmlNode& target, std::unique_ptr<TXmlNode> node)
{
    const TXmlAttribute* name = node->Attrs.FindExact("Name");
    TXmlNode* into = nullptr;
    for (const auto& c : target.Nodes) {
        const TXmlAttribute* other = c->Attrs.FindExact("Name");
        if (!into && name && other && c->GetTag() == node->GetTag() && other->GetValue() == name->GetValue())
            into = c.get();
    }
    if (!into) {
        target.AddChild(std::move(node));
        return;
    }
    for (const auto& a : node->Attrs)
        if (!into->Attrs.FindExact(a->GetName()))
            into->Attrs.AddRaw(a->GetName(), a->GetValue());
    while (node->Nodes.Count() > 0)
        addOrMerge(*into, node->Nodes.Extract(0));
}

TEST_F(DatcTest, CompileThenDumpGivesBackTheSourceTree)
{
    std::string src = Source + "/data/description/00-root.xml";
    std::string out = (Dir / "d.dat").string();
    TRun r = Run("compile " + src + " -o " + out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    TRun d = Run("dump " + out);
    ASSERT_EQ(d.Status, 0) << d.Err;
    auto dumped = parseText(d.Out);
    auto original = parseText(ReadWholeFile(src));
    EXPECT_EQ(shape(*dumped->Root()), shape(*original->Root()));
    EXPECT_EQ(dumped->GetMaxNodeID(), 3);
}

TEST_F(DatcTest, AssemblesSourcesAndGivesMissingIDsAboveTheMaximum)
{
    std::string a = Write("a.xml", "<R ID='1' Name='Top'><A/><!-- c --></R>");
    std::string b = Write("b.xml", "<R Other='ignored'><B ID='10'/><C><D/></C></R>");
    std::string out = (Dir / "out.dat").string();
    TRun r = Run("compile " + a + " " + b + " -o " + out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    auto doc = loadBinary(out);
    EXPECT_EQ(shape(*doc->Root()),
        "<R ID=1 Name=Top><A ID=11></><B ID=10></><C ID=12><D ID=13></></></>");
    EXPECT_EQ(doc->GetMaxNodeID(), 13);

    // A later root with another tag, duplicate IDs and bad IDs are refused, and the old output stays.
    std::string before = ReadWholeFile(out);
    struct TCase {
        std::string File, Message;
    } cases[] = {
        {Write("x.xml", "<X><E/></X>"), "root element <X> differs from <R> of " + a},
        {Write("dup.xml", "<R><E ID='10'/></R>"), "duplicate ID 10 in " + b + " and " + (Dir / "dup.xml").string()},
        {Write("bad.xml", "<R><E ID='ten'/></R>"), "bad ID \"ten\""},
        {Write("broken.xml", "<R><E></R>"), "Wrong name of end tag"},
        {(Dir / "missing.xml").string(), "Cannot open file"},
    };
    for (const TCase& c : cases) {
        TRun bad = Run("compile " + a + " " + b + " " + c.File + " -o " + out);
        EXPECT_EQ(bad.Status, 1) << c.File;
        EXPECT_NE(bad.Err.find(c.Message), std::string::npos) << bad.Err;
    }
    EXPECT_EQ(ReadWholeFile(out), before);

    // A text too long for the binary form stops the compile with a message.
    std::string longText = Write("long.xml", "<R><E Script='" + std::string(300, 'x') + "'/></R>");
    TRun tooLong = Run("compile " + a + " " + longText + " -o " + out);
    EXPECT_EQ(tooLong.Status, 1);
    EXPECT_NE(tooLong.Err.find("Text too long"), std::string::npos) << tooLong.Err;
    EXPECT_EQ(ReadWholeFile(out), before);

    EXPECT_EQ(Run("").Status, 2);
    EXPECT_EQ(Run("compile " + a).Status, 2);
    EXPECT_EQ(Run("dump").Status, 2);
    EXPECT_EQ(Run("frobnicate x").Status, 2);
    EXPECT_EQ(Run("dump " + a).Status, 1);   // text is no binary document
}

TEST_F(DatcTest, FixIdsWritesOnlyTheMissingIDs)
{
    std::string a = Write("a.xml",
        "<?xml version=\"1.0\"?>\n<!-- <R><fake/></R> -->\n<R ID=\"1\">\n  <A Name=\"x > y\" />\n"
        "  <![CDATA[<notanode/>]]>\n  <B\n    Name='b'>text</B>\n</R>\n");
    std::string b = Write("b.xml", "<R Other='1'>\n  <C ID=\"7\"/><D></D>\n</R>\n");
    TRun r = Run("--fix-ids " + a + " " + b);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadWholeFile(a),
        "<?xml version=\"1.0\"?>\n<!-- <R><fake/></R> -->\n<R ID=\"1\">\n  <A Name=\"x > y\" ID=\"8\" />\n"
        "  <![CDATA[<notanode/>]]>\n  <B\n    Name='b' ID=\"9\">text</B>\n</R>\n");
    EXPECT_EQ(ReadWholeFile(b), "<R Other='1'>\n  <C ID=\"7\"/><D ID=\"10\"></D>\n</R>\n");
    // A second run has nothing to do; compiling gives the same IDs.
    ASSERT_EQ(Run("--fix-ids " + a + " " + b).Status, 0);
    EXPECT_EQ(ReadWholeFile(b), "<R Other='1'>\n  <C ID=\"7\"/><D ID=\"10\"></D>\n</R>\n");
    std::string out = (Dir / "o.dat").string();
    ASSERT_EQ(Run("compile " + a + " " + b + " -o " + out).Status, 0);
    EXPECT_EQ(loadBinary(out)->GetMaxNodeID(), 10);

    // With a block of its own, new IDs go above the largest ID in that block.
    std::string c = Write("c.xml", "<R><E ID='300005'/><F/></R>");
    ASSERT_EQ(Run("--fix-ids --first-id 300000 " + a + " " + b + " " + c).Status, 0);
    EXPECT_EQ(ReadWholeFile(c), "<R><E ID='300005'/><F ID=\"300006\"/></R>");
    std::string d = Write("d.xml", "<R><G/></R>");
    ASSERT_EQ(Run("--fix-ids --first-id 200000 " + a + " " + b + " " + c + " " + d).Status, 0);
    EXPECT_EQ(ReadWholeFile(d), "<R><G ID=\"200000\"/></R>");
}

TEST_F(DatcTest, MergesALaterElementIntoTheOneOfTheSameTagAndName)
{
    std::string a = Write("a.xml",
        "<R ID='1'><P Name='Tree' ID='2'><P Name='Group' Kind='g' ID='3'><S Name='Old' ID='4'/>"
        "<P Name='Slot' ID='5'/></P><STEP ID='6'/></P><Q Name='Tree' ID='7'/></R>");
    // Elements named as existing ones go inside them (at any depth); nameless ones (steps) are always appended;
    // a merged element may add attributes the existing one lacks, and takes no ID.
    std::string b = Write("b.xml",
        "<R>\n <P Name='Tree'>\n  <P Name='Group' Kind='g'>\n   <S Name='New'/>\n"
        "   <P Name='Slot' Start='x'><A Name='v'/></P>\n  </P>\n  <STEP/>\n </P>\n <P Name='Other'/>\n</R>\n");
    std::string out = (Dir / "m.dat").string();
    TRun r = Run("compile " + a + " " + b + " -o " + out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(shape(*loadBinary(out)->Root()),
        "<R ID=1><P Name=Tree ID=2><P Name=Group Kind=g ID=3><S Name=Old ID=4></><P Name=Slot ID=5 Start=x>"
        "<A Name=v ID=8></></><S Name=New ID=9></></><STEP ID=6></><STEP ID=10></></><Q Name=Tree ID=7></>"
        "<P Name=Other ID=11></></>");

    ASSERT_EQ(Run("--fix-ids --first-id 50 " + a + " " + b).Status, 0) << r.Err;
    EXPECT_EQ(ReadWholeFile(b),
        "<R>\n <P Name='Tree'>\n  <P Name='Group' Kind='g'>\n   <S Name='New' ID=\"51\"/>\n"
        "   <P Name='Slot' Start='x'><A Name='v' ID=\"50\"/></P>\n  </P>\n  <STEP ID=\"52\"/>\n </P>\n"
        " <P Name='Other' ID=\"53\"/>\n</R>\n");

    // An attribute that disagrees with the existing element's stops the build.
    std::string c = Write("c.xml", "<R><P Name='Tree'><P Name='Group' Kind='h'/></P></R>");
    TRun bad = Run("compile " + a + " " + c + " -o " + out);
    EXPECT_EQ(bad.Status, 1);
    EXPECT_NE(bad.Err.find("\"Group\" cannot be merged: its \"Kind\" is \"h\""), std::string::npos) << bad.Err;
}

// A derived tree is the tree it names, as assembled from every source, with the stated differences applied; each
// copied node's ID is its source node's plus the derivation's offset, and only the nodes it adds carry IDs of
// their own.
TEST_F(DatcTest, DerivesATreeFromAnotherWithItsDifferencesAndOffsetIDs)
{
    std::string a = Write("a.xml",
        "<R ID='1'><T Name='New' Kind='n' ID='2'><S Name='One' Stop='x' Drop='y' ID='3'><V Name='Cell' ID='4'/></S>"
        "<S Name='Two' ID='5'/><S Name='Slot' ID='6'/></T></R>");
    std::string b = Write("b.xml",
        "<R>\n <DERIVE Name='Old' From='New' IDOffset='20000000'>\n"
        "  <AT Name='One'><SET Attr='Stop' Value='z'/><SET Attr='Extra' Value='e'/><UNSET Attr='Drop'/></AT>\n"
        "  <REMOVE Name='Two'/>\n  <ADD Before='Slot'><S Name='Only Old'><V Name='Cell'/></S></ADD>\n"
        " </DERIVE>\n</R>\n");
    // A later source still reaches the new tree, and so the derived one.
    std::string c = Write("c.xml", "<R><T Name='New'><S Name='Slot'><V Name='Late' ID='7'/></S></T></R>");
    ASSERT_EQ(Run("--fix-ids --first-id 300 " + a + " " + b + " " + c).Status, 0);
    EXPECT_EQ(ReadWholeFile(b),
        "<R>\n <DERIVE Name='Old' From='New' IDOffset='20000000'>\n"
        "  <AT Name='One'><SET Attr='Stop' Value='z'/><SET Attr='Extra' Value='e'/><UNSET Attr='Drop'/></AT>\n"
        "  <REMOVE Name='Two'/>\n  <ADD Before='Slot'><S Name='Only Old' ID=\"300\"><V Name='Cell' ID=\"301\"/></S></ADD>\n"
        " </DERIVE>\n</R>\n");
    std::string out = (Dir / "d.dat").string();
    TRun r = Run("compile " + a + " " + b + " " + c + " -o " + out);
    ASSERT_EQ(r.Status, 0) << r.Err;
    auto doc = loadBinary(out);
    EXPECT_EQ(shape(*doc->Root()),
        "<R ID=1><T Name=New Kind=n ID=2><S Name=One Stop=x Drop=y ID=3><V Name=Cell ID=4></></>"
        "<S Name=Two ID=5></><S Name=Slot ID=6><V Name=Late ID=7></></></>"
        "<T Name=Old Kind=n ID=20000002><S Name=One Stop=z ID=20000003 Extra=e><V Name=Cell ID=20000004></></>"
        "<S Name=Only Old ID=300><V Name=Cell ID=301></></><S Name=Slot ID=20000006><V Name=Late ID=20000007></></></></>");
    EXPECT_EQ(doc->GetMaxNodeID(), 20000007);

    // Every fault stops the build with a message, and the old output stays.
    std::string before = ReadWholeFile(out);
    int made = 0;
    auto bad = [&](const std::string& text) { return Write("bad" + std::to_string(++made) + ".xml", text); };
    auto derive = [&](const std::string& body, const std::string& attrs = "Name='Old' From='New' IDOffset='20000000'") {
        return bad("<R><DERIVE " + attrs + ">" + body + "</DERIVE></R>");
    };
    // A derivation of its own (named "Old" too) is checked without b.xml's.
    struct TCase {
        std::string File, Message;
        bool WithB;
    } cases[] = {
        {derive("<AT Name='Three'/>"), "\"Old\" has no child \"Three\"", false},
        {derive("<AT Name='One'><REMOVE Name='Cell' Tag='X'/></AT>"), "\"Old\" / \"One\" has no child \"Cell\" <X>",
            false},
        {derive("<AT Name='One'><UNSET Attr='Missing'/></AT>"), "has no attribute \"Missing\" to remove", false},
        {derive("<SET Attr='ID' Value='9'/>"), "<SET> cannot change an \"ID\"", false},
        {derive("<AT Name='One' ID='40'/>"), "<AT> takes no attribute \"ID\"", false},
        {derive("<MOVE Name='One'/>"), "<MOVE> is no element of a derivation", false},
        {derive("<REMOVE Name='One'><X/></REMOVE>"), "<REMOVE> holds no elements", false},
        {derive("<ADD><S Name='Clash' ID='3'/></ADD>"), "duplicate ID 3", false},
        {derive("", "Name='Old' From='Gone' IDOffset='20000000'"), "there is no top-level element \"Gone\"", false},
        {derive("", "Name='Old' From='New' IDOffset='12345'"),
            "\"IDOffset\" 12345 is no positive multiple of 10000000", false},
        {derive("", "Name='Old' From='New'"), "<DERIVE> needs the attribute \"IDOffset\"", false},
        {derive("", "Name='Old' From='New' IDOffset='30000000'"), "has another top-level element of that name", true},
        {derive("", "Name='Older' From='New' IDOffset='20000000'"), "has the \"IDOffset\" 20000000 of \"Old\"", true},
        {derive("", "Name='Oldest' From='Old' IDOffset='40000000'"), "\"Old\" is itself derived", true},
        {bad("<R><T Name='Old'><S Name='Hand Made'/></T></R>"), "has another top-level element of that name",
            true},
        {bad("<R><T Name='X'><DERIVE Name='Y' From='New' IDOffset='40000000'/></T></R>"),
            "must be a child of the file's root element", false},
        {bad("<R><T Name='Big' ID='10000000'/></R>"), "ID 10000000 is not below 10000000", false},
    };
    for (const TCase& k : cases) {
        TRun refused = Run("compile " + a + " " + (k.WithB ? b + " " : "") + c + " " + k.File + " -o " + out);
        EXPECT_EQ(refused.Status, 1) << ReadWholeFile(k.File);
        EXPECT_NE(refused.Err.find(k.Message), std::string::npos) << ReadWholeFile(k.File) << "\n" << refused.Err;
    }
    EXPECT_EQ(ReadWholeFile(out), before);
}

TEST(Description, CompiledDocumentCarriesTheProgramsTemplateVersion)
{
    auto desc = loadBinary(std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat");
    ASSERT_NE(desc->Root(), nullptr);
    EXPECT_FALSE(desc->Root()->GetName().empty());
    EXPECT_EQ(desc->Root()->GetAttr("TemplateVersion"), ORLANTIS_TEMPLATE_VERSION);
    EXPECT_EQ(desc->Root()->GetID(), 1);
    EXPECT_GE(desc->GetMaxNodeID(), 3);
}

TEST(Description, CommittedSampleDataFileLinksToTheBuiltDescription)
{
    auto desc = loadBinary(std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat");
    auto data = loadBinary(Source + "/tests/data/sample.sav", desc.get());
    TXmlNode* root = data->Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetTemplate(), desc->Root());
    TXmlNode* group = data->FindNode(nullptr, "Data File", "PARAM");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetTemplate(), desc->FindNode(nullptr, "Data File", "PARAM"));
    TXmlNode* version = data->FindNode(group, "TemplateVersion", "ATTR");
    ASSERT_NE(version, nullptr);
    ASSERT_NE(version->GetTemplate(), nullptr);
    EXPECT_EQ(version->GetTemplate()->GetID(), 3);
    EXPECT_EQ(version->GetTemplate()->GetName(), "TemplateVersion");
    EXPECT_EQ(data->FindNode(nullptr, "Unknown")->GetTemplate(), nullptr);
    EXPECT_EQ(data->FindNode(nullptr, "Unknown")->GetValue(), "'ABC' &amp; A&B");
    EXPECT_EQ(data->FindNode(nullptr, "Unlinked")->GetTemplate(), nullptr);
}

TEST_F(DatcTest, EveryDescriptionSourceNodeCarriesItsIDAndCompilesBackToItself)
{
    std::vector<fs::path> sources;
    for (const auto& e : fs::directory_iterator(Source + "/data/description"))
        if (e.path().extension() == ".xml")
            sources.push_back(e.path());
    std::sort(sources.begin(), sources.end());
    ASSERT_FALSE(sources.empty());

    // IDs must stand in the sources, so that data files keep their links from one build to the next.
    std::string copies;
    for (const fs::path& p : sources) {
        fs::copy_file(p, Dir / p.filename());
        copies += " " + (Dir / p.filename()).string();
    }
    TRun fix = Run("--fix-ids" + copies);
    ASSERT_EQ(fix.Status, 0) << fix.Err;
    for (const fs::path& p : sources)
        EXPECT_EQ(ReadWholeFile((Dir / p.filename()).string()), ReadWholeFile(p.string()))
            << p.filename() << " has nodes without \"ID\": run build/bin/datc --fix-ids data/description/*.xml";

    // The compiled document dumps back as the first root holding every source's children in order.
    std::string out = (Dir / "all.dat").string();
    TRun c = Run("compile" + copies + " -o " + out);
    ASSERT_EQ(c.Status, 0) << c.Err;
    TRun d = Run("dump " + out);
    ASSERT_EQ(d.Status, 0) << d.Err;
    // Derived trees are left out on both sides: the description test checks them against their rule.
    auto dumped = parseText(d.Out);
    auto expected = parseText(ReadWholeFile(sources[0].string()));
    for (size_t i = 1; i < sources.size(); ++i) {
        auto part = parseText(ReadWholeFile(sources[i].string()));
        while (part->Root()->Nodes.Count() > 0) {
            auto child = part->Root()->Nodes.Extract(0);
            if (child->GetTag() == "DERIVE")
                dumped->Root()->RemoveChild(dumped->Root()->Nodes.FindByName(child->GetName()));
            else
                addOrMerge(*expected->Root(), std::move(child));
        }
    }
    EXPECT_EQ(shape(*dumped->Root()), shape(*expected->Root()));
    EXPECT_EQ(dumped->NodeCount(), expected->NodeCount());
}
