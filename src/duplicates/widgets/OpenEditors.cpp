#include "OpenEditors.h"

#include "contacts/widgets/frmDetails.h"
#include "shared/widgets/ChildWindowHost.h"

#include <QMdiSubWindow>

namespace OpenEditors {

QString storeAndClose(QWidget *window, const QList<qint64> &contactIds)
{
    ChildWindowHost *host = ChildWindowHost::of(window);
    if (!host)
        return {};
    const auto frames = host->openChildren();
    for (QMdiSubWindow *frame : frames) {
        auto *editor = qobject_cast<frmDetails *>(frame->widget());
        if (!editor || !contactIds.contains(editor->contactId()))
            continue;
        if (!frame->close())
            return editor->windowTitle();
    }
    return {};
}

} // namespace OpenEditors
