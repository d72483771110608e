#pragma once

#include "categories/CategoryModel.h"

#include <QDialog>
#include <functional>

class Database;
class QLineEdit;
class QListWidget;
class QPushButton;

// The modal manager of one kind of category: adds, renames, describes, deletes and reorders them.
// The boxes are either in add mode (a new name) or in edit mode on the current category.
class FrmType : public QDialog
{
    Q_OBJECT

public:
    explicit FrmType(Database &database, QWidget *parent = nullptr);

    // The kind managed; the opener sets it before showing the window.
    int Int_Type = 0;
    // The table the categories live in. Openers set "ContactType", the only table that holds
    // categories, so the window reads no table name from here into its statements.
    QString Str_RecSource = QStringLiteral("ContactType");

    // Looks up a category of the given kind and edits it; Int_Type stays as it is.
    void Open_Type(int kind, const QString &name);
    // Sets the place of the named category of this window's kind.
    Status SetNewNum(const QString &name, qint64 newNumber);

    bool isEditing() const { return m_editing; }
    QString currentName() const { return m_currentName; }

signals:
    // The window has closed so that the contact list can be rebuilt with the current groups.
    void refreshContactsRequested();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QPushButton *makeButton(const QString &name, const QString &caption,
                            const std::function<void()> &action);
    void connectControls();
    void startAfresh();
    void loadTypeList();
    int chosenRow() const;
    void chooseLine(int row);
    void edit();
    void lookUp(int kind, const QString &name);
    CategoryModel::SaveOutcome saveType();
    void saveAndAddNew();
    void deleteChosen();
    void move(int step);
    void refreshContacts();
    void releaseOnList(const QPoint &at);
    void enterAddMode();
    void focusNameBox();
    void applySeparatorRule();
    void showMessage(const QString &text);
    // Commands that write ask first, so a read-only file refuses them before they start.
    bool refusedAsReadOnly();

    Database &m_database;
    CategoryModel m_model;
    QLineEdit *m_nameBox = nullptr;
    QLineEdit *m_descriptionBox = nullptr;
    QListWidget *m_list = nullptr;

    bool m_editing = false;
    QString m_currentName;
    qint64 m_listedCount = 0;
    // A press highlights a line before the mouse is let go; letting go, with any button and
    // wherever a drag has taken the highlight, runs Edit once.
    bool m_mouseDown = false;
    int m_rowAtPress = -1;
    bool m_doubleClicked = false;
};
