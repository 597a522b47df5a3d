// The class-of-service windows in the real main window against the device simulator, interactive mode: a double
// click opens the class under the mouse even when it came right after the list opened, the detail window shows
// its labelled rows, and an authorisation switched on shows the values the device filled in itself, in the
// detail window, in the list and in the data document, right after Apply (the section is read back).
#include "FormsOnDevice.h"

#include "vmusim/SimProcess.h"

#include "forms/service/COS.h"
#include "forms/service/COSDetail.h"
#include "shell/FormRegistry.h"
#include "support/Screenshots.h"

#include <QMouseEvent>
#include <QPushButton>

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TCOSForm>()};

const char* const Filled[] = {"Notification Retry Times", "Notification Retry Interval",
    "Notification Busy Retry Interval"};

class ReadBackOnDevice : public TFormsOnDevice {
protected:
    TCOSDetailForm* Detail() const
    {
        TCOSDetailForm* Form = nullptr;
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* Found = qobject_cast<TCOSDetailForm*>(F))
                Form = Found;
        return Form;
    }
};

} // namespace

TEST_F(ReadBackOnDevice, AnAuthorisationSwitchedOnShowsWhatTheDeviceFilledIn)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    auto* Classes = OpenFromTree<TCOSForm>("Class of Service");
    ASSERT_NE(Classes, nullptr);
    ASSERT_EQ(Classes->Grid->RowCount(), 8);
    EXPECT_EQ(Classes->Grid->Row(), 0);

    // A double click on the fourth class whose press never reached the grid (the list had just opened).
    const QPoint At = Classes->Grid->CellRect(Classes->Grid->FixedCols(), 3 + 1).center();
    QMouseEvent Double(QEvent::MouseButtonDblClick, At, Classes->Grid->viewport()->mapToGlobal(At), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Classes->Grid->viewport(), &Double);
    QApplication::processEvents();
    TCOSDetailForm* Class4 = Detail();
    ASSERT_NE(Class4, nullptr) << BoxTexts();
    EXPECT_EQ(Class4->Index, 3);

    // Its rows are labelled, the class number first and locked; no row lacks its label.
    ASSERT_GT(Class4->Grid->RowCount(), 10);
    EXPECT_EQ(Trim(Class4->Grid->Cells(0, 0)), "COS No.");
    EXPECT_EQ(Class4->Grid->Cells(1, 0), "4");
    EXPECT_TRUE(Class4->Grid->GetCellValueOptions(1, 0) & voReadOnly);
    for (int Row = 0; Row < Class4->Grid->RowCount(); ++Row)
        EXPECT_FALSE(Trim(Class4->Grid->Cells(0, Row)).empty()) << "row " << Row;
    const int Notify = Class4->FindRowByKey(1, "Authorization for Message Notification");
    ASSERT_GE(Notify, 0);
    EXPECT_EQ(Class4->Grid->Cells(1, Notify), "No");
    EXPECT_EQ(Class4->Grid->Cells(1, Class4->FindRowByKey(1, "Mailbox Capacity Maximum Messages")), "10");

    // Switched on and applied: the device fills the retry values, and every view shows them at once.
    Class4->Grid->SetCells(1, Notify, "Yes");
    std::string Yes = "Yes";
    Class4->Grid->OnSetEditText(1, Notify, Yes);
    Class4->SetModified(true);
    QTest::mouseClick(Class4->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Class4->Modified) << BoxTexts();
    const TState After = Saved();
    TXmlNode* Record = Data("COS No. 4");
    ASSERT_NE(Record, nullptr);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(Filled[i]);
        const std::string DeviceValue = After.at("Class of Service").at("4").at(Filled[i]);
        ASSERT_FALSE(DeviceValue.empty());
        EXPECT_EQ(Class4->Grid->Cells(1, Notify + 1 + i), DeviceValue);
        EXPECT_FALSE(Class4->Grid->GetCellValueOptions(1, Notify + 1 + i) & voReadOnly);
        ASSERT_NE(Data(Filled[i], Record), nullptr);
        EXPECT_EQ(Data(Filled[i], Record)->GetValue(), DeviceValue);
        const int Col = Classes->FindColumnByKey(3, Filled[i]);
        ASSERT_GE(Col, 0);
        EXPECT_EQ(Classes->Grid->Cells(Col, 3), DeviceValue);
    }
    // The reloaded window still names its class and keeps the number locked.
    EXPECT_EQ(Class4->Grid->Cells(1, 0), "4");
    EXPECT_TRUE(Class4->Grid->GetCellValueOptions(1, 0) & voReadOnly);
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
    QApplication::processEvents();
    EXPECT_TRUE(Class4->grab().save(ScreenshotPath("form-cos-detail-read-back.png")));
}
