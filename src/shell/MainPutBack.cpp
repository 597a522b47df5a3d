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

#include <algorithm>

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

// A copy of Was that joins Doc as new nodes: windows tell records apart by their IDs.
std::unique_ptr<TXmlNode> NewCopy(TXmlDoc& Doc, const TXmlNode* Was)
{
    std::unique_ptr<TXmlNode> Node = Was->Clone(true);
    Doc.AssignIDs(Node.get());
    return Node;
}

// Live becomes what Was holds without being replaced: a window with edits not yet applied stays bound to its
// nodes, so that its Apply still writes them. Its attributes become Was's (OwnAttrs; its ID stays) and its
// children Was's, in Was's order: a child with the tag and name of one of Was's (taken in turn) stays and becomes
// that one; Live's others go, and Was's others come in as new nodes.
void TakeBackInPlace(TXmlDoc& Doc, TXmlNode* Live, const TXmlNode* Was, bool OwnAttrs)
{
    if (OwnAttrs) {
        std::vector<std::string> Gone;
        for (const TXmlAttribute* A : Live->Attrs)
            if (A->GetName().view() != "ID" && !Was->Attrs.Find(A->GetName().view()))
                Gone.emplace_back(A->GetName().view());
        for (const std::string& Name : Gone)
            Live->DeleteAttr(Name);
        for (const TXmlAttribute* A : Was->Attrs)
            if (A->GetName().view() != "ID" && A->GetName().view() != "MaxNodeID")
                Live->SetAttr(A->GetName().view(), A->GetValue().view());
    }
    std::vector<std::unique_ptr<TXmlNode>> Old;
    while (Live->Nodes.Count() > 0)
        Old.push_back(Live->Nodes.Extract(Live->Nodes.Count() - 1));
    std::reverse(Old.begin(), Old.end());
    for (const auto& W : Was->Nodes) {
        const auto Same = std::find_if(Old.begin(), Old.end(), [&](const std::unique_ptr<TXmlNode>& O) {
            return O && O->GetTag() == W->GetTag() && O->GetName() == W->GetName();
        });
        if (Same == Old.end()) {
            Live->AddChild(NewCopy(Doc, W.get()));
            continue;
        }
        std::unique_ptr<TXmlNode> Kept = std::move(*Same);
        TakeBackInPlace(Doc, Kept.get(), W.get(), true);
        Live->AddChild(std::move(Kept));
    }
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
    if (P.Record.empty()) {
        TakeBackInPlace(*DataDoc, Live, P.Before.get(), false);
        return;
    }
    TXmlNode* Was = NamedIn(P.Before.get(), P.Record);
    TXmlNode* Now = NamedIn(Live, P.Record);
    if (Now && Now != Live) {
        if (Was)
            TakeBackInPlace(*DataDoc, Now, Was, true);
        else
            Now->Parent->RemoveChild(Now);
    } else if (Was && Was->Parent) {
        TXmlNode* Parent = Was->Parent == P.Before.get() ? Live : NamedIn(Live, Was->Parent->GetName());
        if (Parent)
            Parent->Nodes.Insert(Was->Index(), NewCopy(*DataDoc, Was));
    }
}

void TMainForm::PutSectionBack(const std::string& Section, const std::string& Record,
    std::unique_ptr<TXmlNode> Before, const std::string& Caption)
{
    if (!Before)
        return;
    FPutBacks.push_back({Section, Record, std::move(Before), Caption});
    if (TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), Section)) {
        RestoreUnderWindows(Live, FPutBacks.back());
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
            RestoreUnderWindows(Live, P);
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

bool TMainForm::AskQuitLeavingDeviceUnsettled()
{
    std::vector<std::string> Lines;
    for (const TPutBack& P : FPutBacks)
        Lines.push_back(Format("\"%s\": the changes dropped there were to be taken back once the VMU is connected "
                               "again.",
            {P.Caption}));
    // A batch document keeps its marks in the data file its question offers to save; an interactive one is gone.
    if (!BatchMode) {
        TXmlWalk Walk;
        for (TXmlNode* N = Walk.First(DataDoc->Root(), DataDoc->Root()); N; N = Walk.Next(N)) {
            if (!N->Attrs.Find(UnsettledAttr))
                continue;
            const std::string Name = N->GetName();
            bool Pending = false;
            for (const TPutBack& P : FPutBacks)
                Pending = Pending || NamedIn(N, P.Section);
            if (Pending)
                continue;
            std::string Caption;
            GetSectionCaption(Name, Caption);
            Lines.push_back(Format("\"%s\": a write to the VMU was cut short, so it may hold only part of it.",
                {Caption.empty() ? Name : Caption}));
        }
    }
    if (Lines.empty())
        return true;
    std::string Question = "The VMU may hold changes that were dropped or written only in part:";
    for (const std::string& Line : Lines)
        Question += "\r\n" + Line;
    Question += std::string("\r\nYes: quit anyway, and leave the VMU as it is.\r\n") +
        (FPutBacks.empty() ? "No: stay; a section's window shows what the VMU holds of it."
                           : "No: stay, to connect again: the dropped changes are then taken back.");
    return TDialogs::instance().MessageBox(Question, Utilits::SWarning, mtWarning, mbYes | mbNo) == mrYes;
}
