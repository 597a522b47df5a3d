// The Mailbox Listing window over a small description: the one rule for adding mailboxes holds for the button,
// the Insert key and the add handler alike, and a deletion reaches the sections that refer to the mailbox only
// after the listing itself was stored.
#include "forms/mailbox/MailboxListing.h"

#include "../GridFormFixture.h"
#include "common/Utilits.h"
#include "forms/mailbox/MailboxRules.h"

#include <QMdiArea>
#include <QTest>
#include <QToolButton>

namespace {

std::string Field(const char* Name, const char* Value = "")
{
    return std::string("<ATTR Name=\"") + Name + "\" Value=\"" + Value +
           "\" Change=\"NoChange\"><VIEWPARAM Name=\"Cell Info\"/></ATTR>";
}

std::string Description()
{
    return "<ORLANTIS><PARAM Name=\"VMU Parameters 409\"><PARAM Name=\"Mailbox Listing\" Change=\"NoChange\">"
           "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"GridOptions\" Type=\"goEditing\" Value=\"True\"/></VIEWPARAM>"
           "<ATTR Name=\"Mailbox No. %T%\" Value=\"\" Change=\"NoChange\"><VIEWPARAM Name=\"Cell Info\"/>" +
           Field("Extension No.") + Field("Last Name") + Field("First Name") + Field("Maximum Messages", "30") +
           Field("Extension Group No.") + Field("Interview Mailbox Number") +
           "<PARAM Name=\"Notification Setting\" Change=\"NoChange\"><VIEWPARAM Name=\"Cell Info\"/>"
           "<PARAM Name=\"%% Device\" Change=\"NoChange\">" + Field("Device Number") + "</PARAM></PARAM>" +
           Field("Reset Mailbox Password", "No") + "</ATTR></PARAM></PARAM></ORLANTIS>";
}

// Services that record the rewriting of references and can refuse the store.
class TRecordingServices : public TFakeFormServices {
public:
    std::vector<std::string> Replaced;
    std::vector<std::string> Cleared;
    void ReplaceMailboxReferences(const std::string& Mailbox, const std::string& Section) override
    {
        Replaced.push_back(Mailbox + " " + Section);
    }
    void ClearInterviewReferences(const std::string& Mailbox, const std::string& Section) override
    {
        Cleared.push_back(Mailbox + " " + Section);
    }
};

class MailboxListingForm : public ::testing::Test {
protected:
    MailboxListingForm() : Scope(&Services)
    {
        View.ShowErrors = false;
        View.XmlText = Description();
        EXPECT_TRUE(View.ParseText()) << View.LastError;
        View.AssignIDs(View.Root());
        Data.Root()->SetTag("DATA");
        TXmlNode* Section = View.FindNode(nullptr, "Mailbox Listing");
        TXmlNode* Listing = Data.Root()->Nodes.Items(Data.Root()->AddChild(Section->CloneLinked({"ATTR", "PARAM"}, false)));
        for (const auto& [Number, Interview] : std::vector<std::pair<std::string, std::string>>{
                 {"101", "310"}, {"102", ""}, {"998", ""}}) {
            TXmlNode* Template = View.FindNode(Section, "Mailbox No. %T%");
            TXmlNode* M = Listing->Nodes.Items(Listing->AddChild(Template->CloneLinked({"ATTR", "PARAM"}, true)));
            M->SetAttr("Name", "Mailbox No. " + Number);
            M->SetAttr("Value", Number);
            Data.FindNode(M, "Interview Mailbox Number")->SetAttr("Value", Interview);
            Data.FindNode(M, "Notification Setting")->Nodes.Clear();
        }
        Data.AssignIDs(Data.Root());
        Services.Data = &Data;
        Services.View = &View;
        Area.resize(900, 500);
    }

    TMailboxListingForm* Open()
    {
        TFormParams P;
        P.Caption = "Mailbox Listing";
        P.Width = 800;
        P.Height = 300;
        return TBaseMDIForm::Create<TMailboxListingForm>(&Area, TFormKinds{2}, P);
    }
    int RowOf(TMailboxListingForm* F, const std::string& Number)
    {
        for (int Row = 0; Row < F->Grid->RowCount(); ++Row)
            if (F->Grid->Cells(0, Row) == Number)
                return Row;
        return -1;
    }

    TXmlDoc View;
    TXmlDoc Data{&View};
    TRecordingServices Services;
    TFormServicesScope Scope;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
    QMdiArea Area;
};

} // namespace

