// The "Time Service" window: a row per weekday (Mon to Sun) with the start and end of the day service, the lunch
// service and three breaks, edited as periods in the time-period dialog (double-click or Enter); the day service
// may also be "Day Mode" or "Night Mode" all day. The service mode (Automatic, Day Mode, Night Mode) is chosen in
// the combo box under the grid and is no column of the rows. Apply marks each changed subtree (Day, Lunch, Break
// Service) and the mode, so that only they are sent.
#pragma once

#include "forms/base/BaseGrid.h"

class QComboBox;
class QLabel;

class TTimeServiceForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TTimeServiceForm(const TFormCreation& Creation);

    QLabel* LabelMode = nullptr;
    QComboBox* ComboMode = nullptr;
    TNodeRef ModeNode;

    // Opens the period dialog for the current cell's period.
    void EditPeriod();
    // What the dialog's OK does: the two cells of the period starting at StartCol take Start and End.
    void SetPeriod(int Row, int StartCol, const std::string& Start, const std::string& End);
    void ComboModeChange();
    bool ApplyChanges(bool Notify) override;
    void GetPrintData(TPrintData& Data) override;

protected:
    void InitForm() override;
    void LoadRecordRows() override;
    bool SkipNode(TXmlNode* Node) override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void TextToValue(const std::string& Text, int Col, std::string& S, int Row) override;
    void RowChanged(const std::vector<int>& Cols, int Row) override;

private:
    void LoadMode();
    std::vector<std::string> ModeValues;
};
