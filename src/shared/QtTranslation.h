#pragma once

#include <QLocale>

// Qt's own texts (file dialogs, context menus, standard buttons) in the user's language.
namespace QtTranslation {

// Installs Qt's translation for a Chinese locale; answers whether one was installed. Other
// locales keep Qt's English, as the program's own texts are Chinese anyway.
bool install(const QLocale &locale);

} // namespace QtTranslation
