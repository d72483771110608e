#include "DataFileMenu.h"

#include "data/DataFileChooser.h"
#include "data/DataFileCommands.h"
#include "frmMain.h"
#include "shared/widgets/Prompts.h"

namespace {

// The chosen path, or an empty text when the dialog was cancelled or left empty.
QString askForSaveName(frmMain &main, const QString &presetName)
{
    const QString path = Prompts::current().saveFileName(
        &main, FileDialogSetup { DataFileCommands::fileFilter(), presetName, true });
    return path.trimmed().isEmpty() ? QString() : path;
}

void reportFailure(frmMain &main, const Status &status)
{
    Prompts::current().message(&main, MessageIcon::Exclamation, QStringLiteral("出错啦"),
                               status.message());
}

} // namespace

namespace DataFileMenu {

void createNew(frmMain &main)
{
    const QString path = askForSaveName(main, QStringLiteral("新名片"));
    if (path.isEmpty())
        return;
    if (Status made = DataFileCommands::createFromTemplate(path, main.DB().path()); !made) {
        reportFailure(main, made);
        return;
    }
    main.relogin(path);
}

void backUp(frmMain &main)
{
    const QString path = askForSaveName(main, QStringLiteral("备份名片"));
    if (path.isEmpty())
        return;
    if (Status saved = DataFileCommands::backUp(main.DB(), path); !saved)
        reportFailure(main, saved);
}

void chooseFile(frmMain &main)
{
    const QString path = Prompts::current().openFileName(
        &main, FileDialogSetup { DataFileCommands::fileFilter(), QString(), false });
    if (path.trimmed().isEmpty())
        return;
    main.relogin(path);
}

void useDefault(frmMain &main)
{
    main.relogin(DataFileChooser::defaultPath());
}

} // namespace DataFileMenu
