// The parameter tree and menu built from a description written for the purpose, opening sections through the
// form registry, the bookkeeping of child windows, the modes and the ask-to-save question on closing.
#include "ShellFixture.h"
#include "shell/DockMDI.h"

#include "Version.h"
#include "common/ui/BaseMDI.h"
#include "forms/base/FormServices.h"
#include "shell/FormRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

// A section window that stands in for the real forms: it adds its section's kind as a form class does.
class TFakeSectionForm : public TBaseMDIForm {
    Q_OBJECT
public:
    TFakeSectionForm(const TFormCreation& Creation, int Kind) : TBaseMDIForm(Creation), Kind(Kind) {}
    int Kind;
    bool RefuseClose = false;

protected:
    void InitForm() override
    {
        TBaseMDIForm::InitForm();
        if (Kind > 0)
            FormMask.Include(Kind);
    }
    void closeEvent(QCloseEvent* Event) override
    {
        if (RefuseClose) {
            Event->ignore();
            return;
        }
        TBaseMDIForm::closeEvent(Event);
    }
};


// The main window's services with the device read of a section replaced: it is recorded and answered from Answer,
// so that opening a section in interactive mode can be watched without a device.
class TReadRecordingServices : public TFormServices {
public:
    explicit TReadRecordingServices(TFormServices* Inner) : Inner(Inner) {}
    TFormServices* Inner;
    std::vector<std::string> Reads;
    bool Answer = true;

    bool ReadSectionIfInteractive(const std::string& Section, const std::string&) override
    {
        Reads.push_back(Section);
        return Answer;
    }
    TDeviceFacts DeviceFacts() const override { return Inner->DeviceFacts(); }
    TXmlDoc* DataDoc() const override { return Inner->DataDoc(); }
    TXmlDoc* ViewDoc() const override { return Inner->ViewDoc(); }
    TDataManager* DataManager() const override { return Inner->DataManager(); }
    TXmlNode* ParamsNode() const override { return Inner->ParamsNode(); }
    TXmlNode* GetSection(const std::string& S, const std::string& C) override { return Inner->GetSection(S, C); }
    bool WriteSectionIfInteractive(const std::string& S) override { return Inner->WriteSectionIfInteractive(S); }
    void SetModified(bool V) override { Inner->SetModified(V); }
    void SectionFormClosed(const std::string& S) override { Inner->SectionFormClosed(S); }
    void ForgetSection(const std::string& S) override { Inner->ForgetSection(S); }
    void ForgetMailboxListing() override { Inner->ForgetMailboxListing(); }
    void ForgetMailboxGroup() override { Inner->ForgetMailboxGroup(); }
    void ForgetExtensionGroup() override { Inner->ForgetExtensionGroup(); }
    void ForgetExtensionSections(const std::string& S) override { Inner->ForgetExtensionSections(S); }
    std::string GetSectionCaption(const std::string& S) const override { return Inner->GetSectionCaption(S); }
    bool IsFieldValueFree(const std::string& S, const std::string& F, std::string& C, const std::string& V) override
    {
        return Inner->IsFieldValueFree(S, F, C, V);
    }
    bool IsMailboxNoFree(const std::string& N) override { return Inner->IsMailboxNoFree(N); }
    bool FindMailboxGroup(const std::string& V, std::string& C) override { return Inner->FindMailboxGroup(V, C); }
    bool FindInterviewMailbox(const std::string& V, std::string& C) override
    {
        return Inner->FindInterviewMailbox(V, C);
    }
    bool FindExtensionGroup(const std::string& V, std::string& C) override { return Inner->FindExtensionGroup(V, C); }
    bool IsExtensionReferenced(const std::string& N, const std::string& S, std::string& C) override
    {
        return Inner->IsExtensionReferenced(N, S, C);
    }
    bool MailboxInUseByListingForm(const std::string& N) override { return Inner->MailboxInUseByListingForm(N); }
    bool MailboxInUseByGroupForm(const std::string& N) override { return Inner->MailboxInUseByGroupForm(N); }
    bool CheckExtensionGroupForm(const std::string& N, std::string& C) override
    {
        return Inner->CheckExtensionGroupForm(N, C);
    }
    bool ExtensionInUseByForms(const std::string& N, const std::string& S, std::string& C) override
    {
        return Inner->ExtensionInUseByForms(N, S, C);
    }
    bool ReportOpenForms(const std::vector<std::string>& S) override { return Inner->ReportOpenForms(S); }
    void ReplaceMailboxReferences(const std::string& M, const std::string& S) override
    {
        Inner->ReplaceMailboxReferences(M, S);
    }
    void ClearInterviewReferences(const std::string& M, const std::string& S) override
    {
        Inner->ClearInterviewReferences(M, S);
    }
    TBaseMDIForm* FindChildForm(const TFormKinds& K, const TBaseMDIForm* O, int32_t I) const override
    {
        return Inner->FindChildForm(K, O, I);
    }
    bool CloseOwnedForms(const TBaseMDIForm* O) override { return Inner->CloseOwnedForms(O); }
    void PostPortSettingsChanged(const std::string& B, const std::string& D, const std::string& P,
        const std::string& S) override
    {
        Inner->PostPortSettingsChanged(B, D, P, S);
    }
};

