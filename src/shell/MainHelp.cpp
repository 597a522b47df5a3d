#include "shell/MainHelp.h"

#include "platform/Exception.h"
#include "shell/main.h"

#include <QEvent>

TMainHelp::TMainHelp(TMainForm* Main)
{
    try {
        Router = std::make_unique<THelpRouter>(&Viewer);
        Router->HelpType = htHTMLhelp;
        Router->Helpfile = Main->ProgramDir + "Orlantis.chm";
        Router->CHMPopupTopics = "CSHelp.txt";
        Router->HelpWindow = "win1";
    } catch (const Exception&) {
        // The running router keeps serving; this window's help goes through it.
    }
    // The help project names each control's popup as <form>_<control>; without it controls have no popup text.
    try {
        ContextMap.SetFileName(HelpFolderOf(Main->ProgramDir + "Orlantis.chm") + "Orlantis.hhp");
    } catch (const Exception&) {
    }
    WhatsThis = std::make_unique<TWhatsThisFilter>();
    TWhatsThis& W = WhatsThis->WhatsThis();
    W.F1Action = goTOC;
    W.Options = wtMenuRightClick | wtNoContextHelp | wtNoContextMenu | wtInheritFormContext | wtUseAppKey;
    W.HelpContextMap = &ContextMap;
    W.OnF1KeyDown = [Main](bool& CallHelp) {
        Main->WhatsThisF1KeyDown();
        CallHelp = false;
    };
    Main->installEventFilter(this);
}

TMainHelp::~TMainHelp()
{
    WhatsThis.reset();
    Router.reset();
}

bool TMainHelp::eventFilter(QObject* Watched, QEvent* Event)
{
    // Closed (not minimised by the window system): the help windows go with it.
    if (Event->type() == QEvent::Hide && !Event->spontaneous())
        Viewer.CloseAll();
    return QObject::eventFilter(Watched, Event);
}
