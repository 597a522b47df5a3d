// The Qt side of what's-this help: an application event filter that feeds TWhatsThis the input it watches (F1,
// Shift+F1, the context-menu key, right clicks, the picking click in context mode, menus opening) and the
// environment it asks (focus, the widget under a point, parents, names, help contexts as the dynamic properties
// "HelpContext" and "Tag", a label's buddy as its focus control). Posted messages become queued calls; the popup
// menu is one QMenu item. A widget's form is its window or its MDI child window; form and control are named by
// objectName. Main thread only.
#pragma once

#include "help/WhatsThis.h"

#include <QObject>
#include <QMenu>
#include <QPointer>

class QMenu;
class QWidget;

class TWhatsThisFilter : public QObject, public TWhatsThisEnv {
    Q_OBJECT
public:
    TWhatsThisFilter();
    ~TWhatsThisFilter() override;
    TWhatsThis& WhatsThis() { return FWhatsThis; }
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

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TWhatsThis FWhatsThis;
    QPointer<QMenu> FMenu;
    bool FCursorSet = false;
};
