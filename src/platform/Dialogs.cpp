#include "platform/Dialogs.h"

#include <atomic>

namespace {
TRecordingDialogs& defaultDialogs()
{
    static TRecordingDialogs d;
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

int TRecordingDialogs::MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
    TMsgDlgButtons Buttons)
{
    Boxes.push_back({Text, Caption, Type, Buttons});
    if (!Answers.empty()) {
        int a = Answers.front();
        Answers.erase(Answers.begin());
        return a;
    }
    return Default;
}

static bool takeFile(std::vector<std::string>& answers, std::string& FileName)
{
    if (answers.empty())
        return false;
    std::string a = answers.front();
    answers.erase(answers.begin());
    if (a.empty())
        return false;
    FileName = a;
    return true;
}

bool TRecordingDialogs::OpenFile(const TFileDialogRequest& Request, std::string& FileName)
{
    FileRequests.push_back(Request);
    return takeFile(FileAnswers, FileName);
}

bool TRecordingDialogs::SaveFile(const TFileDialogRequest& Request, std::string& FileName)
{
    FileRequests.push_back(Request);
    return takeFile(FileAnswers, FileName);
}
