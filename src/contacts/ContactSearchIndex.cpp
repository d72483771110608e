#include "ContactSearchIndex.h"

#include "ContactNames.h"
#include "ContactSearch.h"
#include "PinyinMatcher.h"
#include "data/Database.h"
#include "data/ReservedRows.h"
#include "data/TableWatch.h"
#include "shared/Blanks.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace {

constexpr char fieldEnd = char(0xFF);
// Past this many changed rows one read of the whole table is quicker than a read per row.
constexpr qsizetype rowByRowLimit = 20000;

QByteArrayView trimBlanks(QByteArrayView text)
{
    return Blanks::trimmedUtf8(text);
}

} // namespace

ContactSearchIndex::ContactSearchIndex(Database &database)
    : m_database(database)
    , m_watch(std::make_unique<TableWatch>(database, QStringLiteral("Contacts")))
{
    m_fieldAt.fill(-1);
    for (size_t i = 0; i < std::size(ReservedRows::names) && i < 2; ++i) {
        m_reservedParts[2 * i] = ReservedRows::names[i].firstName.toUtf8();
        m_reservedParts[2 * i + 1] = ReservedRows::names[i].lastName.toUtf8();
    }
}

ContactSearchIndex::~ContactSearchIndex() = default;

Result<SearchResult> ContactSearchIndex::search(const QString &keyText)
{
    if (Status current = catchUp(); !current)
        return current;
    const bool all = ContactSearch::listsAll(keyText);
    std::vector<char> matched;
    if (!all) {
        matched.assign(m_contacts.size(), 0);
        for (const QString &keyword : ContactSearch::keywords(keyText)) {
            markMatches(keyword.toUtf8(), matched);
            markPinyinMatches(keyword, matched);
        }
    }
    SearchResult result;
    result.contactsRead = int(m_byId.size());
    for (auto it = m_byId.crbegin(); it != m_byId.crend(); ++it) {
        if (m_contacts[*it].listed && (all || matched[*it]))
            result.contacts.push_back(*it);
    }
    return result;
}

void ContactSearchIndex::markMatches(const QByteArray &keyword, std::vector<char> &matched) const
{
    const char *begin = m_text.constData();
    const char *end = begin + m_text.size();
    const char *from = begin;
    while (from < end) {
        const auto *hit = static_cast<const char *>(
            memmem(from, size_t(end - from), keyword.constData(), size_t(keyword.size())));
        if (!hit)
            return;
        const qint64 offset = hit - begin;
        const auto run = std::upper_bound(m_runStarts.cbegin(), m_runStarts.cend(), offset) - 1;
        const size_t runIndex = size_t(run - m_runStarts.cbegin());
        const quint32 owner = m_runOwners[runIndex];
        // A run an edit or a delete left behind belongs to no one.
        if (m_contacts[owner].present && m_contacts[owner].start == *run)
            matched[owner] = 1;
        from = runIndex + 1 < m_runStarts.size() ? begin + m_runStarts[runIndex + 1] : end;
    }
}

void ContactSearchIndex::markPinyinMatches(const QString &keyword, std::vector<char> &matched) const
{
    const PinyinMatcher matcher(keyword);
    if (!matcher.isUsable())
        return;
    for (const quint32 number : m_byId) {
        if (!matched[number] && matcher.matches(m_pinyin[number]))
            matched[number] = 1;
    }
}

Status ContactSearchIndex::catchUp()
{
    const TableWatch::Changes changes = m_watch->take();
    if (!m_read || changes.everything || changes.rows.size() > rowByRowLimit)
        return readAll();
    if (changes.rows.isEmpty())
        return Status::success();
    Status status = readRows(changes.rows.values());
    if (!status) {
        m_read = false;
        return status;
    }
    compactIfWasteful();
    return status;
}

Status ContactSearchIndex::readAll()
{
    m_read = false;
    m_text.clear();
    m_contacts.clear();
    m_pinyin.clear();
    m_byId.clear();
    m_runStarts.clear();
    m_runOwners.clear();
    m_wasted = 0;
    // The text needs about the room the file gives it; pages reserved but never written cost
    // nothing.
    m_text.reserve(qMax<qint64>(QFileInfo(m_database.path()).size(), 4096));
    m_fieldsFound = false;
    Status status = m_database.selectText(QStringLiteral("SELECT * FROM Contacts ORDER BY ID"), {},
                                          [this](const TextRow &row) { store(row); });
    m_text.squeeze();
    m_read = status.ok();
    return status;
}

