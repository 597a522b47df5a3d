#include "common/ui/UtilitsUi.h"
#include "support/RecordingHelp.h"
#include "xml/XmlDoc.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

// The main window's class name is what context help looks for.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm() { setObjectName("MainForm"); }
};

namespace {

std::unique_ptr<TXmlDoc> Parse(const std::string& Text)
{
    auto doc = std::make_unique<TXmlDoc>();
    doc->ShowErrors = false;
    doc->XmlText = Text;
    EXPECT_TRUE(doc->ParseText()) << doc->LastError;
    return doc;
}

template <class W>
W* Add(QWidget* Parent, const char* Name, const char* Text = nullptr)
{
    auto* w = new W(Parent);
    w->setObjectName(Name);
    if constexpr (requires { w->setText(QString()); })
        if (Text)
            w->setText(Text);
    return w;
}

const char* FormTexts = R"(<DOC><PARAM Name="Form Properties">
    <PARAM Name="TTestForm"><VIEWPARAM Name="Form Controls Caption">
        <GATTR Name="FormCaption" Value="Test form"/>
        <GATTR Name="HelpContextName" Value="TestHelp"/>
        <GATTR Name="Label1" Value="Deep label" Hint="label hint"/>
        <GATTR Name="GridLabel" Value="changed"/>
        <GATTR Name="PageLabel" Value="changed"/>
        <GATTR Name="Panel2" Value="panel caption" Hint="panel hint"/>
        <GATTR Name="OkButton" Value="&amp;OK" Hint=""/>
        <GATTR Name="GroupBox1" Value="Options"/>
        <GATTR Name="ToolButton1" Value="not a caption" Hint="tool hint"/>
        <GATTR Name="Check1" Value="Check me"/>
        <GATTR Name="Radio1" Value="Pick me"/>
        <GATTR Name="Edit1" Value="never"/>
        <GATTR Name="ActionList" ActionName="ActionConnect" Value="not on this form"/>
    </VIEWPARAM>
    <VIEWPARAM Name="Form Info"><GATTR Name="Label1" Value="not a control text"/></VIEWPARAM>
    </PARAM>
    <PARAM Name="TMainForm"><VIEWPARAM Name="Form Controls Caption">
        <GATTR Name="ActionList" ActionName="ActionConnect" Value="&amp;Connect" Hint="Connect to VMU"/>
        <GATTR Name="ActionList" ActionName="ActionMissing" Value="x"/>
    </VIEWPARAM></PARAM>
    </PARAM></DOC>)";

