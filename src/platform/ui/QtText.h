// The Qt edge of the single-byte text convention: every std::string becomes a QString here and back, as Latin-1.
// File and folder names are not such text: they stay bytes in the system's encoding, and PathToQ/PathFromQ are the
// only conversions they take (for a dialog, a QFileInfo, or to show them).
#pragma once

#include <QFile>
#include <QString>
#include <string>

inline QString ToQ(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
inline std::string FromQ(const QString& s)
{
    QByteArray b = s.toLatin1();
    return std::string(b.constData(), size_t(b.size()));
}

inline QString PathToQ(const std::string& s) { return QFile::decodeName(QByteArray(s.data(), qsizetype(s.size()))); }
// A file or folder name to stand inside a message (single-byte text): decoded from the system's encoding, so that
// "Daten-é" reads as such; a character that single-byte text cannot hold shows as '?'.
inline std::string PathToText(const std::string& s) { return FromQ(PathToQ(s)); }
inline std::string PathFromQ(const QString& s)
{
    QByteArray b = QFile::encodeName(s);
    return std::string(b.constData(), size_t(b.size()));
}
