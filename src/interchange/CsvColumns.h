#pragma once

#include "CsvHeaders.h"
#include "CsvRecord.h"

#include <QList>
#include <QStringList>

// Maps CSV records to contacts by their header row, and contacts to our own CSV rows.
class CsvColumns
{
public:
    // Our header row, in the order rows are written.
    static QStringList captions();
    // A contact's cells under captions(), guarded against running as a spreadsheet formula.
    static QStringList fieldsOf(const ContactRecord &contact);

    // Matches a header row; holds no name column when the row is no contact header.
    explicit CsvColumns(const QStringList &header);
    bool hasNameColumn() const;
    // False, with a reason, for a line that names nobody.
    bool toContact(const QStringList &fields, CsvContact &contact, QString &reason) const;

private:
    QList<CsvHeaders::Column> m_columns;
};
