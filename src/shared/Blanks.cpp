#include "Blanks.h"

namespace Blanks {

bool isBlank(QChar c)
{
    return c.category() == QChar::Separator_Space;
}

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool onlyBlanks(QStringView text)
{
    return trimmed(text).isEmpty();
}

namespace {

// The length of the UTF-8 blank text starts with, or 0.
qsizetype leadingBlank(QByteArrayView text)
{
    const auto at = [&](qsizetype i) { return i < text.size() ? uchar(text[i]) : uchar(0); };
    if (at(0) == 0x20)
        return 1;
    if (at(0) == 0xC2 && at(1) == 0xA0)
        return 2;
    const uchar lead = at(0);
    const uchar second = at(1);
    const uchar third = at(2);
    const bool blank = (lead == 0xE1 && second == 0x9A && third == 0x80)
        || (lead == 0xE2 && second == 0x80 && ((third >= 0x80 && third <= 0x8A) || third == 0xAF))
        || (lead == 0xE2 && second == 0x81 && third == 0x9F)
        || (lead == 0xE3 && second == 0x80 && third == 0x80);
    return blank ? 3 : 0;
}

// The length of the UTF-8 blank text ends with, or 0.
qsizetype trailingBlank(QByteArrayView text)
{
    for (qsizetype length = 1; length <= 3 && length <= text.size(); ++length) {
        if (leadingBlank(text.last(length)) == length)
            return length;
    }
    return 0;
}

} // namespace

QByteArrayView trimmedUtf8(QByteArrayView text)
{
    while (const qsizetype length = leadingBlank(text))
        text = text.sliced(length);
    while (const qsizetype length = trailingBlank(text))
        text.chop(length);
    return text;
}

QString sqlTrimSet()
{
    // The space separators of Unicode 15.
    return QString::fromUtf16(u" \u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007"
                              u"\u2008\u2009\u200A\u202F\u205F\u3000");
}

} // namespace Blanks
