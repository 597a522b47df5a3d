// The mailbox, class-of-service and port/trunk service windows in the real main window against the device
// simulator, interactive mode: opened from the parameter tree, edited with keys and their dialogs, applied to the
// device and found in the simulator's saved state. A deleted mailbox leaves the groups that held it, on the device
// and in the data document. Each window and detail window is photographed with its data (build/screenshots/).
#include "FormsOnDevice.h"
#include "ShownRows.h"

#include "vmusim/SimProcess.h"

#include "forms/service/COS.h"
#include "forms/service/COSDetail.h"
#include "forms/mailbox/MailboxListing.h"
#include "forms/mailbox/MailboxNotification.h"
#include "forms/mailbox/MailboxSheduleTime.h"
#include "forms/service/PortService.h"
#include "forms/dialogs/SetMailboxNo.h"
#include "forms/dialogs/SetTimeFrames.h"
#include "common/Utilits.h"
#include "engine/ManagerVMU.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/QtText.h"
#include "serial/SerPort.h"
#include "shell/FormRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TMailboxListingForm>(), MakeFormFactory<TCOSForm>(),
    MakeFormFactory<TPortServiceForm>(), MakeFormFactory<TTrunkServiceForm>()};

class MailboxFormsOnDevice : public TFormsOnDevice {
protected:
    template <class T>
    T* Child() const
    {
        T* Form = nullptr;
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* Found = qobject_cast<T*>(F))
                Form = Found;
        return Form;
    }
    void Shot(QWidget* W, const char* Name)
    {
        QApplication::processEvents();
        QDir().mkpath(QString(ORLANTIS_BIN_DIR) + "/../screenshots");
        EXPECT_TRUE(W->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/" + Name));
    }
    // Runs Open, which shows a modal dialog of class T, and meanwhile Answer with that dialog (the user's part);
    // a dialog still open after the answer is cancelled, so that the test can never hang on it.
    template <class T, class O, class A>
    bool WithDialog(O Open, A Answer)
    {
        bool Met = false;
        QTimer::singleShot(0, [&] {
            auto* D = qobject_cast<T*>(QApplication::activeModalWidget());
            Met = D != nullptr;
            if (D)
                Answer(*D);
            if (QWidget* Left = QApplication::activeModalWidget())
                if (auto* Dialog = qobject_cast<QDialog*>(Left))
                    Dialog->reject();
        });
        Open();
        return Met;
    }
    int RowOf(TBaseGridForm* F, const std::string& Key) const
    {
        for (int Row = 0; Row < F->Grid->RowCount(); ++Row)
            if (F->Grid->Cells(0, Row) == Key)
                return Row;
        return -1;
    }
};

} // namespace

