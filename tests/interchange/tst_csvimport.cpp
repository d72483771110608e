#include "FilledFields.h"
#include "SandboxedDataFile.h"
#include "interchange/CardFileReader.h"
#include "interchange/CardImport.h"
#include "interchange/CsvColumns.h"
#include "interchange/CsvWriter.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>

namespace {

// "[row] ADR;TYPE=home:;;1 Road;…": the whole form of a row value is marked "[row]".
QStringList described(const QList<CardExtra> &extras)
{
    QStringList lines;
    for (const CardExtra &extra : extras) {
        QString line = extra.replacesRowValue ? QStringLiteral("[row] ") : QString();
        line += extra.property;
        for (const auto &[name, value] : extra.parameters)
            line += u';' + name + u'=' + value;
        lines << line + u':' + extra.components.join(u';');
    }
    return lines;
}

QByteArray sample(const QString &name)
{
    QFile file(QStringLiteral(ZORVANE_SOURCE_DIR "/tests/interchange/csv/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Chinese Outlook writes its CSV in the system code page.
QByteArray gb18030(const QByteArray &utf8)
{
    QStringEncoder encode("GB18030");
    return encode.encode(QString::fromUtf8(utf8));
}

using Rows = QList<QStringList>;

} // namespace

class tst_CsvImport : public QObject, private SandboxedDataFile
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(openDataFile()); }
    void cleanup() { closeDataFile(); }

    void readsWhatExportersWrite_data();
    void readsWhatExportersWrite();
    void importCountsAPersonOnce_data();
    void importCountsAPersonOnce();
    void summaryListsRepeatedPeopleAndKeptColumns();
    void exportGuardsFormulasButNotPhoneNumbers_data();
    void exportGuardsFormulasButNotPhoneNumbers();
    void exportWritesTheThirdAddressLine();
};

void tst_CsvImport::readsWhatExportersWrite_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Rows>("extras");
    QTest::addColumn<QStringList>("keptColumns");
    QTest::addColumn<QStringList>("problems");

