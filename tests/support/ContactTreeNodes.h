#pragma once

#include <QTreeWidget>

// The contact list reads a group's contacts when the group is opened. These open every group
// first, as a user looking for a contact would, and then look.
namespace ContactTreeNodes {

inline void openAllGroups(QTreeWidget *tree)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        tree->topLevelItem(i)->setExpanded(true);
}

inline QList<QTreeWidgetItem *> findAll(QTreeWidget *tree, const QString &text)
{
    openAllGroups(tree);
    return tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
}

inline QTreeWidgetItem *find(QTreeWidget *tree, const QString &text)
{
    const auto found = findAll(tree, text);
    return found.isEmpty() ? nullptr : found.first();
}

inline QTreeWidgetItem *byKey(QTreeWidget *tree, const QString &key)
{
    openAllGroups(tree);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *group = tree->topLevelItem(i);
        for (int j = 0; j < group->childCount(); ++j) {
            if (group->child(j)->data(0, Qt::UserRole).toString() == key)
                return group->child(j);
        }
    }
    return nullptr;
}

} // namespace ContactTreeNodes