namespace {

std::string ShowInfo(const char* Name, const char* Hint = nullptr)
{
    std::string S = std::string("<VIEWPARAM Name=\"Show Info\"><GATTR Name=\"ParameterName\" Value=\"") + Name + "\"/>";
    if (Hint)
        S += std::string("<GATTR Name=\"ParameterHint\" Value=\"") + Hint + "\"/>";
    return S + "</VIEWPARAM>";
}

std::string Description()
{
    return std::string("<ORLANTIS Name=\"Test\" TemplateVersion=\"") + ORLANTIS_TEMPLATE_VERSION + "\">" +
        "<PARAM Name=\"Init VMU System Administrator Menu\"/>"
        "<PARAM Name=\"VMU Parameters 409\">"
        "<PARAM Name=\"Group A\" TreeVisible=\"Yes\" NotCreateForm=\"Yes\" ExpandNode=\"Yes\">" +
        ShowInfo("&amp;Group A", "First group") +
        "<PARAM Name=\"Call Hold\" TreeVisible=\"Yes\">" + ShowInfo("Call Hold", "Music on hold") +
        "<VIEWPARAM Name=\"Form Info\"><GATTR Name=\"FormCaption\" Value=\"Call Hold form\"/>"
        "<GATTR Name=\"FormWidth\" Value=\"300\"/><GATTR Name=\"FormHeight\" Value=\"200\"/></VIEWPARAM>"
        "</PARAM>"
        "<PARAM Name=\"Wrapper\" TreeVisible=\"No\"><PARAM Name=\"Port Setting\" TreeVisible=\"Yes\"/></PARAM>"
        "<PARAM Name=\"Skipped\" TreeVisible=\"Yes\" NotParseNode=\"Yes\">"
        "<PARAM Name=\"Fax Management\" TreeVisible=\"Yes\"/></PARAM>"
        "<PARAM Name=\"Inband Signaling\" TreeVisible=\"Yes\" NotCreateForm=\"Yes\"/>"
        "</PARAM>"
        "<PARAM Name=\"Rotary Telephone Service\" TreeVisible=\"Yes\">" + ShowInfo("Twins") + "</PARAM>"
        "<PARAM Name=\"Intercom Paging Parameters\" TreeVisible=\"Yes\">" + ShowInfo("T&amp;WINS") + "</PARAM>"
        "</PARAM></ORLANTIS>";
}

QStringList Texts(QTreeWidgetItem* Parent, QTreeWidget* Tree)
{
    QStringList L;
    int N = Parent ? Parent->childCount() : Tree->topLevelItemCount();
    for (int i = 0; i < N; ++i)
        L << (Parent ? Parent->child(i) : Tree->topLevelItem(i))->text(0);
    return L;
}

QTreeWidgetItem* Item(QTreeWidget* Tree, const QString& Text)
{
    QList<QTreeWidgetItem*> L = Tree->findItems(Text, Qt::MatchExactly | Qt::MatchRecursive);
    return L.isEmpty() ? nullptr : L.first();
}

} // namespace

