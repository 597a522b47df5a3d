// Data files of the batch mode: the data document opened from and saved to "*.sav" files through the progress
// dialog. A file is taken only when it was read whole and was made with this description ("TemplateVersion"); only
// then does its own firmware make its tree ready, and the firmware is fixed only by a file that passes every check.
// A save writes a new file beside the old one and replaces it only when complete, so a cancelled or failed save
// leaves the old file and the program's state (file name, modified mark) as they were.
#include "shell/main.h"

#include "common/Utilits.h"
#include "common/ui/ExecuteDialog.h"
#include "engine/DataManager.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "xml/XmlDoc.h"

#include <QFileInfo>

#include <sstream>
#include <vector>

namespace {

TFileDialogRequest DataFileRequest(const std::string& InitialDir)
{
    TFileDialogRequest Request;
    Request.Filter = DataFileFilter;
    Request.DefaultExt = DataFileExt;
    Request.InitialDir = InitialDir;
    return Request;
}

// The folder the file dialogs start in: that of the open file, else the one the program was started in.
std::string DialogFolder(const std::string& FileName, const std::string& DataDir)
{
    if (FileName.empty())
        return DataDir;
    return PathFromQ(QFileInfo(PathToQ(FileName)).absolutePath()) + "/";
}

// A byte of a fault as the box shows it: printable ASCII as it stands, anything else as an escape ("\x8f").
std::string ShownByte(unsigned char C)
{
    if (C >= 0x20 && C < 0x7f)
        return std::string(1, char(C));
    static const char Hex[] = "0123456789abcdef";
    return std::string("\\x") + Hex[C >> 4] + Hex[C & 15];
}

// A fault in readable text. What the reader says of a damaged file may quote the file's own bytes (a "number"
// that is binary data, a run that goes on to the end of the file): those are no text, so they are escaped, and
// a long fault keeps its start and its end. The file's name, which a fault of the system quotes, is shown as the
// system names it.
std::string ReadableFault(const std::string& Fault, const std::string& FileName)
{
    std::vector<std::string> Parts;
    size_t Length = 0;
    for (size_t i = 0; i < Fault.size();) {
        if (!FileName.empty() && Fault.compare(i, FileName.size(), FileName) == 0) {
            Parts.push_back(PathToText(FileName));
            i += FileName.size();
        } else {
            Parts.push_back(ShownByte(static_cast<unsigned char>(Fault[i++])));
        }
        Length += Parts.back().size();
    }
    constexpr size_t Head = 100, Tail = 40;
    size_t First = Parts.size(), Last = Parts.size();
    if (Length > Head + Tail + 20) {
        size_t Taken = 0;
        for (First = 0; First < Parts.size() && Taken < Head; ++First)
            Taken += Parts[First].size();
        for (Taken = 0; Last > First && Taken < Tail;)
            Taken += Parts[--Last].size();
    }
    std::string S;
    for (size_t i = 0; i < First; ++i)
        S += Parts[i];
    if (First < Last)
        S += "...";
    for (size_t i = Last; i < Parts.size(); ++i)
        S += Parts[i];
    return S;
}

// Why a data file is refused, naming the file.
void RefuseDataFile(const std::string& Name, const std::string& Why)
{
    TDialogs::instance().MessageBox(
        "The file \"" + PathToText(Name) + "\" cannot be opened: " + ReadableFault(Why, Name) + ".",
        Utilits::SError, mtError, mbOK);
}

}  // namespace

TMainForm::TOpenDocument TMainForm::KeepOpenDocument()
{
    TOpenDocument K;
    K.FileName = FileName;
    K.Modified = Modified;
    K.NoData = NoData;
    K.MailboxNoLength = MailboxNoLength;
    K.SystemManagerMailbox = SystemManagerMailbox;
    K.MessageManagerMailbox = MessageManagerMailbox;
    if (DataDoc->Root()) {
        // The binary form keeps the links to the description and the node IDs as a data file does.
        std::stringstream Out;
        K.Kept = DataDoc->SaveToStream(Out, true);
        K.Data = Out.str();
    } else {
        K.Kept = true;
    }
    return K;
}

void TMainForm::RestoreOpenDocument(const TOpenDocument& K)
{
    if (!K.Kept)
        return;
    DataDoc->Clear();
    if (!K.Data.empty()) {
        std::stringstream In(K.Data);
        DataDoc->LoadFromStream(In, true);
    }
    FileName = K.FileName;
    MailboxNoLength = K.MailboxNoLength;
    SystemManagerMailbox = K.SystemManagerMailbox;
    MessageManagerMailbox = K.MessageManagerMailbox;
    // The tree is built afresh from the restored document.
    SetNoData(true);
    SetNoData(K.NoData);
    SetModified(K.Modified);
    UpdateActionState(2);
    UpdateCaption();
}

bool TMainForm::SaveDataFile(const std::string& Name)
{
    if (!DataDoc->Root())
        return false;
    // A file without the device's system information could not be opened again.
    if (!DataDoc->FindNode(DataDoc->Root(), "System Information")) {
        TDialogs::instance().MessageBox("The data holds no system information of the device, so a file saved now "
                                        "could not be opened again. Load the data from the device first.",
            Utilits::SError, mtError, mbOK);
        return false;
    }
    // The file says which description it was made with; opening it checks that.
    DataDoc->Root()->SetAttr("TemplateVersion", TemplateDoc->Root()->GetAttr("TemplateVersion"));
    DataDoc->Operation = TXmlDoc::opSaveToFile;
    DataDoc->Binary = true;
    DataDoc->FileName = Name;
    return ExecuteModal(true, DataDoc.get()) == mrOk;
}

