#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// One value read from a card, how sure the reader is of it (0 to 1) and where it was printed on
// the straightened card image (empty for a value that came from a QR code).
struct ScannedText
{
    QString text;
    double confidence = 0;
    QRect box;

    bool isEmpty() const { return text.isEmpty(); }
};

struct ScannedNumber
{
    // "手机", "电话", "传真" or the label as printed.
    QString label;
    // As printed, with its area code and extension ("010-6552 8888 转 801").
    ScannedText number;
};

// What one card image gave: the fields of a contact row, every number, the lines that fit no
// field, and on a bilingual card the English forms beside the Chinese ones.
struct ScanResult
{
    enum class Source { Ocr, Qr };

    struct EnglishForms
    {
        QString name;
        QString title;
        QString companyName;
        QString address;
    };

    Source source = Source::Ocr;
    ScannedText familyName;
    ScannedText givenName;
    ScannedText title;
    ScannedText companyName;
    // The address as one text, wrapped lines joined; a second line only when it would not fit.
    ScannedText address1;
    ScannedText address2;
    ScannedText postcode;
    ScannedText email;
    ScannedText website;
    QList<ScannedNumber> numbers;
    // Printed lines that are none of the above (a slogan, a second address), in reading order.
    QList<ScannedText> otherLines;
    EnglishForms english;
    // The straightened card image the boxes lie on: 8-bit grey, imageSize.width() bytes a row.
    QSize imageSize;
    QByteArray greyPixels;

    bool isEmpty() const
    {
        return familyName.isEmpty() && givenName.isEmpty() && companyName.isEmpty()
            && numbers.isEmpty() && email.isEmpty() && otherLines.isEmpty();
    }
};
