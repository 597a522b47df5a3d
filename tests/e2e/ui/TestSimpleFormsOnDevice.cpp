// The RS-232C and simple parameter windows in the real main window against the device simulator: opened from
// the parameter tree (in interactive mode each reads its section from the device first), edited with keys,
// applied to the device and found in the simulator's saved state; in batch mode edited, saved to a data file and
// seen again after reopening it. The RS-232C window hands the new line settings to the main window only when
// the device accepted them. Every window of these sections takes its caption, size and texts from the
// description.
#include "FormsOnDevice.h"
#include "ShownRows.h"

#include "vmusim/SimProcess.h"

#include "forms/simple/CallHold.h"
#include "forms/simple/DialingParameters.h"
#include "forms/simple/DisconnectParameter.h"
#include "forms/simple/ExternalMessageDelivery.h"
#include "forms/simple/FaxManagement.h"
#include "forms/simple/InputOutput.h"
#include "forms/simple/InterDigitTimeout.h"
#include "forms/simple/IntercomPagingParameters.h"
#include "forms/simple/MessageWaitingNotification.h"
#include "forms/simple/PortSetting.h"
#include "forms/simple/RS232CParameters.h"
#include "forms/simple/RotaryTelephoneService.h"
#include "engine/ManagerVMU.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/QtText.h"
#include "serial/SerPort.h"
#include "shell/FormRegistry.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// The program links its window library whole, so that every form joins the registry; a test program links only
// what it uses. Naming the forms' factories here brings their units, and with them their registrations, in.
const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TCallHoldForm>(),
    MakeFormFactory<TDialingParametersForm>(), MakeFormFactory<TDisconnectParameterForm>(),
    MakeFormFactory<TExternalMessageDeliveryForm>(), MakeFormFactory<TFaxManagementForm>(),
    MakeFormFactory<TInputOutputForm>(), MakeFormFactory<TInterDigitTimeoutForm>(),
    MakeFormFactory<TIntercomPagingParametersForm>(), MakeFormFactory<TMessageWaitingNotificationForm>(),
    MakeFormFactory<TPortSettingForm>(), MakeFormFactory<TRS232CParametersForm>(),
    MakeFormFactory<TRotaryTelephoneServiceForm>()};

const std::vector<std::string> Sections = {"Dialing Parameters", "Message Waiting Notification",
    "External Message Delivery", "Call Hold", "Rotary Telephone Service", "Intercom Paging Parameters",
    "Fax Management", "Disconnect Parameter", "RS-232C Parameters", "Port Setting", "Inter-Digit Timeout",
    "Input/Output"};

// The "Value" of a GATTR named Name in the VIEWPARAM named View of a description node ('' when absent).
std::string ViewValue(TXmlNode* Node, const std::string& View, const std::string& Name)
{
    for (const auto& V : Node->Nodes) {
        if (V->GetTag() != "VIEWPARAM" || V->GetName() != View)
            continue;
        for (const auto& G : V->Nodes)
            if (G->GetName() == Name)
                return G->GetAttr("Value");
    }
    return {};
}

class SimpleFormsOnDevice : public TFormsOnDevice {
protected:
    std::string ExtraState() const override
    {
        return "\n[Dialing Parameters]\nPause Time = 3\n"
               "[Input/Output]\n<1>\nInput Code = 9\nOutput Code = 9W\n"
               "<3>\nInput Code = 5\nOutput Code = 5P\n";
    }
    void SetUp() override
    {
        ASSERT_EQ(LinkedForms.size(), Sections.size());
        TFormsOnDevice::SetUp();
    }
};

} // namespace

