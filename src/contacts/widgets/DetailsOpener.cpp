#include "DetailsOpener.h"

#include "contacts/ContactKeys.h"
#include "contacts/ContactNames.h"
#include "contacts/ContactRows.h"
#include "contacts/widgets/frmDetails.h"
#include "shared/Twips.h"
#include "shared/widgets/ChildWindowHost.h"
#include "shared/widgets/Prompts.h"

#include <QMdiSubWindow>
#include <QTabWidget>

namespace {

void report(ChildWindowHost &host, const QString &text)
{
    Prompts::current().message(host.hostWidget(), MessageIcon::Exclamation,
                               QStringLiteral("出错啦！"), text);
}

// Editors are told apart by their row, not their caption: two contacts may share a name.
QMdiSubWindow *openEditor(ChildWindowHost &host, qint64 id)
{
    const auto windows = host.openChildren();
    for (QMdiSubWindow *window : windows) {
        const auto *editor = qobject_cast<frmDetails *>(window->widget());
        if (editor && editor->contactId() == id)
            return window;
    }
    return nullptr;
}

// The row the editor binds to, or 0 after the user has been told why there is none. The
// placeholder and the template are found, or created, by their names.
qint64 rowFor(ChildWindowHost &host, const QString &displayName, const QString &key)
{
    Result<qint64> id = qint64(0);
    if (displayName == ContactNames::placeholderName())
        id = ContactRows::placeholder(host.DB());
    else if (displayName == ContactNames::templateName())
        id = ContactRows::templateRow(host.DB());
    else
        id = ContactKeys::leadingNumber(key);
    if (!id) {
        report(host, id.message());
        return 0;
    }
    if (id.value() <= 0)
        report(host, QStringLiteral("该联系人的联系方式有问题哦"));
    return id.value();
}

void place(ChildWindowHost &host, QMdiSubWindow *editor)
{
    QMdiSubWindow *list = host.childWindow(QStringLiteral("frmContacts"));
    if (!list)
        return;
    if (list->isMaximized())
        list->showNormal();
    editor->move(list->x() + list->width() + Twips::toPixels(20), editor->y());
}

} // namespace

namespace DetailsOpener {

void OpenDetails(ChildWindowHost &host, const QString &displayName, const QString &key)
{
    const qint64 id = rowFor(host, displayName, key);
    if (id <= 0)
        return;
    if (QMdiSubWindow *open = openEditor(host, id)) {
        host.activateChild(open);
        open->widget()->setFocus();
        return;
    }
    auto *editor = new frmDetails(host.DB(), id, host.hostWidget());
    if (!editor->loadStatus()) {
        report(host, editor->loadStatus().message());
        delete editor;
        return;
    }
    editor->setWindowTitle(frmDetails::captionFor(displayName));
    if (displayName == ContactNames::templateName())
        editor->makeTemplate();
    QMdiSubWindow *window = host.showChild(editor);
    place(host, window);
    editor->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(0);
    host.activateChild(window);
}

} // namespace DetailsOpener
