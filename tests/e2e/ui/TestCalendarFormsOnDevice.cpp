// The calendar windows in the real main window against the device simulator, in interactive mode: a time service
// day and the service mode, a holiday added through the date dialog and one reset, the daylight saving dates and
// the device's clock (12- and 24-hour) are set through their dialogs, and each is found in the simulator's saved
// state.
#include "FormsOnDevice.h"

#include "common/Utilits.h"
#include "forms/calendar/CalendarRules.h"
#include "forms/calendar/DaylightSavingTime.h"
#include "forms/calendar/HolidayListing.h"
#include "forms/calendar/SystemDateTime.h"
#include "forms/calendar/TimeService.h"
#include "forms/dialogs/SetDate.h"
#include "forms/dialogs/SetTimeDay.h"
#include "forms/dialogs/SetTimePeriod.h"
#include "shell/FormRegistry.h"
#include "support/Screenshots.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Naming the forms' factories brings their units, and with them their registrations, into this test program.
const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TTimeServiceForm>(),
    MakeFormFactory<THolidayListingForm>(), MakeFormFactory<TDaylightSavingTimeForm>(),
    MakeFormFactory<TSystemDateTimeForm>()};

class CalendarFormsOnDevice : public TFormsOnDevice {
protected:
    std::string ExtraState() const override
    {
        return "\n[System Date/Time]\nClock Running = No\nSystem Time = 10:15,AM\nSystem Date = 5-DEC-26\n";
    }
    // Acts on the dialog of type D that the next step opens; Act must close it. The dialog is looked for until it
    // is up (at most ten seconds), so that events run before it opens cannot make the test wait on it for ever.
    template <class D>
    void OnDialog(std::function<void(D*)> Act, const char* Shot = nullptr)
    {
        auto* Poll = new QTimer(Main.get());
        auto Tries = std::make_shared<int>(0);
        QObject::connect(Poll, &QTimer::timeout, Poll, [Poll, Tries, Act, Shot] {
            auto* Dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!Dialog && ++*Tries < 200)
                return;
            Poll->stop();
            Poll->deleteLater();
            ASSERT_NE(Dialog, nullptr);
            if (Shot) {
                EXPECT_TRUE(Dialog->grab().save(ScreenshotPath(Shot)));
            }
            Act(Dialog);
        });
        Poll->start(50);
    }
    // The cell's button (or Enter on a period cell) as the user presses it.
    void Press(TBaseGridForm* F, int Col, int Row)
    {
        Go(F, Col, Row);
        Key(F, Qt::Key_Return);
        QApplication::processEvents();
    }
    TMainForm& Connect()
    {
        StartSim();
        TMainForm& M = StartMain(false);
        M.ConnectSet1Execute();
        EXPECT_TRUE(M.Connected) << BoxTexts();
        return M;
    }
};

} // namespace