TEST_F(MailboxFormsOnDevice, MailboxesAreAddedChangedAndDeletedOnTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));

    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    const int Last = Listing->Grid->RowCount() - 1;
    EXPECT_EQ(Listing->Grid->Cells(0, 0), "101");
    EXPECT_EQ(Listing->Grid->Cells(0, Last), "999");   // the System Manager's, from the template
    EXPECT_EQ(Listing->Grid->Cells(4, Last), "64");
    const int R102 = RowOf(Listing, "102");
    ASSERT_GE(R102, 0);
    EXPECT_EQ(Listing->Grid->Cells(1, R102), "202");
    ExpectLabelledRows(Listing, 66);
    Shot(Listing, "form-mailbox-listing.png");

    // Edits: a new extension, a name, and an extension group that is no number.
    TypeInto(Listing, 1, R102, "299");
    TypeInto(Listing, 2, R102, "Baxter");
    EXPECT_EQ(Listing->Grid->Cells(2, R102), "Baxter");   // firmware 4.09 keeps the case

    // A new mailbox through the dialog, as the user adds one.
    QTimer::singleShot(0, [] {
        auto* Dialog = qobject_cast<TSetMailboxNoForm*>(QApplication::activeModalWidget());
        ASSERT_NE(Dialog, nullptr);
        Dialog->EditMailboxNo->setText("170");
        Dialog->OKBtnClick();
    });
    Listing->NewRowButton->click();
    const int R170 = RowOf(Listing, "170");
    ASSERT_GE(R170, 0) << BoxTexts();
    // The new row typed in one go, Tab between the cells.
    Go(Listing, 1, R170);
    for (const char* Typed : {"270", "\tNEWCOMER", "\tTECH"}) {
        if (*Typed == '\t')
            Key(Listing, Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QString(Typed).remove('\t'));
    }
    Key(Listing, Qt::Key_Return);
    EXPECT_EQ(Row(Listing, R170).substr(0, 21), "170 270 NEWCOMER TECH");

    // 104 is a member of the SALES group; deleting asks first.
    const int R104 = RowOf(Listing, "104");
    ASSERT_GE(R104, 0);
    Go(Listing, 1, R104);
    Dialogs.Answers = {mrYes};
    Key(Listing, Qt::Key_Delete);
    EXPECT_EQ(BoxCount(Format(Utilits::SConfirmDeleteMailbox, {"104"})), 1) << BoxTexts();
    EXPECT_EQ(RowOf(Listing, "104"), -1);

    QTest::mouseClick(Listing->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Listing->Modified) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Mailbox Listing"]["102"]["Extension No."], "299") << BoxTexts();
    EXPECT_EQ(After["Mailbox Listing"]["102"]["Last Name"], "Baxter");
    EXPECT_EQ(After["Mailbox Listing"]["170"]["Extension No."], "270");
    EXPECT_EQ(After["Mailbox Listing"]["170"]["Last Name"], "NEWCOMER");
    EXPECT_EQ(After["Mailbox Listing"]["170"]["First Name"], "TECH");
    EXPECT_EQ(After["Mailbox Listing"].count("104"), 0u);
    // The device took 104 out of its group: the members after it moved up.
    std::map<std::string, std::string> Sales = After["Mailbox Group"]["500"];
    EXPECT_EQ(Sales["Mailbox No. 3"], "103");
    EXPECT_EQ(Sales.count("Mailbox No. 4"), 0u);
    for (const auto& [Name, Value] : Sales)
        EXPECT_NE(Value, "104") << Name;

    // The notification devices of 101: the first is scheduled; a beeper is added as the second.
    const int R101 = RowOf(Listing, "101");
    Go(Listing, TMailboxListingForm::NotificationCol, R101);
    Listing->GridButtonClick();
    auto* Devices = Child<TMailboxNotificationForm>();
    ASSERT_NE(Devices, nullptr) << BoxTexts();
    EXPECT_EQ(Devices->Grid->Cells(1, 0), "5551200");
    EXPECT_EQ(Devices->Grid->Cells(3, 0), "Scheduled");
    EXPECT_TRUE(Devices->Grid->Cells(1, 1).empty());
    TypeInto(Devices, 1, 1, "x123");
    EXPECT_EQ(Devices->Grid->Cells(1, 1), "X123");
    EXPECT_EQ(Devices->Grid->Cells(2, 1), "Beeper");
    ExpectLabelledRows(Devices, 3);
    Shot(Devices, "form-mailbox-notification.png");
    QTest::mouseClick(Devices->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Devices->Modified) << BoxTexts();
    After = Saved();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["2ND Device/Device Number"], "X123") << BoxTexts();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["2ND Device/Device Type"], "Beeper");

    // The first device's week: Wednesday gets other frames.
    Go(Devices, TMailboxNotificationForm::ScheduleCol, 0);
    Devices->GridButtonClick();
    auto* Week = Child<TMailboxSheduleTimeForm>();
    ASSERT_NE(Week, nullptr) << BoxTexts();
    EXPECT_EQ(Week->Grid->Cells(0, 2), "Wed");
    EXPECT_EQ(Week->Grid->Cells(1, 0), "08:00");
    EXPECT_EQ(Week->Grid->Cells(4, 0), "17:00");
    EXPECT_EQ(Week->Grid->Cells(1, 5), "No Use");
    EXPECT_TRUE(Week->Grid->Cells(3, 5).empty());
    Week->SetFrames(2, "09:00", "11:30", "14:00", "16:00");
    ExpectLabelledRows(Week, 7);
    Shot(Week, "form-mailbox-schedule.png");
    QTest::mouseClick(Week->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Week->Modified) << BoxTexts();
    After = Saved();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Wed/Time frame 1/Start Time"], "09:00") << BoxTexts();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Wed/Time frame 1/End Time"], "11:30");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Wed/Time frame 2/End Time"], "16:00");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Thu/Time frame 1/Start Time"], "08:00");
    Week->close();
    QApplication::processEvents();

    // A device no longer scheduled loses its days at Apply.
    TXmlNode* First = Data("1ST Device", Data("Mailbox No. 101"));
    ASSERT_NE(First, nullptr);
    ASSERT_NE(Data("Day Mon", First), nullptr);
    Devices->Grid->SetCells(3, 0, "Always");
    std::string Always = "Always";
    Devices->Grid->OnSetEditText(3, 0, Always);
    EXPECT_TRUE(Devices->Grid->GetCellValueOptions(TMailboxNotificationForm::ScheduleCol, 0) & voReadOnly);
    QTest::mouseClick(Devices->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Devices->Modified) << BoxTexts();
    EXPECT_EQ(Data("Day Mon", Data("1ST Device", Data("Mailbox No. 101"))), nullptr);
    EXPECT_EQ(Saved()["Mailbox Listing"]["101"]["1ST Device/Notification Mode"], "Always") << BoxTexts();

    // A device switched off forgets its settings on the device: the row shows the template's again, and only the
    // emptied number is sent (the device refuses the settings of a device without number).
    TypeInto(Devices, 1, 1, "");
    QTest::mouseClick(Devices->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Devices->Modified) << BoxTexts();
    EXPECT_EQ(Devices->Grid->Cells(2, 1), "Phone");
    EXPECT_TRUE(Devices->Grid->GetCellValueOptions(2, 1) & voReadOnly);
    EXPECT_EQ(Saved()["Mailbox Listing"]["101"].count("2ND Device/Device Type"), 0u) << BoxTexts();
    EXPECT_EQ(Saved()["Mailbox Listing"]["101"]["2ND Device/Device Number"], "");
    TXmlNode* Second = Data("2ND Device", Data("Mailbox No. 101"));
    ASSERT_NE(Second, nullptr);
    EXPECT_EQ(Data("Device Type", Second)->GetValue(), "Phone");
}

