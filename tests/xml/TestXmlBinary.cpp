// The binary file form and the load/save entry points: exact bytes, round trips, "TemplateID" links, error
// reporting, atomic saves, and hostile files.
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string hex(const std::string& s)
{
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        snprintf(buf, sizeof buf, "%02x ", c);
        out += buf;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

std::string saveToString(TXmlDoc& doc, bool binary = true)
{
    std::stringstream out;
    EXPECT_TRUE(doc.SaveToStream(out, binary)) << doc.LastError;
    return out.str();
}

bool loadFromString(TXmlDoc& doc, const std::string& data, bool binary = true)
{
    std::stringstream in(data);
    return doc.LoadFromStream(in, binary);
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TempDir {
public:
    TempDir()
    {
        Path = fs::temp_directory_path() / ("orlantis-xml-" + std::to_string(getpid()) + "-" + std::to_string(Next++));
        fs::create_directories(Path);
    }
    ~TempDir() { fs::remove_all(Path); }
    fs::path Path;
    static inline int Next = 0;
};

// Description: root (ID 1) with PARAM "Mailbox" (ID 17) holding ATTR "Number" (ID 18).
void fillDescription(TXmlDoc& desc)
{
    desc.Root()->SetTag("ORLANTIS");
    desc.Root()->SetName("Orlantis Description");
    desc.Root()->SetID(1);
    TXmlNode* p = desc.Root()->AddChild("PARAM");
    p->SetName("Mailbox");
    p->SetID(17);
    TXmlNode* a = p->AddChild("ATTR");
    a->SetName("Number");
    a->SetID(18);
    desc.SetMaxNodeID(18);
}

void fillSample(TXmlDoc& doc)
{
    doc.Prolog.AddRaw("version", "1.0");
    doc.Root()->SetTag("DATA");
    doc.Root()->SetRawText("root text");
    for (int i = 0; i < 3; ++i) {
        TXmlNode* p = doc.Root()->AddChild("PARAM");
        p->Attrs.AddRaw("Name", "Group " + std::to_string(i));
        p->Attrs.AddRaw("Value", "'ABC'");
        p->Attrs.AddRaw("Text", "A&amp;B <\"x\">");
        p->AddChild("ATTR")->Attrs.AddRaw("Name", std::string("bytes \x01\xff\x80", 9));
    }
    doc.AssignIDs(nullptr);
}

// Processors with AVX2 read images with a reader of their own; each test that runs under this reads with the one
// chosen (on a processor without AVX2 both choices read with the portable reader).
class TReaderChoice {
public:
    explicit TReaderChoice(bool Avx2) : FOld(XmlBinaryReadsWithAvx2.exchange(Avx2)) {}
    ~TReaderChoice() { XmlBinaryReadsWithAvx2 = FOld; }
    TReaderChoice(const TReaderChoice&) = delete;
    TReaderChoice& operator=(const TReaderChoice&) = delete;

private:
    bool FOld;
};

void expectSameTree(const TXmlNode& a, const TXmlNode& b)
{
    EXPECT_EQ(a.GetTag(), b.GetTag());
    EXPECT_EQ(a.GetText(), b.GetText());
    ASSERT_EQ(a.Attrs.Count(), b.Attrs.Count()) << a.GetTag();
    for (int i = 0; i < a.Attrs.Count(); ++i) {
        EXPECT_EQ(a.Attrs.Items(i)->GetName(), b.Attrs.Items(i)->GetName());
        EXPECT_EQ(a.Attrs.Items(i)->GetValue(), b.Attrs.Items(i)->GetValue());
    }
    ASSERT_EQ(a.Nodes.Count(), b.Nodes.Count());
    for (int i = 0; i < a.Nodes.Count(); ++i)
        expectSameTree(*a.Nodes.Items(i), *b.Nodes.Items(i));
}
}

TEST(XmlBinary, EmptyDocumentIsTwentySevenBytes)
{
    TXmlDoc doc;
    std::string data = saveToString(doc);
    EXPECT_EQ(hex(data), "f7 ba 01 00 04 10 8d 1d b1 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");

    TXmlDoc back;
    EXPECT_TRUE(loadFromString(back, data));
    EXPECT_EQ(back.NodeCount(), 1);
    EXPECT_EQ(back.Root()->GetTag(), "");
}

TEST(XmlBinary, RoundTripKeepsTreeOrderAndRawValues)
{
    TXmlDoc doc;
    fillSample(doc);
    std::string data = saveToString(doc);
    TXmlDoc back;
    ASSERT_TRUE(loadFromString(back, data)) << back.LastError;
    EXPECT_EQ(back.Prolog.Find("version")->GetValue(), "1.0");
    expectSameTree(*doc.Root(), *back.Root());
    EXPECT_EQ(back.GetMaxNodeID(), 7);
    EXPECT_EQ(back.Root()->Nodes.Items(2)->GetID(), 6);
    // Saving what was loaded gives the same bytes.
    EXPECT_EQ(saveToString(back), data);
    // Loaded again over what a document held: its root keeps the storage of a list with a value on the heap
    // through the clear, and the loaded root's attributes take its place.
    TXmlDoc reused;
    for (int i = 0; i < 5; ++i)
        reused.Root()->Attrs.AddRaw("A" + std::to_string(i), std::string(40, 'x'));
    ASSERT_TRUE(loadFromString(reused, data));
    expectSameTree(*doc.Root(), *reused.Root());

    // Clone and merge keep 'ABC' and A&amp;B through a second save and load.
    TXmlDoc copy;
    copy.Root()->Merge(*back.Root()->Nodes.Items(0), true);
    copy.Root()->AddChild(back.Root()->Nodes.Items(1)->Clone(true));
    TXmlDoc copyBack;
    ASSERT_TRUE(loadFromString(copyBack, saveToString(copy)));
    for (TXmlNode* n : {copyBack.Root()->Nodes.Items(0), copyBack.Root()->Nodes.Items(1)}) {
        EXPECT_EQ(n->GetValue(), "'ABC'");
        EXPECT_EQ(n->GetAttr("Text"), "A&amp;B <\"x\">");
    }
}

TEST(XmlBinary, TemplateLinksTravelAsIDs)
{
    TXmlDoc desc;
    fillDescription(desc);
    TXmlNode* mailbox = desc.FindByID(nullptr, 17);
    TXmlDoc data(&desc);
    auto linked = mailbox->CloneLinked({"ATTR"}, true);
    TXmlNode* p = linked.get();
    data.Root()->AddChild(std::move(linked));
    TXmlNode* orphan = data.Root()->AddChild("PARAM");
    {
        TXmlNode gone("PARAM");
        orphan->SetTemplate(&gone);   // a link whose node has died
    }
    data.Root()->AddChild("PARAM")->SetTemplate(desc.Root()->AddChild("NOID"));

    std::string file = saveToString(data);
    // In the file the link is the ID "17", whatever the handle in memory was.
    TXmlDoc raw;
    ASSERT_TRUE(loadFromString(raw, file));
    EXPECT_EQ(raw.Root()->Nodes.Items(0)->GetAttr("TemplateID"), "17");
    EXPECT_EQ(raw.Root()->Nodes.Items(0)->Nodes.Items(0)->GetAttr("TemplateID"), "18");
    EXPECT_EQ(raw.Root()->Nodes.Items(1)->GetAttr("TemplateID"), "-1");
    EXPECT_EQ(raw.Root()->Nodes.Items(2)->GetAttr("TemplateID"), "-1");
    EXPECT_NE(p->GetAttr("TemplateID"), "17");

    TXmlDoc back(&desc);
    ASSERT_TRUE(loadFromString(back, file));
    EXPECT_EQ(back.Root()->Nodes.Items(0)->GetTemplate(), mailbox);
    EXPECT_EQ(back.Root()->Nodes.Items(0)->Nodes.Items(0)->GetTemplate(), mailbox->Nodes.Items(0));
    // -1 and 0 link to nothing, not to the first node without "ID".
    EXPECT_EQ(back.Root()->Nodes.Items(1)->GetTemplate(), nullptr);
    EXPECT_EQ(back.Root()->Nodes.Items(1)->GetAttr("TemplateID"), "0");
    raw.Root()->Nodes.Items(1)->SetAttr("TemplateID", "0");
    raw.Root()->Nodes.Items(2)->SetAttr("TemplateID", "999");
    TXmlDoc again(&desc);
    ASSERT_TRUE(loadFromString(again, saveToString(raw)));
    EXPECT_EQ(again.Root()->Nodes.Items(1)->GetTemplate(), nullptr);
    EXPECT_EQ(again.Root()->Nodes.Items(2)->GetTemplate(), nullptr);

    // A link that is no number fails the load with the conversion message.
    raw.Root()->Nodes.Items(1)->SetAttr("TemplateID", "x");
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TXmlDoc bad(&desc);
    EXPECT_FALSE(loadFromString(bad, saveToString(raw)));
    EXPECT_EQ(bad.LastError, "'x' is not a valid integer value");
}

TEST(XmlBinary, FailuresReportOnceAndReturnFalse)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TXmlDoc doc;
    int results = 0;
    doc.OnResult = [&](bool failed) { results += failed ? 1 : 100; };

    EXPECT_FALSE(loadFromString(doc, std::string("\xf8\xba\x01\x00", 4) + std::string(30, '\0')));
    EXPECT_EQ(doc.LastError, "This file isn't binary XML file");
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].Text, "This file isn't binary XML file");
    EXPECT_EQ(dialogs.Boxes[0].Buttons, unsigned(mbOK));
    EXPECT_EQ(results, 1);

    TXmlDoc empty;
    std::string good = saveToString(empty);
    std::string wrongVersion = good;
    wrongVersion[8] ^= 1;
    EXPECT_FALSE(loadFromString(doc, wrongVersion));
    EXPECT_EQ(doc.LastError, "Wrong binary XML file version");
    EXPECT_FALSE(loadFromString(doc, good.substr(0, 20)));
    EXPECT_EQ(doc.LastError, "Stream read error");
    EXPECT_EQ(results, 3);

    EXPECT_TRUE(loadFromString(doc, good));
    EXPECT_EQ(doc.LastError, "");
    EXPECT_EQ(results, 3);   // success does not call OnResult

    EXPECT_FALSE(doc.LoadFromFile("/nonexistent/folder/x.sav", true));
    EXPECT_NE(doc.LastError.find("Cannot open file \"/nonexistent/folder/x.sav\""), std::string::npos);
    EXPECT_FALSE(doc.SaveToFile("/nonexistent/folder/x.sav", true));
    EXPECT_NE(doc.LastError.find("Cannot create file"), std::string::npos);
    EXPECT_EQ(dialogs.Boxes.size(), 5u);

    doc.ShowErrors = false;
    EXPECT_FALSE(loadFromString(doc, "junk"));
    EXPECT_EQ(dialogs.Boxes.size(), 5u);
}

