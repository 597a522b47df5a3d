// The department dialing and caller ID routing windows in the real main window against the device simulator, in
// interactive mode: opened from the parameter tree (each reads its section from the device), edited with keys,
// applied, and found in the simulator's saved state. A refused entry shows its box and leaves the cell as it was.
#include "FormsOnDevice.h"
#include "ShownRows.h"

#include "vmusim/SimProcess.h"

#include "forms/attendant/AttendantRules.h"
#include "forms/attendant/CallerIDCallRouting.h"
#include "forms/attendant/DepartmentDialing.h"
#include "forms/attendant/OperatorParameters.h"
#include "engine/ManagerVMU.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/QtText.h"
#include "serial/SerPort.h"
#include "shell/FormRegistry.h"

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

// Naming the factories links the forms' units, and with them their registrations, into this test program.
const std::vector<TFormFactory> LinkedForms = {MakeFormFactory<TDepartmentDialingForm>(),
    MakeFormFactory<TCallerIDCallRoutingForm>(), MakeFormFactory<TOperatorParametersForm>()};

class AttendantFormsOnDevice : public TFormsOnDevice {
};

} // namespace

namespace {
void Shot(QWidget* W, const char* Name)
{
    QDir().mkpath(QString(ORLANTIS_BIN_DIR) + "/../screenshots");
    W->grab().save(QString(ORLANTIS_BIN_DIR) + "/../screenshots/" + Name);
}
}

TEST_F(AttendantFormsOnDevice, DepartmentDialingShowsNineRowsAndAppliesAnExtension)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));

    auto* Dept = OpenFromTree<TDepartmentDialingForm>("Department Dialing");
    ASSERT_NE(Dept, nullptr);
    ASSERT_EQ(Dept->Grid->RowCount(), 9);
    for (int r = 0; r < 9; ++r)
        EXPECT_EQ(Dept->Grid->Cells(0, r), std::to_string(r + 1));
    EXPECT_EQ(Dept->Grid->Cells(1, 0), "210");   // the device's, not the description's default
    EXPECT_EQ(Dept->Grid->Cells(1, 4), "");
    ExpectLabelledRows(Dept, 9);
    Shot(Dept, "form-department-dialing.png");
    TypeInto(Dept, 1, 1, "225");
    TypeInto(Dept, 1, 5, "260");
    EXPECT_EQ(Dept->windowTitle(), "Department Dialing*");
    QTest::mouseClick(Dept->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Dept->windowTitle(), "Department Dialing") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Department Dialing"][""]["Department 2"], "225") << BoxTexts();
    EXPECT_EQ(After["Department Dialing"][""]["Department 6"], "260");
    EXPECT_EQ(After["Department Dialing"][""]["Department 1"], "210");
    Dept->close();
}

