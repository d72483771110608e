#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "categories/CategoryModel.h"
#include "categories/CategoryName.h"
#include "data/Database.h"

#include <QtTest>

// The hint the name box shows until a name is typed.
const QString designText = QStringLiteral("请在此输入新的类别名称");

using SaveOutcome = CategoryModel::SaveOutcome;

Q_DECLARE_METATYPE(SaveOutcome)

class TestCategoryModel : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    std::unique_ptr<CategoryModel> model;

    // Replaces every category with these rows of (name, kind, number), in ID order.
    void useCategories(const QList<std::tuple<QString, int, int>> &rows)
    {
        QStringList statements { QStringLiteral("DELETE FROM ContactType") };
        for (const auto &[name, kind, number] : rows)
            statements << QStringLiteral(
                              "INSERT INTO ContactType (Name, Type, Number, Description) "
                              "VALUES (%1, %2, %3, '')")
                              .arg(RawSql::quoted(name))
                              .arg(kind)
                              .arg(number);
        QVERIFY(RawSql::run(file, statements));
    }

    void addContacts(const QStringList &groups)
    {
        QStringList statements;
        for (int i = 0; i < groups.size(); ++i)
            statements << QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Title, Type) "
                                         "VALUES ('张', '%1', '经理', %2)")
                              .arg(i)
                              .arg(RawSql::quoted(groups.at(i)));
        QVERIFY(RawSql::run(file, statements));
    }

    QStringList contactGroups()
    {
        QStringList groups;
        for (const QVariantList &row :
             RawSql::rows(file, QStringLiteral("SELECT Type FROM Contacts ORDER BY ID")))
            groups << row.first().toString();
        return groups;
    }

    // "name:number" of a kind in the file's order.
    QStringList stored(int kind)
    {
        QStringList rows;
        const QString sql
            = QStringLiteral(
                  "SELECT Name, Number FROM ContactType WHERE Type = %1 ORDER BY Number, ID")
                  .arg(kind);
        for (const QVariantList &row : RawSql::rows(file, sql))
            rows << row.at(0).toString() + QLatin1Char(':') + row.at(1).toString();
        return rows;
    }

    // "a, b" as a list.
    static QStringList listOf(const QString &items) { return items.split(QStringLiteral(", ")); }

    qint64 idOf(int kind, const QString &name)
    {
        const auto found = model->find(kind, name);
        return found && found.value() ? found.value()->id : -1;
    }

    CategoryModel::SaveRequest adding(int kind, const QString &name, qint64 listed = 3)
    {
        return { kind, false, {}, name, QStringLiteral("说明"), listed };
    }

    CategoryModel::SaveRequest renaming(int kind, const QString &from, const QString &to)
    {
        return { kind, true, from, to, QStringLiteral(" 新的说明 "), 3 };
    }

    void addFailingContactsTrigger()
    {
        QVERIFY(RawSql::run(file,
                            { QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Contacts "
                                             "BEGIN SELECT RAISE(ABORT, 'refused'); END") }));
    }

