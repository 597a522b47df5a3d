// The texts the description gives the section windows fit where the windows show them: a column caption in its
// header cell, the longest value a column's edit limit lets in within its column, and every hint within the status
// bar of the window that shows it. Measured in the fonts the windows draw with.
#include "ShellFixture.h"

#include "grid/XGrids.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "xml/XmlDoc.h"

#include <QApplication>
#include <QFontMetrics>

#include <filesystem>
#include <map>

namespace {

// The number a view attribute holds; 0 when it holds none (a text still to be filled in, for example).
int NumberOf(const std::string& Text)
{
    int32_t N = 0;
    return TryStrToInt(Text, N) ? N : 0;
}

// The GATTR values of the VIEWPARAM named View under Node.
std::map<std::string, std::string> ViewOf(const TXmlNode* Node, const std::string& View)
{
    std::map<std::string, std::string> Values;
    for (const auto& V : Node->Nodes)
        if (V->GetTag() == "VIEWPARAM" && V->GetName() == View)
            for (const auto& G : V->Nodes)
                if (G->GetTag() == "GATTR")
                    Values[G->GetName()] = G->GetAttr("Value");
    return Values;
}

// The width of the window that shows Node: the "FormWidth" of the nearest node above it (or itself) that has one.
int FormWidthOf(const TXmlNode* Node)
{
    for (; Node; Node = Node->Parent) {
        const auto Info = ViewOf(Node, "Form Info");
        if (auto W = Info.find("FormWidth"); W != Info.end())
            if (int Width = NumberOf(W->second); Width > 0)
                return Width;
    }
    return 0;
}

// The longest text an edit limit lets in: capitals, or digits where only digits may be typed.
std::string LongestValue(int Limit, const std::string& Mask)
{
    const bool Digits = !Mask.empty() && Mask.find_first_not_of("0123456789") == std::string::npos;
    std::string S;
    for (int i = 0; i < Limit; ++i)
        S += Digits ? '8' : char('A' + i % 26);
    return S;
}

} // namespace

TEST(TextsFit, CaptionsLongestValuesAndHintsFitWhereTheWindowsShowThem)
{
    if (!std::filesystem::exists(BuiltDescription()))
        GTEST_SKIP() << "Orlantis.dat is not built";
    TXmlDoc Doc;
    Doc.ShowErrors = false;
    ASSERT_TRUE(Doc.LoadFromFile(BuiltDescription(), true)) << Doc.LastError;
    TXmlNode* Tree = Doc.FindNode(nullptr, "VMU Parameters 409");
    ASSERT_NE(Tree, nullptr);
    // The section windows' fonts: Tahoma 8 (bold in the header); the status bar's is the application's.
    const QFontMetrics Cell(ToQFont(TXFont{"Tahoma", 8, false, false, false, clWindowText}));
    const QFontMetrics Header(ToQFont(TXFont{"Tahoma", 8, true, false, false, clWindowText}));
    const QFontMetrics Status(QApplication::font());
    constexpr int CellMargins = 6, StatusMargins = 16;
    int Checked = 0;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Tree, nullptr); N; N = Walk.Next(N)) {
        if (N->GetTag() == "VIEWPARAM")
            continue;
        const auto Info = ViewOf(N, "Cell Info");
        if (Info.empty())
            continue;
        SCOPED_TRACE(N->GetName());
        auto Value = [&](const char* Name) {
            auto It = Info.find(Name);
            return It == Info.end() ? std::string() : It->second;
        };
        // A caption's number ("Extension %d") is filled in by the window: measured with one digit in its place.
        std::string Caption = Value("ColumnCaption");
        for (const char* Slot : {"%.2d", "%d", "%s"})
            if (size_t At = Caption.find(Slot); At != std::string::npos)
                Caption.replace(At, std::string(Slot).size(), std::string(Slot) == "%.2d" ? "88" : "8");
        const int Width = NumberOf(Value("ColumnWidth"));
        if (!Caption.empty() && Width > 0) {
            ++Checked;
            EXPECT_LE(Header.horizontalAdvance(ToQ(Caption)) + CellMargins, Width)
                << "column caption \"" << Caption << "\"";
            // Names and numbers (up to 20 characters) show whole; longer free texts are descriptions, cut by design.
            if (const int Limit = NumberOf(Value("EditLimit")); Limit > 0 && Limit <= 20 && Value("ValueType") != "vtList") {
                const std::string Longest = LongestValue(Limit, Value("InputMask"));
                EXPECT_LE(Cell.horizontalAdvance(ToQ(Longest)) + CellMargins, Width)
                    << "a value of " << Limit << " characters";
            }
        }
        if (const std::string Hint = Value("Hint"); !Hint.empty()) {
            const int FormWidth = FormWidthOf(N);
            if (FormWidth > 0) {
                ++Checked;
                EXPECT_LE(Status.horizontalAdvance(ToQ(Hint)) + StatusMargins, FormWidth) << "hint \"" << Hint << "\"";
            }
        }
    }
    EXPECT_GT(Checked, 100);
}
