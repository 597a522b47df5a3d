// The main window's roads to the device: connecting and disconnecting, loading and saving sections, the named device commands, the administrator password and the
// reconnection after the device's serial settings changed. Every device job runs in the engine behind the modal
// progress dialog; a road never closes the port while a job uses it, and a lost line ends the job first.
#include "shell/main.h"

#include "common/Utilits.h"
#include "common/ui/ExecuteDialog.h"
#include "common/ui/UtilitsUi.h"
#include "engine/ChangeSet.h"
#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SectionReconcile.h"
#include "engine/StepParameters.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "serial/ComPortSettings.h"
#include "serial/SerPort.h"
#include "shell/SetAdminPassword.h"
#include "shell/SetNewAdminPassword.h"
#include "shell/Terminal.h"
#include "xml/XmlDoc.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>

namespace {

const std::string CRLF = "\r\n";
const std::string NextWriteReadsBack = "What the VMU now holds of the section is not known: the next Apply or save "
                                       "reads the section back from the VMU first and sends only what it then lacks.";

int ErrorBox(const std::string& Text)
{
    return TDialogs::instance().MessageBox(Text, Utilits::SError, mtError, mbOK);
}

}  // namespace

TXmlNode* TMainForm::TreeSectionOf(TXmlNode* Node)
{
    for (TXmlNode* N = Node; N; N = N->Parent)
        if (const TXmlNode* Description = N->GetTemplate(); Description && Description->GetAttr("TreeVisible") == "Yes")
            return N;
    return nullptr;
}

void TMainForm::CreateRoads()
{
    connect(ConnectSet1, &QAction::triggered, this, &TMainForm::ConnectSet1Execute);
    connect(SystemLoadDataFromVMU1, &QAction::triggered, this, &TMainForm::SystemLoadDataFromVMU1Execute);
    connect(SystemSaveDataToVMU1, &QAction::triggered, this, &TMainForm::SystemSaveDataToVMU1Execute);
    connect(SystemSetONLINE1, &QAction::triggered, this, &TMainForm::SystemSetONLINE1Execute);
    connect(SystemSetOFFLINE1, &QAction::triggered, this, &TMainForm::SystemSetOFFLINE1Execute);
    connect(SystemPasswordAdmin1, &QAction::triggered, this, &TMainForm::SystemPasswordAdmin1Execute);
    connect(FileOpen1, &QAction::triggered, this, &TMainForm::FileOpen1Execute);
    connect(FileClose1, &QAction::triggered, this, &TMainForm::FileClose1Execute);
    connect(FileSave1, &QAction::triggered, this, [this] { FileSave1Execute(); });
    connect(FileSaveAs1, &QAction::triggered, this, [this] { FileSaveAs1Execute(); });
    ExecuteForm->SetPasswordProvider([this](std::string& Text) { AskAdminPassword(Text); });
    AdminPasswordPrompt = [this](std::string& Text) {
        TSetAdminPasswordForm Form(this);
        if (Form.exec() != QDialog::Accepted)
            return false;
        Text = FromQ(Form.EditPassword->text());
        return true;
    };
    NewAdminPasswordPrompt = [this](std::string& Text) {
        TSetNewAdminPasswordForm Form(this);
        if (Form.exec() != QDialog::Accepted)
            return false;
        Text = FromQ(Form.EditPassword->text());
        return true;
    };
}

int TMainForm::ExecuteModal(bool CancelVisible, TLongOperation* Operation)
{
    // The progress dialog sets the wait cursor itself; the depth keeps the status timer off the port meanwhile.
    ExecuteForm->Prepare(CancelVisible, Operation);
    ++FJobDepth;
    int Result = ExecuteForm->exec();
    --FJobDepth;
    return Result;
}

bool TMainForm::RunDeviceOperation(uint8_t Operation, bool CancelVisible)
{
    // The job reads the line alone: an open terminal lets go of the port meanwhile, as for its own transfers,
    // and would otherwise take the device's answers from under the engine.
    QList<QPointer<TTerminalForm>> Terminals;
    for (TBaseMDIForm* Form : ChildForms())
        if (auto* Terminal = qobject_cast<TTerminalForm*>(Form)) {
            Terminal->ReleasePort();
            Terminals.append(Terminal);
        }
    ManagerVMU->Mode = Operation;
    const bool Failed = ExecuteModal(CancelVisible, ManagerVMU.get()) != mrOk;
    for (const QPointer<TTerminalForm>& Terminal : Terminals)
        if (Terminal)
            Terminal->TakePort();
    return Failed;
}

