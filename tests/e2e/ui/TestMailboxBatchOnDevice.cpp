// The mailbox and group windows in batch mode and on older firmware, in the real main window against the device
// simulator: edits made offline go into a data file, come back from it, and reach the device in one save run; a
// 4.08 device gets its names and schedule words in its own capitals.
#include "FormsOnDevice.h"

#include "forms/groups/ExtensionGroup.h"
#include "forms/groups/MailboxGroup.h"
#include "forms/mailbox/MailboxListing.h"
#include "forms/mailbox/MailboxNotification.h"
#include "forms/mailbox/MailboxSheduleTime.h"
#include "forms/dialogs/SetTimeFrames.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TMailboxGroupForm>(),
    MakeFormFactory<TExtensionGroupForm>(), MakeFormFactory<TMailboxListingForm>()};

class MailboxBatchOnDevice : public TFormsOnDevice {
protected:
    int RowOf(TBaseGridForm* F, const std::string& Key) const
    {
        for (int R = 0; R < F->Grid->RowCount(); ++R)
            if (F->Grid->Cells(0, R) == Key)
                return R;
        return -1;
    }
    template <class T>
    T* Child() const
    {
        T* Form = nullptr;
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* Found = qobject_cast<T*>(F))
                Form = Found;
        return Form;
    }
};

} // namespace

