// The six dialogs where the widget layer can go wrong: spin buttons and the edits' key filter and focus-out,
// switching between edited, whole-day and unused frames or periods, OK refusing with its message (through the
// dialogs double), the calendar, the mailbox number against the services; their texts from the built description;
// and their pictures in build/screenshots/.
#include "../GridFormFixture.h"

#include "common/Utilits.h"
#include "forms/dialogs/SetDate.h"
#include "forms/dialogs/SetMailboxNo.h"
#include "forms/dialogs/SetTimeDay.h"
#include "forms/dialogs/SetTimeFrames.h"
#include "forms/dialogs/SetTimePeriod.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <filesystem>

namespace {

std::string Text(QLineEdit* E) { return E->text().toStdString(); }

// The built description's "Form Properties" for the dialogs' texts, for the life of a test.
class TBuiltDescription {
public:
    TBuiltDescription()
    {
        Doc.ShowErrors = false;
        const std::string Path = std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat";
        if (std::filesystem::exists(Path) && Doc.LoadFromFile(Path, true))
            SetPropertiesNodes(Doc.FindNode(nullptr, "Form Properties"), Doc.FindNode(nullptr, "Unit Properties"));
    }
    ~TBuiltDescription() { SetPropertiesNodes(nullptr, nullptr); }
    bool Loaded() const { return FormPropertiesNode() != nullptr; }
    TXmlDoc Doc;
};

class Dialogs : public ::testing::Test {
protected:
    TRecordingDialogs Boxes;
    TDialogsScope Scope{&Boxes};
};

}  // namespace

TEST_F(Dialogs, SpinButtonsStepTheTwelveHourClockWithoutCarry)
{
    TSetTimeDayForm F;
    F.SetHour12(true);
    F.SetTimeField(1, "12:59,PM");
    F.show();
    TTimeFieldControls& C = *F.TimeField(1);
    QTest::mouseClick(C.HourUp, Qt::LeftButton);
    EXPECT_EQ(Text(C.Hour) + ":" + Text(C.Minute), "01:59");
    QTest::mouseClick(C.HourDown, Qt::LeftButton);
    EXPECT_EQ(Text(C.Hour), "12");
    QTest::mouseClick(C.MinuteUp, Qt::LeftButton);
    EXPECT_EQ(F.GetTimeField(1), "12:00,PM");   // the hour stays; AM/PM is a choice of its own
    // An empty field starts from 12:00.
    F.ClearTimeField(1);
    QTest::mouseClick(C.HourUp, Qt::LeftButton);
    EXPECT_EQ(Text(C.Hour) + ":" + Text(C.Minute), "01:00");
}

TEST_F(Dialogs, TypedTimesAreFilteredPaddedOnLeavingAndAnEmptyTimeStaysEmpty)
{
    TSetTimeForm F;   // 24-hour, field 1 only
    F.SetMinTime("00:05");
    F.SetMaxTime("99:59");
    F.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F));
    TTimeFieldControls& C = *F.TimeField(1);
    F.ClearTimeField(1);
    C.Hour->setFocus();
    // Hour, Tab, minute: no box while the minute is empty; the complete time is clamped and told.
    QTest::keyClicks(C.Hour, "0");
    QTest::keyClick(C.Hour, Qt::Key_Tab);
    EXPECT_TRUE(Boxes.Boxes.empty()) << Boxes.LastText();
    QTest::keyClicks(C.Minute, "3");
    QTest::keyClick(C.Minute, Qt::Key_Backtab);
    EXPECT_EQ(Boxes.LastText(),
        "The time must be from 00:05 to 99:59, with a minute from 0 to 59. \"New time\" now holds \"00:05\".");

    F.SetMinTime("00:00");
    C.Hour->clear();
    C.Minute->clear();
    C.Hour->setFocus();
    QTest::keyClicks(C.Hour, "7x");
    C.Minute->setFocus();
    EXPECT_EQ(Text(C.Hour) + ":" + Text(C.Minute), "07:");
    QTest::keyClicks(C.Minute, "5-");
    EXPECT_EQ(F.GetTimeField(1), "7:5");
    QTest::keyClick(C.Minute, Qt::Key_Return);   // Enter moves on, and leaving pads
    EXPECT_FALSE(C.Minute->hasFocus());
    EXPECT_EQ(F.GetTimeField(1), "7:05");

    // Both edits emptied: the time stays unused, it does not become 00:00.
    C.Hour->setFocus();
    C.Hour->clear();
    C.Minute->clear();
    C.Minute->setFocus();
    C.Hour->setFocus();
    EXPECT_EQ(Text(C.Hour) + ":" + Text(C.Minute), ":");
    EXPECT_EQ(F.GetTimeField(1), "");
    // A caller's text that is no time shows as unset, with no exception.
    F.SetTimeField(1, "12:");
    EXPECT_EQ(F.GetTimeField(1), "");
    F.SetTimeField(1, "--:--");
    EXPECT_EQ(F.GetTimeField(1), "");
}

