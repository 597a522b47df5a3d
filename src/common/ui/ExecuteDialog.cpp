#include "common/ui/ExecuteDialog.h"

#include "platform/ui/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TExecuteForm::TExecuteForm(QWidget* Owner) : QDialog(Owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("ExecuteForm");
    setModal(true);
    setFixedSize(BaseWidth, BaseHeight);

    ProgressPanel = new QFrame(this);
    ProgressPanel->setObjectName("ProgressPanel");
    ProgressPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    ProgressPanel->setLineWidth(2);

    InfoLabel = new QLabel(" ", ProgressPanel);
    InfoLabel->setObjectName("InfoLabel");
    InfoLabel->setAlignment(Qt::AlignCenter);
    InfoLabel->setWordWrap(true);

    ProgressBar = new QProgressBar(ProgressPanel);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 38);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);

    CancelButton = new QPushButton("Cancel", ProgressPanel);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });

    auto* inner = new QVBoxLayout(ProgressPanel);
    inner->setContentsMargins(12, 8, 12, 8);
    inner->setSpacing(6);
    inner->addWidget(InfoLabel);
    inner->addWidget(ProgressBar);
    inner->addWidget(CancelButton, 0, Qt::AlignHCenter);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(ProgressPanel);
}

TExecuteForm::~TExecuteForm()
{
    // Normally the worker is long gone; if not, abandon it (its main-thread steps are dropped) and wait.
    Thread.reset();
    RestoreCursor();
}

void TExecuteForm::Prepare(bool ShowCancel, TLongOperation* NewOperation)
{
    FFailed = false;
    ProgressBar->setRange(0, 38);
    ProgressBar->setValue(0);
    InfoLabel->setText(QString());
    CancelButton->setVisible(ShowCancel);
    setFixedSize(BaseWidth, BaseHeight);
    CancelAllowed = ShowCancel;
    Operation = NewOperation;
}

void TExecuteForm::SetInfo(const std::string& Text)
{
    InfoLabel->setText(ToQ(Text));
    FitInfo();
}

void TExecuteForm::FitInfo()
{
    // The named commands' texts are longer than the usual width: widen up to most of the screen, wrap beyond that,
    // and never shrink below the usual size, so short texts keep the familiar look.
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    int widest = s ? s->availableGeometry().width() * 9 / 10 : 1024;
    int chrome = 2 * 12 + 2 * ProgressPanel->frameWidth() + 8;
    int text = InfoLabel->fontMetrics().horizontalAdvance(InfoLabel->text());
    int w = std::clamp(text + chrome, BaseWidth, std::max(BaseWidth, widest));
    int h = std::max(BaseHeight, layout()->totalHeightForWidth(w));
    if (QSize(w, h) == size())
        return;
    setFixedSize(w, h);
    if (isVisible())
        Centre();
}

void TExecuteForm::Centre()
{
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QPoint centre;
    if (owner)
        centre = owner->frameGeometry().center();
    else if (QScreen* s = screen())
        centre = s->availableGeometry().center();
    move(centre - QPoint(width() / 2, height() / 2));
}

int TExecuteForm::GetProgressMax() { return ProgressBar->maximum(); }

void TExecuteForm::SetProgressPosition(int Value)
{
    if (auto p = ProgressBarPosition(Value, ProgressBar->value(), ProgressBar->maximum()))
        ProgressBar->setValue(*p);
}

void TExecuteForm::SetFailed(bool Value) { FFailed = Value; }

void TExecuteForm::GetPassword(std::string& Text)
{
    if (PasswordProvider)
        PasswordProvider(Text);
}

void TExecuteForm::Finished()
{
    // Posted as the worker's last act, so the join below is short.
    Thread.reset();
    QDialog::done(FFailed ? mrCancel : mrOk);
}

void TExecuteForm::done(int Result)
{
    // The dialog ends only through Finished(); anything else (Esc, accept, reject) is a request to stop.
    if (Thread) {
        RequestCancel();
        return;
    }
    QDialog::done(Result);
}

void TExecuteForm::CancelButtonClick()
{
    // A cancel that comes after the job has ended is refused by the worker and changes nothing.
    if (Thread && Thread->Terminate())
        FFailed = true;
}

void TExecuteForm::RequestCancel()
{
    if (CancelAllowed)
        CancelButtonClick();
}

void TExecuteForm::showEvent(QShowEvent* Event)
{
    Centre();
    QDialog::showEvent(Event);
    if (!CursorSet) {
        QApplication::setOverrideCursor(CancelAllowed ? Qt::BusyCursor : Qt::WaitCursor);
        CursorSet = true;
    }
    if (!Thread)
        Thread = std::make_unique<TExecuteProcess>(*this, Operation);
}

void TExecuteForm::hideEvent(QHideEvent* Event)
{
    RestoreCursor();
    QDialog::hideEvent(Event);
}

void TExecuteForm::closeEvent(QCloseEvent* Event)
{
    if (Thread) {
        Event->ignore();
        RequestCancel();
        return;
    }
    QDialog::closeEvent(Event);
}

void TExecuteForm::RestoreCursor()
{
    if (CursorSet) {
        QApplication::restoreOverrideCursor();
        CursorSet = false;
    }
}
