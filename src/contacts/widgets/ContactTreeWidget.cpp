#include "ContactTreeWidget.h"

#include <QDropEvent>
#include <QMimeData>

namespace {

// Private to the tree: no text box takes a dragged contact for text.
const QString contactFormat = QStringLiteral("application/x-zorvane-contact");

} // namespace

ContactTreeWidget::ContactTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setAutoScroll(true);
}

QString ContactTreeWidget::dragFormat()
{
    return contactFormat;
}

QStringList ContactTreeWidget::mimeTypes() const
{
    return { contactFormat };
}

QMimeData *ContactTreeWidget::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    // Only a contact can be dragged; a group stays where it is.
    if (items.size() != 1 || !items.first()->parent())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(contactFormat, items.first()->data(0, keyRole()).toString().toUtf8());
    return data;
}

Qt::DropActions ContactTreeWidget::supportedDropActions() const
{
    return Qt::CopyAction;
}

void ContactTreeWidget::dragMoveEvent(QDragMoveEvent *event)
{
    // The view scrolls while the pointer is near its edge, so every group can be reached.
    QTreeWidget::dragMoveEvent(event);
    QTreeWidgetItem *target = event->source() == this && event->mimeData()->hasFormat(contactFormat)
        ? itemAt(event->position().toPoint())
        : nullptr;
    highlightGroup(target ? (target->parent() ? target->parent() : target) : nullptr);
    if (target)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ContactTreeWidget::dragLeaveEvent(QDragLeaveEvent *event)
{
    highlightGroup(nullptr);
    QTreeWidget::dragLeaveEvent(event);
}

void ContactTreeWidget::dropEvent(QDropEvent *event)
{
    highlightGroup(nullptr);
    stopAutoScroll();
    setState(NoState);
    // Copy, never move: a move would make the view remove the dragged node on its own.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    dropContact(QString::fromUtf8(event->mimeData()->data(contactFormat)),
                event->position().toPoint());
}

void ContactTreeWidget::dropContact(const QString &contactKey, const QPoint &at)
{
    QTreeWidgetItem *target = itemAt(at);
    if (target && !contactKey.isEmpty())
        emit contactDropped(contactKey, target);
}

void ContactTreeWidget::highlightGroup(QTreeWidgetItem *group)
{
    if (group == m_highlighted)
        return;
    if (m_highlighted) {
        m_highlighted->setData(0, Qt::BackgroundRole, {});
        m_highlighted->setData(0, Qt::ForegroundRole, {});
    }
    m_highlighted = group;
    if (group) {
        group->setBackground(0, palette().highlight());
        group->setForeground(0, palette().highlightedText());
    }
}
