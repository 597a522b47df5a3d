// Every dialog of the section windows is wide enough for its title bar to show its caption whole.
#include "forms/dialogs/DialogForm.h"
#include "forms/dialogs/SetDate.h"
#include "forms/dialogs/SetMailboxNo.h"
#include "forms/dialogs/SetTime.h"
#include "forms/dialogs/SetTimeDay.h"
#include "forms/dialogs/SetTimeFrames.h"
#include "forms/dialogs/SetTimePeriod.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

TEST(DialogTitles, EveryDialogIsAsWideAsItsTitleBarNeeds)
{
    TSetMailboxNoForm Mailbox;
    TSetTimeForm Time;
    TSetTimeDayForm Day;
    TSetTimeFramesForm Frames;
    TSetTimePeriodForm Period;
    TSetDateForm Date;
    for (QDialog* D : std::initializer_list<QDialog*>{&Mailbox, &Time, &Day, &Frames, &Period, &Date}) {
        D->show();
        QApplication::processEvents();
        SCOPED_TRACE(D->windowTitle().toStdString());
        EXPECT_FALSE(D->windowTitle().isEmpty());
        EXPECT_GE(D->width(), TitleBarWidth(D->windowTitle()));
        D->hide();
    }
}
