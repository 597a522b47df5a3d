// Every device report of the built description carries its own view parameters, so that each report's preview
// opens with the preview's caption and help, at a place and size chosen for it, and never on top of another.
#include "common/Utilits.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

TEST(ReportDescriptions, EveryReportHasItsFormInfo)
{
    const std::string path = std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no " << path << " (datc not built)";
    TXmlDoc doc;
    doc.ShowErrors = false;
    ASSERT_TRUE(doc.LoadFromFile(path, true)) << doc.LastError;
    TXmlNode* reports = doc.FindNode(doc.Root(), "VMU Reports");
    ASSERT_NE(reports, nullptr);
    std::set<std::pair<int, int>> places;
    int count = 0;
    for (const auto& child : reports->Nodes) {
        if (child->GetName().empty() || child->Attrs.Find("ReportID") == nullptr)
            continue;
        SCOPED_TRACE(child->GetName());
        ++count;
        TFormParams p;
        ReadFormInfo(child.get(), p);
        EXPECT_EQ(p.Caption, "Print Preview - ");
        EXPECT_EQ(p.HelpContextName, "PrintGrid");
        // Wide enough for a page of report text at a readable zoom, and not beyond a common screen.
        EXPECT_GE(p.Width, 640);
        EXPECT_LE(p.Width, 1200);
        EXPECT_GE(p.Height, 400);
        EXPECT_LE(p.Height, 900);
        EXPECT_TRUE(places.insert({p.X, p.Y}).second) << "two reports open at " << p.X << "," << p.Y;
    }
    EXPECT_EQ(count, 10);
}