TEST_F(AttendantFormsOnDevice, CallerIDRoutesAreShownCheckedAndApplied)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));

    auto* Route = OpenFromTree<TCallerIDCallRoutingForm>("Caller ID Call Routing");
    ASSERT_NE(Route, nullptr);
    using namespace CallerRouting;
    ASSERT_EQ(Route->Grid->RowCount(), 20);
    EXPECT_EQ(Route->Grid->Cells(NumberCol, 19), "20");
    EXPECT_EQ(Route->Grid->Cells(CallerIDCol, 0), "5551234");
    EXPECT_EQ(Route->Grid->Cells(RoutingCol, 0), "Mbx");
    EXPECT_EQ(Route->Grid->Cells(ParameterCol, 0), "105");
    EXPECT_EQ(Route->Grid->Cells(CallerIDCol, 1), "Private");
    EXPECT_EQ(Route->Grid->Cells(RoutingCol, 1), "Custom");
    EXPECT_EQ(Route->Grid->Cells(RoutingCol, 2), "None");
    EXPECT_TRUE(Route->Grid->GetCellValueOptions(ParameterCol, 2) & voReadOnly);
    ExpectLabelledRows(Route, 20);
    Shot(Route, "form-caller-id-call-routing.png");

    // "p1" is refused; a single "o" becomes "Out of Area" and is stored as "o".
    TypeInto(Route, CallerIDCol, 2, "p1");
    EXPECT_EQ(Route->Grid->Cells(CallerIDCol, 2), "");
    EXPECT_EQ(BoxCount(RefusalMessage(
                  "Invalid entry. Symbols \"o\" or \"p\" should be entered as single character.", "", false)),
        1)
        << BoxTexts();
    TypeInto(Route, CallerIDCol, 2, "o");
    EXPECT_EQ(Route->Grid->Cells(CallerIDCol, 2), "Out of Area");
    // A routing without its parameter stops Apply at that row.
    Route->Grid->SetCells(RoutingCol, 2, "Custom");
    std::string Custom = "Custom";
    Route->EditStartText = "None";
    Route->Grid->OnSetEditText(RoutingCol, 2, Custom);
    EXPECT_FALSE(Route->Grid->GetCellValueOptions(ParameterCol, 2) & voReadOnly);
    QTest::mouseClick(Route->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(BoxCount("You should to set value for parameter \"Parameter\"."), 1) << BoxTexts();
    EXPECT_EQ(Route->Grid->Row(), 2);
    EXPECT_EQ(Route->Grid->Col(), ParameterCol);
    TypeInto(Route, ParameterCol, 2, "7");
    // The first entry changes its mailbox: an unknown one is refused, then an existing one taken.
    TypeInto(Route, ParameterCol, 0, "777");
    EXPECT_EQ(Route->Grid->Cells(ParameterCol, 0), "105");
    EXPECT_EQ(BoxCount("Mailbox number 777 does not exist.\r\nThe cell now holds \"105\"."), 1) << BoxTexts();
    TypeInto(Route, ParameterCol, 0, "101");
    // The second entry is reset to the defaults.
    Go(Route, 1, 1);
    Route->DeleteRowButtonClick();
    EXPECT_EQ(Route->Grid->Cells(CallerIDCol, 1), "");
    EXPECT_EQ(Route->Grid->Cells(RoutingCol, 1), "None");
    EXPECT_TRUE(Route->Grid->GetCellValueOptions(ParameterCol, 1) & voReadOnly);
    QTest::mouseClick(Route->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Route->windowTitle(), "Caller ID Call Routing") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Caller ID Call Routing"]["1"]["Routing Parameter"], "101") << BoxTexts();
    EXPECT_EQ(After["Caller ID Call Routing"]["3"]["Caller ID"], "o");
    EXPECT_EQ(After["Caller ID Call Routing"]["3"]["Routing"], "Custom");
    EXPECT_EQ(After["Caller ID Call Routing"]["3"]["Routing Parameter"], "7");
    EXPECT_EQ(After["Caller ID Call Routing"]["2"]["Caller ID"], "");
    EXPECT_EQ(After["Caller ID Call Routing"]["2"]["Routing"], "");
    EXPECT_EQ(After["Caller ID Call Routing"]["2"]["Routing Parameter"], "");
    Route->close();
}

