// The main window's help: the viewer of the help folder beside the program, the router that every help request
// of the program passes (HTML help, help file "Orlantis.chm" in the program folder, popups "CSHelp.txt", window
// "win1"), the context map of the help project for what's-this popups on controls, and what's-this help itself
// (F1 opens the help of the window in front, Shift+F1 context mode, the context-menu key and right clicks offer
// "What's this?"; a right click on a menu item, or F1 on a highlighted one, shows that item's popup, named
// <window>_<item> in the help project). Help windows close when the main window does; what's-this rests while
// the progress dialog of a device job is up.
#pragma once

#include "help/ContextMap.h"
#include "help/HelpRouter.h"
#include "help/ui/HelpViewer.h"
#include "help/ui/WhatsThisFilter.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

class TMainForm;

class TMainHelp : public QObject {
public:
    explicit TMainHelp(TMainForm* Main);
    ~TMainHelp() override;

    THelpViewer Viewer;
    std::unique_ptr<THelpRouter> Router;   // null when another router was already running
    THelpContextMap ContextMap;
    std::unique_ptr<TWhatsThisFilter> WhatsThis;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TMainForm* Main;
    QPointer<QWidget> Progress;
};
