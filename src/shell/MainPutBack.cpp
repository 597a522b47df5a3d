// Taking back what a write cut short left on the device once the user drops the window's edits. The data document
// gets the values before at once, so that no later Apply sends the dropped edits and every window still open on the
// section shows them. The device is then settled by the rule of ChangeSet.h: read back, and where it holds what the
// dropped change left, the value before is sent; a value nobody here stored is left and named. With the line up
// that happens at once; with it down, first thing at the next connection, after a question.
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

std::string Quoted(const TMaybeValue& Value) { return Value ? "\"" + *Value + "\"" : std::string("none"); }

// The filled entries of a list, in order.
std::vector<std::string> EntryValues(const TXmlNode* List)
{
    std::vector<std::string> Values;
    if (List)
        for (const auto& Child : List->Nodes)
            if ((Child->GetTag() == "ATTR" || Child->GetTag() == "PARAM") && !Child->GetValue().empty())
                Values.push_back(Child->GetValue());
    return Values;
}

// "Message Retention Days" of "Class 4": "21"; one line a value.
std::string ValueLines(const std::vector<std::pair<std::string, std::string>>& Lines)
{
    std::string Text;
    for (const auto& [Path, Value] : Lines)
        Text += "\r\n" + PathText(Path) + ": " + Value;
    return Text;
}

}  // namespace

void TMainForm::TakeTreeInPlace(TXmlNode* Live, const TXmlNode* Tree)
{
    RestoreUnderWindows(Live->GetName(), [&] { TakeBackInPlace(*DataDoc, Live, Tree, false); });
}

void TMainForm::TakeDeviceState(const std::string& Section, const TXmlNode* Device)
{
    // A batch document is the user's data file: it keeps what the user has there.
    if (BatchMode || !Device)
        return;
    if (TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), Section)) {
        TakeTreeInPlace(Live, Device);
        Live->DeleteAttr(UnsettledAttr);
        // The section is what the device holds: nothing of it is left to write (a detail's Apply marks it).
        if (Live->Attrs.Find("Change"))
            Live->SetAttr("Change", "NoChange");
        ReshowSectionWindows(Section);
    }
}

void TMainForm::PutSectionBack(TChangeSet Changes, const std::string& Caption)
{
    if (Changes.Empty())
        return;
    if (TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), Changes.Section)) {
        std::vector<TTarget> Before;
        for (const TChange& C : Changes.Changes)
            Before.push_back({C.Path, C.Before});
        RestoreUnderWindows(Changes.Section, [&] {
            ApplyTargets(
                Live, Before, [&](const std::string& Path) { return Changes.RemovedAt(Path); },
                [&](TXmlNode* Made) { DataDoc->AssignIDs(Made); }, &Changes);
        });
        // Until the device is settled, the section's next write reads it back first.
        if (TXmlNode* Whole = TreeSectionOf(Live))
            Whole->SetAttr(UnsettledAttr, "Yes");
        ReshowSectionWindows(Changes.Section);
    }
    TPutBack P{std::move(Changes), Caption};
    if (!BatchMode && PortOpen() && Connected && DSRState) {
        if (!SettlePutBack(P, false))
            FPutBacks.push_back(std::move(P));
    } else {
        FPutBacks.push_back(std::move(P));
    }
}

