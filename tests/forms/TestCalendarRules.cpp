// The decisions of the calendar windows without a window: the device's clock date and the dialog's date both ways
// in the device's year width (empty parts are today's), the daylight-saving refusals, the time-service columns, and
// the holiday entries on a model grid: loading by number, the cells an Apply stops at, the greeting, and a reset
// entry that Apply marks "Delete" beside a new one marked "Insert", also when it is filled again after that Apply.
#include "forms/calendar/CalendarRules.h"

#include "GridFormFixture.h"
#include "forms/dialogs/DateText.h"
#include "platform/StrUtil.h"

#include <gtest/gtest.h>

namespace {
const TToday Today{7, 12, 2026};

// What the date dialog gives back for a text it was opened with and left as it was.
std::string ThroughDialog(const std::string& S)
{
    return DateText(ParseDateText(S, Today.Day, Today.Month, Today.Year));
}
} // namespace

TEST(CalendarRules, DeviceDatesGoToTheDialogAndBackInTheDevicesYearWidth)
{
    EXPECT_EQ(DeviceDateToDialog("5-DEC-26", Today, 2), "5/12/26");
    EXPECT_EQ(DialogDateToDevice(ThroughDialog("5/12/26"), Today, 2), "5-DEC-26");
    EXPECT_EQ(DialogDateToDevice("31/1/99", Today, 2), "31-JAN-99");
    // A four-digit year from the dialog is cut to the device's two digits, and widened for a four-digit device.
    EXPECT_EQ(DialogDateToDevice("5/12/2026", Today, 2), "5-DEC-26");
    EXPECT_EQ(DialogDateToDevice("1/1/2000", Today, 2), "1-JAN-00");
    EXPECT_EQ(DialogDateToDevice("5/12/26", Today, 4), "5-DEC-2026");
    EXPECT_EQ(DialogDateToDevice("5/12/99", Today, 4), "5-DEC-1999");
    EXPECT_EQ(DeviceDateToDialog("5-DEC-2026", Today, 4), "5/12/2026");
    // Three digits go back in three, by the dialog's own rule.
    EXPECT_EQ(DeviceYearWidth("6-DEC-126"), 3);
    EXPECT_EQ(DialogDateToDevice("6/12/2026", Today, 3).size(), std::string("6-DEC-026").size());
    EXPECT_EQ(DeviceYearWidth("6-DEC-26"), 2);
    EXPECT_EQ(DeviceYearWidth("6-DEC-2026"), 4);
    EXPECT_EQ(DeviceYearWidth(""), 2);
    EXPECT_EQ(DeviceYearWidth("6-DEC-"), 2);
}

TEST(CalendarRules, EmptyDatePartsAreTodaysNeverAnError)
{
    EXPECT_EQ(DeviceDateToDialog("", Today, 2), "7/12/26");
    EXPECT_EQ(DeviceDateToDialog("5-DEC-", Today, 2), "5/12/26");
    EXPECT_EQ(DeviceDateToDialog("-MAR-25", Today, 2), "7/03/25");
    EXPECT_EQ(DeviceDateToDialog("", Today, 4), "7/12/2026");
    EXPECT_EQ(DialogDateToDevice("5/12", Today, 2), "5-DEC-26");
    EXPECT_EQ(DialogDateToDevice("", Today, 2), "7-DEC-26");
    // What the dialog makes of an empty device date reaches the device in its width.
    EXPECT_EQ(DialogDateToDevice(ThroughDialog(DeviceDateToDialog("", Today, 2)), Today, 2), "7-DEC-26");
}

TEST(CalendarRules, MonthsByNameAndNumberAtTheirBounds)
{
    EXPECT_EQ(MonthToNumber("JAN"), "01");
    EXPECT_EQ(MonthToNumber("sep"), "09");
    EXPECT_EQ(MonthToNumber("DEC"), "12");
    EXPECT_EQ(MonthToNumber("DECE"), "1");
    EXPECT_EQ(MonthToNumber("1"), "1");
    EXPECT_EQ(MonthToName("1"), "JAN");
    EXPECT_EQ(MonthToName("01"), "JAN");
    EXPECT_EQ(MonthToName("09"), "SEP");
    EXPECT_EQ(MonthToName("12"), "DEC");
    for (const char* Bad : {"0", "13", "001", "x", ""})
        EXPECT_EQ(MonthToName(Bad), "1") << Bad;
}

