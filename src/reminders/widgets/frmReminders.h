#pragma once

#include <QWidget>

class Database;

// The to-do list at the right edge of the main window.
class frmReminders : public QWidget
{
    Q_OBJECT

public:
    explicit frmReminders(Database &database, QWidget *parent = nullptr);

private:
    Database &m_database;
};
