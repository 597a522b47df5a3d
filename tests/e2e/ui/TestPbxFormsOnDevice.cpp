// The PBX windows and the alternate-extension window in the real main window against the device simulator: a new
// PBX type brings its presets and sends its tone codes to "Inband Signaling" (seen in the simulator's input log,
// since the device presets the codes too), alternate extensions are deleted and edited at the places the device
// has them, and a save of several sections that fails half-way does not send a deletion twice.
#include "FormsOnDevice.h"

#include "support/Screenshots.h"

#include "common/Utilits.h"
#include "forms/numbering/AlternateExtension.h"
#include "forms/pbx/InbandSignaling.h"
#include "forms/pbx/PBXDialingParameters.h"
#include "platform/Dialogs.h"
#include "shell/FormRegistry.h"

#include <QPushButton>

namespace {

// Naming the forms' factories brings their units, and with them their registrations, into this test program.
const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TPBXDialingParametersForm>(),
    MakeFormFactory<TInbandSignalingForm>(), MakeFormFactory<TAlternateExtensionForm>()};

class PbxFormsOnDevice : public TFormsOnDevice {
protected:
    // A drop-down choice as the grid makes it: the window's cell check, then the cell takes what it answers.
    void Choose(TBaseGridForm* F, int Col, int Row, const std::string& Text)
    {
        Go(F, Col, Row);
        std::string Value = Text;
        F->EditStartText = F->Grid->Cells(Col, Row);
        F->Grid->OnSetEditText(Col, Row, Value);
        F->Grid->SetCells(Col, Row, Value);
        QApplication::processEvents();
    }
    // The lines the device took, from the simulator's input log.
    std::vector<std::string> Taken()
    {
        std::vector<std::string> Lines;
        std::istringstream In(ReadFile(LogPath));
        for (std::string Line; std::getline(In, Line);)
            Lines.push_back(Line);
        return Lines;
    }
    // Whether the device took Item and then Value as the next line.
    bool TookItem(const std::string& Item, const std::string& Value)
    {
        const std::vector<std::string> L = Taken();
        for (size_t i = 0; i + 1 < L.size(); ++i)
            if (L[i] == Item && L[i + 1] == Value)
                return true;
        return false;
    }
    std::vector<std::string> AlternateEntries()
    {
        std::vector<std::string> R;
        auto State = Saved();   // the loop must not run over a part of a temporary that is already gone
        for (const auto& [Record, Fields] : State["Alternate Extension"])
            if (!Record.empty())
                R.push_back(Fields.at("Extension"));
        return R;
    }
    void PressDelete(TBaseGridForm* F, int Row)
    {
        Go(F, 1, Row);
        Key(F, Qt::Key_Delete);
        QApplication::processEvents();
    }
    std::string LogPath = Dir() + "device.log";
};

using Rows = std::vector<std::string>;

} // namespace

