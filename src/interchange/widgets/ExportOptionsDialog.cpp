#include "ExportOptionsDialog.h"

#include "shared/AppVersion.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using Kind = CardExport::Scope::Kind;

} // namespace

ExportOptionsDialog::ExportOptionsDialog(const QString &group, bool rowsShown, QWidget *parent)
    : QDialog(parent)
    , m_scope(new QButtonGroup(this))
    , m_format(new QComboBox(this))
{
    setObjectName(QStringLiteral("FrmCardExport"));
    setWindowTitle(QStringLiteral("导出名片文件"));
    auto *scopeBox = new QGroupBox(QStringLiteral("导出哪些联系人"), this);
    auto *scopeLayout = new QVBoxLayout(scopeBox);
    const auto addScope = [&](const QString &name, const QString &caption, Kind kind, bool on) {
        auto *option = new QRadioButton(caption, scopeBox);
        option->setObjectName(name);
        option->setEnabled(on);
        m_scope->addButton(option, int(kind));
        scopeLayout->addWidget(option);
        return option;
    };
    addScope(QStringLiteral("optAll"), QStringLiteral("全部联系人"), Kind::All, true)
        ->setChecked(true);
    addScope(QStringLiteral("optGroup"),
             group.isEmpty() ? QStringLiteral("名单列表中选中的分组")
                             : QStringLiteral("名单列表中选中的分组（%1）").arg(group),
             Kind::Group, !group.isEmpty());
    addScope(QStringLiteral("optRows"), QStringLiteral("搜索结果中显示的联系人"), Kind::Rows,
             rowsShown);

    m_format->setObjectName(QStringLiteral("cmbFormat"));
    m_format->addItem(QStringLiteral("vCard 3.0"), int(CardFormat::VCard30));
    m_format->addItem(QStringLiteral("vCard 4.0"), int(CardFormat::VCard40));
    m_format->addItem(QStringLiteral("vCard 2.1"), int(CardFormat::VCard21));
    m_format->addItem(QStringLiteral("CSV (UTF-8，用于Excel)"), int(CardFormat::CsvUtf8));
    m_format->addItem(QStringLiteral("CSV (GB18030，用于较早的中文软件)"),
                      int(CardFormat::CsvGb18030));
    auto *formatCaption = new QLabel(QStringLiteral("文件格式："), this);
    formatCaption->setBuddy(m_format);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("导出"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdExport"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *formatRow = new QFormLayout;
    formatRow->addRow(formatCaption, m_format);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scopeBox);
    layout->addLayout(formatRow);
    layout->addWidget(buttons);
}

ExportChoice ExportOptionsDialog::choice() const
{
    return { Kind(m_scope->checkedId()), CardFormat(m_format->currentData().toInt()) };
}
