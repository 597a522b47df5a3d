// Creation, destruction, closing and the status-bar clock of the main window (see main.h for the promises).
#include "shell/main.h"

#include "common/Utilits.h"
#include "common/ui/BaseMDI.h"
#include "common/ui/ExecuteDialog.h"
#include "common/ui/UtilitsUi.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "shell/FormRegistry.h"
#include "shell/JpegImage.h"
#include "shell/MainVersion.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QScreen>
#include <QTimer>

#include "xml/XmlDoc.h"

TMainForm* MainForm = nullptr;
bool SaveSteps = false;
bool SaveStepsInfo = false;
bool SaveTraceInfo = false;

TMainForm::TMainForm(const QStringList& Arguments, QWidget* Parent) : QMainWindow(Parent)
{
    MainForm = this;
    setObjectName("MainForm");
    setWindowTitle(MainFormCaption);
    CreateComponents();
    ReadCommandLine(Arguments);
    ProgramDir = ProgramFolder();
    TemplateDoc = std::make_unique<TXmlDoc>();
    DataDoc = std::make_unique<TXmlDoc>(TemplateDoc.get());
    if (!LoadDescription() || !CheckDescription())
        return;
    MakeBackground();
    ExecuteForm = new TExecuteForm(this);
    ExecuteForm->setObjectName("ExecuteForm");
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
    // The child windows hold references into the documents: they go first.
    if (MdiArea)
        for (QMdiSubWindow* W : MdiArea->subWindowList())
            delete W;
    delete ExecuteForm;
    ExecuteForm = nullptr;
    DetachFormInfos();
    SetPropertiesNodes(nullptr, nullptr);
    DataDoc.reset();
    TemplateDoc.reset();
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::ReadCommandLine(const QStringList& Arguments)
{
    for (const QString& Argument : Arguments) {
        std::string Word = LowerCase(FromQ(Argument));
        if (Word == "save_steps")
            SaveSteps = true;
        else if (Word == "save_stepsinfo")
            SaveStepsInfo = true;
        else if (Word == "save_traceinfo")
            SaveTraceInfo = true;
    }
}

bool TMainForm::LoadDescription()
{
    const std::string Path = ProgramDir + "Orlantis.dat";
    if (!QFileInfo::exists(ToQ(Path))) {
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
}

void TMainForm::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (!FirstShow)
        return;
    FirstShow = false;
    TreeWidth = width() / 6;
    CreateTreePanel();
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
    Closing = true;
    if (!AskSaveChanges()) {
        Closing = false;
        Event->ignore();
        return;
    }
    // Every child window gets its own close question; one refusal keeps the program open.
    const QList<QMdiSubWindow*> Children = MdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto It = Children.rbegin(); It != Children.rend(); ++It) {
        QMdiSubWindow* W = *It;
        if (!W->isHidden() && !W->close()) {
            Closing = false;
            Event->ignore();
            return;
        }
    }
    StatusTimer->stop();
    Event->accept();
}

void TMainForm::FileExit1Execute()
{
    if (AskSaveChanges())
        close();
}

bool TMainForm::PortOpen() const { return false; }

// The window's meta-object code is compiled here rather than with the library's other meta-object code, so that
// a program or test that never uses the main window does not pull it in with unrelated classes.
#include "moc_main.cpp"
