// Node services shared by the parser, the forms and the main window: value fields in name patterns, rows made
// from description templates, clearing a section and settling change marks after a successful save.
#include "engine/DataManager.h"

#include "engine/SectionReconcile.h"

#include "platform/ControlChar.h"
#include "platform/StrUtil.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace {
const char* const DescriptionOnlyAttrs[] = {"TreeVisible", "StartStr", "StopStr", "LineValue", "NotNextLine",
    "FormatAttr", "TemplateAttr", "ConvertToStrings", "WholeStrIsValue", "RepeatSearch", "ShiftStr", "FormatValue",
    "NotParseNode", "NotParseValue", "PassEmptyValue", "FormInfo", "ExpandNode", "Resets", "Distinct",
    "SwitchesOff"};

bool isParamTag(const std::string& Tag) { return Tag == "ATTR" || Tag == "PARAM"; }

void stripTree(TXmlNode* Node)
{
    TDataManager::StripDescriptionAttrs(Node);
    for (const auto& c : Node->Nodes)
        stripTree(c.get());
}
}

void TDataManager::StripDescriptionAttrs(TXmlNode* Node)
{
    if (!Node)
        return;
    for (const char* name : DescriptionOnlyAttrs)
        while (Node->Attrs.DeleteByName(name)) {
        }
}

void TDataManager::SubstituteValue(const std::string& Template, const std::string& Value, std::string& Result,
    bool AllowValue, int PercentCount)
{
    Result = Template;
    if (Value.empty() || PercentCount < 1)
        return;
    const std::string run(size_t(PercentCount), '%');
    size_t p = Result.find(run);
    if (p == std::string::npos)
        return;
    size_t q = Result.find(run, p + run.size());
    if (q == std::string::npos)
        return;
    std::string token = UpperCase(Trim(Result.substr(p + run.size(), q - p - run.size())));
    std::string v = Value;
    if (token == "V" || token == "VALUE") {
        if (!AllowValue)
            return;
    } else if (token == "T" || token == "TRIM")
        v = Trim(Value);
    Result.replace(p, q + run.size() - p, v);
}

void TDataManager::SubstituteInNode(TXmlNode* Node, const std::string& Value, int PercentCount)
{
    if (!Node)
        return;
    for (const char* name : {"Name", "Value", "ParseValue", "StartStr", "StopStr"}) {
        TXmlAttribute* a = Node->Attrs.Find(name);
        if (!a)
            continue;
        std::string result;
        SubstituteValue(a->GetValue(), Value, result, false, PercentCount);
        a->SetValue(result);
    }
}

TXmlNode* TDataManager::AddNodeFromTemplate(TXmlNode* Parent, TXmlNode* Template, bool Deep)
{
    if (!Parent || !Template || !isParamTag(Template->GetTag()))
        return nullptr;
    std::unique_ptr<TXmlNode> copy = Template->CloneLinked({"ATTR", "PARAM"}, Deep);
    stripTree(copy.get());
    int index = Parent->Merge(*copy, Deep);
    TXmlNode* node = Parent->Nodes.Items(index);
    Data->AssignIDs(node);
    return node;
}

void TDataManager::ClearParamNodes(TXmlNode* Node)
{
    if (!Node)
        return;
    for (int i = Node->Nodes.Count() - 1; i >= 0; --i)
        if (isParamTag(Node->Nodes.Items(i)->GetTag()))
            Node->Nodes.Delete(i);
}

namespace {
// Returns false when Node was removed.
bool commitNode(TXmlNode* Node, bool MayRemove)
{
    if (Node->GetName() == "Reset Mailbox Password")
        Node->SetAttr("Value", "No");
    if (TXmlAttribute* change = Node->Attrs.Find("Change")) {
        if (change->GetValue() == "Delete" && MayRemove) {
            Node->Parent->RemoveChild(Node);
            return false;
        }
        // The device holds a number or a date stored in its own form ("05" as 5): so does the document now.
        if ((change->GetValue() == "Modify" || change->GetValue() == "Insert") && Node->Attrs.Find("Value"))
            if (const TDeviceForm Form = DeviceFormOf(Node->GetTemplate()); Form != dfAsTyped)
                Node->SetAttr("Value", InDeviceForm(Form, Node->GetValue()));
        change->SetValue("NoChange");
        // A value stored through another one holds its own now: the plan of its stores is spent.
        Node->DeleteAttr(ThroughAttr);
    }
    for (int i = 0; i < Node->Nodes.Count();)
        if (commitNode(Node->Nodes.Items(i), true))
            ++i;
    return true;
}
}

