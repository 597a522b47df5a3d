// The view-description interpreter: "Grid Info" and "Cell Info" attributes of description nodes applied to the
// grid and to the cell the loader has just placed. Keys that need a cell (or a column) do nothing while none is
// being placed, so that a section's "Grid Info" may carry them without breaking the load. Unknown keys, members
// and alignment texts are ignored; a bad number or Boolean raises the conversion error before anything changes.
#include "common/Utilits.h"
#include "forms/base/FormServices.h"
#include "forms/base/GridFormCore.h"
#include "platform/StrUtil.h"

#include <array>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

constexpr std::array<std::pair<const char*, TCellValueType>, 6> ValueTypes{{
    {"vtString", vtString},
    {"vtAlphabeticString", vtAlphabeticString},
    {"vtAlphaNumericString", vtAlphaNumericString},
    {"vtMaskedString", vtMaskedString},
    {"vtInteger", vtInteger},
    {"vtRangeInteger", vtRangeInteger},
}};

constexpr std::array<std::pair<const char*, TCellValueOption>, 4> ValueOptions{{
    {"voList", voList},
    {"voButton", voButton},
    {"voReadOnly", voReadOnly},
    {"voComboBox", voComboBox},
}};

// goRowDifferentHeight is the grid's own and cannot be set from a description.
constexpr std::array<std::pair<const char*, TGridOption>, 15> GridOptions{{
    {"goFixedVertLine", goFixedVertLine},
    {"goFixedHorzLine", goFixedHorzLine},
    {"goVertLine", goVertLine},
    {"goHorzLine", goHorzLine},
    {"goRangeSelect", goRangeSelect},
    {"goDrawFocusSelected", goDrawFocusSelected},
    {"goRowSizing", goRowSizing},
    {"goColSizing", goColSizing},
    {"goRowMoving", goRowMoving},
    {"goColMoving", goColMoving},
    {"goEditing", goEditing},
    {"goTabs", goTabs},
    {"goRowSelect", goRowSelect},
    {"goAlwaysShowEditor", goAlwaysShowEditor},
    {"goThumbTracking", goThumbTracking},
}};

constexpr std::array<std::pair<const char*, TAlignment>, 3> Alignments{{
    {"taLeftJustify", taLeftJustify},
    {"taCenter", taCenter},
    {"taRightJustify", taRightJustify},
}};

TDeviceFacts Facts()
{
    TFormServices* S = FormServices();
    return S ? S->DeviceFacts() : TDeviceFacts{};
}

// The three macros stand for a whole value, never for a part of one.
int32_t IntegerOrMacro(const std::string& Value, const char* Macro, int32_t (*FromFacts)(const TDeviceFacts&))
{
    return Value == Macro ? FromFacts(Facts()) : StrToInt(Value);
}

// The keys the interpreter knows, in the order of TViewKey (after Unknown).
constexpr std::array<const char*, 28> ViewKeyNames{{"DescrColumnCaption", "ValueColumnCaption",
    "DescrColumnAlignment", "ValueColumnAlignment", "DescrColumnWidth", "ValueColumnWidth", "FixedCols",
    "HeaderHeight", "DoubleHeader", "GridOptions", "CellValue", "ValueType", "ValueOptions", "ColumnAlignment",
    "PropertyAlignment", "ColumnWidth", "ColumnCaption", "DoubleHeaderColumnCaption", "PropertyCaption", "InputMask",
    "NotInputMask", "EditMask", "MinInteger", "MaxInteger", "CanEmpty", "EditLimit", "StrComboBox", "Hint"}};

} // namespace

