// The system information, as a connection reads it from the VMU or File Open finds it in a data file, and the
// parameter tree of the firmware it names. The tree is made ready (and an older firmware's patches applied) before
// the firmware is recorded: a description without the tree, or a firmware other than the one already chosen, leaves
// the program as it was and is told in a box.
#include "shell/main.h"

#include "common/Utilits.h"
#include "engine/ManagerVMU.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "shell/TreePatches.h"
#include "xml/XmlDoc.h"

namespace {

constexpr const char* TreePrefix = "VMU Parameters ";
const std::string CRLF = "\r\n";

int ErrorBox(const std::string& Text)
{
    return TDialogs::instance().MessageBox(Text, Utilits::SError, mtError, mbOK);
}

// "4.09" -> 409: the first point removed, the rest taken when it is a signed integer text, else 0.
int32_t VersionNumber(std::string Text)
{
    size_t Point = Text.find('.');
    if (Point != std::string::npos)
        Text.erase(Point, 1);
    return IsSignedIntText(Text) ? StrToInt(Text) : 0;
}

// 131 -> "1.31": a point after the first digit.
std::string VersionText(int32_t Number)
{
    std::string S = IntToStr(Number);
    if (S.size() > 1 && S[0] != '-')
        S.insert(1, ".");
    return S;
}

std::string NodeValue(TXmlDoc& Doc, TXmlNode* Start, const std::string& Name, bool& Present)
{
    TXmlNode* Node = Doc.FindNode(Start, Name);
    Present = Node != nullptr;
    return Node ? Node->GetValue() : std::string();
}

// Takes an integer fact only when its text is one; a garbled value keeps what was known before.
void ReadIntFact(TXmlDoc& Doc, TXmlNode* Start, const std::string& Name, int32_t& Fact)
{
    bool Present = false;
    std::string Text = Trim(NodeValue(Doc, Start, Name, Present));
    int32_t Value = 0;
    if (Present && !Text.empty() && TryStrToInt(Text, Value))
        Fact = Value;
}

// A garbled screen (a noisy line) or a damaged file must not pass for an old firmware, nor fail silently.
bool SystemInformationUnreadable(const std::string& Why)
{
    ErrorBox("The system information of the VMU could not be read: " + Why +
        ". Check the line and the port settings, then try again.");
    return false;
}

}  // namespace

bool TMainForm::DocumentFirmware(int32_t& Flash, int32_t& ROM)
{
    TXmlNode* System = DataDoc->FindNode(DataDoc->Root(), "System Information");
    if (!System)
        return SystemInformationUnreadable("the VMU did not show it");
    bool Present = false;
    const std::string FlashText = Trim(NodeValue(*DataDoc, System, "Flash Version", Present));
    const std::string RomText = Trim(NodeValue(*DataDoc, System, "ROM Version", Present));
    Flash = VersionNumber(FlashText);
    ROM = VersionNumber(RomText);
    if (Flash <= 0)
        return SystemInformationUnreadable("the flash version \"" + FlashText + "\" is no version number");
    return true;
}

