#include "PersonName.h"

#include <QSet>
#include <QStringList>

namespace {

const QSet<QString> &compoundSurnames()
{
    static const QSet<QString> names = [] {
        QSet<QString> set;
        for (const QString &name :
             QStringLiteral("欧阳 司马 诸葛 上官 东方 皇甫 尉迟 公孙 慕容 长孙 宇文 司徒 夏侯 "
                            "轩辕 令狐 端木 独孤 南宫 西门 百里 呼延 澹台 申屠 万俟 闻人 司空 "
                            "钟离 赫连 拓跋 太史 仲孙 濮阳 淳于 单于 公冶 宗政 东郭 第五 左丘 "
                            "歐陽 諸葛 東方 長孫 軒轅 鍾離 司馬 夏侯 上官 尉遲")
                 .split(QLatin1Char(' '), Qt::SkipEmptyParts))
            set.insert(name);
        return set;
    }();
    return names;
}

bool isHanCharacter(char32_t c)
{
    return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0x20000 && c <= 0x3FFFF);
}

} // namespace

namespace PersonName {

bool isHan(QStringView text)
{
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text.at(++i).unicode());
        if (c == U' ' || c == U'·' || c == 0x3000)
            continue;
        if (!isHanCharacter(c))
            return false;
        any = true;
    }
    return any;
}

Parts split(const QString &fullName)
{
    const QString name = fullName.trimmed();
    if (isHan(name)) {
        const QList<uint> characters = name.toUcs4();
        const qsizetype surnameLength
            = characters.size() > 2 && compoundSurnames().contains(name.left(2)) ? 2 : 1;
        const QString family = QString::fromUcs4(
            reinterpret_cast<const char32_t *>(characters.constData()), surnameLength);
        return { family, name.mid(family.size()).trimmed() };
    }
    const qsizetype lastBlank = name.lastIndexOf(QLatin1Char(' '));
    if (lastBlank < 0)
        return { name, QString() };
    return { name.mid(lastBlank + 1), name.left(lastBlank).trimmed() };
}

QString join(const QString &family, const QString &given)
{
    if (isHan(family) && (given.isEmpty() || isHan(given)))
        return family + given;
    if (given.isEmpty() || family.isEmpty())
        return given + family;
    return given + QLatin1Char(' ') + family;
}

} // namespace PersonName
