#include "FrmPwd.h"

#include "app/AccountStore.h"
#include "shared/AppState.h"
#include "shared/widgets/Prompts.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString errorCaption = QStringLiteral("出错啦");

} // namespace

FrmPwd::FrmPwd(Database &database, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
{
    setObjectName(QStringLiteral("FrmPwd"));
    setWindowTitle(QStringLiteral("为[") + AppState::instance().loginUser
                   + QStringLiteral("]更改密码"));

    auto *heading = new QLabel(QStringLiteral("请输入原来的密码及新密码"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    auto *border = new QFrame(this);
    border->setObjectName(QStringLiteral("imgBorder"));
    border->setFrameShape(QFrame::HLine);
    auto *fields = new QGridLayout;
    const QString captions[3]
        = { QStringLiteral("原密码:"), QStringLiteral("新密码:"), QStringLiteral("确认密码:") };
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(captions[i], this);
        label->setObjectName(QStringLiteral("lblPassword(%1)").arg(i));
        m_boxes[i] = new QLineEdit(this);
        m_boxes[i]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        m_boxes[i]->setEchoMode(QLineEdit::Password);
        label->setBuddy(m_boxes[i]);
        connect(m_boxes[i], &QLineEdit::returnPressed, this, &FrmPwd::save);
        fields->addWidget(label, i, 0);
        fields->addWidget(m_boxes[i], i, 1);
    }
    auto *saveButton = new QPushButton(QStringLiteral("保存"), this);
    saveButton->setObjectName(QStringLiteral("cmdUpdate"));
    saveButton->setDefault(true);
    auto *closeButton = new QPushButton(QStringLiteral("关闭"), this);
    closeButton->setObjectName(QStringLiteral("cmdCancel"));
    connect(saveButton, &QPushButton::clicked, this, &FrmPwd::save);
    connect(closeButton, &QPushButton::clicked, this, &FrmPwd::closeWindow);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(border);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    const auto exists = AccountStore(m_database).exists(AppState::instance().loginUser);
    m_accountFound = exists && exists.value();
    if (!m_accountFound)
        QTimer::singleShot(0, this, &FrmPwd::reportMissingAccount);
}

void FrmPwd::reportMissingAccount()
{
    Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("出错啦！"),
                               QStringLiteral("当前登陆的用户无效，请重新登陆！"));
}

void FrmPwd::save()
{
    if (!m_accountFound) {
        reportMissingAccount();
        return;
    }
    const auto change = AccountStore(m_database)
                            .changePassword(AppState::instance().loginUser, m_boxes[0]->text(),
                                            m_boxes[1]->text(), m_boxes[2]->text());
    if (!change) {
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption, change.message());
        return;
    }
    switch (change.value()) {
    case AccountStore::PasswordChange::WrongOldPassword:
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption,
                                   QStringLiteral("与原来设置的密码不符哦！"));
        m_boxes[0]->setFocus();
        return;
    case AccountStore::PasswordChange::NewPasswordsDiffer:
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption,
                                   QStringLiteral("新密码和确认密码不一致，请重新输入！"));
        m_boxes[1]->setFocus();
        return;
    case AccountStore::PasswordChange::NoSuchAccount:
        m_accountFound = false;
        reportMissingAccount();
        return;
    case AccountStore::PasswordChange::Changed:
        Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("恭喜你！"),
                                   QStringLiteral("恭喜恭喜，更改密码成功！"));
        closeWindow();
        return;
    }
}

void FrmPwd::closeWindow()
{
    if (auto *window = qobject_cast<QMdiSubWindow *>(parentWidget()))
        window->close();
    else
        close();
}

void FrmPwd::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        closeWindow();
    else
        QWidget::keyPressEvent(event);
}
