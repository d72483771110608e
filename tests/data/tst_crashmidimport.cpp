#include "RawSql.h"
#include "TestSandbox.h"
#include "data/SampleData.h"

#include <QProcess>
#include <QtTest>

// An import killed half-way leaves a sound file holding whole rows only: every imported contact
// equals its source row in every field.
class TestCrashMidImport : public QObject
{
    Q_OBJECT

private:
    static QSet<QString> contactRows(const QString &file)
    {
        QSet<QString> rows;
        const auto all = RawSql::rows(file, QStringLiteral("SELECT * FROM Contacts"));
        for (const QVariantList &row : all) {
            QStringList fields;
            for (int i = 1; i < row.size(); ++i)
                fields << row.at(i).toString();
            rows.insert(fields.join(QLatin1Char('\x1f')));
        }
        return rows;
    }

private slots:
    void killedImportLeavesWholeRows()
    {
        TestSandbox sandbox;
        const QString target = sandbox.writeDefaultDataFile();
        const QString source = sandbox.path(QStringLiteral("source.cot"));
        QVERIFY(SampleData::write(source, { 10000, 12, 77 }));

        QProcess import;
        import.start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-stress"),
                     { target, QStringLiteral("import"), source });
        QVERIFY(import.waitForStarted());
        // The import waits at each step for a line from us: at half-way it is stopped mid-step.
        int percent = 0;
        while (percent < 50 && import.waitForReadyRead(30000)) {
            while (import.canReadLine()) {
                const QByteArray line = import.readLine().trimmed();
                if (line.startsWith("progress "))
                    percent = line.mid(9).toInt();
            }
            if (percent < 50)
                import.write("\n");
        }
        QVERIFY2(percent >= 50 && percent < 100, "the import must still be running half-way");
        QCOMPARE(import.state(), QProcess::Running);
        import.kill();
        QVERIFY(import.waitForFinished(10000));
        QCOMPARE(import.exitStatus(), QProcess::CrashExit);

        QCOMPARE(RawSql::value(target, QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));
        const QSet<QString> imported = contactRows(target);
        QVERIFY(imported.size() < 10000);
        QVERIFY(contactRows(source).contains(imported));
        qInfo("fault survived: import killed at %d %%", percent);
    }
};

QTEST_GUILESS_MAIN(TestCrashMidImport)
#include "tst_crashmidimport.moc"
