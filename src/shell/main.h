// The main window: the MDI frame that owns everything living as long as the program (the description and data
// documents, the progress dialog, later the port and the device engine) and holds the program-wide state (mode,
// connection, open data file, device facts) that the other windows read through the global MainForm.
//
// Creation loads and checks the description document "Orlantis.dat" beside the program and stops early when it
// cannot be used: StartupResult() then says why, the window is never shown and the caller ends the program
// (a missing or unreadable document: one line on stderr and a non-zero exit status; a wrong "TemplateVersion" or
// a document without its parameter tree: an error box first). Creation never throws for bad input.
//
// The unit is split by concern: main.cpp (creation, closing, clock), MainActions.cpp (actions, menus, tool bar,
// status bar, window menu), MainTree.cpp (form registry, parameter tree and menu, child-window bookkeeping),
// MainModes.cpp (mode, modified state, caption, action enabling), MainTerminal.cpp (the terminal command).
#pragma once

#include "common/FormKinds.h"
#include "engine/ChangeSet.h"

#include <QMainWindow>
#include <QPixmap>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TBaseFormInfo;
class TBaseMDIForm;
class TDataManager;
class TExecuteForm;
class TFormServices;
class TLongOperation;
class TManagerVMU;
class TSerPort;
class TSerPortVmu;
class TStepParameters;
class TMainForm;
class TMainHelp;
class TMyDockPanel;
class TTreeDock;
class TXmlDoc;
class TXmlNode;
// The terminal window (MainTerminal.cpp).
class TTerminalForm;
struct TTerminalHost;

// The one main window (null before it is created and after it is gone).
extern TMainForm* MainForm;

enum TStartupResult {
    srRunning,           // created; the window can be shown
    srNoDescription,     // "Orlantis.dat" missing or unreadable (no box; StartupError names the file)
    srVersionMismatch,   // "TemplateVersion" does not fit the program (box shown)
    srFormatError        // the document lacks a part the program needs (box shown)
};

// One item of the parameter menu while it is collected from the description; made into menus and actions once
// it is known which items have sub-items. Refers to its node by handle.
struct TParamMenuItem {
    std::string Caption;
    std::string Hint;
    int32_t NodeHandle = 0;
    std::vector<std::unique_ptr<TParamMenuItem>> Items;
};

