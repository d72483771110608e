#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "SqlWarnings.h"
#include "app/AccountStore.h"
#include "categories/CategoryModel.h"
#include "contacts/ContactStore.h"
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

    QString contents()
    {
        QStringList all;
        for (const char *table : { "Contacts", "ContactType", "Reminders", "Users" }) {
            for (const QVariantList &row : RawSql::rows(
                     file,
                     QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)))) {
                QStringList fields;
                for (const QVariant &value : row)
                    fields << value.toString();
                all << fields.join(QLatin1Char('|'));
            }
        }
        return all.join(QLatin1Char('\n'));
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
    }

    Status save(const QString &place)
    {
        const QString big(3000, QChar(u'新'));
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
        QFile::copy(QStringLiteral(ZORVANE_BIN_DIR "/MyData.cot"), source);
        RawSql::run(
            source,
            { QStringLiteral(
                  "INSERT INTO Contacts (FirstName, LastName, Notes) VALUES ('新', '人', '%1')")
                  .arg(big) });
        DataFileImport import(*database);
        const auto summary = import.importFile(source);
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
        for (const char *place : { "editor", "categories", "reminders", "password", "import" }) {
            QTest::newRow(qPrintable(QStringLiteral("%1, full").arg(QLatin1String(place))))
                << QString::fromLatin1(place) << QStringLiteral("full");
            QTest::newRow(qPrintable(QStringLiteral("%1, read-only").arg(QLatin1String(place))))
                << QString::fromLatin1(place) << QStringLiteral("read-only");
        }
    }

    void savesFailCleanly()
    {
        QFETCH(QString, place);
        QFETCH(QString, limit);
        if (limit == QLatin1String("full"))
            fillUp();
        else
            QVERIFY(database->pragma(QStringLiteral("PRAGMA query_only = ON")));
        const QString before = contents();
        const Status saved = save(place);
        QCOMPARE(RawSql::value(file, QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));
        if (saved) {
            QVERIFY2(limit == QLatin1String("full"), "a read-only file took a change");
            QVERIFY(contents() != before);
            return;
        }
        const QString expected
            = limit == QLatin1String("full") ? QStringLiteral("磁盘已满") : QStringLiteral("只读");
        QVERIFY2(saved.message().contains(expected), qPrintable(saved.message()));
        qInfo("fault survived: %s", QTest::currentDataTag());
        if (place != QLatin1String("reminders"))
            QCOMPARE(contents(), before);
    }
};

QTEST_GUILESS_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
