// Hands a URL (web address, mailto:) to the desktop's handler, in place of the shell's "open". Tests install an
// opener that records instead, so no browser or mail program is ever started by a test. Main thread only.
#pragma once

#include <functional>
#include <string>

using TUrlOpener = std::function<bool(const std::string& Url)>;

// True when the desktop took the URL.
bool ShellOpenUrl(const std::string& Url);
// Installs Opener (an empty one restores the desktop's) and returns the one it replaces.
TUrlOpener SetUrlOpener(TUrlOpener Opener);

class TUrlOpenerScope {
public:
    explicit TUrlOpenerScope(TUrlOpener Opener) : Previous(SetUrlOpener(std::move(Opener))) {}
    ~TUrlOpenerScope() { SetUrlOpener(std::move(Previous)); }
    TUrlOpenerScope(const TUrlOpenerScope&) = delete;
    TUrlOpenerScope& operator=(const TUrlOpenerScope&) = delete;

private:
    TUrlOpener Previous;
};
