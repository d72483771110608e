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

    // The next line a program prints, waiting for it as long as the program runs.
    static QString nextLine(QProcess &program)
    {
        while (!program.canReadLine()) {
            if (!program.waitForReadyRead(30000))
                return QStringLiteral("(no line: %1)").arg(program.readAllStandardError());
        }
        return QString::fromUtf8(program.readLine()).trimmed();
    }

private slots:
    // Both press 添加 before either saves (each reports its editor open, with an unnamed new
    // contact left in the file from earlier): two contacts, each with its own e-mail.
    void newContactsOfTwoProgramsNeverShareARow()
    {
        TestSandbox sandbox;
        const QString file = sandbox.writeDefaultDataFile();
        QVERIFY(RawSql::run(file,
                            { QStringLiteral("DELETE FROM Contacts"),
                              QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Data1) VALUES ('姓', '名字', '010-1')") }));
        QProcess programs[2];
        const QStringList emails { QStringLiteral("zhang@a.cn"), QStringLiteral("li@b.cn") };
        for (int i = 0; i < 2; ++i) {
            programs[i].start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-stress"),
                              { file, QStringLiteral("add"), emails.at(i) });
            QCOMPARE(nextLine(programs[i]), QStringLiteral("opened"));
        }
        const QStringList names { QStringLiteral("张 三\n"), QStringLiteral("李 四\n") };
        for (int i = 0; i < 2; ++i) {
            programs[i].write(names.at(i).toUtf8());
            QVERIFY(nextLine(programs[i]).startsWith(QLatin1String("saved ")));
            QVERIFY(programs[i].waitForFinished(30000));
            QCOMPARE(programs[i].exitCode(), 0);
        }
        QCOMPARE(RawSql::rows(file,
                              QStringLiteral("SELECT FirstName, LastName, Email, Data1 FROM "
                                             "Contacts ORDER BY ID")),
                 QList<QVariantList>({ { QStringLiteral("张"), QStringLiteral("三"),
                                         QStringLiteral("zhang@a.cn"), QStringLiteral("010-1") },
                                       { QStringLiteral("李"), QStringLiteral("四"),
                                         QStringLiteral("li@b.cn"), QStringLiteral("010-1") } }));
    }

    void concurrentChangesAreAllKept()
    {
        TestSandbox sandbox;
        const QString file = sandbox.writeDefaultDataFile();
        const QStringList tags { QStringLiteral("甲"), QStringLiteral("乙") };
        QProcess programs[2];
        for (int i = 0; i < 2; ++i) {
            programs[i].start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-stress"),
                              { file, tags.at(i), QStringLiteral("500") });
            QCOMPARE(nextLine(programs[i]), QStringLiteral("ready"));
        }
        // Both are told to start at once; the overlap is still checked from their own clocks.
        for (QProcess &program : programs)
            program.write("go\n");
        for (QProcess &program : programs)
            QVERIFY(program.waitForBytesWritten(30000));
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