    QTest::newRow("Outlook, English; the second row has only a business address")
        << sample("outlook-en.csv")
        << Rows { { "FirstName=Smith", "LastName=John Q", "Title=Engineer", "Type=Friends",
                    "CompanyName=Acme R&D", "Address1=1 Main St Suite 5",
                    "Address2=Springfield IL USA", "Postcode=62701", "Data1=555-0101",
                    "Combo1=传真", "Data2=555-0102", "Combo2=办公电话", "Data3=555-0103",
                    "Combo3=家庭电话", "Data4=555-0104", "Combo4=手机", "Email=j@acme.com",
                    "Website=http://acme.com", "Notes=Met at, the fair" },
                  { "FirstName=Jones", "LastName=Mary", "Type=其他方面", "CompanyName=Globex",
                    "Address1=2 Park Ave", "Address2=Ogdenville", "Postcode=12345",
                    "Data1=555-0201", "Combo1=办公电话" } }
        << Rows { { "BDAY:1980-2-29", "X-ZORVANE-CSV;X-ZORVANE-LABEL=E-mail Type:SMTP",
                    "X-ZORVANE-CSV;X-ZORVANE-LABEL=E-mail Display Name:John Smith (j@acme.com)",
                    "NICKNAME:Johnny", "X-ZORVANE-CSV;X-ZORVANE-LABEL=Gender:Male",
                    "[row] N:Smith;John;Q;Mr.;Jr.", "[row] ORG:Acme;R&D", "CATEGORIES:Golf",
                    "TEL;TYPE=car;X-ZORVANE-LABEL=车载电话:555-0105", "TEL;TYPE=pager:555-0106",
                    "EMAIL:john@home.net", "EMAIL:js@third.org",
                    "[row] ADR;TYPE=work:;;1 Main St\nSuite 5;Springfield;IL;62701;USA",
                    "ADR;TYPE=home:;;9 Home Rd;Shelbyville;IL;62565;USA" },
                  { "X-ZORVANE-CSV;X-ZORVANE-LABEL=Gender:Unspecified" } }
        << QStringList { "Birthday",
                         "E-mail Type",
                         "E-mail Display Name",
                         "Nickname",
                         "Gender",
                         "Middle Name",
                         "Title",
                         "Suffix",
                         "Department",
                         "Categories",
                         "Car Phone",
                         "Pager",
                         "E-mail 2 Address",
                         "E-mail 3 Address",
                         "Business Street 2",
                         "Business State",
                         "Business Country/Region",
                         "Home Street",
                         "Home City",
                         "Home State",
                         "Home Postal Code",
                         "Home Country/Region" }
        << QStringList();
    QTest::newRow("Outlook, Chinese, in GB18030; only a home address")
        << gb18030(sample("outlook-zh.csv"))
        << Rows { { "FirstName=张", "LastName=三", "Title=经理", "Type=朋友",
                    "CompanyName=华信科技 研发部", "Address1=朝阳路1号",
                    "Address2=北京 北京市 中国", "Postcode=100020", "Data1=010-88886666",
                    "Combo1=办公电话", "Data2=13800138000", "Combo2=手机", "Email=zhang@huaxin.cn",
                    "Website=http://huaxin.cn", "Notes=老同学" } }
        << Rows { { "BDAY:1985-6-1", "[row] ORG:华信科技;研发部", "CATEGORIES:同学",
                    "EMAIL:zs@home.cn",
                    "[row] ADR;TYPE=home:;;朝阳路1号;北京;北京市;100020;中国" } }
        << QStringList { "生日",
                         "部门",
                         "类别",
                         "电子邮件 2 地址",
                         "住宅地址 省/市/自治区",
                         "住宅地址 国家/地区" }
        << QStringList();
    QTest::newRow("Google, current headers, ' ::: ' values, a line break in a cell")
        << sample("google-current.csv")
        << Rows { { "FirstName=欧阳", "LastName=娜娜", "Title=设计师", "Type=同事",
                    "CompanyName=蓝天公司", "Address1=天府大道1号", "Address2=成都 四川 中国",
                    "Postcode=610000", "Data1=138 0000 0001", "Combo1=手机", "Data2=139 0000 0002",
                    "Combo2=手机", "Data3=010-6666", "Combo3=工作室", "Email=nana@blue.cn",
                    "Website=https://blue.cn/nana" } }
        << Rows { { "NICKNAME:娜娜", "BDAY:--05-12", "PHOTO:https://lh3.googleusercontent.com/p/x",
                    "CATEGORIES:羽毛球", "[row] EMAIL;TYPE=work;TYPE=pref:nana@blue.cn",
                    "EMAIL;TYPE=home:nana@qq.com",
                    "[row] URL;X-ZORVANE-LABEL=Profile:https://blue.cn/nana",
                    "[row] ADR;TYPE=work;LABEL=天府大道1号\n成都 610000:;;天府大道1号;成都;四川;"
                    "610000;中国" } }
        << QStringList { "Nickname",
                         "Birthday",
                         "Photo",
                         "Labels",
                         "E-mail 2 - Value",
                         "Address 1 - Formatted",
                         "Address 1 - Region",
                         "Address 1 - Country" }
        << QStringList();
    QTest::newRow("Google, older headers: per-value types, the work address in the row")
        << sample("google-older.csv")
        << Rows { { "FirstName=Li", "LastName=Wei", "Title=Professor", "Type=其他方面",
                    "CompanyName=Uni", "Address1=7 Oak Ave", "Address2=Cambridge", "Data1=010-1",
                    "Combo1=传真", "Data2=010-2", "Combo2=传真", "Data3=0099", "Combo3=寻呼机",
                    "Data4=010-3", "Combo4=家庭电话", "Email=wei@li.org" } }
        << Rows { { "[row] N:Li;Wei;;Dr.;", "[row] FN:Dr. Wei Li", "TEL;TYPE=home;TYPE=voice:010-4",
                    "[row] EMAIL;TYPE=pref:wei@li.org",
                    "ADR;TYPE=home:;;5 Elm St;Boston;;02101;" } }
        << QStringList { "Name Prefix",      "Name",
                         "Phone 3 - Value",  "Address 1 - Street",
                         "Address 1 - City", "Address 1 - Postal Code" }
        << QStringList();
    QTest::newRow("a quote that never closes loses only the lines up to a whole record")
        << QByteArray("Name,Phone,Email\n"
                      "\n"
                      "张三,138,a@x.cn\n"
                      "李四,\"139,b@x.cn\n"
                      "more text\n"
                      "\n"
                      "王五,137,c@x.cn\n"
                      "赵六,\"136\n"
                      "end\n")
        << Rows { { "FirstName=张", "LastName=三", "Type=其他方面", "Data1=138", "Combo1=电话",
                    "Email=a@x.cn" },
                  { "FirstName=王", "LastName=五", "Type=其他方面", "Data1=137", "Combo1=电话",
                    "Email=c@x.cn" } }
        << Rows { {}, {} } << QStringList()
        << QStringList { "4:引号没有结束，这一行到第6行没有导入",
                         "8:引号没有结束，这一行到第9行没有导入" };
    QTest::newRow("a quoted line break that closes is no stray quote")
        << QByteArray("Name,Phone,Notes\r\n"
                      "张三,138,\"第一行\r\n王五,137,第二行\"\r\n"
                      "\r\n\r\n"
                      "李四,139,\r\n")
        << Rows { { "FirstName=张", "LastName=三", "Type=其他方面", "Data1=138", "Combo1=电话",
                    "Notes=第一行\n王五,137,第二行" },
                  { "FirstName=李", "LastName=四", "Type=其他方面", "Data1=139", "Combo1=电话" } }
        << Rows { {}, {} } << QStringList() << QStringList();
    QTest::newRow("our own export, guarded cells, a semicolon separator")
        << QByteArray("\xEF\xBB\xBF姓氏;名字;公司地址三;联系方式1的类别;联系方式1;附加信息\r\n"
                      "张;三;三楼;手机;+86 138 0013 8000;'=1+1\r\n"
                      "李;四;;传真;'-5;'@home\r\n")
        << Rows { { "FirstName=张", "LastName=三", "Type=其他方面", "Address3=三楼",
                    "Data1=+86 138 0013 8000", "Combo1=手机", "Notes==1+1" },
                  { "FirstName=李", "LastName=四", "Type=其他方面", "Data1=-5", "Combo1=传真",
                    "Notes=@home" } }
        << Rows { {}, {} } << QStringList() << QStringList();
}