TEST(CalendarRules, DaylightSavingNeedsBothDatesAndTwoDifferentOnes)
{
    EXPECT_EQ(CheckDaylightSaving("", "").Row, -1);
    EXPECT_EQ(CheckDaylightSaving("29/3", "25/10").Row, -1);
    TDaylightCheck C = CheckDaylightSaving("29/3", "");
    EXPECT_EQ(C.Row, 1);
    EXPECT_TRUE(C.Missing);
    C = CheckDaylightSaving("", "25/10");
    EXPECT_EQ(C.Row, 0);
    EXPECT_TRUE(C.Missing);
    C = CheckDaylightSaving("29/3", "29/3");
    EXPECT_EQ(C.Row, 1);
    EXPECT_TRUE(C.Equal);
}

TEST(CalendarRules, TimeServiceColumnsTheirPeriodsSubtreesAndTexts)
{
    EXPECT_EQ(TimeServicePeriodStart(0), 1);
    EXPECT_EQ(TimeServicePeriodStart(2), 1);
    EXPECT_EQ(TimeServicePeriodStart(3), 3);
    EXPECT_EQ(TimeServicePeriodStart(10), 9);
    EXPECT_EQ(TimeServiceSubtree(0), "");
    EXPECT_EQ(TimeServiceSubtree(2), "Day Service");
    EXPECT_EQ(TimeServiceSubtree(3), "Lunch Service");
    EXPECT_EQ(TimeServiceSubtree(4), "Lunch Service");
    EXPECT_EQ(TimeServiceSubtree(5), "Break Service");
    EXPECT_EQ(TimeServiceSubtree(10), "Break Service");
    EXPECT_EQ(TimeServiceSubtree(11), "");
    EXPECT_EQ(TimeServiceValueToText(1, "Day"), "Day Mode");
    EXPECT_EQ(TimeServiceValueToText(2, "Night"), "Night Mode");
    EXPECT_EQ(TimeServiceValueToText(3, "Day"), "Day");
    EXPECT_EQ(TimeServiceTextToValue(2, "Day Mode"), "Day");
    EXPECT_EQ(TimeServiceTextToValue(1, "8:00,AM"), "8:00,AM");
    EXPECT_EQ(TimeServiceDayName(0), "Mon");
    EXPECT_EQ(TimeServiceDayName(6), "Sun");
    EXPECT_EQ(TimeServiceDayName(7), "");
}

TEST(CalendarRules, HolidayGreetingAndShownTexts)
{
    EXPECT_EQ(HolidayGreetingText("0").Text, "1");
    EXPECT_EQ(HolidayGreetingText("32").Text, "32");
    EXPECT_EQ(HolidayGreetingText("33").Text, "32");
    EXPECT_EQ(HolidayGreetingText("s").Text, "System");
    EXPECT_EQ(HolidayGreetingText("").Text, "None");
    EXPECT_FALSE(HolidayGreetingText("sn").Accepted);
    EXPECT_FALSE(HolidayGreetingText("1a").Accepted);
    EXPECT_EQ(HolidayValueToText(Holidays::ServiceCol, "V.M."), "Voice Mail");
    EXPECT_EQ(HolidayTextToValue(Holidays::GreetingCol, "System"), "System Greeting");
    EXPECT_EQ(HolidayValueToText(Holidays::NameCol, "V.M."), "V.M.");
    TDeviceFacts F;
    EXPECT_FALSE(HolidayParameterRules("Auto. Attn", F).Editable);
    EXPECT_FALSE(HolidayParameterRules("Voice Mail", F).Editable);
    EXPECT_EQ(HolidayParameterRules("Custom", F).Max, 100);
    EXPECT_EQ(HolidayParameterRules("Interview", F).Limit, F.MailboxNoLength);
    F.FlashVersion = 408;
    EXPECT_TRUE(HolidayOldFirmware(F));
    F.FlashVersion = 409;
    EXPECT_FALSE(HolidayOldFirmware(F));
}

