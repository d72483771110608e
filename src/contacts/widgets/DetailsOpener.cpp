#include "DetailsOpener.h"

#include "contacts/ContactKeys.h"
#include "contacts/ContactNames.h"
#include "contacts/ContactRows.h"
#include "contacts/ContactStore.h"
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

// Editors are told apart by their row, not their caption: two contacts may share a name. A new
// contact has no row yet; its editor is the one without a row.
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
// template is found, or created, by its name.
qint64 rowFor(ChildWindowHost &host, const QString &displayName, const QString &key)
{
    Result<qint64> id = qint64(0);
    if (displayName == ContactNames::templateName())
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

// The editor of a new contact, which takes a row of the file only when it is stored: two
// programs adding at once then never edit one row.
frmDetails *newContactEditor(ChildWindowHost &host)
{
    const auto fresh = ContactStore(host.DB()).fresh();
    if (!fresh) {
        report(host, fresh.message());
        return nullptr;
    }
    return new frmDetails(host.DB(), fresh.value(), host.hostWidget());
}

frmDetails *existingContactEditor(ChildWindowHost &host, qint64 id)
{
    auto *editor = new frmDetails(host.DB(), id, host.hostWidget());
    if (!editor->loadStatus()) {
        report(host, editor->loadStatus().message());
        delete editor;
        return nullptr;
    }
    return editor;
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
    const bool adding = displayName == ContactNames::placeholderName();
    const qint64 id = adding ? 0 : rowFor(host, displayName, key);
    if (!adding && id <= 0)
        return;
    if (QMdiSubWindow *open = openEditor(host, id)) {
        host.activateChild(open);
        open->widget()->setFocus();
        return;
    }
    frmDetails *editor = adding ? newContactEditor(host) : existingContactEditor(host, id);
    if (!editor)
        return;
    editor->setWindowTitle(frmDetails::captionFor(displayName));
    if (displayName == ContactNames::templateName())
        editor->makeTemplate();
    QMdiSubWindow *window = host.showChild(editor);
    place(host, window);
    editor->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(0);
    host.activateChild(window);
}

} // namespace DetailsOpener
