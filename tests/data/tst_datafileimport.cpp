#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileFactory.h"
#include "data/DataFileImport.h"
#include "data/Database.h"
#include "data/Schema.h"
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

// Gives every contact of the file a kept card, and a card picture, that name its title.
void keepCards(const QString &path)
{
    auto opened = Database::open(path);
    QVERIFY2(opened, qPrintable(opened.message()));
    QVERIFY(Schema::ensureFeatureTable(*opened.value(), QStringLiteral("ContactCards")));
    QVERIFY(opened.value()->execute(QStringLiteral(
        "INSERT INTO ContactCards (ContactID, Card) SELECT ID, CAST('FN:' || Title AS BLOB) "
        "FROM Contacts")));
    QVERIFY(Schema::ensureFeatureTable(*opened.value(), QStringLiteral("CardImages")));
    QVERIFY(opened.value()->execute(
        QStringLiteral("INSERT INTO CardImages (ContactID, Side, Format, Image) SELECT ID, 0, "
                       "'png', CAST('FN:' || Title AS BLOB) FROM Contacts")));
}

// Contacts given as "王 伟, 李 娜": first and last name, split at the first blank.
QList<Person> people(const QString &names)
{
    QList<Person> all;
    for (const QString &name : names.split(QStringLiteral(", ")))
        all.append({ name.section(QLatin1Char(' '), 0, 0), name.section(QLatin1Char(' '), 1) });
    return all;
}

