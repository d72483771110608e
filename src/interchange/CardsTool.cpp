#include "CardsTool.h"

#include "CardExport.h"
#include "CardImport.h"
#include "data/DataFileChooser.h"
#include "data/Database.h"
#include "shared/AppSettings.h"

#include <QDir>
#include <QHash>
#include <QIODevice>

namespace {

using CardsTool::ExitCode;

const char *helpText
    = "用法 / Usage:\n"
      "  zorvane-cards import [--data 文件] [--new-only | --all | --merge] 输入文件...\n"
      "  zorvane-cards export [--data 文件] --format vcard3|vcard4|vcard21|csv|csv-gb18030\n"
      "                       [--group 分组] [--output 文件]\n"
      "  zorvane-cards sync   [--data 文件] [--server 地址 --user 用户名 [--addressbook 地址]]\n"
      "                       [--password-stdin]\n"
      "  zorvane-cards scan   [--json] [--data 文件 --add [--group 分组]] 图片...\n"
      "\n"
      "import  把vCard(.vcf)或CSV名片文件中的联系人导入数据文件。先列出新联系人、与已有联系人\n"
      "        同名的联系人和无法读取的行；--new-only（默认）只导入新联系人，--all 全部导入，\n"
      "        --merge 导入新联系人并把同名的合并到已有联系人。\n"
      "        所有联系人在一次事务中写入：出错时数据文件保持不变。\n"
      "        Imports the contacts of vCard or CSV files. Prints how many are new, how many "
      "share\n"
      "        a name with a contact in the data file and which lines could not be read; imports\n"
      "        the new ones only (--new-only, the default), all (--all), or the new ones with\n"
      "        each same-named one merged into the existing contact (--merge), in one "
      "transaction.\n"
      "export  把联系人导出为vCard 3.0、4.0、2.1或CSV（UTF-8带BOM，或GB18030）；--group "
      "只导出一个\n"
      "        分组；没有 --output 时写到标准输出。\n"
      "        Exports all contacts (or one group) as vCard or CSV, to FILE or standard output.\n"
      "\n"
      "sync    与CardDAV通讯录双向同步（zorvane-cards sync --help）。\n"
      "        Syncs with a CardDAV address book, both ways.\n"
      "scan    读取名片图片（zorvane-cards scan --help）。\n"
      "        Reads business-card images.\n"
      "--data  数据文件；默认为程序使用的数据文件（设置\"DatabasePath\"，否则默认数据文件）。\n"
      "        The data file; by default the one the program would open.\n"
      "\n"
      "退出码 / Exit status: 0 完成 done, 1 输入被拒绝、没有写入 refused and nothing written,\n"
      "        2 用法错误 usage error.\n";

void print(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

struct Options
{
    QString command;
    QString dataFile;
    QStringList inputs;
    QString format;
    QString group;
    QString output;
    bool all = false;
    bool newOnly = false;
    bool merge = false;
    bool help = false;
};

// False, with the reason, for arguments that do not make a command.
bool parse(const QStringList &arguments, Options &options, QString &problem)
{
    const QStringList valued { QStringLiteral("--data"), QStringLiteral("--format"),
                               QStringLiteral("--group"), QStringLiteral("--output") };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--help" || argument == u"-h") {
            options.help = true;
            return true;
        }
        if (valued.contains(argument)) {
            if (i + 1 == arguments.size()) {
                problem = argument + QStringLiteral(" 缺少值 / needs a value");
                return false;
            }
            const QString &value = arguments.at(++i);
            if (argument == u"--data")
                options.dataFile = value;
            else if (argument == u"--format")
                options.format = value;
            else if (argument == u"--group")
                options.group = value;
            else
                options.output = value;
        } else if (argument == u"--all") {
            options.all = true;
        } else if (argument == u"--new-only") {
            options.newOnly = true;
        } else if (argument == u"--merge") {
            options.merge = true;
        } else if (argument.startsWith(u'-') && argument != u"-") {
            problem = QStringLiteral("未知选项 / unknown option: ") + argument;
            return false;
        } else if (options.command.isEmpty()) {
            options.command = argument;
        } else {
            options.inputs << argument;
        }
    }
    const bool importing = options.command == u"import";
    const bool exporting = options.command == u"export";
    if (!importing && !exporting)
        problem = QStringLiteral("需要 import 或 export / expected import or export");
    else if (importing
             && (options.inputs.isEmpty()
                 || int(options.all) + options.newOnly + options.merge > 1))
        problem
            = QStringLiteral("import 需要输入文件，且 --new-only、--all 与 --merge 只能选一个 / "
                             "import needs input files and at most one of --new-only, --all, "
                             "--merge");
    else if (exporting && (!options.inputs.isEmpty() || options.format.isEmpty()))
        problem = QStringLiteral("export 需要 --format，且不接受输入文件 / "
                                 "export needs --format and takes no input files");
    return problem.isEmpty();
}

