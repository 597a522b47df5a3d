// The main window's actions, menus, tool bar, status bar and window menu. Every action carries the component name
// under which the description document can replace its caption and hint.
#include "shell/main.h"

#include "common/Utilits.h"
#include "common/ui/BaseMDI.h"
#include "common/ui/UtilitsUi.h"
#include "platform/ui/QtText.h"
#include "shell/about.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace {
// The hint of an action: its caption without hot-key marks and trailing points.
QString HintOf(const QString& Caption)
{
    QString Hint = Caption;
    Hint.remove(QLatin1Char('&'));
    while (Hint.endsWith(QLatin1Char('.')))
        Hint.chop(1);
    return Hint.simplified();
}

// Small drawn icons for the window-arrangement commands, which the style does not offer.
QIcon ArrangeIcon(int Kind)
{
    QPixmap P(16, 16);
    P.fill(Qt::transparent);
    QPainter G(&P);
    G.setPen(QColor(40, 60, 110));
    auto Frame = [&](QRect R) {
        G.setBrush(Qt::white);
        G.drawRect(R);
        G.fillRect(QRect(R.left() + 1, R.top() + 1, R.width() - 1, 2), QColor(40, 90, 170));
    };
    switch (Kind) {
    case 0:   // cascade
        Frame(QRect(1, 1, 9, 8));
        Frame(QRect(4, 4, 9, 8));
        Frame(QRect(6, 7, 9, 8));
        break;
    case 1:   // tile horizontally: one above the other
        Frame(QRect(1, 1, 14, 6));
        Frame(QRect(1, 9, 14, 6));
        break;
    default:  // tile vertically: side by side
        Frame(QRect(1, 1, 6, 14));
        Frame(QRect(9, 1, 6, 14));
        break;
    }
    return QIcon(P);
}
}

void TMainForm::CreateComponents()
{
    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName("ClientArea");
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(MdiArea);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    StatusTimer = new QTimer(this);
    StatusTimer->setObjectName("StatusTimer");
    StatusTimer->setInterval(500);
    connect(StatusTimer, &QTimer::timeout, this, &TMainForm::StatusTimerTimer);

    // F1 asks for the help of the window in front; the What's-this mode has no more to do with that key.
    auto* F1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    F1->setContext(Qt::ApplicationShortcut);
    connect(F1, &QShortcut::activated, this, &TMainForm::WhatsThisF1KeyDown);

    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this] { UpdateWindowActions(); });
}

