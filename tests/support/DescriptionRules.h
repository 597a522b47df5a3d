// The authoring rules of view descriptions (docs/description.md, "View descriptions"), checked over a whole
// description document. A wrong key, member or value text, or a missing mark, is ignored or lost silently at run
// time; here each one is a fault line naming the node ("<section> / <node>: ..."). No line: the rules hold.
#pragma once

#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace DescriptionRules {

inline bool OneOf(const std::string& S, std::initializer_list<const char*> List)
{
    return std::any_of(List.begin(), List.end(), [&](const char* K) { return S == K; });
}

inline bool IsBoolText(std::string S)
{
    for (char& C : S)
        C = char(std::toupper(static_cast<unsigned char>(C)));
    return OneOf(S, {"TRUE", "YES", "FALSE", "NO"});
}

inline bool IsTrueText(std::string S)
{
    for (char& C : S)
        C = char(std::toupper(static_cast<unsigned char>(C)));
    return S == "TRUE" || S == "YES";
}

inline bool IsInt(const std::string& S)
{
    int32_t V = 0;
    return TryStrToInt(S, V);
}

// The keys of the view interpreter that act only on the cell being placed, and only in an editable grid.
inline bool IsEditOnlyKey(const std::string& K)
{
    return OneOf(K, {"CellValue", "ValueType", "ValueOptions", "InputMask", "NotInputMask", "EditMask", "MinInteger",
                        "MaxInteger", "CanEmpty", "EditLimit", "StrComboBox"});
}
// The grid-wide keys: the only ones that act inside a "Grid Info".
inline bool IsGridKey(const std::string& K)
{
    return OneOf(K, {"DescrColumnCaption", "ValueColumnCaption", "DescrColumnAlignment", "ValueColumnAlignment",
                        "DescrColumnWidth", "ValueColumnWidth", "FixedCols", "HeaderHeight", "DoubleHeader",
                        "GridOptions"});
}
inline bool IsCellKey(const std::string& K)
{
    return IsGridKey(K) || IsEditOnlyKey(K) ||
        OneOf(K, {"ColumnAlignment", "PropertyAlignment", "ColumnWidth", "ColumnCaption", "DoubleHeaderColumnCaption",
                     "PropertyCaption", "Hint", "ScreenValues"});
}

inline std::string NodeText(const TXmlNode* N)
{
    std::string Name = N->GetAttr("Name");
    return Name.empty() ? "<" + N->GetTag() + " ID " + N->GetAttr("ID") + ">" : "\"" + Name + "\"";
}

// The value of one GATTR by the key's type: what the interpreter would refuse or ignore is a fault.
inline void CheckValue(const TXmlNode* G, const std::string& Where, std::vector<std::string>& Faults)
{
    const std::string Key = G->GetAttr("Name"), Type = G->GetAttr("Type"), Value = G->GetAttr("Value");
    auto Fault = [&](const std::string& What) { Faults.push_back(Where + ": \"" + Key + "\" " + What); };
    if (OneOf(Key, {"DescrColumnWidth", "ValueColumnWidth", "FixedCols", "HeaderHeight", "ColumnWidth", "FormPosX",
                       "FormPosY", "FormWidth", "FormHeight"}) ||
        (Key == "MinInteger" && Value != "%MBX_MIN%") || (Key == "MaxInteger" && Value != "%MBX_MAX%") ||
        (Key == "EditLimit" && Value != "%MBX_LEN%")) {
        if (!IsInt(Value))
            Fault("value \"" + Value + "\" is no whole number");
    } else if (OneOf(Key, {"DoubleHeader", "CanEmpty"})) {
        if (!IsBoolText(Value))
            Fault("value \"" + Value + "\" is neither True nor False");
    } else if (Key == "GridOptions") {
        if (!OneOf(Type, {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
                             "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving",
                             "goEditing", "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"}))
            Fault("Type \"" + Type + "\" is no grid option");
        if (!IsBoolText(Value))
            Fault("value \"" + Value + "\" is neither True nor False");
    } else if (Key == "ValueOptions") {
        if (!OneOf(Type, {"voList", "voButton", "voReadOnly", "voComboBox"}))
            Fault("Type \"" + Type + "\" is no value option");
        if (!IsBoolText(Value))
            Fault("value \"" + Value + "\" is neither True nor False");
    } else if (Key == "ValueType") {
        if (!OneOf(Value, {"vtString", "vtAlphabeticString", "vtAlphaNumericString", "vtMaskedString", "vtInteger",
                              "vtRangeInteger"}))
            Fault("value \"" + Value + "\" is no value type");
    } else if (OneOf(Key, {"DescrColumnAlignment", "ValueColumnAlignment", "ColumnAlignment", "PropertyAlignment"})) {
        if (!OneOf(Value, {"taLeftJustify", "taCenter", "taRightJustify"}))
            Fault("value \"" + Value + "\" is no alignment");
    } else if (Key == "StrComboBox") {
        if (Value.find('=') == std::string::npos)
            Fault("line \"" + Value + "\" has no \"=\" between the stored value and the text shown");
    }
}

