// The menu-script compiler: load scripts (LOADPARAM), save scripts (SAVEPARAM "Begin"/"End" with CONDITION
// elements) and the macros and signals of their texts. Tags are compared exactly; attribute names by the XML
// library's rule. The compiler never changes either document: a value to be sent again after a store that resets
// it is compiled as if marked "Modify", without a mark in the document.
#include "engine/DataManager.h"

#include "engine/SectionReconcile.h"

#include "platform/StrUtil.h"

#include <unordered_set>

namespace {
bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A value typed into the device menu must not carry keys of its own (CR, ESC, BS ...).
std::string withoutControls(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 32 && u != 127)
            out += c;
    }
    return out;
}

// Whether a script text ends by typing the node's own value: "...%ATTR:Value%%CR%". Such a step is a store.
bool typesOwnValueLast(const std::string& Text)
{
    static const std::string tail = "%ATTR:Value%%CR%";
    return Text.size() >= tail.size() && Text.compare(Text.size() - tail.size(), tail.size(), tail) == 0;
}

// The short form a list shows Value in ("V.M." for "Voice Mail"), from the description node's list items; ''
// when the screen shows the value as it is sent.
std::string screenFormOf(const TXmlNode* Description, const std::string& Value)
{
    if (!Description)
        return {};
    for (const auto& view : Description->Nodes) {
        if (view->GetTag() != "VIEWPARAM" || view->GetName() != "Cell Info")
            continue;
        for (const auto& a : view->Nodes)
            if (const std::string item = a->GetValue();
                a->GetName() == "StrComboBox" && item.substr(0, item.find('=')) == Value)
                return a->GetAttr("Screen");
    }
    return {};
}
}

bool ScriptStoresOwnValue(const TXmlNode* Description)
{
    return SaveScriptHas(Description, "MENUSTEP",
        [](const TXmlNode* N) { return typesOwnValueLast(N->GetAttr("Send")); });
}

bool EmptyValueUnsendable(const TXmlNode* Description)
{
    return ScriptStoresOwnValue(Description) && !SaveScriptHas(Description, "CONDITION", [](const TXmlNode* C) {
        return C->GetAttr("Compare") == "=" &&
            (C->GetAttr("RightOp") == "[]" ||
                (C->GetAttr("LeftOp") == "%ATTR:Change%" && C->GetAttr("RightOp") == "Delete"));
    });
}

TDataManager::TDataManager(TXmlDoc* Data, TXmlDoc* Description) : Data(Data), Description(Description) {}

// --- Macros --------------------------------------------------------------------------------------------------

std::string TDataManager::ExpandMacros(TXmlNode* Node, const std::string& Text, int& Signal, bool ForKeys)
{
    Signal = ssNone;
    std::string out;
    size_t i = 0;
    while (i < Text.size()) {
        size_t p = Text.find('%', i);
        if (p == std::string::npos) {
            out.append(Text, i, std::string::npos);
            break;
        }
        out.append(Text, i, p - i);
        size_t q = Text.find('%', p + 1);
        if (q == std::string::npos)
            break;   // an unclosed "%" drops itself and the rest
        out += ExpandMacro(Node, Text.substr(p + 1, q - p - 1), Signal, ForKeys);
        i = q + 1;
    }
    return out;
}

std::string TDataManager::ExpandMacro(TXmlNode* Node, const std::string& Macro, int& Signal, bool ForKeys)
{
    Signal = ssNone;
    if (startsWith(Macro, "CRLF"))
        return "\r\n";
    if (startsWith(Macro, "CR"))
        return "\r";
    if (startsWith(Macro, "BS"))
        return "\b";
    if (startsWith(Macro, "STOP")) {
        Signal = ssStop;
        return {};
    }
    if (startsWith(Macro, "NOPARENT")) {
        Signal = ssNoParent;
        return {};
    }
    if (startsWith(Macro, "ATTR:")) {
        std::string v = AttrMacro(Node, Macro.substr(5));
        return ForKeys ? withoutControls(v) : v;
    }
    return {};
}

std::string TDataManager::AttrMacro(TXmlNode* Node, const std::string& Reference)
{
    if (!Node)
        return {};
    size_t p = Reference.find_first_of(":\\");
    std::string name = Reference.substr(0, p);
    TXmlNode* n = Node;
    std::string gathered;
    auto toChild = [&] {
        if (gathered.empty())
            return true;
        n = n->Nodes.FindByName(gathered);
        gathered.clear();
        return n != nullptr;
    };
    if (p != std::string::npos) {
        for (size_t i = p; i < Reference.size(); ++i) {
            char c = Reference[i];
            if (c == ':') {
                if (!toChild())
                    return {};
                n = n->Parent;
                if (!n)
                    return {};
            } else if (c == '\\') {
                if (!toChild())
                    return {};
            } else
                gathered += c;
        }
    }
    if (!toChild())
        return {};
    if (name == "Change" && FSendAnyway.count(n))
        return "Modify";
    const TXmlAttribute* a = n->Attrs.Find(name);
    return a ? a->GetValue().str() : std::string();
}