TEST_F(PbxFormsOnDevice, ATypeChangeBringsItsPresetsAndItsToneCodesReachTheDevice)
{
    StartSim({"--log", LogPath});
    TMainForm& M = StartMain(false);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();

    auto* Pbx = OpenFromTree<TPBXDialingParametersForm>("PBX Dialing Parameters");
    ASSERT_NE(Pbx, nullptr);
    ASSERT_EQ(Pbx->PortCount, 4);
    ASSERT_EQ(Pbx->Grid->RowCount(), 16);
    // Firmware 4.09 shows the stored "TD1232" by its long name and offers neither "TD612" nor "TDA series".
    EXPECT_EQ(Pbx->Grid->Cells(1, 0), "TD816/TD1232/TD612");
    const std::vector<std::string>* Types = Pbx->Grid->GetCellItems(1, 0);
    ASSERT_NE(Types, nullptr);
    EXPECT_EQ(Types->size(), 8u);
    EXPECT_EQ(std::count(Types->begin(), Types->end(), "TD612=TD612"), 0);
    EXPECT_EQ(Pbx->Grid->Cells(1, 1), "DPT");
    EXPECT_EQ(Trim(Pbx->Grid->Cells(0, 3)), "Extension Number of VPS Port 2");
    EXPECT_EQ(Pbx->Grid->Cells(1, 3), "166");
    EXPECT_EQ(Trim(Pbx->Grid->Cells(0, 15)), "Dial String D9");
    EXPECT_EQ(Pbx->Grid->Cells(1, 6), "FX");

    // A mode the type does not support is refused; an edited port is the only port sent.
    Choose(Pbx, 1, 1, "APT");
    EXPECT_EQ(Pbx->Grid->Cells(1, 1), "DPT");
    EXPECT_EQ(Dialogs.LastText(),
        RefusalMessage(Format(Utilits::SModeIsNotAvailable, {"APT", "TD816/TD1232/TD612"}), "DPT", false));
    TypeInto(Pbx, 1, 3, "177");
    QTest::mouseClick(Pbx->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Saved()["PBX Dialing Parameters"][""]["Extension Number of VPS Port2"], "177") << BoxTexts();
    EXPECT_TRUE(TookItem("Extension Number of VPS Port2", "177"));
    EXPECT_FALSE(TookItem("Extension Number of VPS Port1", "165"));

    // T96: mode Inband, the ports emptied and locked, its dial strings, and its tone codes on the device.
    Choose(Pbx, 1, 0, "T96");
    EXPECT_EQ(Pbx->Grid->Cells(1, 1), "Inband");
    EXPECT_EQ(Pbx->Grid->Cells(1, 2), "");
    EXPECT_TRUE(Pbx->Grid->GetCellValueOptions(1, 2) & voReadOnly);
    EXPECT_EQ(Pbx->Grid->Cells(1, 12), "T#91X");
    EXPECT_EQ(Pbx->Grid->Cells(1, 13), "T#90X");
    EXPECT_TRUE(Pbx->grab().save(ScreenshotPath("form-pbx-dialing-parameters.png")));
    QTest::mouseClick(Pbx->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Pbx->windowTitle(), "PBX Dialing Parameters") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["PBX Dialing Parameters"][""]["PBX Type"], "T96");
    EXPECT_EQ(After["PBX Dialing Parameters"][""]["Integration Mode"], "Inband");
    EXPECT_EQ(After["PBX Dialing Parameters"][""]["Dial String D6"], "T#91X");
    EXPECT_EQ(After["Inband Signaling"][""]["Ringback"], "A1");
    EXPECT_EQ(After["Inband Signaling"][""]["Disconnect"], "DD");
    // The program sent them itself, and they are settled in its document.
    EXPECT_TRUE(TookItem("Ringback", "A1"));
    EXPECT_TRUE(TookItem("Disconnect", "DD"));
    ASSERT_NE(Data("Inband Signaling"), nullptr);
    EXPECT_EQ(Data("Ringback", Data("Inband Signaling"))->GetAttr("Change"), "NoChange");

    // While "Inband Signaling" is open a type change cannot rewrite its codes: Apply says so and keeps the edit.
    auto* Inband = OpenFromTree<TInbandSignalingForm>("Inband Signaling");
    ASSERT_NE(Inband, nullptr);
    EXPECT_EQ(Inband->Grid->Cells(1, 0), "A1");
    TypeInto(Inband, 1, 1, "b2");
    EXPECT_EQ(Inband->Grid->Cells(1, 1), "B2");
    EXPECT_TRUE(Inband->grab().save(ScreenshotPath("form-inband-signaling.png")));
    Choose(Pbx, 1, 0, "T1232");
    QTest::mouseClick(Pbx->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(BoxCount(Format(Utilits::SCloseFormsForSaving, {"\"Inband Signaling\""})), 1) << BoxTexts();
    EXPECT_EQ(Pbx->windowTitle(), "PBX Dialing Parameters*");
    EXPECT_EQ(Saved()["PBX Dialing Parameters"][""]["PBX Type"], "T96");
    QTest::mouseClick(Inband->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(Saved()["Inband Signaling"][""]["Busy"], "B2") << BoxTexts();
    QTest::mouseClick(Pbx->ButtonApply, Qt::LeftButton);
    After = Saved();
    EXPECT_EQ(After["PBX Dialing Parameters"][""]["PBX Type"], "T1232") << BoxTexts();
    EXPECT_EQ(After["Inband Signaling"][""]["Busy"], "2");
    EXPECT_TRUE(TookItem("Busy", "2"));
}

TEST_F(PbxFormsOnDevice, ADeletedAlternateExtensionLetsTheNextEditAddressItsNewPlace)
{
    StartSim({"--log", LogPath});
    TMainForm& M = StartMain(false);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();

    auto* Alt = OpenFromTree<TAlternateExtensionForm>("Alternate Extension");
    ASSERT_NE(Alt, nullptr);
    ASSERT_EQ(Alt->Grid->RowCount(), 32);
    EXPECT_EQ(Alt->Grid->Cells(0, 31), "32");
    EXPECT_EQ(Alt->Grid->Cells(1, 2), "223");
    // Only the first empty entry takes a new extension.
    EXPECT_FALSE(Alt->Grid->GetCellValueOptions(1, 3) & voReadOnly);
    EXPECT_TRUE(Alt->Grid->GetCellValueOptions(1, 4) & voReadOnly);
    // An extension group's number is refused.
    TypeInto(Alt, 1, 3, "300");
    EXPECT_EQ(Alt->Grid->Cells(1, 3), "");
    EXPECT_NE(Dialogs.LastText().find("Extension number 300 already exist in"), std::string::npos) << BoxTexts();
    TypeInto(Alt, 1, 3, "224");
    EXPECT_FALSE(Alt->Grid->GetCellValueOptions(1, 4) & voReadOnly);

    PressDelete(Alt, 0);
    EXPECT_EQ(Alt->Grid->Cells(1, 0), "222");
    EXPECT_EQ(Alt->Grid->Cells(1, 2), "224");
    EXPECT_EQ(Alt->Grid->Cells(1, 3), "");
    EXPECT_TRUE(Alt->Grid->GetCellValueOptions(1, 4) & voReadOnly);
    EXPECT_TRUE(Alt->grab().save(ScreenshotPath("form-alternate-extension.png")));
    QTest::mouseClick(Alt->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(AlternateEntries(), (Rows{"222", "223", "224"})) << BoxTexts();

    // The entry that was third is second now: its edit deletes entry 2, not entry 3 (224).
    TypeInto(Alt, 1, 1, "230");
    QTest::mouseClick(Alt->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Alt->windowTitle(), "Alternate Extension") << BoxTexts();
    EXPECT_EQ(AlternateEntries(), (Rows{"222", "224", "230"})) << BoxTexts();
    // And the next edit finds "224" at its place after that.
    TypeInto(Alt, 1, 2, "231");
    QTest::mouseClick(Alt->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(M.ChildForms().empty()) << BoxTexts();
    EXPECT_EQ(AlternateEntries(), (Rows{"222", "230", "231"})) << BoxTexts();
}

TEST_F(PbxFormsOnDevice, ASaveThatFailsHalfWaySendsADeletionOnlyOnce)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(true, true));
    TMainForm& M = *Main;

    auto* Alt = OpenFromTree<TAlternateExtensionForm>("Alternate Extension");
    ASSERT_NE(Alt, nullptr);
    PressDelete(Alt, 0);
    QTest::mouseClick(Alt->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(M.ChildForms().empty()) << BoxTexts();
    // A later section holds a value the device refuses.
    TXmlNode* Inband = Data("Inband Signaling");
    ASSERT_NE(Inband, nullptr);
    TXmlNode* Ringback = Data("Ringback", Inband);
    Ringback->SetAttr("Value", "XY");
    Ringback->SetAttr("Change", "Modify");
    Inband->SetAttr("Change", "Modify");

    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    EXPECT_EQ(Saved()["Inband Signaling"][""]["Ringback"], "1");
    EXPECT_EQ(AlternateEntries(), (Rows{"222", "223"})) << BoxTexts();
    // Saved again as it is, and once more after the refused value was mended: entry 1 of the rest stays.
    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    EXPECT_EQ(AlternateEntries(), (Rows{"222", "223"})) << BoxTexts();
    Ringback->SetAttr("Value", "D1");
    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    EXPECT_EQ(Saved()["Inband Signaling"][""]["Ringback"], "D1") << BoxTexts();
    EXPECT_EQ(AlternateEntries(), (Rows{"222", "223"})) << BoxTexts();
}

TEST_F(PbxFormsOnDevice, InBatchModeATypeChangeMarksTheToneCodesForTheNextSave)
{
    StartSim({"--log", LogPath});
    TMainForm& M = StartMain(true);
    M.ConnectSet1Execute();
    ASSERT_TRUE(M.Connected) << BoxTexts();
    M.SystemLoadDataFromVMU1Execute();
    ASSERT_FALSE(M.NoData) << BoxTexts();

    auto* Pbx = OpenFromTree<TPBXDialingParametersForm>("PBX Dialing Parameters");
    ASSERT_NE(Pbx, nullptr);
    Choose(Pbx, 1, 0, "T336");
    QTest::mouseClick(Pbx->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(M.ChildForms().empty()) << BoxTexts();
    TXmlNode* Inband = Data("Inband Signaling");
    ASSERT_NE(Inband, nullptr);
    EXPECT_EQ(Inband->GetAttr("Change"), "Modify");
    EXPECT_EQ(Data("Busy", Inband)->GetValue(), "B1");
    EXPECT_EQ(Data("Busy", Inband)->GetAttr("Change"), "Modify");
    EXPECT_FALSE(TookItem("Busy", "B1"));

    Dialogs.Answers = {mrYes};
    M.SystemSaveDataToVMU1Execute();
    EXPECT_EQ(Saved()["PBX Dialing Parameters"][""]["PBX Type"], "T336") << BoxTexts();
    EXPECT_EQ(Saved()["Inband Signaling"][""]["Busy"], "B1");
    EXPECT_TRUE(TookItem("Busy", "B1"));
    EXPECT_EQ(Data("Busy", Data("Inband Signaling"))->GetAttr("Change"), "NoChange");
}

// The port extensions hang under the integration mode and are made anew from the rows on each Apply: in DPT mode
// and in APT mode the mode keeps one node per port however often it is applied, and the device gets each edit.
TEST_F(PbxFormsOnDevice, RepeatedAppliesKeepOnePortNodePerPort)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    auto* Pbx = OpenFromTree<TPBXDialingParametersForm>("PBX Dialing Parameters");
    ASSERT_NE(Pbx, nullptr);
    ASSERT_EQ(Pbx->PortCount, 4);
    auto PortNodes = [&] {
        int N = 0;
        if (TXmlNode* Mode = Pbx->GetCellNode(1, 1))
            for (const auto& Child : Mode->Nodes)
                N += Child->GetName().rfind("Extension Number of VPS Port", 0) == 0;
        return N;
    };
    ASSERT_EQ(Pbx->Grid->Cells(1, 1), "DPT");
    EXPECT_EQ(PortNodes(), 4);
    for (const char* Extension : {"177", "178"}) {
        TypeInto(Pbx, 1, 3, Extension);
        QTest::mouseClick(Pbx->ButtonApply, Qt::LeftButton);
        EXPECT_FALSE(Pbx->Modified) << BoxTexts();
        EXPECT_EQ(PortNodes(), 4) << "DPT, after " << Extension;
        EXPECT_EQ(Saved()["PBX Dialing Parameters"][""]["Extension Number of VPS Port2"], Extension) << BoxTexts();
    }
    Choose(Pbx, 1, 0, "TA series");
    ASSERT_EQ(Pbx->Grid->Cells(1, 1), "APT");
    QTest::mouseClick(Pbx->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Pbx->Modified) << BoxTexts();
    EXPECT_EQ(PortNodes(), 4) << "APT";
    TypeInto(Pbx, 1, 4, "130");
    QTest::mouseClick(Pbx->ButtonApply, Qt::LeftButton);
    EXPECT_FALSE(Pbx->Modified) << BoxTexts();
    EXPECT_EQ(PortNodes(), 4) << "APT, applied again";
    EXPECT_EQ(Saved()["PBX Dialing Parameters"][""]["Extension Number of VPS Port3"], "130") << BoxTexts();
}
