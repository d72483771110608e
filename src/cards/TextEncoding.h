#pragma once

#include <QByteArray>
#include <QString>

// How the card files' bytes become text: a byte-order mark first, else UTF-8 when the bytes
// are valid UTF-8, else GB18030, the superset of what Chinese programs write without saying so.
namespace TextEncoding {

bool isUtf16(const QByteArray &bytes);
// UTF-8 bytes without a byte-order mark; UTF-16 input is converted.
QByteArray toUtf8Bytes(const QByteArray &bytes);
bool isValidUtf8(const QByteArray &bytes);
QString decode(const QByteArray &bytes);

} // namespace TextEncoding
