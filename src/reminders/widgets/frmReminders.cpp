#include "frmReminders.h"

#include "data/Database.h"
#include "frmAgent.h"
#include "shared/Clock.h"
#include "shared/Twips.h"
#include "shared/widgets/DragForm.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QAction>
#include <QListWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

frmReminders::frmReminders(Database &database, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
    , m_store(database)
{
    setObjectName(QStringLiteral("frmReminders"));
    setWindowTitle(QStringLiteral("事件记忆卡"));
    buildControls();
    DragForm::install(this);
    LoadReminders();
}

void frmReminders::buildControls()
{
    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("tbReminders"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const auto addButton = [this, toolBar](QStyle::StandardPixmap icon, const QString &text,
                                           const QString &tip, void (frmReminders::*command)()) {
        QAction *action = toolBar->addAction(style()->standardIcon(icon), text);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, command);
    };
    addButton(QStyle::SP_FileIcon, QStringLiteral("添加"), QStringLiteral("添加一个新的事件"),
              &frmReminders::AddReminder);
    addButton(QStyle::SP_FileDialogDetailedView, QStringLiteral("编辑"),
              QStringLiteral("编辑当前选择的事件"), &frmReminders::editReminder);
    addButton(QStyle::SP_TrashIcon, QStringLiteral("删除"), QStringLiteral("删除当前选择的事件"),
              &frmReminders::deleteReminder);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstReminders"));
    m_list->setAccessibleName(QStringLiteral("事务列表"));
    connect(m_list, &QListWidget::itemChanged, this, &frmReminders::lineChanged);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("sbReminders"));
    m_status->setSizeGripEnabled(false);

    // The margins leave some background to drag the window by.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(2);
    layout->addWidget(toolBar);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    resize(Twips::toPixels(3000), Twips::toPixels(4200));
}

void frmReminders::runAgent(frmAgent &agent)
{
    agent.exec();
}

void frmReminders::LoadReminders()
{
    m_listReady = false;
    m_list->clear();
    const auto reminders = m_store.list();
    if (!reminders) {
        showError(reminders.status());
        return;
    }
    // An empty table leaves the status line as it was.
    if (reminders.value().isEmpty())
        return;
    for (const Reminder &reminder : reminders.value()) {
        auto *line = new QListWidgetItem(reminder.item);
        line->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        line->setCheckState(reminder.done ? Qt::Checked : Qt::Unchecked);
        line->setData(Qt::UserRole, reminder.id);
        m_list->addItem(line);
    }
    m_listReady = true;
    showCount();
}

void frmReminders::reloadKeepingLine()
{
    const int current = m_list->currentRow();
    LoadReminders();
    if (current >= 0 && current < m_list->count())
        m_list->setCurrentRow(current);
}

void frmReminders::askForText(const QString &preset)
{
    frmAgent agent(this);
    agent.setText(preset);
    runAgent(agent);
    m_nowStr = agent.NowStr();
}

void frmReminders::AddReminder()
{
    if (refusedAsReadOnly())
        return;
    const QString today = Clock::current().now().date().toString(QStringLiteral("yyyy-MM-dd"));
    askForText(today + QStringLiteral("： "));
    if (m_nowStr.isEmpty())
        return;
    const auto added = m_store.add(m_nowStr);
    if (!added) {
        reportFailure(added.status());
        return;
    }
    LoadReminders();
    m_list->setCurrentRow(0);
}

void frmReminders::CheckItem(int item)
{
    storeDone(item, true);
}

void frmReminders::UnCheckItem(int item)
{
    storeDone(item, false);
}

void frmReminders::lineChanged(QListWidgetItem *line)
{
    if (m_ignoreNextTick) {
        m_ignoreNextTick = false;
        return;
    }
    if (!m_listReady)
        return;
    const int row = m_list->row(line);
    if (line->checkState() == Qt::Checked)
        CheckItem(row);
    else
        UnCheckItem(row);
}

void frmReminders::storeDone(int line, bool done)
{
    const QListWidgetItem *row = m_list->item(line);
    if (!row)
        return;
    // The check box already shows the change; the list is reloaded once the signal that brought
    // the tick has been handled, never while the line is still in use.
    if (m_database.isReadOnly()) {
        QTimer::singleShot(0, this, [this] {
            refusedAsReadOnly();
            reloadKeepingLine();
        });
        return;
    }
    const Status stored = m_store.setDone(idOf(row), done);
    if (!stored)
        QTimer::singleShot(0, this, [this, stored] { reportFailure(stored); });
}

void frmReminders::editReminder()
{
    if (refusedAsReadOnly())
        return;
    m_ignoreNextTick = true;
    editCurrentLine();
    // Whether or not rewriting the line raised a change, the user's next tick must be stored.
    m_ignoreNextTick = false;
}

void frmReminders::editCurrentLine()
{
    const QListWidgetItem *current = m_list->currentItem();
    if (!current)
        return;
    const qint64 id = idOf(current);
    askForText(current->text());
    if (m_nowStr.isEmpty())
        return;
    const Status stored = m_store.setText(id, m_nowStr);
    if (!stored) {
        reportFailure(stored);
        return;
    }
    // The line is looked up again: the list may have been reloaded while the dialog was open.
    if (QListWidgetItem *line = lineWithId(id))
        line->setText(m_nowStr);
}

void frmReminders::deleteReminder()
{
    if (refusedAsReadOnly())
        return;
    const QListWidgetItem *current = m_list->currentItem();
    if (!current)
        return;
    const qint64 id = idOf(current);
    const Answer answer = Prompts::current().askYesNo(
        this, MessageIcon::Question, QStringLiteral("删除事务"),
        QStringLiteral("您确实要删除事务：[") + current->text() + QStringLiteral("] 吗？"));
    if (answer != Answer::Yes)
        return;
    const Status removed = m_store.remove(id);
    if (!removed) {
        reportFailure(removed);
        return;
    }
    delete lineWithId(id);
    showCount();
}

bool frmReminders::refusedAsReadOnly()
{
    return ReadOnlyFile::refuses(this, m_database.isReadOnly());
}

void frmReminders::showCount()
{
    m_status->showMessage(QString::number(m_list->count())
                          + QStringLiteral(" 个事务,完成后请打钩."));
}

void frmReminders::showError(const Status &failure)
{
    Prompts::current().message(this, MessageIcon::Critical, QStringLiteral("出错啦！"),
                               QStringLiteral("出错了哦:.") + failure.message());
}

void frmReminders::reportFailure(const Status &failure)
{
    showError(failure);
    reloadKeepingLine();
}

QListWidgetItem *frmReminders::lineWithId(qint64 id) const
{
    for (int row = 0; row < m_list->count(); ++row) {
        if (idOf(m_list->item(row)) == id)
            return m_list->item(row);
    }
    return nullptr;
}

qint64 frmReminders::idOf(const QListWidgetItem *line)
{
    return line->data(Qt::UserRole).toLongLong();
}
