// The screen-text parser: follows the description's parse attributes recursively, copies each description node
// into the data document (linked by "TemplateID"), cuts its value out of the screen lines and parses its children
// within the lines that belong to it.
//
// It always ends: a node that asks to be parsed again must have consumed a line, a field or a template item since
// the last time, "RepeatSearch" moves forward by at least a line per round, and no line is read outside the list.
#include "engine/DataManager.h"

#include "platform/StrUtil.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <unordered_map>

namespace {
using TLines = std::vector<std::string>;

// Deeper descriptions than the XML readers accept are not parsed further.
constexpr int MaxParseDepth = XmlMaxDepth;

const std::string& lineAt(const TLines& Lines, int Index)
{
    static const std::string empty;
    return Index >= 0 && Index < int(Lines.size()) ? Lines[size_t(Index)] : empty;
}

bool boolAttr(const TXmlNode* Node, const char* Name)
{
    const TXmlAttribute* a = Node->Attrs.Find(Name);
    return a && !a->GetValue().empty() && StrToXmlBool(a->GetValue());
}

bool hasAttr(const TXmlNode* Node, const char* Name) { return Node->Attrs.Find(Name) != nullptr; }

// A section: a node with a load script of its own, which reads its screens again.
bool ownsLoadScript(const TXmlNode* Node)
{
    for (const auto& c : Node->Nodes)
        if (c->GetTag() == "LOADPARAM")
            return true;
    return false;
}

const TXmlNode* sectionOf(const TXmlNode* Desc)
{
    for (const TXmlNode* n = Desc; n; n = n->Parent)
        if (ownsLoadScript(n))
            return n;
    return nullptr;
}

bool hasCellInfo(const TXmlNode* Desc)
{
    for (const auto& c : Desc->Nodes)
        if (c->GetTag() == "VIEWPARAM" && c->GetName() == "Cell Info")
            return true;
    return false;
}

// Line arithmetic that cannot overflow; positions stay within one step of the list.
int moveLine(int Line, int64_t Delta, const TLines& Lines)
{
    int64_t v = int64_t(Line) + Delta;
    return int(std::clamp<int64_t>(v, -1, int64_t(Lines.size())));
}

// The literal pieces of the start texts below Section (the parts outside template fields), by which a line is
// known as one the section's description reads.
std::vector<std::string> startPieces(const TXmlNode* Section)
{
    std::vector<std::string> pieces;
    TXmlWalk walk;
    for (const TXmlNode* n = walk.First(const_cast<TXmlNode*>(Section), const_cast<TXmlNode*>(Section)); n;
         n = walk.Next(const_cast<TXmlNode*>(n))) {
        const std::string start = n->GetAttr("StartStr");
        size_t from = 0;
        for (bool inField = false; from <= start.size(); inField = !inField) {
            size_t to = start.find('%', from);
            if (to == std::string::npos)
                to = start.size();
            std::string piece = Trim(start.substr(from, to - from));
            if (!inField && piece.size() >= 3)
                pieces.push_back(std::move(piece));
            from = to + 1;
        }
    }
    return pieces;
}

// Whether Line holds Piece with at most one character in eight (at least one) replaced: a line fault replaces
// bytes, so a start text it garbled still stands in its place, off by a byte or two.
bool holdsNearly(const std::string& Line, const std::string& Piece)
{
    const size_t allowed = std::max<size_t>(1, Piece.size() / 8);
    for (size_t at = 0; at + Piece.size() <= Line.size(); ++at) {
        size_t off = 0;
        for (size_t k = 0; k < Piece.size() && off <= allowed; ++k)
            off += Line[at + k] != Piece[k];
        if (off <= allowed)
            return true;
    }
    return false;
}

// Whether a start text may name a block's title: one without a value (a menu's numbered item is none) and long
// enough not to turn up in many a line, as "Day" would.
bool titleText(const std::string& Piece)
{
    return Piece.size() >= 6 && std::isalpha(static_cast<unsigned char>(Piece[0]));
}

// A numbered item: a value the screen shows once per item of its template list, each on a line of its own after
// the item number the device gives it ("3. Paging Code for Group 1 [61]").
bool numberedItem(const TXmlNode* Desc)
{
    return Desc->GetTag() == "ATTR" && hasAttr(Desc, "TemplateAttr") && hasAttr(Desc, "Value") &&
        !hasAttr(Desc, "StopStr") && !boolAttr(Desc, "NotParseNode") && Desc->GetAttr("StartStr").rfind(". ", 0) == 0;
}

// A node made from a description item that repeats under its parent ("COS No. %T%", "%% Device"): a record.
bool isRecordNode(const TXmlNode* Node)
{
    const TXmlNode* Desc = Node->GetTemplate();
    return Desc && Desc->GetName().find('%') != std::string::npos;
}

// A record as the caption of its window names it ("Class of Service No. 2" for "COS No. 2"), where its description
// gives a caption that its number follows; otherwise by its own name.
std::string recordCaption(const TXmlNode* Record)
{
    const TXmlNode* Desc = Record->GetTemplate();
    const std::string Name = Record->GetName(), Pattern = Desc->GetName();
    std::string Caption;
    for (const auto& View : Desc->Nodes)
        if (View->GetTag() == "VIEWPARAM" && View->GetName() == "Form Info")
            for (const auto& Key : View->Nodes)
                if (Key->GetName() == "FormCaption")
                    Caption = Key->GetValue();
    const size_t At = Pattern.find("%T%");
    if (At == std::string::npos || Caption.empty() || Caption.back() != ' ')
        return Name;
    const std::string Head = Pattern.substr(0, At), Tail = Pattern.substr(At + 3);
    if (Name.size() <= Head.size() + Tail.size() || Name.compare(0, Head.size(), Head) != 0 ||
        Name.compare(Name.size() - Tail.size(), Tail.size(), Tail) != 0)
        return Name;
    return Caption + Name.substr(Head.size(), Name.size() - Head.size() - Tail.size());
}
} // namespace