bool TMainForm::LoadSectionFromVMU(TXmlNode* Parent, const std::string& Section, uint8_t Operation,
    const std::string& Caption, const std::string& FailureNote, const TClosingText& LineLossNote)
{
    if (RefusedWithoutConnection())
        return false;
    std::unique_ptr<TStepParameters> Steps = DataManager->GetLoadSteps(Parent, Section);
    if (!Steps || Steps->Count() == 0)
        return false;
    ManagerVMU->Caption = Caption.empty() ? Utilits::SLoadingDataFromVMU : Caption;
    ManagerVMU->Steps = Steps.get();
    ManagerVMU->SectionName = Section;
    // Every caller reads a section the document lacks; a failed read must not leave a garbled one behind.
    const bool Had = Section.empty() || DataDoc->FindNode(DataDoc->Root(), Section);
    // The user may give up waiting for a device that does not answer or never stops printing.
    const bool Failed = RunDeviceOperation(Operation, true);
    ManagerVMU->Steps = nullptr;
    if (Failed) {
        if (TXmlNode* Garbled = Had ? nullptr : DataDoc->FindNode(DataDoc->Root(), Section))
            DataDoc->RemoveNode(Garbled);
        // Why it failed (a step the line garbled, values that kept breaking their rules) when the engine knows.
        const std::string& Why = ManagerVMU->FailureText;
        const std::string Text = Utilits::SErrorLoadFromVMU + (Why.empty() ? std::string() : CRLF + Why);
        // A read that belongs to a write says what it means for the write, and a lost line in the same box.
        if (FailureNote.empty())
            ErrorBox(Text);
        else
            TellJobFailure([&](bool LineLost) {
                return Text + CRLF + FailureNote + (LineLossNote ? LineLossNote(LineLost) : std::string());
            });
        return false;
    }
    return true;
}

bool TMainForm::RefusedWithoutConnection()
{
    if (PortOpen() && Connected)
        return false;
    // A window kept open on a lost line, or an Apply before connecting: a job would only fail on the closed port
    // and its box would not say why.
    const QString Keys = ConnectSet1 ? ConnectSet1->shortcut().toString(QKeySequence::NativeText) : QString();
    ErrorBox("The VMU is not connected, so nothing was read from it or written to it. Connect to it first (Connect "
             "in the Connect menu" + (Keys.isEmpty() ? std::string() : ", or " + FromQ(Keys)) + "), then try again.");
    return true;
}

void TMainForm::TellJobFailure(const std::function<std::string(bool LineLost)>& Text)
{
    // The box and its wait keep the status timer away: one lost line gives one box, this one.
    FTellingWriteFailure = true;
    // A hang-up is reported to this thread by a queued call; it decides what the box says.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const bool LineLost = PortOpen() && Connected && !DSRState;
    std::string Box = Text(LineLost);
    if (LineLost) {
        Box += CRLF + Utilits::SConnectionCorrupted;
        FLineLossTold = true;
    }
    ErrorBox(Box);
    FTellingWriteFailure = false;
}

bool TMainForm::SaveSectionsToVMU(TXmlNode* Node, const std::string& Section, bool FromNode,
    const std::string& Caption, const std::string& ErrorText, bool CancelVisible, const TClosingText& Closing)
{
    std::unique_ptr<TStepParameters> Steps = DataManager->GetSaveSteps(Node, Section, FromNode);
    if (!Steps || Steps->Count() == 0)
        return false;
    return RunSaveSteps(std::move(Steps), Node, Section, FromNode, Caption, ErrorText, CancelVisible, Closing);
}

