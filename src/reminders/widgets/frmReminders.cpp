#include "frmReminders.h"

#include "shared/Twips.h"

frmReminders::frmReminders(Database &database, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
{
    setObjectName(QStringLiteral("frmReminders"));
    setWindowTitle(QStringLiteral("事件记忆卡"));
    resize(Twips::toPixels(3000), Twips::toPixels(4200));
}
