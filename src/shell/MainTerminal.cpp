// The main window's terminal command and what the terminal window gets from the main window. There is at most one
// terminal window: the command brings an open one to the front. A new one starts only after the device was taken
// up to its top menu, so that the window opens on the menu the administrator expects; the dialogue captured on
// the way is shown in it and then dropped by the engine, whether the window opened or not.
#include "shell/main.h"

#include "common/Utilits.h"
#include "common/ui/BaseMDI.h"
#include "common/ui/ExecuteDialog.h"
#include "engine/ManagerVMU.h"
#include "platform/Dialogs.h"
#include "serial/SerPort.h"
#include "shell/Terminal.h"

#include <QAction>
#include <QMdiArea>

TTerminalHost TMainForm::TerminalHost()
{
    TTerminalHost Host;
    Host.Port = ComPort.get();
    Host.CapturedText = [this] { return ManagerVMU ? ManagerVMU->SavedAnswers : std::string(); };
    Host.ExecuteModal = [this](TLongOperation& Operation) { return ExecuteModal(true, &Operation) == mrOk && !ExecuteForm->Failed(); };
    Host.StartDir = DataDir;
    Host.PrintPreview = [this](TTerminalForm& Form) { PreviewTerminal(Form); };
    return Host;
}

TTerminalForm* TMainForm::OpenTerminal()
{
    if (TBaseMDIForm* Open = FindChildForm(TFormKinds{2, 4}, nullptr, -1)) {
        if (Open->isMinimized())
            Open->showNormal();
        MdiArea->setActiveSubWindow(Open);
        Open->raise();
        return qobject_cast<TTerminalForm*>(Open);
    }
    // A closed line cannot reach the menu; the engine is not even started on it.
    bool Reached = false;
    if (PortOpen() && ManagerVMU)
        Reached = !RunDeviceOperation(doGoUpToMenu, false);
    if (!Reached) {
        TDialogs::instance().MessageBox(Utilits::SErrorConnectionToVMU, Utilits::SError, mtError, mbOK);
        return nullptr;
    }
    TFormParams Params;
    try {
        ReadFormInfo(FindFormDescription("TTerminalForm"), Params);
    } catch (const Exception& E) {
        // A garbled size in the description costs the window its place, not the terminal.
        ShowError(E.Message);
    }
    return TBaseMDIForm::Create<TTerminalForm>(MdiArea, TFormKinds{2}, Params, TerminalHost());
}

void TMainForm::SystemTerminal1Execute()
{
    OpenTerminal();
    if (ManagerVMU)
        ManagerVMU->ClearAnswers();
}