std::string FaultRecordName(const TXmlNode* Parent)
{
    if (!Parent)
        return {};
    std::string Records;
    for (const TXmlNode* N = Parent; N; N = N->Parent)
        if (isRecordNode(N))
            Records += (Records.empty() ? "" : "\" of \"") + recordCaption(N);
    return Records.empty() ? Parent->GetName() : Records;
}

std::string ParseFaultText(const TParseFault& Fault)
{
    std::string Text = "\"" + Fault.Name + "\"";
    if (!Fault.Record.empty())
        Text += " of \"" + Fault.Record + "\"";
    if (!Fault.Text.empty())
        Text += " reads \"" + ShownValue(Fault.Text) + "\", which";
    return Text + " " + Fault.Why;
}

void TDataManager::NoteFault(const TXmlNode* Desc, const TXmlNode* Parent, const std::string& Name,
    const std::string& Text, const std::string& Why)
{
    if (FFaults)
        FFaults->push_back({sectionOf(Desc), Name, FaultRecordName(Parent), Text, Why});
}

const TValueRule& TDataManager::RuleOf(const TXmlNode* Desc)
{
    auto [rule, made] = FRules.try_emplace(Desc);
    if (made)
        rule->second = ValueRuleOf(Desc, FMailboxNoLength);
    return rule->second;
}

void TDataManager::MarkRead(const std::vector<std::string>& Lines, int First, int Last)
{
    if (!FFaults || &Lines != FScreen)
        return;
    for (int i = std::max(First, 0); i <= Last && i < int(FLineRead.size()); ++i)
        FLineRead[size_t(i)] = 1;
}

