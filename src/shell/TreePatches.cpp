#include "shell/TreePatches.h"

namespace {
TStringList Path(TStringList Base, std::initializer_list<std::string> More)
{
    Base.insert(Base.end(), More);
    return Base;
}

std::vector<TTreePatch> MakeRows()
{
    const std::string Root = "VMU Parameters 131";
    const TStringList PortService = {Root, "Port/Trunk Service", "Port Service"};
    const TStringList TrunkService = {Root, "Port/Trunk Service", "Trunk Service"};
    const TStringList TimeParams = {Root, "System Parameter Setting", "Time Service", "Time Service Parameters"};
    const TStringList Day = Path(TimeParams, {"Day Service", "Day %T%."});
    const TStringList Operator = {Root, "Service Setting", "Auto. Attn. Setting", "Operator's Parameters"};
    const TStringList PbxType = {Root, "Hardware Settings", "PBX Interface Parameters", "PBX Dialing Parameters",
        "PBX Type", "Begin"};
    using P = TTreePatch;
    // No row moves a section's end line: Port Service ends at its own prompt, which its load step waits for (in a
    // window's load no Trunk Service title follows it), and Day Service at "End of Day Service" (its end at the
    // first "Lunch Service Start Time" left Lunch Service unread, and below 3.08 there is no such line at all).
    // No row takes away the keys that go into a section or block and back: below 3.08 too, Port Service is reached
    // through the Port/Trunk Service menu and the days through the Day Service block (docs/device.md), so a write
    // without them sent a port number at the top menu and a day's name at the Time Service prompt.
    std::vector<TTreePatch> Rows = {
        {3, P::tpDeleteAttributes, TrunkService, {"Change", "NotNextLine", "StartStr", "StopStr"}, "", true},
        {4, P::tpDeleteChildren, TrunkService, {"Begin", "End", "Form Info", "Trunk No. %T%"}, "", true},
        {5, P::tpSetAttribute, TrunkService, {"NotCreateForm"}, "Yes", true},
        {7, P::tpDeleteChildren, TimeParams, {"End", "Lunch Service", "Break Service"}, "", true},
        {8, P::tpSetAttribute, Path(Day, {"Cell Info", "ColumnWidth"}), {"Value"}, "42", true},
        {9, P::tpSetAttribute, Path(Day, {"Day Service Start Time", "Cell Info", "ColumnWidth"}), {"Value"}, "92", true},
        {10, P::tpSetAttribute, Path(Day, {"Day Service End Time", "Cell Info", "ColumnWidth"}), {"Value"}, "92", true},
        {12, P::tpSetAttribute, Path(PortService, {"Port No. %T%", "%T% Mode"}), {"TemplateAttr"},
            "%Day,Night,Lunch,Break%", false},
        {13, P::tpSetAttribute, Path(PortService, {"Form Info", "FormHeight"}), {"Value"}, "258", false},
        {14, P::tpSetAttribute, Path(Day, {"Delayed Answer Time", "Cell Info", "MinInteger"}), {"Value"}, "0", false},
        {15, P::tpSetAttribute, Path(Operator, {"Form Info", "FormHeight"}), {"Value"}, "274", false},
        {16, P::tpSetAttribute, Path(Operator, {"%T% Mode"}), {"TemplateAttr"}, "%Day,Night,Lunch,Break%", false},
        {17, P::tpSetAttribute, {Root, "System Parameter Setting", "Time Service", "Form Info", "FormWidth"}, {"Value"},
            "763", false},
    };
    const char* const Types[] = {"T308/T616", "T1232", "T96", "T336", "TD1232", "TD308", "TA series"};
    for (int I = 0; I < 7; ++I)
        Rows.push_back({19 + I, P::tpSetAttribute, Path(PbxType, {"IF_" + IntToStr(I + 1)}), {"RightOp"}, Types[I], false});
    // Before 3.08 the device numbers seven other types; the save sends a type by its number in that list, so
    // without these rows "T1232" would be sent as number 2 (the device's T616) and T308, T616, TD816 not at all.
    const char* const TypesBefore308[] = {"T308", "T616", "T1232", "T96", "T336", "TD816", "TD1232"};
    for (int I = 0; I < 7; ++I)
        Rows.push_back({26 + I, P::tpSetAttribute, Path(PbxType, {"IF_" + IntToStr(I + 1)}), {"RightOp"},
            TypesBefore308[I], true});
    return Rows;
}
}  // namespace

const std::vector<TTreePatch>& OlderTreePatches()
{
    static const std::vector<TTreePatch> Rows = MakeRows();
    return Rows;
}

bool ApplyTreePatch(TXmlDoc& Doc, const TTreePatch& Patch)
{
    switch (Patch.Operation) {
    case TTreePatch::tpDeleteChildren:
        return Doc.DeleteNodesByPath(Patch.Path, Patch.Names);
    case TTreePatch::tpDeleteAttributes:
        return Doc.DeleteAttrsByPath(Patch.Path, Patch.Names);
    case TTreePatch::tpSetAttribute:
        return Doc.SetAttrByPath(Patch.Path, Patch.Names.front(), Patch.Value);
    }
    return false;
}

std::vector<int> ApplyOlderTreePatches(TXmlDoc& Doc, bool Before308)
{
    std::vector<int> Missed;
    for (const TTreePatch& Patch : OlderTreePatches())
        if ((Before308 || !Patch.Before308Only) && !ApplyTreePatch(Doc, Patch))
            Missed.push_back(Patch.Row);
    return Missed;
}
