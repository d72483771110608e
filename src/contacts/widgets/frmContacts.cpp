#include "frmContacts.h"

#include "ContactTreeWidget.h"
#include "contacts/ContactGrouping.h"
#include "contacts/ContactKeys.h"
#include "contacts/ContactNames.h"
#include "contacts/ContactRows.h"
#include "data/Database.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"
#include "shared/Twips.h"
#include "shared/widgets/CheckAccess.h"
#include "shared/widgets/ClickableLabel.h"
#include "shared/widgets/DragForm.h"
#include "shared/widgets/PlainText.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QAction>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {

const QString searchPrompt = QStringLiteral("请在此输入搜索关键字");
constexpr int keyRole = Qt::UserRole;

QString keyOf(const QTreeWidgetItem *node)
{
    return node ? node->data(0, keyRole).toString() : QString();
}

bool isContactNode(const QTreeWidgetItem *node)
{
    return node && node->parent();
}

} // namespace

frmContacts::frmContacts(Database &database, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
    , m_toolBar(new QToolBar(this))
    , m_search(new QLineEdit(this))
    , m_searchIcon(new ClickableLabel(QString(), this))
    , m_tree(new ContactTreeWidget(this))
    , m_statusBar(new QStatusBar(this))
    , m_status(new QLabel(m_statusBar))
    , m_contactIcon(style()->standardIcon(QStyle::SP_FileIcon))
{
    HasSHowMe = true;
    setObjectName(QStringLiteral("frmContacts"));
    setWindowTitle(AppState::instance().dbPath);
    buildControls();
    LoadContacts();
    resize(Twips::toPixels(3450), Twips::toPixels(5265));
    SetNowExpland(AppSettings::lastExpland());
    DragForm::install(this);
}

void frmContacts::buildControls()
{
    const QStringList captions { QStringLiteral("添加"), QStringLiteral("编辑"),
                                 QStringLiteral("删除"), QStringLiteral("模板") };
    const QStringList tips { QStringLiteral("添加一个新的联系人"), QString(),
                             QStringLiteral("删除一个联系人"), QString() };
    m_toolBar->setObjectName(QStringLiteral("tbContacts"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (int i = 0; i < captions.size(); ++i) {
        QAction *button = m_toolBar->addAction(captions.at(i));
        button->setObjectName(QStringLiteral("tbContacts(%1)").arg(i + 1));
        button->setToolTip(tips.at(i).isEmpty() ? captions.at(i) : tips.at(i));
        button->setEnabled(i != 1 && i != 2);
    }
    const auto buttons = m_toolBar->actions();
    connect(buttons.at(0), &QAction::triggered, this, [this] {
        if (!refusedAsReadOnly())
            emit openDetailsRequested(ContactNames::placeholderName(), QString());
    });
    connect(buttons.at(1), &QAction::triggered, this, &frmContacts::editSelected);
    connect(buttons.at(2), &QAction::triggered, this, &frmContacts::deleteSelected);
    connect(buttons.at(3), &QAction::triggered, this, [this] {
        if (!refusedAsReadOnly())
            emit openDetailsRequested(ContactNames::templateName(), QString());
    });

    auto *banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setGeometry(0, 0, Twips::toPixels(3135), Twips::toPixels(315));
    banner->lower();
    auto *viewType = new QLabel(this);
    viewType->setObjectName(QStringLiteral("lblViewType"));
    viewType->hide();

    m_search->setObjectName(QStringLiteral("txtSearch"));
    m_search->setText(searchPrompt);
    m_search->setToolTip(QStringLiteral(
        "你可输入姓、名、电话、地址、公司名称、地址等字段中的部分或全部信息,请用[空格]"
        "隔开各关键字.姓与名请隔开写.输完后请按右边的\"图标\"进行搜索"));
    m_search->setAccessibleName(QStringLiteral("搜索关键字"));
    m_search->setGeometry(Twips::toPixels(20), Twips::toPixels(375), Twips::toPixels(2970),
                          Twips::toPixels(285));
    // A thin flat edge instead of the sunken one.
    m_search->setFrame(false);
    m_search->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(mid); }"));
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::returnPressed, this,
            [this] { emit searchRequested(m_search->text()); });

    m_searchIcon->setObjectName(QStringLiteral("Image2"));
    m_searchIcon->setPixmap(
        style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(16, 16));
    m_searchIcon->setToolTip(QStringLiteral("快速搜索"));
    m_searchIcon->setAccessibleName(QStringLiteral("快速搜索"));
    m_searchIcon->setGeometry(Twips::toPixels(3020), Twips::toPixels(390), Twips::toPixels(240),
                              Twips::toPixels(240));
    connect(m_searchIcon, &ClickableLabel::clicked, this,
            [this] { emit searchRequested(m_search->text()); });

    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->setToolTip(QStringLiteral("您可以将某一个联系人拖到另外一个关系组"));
    m_tree->setAccessibleName(QStringLiteral("联系人名单"));
    m_tree->setGeometry(0, Twips::toPixels(720), Twips::toPixels(3340), Twips::toPixels(3855));
    m_tree->setMouseTracking(true);
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *node) { TreeView1_NodeClick(node); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &frmContacts::editSelected);
    connect(m_tree, &QTreeWidget::itemExpanded, this, &frmContacts::fillGroup);
    connect(m_tree, &ContactTreeWidget::contactDropped, this, &frmContacts::MoveContactNode);

    m_statusBar->setObjectName(QStringLiteral("sbContacts"));
    m_statusBar->setSizeGripEnabled(false);
    m_status->setObjectName(QStringLiteral("sbContacts(1)"));
    m_status->setTextFormat(Qt::PlainText);
    m_statusBar->addWidget(m_status, 1);
}

