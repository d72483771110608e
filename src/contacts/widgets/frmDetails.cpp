#include "frmDetails.h"

#include "categories/CategoryKind.h"
#include "categories/CategoryModel.h"
#include "categories/widgets/FrmType.h"
#include "contacts/ContactGroup.h"
#include "contacts/ContactKeys.h"
#include "contacts/ContactLinks.h"
#include "contacts/widgets/frmContacts.h"
#include "data/Transaction.h"
#include "shared/widgets/ChildWindowHost.h"
#include "shared/widgets/ClickableLabel.h"
#include "shared/widgets/Desktop.h"
#include "shared/widgets/PlainText.h"
#include "shared/widgets/Prompts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QString errorCaption = QStringLiteral("出错啦！");
const QColor hoverColour(0, 0, 255);

// The first entry of every drop-down list; choosing it opens the category manager.
QString settingsEntry()
{
    return QStringLiteral("-=类别设置=-");
}

void fillList(QComboBox *box, const QStringList &names, const QString &text)
{
    // Clearing an editable box clears its text as well: the stored value is put back.
    box->clear();
    box->addItem(settingsEntry());
    box->addItems(names);
    box->setEditText(text);
}

} // namespace

frmDetails::frmDetails(Database &database, qint64 contactId, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
    , m_store(database)
    , m_id(contactId)
{
    build();
    const auto loaded = m_store.load(contactId);
    if (!loaded) {
        m_loadStatus = loaded.status();
        return;
    }
    showContact(loaded.value());
}

frmDetails::frmDetails(Database &database, const ContactRecord &fresh, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
    , m_store(database)
    , m_id(0)
{
    build();
    showContact(fresh);
}

void frmDetails::build()
{
    setObjectName(QStringLiteral("frmDetails"));
    setWindowTitle(QStringLiteral("详细信息"));
    m_controls = DetailsControls::build(this);
    connectControls();
    LoadCategoryLists(0);
    m_sections.build(*this, m_controls.tabs);
}

void frmDetails::showContact(const ContactRecord &record)
{
    showRecord(record);
    m_shown = recordFromBoxes();
    m_sections.load(m_shown);
    setWindowTitle(captionFor(record.displayName()));
    if (record.displayName() == ContactNames::templateName())
        makeTemplate();
}

QString frmDetails::captionFor(const QString &displayName)
{
    return QStringLiteral("联系人 - ") + displayName;
}

void frmDetails::connectControls()
{
    const DetailsControls &c = m_controls;
    for (QWidget *input : c.inputs())
        input->installEventFilter(this);
    for (QLabel *caption :
         { c.titleCaption, c.labelCaption, c.groupCaption, c.mailLink, c.webLink, c.closeCaption })
        caption->installEventFilter(this);
    connect(c.titleCaption, &ClickableLabel::clicked, this,
            [this] { openCategoryManager(CategoryKind::JobTitle); });
    connect(c.labelCaption, &ClickableLabel::clicked, this,
            [this] { openCategoryManager(CategoryKind::ContactMethod); });
    connect(c.groupCaption, &ClickableLabel::clicked, this,
            [this] { openCategoryManager(CategoryKind::RelationshipGroup); });
    connect(c.mailLink, &ClickableLabel::clicked, this, &frmDetails::openMail);
    connect(c.webLink, &ClickableLabel::clicked, this, &frmDetails::openWebsite);
    connect(c.closeCaption, &ClickableLabel::clicked, this, &frmDetails::closeWindow);
    for (QLineEdit *box : { c.address1, c.address2, c.companyName })
        box->setMouseTracking(true);
    for (QLineEdit *box : { c.firstName, c.lastName })
        connect(box, &QLineEdit::textChanged, this, [this, box] { keepNameTrimmed(box); });
    for (int i = 0; i < 2; ++i) {
        connect(c.storedCategories[i], &QLineEdit::textChanged, this,
                [this, i] { storedCategoryChanged(i); });
        connect(c.categories[i], &QComboBox::activated, this,
                [this, i](int entry) { categoryChosen(i, entry); });
    }
    for (int i = 0; i < 4; ++i) {
        connect(c.storedLabels[i], &QLineEdit::textChanged, this,
                [this, i](const QString &text) { m_controls.labels[i]->setEditText(text); });
        connect(c.labels[i], &QComboBox::activated, this,
                [this, i](int entry) { labelChosen(i, entry); });
    }
}

void frmDetails::LoadCategoryLists(int kind)
{
    // A list that cannot be read leaves its boxes as they were.
    CategoryModel model(m_database);
    const QList<int> kinds = kind == 0
        ? QList<int> { CategoryKind::JobTitle, CategoryKind::ContactMethod,
                       CategoryKind::RelationshipGroup }
        : QList<int> { kind };
    for (int listed : kinds) {
        const auto read = model.categories(listed);
        if (!read)
            continue;
        QStringList names;
        for (const Category &category : read.value())
            names << ContactNames::trimBlanks(category.name).toString();
        if (listed == CategoryKind::ContactMethod) {
            for (int i = 0; i < 4; ++i)
                fillList(m_controls.labels[i], names, m_controls.storedLabels[i]->text());
        } else {
            const int i = listed == CategoryKind::JobTitle ? 0 : 1;
            fillList(m_controls.categories[i], names, m_controls.storedCategories[i]->text());
        }
    }
}

void frmDetails::showRecord(const ContactRecord &record)
{
    const DetailsControls &c = m_controls;
    c.firstName->setText(record.firstName);
    c.lastName->setText(record.lastName);
    c.address1->setText(record.address1);
    c.address2->setText(record.address2);
    c.address3->setText(record.address3);
    c.companyName->setText(record.companyName);
    c.postcode->setText(record.postcode);
    c.storedCategories[0]->setText(record.title);
    c.storedCategories[1]->setText(record.type);
    for (int i = 0; i < 4; ++i) {
        c.storedLabels[i]->setText(record.labels[i]);
        c.numbers[i]->setText(record.numbers[i]);
        // An unchanged text sends no change: the box is set either way.
        c.labels[i]->setEditText(record.labels[i]);
    }
    c.email->setText(record.email);
    c.website->setText(record.website);
    c.notes->setPlainText(record.notes);
    storedCategoryChanged(0);
    storedCategoryChanged(1);
}

ContactRecord frmDetails::recordFromBoxes() const
{
    const DetailsControls &c = m_controls;
    ContactRecord record;
    record.id = m_id;
    record.firstName = c.firstName->text();
    record.lastName = c.lastName->text();
    record.title = c.storedCategories[0]->text();
    record.type = c.storedCategories[1]->text();
    record.companyName = c.companyName->text();
    record.address1 = c.address1->text();
    record.address2 = c.address2->text();
    record.address3 = c.address3->text();
    record.postcode = c.postcode->text();
    for (int i = 0; i < 4; ++i) {
        record.numbers[i] = c.numbers[i]->text();
        record.labels[i] = c.storedLabels[i]->text();
    }
    record.email = c.email->text();
    record.website = c.website->text();
    record.notes = c.notes->toPlainText();
    return record;
}

void frmDetails::storedCategoryChanged(int index)
{
    QLineEdit *group = m_controls.storedCategories[1];
    if (ContactGroup::isBlank(group->text()))
        group->setText(ContactGroup::defaultName());
    m_controls.categories[index]->setEditText(m_controls.storedCategories[index]->text());
}

void frmDetails::categoryChosen(int index, int entry)
{
    QComboBox *box = m_controls.categories[index];
    if (entry == 0) {
        box->setEditText(m_controls.storedCategories[index]->text());
        openCategoryManager(index == 0 ? CategoryKind::JobTitle : CategoryKind::RelationshipGroup);
    } else {
        m_controls.storedCategories[index]->setText(box->currentText());
    }
    box->setToolTip(PlainText::toolTip(box->currentText()));
}

void frmDetails::labelChosen(int index, int entry)
{
    QComboBox *box = m_controls.labels[index];
    if (entry == 0) {
        box->setEditText(m_controls.storedLabels[index]->text());
        openCategoryManager(CategoryKind::ContactMethod);
    } else {
        m_controls.storedLabels[index]->setText(box->currentText());
    }
}

void frmDetails::leaveCategory(int index)
{
    QComboBox *box = m_controls.categories[index];
    if (index == 1)
        box->setEditText(ContactGroup::clean(box->currentText()));
    m_controls.storedCategories[index]->setText(box->currentText());
}

void frmDetails::leaveLabel(int index)
{
    // A label typed rather than chosen is kept, as the title and group boxes keep theirs.
    m_controls.storedLabels[index]->setText(m_controls.labels[index]->currentText());
}

void frmDetails::commitFocusedBox()
{
    for (int i = 0; i < 2; ++i) {
        if (m_controls.categories[i]->hasFocus())
            leaveCategory(i);
    }
    for (int i = 0; i < 4; ++i) {
        if (m_controls.labels[i]->hasFocus())
            leaveLabel(i);
    }
    m_sections.finishEditing();
}

void frmDetails::openCategoryManager(int kind)
{
    FrmType manager(m_database, this);
    manager.Str_RecSource = QStringLiteral("ContactType");
    manager.Int_Type = kind;
    manager.setWindowTitle(CategoryKind::managerCaption(kind));
    if (ChildWindowHost *host = ChildWindowHost::of(this)) {
        // Queued: the refresh closes this editor, which is still inside exec().
        connect(
            &manager, &FrmType::refreshContactsRequested, host->hostWidget(),
            [host] { host->RefreshContacts(); }, Qt::QueuedConnection);
    }
    manager.exec();
    if (kind == CategoryKind::RelationshipGroup)
        followRenamedGroup();
    LoadCategoryLists(kind);
}

void frmDetails::followRenamedGroup()
{
    QLineEdit *group = m_controls.storedCategories[1];
    const auto stored = m_store.load(m_id);
    if (!stored || group->text() != m_shown.type)
        return;
    group->setText(stored.value().type);
    m_shown.type = group->text();
}

void frmDetails::keepNameTrimmed(QLineEdit *box)
{
    const QStringView trimmed = ContactNames::trimBlanks(box->text());
    if (trimmed.size() != box->text().size())
        box->setText(trimmed.toString());
}

void frmDetails::openMail()
{
    if (const auto url = ContactLinks::mailUrl(m_controls.email->text()))
        Desktop::current().openUrl(*url);
}

void frmDetails::openWebsite()
{
    if (const auto url = ContactLinks::webUrl(m_controls.website->text()))
        Desktop::current().openUrl(*url);
}

void frmDetails::setCloseCaptionColour(const QColor &colour)
{
    QPalette palette = m_controls.closeCaption->palette();
    palette.setColor(QPalette::WindowText, colour);
    m_controls.closeCaption->setPalette(palette);
}

bool frmDetails::eventFilter(QObject *watched, QEvent *event)
{
    const DetailsControls &c = m_controls;
    switch (event->type()) {
    case QEvent::KeyPress:
        // The window sees Escape before its controls do.
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            closeWindow();
            return true;
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        return handleFocus(watched, event);
    case QEvent::MouseMove:
        // Long texts can be read in full from the tool tip.
        if (watched == c.address1 || watched == c.address2 || watched == c.companyName) {
            auto *box = static_cast<QLineEdit *>(watched);
            box->setToolTip(PlainText::toolTip(box->text()));
        }
        break;
    case QEvent::Enter:
        if (watched == c.closeCaption)
            setCloseCaptionColour(hoverColour);
        break;
    case QEvent::Leave:
        if (watched == c.closeCaption)
            setCloseCaptionColour(Qt::black);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool frmDetails::handleFocus(QObject *watched, QEvent *event)
{
    const auto *focus = static_cast<QFocusEvent *>(event);
    // Opening and closing a drop-down list moves the focus to the list and back, which is no
    // entering or leaving of the box.
    if (focus->reason() == Qt::PopupFocusReason)
        return false;
    const DetailsControls &c = m_controls;
    const bool entering = event->type() == QEvent::FocusIn;
    for (int i = 0; i < 2; ++i) {
        if (watched == c.categories[i]) {
            if (entering)
                c.categories[i]->setEditText(c.storedCategories[i]->text());
            else
                leaveCategory(i);
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (watched == c.labels[i]) {
            if (entering)
                c.labels[i]->setEditText(c.storedLabels[i]->text());
            else
                leaveLabel(i);
        }
    }
    if (entering) {
        for (QLineEdit *box : { c.firstName, c.lastName, c.address1, c.address2, c.address3 }) {
            // After the click that gave the focus has placed the cursor.
            if (watched == box)
                QTimer::singleShot(0, box, [box] { box->selectAll(); });
        }
    }
    return false;
}

void frmDetails::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        closeWindow();
    else
        QWidget::keyPressEvent(event);
}

void frmDetails::makeTemplate()
{
    for (QLineEdit *box : { m_controls.firstName, m_controls.lastName }) {
        box->setReadOnly(true);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, QColor(192, 192, 192));
        box->setPalette(palette);
    }
}

void frmDetails::closeWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        frame->close();
    else
        close();
}

void frmDetails::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (m_closing || !runClosingSteps()) {
        event->ignore();
        return;
    }
    m_closed = true;
    event->accept();
}

bool frmDetails::runClosingSteps()
{
    const QScopedValueRollback<bool> closing(m_closing, true);
    commitFocusedBox();
    if (!storeRow())
        return false;
    UpdateMe();
    showInContactList();
    return true;
}

bool frmDetails::storeChanges()
{
    const QScopedValueRollback<bool> closing(m_closing, true);
    commitFocusedBox();
    if (!m_loadStatus
        || (!ContactStore::Edit { m_shown, recordFromBoxes() }.hasChanges()
            && !m_sections.hasChanges()))
        return true;
    if (!storeRow())
        return false;
    const auto stored = m_store.load(m_id);
    m_shown = recordFromBoxes();
    // The sections start again from what is now stored, so the next store writes nothing twice.
    m_sections.load(stored ? stored.value() : m_shown);
    return true;
}

bool frmDetails::storeRow()
{
    // An editor whose row was never read has nothing to store.
    if (!m_loadStatus)
        return true;
    const ContactRecord edited = recordFromBoxes();
    // A new contact left as it opened takes no row.
    if (isNewContact() && !ContactStore::Edit { m_shown, edited }.hasChanges()
        && !m_sections.hasChanges())
        return true;
    const auto saved = save(edited);
    switch (saved.outcome) {
    case ContactStore::SaveOutcome::Saved:
        m_id = saved.id;
        return true;
    case ContactStore::SaveOutcome::NameMissing:
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption, saved.message);
        m_controls.tabs->setCurrentIndex(0);
        m_controls.firstName->setFocus();
        return false;
    case ContactStore::SaveOutcome::RowMissing:
        // Nothing is left to store the changes in; keeping the window would only block closing.
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption, saved.message);
        return true;
    case ContactStore::SaveOutcome::Conflict:
        // The user chose to go on editing.
        return false;
    case ContactStore::SaveOutcome::Failed:
        break;
    }
    Prompts::current().message(this, MessageIcon::Critical, errorCaption, saved.message);
    return false;
}