void TMainForm::CreateActions()
{
    QStyle* S = style();
    auto Make = [this](const char* Name, const QString& Caption, const QKeySequence& Key = {},
                    const QIcon& Icon = {}) {
        auto* A = new QAction(Icon, Caption, this);
        A->setObjectName(Name);
        A->setShortcut(Key);
        A->setToolTip(HintOf(Caption));
        A->setStatusTip(HintOf(Caption));
        return A;
    };
    FileOpen1 = Make("FileOpen1", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O), S->standardIcon(QStyle::SP_DialogOpenButton));
    FileClose1 = Make("FileClose1", "&Close", QKeySequence(Qt::CTRL | Qt::Key_X));
    FileSave1 = Make("FileSave1", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), S->standardIcon(QStyle::SP_DialogSaveButton));
    FileSaveAs1 = Make("FileSaveAs1", "Save &As...");
    FileMode_B1 = Make("FileMode_B1", "&Mode (Batch)", {}, S->standardIcon(QStyle::SP_FileDialogListView));
    FileMode_I1 = Make("FileMode_I1", "&Mode (Interactive)", {}, S->standardIcon(QStyle::SP_FileDialogDetailedView));
    FileModeBatch1 = Make("FileModeBatch1", "&Batch Mode", QKeySequence(Qt::Key_F3));
    FileModeInteractive1 = Make("FileModeInteractive1", "&Interactive Mode", QKeySequence(Qt::Key_F4));
    FileShowTree1 = Make("FileShowTree1", "&Show Parameters Tree", {}, S->standardIcon(QStyle::SP_FileDialogContentsView));
    FileExit1 = Make("FileExit1", "E&xit");
    ConnectSet_C1 = Make("ConnectSet_C1", "&Connect", {}, S->standardIcon(QStyle::SP_DriveNetIcon));
    ConnectSet_D1 = Make("ConnectSet_D1", "&Disconnect", {}, S->standardIcon(QStyle::SP_BrowserStop));
    ConnectSet1 = Make("ConnectSet1", "&Connect", QKeySequence(Qt::Key_F2));
    ConnectPortSetting1 = Make("ConnectPortSetting1", "&Port setup", {}, S->standardIcon(QStyle::SP_FileDialogInfoView));
    SystemTerminal1 = Make("SystemTerminal1", "&Terminal", {}, S->standardIcon(QStyle::SP_ComputerIcon));
    SystemLoadDataFromVMU1 = Make("SystemLoadDataFromVMU1", "&Load parameters from VMU (VMU --> PC)", {},
        S->standardIcon(QStyle::SP_ArrowDown));
    SystemSaveDataToVMU1 = Make("SystemSaveDataToVMU1", "&Save parameters to VMU    (PC --> VMU)", {},
        S->standardIcon(QStyle::SP_ArrowUp));
    SystemSetONLINE1 = Make("SystemSetONLINE1", "Set O&N LINE Mode");
    SystemSetOFFLINE1 = Make("SystemSetOFFLINE1", "Set O&FF LINE Mode");
    SystemPasswordAdmin1 = Make("SystemPasswordAdmin1", "Set &Administrator Password");
    ReportsMailboxAssignments1 = Make("ReportsMailboxAssignments1", "&Mailbox Assignments");
    ReportsCOSAssignments1 = Make("ReportsCOSAssignments1", "&COS Assignments");
    ReportsSystemServiceReport1 = Make("ReportsSystemServiceReport1", "&System Service Report");
    ReportsCallAccountReport1 = Make("ReportsCallAccountReport1", "C&all Account Report");
    ReportsPortUsageReport1 = Make("ReportsPortUsageReport1", "&Port Usage Report");
    ReportsFlashMemoryUsageReport1 = Make("ReportsFlashMemoryUsageReport1", "&Flash Memory Usage Report");
    ReportsMailboxUsageReport1 = Make("ReportsMailboxUsageReport1", "Mailbox &Usage Report");
    ReportsFaxCallReport1 = Make("ReportsFaxCallReport1", "Fa&x Call Report");
    ReportVMUVersion1 = Make("ReportVMUVersion1", "&VMU Version Report");
    HelpHelp1 = Make("HelpHelp1", "&Help", {}, S->standardIcon(QStyle::SP_DialogHelpButton));
    HelpAbout1 = Make("HelpAbout1", "&About...");
    WindowCascade1 = Make("WindowCascade1", "&Cascade", {}, ArrangeIcon(0));
    WindowTileHorizontal1 = Make("WindowTileHorizontal1", "Tile &Horizontally", {}, ArrangeIcon(1));
    WindowTileVertical1 = Make("WindowTileVertical1", "&Tile Vertically", {}, ArrangeIcon(2));
    WindowMinimizeAll1 = Make("WindowMinimizeAll1", "&Minimize All");
    WindowArrange1 = Make("WindowArrange1", "&Arrange All");

    // FileMode_B1/FileMode_I1 and ConnectSet_C1/ConnectSet_D1 are never shown themselves: the mode sub-menu's
    // head (FileMode1, made with the menu) and ConnectSet1 take their caption, icon and hint from them.
    FileModeBatch1->setCheckable(true);
    FileModeInteractive1->setCheckable(true);
    auto* ModeGroup = new QActionGroup(this);
    ModeGroup->setExclusive(true);
    ModeGroup->addAction(FileModeBatch1);
    ModeGroup->addAction(FileModeInteractive1);
    FileShowTree1->setCheckable(true);

    connect(FileExit1, &QAction::triggered, this, &TMainForm::FileExit1Execute);
    connect(FileModeBatch1, &QAction::triggered, this, &TMainForm::FileModeBatch1Execute);
    connect(FileModeInteractive1, &QAction::triggered, this, &TMainForm::FileModeInteractive1Execute);
    connect(FileShowTree1, &QAction::triggered, this, &TMainForm::FileShowTree1Execute);
    connect(ConnectPortSetting1, &QAction::triggered, this, &TMainForm::ConnectPortSetup1Execute);
    connect(SystemTerminal1, &QAction::triggered, this, &TMainForm::SystemTerminal1Execute);
    connect(HelpHelp1, &QAction::triggered, this, &TMainForm::HelpHelp1Execute);
    connect(HelpAbout1, &QAction::triggered, this, &TMainForm::HelpAbout1Execute);
    connect(WindowCascade1, &QAction::triggered, this, &TMainForm::WindowCascade1Execute);
    connect(WindowTileHorizontal1, &QAction::triggered, this, &TMainForm::WindowTileHorizontal1Execute);
    connect(WindowTileVertical1, &QAction::triggered, this, &TMainForm::WindowTileVertical1Execute);
    connect(WindowMinimizeAll1, &QAction::triggered, this, &TMainForm::WindowMinimizeAll1Execute);
    connect(WindowArrange1, &QAction::triggered, this, &TMainForm::WindowArrange1Execute);
    ConnectReportActions();
}

QList<QAction*> TMainForm::ReportActions() const
{
    return {ReportsMailboxAssignments1, ReportsCOSAssignments1, ReportsSystemServiceReport1,
        ReportsCallAccountReport1, ReportsPortUsageReport1, ReportsFlashMemoryUsageReport1,
        ReportsMailboxUsageReport1, ReportsFaxCallReport1, ReportVMUVersion1};
}

