// Creation, destruction, closing and the status-bar clock of the main window (see main.h for the promises).
#include "shell/main.h"
#include "shell/MainHelp.h"

#include "common/Utilits.h"
#include "common/ui/BaseMDI.h"
#include "common/ui/ExecuteDialog.h"
#include "common/ui/UtilitsUi.h"
#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SerPortVmu.h"
#include "engine/StepParameters.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "serial/ComPortSettings.h"
#include "serial/SerPort.h"
#include "serial/ui/SetComPort.h"
#include "shell/FormRegistry.h"
#include "shell/JpegImage.h"
#include "shell/MainServices.h"
#include "shell/MainVersion.h"
#include "shell/DockMDI.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "xml/XmlDoc.h"

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(const QStringList& Arguments, QWidget* Parent) : QMainWindow(Parent)
{
    MainForm = this;
    Services = MakeMainServices(*this);
    SetFormServices(Services.get());
    setObjectName("MainForm");
    setWindowTitle(MainFormCaption);
    CreateComponents();
    CreatePort();
    ReadCommandLine(Arguments);
    ProgramDir = ProgramFolder();
    DataDir = WorkingFolder();
    Help = std::make_unique<TMainHelp>(this);
    TemplateDoc = std::make_unique<TXmlDoc>();
    DataDoc = std::make_unique<TXmlDoc>(TemplateDoc.get());
    if (!LoadDescription() || !CheckDescription())
        return;
    CreateEngine();
    MakeBackground();
    ReadPortSettings();
    ExecuteForm = new TExecuteForm(this);
    ExecuteForm->setObjectName("ExecuteForm");
    CreateRoads();
    ApplyFormTexts("TMainForm", this);
    AttachFormInfos();
    InitActionState();
    RebuildMenu();
    UpdateCaption();
    SetMode(false);
    StatusTimer->start();
}

