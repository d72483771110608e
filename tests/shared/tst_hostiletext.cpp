#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "app/AccountStore.h"
#include "categories/CategoryModel.h"
#include "contacts/ContactSearchIndex.h"
#include "contacts/ContactStore.h"
#include "data/DataFileFactory.h"
#include "data/DataFileImport.h"
#include "reminders/ReminderStore.h"

#include <QtTest>

// Text a user types or a data file carries goes everywhere text can go. Each text has one known
// outcome in each place: stored and read back exactly (after the place's own rule: trimmed
// names, the group and category separator rule) or refused with a message; no other row changes
// and nothing crashes.
namespace {

using Expected = QHash<QString, QString>;
// The outcome of a place that refuses the text.
const QString refused = QStringLiteral("<refused>");

// The places, separated by commas, that refuse the text.
Expected refusedIn(const QString &places)
{
    Expected expected;
    for (const QString &place : places.split(QLatin1Char(',')))
        expected.insert(place, refused);
    return expected;
}

const QString everyPlace = QStringLiteral(
    "name,given,title,group,company,address,email,notes,category,reminder,account,import");

} // namespace

class TestHostileText : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    int tried = 0;

    using Field = QString ContactRecord::*;

    // The text as each place reads it back, or "<refused>".
    Expected outcomes(const QString &text)
    {
        const QList<QPair<const char *, Field>> fields {
            { "name", &ContactRecord::firstName },      { "given", &ContactRecord::lastName },
            { "title", &ContactRecord::title },         { "group", &ContactRecord::type },
            { "company", &ContactRecord::companyName }, { "address", &ContactRecord::address1 },
            { "email", &ContactRecord::email },         { "notes", &ContactRecord::notes },
        };
        Expected stored;
        const auto before = RawSql::everything(file);
        const qint64 id
            = database
                  ->insert(QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES "
                                          "('测', '试', '朋友')"))
                  .value();
        for (const auto &[place, field] : fields)
            stored.insert(QLatin1String(place), storedContact(text, id, field));
        database->execute(QStringLiteral("DELETE FROM Contacts WHERE ID = ?"), { id });
        [&] { QCOMPARE(RawSql::everything(file), before); }();
        stored.insert(QStringLiteral("category"), storedCategory(text));
        stored.insert(QStringLiteral("reminder"), storedReminder(text));
        stored.insert(QStringLiteral("account"), storedAccount(text));
        stored.insert(QStringLiteral("import"), imported(text));
        return stored;
    }

    QString storedContact(const QString &text, qint64 id, Field field)
    {
        ContactStore store(*database);
        const ContactRecord before = store.load(id).value();
        const QString old = before.*field;
        ContactRecord changed = before;
        changed.*field = text;
        const ContactStore::SaveResult saved = store.save({ before, changed });
        const QString after = store.load(id).value().*field;
        if (saved.ok())
            return after;
        [&] { QVERIFY(!saved.message.isEmpty() && after == old); }();
        return refused;
    }

    QString storedCategory(const QString &text)
    {
        CategoryModel model(*database);
        const auto before = RawSql::everything(file);
        const auto saved = model.save({ 1, false, {}, text, text, 100 });
        if (saved.outcome != CategoryModel::SaveOutcome::Saved) {
            [&] { QCOMPARE(RawSql::everything(file), before); }();
            return refused;
        }
        const auto found = model.find(1, saved.name);
        [&] { QVERIFY(found && found.value() && found.value()->description == text); }();
        return found.value()->name;
    }

    QString storedReminder(const QString &text)
    {
        ReminderStore reminders(*database);
        const auto before = RawSql::everything(file);
        const auto added = reminders.add(text);
        if (!added) {
            [&] { QVERIFY(!added.message().isEmpty()); }();
            [&] { QCOMPARE(RawSql::everything(file), before); }();
            return refused;
        }
        const QString stored = reminders.list().value().last().item;
        reminders.remove(added.value());
        [&] { QCOMPARE(RawSql::everything(file), before); }();
        return stored;
    }

    // The text as an account's password and as an account's name.
    QString storedAccount(const QString &text)
    {
        AccountStore accounts(*database);
        const QString user = QStringLiteral("普通用户");
        const auto changed = accounts.changePassword(user, QString(), text, text);
        [&] {
            QVERIFY2(changed, qPrintable(changed.message()));
            QCOMPARE(changed.value(), AccountStore::PasswordChange::Changed);
            QVERIFY(accounts.checkPassword(user, text.trimmed()).value());
            QVERIFY(!accounts.checkPassword(user, text.trimmed() + QLatin1Char('x')).value());
            QVERIFY(accounts.changePassword(user, text, QString(), QString()));
        }();
        const auto named = database->insert(
            QStringLiteral(
                "INSERT INTO Users (UserName, Password, access, Lastlogin) VALUES (?, '', 1, 1)"),
            { text });
        if (!named)
            return refused;
        [&] {
            QVERIFY(accounts.namesInLoginOrder().value().contains(text));
            QCOMPARE(accounts.choose(text).value(), 1);
            QVERIFY(accounts.checkPassword(text, QString()).value());
        }();
        database->execute(QStringLiteral("DELETE FROM Users WHERE ID = ?"), { named.value() });
        return text;
    }

    // A data file brought in by the import carries the text as a contact's name and notes.
    QString imported(const QString &text)
    {
        const QString source = sandbox->path(QStringLiteral("source.cot"));
        QFile::remove(source);
        DataFileFactory::createDataFile(source, DataFileFactory::Contents::Empty);
        {
            auto opened = Database::open(source);
            // A text the file itself refuses never reaches the import.
            if (!opened
                || !opened.value()->insert(
                    QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Notes) VALUES "
                                   "(?, '导入', ?)"),
                    { text, text }))
                return refused;
        }
        DataFileImport importer(*database);
        importer.onDuplicate = [](const QString &, const QString &) {
            return DataFileImport::DuplicateChoice::Copy;
        };
        const auto summary = importer.importFile(source);
        const auto copied = database->records(
            QStringLiteral("SELECT FirstName, Notes FROM Contacts WHERE LastName = '导入'"));
        database->execute(QStringLiteral("DELETE FROM Contacts WHERE LastName = '导入'"));
        if (!summary || summary.value().contactsCopied == 0)
            return refused;
        [&] { QCOMPARE(copied.value().first().value(1).toString(), text); }();
        return copied.value().first().value(0).toString();
    }

    void addRow(const char *tag, const QString &text, const Expected &unlike = {})
    {
        Expected expected;
        for (const QString &place : everyPlace.split(QLatin1Char(',')))
            expected.insert(place, text);
        for (auto it = unlike.cbegin(); it != unlike.cend(); ++it)
            expected.insert(it.key(), it.value());
        QTest::newRow(tag) << text << expected;
    }

