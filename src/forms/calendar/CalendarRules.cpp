#include "forms/calendar/CalendarRules.h"

#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/base/GridFormCore.h"
#include "forms/dialogs/DateText.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <ctime>

namespace {
const char* const Months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool AllDigits(const std::string& S)
{
    return !S.empty() && S.find_first_not_of("0123456789") == std::string::npos;
}

// The year in Width digits, as the date dialog writes a year it was given with that many (DateText.h): a year of
// up to three digits is read through the century rule first; a year that cannot be written so comes out whole. A
// text that is no number stays as it is.
std::string YearInWidth(const std::string& Year, int32_t Width)
{
    if (!AllDigits(Year) || Year.size() > 4)
        return Year;
    int32_t Full = StrToInt(Year);
    if (Year.size() <= 3)
        Full = CenturyYear(Full);
    const std::string Text = DateText(TDateValue{1, 1, Full, true, Width});
    return Text.substr(Text.rfind('/') + 1);
}

// Day, month and year of a date written with Separator; parts that are missing stay empty.
void SplitDate(const std::string& S, char Separator, std::string& Day, std::string& Month, std::string& Year)
{
    Day = Month = Year = "";
    const size_t P1 = S.find(Separator);
    if (P1 == std::string::npos) {
        Day = Trim(S);
        return;
    }
    Day = Trim(S.substr(0, P1));
    const size_t P2 = S.find(Separator, P1 + 1);
    if (P2 == std::string::npos) {
        Month = Trim(S.substr(P1 + 1));
        return;
    }
    Month = Trim(S.substr(P1 + 1, P2 - P1 - 1));
    Year = Trim(S.substr(P2 + 1));
}

bool IsParamTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }
} // namespace

TToday SystemToday()
{
    const std::time_t Now = std::time(nullptr);
    std::tm T{};
    localtime_r(&Now, &T);
    return {T.tm_mday, T.tm_mon + 1, T.tm_year + 1900};
}

std::string MonthToNumber(const std::string& Month)
{
    const std::string M = UpperCase(Trim(Month));
    for (int i = 0; i < 12; ++i)
        if (M == Months[i])
            return (i < 9 ? "0" : "") + IntToStr(i + 1);
    return "1";
}

std::string MonthToName(const std::string& Month)
{
    const std::string M = Trim(Month);
    int32_t N = 0;
    if (!AllDigits(M) || M.size() > 2 || !TryStrToInt(M, N) || N < 1 || N > 12)
        return "1";
    return Months[N - 1];
}

int32_t DeviceYearWidth(const std::string& DeviceDate)
{
    std::string Day, Month, Year;
    SplitDate(DeviceDate, '-', Day, Month, Year);
    return AllDigits(Year) ? int32_t(Year.size()) : 2;
}

std::string DeviceDateToDialog(const std::string& S, const TToday& Today, int32_t YearWidth)
{
    std::string Day, Month, Year;
    SplitDate(S, '-', Day, Month, Year);
    Day = Day.empty() ? IntToStr(Today.Day) : Day;
    Month = Month.empty() ? IntToStr(Today.Month) : MonthToNumber(Month);
    Year = Year.empty() ? YearInWidth(IntToStr(Today.Year), YearWidth) : Year;
    return Day + "/" + Month + "/" + Year;
}

std::string DialogDateToDevice(const std::string& S, const TToday& Today, int32_t YearWidth)
{
    std::string Day, Month, Year;
    SplitDate(S, '/', Day, Month, Year);
    Day = Day.empty() ? IntToStr(Today.Day) : Day;
    Month = MonthToName(Month.empty() ? IntToStr(Today.Month) : Month);
    Year = YearInWidth(Year.empty() ? IntToStr(Today.Year) : Year, YearWidth);
    return Day + "-" + Month + "-" + Year;
}

TDaylightCheck CheckDaylightSaving(const std::string& Start, const std::string& End)
{
    TDaylightCheck C;
    if (Start.empty() && End.empty())
        return C;
    if (Start.empty() || End.empty()) {
        C.Row = Start.empty() ? 0 : 1;
        C.Missing = true;
    } else if (Start == End) {
        C.Row = 1;
        C.Equal = true;
    }
    return C;
}

// ---- time service ----------------------------------------------------------------------------------------------

const char* const TimeService::ModeNode = "Time Service Mode";
const char* const TimeService::ModeField = "Service Mode";

std::string TimeServiceDayName(int32_t Row)
{
    static const char* Names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return Row >= 0 && Row < TimeService::Days ? Names[Row] : "";
}

std::string TimeServiceSubtree(int32_t Col)
{
    if (Col == 1 || Col == 2)
        return "Day Service";
    if (Col == 3 || Col == 4)
        return "Lunch Service";
    if (Col >= 5 && Col <= TimeService::LastCol)
        return "Break Service";
    return "";
}

