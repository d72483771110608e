#include "FrmSyncSettings.h"

#include "shared/AppVersion.h"
#include "shared/widgets/Prompts.h"
#include "sync/SecretStore.h"
#include "sync/SyncAccount.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FrmSyncSettings::FrmSyncSettings(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmSyncSettings"));
    setWindowTitle(QStringLiteral("同步设置(CardDAV)"));
    auto *form = new QFormLayout(this);
    setLayout(form);
    m_server = addField(QStringLiteral("txtServer"), QStringLiteral("服务器地址(&S):"));
    m_server->setPlaceholderText(QStringLiteral("https://dav.example.com/"));
    m_user = addField(QStringLiteral("txtUser"), QStringLiteral("用户名(&U):"));
    m_password = addField(QStringLiteral("txtPassword"), QStringLiteral("密码(&P):"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setPlaceholderText(QStringLiteral("留空则使用已保存的密码"));

    m_find = new QPushButton(QStringLiteral("查找通讯录(&F)"), this);
    m_find->setObjectName(QStringLiteral("cmdFind"));
    form->addRow(QString(), m_find);
    m_books = new QComboBox(this);
    m_books->setObjectName(QStringLiteral("cmbAddressBook"));
    auto *booksCaption = new QLabel(QStringLiteral("通讯录(&A):"), this);
    booksCaption->setBuddy(m_books);
    form->addRow(booksCaption, m_books);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    form->addRow(m_status);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cmdCancel"));
    form->addRow(buttons);

    connect(m_find, &QPushButton::clicked, this, &FrmSyncSettings::findAddressBooks);
    connect(&m_discovery, &AddressBookDiscovery::finished, this, &FrmSyncSettings::showBooks);
    // Books found for one server and user say nothing of another.
    connect(m_server, &QLineEdit::textEdited, this, &FrmSyncSettings::forgetBooks);
    connect(m_user, &QLineEdit::textEdited, this, &FrmSyncSettings::forgetBooks);
    connect(buttons, &QDialogButtonBox::accepted, this, &FrmSyncSettings::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showStored();
}

QLineEdit *FrmSyncSettings::addField(const QString &name, const QString &caption)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(name);
    auto *label = new QLabel(caption, this);
    label->setBuddy(field);
    static_cast<QFormLayout *>(layout())->addRow(label, field);
    return field;
}

void FrmSyncSettings::showStored()
{
    const SyncAccount account = SyncAccount::load();
    m_server->setText(account.server.toString());
    m_user->setText(account.user);
    if (!account.addressBook.isEmpty())
        m_books->addItem(account.addressBook.toString(), account.addressBook);
}

void FrmSyncSettings::forgetBooks()
{
    m_books->clear();
}

QString FrmSyncSettings::passwordToUse() const
{
    if (!m_password->text().isEmpty())
        return m_password->text();
    const auto stored = SecretStore::current().password(accountInFields());
    return stored ? stored.value() : QString();
}

SyncAccount FrmSyncSettings::accountInFields() const
{
    SyncAccount account;
    account.server = QUrl(m_server->text().trimmed());
    account.user = m_user->text().trimmed();
    account.addressBook = m_books->currentData().toUrl();
    return account;
}

void FrmSyncSettings::findAddressBooks()
{
    const QUrl server(m_server->text().trimmed());
    if (Status address = checkServerAddress(server); !address) {
        tell(address.message());
        return;
    }
    m_find->setEnabled(false);
    m_status->setText(QStringLiteral("正在查找通讯录..."));
    m_discovery.discover(server, m_user->text().trimmed(), passwordToUse());
}

void FrmSyncSettings::showBooks(const Result<QList<AddressBookInfo>> &books)
{
    m_find->setEnabled(true);
    m_status->clear();
    if (!books) {
        tell(books.message());
        return;
    }
    m_books->clear();
    for (const AddressBookInfo &book : books.value()) {
        const QString name = book.displayName.isEmpty() ? book.url.path() : book.displayName;
        m_books->addItem(name, book.url);
    }
    if (books.value().isEmpty())
        m_status->setText(QStringLiteral("服务器上没有这个用户的通讯录。"));
}

void FrmSyncSettings::save()
{
    const SyncAccount account = accountInFields();
    if (Status address = checkServerAddress(account.server); !address) {
        tell(address.message());
        return;
    }
    if (!account.isComplete()) {
        tell(QStringLiteral("请填写用户名，并用“查找通讯录”选择一个通讯录。"));
        return;
    }
    account.save();
    if (!m_password->text().isEmpty()) {
        if (Status kept = SecretStore::current().storePassword(account, m_password->text()); !kept)
            tell(QStringLiteral("设置已保存，但系统中没有可用的密码存储：每次同步时将询问密码。\n")
                 + kept.message());
    }
    accept();
}

void FrmSyncSettings::tell(const QString &text)
{
    Prompts::current().message(this, MessageIcon::Exclamation, AppVersion::productName(), text);
}
