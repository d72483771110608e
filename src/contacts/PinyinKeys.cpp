#include "PinyinKeys.h"

namespace {

// Each spelling with its blank, and the run's end.
qsizetype encodedSize(const PinyinReading::Syllables &syllables)
{
    qsizetype size = 1;
    for (const PinyinReading::Syllable *syllable : syllables)
        size += syllable->spellings.size() + 1;
    return size;
}

} // namespace

PinyinKeys PinyinKeys::forContact(QStringView firstName, QStringView lastName,
                                  QStringView companyName)
{
    QString name;
    name.reserve(firstName.size() + lastName.size());
    name.append(firstName).append(lastName);
    const auto nameSyllables = PinyinReading::syllables(name, PinyinReading::Start::Name);
    const auto companySyllables = PinyinReading::syllables(companyName, PinyinReading::Start::Text);
    PinyinKeys keys;
    if (nameSyllables.isEmpty() && companySyllables.isEmpty())
        return keys;
    keys.m_spellings.reserve(encodedSize(nameSyllables) + encodedSize(companySyllables));
    keys.appendRun(nameSyllables);
    keys.appendRun(companySyllables);
    return keys;
}

void PinyinKeys::appendRun(const PinyinReading::Syllables &syllables)
{
    for (const PinyinReading::Syllable *syllable : syllables) {
        m_letters |= syllable->letters;
        m_initials |= syllable->initials;
        m_spellings += syllable->spellings;
        m_spellings += ' ';
    }
    m_spellings += '\n';
}
