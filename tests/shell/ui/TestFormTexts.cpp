// The texts of the built description reach the windows they are written for: every control and action an entry
// of "Form Properties" names is one its window has and the text walk reaches. A misspelt name changes nothing and
// says nothing, so each text is replaced by a marker naming it and the window is searched for the marker.
#include "ShellFixture.h"

#include "common/ui/UtilitsUi.h"
#include "serial/SerPort.h"
#include "serial/ui/SetComPort.h"
#include "shell/SetNewAdminPassword.h"
#include "shell/Terminal.h"
#include "shell/about.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <gtest/gtest.h>

namespace {

std::string Marker(const std::string& Class, const std::string& Name) { return "#" + Class + "/" + Name; }

// Every caption of a "Form Controls Caption" becomes its marker, every hint the marker and "?".
void MarkTexts(TXmlDoc& Doc)
{
    TXmlNode* Properties = Doc.FindNode(Doc.Root(), "Form Properties");
    ASSERT_NE(Properties, nullptr);
    for (const auto& Form : Properties->Nodes)
        for (const auto& View : Form->Nodes)
            if (View->GetName() == "Form Controls Caption")
                for (const auto& G : View->Nodes) {
                    std::string Name = G->GetName() == "ActionList" ? G->GetAttr("ActionName") : G->GetName();
                    G->SetAttr("Value", Marker(Form->GetName(), Name));
                    if (G->Attrs.Find("Hint"))
                        G->SetAttr("Hint", Marker(Form->GetName(), Name) + "?");
                }
}

std::string TextOf(const QWidget* W)
{
    if (auto* L = qobject_cast<const QLabel*>(W))
        return L->text().toStdString();
    if (auto* B = qobject_cast<const QAbstractButton*>(W))
        return B->text().toStdString();
    if (auto* G = qobject_cast<const QGroupBox*>(W))
        return G->title().toStdString();
    return {};
}

// Checks that each text of the class's entry arrived: the caption in the window title, every control's caption
// or hint on a control of that name.
void ExpectTextsArrived(const TXmlDoc& Marked, const std::string& Class, const QWidget& Window)
{
    const TXmlNode* Entry = Marked.FindNode(Marked.FindNode(Marked.Root(), "Form Properties"), Class);
    ASSERT_NE(Entry, nullptr) << Class;
    int Checked = 0;
    for (const auto& View : Entry->Nodes) {
        if (View->GetName() != "Form Controls Caption")
            continue;
        for (const auto& G : View->Nodes) {
            const std::string Name = G->GetName();
            if (Name == "HelpContextName")
                continue;
            ++Checked;
            if (Name == "FormCaption") {
                // A child window's caption comes from its view parameters, which win by design.
                if (!Window.inherits("QMdiSubWindow")) {
                    EXPECT_EQ(Window.windowTitle().toStdString(), Marker(Class, Name)) << Class;
                }
                continue;
            }
            if (Name == "ActionList") {
                const std::string Action = G->GetAttr("ActionName");
                bool Found = false;
                for (const QAction* A : Window.findChildren<QAction*>(QString::fromStdString(Action)))
                    Found = Found || A->text().toStdString() == Marker(Class, Action);
                EXPECT_TRUE(Found) << Class << ": no action \"" << Action << "\" took its text";
                continue;
            }
            bool Found = false;
            for (const QWidget* W : Window.findChildren<QWidget*>(QString::fromStdString(Name)))
                // A window may add to a caption (the about box puts the version behind its own).
                Found = Found || TextOf(W).rfind(Marker(Class, Name), 0) == 0 ||
                    W->toolTip().toStdString() == Marker(Class, Name) + "?";
            EXPECT_TRUE(Found) << Class << ": \"" << Name << "\" names no control its text reaches";
        }
    }
    EXPECT_GT(Checked, 0) << Class;
}

class FormTexts : public TShellFixture {
protected:
    void SetUp() override
    {
        Marked.ShowErrors = false;
        ASSERT_TRUE(Marked.LoadFromFile(BuiltDescription(), true)) << Marked.LastError;
        MarkTexts(Marked);
    }
    void TearDown() override { SetPropertiesNodes(nullptr, nullptr); }
    TXmlDoc Marked;
};

TEST_F(FormTexts, EveryNamedControlOfTheDialogsTakesItsText)
{
    SetPropertiesNodes(Marked.FindNode(Marked.Root(), "Form Properties"), nullptr);
    {
        TAboutBox Box;
        ExpectTextsArrived(Marked, "TAboutBox", Box);
    }
    {
        TSetAdminPasswordForm Form(nullptr);
        ExpectTextsArrived(Marked, "TSetAdminPasswordForm", Form);
    }
    {
        TSetNewAdminPasswordForm Form(nullptr);
        ExpectTextsArrived(Marked, "TSetNewAdminPasswordForm", Form);
    }
    {
        // As the main window opens it: the dialog, then the texts of its class.
        TSerPort Port;
        TSetComPortForm Form(nullptr, &Port);
        ApplyFormTexts("TSetComPortForm", &Form);
        ExpectTextsArrived(Marked, "TSetComPortForm", Form);
    }
}

TEST_F(FormTexts, EveryNamedControlOfTheTerminalWindowTakesItsText)
{
    SetPropertiesNodes(Marked.FindNode(Marked.Root(), "Form Properties"), nullptr);
    QMdiArea Area;
    TSerPort Port;
    TTerminalHost Host;
    Host.Port = &Port;
    Host.CapturedText = [] { return std::string(); };
    TTerminalForm* Form =
        TBaseMDIForm::Create<TTerminalForm>(&Area, TFormKinds{2}, TFormParams{"Terminal", "", 0, 0, 0, 0}, Host);
    ASSERT_NE(Form, nullptr);
    ExpectTextsArrived(Marked, "TTerminalForm", *Form);
}

TEST_F(FormTexts, EveryNamedActionAndControlOfTheMainWindowTakesItsText)
{
    WriteDescription([](TXmlDoc& Doc) { MarkTexts(Doc); });
    TMainForm& M = Start();
    ExpectTextsArrived(Marked, "TMainForm", M);
}

}  // namespace
