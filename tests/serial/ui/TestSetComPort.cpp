// The "Com Port Setup" dialog and the port picker, offscreen and scripted.
#include "../PtyPair.h"

#include "serial/ui/SerComboBox.h"
#include "serial/ui/SetComPort.h"
#include "support/RecordingDialogs.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QPushButton>
#include <QTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
// Counts how often the settings reach the driver as a whole.
class TCountingPort : public TCustomSerPort {
public:
    int Setups = 0;

protected:
    void SetupComPort() override
    {
        ++Setups;
        TCustomSerPort::SetupComPort();
    }
};

// Presses a button of the modal dialog once it shows; gives up (Cancel) after a long while.
void pressWhenShown(const char* button)
{
    auto* timer = new QTimer;
    auto started = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, button, started] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal) {
            if (auto* b = modal->findChild<QPushButton*>(button))
                b->click();
        } else if (++*started < 1000) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        delete started;
    });
    timer->start(10);
}

// What a user's pick does: the selection moves, then the list says it was activated.
void choose(TSerComboBox& box, const char* text)
{
    int i = box.findText(text);
    box.setCurrentIndex(i);
    emit box.activated(i);
}
}

TEST(SetComPortForm, ShowsThePortsValuesAndOffersTheListedChoices)
{
    TSerPort port;
    port.SetPort("COM2");
    port.SetBaudRate(br2400);
    port.Parity().SetBits(prEven);
    port.SetStopBits(sbTwoStopBits);
    port.SetDataBits(dbSeven);
    TSetComPortForm form(nullptr, &port);
    EXPECT_EQ(form.windowTitle(), "Com Port Setup");
    EXPECT_EQ(form.ComboComPort->Text(), "COM2");
    EXPECT_EQ(form.ComboBaudRate->currentText(), "2400");
    EXPECT_EQ(form.ComboBaudRate->count(), 8);
    EXPECT_EQ(form.ComboDataBitLen->currentText(), "7");
    EXPECT_EQ(form.ComboParity->currentText(), "Even");
    EXPECT_EQ(form.ComboStopBitLen->currentText(), "2");
    EXPECT_EQ(form.OKBtn->text(), "OK");
    EXPECT_TRUE(form.OKBtn->isDefault());
    EXPECT_EQ(form.CancelBtn->text(), "Cancel");
    auto* label = form.findChild<QLabel*>("LabelDataBitLen");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Data Bit Length:");
    EXPECT_TRUE(label->font().bold());
    EXPECT_GE(form.width(), 235);
    EXPECT_GE(form.height(), 189);
}

TEST(SetComPortForm, ThePortBoxShowsAWholeDevicePath)
{
    for (const char* path : {"COM1", "/dev/ttyUSB0", "/dev/serial/by-id/usb-Vendor_Serial_Adapter_A1B2C3-if00-port0"}) {
        SCOPED_TRACE(path);
        TSerPort port;
        port.SetPort(path);
        TSetComPortForm form(nullptr, &port);
        form.show();
        QApplication::processEvents();
        ASSERT_EQ(form.ComboComPort->Text(), path);
        EXPECT_LE(form.ComboComPort->sizeHint().width(), form.ComboComPort->width());
        EXPECT_GE(form.width(), 235);
        if (std::string(path) == "/dev/ttyUSB0")
            form.grab().save(ScreenshotPath("dialog-com-port-setup.png"));
    }
}

TEST(SetComPortForm, ValuesTheListsLackShowTheUsualEntryAndOkAppliesOnce)
{
    TPtyPair pty;
    TCountingPort port;
    port.SetPort(pty.SlavePath);
    port.SetEvents(TSerEvents{});
    port.SetBaudRate(br14400);
    port.SetDataBits(dbFive);
    port.Parity().SetBits(prMark);
    port.SetStopBits(sbOne5StopBits);
    port.Open();
    port.Setups = 0;

    TSetComPortForm form(nullptr, &port);
    EXPECT_EQ(form.ComboBaudRate->currentText(), "9600");
    EXPECT_EQ(form.ComboDataBitLen->currentText(), "8");
    EXPECT_EQ(form.ComboParity->currentText(), "None");
    EXPECT_EQ(form.ComboStopBitLen->currentText(), "1");
    // The simulator's pseudo-terminal is no listed port: it is shown, and kept.
    EXPECT_EQ(form.ComboComPort->Text(), pty.SlavePath);

    form.ApplySettings();
    EXPECT_EQ(port.Setups, 1);
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.DataBits(), dbEight);
    EXPECT_EQ(port.Parity().Bits(), prNone);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_EQ(port.Port(), pty.SlavePath);
    EXPECT_TRUE(port.Connected());
}