private slots:
    void init()
    {
        QVERIFY(openDataFile());
        QVERIFY(database->execute(
            QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type, Notes) VALUES "
                           "('王', '五', '朋友', '旁观者'), ('李', '四', '同事', '')")));
        QVERIFY(ReminderStore(*database).add(QStringLiteral("旁观的事务")));
    }

    void cleanup() { closeDataFile(); }

    void cleanupTestCase() { qInfo("figure hostile_strings_tried: %d", tried); }

    void hostileText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Expected>("expected");
        const QString longText(10000, QChar(u'字'));
        // No name and no text: the group becomes the default group.
        Expected emptyName = refusedIn(QStringLiteral("name,given,category,reminder"));
        emptyName.insert(QStringLiteral("group"), QStringLiteral("其他方面"));
        addRow("apostrophe", QStringLiteral("O'Brien"));
        addRow("double quotes", QStringLiteral("\"quoted\""));
        addRow("statement", QStringLiteral("'; DROP TABLE Users;--"));
        addRow("separator", QStringLiteral(" | "),
               { { QStringLiteral("name"), QStringLiteral("|") },
                 { QStringLiteral("given"), QStringLiteral("|") },
                 { QStringLiteral("group"), QStringLiteral(" - ") },
                 { QStringLiteral("category"), QStringLiteral("-") } });
        addRow("groups joined", QStringLiteral("同事 | 朋友"),
               { { QStringLiteral("group"), QStringLiteral("同事 - 朋友") },
                 { QStringLiteral("category"), QStringLiteral("同事 - 朋友") } });
        addRow("very long", longText,
               refusedIn(QString(everyPlace).remove(QStringLiteral("notes,"))));
        addRow("tab and line break", QStringLiteral("a\tb\r\nc"));
        addRow("control codes", QStringLiteral("\x01\x02\x1b[31m"));
        addRow("right-to-left override", QStringLiteral("\u202Eevil\u202C"));
        addRow("lone high surrogate", QString(QChar(0xD800)) + QStringLiteral("lone"),
               refusedIn(everyPlace));
        addRow("lone low surrogate", QStringLiteral("tail") + QString(QChar(0xDC00)),
               refusedIn(everyPlace));
        addRow("nul inside", QString::fromUtf16(u"a\0b", 3));
        addRow("emoji", QStringLiteral("😀👍🏽"));
        addRow("rare hanzi", QStringLiteral("镕喆堃珺彧"));
        addRow("like wildcards", QStringLiteral("%_%"));
        addRow("backslash", QStringLiteral("back\\slash"));
        addRow("markup", QStringLiteral("<script>alert(1)</script>"));
        addRow("format codes", QStringLiteral("%s%n%x"));
        addRow("word NULL", QStringLiteral("NULL"));
        addRow("empty", QString(), emptyName);
        addRow("blanks", QStringLiteral("   "), emptyName);
        // Names lose outer blanks of every width, as categories do.
        addRow("full-width blanks", QStringLiteral("\u3000全角\u3000"),
               { { QStringLiteral("category"), QStringLiteral("全角") },
                 { QStringLiteral("name"), QStringLiteral("全角") },
                 { QStringLiteral("given"), QStringLiteral("全角") } });
        addRow("file address", QStringLiteral("file:///etc/passwd"));
        addRow("zero-width space", QStringLiteral("zero\u200Bwidth"));
        addRow("combining accent", QStringLiteral("e\u0301"));
        addRow("supplementary hanzi", QStringLiteral("𠀀𪚥"));
        addRow("category command", QStringLiteral("-=类别设置=-"));
        addRow("category design text", QStringLiteral("请在此输入新的类别名称"),
               refusedIn(QStringLiteral("category")));
        addRow("26 letters", QString(26, QChar(u'a')),
               refusedIn(QStringLiteral("name,given,title,group,category,account,import")));
    }

    void hostileText()
    {
        QFETCH(QString, text);
        QFETCH(Expected, expected);
        const Expected actual = outcomes(text);
        if (QTest::currentTestFailed())
            return;
        QStringList wrong;
        for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
            if (it.value() != expected.value(it.key()))
                wrong << it.key() + QStringLiteral(": ") + it.value().left(20);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
        ContactSearchIndex index(*database);
        const auto found = index.search(text);
        QVERIFY2(found, qPrintable(found.message()));
        for (const quint32 contact : found.value().contacts)
            QVERIFY(index.columnText(contact, 0) != QStringLiteral("模板 模板"));
        ++tried;
    }
};

QTEST_GUILESS_MAIN(TestHostileText)
#include "tst_hostiletext.moc"