bool TMainForm::RunSaveSteps(std::unique_ptr<TStepParameters> Steps, TXmlNode* Node, const std::string& Section,
    bool FromNode, const std::string& Caption, const std::string& ErrorText, bool CancelVisible,
    const TClosingText& Closing, const TChangeSet* Changes)
{
    if (RefusedWithoutConnection())
        return false;
    const std::string Error = ErrorText.empty() ? Utilits::SErrorSaveToVMU : ErrorText;
    const bool WholeTree = !FromNode && Section.empty();
    if (!FromNode && RefuseUnsendableStore(*Steps, Error, WholeTree))
        return false;
    ManagerVMU->Caption = Caption.empty() ? Utilits::SSavingDataToVMU : Caption;
    ManagerVMU->Steps = Steps.get();
    const bool Failed = RunDeviceOperation(doSave, CancelVisible);
    ManagerVMU->Steps = nullptr;
    if (Failed) {
        const int Done = ManagerVMU->StepsDone;
        const std::string Refusal = ManagerVMU->Refusal;
        const std::string Unconfirmed = ManagerVMU->Unconfirmed;
        TellJobFailure([&](bool LineLost) {
            std::string Text = Error;
            if (FromNode) {
                if (LineLost)
                    Text += CRLF + "The command may have taken effect before the line was lost.";
                if (Closing)
                    Text += CRLF + Closing(LineLost);
                return Text;
            }
            // A save of the whole tree also names the sections it wrote and those it did not.
            const TClosingText Sections = [&](bool Lost) {
                return SectionsWrittenText(*Steps, Done) + CRLF + (Closing ? Closing(Lost) : NextWriteReadsBack);
            };
            Text += CRLF + WriteFailureText(*Steps, Done, LineLost, Refusal, Unconfirmed,
                WholeTree ? Sections : Closing, Changes);
            MarkUnsettledSections(*Steps, Done, Section);
            if (Done > 0) {
                DataManager->CommitSentSteps(*Steps, Done);
                SetModified(true);
            }
            return Text;
        });
        return false;
    }
    DataManager->CommitSavedChanges(Section.empty() ? Node->GetName() : Section);
    SetModified(true);
    return true;
}

std::string TMainForm::WriteFailureText(const TStepParameters& Steps, int Done, bool LineLost,
    const std::string& Refusal, const std::string& Unconfirmed, const TClosingText& Closing,
    const TChangeSet* Changes) const
{
    int Took = 0, Total = 0;
    if (Changes) {
        // A value's store is its own steps or, without them, those of the nearest value above it; a value this
        // write does not send at all the read-back before it found on the device.
        std::map<std::string, int> StoreEnds;
        for (const TNodeSteps& R : Steps.NodeSteps) {
            std::string Path;
            const TXmlNode* N = R.Node;
            for (; N && N->GetName() != Changes->Section; N = N->Parent)
                Path = Path.empty() ? N->GetName() : JoinPath(N->GetName(), Path);
            if (N && R.End > R.First)
                StoreEnds[Path.empty() ? N->GetName() : JoinPath(N->GetName(), Path)] = R.End;
        }
        // A value this write does not send (the read-back before it found it on the device) is confirmed: neither
        // it nor a record above it is marked to be sent.
        TXmlNode* Section = DataDoc->FindNode(DataDoc->Root(), Changes->Section);
        auto NotSent = [&](const std::string& Path) {
            const TXmlNode* Node = Section ? NodeAtPath(Section, Path) : nullptr;
            for (const TXmlNode* N = Node; N && N != Section->Parent; N = N->Parent)
                if (const std::string Mark = N->GetAttr("Change"); Mark == "Insert" || (N == Node && Mark != "NoChange"))
                    return false;
            return Node != nullptr;
        };
        CountChanges(*Changes, [&](const std::string& Path) {
            if (NotSent(Path))
                return true;
            for (std::string Up = Path; !Up.empty();) {
                if (auto It = StoreEnds.find(Up); It != StoreEnds.end())
                    return It->second <= Done;
                const size_t Cut = Up.rfind('\t');
                Up = Cut == std::string::npos ? std::string() : Up.substr(0, Cut);
            }
            return true;
        }, Took, Total);
    } else {
        TDataManager::CountSentChanges(Steps, Done, Took, Total);
    }
    std::string Text;
    if (Total > 0)
        Text = Took <= 0 ? Format("The VMU confirmed none of the %s changed values.", {IntToStr(Total)})
                         : Format("The VMU confirmed %s of the %s changed values.", {IntToStr(Took), IntToStr(Total)});
    std::string Untaken;
    const TXmlNode* Sent = TDataManager::NodeBeingSent(Steps, Done);
    if (!Unconfirmed.empty()) {
        Untaken = Sent ? Format("The value \"%s\" of \"%s\" %s.", {ShownValue(Sent->GetValue()), Sent->GetName(),
                             Unconfirmed})
                       : "What was being sent " + Unconfirmed + ".";
    } else if (!Refusal.empty()) {
        Untaken = Sent ? Format("The VMU refused the value \"%s\" of \"%s\": it answered \"%s\".",
                             {Sent->GetValue(), Sent->GetName(), Refusal})
                       : Format("The VMU refused what was being sent: it answered \"%s\".", {Refusal});
    } else if (Took < Total) {
        Untaken = LineLost ? "The value being sent when the line was lost may have been stored as well."
                           : "The value being sent was not confirmed.";
    }
    if (!Untaken.empty())
        Text += (Text.empty() ? "" : " ") + Untaken;
    return Text + (Text.empty() ? "" : CRLF) +
        (Closing ? Closing(LineLost) : NextWriteReadsBack);
}