// ---- the holiday entries on a model grid ----
namespace {

std::string Field(const char* Name, const char* Value, const char* Children = "")
{
    return std::string("<ATTR Name=\"") + Name + "\" Value=\"" + Value + "\" Change=\"NoChange\">"
        "<VIEWPARAM Name=\"Cell Info\"/>" + Children + "</ATTR>";
}

const std::string HolidayDescription =
    "<ORLANTIS><PARAM Name=\"VMU Parameters 409\">"
    "<PARAM Name=\"Holiday Listing\" Change=\"NoChange\">"
    "<VIEWPARAM Name=\"Grid Info\"><GATTR Name=\"GridOptions\" Type=\"goEditing\" Value=\"True\"/></VIEWPARAM>"
    "<ATTR Name=\"HOLIDAY No. %V%\" Value=\"\" Change=\"NoChange\"><VIEWPARAM Name=\"Cell Info\"/>" +
    Field("Holiday Name", "") + Field("Start Date", "") + Field("End Date", "") + Field("Repeat Every Year", "Yes") +
    Field("Service", "Auto. Attn", Field("Service Parameter", "").c_str()) + Field("Greeting", "System Greeting") +
    Field("VPS Ports", "1-4") + Field("Trunk Groups", "1-8") + "</ATTR></PARAM></PARAM></ORLANTIS>";

// The holiday window's logic without its widgets: the same rules, on a model grid.
class THolidayCore : public TTestGridForm {
public:
    TDeviceFacts Facts;
    void LoadRecordRows() override { LoadHolidayRows(*this, Facts); }
    void GetNodeValue(TXmlNode* Node, std::string& S) override { S = HolidayNodeValue(Node, PlaceRow); }
    void GetNodeName(TXmlNode* Node, std::string& S) override
    {
        TTestGridForm::GetNodeName(Node, S);
        S = HolidayNodeName(S, PlaceRow);
    }
    void RecordNodeCreated(TXmlNode* Node) override { Node->SetAttr("Name", HolidayNodeName(Node->GetName(), PlaceRow)); }
    void ValueToText(const std::string& Value, int Col, std::string& S, int) override { S = HolidayValueToText(Col, Value); }
    void TextToValue(const std::string& Text, int Col, std::string& S, int) override { S = HolidayTextToValue(Col, Text); }
};

class HolidayEntries : public ::testing::Test {
protected:
    HolidayEntries() : D(HolidayDescription), Scope(&Services)
    {
        Services.Data = &D.Data;
        Services.View = &D.View;
        Services.Manager = D.Manager.get();
        Section = D.AddSection("Holiday Listing");
        Section->Nodes.Clear();
        TXmlNode* R = D.AddRecord(Section, "HOLIDAY No. %V%");
        R->SetAttr("Name", "HOLIDAY No. 2");
        R->SetAttr("Value", "2");
        D.Data.FindNode(R, "Holiday Name")->SetAttr("Value", "NEW YEAR");
        D.Data.FindNode(R, "Start Date")->SetAttr("Value", "1/1");
        D.Data.FindNode(R, "Service")->SetAttr("Value", "V.M.");
        Form.InitCore();
        Form.ShowSection(false, "Holiday Listing", "");
    }
    std::string Cell(int Col, int Row) { return Form.GridModel().Cells(Col, Row); }
    bool Locked(int Col, int Row) { return Form.GridModel().GetCellValueOptions(Col, Row) & voReadOnly; }

    TFormDocuments D;
    TFakeFormServices Services;
    TFormServicesScope Scope;
    TRecordingDialogs Dialogs;
    THolidayCore Form;
    TXmlNode* Section = nullptr;
};

} // namespace

TEST_F(HolidayEntries, TwentyEntriesWithTheStoredOneOnTheRowOfItsNumber)
{
    ASSERT_EQ(Form.GridModel().RowCount(), Holidays::Count);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(0, 19), "20");
    EXPECT_EQ(Cell(Holidays::NameCol, 1), "NEW YEAR");
    EXPECT_EQ(Cell(Holidays::ServiceCol, 1), "Voice Mail");
    EXPECT_EQ(Cell(Holidays::GreetingCol, 0), "System");
    // The end date waits for a start date; the parameter for a service that takes one.
    EXPECT_FALSE(Locked(Holidays::EndCol, 1));
    EXPECT_TRUE(Locked(Holidays::EndCol, 0));
    EXPECT_TRUE(Locked(Holidays::ParameterCol, 1));
    EXPECT_FALSE(Locked(Holidays::NameCol, 0));
}

TEST_F(HolidayEntries, AnApplyStopsAtAMissingStartDateThenAtAMissingParameter)
{
    EXPECT_EQ(FirstMissingHolidayCell(Form).Col, -1);
    TXStringGridModel& G = Form.GridModel();
    G.SetCells(Holidays::ServiceCol, 3, "Custom");
    G.SetCells(Holidays::NameCol, 5, "FAIR");
    TCellRef M = FirstMissingHolidayCell(Form);
    EXPECT_EQ(M.Col, Holidays::StartCol);
    EXPECT_EQ(M.Row, 5);
    G.SetCells(Holidays::StartCol, 5, "3/6");
    M = FirstMissingHolidayCell(Form);
    EXPECT_EQ(M.Col, Holidays::ParameterCol);
    EXPECT_EQ(M.Row, 3);
    G.SetCells(Holidays::ParameterCol, 3, "7");
    EXPECT_EQ(FirstMissingHolidayCell(Form).Col, -1);
}