int32_t TimeServicePeriodStart(int32_t Col) { return Col <= 0 ? 1 : 2 * ((Col - 1) / 2) + 1; }

std::string TimeServiceValueToText(int32_t Col, const std::string& Value)
{
    if (Col == 1 || Col == 2) {
        if (Value == "Day")
            return "Day Mode";
        if (Value == "Night")
            return "Night Mode";
    }
    return Value;
}

std::string TimeServiceTextToValue(int32_t Col, const std::string& Text)
{
    if (Col == 1 || Col == 2) {
        if (Text == "Day Mode")
            return "Day";
        if (Text == "Night Mode")
            return "Night";
    }
    return Text;
}

TModeChoices ModeChoicesOf(TXmlNode* ModeTemplate)
{
    TModeChoices C;
    if (!ModeTemplate)
        return C;
    for (const auto& View : ModeTemplate->Nodes) {
        if (!XmlSameName(View->GetTag(), "VIEWPARAM") || View->GetName() != "Cell Info")
            continue;
        for (const auto& G : View->Nodes) {
            const std::string Key = G->GetName(), Value = G->GetValue();
            if (Key == "ColumnCaption" || Key == "PropertyCaption") {
                C.Caption = Value;
            } else if (Key == "StrComboBox") {
                const size_t Eq = Value.find('=');
                C.Values.push_back(Value.substr(0, Eq));
                C.Texts.push_back(Eq == std::string::npos ? Value : Value.substr(Eq + 1));
            }
        }
    }
    return C;
}

// ---- holiday listing -------------------------------------------------------------------------------------------

const char* const Holidays::RecordName = "HOLIDAY No. %V%";

std::string HolidayNodeValue(const TXmlNode* Node, int32_t Row)
{
    if (!Node)
        return {};
    return Node->GetName() == Holidays::RecordName ? IntToStr(Row + 1) : Node->GetValue();
}

std::string HolidayNodeName(const std::string& Name, int32_t Row)
{
    return Name == Holidays::RecordName ? SubstituteFormValue(Name, IntToStr(Row + 1)) : Name;
}

std::string HolidayValueToText(int32_t Col, const std::string& Value)
{
    if (Col == Holidays::ServiceCol)
        return ServiceValueToText("Incoming Call Service", Value);
    if (Col == Holidays::GreetingCol)
        return ServiceValueToText("Company Greeting No.", Value);
    return Value;
}

std::string HolidayTextToValue(int32_t Col, const std::string& Text)
{
    if (Col == Holidays::ServiceCol)
        return ServiceTextToValue("Incoming Call Service", Text);
    if (Col == Holidays::GreetingCol)
        return ServiceTextToValue("Company Greeting No.", Text);
    return Text;
}

bool HolidayOldFirmware(const TDeviceFacts& Facts) { return Facts.FlashVersion > 0 && Facts.FlashVersion < 409; }

TServiceNumberRules HolidayParameterRules(const std::string& Service, const TDeviceFacts& Facts)
{
    return ServiceNeedsNumber(Service) ? ServiceNumberRules(Service, Facts) : TServiceNumberRules{};
}

TCellDecision HolidayGreetingText(const std::string& Text) { return CompanyGreetingText(Text); }

TCellRef FirstMissingHolidayCell(const TGridFormCore& Form)
{
    const TXStringGridModel& G = Form.GridModel();
    if (G.NoDataRows() || G.ColumnCount() <= Holidays::ParameterCol)
        return {};
    for (int r = 0; r < G.RowCount(); ++r)
        if (!G.Cells(Holidays::NameCol, r).empty() && G.Cells(Holidays::StartCol, r).empty())
            return {Holidays::StartCol, r};
    for (int r = 0; r < G.RowCount(); ++r)
        if (ServiceNeedsNumber(G.Cells(Holidays::ServiceCol, r)) && G.Cells(Holidays::ParameterCol, r).empty())
            return {Holidays::ParameterCol, r};
    return {};
}

void SetHolidayParameterRules(TGridFormCore& Form, int32_t Row, const TDeviceFacts& Facts)
{
    TXStringGridModel& G = Form.GridModel();
    if (G.ColumnCount() <= Holidays::ParameterCol || Row < 0 || Row >= G.RowCount())
        return;
    const TServiceNumberRules R = HolidayParameterRules(G.Cells(Holidays::ServiceCol, Row), Facts);
    Form.SetCellReadOnly(!R.Editable, Holidays::ParameterCol, Row);
    if (!R.SetRange)
        return;
    G.SetCellMinInteger(Holidays::ParameterCol, Row, R.Min);
    G.SetCellMaxInteger(Holidays::ParameterCol, Row, R.Max);
    G.SetCellEditLimit(Holidays::ParameterCol, Row, R.Limit);
}

