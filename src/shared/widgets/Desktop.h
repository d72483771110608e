#pragma once

#include <QUrl>

// Hands addresses and files to the desktop (mail program, browser, text viewer); tests record
// what would have been opened instead.
class Desktop
{
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QUrl &url);

    static Desktop &current();
    // Installs a replacement (not owned); nullptr restores the real desktop.
    static void install(Desktop *desktop);
};
