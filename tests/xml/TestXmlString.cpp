// The document's own string: the same text whether it is kept inside the object or on the heap, copies that own
// their characters, and the std::string operations callers use on names and values.
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {
std::string textOf(size_t Length, char First = 'a')
{
    std::string s;
    for (size_t i = 0; i < Length; ++i)
        s += char(First + i % 26);
    return s;
}
}

// Around the inline limit (22) the string changes form; text, size and terminator must not notice, nor must a copy,
// a move or an assignment between the two forms in either direction.
TEST(XmlString, EveryLengthAroundTheInlineLimitKeepsItsTextThroughCopiesMovesAndAssignments)
{
    // Also the edges of the heap's size classes (room for whole sixteen-byte blocks: 32, 64, 128, 256 bytes,
    // then the general heap).
    for (size_t len : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(21), size_t(22), size_t(23), size_t(24),
             size_t(31), size_t(32), size_t(47), size_t(48), size_t(63), size_t(64), size_t(100), size_t(111),
             size_t(112), size_t(127), size_t(128), size_t(239), size_t(240), size_t(255), size_t(256),
             size_t(1000)}) {
        SCOPED_TRACE(len);
        const std::string text = textOf(len);
        TXmlString s(text);
        EXPECT_EQ(s.size(), len);
        EXPECT_EQ(s.empty(), len == 0);
        EXPECT_EQ(std::string(s.c_str()), text);   // terminated where it ends
        EXPECT_EQ(s.str(), text);

        TXmlString copy(s);
        EXPECT_EQ(copy, text);
        EXPECT_NE(copy.data(), s.data());   // a copy owns its characters

        TXmlString moved(std::move(copy));
        EXPECT_EQ(moved, text);
        EXPECT_TRUE(copy.empty());   // a moved-from string is empty and can be used again
        copy = "again";
        EXPECT_EQ(copy, "again");

        for (size_t other : {size_t(3), size_t(22), size_t(23), size_t(60), size_t(200), size_t(300)}) {
            TXmlString t(textOf(other, 'A'));
            t = s;
            EXPECT_EQ(t, text);
            TXmlString u(textOf(other, 'A'));
            u = TXmlString(s);
            EXPECT_EQ(u, text);
            s = t;   // back from a string of the other form
            EXPECT_EQ(s, text);
        }
        const TXmlString& itself = s;
        s = itself;   // assigned from itself, it keeps its text
        EXPECT_EQ(s, text);
    }
}

// An empty view carries no address; taking it must not read through one.
TEST(XmlString, AnEmptyViewWithoutAnAddressMakesAnEmptyString)
{
    TXmlString s{std::string_view()};
    EXPECT_TRUE(s.empty());
    EXPECT_STREQ(s.c_str(), "");
    TXmlString t(textOf(30));
    t = std::string_view();
    EXPECT_TRUE(t.empty());
    EXPECT_STREQ(t.c_str(), "");
}

// A value assigned from a piece of itself (a trimmed or cut copy of its own text) is read before it is replaced.
TEST(XmlString, AssigningAPieceOfItselfReadsItFirst)
{
    for (size_t len : {size_t(10), size_t(22), size_t(23), size_t(40)}) {
        SCOPED_TRACE(len);
        const std::string text = textOf(len);
        TXmlString s(text);
        s.assign(s.data() + 1, len - 1);
        EXPECT_EQ(s, text.substr(1));
        TXmlString t(text);
        t = t.view().substr(0, len / 2);
        EXPECT_EQ(t, text.substr(0, len / 2));
    }
}

// What callers do with names and values: compare with every kind of string in both orders, order them in maps,
// join them, search them and print them.
TEST(XmlString, ReadsLikeAConstStdString)
{
    TXmlString name("TemplateID");
    const std::string same = "TemplateID";
    EXPECT_TRUE(name == "TemplateID");
    EXPECT_TRUE("TemplateID" == name);
    EXPECT_TRUE(name == same);
    EXPECT_TRUE(same == name);
    EXPECT_TRUE(name == std::string_view("TemplateID"));
    EXPECT_TRUE(name != "TemplateId");
    EXPECT_TRUE(name < TXmlString("Type"));
    EXPECT_TRUE(name > "Template");

    std::map<std::string, int> m;
    m[name] = 1;
    EXPECT_EQ(m.count("TemplateID"), 1u);

    EXPECT_EQ("<" + name + ">", "<TemplateID>");
    EXPECT_EQ(name + '!', "TemplateID!");
    std::string joined = same;
    joined += name;
    EXPECT_EQ(joined, "TemplateIDTemplateID");

    EXPECT_EQ(name.find("ID"), 8u);
    EXPECT_EQ(name.find('x'), TXmlString::npos);
    EXPECT_EQ(name.substr(0, 8), "Template");
    EXPECT_EQ(name.substr(8), "ID");
    EXPECT_TRUE(name.starts_with("Temp"));
    EXPECT_TRUE(name.ends_with('D'));
    EXPECT_EQ(name.back(), 'D');

    std::ostringstream out;
    out << name << '|' << TXmlString(textOf(30));
    EXPECT_EQ(out.str(), "TemplateID|" + textOf(30));
}

// The readers' fixed-size fill takes a block of sixteen bytes and keeps only the string's own.
TEST(XmlString, AFixedSizeFillKeepsOnlyItsOwnCharacters)
{
    const std::string block = textOf(24, 'k');
    for (size_t len = 0; len <= TXmlString::InlineMax; ++len) {
        SCOPED_TRACE(len);
        TXmlString s(textOf(40));   // was on the heap
        s.AssignShortFrom(block.data(), len);
        EXPECT_EQ(s, block.substr(0, len));
        EXPECT_EQ(std::string(s.c_str()), block.substr(0, len));
    }
}
