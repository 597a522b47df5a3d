// The user's ways into the parameter sections: the registry entries hung on the chosen tree, the tree view and
// the Parameters menu built from the description nodes marked "TreeVisible", opening a section's form, and the
// bookkeeping of open child windows by form kind, opener and row.
//
// Tree items and menu items refer to description nodes by handle, never by address, so an item that outlives
// its node (the description is patched when another firmware is chosen) resolves to nothing.
#include "shell/main.h"

#include "common/Utilits.h"
#include "common/ui/BaseMDI.h"
#include "forms/base/FormServices.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "shell/DockMDI.h"
#include "shell/FormRegistry.h"
#include "xml/XmlDoc.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeWidget>

namespace {
constexpr int NodeRole = Qt::UserRole + 1;
const QColor GreyText(0x80, 0x80, 0x80);

TXmlNode* NodeFromHandle(int32_t Handle) { return dynamic_cast<TXmlNode*>(THandleObject::FromHandle(Handle)); }

bool IsSectionTag(const TXmlNode* Node)
{
    return XmlSameName(Node->GetTag(), "ATTR") || XmlSameName(Node->GetTag(), "PARAM");
}

// Captions compare without case and without hot-key marks.
std::string MenuKey(std::string Caption)
{
    DeleteAll(Caption, "&");
    return UpperCase(Caption);
}
}

bool NodeFlag(const TXmlNode* Node, const char* Attribute)
{
    if (!Node)
        return false;
    const TXmlAttribute* A = Node->Attrs.Find(Attribute);
    if (!A)
        return false;
    try {
        return A->GetAsBoolean();
    } catch (const EConvertError&) {
        return false;
    }
}

// --- Registry entries ------------------------------------------------------------------------------------------

void TMainForm::AttachFormInfos()
{
    if (!ParamsNode)
        return;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(ParamsNode, TemplateDoc->Root()); N; N = Walk.Next(N)) {
        if (!IsSectionTag(N) || !NodeFlag(N, "TreeVisible"))
            continue;
        std::unique_ptr<TBaseFormInfo> Info = MakeFormInfo(N->GetName());
        if (!Info)
            continue;
        N->Attrs.SetValue("FormInfo", "0")->SetAsPointer(Info.get());
        FormInfos.push_back(std::move(Info));
    }
}

void TMainForm::DetachFormInfos()
{
    if (ParamsNode && TemplateDoc) {
        TXmlWalk Walk;
        for (TXmlNode* N = Walk.First(ParamsNode, TemplateDoc->Root()); N; N = Walk.Next(N))
            N->DeleteAttr("FormInfo");
    }
    // The main window owns every entry it made; an attribute elsewhere now resolves to nothing.
    FormInfos.clear();
}

TBaseFormInfo* TMainForm::GetFormInfo(const TXmlNode* Node) const { return FormInfoOf(Node); }

TBaseFormInfo* TMainForm::GetFormInfoByName(const std::string& Section) const
{
    if (!ParamsNode)
        return nullptr;
    return FormInfoOf(TemplateDoc->FindNode(ParamsNode, Section));
}

// --- Opening a section -----------------------------------------------------------------------------------------

void TMainForm::OpenNodeForm(TXmlNode* Node)
{
    if (!Node || NodeFlag(Node, "NotCreateForm"))
        return;
    TBaseFormInfo* Info = GetFormInfo(Node);
    if (!Info)
        return;
    TFormKinds Key = Info->FormMask + TFormKinds{2};
    if (TBaseMDIForm* Open = FindChildForm(Key, nullptr, -1)) {
        if (Open->isMinimized())
            Open->showNormal();
        MdiArea->setActiveSubWindow(Open);
        Open->raise();
        return;
    }
    TFormFactory Factory = Info->Factory();
    std::string Name, Hint;
    GetNodeDisplayInfo(Node, Hint, Name);
    if (!Factory) {
        ShowStatusMessage(Format("No form is available for \"%s\".", {Name}));
        return;
    }
    // Interactive mode shows what the device holds now: the section is read afresh before its window opens.
    if (!BatchMode) {
        TFormServices* Services = FormServices();
        if (!Services || !Services->ReadSectionIfInteractive(Node->GetName(), ""))
            return;
    }
    TFormParams Params;
    try {
        ReadFormInfo(Node, Params);
    } catch (const Exception& E) {
        ShowError(E.Message);
        return;
    }
    Factory(MdiArea, TFormKinds{2}, Params);
    // The new window comes to the front: the tree that opened it (floating, it is a window of the area too) keeps
    // the focus otherwise, and with it its place above the new window.
    if (TBaseMDIForm* Made = FindChildForm(Key, nullptr, -1)) {
        MdiArea->setActiveSubWindow(Made);
        Made->raise();
    }
}