TEST_F(CalendarFormsOnDevice, ATimeServiceDayAndTheModeReachTheDevice)
{
    Connect();
    auto* TS = OpenFromTree<TTimeServiceForm>("Time Service");
    ASSERT_NE(TS, nullptr);
    // A row per day, the day and ten times: the mode is in its combo box, not a column of each day.
    ASSERT_EQ(TS->Grid->RowCount(), 7);
    EXPECT_EQ(TS->Grid->ColumnCount(), 11);
    EXPECT_EQ(TS->Grid->Cells(0, 0), "Mon");
    EXPECT_EQ(TS->Grid->Cells(1, 0), "8:00,AM");
    EXPECT_EQ(TS->Grid->Cells(6, 0), "10:15,AM");
    EXPECT_EQ(TS->Grid->Cells(1, 5), "Night Mode");
    EXPECT_FALSE(TS->ComboMode->isHidden());
    EXPECT_EQ(FromQ(TS->ComboMode->currentText()), "Automatic");
    EXPECT_EQ(FromQ(TS->LabelMode->text()), "Service Mode");

    // Tuesday's lunch: the times only.
    OnDialog<TSetTimePeriodForm>([](TSetTimePeriodForm* D) {
        EXPECT_TRUE(D->RadioGroup1->isHidden());
        D->SetTimeField(1, "12:30,PM");
        D->SetTimeField(2, "1:45,PM");
        D->OKBtn->click();
    }, "dialog-time-period-lunch.png");
    Press(TS, 3, 1);
    EXPECT_EQ(TS->Grid->Cells(3, 1), "12:30,PM") << BoxTexts();
    EXPECT_EQ(TS->Grid->Cells(4, 1), "1:45,PM");
    // Wednesday's day service: in Day Mode all day.
    OnDialog<TSetTimePeriodForm>([](TSetTimePeriodForm* D) {
        EXPECT_FALSE(D->RadioGroup1->isHidden());
        D->AllDayRadio->click();
        D->OKBtn->click();
    });
    Press(TS, 2, 2);
    EXPECT_EQ(TS->Grid->Cells(1, 2), "Day Mode");
    EXPECT_EQ(TS->Grid->Cells(2, 2), "Day Mode");
    TS->ComboMode->setCurrentIndex(2);
    TS->ComboModeChange();
    EXPECT_TRUE(TS->Modified);
    EXPECT_TRUE(TS->grab().save(ScreenshotPath("form-time-service.png")));
    QTest::mouseClick(TS->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(TS->Modified) << BoxTexts();
    TState After = Saved();
    std::map<std::string, std::string>& T = After["Time Service"][""];
    EXPECT_EQ(T["Service Mode"], "Night Mode") << BoxTexts();
    EXPECT_EQ(T["Lunch Service/Day Tue./Lunch Service Start Time"], "12:30,PM");
    EXPECT_EQ(T["Lunch Service/Day Tue./Lunch Service End Time"], "1:45,PM");
    EXPECT_EQ(T["Day Service/Day Wed./Day Service Start Time"], "Day");
    EXPECT_EQ(T["Day Service/Day Wed./Day Service End Time"], "Day");
    EXPECT_EQ(T["Day Service/Day Thu./Day Service Start Time"], "8:00,AM");
}

TEST_F(CalendarFormsOnDevice, AHolidayIsAddedThroughTheDateDialogAndAnotherReset)
{
    Connect();
    auto* H = OpenFromTree<THolidayListingForm>("Holiday Listing");
    ASSERT_NE(H, nullptr);
    using namespace Holidays;
    ASSERT_EQ(H->Grid->RowCount(), Count);
    EXPECT_EQ(H->Grid->Cells(NameCol, 0), "NEW YEAR");
    EXPECT_EQ(H->Grid->Cells(ServiceCol, 1), "Voice Mail");
    EXPECT_EQ(H->Grid->Cells(EndCol, 2), "26/12");
    EXPECT_EQ(H->Grid->Cells(GreetingCol, 2), "2");
    EXPECT_EQ(H->Grid->Cells(NumberCol, 4), "5");
    EXPECT_TRUE(H->Grid->GetCellValueOptions(EndCol, 4) & voReadOnly);

    // Holiday 5: a name, its dates from the calendar, a custom service, a greeting typed as a letter and ports.
    TypeInto(H, NameCol, 4, "FAIR");
    OnDialog<TSetDateForm>([](TSetDateForm* D) {
        D->MonthCalendar->setSelectedDate(QDate(QDate::currentDate().year(), 6, 3));
        D->OKBtn->click();
    }, "dialog-date-holiday.png");
    Press(H, StartCol, 4);
    EXPECT_EQ(H->Grid->Cells(StartCol, 4), "3/6") << BoxTexts();
    EXPECT_FALSE(H->Grid->GetCellValueOptions(EndCol, 4) & voReadOnly);
    OnDialog<TSetDateForm>([](TSetDateForm* D) {
        // The end date starts from the start date.
        EXPECT_EQ(D->MonthCalendar->selectedDate().month(), 6);
        D->MonthCalendar->setSelectedDate(QDate(QDate::currentDate().year(), 6, 5));
        D->OKBtn->click();
    });
    Press(H, EndCol, 4);
    EXPECT_EQ(H->Grid->Cells(EndCol, 4), "5/6");
    Go(H, ServiceCol, 4);
    Key(H, Qt::Key_Return);   // the drop-down list: Voice Mail, Auto. Attn, Interview, Custom
    ASSERT_TRUE(H->Grid->PickList() && H->Grid->PickList()->isVisible());
    Key(H, Qt::Key_Down);
    Key(H, Qt::Key_Down);
    Key(H, Qt::Key_Return);
    EXPECT_EQ(H->Grid->Cells(ServiceCol, 4), "Custom");
    EXPECT_FALSE(H->Grid->GetCellValueOptions(ParameterCol, 4) & voReadOnly);
    // Apply stops at the custom service without its number.
    QTest::mouseClick(H->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Dialogs.LastText(), Format(Utilits::SNotSetParameter, {"Parameter"}));
    EXPECT_TRUE(H->Modified);
    TypeInto(H, ParameterCol, 4, "250");
    EXPECT_EQ(H->Grid->Cells(ParameterCol, 4), "100");
    TypeInto(H, GreetingCol, 4, "sn");
    EXPECT_EQ(H->Grid->Cells(GreetingCol, 4), "System");
    TypeInto(H, GreetingCol, 4, "n");
    EXPECT_EQ(H->Grid->Cells(GreetingCol, 4), "None");
    TypeInto(H, PortsCol, 4, "2,1");
    EXPECT_EQ(H->Grid->Cells(PortsCol, 4), "1-2");

    // Holiday 2 back to the defaults: Apply deletes it on the device.
    Go(H, NameCol, 1);
    H->DeleteRowButton->click();
    EXPECT_EQ(H->Grid->Cells(NameCol, 1), "");
    EXPECT_EQ(H->Grid->Cells(ServiceCol, 1), "Auto. Attn");
    EXPECT_TRUE(H->grab().save(ScreenshotPath("form-holiday-listing.png")));
    QTest::mouseClick(H->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(H->Modified) << BoxTexts();
    TState After = Saved();
    std::map<std::string, std::string>& Fair = After["Holiday Listing"]["5"];
    EXPECT_EQ(Fair["Holiday Name"], "FAIR") << BoxTexts();
    EXPECT_EQ(Fair["Start Date"], "3/6");
    EXPECT_EQ(Fair["End Date"], "5/6");
    EXPECT_EQ(Fair["Service"], "Custom");
    EXPECT_EQ(Fair["Service Parameter"], "100");
    EXPECT_EQ(Fair["Greeting"], "None");
    EXPECT_EQ(Fair["VPS Ports"], "1-2");
    EXPECT_EQ(After["Holiday Listing"].count("2"), 0u);
    EXPECT_EQ(After["Holiday Listing"]["3"]["Holiday Name"], "CHRISTMAS");
}

TEST_F(CalendarFormsOnDevice, DaylightSavingDatesAreCheckedAndSet)
{
    Connect();
    auto* DST = OpenFromTree<TDaylightSavingTimeForm>("Daylight Saving Time");
    ASSERT_NE(DST, nullptr);
    EXPECT_EQ(DST->Grid->Cells(1, 0), "29/3");
    EXPECT_EQ(DST->Grid->Cells(1, 1), "25/10");
    // An end equal to the start is refused and emptied; then one date alone is refused.
    DST->SetDate(1, "29/3");
    QTest::mouseClick(DST->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Dialogs.LastText(), Format(Utilits::SInvalidParameter, {"Daylight Saving End Date"}));
    EXPECT_EQ(DST->Grid->Cells(1, 1), "");
    QTest::mouseClick(DST->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Dialogs.LastText(), Format(Utilits::SNotSetParameter, {"Daylight Saving End Date"}));
    OnDialog<TSetDateForm>([](TSetDateForm* D) {
        D->MonthCalendar->setSelectedDate(QDate(QDate::currentDate().year(), 10, 31));
        D->OKBtn->click();
    });
    Press(DST, 1, 1);
    EXPECT_EQ(DST->Grid->Cells(1, 1), "31/10");
    OnDialog<TSetDateForm>([](TSetDateForm* D) {
        D->MonthCalendar->setSelectedDate(QDate(QDate::currentDate().year(), 3, 27));
        D->OKBtn->click();
    });
    Press(DST, 1, 0);
    EXPECT_EQ(DST->Grid->Cells(1, 0), "27/3");
    EXPECT_TRUE(DST->grab().save(ScreenshotPath("form-daylight-saving-time.png")));
    QTest::mouseClick(DST->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(DST->Modified) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Daylight Saving Time"][""]["Daylight Saving Start Date"], "27/3") << BoxTexts();
    EXPECT_EQ(After["Daylight Saving Time"][""]["Daylight Saving End Date"], "31/10");
}

TEST_F(CalendarFormsOnDevice, TheDevicesDateAndTimeAreSetInItsOwnForms)
{
    Connect();
    auto* Clock = OpenFromTree<TSystemDateTimeForm>("System Date/Time");
    ASSERT_NE(Clock, nullptr);
    EXPECT_EQ(Clock->Grid->Cells(1, 0), "10:15,AM");
    EXPECT_EQ(Clock->Grid->Cells(1, 1), "5-DEC-26");
    OnDialog<TSetTimeDayForm>([](TSetTimeDayForm* D) {
        EXPECT_EQ(D->GetTimeField(1), "10:15,AM");
        D->SetTimeField(1, "9:40,PM");
        D->OKBtn->click();
    }, "dialog-time-day.png");
    Press(Clock, 1, 0);
    EXPECT_EQ(Clock->Grid->Cells(1, 0), "9:40,PM");
    // The dialog gets the device's date as day/month/year and gives it back in the device's two-digit year.
    OnDialog<TSetDateForm>([](TSetDateForm* D) {
        EXPECT_EQ(D->MonthCalendar->selectedDate(), QDate(2026, 12, 5));
        D->MonthCalendar->setSelectedDate(QDate(2027, 1, 31));
        D->OKBtn->click();
    }, "dialog-date-clock.png");
    Press(Clock, 1, 1);
    EXPECT_EQ(Clock->Grid->Cells(1, 1), "31-JAN-27");
    EXPECT_TRUE(Clock->grab().save(ScreenshotPath("form-system-date-time.png")));
    QTest::mouseClick(Clock->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Clock->Modified) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["System Date/Time"][""]["System Time"], "9:40,PM") << BoxTexts();
    EXPECT_EQ(After["System Date/Time"][""]["System Date"], "31-JAN-27");
}

TEST_F(CalendarFormsOnDevice, A24HourDeviceGetsA24HourTimeDialog)
{
    std::ofstream(StatePath, std::ios::app) << "Clock Hours = 24\nSystem Time = 08:05\n";
    TMainForm& M = Connect();
    M.UseAMPM = false;
    auto* Form = OpenFromTree<TSystemDateTimeForm>("System Date/Time");
    ASSERT_NE(Form, nullptr);
    EXPECT_EQ(Form->Grid->Cells(1, 0), "08:05");
    OnDialog<TSetTimeDayForm>([](TSetTimeDayForm* D) {
        EXPECT_FALSE(D->Hour12);
        EXPECT_TRUE(D->TimeField(1)->AmPm->isHidden());
        // Past 12:59 without being held to it, when typed and when stepped.
        D->SetTimeField(1, "21:45");
        D->LeaveField(1);
        EXPECT_EQ(D->GetTimeField(1), "21:45");
        D->SetTimeField(1, "12:10");
        D->SpinButtonClick(1, tsHourUp);
        EXPECT_EQ(D->GetTimeField(1), "13:10");
        D->SetTimeField(1, "21:45");
        D->OKBtn->click();
    }, "dialog-time-day-24.png");
    Press(Form, 1, 0);
    EXPECT_EQ(Form->Grid->Cells(1, 0), "21:45");
    QTest::mouseClick(Form->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Form->Modified) << BoxTexts();
    EXPECT_EQ(Saved()["System Date/Time"][""]["System Time"], "21:45") << BoxTexts();
    // A morning time takes the two hour digits the 24-hour clock shows.
    OnDialog<TSetTimeDayForm>([](TSetTimeDayForm* D) {
        D->SetTimeField(1, "9:05");
        D->OKBtn->click();
    });
    Press(Form, 1, 0);
    EXPECT_EQ(Form->Grid->Cells(1, 0), "09:05");
    QTest::mouseClick(Form->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Form->Modified) << BoxTexts();
    EXPECT_EQ(Saved()["System Date/Time"][""]["System Time"], "09:05") << BoxTexts();
}

TEST_F(CalendarFormsOnDevice, InBatchModeTheClockCannotBeEdited)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(true, true));
    auto* Form = OpenFromTree<TSystemDateTimeForm>("System Date/Time");
    ASSERT_NE(Form, nullptr);
    for (int Row = 0; Row < Form->Grid->RowCount(); ++Row)
        EXPECT_TRUE(Form->Grid->GetCellValueOptions(1, Row) & voReadOnly) << Row;
}

