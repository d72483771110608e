#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileFactory.h"
#include "data/DataFileImport.h"
#include "data/Database.h"
#include "data/Transaction.h"

#include <QtTest>

namespace {

using Choice = DataFileImport::DuplicateChoice;

struct Person
{
    QVariant first;
    QVariant last;
    QString title = QStringLiteral("经理");
};

QString newDataFile(const TestSandbox &sandbox, const QString &name)
{
    const QString path = sandbox.path(name);
    const Status written = DataFileFactory::createDataFile(path);
    if (!written)
        QTest::qFail(qPrintable(written.message()), __FILE__, __LINE__);
    return path;
}

void addPeople(const QString &path, const QList<Person> &people)
{
    auto opened = Database::open(path);
    QVERIFY2(opened, qPrintable(opened.message()));
    for (const Person &person : people) {
        const auto added = opened.value()->insert(
            QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Title, Type, Email) "
                           "VALUES (?, ?, ?, '朋友', 'a@example.cn')"),
            { person.first, person.last, person.title });
        QVERIFY2(added, qPrintable(added.message()));
    }
}

QStringList names(const QString &path)
{
    QStringList all;
    const auto rows = RawSql::rows(
        path, QStringLiteral("SELECT FirstName, LastName FROM Contacts ORDER BY ID"));
    for (const QVariantList &row : rows)
        all << row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString();
    return all;
}

QList<QVariantList> everything(const QString &path)
{
    QList<QVariantList> all;
    for (const char *table : { "Contacts", "ContactType", "Users", "Reminders" })
        all << RawSql::rows(
            path, QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)));
    return all;
}

// Runs an import and records every question and progress figure on the way.
struct Recorder
{
    QList<Choice> answers;
    QStringList questions;
    QList<int> percents;
    QList<DataFileImport::Stage> stages;

    Result<ImportSummary> run(Database &target, const QString &source)
    {
        DataFileImport importer(target);
        importer.onStage = [this](DataFileImport::Stage stage) { stages << stage; };
        importer.onProgress = [this](int percent) { percents << percent; };
        importer.onDuplicate = [this](const QString &first, const QString &last) {
            questions << first + QLatin1Char(' ') + last;
            return answers.isEmpty() ? Choice::Skip : answers.takeFirst();
        };
        return importer.importFile(source);
    }
};

} // namespace

class TestDataFileImport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestSandbox> sandbox;
    std::unique_ptr<Database> target;
    QString targetPath;
    QString sourcePath;

    Database &openTarget()
    {
        auto opened = Database::open(targetPath);
        if (!opened)
            QTest::qFail(qPrintable(opened.message()), __FILE__, __LINE__);
        target = opened.takeValue();
        return *target;
    }

