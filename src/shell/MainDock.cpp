// The main window's side of tree docking: the Show Parameters Tree command in both states, and freeing the tree
// when its floating window closes.
#include "shell/DockMDI.h"
#include "shell/main.h"

#include <QAction>

void TMainForm::ShowTree(bool Show)
{
    if (PanelTreeView && TreeDock->Floating()) {
        if (!Show)
            TreeDock->FloatingForm()->close();
    } else if (PanelTreeView) {
        if (!Show) {
            PanelTreeView->hide();
            TreeDock->SetStripWidth(0);
        } else {
            TreeDock->Dock();
        }
    } else if (Show) {
        CreateTreePanel(true);
    }
    FileShowTree1->setChecked(Show);
}

void TMainForm::HideParameterTree(bool FreeIt)
{
    FileShowTree1->setChecked(false);
    if (FreeIt && PanelTreeView) {
        // Later: this may run inside the floating window's close, with the tree's events still on the stack.
        PanelTreeView->hide();
        PanelTreeView->deleteLater();
        PanelTreeView = nullptr;
        DataTreeView = nullptr;
    }
}