// A date cleared in the date dialog stays cleared: a holiday without its start loses its end date too (the end is
// locked until a start is given again), and the device's clock is not given today's date in its place.
TEST_F(CalendarFormsOnDevice, AClearedDateStaysClearedAndTakesTheEndDateWithIt)
{
    Connect();
    using namespace Holidays;
    auto* H = OpenFromTree<THolidayListingForm>("Holiday Listing");
    ASSERT_NE(H, nullptr);
    ASSERT_FALSE(H->Grid->Cells(StartCol, 2).empty());
    ASSERT_EQ(H->Grid->Cells(EndCol, 2), "26/12");
    OnDialog<TSetDateForm>([](TSetDateForm* D) { D->ClearBtn->click(); });
    Press(H, StartCol, 2);
    EXPECT_EQ(H->Grid->Cells(StartCol, 2), "") << BoxTexts();
    EXPECT_EQ(H->Grid->Cells(EndCol, 2), "");
    EXPECT_TRUE(H->Grid->GetCellValueOptions(EndCol, 2) & voReadOnly);

    auto* Clock = OpenFromTree<TSystemDateTimeForm>("System Date/Time");
    ASSERT_NE(Clock, nullptr);
    ASSERT_EQ(Clock->Grid->Cells(1, 1), "5-DEC-26");
    OnDialog<TSetDateForm>([](TSetDateForm* D) { D->ClearBtn->click(); });
    Press(Clock, 1, 1);
    EXPECT_EQ(Clock->Grid->Cells(1, 1), "") << BoxTexts();
    EXPECT_TRUE(Clock->Modified);
}

