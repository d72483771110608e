#pragma once

#include "ContactRecord.h"
#include "shared/Status.h"

class Database;

// Reads and writes one Contacts row for the detail editor. Values travel only as bound values.
class ContactStore
{
public:
    enum class SaveOutcome {
        Saved,
        // A blank family or given name; nothing was written.
        NameMissing,
        // The row is no longer in the file (deleted while it was being edited).
        RowMissing,
        // The file refused the change; nothing was written.
        Failed,
    };

    struct SaveResult
    {
        SaveOutcome outcome = SaveOutcome::Failed;
        // What to tell the user, unless saved.
        QString message;

        bool ok() const { return outcome == SaveOutcome::Saved; }
    };

    // The row as the editor showed it (before) and as the user left it (after).
    struct Edit
    {
        ContactRecord before;
        ContactRecord after;

        // True when storing would change a field: the user's edits, not a default.
        bool hasChanges() const;
    };

    explicit ContactStore(Database &database);

    // The row with that ID; a failure when there is none or it cannot be read.
    Result<ContactRecord> load(qint64 id);
    // Writes the fields the user changed, in one statement, and nothing else: whatever changed
    // the row meanwhile (a regrouping, another program) is kept. The names are stored without
    // outer blanks and the group as the group box's rule leaves it; a group still empty in the
    // file gets the default group. Nothing at all is written when nothing changed.
    SaveResult save(const Edit &edit);

private:
    Database &m_database;
};