QTreeWidgetItem *frmContacts::addGroupNode(const QString &name)
{
    auto *group = new QTreeWidgetItem(QStringList(name));
    group->setData(0, keyRole, ContactKeys::groupKey(++GroupNum));
    group->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    group->setToolTip(0,
                      QStringLiteral("您可以在查看详细信息时通过设置[关系类别]来更改关系组的名称"));
    m_tree->addTopLevelItem(group);
    return group;
}

QTreeWidgetItem *frmContacts::newContactNode(const QString &key, const QString &name) const
{
    auto *contact = new QTreeWidgetItem(QStringList(name));
    contact->setData(0, keyRole, key);
    contact->setIcon(0, m_contactIcon);
    return contact;
}

QTreeWidgetItem *frmContacts::addContactNode(QTreeWidgetItem *group, const QString &key,
                                             const QString &name)
{
    QTreeWidgetItem *contact = newContactNode(key, name);
    group->addChild(contact);
    return contact;
}

void frmContacts::LoadContacts()
{
    m_tree->clear();
    m_unread.clear();
    GroupNum = 0;
    DragNode = nullptr;
    const auto groups = ContactGrouping::groups(m_database);
    if (!groups) {
        GroupCount = 0;
        ContactCount = 0;
        m_status->setText(groups.message());
        return;
    }
    for (const ContactGrouping::Group &group : groups.value()) {
        QTreeWidgetItem *node = addGroupNode(group.name);
        // Whatever its count says: a group that some contact names opens and shows what it holds.
        if (!group.types.isEmpty()) {
            node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            m_unread.insert(node, group);
        }
    }
    showCounts();
}

void frmContacts::fillGroup(QTreeWidgetItem *group)
{
    const auto unread = m_unread.constFind(group);
    if (unread == m_unread.constEnd())
        return;
    const auto contacts = ContactGrouping::contacts(m_database, *unread);
    if (!contacts) {
        // Left unread, so opening the group again tries again.
        m_status->setText(contacts.message());
        return;
    }
    m_unread.erase(unread);
    group->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    QList<QTreeWidgetItem *> children;
    children.reserve(contacts.value().size());
    for (const ContactGrouping::Contact &contact : contacts.value())
        children << newContactNode(ContactKeys::contactKey(contact.id), contact.displayName);
    group->addChildren(children);
    showCounts();
}

void frmContacts::refreshUnreadCounts()
{
    const auto groups = ContactGrouping::groups(m_database);
    if (!groups)
        return;
    QHash<QString, ContactGrouping::Group> now;
    for (const ContactGrouping::Group &group : groups.value())
        now.insert(ContactGrouping::groupKey(group.name), group);
    for (auto unread = m_unread.begin(); unread != m_unread.end();) {
        const ContactGrouping::Group group
            = now.value(ContactGrouping::groupKey(unread.key()->text(0)));
        if (!group.types.isEmpty()) {
            unread->types = group.types;
            unread->contactCount = group.contactCount;
            ++unread;
        } else {
            unread.key()->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
            unread = m_unread.erase(unread);
        }
    }
}

void frmContacts::showContactIn(QTreeWidgetItem *group, const QString &key, const QString &name)
{
    fillGroup(group);
    QTreeWidgetItem *node = nullptr;
    for (int i = 0; i < group->childCount() && !node; ++i) {
        if (keyOf(group->child(i)) == key)
            node = group->child(i);
    }
    if (node)
        node->setText(0, name);
    else
        node = addContactNode(group, key, name);
    group->setExpanded(true);
    selectNode(node);
}