// The service mode is shown in its combo box, bound to no cell: a change of the mode alone marks the mode's node and
// its field, so that a later save run sends it, and marks nothing else.
TEST_F(CalendarFormsOnDevice, AChangedServiceModeAloneCarriesItsChangeMarks)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(true, true));
    auto* TS = OpenFromTree<TTimeServiceForm>("Time Service");
    ASSERT_NE(TS, nullptr);
    TXmlNode* Mode = Data("Time Service Mode");
    ASSERT_NE(Mode, nullptr);
    TXmlNode* Field = Data("Service Mode", Mode);
    ASSERT_NE(Field, nullptr);
    ASSERT_EQ(Field->GetValue(), "Automatic");
    TS->ComboMode->setCurrentIndex(2);
    TS->ComboModeChange();
    QTest::mouseClick(TS->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(TS->Modified) << BoxTexts();
    EXPECT_EQ(Field->GetValue(), FromQ(TS->ComboMode->currentText()));
    EXPECT_NE(Field->GetValue(), "Automatic");
    EXPECT_EQ(Field->GetAttr("Change"), "Modify");
    EXPECT_EQ(Mode->GetAttr("Change"), "Modify");
    for (const char* Untouched : {"Day Service", "Lunch Service", "Break Service"})
        EXPECT_EQ(Data(Untouched, Mode->Parent)->GetAttr("Change"), "NoChange") << Untouched;
}