TEST_F(MailboxListingForm, TheUserMailboxLimitHoldsForAddsDeletesAndTheInsertKey)
{
    Services.Facts.AmountUserMailboxes = 3;   // 101 and 102 are there: one more may come
    TMailboxListingForm* F = Open();
    ASSERT_NE(F, nullptr) << Dialogs.LastText();
    ASSERT_EQ(F->Grid->RowCount(), 4);   // 101, 102, 998 and the System Manager's 999
    EXPECT_EQ(F->Grid->Cells(0, 3), "999");
    EXPECT_TRUE(F->NewRowButton->isEnabled());

    EXPECT_GE(F->AddMailbox("103"), 0);
    EXPECT_FALSE(F->NewRowButton->isEnabled());
    // The handler itself refuses: neither a direct call nor a button enabled by mistake adds past the limit.
    EXPECT_EQ(F->AddMailbox("104"), -1);
    F->NewRowButton->setEnabled(true);
    F->NewRowButtonClick();   // returns before any dialog is shown
    EXPECT_FALSE(F->NewRowButton->isEnabled());
    F->Grid->setFocus();
    QTest::keyClick(F->Grid, Qt::Key_Insert);
    EXPECT_EQ(F->Grid->RowCount(), 5);

    // A deletion frees a place again, and so enables the button.
    F->Grid->SetRow(RowOf(F, "102"));
    Dialogs.Answers = {mrYes};
    F->DeleteRowButtonClick();
    EXPECT_EQ(RowOf(F, "102"), -1);
    EXPECT_TRUE(F->NewRowButton->isEnabled());

    // The managers' mailboxes cannot be deleted.
    F->Grid->SetRow(RowOf(F, "998"));
    F->DeleteRowButtonClick();
    EXPECT_EQ(Dialogs.LastText(), Utilits::SUnableDeleteManagerMailbox);
    EXPECT_GE(RowOf(F, "998"), 0);
}

TEST_F(MailboxListingForm, ADeletionReachesOtherSectionsOnlyAfterTheListingWasStored)
{
    TMailboxListingForm* F = Open();
    ASSERT_NE(F, nullptr) << Dialogs.LastText();
    F->Grid->SetRow(RowOf(F, "101"));
    Dialogs.Answers = {mrYes};
    F->DeleteRowButtonClick();
    ASSERT_EQ(RowOf(F, "101"), -1);
    EXPECT_EQ(F->DeletedServiceNumbers, std::vector<int32_t>{310});

    // The device refuses the listing: no other section may follow a deletion that did not happen.
    Services.WriteAnswer = false;
    EXPECT_FALSE(F->ApplyChanges(true));
    EXPECT_TRUE(Services.Replaced.empty());
    EXPECT_TRUE(Services.Cleared.empty());
    EXPECT_TRUE(F->Modified);

    Services.WriteAnswer = true;
    EXPECT_TRUE(F->ApplyChanges(true));
    std::vector<std::string> Expected;
    for (const std::string& S : MailboxReferringSections())
        Expected.push_back("101 " + S);
    EXPECT_EQ(Services.Replaced, Expected);
    EXPECT_EQ(Services.Cleared,
        (std::vector<std::string>{"310 Port Service", "310 Trunk Service", "310 Holiday Listing"}));
    EXPECT_TRUE(F->DeletedServiceNumbers.empty());
    EXPECT_EQ(Data.FindNode(nullptr, "Mailbox No. 101")->GetAttr("Change"), "Delete");
}

TEST_F(MailboxListingForm, TheOpenWindowAnswersForItsUnappliedRows)
{
    TMailboxListingForm* F = Open();
    ASSERT_NE(F, nullptr) << Dialogs.LastText();
    EXPECT_GE(F->AddMailbox("150"), 0);
    F->Grid->SetRow(RowOf(F, "101"));
    EXPECT_TRUE(F->NumberInUse(TNumberInUseQuery::nuMailbox, "150"));
    EXPECT_TRUE(F->NumberInUse(TNumberInUseQuery::nuMailbox, "310"));   // an interview number
    EXPECT_FALSE(F->NumberInUse(TNumberInUseQuery::nuMailbox, "101"));  // the current row's own
    EXPECT_FALSE(F->NumberInUse(TNumberInUseQuery::nuMailbox, "777"));
}
