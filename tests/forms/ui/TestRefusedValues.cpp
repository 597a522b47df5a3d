// What becomes of a value a window's check refuses, typed into the windows over the built description: the box
// names the refusal and what the cell now holds; a check that puts the cell's old text back (a group member that is
// no mailbox) leaves that text, and a number list the device cannot take (a port beyond its ports) keeps the cell's
// old list while what was typed waits in the reopened editor, to be corrected or given up with Esc.
#include "forms/calendar/CalendarRules.h"
#include "forms/calendar/HolidayListing.h"
#include "forms/groups/GroupRules.h"
#include "forms/groups/MailboxGroup.h"

#include "../GridFormFixture.h"
#include "platform/ui/QtText.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>

namespace {

std::string BuiltDescription() { return std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat"; }

// Every mailbox exists but 123 and 500 (the group number).
class TMailboxServices : public TFakeFormServices {
public:
    bool IsMailboxNoFree(const std::string& N) override { return N == "123" || N == "500"; }
};

class RefusedValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Docs.View.LoadFromFile(BuiltDescription(), true))
            GTEST_SKIP() << "Orlantis.dat is not built";
        for (const char* Name : {"Holiday Listing", "Mailbox Group"}) {
            TXmlNode* Section = Docs.AddSection(Name);
            ASSERT_NE(Section, nullptr) << Name;
            Section->Nodes.Clear();
        }
        Services.Data = &Docs.Data;
        Services.View = &Docs.View;
        Services.Manager = Docs.Manager.get();
        Services.Facts.AmountVPSPorts = 4;
        Services.Facts.FlashVersion = 409;
        Area.resize(1200, 600);
        Area.show();
        QApplication::setActiveWindow(&Area);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Area));
    }
    template <class T>
    T* Open(const char* Caption)
    {
        TFormParams P;
        P.Caption = Caption;
        P.Width = 1100;
        P.Height = 500;
        T* F = TBaseMDIForm::Create<T>(&Area, TFormKinds{2}, P);
        if (F) {
            Area.setActiveSubWindow(F);
            F->Grid->setFocus();
            QApplication::processEvents();
        }
        return F;
    }
    // Types Text into cell (Col, Row) as a person does: the first character opens the editor, Enter ends it.
    static void Type(TXStringGrid* G, int Col, int Row, const char* Text)
    {
        G->SetRow(Row);
        G->SetCol(Col);
        G->setFocus();
        for (const char* p = Text; *p; ++p)
            QTest::keyClicks(Focused(G), QString(QLatin1Char(*p)));
        QTest::keyClick(Focused(G), Qt::Key_Return);
        QApplication::processEvents();
    }
    static QWidget* Focused(TXStringGrid* G)
    {
        QWidget* F = QApplication::focusWidget();
        return F && (F == G || G->isAncestorOf(F)) ? F : G;
    }
    static std::string EditorText(TXStringGrid* G)
    {
        return G->EditorShowing() ? FromQ(G->InplaceEditor()->LineEdit()->text()) : std::string("(no editor)");
    }

    TFormDocuments Docs{"<ORLANTIS/>"};
    TMailboxServices Services;
    TFormServicesScope Scope{&Services};
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
    QMdiArea Area;
};

} // namespace