TEST_F(MailboxFormsOnDevice, ClassOfServiceAndServicesApplyTheirDependentValues)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));

    auto* Classes = OpenFromTree<TCOSForm>("Class of Service");
    ASSERT_NE(Classes, nullptr);
    EXPECT_TRUE(Classes->ButtonApply->isHidden());
    EXPECT_EQ(Classes->Grid->RowCount(), 8);
    ExpectLabelledRows(Classes, 8);
    Shot(Classes, "form-cos.png");
    // A double click on class 4's number opens class 4, whichever class was current.
    Go(Classes, 1, 0);
    QTest::mouseDClick(Classes->Grid->viewport(), Qt::LeftButton, {}, Classes->Grid->CellRect(0, 3 + 1).center());
    auto* Class4 = Child<TCOSDetailForm>();
    ASSERT_NE(Class4, nullptr) << BoxTexts();
    EXPECT_EQ(Class4->Index, 3);
    const int Time = Class4->FindRowByKey(1, "Mailbox Capacity Maximum Message Time");
    const int Forward = Class4->FindRowByKey(1, "Authorization for Auto Forwarding");
    ASSERT_GE(Time, 0);
    ASSERT_GE(Forward, 0);
    TypeInto(Class4, 1, Time, "3");
    EXPECT_EQ(Class4->Grid->Cells(1, Time), "5");
    EXPECT_TRUE(Class4->Grid->GetCellValueOptions(1, Forward + 1) & voReadOnly);
    Class4->Grid->SetCells(1, Forward, "Yes");
    std::string Yes = "Yes";
    Class4->Grid->OnSetEditText(1, Forward, Yes);
    EXPECT_FALSE(Class4->Grid->GetCellValueOptions(1, Forward + 1) & voReadOnly);
    Class4->SetModified(true);
    ExpectLabelledRows(Class4, 14);
    Shot(Class4, "form-cos-detail.png");
    QTest::mouseClick(Class4->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Class4->Modified) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Class of Service"]["4"]["Mailbox Capacity Maximum Message Time"], "5") << BoxTexts();
    EXPECT_EQ(After["Class of Service"]["4"]["Authorization for Auto Forwarding"], "Yes");
    EXPECT_FALSE(After["Class of Service"]["4"]["Delay Time"].empty());   // the device's default came with it
    Class4->close();

    // Class 1 without notification: its retry parameters go from the data document, and the device empties them.
    Go(Classes, 1, 0);
    Classes->OpenDetail();
    auto* Class1 = Child<TCOSDetailForm>();
    ASSERT_NE(Class1, nullptr) << BoxTexts();
    const int Notify = Class1->FindRowByKey(1, "Authorization for Message Notification");
    ASSERT_GE(Notify, 0);
    ASSERT_NE(Data("Notification Retry Times", Data("COS No. 1")), nullptr);
    Class1->Grid->SetCells(1, Notify, "No");
    std::string No = "No";
    Class1->Grid->OnSetEditText(1, Notify, No);
    EXPECT_TRUE(Class1->Grid->GetCellValueOptions(1, Notify + 3) & voReadOnly);
    QTest::mouseClick(Class1->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Class1->Modified) << BoxTexts();
    EXPECT_EQ(Data("Notification Retry Times", Data("COS No. 1")), nullptr);
    After = Saved();
    EXPECT_EQ(After["Class of Service"]["1"]["Authorization for Message Notification"], "No") << BoxTexts();
    EXPECT_EQ(After["Class of Service"]["1"]["Notification Retry Times"], "");
    Class1->close();
    Classes->close();

    auto* Ports = OpenFromTree<TPortServiceForm>("Port Service");
    ASSERT_NE(Ports, nullptr);
    EXPECT_EQ(Trim(Ports->Grid->Cells(0, 0)), "Day");
    EXPECT_EQ(Ports->Grid->Cells(5, 0), "System");      // stored "System Greeting"
    EXPECT_EQ(Ports->Grid->Cells(1, 1), "Voice Mail");  // stored "V.M."
    // A greeting that is no number is refused and the old text comes back.
    TypeInto(Ports, 5, 1, "1a");
    EXPECT_EQ(Ports->Grid->Cells(5, 1), "3");
    EXPECT_EQ(BoxCount(RefusalMessage("'1a' is not a valid integer value", "3", false)), 1) << BoxTexts();
    TypeInto(Ports, 5, 1, "sn");
    EXPECT_EQ(Ports->Grid->Cells(5, 1), "3");
    TypeInto(Ports, 5, 1, "40");
    EXPECT_EQ(Ports->Grid->Cells(5, 1), "32");
    EXPECT_FALSE(Ports->ComboPortNo->isEnabled());
    // The day service becomes a custom service; its number is the dependent value.
    Ports->Grid->SetCells(1, 0, "Custom");
    std::string Custom = "Custom";
    Ports->Grid->OnSetEditText(1, 0, Custom);
    EXPECT_FALSE(Ports->Grid->GetCellValueOptions(2, 0) & voReadOnly);
    Ports->SetModified(true);
    QTest::mouseClick(Ports->ButtonApply, Qt::LeftButton);   // refused: the number is missing
    EXPECT_TRUE(Ports->Modified);
    EXPECT_EQ(BoxCount(Format(Utilits::SNotSetParameter, {"Incoming Call Service"})), 1) << BoxTexts();
    TypeInto(Ports, 2, 0, "7");
    ExpectLabelledRows(Ports, 4);
    Shot(Ports, "form-port-service.png");
    QTest::mouseClick(Ports->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Ports->Modified) << BoxTexts();
    EXPECT_TRUE(Ports->ComboPortNo->isEnabled());
    After = Saved();
    EXPECT_EQ(After["Port Service"]["1"]["Day Mode/Incoming Call Service"], "Custom") << BoxTexts();
    EXPECT_EQ(After["Port Service"]["1"]["Day Mode/Number"], "7");
    EXPECT_EQ(After["Port Service"]["1"]["Night Mode/Company Greeting No."], "32");
    EXPECT_EQ(After["Port Service"]["1"]["Night Mode/Incoming Call Service"], "V.M.");
    Ports->close();

    auto* Trunks = OpenFromTree<TTrunkServiceForm>("Trunk Service");
    ASSERT_NE(Trunks, nullptr);
    TypeInto(Trunks, 6, 0, "0");
    EXPECT_EQ(Trunks->Grid->Cells(6, 0), "1");
    TypeInto(Trunks, 5, 0, "s");
    EXPECT_EQ(Trunks->Grid->Cells(5, 0), "System");
    ExpectLabelledRows(Trunks, 4);
    Shot(Trunks, "form-trunk-service.png");
    QTest::mouseClick(Trunks->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Trunks->Modified) << BoxTexts();
    EXPECT_EQ(Saved()["Trunk Service"]["1"]["Day Mode/Company Greeting No."], "System Greeting") << BoxTexts();
}

