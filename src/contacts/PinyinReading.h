#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

// How the Han characters of a text are read in pinyin: lower-case letters, tone marks dropped.
// Each character is transliterated once per process; later readings come from a table.
namespace PinyinReading {

enum class Start {
    // Any text, such as a company name.
    Text,
    // A name that begins with its family name, whose characters keep their surname reading
    // (曾 zeng, 尉迟 yuchi).
    Name,
};

// One character's reading. Never changes once made, and lives as long as the program.
struct Syllable
{
    // Every spelling the character is matched under, joined by '|', its usual reading first;
    // ü is written both as v and as u ("lv|lu"). Empty when no reading is known.
    QByteArray spellings;
    // Bit n stands for the letter 'a' + n: the letters of all spellings, and their first letters.
    quint32 letters = 0;
    quint32 initials = 0;
};

using Syllables = QVarLengthArray<const Syllable *, 16>;

bool isHan(char32_t character);

// The reading of each Han character of text, in order; characters of other scripts are left out.
Syllables syllables(QStringView text, Start start);

// The text with each Han character replaced by its usual reading and a blank, other characters
// kept: what pinyin order compares.
QString orderText(QStringView text, Start start);

} // namespace PinyinReading
