// The document model: helpers, name rules, walks, searches, IDs, clones, merges, path operations and handles.
#include "xml/XmlAttrSetter.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <thread>

namespace {
// Root "Top" with children A (with children A1, A2) and B (with child B1).
struct TSampleDoc {
    TXmlDoc Doc;
    TXmlNode *A, *A1, *A2, *B, *B1;
    TSampleDoc()
    {
        Doc.Root()->SetTag("ROOT");
        Doc.Root()->SetName("TOP");
        A = Doc.Root()->AddChild("PARAM");
        A->SetName("A");
        A1 = A->AddChild("ATTR");
        A1->SetName("Port Number");
        A1->SetValue("12");
        A2 = A->AddChild("ATTR");
        A2->SetName("Port Name");
        A2->SetValue("Trunk");
        B = Doc.Root()->AddChild("PARAM");
        B->SetName("B");
        B1 = B->AddChild("ATTR");
        B1->SetName("Port Number");
        B1->SetValue("12");
    }
};
}

TEST(XmlHelpers, BooleansPositionsAndReplacements)
{
    EXPECT_TRUE(StrToXmlBool("yes"));
    EXPECT_TRUE(StrToXmlBool("True"));
    EXPECT_FALSE(StrToXmlBool("NO"));
    EXPECT_FALSE(StrToXmlBool("false"));
    try {
        StrToXmlBool("1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Error convert string to boolean.");
    }
    EXPECT_EQ(XmlBoolToStr(true), "Yes");
    EXPECT_EQ(XmlBoolToStr(false), "No");

    EXPECT_EQ(PosFrom("b", "abcb", 1), 2);
    EXPECT_EQ(PosFrom("b", "abcb", 3), 4);
    EXPECT_EQ(PosFrom("b", "abcb", 5), 0);
    EXPECT_EQ(PosFrom("", "abc", 1), 0);
    EXPECT_EQ(PosFrom("a", "", 1), 0);

    std::string s = "aXbXXc";
    DeleteAll(s, "X");
    EXPECT_EQ(s, "abc");
    s = "aa";
    ReplaceAll(s, "a", "aa");   // the inserted text is never searched again
    EXPECT_EQ(s, "aaaa");
    s = "abc";
    ReplaceAll(s, "", "x");
    DeleteAll(s, "");
    EXPECT_EQ(s, "abc");
}

TEST(XmlHelpers, CharacterReferencesAndEntitiesDecodeInOnePass)
{
    std::string s = "&#65;&#066;&#9;x&#1234;&#0;&#256;&#65&#;&#x41;";
    DecodeCharRefs(s);
    EXPECT_EQ(s, "AB\tx&#1234;&#0;&#256;&#65&#;&#x41;");
    // "&#38;" yields "&", which must not begin another reference with what follows.
    s = "&#38;#65;&amp;lt;&lt;&quot;&apos;&gt;&bogus;";
    DecodeXmlEntities(s);
    EXPECT_EQ(s, "&#65;&lt;<\"'>&bogus;");
    EXPECT_EQ(EscapeXml("a&b<c>'\""), "a&amp;b&lt;c&gt;&apos;&quot;");

    s = "\"x\"";
    Unquote(s);
    EXPECT_EQ(s, "x");
    s = "'x'";
    Unquote(s);
    EXPECT_EQ(s, "x");
    s = "'x\"";
    Unquote(s);
    EXPECT_EQ(s, "'x\"");
    s = "'";
    Unquote(s);
    EXPECT_EQ(s, "'");

    EXPECT_EQ(XmlCompare("Name", "nAME"), 0);
    EXPECT_NE(XmlCompare("Name", "Names"), 0);
    EXPECT_TRUE(XmlStartsWith("port", "Port Number"));
    EXPECT_FALSE(XmlStartsWith("Port Numbers", "Port Number"));
}

