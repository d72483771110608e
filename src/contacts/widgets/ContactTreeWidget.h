#pragma once

#include <QTreeWidget>

// The contact tree with drag and drop of one contact onto a group or onto another contact. The
// tree never moves nodes by itself: a drop is reported and the list decides.
class ContactTreeWidget : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ContactTreeWidget(QWidget *parent = nullptr);

    static int keyRole() { return Qt::UserRole; }
    // The data type a dragged contact travels in.
    static QString dragFormat();
    // The group a drop would go to, drawn highlighted; nullptr for none.
    QTreeWidgetItem *highlightedGroup() const { return m_highlighted; }
    // A contact dropped at a point of the viewport: reported when it lands on a node.
    void dropContact(const QString &contactKey, const QPoint &at);

signals:
    void contactDropped(const QString &contactKey, QTreeWidgetItem *target);

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    Qt::DropActions supportedDropActions() const override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void highlightGroup(QTreeWidgetItem *group);

    QTreeWidgetItem *m_highlighted = nullptr;
};