TEST_F(MailboxBatchOnDevice, OfflineEditsOfMailboxesAndGroupsReachTheDeviceInOneRun)
{
    StartSim();
    const std::string File = Dir() + "groups.sav";
    {
        TMainForm& M = StartMain(true);
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();

        // Group 500 loses 102 (so it is deleted and added anew), 501 goes, 502 comes with 105.
        auto* Groups = OpenFromTree<TMailboxGroupForm>("Mailbox Group");
        ASSERT_NE(Groups, nullptr);
        Go(Groups, 4, 0);
        Key(Groups, Qt::Key_Delete);
        Go(Groups, 1, 1);
        QTest::mouseClick(Groups->DeleteRowButton, Qt::LeftButton);
        TypeInto(Groups, 1, 1, "502");
        TypeInto(Groups, 3, 1, "105");
        EXPECT_EQ(Row(Groups, 0), "1 500 SALES 101 103 104");
        EXPECT_EQ(Row(Groups, 1), "2 502 105");
        QTest::mouseClick(Groups->ButtonOK, Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_TRUE(M.ChildForms().empty()) << BoxTexts();

        auto* Extensions = OpenFromTree<TExtensionGroupForm>("Extension Group");
        ASSERT_NE(Extensions, nullptr);
        TypeInto(Extensions, 5, 0, "270");
        QTest::mouseClick(Extensions->ButtonOK, Qt::LeftButton);
        QApplication::processEvents();

        // Mailbox 104 is deleted: the document's groups follow at once, as the device will by itself.
        auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
        ASSERT_NE(Listing, nullptr);
        const int R104 = RowOf(Listing, "104");
        ASSERT_GE(R104, 0);
        Go(Listing, 1, R104);
        Dialogs.Answers = {mrYes};
        Listing->DeleteRowButtonClick();
        QTest::mouseClick(Listing->ButtonOK, Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_TRUE(M.ChildForms().empty()) << BoxTexts();

        Dialogs.FileAnswers = {File};
        ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
        Main.reset();
    }
    TMainForm& M = StartMain(true);
    Dialogs.FileAnswers = {File};
    M.FileOpen1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    auto* Groups = OpenFromTree<TMailboxGroupForm>("Mailbox Group");
    ASSERT_NE(Groups, nullptr);
    EXPECT_EQ(Row(Groups, 0), "1 500 SALES 101 103");
    EXPECT_EQ(Row(Groups, 1), "2 502 105");
    EXPECT_EQ(Row(Groups, 2), "3");
    Groups->close();
    QApplication::processEvents();

    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    TState After = Saved();
    EXPECT_EQ(After["Mailbox Listing"].count("104"), 0u) << BoxTexts();
    EXPECT_EQ(After["Mailbox Group"]["500"]["Mailbox No. 1"], "101") << BoxTexts();
    EXPECT_EQ(After["Mailbox Group"]["500"]["Mailbox No. 2"], "103");
    EXPECT_EQ(After["Mailbox Group"]["500"]["Mailbox No. 3"], "");
    EXPECT_EQ(After["Mailbox Group"]["500"]["Group Name"], "SALES");
    EXPECT_EQ(After["Mailbox Group"].count("501"), 0u);
    EXPECT_EQ(After["Mailbox Group"]["502"]["Mailbox No. 1"], "105");
    EXPECT_EQ(After["Extension Group"]["300"]["Extension No. 3"], "270");
    // Saved: the marks are settled and the deleted groups are gone from the document too.
    TXmlNode* Section = Data("Mailbox Group");
    ASSERT_NE(Section, nullptr);
    EXPECT_EQ(Section->Nodes.Count(), 2);
}

TEST_F(MailboxBatchOnDevice, OnOlderFirmwareNamesAndScheduleWordsTakeItsCapitals)
{
    StartSim({"--firmware", "4.08"});
    TMainForm& M = StartMain(false);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    ASSERT_EQ(M.FlashVersion, 408);

    auto* Groups = OpenFromTree<TMailboxGroupForm>("Mailbox Group");
    ASSERT_NE(Groups, nullptr);
    TypeInto(Groups, 1, 2, "502");
    TypeInto(Groups, 2, 2, "Night");
    TypeInto(Groups, 3, 2, "105");
    EXPECT_EQ(Row(Groups, 2), "3 502 NIGHT 105");
    QTest::mouseClick(Groups->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Groups->Modified) << BoxTexts();
    EXPECT_EQ(Saved()["Mailbox Group"]["502"]["Group Name"], "NIGHT") << BoxTexts();
    Groups->close();

    // The first device of mailbox 101 is scheduled: its unused frames read "NO USE" on this firmware.
    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    Go(Listing, TMailboxListingForm::NotificationCol, RowOf(Listing, "101"));
    Listing->GridButtonClick();
    auto* Devices = Child<TMailboxNotificationForm>();
    ASSERT_NE(Devices, nullptr) << BoxTexts();
    Go(Devices, TMailboxNotificationForm::ScheduleCol, 0);
    Devices->GridButtonClick();
    auto* Week = Child<TMailboxSheduleTimeForm>();
    ASSERT_NE(Week, nullptr) << BoxTexts();
    EXPECT_EQ(Week->Grid->Cells(1, 5), "No Use");
    Go(Week, 1, 3);
    QTimer::singleShot(0, [] {
        if (auto* D = qobject_cast<TSetTimeFramesForm*>(QApplication::activeModalWidget())) {
            QTest::mouseClick(D->AllDayRadio, Qt::LeftButton);
            QTest::mouseClick(D->OKBtn, Qt::LeftButton);
        }
        if (auto* Left = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            Left->reject();
    });
    Key(Week, Qt::Key_Return);
    EXPECT_EQ(Week->Grid->Cells(1, 3), "All Day");
    QTest::mouseClick(Week->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Week->Modified) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Thu/Time frame 1/Start Time"], "ALL USE") << BoxTexts();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Thu/Time frame 2/Start Time"], "NO USE");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Fri/Time frame 1/Start Time"], "08:00");
}

// A notification device that exists only because of this window (its schedule, applied, made its node) is gone again
// when the window's changes are dropped with No: the document holds what it held before the window was opened.
TEST_F(MailboxBatchOnDevice, ANotificationDeviceMadeInTheWindowGoesWhenItsChangesAreDropped)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(true, true));
    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    Go(Listing, TMailboxListingForm::NotificationCol, RowOf(Listing, "101"));
    Listing->GridButtonClick();
    auto* Devices = Child<TMailboxNotificationForm>();
    ASSERT_NE(Devices, nullptr) << BoxTexts();
    ASSERT_NE(Data("1ST Device", Data("Mailbox No. 101")), nullptr);
    ASSERT_EQ(Data("2ND Device", Data("Mailbox No. 101")), nullptr);

    TypeInto(Devices, 1, 1, "5551234");
    Devices->Grid->SetCells(3, 1, "Scheduled");
    std::string Scheduled = "Scheduled";
    Devices->Grid->OnSetEditText(3, 1, Scheduled);
    Go(Devices, TMailboxNotificationForm::ScheduleCol, 1);
    Devices->GridButtonClick();
    auto* Week = Child<TMailboxSheduleTimeForm>();
    ASSERT_NE(Week, nullptr) << BoxTexts();
    Week->SetFrames(0, "09:00", "11:30", "", "");
    QTest::mouseClick(Week->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Week->Modified) << BoxTexts();
    ASSERT_NE(Data("2ND Device", Data("Mailbox No. 101")), nullptr) << "the schedule's Apply makes the device";
    Week->close();
    QApplication::processEvents();

    ASSERT_TRUE(Devices->Modified);
    Dialogs.Answers = {mrNo};
    Devices->close();
    QApplication::processEvents();
    EXPECT_EQ(Child<TMailboxNotificationForm>(), nullptr) << BoxTexts();
    EXPECT_EQ(Data("2ND Device", Data("Mailbox No. 101")), nullptr);
    EXPECT_NE(Data("1ST Device", Data("Mailbox No. 101")), nullptr) << "a stored device stays";
}
