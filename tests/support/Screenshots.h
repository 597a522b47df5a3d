// Where the widget tests leave their pictures for a person to look at: build/screenshots, never beside the program.
#pragma once

#include <QDir>
#include <QString>

inline QString ScreenshotPath(const char* Name)
{
    QString folder = QStringLiteral(ORLANTIS_BIN_DIR "/../screenshots");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + QLatin1String(Name);
}
