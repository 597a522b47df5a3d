// Data files offline, from the committed sample: a file made with another description version is refused even
// when its version text differs only past the first three parts, and a damaged file is refused with a box that
// names it and its fault in readable text.
#include "ShellFixture.h"

#include "platform/ui/QtMainThread.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class MainDataFiles : public TShellFixture {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(BuiltDescription()))
            GTEST_SKIP() << "Orlantis.dat is not built";
        WriteDescription();
        TMainForm& M = Start();
        ASSERT_FALSE(M.Terminated()) << BoxTexts();
        M.FileModeBatch1Execute();
        ASSERT_TRUE(M.BatchMode);
    }
    static std::string Sample() { return std::string(ORLANTIS_SOURCE_DIR) + "/tests/data/sample.sav"; }
    static std::string Bytes(const std::string& File)
    {
        std::ifstream In(File, std::ios::binary);
        std::stringstream S;
        S << In.rdbuf();
        return S.str();
    }
    // The sample with its root's "TemplateVersion" replaced.
    std::string SampleOfVersion(const std::string& Name, const std::string& Version)
    {
        TXmlDoc Doc(Main->TemplateDoc.get());
        Doc.ShowErrors = false;
        EXPECT_TRUE(Doc.LoadFromFile(Sample(), true)) << Doc.LastError;
        Doc.Root()->SetAttr("TemplateVersion", Version);
        EXPECT_TRUE(Doc.SaveToFile(Dir() + Name, true)) << Doc.LastError;
        return Dir() + Name;
    }
    // Whether the file opens; the boxes shown are those of this attempt.
    bool Opens(const std::string& File)
    {
        Dialogs.Boxes.clear();
        Dialogs.FileAnswers = {File};
        Main->FileOpen1Execute();
        return Main->FileName == File && !Main->NoData;
    }
    std::string Version() const { return Main->TemplateDoc->Root()->GetAttr("TemplateVersion"); }

    TQtMainThreadScope MainThread;
};

} // namespace

TEST_F(MainDataFiles, TheFilesVersionMustEqualTheDescriptionsAsAWholeText)
{
    const std::string Own = Version();
    ASSERT_FALSE(Own.empty());
    const std::string Refusal = Utilits::SErrorDataFileVersion1 + "\r\n" + Utilits::SErrorDataFileVersion2;
    // Only the same text passes; one more part, a longer last part, a blank after it or one part fewer do not.
    const std::pair<std::string, bool> Cases[] = {
        {Own, true},
        {Own + ".1", false},
        {Own + "0", false},
        {Own + " ", false},
        {Own.substr(0, Own.rfind('.')), false},
    };
    int N = 0;
    for (const auto& [FileVersion, Accepted] : Cases) {
        SCOPED_TRACE("\"" + FileVersion + "\"");
        const std::string File = SampleOfVersion("v" + std::to_string(N++) + ".sav", FileVersion);
        // The sample links to nodes this description does not have, so even its own version is refused, but
        // by the check that follows the version's.
        EXPECT_FALSE(Opens(File));
        ASSERT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
        EXPECT_EQ(Dialogs.LastText() == Refusal, !Accepted) << BoxTexts();
        EXPECT_TRUE(Main->NoData);
    }
}

TEST_F(MainDataFiles, ADamagedFileIsNamedWithItsFaultInReadableText)
{
    // Copies of the sample with one byte flipped where the reader then takes binary bytes for a number: a short
    // text with control characters, and one that runs on through the rest of the file.
    const std::string Sound = Bytes(Sample());
    ASSERT_EQ(Sound.size(), 343u);
    const struct {
        size_t At;
        char Flip;
        std::string Shown;   // the fault as the box must show it
    } Cases[] = {
        {150, 0x01, "'8\\x1d\\x09\\xe2\\xbep' is not a valid integer value"},
        {149, 0x55, "'999999\\xcb\\x88\\xce>"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.At);
        std::string Data = Sound;
        Data[C.At] = char(Data[C.At] ^ C.Flip);
        const std::string File = Dir() + "damaged-" + std::to_string(C.At) + ".sav";
        std::ofstream(File, std::ios::binary) << Data;

        EXPECT_FALSE(Opens(File));
        EXPECT_TRUE(Main->NoData);
        ASSERT_EQ(Dialogs.Boxes.size(), 1u) << BoxTexts();
        const std::string Text = Dialogs.Boxes[0].Text;
        EXPECT_EQ(Dialogs.Boxes[0].Caption, Utilits::SError);
        EXPECT_NE(Text.find("\"" + File + "\" cannot be opened: it is damaged"), std::string::npos) << Text;
        EXPECT_NE(Text.find(C.Shown), std::string::npos) << Text;
        // Printable characters only, and a long run of bytes is cut short.
        for (unsigned char Ch : Text)
            ASSERT_TRUE(Ch >= 0x20 && Ch < 0x7f) << Text;
        EXPECT_LT(Text.size(), File.size() + 300) << Text;
    }
}