Status ContactSearchIndex::readRows(const QList<qint64> &ids)
{
    for (const qint64 id : ids) {
        bool found = false;
        Status status = m_database.selectText(QStringLiteral("SELECT * FROM Contacts WHERE ID = ?"),
                                              { id }, [&](const TextRow &row) {
                                                  found = true;
                                                  store(row);
                                              });
        if (!status)
            return status;
        if (!found)
            remove(id);
    }
    return Status::success();
}

void ContactSearchIndex::findFields(const TextRow &row)
{
    static const std::array<QLatin1String, Data1> named {
        QLatin1String("FirstName"), QLatin1String("LastName"),    QLatin1String("Title"),
        QLatin1String("Type"),      QLatin1String("CompanyName"), QLatin1String("Address1"),
        QLatin1String("Address2"),  QLatin1String("Postcode"),    QLatin1String("Email"),
    };
    m_fieldAt.fill(-1);
    m_fieldsFound = true;
    for (int column = 1; column < row.columnCount(); ++column) {
        const QString name = row.columnName(column);
        for (int i = 0; i < Data1; ++i) {
            if (name.compare(named[size_t(i)], Qt::CaseInsensitive) == 0)
                m_fieldAt[size_t(i)] = column - 1;
        }
        for (int i = 0; i < 4; ++i) {
            if (name.compare(QStringLiteral("Data%1").arg(i + 1), Qt::CaseInsensitive) == 0)
                m_fieldAt[size_t(Data1 + i)] = column - 1;
            if (name.compare(QStringLiteral("Combo%1").arg(i + 1), Qt::CaseInsensitive) == 0)
                m_fieldAt[size_t(Combo1 + i)] = column - 1;
        }
    }
}

void ContactSearchIndex::appendRun(Contact &contact, const TextRow &row)
{
    contact.start = m_text.size();
    for (int column = 1; column < row.columnCount(); ++column) {
        m_text.append(row.text(column));
        m_text.append(fieldEnd);
    }
    contact.length = m_text.size() - contact.start;
}

void ContactSearchIndex::store(const TextRow &row)
{
    if (!m_fieldsFound)
        findFields(row);
    const qint64 id = row.integer(0);
    auto at = findById(id);
    quint32 number = 0;
    if (at != m_byId.end() && m_contacts[*at].id == id) {
        number = *at;
        m_wasted += m_contacts[number].length;
    } else {
        number = quint32(m_contacts.size());
        m_contacts.push_back({ id, 0, 0, false, true });
        m_pinyin.emplace_back();
        m_byId.insert(at, number);
    }
    Contact &contact = m_contacts[number];
    appendRun(contact, row);
    m_runStarts.push_back(contact.start);
    m_runOwners.push_back(number);
    const auto name = [&](Field which) {
        return m_fieldAt[which] < 0 ? QByteArrayView() : trimBlanks(field(number, which));
    };
    const QByteArrayView first = name(FirstName);
    const QByteArrayView last = name(LastName);
    m_pinyin[number] = PinyinKeys::forContact(QString::fromUtf8(first), QString::fromUtf8(last),
                                              QString::fromUtf8(name(CompanyName)));
    contact.listed = true;
    for (size_t i = 0; i + 1 < m_reservedParts.size(); i += 2) {
        if (first == m_reservedParts[i] && last == m_reservedParts[i + 1])
            contact.listed = false;
    }
}

void ContactSearchIndex::remove(qint64 id)
{
    const auto at = findById(id);
    if (at == m_byId.end() || m_contacts[*at].id != id)
        return;
    m_contacts[*at].present = false;
    m_pinyin[*at] = {};
    m_wasted += m_contacts[*at].length;
    m_byId.erase(at);
}