bool TMainForm::LoadDataFile(const std::string& Name)
{
    DataDoc->Operation = TXmlDoc::opLoadFromFile;
    DataDoc->Binary = true;
    DataDoc->FileName = Name;
    // The library's own box would not say which file it could not read: ours names it.
    DataDoc->ShowErrors = false;
    const bool Read = ExecuteModal(true, DataDoc.get()) == mrOk && DataDoc->Root();
    DataDoc->ShowErrors = true;
    if (!Read) {
        if (!DataDoc->LastError.empty() && DataDoc->LastError != UserBreakMessage())
            RefuseDataFile(Name, "it is damaged or could not be read (" + DataDoc->LastError + ")");
        // Nothing half-read stays in memory.
        DataDoc->Clear();
        return false;
    }
    if (DataDoc->Root()->GetAttr("TemplateVersion") != TemplateDoc->Root()->GetAttr("TemplateVersion")) {
        TDialogs::instance().MessageBox(Utilits::SErrorDataFileVersion1 + "\r\n" + Utilits::SErrorDataFileVersion2,
            Utilits::SError, mtError, mbOK);
        DataDoc->Clear();
        return false;
    }
    // A damaged or crafted file never reaches the forms, let alone the device. It is checked against the tree of
    // the firmware it was saved from, made ready as a connection to that firmware makes it; only a file that passes
    // fixes the firmware.
    std::string Problem;
    int32_t Flash = 0, Rom = 0;
    if (!DataDoc->FindNode(DataDoc->Root(), "System Information"))
        Problem = "it holds no system information of the device";
    else if (!DocumentFirmware(Flash, Rom) || !FirmwareTree(Flash)) {
        DataDoc->Clear();
        return false;
    } else
        Problem = CheckDataDocument(*DataDoc, *TemplateDoc);
    if (!Problem.empty()) {
        RefuseDataFile(Name, Problem);
        DataDoc->Clear();
        return false;
    }
    if (!ReadSystemInformation(false)) {
        DataDoc->Clear();
        return false;
    }
    // Values the device would never show or take open all the same, shown by their windows as they are, but never
    // in silence: the user decides what to do with them before they reach the device.
    if (const std::vector<TParseFault> Faults = CheckDataValues(*DataDoc); !Faults.empty()) {
        std::string Text = "The data file \"" + PathToText(Name) + "\" holds values that break their rules:";
        constexpr size_t Shown = 20;
        for (size_t i = 0; i < Faults.size() && i < Shown; ++i)
            Text += "\r\n" + ParseFaultText(Faults[i]);
        if (Faults.size() > Shown)
            Text += "\r\n(and " + IntToStr(int64_t(Faults.size() - Shown)) + " more)";
        Text += "\r\nIts data was opened; correct these values before they are saved to the VMU.";
        TDialogs::instance().MessageBox(Text, Utilits::SWarning, mtWarning, mbOK);
    }
    // The document itself is whole and checked; what follows it was never part of it.
    if (DataDoc->TrailingBytes > 0)
        TDialogs::instance().MessageBox("The data file \"" + Name + "\" holds " +
                IntToStr(int64_t(DataDoc->TrailingBytes)) +
                " bytes after the end of its data, which were not read: the file was damaged or something was "
                "added to it. Its data was opened; check it before you save it over the file.",
            Utilits::SWarning, mtWarning, mbOK);
    return true;
}

void TMainForm::FileOpen1Execute()
{
    // The windows close first: a Yes to a window's own question writes its edits into the document, and the
    // document's question that follows must cover them.
    if (DeviceJobRunning() || !CloseParameterForms() || !AskSaveChanges())
        return;
    std::string Name;
    if (!TDialogs::instance().OpenFile(DataFileRequest(DialogFolder(FileName, DataDir)), Name))
        return;
    // A file that is refused leaves the document that was open as it was.
    const TOpenDocument Kept = KeepOpenDocument();
    FileName.clear();
    SetNoData(true);
    if (!LoadDataFile(Name)) {
        RestoreOpenDocument(Kept);
        return;
    }
    FileName = Name;
    SetModified(false);
    SetNoData(false);
    UpdateActionState(2);
    UpdateCaption();
}

void TMainForm::FileClose1Execute()
{
    // The windows' edits reach the document before it is asked about (as for Open).
    if (DeviceJobRunning() || !CloseParameterForms() || !AskSaveChanges())
        return;
    DataDoc->Clear();
    FileName.clear();
    SetModified(false);
    SetNoData(true);
    UpdateActionState(2);
    UpdateCaption();
}

bool TMainForm::FileSave1Execute()
{
    std::string Name = FileName;
    if (Name.empty() && !TDialogs::instance().SaveFile(DataFileRequest(DataDir), Name))
        return false;
    if (!SaveDataFile(Name))
        return false;
    FileName = Name;
    SetModified(false);
    UpdateCaption();
    return true;
}

bool TMainForm::FileSaveAs1Execute()
{
    std::string Name;
    if (!TDialogs::instance().SaveFile(DataFileRequest(DialogFolder(FileName, DataDir)), Name))
        return false;
    if (!SaveDataFile(Name))
        return false;
    FileName = Name;
    SetModified(false);
    UpdateCaption();
    return true;
}
