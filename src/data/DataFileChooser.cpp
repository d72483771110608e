#include "DataFileChooser.h"

#include "DataFileCommands.h"
#include "DataFileFactory.h"
#include "shared/AppEnvironment.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool samePath(const QString &a, const QString &b)
{
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
        == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

// The default file starts as a copy of the shipped template, or is written afresh without one;
// an installed program makes its data folder first.
Status createDefault(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Status::failure(
            QStringLiteral("无法创建数据文件夹“%1”。").arg(QDir::toNativeSeparators(folder)));
    const QString templatePath
        = AppEnvironment::current().shippedFile(DataFileFactory::templateFileName());
    if (QFileInfo::exists(templatePath))
        return DataFileCommands::createFromTemplate(path, QString());
    return DataFileFactory::createDataFile(path);
}

} // namespace

namespace DataFileChooser {

QString defaultPath()
{
    return AppEnvironment::current().dataFile(DataFileFactory::defaultDataFileName());
}

Result<std::unique_ptr<Database>> openOrCreateDefault(const QString &path)
{
    if (samePath(path, defaultPath()) && !QFileInfo::exists(path)) {
        if (Status created = createDefault(path); !created)
            return created;
    }
    // A damaged file still shows what it holds; nothing is written to it.
    return Database::open(path, Database::Damaged::OpenReadOnly);
}

Result<OpenedDataFile> chooseAndOpen()
{
    OpenedDataFile opened;
    opened.path = AppSettings::databasePath();
    if (opened.path.trimmed().isEmpty())
        opened.path = defaultPath();

    auto first = openOrCreateDefault(opened.path);
    if (first) {
        opened.database = first.takeValue();
    } else if (samePath(opened.path, defaultPath())) {
        // The default file itself is damaged: there is nothing to fall back to.
        return first.status();
    } else {
        opened.fellBack = true;
        opened.fallbackReason = first.message();
        opened.path = defaultPath();
        AppSettings::setDatabasePath(opened.path);
        auto fallback = openOrCreateDefault(opened.path);
        if (!fallback)
            return fallback.status();
        opened.database = fallback.takeValue();
    }
    AppState::instance().dbPath = opened.path;
    return opened;
}

} // namespace DataFileChooser