void TMainForm::CreateMenus()
{
    QMenuBar* Bar = menuBar();
    Bar->setObjectName("MainMenu1");
    // A top menu and its head action; the description may rename the head like any action.
    auto Head = [Bar](const char* Name, const char* ActionName, const char* Caption) {
        QMenu* M = Bar->addMenu(Caption);
        M->setObjectName(Name);
        M->menuAction()->setObjectName(ActionName);
        return M;
    };
    File0 = Head("File0", "File1", "&File");
    File0->addAction(FileOpen1);
    File0->addAction(FileClose1);
    File0->addAction(FileSave1);
    File0->addAction(FileSaveAs1);
    File0->addSeparator();
    FileMode = File0->addMenu(FileMode_B1->text());
    FileMode->setObjectName("FileMode");
    FileMode1 = FileMode->menuAction();
    FileMode1->setObjectName("FileMode1");
    FileMode->addAction(FileModeBatch1);
    FileMode->addAction(FileModeInteractive1);
    File0->addAction(FileShowTree1);
    File0->addSeparator();
    File0->addAction(FileExit1);

    Connect0 = Head("Connect0", "Connect1", "&Connect");
    Connect0->addAction(ConnectSet1);
    Connect0->addAction(ConnectPortSetting1);

    System0 = Head("System0", "System1", "&System");
    System0->addAction(SystemTerminal1);
    System0->addAction(SystemLoadDataFromVMU1);
    System0->addAction(SystemSaveDataToVMU1);
    System0->addAction(SystemSetONLINE1);
    System0->addAction(SystemSetOFFLINE1);
    System0->addAction(SystemPasswordAdmin1);

    Reports2 = Head("Reports2", "Reports1", "&Reports");
    for (QAction* A : ReportActions())
        Reports2->addAction(A);

    Window0 = Head("Window0", "Window1", "&Window");
    connect(Window0, &QMenu::aboutToShow, this, &TMainForm::UpdateWindowMenu);
    UpdateWindowMenu();

    Help0 = Head("Help0", "Help1", "&Help");
    Help0->addAction(HelpHelp1);
    Help0->addAction(HelpAbout1);
}

