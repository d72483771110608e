#include "ScanTool.h"

#include "CardScanner.h"
#include "ScannedContact.h"
#include "data/DataFileChooser.h"
#include "data/Database.h"
#include "shared/AppSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using ScanTool::ExitCode;

const char *helpText
    = "用法 / Usage:\n"
      "  zorvane-cards scan [--json] [--data 文件 --add [--group 分组]] 图片...\n"
      "\n"
      "读取名片图片（PNG、JPEG、TIFF、BMP；扫描件或手机照片）：先读二维码，再识别印刷的文字。\n"
      "Reads business-card images: a QR code's contact first, then the printed text.\n"
      "--json   每张图片输出一行JSON / one JSON object per image and line\n"
      "--add    "
      "把读出的名片作为新联系人保存（一次事务）；已有的人（相同号码或邮箱且同名）只报告。\n"
      "         Saves the cards as new contacts in one transaction; a person already in the\n"
      "         file (same number or e-mail and the same name) is reported, not added again.\n"
      "--group  新联系人的关系类别，默认\"其他方面\" / the new contacts' group\n"
      "--data   数据文件 / the data file\n"
      "\n"
      "退出码 / Exit status: 0 完成 done, 1 没有能读取的图片或无法保存 no image could be read\n"
      "        or saving failed, 2 用法错误 usage error.\n";

void print(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

struct Options
{
    QStringList images;
    QString dataFile;
    QString group;
    bool json = false;
    bool add = false;
    bool help = false;
};

bool parse(const QStringList &arguments, Options &options, QString &problem)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--help" || argument == u"-h") {
            options.help = true;
            return true;
        }
        if (argument == u"--data" || argument == u"--group") {
            if (i + 1 == arguments.size()) {
                problem = argument + QStringLiteral(" 缺少值 / needs a value");
                return false;
            }
            (argument == u"--data" ? options.dataFile : options.group) = arguments.at(++i);
        } else if (argument == u"--json") {
            options.json = true;
        } else if (argument == u"--add") {
            options.add = true;
        } else if (argument.startsWith(u'-')) {
            problem = QStringLiteral("未知选项 / unknown option: ") + argument;
            return false;
        } else {
            options.images << argument;
        }
    }
    if (options.images.isEmpty())
        problem = QStringLiteral("scan 需要图片文件 / scan needs image files");
    else if (!options.add && (!options.dataFile.isEmpty() || !options.group.isEmpty()))
        problem = QStringLiteral("--data 和 --group 只与 --add 一起使用 / "
                                 "--data and --group go with --add");
    return problem.isEmpty();
}

QJsonObject jsonOf(const QString &file, const ScanResult &scan, qint64 ms)
{
    const QJsonObject fields {
        { QStringLiteral("FirstName"), scan.familyName.text },
        { QStringLiteral("LastName"), scan.givenName.text },
        { QStringLiteral("Title"), scan.title.text },
        { QStringLiteral("CompanyName"), scan.companyName.text },
        { QStringLiteral("Address1"), scan.address1.text },
        { QStringLiteral("Address2"), scan.address2.text },
        { QStringLiteral("Postcode"), scan.postcode.text },
        { QStringLiteral("Email"), scan.email.text },
        { QStringLiteral("Website"), scan.website.text },
        { QStringLiteral("Notes"), ScannedContact::notes(scan) },
    };
    QJsonArray numbers;
    for (const ScannedNumber &number : scan.numbers)
        numbers.append(QJsonObject { { QStringLiteral("label"), number.label },
                                     { QStringLiteral("number"), number.number.text } });
    return { { QStringLiteral("file"), file },
             { QStringLiteral("source"),
               scan.source == ScanResult::Source::Qr ? QStringLiteral("qr")
                                                     : QStringLiteral("ocr") },
             { QStringLiteral("ms"), ms },
             { QStringLiteral("fields"), fields },
             { QStringLiteral("numbers"), numbers } };
}

