#pragma once

#include "ContactRow.h"
#include "PinyinKeys.h"
#include "SearchResult.h"
#include "shared/Status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <array>
#include <memory>
#include <vector>

class Database;
class TableWatch;
class TextRow;

// The searchable text of every contact, kept in memory so that a search reads nothing from the
// file. Read in full when first searched; before every later search it catches up with the rows
// changed since, wherever the change came from (see TableWatch).
//
// Each contact is one run of UTF-8 text in a single buffer: its fields after the ID in table
// order, each ended by the byte 0xFF, which UTF-8 never holds. A keyword found in the buffer
// therefore lies inside one field of one contact. Beside each contact lie the pinyin keys of its
// names, built when its row is read, so that a keyword of Latin letters also finds it by the
// pinyin or the initials of its Han characters.
class ContactSearchIndex
{
public:
    // The result list's columns: display name, title, company, first number, e-mail, address,
    // relationship group.
    static constexpr int columnCount = 7;

    explicit ContactSearchIndex(Database &database);
    ~ContactSearchIndex();
    ContactSearchIndex(const ContactSearchIndex &) = delete;
    ContactSearchIndex &operator=(const ContactSearchIndex &) = delete;

    // Contacts holding any keyword inside one field but the ID, or whose name or company name a
    // keyword of Latin letters spells in pinyin (or all contacts); highest ID first, the template
    // and the placeholder left out.
    Result<SearchResult> search(const QString &keyText);

    // Reading a contact a result names; every text without outer blanks.
    qint64 id(quint32 contact) const;
    QString columnText(quint32 contact, int column) const;
    // Every column as UTF-8 into out, whose texts keep their memory from call to call.
    using ColumnsUtf8 = std::array<QByteArray, columnCount>;
    void columnsUtf8(quint32 contact, ColumnsUtf8 &out) const;
    ContactRow row(quint32 contact) const;

private:
    struct Contact
    {
        qint64 id = 0;
        qint64 start = 0;
        qint64 length = 0;
        // Neither the template nor the placeholder.
        bool listed = false;
        bool present = false;
    };

    // Positions among the fields after the ID of the fields the list shows; -1 if missing.
    enum Field {
        FirstName,
        LastName,
        Title,
        Type,
        CompanyName,
        Address1,
        Address2,
        Postcode,
        Email,
        Data1,
        Combo1 = Data1 + 4,
        FieldCount = Combo1 + 4
    };

    Status catchUp();
    Status readAll();
    Status readRows(const QList<qint64> &ids);
    void findFields(const TextRow &row);
    void appendRun(Contact &contact, const TextRow &row);
    void store(const TextRow &row);
    void remove(qint64 id);
    void compactIfWasteful();
    std::vector<quint32>::iterator findById(qint64 id);
    QByteArrayView field(quint32 contact, int field) const;
    // All fields the list shows, without outer blanks, found in one pass over the run.
    std::array<QByteArrayView, FieldCount> shownFields(quint32 contact) const;
    void markMatches(const QByteArray &keyword, std::vector<char> &matched) const;
    void markPinyinMatches(const QString &keyword, std::vector<char> &matched) const;

    Database &m_database;
    std::unique_ptr<TableWatch> m_watch;
    std::array<int, FieldCount> m_fieldAt {};
    std::array<QByteArray, 4> m_reservedParts;
    QByteArray m_text;
    // Bytes of m_text no contact uses any more (runs replaced by an edit or left by a delete).
    qint64 m_wasted = 0;
    std::vector<Contact> m_contacts;
    // The pinyin keys of each contact, by the same number; empty for a name without Han text.
    std::vector<PinyinKeys> m_pinyin;
    // Contacts present, in ascending order of ID.
    std::vector<quint32> m_byId;
    // Where each run in m_text starts and whose it is, in buffer order.
    std::vector<qint64> m_runStarts;
    std::vector<quint32> m_runOwners;
    bool m_read = false;
    bool m_fieldsFound = false;
};
