#include "PinyinKeys.h"

#include "PinyinReading.h"

#include <QByteArrayList>

namespace {

quint32 letterBit(char letter)
{
    return 1u << (letter - 'a');
}

} // namespace

PinyinKeys PinyinKeys::forContact(QStringView firstName, QStringView lastName,
                                  QStringView companyName)
{
    PinyinKeys keys;
    QString name;
    name.reserve(firstName.size() + lastName.size());
    name.append(firstName).append(lastName);
    keys.appendRun(PinyinReading::spellings(name, PinyinReading::Start::Name));
    keys.appendRun(PinyinReading::spellings(companyName, PinyinReading::Start::Text));
    if (keys.m_letters == 0)
        keys.m_spellings.clear();
    return keys;
}

void PinyinKeys::appendRun(const QByteArrayList &spellings)
{
    for (const QByteArray &syllable : spellings) {
        bool initial = true;
        for (const char letter : syllable) {
            if (letter == '|') {
                initial = true;
                continue;
            }
            m_letters |= letterBit(letter);
            if (initial)
                m_initials |= letterBit(letter);
            initial = false;
        }
        m_spellings += syllable;
        m_spellings += ' ';
    }
    m_spellings += '\n';
}
