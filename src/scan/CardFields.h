#pragma once

#include "ScanResult.h"

#include <QList>

// Turns the printed lines of a card into the fields of a contact, by what each line holds and
// where it sits: numbers by their labels or their form, e-mail and web by theirs, the company by
// its suffix, the title by a list of job titles, the address by its markers (wrapped lines
// joined), and the name as the largest short line that is none of these. Nothing is dropped: a
// line that fits no field is kept as it was read.
namespace CardFields {

struct PrintedLine
{
    QString text;
    // 0 to 1, as the recogniser gave it.
    double confidence = 0;
    QRect box;
};

// Lines in reading order.
ScanResult classify(const QList<PrintedLine> &lines);

// The label a card's own word for a number stands for: "手机", "电话", "传真", or the word.
QString numberLabel(const QString &printed);

} // namespace CardFields
