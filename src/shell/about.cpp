#include "shell/about.h"

#include "common/ui/UtilitsUi.h"
#include "platform/ui/QtText.h"
#include "platform/ui/ShellOpen.h"
#include "shell/JpegImage.h"
#include "shell/MailAPI.h"
#include "shell/MainVersion.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {
QLabel* MakeLabel(QWidget* Parent, const char* Name, const char* Text, QRect Geometry)
{
    auto* L = new QLabel(Text, Parent);
    L->setObjectName(Name);
    L->setGeometry(Geometry);
    return L;
}

void MakeLink(QLabel* L)
{
    L->setCursor(Qt::PointingHandCursor);
    L->setStyleSheet("color: rgb(0, 70, 170); text-decoration: underline;");
}
}

TAboutBox::TAboutBox(QWidget* Owner) : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("AboutBox");
    setWindowTitle("About");
    setFixedSize(290, 320);
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, 290, 96);
    Image1->setScaledContents(true);
    QImage Picture = LoadJpeg(AboutPicture);
    if (!Picture.isNull())
        Image1->setPixmap(QPixmap::fromImage(Picture));

    LabelProductName = MakeLabel(this, "LabelProductName", "Orlantis", QRect(20, 108, 250, 32));
    QFont Big = LabelProductName->font();
    Big.setPointSize(Big.pointSize() + 8);
    Big.setBold(true);
    LabelProductName->setFont(Big);
    LabelVersion = MakeLabel(this, "LabelVersion", "Version ", QRect(20, 142, 250, 20));
    LabelContacts = MakeLabel(this, "LabelContacts", "Contact point are:", QRect(20, 178, 250, 20));
    LabelInternet = MakeLabel(this, "LabelInternet", "Internet:", QRect(20, 202, 60, 20));
    LabelMail = MakeLabel(this, "LabelMail", "E-mail:", QRect(20, 226, 60, 20));
    LabelWWW = MakeLabel(this, "LabelWWW", AboutWebAddress, QRect(84, 202, 190, 20));
    LabelEMail = MakeLabel(this, "LabelEMail", AboutSupportAddress, QRect(84, 226, 190, 20));
    MakeLink(LabelWWW);
    MakeLink(LabelEMail);
    LabelWWW->installEventFilter(this);
    LabelEMail->installEventFilter(this);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(105, 272, 80, 28);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    OKButton->setFocus();

    FormCreate();

    if (QScreen* Screen = QGuiApplication::primaryScreen())
        move(Screen->availableGeometry().center() - rect().center());
}

void TAboutBox::FormCreate()
{
    ApplyFormTexts("TAboutBox", this);
    LabelVersion->setText(LabelVersion->text() + ToQ(GetProgramVersion()));
}

bool TAboutBox::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton) {
        if (Watched == LabelWWW) {
            LabelWWWClick();
            return true;
        }
        if (Watched == LabelEMail) {
            LabelEMailClick();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TAboutBox::LabelWWWClick()
{
    std::string Address = FromQ(LabelWWW->text());
    if (Address.find("://") == std::string::npos)
        Address = "http://" + Address;
    ShellOpenUrl(Address);
}

void TAboutBox::LabelEMailClick()
{
    TMailMessage Msg;
    Msg.RecipientAddress = FromQ(LabelEMail->text());
    Msg.RecipientName = AboutSupportName;
    std::string ErrorText;
    SendMailMessage(Msg, true, ErrorText);
}
