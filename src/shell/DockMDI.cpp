#include "shell/DockMDI.h"

#include "common/ui/UtilitsUi.h"
#include "platform/ui/QtText.h"
#include "shell/main.h"

// Only fields of the main window are used here, so that the window classes of this unit do not bind the
// program's main window into everything that links the library.

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {
constexpr int SplitterWidth = 5;
constexpr int LineWidth = 7;
// A floating window dropped with the mouse this close to the client area's left edge docks.
constexpr int DockZone = 16;
// How far a docked panel's title must be dragged out of the strip to tear off.
constexpr int TearDistance = 12;
// Room left between the floating tree and the window it keeps clear of.
constexpr int BesideGap = 4;

// Where a window of Wanted's size goes inside Area so that it covers Avoid least: Wanted itself when it is clear
// of Avoid, else beside Avoid (right, left, below, above), the first place that is clear, or the one covering it
// least.
QPoint PlaceBeside(const QRect& Wanted, const QRect& Avoid, const QRect& Area)
{
    if (!Wanted.intersects(Avoid))
        return Wanted.topLeft();
    auto Inside = [&](QPoint P) {
        return QPoint(std::clamp(P.x(), Area.left(), std::max(Area.left(), Area.right() - Wanted.width() + 1)),
            std::clamp(P.y(), Area.top(), std::max(Area.top(), Area.bottom() - Wanted.height() + 1)));
    };
    const std::array<QPoint, 4> Tries = {QPoint(Avoid.right() + 1 + BesideGap, Wanted.y()),
        QPoint(Avoid.left() - BesideGap - Wanted.width(), Wanted.y()),
        QPoint(Wanted.x(), Avoid.bottom() + 1 + BesideGap), QPoint(Wanted.x(), Avoid.top() - BesideGap - Wanted.height())};
    QPoint Best = Wanted.topLeft();
    long long Least = -1;
    for (QPoint T : Tries) {
        const QPoint P = Inside(T);
        const QRect Covered = QRect(P, Wanted.size()).intersected(Avoid);
        const long long Overlap = Covered.isEmpty() ? 0 : (long long)Covered.width() * Covered.height();
        if (Least < 0 || Overlap < Least) {
            Least = Overlap;
            Best = P;
        }
        if (Overlap == 0)
            break;
    }
    return Best;
}
}

// --- Panel -------------------------------------------------------------------------------------------------------

TMyDockPanel::TMyDockPanel(TTreeDock* Dock, QWidget* Parent) : QWidget(Parent), FDock(Dock)
{
    setObjectName("PanelTreeView");
    FHeader = new QWidget(this);
    FHeader->setObjectName("DockHeader");
    FHeader->setCursor(Qt::SizeAllCursor);
    FTitle = new QLabel("Parameters", FHeader);
    FTitle->setObjectName("DockTitle");
    FButton = new QToolButton(FHeader);
    FButton->setObjectName("DockButton");
    FButton->setAutoRaise(true);
    FButton->setCursor(Qt::ArrowCursor);
    auto* H = new QHBoxLayout(FHeader);
    H->setContentsMargins(4, 1, 1, 1);
    H->addWidget(FTitle);
    H->addStretch(1);
    H->addWidget(FButton);
    auto* V = new QVBoxLayout(this);
    V->setContentsMargins(0, 0, 0, 0);
    V->setSpacing(0);
    V->addWidget(FHeader);
    FHeader->installEventFilter(this);
    FTitle->installEventFilter(this);
    connect(FButton, &QToolButton::clicked, this, [this] {
        if (FDock->Floating())
            FDock->Dock();
        else
            FDock->Float(FDock->FloatRect.isEmpty() ? QPoint(8, 8) : FDock->FloatRect.topLeft());
    });
    SetFloating(false);
}

void TMyDockPanel::SetClient(QWidget* Client)
{
    static_cast<QVBoxLayout*>(layout())->addWidget(Client, 1);
}

QString TMyDockPanel::Caption() const { return FTitle->text().section('\n', 0, 0); }

void TMyDockPanel::SetFloating(bool Floating)
{
    FButton->setText(Floating ? "Dock" : "Float");
    FButton->setToolTip(Floating ? "Put the parameters tree back at the left edge"
                                 : "Show the parameters tree in a window of its own");
    // Docked, the title says what the strip holds; floating, the window's caption does.
    FTitle->setVisible(!Floating);
}

