#include "SyncTool.h"

#include "AddressBookDiscovery.h"
#include "CardDavSync.h"
#include "SecretStore.h"
#include "SyncAccount.h"
#include "data/DataFileChooser.h"
#include "data/Database.h"
#include "interchange/CardsTool.h"
#include "shared/AppSettings.h"

#include <QEventLoop>
#include <QIODevice>

namespace {

using CardsTool::ExitCode;

const char *helpText
    = "用法 / Usage:\n"
      "  zorvane-cards sync [--data 文件] [--server 地址 --user 用户名 [--addressbook 地址]]\n"
      "                     [--password-stdin] [--relink] [--allow-deletions]\n"
      "\n"
      "把数据文件与CardDAV通讯录双向同步。给出的服务器、用户名和通讯录会记住，下次不必再给；\n"
      "没有给出通讯录时使用服务器上找到的第一个。密码从密码存储读取，--password-stdin 时从\n"
      "标准输入读取一行。联系人已与另一个通讯录对应时，只有给出 --relink 才改与这个通讯录同步；\n"
      "一次同步要删除十个以上且超过一方五分之一的联系人时，只有给出 --allow-deletions 才删除。\n"
      "Syncs the data file with a CardDAV address book, both ways. A given server, user and\n"
      "address book are remembered; without an address book the first one found is used. The\n"
      "password comes from the secret store, or from one line of standard input. Contacts linked\n"
      "with another address book are linked anew only with --relink; a sync that would delete\n"
      "more than ten contacts and over a fifth of one side does so only with --allow-deletions.\n";

struct Options
{
    QString dataFile;
    QString server;
    QString user;
    QString addressBook;
    bool passwordFromInput = false;
    SyncPermissions permissions;
    bool help = false;
};

void print(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

bool parse(const QStringList &arguments, Options &options, QString &problem)
{
    const QHash<QString, QString Options::*> valued {
        { QStringLiteral("--data"), &Options::dataFile },
        { QStringLiteral("--server"), &Options::server },
        { QStringLiteral("--user"), &Options::user },
        { QStringLiteral("--addressbook"), &Options::addressBook },
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--help" || argument == u"-h") {
            options.help = true;
        } else if (argument == u"--password-stdin") {
            options.passwordFromInput = true;
        } else if (argument == u"--relink") {
            options.permissions.relink = true;
        } else if (argument == u"--allow-deletions") {
            options.permissions.massDeletion = true;
        } else if (valued.contains(argument) && i + 1 < arguments.size()) {
            options.*valued.value(argument) = arguments.at(++i);
        } else {
            problem = valued.contains(argument)
                ? argument + QStringLiteral(" 缺少值 / needs a value")
                : QStringLiteral("未知参数 / unknown argument: ") + argument;
            return false;
        }
    }
    if (options.server.isEmpty() != options.user.isEmpty()
        || (!options.addressBook.isEmpty() && options.server.isEmpty()))
        problem = QStringLiteral("--server 与 --user 要一起给出，--addressbook 需要它们 / "
                                 "--server and --user go together; --addressbook needs them");
    return problem.isEmpty();
}

// The stored account, with what the arguments name instead.
SyncAccount accountOf(const Options &options)
{
    SyncAccount account = SyncAccount::load();
    if (options.server.isEmpty())
        return account;
    const QUrl server(options.server);
    if (canonicalAddress(server) != canonicalAddress(account.server)
        || options.user != account.user)
        account.addressBook.clear();
    account.server = server;
    account.user = options.user;
    if (!options.addressBook.isEmpty())
        account.addressBook = canonicalAddress(account.server.resolved(QUrl(options.addressBook)));
    return account;
}

Result<QString> passwordOf(const Options &options, const SyncAccount &account, QIODevice &in)
{
    if (!options.passwordFromInput)
        return SecretStore::current().password(account);
    QByteArray line = in.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

Result<QUrl> firstAddressBook(const SyncAccount &account, const QString &password)
{
    AddressBookDiscovery discovery;
    Result<QList<AddressBookInfo>> found = Status::failure(QString());
    QEventLoop loop;
    QObject::connect(&discovery, &AddressBookDiscovery::finished, &loop,
                     [&](const Result<QList<AddressBookInfo>> &books) {
                         found = books;
                         loop.quit();
                     });
    discovery.discover(account.server, account.user, password);
    loop.exec();
    if (!found)
        return found.status();
    return found.value().first().url;
}

QString summary(const SyncReport &report)
{
    return QStringLiteral(
               "同步完成：上传%1个，下载%2个，合并%3个，本机删除%4个，服务器删除%5个。\n")
        .arg(report.uploaded)
        .arg(report.downloaded)
        .arg(report.merged)
        .arg(report.deletedHere)
        .arg(report.deletedThere);
}

// Why a sync stopped to ask, and the option that answers yes.
QString question(const SyncReport &report)
{
    if (report.question == SyncReport::Question::Relink)
        return QStringLiteral("数据文件的联系人已与通讯录 %1 对应，没有同步。要改与 %2 同步，"
                              "请加 --relink（已有的对应关系将作废）。")
            .arg(report.linkedAddressBook.toDisplayString());
    return QStringLiteral("这次同步将删除本机%1个联系人中的%2个、服务器%3张名片中的%4张，已在删除前"
                          "停止。确需删除，请加 --allow-deletions。")
        .arg(report.contactsHere)
        .arg(report.wouldDeleteHere)
        .arg(report.cardsThere)
        .arg(report.wouldDeleteThere);
}

// What the user may want to look at after the sync.
QString leftAlone(const SyncReport &report)
{
    QString text;
    if (!report.unreadable.isEmpty())
        text += QStringLiteral("无法读取、已跳过的名片：%1\n")
                    .arg(report.unreadable.join(QStringLiteral("，")));
    if (!report.ambiguous.isEmpty())
        text += QStringLiteral("本机有多个可能对应的联系人、没有自动对应的名片：%1\n")
                    .arg(report.ambiguous.join(QStringLiteral("，")));
    return text;
}

QString dataFileOf(const Options &options)
{
    if (!options.dataFile.isEmpty())
        return options.dataFile;
    const QString chosen = AppSettings::databasePath().trimmed();
    return chosen.isEmpty() ? DataFileChooser::defaultPath() : chosen;
}

int refuse(QIODevice &err, const QString &message)
{
    print(err, message + u'\n');
    return ExitCode::Refused;
}

} // namespace

namespace SyncTool {

int run(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err)
{
    Options options;
    QString problem;
    if (!parse(arguments, options, problem)) {
        print(err, problem + QStringLiteral("\n\n") + QString::fromUtf8(helpText));
        return ExitCode::UsageError;
    }
    if (options.help) {
        print(out, QString::fromUtf8(helpText));
        return ExitCode::Done;
    }
    SyncAccount account = accountOf(options);
    if (account.server.isEmpty() || account.user.isEmpty())
        return refuse(err, QStringLiteral("还没有设置同步服务器：请给出 --server 和 --user。"));
    if (Status address = checkServerAddress(account.server); !address)
        return refuse(err, address.message());
    const auto password = passwordOf(options, account, in);
    if (!password)
        return refuse(err,
                      password.message() + QStringLiteral("（可用 --password-stdin 给出密码）"));
    auto database = Database::open(dataFileOf(options));
    if (!database)
        return refuse(err, database.message());
    if (account.addressBook.isEmpty()) {
        const auto found = firstAddressBook(account, password.value());
        if (!found)
            return refuse(err, found.message());
        account.addressBook = found.value();
    }
    const auto report
        = CardDavSync(*database.value()).run(account, password.value(), options.permissions);
    // A mistyped address book is not remembered over the linked one.
    if (report && report.value().question == SyncReport::Question::Relink)
        return refuse(err, question(report.value()).arg(account.addressBook.toDisplayString()));
    account.save();
    if (!report)
        return refuse(err, report.message());
    if (report.value().question != SyncReport::Question::None)
        return refuse(err, question(report.value()));
    print(out, summary(report.value()) + leftAlone(report.value()));
    return ExitCode::Done;
}

} // namespace SyncTool
