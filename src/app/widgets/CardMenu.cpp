#include "CardMenu.h"

#include "contacts/widgets/SearchResultList.h"
#include "contacts/widgets/SearchResultModel.h"
#include "contacts/widgets/frmContacts.h"
#include "frmMain.h"
#include "interchange/widgets/CardCommands.h"

#include <QMdiSubWindow>

namespace {

// The contacts of the search window, in the order it shows them.
QList<qint64> shownRows(const frmMain &main)
{
    QList<qint64> ids;
    const QMdiSubWindow *search = main.childWindow(QStringLiteral("FrmSearch"));
    const auto *list = search ? search->widget()->findChild<SearchResultList *>() : nullptr;
    if (!list)
        return ids;
    const QAbstractItemModel *rows = list->model();
    for (int row = 0; row < rows->rowCount(); ++row)
        ids << rows->index(row, 0).data(SearchResultModel::idRole).toLongLong();
    return ids;
}

CardCommandContext contextOf(frmMain &main)
{
    const frmContacts *contacts = main.contactList();
    return { main.DB(), &main, contacts ? contacts->GetNowExplandStr() : QString(), shownRows(main),
             [&main] { main.ReloadContactList(); } };
}

} // namespace

namespace CardMenu {

void importCards(frmMain &main)
{
    CardCommands::importCards(contextOf(main));
}

void exportCards(frmMain &main)
{
    CardCommands::exportCards(contextOf(main));
}

} // namespace CardMenu