enum class TGridFormCore::TViewKey : uint8_t {
    Unknown,
    DescrColumnCaption,
    ValueColumnCaption,
    DescrColumnAlignment,
    ValueColumnAlignment,
    DescrColumnWidth,
    ValueColumnWidth,
    FixedCols,
    HeaderHeight,
    DoubleHeader,
    GridOptions,
    CellValue,
    ValueType,
    ValueOptions,
    ColumnAlignment,
    PropertyAlignment,
    ColumnWidth,
    ColumnCaption,
    DoubleHeaderColumnCaption,
    PropertyCaption,
    InputMask,
    NotInputMask,
    EditMask,
    MinInteger,
    MaxInteger,
    CanEmpty,
    EditLimit,
    StrComboBox,
    Hint,
};

TGridFormCore::TViewKey TGridFormCore::ViewKeyOf(const std::string& Name)
{
    static const std::unordered_map<std::string_view, TViewKey> Keys = [] {
        std::unordered_map<std::string_view, TViewKey> K;
        for (size_t i = 0; i < ViewKeyNames.size(); ++i)
            K.emplace(ViewKeyNames[i], TViewKey(i + 1));
        return K;
    }();
    auto It = Keys.find(Name);
    return It == Keys.end() ? TViewKey::Unknown : It->second;
}

TCellValueType ViewValueType(const std::string& Text)
{
    for (const auto& [Name, Type] : ValueTypes)
        if (Text == Name)
            return Type;
    return vtString;
}

bool ViewValueOption(const std::string& Text, TCellValueOptions& Option)
{
    for (const auto& [Name, O] : ValueOptions)
        if (Text == Name) {
            Option = O;
            return true;
        }
    return false;
}

bool ViewGridOption(const std::string& Text, TGridOptions& Option)
{
    for (const auto& [Name, O] : GridOptions)
        if (Text == Name) {
            Option = O;
            return true;
        }
    return false;
}

bool ViewAlignment(const std::string& Text, TAlignment& Alignment)
{
    for (const auto& [Name, A] : Alignments)
        if (Text == Name) {
            Alignment = A;
            return true;
        }
    return false;
}

bool TGridFormCore::IsEditable() const { return (FormGrid().Options() & goEditing) != 0; }

void TGridFormCore::ApplyViewParams(TXmlNode* Node, const std::string& Name, bool Flag)
{
    if (!Node)
        return;
    Node = ResolveTemplate(Node);
    if (FLoading && Name == "Cell Info") {
        for (const TViewRule& Rule : CellViewOf(Node).Rules)
            ApplyViewRule(Rule.Key, Rule.Type, Rule.Value, Flag);
        return;
    }
    for (const auto& View : Node->Nodes) {
        if (!XmlSameName(View->GetTag(), "VIEWPARAM") || View->GetName() != Name)
            continue;
        for (const auto& Attr : View->Nodes) {
            if (!XmlSameName(Attr->GetTag(), "GATTR"))
                continue;
            // A missing attribute reads as empty; it never borrows the previous attribute's text.
            ApplyViewAttribute(Attr->GetName(), Attr->GetAttr("Type"), Attr->GetValue(), Flag);
        }
    }
}

const TGridFormCore::TCellView& TGridFormCore::CellViewOf(TXmlNode* Described)
{
    auto [It, Made] = FCellViews.try_emplace(Described->GetHandle());
    if (!Made)
        return It->second;
    TCellView& V = It->second;
    for (const auto& View : Described->Nodes) {
        if (!XmlSameName(View->GetTag(), "VIEWPARAM") || View->GetName() != "Cell Info")
            continue;
        V.CellInfo = true;
        V.Rules.reserve(V.Rules.size() + size_t(View->Nodes.Count()));
        for (const auto& Attr : View->Nodes)
            if (XmlSameName(Attr->GetTag(), "GATTR"))
                V.Rules.push_back({ViewKeyOf(Attr->GetName()), Attr->GetAttr("Type"), Attr->GetValue()});
    }
    return V;
}

void TGridFormCore::ApplyViewAttribute(const std::string& Name, const std::string& Type, const std::string& Value,
    bool Flag)
{
    ApplyViewRule(ViewKeyOf(Name), Type, Value, Flag);
}