TEST_F(HolidayEntries, AResetEntryIsDeletedAndAFilledOneInsertedWithItsNumber)
{
    ResetHolidayRow(Form, 1, Form.Facts);
    EXPECT_EQ(Cell(Holidays::NameCol, 1), "");
    EXPECT_EQ(Cell(Holidays::ServiceCol, 1), "Auto. Attn");
    EXPECT_TRUE(HolidayRowAtDefaults(Form, 1));
    Form.GridModel().SetCells(Holidays::NameCol, 6, "FAIR");
    Form.GridModel().SetCells(Holidays::StartCol, 6, "3/6");
    EXPECT_FALSE(HolidayRowAtDefaults(Form, 6));
    SettleHolidayRecords(Form);
    ASSERT_TRUE(Form.ApplyChanges(true)) << Dialogs.Boxes.size();
    TXmlNode* Old = D.Data.FindNode(Section, "HOLIDAY No. 2");
    ASSERT_NE(Old, nullptr);
    EXPECT_EQ(Old->GetAttr("Change"), "Delete");
    TXmlNode* New = D.Data.FindNode(Section, "HOLIDAY No. 7");
    ASSERT_NE(New, nullptr);
    EXPECT_EQ(New->GetAttr("Change"), "Insert");
    EXPECT_EQ(New->GetValue(), "7");
    EXPECT_EQ(D.Data.FindNode(New, "Start Date")->GetValue(), "3/6");
    // Rows left at their defaults made no records.
    EXPECT_EQ(D.Data.FindNode(Section, "HOLIDAY No. 1"), nullptr);
    EXPECT_EQ(Section->Nodes.Count(), 2);
}

// A deleted entry's record stays in the document only until the device has been told: filled again, the entry is a
// new record placed after it, so that a save deletes the old holiday of that number first and then adds the new
// one (the device refuses to add a number it holds). That holds in the window that applied the deletion and in one
// opened afterwards, where the deleted record is no longer shown.
TEST_F(HolidayEntries, AnEntryDeletedThenFilledAgainIsANewRecordAfterTheDeletedOne)
{
    auto Apply = [&] {
        SettleHolidayRecords(Form);
        return Form.ApplyChanges(true);
    };
    auto Records = [&] {
        std::string S;
        for (const auto& N : Section->Nodes)
            S += N->GetName() + " " + N->GetAttr("Change") + " " +
                D.Data.FindNode(N.get(), "Holiday Name")->GetValue() + ";";
        return S;
    };
    ResetHolidayRow(Form, 1, Form.Facts);
    ASSERT_TRUE(Apply());
    ASSERT_EQ(Records(), "HOLIDAY No. 2 Delete NEW YEAR;");

    for (const char* Name : {"FAIR", "GALA"}) {
        SCOPED_TRACE(Name);
        Form.GridModel().SetCells(Holidays::NameCol, 1, Name);
        Form.GridModel().SetCells(Holidays::StartCol, 1, "3/6");
        ASSERT_TRUE(Apply());
        ASSERT_EQ(Records(), "HOLIDAY No. 2 Delete NEW YEAR;HOLIDAY No. 2 Insert " + std::string(Name) + ";");
        TXmlNode* New = Section->Nodes.Items(1);
        EXPECT_EQ(New->GetValue(), "2");
        EXPECT_EQ(D.Data.FindNode(New, "Start Date")->GetValue(), "3/6");
        EXPECT_EQ(D.Data.FindNode(New, "Start Date")->GetAttr("Change"), "Modify");
        // The untouched fields go to the device with the entry's defaults, not the deleted holiday's.
        EXPECT_EQ(D.Data.FindNode(New, "Service")->GetValue(), "Auto. Attn");

        // Reset again, the new record was never sent and simply goes; the window is then opened afresh.
        ResetHolidayRow(Form, 1, Form.Facts);
        ASSERT_TRUE(Apply());
        EXPECT_EQ(Records(), "HOLIDAY No. 2 Delete NEW YEAR;");
        Form.ShowSection(false, "Holiday Listing", "");
        EXPECT_EQ(Cell(Holidays::NameCol, 1), "");
    }
}
