#include "FileBytes.h"
#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "app/AccountStore.h"
#include "app/PasswordHash.h"

#include <QtTest>

class TestAccounts : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    // Each user: name, stored password, right, Lastlogin.
    void setUsers(const QList<QVariantList> &users)
    {
        QStringList statements { QStringLiteral("DELETE FROM Users") };
        for (const QVariantList &user : users)
            statements << QStringLiteral("INSERT INTO Users (UserName, Password, access, "
                                         "Lastlogin) VALUES (%1, %2, %3, %4)")
                              .arg(RawSql::quoted(user.at(0).toString()),
                                   RawSql::quoted(user.at(1).toString()))
                              .arg(user.at(2).toInt())
                              .arg(user.at(3).toInt());
        QVERIFY(RawSql::run(file, statements));
    }

    static QString hashOf(const QString &password) { return PasswordHash::hash(password).value(); }

    void reopen()
    {
        database.reset();
        auto opened = Database::open(file);
        QVERIFY2(opened, qPrintable(opened.message()));
        database = opened.takeValue();
    }

private slots:
    void init() { QVERIFY(openDataFile()); }
    void cleanup() { closeDataFile(); }

    void lastChosenAccountComesFirstThenNamesDescending()
    {
        setUsers({ { QStringLiteral("Anna"), QString(), 1, 1 },
                   { QStringLiteral("Zed"), QString(), 0, 0 },
                   { QStringLiteral("cara"), QString(), 1, 1 },
                   { QStringLiteral("Bert"), QString(), 1, 1 } });
        AccountStore store(*database);
        QCOMPARE(store.namesInLoginOrder().value(),
                 QStringList({ QStringLiteral("Zed"), QStringLiteral("cara"),
                               QStringLiteral("Bert"), QStringLiteral("Anna") }));

        QCOMPARE(store.choose(QStringLiteral("Bert")).value(), 1);
        QCOMPARE(store.namesInLoginOrder().value().first(), QStringLiteral("Bert"));
        QCOMPARE(
            RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM Users WHERE Lastlogin = 0"))
                .toInt(),
            1);
    }

    void accountNamesCompareExactly()
    {
        setUsers({ { QStringLiteral("bert"), hashOf(QStringLiteral("a")), 0, 1 },
                   { QStringLiteral("Bert"), hashOf(QStringLiteral("b")), 1, 1 } });
        AccountStore store(*database);
        QCOMPARE(store.choose(QStringLiteral("Bert")).value(), 1);
        QCOMPARE(
            RawSql::value(file, QStringLiteral("SELECT UserName FROM Users WHERE Lastlogin = 0"))
                .toString(),
            QStringLiteral("Bert"));
        QVERIFY(store.checkPassword(QStringLiteral("bert"), QStringLiteral("a")).value());
        QVERIFY(!store.checkPassword(QStringLiteral("bert"), QStringLiteral("b")).value());
        QVERIFY(!store.checkPassword(QStringLiteral("Bert"), QStringLiteral("a")).value());
        const QString bertRow
            = QStringLiteral("SELECT Password FROM Users WHERE UserName = 'bert' COLLATE BINARY");
        const QVariant before = RawSql::value(file, bertRow);
        store.changePassword(QStringLiteral("Bert"), QStringLiteral("b"), QStringLiteral("c"),
                             QStringLiteral("c"));
        QVERIFY(store.checkPassword(QStringLiteral("Bert"), QStringLiteral("c")).value());
        QCOMPARE(RawSql::value(file, bertRow), before);
    }

    // Fails closed: an account that is gone or a right that is no number gives no right.
    void rightIsReadOrRefused_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<int>("right");
        QTest::newRow("administrator") << QStringLiteral("0") << QStringLiteral("Anna") << 0;
        QTest::newRow("not a number") << QStringLiteral("'admin'") << QStringLiteral("Anna") << -1;
        QTest::newRow("account gone") << QStringLiteral("0") << QStringLiteral("Otto") << -1;
    }

    void rightIsReadOrRefused()
    {
        QFETCH(QString, stored);
        QFETCH(QString, asked);
        QFETCH(int, right);
        QVERIFY(RawSql::run(file,
                            { QStringLiteral("UPDATE Users SET UserName = 'Anna', access = "
                                             "%1 WHERE access = 0")
                                  .arg(stored) }));
        const auto read = AccountStore(*database).rightOf(asked);
        QCOMPARE(read ? read.value() : -1, right);
    }

    void passwordsCompareExactly_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("matches");
        QTest::newRow("empty") << QString() << QString() << true;
        QTest::newRow("empty stored, typed") << QString() << QStringLiteral("x") << false;
        QTest::newRow("same") << QStringLiteral("Geheim 1") << QStringLiteral("Geheim 1") << true;
        QTest::newRow("trailing blank")
            << QStringLiteral("Geheim") << QStringLiteral("Geheim ") << false;
        QTest::newRow("case") << QStringLiteral("Geheim") << QStringLiteral("geheim") << false;
    }

    void passwordsCompareExactly()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, matches);
        const auto hashed = PasswordHash::hash(stored);
        QVERIFY(hashed);
        setUsers({ { QStringLiteral("Anna"), hashed.value(), 0, 0 } });
        QCOMPARE(AccountStore(*database).checkPassword(QStringLiteral("Anna"), typed).value(),
                 matches);
    }

    // Every text is trimmed; only a hash is stored; a refused change writes nothing.
    void passwordChange_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("oldTyped");
        QTest::addColumn<QString>("newTyped");
        QTest::addColumn<QString>("confirmTyped");
        QTest::addColumn<AccountStore::PasswordChange>("outcome");
        using Change = AccountStore::PasswordChange;
        QTest::newRow("changed") << "Anna"
                                 << " alt "
                                 << " neu "
                                 << "neu" << Change::Changed;
        QTest::newRow("wrong old") << "Anna"
                                   << "falsch"
                                   << "neu"
                                   << "neu" << Change::WrongOldPassword;
        QTest::newRow("differ") << "Anna"
                                << "alt"
                                << "neu"
                                << "neu2" << Change::NewPasswordsDiffer;
        QTest::newRow("account gone") << "Gone"
                                      << ""
                                      << "neu"
                                      << "neu" << Change::NoSuchAccount;
    }

    void passwordChange()
    {
        QFETCH(QString, user);
        QFETCH(QString, oldTyped);
        QFETCH(QString, newTyped);
        QFETCH(QString, confirmTyped);
        QFETCH(AccountStore::PasswordChange, outcome);
        setUsers({ { QStringLiteral("Anna"), hashOf(QStringLiteral("alt")), 0, 0 } });
        const auto before = RawSql::rows(file, QStringLiteral("SELECT * FROM Users"));
        AccountStore store(*database);
        const auto change = store.changePassword(user, oldTyped, newTyped, confirmTyped);
        QVERIFY2(change, qPrintable(change.message()));
        QCOMPARE(int(change.value()), int(outcome));
        if (outcome != AccountStore::PasswordChange::Changed) {
            QCOMPARE(RawSql::rows(file, QStringLiteral("SELECT * FROM Users")), before);
            return;
        }
        QVERIFY(store.checkPassword(QStringLiteral("Anna"), QStringLiteral("neu")).value());
        QVERIFY(!store.checkPassword(QStringLiteral("Anna"), QStringLiteral("alt")).value());
        QVERIFY(RawSql::value(file, QStringLiteral("SELECT Password FROM Users"))
                    .toString()
                    .startsWith(QLatin1String("$argon2id$")));
    }

    void plainTextPasswordsAreHashedAndWiped()
    {
        setUsers({ { QStringLiteral("Anna"), QStringLiteral("PlainSecret-4711"), 0, 0 },
                   { QStringLiteral("Bert"), QString(), 1, 1 },
                   { QStringLiteral("Cara"), QStringLiteral("AnotherPlain-0815"), 1, 1 } });
        reopen();
        AccountStore store(*database);
        QVERIFY(store.upgradePlainTextPasswords());
        database.reset();

        const QByteArray bytes = FileBytes::read(file);
        QVERIFY(!bytes.contains("PlainSecret-4711"));
        QVERIFY(!bytes.contains("AnotherPlain-0815"));
        QCOMPARE(RawSql::value(file,
                               QStringLiteral("SELECT Password FROM Users WHERE UserName = 'Bert'"))
                     .toString(),
                 QString());

        reopen();
        AccountStore reopened(*database);
        QVERIFY(reopened.checkPassword(QStringLiteral("Anna"), QStringLiteral("PlainSecret-4711"))
                    .value());
        QVERIFY(reopened.checkPassword(QStringLiteral("Cara"), QStringLiteral("AnotherPlain-0815"))
                    .value());
        QVERIFY(reopened.checkPassword(QStringLiteral("Bert"), QString()).value());
    }
};

QTEST_GUILESS_MAIN(TestAccounts)
#include "tst_accounts.moc"