class MainTree : public TShellFixture {
protected:
    void SetUp() override
    {
        for (auto [Class, Kind] : {std::pair{"TCallHoldForm", 31}, std::pair{"TRotaryTelephoneServiceForm", 32},
                 std::pair{"TIntercomPagingParametersForm", 33}})
            Saved.push_back({Class, RegisterFormClass(Class, [Kind](QMdiArea* A, const TFormKinds& K,
                                                                 const TFormParams& P) -> TBaseMDIForm* {
                return TBaseMDIForm::Create<TFakeSectionForm>(A, K, P, Kind);
            })});
        // "Port Setting" stands for a section whose class has not joined: the real one is taken out meanwhile.
        Saved.push_back({"TPortSettingForm", RegisterFormClass("TPortSettingForm", {})});
        WriteDescriptionText(Description());
        TMainForm& M = Start();
        ASSERT_FALSE(M.Terminated()) << Dialogs.LastText();
        Services = std::make_unique<TReadRecordingServices>(FormServices());
        Installed = SetFormServices(Services.get());
        M.resize(900, 600);
        M.show();
    }
    void TearDown() override
    {
        if (Services)
            SetFormServices(Installed);
        Main.reset();
        for (auto& [Class, Factory] : Saved)
            RegisterFormClass(Class, Factory);
    }
    TMainForm& M() { return *Main; }
    TXmlNode* Node(const char* Name) { return M().TemplateDoc->FindNode(M().ParamsNode, Name); }
    int OpenCount() { return int(M().ChildForms().size()); }

    std::vector<std::pair<std::string, TFormFactory>> Saved;
    std::unique_ptr<TReadRecordingServices> Services;
    TFormServices* Installed = nullptr;
};