TEST_F(AttendantFormsOnDevice, OperatorColumnsAreBoundToTheirOwnOperators)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));

    auto* Ops = OpenFromTree<TOperatorParametersForm>("Operator's Parameters");
    ASSERT_NE(Ops, nullptr);
    using Operators::Column;
    ASSERT_EQ(Ops->Grid->RowCount(), 4);   // firmware 4.09: four modes
    ASSERT_EQ(Ops->Grid->ColumnCount(), 13);
    EXPECT_EQ(Trim(Ops->Grid->Cells(0, 3)), "Break");
    for (int Op = 1; Op <= 3; ++Op) {
        EXPECT_EQ(Ops->Grid->Columns()[Column(Operators::ExtensionField, Op)]->Caption(),
            "Extension " + std::to_string(Op));
        EXPECT_EQ(Ops->Grid->Columns()[Column(Operators::MailboxField, Op)]->Caption(),
            "Mailbox " + std::to_string(Op));
        // Every bound cell of the column holds its own operator's node.
        for (int Row = 0; Row < 4; ++Row)
            for (int Field = 0; Field < Operators::FieldCount; ++Field) {
                TXmlNode* Node = Ops->GetCellNode(Column(Field, Op), Row);
                ASSERT_NE(Node, nullptr) << Row << " " << Field << " " << Op;
                EXPECT_EQ(Node->Parent->GetName(), "Operator " + std::to_string(Op));
            }
    }
    EXPECT_EQ(Ops->Grid->Cells(Column(Operators::ExtensionField, 1), 0), "200");
    EXPECT_EQ(Ops->Grid->Cells(Column(Operators::MailboxField, 1), 0), "101");
    // The device takes each coverage choice in every mode and for every operator: no row loses one.
    for (int Row = 0; Row < 4; ++Row)
        for (int Op = 1; Op <= 3; ++Op)
            for (int Field : {2, 3}) {   // busy and no-answer coverage
                const std::vector<std::string>* Items = Ops->Grid->GetCellItems(Column(Field, Op), Row);
                ASSERT_NE(Items, nullptr) << Row << " " << Field << " " << Op;
                EXPECT_EQ(Items->size(), 4u) << Row << " " << Field << " " << Op;
            }
    ExpectLabelledRows(Ops, 4);
    Shot(Ops, "form-operator-parameters.png");

    // Operator 2 of the night mode gets an extension and a mailbox; the System Manager's mailbox is refused.
    TypeInto(Ops, Column(Operators::ExtensionField, 2), 1, "480");
    TypeInto(Ops, Column(Operators::MailboxField, 2), 1, "999");
    EXPECT_EQ(BoxCount(RefusalMessage("Don't use System Manager's Mailbox 999.", "", false)), 1) << BoxTexts();
    EXPECT_EQ(Ops->Grid->Cells(Column(Operators::MailboxField, 2), 1), "");
    TypeInto(Ops, Column(Operators::MailboxField, 2), 1, "102");
    EXPECT_TRUE(Ops->ExtensionInUse("480"));
    // Delete leaves operator 1 alone and empties operator 2's cell.
    Go(Ops, Column(Operators::ExtensionField, 1), 0);
    Key(Ops, Qt::Key_Delete);
    EXPECT_EQ(Ops->Grid->Cells(Column(Operators::ExtensionField, 1), 0), "200");
    TypeInto(Ops, Column(Operators::ExtensionField, 3), 2, "487");
    Go(Ops, Column(Operators::ExtensionField, 3), 2);
    Key(Ops, Qt::Key_Delete);
    EXPECT_EQ(Ops->Grid->Cells(Column(Operators::ExtensionField, 3), 2), "");
    QTest::mouseClick(Ops->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Ops->windowTitle(), "Operator's Parameters") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Operator's Parameters"][""]["Night Mode/Operator 2/Operator's Extension"], "480") << BoxTexts();
    EXPECT_EQ(After["Operator's Parameters"][""]["Night Mode/Operator 2/Operator's Mailbox No."], "102");
    EXPECT_EQ(After["Operator's Parameters"][""]["Night Mode/Operator 1/Operator's Extension"], "200");
    EXPECT_EQ(After["Operator's Parameters"][""]["Lunch Mode/Operator 3/Operator's Extension"], "");
    EXPECT_EQ(After["Operator's Parameters"][""]["Day Mode/Operator 1/Operator's Extension"], "200");
    Ops->close();
}