bool TMainForm::RefuseUnsendableStore(const TStepParameters& Steps, const std::string& Error, bool WholeTree)
{
    const int Empty = Steps.FirstEmptyStore();
    if (Empty < 0)
        return false;
    const TXmlNode* Value = TDataManager::NodeBeingSent(Steps, Empty);
    std::string Text = Error + CRLF + "Nothing was sent to the VMU: " +
        (Value ? Format("\"%s\" of \"%s\" is empty", {Value->GetName(), FaultRecordName(Value->Parent)})
               : std::string("a value is empty")) +
        ", and the VMU has no way to be given it empty (an empty line keeps its old value). Give it a value and save "
        "again.";
    if (WholeTree)
        Text += CRLF + SectionsWrittenText(Steps, -1);
    ErrorBox(Text);
    return true;
}

std::string TMainForm::SectionsWrittenText(const TStepParameters& Steps, int Done)
{
    // The sections with steps of their own; one that holds another of them is only the menu leading to it.
    std::vector<const TNodeSteps*> Sections;
    for (const TNodeSteps& R : Steps.NodeSteps)
        if (R.Node && R.End > R.First && TreeSectionOf(R.Node) == R.Node)
            Sections.push_back(&R);
    auto HoldsAnother = [&](const TNodeSteps* Outer) {
        for (const TNodeSteps* Inner : Sections)
            for (const TXmlNode* N = Inner->Node->Parent; N; N = N->Parent)
                if (N == Outer->Node)
                    return true;
        return false;
    };
    std::string Written, NotWritten;
    for (const TNodeSteps* R : Sections) {
        if (HoldsAnother(R))
            continue;
        const std::string Name = "\"" + R->Node->GetName() + "\"";
        if (R->End <= Done)
            Written += (Written.empty() ? "" : ", ") + Name;
        else
            NotWritten += (NotWritten.empty() ? "" : ", ") + Name +
                (R->First <= Done ? " (the save stopped in it)" : "");
    }
    return (Written.empty() ? std::string("No section was written.") : "Written: " + Written + ".") +
        (NotWritten.empty() ? std::string() : " Not written: " + NotWritten + ".");
}

void TMainForm::MarkUnsettledSections(const TStepParameters& Steps, int Done, const std::string& Section)
{
    TXmlNode* Unsettled = nullptr;
    if (!Section.empty()) {
        Unsettled = TreeSectionOf(DataDoc->FindNode(DataDoc->Root(), Section));
    } else {
        // A save of the whole tree: the section whose steps were under way when it stopped.
        for (const TNodeSteps& R : Steps.NodeSteps)
            if (R.Node && R.First <= Done && Done < R.End && TreeSectionOf(R.Node) == R.Node &&
                (!Unsettled || R.Node->Level() > Unsettled->Level()))
                Unsettled = R.Node;
    }
    if (Unsettled)
        Unsettled->SetAttr(UnsettledAttr, "Yes");
}

bool TMainForm::WriteMarkedSection(const std::string& Name, const TClosingText& Closing, const TChangeSet* Changes)
{
    // A section without any change yields no steps: nothing to send is no failure.
    std::unique_ptr<TStepParameters> Steps = DataManager->GetSaveSteps(ParamsNode, Name, false);
    if (!Steps || Steps->Count() == 0) {
        DataManager->CommitSavedChanges(Name);
        return true;
    }
    return RunSaveSteps(std::move(Steps), ParamsNode, Name, false, "", "", false, Closing, Changes);
}

bool TMainForm::WriteSectionToVMU(const std::string& Section, const TChangeSet* Changes)
{
    std::string Name = Section;
    if (TXmlNode* Whole = TreeSectionOf(DataDoc->FindNode(DataDoc->Root(), Section));
        Whole && Whole->Attrs.Find(UnsettledAttr)) {
        // A change set names its values from the window's section: it bounds the read-back only when that is
        // the section read back.
        if (!ReconcileWithDevice(Whole, Changes && Changes->Section == Whole->GetName() ? Changes : nullptr))
            return false;
        // The marks now cover the whole section, whichever part of it the caller's window shows.
        Name = Whole->GetName();
    }
    return WriteMarkedSection(Name, {}, Changes);
}