void TDataManager::CommitSavedChanges(const std::string& Name)
{
    TXmlNode* start = Data->FindNode(nullptr, Name);
    if (!start)
        return;
    // The document's root is never removed: a "Delete" on it can only be a stray mark.
    commitNode(start, start->Parent != nullptr);
}

void TDataManager::CommitSentSteps(const TStepParameters& Steps, int Done)
{
    // Decide first, change after: settling removes deleted rows, and later entries may lie below them.
    std::vector<TXmlNode*> chosen;
    std::set<const TXmlNode*> chosenSet;
    for (const TNodeSteps& r : Steps.NodeSteps) {
        if (!r.Node || r.End <= r.First || r.End > Done)
            continue;
        bool below = false;
        for (const TXmlNode* n = r.Node->Parent; n && !below; n = n->Parent)
            below = chosenSet.count(n) > 0;
        if (below)
            continue;
        chosen.push_back(r.Node);
        chosenSet.insert(r.Node);
    }
    for (TXmlNode* n : chosen)
        commitNode(n, n->Parent != nullptr);
}

void TDataManager::CountSentChanges(const TStepParameters& Steps, int Done, int& Took, int& Total)
{
    Took = Total = 0;
    std::set<const TXmlNode*> withSteps, aboveOthers;
    for (const TNodeSteps& r : Steps.NodeSteps)
        if (r.Node && r.End > r.First)
            withSteps.insert(r.Node);
    for (const TXmlNode* n : withSteps)
        for (const TXmlNode* p = n->Parent; p; p = p->Parent)
            if (withSteps.count(p))
                aboveOthers.insert(p);
    for (const TNodeSteps& r : Steps.NodeSteps) {
        if (!r.Node || r.End <= r.First || aboveOthers.count(r.Node))
            continue;
        const std::string Mark = r.Node->GetAttr("Change");
        bool Block = false;
        for (const auto& c : r.Node->Nodes)
            Block = Block || isParamTag(c->GetTag());
        if (Block && Mark != "Insert" && Mark != "Delete")
            continue;
        ++Total;
        if (r.End <= Done)
            ++Took;
    }
}

const TXmlNode* TDataManager::NodeBeingSent(const TStepParameters& Steps, int Done)
{
    // Parents come before their children in the list: the last node under way is the deepest.
    const TXmlNode* Sent = nullptr;
    for (const TNodeSteps& r : Steps.NodeSteps)
        if (r.Node && r.First <= Done && Done < r.End)
            Sent = r.Node;
    return Sent;
}

// --- Checking a data document ----------------------------------------------------------------------------------

