#pragma once

#include <QStringView>

// The two Contacts rows that are no contact: the new-contact placeholder "姓 名字" and the
// template "模板 模板". Their names, split at the one blank each holds, are fixed by the file
// format, so the file's own triggers test for them too.
namespace ReservedRows {

struct Name
{
    QStringView firstName;
    QStringView lastName;
};

inline constexpr Name names[] = { { u"姓", u"名字" }, { u"模板", u"模板" } };

} // namespace ReservedRows