// The window title the main window starts with; the caption follows the mode and the open file.
inline constexpr const char* MainFormCaption = "Orlantis program";
// The firmware whose parameter tree is chosen at start-up.
inline constexpr int StartFirmware = 409;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Runs the whole creation; Arguments are the program's command-line words without the program name.
    explicit TMainForm(const QStringList& Arguments, QWidget* Parent = nullptr);
    ~TMainForm() override;

    TStartupResult StartupResult() const { return FStartupResult; }
    bool Terminated() const { return FStartupResult != srRunning; }
    // One line for stderr when the description document could not be loaded; '' otherwise.
    const std::string& StartupError() const { return FStartupError; }

    // Shows the window as the program starts: maximised. Its normal size, the one it has where nothing maximises
    // it (a desktop without a window manager) and the one it is restored to, is most of its screen's working area,
    // centred, so that its menu bar and the tree's names fit on a screen as small as 1280 x 800.
    void ShowAtStart();

    // --- Services of the unit -------------------------------------------------------------------------------
    std::string GetProgramVersion() const;
    std::string GetSettingsFileName() const;
    void InitActionState();

    // Mode, modified state, caption and action enabling.
    void SetMode(bool Batch);
    void SetModified(bool Value);
    bool AskSaveChanges();   // false: the user cancelled
    void UpdateActionState(int What);   // 0 mode, 1 connection, 2 data present, 3 modified
    void UpdateCaption();
    // Enables the reports and the named device commands together.
    void UpdateDeviceActions(bool Enabled);
    bool PortOpen() const;

    // Form registry, parameter tree and menu.
    void AttachFormInfos();
    void DetachFormInfos();
    TBaseFormInfo* GetFormInfo(const TXmlNode* Node) const;
    TBaseFormInfo* GetFormInfoByName(const std::string& Section) const;
    void OpenNodeForm(TXmlNode* Node);
    // Collects the menu items of Node's subtree under ParentItem (null: the top level, next to the fixed menus).
    void BuildMenu(TXmlNode* Node, TParamMenuItem* ParentItem);
    void RebuildMenu();
    void SetMenuEnabled(bool Enabled);
    void BuildTree(TXmlNode* Node, QTreeWidgetItem* ParentTreeNode);
    void BuildTreeView();
    void SetTreeEnabled(bool Enabled);
    void SetNoData(bool Value);
    void GetSectionCaption(const std::string& Section, std::string& Caption) const;
    void GetNodeDisplayInfo(const TXmlNode* Node, std::string& Hint, std::string& Name) const;
    // Interactive mode: drops the data of the sections whose window is not open ('' = every section of the tree).
    void ForgetUnopenedSections(const std::string& Section);

    // Child windows, found by their kinds, opener and row.
    TBaseMDIForm* FindChildForm(const TFormKinds& Kinds, const TBaseMDIForm* OwnerForm, int32_t Index) const;
    bool CloseParameterForms();
    bool CloseFormsOfKind(const TFormKinds& Kinds);
    bool CloseOwnedForms(const TBaseMDIForm* OwnerForm);
    void NextChildPosition(const TFormKinds& Kinds, const TBaseMDIForm* OwnerForm, int& Top, int& Left) const;
    // The open section windows (not hidden), front window first.
    QList<TBaseMDIForm*> ChildForms() const;

    // Tree panel (docking in DockMDI.cpp): made once, docked or floating; ShowTree hides and shows it in either
    // state; HideParameterTree unchecks the command and, with FreeIt, frees the panel and the tree.
    void CreateTreePanel(bool Floating = false);
    void ShowTree(bool Show);
    void HideParameterTree(bool FreeIt);

    // Device roads (MainRoads.cpp): every device job runs behind the modal progress dialog.
    int ExecuteModal(bool CancelVisible, TLongOperation* Operation);
    bool RunDeviceOperation(uint8_t Operation, bool CancelVisible);   // true: failed or cancelled
    // FailureNote: said with the load's error in one box (a lost line in the same box) when the read is part of a
    // write; empty: the plain load error.
    // The last sentence of a failed write's box, told whether the line is lost (empty: what the next write does).
    using TClosingText = std::function<std::string(bool LineLost)>;
    // LineLossNote: what the failure's box adds after FailureNote (a lost line: the mode the VMU is left in).
    bool LoadSectionFromVMU(TXmlNode* Parent, const std::string& Section, uint8_t Operation,
        const std::string& Caption, const std::string& FailureNote = "", const TClosingText& LineLossNote = {});
    bool SaveSectionsToVMU(TXmlNode* Node, const std::string& Section, bool FromNode, const std::string& Caption,
        const std::string& ErrorText, bool CancelVisible, const TClosingText& Closing = {});
    bool RunSaveSteps(std::unique_ptr<TStepParameters> Steps, TXmlNode* Node, const std::string& Section,
        bool FromNode, const std::string& Caption, const std::string& ErrorText, bool CancelVisible,
        const TClosingText& Closing, const TChangeSet* Changes = nullptr);
    // The marks of the data section Name sent to the device; nothing to send is no failure. Changes: the change set
    // of the Apply behind the write, which its box counts (null: the write's own changes).
    bool WriteMarkedSection(const std::string& Name, const TClosingText& Closing = {},
        const TChangeSet* Changes = nullptr);
    // Interactive mode's write of one section (or of the part of it a window shows); false when it failed (its box
    // has been shown). Changes: the change set of the Apply, which a write after a cut keeps to.
    bool WriteSectionToVMU(const std::string& Section, const TChangeSet* Changes = nullptr);
    // A section whose write failed part-way holds on the device what nobody knows: it is read back and its marks
    // worked out afresh against what the device now holds (SectionReconcile.h). With Changes, only their values
    // are marked, and the document and the windows take what the device holds everywhere else. False when the
    // read failed (its box has been shown); the section and its marks are then as they were.
    bool ReconcileWithDevice(TXmlNode* Section, const TChangeSet* Changes = nullptr,
        const TClosingText& LineLossNote = {});
    // A section as the device holds it, read aside: the data document's own section (if any) stays as it was.
    // Device is null when the read failed (its box, with Note, has been shown).
    struct TReadBack {
        std::unique_ptr<TXmlNode> Device;
        TXmlNode* Parent = nullptr;   // where the section sits in the data document
        int Index = 0;
    };
    TReadBack ReadBackSection(const std::string& Name, const std::string& Note, const TClosingText& LineLossNote = {});
    // Tree, made from Read's device copy, written to the device (in the data document's place of the section for
    // the time of the write); false when the write failed (its box has been shown).
    bool WriteTree(const TReadBack& Read, std::unique_ptr<TXmlNode>& Tree, const TClosingText& Closing);
    // Every section of the data document left unsettled by a failed write, reconciled in turn; false at the first
    // read that failed (its box adds LineLossNote).
    bool ReconcileUnsettledSections(const TClosingText& LineLossNote = {});
    // Closing: a line the box adds however the command failed (the mode the VMU may be left in).
    bool RunSetCommand(const std::string& Name, const std::string& Caption, bool CancelVisible,
        const std::string& ValueParam1, const std::string& ValueParam2, const TClosingText& Closing = {});
    // A window dropped its edits after a write of them failed part-way (MainPutBack.cpp): Changes is what its cut
    // Applies were to change. The data document takes the values before at once and the windows open on the
    // section show them; the device is settled now when the line is up, else first thing at the next connection.
    // Caption names the window in the boxes.
    void PutSectionBack(TChangeSet Changes, const std::string& Caption);
    // The put-backs that waited for a connection, each after a question; false at the first that must wait again
    // (the line went; its box has been shown).
    bool SettleWaitingPutBacks();
    bool PutBacksPending() const { return !FPutBacks.empty(); }
    // Quitting gives up what the device may still hold of changes not completed: put-backs still to do and, in
    // interactive mode (whose document is not kept), sections whose write was cut short. The user is told which
    // and chooses; false: the user stays. True at once when there are none.
    bool AskQuitLeavingDeviceUnsettled();
    // The section of the parameter tree that Node lies in: the nearest node the tree shows (null: none).
    static TXmlNode* TreeSectionOf(TXmlNode* Node);
    // At a connection, in either mode: a VMU the system information shows OFF LINE (callers cannot reach the voice
    // mail) is told, with what left it so when this program knows it, and Yes sets it ON LINE (MainOnLine.cpp).
    void OfferOnLineIfOffLine();
    // The sections of the data document whose write was cut short ("written in part: ...") and those whose changes
    // were not written ("not written: ..."), by caption in tree order; '' when there are none.
    std::string SectionsLeftToSave() const;
    bool ConnectDevice();
    bool DisconnectDevice(bool Force);
    bool ReadSystemInformation(bool FromDevice);
    // The firmware the data document's system information gives; false, told in a box, when it gives none.
    bool DocumentFirmware(int32_t& Flash, int32_t& ROM);
    // The parameter tree of a firmware, made ready as that firmware needs it (the older tree patched, once), with
    // nothing else of the program changed: a connection selects it, and a data file is checked against it before
    // it may fix the firmware. Null, told in a box, when the program runs another firmware already or the
    // description lacks the tree.
    TXmlNode* FirmwareTree(int32_t Flash);
    bool SelectTemplate(int32_t Flash, int32_t ROM);
    void AskAdminPassword(std::string& Password);
    // Stands for message 1025: the device's serial settings were changed; queued, handled after the caller returns.
    void PostPortSettingsChanged(const std::string& BaudRate, const std::string& DataBits, const std::string& Parity,
        const std::string& StopBits);
    void WMChangePortSettings(const std::string& BaudRate, const std::string& DataBits, const std::string& Parity,
        const std::string& StopBits);
    // The status timer's look at the line: a connection whose DSR went away is ended with a message.
    void CheckConnection();
    bool DeviceJobRunning() const { return FJobDepth > 0; }
    // How the administrator password and a new one are asked (a modal dialog; tests put their own answer here).
    // True and Text set when the user confirmed.
    std::function<bool(std::string& Text)> AdminPasswordPrompt;
    std::function<bool(std::string& Text)> NewAdminPasswordPrompt;

    // Data files (MainDataFiles.cpp).
    bool SaveDataFile(const std::string& Name);   // through the progress dialog; true when written
    bool LoadDataFile(const std::string& Name);   // through the progress dialog, checked; false: document emptied
    // The open document with its file name, marks and the device facts read from it, kept while a file or the
    // device replaces it, so that a replacement that fails leaves everything as it was.
    struct TOpenDocument {
        bool Kept = false;
        std::string Data;
        std::string FileName;
        bool Modified = false;
        bool NoData = true;
        int32_t MailboxNoLength = 3;
        std::string SystemManagerMailbox, MessageManagerMailbox;
    };
    TOpenDocument KeepOpenDocument();
    void RestoreOpenDocument(const TOpenDocument& Kept);

    // --- Components ------------------------------------------------------------------------------------------
    QMdiArea* MdiArea = nullptr;
    QMenu* File0 = nullptr;
    QMenu* FileMode = nullptr;
    QMenu* Connect0 = nullptr;
    QMenu* System0 = nullptr;
    QMenu* Reports2 = nullptr;
    QMenu* Window0 = nullptr;
    QMenu* Help0 = nullptr;
    QToolBar* ToolBar = nullptr;
    QLabel* StatusPanels[4] = {};
    QTimer* StatusTimer = nullptr;
    TMyDockPanel* PanelTreeView = nullptr;
    TTreeDock* TreeDock = nullptr;
    QTreeWidget* DataTreeView = nullptr;
    // The device's line: "COM1" at 9600 baud, 8 data bits, no parity, one stop bit until the settings file says
    // otherwise; events for received characters and DSR.
    std::unique_ptr<TSerPort> ComPort;
    // Help viewer, router and what's-this help (MainHelp.h).
    std::unique_ptr<TMainHelp> Help;

    QAction* FileOpen1 = nullptr;
    QAction* FileClose1 = nullptr;
    QAction* FileSave1 = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* FileMode1 = nullptr;
    QAction* FileMode_B1 = nullptr;
    QAction* FileMode_I1 = nullptr;
    QAction* FileModeBatch1 = nullptr;
    QAction* FileModeInteractive1 = nullptr;
    QAction* FileShowTree1 = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* ConnectSet1 = nullptr;
    QAction* ConnectSet_C1 = nullptr;
    QAction* ConnectSet_D1 = nullptr;
    QAction* ConnectPortSetting1 = nullptr;
    QAction* SystemTerminal1 = nullptr;
    QAction* SystemLoadDataFromVMU1 = nullptr;
    QAction* SystemSaveDataToVMU1 = nullptr;
    QAction* SystemSetONLINE1 = nullptr;
    QAction* SystemSetOFFLINE1 = nullptr;
    QAction* SystemPasswordAdmin1 = nullptr;
    QAction* ReportsMailboxAssignments1 = nullptr;
    QAction* ReportsCOSAssignments1 = nullptr;
    QAction* ReportsSystemServiceReport1 = nullptr;
    QAction* ReportsCallAccountReport1 = nullptr;
    QAction* ReportsPortUsageReport1 = nullptr;
    QAction* ReportsFlashMemoryUsageReport1 = nullptr;
    QAction* ReportsMailboxUsageReport1 = nullptr;
    QAction* ReportsFaxCallReport1 = nullptr;
    QAction* ReportVMUVersion1 = nullptr;
    QAction* HelpHelp1 = nullptr;
    QAction* HelpAbout1 = nullptr;
    QAction* WindowCascade1 = nullptr;
    QAction* WindowTileHorizontal1 = nullptr;
    QAction* WindowTileVertical1 = nullptr;
    QAction* WindowMinimizeAll1 = nullptr;
    QAction* WindowArrange1 = nullptr;
    // The nine report actions in menu order.
    QList<QAction*> ReportActions() const;

    // --- State (read by the other windows) -------------------------------------------------------------------
    int32_t TileWidth = 0;
    int32_t TileHeight = 0;
    bool BatchMode = true;
    std::string ProgramDir;
    // The folder the program was started in: the data-file and transfer dialogs start there, and a data file
    // there shows in the caption without its folder.
    std::string DataDir;
    TExecuteForm* ExecuteForm = nullptr;
    bool Connected = false;
    bool DSRState = false;
    std::unique_ptr<TXmlDoc> TemplateDoc;
    std::unique_ptr<TXmlDoc> DataDoc;
    std::unique_ptr<TDataManager> DataManager;
    // The dialogue engine and the port as it sees it.
    std::unique_ptr<TSerPortVmu> ComPortLink;
    std::unique_ptr<TManagerVMU> ManagerVMU;
    bool Modified = false;
    std::string FileName;
    std::string AdminPassword;
    // The port given on the command line for this run ("--port=PATH", as `make run` gives the simulator's). The
    // port is set to it at start without the settings file learning it: the file keeps the user's own port, unless
    // the user picks this one in Port setup. Port setup always lists it.
    std::string RunPort;
    int32_t TreeUndockWidth = 260;
    int32_t TreeUndockHeight = 470;
    int32_t TreeWidth = 0;
    bool TreeEnabled = false;
    bool NoData = true;
    TXmlNode* ParamsNode = nullptr;
    TXmlNode* FormPropertiesNode = nullptr;
    TXmlNode* UnitPropertiesNode = nullptr;
    bool Closing = false;
    int32_t MenuIndex = -1;
    int32_t FlashVersion = 0;
    int32_t ROMVersion = 0;
    // Which rows of the older tree's patches the description in memory carries.
    enum TOlderTreePatches : uint8_t { otNone, otFrom308, otBefore308 };
    TOlderTreePatches FOlderTreePatches = otNone;
    bool UseAMPM = true;
    int32_t MailboxNoLength = 3;
    std::string MessageManagerMailbox = "998";
    std::string SystemManagerMailbox = "999";
    int32_t AmountUserMailboxes = 30;
    int32_t AmountVPSPorts = 2;
    int32_t AmountTrunkGroups = 24;
    // What the section windows reach through FormServices() (MainServices.cpp); installed while this window lives.
    std::unique_ptr<TFormServices> Services;

    // --- Handlers ---------------------------------------------------------------------------------------------
    void ConnectSet1Execute();
    void SystemLoadDataFromVMU1Execute();
    void SystemSaveDataToVMU1Execute();
    void SystemSetONLINE1Execute();
    void SystemSetOFFLINE1Execute();
    void SystemPasswordAdmin1Execute();
    void FileOpen1Execute();
    void FileClose1Execute();
    bool FileSave1Execute();     // true when the document was written
    bool FileSaveAs1Execute();
    void StatusTimerTimer();
    void ConnectPortSetup1Execute();
    void ComPortDSRChange(bool State);
    void FileExit1Execute();
    void FileModeBatch1Execute();
    void FileModeInteractive1Execute();
    void FileShowTree1Execute();
    void HelpHelp1Execute();
    void WhatsThisF1KeyDown();
    void HelpAbout1Execute();
    void WindowCascade1Execute();
    void WindowTileHorizontal1Execute();
    void WindowTileVertical1Execute();
    void WindowMinimizeAll1Execute();
    void WindowArrange1Execute();

    // Device reports (MainReports.cpp): reads the report named Name below "VMU Reports" (Param goes into its
    // "ReportParam" when it has one) and shows it in a print preview, or brings its open preview to the front.
    // False when the description has no such report or the device read failed (its box has been shown).
    bool ShowReport(const std::string& Name, const std::string& Param);
    void ConnectReportActions();
    // The terminal's print preview (opened from Form, or its open one brought to the front).
    void PreviewTerminal(TTerminalForm& Form);

    // Terminal (MainTerminal.cpp): opens the one terminal window or brings it to the front; null when the device's
    // top menu could not be reached (the error box was shown).
    void SystemTerminal1Execute();
    TTerminalForm* OpenTerminal();
    // The port, the captured log-in dialogue and the progress dialog, as the terminal window uses them.
    TTerminalHost TerminalHost();

    // The clock text: short date, a blank, the time with seconds.
    static QString ClockText(const QDateTime& Now);

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Creation steps.
    void ReadCommandLine(const QStringList& Arguments);
    bool LoadDescription();
    bool CheckDescription();
    void CreateComponents();
    void CreatePort();
    void CreateEngine();
    void ReadPortSettings();
