// Every modal box and file dialog of the program goes through this interface, so that tests can install a
// double that records what was shown and answers from a script; no test ever waits on a real modal window.
// Called only in the main thread (a worker goes through TMainThread::invoke).
#pragma once

#include <string>
#include <vector>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
// Button set and answers use the same bits; answers: exactly one of them.
enum TMsgDlgBtn : unsigned {
    mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64, mbAll = 128,
    mbHelp = 256
};
using TMsgDlgButtons = unsigned;
// Modal results as the program's windows use them.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
    mrAll = 8 };

struct TFileDialogRequest {
    std::string Title;
    std::string Filter;        // "Text (*.txt)|*.txt|All files (*.*)|*.*"
    std::string DefaultExt;    // without the point
    std::string InitialDir;
    std::string FileName;
};

// What the print dialog offers: the document's pages and the page shown; Landscape is the document's orientation.
struct TPrintDialogRequest {
    int MinPage = 1, MaxPage = 1;
    int FromPage = 1, ToPage = 1;
    bool AllowSelection = true;     // the page shown
    bool AllowPageNumbers = true;   // a range of pages
    bool Landscape = false;
};
enum TPrintRange { prAllPages, prSelection, prPageNums };
// The choice made in it. OutputFileName: print into this PDF file instead of on a printer.
struct TPrintDialogAnswer {
    TPrintRange Range = prAllPages;
    int FromPage = 1, ToPage = 1;
    int Copies = 1;
    bool Collate = false;
    std::string PrinterName;        // '' the default printer
    std::string OutputFileName;     // bytes in the system's encoding
};

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A modal message box; Caption is the title ("Error", "Warning", ...). Returns the modal result of the
    // button pressed (mrOk, mrYes, ...); closing the box counts as Cancel when there is one, else No, else OK.
    virtual int MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
        TMsgDlgButtons Buttons) = 0;
    // Open and save dialogs: true and FileName set when the user chose a file.
    virtual bool OpenFile(const TFileDialogRequest& Request, std::string& FileName) = 0;
    virtual bool SaveFile(const TFileDialogRequest& Request, std::string& FileName) = 0;
    // The print dialog: true and Answer set when the user chose to print. Doubles that do not script it cancel.
    virtual bool PrintDialog(const TPrintDialogRequest& Request, TPrintDialogAnswer& Answer)
    {
        (void)Request;
        (void)Answer;
        return false;
    }

    // The dialogs in force; a TConsoleDialogs serves until one is installed.
    static TDialogs& instance();
    static TDialogs* setInstance(TDialogs* d);   // not owned; returns the previous one
};

// Shortcuts used all over the program.
void ShowMessage(const std::string& Text);                  // information box, OK, program title
// The captions of error and warning boxes ("Error", "Warning" until the text store sets its own).
void SetBoxCaptions(const std::string& Error, const std::string& Warning);
std::string ErrorCaption();
std::string WarningCaption();
void ShowError(const std::string& Text);                    // "Error", stop icon, OK
int MessageDlg(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons);
// The answer of a box with these buttons that was closed without a choice: Cancel, else No, else OK.
int ClosedBoxAnswer(TMsgDlgButtons Buttons);

// The default while no window system installed its own: a program without windows (the tools, a worker with
// nobody to ask) writes each box to stderr and takes the answer of a box closed without a choice.
class TConsoleDialogs : public TDialogs {
public:
    int MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
        TMsgDlgButtons Buttons) override;
    bool OpenFile(const TFileDialogRequest&, std::string&) override { return false; }
    bool SaveFile(const TFileDialogRequest&, std::string&) override { return false; }
};

// Installs dialogs (a window system's, or a test's double) for the life of a scope.
class TDialogsScope {
public:
    explicit TDialogsScope(TDialogs* d) : Previous(TDialogs::setInstance(d)) {}
    ~TDialogsScope() { TDialogs::setInstance(Previous); }
    TDialogsScope(const TDialogsScope&) = delete;
    TDialogsScope& operator=(const TDialogsScope&) = delete;

private:
    TDialogs* Previous;
};
