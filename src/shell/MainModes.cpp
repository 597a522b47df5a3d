// The main window's working mode (batch or interactive), its modified state with the ask-to-save question, the
// caption, and the enabling of the file, mode, connection and device actions with the status panels.
#include "shell/main.h"

#include "common/Utilits.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "xml/XmlDoc.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>

void TMainForm::InitActionState()
{
    StatusPanels[3]->setText(ClockText(QDateTime::currentDateTime()));
    StatusPanels[2]->setText(ToQ(Utilits::SDisconnected));
    FileOpen1->setEnabled(true);
    FileClose1->setEnabled(false);
    FileSave1->setEnabled(false);
    FileSaveAs1->setEnabled(false);
    FileMode1->setEnabled(true);
    CopyActionLook(FileMode1, FileMode_B1);
    FileModeBatch1->setEnabled(true);
    FileModeBatch1->setChecked(false);
    FileModeInteractive1->setEnabled(true);
    FileModeInteractive1->setChecked(true);
    FileShowTree1->setEnabled(true);
    FileShowTree1->setChecked(true);
    FileExit1->setEnabled(true);
    ConnectSet1->setEnabled(true);
    CopyActionLook(ConnectSet1, ConnectSet_C1);
    ConnectPortSetting1->setEnabled(true);
    SystemTerminal1->setEnabled(false);
    SystemLoadDataFromVMU1->setEnabled(false);
    SystemSaveDataToVMU1->setEnabled(false);
    UpdateDeviceActions(false);
    HelpAbout1->setEnabled(true);
}

void TMainForm::UpdateDeviceActions(bool Enabled)
{
    for (QAction* A : ReportActions())
        A->setEnabled(Enabled);
    SystemSetONLINE1->setEnabled(Enabled);
    SystemSetOFFLINE1->setEnabled(Enabled);
    SystemPasswordAdmin1->setEnabled(Enabled);
}

void TMainForm::SetMode(bool Batch)
{
    if (BatchMode == Batch)
        return;
    BatchMode = Batch;
    if (ParamsNode && DataDoc->Root())
        if (TXmlNode* Data = DataDoc->FindNode(DataDoc->Root(), ParamsNode->GetName()))
            DataDoc->RemoveNode(Data);
    FileName.clear();
    if (Batch) {
        SetTreeEnabled(false);
        SetNoData(true);
        UpdateDeviceActions(false);
    } else {
        SetNoData(false);
        SetTreeEnabled(PortOpen());
        UpdateDeviceActions(PortOpen());
    }
    UpdateActionState(0);
    UpdateCaption();
}

void TMainForm::SetModified(bool Value)
{
    if (!BatchMode)
        return;
    Modified = Value;
    UpdateCaption();
    UpdateActionState(3);
}

bool TMainForm::AskSaveChanges()
{
    if (!Modified)
        return true;
    switch (AskSaveVMUChanges()) {
    case mrYes:
        // Only a file that was really written lets the caller go on: a cancelled or failed save keeps the data.
        return FileSave1Execute();
    case mrNo:
        SetModified(false);
        return true;
    default:
        return false;
    }
}

void TMainForm::UpdateCaption()
{
    QString Caption = windowTitle();
    if (Caption.isEmpty())
        return;
    int Cut = Caption.indexOf(" [");
    QString Title = Cut < 0 ? Caption : Caption.left(Cut);
    if (!BatchMode) {
        setWindowTitle(Title);
        return;
    }
    std::string Name = "Noname";
    if (!FileName.empty()) {
        QFileInfo Info(PathToQ(FileName));
        std::string Folder = PathFromQ(Info.absolutePath());
        if (!Folder.empty() && Folder.back() != '/')
            Folder += '/';
        Name = SameText(Folder, DataDir) ? PathFromQ(Info.fileName()) : FileName;
    }
    // The name is a file name in the system's encoding, not a text of the single-byte convention.
    setWindowTitle(Title + " [" + (FileName.empty() ? ToQ(Name) : PathToQ(Name)) + "]" + (Modified ? " *" : ""));
}

void TMainForm::UpdateActionState(int What)
{
    const bool Open = PortOpen();
    switch (What) {
    case 0:
        if (!BatchMode) {
            CopyActionLook(FileMode1, FileMode_I1);
            StatusPanels[1]->setText(ToQ(Utilits::SInteractiveMode));
            for (QAction* A : {FileOpen1, FileClose1, FileSave1, FileSaveAs1, SystemSaveDataToVMU1,
                     SystemLoadDataFromVMU1})
                A->setEnabled(false);
            if (Open)
                SystemTerminal1->setEnabled(false);
        } else {
            CopyActionLook(FileMode1, FileMode_B1);
            StatusPanels[1]->setText(ToQ(Utilits::SBatchMode));
            FileOpen1->setEnabled(true);
            for (QAction* A : {FileClose1, FileSave1, FileSaveAs1})
                A->setEnabled(false);
            if (Open) {
                SystemSaveDataToVMU1->setEnabled(!NoData);
                SystemLoadDataFromVMU1->setEnabled(true);
                SystemTerminal1->setEnabled(true);
            }
        }
        break;
    case 1:
        if (!Open) {
            for (QAction* A : {SystemTerminal1, SystemSaveDataToVMU1, SystemLoadDataFromVMU1})
                A->setEnabled(false);
            CopyActionLook(ConnectSet1, ConnectSet_C1);
            ConnectPortSetting1->setEnabled(true);
            StatusPanels[2]->setText(ToQ(Utilits::SDisconnected));
            if (!BatchMode) {
                SetTreeEnabled(false);
                UpdateDeviceActions(false);
            }
        } else {
            if (BatchMode) {
                SystemSaveDataToVMU1->setEnabled(!NoData);
                SystemLoadDataFromVMU1->setEnabled(true);
                SystemTerminal1->setEnabled(true);
            }
            ConnectPortSetting1->setEnabled(false);
            CopyActionLook(ConnectSet1, ConnectSet_D1);
            StatusPanels[2]->setText(ToQ(Utilits::SConnected));
            if (!BatchMode) {
                SetTreeEnabled(true);
                UpdateDeviceActions(true);
            }
        }
        break;
    case 2:
        if (NoData) {
            for (QAction* A : {FileClose1, FileSaveAs1, SystemSaveDataToVMU1})
                A->setEnabled(false);
            SetTreeEnabled(false);
        } else {
            FileClose1->setEnabled(true);
            FileSaveAs1->setEnabled(true);
            SystemSaveDataToVMU1->setEnabled(Open && BatchMode);
            SetTreeEnabled(!(!BatchMode && !Open));
        }
        break;
    case 3:
        FileSave1->setEnabled(Modified);
        break;
    default:
        break;
    }
}

void TMainForm::FileModeBatch1Execute()
{
    if (BatchMode) {
        FileModeBatch1->setChecked(true);
        return;
    }
    if (!CloseParameterForms()) {
        FileModeInteractive1->setChecked(true);
        return;
    }
    SetMode(true);
}

void TMainForm::FileModeInteractive1Execute()
{
    if (!BatchMode) {
        FileModeInteractive1->setChecked(true);
        return;
    }
    if (!CloseParameterForms() || !AskSaveChanges()) {
        FileModeBatch1->setChecked(true);
        return;
    }
    SetMode(false);
}
