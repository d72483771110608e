#pragma once

#include <QString>
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

// Whether a family and a given name, each without outer blanks, name one of them.
bool matches(QStringView firstName, QStringView lastName);
// Whether a row of Contacts is one of them, as an SQL condition; row names the row (NEW, OLD)
// where the statement needs it. The names are constants, never user data.
QString sqlTest(const QString &row = {});

} // namespace ReservedRows