TEST(XmlAttributes, ValuesAccessorsAndListRules)
{
    TXmlNode n("  PARAM\t");
    EXPECT_EQ(n.GetTag(), "PARAM");
    // A new attribute is unquoted and decoded; an existing one takes the value unchanged.
    n.SetAttr("A", "'x'");
    EXPECT_EQ(n.GetAttr("A"), "x");
    n.SetAttr("a", "'x'");
    EXPECT_EQ(n.GetAttr("A"), "'x'");
    EXPECT_EQ(n.Attrs.Count(), 1);
    n.SetAttr(" B ", "A&amp;B&#33;");
    EXPECT_EQ(n.Attrs.Items(1)->GetName(), "B");
    EXPECT_EQ(n.GetAttr("b"), "A&B!");
    EXPECT_EQ(n.Attrs.Items(1)->GetEscapedValue(), "A&amp;B!");

    TXmlAttribute* flag = n.SetAttr("Flag", "");
    flag->SetAsBoolean(true);
    EXPECT_EQ(flag->GetValue(), "Yes");
    EXPECT_TRUE(flag->GetAsBoolean());
    flag->SetValue("12");
    EXPECT_EQ(flag->GetAsInteger(), 12);
    flag->SetValue("12x");
    EXPECT_THROW(flag->GetAsInteger(), EConvertError);
    EXPECT_THROW(n.Attrs.Items(7), EXmlError);

    // Assign: same name (library's rule) takes the value raw; otherwise a raw copy is appended.
    EXPECT_EQ(n.Attrs.Assign(TXmlAttribute("flag", "&amp;")), 2);
    EXPECT_EQ(n.GetAttr("Flag"), "&amp;");
    EXPECT_EQ(n.Attrs.Assign(TXmlAttribute("C", "'q'")), 3);
    EXPECT_EQ(n.GetAttr("C"), "'q'");

    EXPECT_TRUE(n.DeleteAttr("c"));
    EXPECT_FALSE(n.DeleteAttr("c"));
    EXPECT_EQ(n.GetID(), -1);
    n.SetID(5);
    EXPECT_EQ(n.GetID(), 5);
    n.SetName("  Trunk 1 ");
    EXPECT_EQ(n.GetName(), "Trunk 1");
}

TEST(XmlNodes, ChildListsKeepParentsAndOrder)
{
    TSampleDoc s;
    EXPECT_EQ(s.A1->Parent, s.A);
    EXPECT_EQ(s.A->Nodes.NextAfter(s.A1), s.A2);
    EXPECT_EQ(s.A->Nodes.NextAfter(s.A2), nullptr);
    EXPECT_EQ(s.A->Nodes.NextAfter(s.B1), nullptr);
    EXPECT_EQ(s.A->Nodes.FindByName("port name"), s.A2);
    EXPECT_EQ(s.B1->Level(), 2);

    // Removing a child keeps the sibling order and the fast next-sibling lookup right.
    TXmlNode* a3 = s.A->AddChild("ATTR");
    s.A->RemoveChild(s.A1);
    EXPECT_EQ(s.A->Nodes.Count(), 2);
    EXPECT_EQ(s.A->Nodes.Items(0), s.A2);
    EXPECT_EQ(s.A->Nodes.NextAfter(s.A2), a3);
    s.A->RemoveChild(s.B1);   // not a child: nothing happens
    // A node put back takes its place; an index past the list puts it at the end.
    s.A->Nodes.Insert(0, s.A->Nodes.Extract(1));
    EXPECT_EQ(s.A->Nodes.Items(0), a3);
    EXPECT_EQ(a3->Parent, s.A);
    EXPECT_EQ(s.A->Nodes.NextAfter(a3), s.A2);
    EXPECT_EQ(s.A2->Index(), 1);
    EXPECT_EQ(s.A->Nodes.Insert(2, s.A->Nodes.Extract(0)), 1);
    EXPECT_EQ(s.A->Nodes.NextAfter(s.A2), a3);
    EXPECT_EQ(s.B->Nodes.Count(), 1);
    EXPECT_TRUE(s.A->Nodes.DeleteByName("Port Name"));
    EXPECT_FALSE(s.A->Nodes.DeleteByName("Port Name"));
    // A node without "Name" matches only the empty name.
    EXPECT_EQ(s.A->Nodes.FindByName(""), a3);

    s.Doc.RemoveNode(s.B);
    EXPECT_EQ(s.Doc.Root()->Nodes.Count(), 1);
    s.Doc.RemoveNode(s.Doc.Root());
    EXPECT_EQ(s.Doc.Root(), nullptr);
    EXPECT_EQ(s.Doc.NodeCount(), 0);
    EXPECT_EQ(s.Doc.GetMaxNodeID(), 0);
    s.Doc.SetMaxNodeID(3);   // no root: nothing
}

