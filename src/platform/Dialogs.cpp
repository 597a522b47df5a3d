#include "platform/Dialogs.h"

#include <atomic>
#include <cstdio>

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

void ShowError(const std::string& Text) { TDialogs::instance().MessageBox(Text, "Error", mtError, mbOK); }

int MessageDlg(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons)
{
    static const char* captions[] = {"Warning", "Error", "Information", "Confirm", "Orlantis"};
    return TDialogs::instance().MessageBox(Text, captions[Type], Type, Buttons);
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
