// The section windows as the main window reaches them. Kept apart from the device roads: the grid's names and the
// engine's may not meet in one file.
#include "shell/main.h"

#include "forms/base/BaseGrid.h"
#include "xml/XmlDoc.h"

void TMainForm::ReshowSectionWindows(const std::string& Section)
{
    for (TBaseMDIForm* Form : ChildForms())
        if (auto* Grid = qobject_cast<TBaseGridForm*>(Form))
            if (TXmlNode* Shown = Grid->SectionNode; Shown && Shown->GetName() == Section)
                Grid->ReloadAfterChildApplied();
}

void TMainForm::RestoreUnderWindows(const std::string& Section, const std::function<void()>& Change)
{
    // A window with edits not yet applied keeps them and stays bound to the nodes taken back in place, so that its
    // Apply still writes them; the cells it did not edit show what was taken back.
    std::vector<std::pair<TBaseGridForm*, std::vector<std::pair<int, int>>>> Edited;
    for (TBaseMDIForm* Form : ChildForms())
        if (auto* Grid = qobject_cast<TBaseGridForm*>(Form); Grid && Grid->Modified)
            if (TXmlNode* Shown = Grid->SectionNode; Shown && Shown->GetName() == Section)
                Edited.emplace_back(Grid, Grid->UneditedCells());
    Change();
    for (auto& [Grid, Cells] : Edited)
        Grid->ShowNodeValues(Cells);
}