// The contacts of a file in the same form, in ID order.
QString names(const QString &path)
{
    QStringList all;
    const auto rows = RawSql::rows(
        path, QStringLiteral("SELECT FirstName, LastName FROM Contacts ORDER BY ID"));
    for (const QVariantList &row : rows)
        all << row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString();
    return all.join(QStringLiteral(", "));
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

    // Every contact is its own duplicate: the question comes for each (null equals null, and
    // the reserved row is not imported), and each source row is read once.
    void importIntoItselfAsksForEveryContact_data()
    {
        QTest::addColumn<Choice>("answer");
        QTest::newRow("no") << Choice::Skip;
        QTest::newRow("yes") << Choice::Copy;
    }

    void importIntoItselfAsksForEveryContact()
    {
        QFETCH(Choice, answer);
        addPeople(targetPath, people(QStringLiteral("王 伟, O'Brien Anna, 模板 模板")));
        addPeople(targetPath, { { QStringLiteral("smith"), QString() } });
        QVERIFY(RawSql::run(targetPath,
                            { QStringLiteral("INSERT INTO ContactType (Name, Type) VALUES ('无类', "
                                             "NULL)"),
                              QStringLiteral("UPDATE Contacts SET Type = NULL WHERE FirstName = "
                                             "'smith'") }));
        // A copy adds contacts and changes nothing else; a skip changes nothing at all.
        const QString grows = answer == Choice::Copy ? QStringLiteral("Contacts") : QString();
        const auto before = RawSql::everything(targetPath, grows);
        const QString namesBefore = names(targetPath);
        Recorder recorder;
        recorder.answers = { answer, answer, answer };
        const auto done = recorder.run(openTarget(), targetPath);
        QVERIFY2(done, qPrintable(done.message()));
        const QString asked = QStringLiteral("王 伟, O'Brien Anna, smith ");
        QCOMPARE(recorder.questions.join(QStringLiteral(", ")), asked);
        QCOMPARE(done.value().categoriesCopied, 0);
        target.reset();
        QCOMPARE(RawSql::everything(targetPath, grows), before);
        QCOMPARE(names(targetPath),
                 answer == Choice::Copy ? namesBefore + QStringLiteral(", ") + asked : namesBefore);
    }

    // Only the template and the placeholder, both names, are left out, and the summary says how
    // many; a family name "姓" or "模板" alone is a real contact. Progress runs over every row.
    void onlyTheReservedRowsAreLeftOut()
    {
        addPeople(sourcePath,
                  people(QStringLiteral("模板 模板, 姓 名字, 张 三, 姓 其他, 模板 张三")));
        addPeople(sourcePath,
                  { { QVariant(), QStringLiteral("无姓") },
                    { QStringLiteral(" 姓\u3000"), QStringLiteral("名字\u00A0") } });
        Recorder recorder;
        const auto done = recorder.run(openTarget(), sourcePath);
        QVERIFY2(done, qPrintable(done.message()));
        QCOMPARE(names(targetPath), QStringLiteral("张 三, 姓 其他, 模板 张三,  无姓"));
        QCOMPARE(done.value().contactsCopied, 4);
        QCOMPARE(done.value().reservedSkipped, 3);
        QCOMPARE(done.value().duplicatesSkipped, 0);
        QCOMPARE(recorder.questions, QStringList());
        QCOMPARE(recorder.percents, QList<int>({ 14, 28, 42, 57, 71, 85, 100 }));
        QCOMPARE(recorder.stages,
                 QList<DataFileImport::Stage>(
                     { DataFileImport::Stage::Categories, DataFileImport::Stage::Contacts }));
    }

    void secondContactOfANewNameRaisesTheQuestion_data()
    {
        QTest::addColumn<Choice>("answer");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QList<QVariantList>>("cards");
        const QVariantList first { QStringLiteral("总经理"), QByteArray("FN:总经理") };
        const QVariantList second { QStringLiteral("秘书"), QByteArray("FN:秘书") };
        QTest::newRow("yes") << Choice::Copy << 2 << 0 << QList<QVariantList> { first, second };
        QTest::newRow("no") << Choice::Skip << 1 << 1 << QList<QVariantList> { first };
    }

    void secondContactOfANewNameRaisesTheQuestion()
    {
        QFETCH(Choice, answer);
        QFETCH(int, copies);
        addPeople(sourcePath,
                  { { QStringLiteral("李"), QStringLiteral("雷"), QStringLiteral("总经理") },
                    { QStringLiteral("李"), QStringLiteral("雷"), QStringLiteral("秘书") } });
        keepCards(sourcePath);
        // The copies take other IDs than in the source; their cards and pictures follow them.
        addPeople(targetPath, people(QStringLiteral("王 伟")));
        Recorder recorder;
        recorder.answers = { answer };
        const auto done = recorder.run(openTarget(), sourcePath);
        QVERIFY2(done, qPrintable(done.message()));
        QCOMPARE(recorder.questions, QStringList({ QStringLiteral("李 雷") }));
        QCOMPARE(done.value().contactsCopied, copies);
        QTEST(done.value().duplicatesSkipped, "skipped");
        QTEST(RawSql::rows(targetPath,
                           QStringLiteral("SELECT Title, Card FROM Contacts JOIN ContactCards ON "
                                          "ContactID = ID ORDER BY ID")),
              "cards");
        QTEST(RawSql::rows(targetPath,
                           QStringLiteral("SELECT Title, Image FROM Contacts JOIN CardImages ON "
                                          "ContactID = ID ORDER BY ID")),
              "cards");
    }

    void duplicateTestFollowsTheFileAndHandlesQuotesAndEmptyNames_data()
    {
        QTest::addColumn<QVariant>("storedFirst");
        QTest::addColumn<QVariant>("storedLast");
        QTest::addColumn<QVariant>("importedLast");
        QTest::addColumn<bool>("asked");
        const auto text = [](const char *value) { return QVariant(QString::fromUtf8(value)); };
        const QVariant obrien = text("O'Brien");
        QTest::newRow("quote") << obrien << text("A'x") << text("A'x") << true;
        QTest::newRow("case") << text("o'brien") << text("a'X") << text("A'x") << true;
        QTest::newRow("null given name") << obrien << QVariant() << text("") << true;
        QTest::newRow("imported null") << obrien << text("") << QVariant() << true;
        QTest::newRow("other given name") << obrien << text("A") << QVariant() << false;
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

    void cancelKeepsTheRowsCopiedBefore()
    {
        addPeople(targetPath, people(QStringLiteral("旧 一, 旧 二")));
        addPeople(sourcePath, people(QStringLiteral("新 甲, 旧 一, 新 乙, 旧 二, 新 丙")));
        Recorder recorder;
        recorder.answers = { Choice::Copy, Choice::Stop };
        const auto done = recorder.run(openTarget(), sourcePath);
        QVERIFY(done);
        QVERIFY(done.value().cancelled);
        QCOMPARE(done.value().contactsCopied, 3);
        QCOMPARE(recorder.questions.size(), 2);
        QCOMPARE(names(targetPath), QStringLiteral("旧 一, 旧 二, 新 甲, 旧 一, 新 乙"));
    }

    void questionsNeverKeepTheFileLocked()
    {
        addPeople(targetPath, people(QStringLiteral("旧 一")));
        addPeople(sourcePath, people(QStringLiteral("新 甲, 旧 一")));
        auto other = Database::open(targetPath);
        QVERIFY(other);
        QString seenByOther;
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
        QCOMPARE(seenByOther, QStringLiteral("旧 一, 新 甲"));
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
        QVERIFY(RawSql::run(
            odd,
            { QStringLiteral("CREATE TABLE ContactType (Description TEXT, Number INTEGER, "
                             "Type INTEGER, Name TEXT, ID INTEGER PRIMARY KEY)"),
              QStringLiteral("CREATE TABLE Contacts (Notes TEXT, Email TEXT, LastName TEXT, "
                             "Title TEXT, FirstName TEXT, Type TEXT, ID INTEGER PRIMARY KEY)"),
              QStringLiteral("INSERT INTO Contacts (Notes, Email, LastName, Title, FirstName, "
                             "Type) VALUES ('备注', 'm@example.cn', '名', '工程师', '姓氏', "
                             "'同学')"),
              QStringLiteral("INSERT INTO ContactType (Description, Number, Type, Name) "
                             "VALUES ('说明', 7, 2, '卫星电话')") }));
        auto source = Database::openForCreation(odd);
        QVERIFY(source);
        const auto done = DataFileImport(openTarget()).importFrom(*source.value());
        QVERIFY(done);
        QCOMPARE(done.value().contactsCopied, 1);
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

    // Files that open refuses are refused by the import too (see the crafted hostile files);
    // here the target must come through a missing source untouched.
    void missingSourceChangesNothing()
    {
        const QString missing = sandbox->path(QStringLiteral("missing.cot"));
        const auto before = RawSql::everything(targetPath);
        Recorder recorder;
        const auto done = recorder.run(openTarget(), missing);
        QVERIFY(!done);
        QVERIFY(done.message().contains(missing));
        QVERIFY(recorder.stages.isEmpty());
        target.reset();
        QCOMPARE(RawSql::everything(targetPath), before);
    }

    void refusedRowsAreCountedAndTheRestImported()
    {
        addPeople(sourcePath, people(QStringLiteral("甲 一, 乙 二")));
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
        QCOMPARE(names(targetPath), QStringLiteral("乙 二"));
    }
};

QTEST_GUILESS_MAIN(TestDataFileImport)
#include "tst_datafileimport.moc"