TMainForm::TReadBack TMainForm::ReadBackSection(const std::string& Name, const std::string& Note,
    const TClosingText& LineLossNote)
{
    TReadBack R;
    // The document's section is held aside while the device's copy is parsed in its place; the held nodes, which
    // an open window is bound to, go back unchanged whatever the read gives.
    TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), Name);
    TXmlNode* Parent = Live ? Live->Parent : nullptr;
    const int Index = Live ? Live->Index() : 0;
    std::unique_ptr<TXmlNode> Held = Parent ? Parent->Nodes.Extract(Index) : nullptr;
    const bool Read = LoadSectionFromVMU(ParamsNode, Name, doLoad, "", Note, LineLossNote);
    if (TXmlNode* Fresh = DataDoc->FindNode(DataDoc->Root(), Name)) {
        R.Parent = Fresh->Parent;
        R.Index = Fresh->Index();
        R.Device = R.Parent->Nodes.Extract(R.Index);
    }
    if (Held)
        Parent->Nodes.Insert(Index, std::move(Held));
    if (!Read || !R.Parent)
        R.Device.reset();
    return R;
}

bool TMainForm::WriteTree(const TReadBack& Read, std::unique_ptr<TXmlNode>& Tree, const TClosingText& Closing)
{
    const std::string Name = Tree->GetName();
    TXmlNode* Live = DataDoc->FindNode(DataDoc->Root(), Name);
    TXmlNode* Parent = Live ? Live->Parent : nullptr;
    const int Index = Live ? Live->Index() : 0;
    std::unique_ptr<TXmlNode> Held = Parent ? Parent->Nodes.Extract(Index) : nullptr;
    TXmlNode* Placed = Tree.get();
    Read.Parent->Nodes.Insert(Read.Index, std::move(Tree));
    ReconcileSection(Placed, Read.Device->Clone(true), ReconcileKindOf(Name));
    const bool Written = WriteMarkedSection(Name, Closing);
    Tree = Read.Parent->Nodes.Extract(Placed->Index());
    if (Held)
        Parent->Nodes.Insert(Index, std::move(Held));
    return Written;
}

bool TMainForm::ReconcileWithDevice(TXmlNode* Section, const TChangeSet* Changes, const TClosingText& LineLossNote)
{
    if (!Section || !Section->Parent || !ParamsNode)
        return false;
    const std::string Name = Section->GetName();
    TReadBack Read = ReadBackSection(Name,
        "Nothing was written: the section is read back from the VMU before anything of it is sent, and the next "
        "Apply or save reads it again.",
        LineLossNote);
    if (!Read.Device)
        return false;
    if (Changes && !Changes->Empty()) {
        // Only the change is the window's to send: everywhere else the document takes what the device holds, and
        // what differs there is never sent from a copy that may be stale.
        TValueMap Held;
        CollectValues(Read.Device.get(), "", Held);
        std::unique_ptr<TXmlNode> Target = Read.Device->Clone(true);
        ApplyTargets(Target.get(), *Changes, RetryTargets(*Changes, Held), [&](const std::string& Path) {
            return NodeAtPath(Section, Path);
        });
        TakeTreeInPlace(Section, Target.get());
        ReshowSectionWindows(Name);
    }
    ReconcileSection(Section, std::move(Read.Device), ReconcileKindOf(Name));
    Section->DeleteAttr(UnsettledAttr);
    SetModified(true);
    return true;
}

bool TMainForm::ReconcileUnsettledSections(const TClosingText& LineLossNote)
{
    std::vector<TXmlNode*> Unsettled;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(DataDoc->Root(), DataDoc->Root()); N; N = Walk.Next(N))
        if (N->Attrs.Find(UnsettledAttr))
            Unsettled.push_back(N);
    for (TXmlNode* Section : Unsettled)
        if (!ReconcileWithDevice(Section, nullptr, LineLossNote))
            return false;
    return true;
}

