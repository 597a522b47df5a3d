// The terminal window; see Terminal.h.
#include "shell/Terminal.h"

#include "common/ui/ExecuteDialog.h"
#include "platform/Dialogs.h"
#include "platform/ui/QtText.h"
#include "serial/SerPort.h"
#include "serial/XYmodem.h"
#include "serial/ui/SerTerminalView.h"

#include <QFontDatabase>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

std::string FolderOf(const std::string& FileName)
{
    size_t Slash = FileName.find_last_of('/');
    return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

}  // namespace

TTerminalForm::TTerminalForm(const TFormCreation& Creation, TTerminalHost Host)
    : TBaseMDIForm(Creation), Host(std::move(Host))
{
    setObjectName("TerminalForm");
    resize(660, 460);
    auto* Layout = new QVBoxLayout(Client());
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);

    ToolBar1 = new QToolBar(Client());
    ToolBar1->setObjectName("ToolBar1");
    QStyle* S = style();
    PrintPreviewButton = ToolBar1->addAction(S->standardIcon(QStyle::SP_FileDialogContentsView), "Print Preview");
    PrintPreviewButton->setObjectName("PrintPreviewButton");
    ToolBar1->addSeparator();
    ButtonReceive = ToolBar1->addAction(S->standardIcon(QStyle::SP_ArrowDown), "Receive");
    ButtonReceive->setObjectName("ButtonReceive");
    ButtonReceive->setToolTip("Receive a file from the VMU");
    ButtonSend = ToolBar1->addAction(S->standardIcon(QStyle::SP_ArrowUp), "Send");
    ButtonSend->setObjectName("ButtonSend");
    ButtonSend->setToolTip("Send a file to the VMU");
    // The buttons carry their actions' names, so that the description's hints reach them.
    for (QAction* A : {PrintPreviewButton, ButtonReceive, ButtonSend})
        if (QWidget* Button = ToolBar1->widgetForAction(A))
            Button->setObjectName(A->objectName());
    Layout->addWidget(ToolBar1);

    ComTerminal = new TSerTerminalView(Client());
    ComTerminal->setObjectName("ComTerminal");
    TSerTerminal& T = ComTerminal->Terminal();
    T.Color = 0x000000;
    T.FontColor = 0xFFFFFF;
    T.Caret = tcUnderline;
    T.SetEmulation(teVT100orANSI);
    QFont Font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Font.setPixelSize(12);
    ComTerminal->setTerminalFont(Font);
    Layout->addWidget(ComTerminal, 1);

    connect(PrintPreviewButton, &QAction::triggered, this, [this] { PrintPreviewButtonClick(); });
    connect(ButtonReceive, &QAction::triggered, this, [this] { ButtonReceiveClick(); });
    connect(ButtonSend, &QAction::triggered, this, [this] { ButtonSendClick(); });
}

TTerminalForm::~TTerminalForm()
{
    // The port outlives this window: it must not keep a link to a terminal that is gone.
    if (ComTerminal)
        ComTerminal->Terminal().SetComPort(nullptr);
}

void TTerminalForm::ReleasePort() { ComTerminal->Terminal().SetComPort(nullptr); }

void TTerminalForm::TakePort() { ComTerminal->Terminal().SetComPort(Host.Port); }

void TTerminalForm::InitForm()
{
    TBaseMDIForm::InitForm();
    FormMask.Include(4);
    ComTerminal->Terminal().SetComPort(Host.Port);
    if (Host.CapturedText)
        SetTerminalText(LoginScreenOf(Host.CapturedText()));
    PrintPreviewButton->setEnabled(bool(Host.PrintPreview));
    LastDir.clear();
    ComTerminal->setFocus();
}

std::string TTerminalForm::LoginScreenOf(const std::string& Captured)
{
    size_t At = Captured.find("\r\nSystem Administration Top Menu");
    return At == std::string::npos ? Captured : Captured.substr(At);
}

int32_t TTerminalForm::ExpectedSizeOf(const std::string& ScreenText)
{
    std::string Hex = TextBetween(ScreenText, "Total Size of Download File = 0x", " bytes");
    if (Hex.empty() || Hex.size() > 8 || Hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return 0;
    unsigned long Value = std::strtoul(Hex.c_str(), nullptr, 16);
    return Value > 0x7FFFFFFFul ? 0 : int32_t(Value);
}

void TTerminalForm::GetTerminalText(std::string& Text) const { Text = ComTerminal->Terminal().SaveToString(); }

void TTerminalForm::SetTerminalText(const std::string& Text)
{
    // The captured dialogue is device output: its cursor moves and erases are carried out, not shown as text.
    ComTerminal->Terminal().WriteStr(Text);
}

void TTerminalForm::PrintPreviewButtonClick()
{
    if (Host.PrintPreview)
        Host.PrintPreview(*this);
}

void TTerminalForm::ButtonReceiveClick()
{
    TFileDialogRequest Request;
    Request.Filter = VpsFileFilter;
    Request.DefaultExt = VpsFileExt;
    Request.InitialDir = LastDir.empty() ? Host.StartDir : LastDir;
    std::string FileName;
    if (!TDialogs::instance().SaveFile(Request, FileName))
        return;
    std::string Screen;
    GetTerminalText(Screen);
    Transfer(1, FileName, ExpectedSizeOf(Screen));
}

void TTerminalForm::ButtonSendClick()
{
    TFileDialogRequest Request;
    Request.Filter = VpsFileFilter;
    Request.DefaultExt = VpsFileExt;
    Request.InitialDir = LastDir.empty() ? Host.StartDir : LastDir;
    std::string FileName;
    if (!TDialogs::instance().OpenFile(Request, FileName))
        return;
    Transfer(0, FileName, 0);
}

void TTerminalForm::Transfer(uint8_t Mode, const std::string& FileName, int32_t ExpectedSize)
{
    TSerTerminal& T = ComTerminal->Terminal();
    T.SetComPort(nullptr);
    bool Ok = false;
    {
        TXYmodem Job(Host.Port);
        Job.Mode = Mode;
        Job.FileName = FileName;
        if (ExpectedSize > 0)
            Job.ExpectedSize = ExpectedSize;
        Ok = RunModal(Job) && !Job.Failed;
    }
    if (Ok)
        LastDir = FolderOf(FileName);
    T.SetComPort(Host.Port);
    if (Host.Port && Host.Port->Connected()) {
        try {
            Host.Port->WriteStr("\r\n");
        } catch (const std::exception&) {
            // A line that failed under the transfer shows itself at the next key; nothing to add here.
        }
    }
    ComTerminal->setFocus();
}

bool TTerminalForm::RunModal(TLongOperation& Operation)
{
    if (Host.ExecuteModal)
        return Host.ExecuteModal(Operation);
    TExecuteForm Dialog(this);
    Dialog.Prepare(true, &Operation);
    int Result = Dialog.exec();
    return Result == mrOk && !Dialog.Failed();
}
