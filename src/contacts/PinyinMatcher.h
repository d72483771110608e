#pragma once

#include "PinyinKeys.h"

#include <QByteArray>
#include <QStringView>

// Finds a keyword in a contact's pinyin: the keyword must be spelled by a run of consecutive
// syllables of its name or of its company name, starting at any syllable, each syllable giving a
// non-empty beginning of one of its spellings. For 张三丰 "zsf", "zhangs", "sanfeng" and "ZSF"
// match; "zf" and "zhangf" do not. Prepared once per keyword, then cheap for each contact.
class PinyinMatcher
{
public:
    // Only a keyword of Latin letters alone (a to z in either case) is matched in pinyin.
    explicit PinyinMatcher(QStringView keyword);

    bool isUsable() const { return !m_keyword.isEmpty(); }
    bool matches(const PinyinKeys &keys) const;

    static bool matches(const PinyinKeys &keys, QStringView keyword)
    {
        return PinyinMatcher(keyword).matches(keys);
    }

private:
    // Positions in the keyword reached from the positions in reached by one syllable.
    quint64 advance(quint64 reached, QByteArrayView syllable) const;

    // Lower case; empty when the keyword cannot be pinyin.
    QByteArray m_keyword;
    quint32 m_letters = 0;
};