void tst_CsvImport::readsWhatExportersWrite()
{
    QFETCH(QByteArray, file);
    QFETCH(Rows, rows);
    QFETCH(Rows, extras);
    QFETCH(QStringList, keptColumns);
    QFETCH(QStringList, problems);
    QVERIFY(!file.isEmpty());
    const auto read = CardFileReader::read(file);
    QVERIFY2(read.ok(), qPrintable(read.message()));
    QStringList reported;
    for (const ReadProblem &problem : read.value().problems)
        reported << QString::number(problem.line) + u':' + problem.reason;
    QCOMPARE(reported, problems);
    QCOMPARE(read.value().contacts.size(), rows.size());
    QCOMPARE(read.value().extras.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(filledFields(read.value().contacts.at(i)), rows.at(i));
        QCOMPARE(described(read.value().extras.at(i)), extras.at(i));
    }
    QCOMPARE(read.value().keptColumns, keptColumns);
}

void tst_CsvImport::importCountsAPersonOnce_data()
{
    QTest::addColumn<QStringList>("files");
    // Each contact's kind in file order: n new, s named like a contact of the data file,
    // r repeated within the import.
    QTest::addColumn<QString>("kinds");
    QTest::addColumn<QStringList>("written");

    QTest::newRow("twice in one file") << QStringList { "姓,名\n张,三\n李,四\nzhang,san\n张,三\n" }
                                       << "nnnr" << QStringList { "张 三", "李 四", "zhang san" };
    QTest::newRow("in two files") << QStringList { "姓,名\n张,三\n", "姓,名\n王,五\n张,三\n" }
                                  << "nnr" << QStringList { "张 三", "王 五" };
    QTest::newRow("letter case is no other person")
        << QStringList { "Last Name,First Name\nSmith,John\nSMITH,john\n" } << "nr"
        << QStringList { "Smith John" };
    QTest::newRow("already in the data file, twice in the file")
        << QStringList { "姓,名\n王,伟\n王,伟\n" } << "ss" << QStringList();
}