// Opening a cell's editor and closing it without a key typed changes nothing, whatever cell was opened before (a
// two-digit cell's limit once cut the next cell's "310" to "31"); a new interview number is then applied, and the
// port services that named the old one let it go (batch mode: the whole device is in the document).
TEST_F(MailboxFormsOnDevice, OpenedCellsKeepTheirValuesAndANewInterviewNumberIsApplied)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(true, true));
    Dialogs.Boxes.clear();
    auto CountInterview = [&] {
        int Count = 0;
        TXmlWalk Walk;
        if (TXmlNode* Ports = Data("Port Service"))
            for (TXmlNode* N = Walk.First(Ports, Ports); N; N = Walk.Next(N))
                Count += N->GetName() == "Number" && N->GetValue() == "310";
        return Count;
    };
    EXPECT_EQ(CountInterview(), 4);
    auto* Listing = OpenFromTree<TMailboxListingForm>("Mailbox Listing");
    ASSERT_NE(Listing, nullptr);
    const int R111 = RowOf(Listing, "111");
    ASSERT_GE(R111, 0);
    ASSERT_EQ(Listing->Grid->Cells(TMailboxListingForm::InterviewCol, R111), "310");
    std::vector<std::string> Before;
    for (int Col = 0; Col < Listing->Grid->ColumnCount(); ++Col)
        Before.push_back(Listing->Grid->Cells(Col, R111));
    Go(Listing, 1, R111);
    for (int Col = 1; Col <= TMailboxListingForm::InterviewCol; ++Col) {
        Key(Listing, Qt::Key_Return);
        EXPECT_TRUE(Listing->Grid->EditorShowing()) << Col;
        Key(Listing, Qt::Key_Return);
        Key(Listing, Qt::Key_Right);
    }
    for (int Col = 0; Col < Listing->Grid->ColumnCount(); ++Col)
        EXPECT_EQ(Listing->Grid->Cells(Col, R111), Before[size_t(Col)]) << Col;
    EXPECT_FALSE(Listing->Modified) << BoxTexts();

    TypeInto(Listing, TMailboxListingForm::InterviewCol, R111, "311");
    QTest::mouseClick(Listing->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Listing->Modified) << BoxTexts();
    TXmlNode* Mailbox = Data("Mailbox No. 111");
    ASSERT_NE(Mailbox, nullptr);
    EXPECT_EQ(Data("Interview Mailbox Number", Mailbox)->GetValue(), "311");
    // Port 4 answered with interview 310 in every mode: it no longer names it.
    EXPECT_EQ(CountInterview(), 0);
}