TEST_F(MainTree, TreeAndMenuFollowTheDescriptionMarks)
{
    QTreeWidget* T = M().DataTreeView;
    // Invisible nodes give their children to the level above; NotParseNode drops a whole subtree; twins stay two
    // items in the tree.
    EXPECT_EQ(Texts(nullptr, T), (QStringList{"&Group A", "Twins", "T&WINS"}));
    QTreeWidgetItem* Group = T->topLevelItem(0);
    EXPECT_EQ(Texts(Group, T), (QStringList{"Call Hold", "Port Setting", "Inband Signaling"}));
    EXPECT_EQ(Group->toolTip(0), "First group");
    EXPECT_EQ(Group->child(0)->toolTip(0), "Music on hold");
    EXPECT_TRUE(Group->isExpanded());
    EXPECT_EQ(Group->child(2)->foreground(0).color(), QColor(0x80, 0x80, 0x80));
    EXPECT_NE(Group->child(0)->foreground(0).color(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(Item(T, "Fax Management"), nullptr);
    // A tree node without "ExpandNode" gets it; expanding and collapsing write it back.
    EXPECT_EQ(Node("Call Hold")->GetAttr("ExpandNode"), "No");
    Group->setExpanded(false);
    EXPECT_EQ(Node("Group A")->GetAttr("ExpandNode"), "No");
    M().BuildTreeView();
    EXPECT_FALSE(T->topLevelItem(0)->isExpanded());

    // Only the sections the registry knows carry an entry.
    EXPECT_NE(M().GetFormInfo(Node("Call Hold")), nullptr);
    EXPECT_NE(M().GetFormInfo(Node("Port Setting")), nullptr);
    EXPECT_EQ(M().GetFormInfo(Node("Group A")), nullptr);

    // The menu: captions equal without case and hot-key marks share one item, which opens the later node.
    QList<QAction*> Bar = M().menuBar()->actions();
    QStringList Tops;
    for (QAction* A : Bar)
        Tops << A->text();
    EXPECT_EQ(Tops, (QStringList{"&File", "&Connect", "&System", "&Group A", "T&WINS", "&Reports", "&Window",
                        "&Help"}));
    QMenu* GroupMenu = Bar[3]->menu();
    ASSERT_NE(GroupMenu, nullptr);
    EXPECT_EQ(GroupMenu->actions().size(), 3);
    EXPECT_EQ(Bar[4]->menu(), nullptr);
    EXPECT_EQ(Bar[4]->statusTip(), "");
    M().SetTreeEnabled(true);
    EXPECT_TRUE(GroupMenu->actions()[0]->isEnabled());
    EXPECT_FALSE(GroupMenu->actions()[2]->isEnabled()) << "NotCreateForm keeps its item off";
    Bar[4]->trigger();
    ASSERT_EQ(OpenCount(), 1);
    EXPECT_TRUE(M().ChildForms()[0]->FormMask.Contains(33));

    // A rebuild replaces the branch instead of adding a second one.
    M().RebuildMenu();
    EXPECT_EQ(M().menuBar()->actions().size(), Bar.size());
}

TEST_F(MainTree, OpeningASectionCreatesItsFormOnceAndOnlyWhenItCan)
{
    // Interactive mode: the section is read from the device before its window opens; a failed read opens nothing.
    ASSERT_FALSE(M().BatchMode);
    Services->Answer = false;
    M().OpenNodeForm(Node("Call Hold"));
    EXPECT_EQ(OpenCount(), 0);
    EXPECT_EQ(Services->Reads, std::vector<std::string>{"Call Hold"});
    Services->Answer = true;
    M().OpenNodeForm(Node("Call Hold"));
    EXPECT_EQ(Services->Reads.size(), 2u);
    ASSERT_EQ(OpenCount(), 1);
    TBaseMDIForm* F = M().ChildForms()[0];
    EXPECT_EQ(F->windowTitle(), "Call Hold form");
    EXPECT_EQ(F->width(), 300);
    EXPECT_EQ(F->FormMask, (TFormKinds{2, 31}));
    EXPECT_EQ(F->OwnerForm, nullptr);

    // Open already: brought to the front, no second window.
    M().OpenNodeForm(Node("Inband Signaling"));
    M().OpenNodeForm(Node("Call Hold"));
    EXPECT_EQ(OpenCount(), 1);
    EXPECT_EQ(M().MdiArea->activeSubWindow(), F);
    EXPECT_EQ(Services->Reads.size(), 2u) << "an open window is brought to the front without a device read";

    // A section whose form class has not joined opens nothing and says so.
    M().OpenNodeForm(Node("Port Setting"));
    EXPECT_EQ(OpenCount(), 1);
    EXPECT_NE(M().statusBar()->currentMessage().indexOf("Port Setting"), -1);
    M().OpenNodeForm(Node("Group A"));
    M().OpenNodeForm(nullptr);
    EXPECT_EQ(OpenCount(), 1);
    EXPECT_TRUE(Dialogs.Boxes.empty());
    EXPECT_EQ(Services->Reads.size(), 2u) << "nothing is read for a section that opens no window";

    // Batch mode shows the data document as it is.
    M().CloseParameterForms();
    M().SetMode(true);
    M().OpenNodeForm(Node("Call Hold"));
    EXPECT_EQ(OpenCount(), 1);
    EXPECT_EQ(Services->Reads.size(), 2u);

    std::string Caption;
    M().GetSectionCaption("Call Hold", Caption);
    EXPECT_EQ(Caption, "Call Hold form");
    M().GetSectionCaption("Inband Signaling", Caption);
    EXPECT_EQ(Caption, "");
}

TEST_F(MainTree, EnterOpensLeavesTogglesGroupsAndIgnoresGreyOrDisabledItems)
{
    QTreeWidget* T = M().DataTreeView;
    auto Enter = [&](const char* Text) {
        T->setCurrentItem(Item(T, Text));
        QTest::keyClick(T, Qt::Key_Return);
    };
    // Disconnected in interactive mode the tree is off: nothing opens.
    Enter("Call Hold");
    EXPECT_EQ(OpenCount(), 0);
    M().SetTreeEnabled(true);
    Enter("Inband Signaling");
    EXPECT_EQ(OpenCount(), 0);
    Enter("Call Hold");
    EXPECT_EQ(OpenCount(), 1);
    bool Was = Item(T, "&Group A")->isExpanded();
    Enter("&Group A");
    EXPECT_NE(Item(T, "&Group A")->isExpanded(), Was);
    EXPECT_EQ(OpenCount(), 1);

    // A double click on the blank part of a row opens nothing; on the item's text it opens.
    M().CloseParameterForms();
    QTreeWidgetItem* Twins = Item(T, "Twins");
    T->setCurrentItem(Twins);
    QRect R = T->visualItemRect(Twins);
    QTest::mouseDClick(T->viewport(), Qt::LeftButton, {}, QPoint(R.right() - 2, R.center().y()));
    EXPECT_EQ(OpenCount(), 0);
    QTest::mouseDClick(T->viewport(), Qt::LeftButton, {}, QPoint(R.left() + 5, R.center().y()));
    EXPECT_EQ(OpenCount(), 1);
}

TEST_F(MainTree, ChildWindowsAreFoundAndClosedByKindOwnerAndRow)
{
    M().OpenNodeForm(Node("Call Hold"));
    M().OpenNodeForm(Node("Rotary Telephone Service"));
    ASSERT_EQ(OpenCount(), 2);
    TBaseMDIForm* Hold = M().FindChildForm({31}, nullptr, -1);
    TBaseMDIForm* Rotary = M().FindChildForm({2, 32}, nullptr, -1);
    ASSERT_NE(Hold, nullptr);
    ASSERT_NE(Rotary, nullptr);
    EXPECT_EQ(M().FindChildForm({2}, nullptr, -1), Rotary) << "the front window first";
    EXPECT_EQ(M().FindChildForm({31, 32}, nullptr, -1), nullptr);

    TFormParams P;
    P.X = 40;
    P.Y = 30;
    Hold->move(40, 30);
    auto* Detail = TBaseMDIForm::CreateDetail<TFakeSectionForm>(M().MdiArea, {3}, P, Hold, 5, 0);
    EXPECT_EQ(M().FindChildForm({3}, Hold, 5), Detail);
    EXPECT_EQ(M().FindChildForm({3}, Hold, -1), Detail);
    EXPECT_EQ(M().FindChildForm({3}, Rotary, -1), nullptr);
    EXPECT_EQ(M().FindChildForm({3}, Hold, 4), nullptr);

    // Placing a second detail: one step down and right of the last one; the first goes one step off its owner.
    int Top = 0, Left = 0;
    M().NextChildPosition({3}, Hold, Top, Left);
    EXPECT_GT(Left, Detail->x());
    EXPECT_EQ(Left - Detail->x(), Top - Detail->y());
    int Step = Left - Detail->x();
    M().NextChildPosition({3}, Rotary, Top, Left);
    EXPECT_EQ(Left, Rotary->x() + Step);
    EXPECT_EQ(Top, Rotary->y() + Step);
    M().NextChildPosition({3}, nullptr, Top, Left);
    EXPECT_EQ(Left, 0);
    EXPECT_EQ(Top, 0);

    // The floating tree window (kind 42) and detail windows are not parameter windows; a refusal is reported.
    auto* Floating = TBaseMDIForm::Create<TFakeSectionForm>(M().MdiArea, {2, 42}, TFormParams{}, 0);
    static_cast<TFakeSectionForm*>(Rotary)->RefuseClose = true;
    EXPECT_FALSE(M().CloseParameterForms());
    QList<TBaseMDIForm*> Left1 = M().ChildForms();
    EXPECT_TRUE(Left1.contains(Rotary));
    EXPECT_TRUE(Left1.contains(Floating));
    EXPECT_FALSE(Left1.contains(Hold));
    EXPECT_FALSE(Left1.contains(Detail)) << "closed with its owner";
    static_cast<TFakeSectionForm*>(Rotary)->RefuseClose = false;
    EXPECT_TRUE(M().CloseParameterForms());
    EXPECT_EQ(M().ChildForms(), QList<TBaseMDIForm*>{Floating});
    EXPECT_TRUE(M().CloseFormsOfKind({42}));
    EXPECT_EQ(OpenCount(), 0);
}

TEST_F(MainTree, ForgettingDropsOnlyTheDataOfSectionsWithoutAWindow)
{
    TXmlNode* Root = M().DataDoc->Root();
    Root->SetTag("DATA");
    TXmlNode* Tree = Root->AddChild("PARAM");
    Tree->SetName("VMU Parameters 409");
    for (const char* Name : {"Call Hold", "Rotary Telephone Service"})
        Tree->AddChild("PARAM")->SetName(Name);
    M().OpenNodeForm(Node("Call Hold"));
    M().ForgetUnopenedSections("");
    EXPECT_NE(M().DataDoc->FindNode(Root, "Call Hold"), nullptr);
    EXPECT_EQ(M().DataDoc->FindNode(Root, "Rotary Telephone Service"), nullptr);
    M().CloseParameterForms();
    M().ForgetUnopenedSections("Call Hold");
    EXPECT_EQ(M().DataDoc->FindNode(Root, "Call Hold"), nullptr);
}

TEST_F(MainTree, ModesCaptionAndTheQuestionBeforeClosing)
{
    // To batch: no data, no tree, the file commands.
    M().FileModeBatch1->trigger();
    EXPECT_TRUE(M().BatchMode);
    EXPECT_TRUE(M().NoData);
    EXPECT_EQ(M().DataTreeView->topLevelItemCount(), 0);
    EXPECT_EQ(M().windowTitle(), "Orlantis program [Noname]");
    EXPECT_EQ(M().StatusPanels[1]->text(), "Batch Mode");
    EXPECT_EQ(M().FileMode1->text(), "&Mode (Batch)");
    EXPECT_TRUE(M().FileOpen1->isEnabled());
    EXPECT_FALSE(M().FileSave1->isEnabled());

    M().SetModified(true);
    EXPECT_EQ(M().windowTitle(), "Orlantis program [Noname] *");
    EXPECT_TRUE(M().FileSave1->isEnabled());
    // Data files are the user's: a file in the folder the program was started in shows without its folder, and
    // the file dialogs start there, not beside the program.
    M().DataDir = M().ProgramDir + "work/";
    M().FileName = M().DataDir + "site.sav";
    M().UpdateCaption();
    EXPECT_EQ(M().windowTitle(), "Orlantis program [site.sav] *");
    M().FileName = M().ProgramDir + "site.sav";
    M().UpdateCaption();
    EXPECT_EQ(M().windowTitle(), QString::fromStdString("Orlantis program [" + M().FileName + "] *"));
    M().FileName.clear();
    Dialogs.FileAnswers = {""};
    M().FileSaveAs1Execute();
    ASSERT_FALSE(Dialogs.FileRequests.empty());
    EXPECT_EQ(Dialogs.FileRequests.back().InitialDir, M().DataDir);
    M().FileName = "/elsewhere/site.sav";
    M().UpdateCaption();
    EXPECT_EQ(M().windowTitle(), "Orlantis program [/elsewhere/site.sav] *");

    // Back to interactive asks first; Cancel keeps batch mode.
    Dialogs.Answers = {mrCancel};
    M().FileModeInteractive1->trigger();
    EXPECT_TRUE(M().BatchMode);
    EXPECT_TRUE(M().FileModeBatch1->isChecked());
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, "Change in VMU parameters have not been saved. Do you want to save data?");

    // Closing asks the same; Cancel keeps the window, No lets it go.
    Dialogs.Answers = {mrCancel};
    EXPECT_FALSE(M().close());
    EXPECT_TRUE(M().isVisible());
    EXPECT_TRUE(M().Modified);
    M().OpenNodeForm(Node("Call Hold"));
    Dialogs.Answers = {mrNo};
    EXPECT_TRUE(M().close());
    EXPECT_FALSE(M().Modified);
    EXPECT_EQ(OpenCount(), 0);
    EXPECT_EQ(Dialogs.Boxes.size(), 3u);
}

TEST_F(MainTree, AChildThatRefusesKeepsTheProgramOpen)
{
    M().OpenNodeForm(Node("Call Hold"));
    auto* F = static_cast<TFakeSectionForm*>(M().ChildForms()[0]);
    F->RefuseClose = true;
    EXPECT_FALSE(M().close());
    EXPECT_FALSE(M().Closing);
    F->RefuseClose = false;
    EXPECT_TRUE(M().close());
}

TEST_F(MainTree, TheTreePanelHidesAndComesBackWithItsCommand)
{
    QWidget* Panel = M().PanelTreeView;
    ASSERT_NE(Panel, nullptr);
    EXPECT_TRUE(Panel->isVisible());
    M().FileShowTree1->trigger();
    EXPECT_FALSE(M().FileShowTree1->isChecked());
    EXPECT_FALSE(Panel->isVisible());
    M().FileShowTree1->trigger();
    EXPECT_TRUE(M().FileShowTree1->isChecked());
    EXPECT_TRUE(Panel->isVisible());
    M().FileShowTree1->trigger();
    EXPECT_FALSE(Panel->isVisible());
    EXPECT_EQ(M().DataTreeView->topLevelItemCount(), 3) << "hiding keeps the tree";
}

TEST_F(MainTree, WindowMenuListsAndArrangesTheOpenWindows)
{
    EXPECT_FALSE(M().WindowCascade1->isEnabled());
    M().OpenNodeForm(Node("Call Hold"));
    M().OpenNodeForm(Node("Rotary Telephone Service"));
    emit M().Window0->aboutToShow();
    QStringList Items;
    for (QAction* A : M().Window0->actions())
        if (!A->isSeparator())
            Items << A->text();
    ASSERT_EQ(Items.size(), 7);
    EXPECT_TRUE(Items[5].startsWith("&1 "));
    EXPECT_TRUE(M().WindowCascade1->isEnabled());

    M().WindowTileVertical1->trigger();
    QList<TBaseMDIForm*> L = M().ChildForms();
    ASSERT_EQ(L.size(), 2);
    EXPECT_EQ(L[0]->height(), L[1]->height());
    EXPECT_NE(L[0]->x(), L[1]->x());
    M().WindowTileHorizontal1->trigger();
    EXPECT_EQ(L[0]->width(), L[1]->width());
    EXPECT_NE(L[0]->y(), L[1]->y());
    M().WindowMinimizeAll1->trigger();
    EXPECT_TRUE(L[0]->isMinimized());
    EXPECT_TRUE(L[1]->isMinimized());
    M().WindowArrange1->trigger();
    EXPECT_NE(L[0]->pos(), L[1]->pos());
}

#include "TestMainTree.moc"
