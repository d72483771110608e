#pragma once

#include <QString>

// One to-do item as the list shows it.
struct Reminder
{
    qint64 id = 0;
    QString item;
    bool done = false;
};
