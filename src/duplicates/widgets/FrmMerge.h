#pragma once

#include "contacts/ContactRecord.h"

#include <QDialog>
#include <QList>

class QButtonGroup;

// The side-by-side merge view: one column per contact, one row per field; the user picks the
// value each field keeps. The oldest contact's value is chosen where values differ, the
// non-empty one where the oldest has none.
class FrmMerge : public QDialog
{
    Q_OBJECT

public:
    // contacts in ID order; the first is the one kept.
    FrmMerge(const QList<ContactRecord> &contacts, QWidget *parent = nullptr);

    const QList<ContactRecord> &contacts() const { return m_contacts; }
    // For each field, the position in contacts of the value to keep.
    QList<int> choices() const;

private:
    QWidget *buildGrid();

    QList<ContactRecord> m_contacts;
    QList<QButtonGroup *> m_fields;
};
