// The section window around the logic: creation (and its clean failure), texts from "Form Properties", the
// modified mark, the buttons, the close question, and the Insert and Delete keys.
#include "support/RecordingDialogs.h"
#include "forms/base/BaseGrid.h"

#include "../GridFormFixture.h"
#include "common/Utilits.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

namespace {

const char* const Description =
    "<ORLANTIS><PARAM Name=\"VMU Parameters 409\">"
    "<PARAM Name=\"Call Hold\">"
    "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"GridOptions\" Type=\"goEditing\" Value=\"Yes\"/></VIEWPARAM>"
    "<PARAM Name=\"Hold Time\" Value=\"30\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"PropertyCaption\" Value=\"Hold time\"/>"
    "<GATTR Name=\"Hint\" Value=\"Seconds on hold\"/></VIEWPARAM></PARAM>"
    "</PARAM>"
    "<PARAM Name=\"Holidays\">"
    "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"DoubleHeader\" Value=\"Yes\"/></VIEWPARAM>"
    "<PARAM Name=\"Holiday\" Value=\"1\"><VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"ColumnCaption\" Value=\"No.\"/>"
    "<GATTR Name=\"DoubleHeaderColumnCaption\" Value=\" \"/></VIEWPARAM>"
    "<ATTR Name=\"From\" Value=\"01/01\"><VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"ColumnCaption\" Value=\"From\"/>"
    "<GATTR Name=\"DoubleHeaderColumnCaption\" Value=\"Period\"/></VIEWPARAM></ATTR>"
    "<ATTR Name=\"To\" Value=\"02/01\"><VIEWPARAM Name=\"Cell Info\"><GATTR Name=\"ColumnCaption\" Value=\"To\"/>"
    "<GATTR Name=\"DoubleHeaderColumnCaption\" Value=\"Period\"/></VIEWPARAM></ATTR>"
    "</PARAM></PARAM>"
    "<PARAM Name=\"Broken\">"
    "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"HeaderHeight\" Value=\"tall\"/></VIEWPARAM>"
    "</PARAM></PARAM>"
    "<PARAM Name=\"Form Properties\"><PARAM Name=\"TBaseGridForm\"><VIEWPARAM Name=\"Form Controls Caption\">"
    "<GATTR Name=\"ButtonApply\" Value=\"Store\" Hint=\"Store the changes\"/>"
    "<GATTR Name=\"NewRowButton\" Value=\"New\" Hint=\"Add a row\"/>"
    "</VIEWPARAM></PARAM></PARAM>"
    "</ORLANTIS>";

// A section window as the section forms write theirs.
class TTestSectionForm : public TBaseGridForm {
    Q_OBJECT
public:
    TTestSectionForm(const TFormCreation& Creation, std::string Section, bool Properties = true)
        : TBaseGridForm(Creation), Section(std::move(Section)), Properties(Properties)
    {
        connect(NewRowButton, &QToolButton::clicked, this, [this] { ++NewClicks; });
        connect(DeleteRowButton, &QToolButton::clicked, this, [this] { ++DeleteClicks; });
    }
    std::string Section;
    bool Properties;
    int NewClicks = 0;
    int DeleteClicks = 0;

protected:
    void InitForm() override
    {
        TBaseGridForm::InitForm();
        FormMask.Include(31);
        ShowSection(Properties, Section, "");
        Grid->ModifyTracking = true;
    }
};

class BaseGridForm : public ::testing::Test {
protected:
    BaseGridForm() : Scope(&Services)
    {
        View.ShowErrors = false;
        View.XmlText = Description;
        EXPECT_TRUE(View.ParseText()) << View.LastError;
        View.AssignIDs(View.Root());
        Data.Root()->SetTag("DATA");
        for (const char* Name : {"Call Hold", "Broken", "Holidays"})
            Data.Root()->AddChild(View.FindNode(nullptr, Name)->CloneLinked({"ATTR", "PARAM"}, true));
        // A second holiday record.
        Data.FindNode(nullptr, "Holidays")->AddChild(View.FindNode(nullptr, "Holiday")->CloneLinked({"ATTR", "PARAM"}, true));
        Data.AssignIDs(Data.Root());
        Services.Data = &Data;
        Services.View = &View;
        SetPropertiesNodes(View.FindNode(nullptr, "Form Properties"), nullptr);
        Area.resize(800, 600);
    }
    ~BaseGridForm() override { SetPropertiesNodes(nullptr, nullptr); }

