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

QString sqlTrimSet()
{
    // The space separators of Unicode 15.
    return QString::fromUtf16(u" \u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007"
                              u"\u2008\u2009\u200A\u202F\u205F\u3000");
}

} // namespace Blanks
