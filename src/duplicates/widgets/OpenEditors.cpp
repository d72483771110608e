#include "OpenEditors.h"

#include "contacts/widgets/frmDetails.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

QMdiArea *areaOf(QWidget *window)
{
    for (QWidget *w = window; w; w = w->parentWidget()) {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(w))
            return frame->mdiArea();
    }
    return nullptr;
}

} // namespace

namespace OpenEditors {

QString storeAndClose(QWidget *window, const QList<qint64> &contactIds)
{
    // Editors are found among the main window's child windows for now; this is the one place to
    // change when the main window offers its own way to reach them.
    QMdiArea *area = areaOf(window);
    if (!area)
        return {};
    const auto frames = area->subWindowList();
    for (QMdiSubWindow *frame : frames) {
        auto *editor = qobject_cast<frmDetails *>(frame->widget());
        if (!editor || frame->isHidden() || !contactIds.contains(editor->contactId()))
            continue;
        if (!frame->close())
            return editor->windowTitle();
    }
    return {};
}

} // namespace OpenEditors
