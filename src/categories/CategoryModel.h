#pragma once

#include "Category.h"
#include "shared/Status.h"

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

class Database;

// The category lists of a data file. Names are looked up without regard to letter case (as the
// file compares them) and travel only as bound values. Within a kind the order is Number, then
// ID; a relationship group is referred to by its name from each contact's Type field.
class CategoryModel
{
public:
    // What the name and description boxes of the manager hold when the user saves.
    struct SaveRequest
    {
        int kind = 0;
        // True when the boxes show the existing category called currentName.
        bool editing = false;
        QString currentName;
        QString typedName;
        // Stored as typed.
        QString description;
        // A new category goes after this many.
        qint64 listedCount = 0;
    };

    enum class SaveOutcome {
        Saved,
        // Empty, or still the design text.
        NameMissing,
        // Adding a name the kind already has.
        AlreadyExists,
        // Renaming to a name another category of the kind has.
        NameTaken,
        // The file refused the change; nothing was written.
        Failed,
    };

    struct SaveResult
    {
        SaveOutcome outcome = SaveOutcome::Failed;
        // The name as stored, when saved.
        QString name;
        // Why the file refused the change, when failed.
        QString error;
    };

    explicit CategoryModel(Database &database);

    // The kind in order, with Number rewritten to 1..n where it differs.
    Result<QList<Category>> list(int kind);
    // The kind in order, read only.
    Result<QList<Category>> categories(int kind);
    // The first category of the kind with that name, if any.
    Result<std::optional<Category>> find(int kind, const QString &name);
    // Whether a category of the kind other than exceptId has the name.
    Result<bool> isNameTaken(int kind, const QString &name, qint64 exceptId);

    // Adds a category at the given place unless the kind has the name; the result is its ID.
    Result<qint64> add(int kind, const QString &name, const QString &description, qint64 number);
    // Renames a category (unless another of its kind has the name) and sets its description. A
    // renamed relationship group takes its contacts with it: both happen or neither.
    Status update(qint64 id, const QString &name, const QString &description);
    // Deleting a category leaves the contacts that name it as they are.
    Status remove(qint64 id);
    // Sets Number of the named category of the kind; nothing happens when there is none.
    Status setNumber(int kind, const QString &name, qint64 number);
    // Several of those at once: all or none.
    Status setNumbers(int kind, const QList<QPair<QString, qint64>> &numbers);

    // The manager's save: adds in add mode, renames in edit mode (adds again when the edited
    // category has gone), refusing missing and clashing names. All of it or nothing is written.
    SaveResult save(const SaveRequest &request);

private:
    Result<qint64> insertRow(int kind, const QString &name, const QString &description,
                             qint64 number);
    Status updateRow(qint64 id, const QString &name, const QString &description);
    SaveResult saveWithin(const SaveRequest &request, const QString &name);
    SaveResult saveAsNew(const SaveRequest &request, const QString &name);

    Database &m_database;
};
