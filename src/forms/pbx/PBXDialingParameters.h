// The "PBX Dialing Parameters" window: the PBX type, the integration mode, one extension row per VPS port and the
// dial strings D0-D9. Choosing a type or a mode fills the rows with that PBX's presets (Pbx::PresetFor); a mode the
// type does not support is refused. The type list and the long name of "TD1232" follow the device's firmware.
//
// A new type also brings the tone codes of "Inband Signaling": Apply reads that section first (interactive mode),
// stores the PBX section, then writes the codes with their change marks and stores "Inband Signaling" too. When
// the codes cannot be read or stored, the user is told and the window stays modified, so Apply tries them again.
#pragma once

#include "forms/base/BaseGrid.h"

class TPBXDialingParametersForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TPBXDialingParametersForm(const TFormCreation& Creation);

    // The type shown when the window was loaded or last stored with its tone codes.
    std::string LoadedPBXType;
    // The port whose row is being placed or made (1 to PortCount), and the ports.
    int32_t PortCounter = 1;
    int32_t PortCount = 0;
    // Ports the user edited; only they are sent (the device presets the others itself).
    std::vector<bool> PortChanged;
    // The dial string whose row is being placed (0 to 9).
    int32_t DialCounter = 0;

    int FirstDialRow() const { return PortCount + 2; }

    // Row 1 := the type's mode, then the presets of type and mode.
    void ApplyPBXType(const std::string& Type);
    // The presets of type and mode into the port and dial-string rows; a type outside the table changes nothing.
    void PresetDialStrings(const std::string& Type, const std::string& Mode);
    void ClearPortExtensions();
    bool ApplyChanges(bool Notify) override;

protected:
    void InitForm() override;
    bool NodeHandled(TXmlNode* Node, bool IsView) override;
    bool RepeatTemplateNode(TXmlNode* Node) override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void RecordNodeCreated(TXmlNode* Node) override;
    void FormatPropertyCaption(const std::string& S, std::string& R) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void TextToValue(const std::string& Text, int Col, std::string& S, int Row) override;
    void AfterWriteBack() override;
    void SetEditText(int ACol, int ARow, std::string& Value);

private:
    int32_t Firmware() const;
    bool NextPort();
    // Reads (interactive mode) and finds "Inband Signaling" before anything is stored; null after a message.
    TXmlNode* InbandSectionForTypeChange();
    // Stores the tone codes of the shown type; false after a message.
    bool StoreInbandCodes();
    int32_t FCaptionNumber = 1;
};
