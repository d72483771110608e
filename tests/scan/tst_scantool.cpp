#include "CardPictures.h"
#include "RawSql.h"
#include "TestSandbox.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

// zorvane-cards scan, run as a script would run it, on images and a data file of the test's own.
class tst_ScanTool : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSandbox> sandbox;
    QString dataFile;
    QString cardImage;
    QString notAnImage;

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run cards(const QStringList &arguments) const
    {
        QProcess program;
        program.start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-cards"),
                      QStringList { QStringLiteral("scan") } + arguments);
        if (!program.waitForFinished(60000))
            return {};
        return { program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                 QString::fromUtf8(program.readAllStandardError()) };
    }

    int contacts(const QString &where = QStringLiteral("1 = 1")) const
    {
        return RawSql::value(dataFile,
                             QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE ") + where)
            .toInt();
    }

private slots:
    void initTestCase()
    {
        sandbox = std::make_unique<TestSandbox>();
        dataFile = sandbox->writeDefaultDataFile();
        CardPictures::Design design;
        design.name = QStringLiteral("周婷");
        design.title = QStringLiteral("财务经理");
        design.headLines = { QStringLiteral("杭州远山贸易有限公司") };
        design.lines = { QStringLiteral("手机：139 0571 2468"),
                         QStringLiteral("邮箱：zhouting@yuanshan.com") };
        cardImage = sandbox->path(QStringLiteral("周婷.png"));
        QFile image(cardImage);
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(CardPictures::png(CardPictures::printed(design)));
        image.close();
        notAnImage = sandbox->path(QStringLiteral("notes.jpg"));
        QFile text(notAnImage);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
    }

    void cleanupTestCase() { sandbox.reset(); }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no image") << QStringList { "--json" };
        QTest::newRow("group without add") << QStringList { "--group", "客户", "a.png" };
        QTest::newRow("unknown option") << QStringList { "--fast", "a.png" };
        QTest::newRow("data without a value") << QStringList { "a.png", "--data" };
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const Run run = cards(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains(QStringLiteral("zorvane-cards scan [--json]")));
    }

    void everyImageGetsAJsonLine()
    {
        const Run run = cards({ QStringLiteral("--json"), cardImage, notAnImage });
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QJsonObject card = QJsonDocument::fromJson(lines.at(0).toUtf8()).object();
        QCOMPARE(card.value("file").toString(), QDir::toNativeSeparators(cardImage));
        QCOMPARE(card.value("source").toString(), QStringLiteral("ocr"));
        QVERIFY(card.value("ms").toInteger() > 0);
        const QJsonObject fields = card.value("fields").toObject();
        QCOMPARE(fields.value("FirstName").toString(), QStringLiteral("周"));
        QCOMPARE(fields.value("LastName").toString(), QStringLiteral("婷"));
        QCOMPARE(fields.value("Title").toString(), QStringLiteral("财务经理"));
        QCOMPARE(fields.value("CompanyName").toString(), QStringLiteral("杭州远山贸易有限公司"));
        QCOMPARE(fields.value("Email").toString(), QStringLiteral("zhouting@yuanshan.com"));
        QCOMPARE(fields.value("Notes").toString(), QString());
        QCOMPARE(
            card.value("numbers").toArray(),
            QJsonArray({ QJsonObject { { "label", "手机" }, { "number", "139 0571 2468" } } }));
        const QJsonObject nothing = QJsonDocument::fromJson(lines.at(1).toUtf8()).object();
        QCOMPARE(nothing.value("file").toString(), QDir::toNativeSeparators(notAnImage));
        QCOMPARE(nothing.value("fields").toObject().value("FirstName").toString(), QString());
        QCOMPARE(nothing.value("numbers").toArray(), QJsonArray());
        QVERIFY(run.err.contains(QDir::toNativeSeparators(notAnImage)));
    }

    void noReadableImageExitsOne()
    {
        const Run run = cards({ notAnImage, sandbox->path(QStringLiteral("missing.png")) });
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QString());
    }

    void addSavesOnceThenOffersAnUpdate()
    {
        const int before = contacts();
        // The same card twice in one batch adds the person once.
        const Run first
            = cards({ QStringLiteral("--data"), dataFile, QStringLiteral("--add"),
                      QStringLiteral("--group"), QStringLiteral("客户"), cardImage, cardImage });
        QCOMPARE(first.exitCode, 0);
        QVERIFY2(first.out.contains(QStringLiteral("已保存1个新联系人。")), qPrintable(first.out));
        QVERIFY(first.out.contains(QStringLiteral("“周 婷”已在数据文件中")));
        QCOMPARE(contacts(), before + 1);
        QCOMPARE(
            RawSql::rows(dataFile,
                         QStringLiteral("SELECT FirstName, LastName, Title, Type, CompanyName, "
                                        "Combo1, Data1, Email FROM Contacts "
                                        "WHERE FirstName = '周'")),
            QList<QVariantList>({ { "周", "婷", "财务经理", "客户", "杭州远山贸易有限公司", "手机",
                                    "139 0571 2468", "zhouting@yuanshan.com" } }));

        // The same card again: the person is in the file, so nothing new is written.
        const Run again
            = cards({ QStringLiteral("--data"), dataFile, QStringLiteral("--add"), cardImage });
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(again.out.contains(QStringLiteral("“周 婷”已在数据文件中")),
                 qPrintable(again.out));
        QVERIFY(again.out.contains(QStringLiteral("已保存0个新联系人。")));
        QCOMPARE(contacts(), before + 1);
    }
};

QTEST_MAIN(tst_ScanTool)
#include "tst_scantool.moc"
