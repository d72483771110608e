#include "UpdateInfo.h"

#include <QStringConverter>
#include <QStringDecoder>
#include <QStringList>

namespace UpdateInfo {

namespace {

const QString marker = QStringLiteral("updateinfo");
const QString separator = QStringLiteral("||");

enum Field { ProductName = 0, Newest = 1, DownloadAddress = 2, Description = 4 };

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

QByteArray charsetOf(const QByteArray &contentType)
{
    for (const QByteArray &parameter : contentType.split(';')) {
        const QByteArray trimmed = parameter.trimmed();
        if (trimmed.toLower().startsWith("charset="))
            return trimmed.mid(8).replace('"', QByteArray()).replace('\'', QByteArray()).trimmed();
    }
    return {};
}

QString decodeBytes(const QByteArray &body, const QByteArray &contentType)
{
    const QByteArray charset = charsetOf(contentType);
    if (!charset.isEmpty()) {
        QStringDecoder named(charset.constData());
        if (named.isValid())
            return named.decode(body);
    }
    if (const auto marked = QStringConverter::encodingForData(body)) {
        QStringDecoder byMark(*marked);
        return byMark.decode(body);
    }
    if (body.isValidUtf8())
        return QString::fromUtf8(body);
    // The maker writes in Chinese; a file that is not UTF-8 is in the Chinese national code page.
    QStringDecoder chinese("GB18030");
    if (chinese.isValid())
        return chinese.decode(body);
    return QString::fromLatin1(body);
}

QString upToDateText(const QString &productName, const QString &ownNumber)
{
    return QStringLiteral("您使用的是最新版的") + productName + QStringLiteral("：")
        + versionText(ownNumber);
}

QString newerVersionText(const QStringList &fields, const QString &newest,
                         const QString &downloadAddress)
{
    QString text = QStringLiteral("[") + fields.at(ProductName) + QStringLiteral("]有更新版本")
        + versionText(newest) + QStringLiteral("\n下载地址：") + downloadAddress
        + QStringLiteral("\n");
    if (fields.size() > Description)
        text += QStringLiteral("-----------------------") + fields.at(Description);
    return text;
}

} // namespace

QString failureText()
{
    return QStringLiteral("获取更新信息失败...请稍候再试...");
}

QString decode(const QByteArray &body, const QByteArray &contentType)
{
    // A text box would show a carriage return as a line break of its own.
    QString text = decodeBytes(body, contentType);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

UpdateReading read(const QString &text, const QString &previousDownloadAddress, qint64 ownVersion)
{
    UpdateReading reading;
    reading.downloadAddress = previousDownloadAddress;
    if (!text.contains(marker)) {
        reading.message = failureText();
        return reading;
    }
    const QStringList fields = text.split(separator);
    const QString newest
        = fields.size() > Newest ? leadingNumber(fields.at(Newest)) : QStringLiteral("0");
    if (fields.size() > DownloadAddress)
        reading.downloadAddress = fields.at(DownloadAddress);
    const QString ownNumber = QString::number(ownVersion);
    if (compareNumbers(newest, ownNumber) <= 0) {
        reading.outcome = UpdateReading::Outcome::UpToDate;
        reading.message = upToDateText(fields.at(ProductName), ownNumber);
    } else {
        reading.outcome = UpdateReading::Outcome::NewerVersion;
        reading.message = newerVersionText(fields, newest, reading.downloadAddress);
    }
    return reading;
}

QString leadingNumber(QStringView field)
{
    qsizetype at = 0;
    while (at < field.size() && isBlank(field.at(at)))
        ++at;
    bool negative = false;
    if (at < field.size() && (field.at(at) == u'-' || field.at(at) == u'+')) {
        negative = field.at(at) == u'-';
        ++at;
    }
    QString digits;
    for (; at < field.size(); ++at) {
        const QChar c = field.at(at);
        if (c >= u'0' && c <= u'9') {
            if (!digits.isEmpty() || c != u'0')
                digits.append(c);
        } else if (!isBlank(c)) {
            break;
        }
    }
    if (digits.isEmpty())
        return QStringLiteral("0");
    return negative ? QStringLiteral("-") + digits : digits;
}

int compareNumbers(QStringView left, QStringView right)
{
    const bool leftNegative = left.startsWith(u'-');
    const bool rightNegative = right.startsWith(u'-');
    if (leftNegative != rightNegative)
        return leftNegative ? -1 : 1;
    const QStringView leftDigits = leftNegative ? left.mid(1) : left;
    const QStringView rightDigits = rightNegative ? right.mid(1) : right;
    int order = 0;
    if (leftDigits.size() != rightDigits.size())
        order = leftDigits.size() < rightDigits.size() ? -1 : 1;
    else
        order = leftDigits.compare(rightDigits);
    order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    return leftNegative ? -order : order;
}

QString versionText(const QString &number)
{
    return QStringLiteral("V") + number.left(2) + QStringLiteral(" Builder") + number.right(4);
}

} // namespace UpdateInfo
