// SPDX-License-Identifier: MPL-2.0
#include "platform/desktop/Browser.h"

#include "platform/desktop/DesktopBrowser.h"

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