ContactStore::SaveResult frmDetails::save(const ContactRecord &edited)
{
    const ContactStore::Edit edit { m_shown, edited };
    const auto saved = saveTogether(edit, ContactStore::Conflicts::Report);
    if (saved.outcome != ContactStore::SaveOutcome::Conflict)
        return saved;
    // Asked outside the write, so another program is not held up while the user decides.
    const auto choice = askAboutConflicts(saved.conflicts);
    return choice ? saveTogether(edit, *choice) : saved;
}

ContactStore::SaveResult frmDetails::saveTogether(const ContactStore::Edit &edit,
                                                  ContactStore::Conflicts conflicts)
{
    const auto saveRow
        = [&] { return isNewContact() ? m_store.add(edit.after) : m_store.save(edit, conflicts); };
    // With nothing to write the store decides alone (a read-only file and an unchanged row write
    // nothing at all).
    if (m_sections.isEmpty() || (!edit.hasChanges() && !m_sections.hasChanges()))
        return saveRow();
    const auto failed = [](const Status &status) {
        return ContactStore::SaveResult {
            ContactStore::SaveOutcome::Failed, status.message(), 0, {}
        };
    };
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return failed(begun);
    const auto saved = saveRow();
    if (!saved.ok())
        return saved;
    if (Status stored = m_sections.store(saved.id); !stored)
        return failed(stored);
    if (Status committed = transaction.commit(); !committed)
        return failed(committed);
    return saved;
}