TEST(XmlWalk, VisitsStartAndDescendantsOnly)
{
    TSampleDoc s;
    std::vector<TXmlNode*> seen;
    for (TXmlNode* n = s.Doc.First(nullptr); n; n = s.Doc.Next(n))
        seen.push_back(n);
    EXPECT_EQ(seen, (std::vector<TXmlNode*>{s.Doc.Root(), s.A, s.A1, s.A2, s.B, s.B1}));

    // A walk from a node with following siblings ends after its last descendant.
    seen.clear();
    for (TXmlNode* n = s.Doc.First(s.A); n; n = s.Doc.Next(n)) {
        seen.push_back(n);
        if (n == s.A2) {
            EXPECT_EQ(s.Doc.WalkDepth(), 1);
        }
    }
    EXPECT_EQ(seen, (std::vector<TXmlNode*>{s.A, s.A1, s.A2}));

    seen.clear();
    for (TXmlNode* n = s.Doc.First(nullptr); n; n = n == s.Doc.Root() ? s.Doc.Next(n) : s.Doc.NextSibling(n))
        seen.push_back(n);
    EXPECT_EQ(seen, (std::vector<TXmlNode*>{s.Doc.Root(), s.A, s.B}));

    // A search in the middle of a walk leaves the walk where it was.
    TXmlNode* n = s.Doc.First(nullptr);
    n = s.Doc.Next(s.Doc.Next(n));
    EXPECT_EQ(n, s.A1);
    EXPECT_EQ(s.Doc.FindNode(nullptr, "b"), s.B);
    EXPECT_EQ(s.Doc.NodeCount(), 6);
    EXPECT_EQ(s.Doc.Next(n), s.A2);
    EXPECT_EQ(s.Doc.Next(s.A2), s.B);
}

TEST(XmlSearch, ByNameTagAttrValueAndID)
{
    TSampleDoc s;
    EXPECT_EQ(s.Doc.FindNode(nullptr, "top", ""), s.Doc.Root());
    EXPECT_EQ(s.Doc.FindNode(nullptr, "Port Number", "attr"), s.A1);
    EXPECT_EQ(s.Doc.FindNode(s.B, "Port Number"), s.B1);
    EXPECT_EQ(s.Doc.FindNode(s.A, "B"), nullptr);
    EXPECT_EQ(s.Doc.FindNode(nullptr, "A", "ATTR"), nullptr);

    EXPECT_EQ(s.Doc.FindAttrNode(nullptr, "Trunk"), s.A2);
    EXPECT_EQ(s.Doc.FindAttrNode(nullptr, "trunk"), nullptr);   // value compared with case
    EXPECT_EQ(s.Doc.FindAttrNode(nullptr, "12", "port n"), s.A1);
    EXPECT_EQ(s.Doc.FindAttrNode(s.B, "12", "Port"), s.B1);
    EXPECT_EQ(s.Doc.FindAttrNode(nullptr, "12", "Name"), nullptr);

    // Numbering from a document without "MaxNodeID" starts at 1, in document order.
    s.Doc.AssignIDs(nullptr);
    EXPECT_EQ(s.Doc.Root()->GetID(), 1);
    EXPECT_EQ(s.B1->GetID(), 6);
    EXPECT_EQ(s.Doc.GetMaxNodeID(), 6);
    TXmlNode* c = s.B->AddChild("ATTR");
    s.Doc.AssignIDs(c);
    EXPECT_EQ(c->GetID(), 7);
    EXPECT_EQ(s.Doc.FindByID(nullptr, 5), s.B);
    EXPECT_EQ(s.Doc.FindByID(s.A, 5), nullptr);
    EXPECT_EQ(s.Doc.FindByID(nullptr, 99), nullptr);
}

