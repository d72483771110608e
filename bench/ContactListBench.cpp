#include "ContactListBench.h"

#include "BenchReport.h"
#include "contacts/ContactGrouping.h"
#include "contacts/widgets/frmContacts.h"
#include "data/Database.h"

#include <QTreeWidget>

namespace ContactListBench {

void run(const QString &dataFile)
{
    auto opened = Database::open(dataFile);
    if (!opened)
        return;
    QElapsedTimer timer;
    timer.start();
    const auto groups = ContactGrouping::groups(*opened.value());
    BenchReport::milliseconds(QStringLiteral("contact_groups_query_ms"), timer);
    BenchReport::figure(QStringLiteral("contact_groups"), groups ? int(groups.value().size()) : 0);
    timer.restart();
    frmContacts list(*opened.value());
    BenchReport::milliseconds(QStringLiteral("contact_list_load_ms"), timer);

    QTreeWidget *tree = list.tree();
    QTreeWidgetItem *closed = nullptr;
    for (int i = 0; i < tree->topLevelItemCount() && !closed; ++i) {
        if (!tree->topLevelItem(i)->isExpanded())
            closed = tree->topLevelItem(i);
    }
    timer.restart();
    if (closed)
        closed->setExpanded(true);
    BenchReport::milliseconds(QStringLiteral("contact_group_open_ms"), timer);

    // Every group opened: the whole file in the tree.
    timer.restart();
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        tree->topLevelItem(i)->setExpanded(true);
    BenchReport::milliseconds(QStringLiteral("contact_list_open_all_groups_ms"), timer);
    int nodes = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        nodes += 1 + tree->topLevelItem(i)->childCount();
    BenchReport::figure(QStringLiteral("contact_list_nodes"), nodes);
    BenchReport::figure(QStringLiteral("contact_list_peak_memory_mb"), BenchReport::peakMemoryMb());
}

} // namespace ContactListBench