// --- Display texts ---------------------------------------------------------------------------------------------

void TMainForm::GetNodeDisplayInfo(const TXmlNode* Node, std::string& Hint, std::string& Name) const
{
    Hint.clear();
    Name.clear();
    if (!Node)
        return;
    const TXmlNode* Described = ResolveTemplate(const_cast<TXmlNode*>(Node));
    bool HaveName = false;
    for (const auto& View : Described->Nodes) {
        if (!XmlSameName(View->GetTag(), "VIEWPARAM") || View->GetName() != "Show Info")
            continue;
        for (const auto& G : View->Nodes) {
            if (!XmlSameName(G->GetTag(), "GATTR"))
                continue;
            if (G->GetName() == "ParameterName") {
                Name = G->GetValue();
                HaveName = true;
            } else if (G->GetName() == "ParameterHint") {
                Hint = G->GetValue();
            }
        }
    }
    // A node without a display name shows its own name, so that two such items never melt into one blank item.
    if (!HaveName)
        Name = Described->GetName();
}

void TMainForm::GetSectionCaption(const std::string& Section, std::string& Caption) const
{
    Caption.clear();
    if (!ParamsNode)
        return;
    TXmlNode* SectionNode = TemplateDoc->FindNode(ParamsNode, Section);
    TXmlNode* Info = SectionNode ? SectionNode->Nodes.FindByName("Form Info") : nullptr;
    TXmlNode* Value = Info ? Info->Nodes.FindByName("FormCaption") : nullptr;
    if (Value)
        Caption = Value->GetValue();
}

// --- Parameter menu --------------------------------------------------------------------------------------------

void TMainForm::BuildMenu(TXmlNode* Node, TParamMenuItem* ParentItem)
{
    if (!Node || NodeFlag(Node, "NotParseNode"))
        return;
    TParamMenuItem* ChildParent = ParentItem;
    if (NodeFlag(Node, "TreeVisible")) {
        std::string Name, Hint;
        GetNodeDisplayInfo(Node, Hint, Name);
        std::vector<std::unique_ptr<TParamMenuItem>>& Siblings = ParentItem ? ParentItem->Items : ParamMenuItems;
        TParamMenuItem* Item = nullptr;
        for (auto& S : Siblings)
            if (MenuKey(S->Caption) == MenuKey(Name)) {
                Item = S.get();
                break;
            }
        if (!Item) {
            Siblings.push_back(std::make_unique<TParamMenuItem>());
            Item = Siblings.back().get();
        }
        Item->Caption = Name;
        Item->Hint = Hint;
        Item->NodeHandle = Node->GetHandle();
        ChildParent = Item;
    }
    for (const auto& Child : Node->Nodes)
        BuildMenu(Child.get(), ChildParent);
}

void TMainForm::MaterializeMenu(const TParamMenuItem& Item, QMenu* Parent)
{
    QAction* Before = Parent ? nullptr : Reports2->menuAction();
    QAction* A;
    if (Item.Items.empty()) {
        A = new QAction(ToQ(Item.Caption), Parent ? static_cast<QObject*>(Parent) : this);
        const int32_t Handle = Item.NodeHandle;
        connect(A, &QAction::triggered, this, [this, Handle] { MenuItemClick(Handle); });
        if (Parent)
            Parent->addAction(A);
        else
            menuBar()->insertAction(Before, A);
    } else {
        auto* M = new QMenu(ToQ(Item.Caption), Parent ? static_cast<QWidget*>(Parent) : this);
        A = M->menuAction();
        for (const auto& Sub : Item.Items)
            MaterializeMenu(*Sub, M);
        if (Parent)
            Parent->addMenu(M);
        else
            menuBar()->insertMenu(Before, M);
    }
    A->setData(Item.NodeHandle);
    A->setToolTip(ToQ(Item.Hint));
    A->setStatusTip(ToQ(Item.Hint));
    if (!Parent) {
        ParamMenuActions.push_back(A);
        MenuIndex = int32_t(menuBar()->actions().indexOf(A));
    }
}

