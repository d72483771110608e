#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringView>

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

bool isHan(char32_t character);

// The spellings of each Han character of text, in order; characters of other scripts, and Han
// characters without a known reading, are left out. A character's spellings are joined by '|',
// its usual reading first; ü is written both as v and as u ("lv|lu").
QByteArrayList spellings(QStringView text, Start start);

// The text with each Han character replaced by its usual reading and a blank, other characters
// kept: what pinyin order compares.
QString orderText(QStringView text, Start start);

} // namespace PinyinReading