void TDataManager::NoteUnreadLines()
{
    // The innermost section whose record holds a line reads it again.
    auto sectionAt = [&](size_t Index) -> const TXmlNode* {
        const TSectionLines* in = nullptr;
        for (const TSectionLines& r : FSectionLines)
            if (int(Index) >= r.First && int(Index) <= r.Last && (!in || r.First >= in->First))
                in = &r;
        return in ? in->Section : nullptr;
    };
    // A line is known as one the section reads by a start text of its description, or by the caption of a line
    // of the section that was read: a value found by its place after a record's title (a time frame's start and
    // end) has no start text, and a record whose title was garbled leaves its value lines unread.
    std::unordered_map<const TXmlNode*, std::vector<std::string>> pieces;
    auto piecesOf = [&](const TXmlNode* Section) -> std::vector<std::string>& {
        auto [known, made] = pieces.try_emplace(Section);
        if (made)
            known->second = startPieces(Section);
        return known->second;
    };
    for (size_t i = 0; i < FLineRead.size(); ++i) {
        const std::string& line = (*FScreen)[i];
        const size_t bracket = line.find('[');
        if (!FLineRead[i] || bracket == std::string::npos)
            continue;
        if (const TXmlNode* section = sectionAt(i)) {
            std::string caption = Trim(line.substr(0, bracket));
            std::vector<std::string>& known = piecesOf(section);
            if (caption.size() >= 3 && std::find(known.begin(), known.end(), caption) == known.end())
                known.push_back(std::move(caption));
        }
    }
    for (size_t i = 0; i < FLineRead.size(); ++i) {
        if (FLineRead[i])
            continue;
        const TXmlNode* section = sectionAt(i);
        if (!section)
            continue;
        // Only a line that the section would read, its caption garbled or not, is missed; a description may leave
        // other lines unread. A line without a value is known by a block's title only. A byte garbled into a line
        // break splits a line in two, the byte lost between them.
        const std::string& line = (*FScreen)[i];
        const bool value = line.find('[') != std::string::npos;
        const std::string joined = i > 0 && !FLineRead[i - 1] ? (*FScreen)[i - 1] + '\x01' + line : std::string();
        const std::vector<std::string>& known = piecesOf(section);
        if (std::none_of(known.begin(), known.end(), [&](const std::string& p) {
                return (value || titleText(p)) && (holdsNearly(line, p) || holdsNearly(joined, p));
            }))
            continue;
        FFaults->push_back({section, ShownValue(Trim(line)), {}, {},
            value ? "is a value line that no value of the section read" : "is a block's title that nothing read"});
    }
}

void TDataManager::NoteMissingInstances(const TXmlNode* Desc, const TXmlNode* Record,
    const std::string& RecordItem, int FirstIndex, const std::vector<char>& Listed)
{
    // The screen lists every instance of the range; where the document leaves empty instances out, the screen
    // lists them up to the last one it shows. A line fault that garbled one's label (a byte lost, added or
    // replaced) leaves it unfound: that is a fault of the reading, never a value the device lacks.
    const std::string range = Desc->GetAttr("TemplateAttr");
    size_t count = 0;
    if (boolAttr(Desc, "PassEmptyValue")) {
        for (size_t k = Listed.size(); k > 0 && count == 0; --k)
            if (Listed[k - 1])
                count = k;
    } else
        for (std::string skip; count < 100000 && TemplateItem(range, FirstIndex + int64_t(count), skip);)
            ++count;
    for (size_t k = 0; k < count; ++k) {
        if (k < Listed.size() && Listed[k])
            continue;
        std::string item, inRecord, name;
        TemplateItem(range, FirstIndex + int64_t(k), item);
        SubstituteValue(Desc->GetName(), RecordItem, inRecord, true, 2);
        SubstituteValue(inRecord, item, name, true, 1);
        NoteFault(Desc, Record, name, {}, "is missing from the screen");
    }
}

