#include "frmMain.h"

#include "CardMenu.h"
#include "DataFileHealth.h"
#include "DataFileMenu.h"
#include "FrmPwd.h"
#include "FrmUpdate.h"
#include "ImportCommand.h"
#include "StartUp.h"
#include "app/AppLifetime.h"
#include "app/Greeting.h"
#include "categories/CategoryKind.h"
#include "categories/widgets/FrmType.h"
#include "contacts/ContactSearchIndex.h"
#include "contacts/widgets/DetailsOpener.h"
#include "contacts/widgets/FrmSearch.h"
#include "contacts/widgets/frmContacts.h"
#include "contacts/widgets/frmDetails.h"
#include "data/DataFileCommands.h"
#include "duplicates/widgets/FrmDuplicates.h"
#include "frmAbout.h"
#include "reminders/widgets/frmReminders.h"
#include "shared/AppEnvironment.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"
#include "shared/Clock.h"
#include "shared/Twips.h"
#include "shared/widgets/Desktop.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"
#include "sync/widgets/SyncCommands.h"

#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>

namespace {

// How many windows "close all" closes at most in one go.
constexpr int closeAllLimit = 51;

bool isTextBox(const QObject *object)
{
    if (const auto *box = qobject_cast<const QComboBox *>(object))
        return box->isEditable();
    return qobject_cast<const QLineEdit *>(object) || qobject_cast<const QTextEdit *>(object)
        || qobject_cast<const QPlainTextEdit *>(object)
        || qobject_cast<const QAbstractSpinBox *>(object);
}

} // namespace

frmMain::frmMain(std::unique_ptr<Database> database, QWidget *parent)
    : QMainWindow(parent)
    , m_database(std::move(database))
    , m_searchIndex(std::make_unique<ContactSearchIndex>(*m_database))
    , m_mdi(new QMdiArea(this))
    , m_greeting(new QLabel(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(m_mdi);
    // Card images dropped anywhere on the frame open the scan review.
    setAcceptDrops(true);
    // A child window placed past the client area's edge can still be reached.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    buildMenus();
    statusBar()->setObjectName(QStringLiteral("sbMain"));
    statusBar()->addWidget(m_greeting, 1);
    m_greeting->setObjectName(QStringLiteral("sbMain(1)"));
    // The greeting names the account as the data file spells it.
    m_greeting->setTextFormat(Qt::PlainText);
    resize(Twips::toPixels(9750), Twips::toPixels(7170));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    restoreGeometry(AppSettings::mainWindowGeometry());
    qApp->installEventFilter(this);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &frmMain::showGreeting);
    m_timer->start();
    mnuShowContactList_Click();
    // Once the window shows: a large file's check must not hold up the first look at it.
    QTimer::singleShot(0, this, [this] { DataFileHealth::follow(*this); });
}

frmMain::~frmMain()
{
    // The child windows use the connection: they go first.
    delete takeCentralWidget();
}