// A time out of the clock's range is never used as typed nor changed in silence: leaving the edit or pressing OK
// brings it to the nearest time allowed (past the last one, the last one), keeps AM/PM and tells the user; OK then
// stays, so that the time a device is set to is one the user has seen.
TEST_F(Dialogs, ATimeOutOfRangeIsToldAndKeepsWhatItCan)
{
    TSetTimeDayForm F;
    F.SetHour12(true);
    F.SetTimeField(1, "09:30,PM");
    F.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F));
    TTimeFieldControls& C = *F.TimeField(1);
    const std::string Told =
        "The time must have an hour from 1 to 12 and a minute from 0 to 59. \"New time\" now holds \"12:59 PM\".";

    // OK with the hour still in its edit.
    C.Hour->setText("13");
    C.Minute->setText("10");
    QTest::mouseClick(F.OKBtn, Qt::LeftButton);
    EXPECT_EQ(F.result(), 0) << "OK closed the dialog on 13:10";
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.LastText(), Told);
    EXPECT_EQ(F.GetTimeField(1), "12:59,PM");
    QTest::mouseClick(F.OKBtn, Qt::LeftButton);   // seen: the second OK takes it
    EXPECT_EQ(F.result(), int(QDialog::Accepted));
    EXPECT_EQ(F.GetTimeField(1), "12:59,PM");
    EXPECT_EQ(Boxes.Boxes.size(), 1u);

    // Tabbing out of the hour edit tells at once; a time in range leaves quietly.
    F.setResult(0);
    F.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F));
    C.Hour->setFocus();
    C.Hour->setText("13");
    C.Minute->setFocus();
    EXPECT_EQ(Text(C.Hour) + ":" + Text(C.Minute), "12:59");
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Boxes.LastText(), Told);
    C.Hour->setFocus();
    C.Hour->setText("12");
    C.Minute->setFocus();
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
    QTest::mouseClick(F.OKBtn, Qt::LeftButton);
    EXPECT_EQ(F.result(), int(QDialog::Accepted));

    // Cancel, clicked or as Esc, drops the time without a word.
    for (bool Click : {true, false}) {
        F.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&F));
        C.Hour->setFocus();
        C.Hour->setText("13");
        if (Click)
            QTest::mouseClick(F.CancelBtn, Qt::LeftButton);
        else
            QTest::keyClick(C.Hour, Qt::Key_Escape);
        EXPECT_EQ(F.result(), int(QDialog::Rejected)) << Click;
        EXPECT_FALSE(F.isVisible()) << Click;
        EXPECT_EQ(Boxes.Boxes.size(), 2u) << Click;
    }
}

