#include "ContactTreeWidget.h"

#include <QDropEvent>
#include <QMimeData>

ContactTreeWidget::ContactTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

QStringList ContactTreeWidget::mimeTypes() const
{
    return { QStringLiteral("text/plain") };
}

QMimeData *ContactTreeWidget::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    // Only a contact can be dragged; a group stays where it is.
    if (items.size() != 1 || !items.first()->parent())
        return nullptr;
    auto *data = new QMimeData;
    data->setText(items.first()->data(0, keyRole()).toString());
    return data;
}

Qt::DropActions ContactTreeWidget::supportedDropActions() const
{
    return Qt::CopyAction;
}

void ContactTreeWidget::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() == this && event->mimeData()->hasText()
        && itemAt(event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ContactTreeWidget::dropEvent(QDropEvent *event)
{
    // Copy, never move: a move would make the view remove the dragged node on its own.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    dropContact(event->mimeData()->text(), event->position().toPoint());
}

void ContactTreeWidget::dropContact(const QString &contactKey, const QPoint &at)
{
    QTreeWidgetItem *target = itemAt(at);
    if (target && !contactKey.isEmpty())
        emit contactDropped(contactKey, target);
}
