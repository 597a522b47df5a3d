#include "shell/MainHelp.h"

#include "platform/Exception.h"
#include "common/ui/ExecuteDialog.h"
#include "common/ui/UtilitsUi.h"
#include "shell/main.h"

#include <QEvent>
#include <QWidget>

TMainHelp::TMainHelp(TMainForm* Main) : Main(Main)
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
    // F1 on a highlighted menu item gives that item's help; anywhere else the help of the window in front.
    W.OnF1KeyDown = [Main, &W](bool& CallHelp) {
        if (W.InMenuLoop())
            return;
        Main->WhatsThisF1KeyDown();
        CallHelp = false;
    };
    // A control without help of its own in a window that shares its topic with its controls (the section windows)
    // opens that topic, as F1 there does, rather than a popup saying there is no help; a window without a topic
    // ("-", or none) still says so.
    W.OnHelp = [](TWTControl Item, bool IsMenu, int32_t HContext, int32_t, int32_t, bool& CallHelp) {
        if (IsMenu || HContext != 0)
            return;
        for (auto* Wd = qobject_cast<QWidget*>(static_cast<QObject*>(const_cast<void*>(Item))); Wd;
             Wd = Wd->isWindow() ? nullptr : Wd->parentWidget()) {
            if (!Wd->property(HelpTopicForControlsProperty).toBool())
                continue;
            const std::string Keyword = HelpKeyword(Wd);
            if (Keyword.empty() || Keyword == "-")
                return;
            ShowContextHelpFor(Wd);
            CallHelp = false;
            return;
        }
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
    if (Watched == Main) {
        // Closed (not minimised by the window system): the help windows go with it.
        if (Event->type() == QEvent::Hide && !Event->spontaneous())
            Viewer.CloseAll();
        // The progress dialog exists once the window is made; what's-this rests while a device job runs.
        if (Event->type() == QEvent::Show && Main->ExecuteForm && !Progress) {
            Progress = Main->ExecuteForm;
            Progress->installEventFilter(this);
        }
    } else if (Watched == Progress && WhatsThis) {
        if (Event->type() == QEvent::Show)
            WhatsThis->WhatsThis().SetActive(false);
        else if (Event->type() == QEvent::Hide)
            WhatsThis->WhatsThis().SetActive(true);
    }
    return QObject::eventFilter(Watched, Event);
}
