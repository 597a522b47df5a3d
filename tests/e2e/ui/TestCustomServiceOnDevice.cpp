// The custom service windows in the real main window against the device simulator, in interactive mode: the
// overview read from the device, a menu opened with Enter, a key assignment changed with its parameter and another
// one dropped, applied and found in the simulator's saved state; a menu reset by emptying its name; and the tree
// report of two menus, which share one report number, each in a preview of its own.
#include "FormsOnDevice.h"

#include "forms/custom/CustomService.h"
#include "forms/custom/CustomServiceDetail.h"
#include "forms/custom/CustomServiceRules.h"
#include "print/PrnObjects.h"
#include "print/ui/PrintGrid.h"
#include "print/ui/PrnPreview.h"
#include "shell/FormRegistry.h"
#include "support/Screenshots.h"

#include <QPushButton>
#include <QToolButton>

using namespace CustomService;

namespace {

const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TCustomServiceForm>(),
    MakeFormFactory<TCustomServiceDetailForm>()};

class CustomServiceOnDevice : public TFormsOnDevice {
protected:
    TCustomServiceForm* Overview = nullptr;

    void OpenOverview()
    {
        ASSERT_NO_FATAL_FAILURE(StartConnected(false));
        Overview = OpenFromTree<TCustomServiceForm>("Custom Service");
        ASSERT_NE(Overview, nullptr);
    }
    // The detail window of menu Row + 1, opened with Enter on its row.
    TCustomServiceDetailForm* OpenMenu(int Row)
    {
        Go(Overview, NameRow, Row);
        Key(Overview, Qt::Key_Return);
        QApplication::processEvents();
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* D = qobject_cast<TCustomServiceDetailForm*>(F); D && D->Index == Row)
                return D;
        return nullptr;
    }
    // A choice from a drop-down list, committed as the list commits it.
    static void Choose(TCustomServiceDetailForm* D, int Row, const std::string& Text)
    {
        D->EditStartText = D->Grid->Cells(1, Row);
        D->Grid->CommitEditText(1, Row, Text);
    }
    std::vector<TPrintGridForm*> TreeReports()
    {
        std::vector<TPrintGridForm*> Found;
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* P = qobject_cast<TPrintGridForm*>(F); P && P->ReportName == "Custom Service Report")
                Found.push_back(P);
        return Found;
    }
    static std::string PreviewText(TPrintGridForm* F)
    {
        std::string Out;
        TPrnPageList& L = F->FPreview->PageList();
        for (int p = 1; p <= L.Count(); ++p)
            for (auto& O : L.GetPage(p).Objects)
                if (auto* T = dynamic_cast<TPrnBaseTextObject*>(O.get()))
                    Out += T->Text + "\n";
        return Out;
    }
};

} // namespace

TEST_F(CustomServiceOnDevice, AKeyAssignmentWithItsParameterIsAppliedToTheDevice)
{
    OpenOverview();
    ASSERT_NE(Overview, nullptr);
    ASSERT_EQ(Overview->Grid->RowCount(), MenuCount);
    ASSERT_EQ(Overview->Grid->ColumnCount(), RowCount);
    EXPECT_TRUE(Overview->LoadReport.empty()) << Overview->LoadReport.front();
    EXPECT_EQ(Overview->Grid->Cells(NameRow, 0), "MAIN MENU");
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(1), 0), "Extn");
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(1) + 1, 0), "210");
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(8), 0), "C.S.");
    EXPECT_EQ(Overview->Grid->Cells(NameRow, 1), "AFTER HOURS");
    EXPECT_EQ(Overview->Grid->Cells(ActionRow, 1), "Mbx");
    EXPECT_EQ(Overview->Grid->Cells(ActionRow + 1, 1), "101");
    EXPECT_EQ(Overview->Grid->Cells(NameRow, 2), "");
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(0), 2), "Oper");
    EXPECT_TRUE(Overview->CustomServiceTreePreviewButton->isEnabled());
    Overview->resize(1060, 420);
    Overview->grab().save(ScreenshotPath("form-custom-service.png"));

    TCustomServiceDetailForm* D = OpenMenu(0);
    ASSERT_NE(D, nullptr) << BoxTexts();
    EXPECT_EQ(D->windowTitle().toStdString(), "Custom Service No. 1");
    EXPECT_EQ(D->Grid->Cells(1, NameRow), "MAIN MENU");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(2)), "Transfer to Mailbox");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(2) + 1), "110");
    EXPECT_TRUE(D->Grid->GetCellValueOptions(1, KeyRow(4) + 1) & voReadOnly);
    // Key 3 now transfers to a mailbox; key 2 repeats the menu and loses its mailbox.
    Choose(D, KeyRow(3), "Transfer to Mailbox");
    TypeInto(D, 1, KeyRow(3) + 1, "777");
    EXPECT_EQ(BoxCount("Mailbox number 777 does not exist.\r\nThe cell now holds nothing."), 1) << BoxTexts();
    TypeInto(D, 1, KeyRow(3) + 1, "102");
    Choose(D, KeyRow(2), "Repeat Menu");
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(2) + 1), "");
    EXPECT_EQ(D->windowTitle().toStdString(), "Custom Service No. 1*");
    D->resize(470, 700);
    D->grab().save(ScreenshotPath("form-custom-service-detail.png"));
    QTest::mouseClick(D->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(D->windowTitle().toStdString(), "Custom Service No. 1") << BoxTexts();

    TState After = Saved();
    auto& Menu = After["Custom Service"]["1"];
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 3/Assignment"], "Transfer to Mailbox") << BoxTexts();
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 3/Assignment Parameter"], "102");
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 2/Assignment"], "Repeat Menu");
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 2/Assignment Parameter"], "");
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 1/Assignment Parameter"], "210");
    TXmlNode* Stored = Data("Custom No. 1");
    ASSERT_NE(Stored, nullptr);
    EXPECT_EQ(Data("Assignment Parameter", Data("Keypad 2", Stored)), nullptr);
    // The overview follows its detail window.
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(3), 0), "Mbx");
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(3) + 1, 0), "102");
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(2), 0), "Rept");
    D->close();
}

