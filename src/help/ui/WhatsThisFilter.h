// The Qt side of what's-this help: an application event filter that feeds TWhatsThis the input it watches (F1,
// Shift+F1, the context-menu key, right clicks, the picking click in context mode, menus opening and the item
// highlighted in them, a window becoming active, the caption's help button) and the environment it asks (focus,
// the widget under a point, parents, names, help contexts as the dynamic properties "HelpContext" and "Tag", a
// label's buddy as its focus control). Posted messages become queued calls; the popup menu is one QMenu item.
//
// Controls are widgets or menu items (QAction); both travel as QObject pointers. A menu item's parent is the head
// item of its menu, a top menu's head has the window of its menu bar; a widget's form is its window or its MDI
// child window; forms, controls and items are named by objectName. While the component is active, F1 reaches it
// before any shortcut, and the clicks of its menu item and tool button toggle context mode instead of doing their
// own work (their signals are blocked meanwhile). Main thread only.
#pragma once

#include "help/WhatsThis.h"

#include <QObject>
#include <QMenu>
#include <QPointer>

#include <map>

class QAbstractButton;
class QAction;
class QMenu;
class QWidget;

class TWhatsThisFilter : public QObject, public TWhatsThisEnv {
    Q_OBJECT
public:
    TWhatsThisFilter();
    ~TWhatsThisFilter() override;
    TWhatsThis& WhatsThis() { return FWhatsThis; }
    // The menu item and tool button that toggle context mode (see TWhatsThis); they are forgotten when they go.
    void SetWTMenuItem(QAction* Item);
    void SetWTToolbarButton(QAbstractButton* Button);
    // The "What's this?" menu while it is up (tests choose its item).
    QMenu* PopupMenu() const { return FMenu; }

    bool ForegroundIsOurs() const override;
    TWTControl ActiveControl() const override;
    TWTControl ControlAt(int32_t X, int32_t Y) const override;
    void ControlRect(TWTControl C, int32_t& X, int32_t& Y, int32_t& W, int32_t& H) const override;
    std::pair<int32_t, int32_t> MousePos() const override;
    TWTControl Parent(TWTControl C) const override;
    bool IsForm(TWTControl C) const override;
    int32_t HelpContext(TWTControl C) const override;
    TWTControl FocusControl(TWTControl C) const override;
    int32_t Tag(TWTControl C) const override;
    std::string Name(TWTControl C) const override;
    void Post(int Message, int32_t X, int32_t Y) override;
    void ShowPopupMenu(int32_t X, int32_t Y, const std::string& Caption) override;
    void SetHelpCursor(bool Help) override;
    void CloseMenus() override;
    bool HelpCommand(uint16_t Command, int32_t Data) override;
    void HookClick(TWTControl Item, bool Install) override;
    void SetShortCut(TWTControl MenuItem, bool ShiftF1) override;
    void SetChecked(TWTControl MenuItem, bool Checked) override;
    void SetDown(TWTControl Button, bool Down) override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void MenuHovered(QAction* Item);
    void Gone(QObject* Object);
    void Watch(QObject* Object);
    // Whether a release (or Enter in a menu) is a click of a redirected item; such a click toggles context mode
    // once the item has done with it.
    bool IsRedirectedClick(QWidget* Target, QEvent* Event) const;
    TWhatsThis FWhatsThis;
    std::map<QObject*, bool> FRedirected;   // item -> its signals were blocked before
    QPointer<QMenu> FMenu;
    bool FCursorSet = false;
};
