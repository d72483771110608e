#include "PlainText.h"

#include <QTextDocument>

namespace PlainText {

QString toolTip(const QString &text)
{
    // Tool tips guess the format from the text. Text that would pass for markup is escaped and
    // put in a paragraph, which is read as markup and so shows the original characters.
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

} // namespace PlainText
