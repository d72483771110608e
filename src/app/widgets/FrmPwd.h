#pragma once

#include <QWidget>

class Database;
class QLineEdit;

// Lets the logged-in user change the own password.
class FrmPwd : public QWidget
{
    Q_OBJECT

public:
    explicit FrmPwd(Database &database, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void save();
    void reportMissingAccount();
    void closeWindow();

    Database &m_database;
    QLineEdit *m_boxes[3];
    bool m_accountFound = false;
};
