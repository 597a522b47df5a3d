// The "RS-232C Parameters" window: the device's own serial settings (baud rate, data bits, parity, stop bits,
// rows 0 to 3 as the view description orders them). Changes are applied with OK (there is no Apply button); in
// batch mode nothing can be changed, since the line in use would no longer match a device that is not there.
//
// Once the device has accepted new settings, closing the window hands them to the main window, which reconnects
// with them after the window is gone. A refused apply hands nothing on: the port stays as it is.
#pragma once

#include "forms/base/BaseGrid.h"
#include "forms/simple/SimpleFormRules.h"

class TRS232CParametersForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TRS232CParametersForm(const TFormCreation& Creation);

    // An apply of this window was accepted (by the device in interactive mode).
    bool Applied = false;
    // The settings that apply stored, in row order.
    TRS232CSettings RS232CSettings;

    bool ApplyChanges(bool Notify) override;

protected:
    void InitForm() override;
    void closeEvent(QCloseEvent* Event) override;

private:
    bool FPosted = false;
};