namespace {
std::string nodeLabel(const TXmlNode* Node)
{
    std::string name = Node->GetName();
    return "\"" + (name.empty() ? Node->GetTag().str() : name) + "\"";
}

bool isScriptTag(const std::string& Tag)
{
    return Tag == "SAVEPARAM" || Tag == "LOADPARAM" || Tag == "MENUSTEP" || Tag == "CONDITION";
}

bool knownChangeMark(const std::string& Mark)
{
    return Mark == "NoChange" || Mark == "Modify" || Mark == "Insert" || Mark == "Delete";
}

// A record whose number the device prints as its value ("Port No. [3]"): the value must be the number its name
// carries, or the windows that show records by position would write their row numbers over it.
bool recordKeyDamaged(const TXmlNode* Node, const TXmlNode* Linked)
{
    static const std::string Mark = "%T%";
    if (!Linked->Attrs.Find("TemplateAttr") || Linked->GetAttr("StartStr").find("[" + Mark + "]") == std::string::npos)
        return false;
    const std::string Pattern = Linked->GetName();
    const size_t At = Pattern.find(Mark);
    if (At == std::string::npos)
        return false;
    const std::string Prefix = Pattern.substr(0, At), Suffix = Pattern.substr(At + Mark.size());
    const std::string Name = Node->GetName();
    if (Name.size() < Prefix.size() + Suffix.size() || Name.compare(0, Prefix.size(), Prefix) != 0 ||
        Name.compare(Name.size() - Suffix.size(), Suffix.size(), Suffix) != 0)
        return true;
    return Node->GetValue() != Name.substr(Prefix.size(), Name.size() - Prefix.size() - Suffix.size());
}

// Whether a data node's name is the one its description node gives: the same text, or the description's name
// pattern ("Mailbox No. %T%") with a field put in: an item of the node's template list when it has one, else the
// value the parser put in (the node's own), or printable text.
bool nameFitsDescription(const TXmlNode* Node, const TXmlNode* Linked)
{
    const std::string Name = Node->GetName();
    const std::string Pattern = Linked->GetName();
    const size_t Open = Pattern.find('%');
    const size_t Close = Open == std::string::npos ? Open : Pattern.find('%', Open + 1);
    if (Close == std::string::npos || Name == Pattern)
        return Name == Pattern;
    const std::string Prefix = Pattern.substr(0, Open), Suffix = Pattern.substr(Close + 1);
    if (Suffix.find('%') != std::string::npos)
        return true;   // a pattern of several fields is never made by the program
    if (Name.size() <= Prefix.size() + Suffix.size() || Name.compare(0, Prefix.size(), Prefix) != 0 ||
        Name.compare(Name.size() - Suffix.size(), Suffix.size(), Suffix) != 0)
        return false;
    const std::string Field = Name.substr(Prefix.size(), Name.size() - Prefix.size() - Suffix.size());
    const std::string List = Linked->GetAttr("TemplateAttr");
    if (List.empty()) {
        if (Node->Attrs.Find("Value"))
            return Field == Node->GetValue() || Field == Trim(Node->GetValue());
        return std::all_of(Field.begin(), Field.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
    }
    std::string Item;
    for (int64_t i = 0; i < 100000 && TemplateItem(List, i, Item); ++i)
        if (Trim(Item) == Field)
            return true;
    return false;
}

// The first attribute of a data node that neither its description node has nor the program gives data nodes.
const TXmlAttribute* foreignAttribute(const TXmlNode* Node, const TXmlNode* Linked, bool Root)
{
    for (int i = 0; i < Node->Attrs.Count(); ++i) {
        const TXmlAttribute* a = Node->Attrs.Items(i);
        const std::string name = a->GetName();
        if (!Linked->Attrs.Find(name) && name != "TemplateID" && name != "ID" && name != UnsettledAttr &&
            name != ThroughAttr && !(Root && (name == "TemplateVersion" || name == "MaxNodeID")))
            return a;
    }
    return nullptr;
}

// A child of Node that stands for the same description node as another child, where the description has it once
// (a name without a pattern): the document can hold only one of them, and which one reached the device no one
// could say.
const TXmlNode* doubledChild(const TXmlNode* Node, std::vector<std::pair<const TXmlNode*, const TXmlNode*>>& Links)
{
    if (Node->Nodes.Count() < 2)
        return nullptr;
    Links.clear();
    for (const auto& Child : Node->Nodes)
        if (const TXmlNode* Linked = Child->GetTemplate())
            Links.emplace_back(Linked, Child.get());
    std::stable_sort(Links.begin(), Links.end(), [](const auto& A, const auto& B) { return A.first < B.first; });
    const TXmlNode* Patterned = nullptr;   // records by a name pattern may come many times
    for (size_t i = 1; i < Links.size(); ++i) {
        if (Links[i].first != Links[i - 1].first || Links[i].first == Patterned)
            continue;
        if (Links[i].first->GetName().find('%') == std::string::npos)
            return Links[i].second;
        Patterned = Links[i].first;
    }
    return nullptr;
}

bool descendsFrom(const TXmlNode* Node, const TXmlNode* Top)
{
    for (const TXmlNode* n = Node ? Node->Parent : nullptr; n; n = n->Parent)
        if (n == Top)
            return true;
    return false;
}
}

std::string CheckDataDocument(const TXmlDoc& Data, const TXmlDoc& Description)
{
    TXmlNode* root = Data.Root();
    if (!root)
        return "it holds no data";
    std::vector<std::pair<const TXmlNode*, const TXmlNode*>> links;
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(root, root); n; n = walk.Next(n)) {
        if (isScriptTag(n->GetTag()))
            return "the node " + nodeLabel(n) + " holds a device script, which only the description may hold";
        TXmlNode* linked = n->GetTemplate();
        if (!linked)
            return "the node " + nodeLabel(n) + " is linked to nothing in the description";
        if (linked->GetTag() != n->GetTag())
            return "the node " + nodeLabel(n) + " has the tag \"" + n->GetTag() + "\", which the description does not give it";
        bool placed = n == root ? linked == Description.Root()
                                : descendsFrom(linked, n->Parent->GetTemplate());
        if (!placed)
            return "the node " + nodeLabel(n) + " is linked to a part of the description it does not belong to";
        if (n != root && !nameFitsDescription(n, linked))
            return "the node " + nodeLabel(n) + " is linked to \"" + linked->GetName() +
                "\" in the description, whose name it does not have";
        if (const TXmlAttribute* foreign = foreignAttribute(n, linked, n == root))
            return "the node " + nodeLabel(n) + " has the attribute \"" + foreign->GetName() +
                "\", which the description does not give it";
        if (const TXmlAttribute* mark = n->Attrs.Find("Change"); mark && !knownChangeMark(mark->GetValue()))
            return "the node " + nodeLabel(n) + " has the unknown change mark \"" + mark->GetValue() + "\"";
        // A control character in a value would reach the device's menu as a keystroke.
        if (HoldsControlChar(n->GetValue()))
            return "the value of the node " + nodeLabel(n) + " holds a control character";
        if (recordKeyDamaged(n, linked))
            return "the record " + nodeLabel(n) + " holds the number \"" + n->GetValue() +
                "\", which is not the one its name gives";
        if (const TXmlNode* doubled = doubledChild(n, links))
            return "the node " + nodeLabel(doubled) + " stands twice in " + nodeLabel(n) +
                ", where the description has it once";
    }
    return {};
}