void TGridFormCore::ApplyViewRule(TViewKey Key, const std::string& Type, const std::string& Value, bool Flag)
{
    TXStringGridModel& G = GridModel();
    const bool CellPlaced = !G.NoDataRows() && PlaceCol >= 0 && PlaceCol < G.ColumnCount() && PlaceRow >= 0 &&
        PlaceRow < G.RowCount();
    TXGridColumn* PlacedColumn = PlaceCol >= 0 && PlaceCol < G.ColumnCount() ? G.ColumnList()[PlaceCol] : nullptr;
    auto Named = [&](const char* ColumnName) { return G.Columns().FindColumn(ColumnName); };
    const bool Editable = IsEditable();
    // An editable-only cell rule: it needs goEditing and a placed cell.
    const bool CellRule = Editable && CellPlaced;

    if (Key == TViewKey::DescrColumnCaption || Key == TViewKey::ValueColumnCaption) {
        if (!PropertyMode)
            return;
        if (TXGridColumn* C = Named(Key == TViewKey::DescrColumnCaption ? "Description" : "Value"))
            C->SetCaption(Value);
    } else if (Key == TViewKey::DescrColumnAlignment || Key == TViewKey::ValueColumnAlignment) {
        TAlignment A;
        if (!PropertyMode || !ViewAlignment(Value, A))
            return;
        if (TXGridColumn* C = Named(Key == TViewKey::DescrColumnAlignment ? "Description" : "Value"))
            C->SetAlignment(A);
    } else if (Key == TViewKey::DescrColumnWidth || Key == TViewKey::ValueColumnWidth) {
        if (!PropertyMode)
            return;
        int32_t W = StrToInt(Value);
        if (TXGridColumn* C = Named(Key == TViewKey::DescrColumnWidth ? "Description" : "Value"))
            C->SetWidth(W);
    } else if (Key == TViewKey::FixedCols) {
        int32_t N = StrToInt(Value);
        if (N != FormGrid().FixedCols())
            FormGrid().SetFixedCols(N);
    } else if (Key == TViewKey::HeaderHeight) {
        int32_t N = StrToInt(Value);
        if (N != FormGrid().HeaderHeight())
            FormGrid().SetHeaderHeight(N);
    } else if (Key == TViewKey::DoubleHeader) {
        FormGrid().SetDoubleHeader(StrToXmlBool(Value));
    } else if (Key == TViewKey::GridOptions) {
        TGridOptions O;
        bool On = StrToXmlBool(Value);
        if (!ViewGridOption(Type, O))
            return;
        TGridOptions Now = FormGrid().Options();
        FormGrid().SetOptions(On ? TGridOptions(Now | O) : TGridOptions(Now & ~O));
    } else if (Key == TViewKey::CellValue) {
        if (CellRule)
            G.SetCells(PlaceCol, PlaceRow, Value);
    } else if (Key == TViewKey::ValueType) {
        if (CellRule)
            G.SetCellValueType(PlaceCol, PlaceRow, ViewValueType(Value));
    } else if (Key == TViewKey::ValueOptions) {
        if (!CellRule)
            return;
        bool On = StrToXmlBool(Value);
        TCellValueOptions O;
        if (!ViewValueOption(Type, O))
            return;
        TCellValueOptions Now = G.GetCellValueOptions(PlaceCol, PlaceRow);
        G.SetCellValueOptions(PlaceCol, PlaceRow, On ? TCellValueOptions(Now | O) : TCellValueOptions(Now & ~O));
        FormGrid().InvalidateCell(PlaceCol, PlaceRow);
    } else if (Key == TViewKey::ColumnAlignment) {
        TAlignment A;
        if (!PropertyMode && PlacedColumn && ViewAlignment(Value, A))
            PlacedColumn->SetAlignment(A);
    } else if (Key == TViewKey::PropertyAlignment) {
        TAlignment A;
        if (PropertyMode && PlaceRow >= 0 && size_t(PlaceRow) < RowAlignments.size() && ViewAlignment(Value, A))
            RowAlignments[size_t(PlaceRow)] = A;
    } else if (Key == TViewKey::ColumnWidth) {
        if (PropertyMode || !Flag || !PlacedColumn)
            return;
        PlacedColumn->SetWidth(StrToInt(Value));
    } else if (Key == TViewKey::ColumnCaption) {
        if (PropertyMode || !Flag || !PlacedColumn)
            return;
        std::string Caption;
        FormatColumnCaption(Value, Caption);
        PlacedColumn->SetCaption(Caption);
    } else if (Key == TViewKey::DoubleHeaderColumnCaption) {
        if (PropertyMode || !Flag || !PlacedColumn)
            return;
        std::string Caption;
        FormatColumnCaption(Value, Caption);
        LinkColumnUnderHeader(Caption);
    } else if (Key == TViewKey::PropertyCaption) {
        if (!PropertyMode || !Flag || !CellPlaced || G.ColumnCount() < 1)
            return;
        std::string Caption;
        FormatPropertyCaption(Value, Caption);
        std::string Indent;
        for (int32_t i = 0; i < PlaceLevel; ++i)
            Indent += "    ";
        G.SetCells(0, PlaceRow, Indent + Caption);
    } else if (Key == TViewKey::InputMask) {
        if (CellRule)
            G.SetCellInputMask(PlaceCol, PlaceRow, Value);
    } else if (Key == TViewKey::NotInputMask) {
        if (CellRule)
            G.SetCellNotInputMask(PlaceCol, PlaceRow, Value);
    } else if (Key == TViewKey::EditMask) {
        if (CellRule)
            G.SetCellEditMask(PlaceCol, PlaceRow, Value);
    } else if (Key == TViewKey::MinInteger) {
        if (CellRule)
            G.SetCellMinInteger(PlaceCol, PlaceRow,
                IntegerOrMacro(Value, "%MBX_MIN%", [](const TDeviceFacts& F) { return F.MinMailboxNo(); }));
    } else if (Key == TViewKey::MaxInteger) {
        if (CellRule)
            G.SetCellMaxInteger(PlaceCol, PlaceRow,
                IntegerOrMacro(Value, "%MBX_MAX%", [](const TDeviceFacts& F) { return F.MaxMailboxNo(); }));
    } else if (Key == TViewKey::CanEmpty) {
        if (CellRule)
            G.SetCellCanEmpty(PlaceCol, PlaceRow, StrToXmlBool(Value));
    } else if (Key == TViewKey::EditLimit) {
        if (CellRule)
            G.SetCellEditLimit(PlaceCol, PlaceRow,
                IntegerOrMacro(Value, "%MBX_LEN%", [](const TDeviceFacts& F) { return F.MailboxNoLength; }));
    } else if (Key == TViewKey::StrComboBox) {
        if (!CellRule)
            return;
        if (std::vector<std::string>* Items = G.GetCellItems(PlaceCol, PlaceRow))
            Items->push_back(Value);
    } else if (Key == TViewKey::Hint) {
        if (CellPlaced)
            G.SetCellHint(PlaceCol, PlaceRow, Value);
    }
}

void TGridFormCore::LinkColumnUnderHeader(const std::string& Caption)
{
    TXGridColumns* Headers = FormGrid().HeaderColumns();
    if (!Headers)
        return;
    TXGridColumn* Column = GridModel().ColumnList()[PlaceCol];
    TXGridColumn* Header = Headers->FindColumn(Caption);
    // A template's "Cell Info" runs once per record: the column is linked by the first one only.
    if (Header && Column->HeaderColumn() == Header)
        return;
    if (!Header) {
        Header = Headers->Add();
        Header->SetName(Caption);
        Header->SetCaption(Caption);
    }
    FormGrid().LinkHeaderColumn(Column->Index(), Headers->IndexOf(Header));
}
