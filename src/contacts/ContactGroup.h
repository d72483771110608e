#pragma once

#include <QString>

// The relationship group a contact names in its Type field.
namespace ContactGroup {

// The group of a contact that has been given none.
QString defaultName();
bool isBlank(const QString &group);
// A blank group becomes the default group; any other is kept as it is.
QString withDefault(const QString &group);
// As the group box leaves it: blank becomes the default group, and every " | " becomes " - ",
// because the contact list joins group names with " | ".
QString clean(const QString &typed);

} // namespace ContactGroup
