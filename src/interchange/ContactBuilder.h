#pragma once

#include "contacts/ContactRecord.h"

#include <QStringList>

// Fills a contact row from what a card or a CSV line holds, within the file's field limits.
// Nothing is lost: a value longer than its field, a fifth number, a second e-mail address or
// address go into the notes as labelled lines, in full.
class ContactBuilder
{
public:
    void setNames(const QString &family, const QString &given);
    void setTitle(const QString &title);
    // The first group becomes the contact's relationship group; later ones go into the notes.
    void addGroup(const QString &group);
    void setCompany(const QString &company);
    void addAddress(const QString &line1, const QString &line2, const QString &postcode);
    void setAddress3(const QString &line3);
    // A number with its label; the first four take the number fields.
    void addNumber(const QString &label, const QString &number);
    // Keeps a slot as the source has it, empty or not.
    void setNumberAt(int slot, const QString &label, const QString &number);
    void addEmail(const QString &email);
    void addWebsite(const QString &website);
    void addNotes(const QString &notes);

    bool hasName() const { return !m_record.firstName.isEmpty() || !m_record.lastName.isEmpty(); }
    const ContactRecord &record() const { return m_record; }
    // The row, with the overflow lines after the notes.
    ContactRecord take();

    // The non-blank parts, trimmed and joined by one blank (name and address pieces of a card).
    static QString joined(const QStringList &parts);

private:
    void fit(QString &field, const QString &value, int limit, const QString &label);
    void overflow(const QString &label, const QString &value);

    ContactRecord m_record;
    QStringList m_overflow;
    bool m_hasGroup = false;
    bool m_hasAddress = false;
    int m_numbers = 0;
};
