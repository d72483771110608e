#include "CardFields.h"

#include "cards/PersonName.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace {

using CardFields::PrintedLine;

// How much a rule's guess adds to or takes from the recogniser's own confidence.
constexpr double byLabel = 1.0;
constexpr double byForm = 0.95;
constexpr double bySuffix = 0.9;
constexpr double byLexicon = 0.85;
constexpr double byMarkers = 0.8;
constexpr double bySize = 0.75;
constexpr int fieldLength = 100;

// Placed: taken into a field already.
enum class Kind { Other, Name, Title, Company, Address, Placed };

struct Part
{
    Kind kind = Kind::Other;
    QString text;
    double certainty = 0;
    bool han = false;
    // The line it came from, for its box and its neighbours.
    qsizetype line = 0;
};

// The recogniser often reads a colon as a semicolon.
const QString labelEnd = QStringLiteral(R"(\s*[:：.;；]?\s*)");

// Full-width letters, digits and signs as their ASCII forms, and blanks made single: the
// recogniser and the printer choose either width.
QString plain(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E && c.unicode() != 0xFF1A)
            c = QChar(c.unicode() - 0xFEE0);
        else if (c.unicode() == 0x3000)
            c = u' ';
    }
    static const QRegularExpression blanksAroundAt(QStringLiteral(R"(\s*@\s*)"));
    return result.replace(blanksAroundAt, QStringLiteral("@")).simplified();
}

bool hasHan(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Han; });
}

QString trimmedOfSeparators(const QString &text)
{
    static const QRegularExpression edges(
        QStringLiteral(R"(^[\s|/,;，；、·•:：-]+|[\s|/,;，；、·•:：-]+$)"));
    return QString(text).remove(edges);
}

// Takes the first match of pattern out of text; the match's capture group is the result.
std::optional<QString> takeOut(QString &text, const QRegularExpression &pattern, int group)
{
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString taken = match.captured(group).trimmed();
    text.remove(match.capturedStart(), match.capturedLength());
    return taken;
}

const QRegularExpression &postcodePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:邮编|邮政编码|Post\s*code|Postcode|Zip|P\.C\.))") + labelEnd
            + QStringLiteral(R"((\d{6})(?!\d))"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &emailPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:(?:邮箱|电子邮件|电邮|E-?mail|E(?=\s*[:：;；]))\s*[:：;；]?\s*)?)"
                       R"(([A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(?:\.[A-Za-z0-9-]+)+))"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &websitePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:(?:网址|网站|主页|Website|Web|URL|W(?=\s*[:：;；]))\s*[:：;；]?\s*)"
                       R"((?=(?:https?://)?[A-Za-z0-9-]+\.[A-Za-z])|(?=https?://|www\.)))"
                       R"(((?:https?://)?[A-Za-z0-9-]+(?:\.[A-Za-z0-9-]+)+(?:/[^\s]*)?))"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QString numberForm
    = QStringLiteral(R"((\+?\(?\d[\d\s()\-]{5,}\d(?:\s*(?:转|分机|ext\.?|x)\s*\d{1,6})?))");

const QRegularExpression &labelledNumberPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"((移动电话|手机|办公电话|电话|座机|直线|总机|传真|Mobile|Mob|Cell|Phone|Tel|Fax|)"
            R"((?<![A-Za-z])[TMFP](?![A-Za-z])))")
            + labelEnd + numberForm,
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &bareNumberPattern()
{
    static const QRegularExpression pattern(numberForm, QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

int digitCount(const QString &text)
{
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }));
}

// A number printed without a label: a mainland mobile (11 digits from 1) or a telephone.
QString bareLabel(const QString &number)
{
    QString digits;
    for (const QChar c : number) {
        if (c.isDigit())
            digits += c;
    }
    if (digits.startsWith(QStringLiteral("86")) && digits.size() == 13)
        digits.remove(0, 2);
    return digits.size() == 11 && digits.startsWith(u'1') ? QStringLiteral("手机")
                                                          : QStringLiteral("电话");
}

bool endsWithAny(const QString &text, const QStringList &endings)
{
    return std::any_of(endings.begin(), endings.end(),
                       [&text](const QString &ending) { return text.endsWith(ending); });
}