// Whether a "Grid Info" leaves a grid option on: its last "GridOptions" of that member says so.
inline bool HasGridOption(const TXmlNode* GridInfo, const char* Option)
{
    bool On = false;
    for (const auto& G : GridInfo->Nodes)
        if (G->GetTag() == "GATTR" && G->GetAttr("Name") == "GridOptions" && G->GetAttr("Type") == Option)
            On = IsTrueText(G->GetAttr("Value"));
    return On;
}
inline bool IsEditable(const TXmlNode* GridInfo) { return HasGridOption(GridInfo, "goEditing"); }

inline const TXmlNode* ViewParam(const TXmlNode* N, const char* Name)
{
    for (const auto& C : N->Nodes)
        if (C->GetTag() == "VIEWPARAM" && C->GetAttr("Name") == Name)
            return C.get();
    return nullptr;
}

inline std::vector<std::string> Check(const TXmlDoc& Doc)
{
    std::vector<std::string> Faults;
    if (!Doc.Root())
        return Faults;
    std::function<void(const TXmlNode*, const std::function<void(const TXmlNode*)>&)> Walk =
        [&](const TXmlNode* N, const std::function<void(const TXmlNode*)>& Visit) {
            Visit(N);
            for (const auto& C : N->Nodes)
                Walk(C.get(), Visit);
        };

    // Every VIEWPARAM and GATTR: where it stands, its name, its keys and their values.
    Walk(Doc.Root(), [&](const TXmlNode* N) {
        if (N->GetTag() == "GATTR" && N->Parent && N->Parent->GetTag() != "VIEWPARAM")
            Faults.push_back(NodeText(N->Parent) + ": a GATTR outside a VIEWPARAM is never read");
        if (N->GetTag() != "VIEWPARAM")
            return;
        const std::string Name = N->GetAttr("Name");
        const std::string Where = (N->Parent ? NodeText(N->Parent) : std::string("root")) + " / \"" + Name + "\"";
        if (!N->Parent || !OneOf(N->Parent->GetTag(), {"PARAM", "ATTR"}))
            Faults.push_back(Where + ": a VIEWPARAM is read only as a child of a PARAM or ATTR node");
        if (!OneOf(Name, {"Show Info", "Form Info", "Form Controls Caption", "Grid Info", "Cell Info",
                             "String Constants"})) {
            Faults.push_back(Where + ": no VIEWPARAM of that name is ever read");
            return;
        }
        bool Min = false, Max = false;
        for (const auto& G : N->Nodes) {
            if (G->GetTag() != "GATTR")
                continue;
            const std::string Key = G->GetAttr("Name");
            bool Known = true;
            if (Name == "Grid Info")
                Known = IsGridKey(Key);
            else if (Name == "Cell Info")
                Known = IsCellKey(Key);
            else if (Name == "Form Info")
                Known = OneOf(Key, {"FormCaption", "HelpContextName", "FormPosX", "FormPosY", "FormWidth", "FormHeight"});
            else if (Name == "Show Info")
                Known = OneOf(Key, {"ParameterName", "ParameterHint"});
            if (!Known)
                Faults.push_back(Where + ": \"" + Key + "\" does nothing in a \"" + Name + "\"" +
                    (Name == "Grid Info" && IsCellKey(Key) ? " (it belongs in a \"Cell Info\")" : ""));
            else if (Name != "Form Controls Caption" && Name != "String Constants")
                CheckValue(G.get(), Where, Faults);
            Min = Min || Key == "MinInteger";
            Max = Max || Key == "MaxInteger";
        }
        if (Min != Max)
            Faults.push_back(Where + ": \"MinInteger\" and \"MaxInteger\" come together");
    });

    // Per section (a node with a "Grid Info"): editability, change marks and the nodes that become cells.
    Walk(Doc.Root(), [&](const TXmlNode* N) {
        const TXmlNode* Cell = ViewParam(N, "Cell Info");
        if (!Cell)
            return;
        const TXmlNode* Section = N;
        while (Section && !ViewParam(Section, "Grid Info"))
            Section = Section->Parent;
        const std::string Where = (Section ? NodeText(Section) + " / " : std::string()) + NodeText(N);
        if (!Section) {
            // Outside the windows only the checks of values read from the device read it: what the screen shows
            // and whether the value may be empty.
            for (const auto& G : Cell->Nodes)
                if (G->GetTag() == "GATTR" && !OneOf(G->GetAttr("Name"), {"ScreenValues", "CanEmpty"})) {
                    Faults.push_back(Where + ": a \"Cell Info\" outside any section with a \"Grid Info\" is never read");
                    break;
                }
            return;
        }
        const bool Editable = IsEditable(ViewParam(Section, "Grid Info"));
        bool ReadOnly = false, EditRules = false;
        for (const auto& G : Cell->Nodes) {
            if (G->GetTag() != "GATTR")
                continue;
            EditRules = EditRules || IsEditOnlyKey(G->GetAttr("Name"));
            if (G->GetAttr("Name") == "ValueOptions" && G->GetAttr("Type") == "voReadOnly")
                ReadOnly = IsTrueText(G->GetAttr("Value"));
        }
        if (EditRules && !Editable)
            Faults.push_back(Where + ": its \"Cell Info\" sets editing rules, but the section's \"Grid Info\" has no "
                                     "\"GridOptions\" \"goEditing\" True, so they never act");
        if (Editable && !ReadOnly && N->Attrs.Find("Value") && N->GetAttr("Change") != "NoChange")
            Faults.push_back(Where + ": an editable value needs \"Change\"=\"NoChange\", or its edits are lost");
    });
    Walk(Doc.Root(), [&](const TXmlNode* Section) {
        const TXmlNode* Grid = ViewParam(Section, "Grid Info");
        if (!Grid)
            return;
        const bool Editable = IsEditable(Grid);
        if (Editable && Section->GetAttr("Change") != "NoChange")
            Faults.push_back(NodeText(Section) + ": an editable section needs \"Change\"=\"NoChange\", or Apply "
                                                 "stores nothing");
        if (Editable && !HasGridOption(Grid, "goTabs"))
            Faults.push_back(NodeText(Section) + ": an editable grid needs \"GridOptions\" \"goTabs\" True, or Tab "
                                                 "leaves it after the first cell typed");
        Walk(Section, [&](const TXmlNode* N) {
            if (N == Section || !OneOf(N->GetTag(), {"PARAM", "ATTR"}))
                return;
            const std::string Where = NodeText(Section) + " / " + NodeText(N);
            // Records are made from templates ("%T%" in the name): a new record without the mark is never sent.
            if (Editable && N->GetAttr("Name").find("%T%") != std::string::npos && N->GetAttr("Change") != "NoChange")
                Faults.push_back(Where + ": a record template needs \"Change\"=\"NoChange\", or new and deleted "
                                         "records are lost");
            // Only nodes with a "Cell Info" become cells: any other value is neither shown nor written back.
            if (N->Attrs.Find("Value") && !ViewParam(N, "Cell Info"))
                Faults.push_back(Where + ": a value without a \"Cell Info\" is never shown (an empty one will do)");
        });
    });

    // Section names: once in their parameter tree, never outside the parameter trees.
    std::map<std::string, int> Outside;
    std::vector<const TXmlNode*> Trees;
    for (const auto& Top : Doc.Root()->Nodes) {
        if (Top->GetAttr("Name").rfind("VMU Parameters ", 0) == 0)
            Trees.push_back(Top.get());
        else
            Walk(Top.get(), [&](const TXmlNode* N) {
                if (N->Attrs.Find("Name"))
                    ++Outside[N->GetAttr("Name")];
            });
    }
    for (const TXmlNode* Tree : Trees) {
        std::map<std::string, int> Count;
        std::vector<const TXmlNode*> Sections;
        Walk(Tree, [&](const TXmlNode* N) {
            if (N->Attrs.Find("Name") && N->GetTag() != "VIEWPARAM" && N->GetTag() != "GATTR")
                ++Count[N->GetAttr("Name")];
            if (ViewParam(N, "Grid Info") || ViewParam(N, "Form Info"))
                Sections.push_back(N);
        });
        for (const TXmlNode* S : Sections) {
            const std::string Name = S->GetAttr("Name");
            if (Count[Name] > 1)
                Faults.push_back(NodeText(Tree) + ": the section name \"" + Name + "\" is there " +
                    std::to_string(Count[Name]) + " times; a search by name finds only the first");
            if (Outside.count(Name))
                Faults.push_back(NodeText(Tree) + ": the section name \"" + Name +
                    "\" is also the name of a node outside the parameter trees");
        }
    }
    return Faults;
}

}  // namespace DescriptionRules