TEST_F(SimpleFormsOnDevice, InteractiveWindowsReadTheDeviceAndApplyToIt)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;

    // Dialing Parameters: the device's value, typed changes, the dial string in capitals.
    auto* Dialing = OpenFromTree<TDialingParametersForm>("Dialing Parameters");
    ASSERT_NE(Dialing, nullptr);
    EXPECT_EQ(Trim(Dialing->Grid->Cells(0, 2)), "Pause Time (s)");
    EXPECT_EQ(Dialing->Grid->Cells(1, 2), "3");   // what the device holds, not the description's default
    TypeInto(Dialing, 1, 2, "7");
    TypeInto(Dialing, 1, 4, "fp");
    EXPECT_EQ(Dialing->Grid->Cells(1, 4), "FP");
    EXPECT_EQ(Dialing->windowTitle(), "Dialing Parameters*");
    QTest::mouseClick(Dialing->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Dialing->windowTitle(), "Dialing Parameters") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Dialing Parameters"][""]["Pause Time"], "7") << BoxTexts();
    EXPECT_EQ(After["Dialing Parameters"][""]["Transfer Dialing Sequence"], "FP");
    Dialing->close();

    // Intercom Paging Parameters: a code the VMU has no way to be given empty is refused empty in its cell, and the
    // Apply sends the other code alone.
    auto* Paging = OpenFromTree<TIntercomPagingParametersForm>("Intercom Paging Parameters");
    ASSERT_NE(Paging, nullptr);
    TypeInto(Paging, 1, 0, "*7");
    TypeInto(Paging, 1, 1, "");
    EXPECT_EQ(Paging->Grid->Cells(1, 1), "#5");
    EXPECT_EQ(BoxCount("\"Paging Cancel Code\" cannot be emptied: the VMU has no way to be given it empty.\r\nThe "
                       "cell now holds \"#5\"."),
        1)
        << BoxTexts();
    QTest::mouseClick(Paging->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Paging->Modified) << BoxTexts();
    After = Saved();
    EXPECT_EQ(After["Intercom Paging Parameters"][""]["Paging Access Code"], "*7");
    EXPECT_EQ(After["Intercom Paging Parameters"][""]["Paging Cancel Code"], "#5");
    Paging->close();

    // Message Waiting Notification: a port list stored in the device's form.
    auto* Lamps = OpenFromTree<TMessageWaitingNotificationForm>("Message Waiting Notification");
    ASSERT_NE(Lamps, nullptr);
    EXPECT_EQ(Lamps->Grid->Cells(1, 0), "1-2");
    TypeInto(Lamps, 1, 0, "4,1-2,3");
    EXPECT_EQ(Lamps->Grid->Cells(1, 0), "1-4");
    TypeInto(Lamps, 1, 1, "1,9");   // the device has four ports
    EXPECT_EQ(Lamps->Grid->Cells(1, 1), "1-2");
    EXPECT_EQ(BoxCount("Number 9 is out of range 1 to 4.\r\nThe cell now holds \"1-2\". What was typed stays in its "
                       "editor to be corrected; Esc gives it up."),
        1)
        << BoxTexts();
    // What was typed waits in the editor; OK would refuse it again, so it is given up first.
    ASSERT_TRUE(Lamps->Grid->EditorShowing());
    EXPECT_EQ(Lamps->Grid->InplaceEditor()->LineEdit()->text(), "1,9");
    QTest::keyClick(Lamps->Grid->InplaceEditor()->LineEdit(), Qt::Key_Escape);
    QTest::mouseClick(Lamps->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(M.ChildForms().empty());
    After = Saved();
    EXPECT_EQ(After["Message Waiting Notification"][""]["Lamp On VPS Ports"], "1-4") << BoxTexts();

    // RS-232C: OK applies (there is no Apply button); the main window then reconnects with the new settings.
    auto* Line = OpenFromTree<TRS232CParametersForm>("RS-232C Parameters");
    ASSERT_NE(Line, nullptr);
    EXPECT_TRUE(Line->ButtonApply->isHidden());
    EXPECT_EQ(Line->Grid->Cells(1, 0), "9600");
    Go(Line, 1, 0);
    Key(Line, Qt::Key_Return);   // the drop-down list
    ASSERT_TRUE(Line->Grid->PickList() && Line->Grid->PickList()->isVisible());
    Key(Line, Qt::Key_Down);
    Key(Line, Qt::Key_Return);
    EXPECT_EQ(Line->Grid->Cells(1, 0), "19200");
    Dialogs.Answers = {mrYes};   // restore the connection with the new parameters
    QTest::mouseClick(Line->ButtonOK, Qt::LeftButton);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    EXPECT_TRUE(M.ChildForms().empty());
    EXPECT_EQ(Saved()["RS-232C Parameters"][""]["Baud Rate"], "19200") << BoxTexts();
    EXPECT_EQ(BoxCount(Utilits::SConfirmReconnect), 1) << BoxTexts();
    EXPECT_EQ(M.ComPort->BaudRate(), br19200);
    EXPECT_TRUE(M.Connected) << BoxTexts();
}

