#pragma once

#include "PinyinReading.h"

#include <QByteArray>
#include <QStringView>

// The pinyin of one contact, computed once when it is loaded or stored so that matching a
// keyword against it costs no transliteration: the Han characters of its name (family name then
// given name) and of its company name, each character with its spellings.
class PinyinKeys
{
public:
    PinyinKeys() = default;
    static PinyinKeys forContact(QStringView firstName, QStringView lastName,
                                 QStringView companyName);

    bool isEmpty() const { return m_spellings.isEmpty(); }

private:
    friend class PinyinMatcher;

    void appendRun(const PinyinReading::Syllables &syllables);

    // Runs of syllables, one for the name and one for the company, ended by '\n'; each syllable
    // ended by ' ', its spellings separated by '|': "zhang san feng \nhua|... \n".
    QByteArray m_spellings;
    // Bit n for the letter 'a' + n: every letter of any spelling, and the first letters, so that
    // most contacts are ruled out without reading their spellings.
    quint32 m_letters = 0;
    quint32 m_initials = 0;
};
