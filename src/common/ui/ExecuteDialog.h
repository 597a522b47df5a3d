// The modal progress dialog behind which every long job runs. Showing it starts a TExecuteProcess for the prepared
// job; the dialog closes itself when the worker has ended and its modal result says how the job went: mrOk when it
// ended without failure, mrCancel when it failed or was cancelled. Esc, the Cancel button and closing the window
// only ask the job to stop; the dialog stays open until the worker is gone, so a job is never left running alone.
// A long text widens the dialog up to most of the screen and wraps beyond, so it is never cut.
// Needs a main-thread dispatcher that runs in the GUI thread (TQtMainThread); with the inline default no widget
// would be safe.
#pragma once

#include "common/ExecuteProcess.h"
#include "platform/Dialogs.h"

#include <QDialog>

#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

class TExecuteForm : public QDialog, public TExecuteView {
    Q_OBJECT
public:
    // Stands in for the main window's administrator-password request; called in the GUI thread.
    using TPasswordProvider = std::function<void(std::string& Text)>;

    explicit TExecuteForm(QWidget* Owner = nullptr);
    ~TExecuteForm() override;

    // Readies the dialog for one run of Operation (not owned): failure cleared, bar at 0 of 38, no text, Cancel
    // shown as ShowCancel says. Then exec() runs the job and returns mrOk or mrCancel.
    void Prepare(bool ShowCancel, TLongOperation* Operation);
    void SetPasswordProvider(TPasswordProvider Provider) { PasswordProvider = std::move(Provider); }
    bool Failed() const { return FFailed; }

    // TExecuteView
    void SetInfo(const std::string& Text) override;
    int GetProgressMax() override;
    void SetProgressPosition(int Value) override;
    void SetFailed(bool Value) override;
    void GetPassword(std::string& Text) override;
    void Finished() override;

    QFrame* ProgressPanel;
    QLabel* InfoLabel;
    QProgressBar* ProgressBar;
    QPushButton* CancelButton;

public slots:
    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void CancelButtonClick();
    void RequestCancel();
    void RestoreCursor();
    void FitInfo();
    void Centre();

    static constexpr int BaseWidth = 407;
    static constexpr int BaseHeight = 100;

    bool FFailed = false;
    bool CancelAllowed = true;
    bool CursorSet = false;
    TLongOperation* Operation = nullptr;
    std::unique_ptr<TExecuteProcess> Thread;
    TPasswordProvider PasswordProvider;
};