// The schedule's frames and a class's forwarding delay are set in their dialogs, as the user sets them.
TEST_F(MailboxFormsOnDevice, ScheduleFramesAndTheForwardingDelayComeFromTheirDialogs)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));

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

    // Enter on Thursday: the whole day. A double click on Friday: new times, the second frame cleared.
    Go(Week, 1, 3);
    EXPECT_TRUE(WithDialog<TSetTimeFramesForm>([&] { Key(Week, Qt::Key_Return); }, [](TSetTimeFramesForm& D) {
        EXPECT_TRUE(D.EditRadio->isChecked());
        QTest::mouseClick(D.AllDayRadio, Qt::LeftButton);
        QTest::mouseClick(D.OKBtn, Qt::LeftButton);
    }));
    // The device takes an all-day frame without end and without a second frame.
    EXPECT_EQ(Week->Grid->Cells(1, 3), "All Day");
    EXPECT_EQ(Week->Grid->Cells(2, 3), "");
    EXPECT_EQ(Week->Grid->Cells(3, 3), "");
    Go(Week, 1, 4);
    EXPECT_TRUE(WithDialog<TSetTimeFramesForm>([&] { Week->Grid->OnDblClick(); }, [](TSetTimeFramesForm& D) {
        D.SetTimeField(1, "9:30");
        D.SetTimeField(2, "12:00");
        QTest::mouseClick(D.ClearFrame2Button, Qt::LeftButton);
        QTest::mouseClick(D.OKBtn, Qt::LeftButton);
    }));
    EXPECT_EQ(Week->Grid->Cells(1, 4), "09:30");
    EXPECT_EQ(Week->Grid->Cells(3, 4), "");
    // A cancelled dialog changes nothing.
    Go(Week, 1, 0);
    EXPECT_TRUE(WithDialog<TSetTimeFramesForm>([&] { Key(Week, Qt::Key_Return); }, [](TSetTimeFramesForm& D) {
        QTest::mouseClick(D.NoUseRadio, Qt::LeftButton);
        QTest::mouseClick(D.CancelBtn, Qt::LeftButton);
    }));
    EXPECT_EQ(Week->Grid->Cells(1, 0), "08:00");
    QTest::mouseClick(Week->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Week->Modified) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Thu/Time frame 1/Start Time"], "All Day") << BoxTexts();
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Thu/Time frame 1/End Time"], "");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Thu/Time frame 2/Start Time"], "No Use");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Fri/Time frame 1/Start Time"], "09:30");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Fri/Time frame 1/End Time"], "12:00");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Fri/Time frame 2/Start Time"], "No Use");
    EXPECT_EQ(After["Mailbox Listing"]["101"]["1ST Device/Day Mon/Time frame 1/Start Time"], "08:00");
    Week->close();
    Devices->close();
    Listing->close();
    QApplication::processEvents();

    // Class 5 forwards after 00:30: the delay's button opens the time dialog.
    auto* Classes = OpenFromTree<TCOSForm>("Class of Service");
    ASSERT_NE(Classes, nullptr);
    Go(Classes, 1, 4);
    Classes->OpenDetail();
    auto* Class5 = Child<TCOSDetailForm>();
    ASSERT_NE(Class5, nullptr) << BoxTexts();
    const int Delay = Class5->FindRowByKey(1, "Delay Time");
    ASSERT_GE(Delay, 0);
    EXPECT_EQ(Class5->Grid->Cells(1, Delay), "00:30");
    Go(Class5, 1, Delay);
    EXPECT_TRUE(WithDialog<TSetTimeForm>([&] { Class5->GridButtonClick(); }, [](TSetTimeForm& D) {
        EXPECT_EQ(D.GetTimeField(1), "0:30");
        D.SetTimeField(1, "01:15");
        QTest::mouseClick(D.OKBtn, Qt::LeftButton);
    }));
    EXPECT_EQ(Class5->Grid->Cells(1, Delay), "01:15");   // as the device shows its own delays
    EXPECT_TRUE(Class5->Modified);
    // A delay cleared in the dialog is refused: the device has no way to be given none.
    EXPECT_TRUE(WithDialog<TSetTimeForm>([&] { Class5->GridButtonClick(); }, [](TSetTimeForm& D) {
        D.ClearTimeField(1);
        QTest::mouseClick(D.OKBtn, Qt::LeftButton);
    }));
    EXPECT_EQ(Class5->Grid->Cells(1, Delay), "01:15");
    EXPECT_EQ(BoxCount("\"Delay Time\" cannot be emptied: the VMU has no way to be given it empty.\r\nThe cell now "
                       "holds \"01:15\"."),
        1)
        << BoxTexts();
    QTest::mouseClick(Class5->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Class5->Modified) << BoxTexts();
    EXPECT_EQ(Saved()["Class of Service"]["5"]["Delay Time"], "01:15") << BoxTexts();

    // Loaded again, and saved to a data file and opened again, the delay passes every check without a word.
    Class5->close();
    Classes->close();
    QApplication::processEvents();
    Main->FileModeBatch1Execute();
    Dialogs.Boxes.clear();
    Main->SystemLoadDataFromVMU1Execute();
    ASSERT_FALSE(Main->NoData) << BoxTexts();
    const std::string File = Dir() + "delay.sav";
    Dialogs.FileAnswers = {File};
    ASSERT_TRUE(Main->FileSaveAs1Execute()) << BoxTexts();
    Dialogs.FileAnswers = {File};
    Main->FileOpen1Execute();
    EXPECT_EQ(Main->FileName, File);
    EXPECT_EQ(Data("Delay Time", Data("COS No. 5"))->GetValue(), "01:15");
    EXPECT_EQ(BoxTexts().find("Delay Time"), std::string::npos) << BoxTexts();
}
