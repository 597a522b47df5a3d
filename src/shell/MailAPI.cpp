#include "shell/MailAPI.h"

#include "platform/ui/QtText.h"
#include "platform/ui/ShellOpen.h"

#include <QUrl>

#include <utility>

std::string MailErrorText(int Code)
{
    static const std::pair<int, const char*> Texts[] = {
        {1, "The user canceled one of the dialog boxes."},
        {2, "One or more unspecified errors occurred."},
        {3, "There was no default logon, and the user failed to log on successfully when the logon dialog box was "
            "displayed. "},
        {5, "There was insufficient memory to proceed."},
        {9, "There were too many file attachments."},
        {10, "There were too many recipients."},
        {11, "The specified attachment was not found."},
        {12, "The specified attachment could not be opened."},
        {14, "A recipient did not appear in the address list."},
        {15, "The type of a recipient was not MAPI_TO, MAPI_CC, or MAPI_BCC."},
        {18, "The text in the message was too large."},
        {21, "A recipient matched more than one of the recipient."},
        {25, "One or more recipients were invalid or did not resolve to any address."},
    };
    for (const auto& [c, t] : Texts)
        if (c == Code)
            return t;
    return "";
}

std::string AttachmentFileName(const std::string& Path)
{
    size_t Cut = Path.find_last_of("\\:/");
    return Cut == std::string::npos ? Path : Path.substr(Cut + 1);
}

namespace {
// Everything but the unreserved characters (and Keep) is encoded, so "&", "=", "?" and "#" in a field stay inside
// it.
std::string Encode(const std::string& Text, const QByteArray& Keep = {})
{
    QByteArray b = QUrl::toPercentEncoding(ToQ(Text), Keep);
    return std::string(b.constData(), size_t(b.size()));
}
}

std::string MailtoUrl(const TMailMessage& Msg)
{
    std::string To = Msg.RecipientAddress;
    if (!Msg.RecipientName.empty() && !To.empty())
        To = Msg.RecipientName + " <" + To + ">";
    std::string Url = "mailto:" + Encode(To, "@");
    std::vector<std::string> Params;
    if (!Msg.Subject.empty())
        Params.push_back("subject=" + Encode(Msg.Subject));
    if (!Msg.Body.empty())
        Params.push_back("body=" + Encode(Msg.Body));
    for (const std::string& File : Msg.Attachments)
        Params.push_back("attach=" + Encode(FromQ(QUrl::fromLocalFile(ToQ(File)).toString())));
    for (size_t i = 0; i < Params.size(); ++i)
        Url += (i == 0 ? "?" : "&") + Params[i];
    return Url;
}

int SendMailMessage(const TMailMessage& Msg, bool ShowDialog, std::string& ErrorText)
{
    (void)ShowDialog;
    if (ShellOpenUrl(MailtoUrl(Msg)))
        return mailSuccess;
    ErrorText = MailErrorText(mailFailure);
    return mailFailure;
}