void tst_CsvImport::importCountsAPersonOnce()
{
    QFETCH(QStringList, files);
    QFETCH(QString, kinds);
    QFETCH(QStringList, written);
    QVERIFY(database->execute("INSERT INTO Contacts (FirstName, LastName) VALUES ('王', '伟')"));
    CardImport importer(*database);
    QList<CardImport::Plan> plans;
    QString planned;
    for (const QString &file : files) {
        const auto plan = importer.plan(CardFileReader::Source::inMemory(file.toUtf8()));
        QVERIFY2(plan.ok(), qPrintable(plan.message()));
        for (const CardImport::Kind kind : plan.value().kinds)
            planned += kind == CardImport::Kind::Fresh ? u'n'
                : kind == CardImport::Kind::SameName   ? u's'
                                                       : u'r';
        plans << plan.value();
    }
    QCOMPARE(planned, kinds);
    const qint64 last = database->scalar("SELECT MAX(ID) FROM Contacts").value().toLongLong();
    QCOMPARE(importer.write(plans, CardImport::Choice::NewOnly).value(), written.size());
    const auto rows = database->records("SELECT FirstName || ' ' || LastName FROM Contacts "
                                        "WHERE ID > ? ORDER BY ID",
                                        { last });
    QStringList names;
    for (const QSqlRecord &row : rows.value())
        names << row.value(0).toString();
    QCOMPARE(names, written);
}

void tst_CsvImport::summaryListsRepeatedPeopleAndKeptColumns()
{
    QVERIFY(database->execute("INSERT INTO Contacts (FirstName, LastName) VALUES ('王', '伟')"));
    const auto plan = CardImport(*database).plan(CardFileReader::Source::inMemory(
        "姓,名,生日,昵称\n张,三,1990-1-1,\n张,三,,小张\n王,伟,,\n"));
    QVERIFY(plan.ok());
    QCOMPARE(plan.value().summary(),
             QStringLiteral("新联系人：1个\n与已有联系人同名：1个\n在导入的文件中重复：1个\n"
                            "无法读取：0处\n另存在名片中的列：生日、昵称"));
}

void tst_CsvImport::exportGuardsFormulasButNotPhoneNumbers_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("written");

    QTest::newRow("formula") << "=SUM(A1)"
                             << "'=SUM(A1)";
    QTest::newRow("command") << "+cmd|' /C calc'!A0"
                             << "'+cmd|' /C calc'!A0";
    QTest::newRow("minus") << "-5"
                           << "'-5";
    QTest::newRow("at") << "@handle"
                        << "'@handle";
    QTest::newRow("tab") << "\tx"
                         << "'\tx";
    QTest::newRow("carriage return") << "\rx"
                                     << "'\rx";
    QTest::newRow("short sum") << "+1-1"
                               << "'+1-1";
    QTest::newRow("international number") << "+86 138 0013 8000"
                                          << "+86 138 0013 8000";
    QTest::newRow("number with area code") << "+86 (10) 6666-8888"
                                           << "+86 (10) 6666-8888";
    QTest::newRow("local number") << "010-1234"
                                  << "010-1234";
    QTest::newRow("apostrophe of its own") << "'quoted"
                                           << "'quoted";
}

void tst_CsvImport::exportGuardsFormulasButNotPhoneNumbers()
{
    QFETCH(QString, cell);
    QFETCH(QString, written);
    QCOMPARE(CsvWriter::guarded(cell), written);
    QCOMPARE(CsvWriter::unguarded(written), cell);
}

void tst_CsvImport::exportWritesTheThirdAddressLine()
{
    ContactRecord c;
    c.firstName = QStringLiteral("张");
    c.lastName = QStringLiteral("三");
    c.address3 = QStringLiteral("三楼");
    const QStringList captions = CsvColumns::captions();
    const QStringList fields = CsvColumns::fieldsOf(c);
    QCOMPARE(fields.value(captions.indexOf(QStringLiteral("公司地址三"))), QStringLiteral("三楼"));
}

QTEST_GUILESS_MAIN(tst_CsvImport)
#include "tst_csvimport.moc"
