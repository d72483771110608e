#include "FrmMerge.h"

#include "duplicates/ContactMerge.h"
#include "duplicates/MergeFields.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

FrmMerge::FrmMerge(const QList<ContactRecord> &contacts, QWidget *parent)
    : QDialog(parent)
    , m_contacts(contacts)
{
    setObjectName(QStringLiteral("FrmMerge"));
    setWindowTitle(QStringLiteral("合并联系人"));
    auto *hint = new QLabel(
        QStringLiteral("请为每一项选择要保留的值。合并后保留编号最小的联系人，其余的将被删除；"
                       "没有保留的值会逐行记入备注。"),
        this);
    hint->setObjectName(QStringLiteral("lblHint"));
    hint->setWordWrap(true);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrFields"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(buildGrid());
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *merge = buttons->addButton(QStringLiteral("合并"), QDialogButtonBox::AcceptRole);
    merge->setObjectName(QStringLiteral("cmdMerge"));
    QPushButton *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    resize(qMin(900, 220 + 200 * int(contacts.size())), 560);
}

QWidget *FrmMerge::buildGrid()
{
    auto *grid = new QWidget;
    auto *layout = new QGridLayout(grid);
    for (int c = 0; c < m_contacts.size(); ++c) {
        const ContactRecord &contact = m_contacts.at(c);
        auto *heading
            = new QLabel(QStringLiteral("<b>%1</b><br>编号 %2%3")
                             .arg(contact.displayName().toHtmlEscaped())
                             .arg(contact.id)
                             .arg(c == 0 ? QStringLiteral("（保留）") : QStringLiteral("（删除）")),
                         grid);
        heading->setObjectName(QStringLiteral("lblContact(%1)").arg(c));
        layout->addWidget(heading, 0, c + 1);
    }
    const QList<int> chosen = ContactMerge::defaultChoices(m_contacts);
    for (int field = 0; field < MergeFields::count(); ++field) {
        auto *caption = new QLabel(MergeFields::caption(field) + QLatin1Char(':'), grid);
        layout->addWidget(caption, field + 1, 0);
        auto *group = new QButtonGroup(this);
        group->setObjectName(QStringLiteral("grpField(%1)").arg(field));
        for (int c = 0; c < m_contacts.size(); ++c) {
            const bool empty = MergeFields::isEmpty(m_contacts.at(c), field);
            auto *option = new QRadioButton(empty ? QStringLiteral("（空）")
                                                  : MergeFields::shown(m_contacts.at(c), field),
                                            grid);
            option->setObjectName(QStringLiteral("optValue(%1,%2)").arg(field).arg(c));
            option->setAccessibleName(MergeFields::caption(field));
            option->setChecked(c == chosen.at(field));
            group->addButton(option, c);
            layout->addWidget(option, field + 1, c + 1);
        }
        m_fields << group;
    }
    layout->setRowStretch(MergeFields::count() + 1, 1);
    return grid;
}

QList<int> FrmMerge::choices() const
{
    QList<int> chosen;
    for (const QButtonGroup *group : m_fields)
        chosen << qMax(0, group->checkedId());
    return chosen;
}
