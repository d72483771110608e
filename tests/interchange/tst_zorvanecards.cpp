#include "RawSql.h"
#include "TestSandbox.h"

#include <QProcess>
#include <QtTest>

// The command-line program, run as a script would run it, on a data file of the test's own.
class tst_ZorvaneCards : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSandbox> sandbox;
    QString dataFile;
    QString cards;

    int contacts() const
    {
        return RawSql::value(dataFile, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt();
    }

private slots:
    void init()
    {
        sandbox = std::make_unique<TestSandbox>();
        dataFile = sandbox->writeDefaultDataFile();
        QVERIFY(RawSql::run(dataFile,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('王', '伟', '朋友')") }));
        cards = sandbox->path(QStringLiteral("in.vcf"));
        QFile file(cards);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BEGIN:VCARD\nFN:王伟\nEND:VCARD\nBEGIN:VCARD\nFN:赵六\nEND:VCARD\n"
                   "BEGIN:VCARD\nFN:坏\n");
    }

    void cleanup() { sandbox.reset(); }

    void runsAsScriptsExpect_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("added");

        const QString summary
            = QStringLiteral("新联系人：2个\n与已有联系人同名：1个\n无法读取：1处\n"
                             "第7行：名片不完整，缺少END:VCARD\n");
        QTest::newRow("import new only") << QStringList { "import", "--data", "DATA", "IN" } << 0
                                         << summary + QStringLiteral("已导入2个联系人。") << 2;
        QTest::newRow("import all") << QStringList { "import", "--all", "--data", "DATA", "IN" }
                                    << 0 << summary + QStringLiteral("已导入3个联系人。") << 3;
        QTest::newRow("refused input")
            << QStringList { "import", "--data", "DATA", "IN", "DATA" } << 1 << summary << 0;
        QTest::newRow("export to standard output")
            << QStringList { "export", "--data", "DATA", "--format", "vcard3", "--group", "朋友" }
            << 0
            << QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:王;伟;;;\r\nFN:王伟\r\n"
                              "CATEGORIES:朋友\r\nEND:VCARD")
            << 0;
        QTest::newRow("unknown format")
            << QStringList { "export", "--data", "DATA", "--format", "x" } << 2
            << QStringLiteral("未知格式 / unknown format: x\n") << 0;
        QTest::newRow("no command") << QStringList { "--data", "DATA" } << 2
                                    << QStringLiteral("需要 import 或 export / expected import or "
                                                      "export\n\n用法 / Usage:")
                                    << 0;
        QTest::newRow("help") << QStringList { "--help" } << 0
                              << QStringLiteral("zorvane-cards import") << 0;
    }

    void runsAsScriptsExpect()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(int, added);
        arguments.replaceInStrings(QRegularExpression("^DATA$"), dataFile);
        arguments.replaceInStrings(QRegularExpression("^IN$"), cards);
        const int before = contacts();
        QProcess program;
        program.start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-cards"), arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), exitCode);
        // A usage error is told on the error channel.
        const QString printed
            = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
        QVERIFY2(printed.contains(output), qPrintable(printed));
        QCOMPARE(contacts(), before + added);
    }
};

QTEST_GUILESS_MAIN(tst_ZorvaneCards)
#include "tst_zorvanecards.moc"
