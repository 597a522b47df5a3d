#include "common/ui/BaseMDI.h"
#include "common/ui/UtilitsUi.h"
#include "xml/XmlDoc.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <gtest/gtest.h>

#include <memory>

// A child window that notes what its hooks saw.
class TTestChildForm : public TBaseMDIForm {
    Q_OBJECT
public:
    TTestChildForm(const TFormCreation& Creation, std::vector<std::string>* Log, const std::string& Tag,
        int AdjustWidth = 0)
        : TBaseMDIForm(Creation), AdjustWidth(AdjustWidth), Log(Log), Tag(Tag)
    {
        Info = new QLabel("old", Client());
        Info->setObjectName("InfoLabel");
        Log->push_back(Tag + ":ctor index " + std::to_string(Index));
    }
    bool RefuseClose = false;
    int Applied = 0;
    int AdjustWidth;
    QLabel* Info;

    void ChildApplied() override { ++Applied; }

protected:
    void InitForm() override
    {
        TBaseMDIForm::InitForm();
        FormMask.Include(6);
        Log->push_back(Tag + ":InitForm caption " + windowTitle().toStdString() + " label " +
            Info->text().toStdString());
    }
    void AfterInit() override
    {
        TBaseMDIForm::AfterInit();
        Log->push_back(Tag + ":AfterInit");
    }
    void AdjustParams(TWindowParams& P) override
    {
        if (AdjustWidth)
            P.Width = AdjustWidth;
    }
    void closeEvent(QCloseEvent* Event) override
    {
        if (RefuseClose) {
            Event->ignore();
            return;
        }
        TBaseMDIForm::closeEvent(Event);
        if (Event->isAccepted())
            Log->push_back(Tag + ":closed");
    }

private:
    std::vector<std::string>* Log;
    std::string Tag;
};

namespace {

class BaseMDI : public ::testing::Test {
protected:
    void SetUp() override
    {
        Doc = std::make_unique<TXmlDoc>();
        Doc->ShowErrors = false;
        Doc->XmlText = R"(<DOC><PARAM Name="Form Properties"><PARAM Name="TTestChildForm">
            <VIEWPARAM Name="Form Info">
              <GATTR Name="FormCaption" Value="Mailboxes"/>
              <GATTR Name="HelpContextName" Value="Mailbox"/>
              <GATTR Name="FormPosX" Value="10"/><GATTR Name="FormPosY" Value="20"/>
              <GATTR Name="FormWidth" Value="300"/><GATTR Name="FormHeight" Value="200"/>
            </VIEWPARAM>
            <VIEWPARAM Name="Form Controls Caption">
              <GATTR Name="FormCaption" Value="From the controls list"/>
              <GATTR Name="HelpContextName" Value="Other"/>
              <GATTR Name="InfoLabel" Value="Applied"/>
            </VIEWPARAM></PARAM></PARAM></DOC>)";
        ASSERT_TRUE(Doc->ParseText());
        SetPropertiesNodes(Doc->FindNode(Doc->Root(), "Form Properties"), nullptr);
        Saved = FormMetrics();
        SetFormMetrics(TFormMetrics{});
        ReadFormInfo(FindFormDescription("TTestChildForm"), Params);
        Main.resize(1000, 700);
        Area = new QMdiArea(&Main);
        Main.setCentralWidget(Area);
        Main.show();
    }
    void TearDown() override
    {
        SetPropertiesNodes(nullptr, nullptr);
        SetFormMetrics(Saved);
    }
    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::unique_ptr<TXmlDoc> Doc;
    TFormMetrics Saved;
    TFormParams Params;
    QMainWindow Main;
    QMdiArea* Area = nullptr;
    std::vector<std::string> Log;
};