private slots:
    void init()
    {
        QVERIFY(openDataFile());
        model = std::make_unique<CategoryModel>(*database);
        useCategories({ { QStringLiteral("同事"), 3, 1 },
                        { QStringLiteral("朋友"), 3, 2 },
                        { QStringLiteral("家人"), 3, 3 },
                        { QStringLiteral("经理"), 1, 1 },
                        { QStringLiteral("Friend"), 1, 2 },
                        { QStringLiteral("秘书"), 1, 3 } });
    }

    void cleanup()
    {
        model.reset();
        closeDataFile();
    }

    void listOrdersByNumberThenIdAndRenumbersDensely()
    {
        useCategories({ { QStringLiteral("丙"), 3, 7 },
                        { QStringLiteral("甲"), 3, 2 },
                        { QStringLiteral("乙"), 3, 7 },
                        { QStringLiteral("丁"), 3, 40 },
                        { QStringLiteral("头衔"), 1, 9 } });
        const auto listed = model->list(3);
        QVERIFY2(listed, qPrintable(listed.message()));
        QStringList names;
        for (const Category &category : listed.value())
            names << category.name + QLatin1Char(':') + QString::number(category.number);
        const QStringList expected = listOf(QStringLiteral("甲:1, 丙:2, 乙:3, 丁:4"));
        QCOMPARE(names, expected);
        QCOMPARE(stored(3), expected);
        QCOMPARE(stored(1), QStringList { QStringLiteral("头衔:9") });
    }

    void tidyListIsReadWithoutWriting()
    {
        QVERIFY(database->pragma(QStringLiteral("PRAGMA query_only = ON")));
        const auto listed = model->list(3);
        QVERIFY2(listed, qPrintable(listed.message()));
        QCOMPARE(listed.value().size(), 3);

        useCategories({ { QStringLiteral("乙"), 3, 5 } });
        QVERIFY(!model->list(3));
        QVERIFY(model->categories(3));
    }

    void namesClashOnlyWithinTheirKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::newRow("same kind") << 3 << QStringLiteral("朋友") << true;
        QTest::newRow("letter case ignored") << 1 << QStringLiteral("fRIEND") << true;
        QTest::newRow("other kind only") << 1 << QStringLiteral("朋友") << false;
    }

    void namesClashOnlyWithinTheirKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(bool, found);
        const auto lookedUp = model->find(kind, name);
        QVERIFY(lookedUp);
        QCOMPARE(bool(lookedUp.value()), found);
        const auto saved = model->save(adding(kind, name));
        QCOMPARE(saved.outcome, found ? SaveOutcome::AlreadyExists : SaveOutcome::Saved);
    }

    // A missing or over-long name or description is refused by every command; nothing is written.
    void badNamesAreRefusedWithNothingWritten_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("description");
        QTest::addColumn<SaveOutcome>("outcome");
        QTest::newRow("blanks") << QStringLiteral("   ") << QString() << SaveOutcome::NameMissing;
        QTest::newRow("design text padded")
            << QStringLiteral(" %1 ").arg(designText) << QString() << SaveOutcome::NameMissing;
        QTest::newRow("name too long")
            << QString(26, QChar(u'名')) << QString() << SaveOutcome::Failed;
        QTest::newRow("description too long")
            << QStringLiteral("朋友") << QString(256, QChar(u'x')) << SaveOutcome::Failed;
    }

    void badNamesAreRefusedWithNothingWritten()
    {
        QFETCH(QString, typed);
        QFETCH(QString, description);
        QFETCH(SaveOutcome, outcome);
        addContacts({ QStringLiteral("朋友") });
        const auto before
            = RawSql::rows(file, QStringLiteral("SELECT * FROM ContactType ORDER BY ID"));
        if (description.isEmpty()) {
            const auto added = model->save(adding(3, typed));
            QCOMPARE(added.outcome, outcome);
            if (outcome == SaveOutcome::Failed)
                QVERIFY2(added.error.contains(QStringLiteral("过长")), qPrintable(added.error));
            QCOMPARE(model->save(renaming(3, QStringLiteral("朋友"), typed)).outcome, outcome);
        } else {
            QCOMPARE(model->save({ 3, true, typed, typed, description, 3 }).outcome, outcome);
        }
        QCOMPARE(RawSql::rows(file, QStringLiteral("SELECT * FROM ContactType ORDER BY ID")),
                 before);
        QCOMPARE(contactGroups(), QStringList { QStringLiteral("朋友") });
    }

    void addingPutsTheNameTrimmedAtTheEnd()
    {
        const auto saved = model->save(adding(3, QStringLiteral("  老乡 | 同学  ")));
        QCOMPARE(saved.outcome, SaveOutcome::Saved);
        QCOMPARE(saved.name, QStringLiteral("老乡 - 同学"));
        QCOMPARE(stored(3).last(), QStringLiteral("老乡 - 同学:4"));
        QCOMPARE(
            RawSql::value(
                file,
                QStringLiteral("SELECT Description FROM ContactType WHERE Name = '老乡 - 同学'")),
            QVariant(QStringLiteral("说明")));
        // The longest name the file takes.
        QCOMPARE(model->save(adding(3, QString(25, QChar(u'名')))).outcome, SaveOutcome::Saved);
    }

    // A name differs from its own only in letter case, and from another kind's, without a clash.
    void renameMayChangeLetterCaseOrTakeAnotherKindsName()
    {
        QCOMPARE(
            model->save(renaming(1, QStringLiteral("Friend"), QStringLiteral("FRIEND"))).outcome,
            SaveOutcome::Saved);
        QCOMPARE(model->save(renaming(1, QStringLiteral("秘书"), QStringLiteral("家人"))).outcome,
                 SaveOutcome::Saved);
        QCOMPARE(stored(1), listOf(QStringLiteral("经理:1, FRIEND:2, 家人:3")));
        QCOMPARE(stored(3), listOf(QStringLiteral("同事:1, 朋友:2, 家人:3")));
    }

    void renamingAGroupRegroupsItsContactsAndBack()
    {
        addContacts({ QStringLiteral("朋友"), QStringLiteral("同事"), QStringLiteral("朋友") });
        QCOMPARE(model->save(renaming(3, QStringLiteral("朋友"), QStringLiteral("O'好友"))).outcome,
                 SaveOutcome::Saved);
        QCOMPARE(contactGroups(), listOf(QStringLiteral("O'好友, 同事, O'好友")));
        QCOMPARE(
            RawSql::value(
                file, QStringLiteral("SELECT Description FROM ContactType WHERE Name = 'O''好友'")),
            QVariant(QStringLiteral(" 新的说明 ")));

        QVERIFY(model->update(idOf(3, QStringLiteral("o'好友")), QStringLiteral("朋友"), {}));
        QCOMPARE(contactGroups(), listOf(QStringLiteral("朋友, 同事, 朋友")));
        QCOMPARE(stored(3).size(), 3);
    }

    void renamingATitleLeavesContactGroupsAlone()
    {
        // A title and a group may share a name; only the group owns the contacts' Type field.
        useCategories({ { QStringLiteral("客户"), 1, 1 }, { QStringLiteral("客户"), 3, 1 } });
        addContacts({ QStringLiteral("客户") });
        QCOMPARE(
            model->save(renaming(1, QStringLiteral("客户"), QStringLiteral("客户经理"))).outcome,
            SaveOutcome::Saved);
        QCOMPARE(contactGroups(), QStringList { QStringLiteral("客户") });
        QCOMPARE(RawSql::value(file, QStringLiteral("SELECT Title FROM Contacts")),
                 QVariant(QStringLiteral("经理")));
    }

    void renameAndRegroupHappenTogetherOrNotAtAll()
    {
        addContacts({ QStringLiteral("朋友") });
        addFailingContactsTrigger();
        const auto saved = model->save(renaming(3, QStringLiteral("朋友"), QStringLiteral("好友")));
        QCOMPARE(saved.outcome, SaveOutcome::Failed);
        QVERIFY(saved.error.contains(QStringLiteral("refused")));
        QCOMPARE(stored(3), listOf(QStringLiteral("同事:1, 朋友:2, 家人:3")));
        QCOMPARE(contactGroups(), QStringList { QStringLiteral("朋友") });
    }

    void editingACategoryThatHasGoneAddsItAgain()
    {
        QVERIFY(model->remove(idOf(3, QStringLiteral("家人"))));
        const auto saved
            = model->save({ 3, true, QStringLiteral("家人"), QStringLiteral("亲戚"), {}, 2 });
        QCOMPARE(saved.outcome, SaveOutcome::Saved);
        QCOMPARE(stored(3), listOf(QStringLiteral("同事:1, 朋友:2, 亲戚:3")));
        // Adding it again still may not repeat a name of the kind.
        QCOMPARE(
            model->save({ 3, true, QStringLiteral("家人"), QStringLiteral("同事"), {}, 3 }).outcome,
            SaveOutcome::AlreadyExists);
    }

    void deletingAGroupLeavesItsContactsAlone()
    {
        addContacts({ QStringLiteral("朋友"), QStringLiteral("家人") });
        QVERIFY(model->remove(idOf(3, QStringLiteral("朋友"))));
        QCOMPARE(stored(3), listOf(QStringLiteral("同事:1, 家人:3")));
        QCOMPARE(contactGroups(), listOf(QStringLiteral("朋友, 家人")));
    }

    // A name that would break a query built from text changes only its own row.
    void setNumberRenumbersTheRowOfTheGivenKind()
    {
        useCategories({ { QStringLiteral("x' OR '1'='1"), 1, 1 },
                        { QStringLiteral("x' OR '1'='1"), 3, 1 },
                        { QStringLiteral("朋友"), 3, 2 } });
        QVERIFY(model->setNumbers(
            3, { { QStringLiteral("朋友"), 1 }, { QStringLiteral("x' OR '1'='1"), 2 } }));
        QCOMPARE(stored(3), listOf(QStringLiteral("朋友:1, x' OR '1'='1:2")));
        QCOMPARE(stored(1), QStringList { QStringLiteral("x' OR '1'='1:1") });
    }

    void separatorBecomesDash_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("between words")
            << QStringLiteral("朋友 | 同事") << QStringLiteral("朋友 - 同事");
        QTest::newRow("shared blank") << QStringLiteral("a | | b") << QStringLiteral("a - - b");
        QTest::newRow("bar without blanks kept") << QStringLiteral("a|b") << QStringLiteral("a|b");
        QTest::newRow("at the edges") << QStringLiteral(" | a | ") << QStringLiteral("- a -");
    }

    void separatorBecomesDash()
    {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QCOMPARE(CategoryName::clean(typed), cleaned);
        QVERIFY(!CategoryName::withoutSeparator(typed).contains(QStringLiteral(" | ")));
    }
};

QTEST_GUILESS_MAIN(TestCategoryModel)
#include "tst_categorymodel.moc"
