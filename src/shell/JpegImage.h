// The program's JPEG pictures (splash, about box, main-window background), decoded by libjpeg itself rather than
// by a Qt image plugin. Decoding never throws and never aborts the program: a corrupt or truncated picture gives a
// null image, and the window that wanted it simply shows none.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a whole JPEG file held in memory into an RGB32 image; a null image on any error.
QImage DecodeJpeg(const QByteArray& Data);
// Reads a file or a Qt resource (":/images/splash.jpg") and decodes it; a null image when it cannot be read.
QImage LoadJpeg(const QString& Path);

// Resource paths of the pictures compiled into the program.
inline const QString SplashPicture = QStringLiteral(":/images/splash.jpg");
inline const QString AboutPicture = QStringLiteral(":/images/about.jpg");
inline const QString BackgroundPicture = QStringLiteral(":/images/background.jpg");