TEST_F(SimpleFormsOnDevice, ARefusedLineSettingLeavesThePortAsItIs)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;
    auto* Line = OpenFromTree<TRS232CParametersForm>("RS-232C Parameters");
    ASSERT_NE(Line, nullptr);
    // A speed the device does not have (the drop-down offers none such; a data file could hold one).
    Line->Grid->SetCells(1, 0, "57600");
    QTest::mouseClick(Line->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    // The device refused: the window stays open with its edit, and nothing went to the main window.
    ASSERT_EQ(M.ChildForms().size(), 1u) << BoxTexts();
    EXPECT_FALSE(Line->Applied);
    QTest::mouseClick(Line->ButtonCancel, Qt::LeftButton);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    EXPECT_TRUE(M.ChildForms().empty());
    EXPECT_EQ(BoxCount(Utilits::SConfirmReconnect), 0) << BoxTexts();
    EXPECT_EQ(M.ComPort->BaudRate(), br9600);
    EXPECT_TRUE(M.Connected);
    EXPECT_EQ(ParseState(ReadFile(SavedPath))["RS-232C Parameters"][""]["Baud Rate"], "9600");
}

TEST_F(SimpleFormsOnDevice, BatchEditsReachTheDataFileAndComeBack)
{
    StartSim();
    const std::string File = Dir() + "device.sav";
    {
        TMainForm& M = StartMain(true);
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << BoxTexts();
        M.SystemLoadDataFromVMU1Execute();
        ASSERT_FALSE(M.NoData) << BoxTexts();

        // One description row for the eight paging groups.
        auto* Paging = OpenFromTree<TIntercomPagingParametersForm>("Intercom Paging Parameters");
        ASSERT_NE(Paging, nullptr);
        ASSERT_EQ(Paging->Grid->RowCount(), 10);
        for (int Group = 1; Group <= 8; ++Group)
            EXPECT_EQ(Trim(Paging->Grid->Cells(0, Group + 1)), "Paging Code for Group " + std::to_string(Group));
        TypeInto(Paging, 1, 4, "*3");
        TypeInto(Paging, 1, 0, "*5x");
        EXPECT_EQ(Paging->Grid->Cells(1, 0), "*5X");
        QTest::mouseClick(Paging->ButtonOK, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(Data("Paging Code for Group 3")->GetValue(), "*3");
        EXPECT_EQ(Data("Paging Code for Group 3")->GetAttr("Change"), "Modify");

        // The line settings cannot be changed without the device.
        auto* Line = OpenFromTree<TRS232CParametersForm>("RS-232C Parameters");
        ASSERT_NE(Line, nullptr);
        for (int Row = 0; Row < 4; ++Row)
            EXPECT_TRUE(Line->Grid->GetCellValueOptions(1, Row) & voReadOnly) << Row;
        Line->close();

        // Input/Output: the output code follows its input code.
        auto* Codes = OpenFromTree<TInputOutputForm>("Input/Output");
        ASSERT_NE(Codes, nullptr);
        ASSERT_EQ(Codes->Grid->RowCount(), 10);
        EXPECT_EQ(Codes->Grid->Cells(0, 9), "10");
        EXPECT_EQ(Codes->Grid->Cells(1, 0), "9");
        EXPECT_FALSE(Codes->Grid->GetCellValueOptions(2, 0) & voReadOnly);
        EXPECT_TRUE(Codes->Grid->GetCellValueOptions(2, 1) & voReadOnly);
        TypeInto(Codes, 1, 1, "#2");
        EXPECT_FALSE(Codes->Grid->GetCellValueOptions(2, 1) & voReadOnly);
        TypeInto(Codes, 2, 1, "12w");
        EXPECT_EQ(Codes->Grid->Cells(2, 1), "12W");
        TypeInto(Codes, 1, 0, "8");
        EXPECT_EQ(Codes->Grid->Cells(2, 0), "9W");
        TypeInto(Codes, 1, 2, "");
        EXPECT_EQ(Codes->Grid->Cells(2, 2), "");
        EXPECT_TRUE(Codes->Grid->GetCellValueOptions(2, 2) & voReadOnly);
        QTest::mouseClick(Codes->ButtonOK, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_TRUE(M.ChildForms().empty());

        // Port Setting: a table whose port numbers and line interfaces cannot be changed.
        auto* Ports = OpenFromTree<TPortSettingForm>("Port Setting");
        ASSERT_NE(Ports, nullptr);
        ASSERT_EQ(Ports->Grid->RowCount(), 4);
        const int Last = Ports->Grid->ColumnCount() - 1;
        for (int Row = 0; Row < 4; ++Row) {
            EXPECT_EQ(Ports->Grid->Cells(0, Row), std::to_string(Row + 1));
            EXPECT_TRUE(Ports->Grid->GetCellValueOptions(0, Row) & voReadOnly);
            EXPECT_TRUE(Ports->Grid->GetCellValueOptions(Last, Row) & voReadOnly);
        }
        TypeInto(Ports, 3, 1, "4");
        QTest::mouseClick(Ports->ButtonOK, Qt::LeftButton);
        QApplication::processEvents();

        // Fax Management: the checks refuse with their message and put the text back.
        auto* Fax = OpenFromTree<TFaxManagementForm>("Fax Management");
        ASSERT_NE(Fax, nullptr);
        const std::string First = Fax->Grid->Cells(1, 1);
        ASSERT_FALSE(First.empty());
        TypeInto(Fax, 1, 2, First);
        EXPECT_EQ(Fax->Grid->Cells(1, 2), "");
        EXPECT_EQ(Dialogs.LastText(), "Duplicate extension number in this form.\r\nThe cell now holds nothing.");
        TypeInto(Fax, 1, 4, "777");
        EXPECT_EQ(Fax->Grid->Cells(1, 4), "");
        EXPECT_EQ(Dialogs.LastText(), "Mailbox number 777 does not exist.\r\nThe cell now holds nothing.");
        TypeInto(Fax, 1, 4, "105");
        EXPECT_EQ(Fax->Grid->Cells(1, 4), "105");
        QTest::mouseClick(Fax->ButtonCancel, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_TRUE(M.ChildForms().empty());

        Dialogs.FileAnswers = {File};
        ASSERT_TRUE(M.FileSaveAs1Execute()) << BoxTexts();
        Main.reset();
    }
    TMainForm& M = StartMain(true);
    Dialogs.FileAnswers = {File};
    M.FileOpen1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();
    auto* Paging = OpenFromTree<TIntercomPagingParametersForm>("Intercom Paging Parameters");
    ASSERT_NE(Paging, nullptr);
    EXPECT_EQ(Paging->Grid->Cells(1, 4), "*3");
    EXPECT_EQ(Paging->Grid->Cells(1, 0), "*5X");
    Paging->close();
    auto* Codes = OpenFromTree<TInputOutputForm>("Input/Output");
    ASSERT_NE(Codes, nullptr);
    EXPECT_EQ(Codes->Grid->Cells(1, 1), "#2");
    EXPECT_EQ(Codes->Grid->Cells(2, 1), "12W");
    EXPECT_EQ(Codes->Grid->Cells(1, 0), "8");
    EXPECT_EQ(Codes->Grid->Cells(1, 2), "");

    // Sent to the device in one run. The device empties an output code whenever its input code changes: the
    // changed input code goes with the output code shown beside it, the emptied one without it (the device
    // would refuse it), the new one with its own.
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    Codes->close();
    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    TState After = Saved();
    EXPECT_EQ(After["Intercom Paging Parameters"][""]["Paging Code for Group 3"], "*3") << BoxTexts();
    EXPECT_EQ(After["Input/Output"]["2"]["Input Code"], "#2");
    EXPECT_EQ(After["Input/Output"]["2"]["Output Code"], "12W");
    EXPECT_EQ(After["Input/Output"]["1"]["Input Code"], "8");
    EXPECT_EQ(After["Input/Output"]["1"]["Output Code"], "9W");
    EXPECT_EQ(After["Input/Output"]["3"]["Input Code"], "");
    EXPECT_EQ(After["Input/Output"]["3"]["Output Code"], "");
    EXPECT_EQ(After["Port Setting"]["2"]["Ring Count"], "4");
}

TEST_F(SimpleFormsOnDevice, EveryWindowTakesItsCaptionSizeAndTextsFromTheDescription)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(true, true));
    TMainForm& M = *Main;
    Dialogs.Boxes.clear();   // the reminder after a load
    for (const std::string& Section : Sections) {
        SCOPED_TRACE(Section);
        TXmlNode* Node = Describing(Section);
        ASSERT_NE(Node, nullptr);
        auto* F = OpenFromTree<TBaseGridForm>(Section);
        ASSERT_NE(F, nullptr);
        EXPECT_EQ(FromQ(F->windowTitle()), ViewValue(Node, "Form Info", "FormCaption"));
        EXPECT_EQ(std::to_string(F->width()), ViewValue(Node, "Form Info", "FormWidth"));
        EXPECT_EQ(std::to_string(F->height()), ViewValue(Node, "Form Info", "FormHeight"));
        EXPECT_EQ(F->HelpKeyword(), ViewValue(Node, "Form Info", "HelpContextName"));
        EXPECT_TRUE(F->IsEditable());
        // The first cell's caption and hint.
        TXmlNode* First = nullptr;
        TXmlWalk Walk;
        for (TXmlNode* N = Walk.First(Node, M.TemplateDoc->Root()); N && !First; N = Walk.Next(N))
            if (N != Node && !ViewValue(N, "Cell Info", "Hint").empty())
                First = N;
        ASSERT_NE(First, nullptr);
        if (F->PropertyMode) {
            EXPECT_EQ(Trim(F->Grid->Cells(0, 0)), ViewValue(First, "Cell Info", "PropertyCaption"));
            EXPECT_EQ(F->Grid->Columns()[1]->Caption(), "Value");
        } else {
            EXPECT_EQ(F->Grid->Columns()[0]->Caption(), ViewValue(First, "Cell Info", "ColumnCaption"));
        }
        Go(F, 1, 0);
        EXPECT_FALSE(F->StatusBar->currentMessage().isEmpty());
        if (Section == "Dialing Parameters") {
            QDir().mkpath(QString(ORLANTIS_BIN_DIR) + "/../screenshots");
            ExpectLabelledRows(F, 5);
            EXPECT_TRUE(F->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/form-dialing-parameters.png"));
        }
        if (Section == "Port Setting") {
            ExpectLabelledRows(F, 4);
            EXPECT_TRUE(F->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/form-port-setting.png"));
        }
        if (Section == "Intercom Paging Parameters") {
            ExpectLabelledRows(F, 10);
            EXPECT_TRUE(F->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/form-intercom-paging.png"));
        }
        F->close();
        QApplication::processEvents();
        EXPECT_TRUE(M.ChildForms().empty());
    }
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
}

// The device refuses a fax extension the other one holds: the two exchanged reach it in one Apply, through a free
// number, and the window is left with nothing to write.
TEST_F(SimpleFormsOnDevice, FaxExtensionsExchangedReachTheDeviceInOneApply)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    auto* Fax = OpenFromTree<TFaxManagementForm>("Fax Management");
    ASSERT_NE(Fax, nullptr);
    const int One = TFaxManagementForm::FaxExtensionRow1, Two = TFaxManagementForm::FaxExtensionRow2;
    ASSERT_EQ(Fax->Grid->Cells(1, One), "250");
    TypeInto(Fax, 1, Two, "251");
    QTest::mouseClick(Fax->ButtonApply, Qt::LeftButton);
    ASSERT_EQ(Saved()["Fax Management"][""]["Fax Extension 2"], "251") << BoxTexts();
    Dialogs.Boxes.clear();
    TypeInto(Fax, 1, One, "999");
    TypeInto(Fax, 1, Two, "250");
    TypeInto(Fax, 1, One, "251");
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
    QTest::mouseClick(Fax->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Fax->Modified) << BoxTexts();
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Fax Management"][""]["Fax Extension 1"], "251");
    EXPECT_EQ(After["Fax Management"][""]["Fax Extension 2"], "250");
    EXPECT_EQ(Fax->Grid->Cells(1, One), "251");
    EXPECT_EQ(Fax->Grid->Cells(1, Two), "250");
}