TEST(XmlBinary, TooLongTextFailsTheSaveClearly)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TXmlDoc doc;
    doc.Root()->SetAttr("Script", std::string(255, 'x'));
    std::stringstream ok;
    EXPECT_TRUE(doc.SaveToStream(ok, true));
    doc.Root()->SetAttr("Script", std::string(256, 'y'));
    std::stringstream out;
    EXPECT_FALSE(doc.SaveToStream(out, true));
    EXPECT_EQ(out.str(), "");   // nothing half-written
    EXPECT_NE(doc.LastError.find("Text too long for a binary XML file (256 bytes, at most 255)"), std::string::npos);
}

TEST(XmlBinary, FileSaveReplacesOnlyWhenCompleteAndCancelKeepsTheOldFile)
{
    TempDir dir;
    fs::path file = dir.Path / "data.sav";
    TXmlDoc doc;
    fillSample(doc);
    ASSERT_TRUE(doc.SaveToFile(file.string(), true)) << doc.LastError;
    std::string old = readFile(file);
    EXPECT_EQ(old, saveToString(doc));

    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    doc.Root()->SetAttr("Changed", "yes");
    int started = 0, steps = 0;
    bool failed = false;
    doc.OnStart = [&](int32_t total) { started = total; };
    doc.OnProgress = [&](int32_t delta) { steps += delta; return steps == 3; };
    doc.OnResult = [&](bool f) { failed = f; };
    doc.Operation = TXmlDoc::opSaveToFile;
    doc.FileName = file.string();
    std::vector<std::string> messages;
    doc.OnMessage = [&](const std::string& m) { messages.push_back(m); };
    doc.Execute();
    EXPECT_EQ(messages, std::vector<std::string>{"Save data to file"});
    EXPECT_EQ(started, 7);
    EXPECT_TRUE(failed);
    EXPECT_EQ(doc.LastError, "User break. Operation is not complited!");
    EXPECT_EQ(dialogs.LastText(), "User break. Operation is not complited!");
    EXPECT_EQ(readFile(file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);   // no temporary left

    // A save whose file cannot be replaced (the name is a folder) keeps what is there, too.
    fs::create_directory(dir.Path / "folder.sav");
    doc.OnProgress = nullptr;
    EXPECT_FALSE(doc.SaveToFile((dir.Path / "folder.sav").string(), true));
    EXPECT_TRUE(fs::is_directory(dir.Path / "folder.sav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 2);

    // The progress reaches every node, the root last; a load reports the same count.
    steps = 0;
    doc.OnProgress = [&](int32_t delta) { steps += delta; return false; };
    ASSERT_TRUE(doc.SaveToFile(file.string(), true));
    EXPECT_EQ(steps, 7);
    TXmlDoc back;
    int loadSteps = 0;
    back.OnStart = [&](int32_t total) { started = total; };
    back.OnProgress = [&](int32_t d) { loadSteps += d; return false; };
    back.Operation = TXmlDoc::opLoadFromFile;
    back.FileName = file.string();
    back.Execute();
    EXPECT_EQ(back.LastError, "");
    EXPECT_EQ(loadSteps, 7);
    EXPECT_EQ(back.Root()->GetAttr("Changed"), "yes");
}

TEST(XmlBinary, StreamOperationsRunThroughExecute)
{
    TXmlDoc doc;
    fillSample(doc);
    std::stringstream stream;
    doc.Operation = TXmlDoc::opSaveToStream;
    doc.Stream = &stream;
    doc.Execute();
    EXPECT_EQ(doc.LastError, "");
    TXmlDoc back;
    std::string message;
    back.OnMessage = [&](const std::string& m) { message = m; };
    back.Operation = TXmlDoc::opLoadFromStream;
    back.Stream = &stream;
    back.Execute();
    EXPECT_EQ(message, "Load data from stream");
    expectSameTree(*doc.Root(), *back.Root());
}

static void expectDuplicatesMerged()
{
    TXmlDoc doc;
    doc.Root()->Attrs.AddRaw("Name", "first");
    doc.Root()->Attrs.AddRaw("NAME", "second");
    for (int i = 0; i < 40; ++i)
        doc.Root()->Attrs.AddRaw("A" + std::to_string(i % 20), std::to_string(i));
    TXmlDoc back;
    ASSERT_TRUE(loadFromString(back, saveToString(doc)));
    EXPECT_EQ(back.Root()->Attrs.Count(), 21);
    EXPECT_EQ(back.Root()->GetName(), "second");
    EXPECT_EQ(back.Root()->GetAttr("A3"), "23");

    // Short lists and long ones are searched differently: on both sides of the change, a later attribute gives its
    // value to the first of its name (ASCII letters without case, any other byte exactly) and takes no place.
    for (int count : {3, 4, 8, 9, 14, 15, 16, 17}) {
        TXmlDoc dup;
        TXmlAttrList& list = dup.Root()->AddChild("N")->Attrs;
        for (int i = 0; i + 1 < count; ++i)
            list.AddRaw(i == 0 ? "@x" : "k" + std::to_string(i), "v" + std::to_string(i));
        list.AddRaw(count % 2 ? "`X" : "K1", "last");
        TXmlDoc again;
        ASSERT_TRUE(loadFromString(again, saveToString(dup))) << count;
        const TXmlAttrList& read = again.Root()->Nodes.Items(0)->Attrs;
        if (count % 2) {
            // "@" and "`" differ in the bit that case folding ignores for letters only.
            EXPECT_EQ(read.Count(), count) << count;
            EXPECT_EQ(read.Items(count - 1)->GetValue(), "last") << count;
            EXPECT_EQ(read.Items(0)->GetValue(), "v0") << count;
        } else {
            EXPECT_EQ(read.Count(), count - 1) << count;
            EXPECT_EQ(read.Items(1)->GetName(), "k1") << count;
            EXPECT_EQ(read.Items(1)->GetValue(), "last") << count;
            EXPECT_EQ(read.Items(count - 2)->GetValue(), "v" + std::to_string(count - 2)) << count;
        }
    }
}

// Names met in a list are first held against a mark of their length and first letter: names that share it but
// differ are all kept, and a repeated name is found among any number that share its mark, in a short list (read
// straight through, at most eight) and a longer one alike, and among long names too.
static void expectNamesSharingAMarkKeptApart()
{
    const struct {
        std::vector<std::string> Names;
        std::string Read;
    } cases[] = {
        {{"ab", "aC", "Ab", "", "AC", "b", "", "a@", "a`"}, "[ab=2][aC=4][=6][b=5][a@=7][a`=8]"},
        {{"ab", "aC", "Ab", "", "AC", "b", "", "a@"}, "[ab=2][aC=4][=6][b=5][a@=7]"},
        {{"", "x", ""}, "[=2][x=1]"},
        {{"LongAttributeName1", "x", "longattributename1", "LongAttributeName2"},
            "[LongAttributeName1=2][x=1][LongAttributeName2=3]"},
    };
    for (const auto& c : cases) {
        TXmlDoc doc;
        TXmlAttrList& list = doc.Root()->AddChild("N")->Attrs;
        for (size_t i = 0; i < c.Names.size(); ++i)
            list.AddRaw(c.Names[i], std::to_string(i));
        TXmlDoc back;
        ASSERT_TRUE(loadFromString(back, saveToString(doc)));
        std::string read;
        for (const TXmlAttribute* a : back.Root()->Nodes.Items(0)->Attrs)
            read += "[" + a->GetName().str() + "=" + a->GetValue().str() + "]";
        EXPECT_EQ(read, c.Read) << c.Names.size();
    }
}

TEST(XmlBinary, DuplicateAttributeNamesKeepTheLaterValue)
{
    for (bool avx2 : {true, false}) {
        SCOPED_TRACE(avx2 ? "AVX2 reader" : "portable reader");
        TReaderChoice choice(avx2);
        expectDuplicatesMerged();
        expectNamesSharingAMarkKeptApart();
    }
}

TEST(XmlBinary, HostileFilesFailWithAMessage)
{
    TXmlDoc doc;
    doc.ShowErrors = false;
    TXmlDoc sample;
    fillSample(sample);
    std::string good = saveToString(sample);
    // Every truncation fails cleanly.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(loadFromString(doc, good.substr(0, n))) << n;

    TXmlDoc empty;
    std::string head = saveToString(empty).substr(0, 13);
    auto le = [](int32_t v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i)
            s[size_t(i)] = char((uint32_t(v) >> (8 * i)) & 255);
        return s;
    };
    // Huge and negative counts are refused before anything is allocated for them.
    for (int32_t count : {INT32_MAX, -1, 1000000}) {
        EXPECT_FALSE(loadFromString(doc, head + le(count) + std::string(64, '\0')));
        EXPECT_EQ(doc.LastError, "Stream read error");
        EXPECT_FALSE(loadFromString(doc, head + le(0) + std::string(2, '\0') + le(count) + std::string(64, '\0')));
        EXPECT_EQ(doc.LastError, "Stream read error");
    }
    // Deep nesting: each level is a node with one child.
    std::string deep = head + le(0);
    int levels = 5000;
    for (int i = 0; i < levels; ++i)
        deep += std::string(2, '\0') + le(1);
    deep += std::string(2, '\0') + le(0) + le(0);
    for (int i = 0; i < levels; ++i)
        deep += le(0);
    EXPECT_FALSE(loadFromString(doc, deep));
    EXPECT_EQ(doc.LastError, "Nodes nested deeper than 1000 levels");
}

// The reader unscrambles several bytes at a time; every length a string can have and every byte value at every
// place in it must come back as the one-byte-at-a-time writer put it down.
static void expectEveryLengthAndByteBack()
{
    TXmlDoc doc;
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245 + 12345, char((seed >> 16) & 255); };
    for (size_t len = 0; len <= 255; ++len) {
        std::string value;
        for (size_t i = 0; i < len; ++i)
            value += len == 255 ? char(i) : next();   // the longest also holds every byte in order
        TXmlNode* n = doc.Root()->AddChild("N");
        n->Attrs.AddRaw("V", value);
        n->SetRawText(std::string(len, char(255 - len % 256)));
    }
    std::string data = saveToString(doc);
    TXmlDoc back;
    ASSERT_TRUE(loadFromString(back, data)) << back.LastError;
    expectSameTree(*doc.Root(), *back.Root());
    EXPECT_EQ(saveToString(back), data);

    // The last string of a file has nothing after it to read ahead into: every length, as the file's last bytes.
    for (size_t len : {0, 1, 7, 8, 15, 16, 17, 22, 23, 24, 31, 32, 33, 47, 48, 49, 254, 255}) {
        TXmlDoc last;
        std::string value;
        for (size_t i = 0; i < len; ++i)
            value += next();
        last.Root()->Attrs.AddRaw("V", value);
        const std::string image = saveToString(last);
        ASSERT_EQ(image.substr(image.size() - len - 1, 1), std::string(1, char(len)));
        TXmlDoc again;
        ASSERT_TRUE(loadFromString(again, image)) << len;
        EXPECT_EQ(again.Root()->GetAttr("V"), value) << len;
    }
}

TEST(XmlBinary, StringsOfEveryLengthAndByteComeBack)
{
    for (bool avx2 : {true, false}) {
        SCOPED_TRACE(avx2 ? "AVX2 reader" : "portable reader");
        TReaderChoice choice(avx2);
        expectEveryLengthAndByteBack();
    }
}

// A tag, text or attribute name met before is taken from what the reader kept of it, found by its length and
// first byte: words that share those, that differ only in their last byte or in case, the longest kept (15 bytes)
// beside one a byte longer, and enough distinct words to crowd each other out, all come back as written wherever
// they recur.
static void expectRecurringWordsBack()
{
    std::vector<std::string> words = {"", "Name", "Namf", "NAME", "Nam", "N", "Names", "ValueParam12345",
        "ValueParam12346", "ValueParam123456", "ValueParam1234", "TemplateID", "TemplateIE"};
    for (int i = 0; i < 600; ++i)
        words.push_back("w" + std::to_string(i * 7919 % 1000));
    TXmlDoc doc;
    uint32_t seed = 99;
    auto pick = [&]() -> const std::string& {
        seed = seed * 1103515245 + 12345;
        return words[(seed >> 8) % (seed & 0x100 ? 13 : words.size())];   // the near twins half the time
    };
    for (int n = 0; n < 3000; ++n) {
        TXmlNode* node = doc.Root()->AddChild(pick());
        node->SetRawText(pick());
        std::set<std::string> names;   // by the library's rule, which takes no account of case
        for (int a = n % 10; a > 0; --a) {
            const std::string& name = pick();
            std::string key = name;
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::toupper(c)); });
            if (names.insert(key).second)
                node->Attrs.AddRaw(name, pick());
        }
    }
    TXmlDoc back;
    ASSERT_TRUE(loadFromString(back, saveToString(doc))) << back.LastError;
    expectSameTree(*doc.Root(), *back.Root());
}

