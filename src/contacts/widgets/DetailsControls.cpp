#include "DetailsControls.h"

#include "shared/widgets/ClickableLabel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QColor captionColour(64, 64, 64);
const QColor linkColour(128, 128, 128);
const QStringList designLabels { QStringLiteral("电话"), QStringLiteral("手机"),
                                 QStringLiteral("传真"), QStringLiteral("寻呼机") };

QLineEdit *lineEdit(QWidget *parent, const QString &name, int maxLength)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    return box;
}

// A box that holds a stored value for a drop-down box; it is never shown.
QLineEdit *hiddenBox(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->hide();
    return box;
}

QComboBox *dropDown(QWidget *parent, const QString &name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    // Typed text is kept by the editor's own rules, never added to the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->lineEdit()->setMaxLength(25);
    return box;
}

QLabel *caption(QWidget *parent, const QString &name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

void paint(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// A caption the user clicks.
ClickableLabel *clickable(QWidget *parent, const QString &name, const QString &text,
                          const QString &tip, const QColor &colour)
{
    auto *label = new ClickableLabel(text, parent);
    label->setObjectName(name);
    label->setToolTip(tip);
    paint(label, colour);
    return label;
}

} // namespace

DetailsControls DetailsControls::build(QWidget *form)
{
    DetailsControls c;
    c.tabs = new QTabWidget(form);
    c.tabs->setObjectName(QStringLiteral("SSTab1"));
    auto *basic = new QWidget(c.tabs);
    basic->setObjectName(QStringLiteral("tabBasic"));
    auto *more = new QWidget(c.tabs);
    more->setObjectName(QStringLiteral("tabMore"));
    c.tabs->addTab(basic, QStringLiteral("基本信息"));
    c.tabs->addTab(more, QStringLiteral("附加信息"));

    c.firstName = lineEdit(basic, QStringLiteral("txtFirstName"), 25);
    c.lastName = lineEdit(basic, QStringLiteral("txtLastName"), 25);
    c.address1 = lineEdit(basic, QStringLiteral("txtAddress1"), 100);
    c.address1->setToolTip(QStringLiteral("公司地址一"));
    c.address2 = lineEdit(basic, QStringLiteral("txtAddress2"), 100);
    c.address2->setToolTip(QStringLiteral("公司地址二"));
    c.address2->setAccessibleName(QStringLiteral("公司地址二"));
    c.address3 = lineEdit(basic, QStringLiteral("txtAddress3"), 100);
    c.address3->hide();
    c.companyName = lineEdit(basic, QStringLiteral("txtCity"), 100);
    c.postcode = lineEdit(basic, QStringLiteral("txtPostcode"), 10);
    for (int i = 0; i < 2; ++i) {
        c.categories[i] = dropDown(basic, QStringLiteral("cmbCat(%1)").arg(i));
        c.storedCategories[i] = hiddenBox(basic, QStringLiteral("Text1(%1)").arg(i));
    }
    c.categories[1]->setToolTip(QStringLiteral("作为分组标志"));
    for (int i = 0; i < 4; ++i) {
        c.labels[i] = dropDown(basic, QStringLiteral("cmbData1(%1)").arg(i));
        c.labels[i]->setEditText(designLabels.at(i));
        c.labels[i]->setAccessibleName(QStringLiteral("联系方式%1的类别").arg(i + 1));
        c.storedLabels[i] = hiddenBox(basic, QStringLiteral("Text2(%1)").arg(i));
        c.numbers[i] = lineEdit(basic, QStringLiteral("txtData%1").arg(i + 1), 50);
        c.numbers[i]->setAccessibleName(QStringLiteral("联系方式%1").arg(i + 1));
    }
    c.email = lineEdit(basic, QStringLiteral("txtEmail"), 100);
    c.website = lineEdit(basic, QStringLiteral("txtWebsite"), 100);
    c.notes = new QPlainTextEdit(more);
    c.notes->setObjectName(QStringLiteral("txtNotes"));
    c.notes->setAccessibleName(QStringLiteral("附加信息"));
    c.notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *notesLayout = new QVBoxLayout(more);
    notesLayout->addWidget(c.notes);

    c.titleCaption = clickable(basic, QStringLiteral("Label3"), QStringLiteral("职务:"),
                               QStringLiteral("设置职务类别"), captionColour);
    c.titleCaption->setBuddy(c.categories[0]);
    c.labelCaption = clickable(basic, QStringLiteral("Label8"), QStringLiteral("联系方式:"),
                               QStringLiteral("设置联系方式类别"), captionColour);
    c.labelCaption->setBuddy(c.labels[0]);
    c.groupCaption = clickable(basic, QStringLiteral("Label10"), QStringLiteral("*关系类别:"),
                               QStringLiteral("设置关系类别"), captionColour);
    c.groupCaption->setBuddy(c.categories[1]);
    c.mailLink = clickable(basic, QStringLiteral("Label11"), QStringLiteral("写信"),
                           QStringLiteral("给他/她发送电子邮件"), linkColour);
    c.webLink = clickable(basic, QStringLiteral("Label14"), QStringLiteral("访问"),
                          QStringLiteral("访问他/她的主页"), linkColour);
    c.closeCaption
        = clickable(basic, QStringLiteral("Label7"), QStringLiteral("关闭"), QString(), Qt::black);

    auto *left = new QGridLayout;
    left->addWidget(
        caption(basic, QStringLiteral("lblFirstName"), QStringLiteral("*姓氏："), c.firstName), 0,
        0, 1, 2);
    left->addWidget(c.firstName, 1, 0, 1, 2);
    left->addWidget(
        caption(basic, QStringLiteral("lblLastName"), QStringLiteral("*名字："), c.lastName), 2, 0,
        1, 2);
    left->addWidget(c.lastName, 3, 0, 1, 2);
    left->addWidget(
        caption(basic, QStringLiteral("lblAddress"), QStringLiteral("公司地址:"), c.address1), 4, 0,
        1, 2);
    left->addWidget(c.address1, 5, 0, 1, 2);
    left->addWidget(c.address2, 6, 0, 1, 2);
    left->addWidget(
        caption(basic, QStringLiteral("lblCompany"), QStringLiteral("公司名称:"), c.companyName), 7,
        0);
    left->addWidget(
        caption(basic, QStringLiteral("lblPostcode"), QStringLiteral("邮编:"), c.postcode), 7, 1);
    left->addWidget(c.companyName, 8, 0);
    left->addWidget(c.postcode, 8, 1);
    left->addWidget(c.titleCaption, 9, 0, 1, 2);
    left->addWidget(c.categories[0], 10, 0, 1, 2);
    left->setRowStretch(11, 1);
    left->addWidget(
        caption(basic, QStringLiteral("lblRequired"), QStringLiteral("带*号的项必须填写"), nullptr),
        12, 0, 1, 2);
    left->setColumnStretch(0, 3);
    left->setColumnStretch(1, 1);

    auto *right = new QGridLayout;
    right->addWidget(c.groupCaption, 0, 0, 1, 3);
    right->addWidget(c.categories[1], 1, 0, 1, 3);
    right->addWidget(c.labelCaption, 2, 0, 1, 3);
    for (int i = 0; i < 4; ++i) {
        right->addWidget(c.labels[i], 3 + i, 0);
        right->addWidget(c.numbers[i], 3 + i, 1, 1, 2);
    }
    right->addWidget(
        caption(basic, QStringLiteral("lblEmail"), QStringLiteral("电子邮件:"), c.email), 7, 0, 1,
        3);
    right->addWidget(c.email, 8, 0, 1, 2);
    right->addWidget(c.mailLink, 8, 2);
    right->addWidget(
        caption(basic, QStringLiteral("lblWebsite"), QStringLiteral("主页地址:"), c.website), 9, 0,
        1, 3);
    right->addWidget(c.website, 10, 0, 1, 2);
    right->addWidget(c.webLink, 10, 2);
    right->setRowStretch(11, 1);
    right->addWidget(c.closeCaption, 12, 2, Qt::AlignRight);
    right->setColumnStretch(1, 1);

    auto *columns = new QHBoxLayout(basic);
    columns->addLayout(left, 1);
    columns->addSpacing(12);
    columns->addLayout(right, 1);

    auto *outer = new QVBoxLayout(form);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(c.tabs);

    const QList<QWidget *> order {
        c.firstName,   c.lastName,      c.address1,      c.address2,  c.address3,
        c.companyName, c.postcode,      c.categories[0], c.labels[0], c.numbers[0],
        c.numbers[1],  c.numbers[2],    c.numbers[3],    c.email,     c.website,
        c.notes,       c.categories[1], c.labels[1],     c.labels[2], c.labels[3],
    };
    // The clickable captions come after the boxes, in reading order.
    const QList<QWidget *> captions { c.titleCaption, c.groupCaption, c.labelCaption,
                                      c.mailLink,     c.webLink,      c.closeCaption };
    const QList<QWidget *> chain = order + captions;
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
    return c;
}

QList<QWidget *> DetailsControls::inputs() const
{
    QList<QWidget *> all { tabs->tabBar(), firstName, lastName, address1, address2, address3,
                           companyName,    postcode,  email,    website,  notes };
    for (QComboBox *box : categories)
        all << box;
    for (QComboBox *box : labels)
        all << box;
    for (QLineEdit *box : numbers)
        all << box;
    return all;
}