void ContactSearchIndex::compactIfWasteful()
{
    if (m_wasted * 2 < m_text.size())
        return;
    QByteArray text;
    text.reserve(m_text.size() - m_wasted);
    m_runStarts.clear();
    m_runOwners.clear();
    for (const quint32 number : m_byId) {
        Contact &contact = m_contacts[number];
        const qint64 start = text.size();
        text.append(m_text.constData() + contact.start, contact.length);
        contact.start = start;
        m_runStarts.push_back(start);
        m_runOwners.push_back(number);
    }
    m_text = std::move(text);
    m_wasted = 0;
}

std::vector<quint32>::iterator ContactSearchIndex::findById(qint64 id)
{
    return std::lower_bound(
        m_byId.begin(), m_byId.end(), id,
        [this](quint32 number, qint64 wanted) { return m_contacts[number].id < wanted; });
}

QByteArrayView ContactSearchIndex::field(quint32 number, int which) const
{
    const int position = m_fieldAt[size_t(which)];
    if (position < 0)
        return {};
    const Contact &contact = m_contacts[number];
    const char *at = m_text.constData() + contact.start;
    const char *end = at + contact.length;
    for (int i = 0; i < position && at < end; ++i)
        at = static_cast<const char *>(std::memchr(at, fieldEnd, size_t(end - at))) + 1;
    const auto *stop = static_cast<const char *>(std::memchr(at, fieldEnd, size_t(end - at)));
    return QByteArrayView(at, stop - at);
}

qint64 ContactSearchIndex::id(quint32 contact) const
{
    return m_contacts[contact].id;
}

std::array<QByteArrayView, ContactSearchIndex::FieldCount>
ContactSearchIndex::shownFields(quint32 number) const
{
    std::array<QByteArrayView, FieldCount> shown;
    const Contact &contact = m_contacts[number];
    std::array<QByteArrayView, 64> all;
    const char *at = m_text.constData() + contact.start;
    const char *end = at + contact.length;
    for (size_t position = 0; position < all.size() && at < end; ++position) {
        const auto *stop = static_cast<const char *>(std::memchr(at, fieldEnd, size_t(end - at)));
        all[position] = QByteArrayView(at, stop - at);
        at = stop + 1;
    }
    for (size_t which = 0; which < shown.size(); ++which) {
        const int position = m_fieldAt[which];
        if (position >= 0 && size_t(position) < all.size())
            shown[which] = trimBlanks(all[size_t(position)]);
    }
    return shown;
}

void ContactSearchIndex::columnsUtf8(quint32 contact, ColumnsUtf8 &out) const
{
    const auto fields = shownFields(contact);
    const auto set = [&](int column, Field which) {
        out[size_t(column)].resize(0);
        out[size_t(column)].append(fields[which]);
    };
    const auto join = [&](int column, Field left, Field right) {
        QByteArray &text = out[size_t(column)];
        text.resize(0);
        text.append(fields[left]).append(' ').append(fields[right]);
    };
    join(0, FirstName, LastName);
    set(1, Title);
    set(2, CompanyName);
    set(3, Data1);
    set(4, Email);
    join(5, Address1, Address2);
    set(6, Type);
}

QString ContactSearchIndex::columnText(quint32 contact, int column) const
{
    const auto text
        = [&](Field which) { return QString::fromUtf8(trimBlanks(field(contact, which))); };
    const auto joined = [&](Field left, Field right) { return text(left) + u' ' + text(right); };
    switch (column) {
    case 0:
        return joined(FirstName, LastName);
    case 1:
        return text(Title);
    case 2:
        return text(CompanyName);
    case 3:
        return text(Data1);
    case 4:
        return text(Email);
    case 5:
        return joined(Address1, Address2);
    case 6:
        return text(Type);
    default:
        return {};
    }
}

ContactRow ContactSearchIndex::row(quint32 contact) const
{
    const auto fields = shownFields(contact);
    const auto text = [&](int which) { return QString::fromUtf8(fields[size_t(which)]); };
    ContactRow row;
    row.id = id(contact);
    row.displayName = text(FirstName) + u' ' + text(LastName);
    row.title = text(Title);
    row.type = text(Type);
    row.companyName = text(CompanyName);
    row.address1 = text(Address1);
    row.address2 = text(Address2);
    row.postcode = text(Postcode);
    row.email = text(Email);
    for (int i = 0; i < 4; ++i) {
        row.numbers[size_t(i)] = text(Data1 + i);
        row.labels[size_t(i)] = text(Combo1 + i);
    }
    return row;
}
