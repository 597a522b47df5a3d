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
