#include "frmAgent.h"

#include "reminders/ReminderStore.h"
#include "shared/widgets/Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmAgent::frmAgent(QWidget *parent)
    : QDialog(parent)
    , m_text(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmAgent"));
    setWindowTitle(QStringLiteral("添加新事务"));

    auto *prompt = new QLabel(QStringLiteral("简要的描述一下该事件:"), this);
    prompt->setObjectName(QStringLiteral("lblLabels"));
    prompt->setBuddy(m_text);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setMaxLength(ReminderStore::maxTextLength);
    m_text->setMinimumWidth(300);

    auto *ok = new QPushButton(QStringLiteral("保存"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmAgent::save);
    // Esc anywhere in the dialog rejects it as well.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    m_text->setFocus();
}

void frmAgent::setText(const QString &text)
{
    m_text->setText(text);
}

void frmAgent::save()
{
    const QString text = m_text->text().trimmed();
    if (text.isEmpty()) {
        Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("出错啦"),
                                   QStringLiteral("你没有输入任何描述信息哦"));
        m_text->setFocus();
        return;
    }
    m_nowStr = text;
    accept();
}
