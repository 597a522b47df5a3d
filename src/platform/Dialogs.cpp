#include "platform/Dialogs.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {
TConsoleDialogs& defaultDialogs()
{
    static TConsoleDialogs d;
    return d;
}
std::atomic<TDialogs*> current{nullptr};
}

TDialogs& TDialogs::instance()
{
    TDialogs* d = current.load();
    return d ? *d : defaultDialogs();
}

TDialogs* TDialogs::setInstance(TDialogs* d) { return current.exchange(d); }

void ShowMessage(const std::string& Text) { TDialogs::instance().MessageBox(Text, "Orlantis", mtInformation, mbOK); }

namespace {
// The captions of the error and warning boxes; the text store replaces them at start-up.
std::mutex captionLock;
std::string errorCaption = "Error", warningCaption = "Warning";
}

void SetBoxCaptions(const std::string& Error, const std::string& Warning)
{
    std::lock_guard<std::mutex> g(captionLock);
    errorCaption = Error;
    warningCaption = Warning;
}

std::string ErrorCaption()
{
    std::lock_guard<std::mutex> g(captionLock);
    return errorCaption;
}

std::string WarningCaption()
{
    std::lock_guard<std::mutex> g(captionLock);
    return warningCaption;
}

void ShowError(const std::string& Text) { TDialogs::instance().MessageBox(Text, ErrorCaption(), mtError, mbOK); }

int MessageDlg(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons)
{
    static const char* captions[] = {"Warning", "Error", "Information", "Confirm", "Orlantis"};
    std::string caption = Type == mtError ? ErrorCaption() : Type == mtWarning ? WarningCaption() : captions[Type];
    return TDialogs::instance().MessageBox(Text, caption, Type, Buttons);
}

int TConsoleDialogs::MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
    TMsgDlgButtons Buttons)
{
    (void)Type;
    std::fprintf(stderr, "%s: %s\n", Caption.c_str(), Text.c_str());
    return ClosedBoxAnswer(Buttons);
}

int ClosedBoxAnswer(TMsgDlgButtons Buttons)
{
    if (Buttons & mbCancel)
        return mrCancel;
    if (Buttons & mbNo)
        return mrNo;
    return mrOk;
}
