// The VMU's operating mode as the main window looks after it between connections. A batch save sets the VMU OFF
// LINE while it writes; a line cut before it is set ON LINE again leaves callers without the voice mail. Every
// connection, in either mode, reads the mode with the system information and, when the VMU is OFF LINE, says so
// with what this program knows left it so, and offers to set it ON LINE.
#include "shell/main.h"

#include "common/Utilits.h"
#include "engine/SectionReconcile.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "shell/SectionLookups.h"
#include "xml/XmlDoc.h"

#include <algorithm>

namespace {
const std::string CRLF = "\r\n";

bool HoldsChange(const TXmlNode* Node)
{
    const std::string Mark = Node->GetAttr("Change");
    return !Mark.empty() && Mark != "NoChange";
}
}  // namespace

std::string TMainForm::SectionsLeftToSave() const
{
    TXmlNode* Params = ParamsNode ? DataDoc->FindNode(DataDoc->Root(), ParamsNode->GetName()) : nullptr;
    if (!Params)
        return {};
    std::vector<std::string> InPart, NotWritten;
    std::vector<const TXmlNode*> Seen;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Params, Params); N; N = Walk.Next(N)) {
        if (!N->Attrs.Find(UnsettledAttr) && !HoldsChange(N))
            continue;
        TXmlNode* Section = TreeSectionOf(N);
        if (!Section || std::find(Seen.begin(), Seen.end(), Section) != Seen.end())
            continue;
        Seen.push_back(Section);
        std::string Caption;
        GetSectionCaption(Section->GetName(), Caption);
        (Section->Attrs.Find(UnsettledAttr) ? InPart : NotWritten).push_back(Caption.empty() ? Section->GetName() : Caption);
    }
    std::string Text;
    if (!InPart.empty())
        Text = "written in part: " + OpenFormsList(InPart);
    if (!NotWritten.empty())
        Text += (Text.empty() ? "" : "; ") + std::string("not written: ") + OpenFormsList(NotWritten);
    return Text;
}

void TMainForm::OfferOnLineIfOffLine()
{
    // A put-back at this connection may have lost the line: its box has said so.
    if (!PortOpen() || !Connected || !DSRState)
        return;
    TXmlNode* System = DataDoc->FindNode(DataDoc->Root(), "System Information");
    TXmlNode* Mode = System ? DataDoc->FindNode(System, "Operating Mode") : nullptr;
    if (!Mode)
        return;
    if (Trim(Mode->GetValue()) != "OFF LINE") {
        // Set ON LINE by other means meanwhile: nothing is left to tell.
        FOffLineCause.clear();
        return;
    }
    std::string Text = "The VMU is OFF LINE: callers cannot reach the voice mail.";
    if (!FOffLineCause.empty())
        Text += " It was left so when " + FOffLineCause + ".";
    Text += CRLF + "Yes: set it ON LINE now." + CRLF +
        "No: leave it OFF LINE (\"Save parameters to VMU\" sets it ON LINE once it has written every change).";
    if (TDialogs::instance().MessageBox(Text, Utilits::SWarning, mtWarning, mbYes | mbNo) != mrYes)
        return;
    if (RunSetCommand("Set ON LINE Mode", Utilits::SSetONLINE, false, "", "")) {
        Mode->SetValue("ON LINE");
        FOffLineCause.clear();
    }
}
