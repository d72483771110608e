#include "ScanReviewFields.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

const QString unsure = QStringLiteral("待确认");
const QColor unsureColour(255, 236, 179);
const QStringList designLabels { QStringLiteral("电话"), QStringLiteral("手机"),
                                 QStringLiteral("传真"), QStringLiteral("寻呼机") };

QLabel *caption(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

ScanReviewFields::ScanReviewFields(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ScanReviewFields"));
    m_family = addLine(QStringLiteral("txtFirstName"), 25);
    m_given = addLine(QStringLiteral("txtLastName"), 25);
    m_title = addLine(QStringLiteral("txtTitle"), 25);
    m_company = addLine(QStringLiteral("txtCity"), 100);
    for (size_t i = 0; i < m_numbers.size(); ++i) {
        m_labels[i] = new QComboBox(this);
        m_labels[i]->setObjectName(QStringLiteral("cmbData1(%1)").arg(i));
        m_labels[i]->setEditable(true);
        m_labels[i]->setInsertPolicy(QComboBox::NoInsert);
        m_labels[i]->addItems(designLabels);
        m_labels[i]->lineEdit()->setMaxLength(25);
        m_labels[i]->setAccessibleName(QStringLiteral("联系方式%1的类别").arg(i + 1));
        m_numbers[i] = addLine(QStringLiteral("txtData%1").arg(i + 1), 50);
        m_numbers[i]->setAccessibleName(QStringLiteral("联系方式%1").arg(i + 1));
    }
    m_email = addLine(QStringLiteral("txtEmail"), 100);
    m_website = addLine(QStringLiteral("txtWebsite"), 100);
    m_address1 = addLine(QStringLiteral("txtAddress1"), 100);
    m_address2 = addLine(QStringLiteral("txtAddress2"), 100);
    m_address2->setAccessibleName(QStringLiteral("公司地址二"));
    m_postcode = addLine(QStringLiteral("txtPostcode"), 10);
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("txtNotes"));
    m_notes->setTabChangesFocus(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    const auto add = [&](const QString &text, QWidget *box) {
        grid->addWidget(caption(this, text, box), row, 0);
        grid->addWidget(box, row++, 1, 1, 2);
    };
    add(QStringLiteral("*姓氏："), m_family);
    add(QStringLiteral("*名字："), m_given);
    add(QStringLiteral("职务:"), m_title);
    add(QStringLiteral("公司名称:"), m_company);
    grid->addWidget(caption(this, QStringLiteral("联系方式:"), m_labels[0]), row, 0);
    for (size_t i = 0; i < m_numbers.size(); ++i) {
        grid->addWidget(m_labels[i], row, 1);
        grid->addWidget(m_numbers[i], row++, 2);
    }
    add(QStringLiteral("电子邮件:"), m_email);
    add(QStringLiteral("主页地址:"), m_website);
    add(QStringLiteral("公司地址:"), m_address1);
    grid->addWidget(m_address2, row++, 1, 1, 2);
    add(QStringLiteral("邮编:"), m_postcode);
    add(QStringLiteral("附加信息:"), m_notes);
    grid->setColumnStretch(2, 1);
}

QLineEdit *ScanReviewFields::addLine(const QString &name, int maxLength)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    box->installEventFilter(this);
    // A field the user typed in is checked.
    connect(box, &QLineEdit::textEdited, this, [this, box] { unmark(box); });
    m_lines << box;
    return box;
}

void ScanReviewFields::mark(QLineEdit *box, const ScannedText &read)
{
    box->setText(read.text);
    m_boxes.insert(box, read.box);
    if (read.isEmpty() || read.confidence >= sureEnough)
        return;
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, unsureColour);
    box->setPalette(palette);
    box->setToolTip(unsure);
    box->setAccessibleDescription(unsure);
}

void ScanReviewFields::unmark(QLineEdit *box)
{
    box->setPalette(QPalette());
    box->setToolTip(QString());
    box->setAccessibleDescription(QString());
}

void ScanReviewFields::clear()
{
    for (QLineEdit *box : std::as_const(m_lines)) {
        box->clear();
        unmark(box);
    }
    for (size_t i = 0; i < m_labels.size(); ++i)
        m_labels[i]->setEditText(designLabels.at(qsizetype(i)));
    m_notes->clear();
    m_boxes.clear();
}

void ScanReviewFields::load(const ScanResult &scan, const ContactRecord &row)
{
    clear();
    // The row's values as made from the scan (English forms fill an empty field), each with what
    // the reader says of the text it came from.
    const auto show = [this](QLineEdit *box, const QString &value, ScannedText read) {
        read.text = value;
        mark(box, read);
    };
    show(m_family, row.firstName, scan.familyName);
    show(m_given, row.lastName, scan.givenName);
    show(m_title, row.title, scan.title);
    show(m_company, row.companyName, scan.companyName);
    show(m_address1, row.address1, scan.address1);
    show(m_address2, row.address2, scan.address2);
    show(m_postcode, row.postcode, scan.postcode);
    show(m_email, row.email, scan.email);
    show(m_website, row.website, scan.website);
    for (size_t i = 0; i < m_numbers.size(); ++i) {
        const ScannedText read = qsizetype(i) < scan.numbers.size()
            ? scan.numbers.at(qsizetype(i)).number
            : ScannedText();
        show(m_numbers[i], row.numbers[i], read);
        if (!row.labels[i].isEmpty())
            m_labels[i]->setEditText(row.labels[i]);
    }
    m_notes->setPlainText(row.notes);
}

ContactRecord ScanReviewFields::reviewed() const
{
    ContactRecord row;
    row.firstName = m_family->text().trimmed();
    row.lastName = m_given->text().trimmed();
    row.title = m_title->text().trimmed();
    row.companyName = m_company->text().trimmed();
    row.address1 = m_address1->text().trimmed();
    row.address2 = m_address2->text().trimmed();
    row.postcode = m_postcode->text().trimmed();
    row.email = m_email->text().trimmed();
    row.website = m_website->text().trimmed();
    for (size_t i = 0; i < m_numbers.size(); ++i) {
        row.numbers[i] = m_numbers[i]->text().trimmed();
        row.labels[i] = m_labels[i]->currentText().trimmed();
    }
    row.notes = m_notes->toPlainText();
    return row;
}

void ScanReviewFields::setEditable(bool editable)
{
    for (QLineEdit *box : std::as_const(m_lines))
        box->setReadOnly(!editable);
    for (QComboBox *label : m_labels)
        label->setEnabled(editable);
    m_notes->setReadOnly(!editable);
}

bool ScanReviewFields::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && onFieldFocused)
        onFieldFocused(m_boxes.value(watched));
    return QWidget::eventFilter(watched, event);
}