TEST(XmlClone, CopiesValuesByteForByteAndDropsIDs)
{
    TSampleDoc s;
    s.Doc.AssignIDs(nullptr);
    s.A->Attrs.AddRaw("Quoted", "'ABC'");
    s.A->Attrs.AddRaw("Amp", "A&amp;B");
    s.A->SetRawText("  text ");
    s.A1->SetTemplate(s.B1);

    auto c = s.A->Clone(true);
    EXPECT_EQ(c->Parent, nullptr);
    EXPECT_EQ(c->GetTag(), "PARAM");
    EXPECT_EQ(c->GetText(), "  text ");
    EXPECT_EQ(c->GetAttr("Quoted"), "'ABC'");
    EXPECT_EQ(c->GetAttr("Amp"), "A&amp;B");
    EXPECT_EQ(c->Attrs.Find("ID"), nullptr);
    ASSERT_EQ(c->Nodes.Count(), 2);
    EXPECT_EQ(c->Nodes.Items(0)->GetTemplate(), s.B1);   // "TemplateID" is kept
    EXPECT_EQ(c->Nodes.Items(0)->Attrs.Find("ID"), nullptr);
    EXPECT_EQ(s.A->Clone(false)->Nodes.Count(), 0);

    s.Doc.Root()->AddChild("LOADPARAM")->AddChild("MENUSTEP");
    auto f = s.Doc.Root()->CloneFiltered({"LOADPARAM"});
    EXPECT_EQ(f->Attrs.Find("MaxNodeID"), nullptr);
    ASSERT_EQ(f->Nodes.Count(), 1);
    EXPECT_EQ(f->Nodes.Items(0)->Nodes.Count(), 1);   // the kept child is a deep clone

    auto l = s.Doc.Root()->CloneLinked({"PARAM"}, true);
    EXPECT_EQ(l->GetTemplate(), s.Doc.Root());
    ASSERT_EQ(l->Nodes.Count(), 2);
    EXPECT_EQ(l->Nodes.Items(1)->GetTemplate(), s.B);
    EXPECT_EQ(l->Nodes.Items(1)->Nodes.Count(), 0);   // "ATTR" is not in the filter

    auto fl = s.A->CloneFilteredLinked({"ATTR"});
    EXPECT_EQ(fl->GetTemplate(), s.A);
    ASSERT_EQ(fl->Nodes.Count(), 2);
    EXPECT_EQ(fl->Nodes.Items(1)->Attrs.Find("TemplateID"), nullptr);
    auto fl2 = s.A1->CloneFilteredLinked({"ATTR"});
    EXPECT_EQ(fl2->Attrs.Find("TemplateID")->GetValue(), s.A1->GetAttr("TemplateID"));   // its own, copied
}

TEST(XmlMerge, MatchesTagAndNameExactlyAndCopiesRaw)
{
    TSampleDoc s;
    TXmlNode src("PARAM");
    src.Attrs.AddRaw("Name", "A");
    src.Attrs.AddRaw("ID", "77");
    src.Attrs.AddRaw("Value", "'ABC'");
    src.SetRawText("new");
    TXmlNode* extra = src.AddChild("ATTR");
    extra->Attrs.AddRaw("Name", "Extra");
    extra->Attrs.AddRaw("Value", "A&amp;B");
    TXmlNode* same = src.AddChild("ATTR");
    same->Attrs.AddRaw("Name", "Port Name");
    same->Attrs.AddRaw("Value", "\"Q\"");

    EXPECT_EQ(s.Doc.Root()->Merge(src, true), 0);
    EXPECT_EQ(s.A->GetText(), "new");
    EXPECT_EQ(s.A->GetAttr("Value"), "'ABC'");
    EXPECT_EQ(s.A->Attrs.Find("ID"), nullptr);
    ASSERT_EQ(s.A->Nodes.Count(), 3);
    EXPECT_EQ(s.A2->GetValue(), "\"Q\"");
    EXPECT_EQ(s.A->Nodes.Items(2)->GetValue(), "A&amp;B");

    // A name that differs only in case is another node: a clone is appended.
    TXmlNode other("PARAM");
    other.Attrs.AddRaw("Name", "a");
    EXPECT_EQ(s.Doc.Root()->Merge(other, true), 2);

    TXmlNode filtered("PARAM");
    filtered.Attrs.AddRaw("Name", "B");
    filtered.AddChild("ATTR")->Attrs.AddRaw("Name", "New");
    filtered.AddChild("VIEWPARAM");
    EXPECT_EQ(s.Doc.Root()->MergeFiltered(filtered, {"VIEWPARAM"}), 1);
    ASSERT_EQ(s.B->Nodes.Count(), 2);
    EXPECT_EQ(s.B->Nodes.Items(1)->GetTag(), "VIEWPARAM");
    filtered.Attrs.Items(0)->SetValue("C");
    EXPECT_EQ(s.Doc.Root()->MergeFiltered(filtered, {"VIEWPARAM"}), 3);
    EXPECT_EQ(s.Doc.Root()->Nodes.Items(3)->Nodes.Count(), 1);
}

