// The Qt edge of the single-byte text convention: every std::string becomes a QString here and back, as Latin-1.
#pragma once

#include <QString>
#include <string>

inline QString ToQ(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
inline std::string FromQ(const QString& s)
{
    QByteArray b = s.toLatin1();
    return std::string(b.constData(), size_t(b.size()));
}