TEST_F(Dialogs, FramesSwitchBetweenEditAllDayAndNoUse)
{
    TSetTimeFramesForm F;
    F.SetHour12(false);
    F.LoadFrames("8:00", "12:00", "13:00", "17:00");
    F.show();
    EXPECT_TRUE(F.EditRadio->isChecked());
    EXPECT_TRUE(F.TimeField(1)->AmPm->isHidden());   // 24-hour clock
    EXPECT_EQ(F.GetTimeField(3), "13:00");

    QTest::mouseClick(F.AllDayRadio, Qt::LeftButton);
    EXPECT_EQ(F.GetTimeField(1) + "-" + F.GetTimeField(2), "0:00-23:59");
    EXPECT_EQ(F.GetTimeField(3), "");
    EXPECT_FALSE(F.TimeField(1)->Hour->isEnabled());
    EXPECT_FALSE(F.TimeField(4)->MinuteUp->isEnabled());
    EXPECT_FALSE(F.ClearFrame2Button->isEnabled());
    std::string S1, E1, S2, E2;
    F.GetFrames(S1, E1, S2, E2);
    EXPECT_EQ(S1 + "|" + E1 + "|" + S2 + "|" + E2, "All Day|No Use||");

    QTest::mouseClick(F.NoUseRadio, Qt::LeftButton);
    EXPECT_EQ(F.GetTimeField(1), "");
    QTest::mouseClick(F.EditRadio, Qt::LeftButton);
    EXPECT_TRUE(F.TimeField(1)->Hour->isEnabled());
    F.GetFrames(S1, E1, S2, E2);
    EXPECT_EQ(S1 + "|" + E1, "No Use|No Use");   // nothing typed: unused

    TSetTimeFramesForm G;
    G.SetHour12(true);
    G.LoadFrames("all day", "", "", "");
    EXPECT_TRUE(G.AllDayRadio->isChecked());
    EXPECT_EQ(G.GetTimeField(1) + "-" + G.GetTimeField(2), "12:00,AM-11:59,PM");
    EXPECT_FALSE(G.TimeField(1)->AmPm->isHidden());
}

TEST_F(Dialogs, OkRefusesFramesAndPeriodsThatAreNotSound)
{
    TSetTimeFramesForm F;
    F.SetHour12(false);
    F.LoadFrames("9:00", "11:00", "10:00", "12:00");
    F.show();
    QTest::mouseClick(F.OKBtn, Qt::LeftButton);
    EXPECT_EQ(F.result(), 0);
    EXPECT_TRUE(F.isVisible());
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.LastText(), Utilits::STimeFrameError4);
    EXPECT_EQ(Boxes.Boxes[0].Caption, Utilits::SError);
    QTest::mouseClick(F.ClearFrame2Button, Qt::LeftButton);
    QTest::mouseClick(F.OKBtn, Qt::LeftButton);
    EXPECT_EQ(F.result(), int(QDialog::Accepted));
    EXPECT_EQ(Boxes.Boxes.size(), 1u);

    TSetTimePeriodForm P;
    P.SetHour12(false);
    P.SetLayout(false);
    P.SetPeriod("Day Mode", "Day Mode");
    P.show();
    EXPECT_TRUE(P.AllDayRadio->isChecked());
    EXPECT_TRUE(P.ClearBtn->isHidden());
    EXPECT_FALSE(P.TimeField(1)->Hour->isEnabled());
    QTest::mouseClick(P.EditRadio, Qt::LeftButton);   // the user's choice fills the default period
    EXPECT_EQ(P.GetTimeField(1) + "-" + P.GetTimeField(2), "9:00-17:00");
    P.ClearTimeField(2);
    QTest::mouseClick(P.OKBtn, Qt::LeftButton);
    EXPECT_EQ(Boxes.LastText(), Utilits::STimePeriodError3);
    EXPECT_EQ(P.result(), 0);
    P.SetTimeField(2, "18:30");
    QTest::mouseClick(P.OKBtn, Qt::LeftButton);
    EXPECT_EQ(P.result(), int(QDialog::Accepted));
    std::string S, E;
    P.GetPeriod(S, E);
    EXPECT_EQ(S + "-" + E, "9:00-18:30");

    // Times only: an empty period is allowed with the Clear button there.
    TSetTimePeriodForm Q;
    Q.SetHour12(true);
    Q.SetLayout(true);
    Q.SetPeriod("", "");
    Q.show();
    EXPECT_TRUE(Q.RadioGroup1->isHidden());
    QTest::mouseClick(Q.OKBtn, Qt::LeftButton);
    EXPECT_EQ(Q.result(), int(QDialog::Accepted));
}

