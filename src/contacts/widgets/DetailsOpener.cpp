#include "DetailsOpener.h"

#include "app/widgets/frmMain.h"
#include "contacts/ContactKeys.h"
#include "contacts/ContactNames.h"
#include "contacts/ContactRows.h"
#include "contacts/widgets/frmDetails.h"
#include "shared/Twips.h"
#include "shared/widgets/Prompts.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>

namespace {

void report(frmMain &main, const QString &text)
{
    Prompts::current().message(&main, MessageIcon::Exclamation, QStringLiteral("出错啦！"), text);
}

QMdiSubWindow *openEditor(frmMain &main, const QString &caption)
{
    const auto windows = main.openChildren();
    for (QMdiSubWindow *window : windows) {
        if (qobject_cast<frmDetails *>(window->widget())
            && window->widget()->windowTitle() == caption)
            return window;
    }
    return nullptr;
}

// The row the editor binds to, or 0 after the user has been told why there is none.
qint64 rowFor(frmMain &main, const QString &displayName, const QString &key)
{
    Result<qint64> id = qint64(0);
    if (displayName == ContactNames::placeholderName()) {
        id = ContactRows::placeholder(main.DB());
    } else if (displayName == ContactNames::templateName()) {
        id = ContactRows::templateRow(main.DB());
    } else {
        id = ContactKeys::leadingNumber(key);
        if (id.value() <= 0) {
            report(main, QStringLiteral("该联系人的联系方式有问题哦"));
            return 0;
        }
        const auto found = ContactRows::exists(main.DB(), id.value());
        if (!found || !found.value()) {
            report(
                main,
                found ? QStringLiteral("没有找到该联系人的详细信息记录哦，请确认数据库是否被损坏！")
                      : found.message());
            return 0;
        }
    }
    if (!id) {
        report(main, id.message());
        return 0;
    }
    return id.value();
}

void place(frmMain &main, QMdiSubWindow *editor)
{
    QMdiSubWindow *list = main.childWindow(QStringLiteral("frmContacts"));
    if (!list)
        return;
    if (list->isMaximized())
        list->showNormal();
    editor->move(list->x() + list->width() + Twips::toPixels(20), editor->y());
}

} // namespace

namespace DetailsOpener {

void OpenDetails(frmMain &main, const QString &displayName, const QString &key)
{
    const QString caption = frmDetails::captionFor(displayName);
    if (QMdiSubWindow *open = openEditor(main, caption)) {
        main.mdiArea()->setActiveSubWindow(open);
        open->widget()->setFocus();
        return;
    }
    const qint64 id = rowFor(main, displayName, key);
    if (id <= 0)
        return;
    auto *editor = new frmDetails(main.DB(), id, &main);
    if (!editor->loadStatus()) {
        report(main, editor->loadStatus().message());
        delete editor;
        return;
    }
    editor->setWindowTitle(caption);
    if (displayName == ContactNames::templateName())
        editor->makeTemplate();
    QMdiSubWindow *window = main.showChild(editor);
    place(main, window);
    editor->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(0);
    main.mdiArea()->setActiveSubWindow(window);
}

} // namespace DetailsOpener
