#include "ContactExport.h"

#include "ContactNames.h"
#include "shared/AppEnvironment.h"
#include "shared/GeneralDate.h"

#include <QDir>
#include <QSaveFile>
#include <QStringEncoder>

namespace {

constexpr QStringView lineEnd = u"\r\n";
const QString rule = QString(30, QLatin1Char('-'));
// Text is handed on in pieces of about this many characters, so a long list never needs the
// whole text and its encoded copy in memory at once.
constexpr qsizetype pieceSize = 64 * 1024;

void appendLine(QString &text, std::initializer_list<QStringView> pieces)
{
    for (const QStringView piece : pieces)
        text.append(piece);
    text.append(lineEnd);
}

void appendContact(QString &text, const ContactRow &row)
{
    const QStringView colon = u"：";
    const QStringView gap = u"  ";
    appendLine(text, { u"姓名：", row.displayName });
    appendLine(text, { u"职务：", row.title, u"  电子邮件：", row.email });
    appendLine(text, { u"公司：", row.companyName, u"  邮编：", row.postcode });
    appendLine(text, { u"地址：", row.address1, u" ", row.address2 });
    for (int i = 0; i < 4; i += 2) {
        appendLine(text,
                   { row.labels[i], colon, row.numbers[i], gap, row.labels[i + 1], colon,
                     row.numbers[i + 1] });
    }
    appendLine(text, { rule });
}

// Produces the file text in order, in pieces; deliver returns false to stop.
template<typename Deliver>
bool produce(const ContactExport::Rows &rows, const QDateTime &generated, Deliver deliver)
{
    QString piece;
    piece.reserve(pieceSize + 1024);
    appendLine(piece, { u"-=联系人信息列表=-" });
    appendLine(piece, { rule });
    for (qsizetype i = 0; i < rows.count; ++i) {
        const ContactRow row = rows.at(i);
        if (!ContactNames::isReserved(row.displayName))
            appendContact(piece, row);
        if (piece.size() >= pieceSize) {
            if (!deliver(piece))
                return false;
            piece.resize(0);
        }
    }
    appendLine(piece, { u"此列表由[Zorvane]自动生成" });
    piece.append(QStringView(u"生成时间：")).append(GeneralDate::text(generated));
    return deliver(piece);
}

} // namespace

namespace ContactExport {

QString filePath()
{
    return AppEnvironment::current().dataFile(QStringLiteral("Mylist.txt"));
}

Rows rowsOf(const QList<ContactRow> &rows)
{
    return { rows.size(), [rows](qsizetype i) { return rows.at(i); } };
}

QString text(const Rows &rows, const QDateTime &generated)
{
    QString text;
    produce(rows, generated, [&text](const QString &piece) {
        text.append(piece);
        return true;
    });
    return text;
}

Status write(const Rows &rows, const QDateTime &generated)
{
    const QString path = filePath();
    const auto failed = [&path](const QString &reason) {
        return Status::failure(QStringLiteral("无法写入文件“%1”，联系人列表没有导出。\n%2")
                                   .arg(QDir::toNativeSeparators(path), reason));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    QStringEncoder encode(QStringConverter::System);
    const bool written = produce(rows, generated, [&](const QString &piece) {
        const QByteArray bytes = encode.encode(piece);
        return file.write(bytes) == bytes.size();
    });
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failed(reason);
    }
    if (!file.commit())
        return failed(file.errorString());
    return Status::success();
}

} // namespace ContactExport
