#include "DuplicateKeys.h"

namespace {

constexpr int shortestNumber = 7;
constexpr int mobileLength = 11;

bool isSeparator(QChar c)
{
    static const QString separators = QStringLiteral(" -.()+（）－　\t");
    return separators.contains(c);
}

bool isLatinText(QStringView text)
{
    for (QChar c : text) {
        if (c.isLetter() && c.script() != QChar::Script_Latin)
            return false;
    }
    return true;
}

QString folded(QStringView text)
{
    return text.trimmed().toString().toCaseFolded();
}

} // namespace

namespace DuplicateKeys {

QString number(QStringView text)
{
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        // digitValue() also reads full-width digits, which Chinese input methods often give.
        const int digit = c.digitValue();
        if (digit >= 0)
            digits += QChar(u'0' + digit);
        else if (!isSeparator(c))
            return {};
    }
    for (QStringView prefix : { u"0086", u"86" }) {
        if (digits.size() == prefix.size() + mobileLength && digits.startsWith(prefix)
            && isMobile(QStringView(digits).mid(prefix.size())))
            digits.remove(0, prefix.size());
    }
    return digits.size() >= shortestNumber ? digits : QString();
}

bool isMobile(QStringView normalizedNumber)
{
    return normalizedNumber.size() == mobileLength && normalizedNumber.startsWith(u'1');
}

QString email(QStringView text)
{
    const QString key = folded(text);
    return key.contains(u'@') ? key : QString();
}

QString name(QStringView firstName, QStringView lastName)
{
    QString first = folded(firstName);
    QString last = folded(lastName);
    if (first.isEmpty() || last.isEmpty())
        return {};
    if (isLatinText(first) && isLatinText(last) && last < first)
        std::swap(first, last);
    return first + QChar(u'\x1f') + last;
}

QString text(QStringView value, QStringView more)
{
    QString key;
    key.reserve(value.size() + more.size());
    for (QStringView part : { value, more }) {
        for (QChar c : part) {
            if (!c.isSpace())
                key += c;
        }
    }
    return std::move(key).toCaseFolded();
}

} // namespace DuplicateKeys