bool TMainForm::TakeResetValuesFromDevice(const TClosingText& LineLossNote)
{
    TXmlNode* Params = ParamsNode ? DataDoc->FindNode(DataDoc->Root(), ParamsNode->GetName()) : nullptr;
    if (!Params)
        return true;
    std::vector<std::pair<TXmlNode*, std::vector<TXmlNode*>>> Sections;
    for (TXmlNode* Value : ValuesResentAfterResets(Params)) {
        TXmlNode* Section = TreeSectionOf(Value);
        if (!Section)
            continue;
        if (Sections.empty() || Sections.back().first != Section)
            Sections.push_back({Section, {}});
        Sections.back().second.push_back(Value);
    }
    for (auto& [Section, Values] : Sections) {
        const std::string Name = Section->GetName();
        TReadBack Read = ReadBackSection(Name,
            "Nothing was written: the section is read back from the VMU before anything of it is sent, since "
            "values it resets are sent again as the VMU holds them.",
            LineLossNote);
        if (!Read.Device)
            return false;
        if (TakeHeldValues(Section, Read.Device.get(), Values) > 0) {
            ReshowSectionWindows(Name);
            SetModified(true);
        }
    }
    return true;
}

bool TMainForm::RunSetCommand(const std::string& Name, const std::string& Caption, bool CancelVisible,
    const std::string& ValueParam1, const std::string& ValueParam2, const TClosingText& Closing)
{
    TXmlNode* Commands = TemplateDoc->FindNode(TemplateDoc->Root(), "VMU Set Parameters");
    TXmlNode* Command = Commands ? TemplateDoc->FindNode(Commands, Name) : nullptr;
    if (!Command)
        return false;
    if (Command->Attrs.Find("ValueParam1"))
        Command->SetAttr("ValueParam1", ValueParam1);
    if (Command->Attrs.Find("ValueParam2"))
        Command->SetAttr("ValueParam2", ValueParam2);
    const std::string ErrorText = Command->GetAttr("ErrorMessage");
    const bool WasModified = Modified;
    const bool Result = SaveSectionsToVMU(Command, Name, true, Caption, ErrorText, CancelVisible, Closing);
    // The parameters were needed only for this run; none of them (a password) stays in the description.
    if (Command->Attrs.Find("ValueParam1"))
        Command->SetAttr("ValueParam1", "");
    if (Command->Attrs.Find("ValueParam2"))
        Command->SetAttr("ValueParam2", "");
    SetModified(WasModified);
    return Result;
}

bool TMainForm::ConnectDevice()
{
    try {
        ComPort->Open();
    } catch (const Exception& E) {
        ShowError(E.Message);
        return false;
    }
    if (!PortOpen() || !ComPort->LastErrors().empty() || !DSRState) {
        ErrorBox(Utilits::SConnectionNotEstablished);
        ComPort->Close();
        UpdateActionState(1);
        return false;
    }
    Connected = true;
    FLineLossTold = false;
    ComPort->SetDTR(true);
    if (RunDeviceOperation(doConnect, true)) {
        switch (ManagerVMU->LoginFailure) {
        case TManagerVMU::lfPasswordRefused: ErrorBox(Utilits::SConnectionPasswordRefused); break;
        case TManagerVMU::lfNoAnswer: ErrorBox(Utilits::SConnectionNoAnswer); break;
        case TManagerVMU::lfPasswordCancelled: ErrorBox(Utilits::SConnectionPasswordCancelled); break;
        default: ErrorBox(Utilits::SConnectionNotEstablished); break;
        }
    } else if (ReadSystemInformation(true)) {
        UpdateActionState(1);
        // Edits dropped while the line was down may have left part of them on the device: that is settled before
        // anything else reaches it, in either mode, so that no later write meets a put-back.
        SettleWaitingPutBacks();
        OfferOnLineIfOffLine();
        return true;
    }
    ComPort->Close();
    Connected = false;
    AdminPassword.clear();
    UpdateActionState(1);
    return false;
}

bool TMainForm::DisconnectDevice(bool Force)
{
    const bool Closed = BatchMode ? CloseFormsOfKind(TFormKinds{4}) : CloseParameterForms();
    if (!Force && !Closed)
        return false;
    // Closing the port leaves the device where it was: logged in, and whoever reaches the line next would be in
    // its administrator menu without a password. A disconnection the user asked for therefore logs off first with
    // the description's own keys; a forced one has no device left to talk to. A log-off that fails is told (the
    // command's error text), and the disconnection goes on.
    if (!Force && Connected && PortOpen() && DSRState)
        RunSetCommand("Log Off", "Logging off the VMU ...", true, "", "");
    Connected = false;
    ComPort->Close();
    UpdateActionState(1);
    AdminPassword.clear();
    return true;
}