bool TMyDockPanel::eventFilter(QObject* Watched, QEvent* Event)
{
    // Dragging the title: docked, out of the strip tears the panel off; floating, it moves the window, and a drop
    // on the client area's left edge docks it.
    TTreeDock* Dock = FDock;
    switch (Event->type()) {
    case QEvent::MouseButtonPress: {
        auto* M = static_cast<QMouseEvent*>(Event);
        if (M->button() == Qt::LeftButton) {
            Pressed = true;
            PressPos = M->globalPosition().toPoint();
            if (TDockMDIForm* F = Dock->FloatingForm())
                WindowStart = F->pos();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* M = static_cast<QMouseEvent*>(Event);
        if (Pressed && (M->buttons() & Qt::LeftButton))
            if (TDockMDIForm* F = Dock->FloatingForm())
                F->move(WindowStart + M->globalPosition().toPoint() - PressPos);
        return Pressed;
    }
    case QEvent::MouseButtonRelease: {
        auto* M = static_cast<QMouseEvent*>(Event);
        if (!Pressed || M->button() != Qt::LeftButton)
            break;
        Pressed = false;
        QPoint InArea = Dock->Main->MdiArea->viewport()->mapFromGlobal(M->globalPosition().toPoint());
        if (Dock->Floating()) {
            if (InArea.x() < DockZone)
                Dock->Dock();
        } else if (InArea.x() > TearDistance) {
            Dock->Float(InArea - QPoint(20, 8), false);
        }
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(Watched, Event);
}

// --- Floating window -----------------------------------------------------------------------------------------------

TDockMDIForm::TDockMDIForm(const TFormCreation& Creation) : TBaseMDIForm(Creation)
{
    setObjectName("DockMDIForm");
    auto* L = new QVBoxLayout(TBaseMDIForm::Client());
    L->setContentsMargins(0, 0, 0, 0);
}

void TDockMDIForm::InitForm()
{
    TBaseMDIForm::InitForm();
    FormMask.Include(42);
}

void TDockMDIForm::DockClient(TTreeDock* Dock, TMyDockPanel* Panel)
{
    FDock = Dock;
    FPanel = Panel;
    Panel->setParent(TBaseMDIForm::Client());
    TBaseMDIForm::Client()->layout()->addWidget(Panel);
    Panel->SetFloating(true);
    Panel->show();
    setWindowTitle(Panel->Caption());
    show();
}

void TDockMDIForm::RememberPlace()
{
    if (!FDock || !FPanel || isMaximized() || isMinimized() || !isVisible())
        return;
    FDock->FloatRect = geometry();
    FDock->Main->TreeUndockWidth = TBaseMDIForm::Client()->width();
    FDock->Main->TreeUndockHeight = TBaseMDIForm::Client()->height();
}

void TDockMDIForm::moveEvent(QMoveEvent* Event)
{
    TBaseMDIForm::moveEvent(Event);
    RememberPlace();
}

void TDockMDIForm::resizeEvent(QResizeEvent* Event)
{
    TBaseMDIForm::resizeEvent(Event);
    RememberPlace();
}

void TDockMDIForm::closeEvent(QCloseEvent* Event)
{
    RememberPlace();
    TBaseMDIForm::closeEvent(Event);
    if (!Event->isAccepted())
        return;
    // Closed with the tree inside: the tree goes. A window whose tree was docked elsewhere just goes.
    if (FDock && FPanel && isAncestorOf(FPanel) && FDock->OnTreeClosed)
        FDock->OnTreeClosed();
}

// --- Splitter ---------------------------------------------------------------------------------------------------

TDockSplitter::TDockSplitter(TMainForm* Main, QWidget* Parent) : QWidget(Parent), Main(Main)
{
    setObjectName("VSplitter");
    setFixedWidth(SplitterWidth);
    setCursor(Qt::SplitHCursor);
}

void TDockSplitter::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    QWidget* Line = Main->TreeDock->SplitterLine;
    // Where in the splitter it was taken, so that the line does not jump by that much.
    PressX = int(Event->position().x());
    QPoint Top = mapTo(Line->parentWidget(), QPoint(0, 0));
    Line->setGeometry(Top.x(), Top.y(), LineWidth, height());
    Line->raise();
    Line->show();
}

void TDockSplitter::mouseMoveEvent(QMouseEvent* Event)
{
    if (!(Event->buttons() & Qt::LeftButton))
        return;
    QWidget* Line = Main->TreeDock->SplitterLine;
    QPoint Top = mapTo(Line->parentWidget(), QPoint(0, 0));
    int Max = Main->TreeDock->LeftDockPanel->parentWidget()->width() - 40;
    int X = std::clamp(Top.x() + int(Event->position().x()) - PressX, 0, std::max(0, Max));
    Line->move(X, Top.y());
}

void TDockSplitter::mouseReleaseEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    QWidget* Line = Main->TreeDock->SplitterLine;
    Line->hide();
    QPoint StripLeft = Main->TreeDock->LeftDockPanel->mapTo(Line->parentWidget(), QPoint(0, 0));
    int Width = std::max(SplitterWidth + 20, Line->x() - StripLeft.x() + SplitterWidth);
    Main->TreeWidth = Width;
    Main->TreeDock->SetStripWidth(Width);
}

// --- Dock site --------------------------------------------------------------------------------------------------

TTreeDock::TTreeDock(TMainForm* M) : QObject(M), Main(M)
{
    // The strip goes beside the MDI area inside a new central widget.
    QWidget* Area = Main->takeCentralWidget();
    auto* Central = new QWidget(Main);
    Central->setObjectName("ClientPanel");
    auto* H = new QHBoxLayout(Central);
    H->setContentsMargins(0, 0, 0, 0);
    H->setSpacing(0);
    LeftDockPanel = new QWidget(Central);
    LeftDockPanel->setObjectName("LeftDockPanel");
    auto* S = new QHBoxLayout(LeftDockPanel);
    S->setContentsMargins(0, 0, 0, 0);
    S->setSpacing(0);
    DockPanel = new QWidget(LeftDockPanel);
    DockPanel->setObjectName("DockPanel");
    auto* D = new QVBoxLayout(DockPanel);
    D->setContentsMargins(0, 0, 0, 0);
    VSplitter = new TDockSplitter(Main, LeftDockPanel);
    S->addWidget(DockPanel, 1);
    S->addWidget(VSplitter);
    H->addWidget(LeftDockPanel);
    if (Area)
        H->addWidget(Area, 1);
    SplitterLine = new QWidget(Central);
    SplitterLine->setObjectName("SplitterLine");
    SplitterLine->setAutoFillBackground(true);
    QPalette P = SplitterLine->palette();
    P.setColor(QPalette::Window, P.color(QPalette::Shadow));
    SplitterLine->setPalette(P);
    SplitterLine->hide();
    Main->setCentralWidget(Central);
    // Made while the main window is being shown: the new widgets are shown now, not by a later queued call.
    Central->show();
    if (Area)
        Area->show();
    SetStripWidth(0);
}

TDockMDIForm* TTreeDock::FloatingForm() const
{
    if (!Main->PanelTreeView)
        return nullptr;
    for (QWidget* W = Main->PanelTreeView->parentWidget(); W; W = W->parentWidget())
        if (auto* F = qobject_cast<TDockMDIForm*>(W))
            return F;
    return nullptr;
}

bool TTreeDock::Floating() const { return FloatingForm() != nullptr; }

int TTreeDock::StripWidth() const { return LeftDockPanel->isHidden() ? 0 : LeftDockPanel->width(); }

void TTreeDock::SetStripWidth(int Width)
{
    LeftDockPanel->setFixedWidth(std::max(0, Width));
    LeftDockPanel->setVisible(Width > 0);
}

int TTreeDock::WidthForNames() const
{
    QTreeWidget* Tree = Main->DataTreeView;
    if (!Tree)
        return 0;
    // Around the tree: the panel's margins and the splitter.
    int Margins = 0;
    if (Main->PanelTreeView && Main->PanelTreeView->layout()) {
        const QMargins M = Main->PanelTreeView->layout()->contentsMargins();
        Margins = M.left() + M.right();
    }
    return TreeWidthForNames(Tree) + Margins + SplitterWidth;
}

void TTreeDock::Dock()
{
    TMyDockPanel* Panel = Main->PanelTreeView;
    if (!Panel)
        return;
    TDockMDIForm* Old = FloatingForm();
    Panel->setParent(DockPanel);
    DockPanel->layout()->addWidget(Panel);
    Panel->SetFloating(false);
    Panel->show();
    if (Main->TreeWidth <= 0)
        Main->TreeWidth = std::max(120, Main->width() / 6);
    SetStripWidth(Main->TreeWidth);
    // The floating window has lost its client and closes.
    if (Old)
        Old->close();
}

void TTreeDock::Float(QPoint TopLeft, bool BesideActive)
{
    TMyDockPanel* Panel = Main->PanelTreeView;
    if (!Panel || Floating())
        return;
    QMdiSubWindow* Active = Main->MdiArea->currentSubWindow();
    // The strip goes first, so that the place is chosen in the area as it will be.
    SetStripWidth(0);
    if (QLayout* L = LeftDockPanel->parentWidget()->layout())
        L->activate();
    TFormParams Params;
    Params.Caption = FromQ(Panel->Caption());
    Params.X = TopLeft.x();
    Params.Y = TopLeft.y();
    if (!FloatRect.isEmpty()) {
        Params.Width = FloatRect.width();
        Params.Height = FloatRect.height();
    }
    auto* Form = TBaseMDIForm::Create<TDockMDIForm>(Main->MdiArea, TFormKinds{2}, Params);
    if (FloatRect.isEmpty()) {
        // First time: the panel's undock size is the window's client size, widened so that the names show whole
        // (up to half the area).
        QSize Frame = Form->size() - Form->Client()->size();
        const int Names = std::min(WidthForNames() - SplitterWidth, Main->MdiArea->viewport()->width() / 2);
        Form->resize(QSize(std::max(Main->TreeUndockWidth, Names), Main->TreeUndockHeight) + Frame);
    }
    // The tree is wanted beside the window being worked in, not over it.
    if (BesideActive && Active && Active != Form && Active->isVisible() && !Active->isMinimized())
        Form->move(PlaceBeside(Form->geometry(), Active->geometry(), Main->MdiArea->viewport()->rect()));
    Form->DockClient(this, Panel);
    Main->MdiArea->setActiveSubWindow(Form);
}