// --- Paths ---------------------------------------------------------------------------------------------------

std::vector<std::string> TDataManager::PathNames(TXmlNode* Node, const std::string& Name)
{
    TXmlNode* target = Name.empty() ? Node : Description->FindNode(Node, Name);
    std::vector<std::string> path;
    if (!target)
        return path;
    for (TXmlNode* n = target; n; n = n->Parent) {
        path.insert(path.begin(), n->GetName());
        if (n == Node)
            break;
    }
    return path;
}

// --- Load scripts --------------------------------------------------------------------------------------------

TXmlNode* TDataManager::FindLoadParam(TXmlNode* Start)
{
    for (TXmlNode* n = Start; n; n = n->Parent)
        for (const auto& c : n->Nodes)
            if (c->GetTag() == "LOADPARAM")
                return c.get();
    return nullptr;
}

std::unique_ptr<TStepParameters> TDataManager::GetLoadSteps(TXmlNode* Node, const std::string& Name)
{
    auto steps = std::make_unique<TStepParameters>();
    TXmlNode* start = Name.empty() ? Node : Description->FindNode(Node, Name);
    if (!start)
        return steps;
    TXmlNode* load = FindLoadParam(start);
    if (!load)
        return steps;
    for (const auto& m : load->Nodes) {
        if (m->GetTag() != "MENUSTEP")
            continue;
        AddMenuStep(start, m.get(), *steps);
        // Markers belong to the last step made so far: their MENUSTEP's own, or the one before it when it made
        // none. Before the first step there is nothing for them to move.
        for (const auto& c : m->Nodes) {
            auto marker = MakeProgressMarker(c.get());
            if (marker && steps->Last())
                steps->Last()->Progress.Add(std::move(marker));
        }
    }
    return steps;
}

std::unique_ptr<TProgressParameter> TDataManager::MakeProgressMarker(TXmlNode* Node)
{
    std::string find = Node->GetAttr("FindStr");
    if (find.empty())
        return nullptr;
    auto m = std::make_unique<TProgressParameter>();
    m->FindStr = find;
    m->InfoMsg = Node->GetAttr("InfoMsg");
    std::string delta = Node->GetAttr("DeltaPos");
    m->DeltaPos = delta.empty() ? 1 : StrToInt(delta);
    return m;
}

int TDataManager::AddMenuStep(TXmlNode* Node, TXmlNode* MenuStep, TStepParameters& Steps)
{
    const TXmlAttribute* sendAttr = MenuStep->Attrs.Find("Send");
    if (!sendAttr)
        return ssNone;
    int signal = ssNone;
    std::string send = ExpandMacros(Node, sendAttr->GetValue(), signal, true);
    if (send.empty() || signal != ssNone)
        return signal;
    auto text = [&](const char* name, bool& present) {
        const TXmlAttribute* a = MenuStep->Attrs.Find(name);
        present = a != nullptr;
        int ignored = 0;
        return a ? ExpandMacros(Node, a->GetValue(), ignored) : std::string();
    };
    bool present = false;
    auto step = std::make_unique<TStepParameter>();
    step->Send = send;
    step->StopAnswer = text("StopAnswer", present);
    step->PasswordAnswer = text("PasswordAnswer", present);
    std::string v = text("SaveAnswer", present);
    if (!v.empty())
        step->SaveAnswer = StrToXmlBool(v);
    v = text("BreakSteps", present);
    if (!v.empty())
        step->BreakSteps = StrToXmlBool(v);
    v = text("ErrorAnswer", present);
    step->ErrorAnswer = present ? v : std::string("Incorrect Entry");
    v = text("WaitTimeoutMsec", present);
    if (!v.empty())
        step->WaitTimeoutMsec = StrToInt(v);
    // A data node's value typed into the device is a store, which only the device's answer confirms.
    if (FCompilingStores && typesOwnValueLast(sendAttr->GetValue())) {
        step->Store = true;
        step->Stored = withoutControls(AttrMacro(Node, "Value"));
        step->StoredScreen = screenFormOf(Node->GetTemplate(), step->Stored);
        step->StoredForm = DeviceFormOf(Node->GetTemplate());
    }
    Steps.Add(std::move(step));
    return ssNone;
}

// --- Save scripts --------------------------------------------------------------------------------------------

