#include "help/ui/WhatsThisFilter.h"

#include "help/HelpRouter.h"
#include "platform/ui/QtText.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QWhatsThis>

namespace {
// Controls travel as QObject pointers (widgets and menu items alike).
QObject* O(TWTControl C) { return static_cast<QObject*>(const_cast<void*>(C)); }
QWidget* W(TWTControl C) { return qobject_cast<QWidget*>(O(C)); }
TWTControl Ctl(QObject* Object) { return Object; }

TWTKey KeyOf(int Key)
{
    switch (Key) {
    case Qt::Key_F1:
        return wkF1;
    case Qt::Key_Shift:
        return wkShift;
    case Qt::Key_Menu:
        return wkAppKey;
    default:
        return wkOther;
    }
}

// Widgets that belong to the help machinery itself are never asked about.
bool IsOwnPopup(const QObject* O) { return O && O->objectName() == "WhatsThisMenu"; }
}

TWhatsThisFilter::TWhatsThisFilter() : FWhatsThis(*this) { qApp->installEventFilter(this); }

TWhatsThisFilter::~TWhatsThisFilter()
{
    // The component gives the items back while this environment still exists.
    FWhatsThis.SetActive(false);
    qApp->removeEventFilter(this);
    if (FCursorSet)
        QApplication::restoreOverrideCursor();
    delete FMenu.data();
}

bool TWhatsThisFilter::ForegroundIsOurs() const { return QApplication::activeWindow() != nullptr; }

TWTControl TWhatsThisFilter::ActiveControl() const { return Ctl(QApplication::focusWidget()); }

TWTControl TWhatsThisFilter::ControlAt(int32_t X, int32_t Y) const { return Ctl(QApplication::widgetAt(X, Y)); }

void TWhatsThisFilter::ControlRect(TWTControl C, int32_t& X, int32_t& Y, int32_t& Wd, int32_t& H) const
{
    QRect R;
    if (QWidget* Widget = W(C))
        R = QRect(Widget->mapToGlobal(QPoint(0, 0)), Widget->size());
    else if (auto* A = qobject_cast<QAction*>(O(C)))
        for (QObject* In : A->associatedObjects())
            if (auto* M = qobject_cast<QMenu*>(In); M && M->isVisible()) {
                R = M->actionGeometry(A).translated(M->mapToGlobal(QPoint(0, 0)));
                break;
            }
    X = R.x();
    Y = R.y();
    Wd = R.width();
    H = R.height();
}

std::pair<int32_t, int32_t> TWhatsThisFilter::MousePos() const
{
    QPoint P = QCursor::pos();
    return {P.x(), P.y()};
}

TWTControl TWhatsThisFilter::Parent(TWTControl C) const
{
    if (QWidget* Wd = W(C))
        return Wd->isWindow() ? nullptr : Ctl(Wd->parentWidget());
    // A menu item: the head item of its menu; a top menu's head belongs to the window of the menu bar.
    auto* A = qobject_cast<QAction*>(O(C));
    if (!A)
        return nullptr;
    // The menu bar first: a top menu's head may also sit in the bar's overflow menu.
    for (QObject* In : A->associatedObjects())
        if (auto* Bar = qobject_cast<QMenuBar*>(In))
            return Ctl(Bar->window());
    for (QObject* In : A->associatedObjects())
        if (auto* M = qobject_cast<QMenu*>(In)) {
            QAction* Head = M->menuAction();
            if (Head != A && !Head->associatedObjects().isEmpty())
                return Ctl(Head);
        }
    return nullptr;
}

bool TWhatsThisFilter::IsForm(TWTControl C) const
{
    QWidget* Wd = W(C);
    return Wd && (Wd->isWindow() || qobject_cast<QMdiSubWindow*>(Wd) != nullptr);
}

int32_t TWhatsThisFilter::HelpContext(TWTControl C) const { return O(C)->property("HelpContext").toInt(); }

TWTControl TWhatsThisFilter::FocusControl(TWTControl C) const
{
    auto* L = qobject_cast<QLabel*>(O(C));
    return L ? Ctl(L->buddy()) : nullptr;
}

int32_t TWhatsThisFilter::Tag(TWTControl C) const { return O(C)->property("Tag").toInt(); }

std::string TWhatsThisFilter::Name(TWTControl C) const { return FromQ(O(C)->objectName()); }

void TWhatsThisFilter::Post(int Message, int32_t X, int32_t Y)
{
    QMetaObject::invokeMethod(this, [this, Message, X, Y] { FWhatsThis.Message(Message, X, Y); },
        Qt::QueuedConnection);
}

