#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "app/AccountStore.h"
#include "categories/CategoryModel.h"
#include "contacts/ContactStore.h"
#include "data/DataFileFactory.h"
#include "data/DataFileImport.h"
#include "data/Database.h"
#include "reminders/ReminderStore.h"

#include <QtTest>

// A data file that cannot grow (a full disk, as SQLite's page limit simulates it) or that is
// read-only: a save that needs room, or any save on a read-only file, fails with a message that
// says why, and leaves the file sound and exactly as it was. A change that still fits is kept.
class TestFullDisk : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    qint64 contact = 0;
    const QString big = QString(3000, QChar(u'新'));

    // Proves the file is full: a row that needs a new page fails with the full-disk message.
    void verifyFull()
    {
        const auto added = database->insert(
            QStringLiteral(
                "INSERT INTO Contacts (FirstName, LastName, Notes) VALUES ('满', '满', ?)"),
            { big });
        QVERIFY2(!added && added.message().contains(QStringLiteral("磁盘已满")),
                 "the file was not full");
    }

    // Fills the file up to its page limit, so the next row that needs room fails.
    void fillUp()
    {
        QVERIFY(database->pragma(QStringLiteral("PRAGMA max_page_count = 40")));
        while (database->insert(
            QStringLiteral(
                "INSERT INTO Contacts (FirstName, LastName, Notes) VALUES ('满', '满', ?)"),
            { QString(500, QChar(u'满')) }))
            ;
        verifyFull();
    }

    Status save(const QString &place)
    {
        if (place == QLatin1String("editor")) {
            ContactStore store(*database);
            const ContactRecord before = store.load(contact).value();
            ContactRecord record = before;
            record.notes = big;
            const auto saved = store.save({ before, record });
            return saved.ok() ? Status::success() : Status::failure(saved.message);
        }
        if (place == QLatin1String("categories")) {
            CategoryModel::SaveRequest request;
            request.kind = 1;
            request.typedName = QStringLiteral("新职务");
            request.description = big.left(255);
            const auto saved = CategoryModel(*database).save(request);
            return saved.outcome == CategoryModel::SaveOutcome::Saved
                ? Status::success()
                : Status::failure(saved.error);
        }
        if (place == QLatin1String("reminders")) {
            for (int i = 0; i < 50; ++i) {
                if (auto added = ReminderStore(*database).add(big.left(100)); !added)
                    return added.status();
            }
            return Status::success();
        }
        if (place == QLatin1String("password")) {
            const auto changed = AccountStore(*database).changePassword(
                QStringLiteral("管理员"), QString(), QStringLiteral("新密码"),
                QStringLiteral("新密码"));
            return changed.status();
        }
        const QString source = sandbox->path(QStringLiteral("source.cot"));
        if (Status created = DataFileFactory::createDataFile(source); !created)
            return created;
        RawSql::run(source,
                    { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Notes) VALUES "
                                     "('新', '人', '%1')")
                          .arg(big) });
        DataFileImport importer(*database);
        const auto summary = importer.importFile(source);
        if (!summary)
            return summary.status();
        if (!summary.value().stoppedBy.isEmpty())
            return Status::failure(summary.value().stoppedBy);
        return summary.value().rowsFailed ? Status::failure(summary.value().firstFailure)
                                          : Status::success();
    }

private slots:
    void init()
    {
        QVERIFY(openDataFile());
        contact = database
                      ->insert(QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) "
                                              "VALUES ('王', '五', '朋友')"))
                      .value();
    }

    void cleanup() { closeDataFile(); }

    void savesFailCleanly_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("limit");
        // Empty: the change fits in a page the file has, and is kept. Reminders are added one by
        // one, each kept until the one that finds no room.
        QTest::addColumn<QString>("refusal");
        const QString full = QStringLiteral("磁盘已满");
        const QString readOnly = QStringLiteral("只读");
        for (const char *place : { "editor", "categories", "reminders", "password", "import" }) {
            const QString name = QString::fromLatin1(place);
            QTest::newRow(qPrintable(name + QStringLiteral(", full")))
                << name << QStringLiteral("full")
                << (name == QLatin1String("password") || name == QLatin1String("categories")
                        ? QString()
                        : full);
            QTest::newRow(qPrintable(name + QStringLiteral(", read-only")))
                << name << QStringLiteral("read-only") << readOnly;
        }
    }

    void savesFailCleanly()
    {
        QFETCH(QString, place);
        QFETCH(QString, limit);
        QFETCH(QString, refusal);
        if (limit == QLatin1String("full"))
            fillUp();
        else
            QVERIFY(database->pragma(QStringLiteral("PRAGMA query_only = ON")));
        const QString leftOut
            = place == QLatin1String("reminders") ? QStringLiteral("Reminders") : QString();
        const auto before = RawSql::everything(file, leftOut);
        const auto all = RawSql::everything(file);
        const Status saved = save(place);
        QCOMPARE(RawSql::value(file, QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));
        if (limit == QLatin1String("full"))
            verifyFull();
        if (refusal.isEmpty()) {
            QVERIFY2(saved, qPrintable(saved.message()));
            QVERIFY(RawSql::everything(file) != all);
            return;
        }
        QVERIFY2(!saved && saved.message().contains(refusal), qPrintable(saved.message()));
        QCOMPARE(RawSql::everything(file, leftOut), before);
        qInfo("fault survived: %s", QTest::currentDataTag());
    }
};

QTEST_GUILESS_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