std::optional<ContactStore::Conflicts> frmDetails::askAboutConflicts(const QStringList &fields)
{
    const QString question
        = QStringLiteral("在您编辑期间，另一个程序也修改了这个联系人的%1。\n\n"
                         "要保留您填写的内容吗？\n"
                         "选“是”保留您的内容，选“否”保留另一个程序的内容，选“取消”继续编辑。")
              .arg(fields.join(QStringLiteral("、")));
    switch (Prompts::current().askYesNoCancel(this, MessageIcon::Question,
                                              QStringLiteral("Zorvane"), question)) {
    case Answer::Yes:
        return ContactStore::Conflicts::KeepMine;
    case Answer::No:
        return ContactStore::Conflicts::KeepTheirs;
    default:
        return std::nullopt;
    }
}

void frmDetails::UpdateMe()
{
    const auto stored = m_store.load(m_id);
    frmContacts *list = contactList();
    if (!stored || !list)
        return;
    const ContactRecord &row = stored.value();
    const QString name = row.displayName();
    if (ContactNames::isReserved(name))
        return;
    list->Update_Main_List(ContactKeys::contactKey(row.id),
                           ContactNames::trimBlanks(row.type).toString(), name);
}

void frmDetails::showInContactList()
{
    frmContacts *list = contactList();
    if (!list)
        return;
    QTreeWidget *tree = list->tree();
    if (tree->currentItem())
        tree->scrollToItem(tree->currentItem());
    tree->setFocus();
    list->TreeView1_NodeClick(nullptr);
    list->update();
}

frmContacts *frmDetails::contactList() const
{
    ChildWindowHost *host = ChildWindowHost::of(this);
    QMdiSubWindow *window = host ? host->childWindow(QStringLiteral("frmContacts")) : nullptr;
    return window ? qobject_cast<frmContacts *>(window->widget()) : nullptr;
}