private slots:
    void init()
    {
        failOnSqlWarnings();
        sandbox = std::make_unique<TestSandbox>();
        targetPath = newDataFile(*sandbox, QStringLiteral("target.cot"));
        sourcePath = newDataFile(*sandbox, QStringLiteral("source.cot"));
    }

    void cleanup()
    {
        target.reset();
        sandbox.reset();
    }

    void importIntoItselfAsksForEveryContactAndNoChangesNothing()
    {
        addPeople(targetPath,
                  { { QStringLiteral("王"), QStringLiteral("伟") },
                    { QStringLiteral("O'Brien"), QStringLiteral("Anna") },
                    { QStringLiteral("模板"), QStringLiteral("模板") },
                    { QStringLiteral("smith"), QString() } });
        // Null equals null: a category without a kind and a contact without a group exist already.
        QVERIFY(RawSql::run(targetPath,
                            { QStringLiteral("INSERT INTO ContactType (Name, Type) VALUES ('无类', "
                                             "NULL)"),
                              QStringLiteral("UPDATE Contacts SET Type = NULL WHERE FirstName = "
                                             "'smith'") }));
        const auto before = everything(targetPath);
        Recorder recorder;
        const auto done = recorder.run(openTarget(), targetPath);
        QVERIFY2(done, qPrintable(done.message()));
        QCOMPARE(recorder.questions,
                 QStringList({ QStringLiteral("王 伟"), QStringLiteral("O'Brien Anna"),
                               QStringLiteral("smith ") }));
        QCOMPARE(done.value().categoriesCopied, 0);
        QCOMPARE(done.value().contactsCopied, 0);
        target.reset();
        QCOMPARE(everything(targetPath), before);
    }

    void importIntoItselfWithYesCopiesEachContactOnce()
    {
        addPeople(targetPath,
                  { { QStringLiteral("王"), QStringLiteral("伟") },
                    { QStringLiteral("李"), QStringLiteral("娜") } });
        Recorder recorder;
        recorder.answers = { Choice::Copy, Choice::Copy };
        const auto done = recorder.run(openTarget(), targetPath);
        QVERIFY(done);
        QCOMPARE(done.value().contactsCopied, 2);
        QCOMPARE(names(targetPath),
                 QStringList({ QStringLiteral("王 伟"), QStringLiteral("李 娜"),
                               QStringLiteral("王 伟"), QStringLiteral("李 娜") }));
    }

    void reservedRowsAreNeverImported()
    {
        addPeople(sourcePath,
                  { { QStringLiteral("模板"), QStringLiteral("模板") },
                    { QStringLiteral("姓"), QStringLiteral("名字") },
                    { QStringLiteral("姓"), QStringLiteral("其他") },
                    { QStringLiteral("模板"), QStringLiteral("张三") },
                    { QVariant(), QStringLiteral("无姓") },
                    { QStringLiteral("张"), QStringLiteral("三") } });
        Recorder recorder;
        const auto done = recorder.run(openTarget(), sourcePath);
        QVERIFY(done);
        QCOMPARE(names(targetPath), QStringList({ QStringLiteral("张 三") }));
        QCOMPARE(recorder.questions, QStringList());
        QCOMPARE(recorder.percents.constLast(), 100);
    }

    void secondContactOfANewNameRaisesTheQuestion_data()
    {
        QTest::addColumn<Choice>("answer");
        QTest::addColumn<int>("copies");
        QTest::newRow("yes") << Choice::Copy << 2;
        QTest::newRow("no") << Choice::Skip << 1;
    }

    void secondContactOfANewNameRaisesTheQuestion()
    {
        QFETCH(Choice, answer);
        QFETCH(int, copies);
        addPeople(sourcePath,
                  { { QStringLiteral("李"), QStringLiteral("雷"), QStringLiteral("总经理") },
                    { QStringLiteral("李"), QStringLiteral("雷"), QStringLiteral("秘书") } });
        Recorder recorder;
        recorder.answers = { answer };
        const auto done = recorder.run(openTarget(), sourcePath);
        QVERIFY(done);
        QCOMPARE(recorder.questions, QStringList({ QStringLiteral("李 雷") }));
        QCOMPARE(done.value().contactsCopied, copies);
        const auto titles
            = RawSql::rows(targetPath, QStringLiteral("SELECT Title FROM Contacts ORDER BY ID"));
        QCOMPARE(titles.size(), copies);
        QCOMPARE(titles.first().first().toString(), QStringLiteral("总经理"));
    }

    void duplicateTestFollowsTheFileAndHandlesQuotesAndEmptyNames_data()
    {
        QTest::addColumn<QVariant>("storedFirst");
        QTest::addColumn<QVariant>("storedLast");
        QTest::addColumn<QVariant>("importedLast");
        QTest::addColumn<bool>("asked");
        QTest::newRow("quote") << QVariant(QStringLiteral("O'Brien"))
                               << QVariant(QStringLiteral("A'x")) << QVariant(QStringLiteral("A'x"))
                               << true;
        QTest::newRow("case") << QVariant(QStringLiteral("o'brien"))
                              << QVariant(QStringLiteral("a'X")) << QVariant(QStringLiteral("A'x"))
                              << true;
        QTest::newRow("null given name") << QVariant(QStringLiteral("O'Brien")) << QVariant()
                                         << QVariant(QStringLiteral("")) << true;
        QTest::newRow("imported null") << QVariant(QStringLiteral("O'Brien"))
                                       << QVariant(QStringLiteral("")) << QVariant() << true;
        QTest::newRow("other given name") << QVariant(QStringLiteral("O'Brien"))
                                          << QVariant(QStringLiteral("A")) << QVariant() << false;
    }

    void duplicateTestFollowsTheFileAndHandlesQuotesAndEmptyNames()
    {
        QFETCH(QVariant, storedFirst);
        QFETCH(QVariant, storedLast);
        QFETCH(QVariant, importedLast);
        QFETCH(bool, asked);
        addPeople(targetPath, { { storedFirst, storedLast } });
        addPeople(sourcePath, { { QStringLiteral("O'Brien"), importedLast } });
        Recorder recorder;
        QVERIFY(recorder.run(openTarget(), sourcePath));
        QCOMPARE(recorder.questions.size(), asked ? 1 : 0);
    }

    void progressCountsEveryHandledSourceContact()
    {
        addPeople(sourcePath,
                  { { QStringLiteral("甲"), QStringLiteral("一") },
                    { QStringLiteral("模板"), QStringLiteral("模板") },
                    { QStringLiteral("丙"), QStringLiteral("三") } });
        Recorder recorder;
        QVERIFY(recorder.run(openTarget(), sourcePath));
        QCOMPARE(recorder.percents, QList<int>({ 33, 66, 100 }));
        QCOMPARE(recorder.stages,
                 QList<DataFileImport::Stage>(
                     { DataFileImport::Stage::Categories, DataFileImport::Stage::Contacts }));
    }

    void cancelKeepsTheRowsCopiedBefore()
    {
        addPeople(targetPath,
                  { { QStringLiteral("旧"), QStringLiteral("一") },
                    { QStringLiteral("旧"), QStringLiteral("二") } });
        addPeople(sourcePath,
                  { { QStringLiteral("新"), QStringLiteral("甲") },
                    { QStringLiteral("旧"), QStringLiteral("一") },
                    { QStringLiteral("新"), QStringLiteral("乙") },
                    { QStringLiteral("旧"), QStringLiteral("二") },
                    { QStringLiteral("新"), QStringLiteral("丙") } });
        Recorder recorder;
        recorder.answers = { Choice::Copy, Choice::Stop };
        const auto done = recorder.run(openTarget(), sourcePath);
        QVERIFY(done);
        QVERIFY(done.value().cancelled);
        QCOMPARE(done.value().contactsCopied, 3);
        QCOMPARE(recorder.questions.size(), 2);
        QCOMPARE(
            names(targetPath),
            QStringList({ QStringLiteral("旧 一"), QStringLiteral("旧 二"), QStringLiteral("新 甲"),
                          QStringLiteral("旧 一"), QStringLiteral("新 乙") }));
    }

    void questionsNeverKeepTheFileLocked()
    {
        addPeople(targetPath, { { QStringLiteral("旧"), QStringLiteral("一") } });
        addPeople(sourcePath,
                  { { QStringLiteral("新"), QStringLiteral("甲") },
                    { QStringLiteral("旧"), QStringLiteral("一") } });
        auto other = Database::open(targetPath);
        QVERIFY(other);
        QStringList seenByOther;
        DataFileImport importer(openTarget());
        auto writeFromOtherProgram = [&] {
            Transaction transaction(*other.value());
            // Another program gets the write lock at once and sees what was copied so far.
            QVERIFY(transaction.begin());
            QVERIFY(other.value()->execute(
                QStringLiteral("INSERT INTO Reminders (item) VALUES ('x')")));
            QVERIFY(transaction.commit());
            seenByOther = names(targetPath);
        };
        importer.onDuplicate = [&](const QString &, const QString &) {
            writeFromOtherProgram();
            return Choice::Skip;
        };
        QVERIFY(importer.importFile(sourcePath));
        QCOMPARE(seenByOther, QStringList({ QStringLiteral("旧 一"), QStringLiteral("新 甲") }));
        QCOMPARE(
            RawSql::value(targetPath, QStringLiteral("SELECT COUNT(*) FROM Reminders")).toInt(), 1);
    }

    void categoriesAreCopiedUnlessNameAndKindExist()
    {
        QVERIFY(RawSql::run(
            sourcePath,
            { QStringLiteral("DELETE FROM ContactType"),
              QStringLiteral("INSERT INTO ContactType (Name, Type, Number, Description) VALUES "
                             "('朋友', 3, 9, '已有'), ('朋友', 1, 4, '另一种'), "
                             "('FRIENDS', 3, 1, 'x'), ('friends', 3, 2, 'y'), "
                             "(NULL, 2, 3, '无名'), ('O''Neil', 2, 5, '引号')") }));
        QVERIFY(RawSql::run(targetPath,
                            { QStringLiteral("INSERT INTO ContactType (Name, Type, Number) "
                                             "VALUES ('O''Neil', 2, 1)") }));
        const auto before
            = RawSql::value(targetPath, QStringLiteral("SELECT MAX(ID) FROM ContactType"));
        Recorder recorder;
        const auto done = recorder.run(openTarget(), sourcePath);
        QVERIFY(done);
        QCOMPARE(done.value().categoriesCopied, 2);
        const auto added = RawSql::rows(
            targetPath,
            QStringLiteral("SELECT Name, Type, Number, Description FROM ContactType WHERE ID > %1 "
                           "ORDER BY ID")
                .arg(before.toLongLong()));
        QCOMPARE(added,
                 QList<QVariantList>({ { QStringLiteral("朋友"), 1, 4, QStringLiteral("另一种") },
                                       { QStringLiteral("FRIENDS"), 3, 1, QStringLiteral("x") } }));
    }

    void rowsTravelByColumnName()
    {
        // A file whose Contacts table keeps its columns in another order.
        const QString odd = sandbox->path(QStringLiteral("odd.cot"));
        {
            auto created = Database::openForCreation(odd);
            QVERIFY(created);
            QVERIFY(created.value()->execute(QStringLiteral(
                "CREATE TABLE ContactType (Description TEXT, Number INTEGER, Type INTEGER, "
                "Name TEXT, ID INTEGER PRIMARY KEY)")));
            QVERIFY(created.value()->execute(QStringLiteral(
                "CREATE TABLE Contacts (Notes TEXT, Email TEXT, LastName TEXT, Title TEXT, "
                "FirstName TEXT, Type TEXT, ID INTEGER PRIMARY KEY)")));
            QVERIFY(created.value()->execute(QStringLiteral(
                "INSERT INTO Contacts (Notes, Email, LastName, Title, FirstName, Type) VALUES "
                "('备注', 'm@example.cn', '名', '工程师', '姓氏', '同学')")));
            QVERIFY(created.value()->execute(
                QStringLiteral("INSERT INTO ContactType (Description, Number, Type, Name) VALUES "
                               "('说明', 7, 2, '卫星电话')")));
            DataFileImport importer(openTarget());
            const auto done = importer.importFrom(*created.value());
            QVERIFY(done);
            QCOMPARE(done.value().contactsCopied, 1);
        }
        QCOMPARE(
            RawSql::rows(targetPath,
                         QStringLiteral("SELECT FirstName, LastName, Title, Type, Email, "
                                        "Notes, CompanyName IS NULL FROM Contacts")),
            QList<QVariantList>({ { QStringLiteral("姓氏"), QStringLiteral("名"),
                                    QStringLiteral("工程师"), QStringLiteral("同学"),
                                    QStringLiteral("m@example.cn"), QStringLiteral("备注"), 1 } }));
        QCOMPARE(RawSql::rows(targetPath,
                              QStringLiteral("SELECT Type, Number, Description FROM ContactType "
                                             "WHERE Name = '卫星电话'")),
                 QList<QVariantList>({ { 2, 7, QStringLiteral("说明") } }));
    }

    void unopenableSourceChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("other program") << QStringLiteral("foreign");
    }

    void unopenableSourceChangesNothing()
    {
        QFETCH(QString, kind);
        const QString bad = sandbox->path(QStringLiteral("bad.cot"));
        if (kind == QLatin1String("foreign")) {
            QVERIFY(RawSql::run(bad,
                                { QStringLiteral("CREATE TABLE Contacts (ID INTEGER, "
                                                 "FirstName TEXT, LastName TEXT)"),
                                  QStringLiteral("INSERT INTO Contacts VALUES (1, '王', '伟')") }));
        }
        const auto before = everything(targetPath);
        Recorder recorder;
        const auto done = recorder.run(openTarget(), bad);
        QVERIFY(!done);
        QVERIFY(done.message().contains(bad));
        QVERIFY(recorder.stages.isEmpty());
        target.reset();
        QCOMPARE(everything(targetPath), before);
    }

    void refusedRowsAreCountedAndTheRestImported()
    {
        addPeople(sourcePath, { { QStringLiteral("甲"), QStringLiteral("一") } });
        addPeople(sourcePath, { { QStringLiteral("乙"), QStringLiteral("二") } });
        // A file written by a program that did not keep to the field sizes (the checked opening
        // would refuse it, so it is opened unchecked).
        QVERIFY(
            RawSql::run(sourcePath,
                        { QStringLiteral("PRAGMA ignore_check_constraints = ON"),
                          QStringLiteral("UPDATE Contacts SET Title = '%1' WHERE FirstName = '甲'")
                              .arg(QString(40, QLatin1Char('x'))) }));
        auto source = Database::openForCreation(sourcePath);
        QVERIFY(source);
        const auto done = DataFileImport(openTarget()).importFrom(*source.value());
        QVERIFY(done);
        QCOMPARE(done.value().rowsFailed, 1);
        QVERIFY(!done.value().firstFailure.isEmpty());
        QCOMPARE(done.value().contactsCopied, 1);
        QCOMPARE(names(targetPath), QStringList({ QStringLiteral("乙 二") }));
    }
};

QTEST_GUILESS_MAIN(TestDataFileImport)
#include "tst_datafileimport.moc"
