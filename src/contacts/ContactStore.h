#pragma once

#include "ContactRecord.h"
#include "shared/Status.h"

#include <QStringList>

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
        // Another program changed a field the user changed too, since the editor loaded it;
        // nothing was written.
        Conflict,
    };

    // What a save does with a field that another program changed while the editor was open.
    enum class Conflicts {
        // Writes nothing and reports the fields.
        Report,
        KeepMine,
        KeepTheirs,
    };

    struct SaveResult
    {
        SaveOutcome outcome = SaveOutcome::Failed;
        // What to tell the user, unless saved.
        QString message;
        // The row written; for a new contact the row it now has.
        qint64 id = 0;
        // For a conflict: the captions of the fields both changed.
        QStringList conflicts;

        bool ok() const { return outcome == SaveOutcome::Saved; }
    };

    // The row as the editor showed it (before) and as the user left it (after).
    struct Edit
    {
        ContactRecord before;
        ContactRecord after;
        // The editor insists on both names; a merge keeps a contact that has only one, as card
        // imports and syncs make them.
        bool namesRequired = true;

        // True when storing would change a field: the user's edits, not a default.
        bool hasChanges() const;
    };

    explicit ContactStore(Database &database);

    // The row with that ID; a failure when there is none or it cannot be read.
    Result<ContactRecord> load(qint64 id);
    // The values a new contact starts from, not yet in the file (its id is 0): those of the
    // placeholder left unnamed by an earlier add, else the template's, else the default labels.
    Result<ContactRecord> fresh();
    // Writes the fields the user changed, in one statement, and nothing else: whatever changed
    // the row meanwhile (a regrouping, another program) is kept. A field the user changed that
    // another program changed too is a conflict, settled as asked. The names are stored without
    // outer blanks and the group as the group box's rule leaves it; a group still empty in the
    // file gets the default group. Nothing at all is written when nothing changed.
    SaveResult save(const Edit &edit, Conflicts conflicts = Conflicts::Report);
    // Stores a new contact: into the placeholder row while the file holds one, else into a row
    // of its own, so two programs adding at once never share a row.
    SaveResult add(const ContactRecord &record);

private:
    Database &m_database;
};
