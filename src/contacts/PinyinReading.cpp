#include "PinyinReading.h"

#include <QHash>
#include <QMutex>
#include <deque>
#include <memory>
#include <unicode/translit.h>
#include <vector>

namespace {

using PinyinReading::Syllable;
using PinyinReading::Syllables;
using HanCharacters = QVarLengthArray<char32_t, 32>;

// Readings the transliteration does not give, for characters common in names and company names
// that are read in more than one way; each is matched under all of them.
struct OtherReadings
{
    char16_t han;
    const char *readings;
};
const OtherReadings otherReadings[] = {
    { u'行', "xing|hang" },   { u'长', "chang|zhang" }, { u'重', "zhong|chong" },
    { u'乐', "le|yue" },      { u'曾', "ceng|zeng" },   { u'单', "dan|shan|chan" },
    { u'解', "jie|xie" },     { u'区', "qu|ou" },       { u'仇', "chou|qiu" },
    { u'查', "cha|zha" },     { u'朴', "pu|piao" },     { u'朝', "chao|zhao" },
    { u'传', "chuan|zhuan" }, { u'和', "he|huo" },      { u'强', "qiang|jiang" },
    { u'觉', "jue|jiao" },    { u'调', "tiao|diao" },   { u'藏', "cang|zang" },
    { u'都', "du|dou" },      { u'奇', "qi|ji" },       { u'会', "hui|kuai" },
    { u'省', "sheng|xing" },  { u'率', "shuai|lv" },    { u'厦', "xia|sha" },
    { u'柏', "bai|bo" },      { u'茜', "qian|xi" },     { u'蔚', "wei|yu" },
};

// The transliteration of one character as lower-case letters, ü written v; empty when it has no
// reading.
QByteArray plainLetters(const icu::UnicodeString &latin)
{
    const QString decomposed
        = QString(reinterpret_cast<const QChar *>(latin.getBuffer()), latin.length())
              .normalized(QString::NormalizationForm_D);
    QByteArray letters;
    for (const QChar character : decomposed) {
        const char16_t lower = character.toLower().unicode();
        if (lower == u'\u0308' && letters.endsWith('u'))
            letters.back() = 'v';
        else if (lower >= u'a' && lower <= u'z')
            letters += char(lower);
    }
    return letters;
}

quint32 letterBit(char letter)
{
    return 1u << (letter - 'a');
}

Syllable syllableOf(const QByteArrayList &readings)
{
    Syllable syllable;
    syllable.spellings = readings.join('|');
    for (const QByteArray &reading : readings) {
        syllable.initials |= letterBit(reading.front());
        for (const char letter : reading)
            syllable.letters |= letterBit(letter);
    }
    return syllable;
}

// Each reading once, usual first, and the u spelling beside every v.
QByteArrayList allReadings(const QByteArray &usual, char32_t han)
{
    QByteArrayList readings;
    if (!usual.isEmpty())
        readings << usual;
    for (const OtherReadings &other : otherReadings) {
        if (other.han != han)
            continue;
        for (const QByteArray &reading : QByteArray(other.readings).split('|')) {
            if (!readings.contains(reading))
                readings << reading;
        }
    }
    for (qsizetype i = 0, count = readings.size(); i < count; ++i) {
        if (readings.at(i).contains('v'))
            readings << QByteArray(readings.at(i)).replace('v', 'u');
    }
    return readings;
}

// Family names read otherwise than the same characters elsewhere; one reading per character.
struct SurnameReading
{
    QString surname;
    std::vector<Syllable> syllables;
};

const std::vector<SurnameReading> &surnameReadings()
{
    static const std::vector<SurnameReading> readings = [] {
        const std::pair<const char16_t *, const char *> table[] = {
            { u"尉迟", "yu chi" }, { u"万俟", "mo qi" }, { u"长孙", "zhang sun" },
            { u"曾", "zeng" },     { u"单", "shan" },    { u"解", "xie" },
            { u"区", "ou" },       { u"仇", "qiu" },     { u"查", "zha" },
            { u"朴", "piao" },     { u"乐", "yue" },
        };
        std::vector<SurnameReading> made;
        for (const auto &[surname, spelled] : table) {
            SurnameReading reading { QString::fromUtf16(surname), {} };
            for (const QByteArray &syllable : QByteArray(spelled).split(' '))
                reading.syllables.push_back(syllableOf({ syllable }));
            made.push_back(std::move(reading));
        }
        return made;
    }();
    return readings;
}

class ReadingTable
{
public:
    static ReadingTable &instance()
    {
        static ReadingTable table;
        return table;
    }