TEST(XmlPaths, FollowNamesFromTheRoot)
{
    TSampleDoc s;
    EXPECT_TRUE(s.Doc.SetAttrByPath({"A", "Port Name"}, "Value", "Station"));
    EXPECT_EQ(s.A2->GetValue(), "Station");
    EXPECT_FALSE(s.Doc.SetAttrByPath({"A", "Missing"}, "Value", "x"));
    EXPECT_TRUE(s.Doc.SetAttrByPath({}, "Mark", "1"));
    EXPECT_EQ(s.Doc.Root()->GetAttr("Mark"), "1");

    s.A1->SetAttr("X", "1");
    s.A1->SetAttr("Y", "2");
    EXPECT_FALSE(s.Doc.DeleteAttrsByPath({"a", "port number"}, {"X", "Missing", "Y"}));
    EXPECT_EQ(s.A1->Attrs.Count(), 2);   // X and Y went although one name was missing
    EXPECT_TRUE(s.Doc.DeleteAttrsByPath({"A", "Port Number"}, {"Value"}));
    EXPECT_FALSE(s.Doc.DeleteAttrsByPath({"Nope"}, {"Name"}));

    EXPECT_FALSE(s.Doc.DeleteNodesByPath({"A"}, {"Port Name", "Missing"}));
    EXPECT_EQ(s.A->Nodes.Count(), 1);
    EXPECT_TRUE(s.Doc.DeleteNodesByPath({}, {"B"}));
    EXPECT_EQ(s.Doc.Root()->Nodes.Count(), 1);
}

TEST(XmlHandles, StaleHandlesResolveToNothing)
{
    size_t before = THandleObject::RegisteredCount();
    std::string link;
    {
        TXmlNode target("PARAM");
        TXmlNode data("PARAM");
        EXPECT_FALSE(target.HasHandle());
        data.SetTemplate(&target);
        EXPECT_TRUE(target.HasHandle());
        EXPECT_EQ(data.GetTemplate(), &target);
        link = data.GetAttr("TemplateID");
        EXPECT_EQ(THandleObject::RegisteredCount(), before + 1);

        TXmlAttribute* info = data.SetAttr("FormInfo", "");
        struct TRecord : THandleObject {
            int Kind = 4;
        } record;
        info->SetAsPointer(&record);
        EXPECT_EQ(info->GetAsPointer(), &record);
        EXPECT_EQ(info->GetAsNode(), nullptr);   // a handle of another kind is no node
        info->SetAsPointer(nullptr);
        EXPECT_EQ(info->GetValue(), "0");
        EXPECT_EQ(info->GetAsPointer(), nullptr);
    }
    EXPECT_EQ(THandleObject::RegisteredCount(), before);
    TXmlNode data;
    data.SetAttr("TemplateID", link);
    EXPECT_EQ(data.GetTemplate(), nullptr);
    for (const char* bad : {"0", "-1", "abc", ""}) {
        data.SetAttr("TemplateID", bad);
        EXPECT_EQ(data.GetTemplate(), nullptr) << bad;
    }
}