TEST_F(RefusedValues, APortListBeyondTheDevicesPortsWaitsInTheEditorWhileTheCellKeepsItsList)
{
    using namespace Holidays;
    THolidayListingForm* F = Open<THolidayListingForm>("Holiday Listing");
    ASSERT_NE(F, nullptr) << Dialogs.LastText();
    TXStringGrid* G = F->Grid;
    Type(G, PortsCol, 0, "3,1-2");
    ASSERT_EQ(G->Cells(PortsCol, 0), "1-3") << Dialogs.LastText();
    EXPECT_FALSE(G->EditorShowing());

    // Refused: the cell keeps its list, the box says so, and what was typed is back in the editor.
    const size_t Boxes = Dialogs.Boxes.size();
    Type(G, PortsCol, 0, "1-4,1-9");
    ASSERT_EQ(Dialogs.Boxes.size(), Boxes + 1);
    EXPECT_EQ(Dialogs.LastText(), "Number 9 is out of range 1 to 4.\r\nThe cell now holds \"1-3\". What was typed "
                                  "stays in its editor to be corrected; Esc gives it up.");
    EXPECT_EQ(G->Cells(PortsCol, 0), "1-3");
    ASSERT_TRUE(G->EditorShowing());
    EXPECT_EQ(G->Col(), PortsCol);
    EXPECT_EQ(G->Row(), 0);
    EXPECT_EQ(EditorText(G), "1-4,1-9");
    F->grab().save(ScreenshotPath("holiday-ports-refused.png"));

    // Corrected in place: the last character goes, Enter stores the list.
    QTest::keyClick(Focused(G), Qt::Key_Backspace);
    QTest::keyClicks(Focused(G), "3");
    QTest::keyClick(Focused(G), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(G->Cells(PortsCol, 0), "1-4");
    EXPECT_FALSE(G->EditorShowing());
    EXPECT_EQ(Dialogs.Boxes.size(), Boxes + 1);

    // The trunk groups the same way; Esc gives the text up and the cell stays as it was.
    Type(G, TrunksCol, 0, "1-30");
    EXPECT_EQ(Dialogs.LastText(), "Number 30 is out of range 1 to 24.\r\nThe cell now holds \"1-8\". What was "
                                  "typed stays in its editor to be corrected; Esc gives it up.");
    EXPECT_EQ(EditorText(G), "1-30");
    QTest::keyClick(Focused(G), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(G->EditorShowing());
    EXPECT_EQ(G->Cells(TrunksCol, 0), "1-8");

    // Closing the window with a refused list waiting in the editor keeps it open for the correction.
    Type(G, PortsCol, 1, "9");
    ASSERT_EQ(EditorText(G), "9");
    EXPECT_FALSE(F->close());
    QApplication::processEvents();
    EXPECT_TRUE(F->isVisible());
    EXPECT_EQ(EditorText(G), "9");
    EXPECT_EQ(G->Cells(PortsCol, 1), "1-4");
}

TEST_F(RefusedValues, ARefusedGroupMemberGoesBackToWhatTheCellHeldAndTheBoxSaysSo)
{
    TMailboxGroupForm* F = Open<TMailboxGroupForm>("Mailbox Group");
    ASSERT_NE(F, nullptr) << Dialogs.LastText();
    TXStringGrid* G = F->Grid;
    Type(G, TGroupTable::GroupCol, 0, "500");
    ASSERT_EQ(G->Cells(TGroupTable::GroupCol, 0), "500") << Dialogs.LastText();
    const int Member = TGroupTable::FirstMemberCol;
    struct TCase {
        const char* Before;   // stored first
        const char* Typed;
        const char* Message;
    };
    for (const TCase& C : {TCase{"", "123", "Mailbox number 123 does not exist.\r\nThe cell now holds nothing."},
             TCase{"101", "123", "Mailbox number 123 does not exist.\r\nThe cell now holds \"101\"."},
             TCase{"101", "999", "Don't use in group Manager's Mailbox 999.\r\nThe cell now holds \"101\"."}})
    {
        if (*C.Before) {
            Type(G, Member, 0, C.Before);
            ASSERT_EQ(G->Cells(Member, 0), C.Before) << Dialogs.LastText();
        }
        Type(G, Member, 0, C.Typed);
        EXPECT_EQ(Dialogs.LastText(), C.Message);
        EXPECT_EQ(G->Cells(Member, 0), C.Before) << C.Typed;
        EXPECT_FALSE(G->EditorShowing()) << "the check puts the old text back: no editor waits";
    }
}
