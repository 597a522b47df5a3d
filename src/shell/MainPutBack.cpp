// Taking back what a write cut short left on the device once the user drops the window's edits: the data document
// gets the section (or the window's record of it) as it was before the Apply at once, so that no later Apply sends
// the dropped edits and every window still open on the section shows it; the device is then brought back to it by
// the usual read-back and difference, now when the line is up, else at the next connection.
#include "shell/main.h"

#include "common/Utilits.h"
#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SectionReconcile.h"
#include "engine/StepParameters.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

namespace {

// The first node named Name in Start's subtree, Start included (any tree, in the document or not).
TXmlNode* NamedIn(TXmlNode* Start, const std::string& Name)
{
    if (Start->GetName() == Name)
        return Start;
    for (const auto& Child : Start->Nodes)
        if (TXmlNode* Found = NamedIn(Child.get(), Name))
            return Found;
    return nullptr;
}

// Puts Node in as Parent's child at Index (at the end when Index is past it).
void InsertAt(TXmlNode* Parent, std::unique_ptr<TXmlNode> Node, int Index)
{
    std::vector<std::unique_ptr<TXmlNode>> After;
    while (Parent->Nodes.Count() > Index && Index >= 0)
        After.push_back(Parent->Nodes.Extract(Index));
    Parent->AddChild(std::move(Node));
    for (auto& Sibling : After)
        Parent->AddChild(std::move(Sibling));
}

// The section's write is to read the device's copy back first.
void MarkUnsettled(TXmlNode* Live)
{
    TXmlNode* Section = TMainForm::TreeSectionOf(Live);
    (Section ? Section : Live)->SetAttr(UnsettledAttr, "Yes");
}

}  // namespace

void TMainForm::RestoreDroppedPart(TXmlNode* Live, const TPutBack& P)
{
    auto Numbered = [this](std::unique_ptr<TXmlNode> Node) {
        // The nodes join the document as new ones: windows tell records apart by their IDs.
        std::vector<TXmlNode*> Todo = {Node.get()};
        while (!Todo.empty()) {
            TXmlNode* N = Todo.back();
            Todo.pop_back();
            const int32_t Id = DataDoc->GetMaxNodeID() + 1;
            N->SetID(Id);
            DataDoc->SetMaxNodeID(Id);
            for (const auto& Child : N->Nodes)
                Todo.push_back(Child.get());
        }
        return Node;
    };
    if (P.Record.empty()) {
        while (Live->Nodes.Count() > 0)
            Live->Nodes.Extract(0);
        for (const auto& Child : P.Before->Nodes)
            Live->AddChild(Numbered(Child->Clone(true)));
        return;
    }
    TXmlNode* Was = NamedIn(P.Before.get(), P.Record);
    TXmlNode* Now = NamedIn(Live, P.Record);
    if (Now && Now != Live) {
        TXmlNode* Parent = Now->Parent;
        const int Index = Now->Index();
        Parent->RemoveChild(Now);
        if (Was)
            InsertAt(Parent, Numbered(Was->Clone(true)), Index);
    } else if (Was && Was->Parent) {
        TXmlNode* Parent = Was->Parent == P.Before.get() ? Live : NamedIn(Live, Was->Parent->GetName());
        if (Parent)
            InsertAt(Parent, Numbered(Was->Clone(true)), Was->Index());
    }
}

void TMainForm::PutSectionBack(const std::string& Section, const std::string& Record,
    std::unique_ptr<TXmlNode> Before, const std::string& Caption)
{
    if (!Before)
        return;
    FPutBacks.push_back({Section, Record, std::move(Before), Caption});
    if (TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), Section)) {
        RestoreDroppedPart(Live, FPutBacks.back());
        MarkUnsettled(Live);
        ReshowSectionWindows(Section);
    }
    if (!BatchMode && PortOpen() && Connected && DSRState)
        RunPutBacks();
}

bool TMainForm::RunPutBacks()
{
    while (!FPutBacks.empty() && ParamsNode) {
        // Taken out while it runs: its boxes wait for the user, and a window closed meanwhile may add another.
        TPutBack P = std::move(FPutBacks.front());
        FPutBacks.erase(FPutBacks.begin());
        FWriteFailureClosing = Format("The VMU is brought back to what it held before the changes dropped in \"%s\" "
                                      "once it is connected again.",
            {P.Caption});
        bool Done = false;
        if (TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), P.Section)) {
            // A window still shows the section: the usual read-back and difference, its nodes kept.
            RestoreDroppedPart(Live, P);
            MarkUnsettled(Live);
            Done = WriteSectionToVMU(P.Section);
        } else if (LoadSectionFromVMU(ParamsNode, P.Section, doLoad, "",
                       "Nothing was written: the section is read back before it is put back, and that is tried "
                       "again at the next connection.")) {
            // Read for this alone: what the device holds is the difference's start, and no window keeps it.
            if (TXmlNode* Fresh = DataDoc->FindNode(DataDoc->Root(), P.Section)) {
                std::unique_ptr<TXmlNode> Device = Fresh->Clone(true);
                RestoreDroppedPart(Fresh, P);
                ReconcileSection(Fresh, std::move(Device), ReconcileKindOf(P.Section));
                std::unique_ptr<TStepParameters> Steps = DataManager->GetSaveSteps(ParamsNode, P.Section, false);
                Done = !Steps || Steps->Count() == 0 || SaveSectionsToVMU(ParamsNode, P.Section, false, "", "", false);
                if (TXmlNode* Left = DataDoc->FindNode(DataDoc->Root(), P.Section))
                    DataDoc->RemoveNode(Left);
            }
        }
        FWriteFailureClosing.clear();
        if (!Done) {
            FPutBacks.insert(FPutBacks.begin(), std::move(P));
            return false;
        }
        ReshowSectionWindows(P.Section);
        TDialogs::instance().MessageBox(Format("The changes dropped in \"%s\" are taken back: the VMU holds again "
                                               "what it held before they were applied.",
                                            {P.Caption}),
            Utilits::SInformation, mtInformation, mbOK);
    }
    return true;
}
