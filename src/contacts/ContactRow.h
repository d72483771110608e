#pragma once

#include <QString>
#include <QStringList>
#include <array>

// One contact as the search result list shows and exports it; every text without outer blanks.
struct ContactRow
{
    qint64 id = 0;
    QString displayName;
    QString title;
    QString type;
    QString companyName;
    QString address1;
    QString address2;
    QString postcode;
    QString email;
    // Data1 … Data4 and their labels Combo1 … Combo4.
    std::array<QString, 4> numbers;
    std::array<QString, 4> labels;

    QString address() const { return address1 + u' ' + address2; }
    // The list's columns after the name: title, company, first number, e-mail, address, group.
    QStringList columnTexts() const
    {
        return { title, companyName, numbers[0], email, address(), type };
    }
};