TEST(ApplyFormTexts, ReachesNestedControlsByKindAndLeavesOthersAlone)
{
    auto doc = Parse(FormTexts);
    TXmlNode* forms = doc->FindNode(doc->Root(), "Form Properties");
    ASSERT_NE(forms, nullptr);

    QWidget form;
    form.setObjectName("TestForm");
    auto* group = Add<QGroupBox>(&form, "GroupBox1");
    auto* panel = Add<QFrame>(group, "Panel1");
    auto* label1 = Add<QLabel>(panel, "Label1", "old");
    auto* twin = Add<QLabel>(&form, "Label1", "old");             // every match changes, not only the first
    auto* grid = Add<QTableWidget>(&form, "Grid");
    auto* gridLabel = Add<QLabel>(grid, "GridLabel", "old");
    auto* pages = Add<QTabWidget>(&form, "Pages");
    auto* page = new QWidget;
    pages->addTab(page, "p");
    auto* pageLabel = Add<QLabel>(page, "PageLabel", "old");
    auto* panel2 = Add<QFrame>(&form, "Panel2");
    panel2->setToolTip("old");
    auto* ok = Add<QPushButton>(&form, "OkButton", "old");
    ok->setToolTip("kept");
    auto* toolBar = Add<QToolBar>(&form, "ToolBar1");
    auto* toolButton = Add<QToolButton>(toolBar, "ToolButton1", "tb");
    // A tool bar button made from an action: the hint must outlive the next change of the action.
    QAction* toolAction = qobject_cast<QToolBar*>(toolBar)->addAction("ta");
    toolAction->setObjectName("ToolButton1");
    auto* check = Add<QCheckBox>(&form, "Check1");
    auto* radio = Add<QRadioButton>(&form, "Radio1");
    auto* edit = Add<QLineEdit>(&form, "Edit1", "old");
    auto* action = new QAction("old", &form);
    action->setObjectName("ActionConnect");

    ApplyFormTexts(forms, "TTestForm", &form);
    EXPECT_EQ(form.windowTitle(), "Test form");
    EXPECT_EQ(HelpKeyword(&form), "TestHelp");
    EXPECT_EQ(label1->text(), "Deep label");
    EXPECT_EQ(label1->toolTip(), "label hint");
    EXPECT_EQ(twin->text(), "Deep label");
    EXPECT_EQ(gridLabel->text(), "old");
    EXPECT_EQ(pageLabel->text(), "old");
    EXPECT_EQ(panel2->toolTip(), "panel hint");
    EXPECT_EQ(ok->text(), "&OK");
    EXPECT_EQ(ok->toolTip(), "kept");
    EXPECT_EQ(group->title(), "Options");
    EXPECT_EQ(toolButton->text(), "tb");
    EXPECT_EQ(toolButton->toolTip(), "tool hint");
    toolAction->setEnabled(false);
    EXPECT_EQ(qobject_cast<QToolBar*>(toolBar)->widgetForAction(toolAction)->toolTip(), "tool hint");
    EXPECT_EQ(toolAction->text(), "ta");
    EXPECT_EQ(check->text(), "Check me");
    EXPECT_EQ(radio->text(), "Pick me");
    EXPECT_EQ(edit->text(), "old");
    EXPECT_EQ(action->text(), "old");   // "ActionList" on a form that is not the main window names a control

    // Only the main window's actions take "ActionList" texts.
    TMainForm main;
    auto* connect = new QAction("old", &main);
    connect->setObjectName("ActionConnect");
    ApplyFormTexts(forms, "TMainForm", &main);
    EXPECT_EQ(connect->text(), "&Connect");
    EXPECT_EQ(connect->toolTip(), "Connect to VMU");

    // No description for the class, or no description at all: nothing changes.
    QWidget other;
    other.setWindowTitle("mine");
    ApplyFormTexts(forms, "TOtherForm", &other);
    ApplyFormTexts(nullptr, "TTestForm", &other);
    EXPECT_EQ(other.windowTitle(), "mine");
}

TEST(ShowContextHelp, OpensTheTopicOfTheWindowInFront)
{
    TRecordingHelpRouting router;
    THelpRoutingScope scope(&router);

    TMainForm main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    ShowContextHelpFor(&main);
    EXPECT_EQ(router.HelpWindow, "Main");
    EXPECT_EQ(router.Calls, std::vector<std::string>{"contents"});

    auto* child = area->addSubWindow(new QWidget);
    SetHelpKeyword(child, "-");
    main.show();
    child->show();
    area->setActiveSubWindow(child);
    router.Calls.clear();
    ShowContextHelpFor(&main);
    EXPECT_TRUE(router.Calls.empty());

    SetHelpKeyword(child, "Mailbox");
    ShowContextHelpFor(&main);
    EXPECT_EQ(router.HelpWindow, "GridForm");
    EXPECT_EQ(router.Calls, std::vector<std::string>{"keyword:Mailbox.htm"});

    // A window of another class answers for itself even when it has MDI children.
    QMainWindow plain;
    SetHelpKeyword(&plain, "Plain");
    ShowContextHelpFor(&plain);
    EXPECT_EQ(router.Calls.back(), "keyword:Plain.htm");
    router.Calls.clear();
    ShowContextHelpFor(nullptr);
    EXPECT_TRUE(router.Calls.empty());
}

TEST(CentreOverMainForm, CentresOnTheOwner)
{
    QWidget owner;
    owner.setGeometry(200, 150, 400, 300);
    QWidget dialog;
    dialog.resize(300, 100);
    CentreOverMainForm(&dialog, &owner);
    QPoint expected = owner.frameGeometry().topLeft()
        + QPoint((owner.frameGeometry().width() - 300) / 2, (owner.frameGeometry().height() - 100) / 2);
    EXPECT_EQ(dialog.pos(), expected);
    QPoint before = dialog.pos();
    CentreOverMainForm(&dialog, nullptr);
    EXPECT_EQ(dialog.pos(), before);
}

} // namespace

#include "TestUtilitsUi.moc"
