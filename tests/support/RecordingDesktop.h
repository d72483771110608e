#pragma once

#include "shared/widgets/Desktop.h"

#include <QList>

// Records the addresses the program hands to the desktop instead of opening them.
class RecordingDesktop : public Desktop
{
public:
    RecordingDesktop() { Desktop::install(this); }
    ~RecordingDesktop() override
    {
        if (&Desktop::current() == this)
            Desktop::install(nullptr);
    }

    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }

    QList<QUrl> opened;
};
