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
    const auto grouped = ContactGrouping::load(*opened.value());
    BenchReport::milliseconds(QStringLiteral("contact_grouping_query_ms"), timer);
    timer.restart();
    frmContacts list(*opened.value());
    BenchReport::milliseconds(QStringLiteral("contact_list_load_ms"), timer);
    int nodes = 0;
    for (int i = 0; i < list.tree()->topLevelItemCount(); ++i)
        nodes += 1 + list.tree()->topLevelItem(i)->childCount();
    BenchReport::figure(QStringLiteral("contact_list_nodes"), nodes);
    BenchReport::figure(QStringLiteral("contact_list_peak_memory_mb"), BenchReport::peakMemoryMb());
}

} // namespace ContactListBench