int MailboxNoLengthOf(const TXmlDoc& Data)
{
    const TXmlNode* info = Data.Root() ? Data.FindNode(nullptr, "System Information") : nullptr;
    const TXmlNode* length = info ? Data.FindNode(const_cast<TXmlNode*>(info), "Mailbox No. Length") : nullptr;
    int32_t digits = 0;
    return length && TryStrToInt(Trim(length->GetValue()), digits) ? digits : 0;
}

std::vector<TParseFault> CheckDataValues(const TXmlDoc& Data)
{
    std::vector<TParseFault> faults;
    std::unordered_map<const TXmlNode*, TValueRule> rules;
    const int mailboxNoLength = MailboxNoLengthOf(Data);
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(Data.Root(), Data.Root()); n; n = walk.Next(n)) {
        const TXmlNode* linked = n->GetTemplate();
        if (!linked || !n->Attrs.Find("Value"))
            continue;
        auto [rule, made] = rules.try_emplace(linked);
        if (made)
            rule->second = ValueRuleOf(linked, mailboxNoLength);
        const std::string value = n->GetValue();
        std::string why = CheckValue(rule->second, value);
        const std::string mark = n->GetAttr("Change");
        if (why.empty() && value.empty() &&
            (!rule->second.CanEmpty ||
                ((mark == "Modify" || mark == "Insert") && ScriptStoresOwnValue(linked) && !ScriptSendsEmpty(n))))
            why = "is empty, which the VMU cannot be given";
        if (!why.empty())
            faults.push_back({nullptr, n->GetName(), FaultRecordName(n->Parent), value, why});
    }
    return faults;
}