// A number outside an entry's range is raised to the bound with a message naming the range and the value the
// cell now holds, before anything reaches the device; when the commit is Apply's own (text still in the editor),
// Apply stops there. An entry whose hint says empty means none can be emptied, and the device is told so.
TEST_F(AttendantFormsOnDevice, DepartmentEntriesOutsideTheirRangeAreToldAndMayBeEmptied)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    auto* Dept = OpenFromTree<TDepartmentDialingForm>("Department Dialing");
    ASSERT_NE(Dept, nullptr);
    // An extension has 2 to 5 digits, and a leading zero is one of them.
    const std::string Told = "An extension number has 2 to 5 digits.";
    const std::string Before = Dept->Grid->Cells(1, 3);
    TypeInto(Dept, 1, 3, "7");
    EXPECT_EQ(BoxCount(Told), 1) << BoxTexts();
    EXPECT_EQ(Dept->Grid->Cells(1, 3), Before);

    // 5 still in the editor when Apply commits it: told, and nothing written.
    Go(Dept, 1, 3);
    Key(Dept, Qt::Key_Return);
    ASSERT_TRUE(Dept->Grid->EditorShowing());
    QLineEdit* Editor = Dept->Grid->InplaceEditor()->LineEdit();
    Editor->selectAll();
    QTest::keyClicks(Editor, "5");
    Dept->ButtonApplyClick();
    EXPECT_EQ(BoxCount(Told), 2) << BoxTexts();
    EXPECT_EQ(Saved()["Department Dialing"][""]["Department 4"], Before) << "nothing was written yet";
    // The bounds: two digits with a leading zero, and five.
    TypeInto(Dept, 1, 3, "07");
    TypeInto(Dept, 1, 4, "99999");
    EXPECT_EQ(Dialogs.Boxes.size(), 2u) << BoxTexts();

    TypeInto(Dept, 1, 0, "");
    EXPECT_EQ(Dept->Grid->Cells(1, 0), "");
    EXPECT_EQ(Dialogs.Boxes.size(), 2u) << BoxTexts();
    QTest::mouseClick(Dept->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Dept->windowTitle(), "Department Dialing") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Department Dialing"][""]["Department 1"], "") << BoxTexts();
    EXPECT_EQ(After["Department Dialing"][""]["Department 4"], "07");
    EXPECT_EQ(After["Department Dialing"][""]["Department 5"], "99999");
    EXPECT_EQ(After["Department Dialing"][""]["Department 2"], "220");
    Dept->close();
}

// Delete on a routing entry that is not being edited does what the window's Delete button does (the entry goes
// back to its defaults, on the device too); it never puts its DEL character into the cell.
TEST_F(AttendantFormsOnDevice, DeleteOnACellNotBeingEditedResetsTheEntryOnTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartConnected(false));
    auto* Route = OpenFromTree<TCallerIDCallRoutingForm>("Caller ID Call Routing");
    ASSERT_NE(Route, nullptr);
    using namespace CallerRouting;
    ASSERT_EQ(Route->Grid->Cells(CallerIDCol, 0), "5551234");
    Go(Route, CallerIDCol, 0);
    // The key as the desktop sends it: Delete with the text DEL.
    const QString Del(QChar(0x7f));
    QTest::sendKeyEvent(QTest::Press, Route->Grid, Qt::Key_Delete, Del, Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, Route->Grid, Qt::Key_Delete, Del, Qt::NoModifier);
    EXPECT_FALSE(Route->Grid->EditorShowing());
    EXPECT_EQ(Route->Grid->Cells(CallerIDCol, 0), "");
    EXPECT_EQ(Route->Grid->Cells(RoutingCol, 0), "None");
    QTest::mouseClick(Route->ButtonApply, Qt::LeftButton);
    EXPECT_EQ(Route->windowTitle(), "Caller ID Call Routing") << BoxTexts();
    TState After = Saved();
    EXPECT_EQ(After["Caller ID Call Routing"]["1"]["Caller ID"], "") << BoxTexts();
    EXPECT_EQ(After["Caller ID Call Routing"]["1"]["Routing"], "");
    Route->close();
}
