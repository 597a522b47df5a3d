// The modal "Com Port Setup" dialog: the administrator picks the port and its baud rate, data bits, parity and
// stop bits; OK applies them to the port in one update (an open port is reconfigured once), Cancel changes
// nothing. A current value the lists do not offer (14400 baud, five data bits, mark parity, 1.5 stop bits)
// shows the list's usual entry, which OK then applies. The settings-file side is serial/ComPortSettings.h.
// The port may also be typed (a device path or COMn); OK refuses a typed text that names no port, with a box,
// and the dialog stays open.
#pragma once

#include "serial/ComPortSettings.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QPushButton;
class TSerComboBox;

class TSetComPortForm : public QDialog {
    Q_OBJECT
public:
    TSetComPortForm(QWidget* Owner, TCustomSerPort* Port);

    // Writes the chosen settings to the port (nothing without a port). A port that cannot be reopened under its
    // new name raises ESerPort; the settings before it are applied, the port stays closed.
    void ApplySettings();
    // Whether the user picked or typed a port (the port box shows the port's own name until then).
    bool PortChosen() const { return FPortChosen; }
    void accept() override;

    TSerComboBox* ComboComPort;
    QComboBox* ComboBaudRate;
    QComboBox* ComboDataBitLen;
    QComboBox* ComboParity;
    QComboBox* ComboStopBitLen;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    TCustomSerPort* ComPort;
    bool FPortChosen = false;
};

// Runs the dialog for Port, owned by Owner, and applies the choice when it closes with OK (then true).
// ApplyTexts, when given, puts the window's texts from the description document on it before it shows.
// KnownPorts are listed even where the machine does not list them; PortChosen, when given, tells whether the
// user picked or typed the port.
bool ExecuteComPortSetup(TCustomSerPort* Port, QWidget* Owner,
    const std::function<void(QWidget&)>& ApplyTexts = {}, const std::vector<std::string>& KnownPorts = {},
    bool* PortChosen = nullptr);