    TTestSectionForm* Open(const std::string& Section, bool Properties = true)
    {
        TFormParams P;
        P.Caption = "Call Hold";
        P.Width = 400;
        P.Height = 300;
        return TBaseMDIForm::Create<TTestSectionForm>(&Area, TFormKinds{2}, P, Section, Properties);
    }

    TXmlDoc View;
    TXmlDoc Data{&View};
    TFakeFormServices Services;
    TFormServicesScope Scope;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
    QMdiArea Area;
};

} // namespace

TEST_F(BaseGridForm, OpensWithItsTextsAndMarksEditsInTheCaption)
{
    TTestSectionForm* F = Open("Call Hold");
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(F->FormMask, (TFormKinds{2, 31}));
    EXPECT_EQ(F->ButtonApply->text(), "Store");
    EXPECT_EQ(F->NewRowButton->toolTip(), "Add a row");
    EXPECT_FALSE(F->ButtonApply->isEnabled());
    EXPECT_TRUE(F->PrintPreviewButton->isEnabled());
    EXPECT_EQ(F->Grid->Cells(1, 0), "30");
    EXPECT_EQ(F->Grid->Options() & goColSizing, 0);
    EXPECT_EQ(F->StatusBar->currentMessage(), "Seconds on hold");
    EXPECT_FALSE(F->Grid->Layout().TabStop(0)) << "Tab goes from value to value, past the names";

    F->Grid->SetCells(1, 0, "45");
    EXPECT_EQ(F->windowTitle(), "Call Hold*");
    EXPECT_TRUE(F->ButtonApply->isEnabled());
    F->ButtonApplyClick();
    EXPECT_EQ(F->windowTitle(), "Call Hold");
    EXPECT_FALSE(F->ButtonApply->isEnabled());
    EXPECT_TRUE(F->AppliedOnce);
    EXPECT_EQ(Data.FindNode(nullptr, "Hold Time")->GetValue(), "45");
    EXPECT_EQ(Services.Written, std::vector<std::string>{"Call Hold"});
}

TEST_F(BaseGridForm, AViewDescriptionThatFailsClosesTheWindowWithAMessage)
{
    EXPECT_EQ(Open("Broken"), nullptr);
    EXPECT_TRUE(Area.subWindowList().isEmpty());
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, "'tall' is not a valid integer value");
    // A section missing from the data document ends the same way.
    EXPECT_EQ(Open("Fax Management"), nullptr);
    EXPECT_TRUE(Area.subWindowList().isEmpty());
    EXPECT_EQ(Dialogs.Boxes.size(), 2u);
    EXPECT_TRUE(Services.Closed.empty());
}

TEST_F(BaseGridForm, ButtonsAndTheCloseQuestion)
{
    // OK on an unchanged window closes it without a question.
    TTestSectionForm* F = Open("Call Hold");
    QPointer<TTestSectionForm> Watch(F);
    F->ButtonOKClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Watch.isNull());
    EXPECT_TRUE(Dialogs.Boxes.empty());
    EXPECT_EQ(Services.Closed, std::vector<std::string>{"Call Hold"});

    // A changed window asks; Cancel keeps it, No closes it without storing.
    F = Open("Call Hold");
    Watch = F;
    F->Grid->SetCells(1, 0, "50");
    Dialogs.Answers = {mrCancel, mrNo};
    EXPECT_FALSE(F->close());
    EXPECT_FALSE(Watch.isNull());
    EXPECT_EQ(Dialogs.LastText(), "Change in this form have not been saved. Do you want to save data?");
    EXPECT_TRUE(F->close());
    EXPECT_EQ(Data.FindNode(nullptr, "Hold Time")->GetValue(), "30");

    // OK with edits applies without asking; a refused store keeps the window open.
    F = Open("Call Hold");
    Watch = F;
    F->Grid->SetCells(1, 0, "55");
    Services.WriteAnswer = false;
    size_t Boxes = Dialogs.Boxes.size();
    F->ButtonOKClick();
    EXPECT_FALSE(Watch.isNull());
    EXPECT_EQ(Dialogs.Boxes.size(), Boxes);
    Services.WriteAnswer = true;
    F->ButtonOKClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Watch.isNull());
    EXPECT_EQ(Data.FindNode(nullptr, "Hold Time")->GetValue(), "55");

    // Cancel on a changed window closes it without a question and without storing.
    F = Open("Call Hold");
    Watch = F;
    F->Grid->SetCells(1, 0, "60");
    F->ButtonCancelClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Watch.isNull());
    EXPECT_EQ(Dialogs.Boxes.size(), Boxes);
    EXPECT_EQ(Data.FindNode(nullptr, "Hold Time")->GetValue(), "55");
}

