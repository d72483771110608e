#include "PinyinMatcher.h"

#include <QString>
#include <QtAlgorithms>
#include <algorithm>

namespace {

// Positions reached are bits of a 64-bit word: longer keywords are never pinyin.
constexpr qsizetype longestKeyword = 63;

// ASCII only: a few other letters (the Kelvin sign) would lower-case into it.
bool isLatinLetter(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z');
}

} // namespace

PinyinMatcher::PinyinMatcher(QStringView keyword)
{
    if (keyword.isEmpty() || keyword.size() > longestKeyword
        || !std::all_of(keyword.begin(), keyword.end(), isLatinLetter))
        return;
    m_keyword = keyword.toString().toLower().toLatin1();
    for (const char letter : std::as_const(m_keyword))
        m_letters |= 1u << (letter - 'a');
}

bool PinyinMatcher::matches(const PinyinKeys &keys) const
{
    if (!isUsable() || (m_letters & ~keys.m_letters) != 0
        || (keys.m_initials & (1u << (m_keyword.front() - 'a'))) == 0)
        return false;
    const quint64 whole = quint64(1) << m_keyword.size();
    quint64 reached = 0;
    qsizetype from = 0;
    const QByteArray &spellings = keys.m_spellings;
    while (from < spellings.size()) {
        if (spellings.at(from) == '\n') {
            // A run never continues from the name into the company name.
            reached = 0;
            ++from;
            continue;
        }
        const qsizetype end = spellings.indexOf(' ', from);
        // Any syllable may begin the keyword: position 0 is always reached.
        reached = advance(reached | 1, QByteArrayView(spellings).sliced(from, end - from));
        if (reached & whole)
            return true;
        from = end + 1;
    }
    return false;
}

quint64 PinyinMatcher::advance(quint64 reached, QByteArrayView syllable) const
{
    quint64 next = 0;
    const qsizetype length = m_keyword.size();
    for (; reached != 0; reached &= reached - 1) {
        const qsizetype position = qCountTrailingZeroBits(reached);
        qsizetype at = position;
        for (const char letter : syllable) {
            if (letter == '|') {
                at = position;
            } else if (at >= 0 && at < length && m_keyword.at(at) == letter) {
                next |= quint64(1) << ++at;
            } else {
                // This spelling no longer agrees with the keyword; try the next one.
                at = -1;
            }
        }
    }
    return next;
}