TEST(XmlBinary, RecurringWordsComeBackAsWritten)
{
    for (bool avx2 : {true, false}) {
        SCOPED_TRACE(avx2 ? "AVX2 reader" : "portable reader");
        TReaderChoice choice(avx2);
        expectRecurringWordsBack();
    }
}

// Strings far from the end of an image are read without checks of their own; near its end every one is checked.
// Cut anywhere, an image with strings of every kind fails cleanly under either reader, and whole it reads back.
TEST(XmlBinary, EveryCutOfALongImageFailsUnderEitherReader)
{
    TXmlDoc doc;
    doc.Root()->SetTag("ROOT");
    for (size_t len : {0, 1, 15, 16, 22, 23, 40, 255}) {
        TXmlNode* n = doc.Root()->AddChild("N" + std::to_string(len));
        n->SetRawText(std::string(len, 't'));
        n->Attrs.AddRaw("V", std::string(len, char('a' + len % 26)));
        n->Attrs.AddRaw("W", "x");
    }
    const std::string image = saveToString(doc);
    ASSERT_GT(image.size(), 2 * (1 + 255 + 16u));
    for (bool avx2 : {true, false}) {
        SCOPED_TRACE(avx2 ? "AVX2 reader" : "portable reader");
        TReaderChoice choice(avx2);
        TXmlDoc back;
        back.ShowErrors = false;
        for (size_t n = 0; n < image.size(); ++n) {
            // Read from a copy of exactly that size, so that a reader's look past the cut would reach the heap's
            // guard in the sanitizer build.
            ASSERT_FALSE(loadFromString(back, image.substr(0, n))) << n;
            EXPECT_FALSE(back.LastError.empty()) << n;
        }
        ASSERT_TRUE(loadFromString(back, image)) << back.LastError;
        expectSameTree(*doc.Root(), *back.Root());
    }
}

