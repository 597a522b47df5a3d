// Two time frames of a day (a service's hours): each a start and an end time, or the whole day ("All Day"), or
// none ("No Use"). LoadFrames takes the four texts as the device gives them (after SetHour12), GetFrames gives
// them back with whole days and empty frames folded into "All Day"/"No Use" (TimeText.h: FoldFrames). OK checks
// the frames and stays open with the message while they are not sound.
#pragma once

#include "forms/dialogs/SetTime.h"

class QRadioButton;

class TSetTimeFramesForm : public TSetTimeForm {
    Q_OBJECT
public:
    explicit TSetTimeFramesForm(QWidget* Owner = nullptr);

    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* EditRadio = nullptr;
    QRadioButton* AllDayRadio = nullptr;
    QRadioButton* NoUseRadio = nullptr;
    QPushButton* ClearFrame2Button = nullptr;
    std::string AllDayStart;
    std::string AllDayEnd;

    void LoadFrames(const std::string& Start1, const std::string& End1, const std::string& Start2,
        const std::string& End2);
    void GetFrames(std::string& Start1, std::string& End1, std::string& Start2, std::string& End2) const;
    TFrameMode Mode() const;
    void SelectMode(TFrameMode Mode);
    void ClearFrame2ButtonClick();

protected:
    void OKBtnClick() override;
};
