#include "platform/ui/ShellOpen.h"

#include "platform/ui/QtText.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
TUrlOpener& Current()
{
    static TUrlOpener Opener;
    return Opener;
}
}

bool ShellOpenUrl(const std::string& Url)
{
    if (Current())
        return Current()(Url);
    // Our URLs are already percent-encoded; StrictMode keeps Qt from encoding them a second time.
    return QDesktopServices::openUrl(QUrl(ToQ(Url), QUrl::StrictMode));
}

TUrlOpener SetUrlOpener(TUrlOpener Opener)
{
    TUrlOpener Previous = std::move(Current());
    Current() = std::move(Opener);
    return Previous;
}