TMainForm::~TMainForm()
{
    StatusTimer->stop();
    Connected = false;
    // The child windows hold references into the documents and may use the port: they go first.
    if (MdiArea)
        for (QMdiSubWindow* W : MdiArea->subWindowList())
            delete W;
    if (FormServices() == Services.get())
        SetFormServices(nullptr);
    ComPort->Close();
    // A program that never got its description leaves the settings file as it found it.
    if (!Terminated())
        WritePortSettings(true);
    delete ExecuteForm;
    ExecuteForm = nullptr;
    ManagerVMU.reset();
    ComPortLink.reset();
    DataManager.reset();
    DetachFormInfos();
    SetPropertiesNodes(nullptr, nullptr);
    DataDoc.reset();
    TemplateDoc.reset();
    ComPort.reset();
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::CreatePort()
{
    ComPort = std::make_unique<TSerPort>();
    ComPort->Name = "ComPort";
    TSerPortUpdate Update(ComPort.get());
    ComPort->SetPort("COM1");
    ComPort->SetBaudRate(br9600);
    ComPort->SetDataBits(dbEight);
    ComPort->Parity().SetBits(prNone);
    ComPort->SetStopBits(sbOneStopBit);
    ComPort->SetEvents(TSerEvents{evRxChar, evDSR});
    ComPort->Buffer().SetInputSize(4096);
    ComPort->Buffer().SetOutputSize(4096);
    ComPort->FlowControl().SetControlDTR(dtrEnable);
    ComPort->FlowControl().SetControlRTS(rtsEnable);
    ComPort->FlowControl().SetDSRSensitivity(true);
    ComPort->Timeouts().SetWriteTotalMultiplier(200);
    Update.Commit();
    ComPort->OnDSRChange = [this](TCustomSerPort&, bool State) { ComPortDSRChange(State); };
}

void TMainForm::CreateEngine()
{
    DataManager = std::make_unique<TDataManager>(DataDoc.get(), TemplateDoc.get());
    const std::string LogIn = "Init VMU System Administrator Menu";
    TXmlNode* Init = TemplateDoc->FindNode(TemplateDoc->Root(), LogIn);
    ComPortLink = std::make_unique<TSerPortVmu>(*ComPort);
    ManagerVMU = std::make_unique<TManagerVMU>(ComPortLink.get(), DataManager->GetSaveSteps(Init, LogIn, true),
        DataManager->GetLoadSteps(nullptr, LogIn));
    ManagerVMU->DataManager = DataManager.get();
    ManagerVMU->ParamsNode = ParamsNode;
}

void TMainForm::ReadPortSettings()
{
    // A settings file that cannot be read or written costs the saved choice, never the start.
    try {
        if (!LoadComPortSettings(ComPort.get(), GetSettingsFileName()))
            SaveComPortSettings(ComPort.get(), GetSettingsFileName());
    } catch (const Exception& E) {
        ShowError(E.Message);
    }
    FSettingsPort = ComPort->Port();
    if (!RunPort.empty())
        ComPort->SetPort(RunPort);
}

void TMainForm::WritePortSettings(bool Quiet)
{
    // A port that serves only this run (a pseudo-terminal gone with it) must not replace the user's own.
    const bool OnRunPort = !RunPort.empty() && ComPort->Port() == NormalizePortName(RunPort);
    try {
        SaveComPortSettings(ComPort.get(), GetSettingsFileName(),
            OnRunPort && !FRunPortChosen ? FSettingsPort : std::string());
    } catch (const Exception& E) {
        if (Quiet)
            // The window is going away: a box now would outlive it.
            std::fprintf(stderr, "orlantis: %s\n", E.Message.c_str());
        else
            ShowError(E.Message);
    }
}

void TMainForm::ConnectPortSetup1Execute()
{
    bool Chosen = false;
    std::vector<std::string> Known;
    if (!RunPort.empty())
        Known.push_back(RunPort);
    try {
        ExecuteComPortSetup(ComPort.get(), this, [](QWidget& W) { ApplyFormTexts("TSetComPortForm", &W); }, Known,
            &Chosen);
    } catch (const Exception& E) {
        ShowError(E.Message);
    }
    if (Chosen)
        FRunPortChosen = !RunPort.empty() && ComPort->Port() == NormalizePortName(RunPort);
    WritePortSettings();
}

void TMainForm::ComPortDSRChange(bool State)
{
    DSRState = State;
    if (State)
        FLineLossTold = false;
    // The status bar follows the line at once, also while a job still runs on it; the connection itself is ended
    // by the status timer once no job uses the port.
    if (Connected && PortOpen())
        StatusPanels[2]->setText(ToQ(State ? Utilits::SConnected : Utilits::SDisconnected));
}

void TMainForm::ReadCommandLine(const QStringList& Arguments)
{
    // "--port=PATH" sets the port for this run only (RunPort); other words are ignored.
    const QString PortOption = QStringLiteral("--port=");
    for (const QString& Argument : Arguments) {
        if (Argument.startsWith(PortOption) && Argument.size() > PortOption.size())
            RunPort = PathFromQ(Argument.mid(PortOption.size()));
        else
            ApplyTraceSwitch(FromQ(Argument));
    }
}

bool TMainForm::LoadDescription()
{
    const std::string Path = ProgramDir + "Orlantis.dat";
    if (!QFileInfo::exists(PathToQ(Path))) {
        FStartupError = "orlantis: the description document " + Path + " does not exist";
        Terminate(srNoDescription);
        return false;
    }
    // The document's own error box is not wanted here: the program ends with one line on stderr instead.
    TemplateDoc->ShowErrors = false;
    if (!TemplateDoc->LoadFromFile(Path, true) || !TemplateDoc->Root()) {
        FStartupError = "orlantis: the description document " + Path + " cannot be read: " +
            (TemplateDoc->LastError.empty() ? std::string("no content") : TemplateDoc->LastError);
        Terminate(srNoDescription);
        return false;
    }
    TemplateDoc->ShowErrors = true;
    return true;
}

bool TMainForm::CheckDescription()
{
    TXmlNode* Root = TemplateDoc->Root();
    UnitPropertiesNode = TemplateDoc->FindNode(Root, "Unit Properties");
    FormPropertiesNode = TemplateDoc->FindNode(Root, "Form Properties");
    SetPropertiesNodes(FormPropertiesNode, UnitPropertiesNode);
    for (const char* Group : StringGroupNames)
        LoadStringConstants(Group);

    // Only the first three parts count. A missing or garbled "TemplateVersion" is a mismatch like any other.
    if (!TemplateVersionFits(Root->GetAttr("TemplateVersion"), GetProgramVersion())) {
        TDialogs::instance().MessageBox(Utilits::SErrorDataFileVersion1 + "\r\n" + Utilits::SErrorDataFileVersion2,
            Utilits::SError, mtError, mbOK);
        Terminate(srVersionMismatch);
        return false;
    }
    ParamsNode = TemplateDoc->FindNode(Root, "VMU Parameters " + IntToStr(StartFirmware));
    if (!ParamsNode || !TemplateDoc->FindNode(Root, "Init VMU System Administrator Menu")) {
        ParamsNode = nullptr;
        TDialogs::instance().MessageBox(Utilits::SErrorFormatDataFile, Utilits::SError, mtError, mbOK);
        Terminate(srFormatError);
        return false;
    }
    return true;
}

void TMainForm::Terminate(TStartupResult Result) { FStartupResult = Result; }

void TMainForm::ShowAtStart()
{
    if (QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Area = Screen->availableGeometry();
        QRect Normal(0, 0, Area.width() * 9 / 10, Area.height() * 9 / 10);
        Normal.moveCenter(Area.center());
        setGeometry(Normal);
    }
    showMaximized();
}

void TMainForm::MakeBackground()
{
    QImage Picture = LoadJpeg(BackgroundPicture);
    if (Picture.isNull())
        return;
    // The window starts maximised: the tile is the picture scaled once to the screen's working area, and the MDI
    // area repeats it unscaled from its top-left corner.
    QSize Size = size();
    if (QScreen* Screen = QGuiApplication::primaryScreen())
        Size = Screen->availableGeometry().size();
    BkgndImageMain = QPixmap::fromImage(Picture.scaled(Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    TileWidth = BkgndImageMain.width();
    TileHeight = BkgndImageMain.height();
    MdiArea->setBackground(QBrush(BkgndImageMain));
}

std::string TMainForm::GetProgramVersion() const { return ::GetProgramVersion(); }

std::string TMainForm::GetSettingsFileName() const { return SettingsFilePath("Orlantis.ini"); }

QString TMainForm::ClockText(const QDateTime& Now)
{
    QLocale Locale;
    // The long time format without its time-zone part, which would only widen the panel.
    QString TimeFormat = Locale.timeFormat(QLocale::LongFormat);
    TimeFormat.remove(QLatin1Char('t'));
    TimeFormat = TimeFormat.trimmed();
    return Locale.toString(Now.date(), QLocale::ShortFormat) + " " + Locale.toString(Now.time(), TimeFormat);
}

void TMainForm::StatusTimerTimer()
{
    QString Text = ClockText(QDateTime::currentDateTime());
    if (StatusPanels[3]->text() != Text)
        StatusPanels[3]->setText(Text);
    CheckConnection();
}

void TMainForm::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (!FirstShow)
        return;
    FirstShow = false;
    TreeWidth = width() / 6;
    CreateTreePanel();
    // A sixth of the window, or as much more as the tree's names need, up to a third: a name cut short no longer
    // tells the sections apart.
    if (TreeDock && !TreeDock->Floating()) {
        TreeWidth = std::max(TreeWidth, std::min(TreeDock->WidthForNames(), width() / 3));
        if (TreeDock->StripWidth() > 0)
            TreeDock->SetStripWidth(TreeWidth);
    }
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
    Closing = true;
    // Every child window gets its own close question first, since a Yes there writes its edits into the document
    // that the document's question then covers; one refusal keeps the program open.
    const QList<QMdiSubWindow*> Children = MdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto It = Children.rbegin(); It != Children.rend(); ++It) {
        QMdiSubWindow* W = *It;
        if (!W->isHidden() && !W->close()) {
            Closing = false;
            Event->ignore();
            return;
        }
    }
    if (!AskSaveChanges() || !AskQuitLeavingDeviceUnsettled()) {
        Closing = false;
        Event->ignore();
        return;
    }
    // Quitting is a disconnection the user asks for: the device is logged off, so that whoever reaches the line
    // next is not inside its administrator menu (on a dead line nothing is sent).
    if (PortOpen())
        DisconnectDevice(false);
    StatusTimer->stop();
    Event->accept();
}

void TMainForm::FileExit1Execute()
{
    // Closing asks every question, the windows' before the document's.
    close();
}

bool TMainForm::PortOpen() const { return ComPort && ComPort->Connected(); }

// The window's meta-object code is compiled here rather than with the library's other meta-object code, so that
// a program or test that never uses the main window does not pull it in with unrelated classes.
#include "moc_main.cpp"
