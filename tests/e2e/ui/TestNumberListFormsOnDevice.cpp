// The numbering-plan, prompt and caller-name windows in the real main window against the device simulator, in interactive
// mode: each reads its section from the device, refuses what the device would refuse with its message, and the
// applied edits are found in the simulator's saved state.
#include "FormsOnDevice.h"
#include "ShownRows.h"

#include "vmusim/SimProcess.h"

#include "forms/numbering/ExtensionNumberingPlan.h"
#include "forms/numbering/PromptSetting.h"
#include "forms/numbering/SystemCallerNameAnnouncement.h"
#include "common/Utilits.h"
#include "engine/ManagerVMU.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/QtText.h"
#include "serial/SerPort.h"
#include "shell/FormRegistry.h"

#include <algorithm>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// Naming the forms' factories brings their units, and with them their registrations, into this test program.
const std::vector<TFormFactory> LinkedForms = {
    MakeFormFactory<TExtensionNumberingPlanForm>(), MakeFormFactory<TPromptSettingForm>(),
    MakeFormFactory<TSystemCallerNameAnnouncementForm>()};

class NumberListFormsOnDevice : public TFormsOnDevice {
};

} // namespace

TEST_F(NumberListFormsOnDevice, PlansAndPromptsAreCheckedAndReachTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;

    auto* Plans = OpenFromTree<TExtensionNumberingPlanForm>("Extension Numbering Plan");
    ASSERT_NE(Plans, nullptr);
    ASSERT_EQ(Plans->Grid->RowCount(), 16);
    EXPECT_EQ(Trim(Plans->Grid->Cells(0, 15)), "Numbering Plan 16");
    EXPECT_EQ(Plans->Grid->Cells(1, 0), "2XX");
    EXPECT_EQ(Plans->Grid->Cells(1, 1), "3XX");
    // Only the first empty plan takes a new one.
    EXPECT_FALSE(Plans->Grid->GetCellValueOptions(1, 2) & voReadOnly);
    EXPECT_TRUE(Plans->Grid->GetCellValueOptions(1, 3) & voReadOnly);
    TypeInto(Plans, 1, 2, "45");   // no wildcard
    EXPECT_EQ(Plans->Grid->Cells(1, 2), "");
    EXPECT_EQ(Dialogs.LastText(), RefusalMessage(Utilits::SInvalidNumberingPlan, "", false));
    TypeInto(Plans, 1, 2, "0X");
    EXPECT_EQ(Dialogs.LastText(), RefusalMessage(Utilits::SCannotStartZeroInNumberingPlan, "", false));
    TypeInto(Plans, 1, 2, "3XX");
    EXPECT_EQ(Dialogs.LastText(), RefusalMessage(Utilits::SDuplicateEntryInForm, "", false));
    EXPECT_EQ(Plans->Grid->Cells(1, 2), "");
    TypeInto(Plans, 1, 2, "4xx");
    EXPECT_EQ(Plans->Grid->Cells(1, 2), "4XX");
    EXPECT_FALSE(Plans->Grid->GetCellValueOptions(1, 3) & voReadOnly);
    // Emptying the first plan moves the others up and locks the rows after the new first empty one.
    TypeInto(Plans, 1, 0, "");
    EXPECT_EQ(Plans->Grid->Cells(1, 0), "3XX");
    EXPECT_EQ(Plans->Grid->Cells(1, 1), "4XX");
    EXPECT_EQ(Plans->Grid->Cells(1, 2), "");
    EXPECT_TRUE(Plans->Grid->GetCellValueOptions(1, 3) & voReadOnly);
    QDir().mkpath(QString(ORLANTIS_BIN_DIR) + "/../screenshots");
    ExpectLabelledRows(Plans, 16);
    EXPECT_TRUE(Plans->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/form-extension-numbering-plan.png"));
    QTest::mouseClick(Plans->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Plans->windowTitle(), "Extension Numbering Plan") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Extension Numbering Plan"][""]["Numbering Plan 1"], "3XX") << BoxTexts();
    EXPECT_EQ(After["Extension Numbering Plan"][""]["Numbering Plan 2"], "4XX");
    EXPECT_EQ(After["Extension Numbering Plan"][""]["Numbering Plan 3"], "");
    Plans->close();

    auto* Prompts = OpenFromTree<TPromptSettingForm>("Prompt Setting");
    ASSERT_NE(Prompts, nullptr);
    EXPECT_EQ(Prompts->Grid->Cells(1, 0), "1");
    TypeInto(Prompts, 1, 0, "2");
    EXPECT_EQ(Prompts->Grid->Cells(1, 0), "1");
    EXPECT_EQ(Dialogs.LastText(), RefusalMessage(Utilits::SUniquePromptSelection, "1", false));
    TypeInto(Prompts, 1, 0, "7");
    TypeInto(Prompts, 1, 3, "5");
    ExpectLabelledRows(Prompts, 4);
    EXPECT_TRUE(Prompts->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/form-prompt-setting.png"));
    QTest::mouseClick(Prompts->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(M.ChildForms().empty());
    After = Saved();
    EXPECT_EQ(After["Prompt Setting"][""]["Prompt No. 1"], "7") << BoxTexts();
    EXPECT_EQ(After["Prompt Setting"][""]["Prompt Selection Time"], "5");
}

TEST_F(NumberListFormsOnDevice, CallerNamesAreEditedAndEmptiedOnTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    TMainForm& M = *Main;

    auto* Names = OpenFromTree<TSystemCallerNameAnnouncementForm>("System Caller Name Announcement");
    ASSERT_NE(Names, nullptr);
    ASSERT_EQ(Names->Grid->RowCount(), 16);
    EXPECT_EQ(Names->Grid->Cells(0, 15), "16");
    EXPECT_EQ(Names->Grid->Cells(1, 0), "5551234");
    EXPECT_EQ(Names->Grid->Cells(2, 0), "1");
    TypeInto(Names, 1, 1, "5550000");
    TypeInto(Names, 2, 1, "3");
    Go(Names, 1, 0);
    QTest::mouseClick(Names->DeleteRowButton, Qt::LeftButton);
    EXPECT_EQ(Names->Grid->Cells(0, 0), "1");   // the entry stays, emptied
    EXPECT_EQ(Names->Grid->Cells(1, 0), "");
    EXPECT_EQ(Names->Grid->Cells(2, 0), "");
    QDir().mkpath(QString(ORLANTIS_BIN_DIR) + "/../screenshots");
    ExpectLabelledRows(Names, 16);
    EXPECT_TRUE(Names->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/form-system-caller-name.png"));
    QTest::mouseClick(Names->ButtonOK, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(M.ChildForms().empty()) << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["System Caller Name Announcement"]["2"]["Caller Number"], "5550000") << BoxTexts();
    EXPECT_EQ(After["System Caller Name Announcement"]["2"]["Name Prompt No."], "3");
    EXPECT_EQ(After["System Caller Name Announcement"]["1"]["Caller Number"], "");
    EXPECT_EQ(After["System Caller Name Announcement"]["1"]["Name Prompt No."], "");
}

// The device refuses a prompt number another prompt still holds: numbers exchanged or moved in a cycle reach it in
// one Apply (one save in batch mode), through a free number, and nothing is left to write.
TEST_F(NumberListFormsOnDevice, PromptNumbersExchangedOrInACycleReachTheDeviceInOneWrite)
{
    struct {
        const char* What;
        bool Batch;
        std::vector<std::pair<int, std::string>> Typed;   // row and number, in the order typed
        std::vector<std::string> Wanted;
    } const Cases[] = {
        {"two exchanged", false, {{0, "9"}, {1, "1"}, {0, "2"}}, {"2", "1", "3"}},
        {"three in a cycle", false, {{0, "9"}, {2, "8"}, {1, "3"}, {2, "1"}, {0, "2"}}, {"2", "3", "1"}},
        {"one moved to a number another leaves", false, {{0, "9"}, {1, "1"}, {0, "4"}}, {"4", "1", "3"}},
        {"two exchanged offline", true, {{0, "9"}, {1, "1"}, {0, "2"}}, {"2", "1", "3"}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        Main.reset();
        Sim.reset();
        Dialogs.Boxes.clear();
        Dialogs.Default = mrYes;
        ASSERT_NO_FATAL_FAILURE(StartConnected(C.Batch, C.Batch));
        Dialogs.Boxes.clear();
        auto* Prompts = OpenFromTree<TPromptSettingForm>("Prompt Setting");
        ASSERT_NE(Prompts, nullptr);
        for (const auto& [Row, Number] : C.Typed)
            TypeInto(Prompts, 1, Row, Number);
        for (int Row = 0; Row < 3; ++Row)
            EXPECT_EQ(Prompts->Grid->Cells(1, Row), C.Wanted[size_t(Row)]) << "row " << Row;
        EXPECT_TRUE(Dialogs.Boxes.empty()) << BoxTexts();
        QTest::mouseClick(Prompts->ButtonApply, Qt::LeftButton);
        if (C.Batch)
            Main->SystemSaveDataToVMU1Execute();
        QApplication::processEvents();
        EXPECT_FALSE(Prompts->Modified) << BoxTexts();
        const TState After = Saved();
        for (int Row = 0; Row < 3; ++Row)
            EXPECT_EQ(After.at("Prompt Setting").at("").at("Prompt No. " + std::to_string(Row + 1)),
                C.Wanted[size_t(Row)]) << BoxTexts();
        EXPECT_EQ(std::count_if(Dialogs.Boxes.begin(), Dialogs.Boxes.end(), [](const auto& B) {
            return B.Type == mtError;
        }), 0) << BoxTexts();
        TXmlNode* Section = Data("Prompt Setting");
        ASSERT_NE(Section, nullptr);
        EXPECT_EQ(Section->GetAttr("Change"), "NoChange");
        EXPECT_FALSE(Section->Attrs.Find("Unsettled")) << "a read-back is still asked for";
        for (const auto& N : Section->Nodes)
            EXPECT_FALSE(N->Attrs.Find("Through")) << N->GetName();
    }
}
