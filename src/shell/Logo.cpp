#include "shell/Logo.h"

#include "platform/ui/QtText.h"
#include "shell/JpegImage.h"
#include "shell/MainVersion.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TLogoForm::TLogoForm(QWidget* Owner)
    : QWidget(Owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("LogoForm");
    setFixedSize(401, 155);
    setAttribute(Qt::WA_DeleteOnClose, false);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, width(), height());
    Image1->setScaledContents(true);
    // Without a picture the window still shows something readable.
    QImage Picture = LoadJpeg(SplashPicture);
    if (Picture.isNull())
        Image1->setStyleSheet("background-color: rgb(16, 38, 84);");
    else
        Image1->setPixmap(QPixmap::fromImage(Picture));

    LabelVersion = new QLabel("Version ", this);
    LabelVersion->setObjectName("LabelVersion");
    LabelVersion->setAttribute(Qt::WA_TranslucentBackground);
    LabelVersion->setStyleSheet("color: white; background: transparent;");
    LabelVersion->setGeometry(127, 112, 200, 20);

    FormCreate();

    if (QScreen* Screen = QGuiApplication::primaryScreen()) {
        QRect Area = Screen->availableGeometry();
        move(Area.center() - rect().center());
    }
}

void TLogoForm::FormCreate()
{
    LabelVersion->setText(LabelVersion->text() + ToQ(FormatVersionText()));
}