void TWhatsThisFilter::ShowPopupMenu(int32_t X, int32_t Y, const std::string& Caption)
{
    delete FMenu.data();
    FMenu = new QMenu();
    FMenu->setObjectName("WhatsThisMenu");
    FMenu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* Item = FMenu->addAction(ToQ(Caption));
    connect(Item, &QAction::triggered, this, [this] { FWhatsThis.PopupItemClick(); });
    FMenu->popup(QPoint(X, Y));
}

void TWhatsThisFilter::SetHelpCursor(bool Help)
{
    if (Help && !FCursorSet) {
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
        FCursorSet = true;
    } else if (!Help && FCursorSet) {
        QApplication::restoreOverrideCursor();
        FCursorSet = false;
    }
}

void TWhatsThisFilter::CloseMenus()
{
    // Every open menu, the deepest first; a popup that refuses to close ends the loop.
    for (int i = 0; i < 32; ++i) {
        QWidget* P = QApplication::activePopupWidget();
        if (!P)
            break;
        P->close();
        if (QApplication::activePopupWidget() == P)
            break;
    }
}

void TWhatsThisFilter::SetWTMenuItem(QAction* Item)
{
    FWhatsThis.SetWTMenuItem(Ctl(Item));
    Watch(Item);
}

void TWhatsThisFilter::SetWTToolbarButton(QAbstractButton* Button)
{
    FWhatsThis.SetWTToolbarButton(Ctl(Button));
    Watch(Button);
}

void TWhatsThisFilter::Watch(QObject* Object)
{
    if (Object)
        connect(Object, &QObject::destroyed, this, &TWhatsThisFilter::Gone, Qt::UniqueConnection);
}

void TWhatsThisFilter::Gone(QObject* Object)
{
    FRedirected.erase(Object);
    FWhatsThis.Removed(Ctl(Object));
}

void TWhatsThisFilter::MenuHovered(QAction* Item)
{
    if (!Item || Item->isSeparator())
        return;
    Watch(Item);
    FWhatsThis.MenuSelect(Ctl(Item), Item->menu() == nullptr);
}

void TWhatsThisFilter::HookClick(TWTControl Item, bool Install)
{
    QObject* Object = O(Item);
    QList<QObject*> Objects{Object};
    if (auto* B = qobject_cast<QToolButton*>(Object); B && B->defaultAction())
        Objects.append(B->defaultAction());
    for (QObject* X : Objects) {
        if (Install && !FRedirected.count(X))
            FRedirected[X] = X->blockSignals(true);
        else if (!Install && FRedirected.count(X)) {
            X->blockSignals(FRedirected[X]);
            FRedirected.erase(X);
        }
    }
}

void TWhatsThisFilter::SetShortCut(TWTControl MenuItem, bool ShiftF1)
{
    if (auto* A = qobject_cast<QAction*>(O(MenuItem)))
        A->setShortcut(ShiftF1 ? QKeySequence(Qt::SHIFT | Qt::Key_F1) : QKeySequence());
}

void TWhatsThisFilter::SetChecked(TWTControl MenuItem, bool Checked)
{
    if (auto* A = qobject_cast<QAction*>(O(MenuItem))) {
        QSignalBlocker Quiet(A);
        A->setCheckable(true);
        A->setChecked(Checked);
    }
}

void TWhatsThisFilter::SetDown(TWTControl Button, bool Down)
{
    auto* B = qobject_cast<QAbstractButton*>(O(Button));
    if (!B)
        return;
    if (auto* T = qobject_cast<QToolButton*>(B); T && T->defaultAction()) {
        QSignalBlocker Quiet(T->defaultAction());
        T->defaultAction()->setCheckable(true);
        T->defaultAction()->setChecked(Down);
    }
    QSignalBlocker Quiet(B);
    B->setCheckable(true);
    B->setChecked(Down);
    B->update();
}

bool TWhatsThisFilter::IsRedirectedClick(QWidget* Target, QEvent* Event) const
{
    if (FRedirected.empty())
        return false;
    if (auto* M = qobject_cast<QMenu*>(Target)) {
        QAction* A = nullptr;
        if (Event->type() == QEvent::MouseButtonRelease)
            A = M->actionAt(static_cast<QMouseEvent*>(Event)->position().toPoint());
        else if (Event->type() == QEvent::KeyPress) {
            int Key = static_cast<QKeyEvent*>(Event)->key();
            if (Key == Qt::Key_Return || Key == Qt::Key_Enter)
                A = M->activeAction();
        }
        return A && A->isEnabled() && FRedirected.count(A);
    }
    auto* B = qobject_cast<QAbstractButton*>(Target);
    return B && Event->type() == QEvent::MouseButtonRelease && B->isEnabled() && FRedirected.count(B) &&
        B->rect().contains(static_cast<QMouseEvent*>(Event)->position().toPoint());
}

