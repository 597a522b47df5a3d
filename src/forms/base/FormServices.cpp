#include "forms/base/FormServices.h"

namespace {
TFormServices* Installed = nullptr;
}

TFormServices* FormServices() { return Installed; }

TFormServices* SetFormServices(TFormServices* Services)
{
    TFormServices* Old = Installed;
    Installed = Services;
    return Old;
}

int32_t TDeviceFacts::MinMailboxNo() const
{
    switch (MailboxNoLength) {
    case 2: return 10;
    case 4: return 1000;
    case 5: return 10000;
    default: return 100;
    }
}

int32_t TDeviceFacts::MaxMailboxNo() const
{
    switch (MailboxNoLength) {
    case 2: return 99;
    case 4: return 9999;
    case 5: return 99999;
    default: return 999;
    }
}