void TMainForm::AskAdminPassword(std::string& Password)
{
    if (AdminPassword.empty()) {
        std::string Typed;
        if (AdminPasswordPrompt && AdminPasswordPrompt(Typed))
            AdminPassword = Typed + CRLF;
    }
    Password = AdminPassword;
}

void TMainForm::PostPortSettingsChanged(const std::string& BaudRate, const std::string& DataBits,
    const std::string& Parity, const std::string& StopBits)
{
    // The poster (a section window applying the device's new line settings) is in the middle of its own work;
    // the reconnection runs once it has returned.
    QMetaObject::invokeMethod(
        this, [this, BaudRate, DataBits, Parity, StopBits] { WMChangePortSettings(BaudRate, DataBits, Parity, StopBits); },
        Qt::QueuedConnection);
}

void TMainForm::WMChangePortSettings(const std::string& BaudRate, const std::string& DataBits,
    const std::string& Parity, const std::string& StopBits)
{
    DisconnectDevice(true);
    if (TDialogs::instance().MessageBox(Utilits::SConfirmReconnect, Utilits::SWarning, mtConfirmation,
            mbYes | mbNo) != mrYes)
        return;
    ApplyComPortTexts(ComPort.get(), BaudRate, DataBits, Parity, StopBits);
    WritePortSettings();
    ConnectDevice();
}

void TMainForm::CheckConnection()
{
    // Never while a job uses the port (the job sees the lost line itself and ends with its own message), and
    // never again while the message of an earlier check is still open.
    if (DeviceJobRunning() || FCheckingConnection)
        return;
    if (FTellingWriteFailure || !PortOpen() || !Connected || DSRState)
        return;
    FCheckingConnection = true;
    // What happened comes before the questions of the windows that the disconnection closes.
    if (!FLineLossTold)
        ErrorBox(Utilits::SConnectionCorrupted);
    FLineLossTold = false;
    DisconnectDevice(true);
    FCheckingConnection = false;
}

void TMainForm::ConnectSet1Execute()
{
    if (DeviceJobRunning())
        return;
    if (!PortOpen())
        ConnectDevice();
    else
        DisconnectDevice(false);
}

void TMainForm::SystemLoadDataFromVMU1Execute()
{
    // The windows' edits reach the document before it is asked about (as for File Open).
    if (!CloseParameterForms() || !AskSaveChanges())
        return;
    // A load that fails (a dropped line, a cancel) leaves the document that was open as it was.
    const TOpenDocument Kept = KeepOpenDocument();
    if (TXmlNode* Data = DataDoc->FindNode(DataDoc->Root(), ParamsNode->GetName()))
        DataDoc->RemoveNode(Data);
    FileName.clear();
    SetNoData(true);
    UpdateActionState(2);
    // A document emptied by File Close has lost the system information; a file saved without it would not open.
    if ((!DataDoc->FindNode(DataDoc->Root(), "System Information") && !ReadSystemInformation(true)) ||
        !LoadSectionFromVMU(ParamsNode, "", doLoad, "")) {
        RestoreOpenDocument(Kept);
        return;
    }
    TDialogs::instance().MessageBox(Utilits::SWarningLoadFromVMU1 + CRLF + Utilits::SWarningLoadFromVMU2,
        Utilits::SWarning, mtWarning, mbOK);
    SetModified(true);
    SetNoData(false);
    UpdateCaption();
    UpdateActionState(2);
}