TEST(XmlHandles, RegistryIsSafeAcrossThreads)
{
    // Nodes created, linked and destroyed in several threads while others resolve handles.
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&mismatches] {
            for (int i = 0; i < 2000; ++i) {
                auto n = std::make_unique<TXmlNode>("N");
                int32_t h = n->GetHandle();
                if (THandleObject::FromHandle(h) != n.get())
                    ++mismatches;
                n.reset();
                if (THandleObject::FromHandle(h) != nullptr)
                    ++mismatches;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(XmlWalk, SearchesInOneThreadLeaveAnotherThreadsWalkAlone)
{
    TXmlDoc doc;
    for (int i = 0; i < 200; ++i) {
        TXmlNode* p = doc.Root()->AddChild("PARAM");
        p->SetName("P" + std::to_string(i));
        for (int j = 0; j < 5; ++j)
            p->AddChild("ATTR")->SetName("A" + std::to_string(j));
    }
    std::atomic<bool> stop{false};
    std::thread searcher([&] {
        while (!stop)
            doc.FindNode(nullptr, "P199");
    });
    for (int round = 0; round < 50; ++round) {
        int count = 0;
        for (TXmlNode* n = doc.First(nullptr); n; n = doc.Next(n))
            ++count;
        EXPECT_EQ(count, 1 + 200 * 6);
    }
    stop = true;
    searcher.join();
}

TEST(XmlNodes, DocumentsBuiltInOneThreadDieInAnother)
{
    // Nodes come from per-thread free lists; a thread that ends hands its list on. Build in workers, free here,
    // build here again, free in workers.
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<TXmlDoc>> docs(4);
        std::vector<std::thread> workers;
        for (auto& d : docs) {
            workers.emplace_back([&d] {
                d = std::make_unique<TXmlDoc>();
                for (int i = 0; i < 3000; ++i)
                    d->Root()->AddChild("PARAM")->SetName("P" + std::to_string(i));
            });
        }
        for (auto& t : workers)
            t.join();
        for (auto& d : docs)
            EXPECT_EQ(d->NodeCount(), 3001);
        docs.clear();
        auto mine = std::make_unique<TXmlDoc>();
        for (int i = 0; i < 5000; ++i)
            mine->Root()->AddChild("ATTR")->SetValue(std::to_string(i));
        std::thread killer([&mine] { mine.reset(); });
        killer.join();
    }
}

// A thread that only ever gives blocks back, as one that frees documents built elsewhere does, hands them on when
// it ends: the next thread to need a block of that size takes the one given back last.
TEST(XmlNodes, AThreadThatOnlyFreesHandsItsBlocksOn)
{
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
    GTEST_SKIP() << "sanitizer builds take nodes from the plain heap";
#else
    auto node = std::make_unique<TXmlNode>("GONE");
    const void* address = node.get();
    std::thread([&node] { node.reset(); }).join();
    const void* again = nullptr;
    std::thread([&again] {
        auto fresh = std::make_unique<TXmlNode>("NEW");
        again = fresh.get();
    }).join();
    EXPECT_EQ(again, address);
#endif
}

// A list moves its attributes when it grows: a name or value taken from the list itself must arrive whole.
TEST(XmlAttributes, ValuesTakenFromTheirOwnListSurviveItsGrowth)
{
    for (int before = 0; before <= 9; ++before) {
        TXmlNode n("E");
        n.Attrs.AddRaw("Short", "v");
        n.Attrs.AddRaw("Long", "a value too long to be kept inside the string object");
        for (int i = 0; i < before; ++i)
            n.Attrs.AddRaw("F" + std::to_string(i), std::to_string(i));
        n.SetAttr(n.Attrs.Find("Short")->GetValue(), n.Attrs.Find("Long")->GetValue());
        n.Attrs.AddRaw(n.Attrs.Find("Long")->GetValue(), n.Attrs.Find("Short")->GetValue());
        n.Attrs.Assign(*n.Attrs.Find("Short"));
        ASSERT_EQ(n.Attrs.Count(), before + 4);
        EXPECT_EQ(n.GetAttr("v"), "a value too long to be kept inside the string object");
        EXPECT_EQ(n.Attrs.Items(before + 3)->GetName(), "a value too long to be kept inside the string object");
        EXPECT_EQ(n.Attrs.Items(before + 3)->GetValue(), "v");
        EXPECT_EQ(n.GetAttr("Short"), "v");
    }
}

// The readers' setter knows the names of a list it did not fill: an existing name is found in another case, and a
// name that only shares its length and first letter is appended.
TEST(XmlAttributes, TheReadersSetterFindsNamesAlreadyInTheList)
{
    TXmlAttrList list;
    list.AddRaw("Name", "a");
    list.AddRaw("Value", "b");
    TXmlAttrSetter setter(list);
    setter.Assign("NAME", "c");
    setter.Assign("Namf", "d");
    setter.Set("VALUE", "e");
    setter.Set("name", "f");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(0)->GetValue(), "f");
    EXPECT_EQ(list.Items(1)->GetValue(), "e");
    EXPECT_EQ(list.Items(2)->GetName(), "Namf");
}

