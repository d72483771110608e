#include "FixedClock.h"
#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "reminders/ReminderStore.h"

#include <QtTest>

class TestReminderStore : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    std::optional<FixedClock> clock;
    std::optional<ReminderStore> store;

    qint64 add(const QString &item)
    {
        const auto added = store->add(item);
        if (!added)
            QTest::qFail(qPrintable(added.message()), __FILE__, __LINE__);
        return added ? added.value() : -1;
    }

    // Each row as "item|Done|Date".
    QStringList storedRows()
    {
        QStringList rows;
        const QString sql = QStringLiteral("SELECT item, Done, Date FROM Reminders ORDER BY ID");
        for (const QVariantList &row : RawSql::rows(file, sql))
            rows << row.at(0).toString() + u'|' + row.at(1).toString() + u'|'
                    + row.at(2).toString();
        return rows;
    }

private slots:
    void init()
    {
        clock.emplace(QDateTime(QDate(2003, 11, 12), QTime(23, 59, 58)));
        QVERIFY(openDataFile());
        store.emplace(*database);
    }

    void cleanup()
    {
        store.reset();
        closeDataFile();
        clock.reset();
    }

    void addStoresAnOpenItemDatedTodayAndListsInAddingOrder()
    {
        QVERIFY(store->list().value().isEmpty());
        const qint64 first = add(QStringLiteral("买牛奶"));
        clock->time = clock->time.addDays(1);
        const qint64 second = add(QStringLiteral("O'Brien 说 \"好\""));

        QCOMPARE(storedRows(),
                 (QStringList { QStringLiteral("买牛奶|0|2003-11-12"),
                                QStringLiteral("O'Brien 说 \"好\"|0|2003-11-13") }));
        const auto listed = store->list();
        QVERIFY2(listed, qPrintable(listed.message()));
        QCOMPARE(listed.value().size(), 2);
        QVERIFY(listed.value().at(0).id == first && listed.value().at(1).id == second);
        // Removing an item that is already gone succeeds.
        QVERIFY(store->remove(first) && store->remove(first));
        QCOMPARE(storedRows(), QStringList { QStringLiteral("O'Brien 说 \"好\"|0|2003-11-13") });
    }

    void badChangesAreRefusedAndStoreNothing_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("add blank")
            << QStringLiteral("add blank") << QStringLiteral("你没有输入任何描述信息哦");
        QTest::newRow("add too long")
            << QStringLiteral("add long") << QStringLiteral("输入的内容过长");
        QTest::newRow("text blank")
            << QStringLiteral("text blank") << QStringLiteral("你没有输入任何描述信息哦");
        QTest::newRow("text too long")
            << QStringLiteral("text long") << QStringLiteral("输入的内容过长");
        QTest::newRow("tick gone")
            << QStringLiteral("tick gone") << QStringLiteral("已不在数据文件中");
        QTest::newRow("text gone")
            << QStringLiteral("text gone") << QStringLiteral("已不在数据文件中");
    }

    void badChangesAreRefusedAndStoreNothing()
    {
        QFETCH(QString, change);
        QFETCH(QString, message);
        const qint64 id = add(QStringLiteral("原来的"));
        const QStringList before = storedRows();
        const QString tooLong(101, QChar(u'字'));
        const qint64 gone = id + 1;
        Status status = Status::success();
        if (change == QLatin1String("add blank"))
            status = store->add(QStringLiteral("  ")).status();
        else if (change == QLatin1String("add long"))
            status = store->add(tooLong).status();
        else if (change == QLatin1String("text blank"))
            status = store->setText(id, QString());
        else if (change == QLatin1String("text long"))
            status = store->setText(id, tooLong);
        else if (change == QLatin1String("tick gone"))
            status = store->setDone(gone, true);
        else
            status = store->setText(gone, QStringLiteral("新的"));
        QVERIFY(!status);
        QVERIFY2(status.message().contains(message), qPrintable(status.message()));
        QCOMPARE(storedRows(), before);
    }

    void longestTextIsAccepted()
    {
        const QString longest(100, QChar(u'字'));
        QVERIFY(store->setText(add(longest), longest));
        QCOMPARE(storedRows(), QStringList { longest + QStringLiteral("|0|2003-11-12") });
    }
};

QTEST_GUILESS_MAIN(TestReminderStore)
#include "tst_reminderstore.moc"
