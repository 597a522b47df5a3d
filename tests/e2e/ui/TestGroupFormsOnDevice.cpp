// The Mailbox Group and Extension Group windows in the real main window against the device simulator, in
// interactive mode: opened from the parameter tree, members and whole groups added and removed with keys and
// buttons, applied, and found in the simulator's saved state.
#include "FormsOnDevice.h"

#include "common/Utilits.h"
#include "forms/groups/ExtensionGroup.h"
#include "forms/base/FormServices.h"
#include "forms/groups/MailboxGroup.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QDir>
#include <QPushButton>
#include <QToolButton>

namespace {

// Naming the factories links the forms' units, and with them their registrations, into this test program.
const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TMailboxGroupForm>(),
    MakeFormFactory<TExtensionGroupForm>()};

class GroupFormsOnDevice : public TFormsOnDevice {
protected:
    // The members of a group in the saved state, blank-separated, as the device numbers them.
    std::string Members(TState& S, const std::string& Section, const std::string& Group, const std::string& Word)
    {
        std::string M;
        for (int i = 1; i <= 20; ++i)
            if (const std::string V = S[Section][Group][Word + " No. " + IntToStr(i)]; !V.empty())
                M += (M.empty() ? "" : " ") + IntToStr(i) + ":" + V;
        return M;
    }
    void Shot(QWidget* W, const char* Name)
    {
        QDir().mkpath(QString(ORLANTIS_BIN_DIR) + "/../screenshots");
        W->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/" + Name);
    }
};

} // namespace

TEST_F(GroupFormsOnDevice, MailboxGroupMembersAndGroupsReachTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));

    auto* F = OpenFromTree<TMailboxGroupForm>("Mailbox Group");
    ASSERT_NE(F, nullptr);
    ASSERT_EQ(F->Grid->RowCount(), 20);
    ASSERT_EQ(F->Grid->ColumnCount(), 23);
    EXPECT_EQ(Row(F, 0), "1 500 SALES 101 102 103 104");
    EXPECT_EQ(Row(F, 1), "2 501 SUPPORT 110 111");
    EXPECT_EQ(Row(F, 19), "20");
    EXPECT_EQ(F->Grid->ColumnList()[3]->Caption(), "01");

    // A member added, a manager's mailbox refused, a member taken out with the Delete key, a new group.
    TypeInto(F, 5, 1, "112");
    TypeInto(F, 6, 1, "999");
    EXPECT_EQ(F->Grid->Cells(6, 1), "");
    EXPECT_EQ(BoxCount(RefusalMessage(Format(Utilits::SDontUseInGroupManagerMbx, {"999"}), "", false)), 1)
        << BoxTexts();
    Go(F, 4, 0);
    Key(F, Qt::Key_Delete);
    EXPECT_EQ(Row(F, 0), "1 500 SALES 101 103 104");
    TypeInto(F, 1, 2, "502");
    TypeInto(F, 2, 2, "Night");
    TypeInto(F, 3, 2, "105");
    EXPECT_EQ(Row(F, 2), "3 502 Night 105");
    EXPECT_EQ(F->windowTitle(), "Mailbox Group*");
    Shot(F, "form-mailbox-group.png");
    QTest::mouseClick(F->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(F->windowTitle(), "Mailbox Group") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(Members(After, "Mailbox Group", "500", "Mailbox"), "1:101 2:103 3:104") << BoxTexts();
    EXPECT_EQ(After["Mailbox Group"]["500"]["Group Name"], "SALES");
    EXPECT_EQ(Members(After, "Mailbox Group", "501", "Mailbox"), "1:110 2:111 3:112");
    EXPECT_EQ(Members(After, "Mailbox Group", "502", "Mailbox"), "1:105");
    EXPECT_EQ(After["Mailbox Group"]["502"]["Group Name"], "Night");
    // The document holds what the device holds, under the names a load gives.
    TXmlNode* Groups = Data("Mailbox Group");
    ASSERT_NE(Groups, nullptr);
    EXPECT_EQ(Groups->Nodes.Count(), 3);
    ASSERT_NE(Data("Mailbox Group No. 502", Groups), nullptr);
    EXPECT_EQ(Data("Mailbox Group No. 502", Groups)->GetValue(), "502");

    // A whole group goes with the Delete button; the rows below move up.
    Go(F, 2, 1);
    QTest::mouseClick(F->DeleteRowButton, Qt::LeftButton);
    EXPECT_EQ(Row(F, 1), "2 502 Night 105");
    QTest::mouseClick(F->ButtonApply, Qt::LeftButton);
    After = Saved();
    EXPECT_EQ(After["Mailbox Group"].count("501"), 0u) << BoxTexts();
    EXPECT_EQ(After["Mailbox Group"].count("500"), 1u);
    EXPECT_EQ(After["Mailbox Group"].count("502"), 1u);
    F->close();
}

TEST_F(GroupFormsOnDevice, ExtensionGroupMembersAndGroupsReachTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;

    auto* F = OpenFromTree<TExtensionGroupForm>("Extension Group");
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(Row(F, 0), "1 300 FRONT DESK 201 202");
    EXPECT_EQ(Row(F, 1), "2 301 WAREHOUSE 230 231 232");

    // An owner's extension is refused; the first member cleared moves the second into its place.
    TypeInto(F, 6, 1, "240");
    EXPECT_EQ(F->Grid->Cells(6, 1), "");
    std::string Listing;
    M.GetSectionCaption("Mailbox Listing", Listing);
    EXPECT_EQ(BoxCount(RefusalMessage(Format(Utilits::SExtensionAlreadyExistIn, {"240", Listing}), "", false)), 1)
        << BoxTexts();
    TypeInto(F, 3, 0, "");
    EXPECT_EQ(Row(F, 0), "1 300 FRONT DESK 202");
    TypeInto(F, 4, 0, "270");
    TypeInto(F, 1, 2, "302");
    TypeInto(F, 3, 2, "271");
    // An extension stands in one group only.
    TypeInto(F, 4, 2, "270");
    EXPECT_EQ(F->Grid->Cells(4, 2), "");
    EXPECT_EQ(BoxCount(RefusalMessage(Utilits::SDuplicateExtensionInGroup, "", false)), 1) << BoxTexts();
    // Other windows' checks ask the open window for what is not applied yet: its group numbers and members.
    TFormServices& S = *FormServices();
    std::string Where;
    EXPECT_FALSE(S.CheckExtensionGroupForm("302", Where));
    EXPECT_TRUE(S.CheckExtensionGroupForm("271", Where));
    EXPECT_FALSE(S.ExtensionInUseByForms("271", "Mailbox Listing", Where));
    EXPECT_EQ(Where, "Extension Group");
    // A cleared group number takes the group away.
    TypeInto(F, 1, 1, "");
    EXPECT_EQ(Row(F, 1), "2 302 271");
    Shot(F, "form-extension-group.png");
    QTest::mouseClick(F->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(F->windowTitle(), "Extension Group") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(Members(After, "Extension Group", "300", "Extension"), "1:202 2:270") << BoxTexts();
    EXPECT_EQ(After["Extension Group"]["300"]["Group Name"], "FRONT DESK");
    EXPECT_EQ(After["Extension Group"].count("301"), 0u);
    EXPECT_EQ(Members(After, "Extension Group", "302", "Extension"), "1:271");
    F->close();
}
