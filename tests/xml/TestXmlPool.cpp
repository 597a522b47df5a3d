// Blocks of the pools that one thread took and another gave back are used again: a device job builds a section's
// nodes on its own thread and the main thread frees them when the section's window closes, round after round, and
// the memory behind the pools must stop growing once the first rounds have made what one round needs.
#include "xml/XmlArena.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {
const std::string LongValue(TXmlString::InlineMax + 30, 'v');

// A section as a device job leaves it: records with attributes, some long values, and a field list below each.
std::unique_ptr<TXmlNode> section(int Round)
{
    auto s = std::make_unique<TXmlNode>("PARAM");
    s->SetAttr("Name", "Section " + std::to_string(Round));
    for (int i = 0; i < 600; ++i) {
        TXmlNode* r = s->AddChild("PARAM");
        r->SetAttr("Name", "Record " + std::to_string(i));
        r->SetAttr("Value", i % 5 ? std::to_string(i) : LongValue);
        for (int f = 0; f < 2; ++f)
            r->AddChild("ATTR")->SetAttr("Name", "Field");
    }
    return s;
}

enum class TShape {
    NewBuilderEachRound,   // the job runner: a thread of its own for every job, freed on the main thread
    OneBuilderThroughout,  // a worker that lives on, freed on the main thread
    NewFreerEachRound,     // built on the main thread, freed on a thread that ends
};

// Chunks made after each round of Rounds in which one thread builds a section and another frees it.
std::vector<size_t> rounds(TShape Shape, int Rounds)
{
    std::vector<size_t> made;
    if (Shape == TShape::OneBuilderThroughout) {
        std::vector<std::promise<std::unique_ptr<TXmlNode>>> built(static_cast<size_t>(Rounds));
        std::vector<std::promise<void>> freed(static_cast<size_t>(Rounds));
        std::thread worker([&] {
            for (int r = 0; r < Rounds; ++r) {
                built[size_t(r)].set_value(section(r));
                freed[size_t(r)].get_future().wait();
            }
        });
        for (int r = 0; r < Rounds; ++r) {
            built[size_t(r)].get_future().get().reset();
            made.push_back(XmlChunksMade());
            freed[size_t(r)].set_value();
        }
        worker.join();
        return made;
    }
    for (int r = 0; r < Rounds; ++r) {
        std::unique_ptr<TXmlNode> s;
        if (Shape == TShape::NewBuilderEachRound) {
            std::thread([&] { s = section(r); }).join();
            s.reset();
        } else {
            s = section(r);
            std::thread([&] { s.reset(); }).join();
        }
        made.push_back(XmlChunksMade());
    }
    return made;
}
}

TEST(XmlPool, BlocksGivenBackOnAnotherThreadAreUsedAgain)
{
    const struct {
        const char* Name;
        TShape Shape;
    } cases[] = {
        {"a new thread builds each round", TShape::NewBuilderEachRound},
        {"one thread builds every round", TShape::OneBuilderThroughout},
        {"a new thread frees each round", TShape::NewFreerEachRound},
    };
    constexpr int Rounds = 120, Warm = 4;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<size_t> made = rounds(c.Shape, Rounds);
        // One round needs a few chunks; a hundred more rounds may add one mapping's worth at most, if the warm
        // rounds ended just short of needing it.
        const size_t grown = made.back() - made[Warm - 1];
        EXPECT_LE(grown * XmlChunkBytes, size_t(2) << 20)
            << "chunks after round " << Warm << ": " << made[Warm - 1] << ", after round " << Rounds << ": "
            << made.back();
    }
}
