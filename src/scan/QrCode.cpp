#include "QrCode.h"

#include <memory>
#include <qrencode.h>

Result<QrCode> QrCode::encode(const QByteArray &text)
{
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> encoded(
        QRcode_encodeData(int(text.size()),
                          reinterpret_cast<const unsigned char *>(text.constData()), 0,
                          QR_ECLEVEL_M),
        &QRcode_free);
    if (!encoded)
        return Status::failure(QStringLiteral("内容太多，一个二维码放不下"));
    QrCode code;
    code.size = encoded->width;
    code.modules.resize(size_t(code.size) * size_t(code.size));
    for (size_t i = 0; i < code.modules.size(); ++i)
        code.modules[i] = (encoded->data[i] & 1) != 0;
    return code;
}
