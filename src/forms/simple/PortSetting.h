// The "Port Setting" window: one row per VPS port, one column per setting, from the section's view
// description. Column 0 is the port number and the last column the port's line interface; neither can be
// changed (the number selects the port on the device, the interface is its hardware).
#pragma once

#include "forms/base/BaseGrid.h"

class TPortSettingForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TPortSettingForm(const TFormCreation& Creation) : TBaseGridForm(Creation) {}

protected:
    void InitForm() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
};