TEST_F(CustomServiceOnDevice, AMenuWhoseNameIsEmptiedIsResetOnTheDevice)
{
    OpenOverview();
    ASSERT_NE(Overview, nullptr);
    TCustomServiceDetailForm* D = OpenMenu(1);
    ASSERT_NE(D, nullptr) << BoxTexts();
    EXPECT_EQ(D->Grid->Cells(1, ActionRow), "Transfer to Mailbox");
    TypeInto(D, 1, NameRow, "");
    EXPECT_TRUE(D->Grid->GetCellValueOptions(1, KeyRow(1)) & voReadOnly);
    QTest::mouseClick(D->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(D->windowTitle().toStdString(), "Custom Service No. 2") << BoxTexts();

    TXmlNode* Menu = Data("Custom No. 2");
    ASSERT_NE(Menu, nullptr);
    EXPECT_EQ(Data("No DTMF Parameter", Menu), nullptr);
    EXPECT_EQ(Data("Assignment Parameter", Menu), nullptr);
    TState After = Saved();
    auto& Saved2 = After["Custom Service"]["2"];
    EXPECT_EQ(Saved2["Custom Service Name"], "") << BoxTexts();
    EXPECT_EQ(Saved2["No DTMF Input Operation"], "c");
    EXPECT_EQ(Saved2["No DTMF Parameter"], "");
    EXPECT_EQ(Saved2["Keypad Assignment/Keypad 2/Assignment"], "None");
    EXPECT_EQ(Saved2["Keypad Assignment/Keypad 2/Assignment Parameter"], "");
    D->close();
}

TEST_F(CustomServiceOnDevice, EachMenusTreeReportHasAPreviewOfItsOwn)
{
    OpenOverview();
    ASSERT_NE(Overview, nullptr);
    Go(Overview, NameRow, 0);
    QTest::mouseClick(Overview->CustomServiceTreePreviewButton, Qt::LeftButton);
    ASSERT_EQ(TreeReports().size(), 1u) << BoxTexts();
    TPrintGridForm* First = TreeReports()[0];
    Go(Overview, NameRow, 1);
    QTest::mouseClick(Overview->CustomServiceTreePreviewButton, Qt::LeftButton);
    ASSERT_EQ(TreeReports().size(), 2u) << BoxTexts();
    TPrintGridForm* Second = TreeReports()[0] == First ? TreeReports()[1] : TreeReports()[0];
    const std::string One = PreviewText(First), Two = PreviewText(Second);
    EXPECT_LT(One.find("CUSTOM SERVICE 1:"), One.find("CUSTOM SERVICE 2:")) << One;
    EXPECT_LT(Two.find("CUSTOM SERVICE 2:"), Two.find("CUSTOM SERVICE 1:")) << Two;
    // Asked again, each menu's preview comes to the front instead of a new one.
    Go(Overview, NameRow, 0);
    QTest::mouseClick(Overview->CustomServiceTreePreviewButton, Qt::LeftButton);
    EXPECT_EQ(TreeReports().size(), 2u);
    EXPECT_EQ(Main->MdiArea->activeSubWindow(), First);
}

TEST_F(CustomServiceOnDevice, ANewMenuIsMadeOnTheDeviceWithItsKeys)
{
    OpenOverview();
    ASSERT_NE(Overview, nullptr);
    TCustomServiceDetailForm* D = OpenMenu(4);
    ASSERT_NE(D, nullptr) << BoxTexts();
    EXPECT_EQ(Data("Custom No. 5"), nullptr);
    TypeInto(D, 1, NameRow, "SALES");
    Choose(D, KeyRow(1), "Transfer to Extension");
    TypeInto(D, 1, KeyRow(1) + 1, "220");
    QTest::mouseClick(D->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(D->windowTitle().toStdString(), "Custom Service No. 5") << BoxTexts();
    EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();

    TState After = Saved();
    auto& Menu = After["Custom Service"]["5"];
    EXPECT_EQ(Menu["Custom Service Name"], "SALES");
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 1/Assignment"], "Transfer to Extension");
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 1/Assignment Parameter"], "220");
    EXPECT_EQ(Menu["Keypad Assignment/Keypad 0/Assignment"], "Operator");
    EXPECT_EQ(Menu["Keypad Assignment/Keypad */Assignment"], "Exit");
    // The window and the overview show what the device now holds.
    EXPECT_EQ(D->Grid->Cells(1, KeyRow(1) + 1), "220");
    EXPECT_EQ(Overview->Grid->Cells(NameRow, 4), "SALES");
    EXPECT_EQ(Overview->Grid->Cells(KeyRow(1), 4), "Extn");
    D->close();
}
