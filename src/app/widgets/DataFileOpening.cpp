#include "DataFileOpening.h"

#include "app/AccountStore.h"
#include "data/DataFileCheck.h"
#include "data/DataFileChooser.h"
#include "data/FileFormat.h"
#include "data/GroupCounts.h"
#include "data/Schema.h"
#include "data/WriteGate.h"
#include "shared/AppVersion.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QApplication>
#include <QWidget>

namespace {

// The splash must not cover the message about the data file.
void closeSplash()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == QLatin1String("frmSplash"))
            window->close();
    }
}

} // namespace

namespace DataFileOpening {

std::unique_ptr<Database> openForLogin(QWidget *parent)
{
    auto opened = DataFileChooser::chooseAndOpen();
    if (!opened || opened.value().fellBack)
        closeSplash();
    if (!opened) {
        Prompts::current().message(parent, MessageIcon::Critical, AppVersion::productName(),
                                   QStringLiteral("无法打开默认数据文件，程序将退出。\n")
                                       + opened.message());
        return nullptr;
    }
    if (opened.value().fellBack) {
        Prompts::current().message(parent, MessageIcon::Exclamation, AppVersion::productName(),
                                   QStringLiteral("打开数据出错，将恢复使用默认数据库！\n")
                                       + opened.value().fallbackReason);
    }
    Database &database = *opened.value().database;
    if (database.gate().state() == WriteGate::State::Damaged) {
        closeSplash();
        Prompts::current().message(
            parent, MessageIcon::Exclamation, AppVersion::productName(),
            DataFileCheck::readOnlyNotice(database.path(), database.gate().damage()));
    } else if (database.isReadOnly()) {
        closeSplash();
        Prompts::current().message(parent, MessageIcon::Information, AppVersion::productName(),
                                   ReadOnlyFile::openingNotice());
    }
    // Once the file has passed its check (a large one's runs after the main window shows).
    database.gate().whenSound([&database] {
        // A file from an older program may still hold plain-text passwords; a read-only file
        // keeps them, and its logins still work.
        AccountStore(database).upgradePlainTextPasswords();
        // Best effort as well: without the indexes and the group counts the contact list is only
        // slower, and it counts by itself while they are wrong.
        Schema::addMissingIndexes(database);
        Schema::addMissingTriggers(database);
        GroupCounts::ensure(database);
        FileFormat::ensure(database);
    });
    return std::move(opened.value().database);
}

} // namespace DataFileOpening