void TMainForm::SystemSaveDataToVMU1Execute()
{
    const std::string Question = Utilits::SWarningSaveToVMU1 + CRLF + Utilits::SWarningSaveToVMU2 + CRLF +
        Utilits::SWarningSaveToVMU3 + CRLF + Utilits::SWarningSaveToVMU4;
    if (TDialogs::instance().MessageBox(Question, Utilits::SWarning, mtWarning, mbYes | mbNo) != mrYes)
        return;
    // A value the device can never take stops the save before its mode commands too: nothing at all is sent.
    if (const std::unique_ptr<TStepParameters> Steps = DataManager->GetSaveSteps(ParamsNode, "", false);
        Steps && RefuseUnsendableStore(*Steps, Utilits::SErrorSaveToVMU, true))
        return;
    // A mode command that fails in any way (garbled, refused, cut) may leave the device OFF LINE: its box says so,
    // and what puts the device back.
    auto RunModeCommand = [this](const char* Name, const std::string& Caption, bool CancelVisible) {
        return RunSetCommand(Name, Caption, CancelVisible, "", "", [](bool) {
            return std::string("The VMU may be left OFF LINE. The next \"Save parameters to VMU\" sets it ON LINE "
                               "again.");
        });
    };
    // What the next connection says if the line goes while the VMU may be OFF LINE.
    FOffLineCause = "a \"Save parameters to VMU\" was cut short as it set the VMU OFF LINE, before it wrote anything";
    if (!RunModeCommand("Set OFF LINE Mode", Utilits::SSetOFFLINE, true)) {
        // A half-done or cancelled OFF LINE command may have left callers locked out: put the device back, unless
        // the line is gone (its box has said so).
        if (PortOpen() && DSRState && RunModeCommand("Set ON LINE Mode", Utilits::SSetONLINE, false))
            FOffLineCause.clear();
        return;
    }
    // The line lost from here on leaves the VMU OFF LINE: the box of the job it cuts says so.
    const TClosingText LeftOffLine = [](bool LineLost) {
        return LineLost ? CRLF + "The VMU is left OFF LINE. The next \"Save parameters to VMU\" sets it ON LINE again."
                        : std::string();
    };
    // A failed write leaves the data file alone: its marks stay in the document, which stays modified, so that
    // the user decides whether the file takes them (File Save, or the question when it is closed).
    auto FileNote = [this](bool) {
        return FileName.empty() ? std::string()
                                : CRLF + "The data file was not saved: File Save, or saying Yes when it is closed, "
                                         "keeps in it what the next save to the VMU needs.";
    };
    // A section an earlier save left half-written is brought to what the document holds, not sent blindly again;
    // values a store resets are typed again as the device holds them, not from a copy older than the device's.
    const TClosingText ReadNote = [&](bool LineLost) { return LeftOffLine(LineLost) + FileNote(LineLost); };
    bool Failed = !ReconcileUnsettledSections(ReadNote) || !TakeResetValuesFromDevice(ReadNote);
    if (!Failed) {
        // No changed section gives no steps: nothing to send is no failure.
        std::unique_ptr<TStepParameters> Steps = DataManager->GetSaveSteps(ParamsNode, "", false);
        if (Steps && Steps->Count() > 0 &&
            !RunSaveSteps(std::move(Steps), ParamsNode, "", false, "", "", false, [&](bool LineLost) {
                return NextWriteReadsBack + LeftOffLine(LineLost) + FileNote(LineLost);
            })) {
            Failed = true;
            // The failed write marked what the next save reads back: the document holds more than the file.
            SetModified(true);
        }
    }
    if (Failed) {
        const std::string Left = SectionsLeftToSave();
        FOffLineCause = "a \"Save parameters to VMU\" was cut short" + (Left.empty() ? std::string() : " (" + Left + ")");
    } else {
        FOffLineCause = "a \"Save parameters to VMU\" was cut short after it wrote every section, as it set the VMU "
                        "ON LINE again";
        // The open file follows the device, with the marks of what was sent cleared.
        if (!FileName.empty())
            FileSave1Execute();
    }
    // A lost line has had its box; the command could only fail with another.
    if (PortOpen() && DSRState && RunModeCommand("Set ON LINE Mode", Utilits::SSetONLINE, false))
        FOffLineCause.clear();
}

void TMainForm::SystemSetONLINE1Execute()
{
    if (RunSetCommand("Set ON LINE Mode", Utilits::SSetONLINE, false, "", ""))
        FOffLineCause.clear();
}

void TMainForm::SystemSetOFFLINE1Execute()
{
    RunSetCommand("Set OFF LINE Mode", Utilits::SSetOFFLINE, true, "", "");
}

void TMainForm::SystemPasswordAdmin1Execute()
{
    std::string Password;
    if (!NewAdminPasswordPrompt || !NewAdminPasswordPrompt(Password))
        return;
    // The new password stands masked in any trace or step file written during the run.
    ManagerVMU->Secrets = {Password};
    const bool Done = RunSetCommand("Set Administrator Password", "", false, Password, "");
    ManagerVMU->Secrets.clear();
    // The device takes the new password at the next log-in; the cached one must follow it.
    if (Done)
        AdminPassword = Password + CRLF;
}
