// A loaded tree lives in its document's arena and is dropped whole when nothing has changed it since the load.
// Whatever could hang other memory on the tree or take a piece of it away must stop that: otherwise memory is
// lost or used after it went (the sanitizer build reports both). Every way is tried with both readers, and what a
// caller kept must read as it did once the document is gone.
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace {
const std::string LongValue(TXmlString::InlineMax + 40, 'v');

// R > (A > (A1, A2), B, C), with a long value on A1 and a long text on B; C has lists and (in text) a string too
// long for a pool block.
std::string image(bool Binary)
{
    TXmlDoc d;
    d.Root()->SetTag("R");
    d.Root()->Attrs.AddRaw("Name", "root");
    TXmlNode* a = d.Root()->AddChild("A");
    a->Attrs.AddRaw("Name", "a");
    a->AddChild("A1")->Attrs.AddRaw("Value", LongValue);
    a->AddChild("A2")->Attrs.AddRaw("Value", "2");
    d.Root()->AddChild("B")->SetText(LongValue);
    TXmlNode* c = d.Root()->AddChild("C");
    for (int i = 0; i < 12; ++i)
        c->Attrs.AddRaw("N" + std::to_string(i), LongValue);
    for (int i = 0; i < 70; ++i)
        c->AddChild("x");
    if (!Binary)
        c->SetText(std::string(600, 't'));
    std::ostringstream out;
    EXPECT_TRUE(d.SaveToStream(out, Binary));
    return out.str();
}

std::unique_ptr<TXmlDoc> load(bool Binary)
{
    auto d = std::make_unique<TXmlDoc>();
    std::istringstream in(image(Binary));
    EXPECT_TRUE(d->LoadFromStream(in, Binary));
    return d;
}

TXmlNode* deep(TXmlDoc& D) { return D.Root()->Nodes.Items(0)->Nodes.Items(0); }   // A1
}

TEST(XmlArena, AChangedTreeIsFreedNodeByNodeAndWhatWasKeptOutlivesItsDocument)
{
    struct TCase {
        const char* Name;
        // Changes the loaded document; may keep a node (or its first child) whose "Value" is the long one.
        std::function<std::unique_ptr<TXmlNode>(TXmlDoc&)> Change;
        bool Whole;
    };
    const std::vector<TCase> cases = {
        {"nothing", [](TXmlDoc&) { return nullptr; }, true},
        {"reads only",
            [](TXmlDoc& d) {
                EXPECT_EQ(deep(d)->Attrs.Readable()[0].GetValue(), LongValue);
                EXPECT_EQ(deep(d)->GetAttr("Value"), LongValue);
                auto copy = d.Root()->Nodes.Items(0)->Clone(true);   // a copy is the caller's own
                EXPECT_EQ(copy->Nodes.Items(0)->GetAttr("Value"), LongValue);
                return copy;
            },
            true},
        {"the root's own attributes",
            [](TXmlDoc& d) {
                d.Root()->Attrs.Find("Name")->SetValue(LongValue);   // in the storage the load gave it
                d.Root()->SetTag("Renamed");
                return nullptr;
            },
            true},
        {"a node of the document's own added at the top",
            [](TXmlDoc& d) {
                d.Root()->AddChild("C")->SetAttr("Value", LongValue);
                return nullptr;
            },
            true},
        {"an attribute handed out", [](TXmlDoc& d) { deep(d)->Attrs.Find("Value")->SetValue(LongValue + "x"); return nullptr; }, false},
        {"a long attribute added", [](TXmlDoc& d) { deep(d)->SetAttr("More", LongValue); return nullptr; }, false},
        {"a tag", [](TXmlDoc& d) { deep(d)->SetTag(LongValue); return nullptr; }, false},
        {"a text", [](TXmlDoc& d) { deep(d)->SetRawText(LongValue); return nullptr; }, false},
        {"a child added", [](TXmlDoc& d) { deep(d)->AddChild("New")->SetText(LongValue); return nullptr; }, false},
        {"a child deleted", [](TXmlDoc& d) { d.Root()->Nodes.Items(0)->Nodes.Delete(1); return nullptr; }, false},
        {"an attribute list cleared", [](TXmlDoc& d) { deep(d)->Attrs.Clear(); return nullptr; }, false},
        {"a merge",
            [](TXmlDoc& d) {
                TXmlNode other("A1");
                other.SetText(LongValue);
                d.Root()->Nodes.Items(0)->Merge(other, true);
                return nullptr;
            },
            false},
        {"a handle", [](TXmlDoc& d) { EXPECT_GT(deep(d)->GetHandle(), 0); return nullptr; }, false},
        {"a node taken out deep", [](TXmlDoc& d) { return d.Root()->Nodes.Items(0)->Nodes.Extract(0); }, false},
        {"a node taken out at the top", [](TXmlDoc& d) { return d.Root()->Nodes.Extract(0); }, false},
    };
    const size_t arenas = TXmlArena::LiveCount();
    const size_t handles = THandleObject::RegisteredCount();
    for (bool binary : {true, false})
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(binary ? "binary: " : "text: ") + c.Name);
            auto doc = load(binary);
            ASSERT_TRUE(doc->FreesWhole());
            std::unique_ptr<TXmlNode> kept = c.Change(*doc);
            EXPECT_EQ(doc->FreesWhole(), c.Whole);
            doc.reset();
            // A node taken out keeps its arena; once it goes, so does the arena.
            EXPECT_EQ(TXmlArena::LiveCount(), arenas + (kept && !c.Whole ? 1 : 0));
            if (kept) {
                const TXmlNode* withValue = kept->Nodes.Count() > 0 ? kept->Nodes.Items(0) : kept.get();
                EXPECT_EQ(withValue->GetAttr("Value"), LongValue);
                // A next load takes the chunks a whole drop gave back; what was kept is not among them.
                auto next = load(binary);
                EXPECT_EQ(withValue->GetAttr("Value"), LongValue);
            }
            kept.reset();
            EXPECT_EQ(TXmlArena::LiveCount(), arenas);
            EXPECT_EQ(THandleObject::RegisteredCount(), handles);
        }
}

