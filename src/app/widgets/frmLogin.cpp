#include "frmLogin.h"

#include "DataFileOpening.h"
#include "app/AccountStore.h"
#include "app/AppLifetime.h"
#include "frmMain.h"
#include "shared/AppState.h"
#include "shared/AppVersion.h"
#include "shared/Twips.h"
#include "shared/widgets/Prompts.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString errorCaption = QStringLiteral("出错啦");

QLabel *namedLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

frmLogin::frmLogin(QWidget *parent)
    : QDialog(parent)
    , m_users(new QComboBox(this))
    , m_password(new QLineEdit(this))
    , m_pass(new QLabel(this))
    , m_login(new QPushButton(QStringLiteral("登陆"), this))
    , m_cancel(new QPushButton(QStringLiteral("退出"), this))
{
    setObjectName(QStringLiteral("frmLogin"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("登陆到[") + AppVersion::productName() + QStringLiteral("]"));
    buildControls();
    connect(m_users, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            CheckPass(m_users->itemText(index));
    });
    connect(m_login, &QPushButton::clicked, this, &frmLogin::login);
    connect(m_cancel, &QPushButton::clicked, this, &frmLogin::reject);
}

void frmLogin::buildControls()
{
    auto *heading
        = namedLabel(QStringLiteral("Label1(0)"), QStringLiteral("请选择用户名并输入密码"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto *help = namedLabel(
        QStringLiteral("Label1(1)"),
        QStringLiteral("请先选择用户名并输入密码，然后按登陆按钮。用户可分为管理员和普通用户两种，"
                       "初始密码均为空。"),
        this);
    help->setWordWrap(true);
    help->setToolTip(QStringLiteral("普通用户没有删除数据的权限"));
    auto *userLabel = namedLabel(QStringLiteral("lblUsername"), QStringLiteral("用 户 名:"), this);
    auto *passwordLabel
        = namedLabel(QStringLiteral("lblPassword"), QStringLiteral("登陆密码:"), this);
    m_users->setObjectName(QStringLiteral("cmbUsers"));
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    userLabel->setBuddy(m_users);
    passwordLabel->setBuddy(m_password);
    m_pass->setObjectName(QStringLiteral("lblPass"));
    m_pass->setVisible(false);
    m_login->setObjectName(QStringLiteral("cmdLogin"));
    m_login->setDefault(true);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto *border = new QFrame(this);
    border->setObjectName(QStringLiteral("imgBorder"));
    border->setFrameShape(QFrame::HLine);
    border->setFrameShadow(QFrame::Sunken);

    auto *fields = new QGridLayout;
    fields->addWidget(userLabel, 0, 0);
    fields->addWidget(m_users, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(m_password, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_login);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(help);
    layout->addWidget(border);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(Twips::toPixels(5400), Twips::toPixels(3300));
}

bool frmLogin::loadDataFile()
{
    DB2 = DataFileOpening::openForLogin(this);
    if (!DB2)
        return false;
    LoadCombo();
    return true;
}

void frmLogin::LoadCombo()
{
    const auto names = AccountStore(*DB2).namesInLoginOrder();
    if (!names) {
        Prompts::current().message(this, MessageIcon::Critical, errorCaption, names.message());
        return;
    }
    m_users->addItems(names.value());
}

void frmLogin::CheckPass(const QString &userName)
{
    useRight(AccountStore(*DB2).choose(userName));
}

void frmLogin::useRight(const Result<int> &right)
{
    // A right that cannot be read never leaves another account's right in force.
    AppState::instance().userAccess = right ? right.value() : AppState::normalUserAccess;
}

void frmLogin::login()
{
    if (m_users->currentIndex() < 0) {
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption,
                                   QStringLiteral("该数据文件中没有任何用户，无法登陆！"));
        return;
    }
    AccountStore accounts(*DB2);
    const auto correct = accounts.checkPassword(m_users->currentText(), m_password->text());
    if (!correct) {
        Prompts::current().message(this, MessageIcon::Critical, errorCaption, correct.message());
        return;
    }
    if (!correct.value()) {
        Prompts::current().message(this, MessageIcon::Critical, errorCaption,
                                   QStringLiteral("密码不对哦."));
        return;
    }
    useRight(accounts.rightOf(m_users->currentText()));
    PassCorrect();
}

void frmLogin::PassCorrect()
{
    auto *main = new frmMain(std::move(DB2));
    main->show();
    AppState::instance().loginUser = m_users->currentText();
    main->showGreeting();
    main->setWindowTitle(AppVersion::productName());
    m_loggedIn = true;
    close();
}

void frmLogin::reject()
{
    QDialog::reject();
    if (!m_loggedIn)
        AppLifetime::endProgram();
}