bool TDataManager::LoadData(TXmlNode* StartNode, const std::string& Text, const std::string& SectionName,
    std::vector<TParseFault>* Faults)
{
    // The rules are read afresh for every parse: the description may have been patched since.
    FRules.clear();
    FMailboxNoLength = MailboxNoLengthOf(*Data);
    FFaults = Faults;
    struct TReset {
        TDataManager* M;
        ~TReset()
        {
            M->FFaults = nullptr;
            M->FScreen = nullptr;
            M->FLineRead.clear();
            M->FSectionLines.clear();
        }
    } reset{this};
    std::vector<std::string> path = PathNames(StartNode, SectionName);
    if (path.empty())
        return false;
    TLines lines = SplitScreenLines(Text);

    TXmlNode* position = Data->Root();
    if (StartNode && (!position || position->GetTag().empty()) && Description->Root()) {
        std::unique_ptr<TXmlNode> root = Description->Root()->CloneFilteredLinked(FEmptyFilter);
        StripDescriptionAttrs(root.get());
        Data->SetRoot(std::move(root));
        position = Data->Root();
    }
    TXmlNode* desc = nullptr;
    for (size_t k = 0; k < path.size() && !path[k].empty(); ++k) {
        desc = Description->FindNode(k == 0 ? StartNode : desc, path[k]);
        if (!desc)
            return false;
        if (k + 1 >= path.size() || path[k + 1].empty())
            break;
        TXmlNode* found = position ? Data->FindNode(position, path[k]) : nullptr;
        if (!found) {
            std::unique_ptr<TXmlNode> copy = desc->CloneFilteredLinked(FEmptyFilter);
            StripDescriptionAttrs(copy.get());
            if (position && !position->GetTag().empty())
                found = position->Nodes.Items(position->AddChild(std::move(copy)));
            else {
                Data->SetRoot(std::move(copy));
                found = Data->Root();
            }
        }
        position = found;
    }
    if (!desc)
        return false;
    int templateIndex = 0, line = 0, fieldIndex = 0;
    std::vector<std::string> fields;
    TXmlNode* parent = position && !position->GetTag().empty() ? position : nullptr;
    if (FFaults) {
        FScreen = &lines;
        FLineRead.assign(lines.size(), 0);
    }
    ParseNode(parent, desc, templateIndex, int(lines.size()) - 1, line, fieldIndex, fields, std::string(), lines, 0,
        true);
    if (FFaults)
        NoteUnreadLines();
    Data->AssignIDs(nullptr);
    return true;
}

bool TDataManager::ParseNode(TXmlNode* Parent, TXmlNode* Desc, int& TemplateIndex, int LastLine, int& Line,
    int& FieldIndex, std::vector<std::string>& Fields, const std::string& ParentItem, const TLines& Lines, int Depth,
    bool FirstCall, bool* Listed)
{
    TRecordState record;
    bool result = ParseRecord(Parent, Desc, TemplateIndex, LastLine, Line, FieldIndex, Fields, ParentItem, Lines,
        Depth, FirstCall, record);
    if (Listed)
        *Listed = record.Listed;
    // Every further record of a repeated search is parsed and merged like the first; the caller goes on after the
    // last one. Each starts further down than the one before, so the walk ends.
    while (record.NextRecord > 0 && record.NextRecord <= LastLine) {
        const int start = record.NextRecord;
        int at = start;
        record.Continued = true;
        record.NextRecord = -1;
        ParseRecord(Parent, Desc, TemplateIndex, LastLine, at, FieldIndex, Fields, ParentItem, Lines, Depth, false,
            record);
        Line = at;
        if (record.NextRecord <= start)
            break;
    }
    return result;
}