// Calls out of a load allocate for their own ends: a progress handler that builds a document of its own must find
// it whole after the loaded one was dropped and its chunks were taken again. A document loaded in one thread and
// freed in another gives its arena back all the same, and a clear or a new load drops the tree it held.
TEST(XmlArena, CallsOutOfALoadClearsAndOtherThreadsKeepWhatIsTheirs)
{
    const size_t arenas = TXmlArena::LiveCount();
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        TXmlDoc own;
        auto doc = std::make_unique<TXmlDoc>();
        auto grow = [&own]() { own.Root()->AddChild("P")->SetAttr("Value", LongValue); };
        doc->OnProgress = [&](int32_t) { grow(); return false; };
        doc->OnPosition = [&](int32_t) { grow(); return false; };
        std::istringstream in(image(binary));
        ASSERT_TRUE(doc->LoadFromStream(in, binary));
        ASSERT_GT(own.Root()->Nodes.Count(), 0);
        EXPECT_TRUE(doc->FreesWhole());
        doc.reset();
        auto next = load(binary);
        for (int i = 0; i < own.Root()->Nodes.Count(); ++i)
            EXPECT_EQ(own.Root()->Nodes.Items(i)->GetAttr("Value"), LongValue);

        // Cleared, and loaded again over a loaded tree.
        next->Clear();
        EXPECT_EQ(TXmlArena::LiveCount(), arenas);
        EXPECT_EQ(next->Root()->Nodes.Count(), 0);
        std::istringstream again(image(binary));
        ASSERT_TRUE(next->LoadFromStream(again, binary));
        std::istringstream third(image(binary));
        ASSERT_TRUE(next->LoadFromStream(third, binary));
        EXPECT_EQ(TXmlArena::LiveCount(), arenas + 1);
        EXPECT_EQ(deep(*next)->GetAttr("Value"), LongValue);

        std::thread([d = std::move(next)]() mutable { d.reset(); }).join();
        EXPECT_EQ(TXmlArena::LiveCount(), arenas);
    }
}
