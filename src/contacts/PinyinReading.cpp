#include "PinyinReading.h"

#include <QHash>
#include <QMutex>
#include <QVarLengthArray>
#include <memory>
#include <unicode/translit.h>

namespace {

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

// Family names read otherwise than the same characters elsewhere; one reading per character.
struct SurnameReading
{
    const char16_t *surname;
    QByteArrayList readings;
};
const SurnameReading surnameReadings[] = {
    { u"尉迟", { "yu", "chi" } }, { u"万俟", { "mo", "qi" } }, { u"长孙", { "zhang", "sun" } },
    { u"曾", { "zeng" } },        { u"单", { "shan" } },       { u"解", { "xie" } },
    { u"区", { "ou" } },          { u"仇", { "qiu" } },        { u"查", { "zha" } },
    { u"朴", { "piao" } },        { u"乐", { "yue" } },
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

// Each reading once, usual first, and the u spelling beside every v.
QByteArray joinSpellings(const QByteArray &usual, char32_t han)
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
    return readings.join('|');
}

class ReadingTable
{
public:
    static ReadingTable &instance()
    {
        static ReadingTable table;
        return table;
    }

    // One entry per character of hans, empty where no reading is known.
    QByteArrayList read(const HanCharacters &hans)
    {
        QByteArrayList spelled;
        spelled.reserve(hans.size());
        QMutexLocker lock(&m_mutex);
        for (const char32_t han : hans)
            spelled << spellingsOf(han);
        return spelled;
    }

private:
    QByteArray spellingsOf(char32_t han)
    {
        const auto known = m_known.constFind(han);
        if (known != m_known.constEnd())
            return *known;
        return *m_known.insert(han, joinSpellings(transliterate(han), han));
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
    QHash<char32_t, QByteArray> m_known;
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

bool beginsWith(const HanCharacters &hans, const char16_t *surname)
{
    const QStringView name(surname);
    if (name.size() > hans.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (hans.at(i) != name.at(i).unicode())
            return false;
    }
    return true;
}

// Spellings of each Han character, the leading ones of a name read as its family name.
QByteArrayList readEach(const HanCharacters &hans, PinyinReading::Start start)
{
    QByteArrayList spelled = ReadingTable::instance().read(hans);
    if (start != PinyinReading::Start::Name)
        return spelled;
    for (const SurnameReading &surname : surnameReadings) {
        if (beginsWith(hans, surname.surname)) {
            std::copy(surname.readings.begin(), surname.readings.end(), spelled.begin());
            break;
        }
    }
    return spelled;
}

} // namespace

namespace PinyinReading {

bool isHan(char32_t character)
{
    return QChar::script(character) == QChar::Script_Han;
}

QByteArrayList spellings(QStringView text, Start start)
{
    QByteArrayList spelled = readEach(hanCharacters(text), start);
    spelled.removeAll(QByteArray());
    return spelled;
}

QString orderText(QStringView text, Start start)
{
    const QByteArrayList spelled = readEach(hanCharacters(text), start);
    QString ordered;
    ordered.reserve(text.size() * 4);
    qsizetype han = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype from = i;
        const char32_t character = characterAt(text, i);
        const QByteArray usual
            = isHan(character) ? spelled.at(han++).split('|').first() : QByteArray();
        if (usual.isEmpty())
            ordered += text.mid(from, i - from + 1);
        else
            ordered += QLatin1String(usual) + QLatin1Char(' ');
    }
    return ordered;
}

} // namespace PinyinReading