TEST_F(BaseGridForm, TextStillInTheEditorCountsForApplyOKAndTheCloseQuestion)
{
    Area.show();
    QApplication::setActiveWindow(&Area);
    (void)QTest::qWaitForWindowExposed(&Area, 5000);
    TTestSectionForm* F = Open("Call Hold");
    auto TypeInto = [&](const char* Text) {
        F->Grid->setFocus();
        F->Grid->SetRow(0);
        F->Grid->SetCol(1);
        QApplication::processEvents();
        QTest::keyClick(F->Grid, Qt::Key_F2);
        ASSERT_TRUE(F->Grid->EditorShowing());
        QLineEdit* Line = F->Grid->InplaceEditor()->LineEdit();
        Line->selectAll();
        QTest::keyClicks(Line, Text);
        ASSERT_EQ(Line->text().toStdString(), Text);
    };
    TypeInto("41");
    F->ButtonApplyClick();
    EXPECT_EQ(Data.FindNode(nullptr, "Hold Time")->GetValue(), "41");

    TypeInto("42");
    Dialogs.Answers = {mrYes};
    EXPECT_TRUE(F->close());
    EXPECT_EQ(Dialogs.LastText(), "Change in this form have not been saved. Do you want to save data?");
    EXPECT_EQ(Data.FindNode(nullptr, "Hold Time")->GetValue(), "42");
}

TEST_F(BaseGridForm, InsertAndDeleteKeysActOnlyThroughAUsableButton)
{
    TTestSectionForm* F = Open("Call Hold");
    Area.show();
    F->Grid->setFocus();
    auto Keys = [&] {
        QTest::keyClick(F->Grid, Qt::Key_Insert);
        QTest::keyClick(F->Grid, Qt::Key_Delete);
    };
    Keys();   // both buttons hidden
    EXPECT_EQ(F->NewClicks + F->DeleteClicks, 0);
    F->NewRowButton->show();
    F->DeleteRowButton->show();
    F->DeleteRowButton->setEnabled(false);   // a record limit reached
    Keys();
    EXPECT_EQ(F->NewClicks, 1);
    EXPECT_EQ(F->DeleteClicks, 0);
    F->DeleteRowButton->setEnabled(true);
    Keys();
    EXPECT_EQ(F->NewClicks, 2);
    EXPECT_EQ(F->DeleteClicks, 1);
}

TEST_F(BaseGridForm, ATableWindowGroupsItsColumnsUnderTheDoubleHeader)
{
    TTestSectionForm* F = Open("Holidays", false);
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(F->Grid->RowCount(), 2);
    ASSERT_EQ(F->Grid->ColumnCount(), 3);
    EXPECT_EQ(F->Grid->Columns()[2]->Caption(), "To");
    ASSERT_TRUE(F->Grid->DoubleHeader());
    TXGridColumns* Headers = F->Grid->GetHeaderColumns();
    // Every column names its header column; the record's Cell Info ran once per record, the links once per column.
    ASSERT_EQ(Headers->Count(), 2);
    EXPECT_EQ(Headers->GetItem(1)->Caption(), "Period");
    EXPECT_EQ(Headers->GetItem(1)->GetSubColumnCount(), 2);
    EXPECT_EQ(Headers->GetItem(0)->GetSubColumnCount(), 1);
    EXPECT_EQ(F->Grid->Columns()[1]->HeaderColumn(), Headers->GetItem(1));
    Area.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(F->grab().isNull());
}

#include "TestBaseGrid.moc"