TEST_F(Dialogs, TheDateComesBackInTheFormItWasGiven)
{
    TSetDateForm F;
    F.SetDateText("31/12/99");
    EXPECT_EQ(F.MonthCalendar->selectedDate(), QDate(1999, 12, 31));
    std::string S;
    F.GetDateText(S);
    EXPECT_EQ(S, "31/12/99");
    F.MonthCalendar->setSelectedDate(QDate(2005, 3, 4));
    F.GetDateText(S);
    EXPECT_EQ(S, "4/3/05");
    F.SetDateText("1/2/2030");
    F.GetDateText(S);
    EXPECT_EQ(S, "1/2/2030");
    F.SetDateText("1/2");
    F.GetDateText(S);
    EXPECT_EQ(S, "1/2");
    F.show();
    QTest::mouseClick(F.ClearBtn, Qt::LeftButton);
    EXPECT_EQ(F.result(), int(QDialog::Accepted));
    F.GetDateText(S);
    EXPECT_EQ(S, "");
}

TEST_F(Dialogs, NewMailboxNumbersAreCheckedAgainstTheServicesAndTheListing)
{
    struct TGroups : TFakeFormServices {
        bool FindMailboxGroup(const std::string& Value, std::string& Caption) override
        {
            Caption = "Mailbox Groups";
            return Value != "500";
        }
        bool MailboxInUseByGroupForm(const std::string& Number) override { return Number != "501"; }
    } Services;
    Services.Facts.SystemManagerMailbox = "999";
    TFormServicesScope ServicesScope(&Services);

    TSetMailboxNoForm F;
    F.MinValue = 100;
    F.MaxValue = 999;
    F.NumberLength = 3;
    F.ListingCheck = [](const std::string& N) { return N == "101"; };
    F.show();
    EXPECT_EQ(Text(F.EditMailboxNo), "100");
    EXPECT_EQ(F.EditMailboxNo->maxLength(), 3);
    struct {
        const char* Typed;
        std::string Message;
        const char* After;
    } const Cases[] = {
        {"", Format(Utilits::SErrorMailboxNumber, {3}), "100"},
        {"99", Format(Utilits::SErrorMailboxNumber, {3}), "100"},
        {"999", Utilits::SUnableCreateSystemMailbox, "999"},
        {"500", Format(Utilits::SMailboxAlreadyExistIn, {"500", "Mailbox Groups"}), "500"},
        {"501", Format(Utilits::SMailboxAlreadyExistIn, {"501", "Mailbox Groups"}), "501"},
        {"101", Format(Utilits::SMailboxAlreadyExist, {"101"}), "101"},
    };
    for (const auto& C : Cases) {
        F.EditMailboxNo->clear();
        QTest::keyClicks(F.EditMailboxNo, C.Typed);
        QTest::mouseClick(F.OKBtn, Qt::LeftButton);
        EXPECT_EQ(Boxes.LastText(), C.Message) << C.Typed;
        EXPECT_EQ(Text(F.EditMailboxNo), C.After) << C.Typed;
        EXPECT_EQ(F.result(), 0) << C.Typed;
    }
    F.EditMailboxNo->clear();
    QTest::keyClicks(F.EditMailboxNo, "1a02");   // the letter is dropped
    EXPECT_EQ(Text(F.EditMailboxNo), "102");
    QTest::mouseClick(F.OKBtn, Qt::LeftButton);
    EXPECT_EQ(F.result(), int(QDialog::Accepted));
}

