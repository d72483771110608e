#include "Desktop.h"

#include <QDesktopServices>

namespace {
Desktop *installedDesktop = nullptr;
}

bool Desktop::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

Desktop &Desktop::current()
{
    static Desktop realDesktop;
    return installedDesktop ? *installedDesktop : realDesktop;
}

void Desktop::install(Desktop *desktop)
{
    installedDesktop = desktop;
}
