#pragma once

#include <QUrl>
#include <optional>

// What the editor's mail and web links hand to the desktop. Only mail and web addresses ever
// leave: never a local file, a share or a program.
namespace ContactLinks {

// "mailto:" with the e-mail box's text, as typed, as the address. The text is the URL's path,
// so a "?" or "#" in it is part of the address and never adds headers or attachments. An empty
// box gives a bare "mailto:" (a new, empty message).
std::optional<QUrl> mailUrl(const QString &typed);

// The home page box's text as a web address: http and https open; a text without a scheme, such
// as www.example.com, opens as http. Empty text, any other scheme, a local or UNC path and
// anything that is no valid address give nothing.
std::optional<QUrl> webUrl(const QString &typed);

} // namespace ContactLinks