void frmContacts::showCounts()
{
    GroupCount = m_tree->topLevelItemCount();
    ContactCount = 0;
    for (int i = 0; i < GroupCount; ++i) {
        QTreeWidgetItem *group = m_tree->topLevelItem(i);
        const auto unread = m_unread.constFind(group);
        ContactCount += unread == m_unread.constEnd() ? group->childCount() : unread->contactCount;
    }
    m_status->setText(QString::number(GroupCount) + QStringLiteral("个分组,")
                      + QString::number(ContactCount)
                      + QStringLiteral("个联系人,双击查看详细信息."));
}

QTreeWidget *frmContacts::tree() const
{
    return m_tree;
}

QString frmContacts::statusText() const
{
    return m_status->text();
}

void frmContacts::selectNode(QTreeWidgetItem *node)
{
    m_tree->setCurrentItem(node);
}

QTreeWidgetItem *frmContacts::FindGroupNode(const QString &name) const
{
    // By the rule the tree was built by, so "vip" finds the node "VIP".
    const QString key = ContactGrouping::groupKey(name);
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        if (ContactGrouping::groupKey(m_tree->topLevelItem(i)->text(0)) == key)
            return m_tree->topLevelItem(i);
    }
    return nullptr;
}

void frmContacts::Update_Main_List(const QString &IDStr, const QString &GroupStr,
                                   const QString &Mystr)
{
    QTreeWidgetItem *shown = contactNode(IDStr);
    if (shown && shown->parent() == FindGroupNode(GroupStr)) {
        shown->setText(0, Mystr);
        selectNode(shown);
        return;
    }
    if (shown) {
        if (DragNode == shown)
            DragNode = nullptr;
        delete shown;
    } else if (!m_unread.isEmpty()) {
        // It may have been counted in a group not read yet, which the file no longer has it in.
        refreshUnreadCounts();
    }
    QTreeWidgetItem *group = FindGroupNode(GroupStr);
    if (!group)
        group = addGroupNode(GroupStr);
    showContactIn(group, IDStr, Mystr);
    showCounts();
}

QTreeWidgetItem *frmContacts::contactNode(const QString &key) const
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *group = m_tree->topLevelItem(i);
        for (int j = 0; j < group->childCount(); ++j) {
            if (keyOf(group->child(j)) == key)
                return group->child(j);
        }
    }
    return nullptr;
}

void frmContacts::reportError(MessageIcon icon, const QString &text)
{
    Prompts::current().message(this, icon, QStringLiteral("出错啦！"), text);
}

void frmContacts::editSelected()
{
    QTreeWidgetItem *node = m_tree->currentItem();
    if (isContactNode(node))
        emit openDetailsRequested(node->text(0), keyOf(node));
}

bool frmContacts::refusedAsReadOnly()
{
    return ReadOnlyFile::refuses(this, m_database.isReadOnly());
}

void frmContacts::deleteSelected()
{
    if (refusedAsReadOnly() || !CheckAccess(this))
        return;
    QTreeWidgetItem *node = m_tree->currentItem();
    if (!isContactNode(node))
        return;
    const QString name = node->text(0);
    if (Prompts::current().askYesNo(this, MessageIcon::Question, QStringLiteral("删除联系人"),
                                    QStringLiteral("您确实要删除:[") + name
                                        + QStringLiteral("] 吗?"))
        != Answer::Yes)
        return;
    const qint64 id = ContactKeys::leadingNumber(keyOf(node));
    if (id <= 0) {
        reportError(MessageIcon::Exclamation, QStringLiteral("该联系人的联系方式有问题哦"));
        return;
    }
    const auto removed = ContactRows::remove(m_database, id);
    if (!removed) {
        reportError(MessageIcon::Critical,
                    QStringLiteral("删除联系人时出现错误哦: ") + name + QLatin1Char('\n')
                        + removed.message());
        return;
    }
    if (!removed.value()) {
        reportError(MessageIcon::Exclamation,
                    QStringLiteral("没有找到该联系人哦，请确认数据库是否被损坏！"));
        return;
    }
    QTreeWidgetItem *group = node->parent();
    const int index = group->indexOfChild(node);
    QTreeWidgetItem *sibling
        = group->child(index + 1) ? group->child(index + 1) : group->child(index - 1);
    if (DragNode == node)
        DragNode = nullptr;
    delete node;
    m_tree->setCurrentItem(sibling);
    if (!sibling)
        m_tree->clearSelection();
    showCounts();
    TreeView1_NodeClick(nullptr);
}

void frmContacts::MoveContactNode(const QString &contactKey, QTreeWidgetItem *target)
{
    QTreeWidgetItem *source = contactNode(contactKey);
    if (!source || !target)
        return;
    QTreeWidgetItem *group = target->parent() ? target->parent() : target;
    if (group == source->parent() || refusedAsReadOnly())
        return;
    const auto moved
        = ContactRows::setGroup(m_database, ContactKeys::leadingNumber(contactKey), group->text(0));
    if (!moved) {
        reportError(MessageIcon::Exclamation, moved.message());
        return;
    }
    if (!moved.value())
        return;
    const QString name = source->text(0);
    if (DragNode == source)
        DragNode = nullptr;
    delete source;
    showContactIn(group, contactKey, name);
    showCounts();
}