void TMainForm::RebuildMenu()
{
    for (QAction* A : ParamMenuActions) {
        menuBar()->removeAction(A);
        if (QMenu* M = A->menu())
            M->deleteLater();
        else
            A->deleteLater();
    }
    ParamMenuActions.clear();
    MenuIndex = -1;
    ParamMenuItems.clear();
    if (!ParamsNode)
        return;
    BuildMenu(ParamsNode, nullptr);
    for (const auto& Item : ParamMenuItems)
        MaterializeMenu(*Item, nullptr);
    ParamMenuItems.clear();
    if (DataTreeView)
        SetMenuEnabled(TreeEnabled);
}

void TMainForm::MenuItemClick(int32_t NodeHandle) { OpenNodeForm(NodeFromHandle(NodeHandle)); }

void TMainForm::ApplyMenuEnabled(QMenu* Menu, bool Enabled)
{
    for (QAction* A : Menu->actions()) {
        if (QMenu* Sub = A->menu()) {
            ApplyMenuEnabled(Sub, Enabled);
            continue;
        }
        if (A->isSeparator())
            continue;
        A->setEnabled(Enabled && !NodeFlag(NodeFromHandle(A->data().toInt()), "NotCreateForm"));
    }
}

void TMainForm::SetMenuEnabled(bool Enabled)
{
    for (QAction* A : ParamMenuActions) {
        if (QMenu* Sub = A->menu())
            ApplyMenuEnabled(Sub, Enabled);
        else
            A->setEnabled(Enabled && !NodeFlag(NodeFromHandle(A->data().toInt()), "NotCreateForm"));
    }
}

// --- Tree view -------------------------------------------------------------------------------------------------

TXmlNode* TMainForm::NodeOfItem(const QTreeWidgetItem* Item) const
{
    return Item ? NodeFromHandle(Item->data(0, NodeRole).toInt()) : nullptr;
}

void TMainForm::BuildTree(TXmlNode* Node, QTreeWidgetItem* ParentTreeNode)
{
    if (!Node || NodeFlag(Node, "NotParseNode"))
        return;
    QTreeWidgetItem* ChildParent = ParentTreeNode;
    if (NodeFlag(Node, "TreeVisible")) {
        std::string Name, Hint;
        GetNodeDisplayInfo(Node, Hint, Name);
        auto* Item = ParentTreeNode ? new QTreeWidgetItem(ParentTreeNode) : new QTreeWidgetItem(DataTreeView);
        Item->setText(0, ToQ(Name));
        Item->setToolTip(0, ToQ(Hint));
        Item->setStatusTip(0, ToQ(Hint));
        Item->setData(0, NodeRole, Node->GetHandle());
        if (NodeFlag(Node, "NotCreateForm"))
            Item->setForeground(0, GreyText);
        if (!Node->Attrs.Find("ExpandNode"))
            Node->SetAttr("ExpandNode", XmlBoolToStr(false));
        ChildParent = Item;
    }
    for (const auto& Child : Node->Nodes)
        BuildTree(Child.get(), ChildParent);
}

void TMainForm::BuildTreeView()
{
    if (!DataTreeView)
        return;
    const bool Blocked = DataTreeView->blockSignals(true);
    DataTreeView->clear();
    if (ParamsNode)
        BuildTree(ParamsNode, nullptr);
    for (QTreeWidgetItemIterator It(DataTreeView); *It; ++It)
        (*It)->setExpanded(NodeFlag(NodeOfItem(*It), "ExpandNode"));
    DataTreeView->blockSignals(Blocked);
}

void TMainForm::SetTreeEnabled(bool Enabled)
{
    if (TreeEnabled == Enabled)
        return;
    TreeEnabled = Enabled;
    if (!DataTreeView)
        return;
    QPalette P = DataTreeView->palette();
    P.setColor(QPalette::Text, Enabled ? QColor(Qt::black) : GreyText);
    DataTreeView->setPalette(P);
    SetMenuEnabled(Enabled);
}

void TMainForm::SetNoData(bool Value)
{
    if (NoData == Value)
        return;
    NoData = Value;
    if (!DataTreeView)
        return;
    if (Value)
        DataTreeView->clear();
    else
        BuildTreeView();
}