QMenu *frmMain::addMenu(const QString &name, const QString &caption)
{
    QMenu *menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

QAction *frmMain::addItem(QMenu *menu, const QString &name, const QString &caption,
                          const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

void frmMain::addSeparator(QMenu *menu, const QString &name)
{
    menu->addSeparator()->setObjectName(name);
}

void frmMain::buildMenus()
{
    QMenu *file = addMenu(QStringLiteral("mnuFile"), QStringLiteral("系统"));
    connect(addItem(file, QStringLiteral("Create_New"), QStringLiteral("创建新的数据库")),
            &QAction::triggered, this, &frmMain::Create_New_Click);
    connect(addItem(file, QStringLiteral("SaveMydata"), QStringLiteral("备份数据库文件")),
            &QAction::triggered, this, &frmMain::SaveMydata_Click);
    addSeparator(file, QStringLiteral("linehaha"));
    connect(addItem(file, QStringLiteral("OpenMydata"), QStringLiteral("选择数据库文件")),
            &QAction::triggered, this, &frmMain::OpenMydata_Click);
    connect(addItem(file, QStringLiteral("Default_Data"), QStringLiteral("打开默认数据库")),
            &QAction::triggered, this, &frmMain::Default_Data_Click);
    connect(addItem(file, QStringLiteral("ImportOther"), QStringLiteral("导入数据文件")),
            &QAction::triggered, this, &frmMain::ImportOther_Click);
    addSeparator(file, QStringLiteral("line4"));
    connect(addItem(file, QStringLiteral("Login"), QStringLiteral("重新登陆"),
                    QKeySequence(QStringLiteral("Ctrl+L"))),
            &QAction::triggered, this, &frmMain::Login_Click);
    connect(addItem(file, QStringLiteral("UpdatePwd"), QStringLiteral("更改密码"),
                    QKeySequence(QStringLiteral("Ctrl+D"))),
            &QAction::triggered, this, &frmMain::UpdatePwd_Click);
    addSeparator(file, QStringLiteral("line1"));
    connect(addItem(file, QStringLiteral("CloseAll"), QStringLiteral("关闭所有窗体"),
                    QKeySequence(QStringLiteral("Ctrl+Q"))),
            &QAction::triggered, this, &frmMain::CloseAll_Click);
    connect(addItem(file, QStringLiteral("mnuExit"), QStringLiteral("退出"),
                    QKeySequence(QStringLiteral("Ctrl+X"))),
            &QAction::triggered, this, &frmMain::mnuExit_Click);

    QMenu *users = addMenu(QStringLiteral("UserAdmin"), QStringLiteral("用户"));
    addItem(users, QStringLiteral("UAdmin"), QStringLiteral("用户管理"));
    addItem(users, QStringLiteral("AccessAdmin"), QStringLiteral("权限管理"));
    users->menuAction()->setEnabled(false);

    QMenu *view = addMenu(QStringLiteral("mnuWindows"), QStringLiteral("视图"));
    connect(addItem(view, QStringLiteral("mnuShowContactList"), QStringLiteral("隐藏/显示名单列表"),
                    QKeySequence(QStringLiteral("Ctrl+M"))),
            &QAction::triggered, this, &frmMain::mnuShowContactList_Click);
    connect(addItem(view, QStringLiteral("mnuToDo"), QStringLiteral("隐藏/显示记忆卡"),
                    QKeySequence(QStringLiteral("Ctrl+N"))),
            &QAction::triggered, this, &frmMain::mnuToDo_Click);

    // The program's own card commands, kept out of the menus above; help stays last.
    QMenu *cards = addMenu(QStringLiteral("mnuCards"), QStringLiteral("名片"));
    connect(addItem(cards, QStringLiteral("ScanCards"), QStringLiteral("扫描名片...")),
            &QAction::triggered, this, [this] { CardMenu::scanCards(*this); });
    connect(
        addItem(cards, QStringLiteral("ImportCards"), QStringLiteral("导入名片文件(vCard/CSV)...")),
        &QAction::triggered, this, &frmMain::ImportCards_Click);
    connect(
        addItem(cards, QStringLiteral("ExportCards"), QStringLiteral("导出名片文件(vCard/CSV)...")),
        &QAction::triggered, this, [this] { CardMenu::exportCards(*this); });
    addSeparator(cards, QStringLiteral("lineDuplicates"));
    connect(addItem(cards, QStringLiteral("FindDuplicates"), QStringLiteral("查找重复联系人...")),
            &QAction::triggered, this, &frmMain::FindDuplicates_Click);
    addSeparator(cards, QStringLiteral("lineSync"));
    connect(addItem(cards, QStringLiteral("SyncNow"), QStringLiteral("立即同步")),
            &QAction::triggered, this, [this] {
                if (!ReadOnlyFile::refuses(this, m_database->isReadOnly()))
                    SyncCommands::syncNow({ DB(), this, [this] { showMergedContacts(); } });
            });
    connect(addItem(cards, QStringLiteral("SyncSettings"), QStringLiteral("同步设置(CardDAV)...")),
            &QAction::triggered, this, [this] { SyncCommands::openSettings(this); });

    QMenu *help = addMenu(QStringLiteral("mnuAbout"), QStringLiteral("帮助"));
    connect(addItem(help, QStringLiteral("aboutme"), QStringLiteral("关于"),
                    QKeySequence(QStringLiteral("Ctrl+S"))),
            &QAction::triggered, this, &frmMain::aboutme_Click);
    connect(addItem(help, QStringLiteral("help"), QStringLiteral("帮助"),
                    QKeySequence(QStringLiteral("Ctrl+H"))),
            &QAction::triggered, this, &frmMain::help_Click);
    connect(addItem(help, QStringLiteral("Update"), QStringLiteral("更新检测")),
            &QAction::triggered, this, &frmMain::Update_Click);
}

QMdiSubWindow *frmMain::showChild(QWidget *child)
{
    auto *window = qobject_cast<QMdiSubWindow *>(child->parentWidget());
    if (!window) {
        window = m_mdi->addSubWindow(child);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowIcon(QIcon());
    }
    window->show();
    return window;
}

void frmMain::activateChild(QMdiSubWindow *window)
{
    m_mdi->setActiveSubWindow(window);
}

QList<QMdiSubWindow *> frmMain::openChildren() const
{
    QList<QMdiSubWindow *> open = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    open.removeIf([](const QMdiSubWindow *window) { return window->isHidden(); });
    return open;
}

QMdiSubWindow *frmMain::childWindow(const QString &objectName) const
{
    const auto windows = openChildren();
    for (QMdiSubWindow *window : windows) {
        if (window->widget() && window->widget()->objectName() == objectName)
            return window;
    }
    return nullptr;
}

frmContacts *frmMain::contactList() const
{
    QMdiSubWindow *window = childWindow(QStringLiteral("frmContacts"));
    return window ? qobject_cast<frmContacts *>(window->widget()) : nullptr;
}

frmReminders *frmMain::reminderList() const
{
    QMdiSubWindow *window = childWindow(QStringLiteral("frmReminders"));
    return window ? qobject_cast<frmReminders *>(window->widget()) : nullptr;
}

void frmMain::showGreeting()
{
    m_greeting->setText(Greeting::text(AppState::instance().loginUser, Clock::current().now()));
}

QMdiSubWindow *frmMain::openContactList()
{
    if (QMdiSubWindow *open = childWindow(QStringLiteral("frmContacts")))
        return open;
    auto *list = new frmContacts(*m_database, this);
    connect(list, &frmContacts::searchRequested, this, &frmMain::OpenSearch);
    connect(list, &frmContacts::openDetailsRequested, this, &frmMain::OpenDetails);
    QMdiSubWindow *window = showChild(list);
    window->resize(Twips::toPixels(3450), Twips::toPixels(5265));
    return window;
}

QMdiSubWindow *frmMain::openReminderList()
{
    if (QMdiSubWindow *open = childWindow(QStringLiteral("frmReminders")))
        return open;
    return showChild(new frmReminders(*m_database, this));
}

void frmMain::mnuShowContactList_Click()
{
    QMdiSubWindow *open = childWindow(QStringLiteral("frmContacts"));
    if (open && open->isVisible()) {
        open->close();
        return;
    }
    QMdiSubWindow *window = openContactList();
    window->move(Twips::toPixels(60), Twips::toPixels(60));
    window->show();
}

void frmMain::mnuToDo_Click()
{
    QMdiSubWindow *open = childWindow(QStringLiteral("frmReminders"));
    if (open && open->isVisible()) {
        open->close();
        return;
    }
    QMdiSubWindow *window = openReminderList();
    const int screenWidth = screen() ? screen()->geometry().width() : width();
    window->move(screenWidth - (window->width() + Twips::toPixels(160)), Twips::toPixels(60));
    window->show();
}

void frmMain::layoutChildren()
{
    if (isMinimized())
        return;
    QMdiSubWindow *reminders = openReminderList();
    reminders->move(width() - (reminders->width() + Twips::toPixels(240)), reminders->y());
    frmContacts *list = contactList();
    if (list && list->HasSHowMe) {
        QMdiSubWindow *window = childWindow(QStringLiteral("frmContacts"));
        const int height = this->height() - Twips::toPixels(1200);
        window->setGeometry(Twips::toPixels(60), 0, window->width(),
                            height > 0 ? height : window->height());
    }
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    layoutChildren();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible())
        layoutChildren();
}

void frmMain::CloseAll_Click()
{
    for (int closed = 0; closed < closeAllLimit; ++closed) {
        QMdiSubWindow *window = m_mdi->currentSubWindow();
        if (!window || window->isHidden()) {
            const auto open = openChildren();
            if (open.isEmpty())
                return;
            window = open.constLast();
        }
        // A window that refuses to close (an editor still missing a name) has told the user why;
        // asking it again and again would only repeat that message.
        if (!window->close())
            return;
    }
}

void frmMain::mnuExit_Click()
{
    // No window runs its closing steps here, but typed changes are not thrown away: an editor
    // that cannot store them (a name left empty) has said why, and the program stays.
    const auto windows = openChildren();
    for (QMdiSubWindow *window : windows) {
        auto *editor = qobject_cast<frmDetails *>(window->widget());
        if (editor && !editor->storeChanges()) {
            activateChild(window);
            return;
        }
    }
    AppSettings::setMainWindowGeometry(saveGeometry());
    AppLifetime::endProgram();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && isTextBox(watched)
        && static_cast<QKeyEvent *>(event)->keyCombination()
            == QKeyCombination(Qt::ControlModifier, Qt::Key_X)) {
        event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!CardMenu::cardImages(event->mimeData()->urls()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    const QStringList images = CardMenu::cardImages(event->mimeData()->urls());
    if (images.isEmpty())
        return;
    event->acceptProposedAction();
    CardMenu::scanCards(*this, images);
}

void frmMain::Login_Click()
{
    relogin();
}

void frmMain::relogin(const QString &dataFile)
{
    if (m_importing) {
        Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("出错啦"),
                                   QStringLiteral("正在导入数据，导入结束后才能重新登陆。"));
        return;
    }
    m_reloginRequested = true;
    if (!close()) {
        // The window that stayed open has said why; the switch itself must not go unnoticed.
        if (!dataFile.isEmpty())
            Prompts::current().message(
                this, MessageIcon::Exclamation, QStringLiteral("出错啦"),
                QStringLiteral("有窗口不能关闭，仍在使用原来的数据库文件。请处理好该窗口后再试。"));
        return;
    }
    // The login is queued: it opens the file named here.
    if (!dataFile.isEmpty())
        DataFileCommands::choose(dataFile);
}

void frmMain::UpdatePwd_Click()
{
    if (ReadOnlyFile::refuses(this, m_database->isReadOnly()))
        return;
    QMdiSubWindow *window = childWindow(QStringLiteral("FrmPwd"));
    if (!window) {
        window = showChild(new FrmPwd(*m_database, this));
        window->adjustSize();
    }
    if (width() > Twips::toPixels(5000) && height() > Twips::toPixels(4000))
        window->move((width() - window->width()) / 2, window->y());
    window->show();
    m_mdi->setActiveSubWindow(window);
}

void frmMain::Update_Click()
{
    QMdiSubWindow *window = childWindow(QStringLiteral("FrmUpdate"));
    if (!window)
        window = showChild(new FrmUpdate(this));
    window->show();
    m_mdi->setActiveSubWindow(window);
}

void frmMain::OpenSearch(const QString &keywords)
{
    QMdiSubWindow *window = childWindow(QStringLiteral("FrmSearch"));
    if (!window) {
        auto *search = new FrmSearch(*m_searchIndex, this);
        connect(search, &FrmSearch::openDetailsRequested, this, &frmMain::OpenDetails);
        window = showChild(search);
    }
    m_mdi->setActiveSubWindow(window);
    qobject_cast<FrmSearch *>(window->widget())->OpenSearch(keywords);
}

void frmMain::OpenDetails(const QString &displayName, const QString &key)
{
    DetailsOpener::OpenDetails(*this, displayName, key);
}

void frmMain::RefreshContacts()
{
    if (QMdiSubWindow *list = childWindow(QStringLiteral("frmContacts")))
        list->close();
    CloseAll_Click();
    ReloadContactList();
}

void frmMain::ReloadContactList()
{
    if (QMdiSubWindow *list = childWindow(QStringLiteral("frmContacts")))
        list->close();
    QCoreApplication::processEvents();
    QMdiSubWindow *window = openContactList();
    window->move(Twips::toPixels(60), Twips::toPixels(60));
    window->show();
}

void frmMain::Create_New_Click()
{
    DataFileMenu::createNew(*this);
}

void frmMain::SaveMydata_Click()
{
    DataFileMenu::backUp(*this);
}

void frmMain::OpenMydata_Click()
{
    DataFileMenu::chooseFile(*this);
}

void frmMain::Default_Data_Click()
{
    DataFileMenu::useDefault(*this);
}

void frmMain::ImportOther_Click()
{
    if (m_importing)
        return;
    m_importing = true;
    ImportCommand::run(*this);
    m_importing = false;
}

void frmMain::ImportCards_Click()
{
    if (ReadOnlyFile::refuses(this, m_database->isReadOnly()))
        return;
    m_importing = true;
    CardMenu::importCards(*this);
    m_importing = false;
}

void frmMain::aboutme_Click()
{
    frmAbout about(this);
    about.exec();
}

void frmMain::FindDuplicates_Click()
{
    QMdiSubWindow *window = childWindow(QStringLiteral("FrmDuplicates"));
    if (!window) {
        auto *finder = new FrmDuplicates(*m_database, this);
        connect(finder, &FrmDuplicates::contactsChanged, this, &frmMain::showMergedContacts);
        window = showChild(finder);
    }
    m_mdi->setActiveSubWindow(window);
    qobject_cast<FrmDuplicates *>(window->widget())->findDuplicates();
}

void frmMain::showMergedContacts()
{
    ReloadContactList();
    if (QMdiSubWindow *search = childWindow(QStringLiteral("FrmSearch")))
        qobject_cast<FrmSearch *>(search->widget())->refreshRows();
    // The reloaded list came to the front; the user goes on in the finder.
    if (QMdiSubWindow *finder = childWindow(QStringLiteral("FrmDuplicates")))
        m_mdi->setActiveSubWindow(finder);
}

void frmMain::help_Click()
{
    Desktop::current().openUrl(
        QUrl::fromLocalFile(AppEnvironment::current().shippedFile(QStringLiteral("readme.txt"))));
}

void frmMain::openCategoryManager(int kind, QWidget *opener)
{
    FrmType manager(*m_database, opener);
    manager.Str_RecSource = QStringLiteral("ContactType");
    manager.Int_Type = kind;
    manager.setWindowTitle(CategoryKind::managerCaption(kind));
    // Queued: the refresh closes the window that opened the manager, which is still inside exec().
    connect(&manager, &FrmType::refreshContactsRequested, this, &frmMain::RefreshContacts,
            Qt::QueuedConnection);
    manager.exec();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_importing) {
        event->ignore();
        return;
    }
    m_mdi->closeAllSubWindows();
    if (!openChildren().isEmpty()) {
        m_reloginRequested = false;
        event->ignore();
        return;
    }
    m_timer->stop();
    AppSettings::setMainWindowGeometry(saveGeometry());
    event->accept();
    if (m_reloginRequested)
        QTimer::singleShot(0, qApp, [] { StartUp::showLogin(); });
    else
        AppLifetime::endProgram();
}