void ResetHolidayRow(TGridFormCore& Form, int32_t Row, const TDeviceFacts& Facts)
{
    Form.EnsureRow(Row);
    Form.LoadNodes(Form.ViewDoc, Form.ViewNode, true, true);
    TXStringGridModel& G = Form.GridModel();
    if (Row < 0 || Row >= G.RowCount())
        return;
    G.SetCells(Holidays::NumberCol, Row, IntToStr(Row + 1));
    Form.SetRowReadOnly(false, Row, G.ColumnCount() - 1, 1);
    Form.SetCellReadOnly(true, Holidays::EndCol, Row);
    SetHolidayParameterRules(Form, Row, Facts);
    if (HolidayOldFirmware(Facts))
        Form.SetCellReadOnly(true, Holidays::GreetingCol, Row);
}

std::vector<TXmlNode*> LoadHolidayRows(TGridFormCore& Form, const TDeviceFacts& Facts)
{
    std::vector<TXmlNode*> Unplaced;
    for (int Row = 0; Row < Holidays::Count; ++Row)
        ResetHolidayRow(Form, Row, Facts);
    Form.PlaceRow = -1;
    TXmlNode* Record = Form.RecordNode;
    for (int i = 0; Record && i < Record->Nodes.Count(); ++i) {
        TXmlNode* Child = Record->Nodes.Items(i);
        if (!IsParamTag(Child) || Child->GetAttr("Change") == "Delete")
            continue;
        int32_t Number = 0;
        if (!TryStrToInt(Child->GetValue(), Number) || Number < 1 || Number > Holidays::Count) {
            Unplaced.push_back(Child);
            continue;
        }
        Form.EnsureRow(Number - 1);
        Form.LoadNodes(Form.DataDoc, Child, true, false);
    }
    for (int Row = 0; Row < Form.GridModel().RowCount(); ++Row) {
        SetHolidayParameterRules(Form, Row, Facts);
        SetHolidayEndDateLock(Form, Row, Facts, false);
    }
    return Unplaced;
}

void SetHolidayEndDateLock(TGridFormCore& Form, int32_t Row, const TDeviceFacts& Facts, bool EmptyEnd)
{
    TXStringGridModel& G = Form.GridModel();
    if (Holidays::EndCol >= G.ColumnCount() || Row < 0 || Row >= G.RowCount())
        return;
    const bool HasStart = !G.Cells(Holidays::StartCol, Row).empty();
    Form.SetCellReadOnly(!HasStart || HolidayOldFirmware(Facts), Holidays::EndCol, Row);
    if (EmptyEnd && !HasStart && !G.Cells(Holidays::EndCol, Row).empty())
        G.SetCells(Holidays::EndCol, Row, "");
}

bool HolidayRowAtDefaults(TGridFormCore& Form, int32_t Row)
{
    Form.EnsureRow(Row);
    return Form.ShowsTemplateValues(Form.ViewNode);
}

void SettleHolidayRecords(TGridFormCore& Form)
{
    TXStringGridModel& G = Form.GridModel();
    TXmlNode* Record = Form.RecordNode;
    if (G.NoDataRows() || !Record)
        return;
    for (int Row = 0; Row < G.RowCount(); ++Row) {
        TXmlNode* Node = Form.GetCellNode(Holidays::NumberCol, Row);
        if (Node && Node->GetAttr("Change") == "Delete") {
            // A deletion already applied: the entry has no record any more, and what it shows now must not be
            // written into the one that the next save deletes on the device.
            for (int Col = 0; Col < G.ColumnCount(); ++Col)
                Form.SetCellNode(Col, Row, nullptr);
            Node = nullptr;
        }
        const bool AtDefaults = HolidayRowAtDefaults(Form, Row);
        if (!Node && !AtDefaults) {
            const int32_t Key = Row + 1;
            if (std::find(Form.NewKeys.begin(), Form.NewKeys.end(), Key) != Form.NewKeys.end())
                continue;
            // A record of the same number still marked "Delete" stays: the device holds that holiday and refuses
            // to add its number again until the deletion, which comes first in the document, has been sent.
            const std::string Name = HolidayNodeName(Holidays::RecordName, Row);
            for (const auto& Child : Record->Nodes)
                if (IsParamTag(Child.get()) && Child->GetName() == Name && Child->GetAttr("Change") != "Delete") {
                    Record->RemoveChild(Child.get());
                    break;
                }
            Form.NewKeys.push_back(Key);
        } else if (Node && AtDefaults && !TGridFormCore::FindNodeByID(Form.DeletedNodes, Node)) {
            Form.DeletedNodes.push_back(Node);
        }
    }
}