void TMainForm::DataTreeViewActivated(QTreeWidgetItem* Item)
{
    if (!Item)
        return;
    if (Item->childCount() > 0) {
        Item->setExpanded(!Item->isExpanded());
        return;
    }
    if (TreeEnabled)
        OpenNodeForm(NodeOfItem(Item));
}

void TMainForm::DataTreeViewExpandedChanged(QTreeWidgetItem* Item, bool Expanded)
{
    if (TXmlNode* Node = NodeOfItem(Item))
        Node->SetAttr("ExpandNode", XmlBoolToStr(Expanded));
}

void TMainForm::CreateTreePanel(bool Floating)
{
    if (PanelTreeView)
        return;
    if (!TreeDock) {
        TreeDock = new TTreeDock(this);
        TreeDock->OnTreeClosed = [this] { HideParameterTree(true); };
    }
    PanelTreeView = new TMyDockPanel(TreeDock, TreeDock->DockPanel);
    DataTreeView = new QTreeWidget(PanelTreeView);
    DataTreeView->setObjectName("DataTreeView");
    DataTreeView->setHeaderHidden(true);
    DataTreeView->setColumnCount(1);
    DataTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataTreeView->setExpandsOnDoubleClick(false);
    DataTreeView->setMouseTracking(true);
    // Long section names show from their start and end in "...": a sideways-scrolling tree scrolled itself to the
    // names' ends whenever an item was selected or the arrow keys moved, cutting off the words that tell them apart.
    DataTreeView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    DataTreeView->header()->setStretchLastSection(true);
    DataTreeView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DataTreeView->setTextElideMode(Qt::ElideRight);
    PanelTreeView->SetClient(DataTreeView);
    DataTreeView->installEventFilter(this);
    DataTreeView->viewport()->installEventFilter(this);
    connect(DataTreeView, &QTreeWidget::itemExpanded, this,
        [this](QTreeWidgetItem* I) { DataTreeViewExpandedChanged(I, true); });
    connect(DataTreeView, &QTreeWidget::itemCollapsed, this,
        [this](QTreeWidgetItem* I) { DataTreeViewExpandedChanged(I, false); });
    connect(DataTreeView, &QTreeWidget::itemEntered, this, [this](QTreeWidgetItem* I) {
        if (I && !I->statusTip(0).isEmpty())
            ShowStatusMessage(FromQ(I->statusTip(0)));
    });
    // The new tree is filled and coloured by setting both states again.
    NoData = !NoData;
    SetNoData(!NoData);
    TreeEnabled = !TreeEnabled;
    SetTreeEnabled(!TreeEnabled);
    if (Floating)
        TreeDock->Float(TreeDock->FloatRect.isEmpty() ? QPoint(8, 8) : TreeDock->FloatRect.topLeft());
    else if (FileShowTree1->isChecked())
        TreeDock->Dock();
}

void TMainForm::FileShowTree1Execute() { ShowTree(FileShowTree1->isChecked()); }

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event)
{
    // The event's type first: the tree sends events to this filter while it is being destroyed (its window closes
    // with the main window), when no member of it may be called any more.
    if (Event->type() == QEvent::KeyPress && DataTreeView && Watched == DataTreeView) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->key() == Qt::Key_Return || Key->key() == Qt::Key_Enter) {
            DataTreeViewActivated(DataTreeView->currentItem());
            return true;
        }
    } else if (Event->type() == QEvent::MouseButtonDblClick && DataTreeView &&
        Watched == DataTreeView->viewport()) {
        // Only a double click on the selected item's text opens it, not one on the blank part of its row.
        auto* Mouse = static_cast<QMouseEvent*>(Event);
        QPoint Pos = Mouse->position().toPoint();
        QTreeWidgetItem* Item = DataTreeView->currentItem();
        if (Item && DataTreeView->itemAt(Pos) == Item) {
            QRect R = DataTreeView->visualItemRect(Item);
            int TextWidth = DataTreeView->fontMetrics().horizontalAdvance(Item->text(0)) +
                2 * DataTreeView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 4;
            if (Pos.x() >= R.left() && Pos.x() < R.left() + TextWidth && TreeEnabled)
                OpenNodeForm(NodeOfItem(Item));
        }
        return true;
    }
    return QMainWindow::eventFilter(Watched, Event);
}

