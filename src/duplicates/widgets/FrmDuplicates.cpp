#include "FrmDuplicates.h"

#include "FrmMerge.h"
#include "OpenEditors.h"
#include "contacts/ContactStore.h"
#include "data/Database.h"
#include "duplicates/ContactMerge.h"
#include "duplicates/DuplicateFinder.h"
#include "duplicates/MergeFields.h"
#include "shared/widgets/CheckAccess.h"
#include "shared/widgets/PlainText.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString caption = QStringLiteral("查找重复联系人");
constexpr int setRole = Qt::UserRole;

QString sectionTitle(DuplicateLevel level)
{
    switch (level) {
    case DuplicateLevel::VeryLikely:
        return QStringLiteral("很可能是同一个人");
    case DuplicateLevel::Likely:
        return QStringLiteral("可能是同一个人");
    case DuplicateLevel::SameNameOnly:
        break;
    }
    return QStringLiteral("同名，可能是不同的人");
}

QPushButton *addButton(QHBoxLayout *row, const QString &name, const QString &text)
{
    auto *button = new QPushButton(text);
    button->setObjectName(name);
    row->addWidget(button);
    return button;
}

} // namespace

FrmDuplicates::FrmDuplicates(Database &database, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
{
    setObjectName(QStringLiteral("FrmDuplicates"));
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    resize(720, 520);
}

void FrmDuplicates::buildControls()
{
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblSummary"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("tvSets"));
    m_list->setAccessibleName(QStringLiteral("重复联系人"));
    m_list->setHeaderLabels({ QStringLiteral("联系人"), QStringLiteral("原因") });
    m_list->setColumnWidth(0, 220);
    m_compare = new QTableWidget(this);
    m_compare->setObjectName(QStringLiteral("tblCompare"));
    m_compare->setAccessibleName(QStringLiteral("逐项对比"));
    m_compare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *buttons = new QHBoxLayout;
    m_merge = addButton(buttons, QStringLiteral("cmdMerge"), QStringLiteral("合并..."));
    m_undo = addButton(buttons, QStringLiteral("cmdUndo"), QStringLiteral("撤销上次合并"));
    buttons->addStretch();
    QPushButton *find = addButton(buttons, QStringLiteral("cmdFind"), QStringLiteral("重新查找"));
    QPushButton *close = addButton(buttons, QStringLiteral("cmdClose"), QStringLiteral("关闭"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 3);
    layout->addWidget(m_compare, 2);
    layout->addLayout(buttons);

    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { showSet(item); });
    connect(m_merge, &QPushButton::clicked, this, &FrmDuplicates::mergeSelected);
    connect(m_undo, &QPushButton::clicked, this, &FrmDuplicates::undoLastMerge);
    connect(find, &QPushButton::clicked, this, &FrmDuplicates::findDuplicates);
    connect(close, &QPushButton::clicked, this, [this] {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
            frame->close();
        else
            this->close();
    });
    m_merge->setEnabled(false);
}

void FrmDuplicates::findDuplicates()
{
    QProgressDialog progress(QStringLiteral("正在查找重复联系人..."), QStringLiteral("取消"), 0,
                             100, this);
    progress.setObjectName(QStringLiteral("prgFind"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    const auto found = DuplicateFinder::find(m_database, [&progress](int percent) {
        progress.setValue(percent);
        return !progress.wasCanceled();
    });
    progress.reset();
    m_sets.clear();
    if (!found) {
        m_summary->setText(QStringLiteral("查找失败。"));
        report(found.message());
    } else if (found.value().cancelled) {
        m_summary->setText(QStringLiteral("查找已取消。"));
    } else {
        m_sets = found.value().sets;
        m_summary->setText(m_sets.isEmpty()
                               ? QStringLiteral("没有找到重复的联系人。")
                               : QStringLiteral("找到%1组可能重复的联系人。").arg(m_sets.size()));
    }
    showSets();
    updateUndoButton();
}

void FrmDuplicates::showSets()
{
    m_list->clear();
    QTreeWidgetItem *section = nullptr;
    for (int i = 0; i < m_sets.size(); ++i) {
        const DuplicateSet &set = m_sets.at(i);
        // The sets come sorted by level: a new level opens its section.
        if (!section || (i > 0 && m_sets.at(i - 1).level != set.level)) {
            section = new QTreeWidgetItem(m_list, { sectionTitle(set.level) });
            section->setFirstColumnSpanned(true);
            section->setExpanded(true);
        }
        auto *item = new QTreeWidgetItem(
            section,
            { set.names.join(QStringLiteral("、")), set.reasons.join(QStringLiteral("；")) });
        item->setData(0, setRole, i);
        item->setToolTip(1, PlainText::toolTip(set.reasons.join(QLatin1Char('\n'))));
    }
    showSet(nullptr);
}

const DuplicateSet *FrmDuplicates::currentSet() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!item || !item->parent())
        return nullptr;
    const int index = item->data(0, setRole).toInt();
    return index >= 0 && index < m_sets.size() ? &m_sets.at(index) : nullptr;
}

void FrmDuplicates::showSet(QTreeWidgetItem *)
{
    m_compare->clear();
    m_compare->setRowCount(0);
    m_compare->setColumnCount(0);
    const DuplicateSet *set = currentSet();
    m_merge->setEnabled(set != nullptr);
    if (!set)
        return;
    const auto read = readContacts(set->ids);
    if (!read) {
        report(read.message());
        return;
    }
    const QList<ContactRecord> &contacts = read.value();
    QStringList rows { QStringLiteral("参与合并") };
    for (int field = 0; field < MergeFields::count(); ++field)
        rows << MergeFields::caption(field);
    m_compare->setRowCount(int(rows.size()));
    m_compare->setColumnCount(int(contacts.size()));
    m_compare->setVerticalHeaderLabels(rows);
    for (int c = 0; c < contacts.size(); ++c) {
        m_compare->setHorizontalHeaderItem(
            c,
            new QTableWidgetItem(QStringLiteral("%1 (%2)")
                                     .arg(contacts.at(c).displayName())
                                     .arg(contacts.at(c).id)));
        auto *tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        // Contacts that only share a name are left for the user to tick.
        tick->setCheckState(set->level == DuplicateLevel::SameNameOnly ? Qt::Unchecked
                                                                       : Qt::Checked);
        m_compare->setItem(0, c, tick);
    }
    for (int field = 0; field < MergeFields::count(); ++field) {
        // The fields that differ are the ones the user has to look at.
        const bool differs = std::any_of(contacts.cbegin(), contacts.cend(), [&](const auto &c) {
            return !MergeFields::same(contacts.first(), c, field);
        });
        for (int c = 0; c < contacts.size(); ++c) {
            auto *cell = new QTableWidgetItem(MergeFields::shown(contacts.at(c), field));
            QFont font = cell->font();
            font.setBold(differs);
            cell->setFont(font);
            m_compare->setItem(field + 1, c, cell);
        }
    }
}

QList<qint64> FrmDuplicates::tickedContacts() const
{
    QList<qint64> ids;
    const DuplicateSet *set = currentSet();
    for (int c = 0; set && c < m_compare->columnCount() && c < set->ids.size(); ++c) {
        if (m_compare->item(0, c) && m_compare->item(0, c)->checkState() == Qt::Checked)
            ids << set->ids.at(c);
    }
    return ids;
}

Result<QList<ContactRecord>> FrmDuplicates::readContacts(const QList<qint64> &ids)
{
    ContactStore store(m_database);
    QList<ContactRecord> contacts;
    for (qint64 id : ids) {
        auto read = store.load(id);
        if (!read)
            return read.status();
        contacts << read.takeValue();
    }
    return contacts;
}

bool FrmDuplicates::storeOpenEditors(const QList<qint64> &ids)
{
    const QString refused = OpenEditors::storeAndClose(this, ids);
    if (refused.isEmpty())
        return true;
    report(QStringLiteral("编辑窗口“%1”中的修改无法保存，联系人没有改动。请先保存或关闭该窗口。")
               .arg(refused));
    return false;
}

void FrmDuplicates::mergeSelected()
{
    if (!currentSet() || ReadOnlyFile::refuses(this, m_database.isReadOnly()) || !CheckAccess(this))
        return;
    const QList<qint64> ids = tickedContacts();
    if (ids.size() < 2) {
        report(QStringLiteral("请至少勾选两个联系人再合并。"));
        return;
    }
    if (!storeOpenEditors(ids))
        return;
    const auto read = readContacts(ids);
    if (!read) {
        report(read.message());
        return;
    }
    auto *view = new FrmMerge(read.value(), this);
    view->setAttribute(Qt::WA_DeleteOnClose);
    connect(view, &QDialog::accepted, this, [this, view] {
        // After the view has closed: what the merge sets off must not run inside its signals.
        QTimer::singleShot(0, this, [this, contacts = view->contacts(), choices = view->choices()] {
            applyMerge(contacts, choices);
        });
    });
    view->open();
}

void FrmDuplicates::applyMerge(const QList<ContactRecord> &contacts, const QList<int> &choices)
{
    const auto merged = ContactMerge::merge(m_database, contacts, choices);
    if (!merged) {
        report(merged.message());
        return;
    }
    emit contactsChanged(merged.value());
    findDuplicates();
}

void FrmDuplicates::undoLastMerge()
{
    // Taking a merge back deletes and rewrites contacts just as the merge did.
    if (ReadOnlyFile::refuses(this, m_database.isReadOnly()) || !CheckAccess(this))
        return;
    const auto involved = ContactMerge::lastMergeContacts(m_database);
    if (involved && !storeOpenEditors(involved.value()))
        return;
    const auto undone = ContactMerge::undoLast(m_database);
    if (!undone) {
        Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("撤销上次合并"),
                                   undone.message());
        updateUndoButton();
        return;
    }
    emit contactsChanged(undone.value());
    findDuplicates();
    m_summary->setText(QStringLiteral("已撤销上次合并。") + m_summary->text());
}

void FrmDuplicates::updateUndoButton()
{
    const auto possible = ContactMerge::canUndo(m_database);
    m_undo->setEnabled(possible && possible.value());
}

void FrmDuplicates::report(const QString &text)
{
    Prompts::current().message(this, MessageIcon::Exclamation, caption, text);
}