QString textOf(const QString &file, const ScanResult &scan, qint64 ms)
{
    QStringList lines { QStringLiteral("%1（%2，%3毫秒）")
                            .arg(file,
                                 scan.source == ScanResult::Source::Qr ? QStringLiteral("二维码")
                                                                       : QStringLiteral("文字识别"))
                            .arg(ms) };
    const auto add = [&lines](const QString &caption, const QString &value) {
        if (!value.isEmpty())
            lines << QStringLiteral("  ") + caption + value;
    };
    add(QStringLiteral("姓氏："), scan.familyName.text);
    add(QStringLiteral("名字："), scan.givenName.text);
    add(QStringLiteral("职务："), scan.title.text);
    add(QStringLiteral("公司名称："), scan.companyName.text);
    add(QStringLiteral("公司地址："), scan.address1.text + scan.address2.text);
    add(QStringLiteral("邮编："), scan.postcode.text);
    for (const ScannedNumber &number : scan.numbers)
        add(number.label + QStringLiteral("："), number.number.text);
    add(QStringLiteral("电子邮件："), scan.email.text);
    add(QStringLiteral("主页地址："), scan.website.text);
    add(QStringLiteral("备注："),
        ScannedContact::notes(scan).replace(u'\n', QStringLiteral(" / ")));
    return lines.join(u'\n') + u'\n';
}

QString dataFileOf(const Options &options)
{
    if (!options.dataFile.isEmpty())
        return options.dataFile;
    const QString chosen = AppSettings::databasePath().trimmed();
    return chosen.isEmpty() ? DataFileChooser::defaultPath() : chosen;
}

int save(const Options &options, const QList<ContactRecord> &contacts, const QList<Card> &cards,
         QIODevice &out, QIODevice &err)
{
    auto database = Database::open(dataFileOf(options));
    if (!database) {
        print(err, database.message() + u'\n');
        return ExitCode::Unreadable;
    }
    const auto saved = ScannedContact::addNew(*database.value(), contacts, cards);
    if (!saved) {
        print(err, saved.message() + u'\n');
        return ExitCode::Unreadable;
    }
    // With --json the results stay one JSON object a line; the report goes to err.
    QIODevice &report = options.json ? err : out;
    for (const auto &[card, match] : saved.value().updates)
        print(report,
              QStringLiteral("“%1”已在数据文件中（ID %2），可作为更新，未新增。\n")
                  .arg(match.displayName)
                  .arg(match.id));
    if (!saved.value().nameless.isEmpty())
        print(
            report,
            QStringLiteral("%1张名片没有读出姓名，未保存。\n").arg(saved.value().nameless.size()));
    print(report, QStringLiteral("已保存%1个新联系人。\n").arg(saved.value().added.size()));
    return ExitCode::Done;
}

} // namespace

namespace ScanTool {

int run(const QStringList &arguments, QIODevice &out, QIODevice &err)
{
    Options options;
    QString problem;
    if (!parse(arguments, options, problem)) {
        print(err, problem + QStringLiteral("\n\n") + QString::fromUtf8(helpText));
        return UsageError;
    }
    if (options.help) {
        print(out, QString::fromUtf8(helpText));
        return Done;
    }
    auto scanner = CardScanner::create();
    if (!scanner) {
        print(err, scanner.message() + u'\n');
        return Unreadable;
    }
    int read = 0;
    QList<ContactRecord> contacts;
    QList<Card> cards;
    for (const QString &image : std::as_const(options.images)) {
        const QString file = QDir::toNativeSeparators(image);
        QElapsedTimer timer;
        timer.start();
        const auto scan = scanner.value()->scanFile(image);
        const qint64 ms = timer.elapsed();
        if (!scan) {
            print(err, file + QStringLiteral("：") + scan.message() + u'\n');
            if (options.json)
                print(out,
                      QString::fromUtf8(QJsonDocument(jsonOf(file, ScanResult(), ms))
                                            .toJson(QJsonDocument::Compact))
                          + u'\n');
            continue;
        }
        ++read;
        contacts << ScannedContact::toContact(scan.value(), options.group);
        cards << ScannedContact::toCard(scan.value(), contacts.last());
        print(
            out,
            options.json
                ? QString::fromUtf8(
                      QJsonDocument(jsonOf(file, scan.value(), ms)).toJson(QJsonDocument::Compact))
                    + u'\n'
                : textOf(file, scan.value(), ms));
    }
    if (read == 0)
        return Unreadable;
    return options.add ? save(options, contacts, cards, out, err) : Done;
}

} // namespace ScanTool