bool isCompany(const QString &text)
{
    static const QStringList hanEndings { QStringLiteral("有限公司"), QStringLiteral("公司"),
                                          QStringLiteral("集团"),     QStringLiteral("研究院"),
                                          QStringLiteral("研究所"),   QStringLiteral("事务所"),
                                          QStringLiteral("工作室"),   QStringLiteral("银行"),
                                          QStringLiteral("大学"),     QStringLiteral("学院"),
                                          QStringLiteral("医院"),     QStringLiteral("协会"),
                                          QStringLiteral("分行"),     QStringLiteral("分公司"),
                                          QStringLiteral("出版社"),   QStringLiteral("设计院") };
    static const QRegularExpression latin(
        QStringLiteral(R"(\b(Co\.|Co,|Ltd|Limited|Inc|Corp|Corporation|LLC|LLP|GmbH|Group|)"
                       R"(Company|Institute|Studio|Partners|Bank|University|Holdings|Firm)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return hasHan(text) ? endsWithAny(text, hanEndings) : latin.match(text).hasMatch();
}

// Words that begin a Latin title rather than end a name.
const QRegularExpression &titleWords()
{
    static const QRegularExpression words(
        QStringLiteral(R"(\b(Senior|Junior|Chief|General|Vice|Deputy|Assistant|Associate|Sales|)"
                       R"(Marketing|Product|Project|Technical|Regional|Managing|Executive|Head|)"
                       R"(Lead|Principal|Account|Business|Art|Creative|Finance|Legal)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return words;
}

bool isTitle(const QString &text)
{
    static const QStringList hanTitles {
        QStringLiteral("经理"),   QStringLiteral("总监"),       QStringLiteral("董事长"),
        QStringLiteral("董事"),   QStringLiteral("总裁"),       QStringLiteral("主任"),
        QStringLiteral("主管"),   QStringLiteral("工程师"),     QStringLiteral("设计师"),
        QStringLiteral("架构师"), QStringLiteral("会计师"),     QStringLiteral("律师"),
        QStringLiteral("教授"),   QStringLiteral("研究员"),     QStringLiteral("顾问"),
        QStringLiteral("秘书"),   QStringLiteral("助理"),       QStringLiteral("代表"),
        QStringLiteral("专员"),   QStringLiteral("合伙人"),     QStringLiteral("创始人"),
        QStringLiteral("部长"),   QStringLiteral("处长"),       QStringLiteral("科长"),
        QStringLiteral("院长"),   QStringLiteral("校长"),       QStringLiteral("主编"),
        QStringLiteral("编辑"),   QStringLiteral("记者"),       QStringLiteral("医师"),
        QStringLiteral("医生"),   QStringLiteral("厂长"),       QStringLiteral("店长"),
        QStringLiteral("行长"),   QStringLiteral("首席执行官"), QStringLiteral("首席技术官"),
        QStringLiteral("总经理"), QStringLiteral("讲师"),       QStringLiteral("分析师"),
        QStringLiteral("总工"),   QStringLiteral("主席"),       QStringLiteral("秘书长"),
    };
    static const QRegularExpression latin(
        QStringLiteral(R"(\b(Manager|Director|Engineer|President|CEO|CTO|CFO|COO|Officer|)"
                       R"(Chairman|Consultant|Designer|Developer|Architect|Representative|)"
                       R"(Assistant|Secretary|Partner|Founder|Professor|Lawyer|Attorney|)"
                       R"(Accountant|Editor|Head|Lead|Specialist|Analyst|VP|Executive|)"
                       R"(Supervisor|Coordinator|Researcher|Scientist|Advisor|Adviser|Controller|)"
                       R"(Treasurer|Auditor)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    if (hasHan(text))
        return text.size() <= 16 && endsWithAny(text, hanTitles);
    return text.count(u' ') < 6 && latin.match(text).hasMatch();
}

const QRegularExpression &addressLabel()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:公司地址|通讯地址|地址|Address|Addr|Add)\s*[:：.;；]\s*)"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

int addressMarkers(const QString &text)
{
    if (hasHan(text)) {
        static const QString markers = QStringLiteral("省市区县路街道号室楼层座巷弄镇村栋园");
        return int(
            std::count_if(text.begin(), text.end(), [](QChar c) { return markers.contains(c); }));
    }
    static const QRegularExpression latin(
        QStringLiteral(R"(\b(Road|Rd|Street|St|Avenue|Ave|Boulevard|Blvd|Lane|Floor|Fl|Suite|)"
                       R"(Room|Rm|Building|Bldg|Tower|Plaza|District|Province|Block|No)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    int count = 0;
    for (auto it = latin.globalMatch(text); it.hasNext(); it.next())
        ++count;
    return count;
}

bool isAddress(const QString &text)
{
    const int markers = addressMarkers(text);
    return markers >= 2 || (markers == 1 && digitCount(text) > 0);
}

bool isHanName(const QString &text)
{
    const QString joined = QString(text).remove(u' ');
    return joined.size() >= 2 && joined.size() <= 4 && PersonName::isHan(joined);
}

bool isLatinName(const QString &text)
{
    static const QRegularExpression name(
        QStringLiteral(R"(^[A-Z][A-Za-z'\-]*\.?(?: [A-Z][A-Za-z'\-]*\.?){1,2}$)"));
    return name.match(text).hasMatch();
}

class Classifier
{
public:
    explicit Classifier(const QList<PrintedLine> &lines)
        : m_lines(lines)
    { }

    ScanResult run()
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i)
            readLine(i);
        placeAddresses();
        placeNamed(Kind::Company, m_result.companyName, m_result.english.companyName);
        placeNamed(Kind::Title, m_result.title, m_result.english.title);
        placeName();
        for (const Part &part : std::as_const(m_parts)) {
            if (part.kind == Kind::Other)
                m_result.otherLines << scanned(part.text, part.line, 1.0);
        }
        return m_result;
    }

private:
    ScannedText scanned(const QString &text, qsizetype line, double certainty) const
    {
        return { text, m_lines.at(line).confidence * certainty, m_lines.at(line).box };
    }

    void readLine(qsizetype index)
    {
        QString text = plain(m_lines.at(index).text);
        if (const auto postcode = takeOut(text, postcodePattern(), 1);
            postcode && m_result.postcode.isEmpty())
            m_result.postcode = scanned(*postcode, index, byLabel);
        while (const auto email = takeOut(text, emailPattern(), 1)) {
            if (m_result.email.isEmpty())
                m_result.email = scanned(*email, index, byForm);
            else
                m_parts << Part { Kind::Other, *email, 1.0, false, index };
        }
        if (const auto website = takeOut(text, websitePattern(), 1);
            website && m_result.website.isEmpty())
            m_result.website = scanned(*website, index, byForm);
        readNumbers(text, index);
        text = trimmedOfSeparators(text);
        if (text.isEmpty())
            return;
        if (const qsizetype nameEnd = latinNameBeforeTitle(text); nameEnd > 0) {
            m_parts << Part { Kind::Name, text.left(nameEnd), bySize, false, index }
                    << Part { Kind::Title, text.mid(nameEnd + 1), byLexicon, false, index };
            return;
        }
        m_parts << kindOf(text, index);
    }

    // "Jing Sima Lawyer": where a Latin name printed before its title on one line ends.
    static qsizetype latinNameBeforeTitle(const QString &text)
    {
        if (hasHan(text))
            return 0;
        for (int words = 2; words <= 3; ++words) {
            qsizetype end = -1;
            for (int w = 0; w < words && (end = text.indexOf(u' ', end + 1)) > 0;)
                ++w;
            if (end <= 0)
                return 0;
            if (isLatinName(text.left(end)) && isTitle(text.mid(end + 1))
                && !titleWords().match(text.left(end)).hasMatch())
                return end;
        }
        return 0;
    }

    void readNumbers(QString &text, qsizetype index)
    {
        while (true) {
            const QRegularExpressionMatch match = labelledNumberPattern().match(text);
            if (!match.hasMatch())
                break;
            m_result.numbers << ScannedNumber { CardFields::numberLabel(match.captured(1)),
                                                scanned(match.captured(2).simplified(), index,
                                                        byLabel) };
            text.remove(match.capturedStart(), match.capturedLength());
        }
        // A line of digits alone is a number even without its label.
        const QRegularExpressionMatch bare = bareNumberPattern().match(text);
        if (bare.hasMatch() && digitCount(bare.captured(1)) >= 7
            && !hasHan(QString(text)
                           .remove(bare.capturedStart(), bare.capturedLength())
                           .remove(QStringLiteral("转"))
                           .remove(QStringLiteral("分机")))) {
            const QString number = bare.captured(1).simplified();
            m_result.numbers << ScannedNumber { bareLabel(number), scanned(number, index, byForm) };
            text.remove(bare.capturedStart(), bare.capturedLength());
        }
    }

    Part kindOf(const QString &text, qsizetype index) const
    {
        const bool han = hasHan(text);
        if (const QRegularExpressionMatch label = addressLabel().match(text); label.hasMatch())
            return { Kind::Address, text.mid(label.capturedLength()), byLabel, han, index };
        if (isCompany(text))
            return { Kind::Company, text, bySuffix, han, index };
        if (isAddress(text))
            return { Kind::Address, text, byMarkers, han, index };
        if (isTitle(text))
            return { Kind::Title, text, byLexicon, han, index };
        if (isHanName(text) || isLatinName(text))
            return { Kind::Name, text, bySize, han, index };
        return { Kind::Other, text, 1.0, han, index };
    }

    // The first company (or title) in the card's own script fills the field; on a bilingual card
    // the English one is kept beside it, and any further one stays a line of its own.
    void placeNamed(Kind kind, ScannedText &field, QString &english)
    {
        const bool anyHan = std::any_of(m_parts.begin(), m_parts.end(),
                                        [kind](const Part &p) { return p.kind == kind && p.han; });
        for (Part &part : m_parts) {
            if (part.kind != kind)
                continue;
            if (field.isEmpty() && part.han == anyHan)
                field = scanned(part.text, part.line, part.certainty);
            else if (!part.han && english.isEmpty() && anyHan)
                english = part.text;
            else
                continue;
            part.kind = Kind::Placed;
        }
        for (Part &part : m_parts) {
            if (part.kind == kind)
                part.kind = Kind::Other;
        }
    }

    // Whether line b continues line a's wrapped address: right below it, in the same size.
    bool continues(qsizetype a, qsizetype b) const
    {
        const QRect &above = m_lines.at(a).box;
        const QRect &below = m_lines.at(b).box;
        const int gap = below.top() - above.bottom();
        const bool sameSize
            = std::abs(below.height() - above.height()) <= above.height() * 3 / 10 + 2;
        const bool overlapping = below.left() < above.right() && above.left() < below.right();
        return gap >= -2 && gap < above.height() && sameSize && overlapping;
    }

    void placeAddresses()
    {
        for (qsizetype i = 0; i < m_parts.size(); ++i) {
            if (m_parts.at(i).kind != Kind::Address)
                continue;
            Part &first = m_parts[i];
            QString joined = first.text;
            double certainty = first.certainty;
            qsizetype last = first.line;
            for (qsizetype j = i + 1; j < m_parts.size(); ++j) {
                Part &next = m_parts[j];
                const bool wraps = (next.kind == Kind::Address || next.kind == Kind::Other)
                    && next.han == first.han && continues(last, next.line)
                    && !addressLabel().match(next.text).hasMatch();
                if (!wraps)
                    break;
                joined += first.han ? next.text : u' ' + next.text;
                certainty = std::min(certainty, next.certainty);
                last = next.line;
                next.kind = Kind::Placed;
            }
            first.kind = Kind::Placed;
            placeAddress(joined, first, certainty);
        }
    }

    void placeAddress(QString joined, const Part &first, double certainty)
    {
        // An English address ends in its post code.
        static const QRegularExpression trailingPostcode(QStringLiteral(R"(,?\s*(\d{6})$)"));
        if (const QRegularExpressionMatch code = trailingPostcode.match(joined);
            !first.han && code.hasMatch()) {
            if (m_result.postcode.isEmpty())
                m_result.postcode = scanned(code.captured(1), first.line, byForm);
            joined.truncate(code.capturedStart());
        }
        const bool hanAddressFirst = m_result.address1.isEmpty()
            && (first.han || !std::any_of(m_parts.begin(), m_parts.end(), [](const Part &p) {
                                         return p.kind == Kind::Address && p.han;
                                     }));
        if (hanAddressFirst) {
            ScannedText text = scanned(joined.left(fieldLength), first.line, certainty);
            m_result.address1 = text;
            if (joined.size() > fieldLength) {
                text.text = joined.mid(fieldLength, fieldLength);
                m_result.address2 = text;
            }
        } else if (!first.han && m_result.english.address.isEmpty()) {
            m_result.english.address = joined;
        } else {
            m_result.otherLines << scanned(joined, first.line, certainty);
        }
    }

    void placeName()
    {
        Part *han = nullptr;
        Part *latin = nullptr;
        for (Part &part : m_parts) {
            if (part.kind != Kind::Name)
                continue;
            Part *&best = part.han ? han : latin;
            if (!best || m_lines.at(part.line).box.height() > m_lines.at(best->line).box.height())
                best = &part;
        }
        Part *chosen = han ? han : latin;
        if (!chosen)
            return;
        const QString whole = chosen->han ? QString(chosen->text).remove(u' ') : chosen->text;
        const PersonName::Parts name = PersonName::split(whole);
        m_result.familyName = scanned(name.family, chosen->line, chosen->certainty);
        m_result.givenName = scanned(name.given, chosen->line, chosen->certainty);
        chosen->kind = Kind::Placed;
        if (han && latin) {
            m_result.english.name = latin->text;
            latin->kind = Kind::Placed;
        }
        for (Part &part : m_parts) {
            if (part.kind == Kind::Name)
                part.kind = Kind::Other;
        }
    }

    const QList<PrintedLine> &m_lines;
    QList<Part> m_parts;
    ScanResult m_result;
};

} // namespace

namespace CardFields {

ScanResult classify(const QList<PrintedLine> &lines)
{
    return Classifier(lines).run();
}

QString numberLabel(const QString &printed)
{
    const QString word = printed.toLower();
    if (word == u"手机" || word == u"移动电话" || word == u"mobile" || word == u"mob"
        || word == u"cell" || word == u"m")
        return QStringLiteral("手机");
    if (word == u"传真" || word == u"fax" || word == u"f")
        return QStringLiteral("传真");
    if (word == u"电话" || word == u"tel" || word == u"phone" || word == u"t" || word == u"p"
        || word == u"座机")
        return QStringLiteral("电话");
    return printed;
}

} // namespace CardFields
