#pragma once

#include <QWidget>

class Database;

// The contact list: every contact of the data file in a tree grouped by relationship group.
class frmContacts : public QWidget
{
    Q_OBJECT

public:
    explicit frmContacts(Database &database, QWidget *parent = nullptr);

    // True from loading until unloading; the main window docks the list only while it is set.
    bool HasSHowMe = false;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Database &m_database;
};