    void read(const HanCharacters &hans, Syllables &read)
    {
        QMutexLocker lock(&m_mutex);
        for (const char32_t han : hans)
            read.append(&syllableOf(han));
    }

private:
    // The unified ideographs and their first extension, where almost every name's characters
    // lie, are found by position; the rest by hashing.
    static constexpr char32_t firstCommon = 0x3400;
    static constexpr char32_t lastCommon = 0x9fff;

    const Syllable &syllableOf(char32_t han)
    {
        const Syllable *&known
            = han >= firstCommon && han <= lastCommon ? m_common[han - firstCommon] : m_rare[han];
        if (!known) {
            m_made.push_back(::syllableOf(allReadings(transliterate(han), han)));
            known = &m_made.back();
        }
        return *known;
    }

    QByteArray transliterate(char32_t han)
    {
        if (!m_toLatin && !m_failed) {
            // Building the transliterator parses a large rule set: done once, on first use.
            UErrorCode error = U_ZERO_ERROR;
            m_toLatin.reset(
                icu::Transliterator::createInstance("Han-Latin", UTRANS_FORWARD, error));
            m_failed = U_FAILURE(error) || !m_toLatin;
            if (m_failed)
                m_toLatin.reset();
        }
        if (!m_toLatin)
            return {};
        icu::UnicodeString text { UChar32(han) };
        m_toLatin->transliterate(text);
        return plainLetters(text);
    }

    QMutex m_mutex;
    std::unique_ptr<icu::Transliterator> m_toLatin;
    bool m_failed = false;
    // A deque keeps every reading where it was made, so pointers to it stay valid.
    std::deque<Syllable> m_made;
    std::vector<const Syllable *> m_common
        = std::vector<const Syllable *>(lastCommon - firstCommon + 1, nullptr);
    QHash<char32_t, const Syllable *> m_rare;
};

// The character at i, moving i onto the second half of a surrogate pair.
char32_t characterAt(QStringView text, qsizetype &i)
{
    const QChar first = text.at(i);
    if (first.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(++i));
    return first.unicode();
}

HanCharacters hanCharacters(QStringView text)
{
    HanCharacters hans;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char32_t character = characterAt(text, i);
        if (PinyinReading::isHan(character))
            hans.append(character);
    }
    return hans;
}

bool beginsWith(const HanCharacters &hans, QStringView surname)
{
    if (surname.size() > hans.size())
        return false;
    for (qsizetype i = 0; i < surname.size(); ++i) {
        if (hans.at(i) != surname.at(i).unicode())
            return false;
    }
    return true;
}

// The reading of each Han character, the leading ones of a name read as its family name.
Syllables readEach(QStringView text, PinyinReading::Start start)
{
    const HanCharacters hans = hanCharacters(text);
    Syllables read;
    ReadingTable::instance().read(hans, read);
    if (start != PinyinReading::Start::Name)
        return read;
    for (const SurnameReading &surname : surnameReadings()) {
        if (beginsWith(hans, surname.surname)) {
            for (size_t i = 0; i < surname.syllables.size(); ++i)
                read[qsizetype(i)] = &surname.syllables[i];
            break;
        }
    }
    return read;
}

} // namespace

namespace PinyinReading {

bool isHan(char32_t character)
{
    // No Han character lies below the CJK radicals: most text is ruled out at once.
    return character >= 0x2e80 && QChar::script(character) == QChar::Script_Han;
}

Syllables syllables(QStringView text, Start start)
{
    Syllables read = readEach(text, start);
    read.removeIf([](const Syllable *syllable) { return syllable->spellings.isEmpty(); });
    return read;
}

QString orderText(QStringView text, Start start)
{
    const Syllables read = readEach(text, start);
    QString ordered;
    ordered.reserve(text.size() * 4);
    qsizetype han = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype from = i;
        const char32_t character = characterAt(text, i);
        const QByteArray &spellings = isHan(character) ? read.at(han++)->spellings : QByteArray();
        if (spellings.isEmpty()) {
            ordered += text.mid(from, i - from + 1);
        } else {
            const qsizetype usual = spellings.indexOf('|');
            ordered += QLatin1String(spellings.constData(), usual < 0 ? spellings.size() : usual);
            ordered += QLatin1Char(' ');
        }
    }
    return ordered;
}

} // namespace PinyinReading
