#pragma once

#include "scan/ScanResult.h"

#include <QMap>
#include <QStringList>

// A scan result as text, for comparing with literal expectations: every non-empty field by name,
// each number as "label number", the other lines as "other", the English forms as "english.*".
inline QMap<QString, QString> fieldMap(const ScanResult &scan)
{
    QMap<QString, QString> map;
    const auto put = [&map](const char *name, const QString &value) {
        if (!value.isEmpty())
            map.insert(QString::fromLatin1(name), value);
    };
    put("family", scan.familyName.text);
    put("given", scan.givenName.text);
    put("title", scan.title.text);
    put("company", scan.companyName.text);
    put("address1", scan.address1.text);
    put("address2", scan.address2.text);
    put("postcode", scan.postcode.text);
    put("email", scan.email.text);
    put("website", scan.website.text);
    QStringList numbers;
    for (const ScannedNumber &number : scan.numbers)
        numbers << number.label + u' ' + number.number.text;
    put("numbers", numbers.join(QStringLiteral(" | ")));
    QStringList others;
    for (const ScannedText &line : scan.otherLines)
        others << line.text;
    put("other", others.join(QStringLiteral(" | ")));
    put("english.name", scan.english.name);
    put("english.title", scan.english.title);
    put("english.company", scan.english.companyName);
    put("english.address", scan.english.address);
    return map;
}