TEST_F(BaseMDI, AWindowOfTheMainWindowTakesItsTextsGeometryAndHooksInOrder)
{
    auto* form = TBaseMDIForm::Create<TTestChildForm>(Area, TFormKinds{2}, Params, &Log, "main");
    EXPECT_EQ(Log, (std::vector<std::string>{"main:ctor index -1",
        "main:InitForm caption Mailboxes label Applied", "main:AfterInit"}));
    EXPECT_EQ(form->FormClassName(), "TTestChildForm");
    EXPECT_EQ(form->windowTitle(), "Mailboxes");
    EXPECT_EQ(form->HelpKeyword(), "Mailbox");
    EXPECT_EQ(form->Info->text(), "Applied");
    EXPECT_EQ(form->FormMask, (TFormKinds{2, 6}));
    EXPECT_EQ(form->OwnerForm, nullptr);
    EXPECT_EQ(form->Index, -1);
    EXPECT_EQ(form->mdiArea(), Area);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->geometry(), QRect(10, 20, 300, 200));

    QPointer<TTestChildForm> gone(form);
    EXPECT_TRUE(form->close());
    Flush();
    EXPECT_TRUE(gone.isNull());   // an MDI child frees itself when closed

    // Empty view texts win over the controls list; no size at all gives the default size, not an invisible window.
    TFormParams bare;
    auto* plain = TBaseMDIForm::Create<TTestChildForm>(Area, TFormKinds{2}, bare, &Log, "bare");
    EXPECT_EQ(plain->windowTitle(), "");
    EXPECT_EQ(plain->HelpKeyword(), "");
    EXPECT_EQ(plain->size(), QSize(TBaseMDIForm::DefaultWidth, TBaseMDIForm::DefaultHeight));
    plain->close();

    // A class may change the window being created after the view parameters are in.
    auto* narrow = TBaseMDIForm::Create<TTestChildForm>(Area, TFormKinds{2}, Params, &Log, "narrow", 250);
    EXPECT_EQ(narrow->geometry(), QRect(10, 20, 250, 200));
    narrow->close();
}

TEST_F(BaseMDI, DetailWindowsKeepOwnerAndRowAndCloseBeforeTheirOwner)
{
    auto* owner = TBaseMDIForm::Create<TTestChildForm>(Area, TFormKinds{2}, Params, &Log, "owner");
    auto* detail = TBaseMDIForm::CreateDetail<TTestChildForm>(Area, TFormKinds{3}, Params, owner, 5, &Log, "detail");
    auto* other = TBaseMDIForm::CreateDetail<TTestChildForm>(Area, TFormKinds{3}, Params, owner, 6, &Log, "other");
    EXPECT_EQ(detail->OwnerForm, owner);
    EXPECT_EQ(detail->Index, 5);
    EXPECT_EQ(Log[3], "detail:ctor index 5");
    EXPECT_EQ(owner->DetailForms().size(), 2);

    detail->NotifyOwnerApplied();
    EXPECT_EQ(owner->Applied, 1);

    // A detail window that refuses to close keeps its owner open too (the ones before it are closed by then).
    QPointer<TTestChildForm> d(detail), o(other), w(owner);
    other->RefuseClose = true;
    Log.clear();
    EXPECT_FALSE(owner->close());
    EXPECT_TRUE(owner->isVisible());
    EXPECT_EQ(Log, std::vector<std::string>{"detail:closed"});
    other->RefuseClose = false;

    Log.clear();
    EXPECT_TRUE(owner->close());
    EXPECT_EQ(Log, (std::vector<std::string>{"other:closed", "owner:closed"}));
    Flush();
    EXPECT_TRUE(d.isNull() && o.isNull() && w.isNull());
}

TEST_F(BaseMDI, ADialogStyleWindowIsHiddenCentredAndOnlyHidesWhenClosed)
{
    auto* owner = TBaseMDIForm::Create<TTestChildForm>(Area, TFormKinds{2}, Params, &Log, "owner");
    auto* dialog = TBaseMDIForm::CreateDetail<TTestChildForm>(Area, TFormKinds{1, 2}, Params, owner, 0, &Log, "dlg");
    EXPECT_TRUE(dialog->isWindow());
    EXPECT_EQ(dialog->mdiArea(), nullptr);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->size(), QSize(300, 200));
    QPoint ownerCentre = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size()).center();
    QPoint dialogCentre = QRect(dialog->pos(), dialog->size()).center();
    EXPECT_LE((ownerCentre - dialogCentre).manhattanLength(), 2);

    dialog->show();
    QPointer<TTestChildForm> alive(dialog);
    EXPECT_TRUE(dialog->close());
    Flush();
    ASSERT_FALSE(alive.isNull());
    EXPECT_FALSE(dialog->isVisible());
    dialog->show();
    EXPECT_TRUE(dialog->Info->isVisible());   // shown again with its controls
    dialog->close();

    // Once the owner is gone the dialog's owner reads as nobody, and telling it is harmless.
    owner->close();
    Flush();
    EXPECT_EQ(dialog->OwnerForm, nullptr);
    dialog->NotifyOwnerApplied();

    // It has no Qt parent, yet goes with the main window.
    auto* main = new QMainWindow;
    auto* area = new QMdiArea(main);
    main->setCentralWidget(area);
    QPointer<TTestChildForm> orphan(TBaseMDIForm::Create<TTestChildForm>(area, TFormKinds{1}, Params, &Log, "o"));
    delete main;
    EXPECT_TRUE(orphan.isNull());
    delete dialog;
}

} // namespace

#include "TestBaseMDI.moc"