bool TWhatsThisFilter::HelpCommand(uint16_t Command, int32_t Data)
{
    return ApplicationHelpCommand(Command, THelpData(Data));
}

bool TWhatsThisFilter::eventFilter(QObject* Watched, QEvent* Event)
{
    // The help button of a window's caption starts the toolkit's own mode; this component takes over from it.
    if (Event->type() == QEvent::EnterWhatsThisMode) {
        QMetaObject::invokeMethod(this, [] { QWhatsThis::leaveWhatsThisMode(); }, Qt::QueuedConnection);
        FWhatsThis.CaptionHelpButton();
        return false;
    }
    // Only events for widgets count: each input event also passes the window it belongs to.
    if (!Watched->isWidgetType())
        return false;
    auto* Wd = static_cast<QWidget*>(Watched);
    auto ToggleLater = [this] {
        QMetaObject::invokeMethod(this, [this] { FWhatsThis.ToggleContextMode(); }, Qt::QueuedConnection);
    };
    // A request in a menu is about the item highlighted now, however it came to be highlighted.
    if (auto* Menu = qobject_cast<QMenu*>(Wd); Menu && !IsOwnPopup(Wd) &&
        (Event->type() == QEvent::MouseButtonRelease || Event->type() == QEvent::KeyPress))
        if (QAction* A = Menu->activeAction())
            MenuHovered(A);
    switch (Event->type()) {
    case QEvent::ShortcutOverride: {
        // F1 belongs to this component while it is active, before any shortcut of the windows.
        auto* K = static_cast<QKeyEvent*>(Event);
        if (K->key() == Qt::Key_F1 && FWhatsThis.HooksInstalled()) {
            K->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        auto* K = static_cast<QKeyEvent*>(Event);
        if (K->isAutoRepeat())
            return false;
        if (IsRedirectedClick(Wd, Event))
            ToggleLater();
        return FWhatsThis.KeyDown(KeyOf(K->key()), K->modifiers() & Qt::ShiftModifier);
    }
    case QEvent::KeyRelease: {
        auto* K = static_cast<QKeyEvent*>(Event);
        if (K->isAutoRepeat())
            return false;
        return FWhatsThis.KeyUp(KeyOf(K->key()));
    }
    case QEvent::ContextMenu: {
        // The context-menu key comes as its key release; only the mouse's request is a right click.
        // In a menu the right button's release is the request (below).
        auto* C = static_cast<QContextMenuEvent*>(Event);
        if (C->reason() == QContextMenuEvent::Mouse && !IsOwnPopup(Wd) && !qobject_cast<QMenu*>(Wd))
            FWhatsThis.RightClick(C->globalPos().x(), C->globalPos().y());
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto* M = static_cast<QMouseEvent*>(Event);
        if (M->button() != Qt::LeftButton || IsOwnPopup(Wd))
            return false;
        QPoint G = M->globalPosition().toPoint();
        return FWhatsThis.LeftDown(G.x(), G.y());
    }
    case QEvent::MouseButtonRelease: {
        auto* M = static_cast<QMouseEvent*>(Event);
        if (IsOwnPopup(Wd))
            return false;
        QPoint G = M->globalPosition().toPoint();
        // A right click on a highlighted menu item asks for that item's help.
        if (M->button() == Qt::RightButton && qobject_cast<QMenu*>(Wd))
            return FWhatsThis.RightClick(G.x(), G.y());
        if (M->button() != Qt::LeftButton)
            return false;
        bool Swallowed = FWhatsThis.LeftUp(G.x(), G.y());
        if (!Swallowed && IsRedirectedClick(Wd, Event))
            ToggleLater();
        return Swallowed;
    }
    case QEvent::Show:
        // A menu of its own (a control's context menu) takes over from an armed request. An opened menu has its
        // head selected until an item is highlighted.
        if (auto* Menu = qobject_cast<QMenu*>(Wd); Menu && !IsOwnPopup(Wd)) {
            FWhatsThis.MenuLoop(true);
            connect(Menu, &QMenu::hovered, this, &TWhatsThisFilter::MenuHovered, Qt::UniqueConnection);
            if (!Menu->menuAction()->associatedObjects().isEmpty())
                MenuHovered(Menu->menuAction());
        }
        return false;
    case QEvent::WindowActivate:
        // A window that becomes active while a click is being watched drops a request armed by a right click.
        if (Wd->isWindow() && FWhatsThis.Watching())
            FWhatsThis.Activated();
        return false;
    case QEvent::Hide:
        if (qobject_cast<QMenu*>(Wd) && !IsOwnPopup(Wd) && !QApplication::activePopupWidget())
            FWhatsThis.MenuLoop(false);
        return false;
    default:
        return false;
    }
}
