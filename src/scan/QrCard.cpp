#include "QrCard.h"

#include "cards/CardProjection.h"
#include "cards/CardReader.h"

// Results give their text as UTF-8.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

namespace {

const QByteArray meCardStart = QByteArrayLiteral("MECARD:");

// MECARD fields end at an unescaped ';' and escape with a backslash.
QList<QPair<QString, QString>> meCardFields(const QString &body)
{
    QList<QPair<QString, QString>> fields;
    QString current;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == u'\\' && i + 1 < body.size()) {
            current += body.at(++i);
        } else if (c == u';') {
            const qsizetype colon = current.indexOf(u':');
            if (colon > 0)
                fields.append({ current.left(colon).trimmed().toUpper(), current.mid(colon + 1) });
            current.clear();
        } else {
            current += c;
        }
    }
    const qsizetype colon = current.indexOf(u':');
    if (colon > 0)
        fields.append({ current.left(colon).trimmed().toUpper(), current.mid(colon + 1) });
    return fields;
}

QString vCardEscaped(QString value)
{
    return value.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u';', QStringLiteral("\\;"))
        .replace(u',', QStringLiteral("\\,"))
        .replace(u'\n', QStringLiteral("\\n"));
}

QString vCardLine(const QString &key, const QString &value)
{
    if (key == u"N") {
        // MECARD writes "family,given".
        const QStringList parts = value.split(u',');
        return QStringLiteral("N:%1;%2;;;")
            .arg(vCardEscaped(parts.value(0).trimmed()),
                 vCardEscaped(parts.mid(1).join(u' ').trimmed()));
    }
    if (key == u"ADR") {
        QStringList parts = value.split(u',');
        if (parts.size() != 7)
            parts = { QString(), QString(), value, QString(), QString(), QString(), QString() };
        for (QString &part : parts)
            part = vCardEscaped(part.trimmed());
        return QStringLiteral("ADR;TYPE=WORK:") + parts.join(u';');
    }
    static const QStringList sameInBoth { QStringLiteral("TEL"),      QStringLiteral("EMAIL"),
                                          QStringLiteral("URL"),      QStringLiteral("NOTE"),
                                          QStringLiteral("ORG"),      QStringLiteral("TITLE"),
                                          QStringLiteral("NICKNAME"), QStringLiteral("BDAY") };
    if (!sameInBoth.contains(key))
        return {};
    return key + u':' + vCardEscaped(value.trimmed());
}

ScannedText certain(const QString &text)
{
    return { text, 1.0, {} };
}

// The one place a card's text becomes a scan result.
std::optional<ScanResult> resultOfVCard(const QByteArray &vCard)
{
    const QList<Card> cards = CardReader::readAll(vCard);
    if (cards.isEmpty())
        return std::nullopt;
    const ContactRecord contact = CardProjection::project(cards.first());
    if (contact.firstName.isEmpty() && contact.lastName.isEmpty())
        return std::nullopt;
    ScanResult result;
    result.source = ScanResult::Source::Qr;
    result.familyName = certain(contact.firstName);
    result.givenName = certain(contact.lastName);
    result.title = certain(contact.title);
    result.companyName = certain(contact.companyName);
    result.address1 = certain(contact.address1);
    result.address2 = certain(contact.address2);
    result.postcode = certain(contact.postcode);
    result.email = certain(contact.email);
    result.website = certain(contact.website);
    for (size_t i = 0; i < contact.numbers.size(); ++i) {
        if (!contact.numbers.at(i).isEmpty())
            result.numbers << ScannedNumber { contact.labels.at(i),
                                              certain(contact.numbers.at(i)) };
    }
    for (const QString &line : contact.notes.split(u'\n', Qt::SkipEmptyParts))
        result.otherLines << certain(line);
    return result;
}

} // namespace

namespace QrCard {

QByteArray find(const cv::Mat &grey)
{
    if (grey.empty() || grey.type() != CV_8UC1 || !grey.isContinuous())
        return {};
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    const ZXing::ImageView view(grey.data, grey.cols, grey.rows, ZXing::ImageFormat::Lum);
    const ZXing::Result found = ZXing::ReadBarcode(view, hints);
    if (!found.isValid())
        return {};
    const std::string text = found.text();
    return QByteArray(text.data(), qsizetype(text.size()));
}

std::optional<ScanResult> read(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.startsWith(meCardStart))
        return resultOfVCard(vCardOfMeCard(trimmed));
    if (CardReader::looksLikeCard(trimmed))
        return resultOfVCard(trimmed);
    return std::nullopt;
}

QByteArray vCardOfMeCard(const QByteArray &meCard)
{
    QStringList lines { QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:3.0") };
    for (const auto &[key, value] :
         meCardFields(QString::fromUtf8(meCard.mid(meCardStart.size())))) {
        const QString line = vCardLine(key, value);
        if (!line.isEmpty())
            lines << line;
    }
    lines << QStringLiteral("END:VCARD");
    return lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

} // namespace QrCard
