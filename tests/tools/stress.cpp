// Adds, edits and deletes contacts and reminders on one data file as fast as it can, so that a
// test can run two of these against the same file at once: it prints "ready" once the file is
// open and starts on a line of its input, so a test can start both together. Prints what it
// left in the file and when (on the machine's monotonic clock) its first change began and its
// last one ended.
// With "import SOURCE" it imports another data file instead, printing its progress and waiting
// for a line on standard input at each step, so that a test can kill it half-way. With "add EMAIL"
// it adds one contact as the contact list's add command and the editor do: it prints "opened"
// once the new contact's editor would show, reads the family and given name from a line of its
// input, stores the contact and prints "saved ID".
#include "contacts/ContactRows.h"
#include "contacts/ContactStore.h"
#include "data/DataFileImport.h"
#include "data/Database.h"
#include "reminders/ReminderStore.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <cstdio>
#include <ctime>

namespace {

struct Outcome
{
    QList<qint64> contacts;
    QList<qint64> reminders;
    int committed = 0;
    int failed = 0;
    qint64 firstBegan = 0;
    qint64 lastEnded = 0;
};

// Comparable between programs on one machine, unlike the wall clock.
qint64 monotonicNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void record(Outcome &outcome, const Status &status)
{
    if (status) {
        ++outcome.committed;
        return;
    }
    ++outcome.failed;
    std::fprintf(stderr, "failed: %s\n", qUtf8Printable(status.message()));
}

qint64 pick(QRandomGenerator &random, const QList<qint64> &ids)
{
    return ids.at(int(random.bounded(quint32(ids.size()))));
}

void runOnce(Database &database, ReminderStore &reminders, QRandomGenerator &random,
             const QString &tag, int step, Outcome &outcome)
{
    const quint32 operation = random.bounded(6u);
    if (operation == 0 || (operation <= 2 && outcome.contacts.isEmpty())) {
        const auto id = database.insert(
            QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES (?, ?, ?)"),
            { tag, QStringLiteral("n%1").arg(step), QStringLiteral("朋友") });
        if (id)
            outcome.contacts << id.value();
        record(outcome, id.status());
    } else if (operation == 1) {
        const auto changed
            = database.execute(QStringLiteral("UPDATE Contacts SET CompanyName = ? WHERE ID = ?"),
                               { QStringLiteral("c%1").arg(step), pick(random, outcome.contacts) });
        record(outcome, changed.status());
    } else if (operation == 2) {
        const qint64 id = pick(random, outcome.contacts);
        const auto removed = ContactRows::remove(database, id);
        if (removed)
            outcome.contacts.removeOne(id);
        record(outcome, removed.status());
    } else if (operation == 3 || outcome.reminders.isEmpty()) {
        const auto id = reminders.add(tag + QStringLiteral("-%1").arg(step));
        if (id)
            outcome.reminders << id.value();
        record(outcome, id.status());
    } else if (operation == 4) {
        record(outcome, reminders.setDone(pick(random, outcome.reminders), true));
    } else {
        const qint64 id = pick(random, outcome.reminders);
        const Status removed = reminders.remove(id);
        if (removed)
            outcome.reminders.removeOne(id);
        record(outcome, removed);
    }
}

QString joined(const QList<qint64> &ids)
{
    QStringList texts;
    for (qint64 id : ids)
        texts << QString::number(id);
    return texts.join(QLatin1Char(' '));
}

int importSlowly(Database &target, const QString &source)
{
    DataFileImport importer(target);
    importer.onProgress = [](int percent) {
        std::printf("progress %d\n", percent);
        std::fflush(stdout);
        char go[8];
        if (!std::fgets(go, sizeof go, stdin))
            return;
    };
    importer.onDuplicate
        = [](const QString &, const QString &) { return DataFileImport::DuplicateChoice::Copy; };
    const auto summary = importer.importFile(source);
    if (!summary) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(summary.message()));
        return 1;
    }
    std::printf("copied %d\n", summary.value().contactsCopied);
    return 0;
}

int addOne(Database &database, const QString &email)
{
    ContactStore store(database);
    auto fresh = store.fresh();
    if (!fresh) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(fresh.message()));
        return 1;
    }
    std::printf("opened\n");
    std::fflush(stdout);
    char line[256] = {};
    if (!std::fgets(line, sizeof line, stdin))
        return 1;
    const QStringList names = QString::fromUtf8(line).trimmed().split(QLatin1Char(' '));
    ContactRecord contact = fresh.value();
    contact.firstName = names.value(0);
    contact.lastName = names.value(1);
    contact.email = email;
    const auto saved = store.add(contact);
    if (!saved.ok()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(saved.message));
        return 1;
    }
    std::printf("saved %lld\n", saved.id);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: zorvane-stress FILE TAG COUNT | zorvane-stress FILE import SOURCE | "
                   "zorvane-stress FILE add EMAIL\n",
                   stderr);
        return 2;
    }
    auto opened = Database::open(QString::fromLocal8Bit(argv[1]));
    if (!opened) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(opened.message()));
        return 1;
    }
    const QString tag = QString::fromLocal8Bit(argv[2]);
    if (tag == QLatin1String("import"))
        return importSlowly(*opened.value(), QString::fromLocal8Bit(argv[3]));
    if (tag == QLatin1String("add"))
        return addOne(*opened.value(), QString::fromLocal8Bit(argv[3]));
    const int count = QString::fromLocal8Bit(argv[3]).toInt();
    QRandomGenerator random(quint32(qHash(tag)));
    ReminderStore reminders(*opened.value());
    std::puts("ready");
    std::fflush(stdout);
    char go[8];
    if (!std::fgets(go, sizeof go, stdin))
        return 2;
    Outcome outcome;
    outcome.firstBegan = monotonicNanoseconds();
    for (int step = 0; step < count; ++step)
        runOnce(*opened.value(), reminders, random, tag, step, outcome);
    outcome.lastEnded = monotonicNanoseconds();
    std::printf("contacts: %s\nreminders: %s\ncommitted: %d\nfailed: %d\nbegan: %lld\n"
                "ended: %lld\n",
                qPrintable(joined(outcome.contacts)), qPrintable(joined(outcome.reminders)),
                outcome.committed, outcome.failed, static_cast<long long>(outcome.firstBegan),
                static_cast<long long>(outcome.lastEnded));
    return outcome.failed == 0 ? 0 : 1;
}