// --- Child windows ---------------------------------------------------------------------------------------------

QList<TBaseMDIForm*> TMainForm::ChildForms() const
{
    QList<TBaseMDIForm*> Result;
    const QList<QMdiSubWindow*> List = MdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto It = List.rbegin(); It != List.rend(); ++It)
        if (auto* F = qobject_cast<TBaseMDIForm*>(*It); F && !F->isHidden())
            Result.append(F);
    return Result;
}

TBaseMDIForm* TMainForm::FindChildForm(const TFormKinds& Kinds, const TBaseMDIForm* OwnerForm, int32_t Index) const
{
    for (TBaseMDIForm* F : ChildForms()) {
        if (!Kinds.IsSubsetOf(F->FormMask))
            continue;
        if (OwnerForm && F->OwnerForm != OwnerForm)
            continue;
        if (Index >= 0 && F->Index != Index)
            continue;
        return F;
    }
    return nullptr;
}

bool TMainForm::CloseParameterForms()
{
    auto IsParameterForm = [](const TBaseMDIForm* F) { return !F->FormMask.Contains(42) && !F->OwnerForm; };
    QList<TBaseMDIForm*> List = ChildForms();
    for (auto It = List.rbegin(); It != List.rend(); ++It)
        if (IsParameterForm(*It))
            (*It)->close();
    QApplication::processEvents();
    for (TBaseMDIForm* F : ChildForms())
        if (IsParameterForm(F))
            return false;
    return true;
}

bool TMainForm::CloseFormsOfKind(const TFormKinds& Kinds)
{
    QList<TBaseMDIForm*> List = ChildForms();
    for (auto It = List.rbegin(); It != List.rend(); ++It)
        if (Kinds.IsSubsetOf((*It)->FormMask))
            (*It)->close();
    QApplication::processEvents();
    for (TBaseMDIForm* F : ChildForms())
        if (Kinds.IsSubsetOf(F->FormMask))
            return false;
    return true;
}

bool TMainForm::CloseOwnedForms(const TBaseMDIForm* OwnerForm)
{
    // While the main window closes, every child gets its own question there; nothing is closed one by one.
    if (Closing)
        return true;
    bool Result = true;
    for (TBaseMDIForm* F : ChildForms())
        if (F->OwnerForm == OwnerForm && !F->close())
            Result = false;
    return Result;
}

void TMainForm::NextChildPosition(const TFormKinds& Kinds, const TBaseMDIForm* OwnerForm, int& Top, int& Left) const
{
    const int Step = style()->pixelMetric(QStyle::PM_TitleBarHeight) +
        style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    int MaxLeft = 0;
    int MaxTop = 0;
    for (TBaseMDIForm* F : ChildForms()) {
        if (!Kinds.IsSubsetOf(F->FormMask) || F->OwnerForm != OwnerForm)
            continue;
        MaxLeft = std::max(MaxLeft, F->x());
        MaxTop = std::max(MaxTop, F->y());
    }
    if (MaxLeft == 0 && MaxTop == 0) {
        Left = OwnerForm ? OwnerForm->x() + Step : 0;
        Top = OwnerForm ? OwnerForm->y() + Step : 0;
    } else {
        Left = MaxLeft + Step;
        Top = MaxTop + Step;
    }
}

void TMainForm::ForgetUnopenedSections(const std::string& Section)
{
    if (BatchMode || !ParamsNode || !DataDoc->Root())
        return;
    std::vector<std::string> Names;
    auto Consider = [&](TXmlNode* N) {
        if (!IsSectionTag(N) || !NodeFlag(N, "TreeVisible"))
            return;
        TBaseFormInfo* Info = GetFormInfo(N);
        if (Info && !FindChildForm(Info->FormMask + TFormKinds{2}, nullptr, -1))
            Names.push_back(N->GetName());
    };
    if (Section.empty()) {
        TXmlWalk Walk;
        for (TXmlNode* N = Walk.First(ParamsNode, TemplateDoc->Root()); N; N = Walk.Next(N))
            Consider(N);
    } else if (TXmlNode* N = TemplateDoc->FindNode(ParamsNode, Section)) {
        Consider(N);
    }
    for (const std::string& Name : Names)
        if (TXmlNode* Data = DataDoc->FindNode(DataDoc->Root(), Name))
            DataDoc->RemoveNode(Data);
}
