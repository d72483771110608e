#pragma once

#include "shared/AppVersion.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// What one reading of the update information file says.
struct UpdateReading
{
    enum class Outcome { NotUpdateInformation, UpToDate, NewerVersion };

    Outcome outcome = Outcome::NotUpdateInformation;
    // The text for the user.
    QString message;
    // The address "download the newest version" leads to; kept from before when the file has none.
    QString downloadAddress;
};

// Reads the small text file on the maker's web server that names the newest release:
// fields cut at "||" (name, version, download address, unused, description) and the marker word
// "updateinfo" somewhere in it.
namespace UpdateInfo {

QString failureText();

// The file's text from the bytes the server sent and its Content-Type header.
QString decode(const QByteArray &body, const QByteArray &contentType);

UpdateReading read(const QString &text, const QString &previousDownloadAddress,
                   qint64 ownVersion = AppVersion::number());

// The number a field starts with, in plain decimal form ("0" when it starts with none). Blanks are
// skipped; reading stops at the first character that is neither a digit nor a blank.
QString leadingNumber(QStringView field);

// Orders two numbers in the plain decimal form leadingNumber() gives: negative, zero or positive.
int compareNumbers(QStringView left, QStringView right);

// How a version number is shown: 20100 is "V20 Builder0100".
QString versionText(const QString &number);

} // namespace UpdateInfo
