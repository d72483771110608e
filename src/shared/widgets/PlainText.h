#pragma once

#include <QString>

// Text from the data file shown where Qt would read markup: it is shown as the characters it is,
// so a name such as <a href="file:///etc/passwd">x</a> links to nothing.
namespace PlainText {

// A tool tip that shows text literally; text that is no markup stays as it is.
QString toolTip(const QString &text);

} // namespace PlainText
