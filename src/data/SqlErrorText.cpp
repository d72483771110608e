#include "SqlErrorText.h"

#include <QSqlError>

namespace {

// SQLite's primary result codes (the low byte of an extended code).
enum SqliteCode {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoError = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    Constraint = 19,
    NotADatabase = 26,
};

QString explain(int primaryCode)
{
    switch (primaryCode) {
    case Busy:
    case Locked:
        return QStringLiteral("数据文件正被另一个程序使用，请稍后再试。");
    case ReadOnly:
        return QStringLiteral("数据文件是只读的，无法保存修改。");
    case Full:
        return QStringLiteral("磁盘已满或数据文件已达到大小上限，无法保存修改。");
    case IoError:
    case CantOpen:
        return QStringLiteral("读写数据文件时出错。");
    case Corrupt:
    case NotADatabase:
        return QStringLiteral("数据文件已损坏。");
    case Constraint:
        return QStringLiteral("输入的内容过长或不符合要求，无法保存。");
    default:
        return QStringLiteral("数据库操作失败。");
    }
}

} // namespace

namespace SqlErrorText {

QString describe(const QSqlError &error)
{
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const QString detail = error.text().trimmed();
    const QString summary = explain(numeric ? (code & 0xff) : 0);
    return detail.isEmpty() ? summary
                            : summary + QStringLiteral("\n（") + detail + QStringLiteral("）");
}

} // namespace SqlErrorText
