#include "DataFileCommands.h"

#include "DataFileCheck.h"
#include "DataFileFactory.h"
#include "Database.h"
#include "WriteGate.h"
#include "shared/AppEnvironment.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"
#include "shared/FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <sqlite3.h>

namespace {

// How long the back-up waits for another program to finish writing the file.
constexpr int busyRetries = 50;
constexpr int busyPauseMs = 100;

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(path), reason);
}

int runBackup(sqlite3 *source, sqlite3 *target)
{
    sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        return sqlite3_errcode(target);
    int result = SQLITE_OK;
    for (int attempt = 0; attempt < busyRetries; ++attempt) {
        result = sqlite3_backup_step(backup, -1);
        if (result != SQLITE_BUSY && result != SQLITE_LOCKED)
            break;
        sqlite3_sleep(busyPauseMs);
    }
    const int finished = sqlite3_backup_finish(backup);
    return result == SQLITE_DONE ? finished : result;
}

Status copyDatabase(Database &current, const QString &scratch)
{
    sqlite3 *source = current.sqliteHandle();
    if (!source)
        return Status::failure(QStringLiteral("无法访问SQLite连接。"));
    sqlite3 *target = nullptr;
    int result = sqlite3_open_v2(QFile::encodeName(scratch).constData(), &target,
                                 SQLITE_OPEN_READWRITE, nullptr);
    if (result == SQLITE_OK)
        result = runBackup(source, target);
    sqlite3_close(target);
    if (result != SQLITE_OK)
        return Status::failure(QString::fromUtf8(sqlite3_errstr(result)));
    // The copy must open as a data file and pass SQLite's full check before it replaces
    // anything: a copy of a damaged file is no back-up.
    auto copy = Database::open(scratch, Database::Damaged::OpenReadOnly);
    if (!copy)
        return copy.status();
    const auto checked = WriteGate::check(copy.value()->sqliteHandle(), "integrity_check");
    if (!checked)
        return checked.status();
    if (!checked.value().isEmpty())
        return Status::failure(QStringLiteral("数据文件已损坏，副本未通过完整性检查：\n")
                               + checked.value());
    return Status::success();
}

} // namespace

namespace DataFileCommands {

QString fileFilter()
{
    return QStringLiteral("Zorvane数据文件(*.cot)");
}

bool isSameFile(const QString &a, const QString &b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

Status createFromTemplate(const QString &target, const QString &currentFile)
{
    const QString templatePath
        = AppEnvironment::current().shippedFile(DataFileFactory::templateFileName());
    if (!FileUtil::fileExists(templatePath))
        return Status::failure(QStringLiteral("找不到数据库模板文件“%1”，无法创建新的数据库。")
                                   .arg(QDir::toNativeSeparators(templatePath)));
    if (Status sound = DataFileCheck::checkFile(templatePath); !sound)
        return Status::failure(QStringLiteral("数据库模板文件不能使用，无法创建新的数据库。\n")
                               + sound.message());
    if (isSameFile(target, currentFile))
        return Status::failure(
            QStringLiteral("不能用新的数据库替换当前正在使用的数据库文件，请另选一个文件名！"));

    return FileUtil::copyOver(templatePath, target);
}

Status backUp(Database &current, const QString &target)
{
    if (isSameFile(target, current.path()))
        return Status::failure(
            QStringLiteral("不能把备份保存在当前正在使用的数据库文件上，请另选一个文件名！"));
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return Status::failure(cannotWrite(target, QStringLiteral("这是一个文件夹")));
    QTemporaryFile scratch(info.absolutePath() + QStringLiteral("/.zorvane-backup"));
    if (!scratch.open())
        return Status::failure(cannotWrite(target, scratch.errorString()));
    scratch.close();
    if (Status copied = copyDatabase(current, scratch.fileName()); !copied)
        return Status::failure(QStringLiteral("备份数据库文件失败：") + copied.message());
    return FileUtil::copyOver(scratch.fileName(), info.absoluteFilePath());
}

void choose(const QString &path)
{
    AppState::instance().dbPath = path;
    AppSettings::setDatabasePath(path);
}

} // namespace DataFileCommands
