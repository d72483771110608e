#pragma once

#include "data/Database.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Chooses an account of the current data file and checks its password. A correct password
// opens the main window on this dialog's connection.
class frmLogin : public QDialog
{
    Q_OBJECT

public:
    explicit frmLogin(QWidget *parent = nullptr);

    // Opens the data file the settings name (with the fallback to the default file) and lists
    // its accounts; false when no data file can be opened.
    bool loadDataFile();
    void LoadCombo();
    void CheckPass(const QString &userName);
    void PassCorrect();

public slots:
    void reject() override;

private:
    void buildControls();
    void login();
    void useRight(const Result<int> &right);

    std::unique_ptr<Database> DB2;
    QComboBox *m_users;
    QLineEdit *m_password;
    QLabel *m_pass;
    QPushButton *m_login;
    QPushButton *m_cancel;
    bool m_loggedIn = false;
};
