#include "CardMenu.h"

#include "contacts/widgets/SearchResultList.h"
#include "contacts/widgets/SearchResultModel.h"
#include "contacts/widgets/frmContacts.h"
#include "frmMain.h"
#include "interchange/widgets/CardCommands.h"
#include "scan/widgets/FrmScanReview.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QFileInfo>
#include <QMdiArea>
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

void scanCards(frmMain &main, const QStringList &images)
{
    if (ReadOnlyFile::refuses(&main, main.DB().isReadOnly()))
        return;
    QStringList queued = images;
    if (queued.isEmpty()) {
        QStringList patterns;
        for (const QString &suffix : FrmScanReview::imageSuffixes)
            patterns << QStringLiteral("*.") + suffix;
        // Several cards at once make a queue.
        queued = Prompts::current().openFileNames(
            &main, { QStringLiteral("名片图片(%1)").arg(patterns.join(u' ')), QString(), false });
        if (queued.isEmpty())
            return;
    }
    QMdiSubWindow *window = main.childWindow(QStringLiteral("FrmScanReview"));
    if (!window) {
        auto *review = new FrmScanReview(main.DB(), &main);
        window = main.showChild(review);
        // The list shows what was saved; the user goes on in the review window.
        QObject::connect(review, &FrmScanReview::contactsChanged, &main, [&main, window] {
            main.ReloadContactList();
            main.mdiArea()->setActiveSubWindow(window);
        });
    }
    main.mdiArea()->setActiveSubWindow(window);
    qobject_cast<FrmScanReview *>(window->widget())->addImages(queued);
}

QStringList cardImages(const QList<QUrl> &urls)
{
    QStringList images;
    for (const QUrl &url : urls) {
        const QFileInfo file(url.toLocalFile());
        if (url.isLocalFile() && file.isFile()
            && FrmScanReview::imageSuffixes.contains(file.suffix().toLower()))
            images << file.filePath();
    }
    return images;
}

} // namespace CardMenu