bool TMainForm::ReadSystemInformation(bool FromDevice)
{
    if (FromDevice) {
        if (TXmlNode* Old = DataDoc->FindNode(DataDoc->Root(), "VMU Information"))
            DataDoc->RemoveNode(Old);
        TXmlNode* Info = TemplateDoc->FindNode(TemplateDoc->Root(), "VMU Information");
        if (!Info ||
            !LoadSectionFromVMU(Info, "System Information", doLoadNoInit, Utilits::SLoadSystemInfoFromVMU))
            return false;
    }
    TXmlNode* System = DataDoc->FindNode(DataDoc->Root(), "System Information");
    if (!System)
        return SystemInformationUnreadable("the VMU did not show it");
    ReadIntFact(*DataDoc, System, "Mailbox No. Length", MailboxNoLength);
    bool Present = false;
    std::string Text = NodeValue(*DataDoc, System, "System Manager's Mailbox No.", Present);
    if (Present)
        SystemManagerMailbox = Text;
    Text = NodeValue(*DataDoc, System, "Message Manager's Mailbox No.", Present);
    if (Present)
        MessageManagerMailbox = Text;
    int32_t Flash = 0, Rom = 0;
    if (!DocumentFirmware(Flash, Rom) || !SelectTemplate(Flash, Rom))
        return false;

    TXmlNode* Properties = TemplateDoc->FindNode(TemplateDoc->Root(), "System Properties");
    if (!Properties) {
        ErrorBox(Utilits::SErrorFormatDataFile);
        return false;
    }
    Text = NodeValue(*TemplateDoc, Properties, "Use AM/PM Date Format", Present);
    if (Present)
        UseAMPM = Text == "Yes";
    ReadIntFact(*TemplateDoc, Properties, "Amount User Mailboxes", AmountUserMailboxes);
    ReadIntFact(*TemplateDoc, Properties, "Amount VPS Ports", AmountVPSPorts);
    ReadIntFact(*TemplateDoc, Properties, "Amount Trunk Groups", AmountTrunkGroups);
    return true;
}

TXmlNode* TMainForm::FirmwareTree(int32_t Flash)
{
    if (FlashVersion > 0 && Flash != FlashVersion) {
        ErrorBox(Utilits::SErrorChangeFlashVersion1 + CRLF + Utilits::SErrorChangeFlashVersion2);
        return nullptr;
    }
    const int32_t Tree = Flash < 409 ? 131 : 409;
    TXmlNode* Node = TemplateDoc->FindNode(TemplateDoc->Root(), TreePrefix + IntToStr(Tree));
    if (!Node) {
        ErrorBox(Utilits::SErrorFormatDataFile);
        return nullptr;
    }
    const TOlderTreePatches Wanted = Flash < 308 ? otBefore308 : otFrom308;
    if (Tree == 131 && FOlderTreePatches != Wanted) {
        // The rows of a firmware before 3.08 add to those of the later ones, so they may follow them; what they
        // deleted cannot be made again for a later firmware (a file of 1.31 refused, then a 3.08 device).
        if (FOlderTreePatches == otBefore308) {
            ErrorBox(Utilits::SErrorChangeFlashVersion1 + CRLF + Utilits::SErrorChangeFlashVersion2);
            return nullptr;
        }
        ApplyOlderTreePatches(*TemplateDoc, Wanted == otBefore308);
        FOlderTreePatches = Wanted;
    }
    return Node;
}

bool TMainForm::SelectTemplate(int32_t Flash, int32_t ROM)
{
    if (FlashVersion > 0) {
        if (Flash == FlashVersion)
            return true;
        ErrorBox(Utilits::SErrorChangeFlashVersion1 + CRLF + Utilits::SErrorChangeFlashVersion2);
        return false;
    }
    if (Flash < 131) {
        const std::string Text =
            Format(Utilits::SErrorIncorrectVMUVersion1, {VersionText(Flash), VersionText(ROM)}) + CRLF +
            Format(Utilits::SErrorIncorrectVMUVersion2, {std::string("1.31, 3.08, 4.09, 4.14 and 4.18")}) + CRLF +
            Utilits::SErrorIncorrectVMUVersion3;
        if (TDialogs::instance().MessageBox(Text, Utilits::SWarning, mtWarning, mbYes | mbNo) != mrYes)
            return false;
    }
    // The tree is made ready before anything else changes: a description without it leaves the program as it was,
    // and the firmware is recorded only once the user accepted it and its tree exists.
    TXmlNode* NewParams = FirmwareTree(Flash);
    if (!NewParams)
        return false;
    FlashVersion = Flash;
    ROMVersion = ROM;
    if (ParamsNode == NewParams)
        return true;
    DetachFormInfos();
    ParamsNode = NewParams;
    ManagerVMU->ParamsNode = ParamsNode;
    AttachFormInfos();
    RebuildMenu();
    if (!NoData) {
        SetNoData(true);
        SetNoData(false);
    }
    return true;
}