TEST(SetComPortForm, OkAndCancelThroughTheModalRun)
{
    TSerPort port;
    port.SetPort("/tmp/orlantis-no-such-port");
    port.SetBaudRate(br1200);

    pressWhenShown("CancelBtn");
    EXPECT_FALSE(ExecuteComPortSetup(&port, nullptr, [](QWidget& w) {
        w.findChild<QComboBox*>("ComboBaudRate")->setCurrentIndex(0);
    }));
    EXPECT_EQ(port.BaudRate(), br1200);
    EXPECT_EQ(port.Port(), "/tmp/orlantis-no-such-port");

    pressWhenShown("OKBtn");
    bool textsApplied = false;
    EXPECT_TRUE(ExecuteComPortSetup(&port, nullptr, [&](QWidget& w) {
        textsApplied = w.objectName() == "SetComPortForm";
        w.findChild<QComboBox*>("ComboBaudRate")->setCurrentIndex(7);   // "38400"
    }));
    EXPECT_TRUE(textsApplied);
    EXPECT_EQ(port.BaudRate(), br38400);
    EXPECT_EQ(port.Port(), "/tmp/orlantis-no-such-port");
}

// A user who tried another port (COM1, no device there) must find the port the program was started on, and the
// one it is set to, in the list whatever the machine lists; a path can be typed; a typed text that names no port
// is refused with a box and the dialog stays open.
TEST(SetComPortForm, ListsTheCurrentAndTheStartPortAndTakesATypedPath)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    const std::string simPort = "/tmp/orlantis-run-port";
    TSerPort port;
    port.SetPort("COM1");
    TSetComPortForm form(nullptr, &port);
    form.ComboComPort->SetKnownPorts({simPort});
    auto listed = [&](const std::string& name) { return form.ComboComPort->findText(QString::fromStdString(name)) >= 0; };
    EXPECT_TRUE(listed("COM1"));
    EXPECT_TRUE(listed(simPort));
    EXPECT_EQ(form.ComboComPort->Text(), "COM1");
    EXPECT_FALSE(form.PortChosen());
    choose(*form.ComboComPort, simPort.c_str());
    EXPECT_TRUE(form.PortChosen());
    form.ApplySettings();
    EXPECT_EQ(port.Port(), simPort);
    // Each listed once, however often the list is made again.
    form.ComboComPort->SetKnownPorts({simPort, "com1"});
    for (const std::string& name : {std::string("COM1"), simPort}) {
        int times = 0;
        for (int i = 0; i < form.ComboComPort->count(); ++i)
            times += form.ComboComPort->itemText(i).toStdString() == name;
        EXPECT_EQ(times, 1) << name;
    }

    struct TTyped {
        const char* Text;
        bool Taken;
        const char* Port;   // the port after OK
    };
    for (const TTyped& t : {TTyped{"/dev/pts/77", true, "/dev/pts/77"}, TTyped{"com7", true, "COM7"},
             TTyped{"96", true, "COM96"}, TTyped{"97", false, ""}, TTyped{"ttyUSB0", false, ""},
             TTyped{"/", false, ""}}) {
        SCOPED_TRACE(t.Text);
        TSerPort typedPort;
        typedPort.SetPort(simPort);
        TSetComPortForm typed(nullptr, &typedPort);
        QLineEdit* edit = typed.ComboComPort->lineEdit();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, t.Text);
        EXPECT_TRUE(typed.PortChosen());
        dialogs.Boxes.clear();
        typed.OKBtn->click();
        EXPECT_EQ(typed.result() == QDialog::Accepted, t.Taken);
        EXPECT_EQ(dialogs.Boxes.size(), t.Taken ? 0u : 1u);
        if (t.Taken) {
            typed.ApplySettings();
            EXPECT_EQ(typedPort.Port(), t.Port);
        } else {
            EXPECT_NE(dialogs.LastText().find(t.Text), std::string::npos) << dialogs.LastText();
            EXPECT_EQ(typedPort.Port(), simPort);
        }
    }
}

TEST(SerComboBox, FollowsItsPortAndForgetsItWhenItGoes)
{
    auto port = std::make_unique<TSerPort>();
    TSerComboBox box;
    box.SetComPort(port.get());
    box.SetComProperty(cpBaudRate);
    EXPECT_EQ(box.count(), 16);
    EXPECT_EQ(box.Text(), "9600");

    QSignalSpy changed(&box, &TSerComboBox::Changed);
    choose(box, "19200");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(port->BaudRate(), br9600);   // AutoApply off
    box.ApplySettings();
    EXPECT_EQ(port->BaudRate(), br19200);
    box.SetAutoApply(true);
    choose(box, "300");
    EXPECT_EQ(port->BaudRate(), br300);

    box.SetText("no such rate");
    EXPECT_EQ(box.Text(), "300");
    box.SetText("Custom");
    EXPECT_EQ(box.Text(), "Custom");

    port.reset();
    EXPECT_EQ(box.ComPort(), nullptr);
    EXPECT_EQ(box.currentIndex(), 0);
    box.ApplySettings();   // no port: nothing to write
}

TEST(SerComboBox, WithoutAPortTheFirstEntryIsSelected)
{
    TSerComboBox box;
    box.SetComProperty(cpParity);
    EXPECT_EQ(box.Text(), "None");
    box.SetComProperty(cpNone);
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.Text(), "");
}
