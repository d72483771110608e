#include "TextEncoding.h"

#include <QStringDecoder>

namespace {

bool startsWith(const QByteArray &bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (const unsigned char byte : mark) {
        if (static_cast<unsigned char>(bytes.at(i++)) != byte)
            return false;
    }
    return true;
}

// UTF-16 without a mark: text files of this kind start with ASCII, so every other byte is zero.
bool looksLikeBareUtf16(const QByteArray &bytes, bool littleEndian)
{
    const qsizetype sample = qMin<qsizetype>(bytes.size() & ~qsizetype(1), 64);
    if (sample < 4)
        return false;
    for (qsizetype i = 0; i < sample; i += 2) {
        const char high = littleEndian ? bytes.at(i + 1) : bytes.at(i);
        const char low = littleEndian ? bytes.at(i) : bytes.at(i + 1);
        if (high != 0 || low == 0)
            return false;
    }
    return true;
}

} // namespace

namespace TextEncoding {

bool isUtf16(const QByteArray &bytes)
{
    return startsWith(bytes, { 0xFF, 0xFE }) || startsWith(bytes, { 0xFE, 0xFF })
        || looksLikeBareUtf16(bytes, true) || looksLikeBareUtf16(bytes, false);
}

QByteArray toUtf8Bytes(const QByteArray &bytes)
{
    if (startsWith(bytes, { 0xEF, 0xBB, 0xBF }))
        return bytes.mid(3);
    if (!isUtf16(bytes))
        return bytes;
    const bool bigEndian = startsWith(bytes, { 0xFE, 0xFF })
        || (!startsWith(bytes, { 0xFF, 0xFE }) && looksLikeBareUtf16(bytes, false));
    QStringDecoder decoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    QString text = decoder.decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text.toUtf8();
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString decode(const QByteArray &bytes)
{
    const QByteArray utf8 = toUtf8Bytes(bytes);
    if (isValidUtf8(utf8))
        return QString::fromUtf8(utf8);
    QStringDecoder decoder("GB18030");
    return decoder.decode(utf8);
}

} // namespace TextEncoding
