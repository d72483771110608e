#include "ContactSearch.h"

namespace ContactSearch {

QString promptText()
{
    return QStringLiteral("请在此输入搜索关键字");
}

bool listsAll(const QString &keyText)
{
    return keyText.isEmpty() || keyText == QLatin1String("*") || keyText == promptText();
}

QStringList keywords(const QString &keyText)
{
    QStringList used;
    for (const QString &piece : keyText.split(QLatin1Char(' '))) {
        if (piece.isEmpty())
            break;
        used << piece;
    }
    return used;
}

} // namespace ContactSearch
