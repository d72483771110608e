#pragma once

#include "shared/Status.h"
#include "sync/AddressBookDiscovery.h"
#include "sync/SyncAccount.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "同步设置(CardDAV)": the server, the user, the password (kept in the desktop's secret store)
// and the address book, found on the server from its address.
class FrmSyncSettings : public QDialog
{
    Q_OBJECT

public:
    explicit FrmSyncSettings(QWidget *parent = nullptr);

private:
    QLineEdit *addField(const QString &name, const QString &caption);
    void showStored();
    void forgetBooks();
    void findAddressBooks();
    void showBooks(const Result<QList<AddressBookInfo>> &books);
    SyncAccount accountInFields() const;
    QString passwordToUse() const;
    void save();
    void tell(const QString &text);

    QLineEdit *m_server = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QComboBox *m_books = nullptr;
    QPushButton *m_find = nullptr;
    QLabel *m_status = nullptr;
    AddressBookDiscovery m_discovery;
};
