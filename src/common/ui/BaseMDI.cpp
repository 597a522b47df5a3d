#include "common/ui/BaseMDI.h"

#include "common/ui/UtilitsUi.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>

#include <algorithm>

TBaseMDIForm::TBaseMDIForm(const TFormCreation& Creation)
    : QMdiSubWindow(nullptr), FormMask(Creation.FormMask), OwnerForm(Creation.OwnerForm), Index(Creation.Index),
      Params(Creation.Params), FArea(Creation.Area)
{
    setObjectName("BaseMDIForm");
    setWindowTitle("BaseMDIForm");
    resize(DefaultWidth, DefaultHeight);
    // Without its own icon a child window's title bar shows the toolkit's logo.
    setWindowIcon(ProgramIcon());
    auto* client = new QWidget;
    client->setObjectName("Client");
    setWidget(client);
}

std::string TBaseMDIForm::FormClassName() const { return metaObject()->className(); }

std::string TBaseMDIForm::HelpKeyword() const { return ::HelpKeyword(this); }

bool TBaseMDIForm::CreateWindow()
{
    CreateParams();
    ApplyFormTexts(FormClassName(), this);
    // The view parameters win over the description's control texts, empty ones included.
    setWindowTitle(ToQ(Params.Caption));
    SetHelpKeyword(this, Params.HelpContextName);
    try {
        InitForm();
        AfterInit();
    } catch (const Exception& E) {
        hide();
        ShowError(E.Message);
        return false;
    }
    // Given before the window shows: activating it, now or when its main window comes to the front, hands the
    // keyboard to the control that had it last.
    if (QWidget* First = FirstFocusWidget())
        First->setFocus(Qt::OtherFocusReason);
    if (!FormMask.Contains(1))
        show();
    update();
    return true;
}

void TBaseMDIForm::CreateParams()
{
    TWindowParams p;
    p.X = Params.X;
    p.Y = Params.Y;
    // A description without "Form Info" gives no size; a window of no size would be invisible.
    p.Width = Params.Width > 0 ? Params.Width : width();
    p.Height = Params.Height > 0 ? Params.Height : height();
    p.Flags = FormMask.Contains(1) ? Qt::WindowFlags(Qt::Dialog) : Qt::WindowFlags(Qt::SubWindow);
    AdjustParams(p);
    if (FormMask.Contains(1)) {
        setWindowFlags(p.Flags);
        resize(p.Width, p.Height);
        QWidget* owner = OwnerForm ? static_cast<QWidget*>(OwnerForm.data())
                                   : (FArea ? FArea->window() : nullptr);
        CentreOverMainForm(this, owner);
        // A top-level window has no Qt parent; it goes with the main window instead of outliving it.
        if (FArea)
            connect(FArea->window(), &QObject::destroyed, this, [this] { delete this; });
        return;
    }
    if (FArea)
        FArea->addSubWindow(this, p.Flags);
    // The description's place and size were made for a large screen: a window opens inside the area it can be seen
    // in, moved towards the top left and, only where that is not enough, made smaller, so that its buttons show.
    if (FArea && FArea->isVisible()) {
        // A window shown a moment ago has not laid out its area yet.
        if (QLayout* L = FArea->window()->layout())
            L->activate();
        const QSize Room = FArea->viewport()->size();
        p.Width = std::max(std::min(p.Width, Room.width()), minimumWidth());
        p.Height = std::max(std::min(p.Height, Room.height()), minimumHeight());
        p.X = std::max(0, std::min(p.X, Room.width() - p.Width));
        p.Y = std::max(0, std::min(p.Y, Room.height() - p.Height));
    }
    setGeometry(p.X, p.Y, p.Width, p.Height);
}

QList<TBaseMDIForm*> TBaseMDIForm::DetailForms() const
{
    QList<TBaseMDIForm*> found;
    auto consider = [&](QWidget* w) {
        auto* f = qobject_cast<TBaseMDIForm*>(w);
        if (f && f != this && f->OwnerForm == this && !found.contains(f))
            found.append(f);
    };
    if (FArea)
        for (QMdiSubWindow* w : FArea->subWindowList())
            consider(w);
    for (QWidget* w : QApplication::topLevelWidgets())
        consider(w);
    return found;
}

void TBaseMDIForm::NotifyOwnerApplied()
{
    if (OwnerForm)
        OwnerForm->ChildApplied();
}

void TBaseMDIForm::closeEvent(QCloseEvent* Event)
{
    for (TBaseMDIForm* detail : DetailForms()) {
        if (detail->isVisible() && !detail->close()) {
            Event->ignore();
            return;
        }
    }
    // Decided at close time: a class may have changed its kinds in InitForm.
    setAttribute(Qt::WA_DeleteOnClose, !FormMask.Contains(1));
    QMdiSubWindow::closeEvent(Event);
}

void TBaseMDIForm::showEvent(QShowEvent* Event)
{
    // Closing hides the client widget too; a dialog-style window shown again must show its controls again.
    if (widget() && widget()->isHidden())
        widget()->show();
    QMdiSubWindow::showEvent(Event);
}