// After a refusal the number field has the focus with its text selected, so the next digits replace it; one Enter
// in the field creates, and the number created is the one the field shows.
TEST_F(Dialogs, AfterARefusalTheFieldTakesTheNextDigitsAndOneEnterCreates)
{
    TFakeFormServices Services;
    TFormServicesScope ServicesScope(&Services);
    TSetMailboxNoForm F;
    F.MinValue = 100;
    F.MaxValue = 999;
    F.NumberLength = 3;
    F.show();
    QApplication::setActiveWindow(&F);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F));
    auto Focused = [] { return QApplication::focusWidget(); };
    EXPECT_EQ(Focused(), F.EditMailboxNo);
    QTest::keyClicks(Focused(), "99");
    QTest::mouseClick(F.OKBtn, Qt::LeftButton);   // the button takes the focus
    EXPECT_EQ(Boxes.LastText(), Format(Utilits::SErrorMailboxNumber, {3}));
    EXPECT_EQ(F.result(), 0);
    EXPECT_EQ(Focused(), F.EditMailboxNo);
    EXPECT_EQ(F.EditMailboxNo->selectedText(), "100");
    QTest::keyClicks(Focused(), "105");
    EXPECT_EQ(Text(F.EditMailboxNo), "105");
    // A refusal through Enter itself: the first Enter acts, and the field keeps the focus.
    QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Focused(), "50");
    QTest::keyClick(Focused(), Qt::Key_Return);
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Text(F.EditMailboxNo), "100");
    EXPECT_EQ(Focused(), F.EditMailboxNo);
    QTest::keyClicks(Focused(), "106");
    QTest::keyClick(Focused(), Qt::Key_Return);
    EXPECT_EQ(F.result(), int(QDialog::Accepted));
    EXPECT_EQ(Text(F.EditMailboxNo), "106");
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
}

TEST_F(Dialogs, TextsFromTheDescriptionAndPictures)
{
    TBuiltDescription Description;
    if (!Description.Loaded())
        GTEST_SKIP() << "Orlantis.dat is not built";
    const QString Dir = QString(ORLANTIS_BIN_DIR) + "/../screenshots";
    QDir().mkpath(Dir);
    auto Save = [&](QDialog& D, const char* Name) {
        D.show();
        QApplication::processEvents();
        EXPECT_TRUE(D.grab().save(Dir + "/" + Name + ".png")) << Name;
    };

    TSetTimeForm Time;
    Time.SetTimeField(1, "9:30");
    EXPECT_EQ(Time.windowTitle().toStdString(), "Set Time");
    EXPECT_EQ(Time.property("HelpKeyword").toString().toStdString(), "SetTime");
    Save(Time, "dialog-set-time");

    TSetTimeDayForm Day;
    Day.SetTimeField(1, "09:30,PM");
    Save(Day, "dialog-set-time-day");

    TSetTimeFramesForm Frames;
    Frames.SetHour12(true);
    Frames.LoadFrames("08:00,AM", "12:00,PM", "01:00,PM", "05:30,PM");
    EXPECT_EQ(Frames.windowTitle().toStdString(), "Time Frame Setting");
    EXPECT_EQ(Frames.GroupBox2->title().toStdString(), "Time Frame 2");
    EXPECT_EQ(Frames.ClearFrame2Button->text().toStdString(), "Clear Time Frame 2");
    EXPECT_EQ(Frames.property("HelpKeyword").toString().toStdString(), "SetTimeFrames");
    Save(Frames, "dialog-time-frames");
    TSetTimeFramesForm Frames24;
    Frames24.SetHour12(false);
    Frames24.LoadFrames("All Day", "No Use", "", "");
    Save(Frames24, "dialog-time-frames-24h");

    TSetTimePeriodForm Period;
    Period.SetHour12(true);
    Period.SetLayout(false);
    Period.SetPeriod("09:00,AM", "05:00,PM");
    EXPECT_EQ(Period.AllNightRadio->text().toStdString(), "Night Mode");
    Save(Period, "dialog-time-period");
    TSetTimePeriodForm TimesOnly;
    TimesOnly.SetHour12(false);
    TimesOnly.SetLayout(true);
    TimesOnly.SetPeriod("9:00", "17:00");
    Save(TimesOnly, "dialog-time-period-times-only");

    TSetDateForm Date;
    Date.SetDateText("24/12/2026");
    EXPECT_EQ(Date.windowTitle().toStdString(), "Set Date");
    Save(Date, "dialog-set-date");

    TSetMailboxNoForm Mailbox;
    Mailbox.MinValue = 100;
    Mailbox.MaxValue = 999;
    Mailbox.NumberLength = 3;
    EXPECT_EQ(Mailbox.windowTitle().toStdString(), "Create new mailbox");
    EXPECT_EQ(Mailbox.OKBtn->text().toStdString(), "Create");
    Save(Mailbox, "dialog-new-mailbox");
}