// A string stream is read where its characters lie, from its read position on, and left at its end; a file
// stream is read through. Both give the same document.
TEST(XmlBinary, StreamsAreReadFromTheirPositionToTheirEnd)
{
    TXmlDoc doc;
    doc.Root()->SetTag("R");
    doc.Root()->AddChild("C")->Attrs.AddRaw("Name", "x");
    const std::string image = saveToString(doc);
    const std::string text = saveToString(doc, false);
    for (bool binary : {true, false}) {
        const std::string& data = binary ? image : text;
        std::istringstream in("junk" + data);
        in.seekg(4);
        TXmlDoc back;
        ASSERT_TRUE(back.LoadFromStream(in, binary)) << back.LastError;
        EXPECT_EQ(saveToString(back, binary), data);
        EXPECT_EQ(in.tellg(), std::streampos(std::streamoff(4 + data.size())));
        EXPECT_EQ(in.get(), EOF);

        std::stringstream both;
        both << "xy" << data;
        both.seekg(2);
        TXmlDoc fromBoth;
        ASSERT_TRUE(fromBoth.LoadFromStream(both, binary)) << fromBoth.LastError;
        EXPECT_EQ(saveToString(fromBoth, binary), data);

        std::istringstream past("ab");
        past.seekg(2);
        TXmlDoc none;
        none.ShowErrors = false;
        EXPECT_FALSE(none.LoadFromStream(past, binary));
    }
}
