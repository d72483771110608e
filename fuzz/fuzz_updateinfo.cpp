#include "app/UpdateInfo.h"
#include "app/UpdateSite.h"

#include <cstdint>
#include <cstdlib>

// Reads arbitrary bytes as the update file a server might send, and checks what every reading
// must hold: the outcome follows the marker, the user gets a text, numbers are well formed and the
// download link never leaves the web.
namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isPlainDecimal(const QString &number)
{
    if (number == QLatin1String("0"))
        return true;
    const qsizetype start = number.startsWith(u'-') ? 1 : 0;
    if (number.size() <= start || number.at(start) == u'0')
        return false;
    for (qsizetype at = start; at < number.size(); ++at) {
        if (number.at(at) < u'0' || number.at(at) > u'9')
            return false;
    }
    return true;
}

void checkReading(const QString &text)
{
    const UpdateReading reading = UpdateInfo::read(text, QStringLiteral("http://old.example/"));
    const bool marked = text.contains(QLatin1String("updateinfo"));
    require(marked == (reading.outcome != UpdateReading::Outcome::NotUpdateInformation));
    require(!reading.message.isEmpty());
    require(UpdateSite::isWebAddress(UpdateSite::downloadTarget(reading.downloadAddress)));

    const QString number = UpdateInfo::leadingNumber(text);
    require(isPlainDecimal(number));
    require(UpdateInfo::compareNumbers(number, number) == 0);
    const QString own = QString::number(AppVersion::number());
    require(UpdateInfo::compareNumbers(number, own) == -UpdateInfo::compareNumbers(own, number));
    require(UpdateInfo::versionText(number).size() <= 15);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *contentType : { "", "text/plain; charset=utf-8", "text/plain; charset=gbk" })
        checkReading(UpdateInfo::decode(body, contentType));
    checkReading(QString::fromUtf8(body));
    return 0;
}