public:
    // Writes the port settings to the settings file (with the user's own port, see RunPort); a failure is shown
    // in a box, or with Quiet (the window is going away) on stderr.
    void WritePortSettings(bool Quiet = false);
private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void MakeBackground();
    void CreateRoads();
    void Terminate(TStartupResult Result);

    // Helpers of the menus and the tree.
    void CopyActionLook(QAction* Target, const QAction* Source);
    void UpdateWindowMenu();
    void UpdateWindowActions();
    void ApplyMenuEnabled(QMenu* Menu, bool Enabled);
    void ShowStatusMessage(const std::string& Text);
    TXmlNode* NodeOfItem(const QTreeWidgetItem* Item) const;
    void DataTreeViewActivated(QTreeWidgetItem* Item);
    void DataTreeViewExpandedChanged(QTreeWidgetItem* Item, bool Expanded);
    bool eventFilter(QObject* Watched, QEvent* Event) override;

    // The port the settings file holds while the port is RunPort and the user has not chosen that in Port setup.
    std::string FSettingsPort;
    bool FRunPortChosen = false;
    TStartupResult FStartupResult = srRunning;
    std::string FStartupError;
    QPixmap BkgndImageMain;
    bool FirstShow = true;
    std::vector<std::unique_ptr<TBaseFormInfo>> FormInfos;
    // The parameter menu branch while it is built, and the menu-bar items made from it, so that a rebuild
    // removes every one of them.
    std::vector<std::unique_ptr<TParamMenuItem>> ParamMenuItems;
    std::vector<QAction*> ParamMenuActions;
    void MaterializeMenu(const TParamMenuItem& Item, QMenu* Parent);
    void MenuItemClick(int32_t NodeHandle);
    QList<QAction*> WindowListActions;
    int FJobDepth = 0;
    bool FCheckingConnection = false;
    // A failed write's box has said that the line was lost: the status timer ends the connection without a box of
    // its own. Any box of the write keeps the timer away meanwhile.
    bool FLineLossTold = false;
    bool FTellingWriteFailure = false;
    struct TPutBack {
        TChangeSet Changes;
        std::string Caption;
    };
    std::vector<TPutBack> FPutBacks;
    // What this program knows left the VMU OFF LINE (a batch save cut short, and of which sections); empty once it
    // is set ON LINE again or nothing is known.
    std::string FOffLineCause;
    // Reads the section back and sends the values before where the device holds what the change left; Ask: the
    // user chooses first. False when it must wait for the next connection (the line went); a put-back cut while it
    // made a record again then keeps the record's values as its change, to be completed.
    bool SettlePutBack(TPutBack& P, bool Ask);
    // Interactive mode: the data section and its windows take Device (what the device holds).
    void TakeDeviceState(const std::string& Section, const TXmlNode* Device);
    // Live becomes Tree in place, its nodes kept, under the windows open on it.
    void TakeTreeInPlace(TXmlNode* Live, const TXmlNode* Tree);
    // Change (of the data section Section) with the windows open on it: those with edits not yet applied keep
    // them, and show the rest as the document then holds it.
    void RestoreUnderWindows(const std::string& Section, const std::function<void()>& Change);
    // The windows showing Section load it again from the document (those with unapplied edits keep theirs).
    void ReshowSectionWindows(const std::string& Section);
    void MarkUnsettledSections(const TStepParameters& Steps, int Done, const std::string& Section);
    // Every store of a write checked before its first key: one the device can never take (an empty value, which an
    // empty line would not store) is told in a box headed Error, naming the value (and, for the WholeTree, that no
    // section was written); true then, and nothing may be sent.
    bool RefuseUnsendableStore(const TStepParameters& Steps, const std::string& Error, bool WholeTree);
    // What a save of the whole tree that stopped after Done steps (-1: before any) says of its sections: those whose
    // steps were all sent ("Written: ..."), then the others, the one it stopped in named so.
    static std::string SectionsWrittenText(const TStepParameters& Steps, int Done);
    // Refusal: the device's answer when it refused the value being sent (empty: it did not refuse); Unconfirmed:
    // the engine's phrase when the store was not taken otherwise (an answer that confirmed nothing, a value that
    // cannot be sent); Closing: the box's last sentence when it is not the usual one (what happens next); Changes:
    // the Apply's change set, counted whole: a write after a cut sends only what of it the device lacked.
    std::string WriteFailureText(const TStepParameters& Steps, int Done, bool LineLost, const std::string& Refusal,
        const std::string& Unconfirmed, const TClosingText& Closing, const TChangeSet* Changes = nullptr) const;
    // True, after a box saying that the VMU is not connected and how to connect, when the line is not connected:
    // the caller then sends nothing.
    bool RefusedWithoutConnection();
    // One failed job, one box: Text (told whether the line is lost) with, on a lost line, "Connection corrupted.";
    // the status timer adds no box of its own meanwhile or afterwards.
    void TellJobFailure(const std::function<std::string(bool LineLost)>& Text);
};

// Data file dialogs: filter and default extension.
inline constexpr const char* DataFileFilter = "Saved data files (*.sav)|*.sav|All files (*.*)|*.*";
inline constexpr const char* DataFileExt = "sav";

// A Boolean attribute of a description node ("TreeVisible", "NotCreateForm", ...): false when absent or not a
// Boolean text.
bool NodeFlag(const TXmlNode* Node, const char* Attribute);
