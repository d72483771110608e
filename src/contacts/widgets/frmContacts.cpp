#include "frmContacts.h"

#include "shared/AppState.h"

#include <QCloseEvent>

frmContacts::frmContacts(Database &database, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
{
    setObjectName(QStringLiteral("frmContacts"));
    HasSHowMe = true;
    setWindowTitle(AppState::instance().dbPath);
}

void frmContacts::closeEvent(QCloseEvent *event)
{
    HasSHowMe = false;
    event->accept();
}