void TMainForm::CreateToolBar()
{
    ToolBar = addToolBar("Tools");
    ToolBar->setObjectName("ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->addAction(FileShowTree1);
    ToolBar->addSeparator();
    ToolBar->addAction(FileOpen1);
    ToolBar->addAction(FileSave1);
    ToolBar->addSeparator();
    ToolBar->addAction(ConnectSet1);
    ToolBar->addAction(ConnectPortSetting1);
    ToolBar->addSeparator();
    ToolBar->addAction(SystemTerminal1);
    ToolBar->addAction(SystemLoadDataFromVMU1);
    ToolBar->addAction(SystemSaveDataToVMU1);
    ToolBar->addSeparator();
    ToolBar->addAction(WindowCascade1);
    ToolBar->addAction(WindowTileHorizontal1);
    ToolBar->addAction(WindowTileVertical1);
}

void TMainForm::CreateStatusBar()
{
    QStatusBar* Bar = statusBar();
    Bar->setObjectName("StatusBar");
    static constexpr int Widths[4] = {440, 150, 150, 120};
    for (int i = 0; i < 4; ++i) {
        auto* P = new QLabel(Bar);
        P->setObjectName(QString("StatusPanel%1").arg(i));
        if (i == 0) {
            // The hint panel: action hints show over it as the bar's temporary messages.
            P->setMinimumWidth(0);
            Bar->addWidget(P, 1);
        } else {
            // The clock panel grows when the locale's date and time need more room than its width.
            int Width = Widths[i];
            if (i == 3)
                Width = std::max(Width, P->fontMetrics().horizontalAdvance(ClockText(QDateTime::currentDateTime())) + 24);
            P->setFixedWidth(Width);
            P->setAlignment(Qt::AlignCenter);
            P->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            Bar->addPermanentWidget(P);
        }
        StatusPanels[i] = P;
    }
}

void TMainForm::CopyActionLook(QAction* Target, const QAction* Source)
{
    if (!Target || !Source)
        return;
    Target->setText(Source->text());
    Target->setIcon(Source->icon());
    Target->setToolTip(Source->toolTip());
    Target->setStatusTip(Source->statusTip());
}

void TMainForm::ShowStatusMessage(const std::string& Text) { statusBar()->showMessage(ToQ(Text), 8000); }

// --- Window menu -----------------------------------------------------------------------------------------------

void TMainForm::UpdateWindowActions()
{
    const bool Any = !MdiArea->subWindowList().isEmpty();
    for (QAction* A : {WindowCascade1, WindowTileHorizontal1, WindowTileVertical1, WindowMinimizeAll1,
             WindowArrange1})
        A->setEnabled(Any);
}

void TMainForm::UpdateWindowMenu()
{
    Window0->clear();
    WindowListActions.clear();
    Window0->addAction(WindowCascade1);
    Window0->addAction(WindowTileHorizontal1);
    Window0->addAction(WindowTileVertical1);
    Window0->addAction(WindowMinimizeAll1);
    Window0->addAction(WindowArrange1);
    UpdateWindowActions();
    const QList<QMdiSubWindow*> List = MdiArea->subWindowList(QMdiArea::CreationOrder);
    int Number = 0;
    for (QMdiSubWindow* W : List) {
        if (W->isHidden())
            continue;
        if (Number == 0)
            Window0->addSeparator();
        ++Number;
        QString Caption = W->windowTitle();
        Caption.replace("&", "&&");
        QAction* A = Window0->addAction(Number < 10 ? QString("&%1 %2").arg(Number).arg(Caption) : Caption);
        A->setCheckable(true);
        A->setChecked(W == MdiArea->activeSubWindow());
        connect(A, &QAction::triggered, this, [this, W = QPointer<QMdiSubWindow>(W)] {
            if (!W)
                return;
            if (W->isMinimized())
                W->showNormal();
            MdiArea->setActiveSubWindow(W);
        });
        WindowListActions.append(A);
    }
}

namespace {
QList<QMdiSubWindow*> ArrangeableWindows(QMdiArea* Area)
{
    QList<QMdiSubWindow*> Result;
    for (QMdiSubWindow* W : Area->subWindowList(QMdiArea::CreationOrder))
        if (!W->isHidden() && !W->isMinimized())
            Result.append(W);
    return Result;
}
}

void TMainForm::WindowCascade1Execute()
{
    // Each window keeps its size (a section window is made to show its values and hints whole); only the places
    // step down and right, one title bar at a time, starting again at the corner where a window would leave the area.
    QList<QMdiSubWindow*> List = ArrangeableWindows(MdiArea);
    const QRect Area = MdiArea->viewport()->rect();
    const int Step = std::max(16, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    QPoint At(0, 0);
    for (QMdiSubWindow* W : List) {
        W->showNormal();
        if (At != QPoint(0, 0) && (At.x() + W->width() > Area.width() || At.y() + W->height() > Area.height()))
            At = QPoint(0, 0);
        W->move(At);
        W->raise();
        At += QPoint(Step, Step);
    }
    if (!List.isEmpty())
        MdiArea->setActiveSubWindow(List.last());
}

void TMainForm::WindowTileHorizontal1Execute()
{
    // One above the other, each as wide as the area.
    QList<QMdiSubWindow*> List = ArrangeableWindows(MdiArea);
    if (List.isEmpty())
        return;
    QRect Area = MdiArea->viewport()->rect();
    int H = Area.height() / int(List.size());
    for (int i = 0; i < List.size(); ++i) {
        List[i]->showNormal();
        List[i]->setGeometry(0, i * H, Area.width(), H);
    }
}

void TMainForm::WindowTileVertical1Execute()
{
    // Side by side, each as high as the area.
    QList<QMdiSubWindow*> List = ArrangeableWindows(MdiArea);
    if (List.isEmpty())
        return;
    QRect Area = MdiArea->viewport()->rect();
    int W = Area.width() / int(List.size());
    for (int i = 0; i < List.size(); ++i) {
        List[i]->showNormal();
        List[i]->setGeometry(i * W, 0, W, Area.height());
    }
}

void TMainForm::WindowMinimizeAll1Execute()
{
    for (QMdiSubWindow* W : MdiArea->subWindowList())
        if (!W->isHidden())
            W->showMinimized();
}

void TMainForm::WindowArrange1Execute()
{
    // Minimised windows are lined up along the bottom edge, left to right, wrapping upwards.
    QRect Area = MdiArea->viewport()->rect();
    int X = 0;
    int Y = Area.bottom();
    for (QMdiSubWindow* W : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (W->isHidden() || !W->isMinimized())
            continue;
        QSize S = W->size();
        if (X > 0 && X + S.width() > Area.width()) {
            X = 0;
            Y -= S.height();
        }
        W->move(X, Y - S.height() + 1);
        X += S.width();
    }
}

// --- Help ------------------------------------------------------------------------------------------------------

void TMainForm::HelpHelp1Execute()
{
    THelpRouting::instance().SetHelpWindow("Main");
    THelpRouting::instance().ShowContents();
}

void TMainForm::WhatsThisF1KeyDown() { ShowContextHelp(); }

void TMainForm::HelpAbout1Execute()
{
    TAboutBox Box(this);
    Box.exec();
}