bool TMainForm::SettlePutBack(TPutBack& P, bool Ask)
{
    const std::string& Section = P.Changes.Section;
    auto LineGone = [this] { return !(PortOpen() && Connected && DSRState); };
    TReadBack Read = ReadBackSection(Section,
        "Nothing was written: the section is read back before anything is put back. If the line was lost, that is "
        "done at the next connection; otherwise the changes are not taken back, and what the VMU holds of the "
        "section is not known: the next Apply or save of it reads it back first.");
    // A put-back waits only for a line that is down; one the device could not be read for is given up, told.
    if (!Read.Device)
        return !LineGone();
    TValueMap Held;
    CollectValues(Read.Device.get(), "", Held);
    const TPutBackPlan Plan = PlanPutBack(P.Changes, Held);
    std::vector<std::pair<std::string, std::string>> Thirds;
    for (const TThird& T : Plan.Thirds)
        Thirds.emplace_back(T.Path, "\"" + T.Held + "\"");
    std::string ThirdsText = Thirds.empty() ? std::string()
        : "\r\nThe VMU holds values there that neither the window nor the program stored; they are left as they "
          "are:" + ValueLines(Thirds);
    // A value before that a third value holds cannot be given back: the device keeps the two apart.
    if (!Plan.Blocked.empty()) {
        std::vector<std::pair<std::string, std::string>> Blocked;
        for (const TThird& B : Plan.Blocked)
            Blocked.emplace_back(B.Path, "\"" + B.Held + "\" (before the changes: " +
                    Quoted(P.Changes.Find(B.Path) ? P.Changes.Find(B.Path)->Before : TMaybeValue()) + ")");
        ThirdsText += "\r\nThese keep what the changes left, since a value named above holds what they held before "
                      "and the VMU keeps them apart:" + ValueLines(Blocked);
    }
    if (Plan.ListLeft) {
        TakeDeviceState(Section, Read.Device.get());
        TDialogs::instance().MessageBox(
            Format("The list of \"%s\" on the VMU holds entries that neither the window nor the program stored, so "
                   "nothing of the changes dropped there is put back; the list is left as it is:",
                {P.Caption}) + ValueLines(Thirds),
            Utilits::SInformation, mtInformation, mbOK);
        return true;
    }
    // A mailbox made again is an empty one: what its owner recorded does not come back with it.
    std::string Lost;
    if (Section == "Mailbox Listing")
        for (const TTarget& T : Plan.Sends)
            if (const TChange* C = P.Changes.Find(T.Path); C && !C->Leaf && T.Value && !ValueAt(Held, T.Path))
                Lost += Format("\r\n%s is made again, but the messages and greetings it held on the VMU cannot "
                               "come back.",
                    {PathText(T.Path)});
    // The device presets the extensions of all its VPS ports with a PBX type or mode, also of ports it does not
    // show: the program never read those, and they keep the preset.
    const auto Presetting = std::find_if(Plan.Sends.begin(), Plan.Sends.end(), [&](const TTarget& T) {
        return std::any_of(P.Changes.Changes.begin(), P.Changes.Changes.end(),
            [&](const TChange& C) { return C.ResetBy == T.Path; });
    });
    if (Section == "PBX Dialing Parameters" && Presetting != Plan.Sends.end())
        Lost += Format("\r\nPutting back %s makes the VMU preset the extensions of its VPS ports again: those of "
                       "ports it does not show keep the preset, not what they held before.",
            {PathText(Presetting->Path)});
    if (Plan.Sends.empty()) {
        TakeDeviceState(Section, Read.Device.get());
        TDialogs::instance().MessageBox(
            Format(Plan.LeftStays ? "Nothing of the changes dropped in \"%s\" is put back."
                    : Plan.Whole()       ? "Nothing of the changes dropped in \"%s\" is on the VMU: it holds what it "
                                           "held before they were applied."
                                         : "Nothing of the changes dropped in \"%s\" is on the VMU, so nothing is put "
                                           "back.",
                {P.Caption}) + ThirdsText,
            Utilits::SInformation, mtInformation, mbOK);
        return true;
    }
    if (Ask) {
        std::vector<std::pair<std::string, std::string>> Lines;
        for (const TTarget& T : Plan.Sends) {
            const TMaybeValue Now = ValueAt(Held, T.Path);
            // A list's entries are told by their values: their places shift with every deletion.
            if (P.Changes.Kind == rkPlaces)
                Lines.emplace_back(Section, T.Value ? Quoted(T.Value) + " is not in the list (before the changes: it was)"
                                                    : Quoted(Now) + " is in the list (before the changes: it was not)");
            // A value that follows a store sent again, which the device shows as it was, tells nothing.
            else if (Quoted(Now) != Quoted(T.Value))
                Lines.emplace_back(T.Path, Quoted(Now) + " (before the changes: " + Quoted(T.Value) + ")");
        }
        const std::string Question =
            Format("Changes to \"%s\" were dropped after a write of them was cut short. Read back now, the VMU "
                   "holds what they left:",
                {P.Caption}) +
            ValueLines(Lines) + ThirdsText + Lost +
            "\r\nYes (Put back): the VMU is given the values it held before the changes."
            "\r\nNo (Keep what the VMU holds): the VMU is left as it is, and the program takes what it holds.";
        if (TDialogs::instance().MessageBox(Question, Utilits::SWarning, mtConfirmation, mbYes | mbNo) != mrYes) {
            TakeDeviceState(Section, Read.Device.get());
            return true;
        }
    }
    std::unique_ptr<TXmlNode> Target = Read.Device->Clone(true);
    ApplyTargets(
        Target.get(), P.Changes, Plan.Sends, [&](const std::string& Path) { return P.Changes.RemovedAt(Path); });
    const bool Written = WriteTree(Read, Target, [&](bool LineLost) {
        return LineLost ? Format("What the changes dropped in \"%s\" left on the VMU is put back at the next "
                                 "connection, once the program has asked.",
                              {P.Caption})
                        : Format("The changes dropped in \"%s\" are not all taken back, and what the VMU holds "
                                 "of the section is not known: the next Apply or save of it reads it back first.",
                              {P.Caption});
    });
    if (!Written) {
        if (!LineGone()) {
            // Given up: nothing of the section is to be sent from the document, which the next write reads back.
            if (TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), Section)) {
                TXmlWalk Walk;
                for (TXmlNode* N = Walk.First(Live, Live); N; N = Walk.Next(N))
                    if (N->Attrs.Find("Change"))
                        N->SetAttr("Change", "NoChange");
                if (TXmlNode* Whole = TreeSectionOf(Live))
                    Whole->SetAttr(UnsettledAttr, "Yes");
            }
            return true;
        }
        // The device may hold a record made again in part, with what it gives values not yet sent.
        KeepPutBackCut(P.Changes, Plan.Sends, Held);
        return false;
    }
    TakeDeviceState(Section, Target.get());
    const bool OtherOrder = P.Changes.Kind == rkPlaces &&
        EntryValues(Target.get()) != EntryValues(P.Changes.RemovedAt(Section));
    TDialogs::instance().MessageBox(
        Plan.Whole() ? Format(OtherOrder ? "The changes dropped in \"%s\" are taken back: the VMU holds again the "
                                           "entries it held before they were applied, in another order."
                               : Lost.empty() ? "The changes dropped in \"%s\" are taken back: the VMU holds again "
                                                "what it held before they were applied."
                                              : "The changes dropped in \"%s\" are taken back: the VMU holds again "
                                                "what it held before they were applied, but for this:",
                           {P.Caption}) + Lost
                     : Format("The changes dropped in \"%s\" are taken back where the VMU held what they left.",
                           {P.Caption}) + ThirdsText + Lost,
        Utilits::SInformation, mtInformation, mbOK);
    return true;
}

bool TMainForm::SettleWaitingPutBacks()
{
    while (!FPutBacks.empty() && ParamsNode) {
        // Taken out while it runs: its boxes wait for the user.
        TPutBack P = std::move(FPutBacks.front());
        FPutBacks.erase(FPutBacks.begin());
        if (!SettlePutBack(P, true)) {
            FPutBacks.insert(FPutBacks.begin(), std::move(P));
            return false;
        }
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
                Pending = Pending || DataDoc->FindNode(N, P.Changes.Section);
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
