#include "help/ui/WhatsThisFilter.h"

#include "help/HelpRouter.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>

namespace {
QWidget* W(TWTControl C) { return const_cast<QWidget*>(static_cast<const QWidget*>(C)); }

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
    qApp->removeEventFilter(this);
    if (FCursorSet)
        QApplication::restoreOverrideCursor();
    delete FMenu.data();
}

bool TWhatsThisFilter::ForegroundIsOurs() const { return QApplication::activeWindow() != nullptr; }

TWTControl TWhatsThisFilter::ActiveControl() const { return QApplication::focusWidget(); }

TWTControl TWhatsThisFilter::ControlAt(int32_t X, int32_t Y) const { return QApplication::widgetAt(X, Y); }

void TWhatsThisFilter::ControlRect(TWTControl C, int32_t& X, int32_t& Y, int32_t& Wd, int32_t& H) const
{
    QPoint P = W(C)->mapToGlobal(QPoint(0, 0));
    X = P.x();
    Y = P.y();
    Wd = W(C)->width();
    H = W(C)->height();
}

std::pair<int32_t, int32_t> TWhatsThisFilter::MousePos() const
{
    QPoint P = QCursor::pos();
    return {P.x(), P.y()};
}

TWTControl TWhatsThisFilter::Parent(TWTControl C) const
{
    QWidget* Wd = W(C);
    return Wd->isWindow() ? nullptr : Wd->parentWidget();
}

bool TWhatsThisFilter::IsForm(TWTControl C) const
{
    return W(C)->isWindow() || qobject_cast<QMdiSubWindow*>(W(C)) != nullptr;
}

int32_t TWhatsThisFilter::HelpContext(TWTControl C) const { return W(C)->property("HelpContext").toInt(); }

TWTControl TWhatsThisFilter::FocusControl(TWTControl C) const
{
    auto* L = qobject_cast<QLabel*>(W(C));
    return L ? L->buddy() : nullptr;
}

int32_t TWhatsThisFilter::Tag(TWTControl C) const { return W(C)->property("Tag").toInt(); }

std::string TWhatsThisFilter::Name(TWTControl C) const { return FromQ(W(C)->objectName()); }

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
    if (QWidget* P = QApplication::activePopupWidget())
        P->close();
}

bool TWhatsThisFilter::HelpCommand(uint16_t Command, int32_t Data)
{
    return ApplicationHelpCommand(Command, THelpData(Data));
}

bool TWhatsThisFilter::eventFilter(QObject* Watched, QEvent* Event)
{
    // Only events for widgets count: each input event also passes the window it belongs to.
    if (!Watched->isWidgetType())
        return false;
    auto* Wd = static_cast<QWidget*>(Watched);
    switch (Event->type()) {
    case QEvent::KeyPress: {
        auto* K = static_cast<QKeyEvent*>(Event);
        if (K->isAutoRepeat())
            return false;
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
        auto* C = static_cast<QContextMenuEvent*>(Event);
        if (C->reason() == QContextMenuEvent::Mouse && !IsOwnPopup(Wd))
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
        if (M->button() != Qt::LeftButton || IsOwnPopup(Wd))
            return false;
        QPoint G = M->globalPosition().toPoint();
        return FWhatsThis.LeftUp(G.x(), G.y());
    }
    case QEvent::Show:
        // A menu of its own (a control's context menu) takes over from an armed request.
        if (qobject_cast<QMenu*>(Wd) && !IsOwnPopup(Wd))
            FWhatsThis.MenuLoop(true);
        return false;
    case QEvent::Hide:
        if (qobject_cast<QMenu*>(Wd) && !IsOwnPopup(Wd) && !QApplication::activePopupWidget())
            FWhatsThis.MenuLoop(false);
        return false;
    default:
        return false;
    }
}