void frmContacts::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (node)
        node->setExpanded(!node->isExpanded());
    const bool contact = isContactNode(m_tree->currentItem());
    const auto buttons = m_toolBar->actions();
    buttons.at(1)->setEnabled(contact);
    buttons.at(2)->setEnabled(contact);
}

QString frmContacts::GetNowExplandStr() const
{
    const QTreeWidgetItem *selected = m_tree->currentItem();
    if (!selected)
        return m_tree->topLevelItemCount() > 0 ? m_tree->topLevelItem(0)->text(0) : QString();
    return selected->parent() ? selected->parent()->text(0) : selected->text(0);
}

void frmContacts::SetNowExpland(const QString &name)
{
    const int roots = m_tree->topLevelItemCount();
    if (roots == 0)
        return;
    QTreeWidgetItem *group = m_tree->topLevelItem(name.trimmed().isEmpty() ? 0 : roots - 1);
    if (!name.trimmed().isEmpty()) {
        if (QTreeWidgetItem *named = FindGroupNode(name))
            group = named;
    }
    selectNode(group);
    group->setExpanded(true);
    m_tree->scrollToItem(group);
}

QSize frmContacts::outerSize() const
{
    if (const auto *window = qobject_cast<const QMdiSubWindow *>(parentWidget()))
        return window->size();
    return frameGeometry().size();
}

void frmContacts::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A size the controls cannot take (the window made very small) leaves them as they were.
    const QSize outer = outerSize();
    const int treeWidth = outer.width() - Twips::toPixels(80);
    const int treeHeight = outer.height() - Twips::toPixels(1500);
    if (treeWidth > 0)
        m_tree->resize(treeWidth, m_tree->height());
    if (treeHeight > 0)
        m_tree->resize(m_tree->width(), treeHeight);
    const int iconLeft = outer.width() - Twips::toPixels(140) - m_searchIcon->width();
    if (iconLeft >= 0)
        m_searchIcon->move(iconLeft, m_searchIcon->y());
    const int searchWidth = outer.width() - m_searchIcon->width() - Twips::toPixels(200);
    if (searchWidth > 0)
        m_search->setGeometry(0, m_search->y(), searchWidth, m_search->height());
    m_toolBar->setGeometry(0, 0, width(), m_toolBar->sizeHint().height());
    const int barHeight = m_statusBar->sizeHint().height();
    m_statusBar->setGeometry(0, height() - barHeight, width(), barHeight);
}

void frmContacts::closeEvent(QCloseEvent *event)
{
    HasSHowMe = false;
    AppSettings::setLastExpland(GetNowExplandStr());
    event->accept();
}

bool frmContacts::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search)
        return handleSearchBoxEvent(event);
    if (watched == m_tree->viewport())
        return handleTreeEvent(event);
    return QWidget::eventFilter(watched, event);
}

bool frmContacts::handleSearchBoxEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        // After the click that gave the focus has placed the cursor.
        QTimer::singleShot(0, m_search, &QLineEdit::selectAll);
        return false;
    case QEvent::MouseButtonDblClick:
        m_search->selectAll();
        return true;
    case QEvent::MouseButtonRelease:
        if (m_search->text().trimmed() == searchPrompt)
            QTimer::singleShot(0, m_search, &QLineEdit::selectAll);
        return false;
    default:
        return false;
    }
}

bool frmContacts::handleTreeEvent(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        DragNode = m_tree->itemAt(static_cast<QMouseEvent *>(event)->position().toPoint());
        if (DragNode)
            selectNode(DragNode);
    } else if (event->type() == QEvent::MouseMove) {
        showNodeToolTip(static_cast<QMouseEvent *>(event)->position().toPoint());
    }
    return false;
}

void frmContacts::showNodeToolTip(const QPoint &position)
{
    QTreeWidgetItem *node = m_tree->itemAt(position);
    QString tip;
    if (isContactNode(node)) {
        tip = QStringLiteral("双击可以查看[") + node->text(0)
            + QStringLiteral("]的详细信息，您也可以直接把他/她拖到另外一个关系组里");
    } else {
        DragNode = nullptr;
        if (node)
            tip = QStringLiteral("您可以在查看详细信息时通过设置[关系类别]来更改关系组的名称");
    }
    tip = PlainText::toolTip(tip);
    m_tree->setToolTip(tip);
    m_tree->viewport()->setToolTip(tip);
}
