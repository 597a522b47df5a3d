#include "shell/SectionLookups.h"

#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

namespace {

// Section and everything below it, in document order. Collected first, so that the callers may change the tree.
std::vector<TXmlNode*> SubtreeNodes(TXmlNode* Section)
{
    std::vector<TXmlNode*> Result;
    if (!Section)
        return Result;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Section, Section); N; N = Walk.Next(N))
        Result.push_back(N);
    return Result;
}

bool NameIs(const TXmlNode* Node, const char* Name) { return XmlSameName(Node->GetName(), Name); }

bool IsAttrNode(const TXmlNode* Node) { return XmlSameName(Node->GetTag(), "ATTR"); }

// The first direct child of Node named Name whose value is Value.
TXmlNode* ChildWithValue(TXmlNode* Node, const char* Name, const std::string& Value)
{
    for (const auto& C : Node->Nodes)
        if (NameIs(C.get(), Name) && C->GetValue() == Value)
            return C.get();
    return nullptr;
}

// The first group member (an "ATTR" named "Mailbox No. ...") holding Mailbox.
TXmlNode* FindMember(TXmlNode* Section, const std::string& Mailbox)
{
    for (TXmlNode* N : SubtreeNodes(Section))
        if (N != Section && IsAttrNode(N) && XmlStartsWith(MailboxItemPrefix, N->GetName()) &&
            N->GetValue() == Mailbox)
            return N;
    return nullptr;
}

void RenumberChildren(TXmlNode* Parent, const char* Prefix)
{
    int K = 0;
    for (const auto& C : Parent->Nodes)
        if (XmlStartsWith(Prefix, C->GetName()))
            C->SetName(Prefix + IntToStr(++K));
}

void ClearValues(TXmlNode* Section, const char* Name, const std::string& Mailbox, bool AttrOnly)
{
    for (TXmlNode* N : SubtreeNodes(Section))
        if ((!AttrOnly || IsAttrNode(N)) && NameIs(N, Name) && N->GetValue() == Mailbox)
            N->SetValue("");
}

// Every node named Field with value FieldValue whose child Parameter holds Mailbox: the child goes, and the field
// takes the value NewValue(field node).
template <class F>
void DropParameter(TXmlNode* Section, const char* Field, const char* FieldValue, const char* Parameter,
    const std::string& Mailbox, F NewValue)
{
    // From the last node back: a removed child (and whatever lies below it) comes after its field in document
    // order, so no node still to be visited is ever one that was freed.
    const std::vector<TXmlNode*> Nodes = SubtreeNodes(Section);
    for (auto It = Nodes.rbegin(); It != Nodes.rend(); ++It) {
        TXmlNode* N = *It;
        if (!NameIs(N, Field) || N->GetValue() != FieldValue)
            continue;
        if (TXmlNode* Child = ChildWithValue(N, Parameter, Mailbox)) {
            N->RemoveChild(Child);
            N->SetValue(NewValue(N));
        }
    }
}

}  // namespace

bool IsFieldValueFreeIn(TXmlNode* Section, const std::string& FieldPrefix, const std::string& Value)
{
    if (Value.empty())
        return true;
    for (TXmlNode* N : SubtreeNodes(Section))
        if (XmlStartsWith(FieldPrefix, N->GetName()) && N->GetValue() == Value)
            return false;
    return true;
}

bool HasMailboxItem(TXmlNode* Listing, const std::string& Number)
{
    if (!Listing || Number.empty())
        return false;
    const std::string Name = MailboxItemPrefix + Number;
    for (TXmlNode* N : SubtreeNodes(Listing))
        if (N != Listing && XmlSameName(N->GetName(), Name))
            return true;
    return false;
}

void RenumberMailboxItems(TXmlNode* Member)
{
    if (!Member || !Member->Parent)
        return;
    TXmlNode* List = Member->Parent;
    TXmlNode* Group = List;
    while (Group && !XmlStartsWith(MailboxGroupPrefix, Group->GetName()))
        Group = Group == List ? List->Parent : nullptr;
    List->RemoveChild(Member);

    bool MemberLeft = false;
    for (const auto& C : List->Nodes)
        if (XmlStartsWith(MailboxItemPrefix, C->GetName()) && !C->GetValue().empty())
            MemberLeft = true;
    if (MemberLeft || !Group || !Group->Parent) {
        RenumberChildren(List, MailboxItemPrefix);
        return;
    }
    // The other groups keep their names: they carry the group numbers the device shows, which do not move.
    Group->Parent->RemoveChild(Group);
}

void ReplaceMailboxReferences(TXmlNode* Section, const std::string& Mailbox)
{
    if (!Section || Mailbox.empty())
        return;
    const std::string Name = Section->GetName();
    if (XmlSameName(Name, "Mailbox Group")) {
        // Each removal renumbers, so the search starts again after every one.
        while (TXmlNode* Member = FindMember(Section, Mailbox))
            RenumberMailboxItems(Member);
    } else if (XmlSameName(Name, "Class of Service")) {
        ClearValues(Section, "Mailbox Number", Mailbox, true);
    } else if (XmlSameName(Name, "Caller ID Call Routing")) {
        DropParameter(Section, "Transfer To", "Mbx", "Transfer Number", Mailbox, [](TXmlNode*) { return "None"; });
    } else if (XmlSameName(Name, "Custom Service")) {
        DropParameter(Section, "No DTMF Input Operation", "a", "No DTMF Parameter", Mailbox,
            [](TXmlNode*) { return "c"; });
        DropParameter(Section, "Assignment", "Transfer to Mailbox", "Assignment Parameter", Mailbox,
            [](TXmlNode* Field) {
                const TXmlNode* Key = Field->Parent;
                if (Key && NameIs(Key, "Keypad 0"))
                    return "Operator";
                if (Key && NameIs(Key, "Keypad *"))
                    return "Exit";
                return "None";
            });
    } else if (XmlSameName(Name, "Fax Management")) {
        ClearValues(Section, "Fax Manager Mailbox No.", Mailbox, false);
    } else if (XmlSameName(Name, "Operator's Parameters")) {
        ClearValues(Section, "Operator's Mailbox No.", Mailbox, false);
    }
}

void ClearInterviewReferences(TXmlNode* Section, const std::string& Mailbox)
{
    if (!Section || Mailbox.empty())
        return;
    const std::string Name = Section->GetName();
    const char* Field = nullptr;
    const char* Parameter = nullptr;
    const char* Fallback = nullptr;
    if (XmlSameName(Name, "Port Service")) {
        Field = "Incoming Call Service", Parameter = "Number", Fallback = "Auto. Attn.";
    } else if (XmlSameName(Name, "Trunk Service")) {
        Field = "Incoming Call Service", Parameter = "Number", Fallback = "None";
    } else if (XmlSameName(Name, "Holiday Listing")) {
        Field = "Service", Parameter = "Custom Service Number", Fallback = "Auto. Attn";
    } else {
        return;
    }
    DropParameter(Section, Field, "Interview", Parameter, Mailbox, [Fallback](TXmlNode*) { return Fallback; });
}

std::string OpenFormsList(const std::vector<std::string>& Captions)
{
    std::string Result;
    for (const std::string& C : Captions) {
        if (!Result.empty())
            Result += ", ";
        Result += "\"" + C + "\"";
    }
    return Result;
}
