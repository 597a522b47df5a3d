// Composes an e-mail in the desktop's mail program. The message record keeps the fields of the classic mail
// interface; here they become a mailto: URL (RFC 6068) handed to the desktop's handler, which always shows the
// composer. Fields a mailto: URL cannot carry (the originator) are left to the mail program, which uses the
// user's own identity. Errors come back only as a result code and a text; nothing is shown.
#pragma once

#include <string>
#include <vector>

struct TMailMessage {
    std::string OriginatorAddress;
    std::string Subject;
    std::string Body;
    std::string OriginatorName;
    std::string RecipientAddress;
    std::string RecipientName;
    std::vector<std::string> Attachments;   // file paths
};

// Result codes, as the classic mail interface numbers them (those this implementation can produce).
enum : int { mailSuccess = 0, mailUserAbort = 1, mailFailure = 2 };

// The text of a result code from the classic table; '' for 0 and for codes outside it.
std::string MailErrorText(int Code);
// The file name of an attachment: the part after the last "\", ":" or "/" (the whole path when it has none).
std::string AttachmentFileName(const std::string& Path);
// The mailto: URL for Msg: recipient ("Name <address>" when a name is given), subject, body, and one "attach"
// parameter per attachment as a file: URL (understood by the common Linux mail programs). Percent-encoded UTF-8.
std::string MailtoUrl(const TMailMessage& Msg);

// Opens the composer with Msg. ShowDialog is accepted for the record's sake: a mailto: composer is always shown.
// Returns mailSuccess, or mailFailure with ErrorText set when the desktop has no handler; ErrorText is left as it
// was on success.
int SendMailMessage(const TMailMessage& Msg, bool ShowDialog, std::string& ErrorText);
