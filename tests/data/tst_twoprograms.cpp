#include "RawSql.h"
#include "TestSandbox.h"

#include <QProcess>
#include <QtTest>

// Two programs adding, editing and deleting on one data file at the same time: neither is told
// the file is locked, nothing either committed is lost, and the file stays sound.
class TestTwoPrograms : public QObject
{
    Q_OBJECT

private:
    static QStringList listed(const QString &output, const QString &label)
    {
        for (const QString &line : output.split(QLatin1Char('\n'))) {
            if (line.startsWith(label))
                return line.mid(label.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
        return {};
    }

    // The IDs a program reported as its own that are not in the file, and the reverse.
    static int missing(const QString &file, const QString &sql, const QStringList &reported)
    {
        QStringList stored;
        for (const QVariantList &row : RawSql::rows(file, sql))
            stored << row.first().toString();
        int differ = 0;
        for (const QString &id : reported)
            differ += stored.contains(id) ? 0 : 1;
        for (const QString &id : stored)
            differ += reported.contains(id) ? 0 : 1;
        return differ;
    }

private slots:
    void concurrentChangesAreAllKept()
    {
        TestSandbox sandbox;
        const QString file = sandbox.writeDefaultDataFile();
        const QStringList tags { QStringLiteral("甲"), QStringLiteral("乙") };
        QProcess programs[2];
        for (int i = 0; i < 2; ++i)
            programs[i].start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-stress"),
                              { file, tags.at(i), QStringLiteral("500") });
        int committed = 0;
        int failed = 0;
        int lost = 0;
        qint64 began[2] {};
        qint64 ended[2] {};
        for (int i = 0; i < 2; ++i) {
            QVERIFY(programs[i].waitForFinished(150000));
            QVERIFY2(programs[i].exitStatus() == QProcess::NormalExit,
                     programs[i].readAllStandardError().constData());
            const QString output = QString::fromUtf8(programs[i].readAllStandardOutput());
            committed += listed(output, QStringLiteral("committed: ")).value(0).toInt();
            failed += listed(output, QStringLiteral("failed: ")).value(0).toInt();
            began[i] = listed(output, QStringLiteral("began: ")).value(0).toLongLong();
            ended[i] = listed(output, QStringLiteral("ended: ")).value(0).toLongLong();
            lost += missing(
                file,
                QStringLiteral("SELECT ID FROM Contacts WHERE FirstName = '%1'").arg(tags.at(i)),
                listed(output, QStringLiteral("contacts: ")));
            lost += missing(
                file,
                QStringLiteral("SELECT ID FROM Reminders WHERE item LIKE '%1-%'").arg(tags.at(i)),
                listed(output, QStringLiteral("reminders: ")));
        }
        // Each began its changes before the other had ended its own: they ran at the same time.
        QVERIFY(began[0] > 0 && began[1] > 0);
        QVERIFY2(began[0] < ended[1] && began[1] < ended[0], "the two programs did not overlap");
        qInfo("figure concurrent_operations_committed: %d", committed);
        qInfo("figure concurrent_operations_failed: %d", failed);
        qInfo("figure concurrent_operations_lost: %d", lost);
        QCOMPARE(failed, 0);
        QCOMPARE(committed, 1000);
        QCOMPARE(lost, 0);
        QCOMPARE(RawSql::value(file, QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(TestTwoPrograms)
#include "tst_twoprograms.moc"
