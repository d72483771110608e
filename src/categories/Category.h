#pragma once

#include <QString>

// One ContactType row: a job title, a contact-method label or a relationship group.
struct Category
{
    qint64 id = 0;
    QString name;
    int kind = 0;
    qint64 number = 0;
    QString description;
};
