#include "ImportSummaryDialog.h"

#include "shared/AppVersion.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ImportSummaryDialog::ImportSummaryDialog(const CardImport::Plan &plan, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmCardImport"));
    setWindowTitle(AppVersion::productName());
    auto *summary = new QLabel(plan.summary(), this);
    summary->setObjectName(QStringLiteral("lblSummary"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A file from a mail program can name dozens of kept columns in one line.
    summary->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *newOnly
        = buttons->addButton(QStringLiteral("只导入新联系人"), QDialogButtonBox::AcceptRole);
    newOnly->setObjectName(QStringLiteral("cmdNewOnly"));
    newOnly->setEnabled(plan.fresh > 0);
    QPushButton *all = buttons->addButton(QStringLiteral("全部导入"), QDialogButtonBox::AcceptRole);
    all->setObjectName(QStringLiteral("cmdAll"));
    QPushButton *merge
        = buttons->addButton(QStringLiteral("合并到已有联系人"), QDialogButtonBox::AcceptRole);
    merge->setObjectName(QStringLiteral("cmdMerge"));
    merge->setEnabled(plan.sameName > 0);
    QPushButton *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter never imports a file a second time: with nothing new it closes the summary. A
    // button that took the focus would otherwise become the one Enter presses.
    for (QPushButton *button : { newOnly, all, merge, cancel })
        button->setAutoDefault(false);
    QPushButton *byDefault = plan.fresh == 0 ? cancel : newOnly;
    byDefault->setDefault(true);
    byDefault->setFocus();
    connect(newOnly, &QPushButton::clicked, this, [this] {
        m_choice = CardImport::Choice::NewOnly;
        accept();
    });
    connect(all, &QPushButton::clicked, this, [this] {
        m_choice = CardImport::Choice::All;
        accept();
    });
    connect(merge, &QPushButton::clicked, this, [this] {
        m_choice = CardImport::Choice::Merge;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(buttons);
}
