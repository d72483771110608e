#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "app/AccountStore.h"
#include "categories/CategoryModel.h"
#include "categories/CategoryName.h"
#include "contacts/ContactGroup.h"
#include "contacts/ContactSearchIndex.h"
#include "contacts/ContactStore.h"
#include "data/DataFileFactory.h"
#include "data/DataFileImport.h"
#include "data/Database.h"
#include "reminders/ReminderStore.h"

#include <QtTest>

// Text a user types or a data file carries is either stored and read back exactly (after the
// documented rules: trimmed names, the group rule) or refused with a message; no other row
// changes and nothing crashes.
namespace {

QStringList hostileTexts()
{
    return {
        QStringLiteral("O'Brien"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("'; DROP TABLE Users;--"),
        QStringLiteral("x' OR '1'='1"),
        QStringLiteral(" | "),
        QStringLiteral("同事 | 朋友"),
        QString(10000, QChar(u'字')),
        QStringLiteral("a\tb\r\nc"),
        QStringLiteral("\x01\x02\x1b[31m"),
        QStringLiteral("\u202Eevil\u202C"),
        QStringLiteral("\u200Fمرحبا"),
        QString(QChar(0xD800)) + QStringLiteral("lone"),
        QStringLiteral("tail") + QString(QChar(0xDC00)),
        QString::fromUtf16(u"a\0b", 3),
        QStringLiteral("😀👍🏽"),
        QStringLiteral("镕喆堃珺彧"),
        QStringLiteral("%_%"),
        QStringLiteral("back\\slash"),
        QStringLiteral("<script>alert(1)</script>"),
        QStringLiteral("%s%n%x"),
        QStringLiteral("NULL"),
        QString(),
        QStringLiteral("   "),
        QStringLiteral("\u3000全角\u3000"),
        QStringLiteral("C:\\Windows\\system32"),
        QStringLiteral("file:///etc/passwd"),
        QStringLiteral("zero\u200Bwidth"),
        QStringLiteral("e\u0301"),
        QStringLiteral("𠀀𪚥"),
        QStringLiteral("-=类别设置=-"),
        QStringLiteral("请在此输入新的类别名称"),
        QString(26, QChar(u'a')),
    };
}

// Every row of every table but the one under test, so a stray change shows.
QString snapshot(Database &database, const QString &table, qint64 exceptId)
{
    QStringList rows;
    for (const char *name : { "Contacts", "ContactType", "Reminders", "Users" }) {
        const QString current = QString::fromLatin1(name);
        database.select(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(current), {},
                        [&](const QSqlQuery &row) {
                            if (current == table && row.value(0).toLongLong() == exceptId)
                                return;
                            QStringList fields;
                            for (int i = 0; i < row.record().count(); ++i)
                                fields << row.value(i).toString();
                            rows << current + QLatin1Char(':') + fields.join(QLatin1Char('|'));
                        });
    }
    return rows.join(QLatin1Char('\n'));
}

} // namespace

class TestHostileText : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestSandbox> sandbox;
    std::unique_ptr<Database> database;

private slots:
    void initTestCase() { qInfo("figure hostile_strings_tried: %d", int(hostileTexts().size())); }

    void init()
    {
        failOnSqlWarnings();
        sandbox = std::make_unique<TestSandbox>();
        database = Database::open(sandbox->writeDefaultDataFile()).takeValue();
        QVERIFY(database);
        database->execute(
            QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type, Notes) VALUES "
                           "('王', '五', '朋友', '旁观者'), ('李', '四', '同事', '')"));
        ReminderStore(*database).add(QStringLiteral("旁观的事务"));
    }

    void cleanup()
    {
        database.reset();
        sandbox.reset();
    }

    void hostileText_data()
    {
        QTest::addColumn<QString>("text");
        const QStringList texts = hostileTexts();
        QVERIFY(texts.size() >= 30);
        for (int i = 0; i < texts.size(); ++i)
            QTest::newRow(qPrintable(
                QStringLiteral("%1: %2").arg(i).arg(texts.at(i).left(12).toHtmlEscaped())))
                << texts.at(i);
    }

    void hostileText()
    {
        QFETCH(QString, text);
        checkContactFields(text);
        checkCategory(text);
        checkReminder(text);
        checkAccount(text);
        checkSearch(text);
        checkImport(text);
    }