QString dataFileOf(const Options &options)
{
    if (!options.dataFile.isEmpty())
        return options.dataFile;
    const QString chosen = AppSettings::databasePath().trimmed();
    return chosen.isEmpty() ? DataFileChooser::defaultPath() : chosen;
}

int runImport(const Options &options, Database &database, QIODevice &out, QIODevice &err)
{
    CardImport importer(database);
    QList<CardImport::Plan> plans;
    // Every input is read before anything is written: one refused file refuses them all.
    for (const QString &input : options.inputs) {
        auto plan = importer.plan(CardFileReader::Source::file(input));
        if (!plan) {
            print(err,
                  QDir::toNativeSeparators(input) + QStringLiteral("：") + plan.message() + u'\n');
            return ExitCode::Refused;
        }
        print(out,
              QDir::toNativeSeparators(input) + QStringLiteral("\n") + plan.value().summary()
                  + u'\n');
        plans << plan.takeValue();
    }
    const auto choice = options.all ? CardImport::Choice::All
        : options.merge             ? CardImport::Choice::Merge
                                    : CardImport::Choice::NewOnly;
    const auto written = importer.write(plans, choice);
    if (!written) {
        print(err, written.message() + u'\n');
        return ExitCode::Refused;
    }
    print(out, QStringLiteral("已导入%1个联系人。\n").arg(written.value()));
    return ExitCode::Done;
}

int runExport(const Options &options, Database &database, QIODevice &out, QIODevice &err)
{
    static const QHash<QString, CardFormat> formats {
        { QStringLiteral("vcard3"), CardFormat::VCard30 },
        { QStringLiteral("vcard4"), CardFormat::VCard40 },
        { QStringLiteral("vcard21"), CardFormat::VCard21 },
        { QStringLiteral("csv"), CardFormat::CsvUtf8 },
        { QStringLiteral("csv-gb18030"), CardFormat::CsvGb18030 },
    };
    if (!formats.contains(options.format)) {
        print(err, QStringLiteral("未知格式 / unknown format: ") + options.format + u'\n');
        return ExitCode::UsageError;
    }
    CardExport::Scope scope;
    if (!options.group.isEmpty())
        scope = { CardExport::Scope::Kind::Group, options.group, {} };
    CardExport exporter(database, scope, formats.value(options.format));
    const auto written
        = options.output.isEmpty() ? exporter.writeTo(out) : exporter.writeFile(options.output);
    if (!written) {
        print(err, written.message() + u'\n');
        return ExitCode::Refused;
    }
    if (!options.output.isEmpty())
        print(out, QStringLiteral("已导出%1个联系人。\n").arg(written.value()));
    return ExitCode::Done;
}

} // namespace

namespace CardsTool {

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
    auto database = Database::open(dataFileOf(options));
    if (!database) {
        print(err, database.message() + u'\n');
        return Refused;
    }
    return options.command == u"import" ? runImport(options, *database.value(), out, err)
                                        : runExport(options, *database.value(), out, err);
}

} // namespace CardsTool
