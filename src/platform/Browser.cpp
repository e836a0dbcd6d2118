#include "platform/Browser.h"

#include "platform/DesktopBrowser.h"

namespace platform {

namespace {
BrowserProvider* gBrowser = nullptr;
}

BrowserProvider& Browser()
{
    static DesktopBrowser desktop;
    return gBrowser ? *gBrowser : desktop;
}

void SetBrowserProvider(BrowserProvider* provider)
{
    gBrowser = provider;
}

} // namespace platform
