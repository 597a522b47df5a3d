// The number of a new mailbox. The caller sets the range and the number of digits (and, from the Mailbox Listing,
// a check against the listing's own rows), shows the dialog modally and reads EditMailboxNo after OK ("Create").
// The System Manager's mailbox and the group numbers are looked up through the form services; each refusal shows
// its message and keeps the dialog open (MailboxNoCheck.h).
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TSetMailboxNoForm : public QDialog {
    Q_OBJECT
public:
    explicit TSetMailboxNoForm(QWidget* Owner = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* EditMailboxNo = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    int32_t MinValue = 0;
    int32_t MaxValue = 2147483647;
    int32_t NumberLength = 0;
    // True when the listing already holds the number (as a mailbox or in its sixth column); empty: not asked.
    std::function<bool(const std::string& Number)> ListingCheck;

    void OKBtnClick();

protected:
    void showEvent(QShowEvent* Event) override;
};