// A list that will be freed without reading its attributes holds no string on the heap, whichever way its strings
// came in: otherwise the string's memory is lost (the sanitizer build reports it). A list the readers fill with
// short strings is freed so, and so is a short list again after Clear.
TEST(XmlAttributes, AListFreedWithoutReadingHoldsNoLongString)
{
    const std::string longText(TXmlString::InlineMax + 1, 'x');
    const std::string shortText(TXmlString::InlineMax, 's');
    auto holdsLong = [](const TXmlAttrList& List) {
        for (const TXmlAttribute& a : List.Readable())
            if (a.GetName().size() > TXmlString::InlineMax || a.GetValue().size() > TXmlString::InlineMax)
                return true;
        return false;
    };
    // Each way in, with a value at the limit (kept) and one just past it.
    const std::vector<std::pair<const char*, std::function<void(TXmlAttrList&, const std::string&)>>> ways = {
        {"AddRaw", [](TXmlAttrList& l, const std::string& v) { l.AddRaw("N", v); }},
        {"AddNew", [](TXmlAttrList& l, const std::string& v) { l.AddNew(v, "1"); }},
        {"Add", [](TXmlAttrList& l, const std::string& v) { l.Add(TXmlAttribute("N", v)); }},
        {"Assign", [](TXmlAttrList& l, const std::string& v) { l.Assign(TXmlAttribute("N", v)); }},
        {"SetValue", [](TXmlAttrList& l, const std::string& v) { l.SetValue("N", v); }},
        {"Find", [](TXmlAttrList& l, const std::string& v) { l.Find("N")->SetValue(v); }},
        {"Items", [](TXmlAttrList& l, const std::string& v) { l.Items(0)->SetName(v); }},
        {"walk", [](TXmlAttrList& l, const std::string& v) { (*l.begin())->SetValue(v); }},
        {"setter Assign", [](TXmlAttrList& l, const std::string& v) { TXmlAttrSetter(l).Assign("M", v); }},
        {"setter Set", [](TXmlAttrList& l, const std::string& v) { TXmlAttrSetter(l).Set("N", v); }},
    };
    for (const auto& [way, put] : ways)
        for (const std::string& value : {shortText, longText}) {
            SCOPED_TRACE(std::string(way) + " " + std::to_string(value.size()));
            TXmlAttrList list;
            TXmlAttrSetter(list).Assign("N", "1");   // an attribute to find, put in as a reader would
            EXPECT_TRUE(list.FreesWithoutReading());
            put(list, value);
            EXPECT_FALSE(list.FreesWithoutReading() && holdsLong(list));
        }

    // The readers, with a long name or value somewhere in a document and with none.
    for (bool binary : {true, false})
        for (const std::string& value : {shortText, longText}) {
            SCOPED_TRACE(std::string(binary ? "binary " : "text ") + std::to_string(value.size()));
            TXmlDoc source;
            source.Root()->SetTag("R");
            source.Prolog.AddRaw("version", "1.0");
            TXmlNode* a = source.Root()->AddChild("A");
            a->Attrs.AddRaw("Name", "a");
            a->Attrs.AddRaw(value, "b");
            source.Root()->AddChild("B")->Attrs.AddRaw("Value", value);
            std::stringstream image;
            ASSERT_TRUE(source.SaveToStream(image, binary));
            TXmlDoc loaded;
            ASSERT_TRUE(loaded.LoadFromStream(image, binary));
            for (TXmlNode* n : {loaded.Root()->Nodes.Items(0), loaded.Root()->Nodes.Items(1)}) {
                EXPECT_EQ(n->Attrs.FreesWithoutReading(), !holdsLong(n->Attrs));
                n->Attrs.Clear();
                EXPECT_TRUE(n->Attrs.FreesWithoutReading());
            }
            // A load that fails part-way, at every byte: an attribute may be cut between its name and its value.
            if (value != longText)
                continue;
            const std::string whole = image.str();
            for (size_t cut = 0; cut < whole.size(); ++cut) {
                std::istringstream part(whole.substr(0, cut));
                TXmlDoc partial;
                partial.ShowErrors = false;
                if (partial.LoadFromStream(part, binary))
                    continue;
                TXmlWalk walk;
                for (TXmlNode* n = walk.First(nullptr, partial.Root()); n; n = walk.Next(n))
                    EXPECT_FALSE(n->Attrs.FreesWithoutReading() && holdsLong(n->Attrs)) << "cut at " << cut;
            }
        }
}
