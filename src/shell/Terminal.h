// The terminal window: an MDI child that shows the device line in a terminal on the main window's port, so that
// the administrator can work in the device's menus by hand; its tool bar previews the screen text and moves voice
// prompt files ("*.vps") by XMODEM. While a transfer runs the terminal lets go of the port, so that the transfer
// alone reads the line; afterwards it takes the port again and asks the device for its prompt (CR LF), whatever
// the transfer's outcome.
//
// What it needs of the main window (the port, the engine's captured dialogue, running a job behind the progress
// dialog, the print preview) comes in a TTerminalHost, so that the window does not depend on how the main window
// holds them.
#pragma once

#include "common/ui/BaseMDI.h"

#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QToolBar;
class TCustomSerPort;
class TLongOperation;
class TSerTerminalView;
class TTerminalForm;

struct TTerminalHost {
    TCustomSerPort* Port = nullptr;
    // The device dialogue captured by the engine up to now.
    std::function<std::string()> CapturedText;
    // Runs a job behind the progress dialog with Cancel; true when it succeeded. Without one, a progress dialog of
    // the window's own runs it.
    std::function<bool(TLongOperation& Operation)> ExecuteModal;
    // Opens the preview of the screen text, or brings an open one to the front. Without one the button is off.
    std::function<void(TTerminalForm& Form)> PrintPreview;
    // Where the file dialogs start before the first transfer (the folder the program was started in).
    std::string StartDir;
};

// File dialogs of the window.
inline constexpr const char* VpsFileFilter = "Saved VPS data files (*.vps)|*.vps|All files (*.*)|*.*";
inline constexpr const char* VpsFileExt = "vps";

class TTerminalForm : public TBaseMDIForm {
    Q_OBJECT
public:
    TTerminalForm(const TFormCreation& Creation, TTerminalHost Host);
    ~TTerminalForm() override;

    TSerTerminalView* ComTerminal = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QAction* PrintPreviewButton = nullptr;
    QAction* ButtonReceive = nullptr;
    QAction* ButtonSend = nullptr;
    // Folder of the last file transferred successfully ('' before the first).
    std::string LastDir;

    // The terminal's screen as text (rows joined by CR LF).
    void GetTerminalText(std::string& Text) const;
    // Puts device output on the screen, escape sequences carried out.
    void SetTerminalText(const std::string& Text);

    // A device job of the main window reads the line alone: the terminal lets go of the port for it and takes it
    // again afterwards.
    void ReleasePort();
    void TakePort();

    void PrintPreviewButtonClick();
    void ButtonReceiveClick();
    void ButtonSendClick();

    // From the captured dialogue, what the user should see: from the first "\r\nSystem Administration Top Menu" on,
    // or all of it when the menu is not there.
    static std::string LoginScreenOf(const std::string& Captured);
    // The download size the device announces on the screen ("Total Size of Download File = 0x" hex " bytes"); 0
    // when the screen does not say, or says something that is no size.
    static int32_t ExpectedSizeOf(const std::string& ScreenText);

protected:
    void InitForm() override;

private:
    // Mode 1 (receive) or 0 (send) of FileName behind the progress dialog; the terminal is detached meanwhile.
    void Transfer(uint8_t Mode, const std::string& FileName, int32_t ExpectedSize);
    bool RunModal(TLongOperation& Operation);

    TTerminalHost Host;
};
