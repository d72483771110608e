#include "ChildWindowHost.h"

#include <QWidget>

ChildWindowHost *ChildWindowHost::of(const QWidget *widget)
{
    return widget ? dynamic_cast<ChildWindowHost *>(widget->window()) : nullptr;
}