private:
    void checkContactFields(const QString &text)
    {
        ContactStore store(*database);
        const qint64 id
            = database
                  ->insert(QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES "
                                          "('测', '试', '朋友')"))
                  .value();
        using Field = QString ContactRecord::*;
        const QList<QPair<Field, QString>> fields {
            { &ContactRecord::firstName, QStringLiteral("firstName") },
            { &ContactRecord::lastName, QStringLiteral("lastName") },
            { &ContactRecord::title, QStringLiteral("title") },
            { &ContactRecord::type, QStringLiteral("type") },
            { &ContactRecord::companyName, QStringLiteral("company") },
            { &ContactRecord::address1, QStringLiteral("address") },
            { &ContactRecord::email, QStringLiteral("email") },
            { &ContactRecord::notes, QStringLiteral("notes") },
        };
        for (const auto &[field, label] : fields) {
            const ContactRecord before = store.load(id).value();
            const QString others = snapshot(*database, QStringLiteral("Contacts"), id);
            ContactRecord changed = before;
            changed.*field = text;
            const ContactStore::SaveResult saved = store.save(changed);
            QCOMPARE(snapshot(*database, QStringLiteral("Contacts"), id), others);
            const ContactRecord after = store.load(id).value();
            if (!saved.ok()) {
                QVERIFY2(!saved.message.isEmpty(), qPrintable(label));
                QCOMPARE(after.*field, before.*field);
                continue;
            }
            QString expected = text;
            if (field == &ContactRecord::firstName || field == &ContactRecord::lastName)
                expected = ContactNames::trimBlanks(text).toString();
            else if (field == &ContactRecord::type)
                expected = ContactGroup::clean(text);
            QVERIFY2(after.*field == expected, qPrintable(label));
        }
    }

    void checkCategory(const QString &text)
    {
        CategoryModel model(*database);
        const QString others = snapshot(*database, QStringLiteral("ContactType"), -1);
        CategoryModel::SaveRequest request;
        request.kind = 1;
        request.typedName = text;
        request.description = text;
        request.listedCount = 100;
        const auto saved = model.save(request);
        if (saved.outcome != CategoryModel::SaveOutcome::Saved) {
            QCOMPARE(snapshot(*database, QStringLiteral("ContactType"), -1), others);
            return;
        }
        QCOMPARE(saved.name, CategoryName::clean(text));
        const auto found = model.find(1, saved.name);
        QVERIFY(found && found.value());
        QCOMPARE(found.value()->name, saved.name);
        QCOMPARE(found.value()->description, text);
    }

    void checkReminder(const QString &text)
    {
        ReminderStore reminders(*database);
        const QString others = snapshot(*database, QStringLiteral("Reminders"), -1);
        const auto added = reminders.add(text);
        if (!added) {
            QVERIFY(!added.message().isEmpty());
            QCOMPARE(snapshot(*database, QStringLiteral("Reminders"), -1), others);
            return;
        }
        QCOMPARE(snapshot(*database, QStringLiteral("Reminders"), added.value()), others);
        const auto listed = reminders.list().value();
        QCOMPARE(listed.last().item, text);
    }

    void checkAccount(const QString &text)
    {
        AccountStore accounts(*database);
        const auto changed
            = accounts.changePassword(QStringLiteral("普通用户"), QString(), text, text);
        QVERIFY2(changed, qPrintable(changed.message()));
        if (changed.value() == AccountStore::PasswordChange::Changed) {
            QVERIFY(accounts.checkPassword(QStringLiteral("普通用户"), text.trimmed()).value());
            QVERIFY(
                !accounts
                     .checkPassword(QStringLiteral("普通用户"), text.trimmed() + QLatin1Char('x'))
                     .value());
            QVERIFY(
                accounts.changePassword(QStringLiteral("普通用户"), text, QString(), QString()));
        }
        const auto named = database->insert(
            QStringLiteral(
                "INSERT INTO Users (UserName, Password, access, Lastlogin) VALUES (?, '', 1, 1)"),
            { text });
        if (!named)
            return;
        QVERIFY(accounts.namesInLoginOrder().value().contains(text));
        QCOMPARE(accounts.choose(text).value(), 1);
        QVERIFY(accounts.checkPassword(text, QString()).value());
        QVERIFY(
            database->execute(QStringLiteral("DELETE FROM Users WHERE ID = ?"), { named.value() }));
    }

    // A data file brought in by the import carries the text in a contact and a category.
    void checkImport(const QString &text)
    {
        const QString source = sandbox->path(QStringLiteral("source.cot"));
        QFile::remove(source);
        QVERIFY(DataFileFactory::createDataFile(source, DataFileFactory::Contents::Empty));
        {
            auto opened = Database::open(source);
            QVERIFY(opened);
            const bool contact = bool(opened.value()->insert(
                QStringLiteral(
                    "INSERT INTO Contacts (FirstName, LastName, Notes) VALUES (?, '导入', ?)"),
                { text, text }));
            opened.value()->insert(
                QStringLiteral("INSERT INTO ContactType (Name, Type, Number) VALUES (?, 2, 1)"),
                { text });
            if (!contact)
                return;
        }
        DataFileImport import(*database);
        import.onDuplicate = [](const QString &, const QString &) {
            return DataFileImport::DuplicateChoice::Copy;
    };
    const auto summary = import.importFile(source);
    QVERIFY2(summary, qPrintable(summary.message()));
    const auto copied = database->records(QStringLiteral(
        "SELECT FirstName, Notes FROM Contacts WHERE LastName = '导入' ORDER BY ID DESC LIMIT 1"));
    if (summary.value().contactsCopied == 0) {
        QVERIFY(summary.value().rowsFailed > 0 || summary.value().cancelled
                || !summary.value().stoppedBy.isEmpty() || text.isEmpty()
                || text == QStringLiteral("姓") || text == QStringLiteral("模板"));
        return;
    }
    QCOMPARE(copied.value().first().value(0).toString(), text);
    QCOMPARE(copied.value().first().value(1).toString(), text);
    QVERIFY(database->execute(QStringLiteral("DELETE FROM Contacts WHERE LastName = '导入'")));
}

    void checkSearch(const QString &text)
{
    ContactSearchIndex index(*database);
    const auto found = index.search(text);
    QVERIFY2(found, qPrintable(found.message()));
    for (const quint32 contact : found.value().contacts)
        QVERIFY(index.columnText(contact, 0) != QStringLiteral("模板 模板"));
}
}
;

QTEST_GUILESS_MAIN(TestHostileText)
#include "tst_hostiletext.moc"
