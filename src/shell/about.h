// The modal about box: picture, product name, version, and the web and e-mail contacts. A click on the web
// address opens it in the desktop's browser; a click on the e-mail address opens a mail to the support address
// in the desktop's mail program (errors there are ignored). Its texts can be replaced from the description.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Contacts shown in the box.
inline constexpr const char* AboutWebAddress = "www.orlantis.example";
inline constexpr const char* AboutSupportAddress = "support@orlantis.example";
inline constexpr const char* AboutSupportName = "Orlantis Support";

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* Owner = nullptr);

    QLabel* Image1;
    QLabel* LabelProductName;
    QLabel* LabelVersion;
    QLabel* LabelContacts;
    QLabel* LabelInternet;
    QLabel* LabelMail;
    QLabel* LabelWWW;
    QLabel* LabelEMail;
    QPushButton* OKButton;

    void LabelWWWClick();
    void LabelEMailClick();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
};