bool TDataManager::ParseRecord(TXmlNode* Parent, TXmlNode* Desc, int& TemplateIndex, int LastLine, int& Line,
    int& FieldIndex, std::vector<std::string>& Fields, const std::string& ParentItem, const TLines& Lines, int Depth,
    bool FirstCall, TRecordState& Record)
{
    // Only a node's first search within its parent's record must find its line (FirstCall): a node with a start
    // text is searched again and again until the search fails, which then is the normal end.
    if (Depth > MaxParseDepth)
        return false;
    // 1-2: is there anything left for this node? A further record of a repeated search was found already, on the
    // screen's last line too.
    const bool enteredWithFields = !Fields.empty();
    bool moveOn = true;
    if (!enteredWithFields) {
        if (Line >= LastLine && !Record.Continued)
            return false;
        moveOn = !boolAttr(Desc, "NotNextLine");
        if (boolAttr(Desc, "NotParseNode"))
            return false;
    } else if (FieldIndex >= int(Fields.size()))
        return false;

    // 3-4: the node's copy, with the parent's and its own template item put into its texts.
    int cur = Line, stop = LastLine;
    std::unique_ptr<TXmlNode> node = Desc->CloneFilteredLinked(FEmptyFilter);
    if (!ParentItem.empty())
        SubstituteInNode(node.get(), ParentItem, 2);
    bool result = false;
    std::string item;
    if (Record.Continued) {
        item = Record.Item;
        if (!item.empty())
            SubstituteInNode(node.get(), item, 1);
    } else if (!enteredWithFields && hasAttr(Desc, "TemplateAttr")) {
        if (!TemplateItem(Desc->GetAttr("TemplateAttr"), TemplateIndex, item))
            return false;
        ++TemplateIndex;
        result = true;
        if (!item.empty())
            SubstituteInNode(node.get(), item, 1);
    }
    Record.Item = item;

    // 5: the record's start line.
    if (!enteredWithFields && hasAttr(node.get(), "StartStr")) {
        cur = FindLine(node->GetAttr("StartStr"), Lines, cur, stop);
        if (cur < 0) {
            // A section's title, or a value line of a record that was found, is always on the screen; a template
            // item or a record of a list (repeated, or named by its value) may rightly be absent: a list may be
            // empty.
            if (FFaults && FirstCall && !Record.Continued && !hasAttr(Desc, "TemplateAttr")) {
                if (ownsLoadScript(Desc))
                    NoteFault(Desc, nullptr, node->GetName(), {}, "was not found on the screens read");
                else if (Parent && Desc->GetTag() == "ATTR" && hasAttr(Desc, "Value") && hasCellInfo(Desc) &&
                    !boolAttr(Desc, "PassEmptyValue") && !boolAttr(Desc, "NotParseValue") &&
                    !boolAttr(Desc, "RepeatSearch") && Desc->GetName().find('%') == std::string::npos)
                    NoteFault(Desc, Parent, node->GetName(), {}, "is missing from the screen");
            }
            return result;
        }
    }
    Record.Listed = true;

    // 6: the value, and the fields it splits into.
    std::string value;
    bool madeFields = false;
    if (!enteredWithFields) {
        const int found = cur;
        value = boolAttr(node.get(), "WholeStrIsValue") ? lineAt(Lines, cur) : BracketContent(lineAt(Lines, cur));
        if (value.empty()) {
            std::string where = node->GetAttr("LineValue");
            if (SameText(where, "Next") && cur + 1 < int(Lines.size()))
                value = BracketContent(lineAt(Lines, ++cur));
            else if (SameText(where, "Prev") && cur > 0)
                value = BracketContent(lineAt(Lines, --cur));
        }
        MarkRead(Lines, std::min(found, cur), std::max(found, cur));
        std::string format = node->GetAttr("FormatAttr");
        if (!format.empty()) {
            Fields = ApplyFormat(format, value);
            FieldIndex = 0;
            madeFields = !Fields.empty();
        }
    }

    // 7: ATTR nodes take their value.
    if (Desc->GetTag() == "ATTR") {
        if (!Fields.empty() && FieldIndex < int(Fields.size()))
            value = Fields[size_t(FieldIndex++)];
        const bool parseValue = !boolAttr(node.get(), "NotParseValue");
        if (!parseValue)
            value.clear();
        if (FFaults && parseValue && Fields.empty() && hasAttr(node.get(), "Value") &&
            !boolAttr(node.get(), "WholeStrIsValue") && hasCellInfo(Desc)) {
            const std::string& shown = lineAt(Lines, cur);
            const size_t open = shown.find('[');
            if (open == std::string::npos) {
                // A value line that shows no brackets at all lost them on the way: the node would keep the
                // description's default in silence, or be left out as empty. A value found by its place (after its
                // record's title or the value before it) reads a line the device always prints too.
                if (value.empty() && shown.find('(') == std::string::npos)
                    NoteFault(Desc, Parent, node->GetName(), {}, "shows no value on its line \"" + ShownValue(shown) +
                        "\"");
            } else if (!enteredWithFields) {
                // The device shows a value alone between its brackets at the line's end: a bracket the line lost or
                // gained, or a space in place of a character, would leave a shorter value that may still pass its
                // rules.
                const size_t close = shown.find(']', open + 1);
                const std::string inside =
                    close == std::string::npos ? std::string() : shown.substr(open + 1, close - open - 1);
                if (close == std::string::npos || inside != Trim(inside) || !Trim(shown.substr(close + 1)).empty())
                    NoteFault(Desc, Parent, node->GetName(), {}, "shows its value garbled on its line \"" +
                        ShownValue(shown) + "\"");
                else if (value.empty() && !boolAttr(Desc, "PassEmptyValue")) {
                    // An empty value keeps the description's default in the document: one the device never
                    // shows empty is a line fault.
                    std::string why = CheckValue(RuleOf(Desc), value);
                    if (!why.empty())
                        NoteFault(Desc, Parent, node->GetName(), {}, why);
                }
            }
        }
        if (!value.empty()) {
            std::string format = node->GetAttr("FormatValue");
            if (!format.empty()) {
                std::vector<std::string> cut = ApplyFormat(format, value);
                value = cut.empty() ? std::string() : cut.front();
            }
            if (TXmlAttribute* n = node->Attrs.Find("Name")) {
                std::string named;
                SubstituteValue(n->GetValue(), value, named, true, 1);
                n->SetValue(named);
            }
            // Checked under the name the record gets from its value ("Mailbox No. 101"), never its template's.
            if (FFaults && hasAttr(node.get(), "Value")) {
                std::string why = CheckValue(RuleOf(Desc), value);
                if (!why.empty())
                    NoteFault(Desc, Parent, node->GetName(), value, why);
            }
            if (TXmlAttribute* v = node->Attrs.Find("Value"))
                v->SetValue(value);
        }
    }

    // 8-9: where the caller goes on, and where this record ends. Fields the node split from its own value do not
    // switch its stop text off; only fields handed down by the parent do.
    const int startLine = cur;
    std::string shiftText = node->GetAttr("ShiftStr");
    const int32_t shift = shiftText.empty() ? 0 : StrToInt(shiftText);
    cur = moveLine(cur, int64_t(shift) + (moveOn ? 1 : 0), Lines);
    Line = cur;
    const bool noFields = !enteredWithFields;
    const std::string startStr = node->GetAttr("StartStr");
    const bool hasStart = hasAttr(node.get(), "StartStr");
    const std::string stopStr = node->GetAttr("StopStr");
    const bool hasStop = hasAttr(node.get(), "StopStr");
    const bool repeatSearch = boolAttr(node.get(), "RepeatSearch");
    // A repeated record ends at the next line that holds its start text; its children and its stop text stay
    // inside it.
    const bool recordRepeat = repeatSearch && hasStart && noFields;
    if (recordRepeat) {
        int next = FindLine(startStr, Lines, startLine + 1, stop);
        if (next >= 0) {
            stop = next;
            Record.NextRecord = next;
        }
    }
    if (noFields && hasStop) {
        int s = FindLine(stopStr, Lines, cur, recordRepeat && Record.NextRecord >= 0 ? stop - 1 : stop);
        if (s >= 0) {
            MarkRead(Lines, s, s);
            stop = s;
            Line = moveLine(s, shift, Lines);
        } else if (FFaults && !stopStr.empty())
            NoteFault(Desc, Parent, node->GetName(), {}, "ends before its last line \"" + stopStr + "\"");
    }
    const std::string split = node->GetAttr("ConvertToStrings");
    if (FFaults && noFields && ownsLoadScript(Desc) && &Lines == FScreen)
        FSectionLines.push_back({startLine, stop, Desc});

    // 10: into the data document.
    TXmlNode* dataNode = nullptr;
    if (Parent) {
        const TXmlAttribute* v = node->Attrs.Find("Value");
        if (!(boolAttr(node.get(), "PassEmptyValue") && v && v->GetValue().empty()))
            dataNode = Parent->Nodes.Items(Parent->MergeFiltered(*node, FEmptyFilter));
    } else {
        Data->SetRoot(std::move(node));
        dataNode = Data->Root();
    }

    // 11: the children, once or once per repeated search.
    result = true;
    if (dataNode) {
        int childTemplateIndex = 0;
        int saved = Line;
        for (;;) {
            const TLines* childLines = &Lines;
            TLines pieces;
            int childCur = cur, childStop = stop;
            if (!split.empty()) {
                pieces = ConvertToStrings(split, Lines, cur, stop);
                if (!pieces.empty()) {
                    MarkRead(Lines, cur, stop - 1);
                    // The pieces and one empty line after them, which serves as the list's last line.
                    pieces.emplace_back();
                    childLines = &pieces;
                    childCur = 0;
                    childStop = int(pieces.size()) - 1;
                }
            }
            for (const auto& child : Desc->Nodes) {
                if (child->GetTag() != "ATTR" && child->GetTag() != "PARAM")
                    continue;
                const bool numbered = FFaults && Fields.empty() && numberedItem(child.get());
                const int firstInstance = childTemplateIndex;
                std::vector<char> listed;
                for (bool first = true;; first = false) {
                    const bool withFields = !Fields.empty();
                    const int fieldBefore = FieldIndex, templateBefore = childTemplateIndex, lineBefore = childCur;
                    bool found = false;
                    if (!ParseNode(dataNode, child.get(), childTemplateIndex, childStop, childCur, FieldIndex, Fields,
                            item, *childLines, Depth + 1, first, numbered ? &found : nullptr))
                        break;
                    if (numbered && childTemplateIndex > templateBefore)
                        listed.push_back(found);
                    bool advanced = withFields ? FieldIndex > fieldBefore
                                               : (childTemplateIndex > templateBefore || childCur > lineBefore);
                    if (!advanced)
                        break;
                }
                if (numbered)
                    NoteMissingInstances(child.get(), dataNode, item, firstInstance, listed);
            }
            if (childLines == &Lines)
                cur = childCur;
            if (!repeatSearch || recordRepeat)
                break;
            cur = saved;
            stop = LastLine;
            if (Fields.empty() && hasStart) {
                cur = FindLine(startStr, Lines, cur, stop);
                if (cur < 0)
                    break;
            }
            cur = moveLine(cur, 1, Lines);
            saved = cur;
            if (Fields.empty() && hasStop) {
                int s = FindLine(stopStr, Lines, cur, stop);
                if (s >= 0) {
                    stop = s;
                    saved = s;
                }
            }
            // Every round starts at least one line further down; past the last line nothing is left to find.
            if (cur >= LastLine)
                break;
        }
        StripDescriptionAttrs(dataNode);
    }
    if (madeFields)
        Fields.clear();

    // 12
    if (!hasAttr(Desc, "TemplateAttr") && !hasStart && !hasStop)
        result = false;
    return result;
}
