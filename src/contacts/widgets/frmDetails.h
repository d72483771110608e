#pragma once

#include "DetailsControls.h"
#include "DetailsSections.h"
#include "contacts/ContactStore.h"

#include <QWidget>
#include <optional>

class Database;
class QComboBox;
class frmContacts;

// The detail editor of one contact row. Closing it checks the names, stores what the user
// changed and shows the contact in the contact list; a row that cannot be stored keeps the
// window open with everything the user typed.
class frmDetails : public QWidget
{
    Q_OBJECT

public:
    // Reads the row; see loadStatus() for whether it was there.
    explicit frmDetails(Database &database, qint64 contactId, QWidget *parent = nullptr);
    // A new contact with these starting values; it gets its row when it is first stored.
    frmDetails(Database &database, const ContactRecord &fresh, QWidget *parent = nullptr);

    // "联系人 - " and the display name: the caption that tells open editors apart.
    static QString captionFor(const QString &displayName);

    // 0 for a new contact not stored yet.
    qint64 contactId() const { return m_id; }
    bool isNewContact() const { return m_id == 0; }
    // Failed when the row could not be read; such an editor stores nothing and should not be
    // shown.
    const Status &loadStatus() const { return m_loadStatus; }
    // The template's name cannot be changed: both name boxes grey and read-only.
    void makeTemplate();
    // Tells the contact list the stored name and group of the row (never for the placeholder or
    // the template).
    void UpdateMe();
    // What "关闭" and Escape do: closes the frame window, so the closing steps run once.
    void closeWindow();
    // Stores the user's changes as closing would, without closing; false when the editor
    // refused (a missing name) or the file did, after telling the user.
    bool storeChanges();

    Database &database() const { return m_database; }
    // The contact as the boxes now hold it, with its id.
    ContactRecord editedRecord() const { return recordFromBoxes(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void showContact(const ContactRecord &record);
    void connectControls();
    void LoadCategoryLists(int kind);
    void showRecord(const ContactRecord &record);
    ContactRecord recordFromBoxes() const;
    void storedCategoryChanged(int index);
    // entry: the position chosen in the box's list; 0 is the category settings entry.
    void categoryChosen(int index, int entry);
    void labelChosen(int index, int entry);
    void leaveCategory(int index);
    void leaveLabel(int index);
    void commitFocusedBox();
    void openCategoryManager(int kind);
    // A group renamed in the manager has regrouped this contact in the file; a group box the
    // user has not touched shows the new name.
    void followRenamedGroup();
    bool handleFocus(QObject *watched, QEvent *event);
    void keepNameTrimmed(QLineEdit *box);
    void openMail();
    void openWebsite();
    void setCloseCaptionColour(const QColor &colour);
    bool runClosingSteps();
    // Closing's name check and write; true when the editor may go.
    bool storeRow();
    ContactStore::SaveResult save(const ContactRecord &edited);
    // The row and every section's changes in one transaction.
    ContactStore::SaveResult saveTogether(const ContactStore::Edit &edit,
                                          ContactStore::Conflicts conflicts);
    // Asks whose value a field both programs changed keeps; nullopt to go on editing.
    std::optional<ContactStore::Conflicts> askAboutConflicts(const QStringList &fields);
    void showInContactList();
    frmContacts *contactList() const;

    Database &m_database;
    ContactStore m_store;
    qint64 m_id;
    Status m_loadStatus = Status::success();
    DetailsControls m_controls;
    // The parts of the "更多" tab; none when the program registered none.
    DetailsSections m_sections;
    // The row as the boxes showed it on loading: closing stores what differs from it.
    ContactRecord m_shown;
    // Set while the closing steps run (a message box may ask to close again) and once closed.
    bool m_closing = false;
    bool m_closed = false;
};