std::unique_ptr<TStepParameters> TDataManager::GetSaveSteps(TXmlNode* Node, const std::string& Name,
    bool FromDescription)
{
    std::vector<std::string> path = PathNames(Node, Name);
    if (path.empty())
        return nullptr;
    TXmlNode* start = FromDescription ? Description->FindNode(Node, path[0]) : Data->FindNode(nullptr, path[0]);
    if (!start)
        return nullptr;
    // Data nodes never supply keystrokes of their own: their scripts are those of the description nodes they link
    // to, and only of nodes inside the saved path's own description subtree.
    TXmlNode* scope = FromDescription ? nullptr : Description->FindNode(Node, path[0]);
    if (!FromDescription && !scope)
        return nullptr;
    // A store that makes the device reset other values brings their wanted values after it: they are compiled as
    // marked to be sent (and may reset others in turn), while their marks in the document stay as they were.
    struct TSendAnywayScope {
        std::unordered_set<const TXmlNode*>& Set;
        ~TSendAnywayScope() { Set.clear(); }
    } sendAnyway{FSendAnyway};
    FSendAnyway.clear();
    if (!FromDescription) {
        // A record switched off sends its emptied key alone, whichever road brought its other values here (a data
        // file, a section read back after a cut).
        std::vector<TXmlNode*> switchedOff;
        TXmlWalk find;
        for (TXmlNode* n = find.First(start, start); n; n = find.Next(n))
            if (SwitchesRecordOff(n))
                switchedOff.push_back(n);
        for (TXmlNode* n : switchedOff)
            SettleSwitchedOffRecord(n);
        TXmlWalk walk;
        for (TXmlNode* n = walk.First(start, start); n; n = walk.Next(n)) {
            if (n->GetAttr("Change") != "Modify" && !FSendAnyway.count(n))
                continue;
            std::vector<TXmlNode*> marked;
            MarkResetValues(n, &marked);
            for (TXmlNode* m : marked) {
                m->SetAttr("Change", "NoChange");
                FSendAnyway.insert(m);
            }
        }
    }
    auto steps = std::make_unique<TStepParameters>();
    FCompilingStores = !FromDescription;
    struct TEnd {
        bool& Flag;
        ~TEnd() { Flag = false; }
    } end{FCompilingStores};
    CollectSaveSteps(start, *steps, 1, path, scope);
    return steps;
}

namespace {
bool insideOf(const TXmlNode* Node, const TXmlNode* Top)
{
    for (const TXmlNode* n = Node; n; n = n->Parent)
        if (n == Top)
            return true;
    return false;
}
}

int TDataManager::CollectSaveSteps(TXmlNode* Node, TStepParameters& Steps, size_t Level,
    const std::vector<std::string>& Path, TXmlNode* Scope)
{
    TXmlNode* owner = Scope ? Node->GetTemplate() : Node;
    if (Scope && owner && !insideOf(owner, Scope))
        owner = nullptr;
    if (!owner)
        return ssNone;   // a data node the description does not know sends nothing, nor does anything below it
    const size_t slot = Steps.NodeSteps.size();
    if (Scope)
        Steps.NodeSteps.push_back({Node, Steps.Count(), Steps.Count()});
    auto done = [&](int Signal) {
        if (Scope)
            Steps.NodeSteps[slot].End = Steps.Count();
        return Signal;
    };
    bool goOn = true;
    for (const auto& c : owner->Nodes) {
        if (c->GetTag() != "SAVEPARAM" || c->GetName() != "Begin")
            continue;
        int r = ProcessSaveParam(Node, c.get(), Steps);
        if (r == ssNoParent)
            goOn = false;
        else if (r == ssStop)
            return done(ssStop);
    }
    if (goOn) {
        // Along the path only the next named node is visited; below the path's last node, everything. So a
        // save of one section never sends (and never settles) the pending changes of its siblings.
        for (const auto& c : Node->Nodes) {
            bool visit = Level >= Path.size() || Path[Level].empty() || c->GetName() == Path[Level];
            if (visit && CollectSaveSteps(c.get(), Steps, Level + 1, Path, Scope) == ssStop)
                return done(ssStop);
        }
    }
    for (const auto& c : owner->Nodes) {
        if (c->GetTag() != "SAVEPARAM" || c->GetName() != "End")
            continue;
        if (ProcessSaveParam(Node, c.get(), Steps) == ssStop)
            return done(ssStop);
    }
    return done(ssNone);
}

int TDataManager::ProcessSaveParam(TXmlNode* Node, TXmlNode* Script, TStepParameters& Steps)
{
    int result = ssNone;
    for (const auto& c : Script->Nodes) {
        int r = ssNone;
        if (c->GetTag() == "CONDITION")
            r = EvalCondition(Node, c.get()) ? ProcessSaveParam(Node, c.get(), Steps) : ssNone;
        else if (c->GetTag() == "MENUSTEP")
            r = AddMenuStep(Node, c.get(), Steps);
        if (r == ssNoParent)
            result = ssNoParent;
        else if (r == ssStop)
            return ssStop;
    }
    return result;
}

bool TDataManager::EvalCondition(TXmlNode* Node, TXmlNode* Condition)
{
    if (!startsWith(Condition->GetName(), "IF"))
        return false;
    const TXmlAttribute* left = Condition->Attrs.Find("LeftOp");
    const TXmlAttribute* compare = Condition->Attrs.Find("Compare");
    // Without an operator there is nothing to test; a missing right operand is an empty text.
    if (!left || !compare)
        return false;
    int ignored = 0;
    std::string l = ExpandMacros(Node, left->GetValue(), ignored);
    std::string r = ExpandMacros(Node, Condition->GetAttr("RightOp"), ignored);
    if (compare->GetValue() == "=")
        return l == r;
    if (compare->GetValue() == "!=")
        return l != r;
    return false;
}
